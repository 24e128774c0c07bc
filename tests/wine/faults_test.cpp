// The real tallyq.exe when things around it go wrong: a clipboard that another program keeps open,
// a clipboard text of 100 MB, registry values of the wrong type or without their terminator, and
// the program killed in the middle of its work.
#include <gtest/gtest.h>
#include <windows.h>
#include <string.h>

#include <string>
#include <vector>

#include "app/settings.h"
#include "resources/csv_dialog_ids.h"
#include "resources/main_dialog_ids.h"
#include "support/registry.h"
#include "support/run_at_logon.h"
#include "tests/wine/damaged_settings.h"
#include "tests/wine/program_driver.h"
#include "tests/wine/wine_test_support.h"

namespace {

const char kSettingsKey[] = "Software\\Kestrilon\\TallyQuill\\Settings";

// Whether the dialog's thread answers a message within the bound: it is not hung.
bool Answers(HWND hwnd, unsigned nTimeoutMs = kPatienceMs) {
    DWORD_PTR dwResult = 0;
    return SendMessageTimeoutA(hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, nTimeoutMs, &dwResult) != 0;
}

// Presses a button and returns how long the program took to handle it, or -1 if not within the bound.
long TimedClick(const ProgramUnderTest& program, int nId, unsigned nTimeoutMs = kPatienceMs) {
    DWORD_PTR dwResult = 0;
    DWORD dwStart = GetTickCount();
    if (!SendMessageTimeoutA(GetDlgItem(program.hwnd, nId), BM_CLICK, 0, 0, 0, nTimeoutMs, &dwResult)) return -1;
    return static_cast<long>(GetTickCount() - dwStart);
}

// A value as stored: its type and bytes.
struct StoredValue {
    bool bFound = false;
    DWORD dwType = REG_NONE;
    std::string bytes;
};

StoredValue ReadStored(const char* szName) {
    StoredValue value;
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, KEY_QUERY_VALUE, &hKey) != ERROR_SUCCESS) return value;
    char buffer[1024];
    DWORD dwBytes = sizeof(buffer);
    value.bFound = RegQueryValueExA(hKey, szName, nullptr, &value.dwType, reinterpret_cast<BYTE*>(buffer), &dwBytes) ==
                   ERROR_SUCCESS;
    if (value.bFound) value.bytes.assign(buffer, dwBytes);
    RegCloseKey(hKey);
    return value;
}

bool StoreRaw(const char* szName, DWORD dwType, const void* pData, DWORD dwBytes) {
    HKEY hKey = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hKey, nullptr) !=
        ERROR_SUCCESS)
        return false;
    bool bStored = RegSetValueExA(hKey, szName, 0, dwType, static_cast<const BYTE*>(pData), dwBytes) == ERROR_SUCCESS;
    RegCloseKey(hKey);
    return bStored;
}

const char* TypeName(DWORD dwType) {
    switch (dwType) {
    case REG_SZ:
        return "REG_SZ";
    case REG_DWORD:
        return "REG_DWORD";
    case REG_BINARY:
        return "REG_BINARY";
    default:
        return "other";
    }
}

// A stored value for the table: its type and, for a text, the text up to its terminator.
std::string Describe(const StoredValue& value) {
    if (!value.bFound) return "missing";
    std::string text = value.bytes.substr(0, value.bytes.find('\0'));
    if (text.size() > 12) text = text.substr(0, 12) + "...(" + std::to_string(value.bytes.size()) + " bytes)";
    return std::string(TypeName(value.dwType)) + " \"" + text + "\"";
}

// A window that opens the clipboard in this process and keeps it, as a clipboard manager or a
// program in the middle of copying might.
class ClipboardHolder {
public:
    ClipboardHolder() {
        hwnd = CreateWindowExA(0, "STATIC", "clipboard holder", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    }
    ~ClipboardHolder() {
        Release();
        DestroyWindow(hwnd);
    }
    bool Hold() { return bHeld = OpenClipboard(hwnd) != FALSE; }
    void Release() {
        if (bHeld) CloseClipboard();
        bHeld = false;
    }

private:
    HWND hwnd = nullptr;
    bool bHeld = false;
};

class FaultsTest : public ::testing::Test {
protected:
    void SetUp() override {
        EndRunningCopies();
        ResetProgramRegistry();
    }
    void TearDown() override {
        EndRunningCopies();
        ResetProgramRegistry();
        EmptyTheClipboard();
    }

