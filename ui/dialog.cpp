#include "ui/dialog.h"

HINSTANCE hProgramInstance = nullptr;

LDialog::~LDialog() {
    if (bModeless && hwndDlg != nullptr && IsWindow(hwndDlg)) {
        // Let go first: the window's last messages must not reach an object that is going.
        HWND hwnd = hwndDlg;
        LetGo();
        DestroyWindow(hwnd);
    }
}

INT_PTR CALLBACK LDialog::StaticDialogProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (uMsg == WM_INITDIALOG) {
        LDialog* pDialog = reinterpret_cast<LDialog*>(lParam);
        SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
        if (pDialog != nullptr) {
            pDialog->hwndDlg = hwnd;
            pDialog->InitDialog();
            pDialog->EnableControls();
        }
        return TRUE;
    }
    LDialog* pDialog = reinterpret_cast<LDialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    // Messages before WM_INITDIALOG find no object; once hwndDlg is cleared the object has let go
    // of the window. Either way the system handles the rest.
    if (pDialog == nullptr || pDialog->hwndDlg != hwnd) return FALSE;
    return pDialog->DialogProc(uMsg, wParam, lParam);
}

INT_PTR LDialog::DialogProc(UINT uMsg, WPARAM wParam, LPARAM /*lParam*/) {
    switch (uMsg) {
    case WM_DESTROY:
        DestroyDialog();
        LetGo();
        return FALSE;
    case WM_ENDSESSION:
        // wParam 0: the session end was cancelled and the program goes on. Otherwise the object's
        // last work is done, it lets go of its window, and the window ends: a modeless one at once,
        // so that no window is left whose object has gone (its owner, a local of a command, may
        // end when the window's loop does), a modal one as its loop ends.
        if (wParam != 0) {
            DestroyDialog();
            HWND hwnd = hwndDlg;
            LetGo();
            if (bModeless) {
                DestroyWindow(hwnd);
                // The loop that runs the window may be waiting for a message: one wakes it to see
                // the window gone.
                PostMessageA(nullptr, WM_NULL, 0, 0);
            } else {
                EndDialog(hwnd, IDCANCEL);
            }
        }
        return TRUE;
    case WM_HELP:
        DisplayHelpContents();
        return TRUE;
    case WM_COMMAND: {
        int nId = LOWORD(wParam);
        if (nId == IDOK) {
            if (CmOk()) End(IDOK);
        } else if (nId == IDCANCEL) {
            if (CmCancel()) End(IDCANCEL);
        } else if (nId == IDHELP) {
            DisplayHelpContents();
        } else {
            OnCommand(nId, HIWORD(wParam));
            EnableControls();
        }
        return TRUE;
    }
    default:
        return FALSE;
    }
}

bool LDialog::RunModal(LPCSTR pszTemplate, HWND hwndParent) {
    if (hwndDlg != nullptr) return false;
    bModeless = false;
    INT_PTR nResult = DialogBoxParamA(hProgramInstance, pszTemplate, hwndParent, StaticDialogProc,
                                      reinterpret_cast<LPARAM>(this));
    return nResult == IDOK;
}

bool LDialog::Create(LPCSTR pszTemplate, HWND hwndParent) {
    if (hwndDlg != nullptr) return false;
    bModeless = true;
    // The window is bound to the object during the call, at WM_INITDIALOG.
    return CreateDialogParamA(hProgramInstance, pszTemplate, hwndParent, StaticDialogProc,
                              reinterpret_cast<LPARAM>(this)) != nullptr;
}

void LDialog::LetGo() {
    // Later messages to the window find no object, even after the object itself has gone.
    if (hwndDlg != nullptr) SetWindowLongPtrA(hwndDlg, DWLP_USER, 0);
    hwndDlg = nullptr;
}

void LDialog::End(INT_PTR nResult) {
    if (hwndDlg == nullptr) return;
    if (bModeless) {
        DestroyWindow(hwndDlg);
    } else {
        EndDialog(hwndDlg, nResult);
    }
}

void LDialog::EnableControl(int nId, bool bEnable) { EnableWindow(GetDlgItem(hwndDlg, nId), bEnable); }

void LDialog::HideControl(int nId, bool bHide) { ShowWindow(GetDlgItem(hwndDlg, nId), bHide ? SW_HIDE : SW_SHOW); }

void LDialog::MoveControl(int nId, int x, int y, int nWidth, int nHeight) {
    RECT rect = {x, y, nWidth, nHeight};
    MapDialogRect(hwndDlg, &rect);
    MoveWindow(GetDlgItem(hwndDlg, nId), rect.left, rect.top, rect.right, rect.bottom, TRUE);
}

void LDialog::GetItemText(int nId, char* szText, size_t cbText) {
    szText[0] = '\0';
    GetDlgItemTextA(hwndDlg, nId, szText, static_cast<int>(cbText));
}
