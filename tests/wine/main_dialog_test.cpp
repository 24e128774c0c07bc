// The real tallyq.exe, started and driven from this process: counts and costs on show, repricing,
// hiding and ending, saved settings, folding, the status line, the hand-over and the start checks.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <utility>

#include "resources/main_dialog_ids.h"
#include "support/registry.h"
#include "tests/wine/program_driver.h"
#include "tests/wine/wine_test_support.h"
#include "tallyq_version.h"

namespace {

const std::string kCatText = "The cat sat.\r\nIt's 3.5 m long -- really!";

std::string RegistryText(const char* szName) {
    char szValue[kRegistryTextSize];
    GetRegistryString("Settings", szName, "<missing>", szValue, sizeof(szValue));
    return szValue;
}

std::string RunValue() {
    HKEY hKey = nullptr;
    char szValue[600] = "<missing>";
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", 0, KEY_QUERY_VALUE,
                      &hKey) == ERROR_SUCCESS) {
        DWORD dwBytes = sizeof(szValue);
        if (RegQueryValueExA(hKey, "TallyQuillRun", nullptr, nullptr, reinterpret_cast<BYTE*>(szValue), &dwBytes) !=
            ERROR_SUCCESS)
            strcpy(szValue, "<missing>");
        RegCloseKey(hKey);
    }
    return szValue;
}

class MainDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProgramRegistry();
        EndRunningCopies();
    }
    void TearDown() override { ResetProgramRegistry(); }

    // Ends the program through the tray menu's Exit, which saves the settings; checked where it
    // is called.
    static ::testing::AssertionResult Exited(ProgramUnderTest& program) {
        PostMessageA(program.hwnd, WM_COMMAND, IDM_TRAY_EXIT, 0);
        int nExit = program.WaitForExit();
        if (nExit == 0) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "the tray's Exit did not end the program with 0: " << nExit;
    }

    // Starts the program with kCatText on the clipboard.
    static void StartOnCatText(ProgramUnderTest& program) {
        PutClipboardText(kCatText);
        ASSERT_TRUE(program.Start());
        ASSERT_NE(nullptr, program.WaitForDialog());
    }

    // Starts the program on kCatText, with a price for every measure and 10 characters per line.
    static void StartWithPricedCatText(ProgramUnderTest& program) {
        ASSERT_NO_FATAL_FAILURE(StartOnCatText(program));
        program.SetText(IDC_FIXED_COST, "1.5");
        program.SetText(IDC_COST_PER_CHAR, "0.01");
        program.SetText(IDC_COST_PER_LINE, "0.10");
        program.SetText(IDC_CHARS_PER_LINE, "10");
    }

    // The counts and costs the dialog shows, each as expected; checked where it is called.
    static ::testing::AssertionResult Shows(const ProgramUnderTest& program, const char* szChars, const char* szWords,
                                            const char* szLines, const char* szCharsCost, const char* szWordsCost,
                                            const char* szLinesCost, const char* szTotal) {
        const std::pair<const char*, int> fields[] = {
            {szChars, IDC_CHAR_COUNT},      {szWords, IDC_WORD_COUNT},      {szLines, IDC_LINE_COUNT},
            {szCharsCost, IDC_CHARS_COST},  {szWordsCost, IDC_WORDS_COST},  {szLinesCost, IDC_LINES_COST},
            {szTotal, IDC_TOTAL_COST},
        };
        std::string expected, shown;
        for (const auto& field : fields) {
            expected += std::string("[") + field.first + "]";
            shown += "[" + program.Text(field.second) + "]";
        }
        if (expected == shown) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "counts, costs and total shown " << shown << ", expected " << expected;
    }
};

