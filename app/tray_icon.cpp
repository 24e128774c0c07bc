#include "app/tray_icon.h"

#include <shellapi.h>
#include <string.h>

#include "resources/main_dialog_ids.h"
#include "ui/dialog.h"

namespace {
// The first form of the record: the fields every version of the shell knows.
void FillTrayRecord(NOTIFYICONDATAA* pRecord, HWND hwnd) {
    memset(pRecord, 0, sizeof(*pRecord));
    pRecord->cbSize = NOTIFYICONDATAA_V1_SIZE;
    pRecord->hWnd = hwnd;
    pRecord->uID = TRAY_ICON_ID;
}
}  // namespace

TrayIcon::TrayIcon(UINT nCallbackMessage)
    : hwndOwner(nullptr), nCallbackMessage(nCallbackMessage),
      nTaskbarCreatedMessage(RegisterWindowMessageA("TaskbarCreated")), bShown(false) {}

bool TrayIcon::Add(HWND hwndNewOwner) {
    hwndOwner = hwndNewOwner;
    NOTIFYICONDATAA record;
    FillTrayRecord(&record, hwndOwner);
    record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    record.uCallbackMessage = nCallbackMessage;
    // The size the shell shows its icons at: 16 pixels at 96 DPI, more above it.
    record.hIcon = static_cast<HICON>(LoadImageA(hProgramInstance, MAKEINTRESOURCEA(IDI_PROGRAM), IMAGE_ICON,
                                                 GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                                 LR_DEFAULTCOLOR));
    if (record.hIcon == nullptr) return bShown;
    strcpy(record.szTip, "TallyQuill");
    bShown = Shell_NotifyIconA(NIM_ADD, &record) || Shell_NotifyIconA(NIM_MODIFY, &record);
    DestroyIcon(record.hIcon);
    return bShown;
}

void TrayIcon::Delete() {
    if (hwndOwner == nullptr) return;
    NOTIFYICONDATAA record;
    FillTrayRecord(&record, hwndOwner);
    Shell_NotifyIconA(NIM_DELETE, &record);
    bShown = false;
}

void TrayIcon::ShowMenu() const {
    // Our window must be in front, or the menu stays open when the user clicks elsewhere.
    SetForegroundWindow(hwndOwner);
    POINT cursor;
    GetCursorPos(&cursor);
    HMENU hMenu = LoadMenuA(hProgramInstance, MAKEINTRESOURCEA(IDR_TRAY_MENU));
    if (hMenu == nullptr) return;
    HMENU hPopup = GetSubMenu(hMenu, 0);
    SetMenuDefaultItem(hPopup, IDM_TRAY_OPEN, FALSE);
    TrackPopupMenu(hPopup, TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, hwndOwner, nullptr);
    DestroyMenu(hMenu);
}
