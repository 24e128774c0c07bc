// Save Quote in the real tallyq.exe: three dropped files saved through the system's Save As dialog as
// a page and as a sheet whose totals are the window's, the folder remembered, a page that no browser
// can open said on the status line, and a quote saved from Add To CSV under the title typed there.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlwapi.h>

#include <string>
#include <vector>

#include "resources/csv_dialog_ids.h"
#include "resources/main_dialog_ids.h"
#include "support/registry.h"
#include "tests/wine/program_driver.h"
#include "tests/wine/wine_test_support.h"

namespace {

// The Save As dialog's file name box and its type list.
const int kFileNameBox = 0x47C;
const int kTypeList = 0x470;
enum SaveType { kWebPage = 0, kCsvFile = 1 };

// Three files of hand-written text: 3, 5 and 7 words.
struct HandFile {
    const wchar_t* szName;
    const char* szText;
};
const HandFile kFiles[] = {
    {L"alpha.txt", "one two three"},
    {L"beta notes.txt", "four five six\r\nseven eight"},
    {L"gamma.txt", "nine ten eleven twelve thirteen fourteen fifteen"},
};

std::wstring Wide(const std::string& text) {
    std::wstring wide(text.size() + 1, L'\0');
    int n = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, &wide[0], static_cast<int>(wide.size()));
    wide.resize(n > 0 ? n - 1 : 0);
    return wide;
}

std::string Narrow(const std::wstring& text) {
    std::string narrow(text.size() * 3 + 1, '\0');
    int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &narrow[0], static_cast<int>(narrow.size()), nullptr,
                                nullptr);
    narrow.resize(n > 0 ? n - 1 : 0);
    return narrow;
}

::testing::AssertionResult Written(const std::wstring& path, const std::string& bytes) {
    HANDLE hFile = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD dwWritten = 0;
    bool bWritten = hFile != INVALID_HANDLE_VALUE &&
                    WriteFile(hFile, bytes.data(), static_cast<DWORD>(bytes.size()), &dwWritten, nullptr) &&
                    dwWritten == bytes.size();
    DWORD dwError = GetLastError();
    if (hFile != INVALID_HANDLE_VALUE) CloseHandle(hFile);
    if (bWritten) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "could not write a test file (error " << dwError << ")";
}

std::string ReadAll(const std::wstring& path) {
    std::string bytes;
    HANDLE hFile = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (hFile == INVALID_HANDLE_VALUE) return "<missing>";
    char buffer[4096];
    DWORD dwRead = 0;
    while (ReadFile(hFile, buffer, sizeof(buffer), &dwRead, nullptr) && dwRead > 0) bytes.append(buffer, dwRead);
    CloseHandle(hFile);
    return bytes;
}

std::string Trimmed(std::string text) {
    while (!text.empty() && text.back() == ' ') text.pop_back();
    while (!text.empty() && text.front() == ' ') text.erase(0, 1);
    return text;
}

// The price of the CSV sheet's Total record: its last field.
std::string CsvTotal(const std::string& csv) {
    size_t nStart = csv.find("\r\n\"Total\",");
    if (nStart == std::string::npos) return "<no Total record>";
    size_t nEnd = csv.find("\r\n", nStart + 2);
    std::string record = csv.substr(nStart + 2, nEnd - nStart - 2);
    return record.substr(record.rfind(',') + 1);
}

// The amount of the page's total row: its last cell, without the currency after it.
std::string HtmlTotal(const std::string& html) {
    size_t nRow = html.find("<tr class=\"total\">");
    if (nRow == std::string::npos) return "<no total row>";
    size_t nEnd = html.find("</tr>", nRow);
    size_t nCell = html.rfind("<td class=\"n\">", nEnd);
    if (nEnd == std::string::npos || nCell == std::string::npos || nCell < nRow) return "<no total cell>";
    std::string cell = html.substr(nCell + 14, html.find("</td>", nCell) - nCell - 14);
    return cell.substr(0, cell.find(' '));
}