    // Ends the program through the tray menu's Exit, its clean end; checked where it is called.
    static ::testing::AssertionResult Exited(ProgramUnderTest& program) {
        PostMessageA(program.hwnd, WM_COMMAND, IDM_TRAY_EXIT, 0);
        int nExit = program.WaitForExit();
        if (nExit == 0) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "the tray's Exit did not end the program with 0: " << nExit;
    }
};

TEST_F(FaultsTest, AClipboardHeldOpenLeavesTheCountsAndSaysSoWithoutAHang) {
    const std::string kUnreadable = "The clipboard could not be read: the counts are unchanged.";
    PutClipboardText("one two three four");
    ClipboardHolder holder;
    ASSERT_TRUE(holder.Hold());

    ProgramUnderTest program;
    DWORD dwStart = GetTickCount();
    ASSERT_TRUE(program.Start());
    ASSERT_NE(nullptr, program.WaitForDialog()) << "the dialog comes up while the clipboard is held";
    DWORD dwShown = GetTickCount() - dwStart;
    EXPECT_EQ("0", program.Text(IDC_CHAR_COUNT)) << "started while held: nothing was priced yet";
    EXPECT_EQ("0", program.Text(IDC_WORD_COUNT)) << "started while held: nothing was priced yet";
    EXPECT_EQ(kUnreadable, program.Text(IDC_STATUS_LINE)) << "started while held";
    EXPECT_TRUE(Answers(program.hwnd)) << "the dialog answers after a start while held";

    holder.Release();
    TimedClick(program, IDC_UPDATE_TEXT);
    EXPECT_EQ("18", program.Text(IDC_CHAR_COUNT)) << "Update Text after the release";

    // Held past the program's 2 s of retries: the counts shown stay, and the status line says so.
    PutClipboardText("five six");
    ASSERT_TRUE(holder.Hold());
    long nHeldClickMs = TimedClick(program, IDC_UPDATE_TEXT);
    EXPECT_GE(nHeldClickMs, 0) << "Update Text while held comes back";
    EXPECT_EQ("18", program.Text(IDC_CHAR_COUNT)) << "Update Text while held";
    EXPECT_EQ("4", program.Text(IDC_WORD_COUNT)) << "Update Text while held";
    EXPECT_EQ(kUnreadable, program.Text(IDC_STATUS_LINE)) << "Update Text while held";
    EXPECT_TRUE(Answers(program.hwnd)) << "the dialog answers after Update Text while held";

    // Held for less than the retries, as a clipboard manager holds it after a copy: it is read.
    // It is let go as soon as the program is busy retrying (it answers nothing meanwhile).
    PostMessageA(program.hwnd, WM_COMMAND, MAKEWPARAM(IDC_UPDATE_TEXT, 0), 0);
    EXPECT_TRUE(WaitFor([&] {
        DWORD_PTR nAnswer = 0;
        return SendMessageTimeoutA(program.hwnd, WM_NULL, 0, 0, SMTO_NORMAL, 100, &nAnswer) == 0;
    })) << "the program never got busy with Update Text";
    holder.Release();
    EXPECT_EQ("8", program.TextOnceItIs(IDC_CHAR_COUNT, "8")) << "Update Text with a short hold";
    long nFreeClickMs = TimedClick(program, IDC_UPDATE_TEXT);
    printf("[ figure ] clipboard held: start to dialog %lu ms, Update Text %ld ms; released: Update Text %ld ms\n",
           static_cast<unsigned long>(dwShown), nHeldClickMs, nFreeClickMs);
    EXPECT_TRUE(Exited(program));
}

// The characters of words in ASCII text, as the program counts them: letters, digits, apostrophe,
// full stop, colon.
bool IsAsciiWordCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '\'' || c == '.' ||
           c == ':';
}

