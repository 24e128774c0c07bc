// The Edit Rates dialog run by EditRates in this process, without the program's manifest (the
// system's own controls, ANSI windows as on Windows), driven from a timer of its thread with the
// messages a user's clicks and typing send. The book it returns is checked against texts written
// here.
#include <gtest/gtest.h>
#include <string.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "app/rates_dialog.h"
#include "resources/rates_dialog_ids.h"
#include "ui/dialog.h"

namespace {

// A step returns false to be taken again at the next tick, once its window is there.
typedef std::function<bool()> Step;

const DWORD kTickMs = 20;
const DWORD kDeadlineMs = 10000;

std::string Utf8(const wchar_t* szText) {
    char szUtf8[512] = "";
    WideCharToMultiByte(CP_UTF8, 0, szText, -1, szUtf8, sizeof(szUtf8), nullptr, nullptr);
    return szUtf8;
}
std::string Utf8(const char16_t* szText) { return Utf8(reinterpret_cast<const wchar_t*>(szText)); }

// Every field of a rates in one line: name | fixed | per char | per word | chars per line |
// per line | minimum | currency | the four choices.
std::string Describe(const Rates& rates) {
    return Utf8(rates.szName) + " | " + rates.szFixed + " | " + rates.szPerChar + " | " + rates.szPerWord + " | " +
           rates.szCharsPerLine + " | " + rates.szPerLine + " | min " + rates.szMinimum + " | " +
           Utf8(rates.szCurrency) + " | chars " + std::to_string(rates.eChars) + " lines " +
           std::to_string(rates.eLines) + " named " + std::to_string(rates.eLineName) + " rounded " +
           std::to_string(rates.eRounding) + " side " + std::to_string(rates.eSide);
}

void Fill(Rates* pRates, const wchar_t* szName, const char* szFixed, const char* szPerChar, const char* szPerWord,
          const char* szCharsPerLine, const char* szPerLine, const char* szMinimum, const wchar_t* szCurrency,
          RateChars eChars, RateLines eLines, RateLineName eLineName, RateRounding eRounding) {
    memset(pRates, 0, sizeof(*pRates));
    lstrcpynW(reinterpret_cast<wchar_t*>(pRates->szName), szName, kRateNameUnits);
    lstrcpynA(pRates->szFixed, szFixed, kRatePriceTextSize);
    lstrcpynA(pRates->szPerChar, szPerChar, kRatePriceTextSize);
    lstrcpynA(pRates->szPerWord, szPerWord, kRatePriceTextSize);
    lstrcpynA(pRates->szCharsPerLine, szCharsPerLine, kRatePriceTextSize);
    lstrcpynA(pRates->szPerLine, szPerLine, kRatePriceTextSize);
    lstrcpynA(pRates->szMinimum, szMinimum, kRatePriceTextSize);
    lstrcpynW(reinterpret_cast<wchar_t*>(pRates->szCurrency), szCurrency, kCurrencyUnits);
    pRates->eChars = eChars;
    pRates->eLines = eLines;
    pRates->eLineName = eLineName;
    pRates->eRounding = eRounding;
}

// The dialog of this thread while it runs, and its steps, taken one a tick.
struct Run {
    HWND hwndDialog = nullptr;
    std::vector<Step> steps;
    size_t nStep = 0;
    DWORD dwStart = 0;
    bool bInStep = false;
} run;

BOOL CALLBACK FindDialog(HWND hwnd, LPARAM) {
    if (IsWindowVisible(hwnd) && GetDlgItem(hwnd, IDC_RATES_LIST) != nullptr) run.hwndDialog = hwnd;
    return run.hwndDialog == nullptr;
}

// A window the dialog owns: its message box.
HWND foundBox;
BOOL CALLBACK FindOwnedWindow(HWND hwnd, LPARAM) {
    if (GetWindow(hwnd, GW_OWNER) == run.hwndDialog) foundBox = hwnd;
    return foundBox == nullptr;
}
HWND MessageBoxOfDialog() {
    foundBox = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindOwnedWindow, 0);
    return foundBox;
}

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    if (run.bInStep) return;
    if (run.hwndDialog == nullptr) EnumThreadWindows(GetCurrentThreadId(), FindDialog, 0);
    if (GetTickCount() - run.dwStart > kDeadlineMs) {
        if (run.nStep < run.steps.size()) {
            ADD_FAILURE() << "step " << run.nStep + 1 << " of " << run.steps.size() << " not done within "
                          << kDeadlineMs << " ms (dialog " << (run.hwndDialog ? "up" : "never seen") << ")";
            run.nStep = run.steps.size();
        }
        if (HWND hwndBox = MessageBoxOfDialog()) PostMessageA(hwndBox, WM_COMMAND, IDOK, 0);
        if (run.hwndDialog != nullptr) PostMessageA(run.hwndDialog, WM_COMMAND, IDCANCEL, 0);
        return;
    }
    if (run.hwndDialog == nullptr || run.nStep >= run.steps.size()) return;
    run.bInStep = true;
    if (run.steps[run.nStep]()) ++run.nStep;
    run.bInStep = false;
}

