// The program at 96, 120, 144 and 192 DPI. Each DPI has a process of its own, since the system reads
// its DPI once per process (Wine 8: LogPixels under HKCU\Control Panel\Desktop, before the machine's
// value under its hardware profile's Software\Fonts). There every label, button, check box, group
// box and drop-down list of every dialog has its text, and the texts the program writes into it (a
// drop-down list's items), measured in its own font: Wine's stand-in for "MS Sans Serif" is not
// Windows' own, so each must fit with a tenth of its room to spare. The splash, the tray icon and
// the window's icons take the sizes of the DPI, and the main dialog follows a move to a monitor of
// another DPI, as the system announces it. The summary shows whole lines of its font, three of
// them, at each.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>
#include <shellapi.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/change_key_dialog.h"
#include "app/file_reading.h"
#include "app/hot_key.h"
#include "app/rates_dialog.h"
#include "app/settings.h"
#include "app/tray_icon.h"
#include "app/word_count_dialog.h"
#include "pricing/rate_captions.h"
#include "resources/about_dialog_ids.h"
#include "resources/csv_dialog_ids.h"
#include "resources/key_dialog_ids.h"
#include "resources/main_dialog_ids.h"
#include "resources/rates_dialog_ids.h"
#include "resources/setup_dialog_ids.h"
#include "tests/wine/import_redirect.h"
#include "tests/wine/program_driver.h"
#include "tests/wine/wine_test_support.h"
#include "ui/dialog.h"
#include "ui/dpi.h"
#include "ui/splash_screen.h"