TEST_F(FaultsTest, AHundredMegabyteTextIsCountedAndTheDialogStaysResponsive) {
    const std::string line = "Quill tallies words, lines and prices: 12.50 each -- it's fast.\r\n";
    const size_t nTarget = 100u * 1024u * 1024u;
    std::string text;
    text.reserve(nTarget + line.size());
    size_t nLines = 0;
    while (text.size() < nTarget) {
        text += line;
        ++nLines;
    }
    size_t nWords = 0;
    bool bInWord = false;
    for (char c : text) {
        bool bWordCharacter = IsAsciiWordCharacter(c);
        if (bWordCharacter && !bInWord) ++nWords;
        bInWord = bWordCharacter;
    }

    DWORD dwStart = GetTickCount();
    PutClipboardText(text);
    DWORD dwPut = GetTickCount() - dwStart;

    ProgramUnderTest program;
    dwStart = GetTickCount();
    ASSERT_TRUE(program.Start());
    ASSERT_NE(nullptr, program.WaitForDialog(2 * kPatienceMs)) << "the dialog comes up with 100 MB on the clipboard";
    DWORD dwShown = GetTickCount() - dwStart;
    EXPECT_EQ(std::to_string(text.size()), program.Text(IDC_CHAR_COUNT)) << "characters of 100 MB";
    EXPECT_EQ(std::to_string(nWords), program.Text(IDC_WORD_COUNT)) << "words of 100 MB";
    EXPECT_EQ(std::to_string(nLines), program.Text(IDC_LINE_COUNT)) << "lines of 100 MB at 80 per line";
    EXPECT_TRUE(Answers(program.hwnd)) << "the dialog answers with 100 MB counted";

    // A keystroke in the characters per line recounts the lines of the whole text.
    DWORD dwKeyStart = GetTickCount();
    program.Type(IDC_CHARS_PER_LINE, "0");  // 800 per line: each line still fits
    DWORD dwKey = GetTickCount() - dwKeyStart;
    EXPECT_EQ(std::to_string(nLines), program.Text(IDC_LINE_COUNT)) << "lines of 100 MB at 800 per line";
    long nUpdateMs = TimedClick(program, IDC_UPDATE_TEXT, 2 * kPatienceMs);
    EXPECT_GE(nUpdateMs, 0) << "Update Text of 100 MB comes back";
    EXPECT_EQ(std::to_string(text.size()), program.Text(IDC_CHAR_COUNT)) << "characters after Update Text";
    EXPECT_TRUE(Answers(program.hwnd)) << "the dialog answers after Update Text of 100 MB";
    printf("[ figure ] %zu bytes, %zu words, %zu lines: put on the clipboard %lu ms; start to counts shown %lu ms; "
           "a keystroke in the characters per line %lu ms; Update Text %ld ms\n",
           text.size(), nWords, nLines, static_cast<unsigned long>(dwPut), static_cast<unsigned long>(dwShown),
           static_cast<unsigned long>(dwKey), nUpdateMs);
    EXPECT_TRUE(Exited(program));
}

// Where a setting shows in the program.
enum class Shown { kEditField, kCheckBox, kHotKeyName, kCsvDialog };

struct SettingRow {
    const char* szName;
    Shown shown;
    int nControlId;
    std::string defaultText;  // as the control shows it; "1" for a checked box
    bool bWrittenAtExit;      // saved by a clean end; the hot key and the CSV path only when chosen
};

// One setting of each way of showing and saving, each stored with one of the damages, every damage
// at least once: the settings tests read every setting with every damage in their own process.
struct FaultCase {
    SettingRow row;
    const SettingDamage& damage;
};
std::vector<FaultCase> FaultCases() {
    return {
        {{"CostPerWord", Shown::kEditField, IDC_COST_PER_WORD, kPriceSettings[2].szDefault, true}, kSettingDamages[0]},
        {{"HotKeyOn", Shown::kCheckBox, IDC_HOT_KEY_ON, "1", true}, kSettingDamages[1]},
        {{"HotKey", Shown::kHotKeyName, IDC_HOT_KEY_NAME, "", false}, kSettingDamages[2]},
        {{"CSVFilePath", Shown::kCsvDialog, IDC_CSV_FILE_PATH, "", false}, kSettingDamages[0]},
    };
}

