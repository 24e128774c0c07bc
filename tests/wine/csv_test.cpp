// The CSV job log through the real program: the Add To CSV command, its dialog, the Save As dialog,
// the records written (UTF-8 in a new log, the ANSI code page in an older one), and the files and
// titles that cannot be written.
#include <gtest/gtest.h>
#include <time.h>
#include <windows.h>

#include <string>

#include "resources/csv_dialog_ids.h"
#include "resources/main_dialog_ids.h"
#include "support/registry.h"
#include "tests/wine/program_driver.h"
#include "tests/wine/wine_test_support.h"

namespace {

const std::string kCatText = "The cat sat.\r\nIt's 3.5 m long -- really!";
// The mark that a log in UTF-8 starts with.
const std::string kUtf8Mark = "\xEF\xBB\xBF";

// A text in the tests' ANSI code page as Unicode, as the system converts it.
std::u16string FromAnsi(const std::string& text) {
    WCHAR szWide[1024] = L"";
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, szWide, 1024);
    return std::u16string(reinterpret_cast<const char16_t*>(szWide));
}

// A Unicode text in UTF-8, for failure messages.
std::string Utf8(const std::u16string& text) {
    char szUtf8[4096] = "";
    WideCharToMultiByte(CP_UTF8, 0, reinterpret_cast<LPCWSTR>(text.c_str()), -1, szUtf8, sizeof(szUtf8), nullptr,
                        nullptr);
    return szUtf8;
}

std::string ReadFileBytes(const std::string& path) {
    std::string bytes;
    HANDLE hFile = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                               nullptr);
    if (hFile == INVALID_HANDLE_VALUE) return "<missing>";
    char buffer[4096];
    DWORD dwRead = 0;
    while (ReadFile(hFile, buffer, sizeof(buffer), &dwRead, nullptr) && dwRead > 0) bytes.append(buffer, dwRead);
    CloseHandle(hFile);
    return bytes;
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    HANDLE hFile = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD dwWritten = 0;
    WriteFile(hFile, bytes.data(), static_cast<DWORD>(bytes.size()), &dwWritten, nullptr);
    CloseHandle(hFile);
}

std::string DateToday(int nOrder) {
    time_t now = time(nullptr);
    struct tm* pLocal = localtime(&now);
    int d = pLocal->tm_mday, m = pLocal->tm_mon + 1, y = pLocal->tm_year % 100;
    char szDate[16];
    if (nOrder == 1) snprintf(szDate, sizeof(szDate), "%.2d/%.2d/%.2d", d, m, y);
    else if (nOrder == 2) snprintf(szDate, sizeof(szDate), "%.2d/%.2d/%.2d", y, m, d);
    else snprintf(szDate, sizeof(szDate), "%.2d/%.2d/%.2d", m, d, y);
    return szDate;
}

void SetDateOrder(const char* sziDate) {
    HKEY hIntl = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\International", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hIntl,
                    nullptr);
    RegSetValueExA(hIntl, "iDate", 0, REG_SZ, reinterpret_cast<const BYTE*>(sziDate),
                   static_cast<DWORD>(strlen(sziDate) + 1));
    RegCloseKey(hIntl);
}

class CsvTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProgramRegistry();
        EndRunningCopies();
        folder = ScratchFolder();
    }
    void TearDown() override {
        SetDateOrder("0");
        ResetProgramRegistry();
    }

    // Starts the program with the text on the clipboard; checked where it is called.
    bool Started(const std::string& text) {
        PutClipboardText(text);
        return program.Start() && program.WaitForDialog() != nullptr;
    }

    // Opens "Add to CSV File" from the main dialog; returns its window.
    HWND OpenCsvDialog() {
        PostMessageA(program.hwnd, WM_COMMAND, MAKEWPARAM(IDC_ADD_TO_CSV, 0), 0);
        return WaitForShownDialog("Add to CSV File");
    }

    // Fills the two boxes and presses OK; returns true when the confirmation came and was answered.
    bool AddJob(const std::string& path, const std::u16string& title) {
        HWND hwndCsv = OpenCsvDialog();
        if (hwndCsv == nullptr) {
            ADD_FAILURE() << "no Add to CSV File dialog";
            return false;
        }
        return AddJobIn(hwndCsv, path, title);
    }
    bool AddJob(const std::string& path, const char* szAnsiTitle) { return AddJob(path, FromAnsi(szAnsiTitle)); }

    // The same in a dialog that is open already.
    bool AddJobIn(HWND hwndCsv, const std::string& path, const std::u16string& title) {
        SetItemText(hwndCsv, IDC_CSV_FILE_PATH, path);
        SetItemUnicodeText(hwndCsv, IDC_CSV_JOB_TITLE, title);
        PostMessageA(hwndCsv, WM_COMMAND, IDOK, 0);
        HWND hwndConfirm = WaitForShownDialog("Confirmation");
        if (hwndConfirm == nullptr) {
            HWND hwndWarning = FindDialogTitled("CSV File Not Written");
            ADD_FAILURE() << "no confirmation; the warning: " << (hwndWarning ? MessageBoxText(hwndWarning) : "(none)");
            return false;
        }
        PostMessageA(hwndConfirm, WM_COMMAND, IDOK, 0);
        return WaitFor([hwndCsv] { return !IsWindow(hwndCsv); });
    }

    std::string StoredCsvPath() {
        char szPath[kRegistryTextSize];
        GetRegistryString("Settings", "CSVFilePath", "<missing>", szPath, sizeof(szPath));
        return szPath;
    }

    ProgramUnderTest program;
    std::string folder;
};

TEST_F(CsvTest, RecordsAreAppendedAndThePathIsOfferedAgain) {
    SetDateOrder("1");
    std::string path = folder + "jobs.csv";
    DeleteFileA(path.c_str());
    ASSERT_TRUE(Started(kCatText));
    ASSERT_TRUE(AddJob(path, "Letter to bank"));
    std::string date = DateToday(1);
    std::string first = date + ",\"Letter to bank\",40,8,2,0.16,\"Standard\",$\r\n";
    EXPECT_EQ(kUtf8Mark + first, ReadFileBytes(path))
        << "a new log: the UTF-8 mark and one RFC 4180 record with the rates' name and currency, no header";
    EXPECT_EQ(path, StoredCsvPath());

    // The next time the box offers the stored path, and the title starts empty.
    HWND hwndCsv = OpenCsvDialog();
    ASSERT_NE(nullptr, hwndCsv);
    EXPECT_EQ(path, ItemText(hwndCsv, IDC_CSV_FILE_PATH));
    EXPECT_EQ("", ItemText(hwndCsv, IDC_CSV_JOB_TITLE));
    // Cancel writes nothing and stores nothing.
    SetItemText(hwndCsv, IDC_CSV_FILE_PATH, "C:\\elsewhere.csv");
    PostMessageA(hwndCsv, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitFor([hwndCsv] { return !IsWindow(hwndCsv); }));
    EXPECT_EQ(path, StoredCsvPath());

    // A total of 1234.5 is logged with two decimals and no grouping; a file without a final line
    // break (and without the mark: an older log in the ANSI code page) still gets the record at its end,
    // laid out as that log's records are.
    program.SetText(IDC_COST_PER_WORD, "0");
    program.SetText(IDC_FIXED_COST, "1234.5");
    WriteFileBytes(path, first + "no line break");
    ASSERT_TRUE(AddJob(path, "Big job"));
    EXPECT_EQ(first + "no line break" + date + ", \"Big job\", 40, 8, 2, 1234.50 \r\n", ReadFileBytes(path));
    PostMessageA(program.hwnd, WM_COMMAND, IDM_TRAY_EXIT, 0);
    EXPECT_EQ(0, program.WaitForExit());
}

