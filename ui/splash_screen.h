// LSplashScreen: the product picture with a white band naming the product, its version and its
// distributor. The window closes itself after seven seconds or at the first left click.
#pragma once
#include <windows.h>

class LSplashScreen {
public:
    LSplashScreen() : hwndSplash(nullptr), hBitmap(nullptr), nDpi(96) {}
    ~LSplashScreen();

    // Opens the window, centred on the screen and owned by hwndParent, with bitmap nBitmapId, at the
    // parent's DPI; an open splash is replaced. No bitmap or no window means no splash, silently.
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
    // The DPI it is shown at, and a size at 96 DPI scaled to it.
    int nDpi;
    int Scaled(int nPixels) const { return MulDiv(nPixels, nDpi, 96); }

    void Paint(HDC hdc);
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
};