// The text that a setting's damaged bytes spell.
const DamagedSetting& Damaged(const char* szName) {
    for (const DamagedSetting& setting : kDamagedSettings) {
        if (strcmp(setting.szName, szName) == 0) return setting;
    }
    ADD_FAILURE() << "no damaged form of " << szName;
    return kDamagedSettings[0];
}

// What the running program shows for a setting.
std::string ShownFor(const ProgramUnderTest& program, const SettingRow& row) {
    switch (row.shown) {
    case Shown::kEditField:
    case Shown::kHotKeyName:
        return program.Text(row.nControlId);
    case Shown::kCheckBox:
        return program.Checked(row.nControlId) ? "1" : "0";
    case Shown::kCsvDialog: {
        PostMessageA(program.hwnd, WM_COMMAND, MAKEWPARAM(IDC_ADD_TO_CSV, 0), 0);
        HWND hwndCsv = WaitForShownDialog("Add to CSV File");
        if (hwndCsv == nullptr) return "<no Add to CSV File dialog>";
        std::string path = ItemText(hwndCsv, row.nControlId);
        PostMessageA(hwndCsv, WM_COMMAND, IDCANCEL, 0);
        WaitFor([hwndCsv] { return !IsWindow(hwndCsv); });
        return path;
    }
    }
    return "";
}

TEST_F(FaultsTest, ASettingOfAnotherTypeOrUnterminatedShowsItsDefault) {
    // The hot key's name as a start without any values shows it.
    std::string defaultKeyName;
    {
        ProgramUnderTest program;
        ASSERT_TRUE(program.Start());
        ASSERT_NE(nullptr, program.WaitForDialog());
        defaultKeyName = program.Text(IDC_HOT_KEY_NAME);
        EXPECT_TRUE(Exited(program));
        ResetProgramRegistry();
    }
    ASSERT_FALSE(defaultKeyName.empty());

    for (FaultCase c : FaultCases()) {
        SettingRow& row = c.row;
        if (row.shown == Shown::kHotKeyName) row.defaultText = defaultKeyName;
        std::string what = std::string(row.szName) + " as " + c.damage.szWhat;
        SCOPED_TRACE(what);
        ResetProgramRegistry();
        std::string bytes = DamagedBytes(c.damage, Damaged(row.szName));
        ASSERT_TRUE(StoreRaw(row.szName, c.damage.dwType, bytes.data(), static_cast<DWORD>(bytes.size())));

        ProgramUnderTest program;
        ASSERT_TRUE(program.Start());
        ASSERT_NE(nullptr, program.WaitForDialog()) << "the program starts";
        std::string shown = ShownFor(program, row);
        EXPECT_EQ(row.defaultText, shown) << "the default is shown";
        EXPECT_TRUE(Exited(program));

        StoredValue stored = ReadStored(row.szName);
        std::string again = "-";
        if (row.bWrittenAtExit) {
            EXPECT_EQ(static_cast<DWORD>(REG_SZ), stored.dwType) << "a text is written back";
            EXPECT_EQ(std::string(row.defaultText) + '\0', stored.bytes)
                << "the default is written back with its terminator";
        } else {
            // Saved only when the user picks a key or a file, so the clean end leaves the value to
            // the next start, which must read it as the default again.
            ProgramUnderTest next;
            ASSERT_TRUE(next.Start());
            ASSERT_NE(nullptr, next.WaitForDialog()) << "the next start";
            again = ShownFor(next, row);
            EXPECT_EQ(row.defaultText, again) << "the next start shows the default";
            EXPECT_TRUE(Exited(next));
        }
        printf("[ setting ] %-48s | shown \"%s\" | stored after Exit: %s | next start shows \"%s\"\n",
               what.c_str(), shown.c_str(), Describe(stored).c_str(), again.c_str());
        fflush(stdout);
    }
}