namespace {

const int kDpis[] = {96, 120, 144, 192};
// Set by the test that starts a process per DPI: the DPI that process must run at.
const char kDpiVariable[] = "TQ_TEST_DPI";
// A text may take at most this share of its control's width.
const double kUsableShare = 1.0 / 1.1;

struct Template {
    LPCSTR pszName;
    const char* szLabel;
};
const Template kTemplates[] = {
    {MAKEINTRESOURCEA(IDD_MAIN), "template 1 (main)"},
    {MAKEINTRESOURCEA(IDD_ADD_TO_CSV), "template 2 (Add to CSV File)"},
    {MAKEINTRESOURCEA(IDD_CHANGE_KEY), "template 4 (Change Key)"},
    {MAKEINTRESOURCEA(IDD_EDIT_RATES), "template 5 (Edit Rates)"},
    {IDD_ABOUT, "AboutDlg"},
    {IDD_LICENCE_TERMS, "LicenceTermsDlg"},
    {IDD_PROGRESS, "LProgressDialog"},
};

INT_PTR CALLBACK PlainDialogProc(HWND, UINT uMsg, WPARAM, LPARAM) { return uMsg == WM_INITDIALOG; }

std::string Text(HWND hwnd) {
    char szText[1024] = "";
    GetWindowTextA(hwnd, szText, sizeof(szText));
    return szText;
}

// The room a control gives its text, in pixels: the client area less what the control draws
// around the text (a push button's edges, a check box's box, a group box's frame, a drop-down
// list's button). Controls that show no text of their own (edits, icons, frames, the progress
// bar) have none; a drop-down list shows the items the program gives it.
struct TextRoom {
    bool bShowsText;
    int nWidth;
    int nHeight;
    UINT uFormat;  // DrawText's flags: whether & marks a mnemonic
};

TextRoom RoomFor(HWND hwndControl, HDC hdc, int nDpi) {
    TextRoom room = {false, 0, 0, DT_WORDBREAK | DT_EXPANDTABS};
    char szClass[32] = "";
    GetClassNameA(hwndControl, szClass, sizeof(szClass));
    LONG nStyle = GetWindowLongA(hwndControl, GWL_STYLE);
    RECT client;
    GetClientRect(hwndControl, &client);
    TEXTMETRICA metrics;
    GetTextMetricsA(hdc, &metrics);
    room.nWidth = client.right;
    room.nHeight = client.bottom;
    if (lstrcmpiA(szClass, "Static") == 0) {
        LONG nType = nStyle & SS_TYPEMASK;
        room.bShowsText = nType == SS_LEFT || nType == SS_CENTER || nType == SS_RIGHT;
        if (nStyle & SS_NOPREFIX) room.uFormat |= DT_NOPREFIX;
    } else if (lstrcmpiA(szClass, "Button") == 0) {
        room.bShowsText = true;
        LONG nType = nStyle & BS_TYPEMASK;
        if (nType == BS_GROUPBOX) {
            // One line across the frame's top, clear of its corners.
            room.nWidth -= 2 * metrics.tmAveCharWidth;
            room.nHeight = metrics.tmHeight;
        } else if (nType == BS_CHECKBOX || nType == BS_AUTOCHECKBOX || nType == BS_RADIOBUTTON ||
                   nType == BS_AUTORADIOBUTTON || nType == BS_3STATE || nType == BS_AUTO3STATE) {
            room.nWidth -= MulDiv(13, nDpi, 96) + metrics.tmAveCharWidth;
        } else {
            room.nWidth -= 2 * MulDiv(4, nDpi, 96);
            room.nHeight -= 2 * MulDiv(2, nDpi, 96);
        }
    } else if (lstrcmpiA(szClass, "ComboBox") == 0 && (nStyle & 3) == CBS_DROPDOWNLIST) {
        room.bShowsText = true;
        room.uFormat |= DT_NOPREFIX;
        room.nWidth -= GetSystemMetrics(SM_CXVSCROLL) + 2 * MulDiv(2, nDpi, 96);
    }
    return room;
}

// Says how a text does not fit its control, or nothing when it fits with the tenth to spare.
std::string Misfit(HWND hwndControl, const std::string& text, int nDpi) {
    if (text.empty()) return "";
    HDC hdc = GetDC(hwndControl);
    HGDIOBJ hOldFont = SelectObject(hdc, reinterpret_cast<HGDIOBJ>(SendMessageA(hwndControl, WM_GETFONT, 0, 0)));
    TextRoom room = RoomFor(hwndControl, hdc, nDpi);
    std::string misfit;
    if (room.bShowsText) {
        RECT needed = {0, 0, static_cast<int>(room.nWidth * kUsableShare), 0};
        DrawTextA(hdc, text.c_str(), -1, &needed, room.uFormat | DT_CALCRECT);
        RECT oneLine = {0, 0, 0, 0};
        DrawTextA(hdc, text.c_str(), -1, &oneLine, (room.uFormat & DT_NOPREFIX) | DT_SINGLELINE | DT_CALCRECT);
        if (needed.right > static_cast<int>(room.nWidth * kUsableShare) || needed.bottom > room.nHeight) {
            misfit = "\"" + text + "\" (id " + std::to_string(static_cast<short>(GetDlgCtrlID(hwndControl))) + ") is " +
                     std::to_string(oneLine.right) + " px wide in one line and needs " + std::to_string(needed.right) +
                     " x " + std::to_string(needed.bottom) + " px laid out in 10/11 of the room's width; the room is " +
                     std::to_string(room.nWidth) + " x " + std::to_string(room.nHeight) + " px";
        }
    }
    SelectObject(hdc, hOldFont);
    ReleaseDC(hwndControl, hdc);
    return misfit;
}

// The texts the program writes into a control of a template while it runs.
struct RunTimeTexts {
    LPCSTR pszTemplate;
    int nId;
    std::vector<std::string> texts;
};

// The widest label a hot key can have: every key the Change Key dialog takes, with all three
// modifiers, as this system names it.
std::string WidestKeyLabel(HWND hwndControl, int* pnVirtualKey) {
    HDC hdc = GetDC(hwndControl);
    HGDIOBJ hOldFont = SelectObject(hdc, reinterpret_cast<HGDIOBJ>(SendMessageA(hwndControl, WM_GETFONT, 0, 0)));
    std::string widest;
    int nWidest = -1;
    for (int nKey = VK_BACK; nKey <= 0xFE; ++nKey) {
        if (nKey == VK_SHIFT || nKey == VK_CONTROL || nKey == VK_MENU || nKey == VK_RETURN || nKey == VK_ESCAPE)
            continue;
        char szLabel[kItemTextSize];
        BuildHotKeyLabel(MOD_CONTROL | MOD_ALT | MOD_SHIFT, nKey, szLabel, sizeof(szLabel));
        SIZE size;
        GetTextExtentPoint32A(hdc, szLabel, lstrlenA(szLabel), &size);
        if (size.cx > nWidest) {
            nWidest = size.cx;
            widest = szLabel;
            *pnVirtualKey = nKey;
        }
    }
    SelectObject(hdc, hOldFont);
    ReleaseDC(hwndControl, hdc);
    return widest;
}

// The label and the status line's warning of the widest key while another program holds it, as the
// program's own hot key makes them: the key is stored as the setting and taken here first.
void TakenKeyTexts(HWND hwndDialog, std::vector<std::string>* pLabels, std::vector<std::string>* pWarnings) {
    int nKey = 0;
    std::string widest = WidestKeyLabel(GetDlgItem(hwndDialog, IDC_HOT_KEY_NAME), &nKey);
    pLabels->push_back(widest);
    const int kModifiers = MOD_CONTROL | MOD_ALT | MOD_SHIFT;
    SaveHotKey(nKey, kModifiers);
    const int kOtherProgramsKey = 7;
    bool bHeld = RegisterHotKey(nullptr, kOtherProgramsKey, kModifiers, static_cast<UINT>(nKey)) != FALSE;
    HotKey hotKey;
    hotKey.Open(hwndDialog);
    char szText[kItemTextSize];
    hotKey.GetLabel(szText, sizeof(szText));
    pLabels->push_back(szText);
    const char* szWarning = hotKey.GetWarning(szText, sizeof(szText));
    EXPECT_TRUE(bHeld && szWarning != nullptr) << "the key " << widest << " could not be taken to see its warning";
    if (szWarning != nullptr) pWarnings->push_back(szWarning);
    hotKey.Close();
    if (bHeld) UnregisterHotKey(nullptr, kOtherProgramsKey);
    ResetProgramRegistry();
}

// The pricing rows' captions of every kind of rates, with a three-letter currency and with "€", the
// total's with the minimum applied too, as the system's code page writes them.
std::vector<RunTimeTexts> RateCaptionTexts() {
    std::vector<RunTimeTexts> captions;
    for (int nCaption = 0; nCaption < kCaptionCount; ++nCaption) {
        captions.push_back({MAKEINTRESOURCEA(IDD_MAIN), IDC_FIRST_RATE_CAPTION + nCaption, {}});
    }
    for (const char16_t* szCurrency : {u"CHF", u"\u20AC"}) {
        for (int nChars = 0; nChars < 3; ++nChars) {
            for (int nLines = 0; nLines < 4; ++nLines) {
                Rates rates;
                SetDefaultRates(&rates, 0);
                std::char_traits<char16_t>::copy(rates.szCurrency, szCurrency,
                                                 std::char_traits<char16_t>::length(szCurrency) + 1);
                rates.eChars = static_cast<RateChars>(nChars);
                rates.eLines = nLines == 0 ? kLinesLaidOut : kLinesDivided;
                rates.eLineName = nLines == 2 ? kLineNamePages : kLineNameStandardLines;
                for (int nCaption = 0; nCaption < kCaptionCount; ++nCaption) {
                    char16_t szCaption[kRateCaptionUnits];
                    MakeRateCaption(rates, static_cast<RateCaption>(nCaption), nLines == 3, szCaption,
                                    kRateCaptionUnits);
                    char szAnsi[3 * kRateCaptionUnits];
                    WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<const WCHAR*>(szCaption), -1, szAnsi,
                                        sizeof(szAnsi), nullptr, nullptr);
                    captions[nCaption].texts.push_back(szAnsi);
                }
            }
        }
    }
    return captions;
}

