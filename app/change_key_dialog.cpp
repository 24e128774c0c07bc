#include "app/change_key_dialog.h"

#include "app/settings.h"

bool ChangeKeyDialog::PreTranslateKey(HWND, UINT uMsg, WPARAM wParam, LPARAM) {
    if (uMsg != WM_KEYDOWN && uMsg != WM_SYSKEYDOWN) return false;
    switch (wParam) {
    case VK_RETURN:
        return true;  // neither a hot key nor a way to press Cancel
    case VK_SHIFT:
    case VK_CONTROL:
    case VK_MENU:
        return false;  // wait for the key that goes with them
    case VK_ESCAPE:
        return false;  // the dialog turns it into Cancel
    default:
        break;
    }
    SaveHotKey(static_cast<int>(wParam), static_cast<int>(HeldModifierFlags()));
    PostMessageA(hwndDlg, WM_COMMAND, IDOK, 0);
    return true;
}