// While it lives, web pages have no program that can start: the .html files' class opens them with
// a program that does not exist, and Wine's own browser finds none to hand them to.
class NoBrowser {
public:
    NoBrowser() {
        DWORD cbOld = sizeof(szOldClass);
        bHadClass = RegGetValueA(HKEY_LOCAL_MACHINE, kHtmlKey, nullptr, RRF_RT_REG_SZ, nullptr, szOldClass, &cbOld) ==
                    ERROR_SUCCESS;
        SetValue(HKEY_LOCAL_MACHINE, kHtmlKey, nullptr, kClass);
        SetValue(HKEY_LOCAL_MACHINE, kCommandKey, nullptr, "\"C:\\no-such-folder\\no-such-browser.exe\" \"%1\"");
        SetValue(HKEY_CURRENT_USER, kWineBrowserKey, "Browsers", "no-such-browser");
    }
    ~NoBrowser() {
        if (bHadClass) SetValue(HKEY_LOCAL_MACHINE, kHtmlKey, nullptr, szOldClass);
        SHDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Classes\\TallyQuillTestNoBrowser");
        SHDeleteValueA(HKEY_CURRENT_USER, kWineBrowserKey, "Browsers");
    }

private:
    static constexpr const char* kHtmlKey = "Software\\Classes\\.html";
    static constexpr const char* kClass = "TallyQuillTestNoBrowser";
    static constexpr const char* kCommandKey = "Software\\Classes\\TallyQuillTestNoBrowser\\shell\\open\\command";
    static constexpr const char* kWineBrowserKey = "Software\\Wine\\WineBrowser";
    static void SetValue(HKEY hRoot, const char* szKey, const char* szName, const char* szValue) {
        HKEY hKey = nullptr;
        if (RegCreateKeyExA(hRoot, szKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &hKey, nullptr) != ERROR_SUCCESS)
            return;
        RegSetValueExA(hKey, szName, 0, REG_SZ, reinterpret_cast<const BYTE*>(szValue),
                       static_cast<DWORD>(strlen(szValue) + 1));
        RegCloseKey(hKey);
    }
    char szOldClass[256] = "";
    bool bHadClass = false;
};

class QuoteTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProgramRegistry();
        EndRunningCopies();
        folder = Wide(ScratchFolder()) + L"quote\\";
        RunChild("cmd /c rmdir /s /q \"" + ScratchFolder() + "quote\"");
        CreateDirectoryW(folder.c_str(), nullptr);
    }
    void TearDown() override {
        EndRunningCopies();
        ResetProgramRegistry();
    }

    // Waits for the Save Quote dialog; gives its file name box's text, the name suggested.
    HWND WaitForSaveAs(std::string* pSuggested) {
        HWND hwndSave = WaitForShownDialog("Save Quote");
        if (hwndSave == nullptr) return nullptr;
        WaitFor([&] { return GetDlgItem(hwndSave, kFileNameBox) != nullptr; });
        *pSuggested = ItemText(hwndSave, kFileNameBox);
        return hwndSave;
    }
    // Types the path into the Save As dialog, chooses the type and presses Save.
    ::testing::AssertionResult SaveAs(HWND hwndSave, const std::wstring& path, SaveType type) {
        SetItemUnicodeText(hwndSave, kFileNameBox, std::u16string(path.begin(), path.end()));
        HWND hwndTypes = GetDlgItem(hwndSave, kTypeList);
        SendWithin(hwndTypes, CB_SETCURSEL, type, 0, "CB_SETCURSEL");
        // What a choice in the list tells its dialog: Wine's takes the type at the second.
        for (WORD wNotify : {CBN_SELCHANGE, CBN_SELENDOK}) {
            SendWithin(hwndSave, WM_COMMAND, MAKEWPARAM(kTypeList, wNotify), reinterpret_cast<LPARAM>(hwndTypes),
                       "the type's choice");
        }
        PostMessageA(hwndSave, WM_COMMAND, IDOK, 0);
        if (WaitFor([hwndSave] { return !IsWindow(hwndSave); })) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "the Save Quote dialog stayed open";
    }
    // The main window's Save Quote, saved as path in that type; the status line once it tells.
    std::string SaveFromWindow(const std::wstring& path, SaveType type, std::string* pSuggested) {
        PostMessageA(program.hwnd, WM_COMMAND, MAKEWPARAM(IDC_SAVE_QUOTE, BN_CLICKED), 0);
        HWND hwndSave = WaitForSaveAs(pSuggested);
        if (hwndSave == nullptr) return "<no Save Quote dialog>";
        ::testing::AssertionResult saved = SaveAs(hwndSave, path, type);
        if (!saved) return saved.message();
        return StatusOnceSaid();
    }
    std::string StatusOnceSaid() {
        std::string status;
        WaitFor([&] { return (status = program.Text(IDC_STATUS_LINE)).compare(0, 5, "Quote") == 0; });
        return status;
    }

    std::wstring folder;
    ProgramUnderTest program;
};