std::vector<RunTimeTexts> TextsWrittenAtRunTime(HWND hwndMain) {
    std::vector<std::string> labels, status;
    TakenKeyTexts(hwndMain, &labels, &status);
    for (const char* const* pText = kStatusTexts; *pText != nullptr; ++pText) status.push_back(*pText);
    status.push_back(kNothingCopiedText);
    status.push_back(kInputBlockedText);
    status.push_back(kClipboardUnreadableText);
    const std::wstring stopped = FileReading::kStoppedText;
    status.push_back(std::string(stopped.begin(), stopped.end()));
    std::vector<RunTimeTexts> written = {
        {MAKEINTRESOURCEA(IDD_MAIN), IDC_HOT_KEY_NAME, labels},
        {MAKEINTRESOURCEA(IDD_MAIN), IDC_STATUS_LINE, status},
        {MAKEINTRESOURCEA(IDD_MAIN), IDC_SETTINGS_TOGGLE, {"Show Settings >>", "<< Hide Settings"}},
        {MAKEINTRESOURCEA(IDD_CHANGE_KEY), IDC_KEY_HINT, {kTypingKeyHint, kAloneKeyHint}},
        {IDD_PROGRESS, IDC_PROGRESS_LINE0, {"Installing TallyQuill"}},
        {IDD_PROGRESS, IDC_PROGRESS_LINE1, {"Software Licence Terms", "Finalizing", "tallyq.exe"}},
        {MAKEINTRESOURCEA(IDD_MAIN), IDC_LINE_COUNT, {"99999.99"}},
        {MAKEINTRESOURCEA(IDD_MAIN), IDC_EDIT_RATES, {"Edit Rates\x85"}},
        {MAKEINTRESOURCEA(IDD_MAIN), IDC_SAVE_QUOTE, {"Save Quote\x85"}},
        {MAKEINTRESOURCEA(IDD_ADD_TO_CSV), IDC_CSV_SAVE_QUOTE, {"Save Quote\x85"}},
    };
    for (RunTimeTexts& captions : RateCaptionTexts()) written.push_back(captions);
    // The rates dialog's drop-down items, in the code page the test measures in.
    for (const RatesChoiceList& list : kRatesChoices) {
        RunTimeTexts items = {MAKEINTRESOURCEA(IDD_EDIT_RATES), list.nId, {}};
        for (int i = 0; i < list.nItems; ++i) {
            char szItem[kItemTextSize] = "";
            WideCharToMultiByte(CP_ACP, 0, list.pItems[i], -1, szItem, sizeof(szItem), nullptr, nullptr);
            items.texts.push_back(szItem);
        }
        written.push_back(items);
    }
    return written;
}