TEST_F(MainDialogTest, PricesTheClipboardAtStartAndAtEveryKeystroke) {
    ProgramUnderTest program;
    ASSERT_NO_FATAL_FAILURE(StartOnCatText(program));
    EXPECT_EQ(kCatText, program.Text(IDC_SUMMARY)) << "a short text is shown whole";
    EXPECT_TRUE(Shows(program, "40", "8", "2", "0.00 ", "0.16 ", "0.00 ", "0.16 "));
    EXPECT_EQ("0.02", program.Text(IDC_COST_PER_WORD));
    EXPECT_EQ("80", program.Text(IDC_CHARS_PER_LINE));

    // Typing reprices at every keystroke: after "1" the fixed cost is 1, after "1." still 1.
    program.SetText(IDC_FIXED_COST, "");
    program.Type(IDC_FIXED_COST, "1");
    EXPECT_EQ("1.16 ", program.Text(IDC_TOTAL_COST));
    program.Type(IDC_FIXED_COST, ".5");
    EXPECT_EQ("1.66 ", program.Text(IDC_TOTAL_COST));
    program.SetText(IDC_COST_PER_CHAR, "0.01");
    program.SetText(IDC_COST_PER_LINE, "0.10");
    EXPECT_EQ("2.26 ", program.Text(IDC_TOTAL_COST));

    // The characters per line recount only the lines.
    program.SetText(IDC_CHARS_PER_LINE, "");
    program.Type(IDC_CHARS_PER_LINE, "10");
    EXPECT_TRUE(Shows(program, "40", "8", "5", "0.40 ", "0.16 ", "0.50 ", "2.56 "));
    program.SetText(IDC_CHARS_PER_LINE, "abc");
    EXPECT_EQ("31", program.Text(IDC_LINE_COUNT)) << "not an integer: one line per printable non-space byte";
    EXPECT_TRUE(Exited(program));
}

TEST_F(MainDialogTest, EnterChangesNothingAndEndsNothing) {
    ProgramUnderTest program;
    ASSERT_NO_FATAL_FAILURE(StartWithPricedCatText(program));
    EXPECT_TRUE(Shows(program, "40", "8", "5", "0.40 ", "0.16 ", "0.50 ", "2.56 "));
    program.Command(IDOK);
    EXPECT_TRUE(IsWindow(program.hwnd));
    EXPECT_TRUE(program.Visible());
    EXPECT_TRUE(Shows(program, "40", "8", "5", "0.40 ", "0.16 ", "0.50 ", "2.56 "));
    EXPECT_TRUE(Exited(program));
}

TEST_F(MainDialogTest, UpdateTextTakesTheNewTextAndAnEmptyClipboardLeavesTheFixedCost) {
    ProgramUnderTest program;
    ASSERT_NO_FATAL_FAILURE(StartWithPricedCatText(program));
    // 194 UTF-16 units: the summary shows the first 100 and the last 90, each cut moved inwards to
    // the nearest character boundary (here inside an emoji's surrogate pair, and between a letter
    // and its accent), with tabs and breaks shown as spaces and every other character as it is.
    std::u16string text = u"\t" + std::u16string(98, u'ж') + u"\U0001F600\r\n" + u"e\u0301" + u"\r\n日本語のテキスト" +
                          std::u16string(79, u'я');
    ASSERT_EQ(194u, text.size());
    PutClipboardUnicode(text);
    program.Click(IDC_UPDATE_TEXT);
    EXPECT_EQ(u" " + std::u16string(98, u'ж') + u"..." + u"  日本語のテキスト" + std::u16string(79, u'я'),
              program.UnicodeText(IDC_SUMMARY));
    EXPECT_EQ("192", program.Text(IDC_CHAR_COUNT)) << "the emoji and the accented e are one character each";
    EXPECT_EQ("11", program.Text(IDC_WORD_COUNT)) << "ж..., é, 8 Japanese characters, я...";
    EmptyTheClipboard();
    program.Click(IDC_UPDATE_TEXT);
    EXPECT_TRUE(Shows(program, "0", "0", "0", "0.00 ", "0.00 ", "0.00 ", "1.50 "));
    EXPECT_EQ(u"", program.UnicodeText(IDC_SUMMARY));
    EXPECT_TRUE(Exited(program));
}