TEST_F(CsvTest, TitlesThatSpreadsheetsMustReadAsOneField) {
    // Read back by Python's CSV reader and by LibreOffice Calc in the check that follows this program
    // (csv_titles.csv, tests/csv/check_csv_log.py).
    std::string path = folder + "csv_titles.csv";
    DeleteFileA(path.c_str());
    ASSERT_TRUE(Started(kCatText));
    const std::u16string titles[] = {u"Letter to bank", u"a, b, and c", u"the \"big\" job", u"\"",
                                     u"café résumé ÿ",   u"",            u"Smith, \"Ωμέγα\" letter"};
    for (const std::u16string& title : titles) ASSERT_TRUE(AddJob(path, title)) << Utf8(title);
    std::string bytes = ReadFileBytes(path);
    EXPECT_NE(std::string::npos,
              bytes.find(",\"Smith, \"\"\xCE\xA9\xCE\xBC\xCE\xAD\xCE\xB3\xCE\xB1\"\" letter\",40,8,2,0.16,\"Standard\",$\r\n"))
        << bytes;
    EXPECT_NE(std::string::npos, bytes.find(",\"\",40,8,2,0.16,\"Standard\",$\r\n")) << bytes;
    PostMessageA(program.hwnd, WM_COMMAND, IDM_TRAY_EXIT, 0);
    EXPECT_EQ(0, program.WaitForExit());
}

TEST_F(CsvTest, ANewLogIsUtf8AfterTheMarkAndKeepsATitleInAnyScript) {
    SetDateOrder("0");
    std::string path = folder + "scripts.csv";
    DeleteFileA(path.c_str());
    ASSERT_TRUE(Started(kCatText));
    ASSERT_TRUE(AddJob(path, u"Письмо Ωμέγα 報告"));
    std::string first = DateToday(0) +
                        ",\"\xD0\x9F\xD0\xB8\xD1\x81\xD1\x8C\xD0\xBC\xD0\xBE \xCE\xA9\xCE\xBC\xCE\xAD\xCE\xB3\xCE\xB1 "
                        "\xE5\xA0\xB1\xE5\x91\x8A\",40,8,2,0.16,\"Standard\",$\r\n";
    EXPECT_EQ(kUtf8Mark + first, ReadFileBytes(path));
    // A log with the mark goes on in UTF-8, without a second mark.
    ASSERT_TRUE(AddJob(path, u"Ωμέγα 2"));
    std::string second = DateToday(0) + ",\"\xCE\xA9\xCE\xBC\xCE\xAD\xCE\xB3\xCE\xB1 2\",40,8,2,0.16,\"Standard\",$\r\n";
    EXPECT_EQ(kUtf8Mark + first + second, ReadFileBytes(path));
    // A UTF-8 log that began with six fields a record goes on with six.
    const std::string kSixFields = "01/01/26,\"a, \"\"b\"\"\",1,1,1,0.02\r\n";
    WriteFileBytes(path, kUtf8Mark + kSixFields);
    ASSERT_TRUE(AddJob(path, u"old"));
    EXPECT_EQ(kUtf8Mark + kSixFields + DateToday(0) + ",\"old\",40,8,2,0.16\r\n", ReadFileBytes(path));
    PostMessageA(program.hwnd, WM_COMMAND, IDM_TRAY_EXIT, 0);
    EXPECT_EQ(0, program.WaitForExit());
}

