#include "ui/whole_lines.h"

#include <algorithm>

namespace {

// A group box's etched frame is two one-pixel lines at the bottom of its rectangle, at any DPI.
const int kGroupFrameHeight = 2;

// A static control draws its text with DrawText and no DT_EXTERNALLEADING: its lines advance by
// the font's tmHeight.
int LineHeight(HWND hwndControl) {
    HDC hdc = GetDC(hwndControl);
    if (hdc == nullptr) return 0;
    HGDIOBJ hFont = reinterpret_cast<HGDIOBJ>(SendMessageA(hwndControl, WM_GETFONT, 0, 0));
    HGDIOBJ hOldFont = hFont != nullptr ? SelectObject(hdc, hFont) : nullptr;
    TEXTMETRICA metrics;
    int nHeight = GetTextMetricsA(hdc, &metrics) ? metrics.tmHeight : 0;
    if (hOldFont != nullptr) SelectObject(hdc, hOldFont);
    ReleaseDC(hwndControl, hdc);
    return nHeight;
}

bool IsGroupBox(HWND hwnd) {
    char szClass[16] = "";
    GetClassNameA(hwnd, szClass, sizeof(szClass));
    return lstrcmpiA(szClass, "Button") == 0 && (GetWindowLongA(hwnd, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
}

RECT RectInParent(HWND hwnd, HWND hwndParent) {
    RECT rect;
    GetWindowRect(hwnd, &rect);
    MapWindowPoints(HWND_DESKTOP, hwndParent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// The lowest the control's bottom may go in its parent: the top of the nearest sibling below it,
// the frame of a group box around it, the parent's client area.
int RoomBottom(HWND hwndControl, const RECT& control) {
    HWND hwndParent = GetParent(hwndControl);
    RECT client;
    GetClientRect(hwndParent, &client);
    int nBottom = client.bottom;
    for (HWND hwnd = GetWindow(hwndControl, GW_HWNDFIRST); hwnd != nullptr; hwnd = GetWindow(hwnd, GW_HWNDNEXT)) {
        if (hwnd == hwndControl) continue;
        RECT other = RectInParent(hwnd, hwndParent);
        if (other.right <= control.left || other.left >= control.right) continue;
        if (other.top > control.top) {
            nBottom = std::min(nBottom, static_cast<int>(other.top));
        } else if (other.bottom > control.top && IsGroupBox(hwnd)) {
            nBottom = std::min(nBottom, static_cast<int>(other.bottom) - kGroupFrameHeight);
        }
    }
    return nBottom;
}

}  // namespace

void FitToWholeLines(HWND hwndControl, int nLines) {
    int nLineHeight = LineHeight(hwndControl);
    if (nLineHeight <= 0) return;
    RECT control = RectInParent(hwndControl, GetParent(hwndControl));
    RECT client;
    GetClientRect(hwndControl, &client);
    // A border, where the control has one, lies around the lines.
    int nBorder = (control.bottom - control.top) - client.bottom;
    int nRoomLines = (RoomBottom(hwndControl, control) - control.top - nBorder) / nLineHeight;
    int nShown = std::max(1, std::min(nLines, nRoomLines));
    SetWindowPos(hwndControl, nullptr, 0, 0, control.right - control.left, nShown * nLineHeight + nBorder,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}