TEST_F(MainDialogTest, RussianAndJapaneseAreShownAsTheyAreWhetherCopiedAsUnicodeOrAsAnsiText) {
    // Each text as Unicode, and as ANSI text in its own code page with its locale on the clipboard,
    // as a program in that locale puts it: the system makes the Unicode form in that code page.
    struct Case {
        const char* szLanguage;
        std::u16string text;
        std::string ansiText;
        LCID locale;
        const char* szChars;
        const char* szWords;
    };
    const Case cases[] = {
        {"Russian", u"Привет, мир!", "\xCF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0!", 0x0419, "12", "2"},  // code page 1251
        // Each Han, Hiragana and Katakana character is a word; 16 bytes in code page 932.
        {"Japanese", u"日本語のテキスト", "\x93\xFA\x96\x7B\x8C\xEA\x82\xCC\x83\x65\x83\x4C\x83\x58\x83\x67", 0x0411,
         "8", "8"},
    };
    ProgramUnderTest program;
    ASSERT_NO_FATAL_FAILURE(StartOnCatText(program));
    for (const Case& c : cases) {
        for (bool bAnsi : {false, true}) {
            std::string what = std::string(c.szLanguage) + (bAnsi ? " as ANSI text with its locale" : " as Unicode");
            if (bAnsi) {
                PutClipboardText(c.ansiText, c.locale);
            } else {
                PutClipboardUnicode(c.text);
            }
            program.Click(IDC_UPDATE_TEXT);
            EXPECT_EQ(c.text, program.UnicodeText(IDC_SUMMARY)) << what;
            EXPECT_EQ(c.szChars, program.Text(IDC_CHAR_COUNT)) << what;
            EXPECT_EQ(c.szWords, program.Text(IDC_WORD_COUNT)) << what;
            EXPECT_EQ("1", program.Text(IDC_LINE_COUNT)) << what;
        }
    }
    EXPECT_TRUE(Exited(program));
}

TEST_F(MainDialogTest, AWholeLargeTextIsMeasured) {
    std::string line = "Typing pages, line after line; don't stop.\r\n";
    std::string text;
    for (int i = 0; i < 200000; ++i) text += line;  // 8.8 MB
    PutClipboardText(text);
    ProgramUnderTest program;
    ASSERT_TRUE(program.Start());
    ASSERT_NE(nullptr, program.WaitForDialog());
    EXPECT_EQ(std::to_string(text.size()), program.Text(IDC_CHAR_COUNT));
    EXPECT_EQ("1400000", program.Text(IDC_WORD_COUNT));
    EXPECT_EQ("200000", program.Text(IDC_LINE_COUNT)) << "the lines cover the whole text, not its first 259 bytes";
    program.SetText(IDC_CHARS_PER_LINE, "20");
    EXPECT_EQ("600000", program.Text(IDC_LINE_COUNT));
    EXPECT_TRUE(Exited(program));
}

TEST_F(MainDialogTest, CloseHidesWhileTheHotKeyIsOn) {
    ProgramUnderTest program;
    ASSERT_NO_FATAL_FAILURE(StartOnCatText(program));
    ASSERT_TRUE(program.Checked(IDC_HOT_KEY_ON));

    program.Click(IDC_CLOSE_BUTTON);
    EXPECT_TRUE(WaitFor([&] { return !program.Visible(); }));
    EXPECT_TRUE(program.HandledPostedMessages() && program.Running()) << "hidden, still running";
    program.Command(IDM_TRAY_OPEN);
    EXPECT_TRUE(program.Visible());
    // The close box: the dialog's default handling posts Cancel to itself.
    SendWithin(program.hwnd, WM_SYSCOMMAND, SC_CLOSE, 0, "WM_SYSCOMMAND SC_CLOSE");
    EXPECT_TRUE(WaitFor([&] { return !program.Visible(); }));
    program.Command(IDM_TRAY_OPEN);
    EXPECT_TRUE(program.Visible());
    program.Command(IDCANCEL);  // what Esc sends
    EXPECT_FALSE(program.Visible());
    EXPECT_TRUE(program.HandledPostedMessages() && program.Running()) << "Esc hides, the program goes on";
    EXPECT_TRUE(Exited(program));
}

TEST_F(MainDialogTest, WithTheHotKeyOffCloseEndsAndSavesTheSettingsForTheNextStart) {
    ProgramUnderTest program;
    ASSERT_NO_FATAL_FAILURE(StartOnCatText(program));

    // The stored prices change only at the end.
    program.SetText(IDC_COST_PER_WORD, "1.5 per page");
    EXPECT_EQ("<missing>", RegistryText("CostPerWord"));

    // With the box clear, Close ends the program; the settings are saved then, and the Run value goes.
    program.Click(IDC_HOT_KEY_ON);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(program.hwnd, IDC_CHANGE_KEY)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(program.hwnd, IDC_HOT_KEY_AUTO_SELECT)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(program.hwnd, IDC_HOT_KEY_NAME)));
    PostMessageA(program.hwnd, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(0, program.WaitForExit());
    EXPECT_EQ("1.5 per page", RegistryText("CostPerWord"));
    EXPECT_EQ("0", RegistryText("HotKeyOn"));
    EXPECT_EQ("1", RegistryText("HotKeyAutoSelect"));
    EXPECT_EQ("80", RegistryText("CharacterPerLine"));
    EXPECT_EQ("<missing>", RunValue());

    // The next start shows what was saved, and the box turned on again brings back the Run value.
    ProgramUnderTest second;
    ASSERT_TRUE(second.Start());
    ASSERT_NE(nullptr, second.WaitForDialog());
    EXPECT_EQ("1.5 per page", second.Text(IDC_COST_PER_WORD));
    EXPECT_EQ("12.00 ", second.Text(IDC_WORDS_COST));
    EXPECT_FALSE(second.Checked(IDC_HOT_KEY_ON));
    second.Click(IDC_HOT_KEY_ON);
    EXPECT_TRUE(Exited(second));
    EXPECT_EQ("1", RegistryText("HotKeyOn"));
    std::string run = RunValue();
    EXPECT_EQ(" /logon", run.substr(run.size() > 7 ? run.size() - 7 : 0)) << run;
    EXPECT_NE(std::string::npos, run.find("tallyq.exe")) << run;
}