// The DPI this process was started for, or 0 in a run of its own.
int DpiOfThisRun() {
    const char* szDpi = getenv(kDpiVariable);
    return szDpi != nullptr ? atoi(szDpi) : 0;
}

// The cases below run in a process of their own at the DPI the variable names, started by
// AtEveryDpi.EachCaseInAProcessOfItsOwn; in any other run they are skipped.
class AtOneDpi : public testing::Test {
protected:
    void SetUp() override {
        nDpi = DpiOfThisRun();
        if (nDpi == 0) GTEST_SKIP() << "run in a process per DPI by AtEveryDpi.EachCaseInAProcessOfItsOwn";
        ASSERT_EQ(nDpi, SystemDpi()) << "the DPI this process runs at";
        hProgramInstance = GetModuleHandleA(nullptr);
    }
    int nDpi = 0;
};

TEST_F(AtOneDpi, EveryDialogTextFitsItsControl) {
    InitCommonControls();
    ResetProgramRegistry();

    HWND hwndMain = CreateDialogParamA(hProgramInstance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, PlainDialogProc, 0);
    ASSERT_NE(nullptr, hwndMain);
    std::vector<RunTimeTexts> runTimeTexts = TextsWrittenAtRunTime(hwndMain);
    DestroyWindow(hwndMain);

    for (const Template& dialog : kTemplates) {
        HWND hwndDialog = CreateDialogParamA(hProgramInstance, dialog.pszName, nullptr, PlainDialogProc, 0);
        ASSERT_NE(nullptr, hwndDialog) << dialog.szLabel;
        for (HWND hwnd = GetWindow(hwndDialog, GW_CHILD); hwnd != nullptr; hwnd = GetWindow(hwnd, GW_HWNDNEXT)) {
            // The summary is shown in the system's message font and holds whatever was copied.
            if (dialog.pszName == MAKEINTRESOURCEA(IDD_MAIN) && GetDlgCtrlID(hwnd) == IDC_SUMMARY) continue;
            std::string misfit = Misfit(hwnd, Text(hwnd), nDpi);
            EXPECT_EQ("", misfit) << dialog.szLabel << " at " << nDpi << " DPI";
        }
        for (const RunTimeTexts& written : runTimeTexts) {
            if (written.pszTemplate != dialog.pszName) continue;
            HWND hwnd = GetDlgItem(hwndDialog, written.nId);
            ASSERT_NE(nullptr, hwnd) << dialog.szLabel << " has no control " << written.nId;
            for (const std::string& text : written.texts) {
                SetWindowTextA(hwnd, text.c_str());
                EXPECT_EQ("", Misfit(hwnd, text, nDpi)) << dialog.szLabel << " at " << nDpi << " DPI, written at run time";
            }
        }
        DestroyWindow(hwndDialog);
    }
}

// A point on the splash picture's gold ring, 64 pixels right of its emblem's centre, at 96 DPI.
const POINT kSplashRing = {150, 99};

