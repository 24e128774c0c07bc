// The hot key, the Change Key dialog and the tray icon of the real program. A press is the system's
// WM_HOTKEY message to the main dialog (what Wine delivers for a real press); the foreground
// program is text_target.exe, an edit control holding a known text.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "resources/main_dialog_ids.h"
#include "support/registry.h"
#include "tests/wine/program_driver.h"
#include "tests/wine/wine_test_support.h"

namespace {

const char kTargetText[] = "alpha beta gamma delta";

class TextTarget {
public:
    ~TextTarget() {
        if (process.hProcess) {
            TerminateProcess(process.hProcess, 0);
            WaitForSingleObject(process.hProcess, 3000);
            CloseHandle(process.hProcess);
            CloseHandle(process.hThread);
        }
    }
    bool Start() {
        std::string path = TestProgramFolder() + "text_target.exe";
        std::string commandLine = "\"" + path + "\" " + kTargetText;
        STARTUPINFOA startup = {};
        startup.cb = sizeof(startup);
        if (!CreateProcessA(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            &process))
            return false;
        return WaitFor([this] {
            hwnd = FindWindowA("TextTarget", "Text Target");
            return hwnd != nullptr && IsWindowVisible(hwnd);
        });
    }
    // Brings the target to the front, as the user clicking into it would. The target does it
    // itself: under Wine, a window made the foreground one by a third process does not then see
    // the keyboard state that an attached thread sets.
    bool Activate() {
        // Wine applies focus changes of the X server as they arrive, so the window that was in
        // front before can take the focus back once; the target asks again, as a user clicks again.
        for (int nAttempt = 0; nAttempt < 5; ++nAttempt) {
            PostMessageA(hwnd, WM_APP + 1, 0, 0);
            if (StaysFocused()) return true;
        }
        return false;
    }
    // In front with the keyboard focus in its edit control, and staying so for 300 ms.
    bool StaysFocused() {
        int nSteady = 0;
        for (int i = 0; i < 30 && nSteady < 10; ++i) {
            Sleep(30);
            GUITHREADINFO info = {};
            info.cbSize = sizeof(info);
            bool bFocused = GetGUIThreadInfo(GetWindowThreadProcessId(hwnd, nullptr), &info) &&
                            info.hwndFocus == GetDlgItem(hwnd, 1) && GetForegroundWindow() == hwnd;
            nSteady = bFocused ? nSteady + 1 : 0;
        }
        return nSteady >= 10;
    }
    DWORD Selection() const {
        return static_cast<DWORD>(SendMessageA(GetDlgItem(hwnd, 1), EM_GETSEL, 0, 0));
    }
    HWND hwnd = nullptr;
    PROCESS_INFORMATION process = {};
};

class HotKeyTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProgramRegistry();
        EndRunningCopies();
    }
    void TearDown() override {
        if (program.hwnd && IsWindow(program.hwnd)) {
            PostMessageA(program.hwnd, WM_COMMAND, IDM_TRAY_EXIT, 0);
            program.WaitForExit();
        }
        ResetProgramRegistry();
    }
    void StartProgram() {
        ASSERT_TRUE(program.Start());
        ASSERT_NE(nullptr, program.WaitForDialog());
    }
    // Whether another program could take this combination now: not while ours holds it.
    static bool CombinationIsFree(UINT nModifiers, UINT nKey) {
        if (!RegisterHotKey(nullptr, 77, nModifiers, nKey)) return false;
        UnregisterHotKey(nullptr, 77);
        return true;
    }
    void PressHotKey() { PostMessageA(program.hwnd, WM_HOTKEY, 0, MAKELPARAM(MOD_SHIFT, VK_F8)); }

    ProgramUnderTest program;
};