TEST_F(MainDialogTest, TheRunValueQuotesThePathAndStartsTheProgramHidden) {
    // A folder with a blank in its name, like "C:\\Program Files".
    std::string folder = ScratchFolder() + "with blank";
    CreateDirectoryA(folder.c_str(), nullptr);
    std::string copy = folder + "\\tallyq.exe";
    ASSERT_TRUE(CopyFileA(BuiltProgramPath().c_str(), copy.c_str(), FALSE));
    ProgramUnderTest program;
    ASSERT_TRUE(program.Start("", copy));
    ASSERT_NE(nullptr, program.WaitForDialog());
    EXPECT_TRUE(Exited(program));
    char szFull[MAX_PATH] = "";
    GetFullPathNameA(copy.c_str(), MAX_PATH, szFull, nullptr);
    std::string run = RunValue();
    EXPECT_EQ(0, lstrcmpiA(("\"" + std::string(szFull) + "\" /logon").c_str(), run.c_str())) << run;

    // Started as the system starts it at logon: the command line exactly as stored.
    ProgramUnderTest logon;
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    std::string commandLine = run;
    ASSERT_TRUE(CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                               &logon.process))
        << run;
    ASSERT_NE(nullptr, logon.WaitForDialog());
    ASSERT_TRUE(logon.Settled());
    EXPECT_FALSE(logon.Visible()) << "the logon start stays in the tray";
    EXPECT_TRUE(Exited(logon));
    DeleteFileA(copy.c_str());
}

