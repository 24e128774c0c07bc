// LDialog: one dialog template bound to one object. StaticDialogProc finds the object of a dialog
// window and hands each message to its virtual operations; derived classes override what they need.
#pragma once
#include <windows.h>

// The program's module, kept by the entry point for the whole run: every dialog and resource comes
// from it.
extern HINSTANCE hProgramInstance;

enum { kItemTextSize = 260 };

class LDialog {
public:
    LDialog() : hwndDlg(nullptr) {}
    virtual ~LDialog() {}

    // Slots 1 to 8, in the order the framework relies on.
    virtual void InitDialog() {}
    virtual bool CmOk() { return true; }
    virtual bool CmCancel() { return true; }
    virtual void DisplayHelpContents() {}
    virtual void EnableControls() {}
    virtual void OnCommand(int /*nId*/, int /*nNotifyCode*/) {}
    virtual void DestroyDialog() {}
    virtual INT_PTR DialogProc(UINT uMsg, WPARAM wParam, LPARAM lParam);

    // Runs the dialog modally from a template of the program's module; answers true when it ended
    // with IDOK. An object that already has a window is refused.
    bool RunModal(LPCSTR pszTemplate, HWND hwndParent);

    void EnableControl(int nId, bool bEnable);
    void HideControl(int nId, bool bHide);
    // Position and size in dialog units.
    void MoveControl(int nId, int x, int y, int nWidth, int nHeight);
    // Empties szText, then reads the control's text: at most 259 bytes and a terminator.
    void GetItemText(int nId, char* szText);

    static INT_PTR CALLBACK StaticDialogProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

    HWND hwndDlg;
};