TEST_F(AtOneDpi, TheSplashIsItsSizeAt96DpiInTheSameInches) {
    LSplashScreen splash;
    splash.Show(nullptr, IDB_SPLASH);
    ASSERT_NE(nullptr, splash.Window());
    RECT window;
    GetWindowRect(splash.Window(), &window);
    EXPECT_EQ(MulDiv(344, nDpi, 96), window.right - window.left) << "width at " << nDpi << " DPI";
    EXPECT_EQ(MulDiv(286, nDpi, 96), window.bottom - window.top) << "height at " << nDpi << " DPI";
    // The picture is stretched with the window: its ring lies where it lies at 96 DPI, scaled.
    HDC hdc = GetDC(splash.Window());
    COLORREF colour = GetPixel(hdc, MulDiv(kSplashRing.x, nDpi, 96), MulDiv(kSplashRing.y, nDpi, 96));
    ReleaseDC(splash.Window(), hdc);
    EXPECT_TRUE(GetRValue(colour) > 200 && GetGValue(colour) > 140 && GetGValue(colour) < 210 && GetBValue(colour) < 100)
        << "the ring's gold at " << nDpi << " DPI, got RGB(" << int(GetRValue(colour)) << ", " << int(GetGValue(colour))
        << ", " << int(GetBValue(colour)) << ")";
    splash.Close();
}

// The width of an icon's picture in pixels; 0 for no icon.
int IconWidth(HICON hIcon) {
    ICONINFO info;
    if (hIcon == nullptr || !GetIconInfo(hIcon, &info)) return 0;
    BITMAP bitmap = {};
    GetObjectA(info.hbmColor != nullptr ? info.hbmColor : info.hbmMask, sizeof(bitmap), &bitmap);
    if (info.hbmColor != nullptr) DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return bitmap.bmWidth;
}

// The width of the icon each NIM_ADD handed the tray, as the shell received it.
typedef BOOL(WINAPI* ShellNotifyIconFn)(DWORD, NOTIFYICONDATAA*);
ShellNotifyIconFn pfnSystemNotifyIcon;
std::vector<int> trayIconWidths;
BOOL WINAPI RecordNotifyIcon(DWORD dwMessage, NOTIFYICONDATAA* pRecord) {
    if (dwMessage == NIM_ADD) trayIconWidths.push_back(IconWidth(pRecord->hIcon));
    return pfnSystemNotifyIcon(dwMessage, pRecord);
}

TEST_F(AtOneDpi, TheTrayGetsAnIconOfTheSizeTheSystemAsksFor) {
    pfnSystemNotifyIcon = reinterpret_cast<ShellNotifyIconFn>(
        RedirectImport("shell32.dll", "Shell_NotifyIconA", reinterpret_cast<void*>(RecordNotifyIcon)));
    ASSERT_NE(nullptr, pfnSystemNotifyIcon) << "this program does not import Shell_NotifyIconA";
    HWND hwnd = CreateWindowA("STATIC", "tray owner", 0, 0, 0, 10, 10, nullptr, nullptr, hProgramInstance, nullptr);
    TrayIcon trayIcon(WMAPP_TRAY_NOTIFY);
    trayIcon.Add(hwnd);
    trayIcon.Delete();
    DestroyWindow(hwnd);
    ASSERT_EQ(1u, trayIconWidths.size()) << "icons added to the tray";
    EXPECT_EQ(GetSystemMetrics(SM_CXSMICON), trayIconWidths[0]) << "the tray icon's width at " << nDpi << " DPI";
}

// The main dialog run in this process, and what it showed at each step of the run.
struct MainDialogRun {
    int nNewDpi = 0;
    HWND hwnd = nullptr;
    int nStep = 0;
    int nBigIconBefore = 0, nSmallIconBefore = 0, nBigIconAfter = 0, nSmallIconAfter = 0;
    RECT suggested = {};
    RECT windowAfter = {};
    LONG nSummaryFontHeightBefore = 0, nSummaryFontHeightAfter = 0;
    struct SummaryView {
        int nHeight = 0;      // the client area's
        int nLine = 0;        // a line of its font
        int nTextHeight = 0;  // its text, laid out in its width
    } summaryBefore, summaryAfter;
} run;

BOOL CALLBACK FindMainDialogOfThisThread(HWND hwnd, LPARAM) {
    char szTitle[32] = "";
    GetWindowTextA(hwnd, szTitle, sizeof(szTitle));
    if (lstrcmpA(szTitle, "TallyQuill") == 0 && GetDlgItem(hwnd, IDC_SUMMARY) != nullptr) run.hwnd = hwnd;
    return run.hwnd == nullptr;
}