// A control's rectangle in its dialog's client coordinates.
RECT ControlRect(HWND hwndDialog, HWND hwndControl) {
    RECT rect;
    GetWindowRect(hwndControl, &rect);
    MapWindowPoints(nullptr, hwndDialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// The controls inside the Settings panel, which folding hides below the client area.
const int kSettingsPanelControls[] = {IDC_HOT_KEY_ON, IDC_HOT_KEY_NAME, IDC_CHANGE_KEY, IDC_HOT_KEY_AUTO_SELECT};

bool InSettingsPanel(int nId) {
    for (int nPanelId : kSettingsPanelControls)
        if (nId == nPanelId) return true;
    return false;
}

TEST_F(MainDialogTest, FoldingTheSettingsPanel) {
    ProgramUnderTest program;
    ASSERT_TRUE(program.Start());
    ASSERT_NE(nullptr, program.WaitForDialog());
    RECT full;
    GetClientRect(program.hwnd, &full);
    // The placement's size is the template's: every control lies inside the client area.
    for (HWND hwnd = GetWindow(program.hwnd, GW_CHILD); hwnd != nullptr; hwnd = GetWindow(hwnd, GW_HWNDNEXT)) {
        RECT control = ControlRect(program.hwnd, hwnd);
        EXPECT_LE(control.right, full.right) << "control " << GetDlgCtrlID(hwnd) << " passes the client area's right edge";
        EXPECT_LE(control.bottom, full.bottom) << "control " << GetDlgCtrlID(hwnd) << " passes the client area's bottom";
    }
    RECT window;
    GetWindowRect(program.hwnd, &window);
    EXPECT_EQ(120, window.left);
    EXPECT_EQ(30, window.top);
    // Dialog units to pixels, from the unfolded client area of 540 x 362 units.
    auto Vertical = [&](int nUnits) { return MulDiv(nUnits, full.bottom, 362); };

    MoveWindow(program.hwnd, 300, 200, window.right - window.left, window.bottom - window.top, TRUE);
    program.Click(IDC_SETTINGS_TOGGLE);
    RECT folded;
    GetClientRect(program.hwnd, &folded);
    EXPECT_EQ(full.right, folded.right);
    EXPECT_NEAR(Vertical(308), folded.bottom, 1);
    EXPECT_EQ("Show Settings >>", program.Text(IDC_SETTINGS_TOGGLE));
    GetWindowRect(program.hwnd, &window);
    EXPECT_EQ(120, window.left) << "placed again at (120, 30)";
    EXPECT_EQ(30, window.top);
    RECT status;
    GetWindowRect(GetDlgItem(program.hwnd, IDC_STATUS_LINE), &status);
    MapWindowPoints(nullptr, program.hwnd, reinterpret_cast<POINT*>(&status), 2);
    EXPECT_NEAR(Vertical(298), status.top, 1);
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(program.hwnd, IDC_SETTINGS_GROUP)));
    // The folded height hides exactly the Settings panel: its controls lie below the client area,
    // every other shown control above its bottom (the status line, moved up, ends at it).
    for (HWND hwnd = GetWindow(program.hwnd, GW_CHILD); hwnd != nullptr; hwnd = GetWindow(hwnd, GW_HWNDNEXT)) {
        int nId = GetDlgCtrlID(hwnd);
        RECT control = ControlRect(program.hwnd, hwnd);
        if (InSettingsPanel(nId)) {
            EXPECT_GE(control.top, folded.bottom) << "control " << nId << " of the Settings panel shows when folded";
        } else if (IsWindowVisible(hwnd) && nId != IDC_STATUS_LINE) {
            EXPECT_LE(control.bottom, folded.bottom) << "control " << nId << " is cut off when folded";
        }
    }

    program.Click(IDC_SETTINGS_TOGGLE);
    RECT unfolded;
    GetClientRect(program.hwnd, &unfolded);
    EXPECT_EQ(full.bottom, unfolded.bottom);
    EXPECT_EQ("<< Hide Settings", program.Text(IDC_SETTINGS_TOGGLE));
    GetWindowRect(GetDlgItem(program.hwnd, IDC_STATUS_LINE), &status);
    MapWindowPoints(nullptr, program.hwnd, reinterpret_cast<POINT*>(&status), 2);
    EXPECT_NEAR(Vertical(352), status.top, 1);
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(program.hwnd, IDC_SETTINGS_GROUP)));

    // Near the screen's corner the window is kept on the screen.
    int nScreenWidth = GetSystemMetrics(SM_CXSCREEN), nScreenHeight = GetSystemMetrics(SM_CYSCREEN);
    GetWindowRect(program.hwnd, &window);
    EXPECT_LE(window.right, nScreenWidth);
    EXPECT_LE(window.bottom, nScreenHeight);
    EXPECT_TRUE(Exited(program));
}

TEST_F(MainDialogTest, StatusLineCyclesThroughFiveTexts) {
    ProgramUnderTest program;
    ASSERT_TRUE(program.Start());
    ASSERT_NE(nullptr, program.WaitForDialog());
    ASSERT_TRUE(WaitFor([&] { return !program.Text(IDC_STATUS_LINE).empty(); }));
    std::string first = program.Text(IDC_STATUS_LINE);
    EXPECT_EQ(0u, first.find("TallyQuill v " TQ_VERSION_TEXT));
    // The next texts come every 8 seconds; the timer's message brings them at once here.
    std::string texts[5] = {first};
    for (int i = 1; i < 6; ++i) {
        SendWithin(program.hwnd, WM_TIMER, 1, 0, "WM_TIMER");
        std::string text = program.Text(IDC_STATUS_LINE);
        if (i < 5) {
            texts[i] = text;
            for (int j = 0; j < i; ++j) EXPECT_NE(texts[j], text) << "text " << i;
        } else {
            EXPECT_EQ(first, text) << "the sixth step starts the cycle again";
        }
    }
    EXPECT_TRUE(Exited(program));
}

