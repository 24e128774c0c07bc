#include "app/word_count_dialog.h"

#include <stdio.h>
#include <windows.h>
#include <shellapi.h>

#include "app/change_key_dialog.h"
#include "app/csv_dialog.h"
#include "app/help_opener.h"
#include "app/settings.h"
#include "resources/about_dialog_ids.h"
#include "resources/csv_dialog_ids.h"
#include "resources/key_dialog_ids.h"
#include "resources/main_dialog_ids.h"
#include "setup/setup_layout.h"
#include "support/maker.h"
#include "support/path_text.h"
#include "tallyq_version.h"
#include "ui/dpi.h"
#include "ui/gif_host.h"
#include "ui/unicode_control.h"

namespace {

const UINT kFirstStatusDelayMs = 500;

// The status line's colours: white text on grey. The text is drawn transparent over the stock grey
// brush that fills the control, so the background colour paints nothing; it stays set, so that the
// line's colours are named together and text drawn opaque would still read white on grey.
const COLORREF kStatusBackground = RGB(170, 170, 170);
const COLORREF kStatusText = RGB(255, 255, 255);

}  // namespace

// Shown until the status line's next step.
const char kNothingCopiedText[] = "Nothing was copied from the program in front: the counts are unchanged.";
const char kInputBlockedText[] = "The program in front runs with higher rights: TallyQuill cannot copy from it.";
const char kClipboardUnreadableText[] = "The clipboard could not be read: the counts are unchanged.";
const char kHotKeyHeldText[] = "Let go of the hot key to copy: nothing was copied.";
const char kHotKeyIgnoredText[] = "The hot key was pressed while TallyQuill was busy: that press was ignored.";

const char* const kStatusTexts[] = {
    "TallyQuill v " TQ_VERSION_TEXT "  -  Copyright (c) 2026 Kestrilon",
    "Press the hot key in any program to select, copy and price its whole text",
    "Close keeps TallyQuill in the tray while the hot key is enabled",
    "Add To CSV logs the priced job with its date, title, counts and total",
    "Click here for updates and other tools at www.kestrilon.example",
    nullptr,  // end of the cycle
};

WordCountDialog::WordCountDialog(bool bLogonStartIn, FileList* pStartFiles, DWORD dwStartTick)
    : bSettingsShown(true),
      nStatusLine(0),
      bStepSaid(false),
      bIgnoredPressDue(false),
      nFilesLeftOut(0),
      pShown(&lastText),
      bReadingFiles(false),
      hSummaryFont(nullptr),
      hBigIcon(nullptr),
      hSmallIcon(nullptr),
      bLogonStart(bLogonStartIn),
      bStartHidden(false),
      bSessionEnding(false),
      nSettingsFailure(ERROR_SUCCESS),
      nRunFailure(ERROR_SUCCESS),
      trayIcon(WMAPP_TRAY_NOTIFY) {
    szJobTitle[0] = L'\0';
    startedFiles.AddStart(pStartFiles, dwStartTick);
}