TEST_F(FaultsTest, AKilledProgramLeavesTheSettingsOfItsLastCleanEnd) {
    PutClipboardText("one two three");
    {
        ProgramUnderTest program;
        ASSERT_TRUE(program.Start());
        ASSERT_NE(nullptr, program.WaitForDialog());
        program.SetText(IDC_COST_PER_WORD, "0.07");
        program.SetText(IDC_FIXED_COST, "1.25");
        EXPECT_TRUE(Exited(program));
    }
    StoredValue perWord = ReadStored("CostPerWord"), fixed = ReadStored("FixedCostAmount");
    ASSERT_EQ(std::string("0.07") + '\0', perWord.bytes) << "stored at the clean end";
    ASSERT_EQ(std::string("1.25") + '\0', fixed.bytes) << "stored at the clean end";
    std::vector<StoredValue> cleanEnd;
    for (const PriceSetting& setting : kPriceSettings) cleanEnd.push_back(ReadStored(setting.szValueName));

    {
        ProgramUnderTest program;
        ASSERT_TRUE(program.Start());
        ASSERT_NE(nullptr, program.WaitForDialog());
        EXPECT_EQ("0.07", program.Text(IDC_COST_PER_WORD)) << "the second start shows the stored price";
        program.SetText(IDC_COST_PER_WORD, "0.09");
        program.Type(IDC_FIXED_COST, "5");
        program.Click(IDC_HOT_KEY_ON);
        EXPECT_EQ("0.27 ", program.Text(IDC_WORDS_COST)) << "the changed price is in use";
        program.Kill();
        EXPECT_EQ(9, program.WaitForExit(0)) << "killed";
    }
    for (int i = 0; i < kPriceSettingCount; ++i) {
        StoredValue now = ReadStored(kPriceSettings[i].szValueName);
        EXPECT_TRUE(now.dwType == cleanEnd[i].dwType && now.bytes == cleanEnd[i].bytes)
            << kPriceSettings[i].szValueName << " after the kill: " << Describe(now) << ", stored at the clean end "
            << Describe(cleanEnd[i]);
    }
    EXPECT_EQ(std::string("1") + '\0', ReadStored("HotKeyOn").bytes) << "the box cleared before the kill";

    ProgramUnderTest program;
    ASSERT_TRUE(program.Start());
    ASSERT_NE(nullptr, program.WaitForDialog()) << "a start after the kill";
    EXPECT_EQ("0.07", program.Text(IDC_COST_PER_WORD)) << "a start after the kill";
    EXPECT_EQ("1.25", program.Text(IDC_FIXED_COST)) << "a start after the kill";
    EXPECT_TRUE(program.Checked(IDC_HOT_KEY_ON)) << "a start after the kill";
    EXPECT_TRUE(Exited(program));
}

}  // namespace

namespace {

// Sends a session's end to every top-level window of the program, as the system does at a logoff:
// first the question, then the end itself. Bounded, so that a hung program fails the test.
void EndTheSession(const ProgramUnderTest& program) {
    std::vector<HWND> windows;
    struct Finder {
        DWORD dwProcessId;
        std::vector<HWND>* pWindows;
        static BOOL CALLBACK Each(HWND hwnd, LPARAM lParam) {
            Finder* pFinder = reinterpret_cast<Finder*>(lParam);
            DWORD dwProcessId = 0;
            GetWindowThreadProcessId(hwnd, &dwProcessId);
            if (dwProcessId == pFinder->dwProcessId) pFinder->pWindows->push_back(hwnd);
            return TRUE;
        }
    } finder = {program.process.dwProcessId, &windows};
    EnumWindows(Finder::Each, reinterpret_cast<LPARAM>(&finder));
    DWORD_PTR nAnswer = 0;
    for (HWND hwnd : windows) SendMessageTimeoutA(hwnd, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 10000, &nAnswer);
    for (HWND hwnd : windows) {
        if (IsWindow(hwnd)) SendMessageTimeoutA(hwnd, WM_ENDSESSION, TRUE, 0, SMTO_ABORTIFHUNG, 10000, &nAnswer);
    }
}

}  // namespace

