#include "app/word_count_dialog.h"

#include <stddef.h>
#include <stdio.h>
#include <string.h>
#include <windows.h>
#include <shellapi.h>

#include "app/change_key_dialog.h"
#include "app/csv_dialog.h"
#include "app/file_handover.h"
#include "app/file_reading.h"
#include "app/help_opener.h"
#include "app/settings.h"
#include "measure/money.h"
#include "measure/text_measure.h"
#include "resources/about_dialog_ids.h"
#include "resources/csv_dialog_ids.h"
#include "resources/key_dialog_ids.h"
#include "resources/main_dialog_ids.h"
#include "support/maker.h"
#include "support/path_text.h"
#include "support/run_at_logon.h"
#include "tallyq_version.h"
#include "ui/dpi.h"
#include "ui/gif_host.h"
#include "ui/whole_lines.h"

namespace {

const int kDialogWidthDu = 440;
const int kFullHeightDu = 344;
const int kFoldedHeightDu = 290;
const int kWindowX = 120;
const int kWindowY = 30;
// The summary's height in whole lines of its font.
const int kSummaryLines = 3;

const UINT_PTR kStatusTimer = 1;
const UINT kFirstStatusDelayMs = 500;
const UINT kStatusPeriodMs = 8000;

// Starts with files that come within this long of one another price one set (Explorer starts the
// program once for each file chosen).
const DWORD kOneSetMs = 2000;

// The status line's colours: white text on grey. The text is drawn transparent over the stock grey
// brush that fills the control, so the background colour paints nothing; it stays set, so that the
// line's colours are named together and text drawn opaque would still read white on grey.
const COLORREF kStatusBackground = RGB(170, 170, 170);
const COLORREF kStatusText = RGB(255, 255, 255);

enum { kReasonSize = 200 };

// The system's text for an error code, without the line break it ends with.
void SystemReason(long nError, char* szReason, size_t cbReason) {
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             static_cast<DWORD>(nError), 0, szReason, static_cast<DWORD>(cbReason), nullptr);
    if (n == 0) n = static_cast<DWORD>(snprintf(szReason, cbReason, "error %ld", nError));
    while (n > 0 && (szReason[n - 1] == '\r' || szReason[n - 1] == '\n' || szReason[n - 1] == ' ')) szReason[--n] = '\0';
}

}  // namespace

// Shown until the status line's next step.
const char kNothingCopiedText[] = "Nothing was copied from the program in front: the counts are unchanged.";
const char kInputBlockedText[] = "The program in front runs with higher rights: TallyQuill cannot copy from it.";
const char kClipboardUnreadableText[] = "The clipboard could not be read: the counts are unchanged.";

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