TEST_F(CsvTest, AnOlderAnsiLogRefusesATitleItsCodePageCannotHold) {
    ASSERT_EQ(1252u, GetACP()) << "the bench's ANSI code page, which the titles below are chosen for";
    SetDateOrder("0");
    std::string path = folder + "ansi.csv";
    const std::string kBefore = "01/01/26, \"caf\xE9\", 1, 1, 1, 0.02 \r\n";
    WriteFileBytes(path, kBefore);
    ASSERT_TRUE(Started(kCatText));
    HWND hwndCsv = OpenCsvDialog();
    ASSERT_NE(nullptr, hwndCsv);
    SetItemText(hwndCsv, IDC_CSV_FILE_PATH, path);
    // Greek letters, each named once; the micro sign of code page 1252 is no stand-in for mu.
    SetItemUnicodeText(hwndCsv, IDC_CSV_JOB_TITLE, u"Ωμέγα Ωμέγα café");
    PostMessageA(hwndCsv, WM_COMMAND, IDOK, 0);
    HWND hwndWarning = WaitForShownDialog("CSV File Not Written");
    ASSERT_NE(nullptr, hwndWarning);
    EXPECT_EQ(hwndCsv, GetWindow(hwndWarning, GW_OWNER)) << "the warning belongs to the Add to CSV File dialog";
    std::u16string warning = MessageBoxUnicodeText(hwndWarning);
    EXPECT_NE(std::u16string::npos, warning.find(u"\n\nΩ μ έ γ α\n\n")) << Utf8(warning);
    PostMessageA(hwndWarning, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitFor([hwndWarning] { return !IsWindow(hwndWarning); }));
    ASSERT_TRUE(program.HandledPostedMessages());
    EXPECT_EQ(nullptr, FindDialogTitled("Confirmation")) << "no success message";
    EXPECT_TRUE(IsWindow(hwndCsv)) << "the dialog stays open for another title or file";
    EXPECT_EQ(kBefore, ReadFileBytes(path)) << "nothing written";
    EXPECT_EQ(path, StoredCsvPath());

    // A title the code page holds is added in it.
    ASSERT_TRUE(AddJobIn(hwndCsv, path, u"Café"));
    EXPECT_EQ(kBefore + DateToday(0) + ", \"Caf\xE9\", 40, 8, 2, 0.16 \r\n", ReadFileBytes(path));
    DeleteFileA(path.c_str());
    PostMessageA(program.hwnd, WM_COMMAND, IDM_TRAY_EXIT, 0);
    EXPECT_EQ(0, program.WaitForExit());
}

TEST_F(CsvTest, DateFollowsTheUsersOrder) {
    std::string path = folder + "dates.csv";
    for (const char* sziDate : {"0", "2"}) {
        DeleteFileA(path.c_str());
        SetDateOrder(sziDate);
        ProgramUnderTest started;
        PutClipboardText("one two");
        ASSERT_TRUE(started.Start());
        ASSERT_NE(nullptr, started.WaitForDialog());
        program.hwnd = started.hwnd;
        ASSERT_TRUE(AddJob(path, "t"));
        EXPECT_EQ(kUtf8Mark + DateToday(sziDate[0] - '0') + ",\"t\",7,2,1,0.04,\"Standard\",$\r\n", ReadFileBytes(path))
            << "iDate " << sziDate;
        PostMessageA(started.hwnd, WM_COMMAND, IDM_TRAY_EXIT, 0);
        EXPECT_EQ(0, started.WaitForExit());
    }
    program.hwnd = nullptr;
}