TEST_F(MainDialogTest, ASecondStartHandsOverToTheRunningCopy) {
    PutClipboardText("one two three");
    ProgramUnderTest first;
    ASSERT_TRUE(first.Start());
    ASSERT_NE(nullptr, first.WaitForDialog());
    first.Click(IDC_CLOSE_BUTTON);
    ASSERT_TRUE(WaitFor([&] { return !first.Visible(); }));

    // A start at logon measures again and shows nothing.
    PutClipboardText("four five six seven");
    ProgramUnderTest logon;
    ASSERT_TRUE(logon.Start("/logon"));
    EXPECT_EQ(0, logon.WaitForExit());
    EXPECT_EQ("4", first.TextOnceItIs(IDC_WORD_COUNT, "4"));
    EXPECT_FALSE(first.Visible()) << "a start at logon does not show a hidden copy";

    // A start by hand is a call for the window: the hidden copy comes up, restored, and measures again.
    PutClipboardText("eight nine");
    ProgramUnderTest second;
    ASSERT_TRUE(second.Start());
    EXPECT_EQ(0, second.WaitForExit());
    EXPECT_EQ("2", first.TextOnceItIs(IDC_WORD_COUNT, "2"));
    EXPECT_TRUE(WaitFor([&] { return first.Visible(); })) << "the hidden copy shows itself";
    EXPECT_FALSE(IsIconic(first.hwnd));
    int nCopies = 0;
    for (HWND hwnd = nullptr; (hwnd = FindWindowExA(nullptr, hwnd, reinterpret_cast<LPCSTR>(MAKEINTATOM(0x8002)),
                                                    "TallyQuill")) != nullptr;)
        ++nCopies;
    EXPECT_EQ(1, nCopies) << "still one copy";

    // A minimized copy is restored too.
    ShowWindow(first.hwnd, SW_MINIMIZE);
    ASSERT_TRUE(WaitFor([&] { return IsIconic(first.hwnd) != FALSE; }));
    ProgramUnderTest third;
    ASSERT_TRUE(third.Start());
    EXPECT_EQ(0, third.WaitForExit());
    EXPECT_TRUE(WaitFor([&] { return !IsIconic(first.hwnd) && first.Visible(); })) << "the minimized copy is restored";
    EXPECT_TRUE(Exited(first));
}

TEST_F(MainDialogTest, OnlyNamesWithSetupAreRefused) {
    std::string folder = ScratchFolder();
    for (const char* szName : {"MySetup.exe", "x.setup.exe"}) {
        std::string copy = folder + szName;
        ASSERT_TRUE(CopyFileA(BuiltProgramPath().c_str(), copy.c_str(), FALSE));
        ProgramUnderTest program;
        ASSERT_TRUE(program.Start("", copy));
        // Shown, not only made: the box's text controls exist once it is visible.
        HWND hwndMessage = WaitForShownDialog("Install Error");
        EXPECT_NE(nullptr, hwndMessage) << szName;
        std::string text = MessageBoxText(hwndMessage);
        EXPECT_EQ(0u, text.find("Installation file corrupt.")) << text;
        EXPECT_EQ(nullptr, FindMainDialog()) << szName;
        PostMessageA(hwndMessage, WM_COMMAND, IDOK, 0);
        EXPECT_EQ(0, program.WaitForExit()) << szName;
        DeleteFileA(copy.c_str());
    }

    std::string setDash = folder + "set-up.exe";
    ASSERT_TRUE(CopyFileA(BuiltProgramPath().c_str(), setDash.c_str(), FALSE));
    {
        ProgramUnderTest program;
        ASSERT_TRUE(program.Start("", setDash));
        ASSERT_NE(nullptr, program.WaitForDialog()) << "set-up.exe runs normally";
        EXPECT_TRUE(Exited(program));
    }
    DeleteFileA(setDash.c_str());
}

TEST_F(MainDialogTest, LogonInLowerCaseStartsHidden) {
    ProgramUnderTest logon;
    ASSERT_TRUE(logon.Start("/logon extra"));
    ASSERT_NE(nullptr, logon.WaitForDialog());
    EXPECT_FALSE(logon.Visible()) << "/logon starts hidden";
    ASSERT_TRUE(logon.Settled());
    EXPECT_FALSE(logon.Visible()) << "and stays hidden";
    logon.Command(IDM_TRAY_OPEN);
    EXPECT_TRUE(logon.Visible()) << "the tray's Open shows it";
    EXPECT_TRUE(Exited(logon));

    ProgramUnderTest capitals;
    ASSERT_TRUE(capitals.Start("/LOGON"));
    ASSERT_NE(nullptr, capitals.WaitForDialog());
    ASSERT_TRUE(capitals.Settled());
    EXPECT_TRUE(capitals.Visible()) << "/LOGON in capitals is not the logon start";
    EXPECT_TRUE(Exited(capitals));
}

}  // namespace