LONG SummaryFontHeight() {
    LOGFONTA font = {};
    GetObjectA(reinterpret_cast<HGDIOBJ>(SendDlgItemMessageA(run.hwnd, IDC_SUMMARY, WM_GETFONT, 0, 0)), sizeof(font), &font);
    return font.lfHeight;
}

// The summary as shown, measured as the static control lays its text out (DrawText with its flags,
// in its font): a line is the height two lines take less the height of one.
MainDialogRun::SummaryView ViewOfSummary() {
    MainDialogRun::SummaryView view;
    HWND hwndSummary = GetDlgItem(run.hwnd, IDC_SUMMARY);
    HDC hdc = GetDC(hwndSummary);
    HGDIOBJ hOldFont = SelectObject(hdc, reinterpret_cast<HGDIOBJ>(SendMessageA(hwndSummary, WM_GETFONT, 0, 0)));
    RECT client;
    GetClientRect(hwndSummary, &client);
    const UINT kStaticFormat = DT_LEFT | DT_EXPANDTABS | DT_WORDBREAK | DT_CALCRECT;
    RECT one = {0, 0, client.right, 0}, two = one, text = one;
    DrawTextA(hdc, "Ag", -1, &one, kStaticFormat);
    DrawTextA(hdc, "Ag\nAg", -1, &two, kStaticFormat);
    WCHAR szText[kSummaryBufferSize] = L"";
    GetWindowTextW(hwndSummary, szText, kSummaryBufferSize);
    DrawTextW(hdc, szText, -1, &text, kStaticFormat);
    SelectObject(hdc, hOldFont);
    ReleaseDC(hwndSummary, hdc);
    view.nHeight = client.bottom;
    view.nLine = two.bottom - one.bottom;
    view.nTextHeight = text.bottom;
    return view;
}

std::string SummaryText(const MainDialogRun::SummaryView& view) {
    return std::to_string(view.nHeight) + " px high in lines of " + std::to_string(view.nLine) + " px";
}

// Steps taken from a timer of the thread, inside the dialog's own loop: the move is announced once
// the dialog is up, and looked at once the messages it posted itself have been handled.
void CALLBACK StepMainDialog(HWND, UINT, UINT_PTR nTimer, DWORD) {
    if (run.hwnd == nullptr) EnumThreadWindows(GetCurrentThreadId(), FindMainDialogOfThisThread, 0);
    if (run.hwnd == nullptr) return;
    if (run.nStep == 0) {
        run.nBigIconBefore = IconWidth(reinterpret_cast<HICON>(SendMessageA(run.hwnd, WM_GETICON, ICON_BIG, 0)));
        run.nSmallIconBefore = IconWidth(reinterpret_cast<HICON>(SendMessageA(run.hwnd, WM_GETICON, ICON_SMALL, 0)));
        run.nSummaryFontHeightBefore = SummaryFontHeight();
        // A text of more lines than the summary shows, put on the clipboard while the dialog runs.
        PutClipboardText("Dear Ms Carter,\r\n\r\nThank you for the transcript of the meeting.\r\nIt is typed and "
                         "checked.\r\nEvery word counts.\r\n");
        SendMessageA(run.hwnd, WM_COMMAND, MAKEWPARAM(IDC_UPDATE_TEXT, 0), 0);
        run.summaryBefore = ViewOfSummary();
        RECT window;
        GetWindowRect(run.hwnd, &window);
        run.suggested = {window.left + 10, window.top + 20, 0, 0};
        run.suggested.right = run.suggested.left + MulDiv(window.right - window.left, run.nNewDpi, DpiOfThisRun());
        run.suggested.bottom = run.suggested.top + MulDiv(window.bottom - window.top, run.nNewDpi, DpiOfThisRun());
        SendMessageA(run.hwnd, WM_DPICHANGED, MAKEWPARAM(run.nNewDpi, run.nNewDpi), reinterpret_cast<LPARAM>(&run.suggested));
        GetWindowRect(run.hwnd, &run.windowAfter);
        // The next tick comes once the messages the dialog posted itself have been handled.
        run.nStep = 1;
        return;
    }
    KillTimer(nullptr, nTimer);
    run.nBigIconAfter = IconWidth(reinterpret_cast<HICON>(SendMessageA(run.hwnd, WM_GETICON, ICON_BIG, 0)));
    run.nSmallIconAfter = IconWidth(reinterpret_cast<HICON>(SendMessageA(run.hwnd, WM_GETICON, ICON_SMALL, 0)));
    run.nSummaryFontHeightAfter = SummaryFontHeight();
    run.summaryAfter = ViewOfSummary();
    PostMessageA(run.hwnd, WM_COMMAND, MAKEWPARAM(IDM_TRAY_EXIT, 0), 0);
}

