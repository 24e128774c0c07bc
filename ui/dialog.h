// LDialog: one dialog template bound to one object. StaticDialogProc binds the object to its window
// at WM_INITDIALOG and hands each later message to its virtual operations; derived classes override
// what they need. Modal and modeless dialogs differ only in how they end: EndDialog for a modal one,
// DestroyWindow for a modeless one.
#pragma once
#include <stddef.h>
#include <windows.h>

// The program's module, kept by the entry point for the whole run: every dialog and resource comes
// from it.
extern HINSTANCE hProgramInstance;

// A control's text as the program reads it: at most 259 bytes and its terminator.
enum { kItemTextSize = 260 };

class LDialog {
public:
    LDialog() : hwndDlg(nullptr), bModeless(false) {}
    // A modeless window that is still up goes with its object.
    virtual ~LDialog();

    // Slots 1 to 8, in the order the framework relies on.
    virtual void InitDialog() {}
    virtual bool CmOk() { return true; }
    virtual bool CmCancel() { return true; }
    virtual void DisplayHelpContents() {}
    virtual void EnableControls() {}
    virtual void OnCommand(int /*nId*/, int /*nNotifyCode*/) {}
    virtual void DestroyDialog() {}
    virtual INT_PTR DialogProc(UINT uMsg, WPARAM wParam, LPARAM lParam);

    // Runs the dialog modally from a template of the program's module; returns true when it ended
    // with IDOK. An object that already has a window is refused.
    bool RunModal(LPCSTR pszTemplate, HWND hwndParent);
    // Makes the dialog modeless and returns at once: the caller's message loop runs it. False when
    // the object already has a window or none could be made.
    bool Create(LPCSTR pszTemplate, HWND hwndParent);
    // Ends the dialog the way it was started; nResult is what RunModal's caller learns.
    void End(INT_PTR nResult);

    // The dialog's window while it is open, else null.
    HWND Window() const { return hwndDlg; }

    static INT_PTR CALLBACK StaticDialogProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

protected:
    void EnableControl(int nId, bool bEnable);
    void HideControl(int nId, bool bHide);
    // Position and size in dialog units.
    void MoveControl(int nId, int x, int y, int nWidth, int nHeight);
    // Empties szText (cbText bytes), then reads the control's text into it: at most cbText - 1
    // bytes and a terminator.
    void GetItemText(int nId, char* szText, size_t cbText);
    bool IsChecked(int nId) const { return IsDlgButtonChecked(hwndDlg, nId) == BST_CHECKED; }

    HWND hwndDlg;

private:
    // The object lets go of its window: hwndDlg is cleared and the window no longer leads to it.
    void LetGo();
    bool bModeless;
};
