#include "ui/key_dialog.h"

UINT HeldModifierFlags() {
    UINT nFlags = 0;
    if (GetKeyState(VK_CONTROL) < 0) nFlags |= MOD_CONTROL;
    if (GetKeyState(VK_SHIFT) < 0) nFlags |= MOD_SHIFT;
    if (GetKeyState(VK_MENU) < 0) nFlags |= MOD_ALT;
    return nFlags;
}

bool LKeyDialogBox::PreTranslateKey(HWND, UINT uMsg, WPARAM wParam, LPARAM) {
    UINT nKey = static_cast<UINT>(wParam) | (HeldModifierFlags() << 16);
    if (uMsg == WM_KEYDOWN || uMsg == WM_SYSKEYDOWN) return OnKeyDown(nKey);
    if (uMsg == WM_KEYUP || uMsg == WM_SYSKEYUP) return OnKeyUp(nKey);
    return false;
}

bool LKeyDialogBox::Open(HWND hwndParent, int nResourceId) {
    if (!Create(MAKEINTRESOURCEA(nResourceId), hwndParent)) return false;
    if (hwndParent != nullptr) EnableWindow(hwndParent, FALSE);
    MSG msg;
    bool bQuit = false;
    WPARAM nQuitCode = 0;
    while (hwndDlg != nullptr && IsWindow(hwndDlg)) {
        BOOL bGot = GetMessageA(&msg, nullptr, 0, 0);
        if (bGot <= 0) {
            bQuit = bGot == 0;
            nQuitCode = msg.wParam;
            break;
        }
        if (PreTranslateKey(msg.hwnd, msg.message, msg.wParam, msg.lParam)) continue;
        if (IsDialogMessageA(hwndDlg, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    // A quit taken from the queue here belongs to the loop outside.
    if (bQuit) PostQuitMessage(static_cast<int>(nQuitCode));
    if (hwndParent != nullptr) {
        EnableWindow(hwndParent, TRUE);
        SetActiveWindow(hwndParent);
        SetFocus(hwndParent);
    }
    return true;
}