std::string RectText(const RECT& rect) {
    return "(" + std::to_string(rect.left) + ", " + std::to_string(rect.top) + ", " + std::to_string(rect.right) + ", " +
           std::to_string(rect.bottom) + ")";
}

TEST_F(AtOneDpi, TheMainDialogFollowsAMoveToAMonitorOfAnotherDpi) {
    // Up from 96 and 144, down from 120 and 192.
    run.nNewDpi = nDpi == 96 ? 144 : nDpi == 120 ? 96 : nDpi == 144 ? 192 : 144;
    ResetProgramRegistry();
    UINT_PTR nTimer = SetTimer(nullptr, 0, 50, StepMainDialog);
    {
        FileList noFiles;
        WordCountDialog dialog(false, &noFiles, GetTickCount());
        dialog.RunModal(MAKEINTRESOURCEA(IDD_MAIN), nullptr);
    }
    KillTimer(nullptr, nTimer);
    ResetProgramRegistry();
    ASSERT_NE(nullptr, run.hwnd) << "the main dialog came up";
    EXPECT_EQ(GetSystemMetrics(SM_CXICON), run.nBigIconBefore) << "the big icon's width at " << nDpi << " DPI";
    EXPECT_EQ(GetSystemMetrics(SM_CXSMICON), run.nSmallIconBefore) << "the small icon's width at " << nDpi << " DPI";
    EXPECT_EQ(RectText(run.suggested), RectText(run.windowAfter)) << "the window takes the suggested rectangle";
    EXPECT_EQ(SystemMetricForDpi(SM_CXICON, run.nNewDpi), run.nBigIconAfter)
        << "the big icon's width after the move to " << run.nNewDpi << " DPI";
    EXPECT_EQ(SystemMetricForDpi(SM_CXSMICON, run.nNewDpi), run.nSmallIconAfter)
        << "the small icon's width after the move to " << run.nNewDpi << " DPI";
    EXPECT_EQ(MulDiv(run.nSummaryFontHeightBefore, run.nNewDpi, nDpi), run.nSummaryFontHeightAfter)
        << "the summary's font height after the move from " << nDpi << " to " << run.nNewDpi << " DPI";
    // Three whole lines of its font at the DPI it starts at; whole lines, as many as its room
    // holds, after the move (Wine leaves the controls their size).
    const MainDialogRun::SummaryView& before = run.summaryBefore;
    ASSERT_GT(before.nLine, 0) << "a line of the summary's font at " << nDpi << " DPI";
    EXPECT_GT(before.nTextHeight, 3 * before.nLine)
        << "the summary's text at " << nDpi << " DPI is " << before.nTextHeight
        << " px high, expected more than three lines of " << before.nLine << " px";
    EXPECT_TRUE(before.nHeight % before.nLine == 0 && before.nHeight / before.nLine >= 3)
        << "the summary at " << nDpi << " DPI is " << SummaryText(before) << ", expected three whole lines or more";
    const MainDialogRun::SummaryView& after = run.summaryAfter;
    EXPECT_TRUE(after.nLine > 0 && after.nHeight % after.nLine == 0 && after.nHeight >= after.nLine)
        << "the summary after the move to " << run.nNewDpi << " DPI is " << SummaryText(after)
        << ", expected whole lines";
}

#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE bWidth;  // 0 for 256
    BYTE bHeight;
    BYTE bColorCount;
    BYTE bReserved;
    WORD wPlanes;
    WORD wBitCount;
    DWORD dwBytesInRes;
    WORD nId;
};
#pragma pack(pop)

