#include "setup/progress_dialog.h"

#include <commctrl.h>

#include "resources/setup_dialog_ids.h"

LProgressDialog::LProgressDialog(const char* szTitle) : szTitle(szTitle), bWithoutWindow(false) { InitCommonControls(); }

void LProgressDialog::InitDialog() {
    SetWindowTextA(hwndDlg, szTitle);
    SendDlgItemMessageA(hwndDlg, IDC_PROGRESS_BAR, PBM_SETPOS, 0, 0);
}

bool LProgressDialog::Run(HWND hwndOwner) {
    if (!Create(IDD_PROGRESS, hwndOwner)) return false;
    if (hwndOwner != nullptr) EnableWindow(hwndOwner, FALSE);

    bool bResult = MainFunction();

    // Cancel may have closed the window already; then there is nothing left to close.
    End(IDOK);
    if (hwndOwner != nullptr) {
        EnableWindow(hwndOwner, TRUE);
        SetActiveWindow(hwndOwner);
        SetFocus(hwndOwner);
    }
    return bResult;
}

bool LProgressDialog::RunWithoutWindow() {
    if (hwndDlg != nullptr) return false;
    bWithoutWindow = true;
    bool bResult = MainFunction();
    bWithoutWindow = false;
    return bResult;
}

bool LProgressDialog::CheckCancel() {
    if (bWithoutWindow) return false;
    for (;;) {
        if (hwndDlg == nullptr) return true;
        MSG msg;
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
        if (!IsDialogMessageA(hwndDlg, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

void LProgressDialog::SetText(int nLine, const char* szText) {
    if (hwndDlg != nullptr && nLine >= 0 && nLine < 2) SetDlgItemTextA(hwndDlg, IDC_PROGRESS_LINE0 + nLine, szText);
}

void LProgressDialog::SetProgress(double dFraction) {
    if (hwndDlg == nullptr) return;
    int nPosition = static_cast<int>(dFraction * 100.0f);
    SendDlgItemMessageA(hwndDlg, IDC_PROGRESS_BAR, PBM_SETPOS, static_cast<WPARAM>(nPosition), 0);
}