TEST_F(HotKeyTest, TheLabelNamesTheStoredKey) {
    struct Case {
        const char* szModifiers;  // nullptr: nothing stored
        const char* szKey;
        const char* szLabel;
    } cases[] = {
        {nullptr, nullptr, "Shift+F8"}, {"7", "119", "Ctrl+Alt+Shift+F8"}, {"0", "119", "F8"},
        {"6", "116", "Ctrl+Shift+F5"},  {"4", "255", "Shift+"},             {"0", "255", ""},
    };
    for (const Case& c : cases) {
        ResetProgramRegistry();
        if (c.szModifiers) {
            SetRegistryString("Settings", "HotKeyModifier", c.szModifiers);
            SetRegistryString("Settings", "HotKey", c.szKey);
        }
        ProgramUnderTest started;
        ASSERT_TRUE(started.Start());
        ASSERT_NE(nullptr, started.WaitForDialog());
        EXPECT_EQ(c.szLabel, started.Text(IDC_HOT_KEY_NAME)) << "modifiers " << (c.szModifiers ? c.szModifiers : "-");
        PostMessageA(started.hwnd, WM_COMMAND, IDM_TRAY_EXIT, 0);
        EXPECT_EQ(0, started.WaitForExit());
    }
}

TEST_F(HotKeyTest, EnableHotKeyRegistersAndReleasesTheCombination) {
    StartProgram();
    EXPECT_FALSE(CombinationIsFree(MOD_SHIFT, VK_F8)) << "Shift+F8 is ours while the box is checked";
    program.Click(IDC_HOT_KEY_ON);
    EXPECT_TRUE(CombinationIsFree(MOD_SHIFT, VK_F8)) << "released when the box is cleared";
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(program.hwnd, IDC_CHANGE_KEY)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(program.hwnd, IDC_HOT_KEY_AUTO_SELECT)));
    EXPECT_EQ("Shift+F8", program.Text(IDC_HOT_KEY_NAME)) << "the label still names the stored key";
    program.Click(IDC_HOT_KEY_ON);
    EXPECT_FALSE(CombinationIsFree(MOD_SHIFT, VK_F8));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(program.hwnd, IDC_CHANGE_KEY)));
}

TEST_F(HotKeyTest, APressSelectsAndCopiesTheForegroundProgramsText) {
    PutClipboardText("old clipboard text");
    StartProgram();
    program.Click(IDC_CLOSE_BUTTON);  // waits in the tray
    ASSERT_TRUE(WaitFor([&] { return !program.Visible(); }));
    TextTarget target;
    ASSERT_TRUE(target.Start());
    ASSERT_TRUE(target.Activate());

    PressHotKey();
    EXPECT_TRUE(WaitFor([&] { return program.Text(IDC_WORD_COUNT) == "4"; })) << program.Text(IDC_SUMMARY);
    EXPECT_EQ(kTargetText, program.Text(IDC_SUMMARY));
    EXPECT_TRUE(program.Visible()) << "the press brings the dialog out of the tray";
    EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == program.hwnd; }, 2000));

    // No Ctrl or Shift is left down in the program: a digit key typed into a price field is a digit.
    HWND hwndField = GetDlgItem(program.hwnd, IDC_FIXED_COST);
    program.SetText(IDC_FIXED_COST, "");
    PostMessageA(hwndField, WM_KEYDOWN, '5', 0x00060001);
    PostMessageA(hwndField, WM_KEYUP, '5', static_cast<LPARAM>(0xC0060001u));
    EXPECT_TRUE(WaitFor([&] { return program.Text(IDC_FIXED_COST) == "5"; }, 2000)) << program.Text(IDC_FIXED_COST);

}

TEST_F(HotKeyTest, ASecondPressAfterSwitchingBackWorksToo) {
    StartProgram();
    TextTarget target;
    ASSERT_TRUE(target.Start());
    ASSERT_TRUE(target.Activate());
    PressHotKey();
    ASSERT_TRUE(WaitFor([&] { return program.Text(IDC_SUMMARY) == kTargetText; }));
    PutClipboardText("something else");
    ASSERT_TRUE(target.Activate());
    PressHotKey();
    EXPECT_TRUE(WaitFor([&] { return program.Text(IDC_SUMMARY) == kTargetText; }));
}