// The program's icon 1 as tallyq.exe holds it: the 16-colour images drawn pixel by pixel, and the
// larger sizes as 32-bit PNG images with alpha, small enough together.
TEST(ProgramIcon, HoldsTheHandDrawnImagesAndTheDrawnSizesAsPng) {
    std::string program = TestProgramFolder() + "..\\tallyq.exe";
    HMODULE hProgram = LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, hProgram) << program;
    auto Resource = [&](LPCSTR pszName, LPCSTR pszType, DWORD* pcbSize) -> const BYTE* {
        HRSRC hFound = FindResourceA(hProgram, pszName, pszType);
        if (hFound == nullptr) return nullptr;
        *pcbSize = SizeofResource(hProgram, hFound);
        return static_cast<const BYTE*>(LockResource(LoadResource(hProgram, hFound)));
    };
    DWORD cbGroup = 0;
    const BYTE* pGroup = Resource(MAKEINTRESOURCEA(IDI_PROGRAM), RT_GROUP_ICON, &cbGroup);
    ASSERT_NE(nullptr, pGroup) << "icon group 1";
    WORD nCount = *reinterpret_cast<const WORD*>(pGroup + 4);
    ASSERT_GE(cbGroup, 6u + nCount * sizeof(GroupIconEntry));
    const GroupIconEntry* pEntries = reinterpret_cast<const GroupIconEntry*>(pGroup + 6);

    std::vector<std::string> sizes;
    DWORD cbPng = 0;
    for (WORD i = 0; i < nCount; ++i) {
        const GroupIconEntry& entry = pEntries[i];
        int nSide = entry.bWidth == 0 ? 256 : entry.bWidth;
        std::string size = std::to_string(nSide) + "x" + std::to_string(entry.bHeight == 0 ? 256 : entry.bHeight) +
                           "@" + std::to_string(entry.wBitCount);
        sizes.push_back(size);
        DWORD cbImage = 0;
        const BYTE* pImage = Resource(MAKEINTRESOURCEA(entry.nId), RT_ICON, &cbImage);
        ASSERT_NE(nullptr, pImage) << "the image of " << size;
        if (entry.wBitCount != 32) continue;
        static const BYTE kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
        ASSERT_GE(cbImage, 26u) << size;
        EXPECT_EQ(0, memcmp(pImage, kPngSignature, 8)) << size << " is kept as PNG";
        // IHDR: width and height (big-endian) and the colour type, 6 being RGB with alpha.
        int nWidth = (pImage[16] << 24) | (pImage[17] << 16) | (pImage[18] << 8) | pImage[19];
        EXPECT_EQ(nSide, nWidth) << "the PNG's width in " << size;
        EXPECT_EQ(6, pImage[25]) << "the PNG's colour type in " << size;
        cbPng += cbImage;
    }
    FreeLibrary(hProgram);
    std::sort(sizes.begin(), sizes.end());
    std::vector<std::string> expected = {"16x16@4", "20x20@32", "24x24@32", "256x256@32",
                                         "32x32@4", "40x40@32", "48x48@32", "64x64@32"};
    EXPECT_EQ(expected, sizes) << "the images of icon 1";
    EXPECT_LE(cbPng, 24u * 1024) << "bytes of the PNG images together";
}

// The system's DPI for processes started while it lives: LogPixels of the current user, which the
// system reads before the machine's own value; the old state comes back after.
class SystemDpiForNewProcesses {
public:
    explicit SystemDpiForNewProcesses(DWORD dwDpi) {
        RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                        nullptr, &hKey, nullptr);
        DWORD cbOld = sizeof(dwOldDpi);
        bHadValue = RegQueryValueExA(hKey, "LogPixels", nullptr, nullptr, reinterpret_cast<BYTE*>(&dwOldDpi), &cbOld) ==
                    ERROR_SUCCESS;
        RegSetValueExA(hKey, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dwDpi), sizeof(dwDpi));
    }
    ~SystemDpiForNewProcesses() {
        if (bHadValue) {
            RegSetValueExA(hKey, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dwOldDpi), sizeof(dwOldDpi));
        } else {
            RegDeleteValueA(hKey, "LogPixels");
        }
        RegCloseKey(hKey);
    }
    SystemDpiForNewProcesses(const SystemDpiForNewProcesses&) = delete;
    SystemDpiForNewProcesses& operator=(const SystemDpiForNewProcesses&) = delete;

private:
    HKEY hKey = nullptr;
    DWORD dwOldDpi = 0;
    bool bHadValue = false;
};

TEST(AtEveryDpi, EachCaseInAProcessOfItsOwn) {
    char szSelf[MAX_PATH];
    GetModuleFileNameA(nullptr, szSelf, MAX_PATH);
    for (int nDpi : kDpis) {
        SystemDpiForNewProcesses dpi(static_cast<DWORD>(nDpi));
        SetEnvironmentVariableA(kDpiVariable, std::to_string(nDpi).c_str());
        ChildResult result = RunChild("\"" + std::string(szSelf) + "\" --gtest_filter=AtOneDpi.*");
        EXPECT_EQ(0, result.nExitCode) << "at " << nDpi << " DPI:\n" << result.output;
    }
    SetEnvironmentVariableA(kDpiVariable, nullptr);
}

}  // namespace
