#include "app/word_count_dialog.h"

#include <windows.h>
#include <shellapi.h>

#include "app/change_key_dialog.h"
#include "app/csv_dialog.h"
#include "app/help_opener.h"
#include "app/quote_saving.h"
#include "app/settings.h"
#include "resources/about_dialog_ids.h"
#include "resources/csv_dialog_ids.h"
#include "resources/key_dialog_ids.h"
#include "resources/main_dialog_ids.h"
#include "setup/setup_layout.h"
#include "support/maker.h"
#include "support/path_text.h"
#include "ui/dpi.h"
#include "ui/gif_host.h"
#include "ui/unicode_control.h"

namespace {

const UINT kFirstStatusDelayMs = 500;

}  // namespace

WordCountDialog::WordCountDialog(bool bLogonStartIn, FileList* pStartFiles, DWORD dwStartTick)
    : fileJob(this, pStartFiles, dwStartTick),
      pShown(&lastText),
      bShowingRates(false),
      nStatusLine(0),
      bStepSaid(false),
      bIgnoredPressDue(false),
      trayIcon(WMAPP_TRAY_NOTIFY),
      bSettingsShown(true),
      hSummaryFont(nullptr),
      hBigIcon(nullptr),
      hSmallIcon(nullptr),
      bLogonStart(bLogonStartIn),
      bStartHidden(false),
      bSessionEnding(false),
      nSettingsFailure(ERROR_SUCCESS),
      nRunFailure(ERROR_SUCCESS) {
    szJobTitle[0] = L'\0';
    SetDefaultRateBook(&rateBook);
}

void WordCountDialog::InitDialog() {
    // Texts in any script: file names, the clipboard's text, the files' names on the status line.
    MakeUnicodeControl(hwndDlg, IDC_SUMMARY);
    MakeUnicodeControl(hwndDlg, IDC_STATUS_LINE);
    // The rates' names, and captions with their currency, in any script.
    MakeUnicodeControl(hwndDlg, IDC_RATES);
    for (int i = 0; i < kCaptionCount; ++i) MakeUnicodeControl(hwndDlg, IDC_FIRST_RATE_CAPTION + i);
    MakeUnicodeControl(hwndDlg, IDC_EDIT_RATES);
    SetDlgItemTextW(hwndDlg, IDC_EDIT_RATES, L"Edit Rates\u2026");
    MakeUnicodeControl(hwndDlg, IDC_SAVE_QUOTE);
    SetDlgItemTextW(hwndDlg, IDC_SAVE_QUOTE, L"Save Quote\u2026");
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
    if (fileJob.StartsWaiting()) {
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
        if (nNotifyCode == EN_CHANGE) OnPriceFieldChanged(nId);
        break;
    case IDC_RATES:
        if (nNotifyCode == CBN_SELCHANGE) OnRatesChosen();
        break;
    case IDC_EDIT_RATES:
        CmEditRates();
        break;
    case IDC_UPDATE_TEXT:
        UpdateText();
        break;
    case IDC_ADD_TO_CSV:
        CmAddToCsv();
        break;
    case IDC_SAVE_QUOTE:
        CmSaveQuote();
        break;
    case IDC_CHANGE_KEY:
        CmChangeKey();
        break;
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
    CsvJob job;
    job.nChars = static_cast<int>(GetDlgItemInt(hwndDlg, IDC_CHAR_COUNT, nullptr, TRUE));
    job.nWords = static_cast<int>(GetDlgItemInt(hwndDlg, IDC_WORD_COUNT, nullptr, TRUE));
    GetItemText(IDC_LINE_COUNT, job.szLines, sizeof(job.szLines));
    job.dTotal = GetTextMoney(IDC_TOTAL_COST);
    job.szRatesName = RatesInUse().szName;
    job.szCurrency = RatesInUse().szCurrency;
    job.pPriced = pShown;
    job.pRates = &RatesInUse();
    CsvDialog csvDialog(job, szJobTitle);
    csvDialog.RunModal(MAKEINTRESOURCEA(IDD_ADD_TO_CSV), hwndDlg);
}

void WordCountDialog::CmSaveQuote() {
    QuoteRequest request = {pShown, &RatesInUse(), szJobTitle};
    wchar_t szSaid[kQuoteSaidUnits];
    if (SaveQuote(hwndDlg, request, szSaid) != QuoteOutcome::kCancelled) SayForAStep(szSaid);
}

void WordCountDialog::CmChangeKey() {
    // The old key is released meanwhile, so that it can be chosen again.
    HotKeyClose();
    ChangeKeyDialog changeKey;
    changeKey.Open(hwndDlg, IDD_CHANGE_KEY);
    HotKeyOpen();
}

void WordCountDialog::CmHelpAbout() {
    LDialog about;
    about.RunModal(IDD_ABOUT, hwndDlg);
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

void WordCountDialog::OnEndSession(bool bEnding) {
    if (bEnding) bSessionEnding = true;
}

void WordCountDialog::OnDropFiles(HDROP hDrop) { fileJob.TakeDrop(hwndDlg, IDC_STATUS_LINE, hDrop); }

bool WordCountDialog::OnCopyData(const COPYDATASTRUCT* pData) {
    if (!fileJob.TakeHandOver(pData)) return false;
    // Copied now, and read once the start has its reply.
    PostMessageA(hwndDlg, WMAPP_READ_FILES, 0, 0);
    return true;
}

void WordCountDialog::OnReadFiles() { fileJob.ReadStarted(hwndDlg, IDC_STATUS_LINE); }

INT_PTR WordCountDialog::DialogProc(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    // The taskbar's message is registered at run time: no case can name it.
    if (trayIcon.IsTrayRemade(uMsg)) {
        OnTrayRemade();
        return TRUE;
    }
    switch (uMsg) {
    case WM_TIMER:
        OnTimer(wParam);
        return TRUE;
    case WM_CTLCOLORSTATIC:
        return OnCtlColorStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_WINDOWPOSCHANGING:
        OnWindowPosChanging(reinterpret_cast<WINDOWPOS*>(lParam));
        return FALSE;
    case WM_DPICHANGED:
        // FALSE: the dialog manager scales the controls and sets their fonts.
        OnDpiChanged(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
        return FALSE;
    case WMAPP_DPI_SETTLED:
        OnDpiSettled(static_cast<int>(wParam));
        return TRUE;
    case WM_HOTKEY:
        OnHotKey();
        return TRUE;
    case WMAPP_HOT_KEY_IGNORED:
        OnHotKeyIgnored();
        return TRUE;
    case WMAPP_TRAY_NOTIFY:
        OnTrayNotify(lParam);
        return TRUE;
    case WM_DROPFILES:
        OnDropFiles(reinterpret_cast<HDROP>(wParam));
        return TRUE;
    case WM_COPYDATA:
        SetWindowLongPtrA(hwndDlg, DWLP_MSGRESULT,
                          OnCopyData(reinterpret_cast<const COPYDATASTRUCT*>(lParam)) ? TRUE : FALSE);
        return TRUE;
    case WMAPP_READ_FILES:
        OnReadFiles();
        return TRUE;
    case WMAPP_COME_FORWARD:
        OnComeForward();
        return TRUE;
    case WMAPP_SAY_FOR_A_STEP:
        SayForAStep(reinterpret_cast<const wchar_t*>(lParam));
        return TRUE;
    case WM_ENDSESSION:
        // The base class ends the dialog.
        OnEndSession(wParam != 0);
        break;
    default:
        break;
    }
    return LDialog::DialogProc(uMsg, wParam, lParam);
}