TEST_F(CsvTest, AFileThatCannotBeWrittenIsReportedAndLeftAsItWas) {
    // Held open without sharing by another program; not writable (a folder of that name: a read-only
    // attribute does not stop the tests' root user under Wine); in a folder that does not exist.
    std::string held = folder + "held.csv", notWritable = folder + "folder.csv";
    std::string missing = folder + "no such folder\\log.csv";
    const std::string kBefore = "01/01/26, \"old\", 1, 1, 1, 0.02 \r\n";
    WriteFileBytes(held, kBefore);
    CreateDirectoryA(notWritable.c_str(), nullptr);
    HANDLE hHeld = CreateFileA(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, hHeld);

    ASSERT_TRUE(Started(kCatText));
    for (const std::string& path : {held, notWritable, missing}) {
        HWND hwndCsv = OpenCsvDialog();
        ASSERT_NE(nullptr, hwndCsv);
        SetItemText(hwndCsv, IDC_CSV_FILE_PATH, path);
        PostMessageA(hwndCsv, WM_COMMAND, IDOK, 0);
        HWND hwndWarning = WaitForShownDialog("CSV File Not Written");
        ASSERT_NE(nullptr, hwndWarning) << path;
        EXPECT_EQ(nullptr, FindDialogTitled("Confirmation")) << "no success message for " << path;
        PostMessageA(hwndWarning, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(WaitFor([hwndWarning] { return !IsWindow(hwndWarning); }));
        // Whatever the OK set off is done: a success message would be open now.
        ASSERT_TRUE(program.HandledPostedMessages());
        EXPECT_EQ(nullptr, FindDialogTitled("Confirmation")) << "no success message after the warning for " << path;
        EXPECT_TRUE(IsWindow(hwndCsv)) << "the dialog stays open for another file";
        EXPECT_EQ(path, StoredCsvPath()) << "the path is stored all the same";
        PostMessageA(hwndCsv, WM_COMMAND, IDCANCEL, 0);
        ASSERT_TRUE(WaitFor([hwndCsv] { return !IsWindow(hwndCsv); }));
    }
    CloseHandle(hHeld);
    EXPECT_EQ(kBefore, ReadFileBytes(held));
    EXPECT_EQ(FILE_ATTRIBUTE_DIRECTORY, GetFileAttributesA(notWritable.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ("<missing>", ReadFileBytes(missing));
    RemoveDirectoryA(notWritable.c_str());
    DeleteFileA(held.c_str());
    PostMessageA(program.hwnd, WM_COMMAND, IDM_TRAY_EXIT, 0);
    EXPECT_EQ(0, program.WaitForExit());
}

TEST_F(CsvTest, LocateCsvFileChoosesAPathBesideTheCurrentOne) {
    ASSERT_TRUE(Started(kCatText));
    HWND hwndCsv = OpenCsvDialog();
    ASSERT_NE(nullptr, hwndCsv);
    std::string start = folder + "current.csv";
    SetItemText(hwndCsv, IDC_CSV_FILE_PATH, start);

    // Cancel leaves the box as it was.
    PostMessageA(hwndCsv, WM_COMMAND, MAKEWPARAM(IDC_CSV_BROWSE, BN_CLICKED), 0);
    HWND hwndSave = WaitForShownDialog("Locate CSV File");
    ASSERT_NE(nullptr, hwndSave);
    PostMessageA(hwndSave, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitFor([hwndSave] { return !IsWindow(hwndSave); }));
    EXPECT_EQ(start, ItemText(hwndCsv, IDC_CSV_FILE_PATH));

    // A bare name typed in the dialog lands in the current file's folder, with ".csv" added.
    PostMessageA(hwndCsv, WM_COMMAND, MAKEWPARAM(IDC_CSV_BROWSE, BN_CLICKED), 0);
    hwndSave = WaitForShownDialog("Locate CSV File");
    ASSERT_NE(nullptr, hwndSave);
    HWND hwndName = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        hwndName = GetDlgItem(hwndSave, 0x47C);  // the file name box
        return hwndName != nullptr;
    }));
    SetItemText(hwndSave, 0x47C, "monthly");
    PostMessageA(hwndSave, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitFor([hwndSave] { return !IsWindow(hwndSave); }));
    std::string chosen = ItemText(hwndCsv, IDC_CSV_FILE_PATH);
    EXPECT_EQ(0, lstrcmpiA((folder + "monthly.csv").c_str(), chosen.c_str())) << chosen;
    PostMessageA(hwndCsv, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitFor([hwndCsv] { return !IsWindow(hwndCsv); }));
    PostMessageA(program.hwnd, WM_COMMAND, IDM_TRAY_EXIT, 0);
    EXPECT_EQ(0, program.WaitForExit());
}

}  // namespace
