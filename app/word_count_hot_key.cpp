// The main dialog's hot key and tray: the key taken and let go as its check box says, a press
// copying the text of the program in front, the tray icon's clicks, and the window hidden to the
// tray and brought back.
#include "app/word_count_dialog.h"

#include <stdio.h>
#include <windows.h>

#include "app/settings.h"
#include "resources/main_dialog_ids.h"
#include "ui/unicode_control.h"

void WordCountDialog::HotKeyOpen() {
    if (IsChecked(IDC_HOT_KEY_ON)) {
        hotKey.Open(hwndDlg);
    } else {
        hotKey.Close();
    }
    // A key that another program holds is labelled taken, and the status line says what to do at
    // its next step (the first comes half a second after the start).
    char szLabel[kItemTextSize];
    hotKey.GetLabel(szLabel, sizeof(szLabel));
    SetDlgItemTextA(hwndDlg, IDC_HOT_KEY_NAME, szLabel);
}

void WordCountDialog::HotKeyClose() { hotKey.Close(); }

void WordCountDialog::OnHotKey() {
    CopyResult result = IsChecked(IDC_HOT_KEY_AUTO_SELECT) ? SelectAndCopyInForeground(hwndDlg) : kNoKeysSent;
    ShowWindow(hwndDlg, SW_RESTORE);
    SetForegroundWindow(hwndDlg);
    // The program in front ignored the keys (busy past the wait, or with nothing to select), the
    // system kept them from it, or the user held the hot key too long for them to be sent: what is
    // on the clipboard is not its document, and pricing it would be a wrong price.
    const char* szFailure = result == kNothingCopied  ? kNothingCopiedText
                            : result == kInputBlocked ? kInputBlockedText
                            : result == kHotKeyHeld   ? kHotKeyHeldText
                                                      : nullptr;
    if (szFailure != nullptr) {
        SayForAStep(nullptr);
        SetItemTextFromAnsi(hwndDlg, IDC_STATUS_LINE, szFailure);
        return;
    }
    UpdateText();
}

void WordCountDialog::OnTrayNotify(LPARAM lParam) {
    switch (lParam) {
    case WM_LBUTTONUP:
        CmOpen();
        break;
    case WM_RBUTTONDOWN:
    case WM_CONTEXTMENU:
        trayIcon.ShowMenu();
        break;
    default:
        break;
    }
}

void WordCountDialog::OnTrayRemade() { trayIcon.Add(hwndDlg); }

void WordCountDialog::OnComeForward() {
    ShowWindow(hwndDlg, SW_RESTORE);
    ShowWindow(hwndDlg, SW_SHOW);
    SetForegroundWindow(hwndDlg);
}

void WordCountDialog::OnWindowPosChanging(WINDOWPOS* pPosition) {
    // A logon start holds back the modal loop's own first showing of the window.
    if (bStartHidden && (pPosition->flags & SWP_SHOWWINDOW) != 0) {
        pPosition->flags &= ~SWP_SHOWWINDOW;
        bStartHidden = false;
    }
}

void WordCountDialog::HideToTray(bool bTell) {
    // The shell may be back.
    if (trayIcon.IsShown() || trayIcon.Add(hwndDlg)) {
        ShowWindow(hwndDlg, SW_HIDE);
        return;
    }
    if (!hotKey.IsRegistered()) {
        // Neither icon nor hot key: a hidden window could not be brought back.
        ShowWindow(hwndDlg, SW_MINIMIZE);
        return;
    }
    if (bTell) {
        char szLabel[kItemTextSize], szText[kItemTextSize + 200];
        BuildHotKeyLabel(LoadHotKeyModifier(), LoadHotKey(), szLabel, sizeof(szLabel));
        snprintf(szText, sizeof(szText),
                 "The notification area is not available, so TallyQuill has no tray icon.\n\n"
                 "TallyQuill goes on running hidden: press %s to bring it back.",
                 szLabel);
        // Not titled "TallyQuill": that title finds the main dialog of a running copy.
        MessageBoxA(hwndDlg, szText, "TallyQuill Hidden", MB_OK | MB_ICONINFORMATION);
    }
    ShowWindow(hwndDlg, SW_HIDE);
}

void WordCountDialog::CmOpen() {
    bStartHidden = false;
    ShowWindow(hwndDlg, SW_RESTORE);
    SetForegroundWindow(hwndDlg);
}

void WordCountDialog::CmClose() {
    splashScreen.Close();
    HideToTray(false);
}
