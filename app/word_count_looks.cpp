// The main dialog's looks: where the window is placed, its icons and the summary's font at the DPI of its monitor (and when it moves to another), and the Settings panel folded or shown.
#include "app/word_count_dialog.h"

#include <stddef.h>
#include <windows.h>

#include "resources/main_dialog_ids.h"
#include "ui/dpi.h"
#include "ui/whole_lines.h"

namespace {
const int kWindowX = 120;
const int kWindowY = 30;
// The summary's height in whole lines of its font.
const int kSummaryLines = 3;
}  // namespace

void WordCountDialog::PlaceWindow(int nClientWidthDu, int nClientHeightDu) {
    RECT target = {0, 0, nClientWidthDu, nClientHeightDu};
    MapDialogRect(hwndDlg, &target);
    RECT window, client, desktop;
    GetWindowRect(hwndDlg, &window);
    GetClientRect(hwndDlg, &client);
    GetWindowRect(GetDesktopWindow(), &desktop);
    int nWidth = (window.right - window.left) + (target.right - client.right);
    int nHeight = (window.bottom - window.top) + (target.bottom - client.bottom);
    int x = kWindowX, y = kWindowY;
    if (x + nWidth > desktop.right) x = desktop.right - nWidth;
    if (y + nHeight > desktop.bottom) y = desktop.bottom - nHeight;
    if (x < 0) x = 0;
    if (y < 0) y = 0;
    MoveWindow(hwndDlg, x, y, nWidth, nHeight, TRUE);
}

void WordCountDialog::SetWindowIcons(int nDpi) {
    // The sizes the system shows a window's icons at on this DPI: 32 and 16 pixels at 96 DPI.
    HICON hBig = static_cast<HICON>(LoadImageA(hProgramInstance, MAKEINTRESOURCEA(IDI_PROGRAM), IMAGE_ICON,
                                               SystemMetricForDpi(SM_CXICON, nDpi),
                                               SystemMetricForDpi(SM_CYICON, nDpi), 0));
    HICON hSmall = static_cast<HICON>(LoadImageA(hProgramInstance, MAKEINTRESOURCEA(IDI_PROGRAM), IMAGE_ICON,
                                                 SystemMetricForDpi(SM_CXSMICON, nDpi),
                                                 SystemMetricForDpi(SM_CYSMICON, nDpi), 0));
    SendMessageA(hwndDlg, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(hBig));
    SendMessageA(hwndDlg, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(hSmall));
    // The window no longer shows the icons of the DPI before.
    if (hBigIcon != nullptr) DestroyIcon(hBigIcon);
    if (hSmallIcon != nullptr) DestroyIcon(hSmallIcon);
    hBigIcon = hBig;
    hSmallIcon = hSmall;
}

void WordCountDialog::SetSummaryFont(int nDpi) {
    // "MS Sans Serif" has Western letters only. The system's message font is one that the system
    // links to other scripts' fonts, so Cyrillic, Greek or Japanese text shows as itself. The
    // record is asked for without the padded border's width that later versions added at its end,
    // which earlier ones refuse.
    NONCLIENTMETRICSA metrics;
    metrics.cbSize = offsetof(NONCLIENTMETRICSA, lfMessageFont) + sizeof(metrics.lfMessageFont);
    if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0)) return;
    // The system tells the font for its own DPI; on a monitor of another DPI it is scaled to it.
    metrics.lfMessageFont.lfHeight = MulDiv(metrics.lfMessageFont.lfHeight, nDpi, SystemDpi());
    HFONT hNewFont = CreateFontIndirectA(&metrics.lfMessageFont);
    if (hNewFont == nullptr) return;
    SendDlgItemMessageA(hwndDlg, IDC_SUMMARY, WM_SETFONT, reinterpret_cast<WPARAM>(hNewFont), TRUE);
    if (hSummaryFont != nullptr) DeleteObject(hSummaryFont);
    hSummaryFont = hNewFont;
    FitToWholeLines(GetDlgItem(hwndDlg, IDC_SUMMARY), kSummaryLines);
}

void WordCountDialog::DeleteSummaryFont() {
    if (hSummaryFont == nullptr) return;
    // The control takes the dialog's font back first: it never paints with a deleted one.
    SendDlgItemMessageA(hwndDlg, IDC_SUMMARY, WM_SETFONT, static_cast<WPARAM>(SendMessageA(hwndDlg, WM_GETFONT, 0, 0)),
                        FALSE);
    DeleteObject(hSummaryFont);
    hSummaryFont = nullptr;
}

void WordCountDialog::ToggleSettings() {
    bSettingsShown = !bSettingsShown;
    int nHeightDu = bSettingsShown ? kFullHeightDu : kFoldedHeightDu;
    SetDlgItemTextA(hwndDlg, IDC_SETTINGS_TOGGLE, bSettingsShown ? "<< Hide Settings" : "Show Settings >>");
    PlaceWindow(kDialogWidthDu, nHeightDu);
    MoveControl(IDC_STATUS_LINE, 0, nHeightDu - kStatusLineHeightDu + kStatusLinePastBottomDu, kDialogWidthDu,
                kStatusLineHeightDu);
    HideControl(IDC_SETTINGS_GROUP, !bSettingsShown);
}

void WordCountDialog::OnDpiChanged(int nDpi, const RECT* pSuggested) {
    // Moved to a monitor of another DPI (with the DPI per monitor, Windows 10 from 1703): the
    // window takes the rectangle the system suggests, and its dialog manager scales the controls
    // and sends every control the dialog's font for the new DPI once the message returns that it
    // left the rest to it. The icons are made again now, the summary's own font once that is done.
    SetWindowPos(hwndDlg, nullptr, pSuggested->left, pSuggested->top, pSuggested->right - pSuggested->left,
                 pSuggested->bottom - pSuggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowIcons(nDpi);
    PostMessageA(hwndDlg, WMAPP_DPI_SETTLED, static_cast<WPARAM>(nDpi), 0);
}

void WordCountDialog::OnDpiSettled(int nDpi) { SetSummaryFont(nDpi); }