void WordCountDialog::InitDialog() {
    // Texts in any script: file names, the clipboard's text, the files' names on the status line.
    MakeUnicodeControl(hwndDlg, IDC_SUMMARY);
    MakeUnicodeControl(hwndDlg, IDC_STATUS_LINE);
    PlaceWindow(kDialogWidthDu, kFullHeightDu);
    splashScreen.Show(hwndDlg, IDB_SPLASH);
    int nDpi = WindowDpi(hwndDlg);
    SetWindowIcons(nDpi);
    trayIcon.Add(hwndDlg);
    SetSummaryFont(nDpi);
    LoadSettings();
    // The status line's first step: a line said at the start (an unread clipboard) holds it back.
    SetTimer(hwndDlg, kStatusTimer, kFirstStatusDelayMs, nullptr);
    // Nothing priced yet shows as an empty text. A start with files prices them once the window is
    // made; any other the clipboard.
    ShowPriced(&lastText);
    if (startedFiles.Waiting()) {
        PostMessageA(hwndDlg, WMAPP_READ_FILES, 0, 0);
    } else {
        UpdateText();
    }
    DragAcceptFiles(hwndDlg, TRUE);
    CheckDlgButton(hwndDlg, IDC_HOT_KEY_ON, LoadHotKeyOn() ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(hwndDlg, IDC_HOT_KEY_AUTO_SELECT, LoadHotKeyAutoSelect() ? BST_CHECKED : BST_UNCHECKED);
    bSettingsShown = true;
    HotKeyOpen();
    if (bLogonStart) {
        // A modal dialog is shown when its message queue first runs empty, after the posted Close
        // has hidden it; holding back that one showing keeps a logon start in the tray.
        bStartHidden = true;
        PostMessageA(hwndDlg, WM_COMMAND, MAKEWPARAM(IDM_TRAY_CLOSE, 0), 0);
    }
    // The banner page lies in the program's folder, the current directory since the start.
    char szBannerPath[kPathBufferSize] = "";
    DWORD n = GetCurrentDirectoryA(sizeof(szBannerPath), szBannerPath);
    if (n == 0 || n >= sizeof(szBannerPath)) szBannerPath[0] = '\0';
    LFile::FilePathCat(szBannerPath, kBannerPageFileName);
    LGIFHost::Create(GetDlgItem(hwndDlg, IDC_BANNER), szBannerPath);
}

bool WordCountDialog::CmCancel() {
    if (IsChecked(IDC_HOT_KEY_ON)) {
        HideToTray(true);
        return false;
    }
    return true;
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

void WordCountDialog::DisplayHelpContents() { OpenHelpContents(hwndDlg); }

void WordCountDialog::EnableControls() {
    bool bHotKeyOn = IsChecked(IDC_HOT_KEY_ON);
    EnableControl(IDC_CHANGE_KEY, bHotKeyOn);
    EnableControl(IDC_HOT_KEY_AUTO_SELECT, bHotKeyOn);
    EnableControl(IDC_HOT_KEY_NAME, bHotKeyOn);
}

void WordCountDialog::OnCommand(int nId, int nNotifyCode) {
    switch (nId) {
    case IDC_FIXED_COST:
    case IDC_COST_PER_CHAR:
    case IDC_COST_PER_WORD:
    case IDC_CHARS_PER_LINE:
    case IDC_COST_PER_LINE:
        if (nNotifyCode == EN_CHANGE) UpdateCost();
        break;
    case IDC_UPDATE_TEXT:
        UpdateText();
        break;
    case IDC_ADD_TO_CSV:
        CmAddToCsv();
        break;
    case IDC_CHANGE_KEY: {
        // The old key is released meanwhile, so that it can be chosen again.
        HotKeyClose();
        ChangeKeyDialog changeKey;
        changeKey.Open(hwndDlg, IDD_CHANGE_KEY);
        HotKeyOpen();
        break;
    }
    case IDC_HOT_KEY_ON:
        HotKeyOpen();
        break;
    case IDC_ABOUT:
        CmHelpAbout();
        break;
    case IDC_SETTINGS_TOGGLE:
        ToggleSettings();
        break;
    case IDC_STATUS_LINE:
        if (nNotifyCode == STN_CLICKED) ShellExecuteA(hwndDlg, nullptr, kMakerWebPage, nullptr, nullptr, SW_SHOWNORMAL);
        break;
    case IDM_TRAY_OPEN:
        CmOpen();
        break;
    case IDM_TRAY_CLOSE:
        CmClose();
        break;
    case IDM_TRAY_EXIT:
        CmExit();
        break;
    default:
        break;
    }
}

void WordCountDialog::CmAddToCsv() {
    // The job as shown: the counts on show and the total as rounded for display.
    int nChars = static_cast<int>(GetDlgItemInt(hwndDlg, IDC_CHAR_COUNT, nullptr, TRUE));
    int nWords = static_cast<int>(GetDlgItemInt(hwndDlg, IDC_WORD_COUNT, nullptr, TRUE));
    int nLines = static_cast<int>(GetDlgItemInt(hwndDlg, IDC_LINE_COUNT, nullptr, TRUE));
    CsvDialog csvDialog(nChars, nWords, nLines, GetTextMoney(IDC_TOTAL_COST), szJobTitle);
    csvDialog.RunModal(MAKEINTRESOURCEA(IDD_ADD_TO_CSV), hwndDlg);
}

void WordCountDialog::CmHelpAbout() {
    LDialog about;
    about.RunModal(IDD_ABOUT, hwndDlg);
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

void WordCountDialog::CmExit() {
    // Clean up first and let go of the window, so that its destruction does not do it again.
    DestroyDialog();
    HWND hwnd = hwndDlg;
    hwndDlg = nullptr;
    EndDialog(hwnd, IDCANCEL);
}

void WordCountDialog::DestroyDialog() {
    HotKeyClose();
    trayIcon.Delete();
    SaveSettings();
    DeleteSummaryFont();
}

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

void WordCountDialog::HotKeyHit() {
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

void WordCountDialog::TellIgnoredPress() {
    if (bStepSaid) {
        bIgnoredPressDue = true;
        return;
    }
    SayForAStep(nullptr);
    SetItemTextFromAnsi(hwndDlg, IDC_STATUS_LINE, kHotKeyIgnoredText);
}

void WordCountDialog::ComeForward() {
    ShowWindow(hwndDlg, SW_RESTORE);
    ShowWindow(hwndDlg, SW_SHOW);
    SetForegroundWindow(hwndDlg);
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

void WordCountDialog::StatusLineStep(UINT_PTR nTimerId) {
    KillTimer(hwndDlg, nTimerId);
    if (nTimerId != kStatusTimer) return;
    bStepSaid = false;
    if (bIgnoredPressDue) {
        bIgnoredPressDue = false;
        TellIgnoredPress();
        return;
    }
    if (kStatusTexts[nStatusLine] == nullptr) nStatusLine = 0;
    char szWarning[kItemTextSize];
    const char* szText = hotKey.GetWarning(szWarning, sizeof(szWarning));
    SetItemTextFromAnsi(hwndDlg, IDC_STATUS_LINE, szText != nullptr ? szText : kStatusTexts[nStatusLine]);
    ++nStatusLine;
    // Some window systems stack the dialog, activated after its splash was shown, above the splash
    // it owns; by the first step the start is over, and the splash is put back on top.
    splashScreen.Raise();
    SetTimer(hwndDlg, kStatusTimer, kStatusPeriodMs, nullptr);
}

INT_PTR WordCountDialog::DialogProc(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (uMsg == WM_ENDSESSION && wParam != 0) bSessionEnding = true;
    if (trayIcon.IsTrayRemade(uMsg)) {
        // The shell started again (after a crash, say) with an empty tray: the icon goes back.
        trayIcon.Add(hwndDlg);
        return TRUE;
    }
    switch (uMsg) {
    case WM_TIMER:
        StatusLineStep(wParam);
        return TRUE;
    case WM_CTLCOLORSTATIC:
        if (reinterpret_cast<HWND>(lParam) == GetDlgItem(hwndDlg, IDC_STATUS_LINE)) {
            HDC hdc = reinterpret_cast<HDC>(wParam);
            SetBkMode(hdc, TRANSPARENT);
            SetBkColor(hdc, kStatusBackground);
            SetTextColor(hdc, kStatusText);
            return reinterpret_cast<INT_PTR>(GetStockObject(GRAY_BRUSH));
        }
        return 0;
    case WM_WINDOWPOSCHANGING: {
        WINDOWPOS* pPosition = reinterpret_cast<WINDOWPOS*>(lParam);
        if (bStartHidden && (pPosition->flags & SWP_SHOWWINDOW) != 0) {
            pPosition->flags &= ~SWP_SHOWWINDOW;
            bStartHidden = false;
        }
        return FALSE;
    }
    case WM_DPICHANGED: {
        // Moved to a monitor of another DPI (with the DPI per monitor, Windows 10 from 1703): the
        // window takes the rectangle the system suggests, and its dialog manager scales the
        // controls and sends every control the dialog's font for the new DPI once this answers
        // that it left the rest to it. The icons are made again now, the summary's own font once
        // that is done.
        const RECT* pSuggested = reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(hwndDlg, nullptr, pSuggested->left, pSuggested->top, pSuggested->right - pSuggested->left,
                     pSuggested->bottom - pSuggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        SetWindowIcons(HIWORD(wParam));
        PostMessageA(hwndDlg, WMAPP_DPI_SETTLED, HIWORD(wParam), 0);
        return FALSE;
    }
    case WMAPP_DPI_SETTLED:
        SetSummaryFont(static_cast<int>(wParam));
        return TRUE;
    case WM_HOTKEY:
        HotKeyHit();
        return TRUE;
    case WMAPP_HOT_KEY_IGNORED:
        TellIgnoredPress();
        return TRUE;
    case WMAPP_TRAY_NOTIFY:
        OnTrayNotify(lParam);
        return TRUE;
    case WM_DROPFILES:
        TakeDroppedFiles(reinterpret_cast<HDROP>(wParam));
        return TRUE;
    case WM_COPYDATA:
        SetWindowLongPtrA(hwndDlg, DWLP_MSGRESULT,
                          TakeHandedFiles(reinterpret_cast<const COPYDATASTRUCT*>(lParam)) ? TRUE : FALSE);
        return TRUE;
    case WMAPP_READ_FILES:
        ReadStartedFiles();
        return TRUE;
    case WMAPP_COME_FORWARD:
        // A second start of the program: the user asked for the window, hidden in the tray or not.
        ComeForward();
        return TRUE;
    default:
        return LDialog::DialogProc(uMsg, wParam, lParam);
    }
}