TEST_F(QuoteTest, DroppedFilesAreQuotedAsAPageAndASheetWhoseTotalsAreTheWindows) {
    std::vector<std::wstring> paths;
    for (const HandFile& file : kFiles) {
        paths.push_back(folder + file.szName);
        ASSERT_TRUE(Written(paths.back(), file.szText));
    }
    // A third of a cent a word and a fixed cost: the rows' cents must still add up.
    SetRegistryString("Settings", "CostPerWord", "0.334");
    SetRegistryString("Settings", "FixedCostAmount", "1.50");
    NoBrowser noBrowser;
    PutClipboardText("alpha beta");
    ASSERT_TRUE(program.Start());
    ASSERT_NE(nullptr, program.WaitForDialog());
    ASSERT_EQ("", DropFilesOn(program.hwnd, paths));
    ASSERT_EQ("15", program.TextOnceItIs(IDC_WORD_COUNT, "15")) << program.Text(IDC_STATUS_LINE);
    // 15 words at 0.334 (5.01) and 1.50.
    std::string total = Trimmed(program.Text(IDC_TOTAL_COST));
    EXPECT_EQ("6.51", total);

    // A sheet, named without its extension: the chosen type's is added.
    std::string suggested;
    std::string status = SaveFromWindow(folder + L"sheet", kCsvFile, &suggested);
    EXPECT_EQ("alpha.txt + beta notes.txt + gamma.txt", suggested) << "the job title as the file's name";
    EXPECT_EQ("Quote saved: sheet.csv", status);
    std::string csv = ReadAll(folder + L"sheet.csv");
    EXPECT_EQ(total, CsvTotal(csv)) << csv;
    for (const HandFile& file : kFiles)
        EXPECT_NE(std::string::npos, csv.find("\"" + Narrow(file.szName) + "\",\"Text\"")) << csv;
    wchar_t szFolder[300];
    GetRegistryStringW("Settings", "QuoteFolder", szFolder, 300);
    EXPECT_EQ(Narrow(folder), Narrow(szFolder)) << "the folder remembered";

    // A page: saved, then handed to a browser that cannot start.
    status = SaveFromWindow(folder + L"page", kWebPage, &suggested);
    EXPECT_EQ(0u, status.find("Quote saved: page.html, but it could not be opened: ")) << status;
    std::string html = ReadAll(folder + L"page.html");
    EXPECT_EQ(total, HtmlTotal(html)) << html;
    for (const HandFile& file : kFiles)
        EXPECT_NE(std::string::npos, html.find(">" + Narrow(file.szName) + "</td>")) << html;
    EXPECT_NE(std::string::npos, html.find("<title>Quote: alpha.txt + beta notes.txt + gamma.txt</title>")) << html;

    // From Add To CSV, under the title typed there, which the page holds escaped.
    PostMessageA(program.hwnd, WM_COMMAND, MAKEWPARAM(IDC_ADD_TO_CSV, 0), 0);
    HWND hwndCsv = WaitForShownDialog("Add to CSV File");
    ASSERT_NE(nullptr, hwndCsv);
    SetItemText(hwndCsv, IDC_CSV_JOB_TITLE, "Smith & <Sons>");
    PostMessageA(hwndCsv, WM_COMMAND, MAKEWPARAM(IDC_CSV_SAVE_QUOTE, BN_CLICKED), 0);
    HWND hwndSave = WaitForSaveAs(&suggested);
    ASSERT_NE(nullptr, hwndSave);
    EXPECT_EQ("Smith & _Sons_", suggested) << "what a file name cannot hold is replaced";
    ASSERT_TRUE(SaveAs(hwndSave, folder + L"smith.html", kCsvFile));
    status = StatusOnceSaid();
    EXPECT_EQ(0u, status.find("Quote saved: smith.html, but it could not be opened: ")) << status;
    html = ReadAll(folder + L"smith.html");
    EXPECT_NE(std::string::npos, html.find("<p class=\"title\">Smith &amp; &lt;Sons&gt;</p>")) << html;
    EXPECT_EQ(total, HtmlTotal(html)) << html;
    EXPECT_TRUE(IsWindow(hwndCsv)) << "Add to CSV File stays open";
    PostMessageA(hwndCsv, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitFor([hwndCsv] { return !IsWindow(hwndCsv); }));
    PostMessageA(program.hwnd, WM_COMMAND, IDM_TRAY_EXIT, 0);
    EXPECT_EQ(0, program.WaitForExit());
}

}  // namespace