TEST_F(HotKeyTest, NoKeysArePostedWithoutAutoSelectOrToTheProgramsOwnWindows) {
    PutClipboardText("one two");
    StartProgram();
    program.Click(IDC_HOT_KEY_AUTO_SELECT);
    TextTarget target;
    ASSERT_TRUE(target.Start());
    ASSERT_TRUE(target.Activate());
    DWORD dwSelection = target.Selection();
    PressHotKey();
    EXPECT_TRUE(WaitFor([&] { return program.Visible() && program.Text(IDC_SUMMARY) == "one two"; }));
    Sleep(300);
    EXPECT_EQ(dwSelection, target.Selection()) << "the target's selection is untouched";
    EXPECT_EQ("2", program.Text(IDC_WORD_COUNT));

    // With the box checked again, a press while the main dialog itself is in front copies nothing.
    program.Click(IDC_HOT_KEY_AUTO_SELECT);
    PutClipboardText("three four five");
    SetForegroundWindow(program.hwnd);
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == program.hwnd; }, 3000));
    PressHotKey();
    EXPECT_TRUE(WaitFor([&] { return program.Text(IDC_WORD_COUNT) == "3"; }));
    EXPECT_EQ(dwSelection, target.Selection());

    // Nor while its About box is in front.
    PostMessageA(program.hwnd, WM_COMMAND, IDC_ABOUT, 0);
    HWND hwndAbout = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        hwndAbout = GetForegroundWindow();
        return hwndAbout != nullptr && hwndAbout != program.hwnd && GetWindow(hwndAbout, GW_OWNER) == program.hwnd;
    }, 3000));
    PutClipboardText("six");
    PressHotKey();
    EXPECT_TRUE(WaitFor([&] { return program.Text(IDC_WORD_COUNT) == "1"; }));
    EXPECT_EQ(dwSelection, target.Selection());
    PostMessageA(hwndAbout, WM_COMMAND, IDOK, 0);
}

TEST_F(HotKeyTest, ChangeKeyTakesTheNextKeyWithItsModifiers) {
    StartProgram();
    PostMessageA(program.hwnd, WM_COMMAND, IDC_CHANGE_KEY, 0);
    HWND hwndKey = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        hwndKey = FindWindowA(reinterpret_cast<LPCSTR>(MAKEINTATOM(0x8002)), "Change Key");
        return hwndKey != nullptr;
    }));
    EXPECT_TRUE(WaitFor([&] { return !IsWindowEnabled(program.hwnd); })) << "the main dialog takes no input meanwhile";
    EXPECT_TRUE(CombinationIsFree(MOD_SHIFT, VK_F8)) << "the old key is released while the dialog is open";

    // Shift alone, Enter: nothing stored, the dialog stays.
    PostMessageA(hwndKey, WM_KEYDOWN, VK_SHIFT, 1);
    PostMessageA(hwndKey, WM_KEYUP, VK_SHIFT, static_cast<LPARAM>(0xC0000001u));
    PostMessageA(hwndKey, WM_KEYDOWN, VK_RETURN, 1);
    Sleep(300);
    EXPECT_TRUE(IsWindow(hwndKey));
    char szValue[kRegistryTextSize];
    GetRegistryString("Settings", "HotKey", "<none>", szValue);
    EXPECT_STREQ("<none>", szValue);

    // Ctrl and Shift held (in the program's own keyboard state), then F5.
    DWORD dwProgramThread = GetWindowThreadProcessId(program.hwnd, nullptr);
    ASSERT_TRUE(AttachThreadInput(GetCurrentThreadId(), dwProgramThread, TRUE));
    BYTE keyboard[256];
    GetKeyboardState(keyboard);
    keyboard[VK_CONTROL] = keyboard[VK_SHIFT] = 0x80;
    SetKeyboardState(keyboard);
    PostMessageA(hwndKey, WM_KEYDOWN, VK_F5, 1);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(hwndKey); }));
    keyboard[VK_CONTROL] = keyboard[VK_SHIFT] = 0;
    SetKeyboardState(keyboard);
    AttachThreadInput(GetCurrentThreadId(), dwProgramThread, FALSE);
    EXPECT_EQ(0x74, GetRegistryInt("Settings", "HotKey", -1));
    EXPECT_EQ(6, GetRegistryInt("Settings", "HotKeyModifier", -1));
    EXPECT_TRUE(WaitFor([&] { return program.Text(IDC_HOT_KEY_NAME) == "Ctrl+Shift+F5"; })) << program.Text(IDC_HOT_KEY_NAME);
    EXPECT_TRUE(IsWindowEnabled(program.hwnd));
    EXPECT_FALSE(CombinationIsFree(MOD_CONTROL | MOD_SHIFT, VK_F5)) << "the new key is registered";
    EXPECT_TRUE(CombinationIsFree(MOD_SHIFT, VK_F8));

    // Escape closes without a change; Tab becomes the hot key rather than moving the focus.
    PostMessageA(program.hwnd, WM_COMMAND, IDC_CHANGE_KEY, 0);
    ASSERT_TRUE(WaitFor([&] { return (hwndKey = FindWindowA(reinterpret_cast<LPCSTR>(MAKEINTATOM(0x8002)), "Change Key")) != nullptr; }));
    PostMessageA(hwndKey, WM_KEYDOWN, VK_ESCAPE, 1);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(hwndKey); }));
    EXPECT_EQ(0x74, GetRegistryInt("Settings", "HotKey", -1));
    EXPECT_TRUE(WaitFor([&] { return !CombinationIsFree(MOD_CONTROL | MOD_SHIFT, VK_F5); })) << "the old key again";
    PostMessageA(program.hwnd, WM_COMMAND, IDC_CHANGE_KEY, 0);
    ASSERT_TRUE(WaitFor([&] { return (hwndKey = FindWindowA(reinterpret_cast<LPCSTR>(MAKEINTATOM(0x8002)), "Change Key")) != nullptr; }));
    PostMessageA(hwndKey, WM_KEYDOWN, VK_TAB, 1);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(hwndKey); }));
    EXPECT_EQ(VK_TAB, GetRegistryInt("Settings", "HotKey", -1));
    EXPECT_EQ(0, GetRegistryInt("Settings", "HotKeyModifier", -1));
}