void WordCountDialog::InitDialog() {
    PlaceWindow(kDialogWidthDu, kFullHeightDu);
    splashScreen.Show(hwndDlg, IDB_SPLASH);
    int nDpi = WindowDpi(hwndDlg);
    SetWindowIcons(nDpi);
    trayIcon.Add(hwndDlg);
    SetSummaryFont(nDpi);
    LoadSettings();
    // A start with files prices them once the window is made; any other the clipboard.
    if (startedFiles.Waiting()) {
        ShowPriced(&lastText);
        PostMessageA(hwndDlg, WMAPP_READ_FILES, 0, 0);
    } else {
        UpdateText();
    }
    DragAcceptFiles(hwndDlg, TRUE);
    CheckDlgButton(hwndDlg, IDC_HOT_KEY_ON, LoadHotKeyOn() ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(hwndDlg, IDC_HOT_KEY_AUTO_SELECT, LoadHotKeyAutoSelect() ? BST_CHECKED : BST_UNCHECKED);
    bSettingsShown = true;
    HotKeyOpen();
    SetTimer(hwndDlg, kStatusTimer, kFirstStatusDelayMs, nullptr);
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
    LFile::FilePathCat(szBannerPath, "banner.htm");
    LGIFHost::Create(GetDlgItem(hwndDlg, IDC_BANNER), szBannerPath);
}

void WordCountDialog::LoadSettings() {
    for (const PriceSetting& setting : kPriceSettings) {
        char szText[kItemTextSize];
        LoadPriceSetting(setting, szText, sizeof(szText));
        SetDlgItemTextA(hwndDlg, setting.nControlId, szText);
    }
}

void WordCountDialog::SaveSettings() {
    // The first failure of each kind is kept, to be said when the run ends.
    auto Keep = [](long nResult, long* pnFailure) {
        if (nResult != ERROR_SUCCESS && *pnFailure == ERROR_SUCCESS) *pnFailure = nResult;
    };
    for (const PriceSetting& setting : kPriceSettings) {
        char szText[kItemTextSize];
        GetItemText(setting.nControlId, szText, sizeof(szText));
        Keep(SavePriceSetting(setting, szText), &nSettingsFailure);
    }
    bool bHotKeyOn = IsChecked(IDC_HOT_KEY_ON);
    Keep(SaveHotKeyOn(bHotKeyOn), &nSettingsFailure);
    Keep(SaveHotKeyAutoSelect(IsChecked(IDC_HOT_KEY_AUTO_SELECT)), &nSettingsFailure);
    if (bHotKeyOn) {
        char szProgramPath[kPathBufferSize];
        DWORD n = GetModuleFileNameA(nullptr, szProgramPath, sizeof(szProgramPath));
        if (n > 0 && n < sizeof(szProgramPath)) SetRunAtLogon(szProgramPath);
    } else {
        Keep(ClearRunAtLogon(), &nRunFailure);
    }
}

void WordCountDialog::ReportUnsavedSettings() const {
    // A box at a session's end would hold up the logoff: there the failures stay unsaid.
    if (bSessionEnding || (nSettingsFailure == ERROR_SUCCESS && nRunFailure == ERROR_SUCCESS)) return;
    // Two sentences of their own, each with a reason.
    char szText[2 * kReasonSize + 200] = "";
    char szReason[kReasonSize];
    if (nRunFailure != ERROR_SUCCESS) {
        SystemReason(nRunFailure, szReason, sizeof(szReason));
        snprintf(szText, sizeof(szText), "TallyQuill could not stop starting at logon for every user: %s", szReason);
    }
    if (nSettingsFailure != ERROR_SUCCESS) {
        SystemReason(nSettingsFailure, szReason, sizeof(szReason));
        size_t nUsed = strlen(szText);
        snprintf(szText + nUsed, sizeof(szText) - nUsed, "%sThe settings could not be saved: %s",
                 nUsed != 0 ? "\r\n\r\n" : "", szReason);
    }
    MessageBoxA(nullptr, szText, "TallyQuill", MB_OK | MB_ICONWARNING);
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

int WordCountDialog::CharsPerLine() {
    BOOL bRead = FALSE;
    int nCharsPerLine = static_cast<int>(GetDlgItemInt(hwndDlg, IDC_CHARS_PER_LINE, &bRead, TRUE));
    return bRead ? nCharsPerLine : 0;
}

void WordCountDialog::ShowSummary(const char16_t* szSummary) {
    const WCHAR* szWide = reinterpret_cast<const WCHAR*>(szSummary);
    if (SetDlgItemTextW(hwndDlg, IDC_SUMMARY, szWide)) return;
    // Windows 9x has no Unicode windows: there the call fails, and the summary is shown in the
    // ANSI code page (at most three bytes a unit).
    char szAnsi[3 * kSummaryBufferSize];
    if (WideCharToMultiByte(CP_ACP, 0, szWide, -1, szAnsi, sizeof(szAnsi), nullptr, nullptr) == 0) szAnsi[0] = '\0';
    SetDlgItemTextA(hwndDlg, IDC_SUMMARY, szAnsi);
}

void WordCountDialog::UpdateText() {
    if (lastText.ReadClipboard(CharsPerLine()) == ClipboardRead::kUnreadable) {
        // What is shown stays: an empty text priced in its place would be a wrong price.
        SayForAStep(nullptr);
        SetDlgItemTextA(hwndDlg, IDC_STATUS_LINE, kClipboardUnreadableText);
        return;
    }
    szJobTitle[0] = L'\0';
    startedFiles.EndSet();
    ShowPriced(&lastText);
}

void WordCountDialog::ShowPriced(const PricedText* pPriced) {
    pShown = pPriced;
    char16_t szSummary[kSummaryBufferSize];
    pShown->GetSummary(szSummary);
    ShowSummary(szSummary);
    TextCounts counts = pShown->Counts();
    SetDlgItemInt(hwndDlg, IDC_CHAR_COUNT, static_cast<UINT>(SaturateToInt(counts.nChars)), TRUE);
    SetDlgItemInt(hwndDlg, IDC_WORD_COUNT, static_cast<UINT>(SaturateToInt(counts.nWords)), TRUE);
    UpdateCost();
}

void WordCountDialog::SayForAStep(const wchar_t* szText) {
    if (szText != nullptr) SetDlgItemTextW(hwndDlg, IDC_STATUS_LINE, szText);
    // A step that fell due meanwhile would otherwise replace it at once.
    SetTimer(hwndDlg, kStatusTimer, kStatusPeriodMs, nullptr);
}

void WordCountDialog::TakeDroppedFiles(HDROP hDrop) {
    UINT nDropped = DragQueryFileW(hDrop, 0xFFFFFFFF, nullptr, 0);
    FileList dropped;
    for (UINT i = 0; i < nDropped; ++i) {
        wchar_t szPath[MAX_PATH * 4];
        UINT n = DragQueryFileW(hDrop, i, szPath, sizeof(szPath) / sizeof(szPath[0]));
        if (n > 0 && n < sizeof(szPath) / sizeof(szPath[0]) && !dropped.Add(szPath)) break;
    }
    DragFinish(hDrop);
    // A drop while files are read waits for nothing: it is let go, as any other input then.
    if (bReadingFiles) return;
    // A drop makes a set of its own, which no start joins.
    if (ReadFiles(dropped, false)) startedFiles.EndSet();
}

bool WordCountDialog::TakeHandedFiles(const COPYDATASTRUCT* pData) {
    HandedFiles handed;
    if (!ReadHandOver(pData, &handed)) return false;
    // Copied now, and read once the start has its answer.
    startedFiles.AddStart(handed.pNames, handed.nUnits, handed.dwStartTick);
    PostMessageA(hwndDlg, WMAPP_READ_FILES, 0, 0);
    return true;
}

void WordCountDialog::ReadStartedFiles() {
    // One reading at a time: names handed over meanwhile wait for the message posted with them.
    if (bReadingFiles || !startedFiles.Waiting()) return;
    FileList names;
    bool bAddToSet = false;
    startedFiles.TakeWaiting(&names, &bAddToSet);
    startedFiles.SetShown(ReadFiles(names, bAddToSet));
}

bool WordCountDialog::ReadFiles(const FileList& names, bool bAddToSet) {
    FileList toRead;
    for (const wchar_t* sz = names.First(); sz != nullptr && toRead.AddExpanded(sz); sz = names.Next(sz)) {
    }
    bReadingFiles = true;
    KillTimer(hwndDlg, kStatusTimer);
    PricedFiles read;
    FileReading reading(hwndDlg, IDC_STATUS_LINE);
    bool bDone = reading.ReadAll(toRead, CharsPerLine(), &read);
    bReadingFiles = false;
    if (!bDone) {
        SayForAStep(FileReading::kStoppedText);
        return false;
    }
    // A set of which every file was left out changes nothing shown.
    bool bShown = read.Count() > 0;
    if (bShown) {
        if (!bAddToSet) files.Clear();
        files.TakeAll(&read);
        files.GetJobTitle(szJobTitle, kItemTextSize);
        ShowPriced(&files);
    }
    if (reading.Outcome()[0] != L'\0') {
        SayForAStep(reading.Outcome());
    } else {
        // The cycle goes on at once, over the last "Reading" line.
        SetTimer(hwndDlg, kStatusTimer, 0, nullptr);
    }
    return bShown;
}

void WordCountDialog::UpdateCost() {
    // Only the lines depend on the characters per line: they alone are counted again, from the
    // measuring bytes kept with the text.
    int nLines = pShown->CountLines(CharsPerLine());
    SetDlgItemInt(hwndDlg, IDC_LINE_COUNT, static_cast<UINT>(nLines), TRUE);

    // Prices are computed from the counts on show.
    int nChars = static_cast<int>(GetDlgItemInt(hwndDlg, IDC_CHAR_COUNT, nullptr, TRUE));
    int nWords = static_cast<int>(GetDlgItemInt(hwndDlg, IDC_WORD_COUNT, nullptr, TRUE));
    int nLineCount = static_cast<int>(GetDlgItemInt(hwndDlg, IDC_LINE_COUNT, nullptr, TRUE));
    JobPrices prices;
    prices.dPerChar = GetTextMoney(IDC_COST_PER_CHAR);
    prices.dPerWord = GetTextMoney(IDC_COST_PER_WORD);
    prices.dPerLine = GetTextMoney(IDC_COST_PER_LINE);
    prices.dFixed = GetTextMoney(IDC_FIXED_COST);
    JobCosts costs = PriceJob(prices, nChars, nWords, nLineCount);
    SetTextMoney(IDC_CHARS_COST, costs.dChars);
    SetTextMoney(IDC_WORDS_COST, costs.dWords);
    SetTextMoney(IDC_LINES_COST, costs.dLines);
    SetTextMoney(IDC_TOTAL_COST, costs.dTotal);
}

void WordCountDialog::SetTextMoney(int nId, double dValue) {
    char szText[kMoneyTextSize];
    FormatMoney(dValue, " ", szText, sizeof(szText));
    SetDlgItemTextA(hwndDlg, nId, szText);
}

double WordCountDialog::GetTextMoney(int nId) {
    char szText[kItemTextSize];
    GetItemText(nId, szText, sizeof(szText));
    return TextToMoney(szText);
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

void WordCountDialog::ToggleSettings() {
    if (bSettingsShown) {
        SetDlgItemTextA(hwndDlg, IDC_SETTINGS_TOGGLE, "Show Settings >>");
        PlaceWindow(kDialogWidthDu, kFoldedHeightDu);
        bSettingsShown = false;
        MoveControl(IDC_STATUS_LINE, 0, 280, kDialogWidthDu, 11);
        HideControl(IDC_SETTINGS_GROUP, true);
    } else {
        SetDlgItemTextA(hwndDlg, IDC_SETTINGS_TOGGLE, "<< Hide Settings");
        PlaceWindow(kDialogWidthDu, kFullHeightDu);
        bSettingsShown = true;
        MoveControl(IDC_STATUS_LINE, 0, 334, kDialogWidthDu, 11);
        HideControl(IDC_SETTINGS_GROUP, false);
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
    // The program in front ignored the keys (busy past the wait, or with nothing to select), or
    // the system kept them from it: what is on the clipboard is not its document, and pricing it
    // would be a wrong price.
    if (result == kNothingCopied || result == kInputBlocked) {
        SayForAStep(nullptr);
        SetDlgItemTextA(hwndDlg, IDC_STATUS_LINE, result == kInputBlocked ? kInputBlockedText : kNothingCopiedText);
        return;
    }
    UpdateText();
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
    if (kStatusTexts[nStatusLine] == nullptr) nStatusLine = 0;
    char szWarning[kItemTextSize];
    const char* szText = hotKey.GetWarning(szWarning, sizeof(szWarning));
    SetDlgItemTextA(hwndDlg, IDC_STATUS_LINE, szText != nullptr ? szText : kStatusTexts[nStatusLine]);
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
