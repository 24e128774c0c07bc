#include "setup/progress_dialog.h"

#include <commctrl.h>

#include "resources/setup_dialog_ids.h"
#include "ui/dialog.h"

LProgressDialog::LProgressDialog(const char* szTitle) : hwndProgress(nullptr), szTitle(szTitle) {
    InitCommonControls();
}

INT_PTR LProgressDialog::HandleMessage(UINT, WPARAM, LPARAM) { return 0; }

bool LProgressDialog::Run(HWND hwndOwner) {
    if (hwndProgress != nullptr) return false;
    HWND hwnd = CreateDialogParamA(hProgramInstance, IDD_PROGRESS, hwndOwner, DialogProc,
                                   reinterpret_cast<LPARAM>(this));
    if (hwnd == nullptr) return false;
    if (hwndOwner != nullptr) EnableWindow(hwndOwner, FALSE);

    bool bResult = MainFunction();

    // Cancel may have closed the window already; then there is nothing left to close.
    if (hwndProgress != nullptr && IsWindow(hwndProgress)) DestroyWindow(hwndProgress);
    hwndProgress = nullptr;
    if (hwndOwner != nullptr) {
        EnableWindow(hwndOwner, TRUE);
        SetActiveWindow(hwndOwner);
        SetFocus(hwndOwner);
    }
    return bResult;
}

bool LProgressDialog::CheckCancel() {
    for (;;) {
        if (hwndProgress == nullptr || !IsWindow(hwndProgress)) return true;
        MSG msg;
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
        if (!IsDialogMessageA(hwndProgress, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

void LProgressDialog::SetText(int nLine, const char* szText) {
    if (hwndProgress != nullptr && IsWindow(hwndProgress) && nLine >= 0 && nLine < 2)
        SetDlgItemTextA(hwndProgress, IDC_PROGRESS_LINE0 + nLine, szText);
}

void LProgressDialog::SetProgress(double dFraction) {
    if (hwndProgress == nullptr || !IsWindow(hwndProgress)) return;
    int nPosition = static_cast<int>(dFraction * 100.0f);
    SendDlgItemMessageA(hwndProgress, IDC_PROGRESS_BAR, PBM_SETPOS, static_cast<WPARAM>(nPosition), 0);
}

INT_PTR CALLBACK LProgressDialog::DialogProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (uMsg == WM_INITDIALOG) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, lParam);
        LProgressDialog* pDialog = reinterpret_cast<LProgressDialog*>(lParam);
        if (pDialog != nullptr) {
            pDialog->hwndProgress = hwnd;
            SetWindowTextA(hwnd, pDialog->szTitle);
            SendDlgItemMessageA(hwnd, IDC_PROGRESS_BAR, PBM_SETPOS, 0, 0);
        }
        return TRUE;
    }
    LProgressDialog* pDialog = reinterpret_cast<LProgressDialog*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    bool bOwned = pDialog != nullptr && pDialog->hwndProgress == hwnd;
    if (uMsg == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        // Cancel (the button or Escape) closes the window; CheckCancel then tells the work.
        if (bOwned) pDialog->hwndProgress = nullptr;
        DestroyWindow(hwnd);
        return TRUE;
    }
    return bOwned ? pDialog->HandleMessage(uMsg, wParam, lParam) : FALSE;
}
