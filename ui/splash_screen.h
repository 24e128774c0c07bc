// LSplashScreen: the product picture with a white band naming the product, its version and its
// distributor. The window closes itself after seven seconds or at the first left click.
#pragma once
#include <windows.h>

class LSplashScreen {
public:
    LSplashScreen() : hwndSplash(nullptr), hBitmap(nullptr) {}
    ~LSplashScreen();

    // Opens the window, centred on the screen and owned by hwndParent, with bitmap nBitmapId; an
    // open splash is replaced. No bitmap or no window means no splash, silently.
    void Show(HWND hwndParent, int nBitmapId);
    void Close();
    // Puts an open splash above every other window again, without activating it.
    void Raise();
    // The open splash, else null.
    HWND Window() const { return hwndSplash; }
    // Its picture while open, else null.
    HBITMAP Picture() const { return hBitmap; }

private:
    HWND hwndSplash;
    HBITMAP hBitmap;

    void Paint(HDC hdc);
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
};