TEST_F(HotKeyTest, TrayIconOpensHidesAndEnds) {
    StartProgram();
    program.Click(IDC_CLOSE_BUTTON);
    ASSERT_TRUE(WaitFor([&] { return !program.Visible(); }));
    PostMessageA(program.hwnd, WMAPP_TRAY_NOTIFY, TRAY_ICON_ID, WM_LBUTTONDBLCLK);
    Sleep(200);
    EXPECT_FALSE(program.Visible()) << "a double click by itself does nothing";
    PostMessageA(program.hwnd, WMAPP_TRAY_NOTIFY, TRAY_ICON_ID, WM_LBUTTONUP);
    EXPECT_TRUE(WaitFor([&] { return program.Visible(); })) << "a left click opens";

    auto ChooseFromMenu = [&](int nDowns) {
        PostMessageA(program.hwnd, WMAPP_TRAY_NOTIFY, TRAY_ICON_ID, WM_RBUTTONDOWN);
        HWND hwndMenu = nullptr;
        if (!WaitFor([&] {
                hwndMenu = FindWindowA("#32768", nullptr);
                return hwndMenu != nullptr && IsWindowVisible(hwndMenu);
            }))
            return false;
        for (int i = 0; i < nDowns; ++i) PostMessageA(program.hwnd, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageA(program.hwnd, WM_KEYDOWN, VK_RETURN, 0);
        return WaitFor([&] { return !IsWindowVisible(hwndMenu); });
    };
    ASSERT_TRUE(ChooseFromMenu(2));  // "Close"
    EXPECT_TRUE(WaitFor([&] { return !program.Visible(); }));
    EXPECT_EQ(-1, program.WaitForExit(200)) << "Close hides; the program goes on";
    ASSERT_TRUE(ChooseFromMenu(1));  // "Open TallyQuill"
    EXPECT_TRUE(WaitFor([&] { return program.Visible(); }));
    program.SetText(IDC_COST_PER_LINE, "0.07");
    ASSERT_TRUE(ChooseFromMenu(3));  // "Exit (Turn Off Hot Key )"
    EXPECT_EQ(0, program.WaitForExit());
    char szValue[kRegistryTextSize];
    GetRegistryString("Settings", "CostPerLine", "", szValue);
    EXPECT_STREQ("0.07", szValue) << "Exit saves the settings";
}

}  // namespace
