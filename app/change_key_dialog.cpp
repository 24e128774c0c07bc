#include "app/change_key_dialog.h"

#include "app/settings.h"
#include "resources/key_dialog_ids.h"

const char kTypingKeyHint[] = "With a key that types, add Ctrl or Alt.";
const char kAloneKeyHint[] = "Alone only F1 to F24: add Ctrl, Alt or Shift.";

bool IsSafeAloneAsHotKey(UINT nVirtualKey) { return nVirtualKey >= VK_F1 && nVirtualKey <= VK_F24; }

bool IsTypingKey(UINT nVirtualKey) {
    const UINT kVirtualKeyToChar = 2;  // MAPVK_VK_TO_CHAR
    return MapVirtualKeyA(nVirtualKey, kVirtualKeyToChar) != 0;
}

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
    UINT nModifiers = HeldModifierFlags();
    UINT nVirtualKey = static_cast<UINT>(wParam);
    // A system-wide hot key takes its key from every program: with Shift or alone, a key that
    // types (a letter, a digit, Space, punctuation) would no longer type its capital or its
    // symbol anywhere. Such a key needs Ctrl or Alt.
    if (IsTypingKey(nVirtualKey) && (nModifiers & (MOD_CONTROL | MOD_ALT)) == 0) {
        SetDlgItemTextA(hwndDlg, IDC_KEY_HINT, kTypingKeyHint);
        return true;
    }
    // Other keys alone (Home, Insert, the arrows) are needed by every program too: alone, only a
    // function key is taken.
    if (nModifiers == 0 && !IsSafeAloneAsHotKey(nVirtualKey)) {
        SetDlgItemTextA(hwndDlg, IDC_KEY_HINT, kAloneKeyHint);
        return true;
    }
    SaveHotKey(static_cast<int>(nVirtualKey), static_cast<int>(nModifiers));
    PostMessageA(hwndDlg, WM_COMMAND, IDOK, 0);
    return true;
}