// Runs EditRates on the book with the steps; returns what it returned.
bool EditRatesWith(RateBook* pBook, std::vector<Step> steps) {
    run = Run();
    run.steps = std::move(steps);
    run.dwStart = GetTickCount();
    UINT_PTR nTimer = SetTimer(nullptr, 0, kTickMs, Tick);
    bool bEdited = EditRates(nullptr, pBook);
    KillTimer(nullptr, nTimer);
    EXPECT_EQ(run.steps.size(), run.nStep) << "steps taken";
    return bEdited;
}

HWND Item(int nId) { return GetDlgItem(run.hwndDialog, nId); }

std::string FieldText(int nId) {
    wchar_t szText[kItemTextSize] = L"";
    GetWindowTextW(Item(nId), szText, kItemTextSize);
    return Utf8(szText);
}

// Some fields of the rates shown: name, fixed cost, per word, characters per line, [minimum],
// currency.
std::string Fields() {
    return FieldText(IDC_RATES_NAME) + " " + FieldText(IDC_RATES_FIXED) + " " + FieldText(IDC_RATES_PER_WORD) + " " +
           FieldText(IDC_RATES_CHARS_PER_LINE) + " [" + FieldText(IDC_RATES_MINIMUM) + "] " +
           FieldText(IDC_RATES_CURRENCY);
}

void Type(int nId, const wchar_t* szText) {
    SendMessageW(Item(nId), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(szText));
}

void Click(int nId) { SendMessageA(Item(nId), BM_CLICK, 0, 0); }

// Presses a button whose command may open a message box: posted, so that the box's loop does not
// run inside this tick.
void PostClick(int nId) {
    PostMessageA(run.hwndDialog, WM_COMMAND, MAKEWPARAM(nId, BN_CLICKED), reinterpret_cast<LPARAM>(Item(nId)));
}

void Choose(int nId, int nItem) {
    SendMessageA(Item(nId), CB_SETCURSEL, static_cast<WPARAM>(nItem), 0);
    SendMessageA(run.hwndDialog, WM_COMMAND, MAKEWPARAM(nId, CBN_SELCHANGE), reinterpret_cast<LPARAM>(Item(nId)));
}

