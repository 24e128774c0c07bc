#include "ui/unicode_control.h"

#include "ui/dialog.h"

namespace {
// A class name is at most 256 characters.
enum { kClassNameSize = 257 };
// The longest ANSI text set through SetItemTextFromAnsi in one conversion, in UTF-16 units.
enum { kAnsiTextUnits = 1024 };
}  // namespace

HWND MakeUnicodeControl(HWND hwndDlg, int nId) {
    HWND hwndOld = GetDlgItem(hwndDlg, nId);
    if (hwndOld == nullptr || IsWindowUnicode(hwndOld)) return hwndOld;
    wchar_t szClass[kClassNameSize];
    if (GetClassNameW(hwndOld, szClass, kClassNameSize) == 0) return hwndOld;
    // The text the template gave it, as the system converts it.
    wchar_t szText[kItemTextSize];
    szText[0] = L'\0';
    GetWindowTextW(hwndOld, szText, kItemTextSize);
    RECT rect;
    GetWindowRect(hwndOld, &rect);
    // A combo box's window is its closed field; it is made with the height of its dropped list too.
    RECT dropped;
    if (lstrcmpiW(szClass, L"ComboBox") == 0 &&
        SendMessageW(hwndOld, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped)) &&
        dropped.bottom > rect.bottom)
        rect.bottom = dropped.bottom;
    MapWindowPoints(nullptr, hwndDlg, reinterpret_cast<POINT*>(&rect), 2);
    HWND hwndNew = CreateWindowExW(static_cast<DWORD>(GetWindowLongA(hwndOld, GWL_EXSTYLE)), szClass, szText,
                                   static_cast<DWORD>(GetWindowLongA(hwndOld, GWL_STYLE)), rect.left, rect.top,
                                   rect.right - rect.left, rect.bottom - rect.top, hwndDlg,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(nId)), hProgramInstance, nullptr);
    if (hwndNew == nullptr) return hwndOld;
    SendMessageW(hwndNew, WM_SETFONT, static_cast<WPARAM>(SendMessageA(hwndOld, WM_GETFONT, 0, 0)), FALSE);
    SetWindowPos(hwndNew, hwndOld, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    DestroyWindow(hwndOld);
    return hwndNew;
}

void SetItemTextFromAnsi(HWND hwndDlg, int nId, const char* szText) {
    wchar_t szWide[kAnsiTextUnits];
    if (MultiByteToWideChar(CP_ACP, 0, szText, -1, szWide, kAnsiTextUnits) > 0 &&
        SetDlgItemTextW(hwndDlg, nId, szWide)) {
        return;
    }
    // Longer than any of the program's texts, or a system without Unicode windows: the system
    // converts it itself.
    SetDlgItemTextA(hwndDlg, nId, szText);
}
