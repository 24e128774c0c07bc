// The rates in the real tallyq.exe: stored rates listed and chosen, the counts repriced without the
// clipboard being read again, the captions that follow them, a count with two decimals read back,
// what is typed saved into the rates in use, and the job log's rates fields; rates that count the
// translation of translation files read them again.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "resources/csv_dialog_ids.h"
#include "resources/main_dialog_ids.h"
#include "resources/rates_dialog_ids.h"
#include "support/registry.h"
#include "tests/wine/program_driver.h"
#include "tests/wine/wine_test_support.h"

namespace {

// 24 characters with the line break, 22 without it, 19 without spaces; 5 words; 2 lines at 80.
const std::string kText = "Guten Tag.\r\nWie geht es?";

std::string Stored(const char* szSection, const char* szName) {
    char szValue[kRegistryTextSize];
    GetRegistryString(szSection, szName, "<missing>", szValue, sizeof(szValue));
    return szValue;
}

std::string Utf8(const std::u16string& text) {
    char szUtf8[1024] = "";
    WideCharToMultiByte(CP_UTF8, 0, reinterpret_cast<LPCWSTR>(text.c_str()), -1, szUtf8, sizeof(szUtf8), nullptr,
                        nullptr);
    return szUtf8;
}

std::string ReadFileBytes(const std::string& path) {
    std::string bytes;
    HANDLE hFile = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                               0, nullptr);
    if (hFile == INVALID_HANDLE_VALUE) return "<missing>";
    char buffer[4096];
    DWORD dwRead = 0;
    while (ReadFile(hFile, buffer, sizeof(buffer), &dwRead, nullptr) && dwRead > 0) bytes.append(buffer, dwRead);
    CloseHandle(hFile);
    return bytes;
}

class RatesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProgramRegistry();
        EndRunningCopies();
    }
    void TearDown() override { ResetProgramRegistry(); }

    // Chooses the rates at nIndex in the list as a user does: the selection, then its notification.
    void Choose(int nIndex) {
        HWND hwndList = GetDlgItem(program.hwnd, IDC_RATES);
        SendWithin(hwndList, CB_SETCURSEL, static_cast<WPARAM>(nIndex), 0, "CB_SETCURSEL");
        SendWithin(program.hwnd, WM_COMMAND, MAKEWPARAM(IDC_RATES, CBN_SELCHANGE), reinterpret_cast<LPARAM>(hwndList),
                   "CBN_SELCHANGE");
    }

    std::string ListItem(int nIndex) {
        WCHAR szItem[64] = L"";
        SendMessageW(GetDlgItem(program.hwnd, IDC_RATES), CB_GETLBTEXT, static_cast<WPARAM>(nIndex),
                     reinterpret_cast<LPARAM>(szItem));
        return Utf8(reinterpret_cast<const char16_t*>(szItem));
    }

    // Counts and costs on show, in one text for the failure message.
    std::string Shown() {
        return program.Text(IDC_CHAR_COUNT) + " | " + program.Text(IDC_WORD_COUNT) + " | " +
               program.Text(IDC_LINE_COUNT) + " | " + program.Text(IDC_CHARS_COST) + "| " +
               program.Text(IDC_WORDS_COST) + "| " + program.Text(IDC_LINES_COST) + "| " + program.Text(IDC_TOTAL_COST);
    }
    std::string Caption(int nId) { return Utf8(program.UnicodeText(nId)); }

    ProgramUnderTest program;
};