// Settings that could not be saved are said in one box when the user ends the program, and never
// at a session's end, where a box would hold up the logoff.
TEST_F(FaultsTest, UnsavedSettingsAreSaidOnceAtTheEndOfARunButNotAtASessionsEnd) {
    const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    SetRunAtLogon("C:\\Program Files\\Kestrilon\\TallyQuill\\tallyq.exe");  // as the setup left it
    SetRegistryString("Settings", "CostPerWord", "0.02");
    {
        DeniedKey settings(HKEY_LOCAL_MACHINE, kSettingsKey);
        DeniedKey run(HKEY_LOCAL_MACHINE, kRunKey);
        ASSERT_TRUE(settings.Denied() && run.Denied()) << "Wine did not enforce the keys' access lists";
        ProgramUnderTest program;
        ASSERT_TRUE(program.Start());
        ASSERT_NE(nullptr, program.WaitForDialog());
        program.Click(IDC_HOT_KEY_ON);  // no longer start at logon
        program.SetText(IDC_COST_PER_WORD, "0.07");
        HWND hwndMain = program.hwnd;
        PostMessageA(hwndMain, WM_COMMAND, IDM_TRAY_EXIT, 0);
        // The box comes once the main dialog, of the same title, is gone.
        ASSERT_TRUE(WaitFor([&] { return !IsWindow(hwndMain); })) << program.ProcessState();
        HWND hwndBox = WaitForShownDialog("TallyQuill");
        ASSERT_NE(nullptr, hwndBox) << program.ProcessState();
        std::string text = MessageBoxText(hwndBox);
        EXPECT_NE(std::string::npos, text.find("TallyQuill could not stop starting at logon for every user: ")) << text;
        EXPECT_NE(std::string::npos, text.find("The settings could not be saved: ")) << text;
        PostMessageA(hwndBox, WM_COMMAND, IDOK, 0);
        EXPECT_EQ(0, program.WaitForExit());
        EXPECT_EQ(nullptr, FindDialogTitled("TallyQuill")) << "one box";

        // At a session's end the same failures end the program without a box.
        ProgramUnderTest ending;
        ASSERT_TRUE(ending.Start());
        ASSERT_NE(nullptr, ending.WaitForDialog());
        ending.SetText(IDC_COST_PER_WORD, "0.09");
        EndTheSession(ending);
        EXPECT_EQ(0, ending.WaitForExit()) << ending.ProcessState();
    }
    EXPECT_EQ("0.02", [] {
        char szValue[kRegistryTextSize];
        GetRegistryString("Settings", "CostPerWord", "", szValue, sizeof(szValue));
        return std::string(szValue);
    }()) << "nothing was written through the denial";
    ClearRunAtLogon();
}

// A session that ends while Change Key is open: the key dialog's window goes with its object, the
// program saves its settings and ends.
TEST_F(FaultsTest, ASessionEndWithChangeKeyOpenSavesAndEnds) {
    ProgramUnderTest program;
    ASSERT_TRUE(program.Start());
    ASSERT_NE(nullptr, program.WaitForDialog());
    program.SetText(IDC_COST_PER_WORD, "0.11");
    PostMessageA(program.hwnd, WM_COMMAND, IDC_CHANGE_KEY, 0);
    HWND hwndKey = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (hwndKey = FindDialogTitled("Change Key")) != nullptr; }));
    EndTheSession(program);
    EXPECT_EQ(0, program.WaitForExit()) << program.ProcessState();
    char szValue[kRegistryTextSize];
    GetRegistryString("Settings", "CostPerWord", "", szValue, sizeof(szValue));
    EXPECT_STREQ("0.11", szValue) << "the settings were saved at the session's end";
}