void SelectInList(int nIndex) {
    HWND hwndList = Item(IDC_RATES_LIST);
    SendMessageW(hwndList, LB_SETCURSEL, static_cast<WPARAM>(nIndex), 0);
    SendMessageA(run.hwndDialog, WM_COMMAND, MAKEWPARAM(IDC_RATES_LIST, LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(hwndList));
}

// The list's names, " / " between them, and which is selected.
std::string ListView() {
    HWND hwndList = Item(IDC_RATES_LIST);
    int nCount = static_cast<int>(SendMessageW(hwndList, LB_GETCOUNT, 0, 0));
    std::string view;
    for (int i = 0; i < nCount; ++i) {
        wchar_t szName[kItemTextSize] = L"";
        if (SendMessageW(hwndList, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0) < kItemTextSize) {
            SendMessageW(hwndList, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(szName));
        }
        view += (i > 0 ? " / " : "") + Utf8(szName);
    }
    return view + " (selected " + std::to_string(SendMessageW(hwndList, LB_GETCURSEL, 0, 0)) + ")";
}

// Which of the buttons and lists that come and go are enabled: "+" or "-" for Add, Delete, Named,
// Rounded.
std::string Enabled() {
    std::string view;
    for (int nId : {IDC_RATES_ADD, IDC_RATES_DELETE, IDC_RATES_LINE_NAME, IDC_RATES_ROUNDING}) {
        view += IsWindowEnabled(Item(nId)) ? "+" : "-";
    }
    return view;
}

class RatesDialogTest : public testing::Test {
protected:
    void SetUp() override { hProgramInstance = GetModuleHandleA(nullptr); }
};

TEST_F(RatesDialogTest, EditsTheRatesAndHandsBackTheBookOnOk) {
    RateBook book = {};
    Fill(&book.rates[0], L"Standard", "5.00", "0.01", "0.10", "60", "1.20", "", L"£", kCharsWithBreaks, kLinesLaidOut,
         kLineNameStandardLines, kRoundTwoDecimals);
    Fill(&book.rates[1], L"Rush", "10.00", "0.00", "0.15", "55", "0.00", "30.00", L"CHF", kCharsWithSpaces,
         kLinesDivided, kLineNamePages, kRoundTwoDecimals);
    book.nCount = 2;
    book.nInUse = 1;
    std::string boxText, afterBox;
    bool bEdited = EditRatesWith(&book, {
        [] {
            EXPECT_EQ("Standard / Rush (selected 1)", ListView()) << "at the start, the rates in use selected";
            EXPECT_EQ("Rush 10.00 0.15 55 [30.00] CHF", Fields()) << "the fields at the start";
            EXPECT_EQ("++++", Enabled()) << "Add, Delete, Named, Rounded with the \u00F7 rule";
            EXPECT_TRUE(GetWindowLongA(run.hwndDialog, GWL_EXSTYLE) & WS_EX_CONTEXTHELP)
                << "the title bar's ? button: extended styles " << std::hex << GetWindowLongA(run.hwndDialog, GWL_EXSTYLE);
            std::string unicode;
            for (int nId : {IDC_RATES_LIST, IDC_RATES_NAME, IDC_RATES_CURRENCY, IDC_RATES_FIXED}) {
                unicode += IsWindowUnicode(Item(nId)) ? "U" : "A";
            }
            EXPECT_EQ("UUUA", unicode) << "list, name, currency, a price: Unicode or ANSI windows";
            wchar_t szItem[64] = L"";
            SendMessageW(Item(IDC_RATES_LINES), CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(szItem));
            EXPECT_EQ(u8"characters \u00F7 N", Utf8(szItem)) << "the second line rule";
            return true;
        },
        [] {
            Click(IDC_RATES_ADD);
            EXPECT_EQ("Standard / Rush / Rates 2 (selected 2)", ListView()) << "after Add";
            EXPECT_EQ("Rates 2 0.00 0.02 80 [] $", Fields()) << "the new rates' fields";
            EXPECT_EQ("++--", Enabled()) << "Add, Delete, Named, Rounded with the laid-out rule";
            return true;
        },
        [] {
            Type(IDC_RATES_NAME, L"Μετάφραση");
            EXPECT_EQ(u8"Standard / Rush / Μετάφραση (selected 2)", ListView()) << "renamed as typed";
            Type(IDC_RATES_CURRENCY, L"€");
            Type(IDC_RATES_MINIMUM, L"25.00");
            Choose(IDC_RATES_CHARS, kCharsWithoutSpaces);
            Choose(IDC_RATES_LINES, kLinesDivided);
            EXPECT_EQ("++++", Enabled()) << "Add, Delete, Named, Rounded once \u00F7 is chosen";
            Choose(IDC_RATES_LINE_NAME, kLineNamePages);
            Choose(IDC_RATES_ROUNDING, kRoundUpPerStartedLine);
            Choose(IDC_RATES_SIDE, kSideTarget);
            // Leaving them keeps what was typed; the first are shown.
            SelectInList(0);
            EXPECT_EQ(u8"Standard 5.00 0.10 60 [] £", Fields()) << "the first rates' fields";
            EXPECT_EQ("++--", Enabled()) << "Add, Delete, Named, Rounded for the first rates";
            Click(IDC_RATES_DELETE);
            EXPECT_EQ(u8"Rush / Μετάφραση (selected 0)", ListView()) << "after deleting the first";
            EXPECT_EQ("Rush", FieldText(IDC_RATES_NAME)) << "the name shown after deleting the first";
            // A name the other rates have.
            SelectInList(1);
            Type(IDC_RATES_NAME, L"Rush");
            PostClick(IDOK);
            return true;
        },
        [&boxText] {
            HWND hwndBox = MessageBoxOfDialog();
            if (hwndBox == nullptr || !IsWindowVisible(hwndBox)) return false;
            wchar_t szText[512] = L"";
            GetDlgItemTextW(hwndBox, 0xFFFF, szText, 512);
            boxText = Utf8(szText);
            PostMessageA(hwndBox, WM_COMMAND, IDOK, 0);
            return true;
        },
        [&afterBox] {
            if (MessageBoxOfDialog() != nullptr) return false;
            afterBox = ListView() + (GetFocus() == Item(IDC_RATES_NAME) ? ", focus on the name" : ", focus elsewhere");
            Type(IDC_RATES_NAME, L"Μετάφραση");
            PostClick(IDOK);
            return true;
        },
    });
    ASSERT_TRUE(bEdited) << "EditRates after OK";
    EXPECT_EQ(0u, boxText.find("Another rates are named \"Rush\"")) << "the message on a name taken: " << boxText;
    EXPECT_EQ("Rush / Rush (selected 1), focus on the name", afterBox) << "the dialog after the message";
    EXPECT_EQ(2, book.nCount) << "rates in the book";
    EXPECT_EQ(0, book.nInUse) << "the rates in use, Rush, after the first were deleted";
    EXPECT_EQ("Rush | 10.00 | 0.00 | 0.15 | 55 | 0.00 | min 30.00 | CHF | chars 1 lines 1 named 1 rounded 0 side 0",
              Describe(book.rates[0])) << "the first rates";
    EXPECT_EQ(u8"Μετάφραση | 0.00 | 0.00 | 0.02 | 80 | 0.00 | min 25.00 | € | chars 2 lines 1 named 1 rounded 1 side 1",
              Describe(book.rates[1])) << "the second rates";
}

TEST_F(RatesDialogTest, CancelLeavesTheBookAsItWas) {
    RateBook book = {};
    Fill(&book.rates[0], L"Standard", "0.00", "0.00", "0.02", "80", "0.00", "", L"$", kCharsWithBreaks, kLinesLaidOut,
         kLineNameStandardLines, kRoundTwoDecimals);
    book.nCount = 1;
    RateBook before = book;
    std::string seen;
    bool bEdited = EditRatesWith(&book, {
        [&seen] {
            seen = "at the start " + Enabled();
            Click(IDC_RATES_ADD);
            seen += ", after Add " + Enabled();
            Type(IDC_RATES_NAME, L"Gone");
            Type(IDC_RATES_FIXED, L"9.99");
            for (int i = 2; i < kMaxRates; ++i) Click(IDC_RATES_ADD);
            seen += ", with " + std::to_string(SendMessageW(Item(IDC_RATES_LIST), LB_GETCOUNT, 0, 0)) + " " +
                    Enabled();
            PostClick(IDCANCEL);
            return true;
        },
    });
    EXPECT_FALSE(bEdited) << "EditRates after Cancel";
    EXPECT_EQ("at the start +---, after Add ++--, with 64 -+--", seen)
        << "Add, Delete, Named, Rounded enabled (+) or not";
    EXPECT_EQ(1, book.nCount) << "rates in the book";
    EXPECT_EQ(0, memcmp(&before, &book, sizeof(book))) << "the book after Cancel, its first rates: "
                                                         << Describe(book.rates[0]);
}

}  // namespace