TEST_F(RatesTest, StoredRatesAreChosenAndRepriceTheTextOnShowWithoutReadingItAgain) {
    // Three rates as the registry holds them, written here by hand.
    SetRegistryString("Rates", "Count", "3");
    SetRegistryString("Rates", "InUse", "0");
    const char* const kCourt[][2] = {{"RateName", "Gericht"},   {"CharacterKind", "spaces"}, {"LineRule", "standard"},
                                     {"CharacterPerLine", "10"}, {"LineRounding", "up"},      {"CostPerLine", "1.20"},
                                     {"CostPerWord", "0"},       {"Currency", "\\u20AC"},    {"MinimumCharge", "30"},
                                     {"FixedCostAmount", "0.50"}};
    for (const auto& value : kCourt) SetRegistryString("Rates\\1", value[0], value[1]);
    const char* const kPages[][2] = {{"RateName", "Seiten \\u0394"}, {"CharacterKind", "no-spaces"},
                                     {"LineRule", "standard"},       {"LineName", "pages"},
                                     {"CharacterPerLine", "10"},     {"CostPerLine", "10"},
                                     {"CostPerWord", "0.00"}};
    for (const auto& value : kPages) SetRegistryString("Rates\\2", value[0], value[1]);

    PutClipboardText(kText);
    ASSERT_TRUE(program.Start());
    ASSERT_NE(nullptr, program.WaitForDialog());
    EXPECT_EQ("24 | 5 | 2 | 0.00 | 0.10 | 0.00 | 0.10 ", Shown()) << "the first rates, as the program always priced";
    EXPECT_EQ("Standard", ListItem(0));
    EXPECT_EQ("Gericht", ListItem(1));
    EXPECT_EQ("Seiten \xCE\x94", ListItem(2));
    EXPECT_EQ("Total Cost ($)", Caption(IDC_CAPTION_TOTAL_COST));

    // Another text on the clipboard: choosing rates prices the text on show, not the new one.
    PutClipboardText("something else entirely");
    Choose(1);
    // 22 characters / 10, up per started line: 3 lines at 1.20 = 3.60, and 0.50 fixed: below the minimum.
    EXPECT_EQ("22 | 5 | 3 | 0.00 | 0.00 | 3.60 | 30.00 ", Shown());
    EXPECT_EQ("0.50", program.Text(IDC_FIXED_COST));
    EXPECT_EQ("1.20", program.Text(IDC_COST_PER_LINE));
    EXPECT_EQ("Number of Characters (with spaces)", Caption(IDC_CAPTION_CHAR_COUNT));
    EXPECT_EQ("Number of Standard Lines", Caption(IDC_CAPTION_LINE_COUNT));
    EXPECT_EQ("x   Cost per Standard Line (\xE2\x82\xAC)", Caption(IDC_CAPTION_COST_PER_LINE));
    EXPECT_EQ("Total Cost (\xE2\x82\xAC) \xE2\x80\x94 minimum", Caption(IDC_CAPTION_TOTAL_COST));

    // 19 characters without spaces / 10 = 1.90 pages, read back with its decimals: 19.00.
    Choose(2);
    EXPECT_EQ("19 | 5 | 1.90 | 0.00 | 0.00 | 19.00 | 19.00 ", Shown());
    EXPECT_EQ("Number of Pages", Caption(IDC_CAPTION_LINE_COUNT));
    EXPECT_EQ("Total Cost ($)", Caption(IDC_CAPTION_TOTAL_COST));

    // What is typed goes into the rates in use; the log records them.
    program.SetText(IDC_COST_PER_LINE, "2");
    EXPECT_EQ("19 | 5 | 1.90 | 0.00 | 0.00 | 3.80 | 3.80 ", Shown());
    std::string path = ScratchFolder() + "rates_log.csv";
    DeleteFileA(path.c_str());
    PostMessageA(program.hwnd, WM_COMMAND, MAKEWPARAM(IDC_ADD_TO_CSV, 0), 0);
    HWND hwndCsv = WaitForShownDialog("Add to CSV File");
    ASSERT_NE(nullptr, hwndCsv);
    SetItemText(hwndCsv, IDC_CSV_FILE_PATH, path);
    SetItemText(hwndCsv, IDC_CSV_JOB_TITLE, "Brief");
    PostMessageA(hwndCsv, WM_COMMAND, IDOK, 0);
    HWND hwndConfirm = WaitForShownDialog("Confirmation");
    ASSERT_NE(nullptr, hwndConfirm);
    PostMessageA(hwndConfirm, WM_COMMAND, IDOK, 0);
    std::string log = ReadFileBytes(path);
    std::string::size_type nTitle = log.find(",\"Brief\",");
    ASSERT_NE(std::string::npos, nTitle) << log;
    EXPECT_EQ(",\"Brief\",19,5,1.90,3.80,\"Seiten \xCE\x94\",$\r\n", log.substr(nTitle)) << "the whole log: " << log;

    // Rates made in Edit Rates are listed and stored at once; the ones in use stay chosen.
    PostMessageA(program.hwnd, WM_COMMAND, MAKEWPARAM(IDC_EDIT_RATES, 0), 0);
    HWND hwndRates = WaitForShownDialog("Edit Rates");
    ASSERT_NE(nullptr, hwndRates);
    SendWithin(hwndRates, WM_COMMAND, MAKEWPARAM(IDC_RATES_ADD, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(hwndRates, IDC_RATES_ADD)), "Add");
    SetItemUnicodeText(hwndRates, IDC_RATES_NAME, u"\u041F\u0435\u0440\u0435\u0432\u043E\u0434");  // Перевод
    PostMessageA(hwndRates, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitFor([hwndRates] { return !IsWindow(hwndRates); })) << "Edit Rates did not close on OK";
    ASSERT_TRUE(program.HandledPostedMessages());
    EXPECT_EQ("\xD0\x9F\xD0\xB5\xD1\x80\xD0\xB5\xD0\xB2\xD0\xBE\xD0\xB4", ListItem(3));
    EXPECT_EQ("\\u041F\\u0435\\u0440\\u0435\\u0432\\u043E\\u0434", Stored("Rates\\3", "RateName"));
    EXPECT_EQ("4", Stored("Rates", "Count"));
    EXPECT_EQ("19 | 5 | 1.90 | 0.00 | 0.00 | 3.80 | 3.80 ", Shown()) << "the rates in use after the dialog";

    // Deleting the first rates moves the others up: the next ones are the first, in "Settings".
    PostMessageA(program.hwnd, WM_COMMAND, MAKEWPARAM(IDC_EDIT_RATES, 0), 0);
    hwndRates = WaitForShownDialog("Edit Rates");
    ASSERT_NE(nullptr, hwndRates);
    HWND hwndNames = GetDlgItem(hwndRates, IDC_RATES_LIST);
    SendWithin(hwndNames, LB_SETCURSEL, 0, 0, "LB_SETCURSEL");
    SendWithin(hwndRates, WM_COMMAND, MAKEWPARAM(IDC_RATES_LIST, LBN_SELCHANGE), reinterpret_cast<LPARAM>(hwndNames),
               "LBN_SELCHANGE");
    SendWithin(hwndRates, WM_COMMAND, MAKEWPARAM(IDC_RATES_DELETE, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(hwndRates, IDC_RATES_DELETE)), "Delete");
    PostMessageA(hwndRates, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitFor([hwndRates] { return !IsWindow(hwndRates); })) << "Edit Rates did not close on OK";
    ASSERT_TRUE(program.HandledPostedMessages());
    EXPECT_EQ("Gericht", ListItem(0));
    EXPECT_EQ("Gericht", Stored("Settings", "RateName"));
    EXPECT_EQ("spaces", Stored("Settings", "CharacterKind"));
    EXPECT_EQ("3", Stored("Rates", "Count"));
    EXPECT_EQ("1", Stored("Rates", "InUse"));
    EXPECT_EQ("<missing>", Stored("Rates\\3", "RateName")) << "the section past the book's end is removed";
    EXPECT_EQ("19 | 5 | 1.90 | 0.00 | 0.00 | 3.80 | 3.80 ", Shown()) << "the rates in use after a delete";

    // The end saves every rates and the ones in use; the others' values stay as they were.
    program.Click(IDC_HOT_KEY_ON);
    PostMessageA(program.hwnd, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(0, program.WaitForExit());
    EXPECT_EQ("2", Stored("Rates\\1", "CostPerLine"));
    EXPECT_EQ("pages", Stored("Rates\\1", "LineName"));
    EXPECT_EQ("Seiten \\u0394", Stored("Rates\\1", "RateName"));
    EXPECT_EQ("1.20", Stored("Settings", "CostPerLine"));
    EXPECT_EQ("\\u20AC", Stored("Settings", "Currency"));
    EXPECT_EQ("1", Stored("Rates", "InUse"));
    EXPECT_EQ("3", Stored("Rates", "Count"));
}

TEST_F(RatesTest, RatesThatCountTheTranslationReadTranslationFilesAgainAndSayWhatHasNone) {
    // The second rates, for proofreading, count the translation; the first the source.
    SetRegistryString("Rates", "Count", "2");
    SetRegistryString("Rates", "InUse", "0");
    SetRegistryString("Rates\\1", "RateName", "Proofreading");
    SetRegistryString("Rates\\1", "TranslationSide", "target");
    // Source: 3 + 4 + 2 words; target: 4 words, one entry without a translation.
    const char kPo[] = "msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=UTF-8\\n\"\n\n"
                       "msgid \"Open the file\"\nmsgstr \"Ouvrir le fichier\"\n\n"
                       "msgid \"Save all the files\"\nmsgstr \"\"\n\n"
                       "#~ msgid \"Old entry gone\"\n#~ msgstr \"Vieille\"\n\n"
                       "msgid \"Close it\"\nmsgstr \"Fermer\"\n";
    std::string path = ScratchFolder() + "messages.po";
    HANDLE hFile = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD dwWritten = 0;
    ASSERT_TRUE(hFile != INVALID_HANDLE_VALUE && WriteFile(hFile, kPo, sizeof(kPo) - 1, &dwWritten, nullptr))
        << "could not write " << path;
    CloseHandle(hFile);
    PutClipboardText(kText);
    ASSERT_TRUE(program.Start());
    ASSERT_NE(nullptr, program.WaitForDialog());
    std::string failure = DropFilesOn(program.hwnd, {std::wstring(path.begin(), path.end())});  // an ASCII path
    ASSERT_EQ("", failure) << "the drop";
    EXPECT_EQ("9", program.TextOnceItIs(IDC_WORD_COUNT, "9")) << "the source's words; status line: "
                                                               << program.Text(IDC_STATUS_LINE);
    Choose(1);
    EXPECT_EQ("4", program.TextOnceItIs(IDC_WORD_COUNT, "4")) << "the translation's words, read again";
    EXPECT_EQ("1 unit has no translation: it counts nothing.",
              program.TextOnceItIs(IDC_STATUS_LINE, "1 unit has no translation: it counts nothing."))
        << "the status line after the reading for the translation";
    Choose(0);
    EXPECT_EQ("9", program.TextOnceItIs(IDC_WORD_COUNT, "9")) << "the source's words again";
    DeleteFileA(path.c_str());
}

}  // namespace
