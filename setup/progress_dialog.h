// LProgressDialog: a small modeless window with two status lines, a bar and Cancel, that runs a
// piece of work (MainFunction) on the program's only thread. The work keeps the window alive by
// calling CheckCancel between its steps, and learns from the same call whether Cancel was pressed.
#pragma once
#include <windows.h>

class LProgressDialog {
public:
    // szTitle is kept, not copied: the caller keeps the text alive while the window is open.
    explicit LProgressDialog(const char* szTitle);

    virtual bool MainFunction() = 0;
    // Every message the window procedure does not handle itself; 0 means not handled.
    virtual INT_PTR HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);

    // Opens the window, runs MainFunction and closes the window again; answers MainFunction's
    // result, or false if the window was already open or could not be made.
    bool Run(HWND hwndOwner);
    // Empties the thread's message queue; answers true once the window is gone (Cancel pressed).
    bool CheckCancel();
    void SetText(int nLine, const char* szText);
    void SetProgress(double dFraction);

    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

    HWND hwndProgress;
    const char* szTitle;

protected:
    ~LProgressDialog() {}
};
