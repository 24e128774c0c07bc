// The tray icon of the main dialog and its menu: Open, Close, Exit.
#include <windows.h>
#include <shellapi.h>
#include <string.h>

#include "app/word_count_dialog.h"
#include "resources/main_dialog_ids.h"

namespace {
// The first form of the record: the fields every version of the shell knows.
void FillTrayRecord(NOTIFYICONDATAA* pRecord, HWND hwnd) {
    memset(pRecord, 0, sizeof(*pRecord));
    pRecord->cbSize = NOTIFYICONDATAA_V1_SIZE;
    pRecord->hWnd = hwnd;
    pRecord->uID = TRAY_ICON_ID;
}
}  // namespace

void WordCountDialog::TrayIconAdd() {
    NOTIFYICONDATAA record;
    FillTrayRecord(&record, hwndDlg);
    record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    record.uCallbackMessage = WMAPP_TRAY_NOTIFY;
    record.hIcon = static_cast<HICON>(
        LoadImageA(hProgramInstance, MAKEINTRESOURCEA(IDI_PROGRAM), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
    if (record.hIcon == nullptr) return;
    strcpy(record.szTip, "TallyQuill");
    // An icon already there (the shell kept it) is taken as shown.
    bTrayIconShown = Shell_NotifyIconA(NIM_ADD, &record) || Shell_NotifyIconA(NIM_MODIFY, &record);
    DestroyIcon(record.hIcon);
}

void WordCountDialog::TrayIconDelete() {
    NOTIFYICONDATAA record;
    FillTrayRecord(&record, hwndDlg);
    Shell_NotifyIconA(NIM_DELETE, &record);
    bTrayIconShown = false;
}

void WordCountDialog::OnTrayNotify(LPARAM lParam) {
    switch (lParam) {
    case WM_LBUTTONUP:
        CmOpen();
        break;
    case WM_RBUTTONDOWN:
    case WM_CONTEXTMENU:
        ShowTrayMenu();
        break;
    default:
        break;
    }
}

void WordCountDialog::ShowTrayMenu() {
    // Our window must be in front, or the menu stays open when the user clicks elsewhere.
    SetForegroundWindow(hwndDlg);
    POINT cursor;
    GetCursorPos(&cursor);
    HMENU hMenu = LoadMenuA(hProgramInstance, MAKEINTRESOURCEA(IDR_TRAY_MENU));
    if (hMenu == nullptr) return;
    HMENU hPopup = GetSubMenu(hMenu, 0);
    SetMenuDefaultItem(hPopup, IDM_TRAY_OPEN, FALSE);
    TrackPopupMenu(hPopup, TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, hwndDlg, nullptr);
    DestroyMenu(hMenu);
}
