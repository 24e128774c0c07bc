// The hot key, the Change Key dialog and the tray icon of the real program. A press is the system's
// WM_HOTKEY message to the main dialog (what Wine delivers for a real press); the foreground
// program is text_target.exe, an edit control holding a known text.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include <stdio.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "app/hot_key.h"
#include "resources/key_dialog_ids.h"
#include "resources/main_dialog_ids.h"
#include "support/registry.h"
#include "tests/wine/import_redirect.h"
#include "tests/wine/program_driver.h"
#include "tests/wine/wine_test_support.h"

namespace {

const char kTargetText[] = "alpha beta gamma delta";

class TextTarget {
public:
    ~TextTarget() {
        if (process.hProcess) {
            TerminateProcess(process.hProcess, 0);
            WaitForSingleObject(process.hProcess, kPatienceMs);
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
        // The window shows as it is made, before its edit control is.
        return WaitFor([this] {
            hwnd = FindWindowA("TextTarget", "Text Target");
            return hwnd != nullptr && IsWindowVisible(hwnd) && GetDlgItem(hwnd, 1) != nullptr;
        });
    }
    // Brings the target to the front, as the user clicking into it would. The target does it
    // itself: under Wine, a window made the foreground one by a third process does not then see
    // the keyboard state that an attached thread sets.
    bool Activate() {
        // Wine applies focus changes of the X server as they arrive, so the window that was in
        // front before can take the focus back once; the target asks again, as a user clicks again.
        HWND hwndBefore = GetForegroundWindow();
        for (int nAttempt = 0; nAttempt < 5; ++nAttempt) {
            PostMessageA(hwnd, WM_APP + 1, 0, 0);
            if (StaysFocused(hwndBefore)) return true;
        }
        return false;
    }
    // In front with the keyboard focus in its edit control.
    bool Focused() const {
        GUITHREADINFO info = {};
        info.cbSize = sizeof(info);
        HWND hwndEdit = GetDlgItem(hwnd, 1);
        return hwndEdit != nullptr && GetGUIThreadInfo(GetWindowThreadProcessId(hwnd, nullptr), &info) &&
               info.hwndFocus == hwndEdit && GetForegroundWindow() == hwnd;
    }
    // Focused, and still so once the target's thread and that of the window in front before have
    // handled what reached them meanwhile (a late focus change of the X server's included).
    bool StaysFocused(HWND hwndBefore) {
        if (!WaitFor(
                "the text target in front with the focus in its text", [this] { return Focused(); },
                [] { return ShownWindows(); }, 10000))
            return false;
        if (hwndBefore != nullptr && hwndBefore != hwnd && IsWindow(hwndBefore))
            SendWithin(hwndBefore, WM_NULL, 0, 0, "WM_NULL to the window in front before");
        return PostedMessagesHandled(GetDlgItem(hwnd, 1)) && Focused();
    }
    DWORD Selection() const {
        return static_cast<DWORD>(SendWithin(GetDlgItem(hwnd, 1), EM_GETSEL, 0, 0, "EM_GETSEL"));
    }
    HWND hwnd = nullptr;
    PROCESS_INFORMATION process = {};
};

// A window of a thread of its own, as another program's; a deaf one drops every key, and handles
// every other message (so that it can be deactivated).
class OtherThreadWindow {
public:
    explicit OtherThreadWindow(bool bDeaf) : bDeaf(bDeaf) {
        hThread = CreateThread(nullptr, 0, Run, this, 0, &dwThread);
    }
    ~OtherThreadWindow() {
        if (hwnd != nullptr) PostMessageA(hwnd, WM_CLOSE, 0, 0);
        PostThreadMessageA(dwThread, WM_QUIT, 0, 0);
        WaitForSingleObject(hThread, 10000);
        CloseHandle(hThread);
        CloseHandle(hReady);
    }
    // Its window, once made (null when the thread did not make it in time).
    HWND Window() { return WaitForSingleObject(hReady, 10000) == WAIT_OBJECT_0 ? hwnd : nullptr; }

private:
    static DWORD WINAPI Run(void* pParameter) {
        OtherThreadWindow* pOther = static_cast<OtherThreadWindow*>(pParameter);
        pOther->hwnd = CreateWindowExA(0, "STATIC", "Other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 200, 100,
                                       nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        SetEvent(pOther->hReady);
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
            if (pOther->bDeaf && msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) continue;
            DispatchMessageA(&msg);
        }
        return 0;
    }
    bool bDeaf;
    HWND hwnd = nullptr;
    HANDLE hReady = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE hThread = nullptr;
    DWORD dwThread = 0;
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
    // Starts the program; checked where it is called.
    bool Started() { return program.Start() && program.WaitForDialog() != nullptr; }
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
    ASSERT_TRUE(Started());
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
    ASSERT_TRUE(Started());
    program.Click(IDC_CLOSE_BUTTON);  // waits in the tray
    ASSERT_TRUE(WaitFor([&] { return !program.Visible(); }));
    TextTarget target;
    ASSERT_TRUE(target.Start());
    ASSERT_TRUE(target.Activate());

    PressHotKey();
    EXPECT_EQ("4", program.TextOnceItIs(IDC_WORD_COUNT, "4")) << program.Text(IDC_SUMMARY);
    EXPECT_EQ(kTargetText, program.Text(IDC_SUMMARY));
    EXPECT_TRUE(program.Visible()) << "the press brings the dialog out of the tray";
    EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == program.hwnd; }));

    // No Ctrl or Shift is left down in the program: a digit key typed into a price field is a digit.
    HWND hwndField = GetDlgItem(program.hwnd, IDC_FIXED_COST);
    program.SetText(IDC_FIXED_COST, "");
    PostMessageA(hwndField, WM_KEYDOWN, '5', 0x00060001);
    PostMessageA(hwndField, WM_KEYUP, '5', static_cast<LPARAM>(0xC0060001u));
    EXPECT_EQ("5", program.TextOnceItIs(IDC_FIXED_COST, "5"));

}

TEST_F(HotKeyTest, APressThatCopiesNothingLeavesTheCountsAndSaysSo) {
    PutClipboardText("one two");
    ASSERT_TRUE(Started());
    ASSERT_EQ("2", program.TextOnceItIs(IDC_WORD_COUNT, "2"));
    program.Click(IDC_CLOSE_BUTTON);  // waits in the tray
    ASSERT_TRUE(WaitFor([&] { return !program.Visible(); }));
    {
        // A window in front that ignores every key, closed before the next program comes.
        OtherThreadWindow deaf(true);
        HWND hwndDeaf = deaf.Window();
        ASSERT_NE(nullptr, hwndDeaf);
        SetForegroundWindow(hwndDeaf);
        ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == hwndDeaf; }));
        PutClipboardText("three four five six");
        PressHotKey();
        EXPECT_EQ("Nothing was copied from the program in front: the counts are unchanged.",
                  program.TextOnceItIs(IDC_STATUS_LINE,
                                       "Nothing was copied from the program in front: the counts are unchanged."));
        EXPECT_EQ("2", program.Text(IDC_WORD_COUNT)) << "the old clipboard is not priced as the document";
        EXPECT_EQ("one two", program.Text(IDC_SUMMARY));
        // Restored and shown as after any press.
        EXPECT_TRUE(program.Visible() && !IsIconic(program.hwnd)) << "the window still comes up";
    }

    // A program that copies: its text is priced.
    TextTarget target;
    ASSERT_TRUE(target.Start());
    ASSERT_TRUE(target.Activate());
    PressHotKey();
    EXPECT_EQ(kTargetText, program.TextOnceItIs(IDC_SUMMARY, kTargetText));
    EXPECT_EQ("4", program.Text(IDC_WORD_COUNT));
}

TEST_F(HotKeyTest, ASecondPressAfterSwitchingBackWorksToo) {
    // Not the target's text: an earlier case may have left it on the clipboard.
    PutClipboardText("before the press");
    ASSERT_TRUE(Started());
    TextTarget target;
    ASSERT_TRUE(target.Start());
    ASSERT_TRUE(target.Activate());
    PressHotKey();
    ASSERT_EQ(kTargetText, program.TextOnceItIs(IDC_SUMMARY, kTargetText)) << "status line: " << program.Text(IDC_STATUS_LINE);
    // Back to another text ("Update Text"), so that only a working second press shows the target's.
    PutClipboardText("something else");
    program.Command(IDC_UPDATE_TEXT);
    ASSERT_EQ("something else", program.TextOnceItIs(IDC_SUMMARY, "something else"))
        << "status line: " << program.UnicodeText(IDC_STATUS_LINE).size() << " units, " << program.Text(IDC_STATUS_LINE);
    ASSERT_TRUE(target.Activate());
    PressHotKey();
    EXPECT_EQ(kTargetText, program.TextOnceItIs(IDC_SUMMARY, kTargetText));
}

TEST_F(HotKeyTest, NoKeysArePostedWithoutAutoSelectOrToTheProgramsOwnWindows) {
    PutClipboardText("zero");
    ASSERT_TRUE(Started());
    program.Click(IDC_HOT_KEY_AUTO_SELECT);
    program.Click(IDC_CLOSE_BUTTON);  // waits in the tray
    ASSERT_TRUE(WaitFor([&] { return !program.Visible(); }));
    TextTarget target;
    ASSERT_TRUE(target.Start());
    ASSERT_TRUE(target.Activate());
    DWORD dwSelection = target.Selection();
    PutClipboardText("one two");
    PressHotKey();
    // The program's thread has handled the press (it handles its posted messages in order), and
    // the target's thread any keys the program posted it meanwhile.
    ASSERT_TRUE(program.HandledPostedMessages());
    ASSERT_TRUE(PostedMessagesHandled(GetDlgItem(target.hwnd, 1)));
    EXPECT_TRUE(program.Visible()) << "the press brings the dialog out of the tray";
    EXPECT_EQ("one two", program.Text(IDC_SUMMARY)) << "the clipboard as it was is priced";
    EXPECT_EQ(dwSelection, target.Selection()) << "the target's selection is untouched";
    EXPECT_EQ("2", program.Text(IDC_WORD_COUNT));

    // With the box checked again, a press while the main dialog itself is in front copies nothing.
    program.Click(IDC_HOT_KEY_AUTO_SELECT);
    PutClipboardText("three four five");
    SetForegroundWindow(program.hwnd);
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == program.hwnd; }));
    PressHotKey();
    EXPECT_EQ("3", program.TextOnceItIs(IDC_WORD_COUNT, "3"));
    EXPECT_EQ(dwSelection, target.Selection());

    // Nor while its About box is in front.
    PostMessageA(program.hwnd, WM_COMMAND, IDC_ABOUT, 0);
    HWND hwndAbout = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        hwndAbout = GetForegroundWindow();
        return hwndAbout != nullptr && hwndAbout != program.hwnd && GetWindow(hwndAbout, GW_OWNER) == program.hwnd;
    }));
    PutClipboardText("six");
    PressHotKey();
    EXPECT_EQ("1", program.TextOnceItIs(IDC_WORD_COUNT, "1"));
    EXPECT_EQ(dwSelection, target.Selection());
    PostMessageA(hwndAbout, WM_COMMAND, IDOK, 0);
}

TEST_F(HotKeyTest, ChangeKeyTakesTheNextKeyWithItsModifiers) {
    ASSERT_TRUE(Started());
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
    ASSERT_TRUE(program.HandledPostedMessages());  // the Change Key dialog runs on the program's thread
    EXPECT_TRUE(IsWindow(hwndKey));
    char szValue[kRegistryTextSize];
    GetRegistryString("Settings", "HotKey", "<none>", szValue, sizeof(szValue));
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
    EXPECT_EQ("Ctrl+Shift+F5", program.TextOnceItIs(IDC_HOT_KEY_NAME, "Ctrl+Shift+F5"));
    EXPECT_TRUE(IsWindowEnabled(program.hwnd));
    EXPECT_FALSE(CombinationIsFree(MOD_CONTROL | MOD_SHIFT, VK_F5)) << "the new key is registered";
    EXPECT_TRUE(CombinationIsFree(MOD_SHIFT, VK_F8));

    // Escape closes without a change.
    PostMessageA(program.hwnd, WM_COMMAND, IDC_CHANGE_KEY, 0);
    ASSERT_TRUE(WaitFor([&] { return (hwndKey = FindWindowA(reinterpret_cast<LPCSTR>(MAKEINTATOM(0x8002)), "Change Key")) != nullptr; }));
    PostMessageA(hwndKey, WM_KEYDOWN, VK_ESCAPE, 1);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(hwndKey); }));
    EXPECT_EQ(0x74, GetRegistryInt("Settings", "HotKey", -1));
    EXPECT_TRUE(WaitFor([&] { return !CombinationIsFree(MOD_CONTROL | MOD_SHIFT, VK_F5); })) << "the old key again";
    PostMessageA(program.hwnd, WM_COMMAND, IDC_CHANGE_KEY, 0);
    ASSERT_TRUE(WaitFor([&] { return (hwndKey = FindWindowA(reinterpret_cast<LPCSTR>(MAKEINTATOM(0x8002)), "Change Key")) != nullptr; }));
    // Keys that every program needs are refused, and the dialog says why and waits on: a key that
    // types, alone or with Shift only (its capital or symbol would type nowhere else), and other
    // keys alone.
    DWORD dwKeyThread = GetWindowThreadProcessId(hwndKey, nullptr);
    auto Refused = [&](WPARAM nKey, bool bShift, const char* szHintPart) {
        SCOPED_TRACE("key " + std::to_string(nKey) + (bShift ? " with Shift" : " alone"));
        SendWithin(GetDlgItem(hwndKey, IDC_KEY_HINT), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""), "WM_SETTEXT");
        EXPECT_TRUE(AttachThreadInput(GetCurrentThreadId(), dwKeyThread, TRUE));
        BYTE keyboard[256];
        GetKeyboardState(keyboard);
        keyboard[VK_SHIFT] = bShift ? 0x80 : 0;
        SetKeyboardState(keyboard);
        PostMessageA(hwndKey, WM_KEYDOWN, nKey, 1);
        EXPECT_TRUE(program.HandledPostedMessages());
        keyboard[VK_SHIFT] = 0;
        SetKeyboardState(keyboard);
        AttachThreadInput(GetCurrentThreadId(), dwKeyThread, FALSE);
        EXPECT_TRUE(IsWindow(hwndKey)) << "the dialog closed";
        std::string hint = ItemText(hwndKey, IDC_KEY_HINT);
        EXPECT_NE(std::string::npos, hint.find(szHintPart)) << hint;
    };
    for (WPARAM nKey : {WPARAM(VK_TAB), WPARAM(VK_SPACE), WPARAM('A'), WPARAM(VK_BACK), WPARAM('1'),
                        WPARAM(VK_OEM_PERIOD)}) {
        Refused(nKey, false, "With a key that types, add Ctrl or Alt.");
        Refused(nKey, true, "With a key that types, add Ctrl or Alt.");
    }
    Refused(VK_HOME, false, "Alone only F1 to F24: add Ctrl, Alt or Shift.");
    EXPECT_EQ(0x74, GetRegistryInt("Settings", "HotKey", -1)) << "nothing refused was stored";
    PostMessageA(hwndKey, WM_KEYDOWN, VK_F9, 1);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(hwndKey); }));
    EXPECT_EQ(VK_F9, GetRegistryInt("Settings", "HotKey", -1));
    EXPECT_EQ(0, GetRegistryInt("Settings", "HotKeyModifier", -1));

    // Taken: a key that types with Ctrl (Ctrl+Shift+A), and other keys with Shift alone (Shift+F9).
    auto Choose = [&](WPARAM nKey, bool bControl) {
        PostMessageA(program.hwnd, WM_COMMAND, IDC_CHANGE_KEY, 0);
        if (!WaitFor([&] { return (hwndKey = FindWindowA(reinterpret_cast<LPCSTR>(MAKEINTATOM(0x8002)), "Change Key")) != nullptr; }))
            return false;
        DWORD dwThread = GetWindowThreadProcessId(hwndKey, nullptr);
        AttachThreadInput(GetCurrentThreadId(), dwThread, TRUE);
        BYTE keyboard[256];
        GetKeyboardState(keyboard);
        keyboard[VK_SHIFT] = 0x80;
        keyboard[VK_CONTROL] = bControl ? 0x80 : 0;
        SetKeyboardState(keyboard);
        PostMessageA(hwndKey, WM_KEYDOWN, nKey, 1);
        bool bClosed = WaitFor([&] { return !IsWindow(hwndKey); });
        keyboard[VK_SHIFT] = keyboard[VK_CONTROL] = 0;
        SetKeyboardState(keyboard);
        AttachThreadInput(GetCurrentThreadId(), dwThread, FALSE);
        return bClosed;
    };
    ASSERT_TRUE(Choose('A', true));
    EXPECT_EQ('A', GetRegistryInt("Settings", "HotKey", -1));
    EXPECT_EQ(MOD_CONTROL | MOD_SHIFT, GetRegistryInt("Settings", "HotKeyModifier", -1));
    ASSERT_TRUE(Choose(VK_F9, false));
    EXPECT_EQ(VK_F9, GetRegistryInt("Settings", "HotKey", -1));
    EXPECT_EQ(MOD_SHIFT, GetRegistryInt("Settings", "HotKeyModifier", -1));
}

TEST_F(HotKeyTest, ACombinationHeldByAnotherProgramIsShownAsTakenAndStaysChosen) {
    // This test program is the other program: it holds Shift+F8 before the start.
    ASSERT_TRUE(RegisterHotKey(nullptr, 1, MOD_SHIFT, VK_F8));
    ASSERT_TRUE(Started());
    EXPECT_EQ("Shift+F8 (taken)", program.Text(IDC_HOT_KEY_NAME));
    EXPECT_TRUE(WaitFor([&] { return program.Text(IDC_STATUS_LINE).find("taken by another program") != std::string::npos; }))
        << program.Text(IDC_STATUS_LINE);
    UnregisterHotKey(nullptr, 1);

    // Then it holds F9, which the user chooses with Change Key: stored as chosen, shown as taken.
    ASSERT_TRUE(RegisterHotKey(nullptr, 2, 0, VK_F9));
    auto ChooseF9 = [&] {
        PostMessageA(program.hwnd, WM_COMMAND, IDC_CHANGE_KEY, 0);
        HWND hwndKey = nullptr;
        if (!WaitFor([&] { return (hwndKey = FindWindowA(reinterpret_cast<LPCSTR>(MAKEINTATOM(0x8002)), "Change Key")) != nullptr; }))
            return false;
        PostMessageA(hwndKey, WM_KEYDOWN, VK_F9, 1);
        return WaitFor([&] { return !IsWindow(hwndKey); });
    };
    ASSERT_TRUE(ChooseF9());
    EXPECT_EQ("F9 (taken)", program.TextOnceItIs(IDC_HOT_KEY_NAME, "F9 (taken)"));
    EXPECT_EQ(VK_F9, GetRegistryInt("Settings", "HotKey", -1));
    EXPECT_EQ(0, GetRegistryInt("Settings", "HotKeyModifier", -1));
    UnregisterHotKey(nullptr, 2);
    ASSERT_TRUE(ChooseF9());
    EXPECT_EQ("F9", program.TextOnceItIs(IDC_HOT_KEY_NAME, "F9"));
    EXPECT_FALSE(CombinationIsFree(0, VK_F9)) << "registered once it is free";
}

TEST_F(HotKeyTest, TheTrayIconComesBackWhenTheShellStartsAgain) {
    ASSERT_TRUE(Started());
    NOTIFYICONDATAA record = {};
    record.cbSize = NOTIFYICONDATAA_V1_SIZE;
    record.hWnd = program.hwnd;
    record.uID = TRAY_ICON_ID;
    ASSERT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &record)) << "the program's icon is in the tray";
    // A shell that starts again has an empty tray, and tells every top-level window so.
    ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &record));
    ASSERT_FALSE(Shell_NotifyIconA(NIM_MODIFY, &record));
    PostMessageA(program.hwnd, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_TRUE(WaitFor([&] { return Shell_NotifyIconA(NIM_MODIFY, &record) != FALSE; })) << "the icon is added again";
}

// A tray that takes no icons, in a thread of this test: the first window of the tray's class that
// the shell's calls find, so the program's icon cannot be added while it is up.
class RefusingTray {
public:
    RefusingTray() {
        hReady = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        hThread = CreateThread(nullptr, 0, Run, this, 0, &dwThreadId);
        WaitForSingleObject(hReady, kPatienceMs);
    }
    ~RefusingTray() {
        PostThreadMessageA(dwThreadId, WM_QUIT, 0, 0);
        WaitForSingleObject(hThread, kPatienceMs);
        CloseHandle(hThread);
        CloseHandle(hReady);
    }
    // Puts it back in front of the shell's own tray, which comes to the top as it shows icons, and
    // returns whether the shell's calls now find it: an icon of this test's is refused.
    bool StillFirst() const {
        if (hwnd == nullptr) return false;
        SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        NOTIFYICONDATAA probe = {};
        probe.cbSize = NOTIFYICONDATAA_V1_SIZE;
        probe.hWnd = hwnd;
        probe.uID = 1;
        if (!Shell_NotifyIconA(NIM_ADD, &probe)) return true;
        Shell_NotifyIconA(NIM_DELETE, &probe);
        return false;
    }
    HWND hwnd = nullptr;

private:
    static LRESULT CALLBACK Refuse(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
        if (uMsg == WM_COPYDATA) return FALSE;  // no icon is taken
        return DefWindowProcA(hwnd, uMsg, wParam, lParam);
    }
    static DWORD WINAPI Run(void* pParameter) {
        RefusingTray* pTray = static_cast<RefusingTray*>(pParameter);
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = Refuse;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "Shell_TrayWnd";
        RegisterClassA(&windowClass);
        pTray->hwnd = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "Shell_TrayWnd", "", WS_POPUP, 0, 0, 1, 1,
                                      nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        SetEvent(pTray->hReady);
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
        DestroyWindow(pTray->hwnd);
        UnregisterClassA("Shell_TrayWnd", GetModuleHandleA(nullptr));
        return 0;
    }
    HANDLE hReady = nullptr, hThread = nullptr;
    DWORD dwThreadId = 0;
};

TEST_F(HotKeyTest, WithoutATrayIconCloseSaysHowToComeBackOrKeepsTheWindowReachable) {
    NOTIFYICONDATAA record = {};
    record.cbSize = NOTIFYICONDATAA_V1_SIZE;
    record.uID = TRAY_ICON_ID;
    {
        RefusingTray tray;
        ASSERT_TRUE(tray.StillFirst());
        ASSERT_TRUE(Started());
        // Close: the window hides, and a message tells the hot key that brings it back.
        PostMessageA(program.hwnd, WM_COMMAND, IDCANCEL, 0);
        HWND hwndBox = nullptr;
        ASSERT_TRUE(WaitFor([&] {
            hwndBox = FindWindowA(reinterpret_cast<LPCSTR>(MAKEINTATOM(0x8002)), "TallyQuill Hidden");
            return hwndBox != nullptr && IsWindowVisible(hwndBox);
        })) << "no word that the window goes without a tray icon";
        std::string text = MessageBoxText(hwndBox);
        EXPECT_NE(std::string::npos, text.find("press Shift+F8")) << text;
        PostMessageA(hwndBox, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(WaitFor([&] { return !program.Visible(); }));
        PressHotKey();
        EXPECT_TRUE(WaitFor([&] { return program.Visible(); })) << "the hot key brings it back";

        // With the hot key taken as well, Close leaves the window on the task bar, minimized.
        PostMessageA(program.hwnd, WM_COMMAND, IDM_TRAY_EXIT, 0);
        ASSERT_EQ(0, program.WaitForExit());
        ASSERT_TRUE(RegisterHotKey(nullptr, 3, MOD_SHIFT, VK_F8));
        ASSERT_TRUE(tray.StillFirst());
        ProgramUnderTest second;
        ASSERT_TRUE(second.Start());
        ASSERT_NE(nullptr, second.WaitForDialog());
        ASSERT_EQ("Shift+F8 (taken)", second.Text(IDC_HOT_KEY_NAME));
        ASSERT_TRUE(second.Settled()) << "the start, and the window's first showing, are over";
        PostMessageA(second.hwnd, WM_COMMAND, IDCANCEL, 0);
        EXPECT_TRUE(WaitFor([&] { return IsIconic(second.hwnd) != FALSE; })) << "minimized, not hidden";
        EXPECT_TRUE(second.Visible());
        UnregisterHotKey(nullptr, 3);
        record.hWnd = second.hwnd;
        EXPECT_FALSE(Shell_NotifyIconA(NIM_MODIFY, &record)) << "no icon while the tray refuses";
        program.hwnd = second.hwnd;
        std::swap(program.process, second.process);
    }
    // The tray is back: the shell's message brings the icon.
    PostMessageA(program.hwnd, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_TRUE(WaitFor([&] { return Shell_NotifyIconA(NIM_MODIFY, &record) != FALSE; })) << "the icon is added";
}

TEST_F(HotKeyTest, TrayIconOpensHidesAndEnds) {
    ASSERT_TRUE(Started());
    program.Click(IDC_CLOSE_BUTTON);
    ASSERT_TRUE(WaitFor([&] { return !program.Visible(); }));
    PostMessageA(program.hwnd, WMAPP_TRAY_NOTIFY, TRAY_ICON_ID, WM_LBUTTONDBLCLK);
    ASSERT_TRUE(program.HandledPostedMessages());
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
    EXPECT_TRUE(program.HandledPostedMessages() && program.Running()) << "Close hides; the program goes on";
    ASSERT_TRUE(ChooseFromMenu(1));  // "Open TallyQuill"
    EXPECT_TRUE(WaitFor([&] { return program.Visible(); }));
    program.SetText(IDC_COST_PER_LINE, "0.07");
    ASSERT_TRUE(ChooseFromMenu(3));  // "Exit (Turn Off Hot Key )"
    EXPECT_EQ(0, program.WaitForExit());
    char szValue[kRegistryTextSize];
    GetRegistryString("Settings", "CostPerLine", "", szValue, sizeof(szValue));
    EXPECT_STREQ("0.07", szValue) << "Exit saves the settings";
}

// A key the user holds, as the system's key state holds it: down from the start, up at the end.
// keybd_event rather than SendInput, which a case below takes over in this program.
class HeldKey {
public:
    explicit HeldKey(BYTE nVirtualKey) : nKey(nVirtualKey) { Press(0); }
    ~HeldKey() { Press(KEYEVENTF_KEYUP); }

private:
    void Press(DWORD dwFlags) { keybd_event(nKey, static_cast<BYTE>(MapVirtualKeyA(nKey, MAPVK_VK_TO_VSC)), dwFlags, 0); }
    BYTE nKey;
};

TEST_F(HotKeyTest, AHotKeyStillHeldAfterTwoSecondsSendsNothingAndTheWindowAnswersMeanwhile) {
    PutClipboardText("one two");
    ASSERT_TRUE(Started());
    ASSERT_EQ("2", program.TextOnceItIs(IDC_WORD_COUNT, "2"));
    program.Click(IDC_CLOSE_BUTTON);  // waits in the tray
    ASSERT_TRUE(WaitFor([&] { return !program.Visible(); }));
    TextTarget target;
    ASSERT_TRUE(target.Start());
    ASSERT_TRUE(target.Activate());
    DWORD dwSelection = target.Selection();
    DWORD dwClipboard = GetClipboardSequenceNumber();
    const std::string kHeld = "Let go of the hot key to copy: nothing was copied.";
    DWORD dwLongestAnswerMs = 0;
    {
        HeldKey shift(VK_LSHIFT);
        ASSERT_TRUE(WaitFor([] { return (GetAsyncKeyState(VK_LSHIFT) & 0x8000) != 0; })) << "Shift is not down";
        DWORD dwPressed = GetTickCount();
        PressHotKey();
        // The window answers throughout the wait: each WM_NULL is timed.
        std::string status;
        while ((status = program.Text(IDC_STATUS_LINE)) != kHeld && GetTickCount() - dwPressed < kPatienceMs) {
            DWORD dwSent = GetTickCount();
            DWORD_PTR nAnswer = 0;
            ASSERT_NE(0, SendMessageTimeoutA(program.hwnd, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &nAnswer))
                << "no answer within 1 s, " << (dwSent - dwPressed) << " ms after the press";
            dwLongestAnswerMs = std::max<DWORD>(dwLongestAnswerMs, GetTickCount() - dwSent);
        }
        EXPECT_EQ(kHeld, status);
        EXPECT_GE(GetTickCount() - dwPressed, 2000u) << "said before the two seconds were up";
    }
    printf("the longest answer to WM_NULL during the wait took %lu ms\n", static_cast<unsigned long>(dwLongestAnswerMs));
    EXPECT_TRUE(WaitFor([&] { return program.Visible(); })) << "the window comes forward as after any press";
    ASSERT_TRUE(PostedMessagesHandled(GetDlgItem(target.hwnd, 1)));
    EXPECT_EQ(dwSelection, target.Selection()) << "the target's selection is untouched";
    EXPECT_EQ(dwClipboard, GetClipboardSequenceNumber()) << "the clipboard changed";
    EXPECT_EQ("2", program.Text(IDC_WORD_COUNT)) << "the counts stay";
}

TEST_F(HotKeyTest, APressWhileFilesAreReadIsLetGoAndSendsNoKeysAfterwards) {
    // 4 MB of words to read: "word " 800,000 times.
    const unsigned kWords = 800000;
    std::string words;
    words.reserve(kWords * 5);
    for (unsigned i = 0; i < kWords; ++i) words += "word ";
    std::string path = ScratchFolder() + "many words.txt";
    FILE* pFile = fopen(path.c_str(), "wb");
    ASSERT_NE(nullptr, pFile);
    ASSERT_EQ(words.size(), fwrite(words.data(), 1, words.size(), pFile));
    fclose(pFile);
    std::wstring widePath(path.begin(), path.end());

    PutClipboardText("one two");
    ASSERT_TRUE(Started());
    ASSERT_EQ("2", program.TextOnceItIs(IDC_WORD_COUNT, "2"));
    TextTarget target;
    ASSERT_TRUE(target.Start());
    ASSERT_TRUE(target.Activate());
    DWORD dwSelection = target.Selection();
    DWORD dwClipboard = GetClipboardSequenceNumber();
    // The press comes behind the drop: it waits in the queue while the file is read.
    ASSERT_EQ("", DropFilesOn(program.hwnd, {widePath}));
    PressHotKey();
    EXPECT_EQ("800000", program.TextOnceItIs(IDC_WORD_COUNT, "800000")) << "status line: " << program.Text(IDC_STATUS_LINE);
    const std::string kIgnored = "The hot key was pressed while TallyQuill was busy: that press was ignored.";
    EXPECT_EQ(kIgnored, program.TextOnceItIs(IDC_STATUS_LINE, kIgnored));
    ASSERT_TRUE(program.HandledPostedMessages());
    ASSERT_TRUE(PostedMessagesHandled(GetDlgItem(target.hwnd, 1)));
    EXPECT_EQ(dwSelection, target.Selection()) << "the target's selection changed";
    EXPECT_EQ(dwClipboard, GetClipboardSequenceNumber()) << "the clipboard changed";
    EXPECT_EQ("800000", program.Text(IDC_WORD_COUNT)) << "the file's counts stay";

    // The next press, once the reading is over, copies as any other.
    ASSERT_TRUE(target.Activate());
    PressHotKey();
    EXPECT_EQ(kTargetText, program.TextOnceItIs(IDC_SUMMARY, kTargetText));
    DeleteFileA(path.c_str());
}

// The system refuses part of the keys, as it does when a program with higher rights is in front
// (which Wine, with no such rights, never shows): the copy is given up at once and Ctrl let go.
std::vector<std::vector<INPUT>> inputsGiven;
UINT WINAPI TakePartOfTheInput(UINT nInputs, LPINPUT pInputs, int cbSize) {
    if (cbSize != static_cast<int>(sizeof(INPUT))) return 0;
    inputsGiven.emplace_back(pInputs, pInputs + nInputs);
    return inputsGiven.size() == 1 ? 3 : 0;
}

TEST(SelectAndCopy, KeysTheSystemRefusesAreNotCountedAsSentAndCtrlIsLetGo) {
    ASSERT_NE(nullptr, RedirectImport("user32.dll", "SendInput", reinterpret_cast<void*>(TakePartOfTheInput)))
        << "this program does not import SendInput";
    OtherThreadWindow other(false);
    HWND hwndOther = other.Window();
    ASSERT_NE(nullptr, hwndOther);
    SetForegroundWindow(hwndOther);
    ASSERT_TRUE(WaitFor(
        "the other thread's window in front", [&] { return GetForegroundWindow() == hwndOther; },
        [] { return ShownWindows(); }));
    DWORD dwClipboardBefore = GetClipboardSequenceNumber();

    EXPECT_EQ(kInputBlocked, SelectAndCopyInForeground(nullptr));
    ASSERT_EQ(2u, inputsGiven.size()) << "the keys in one call, then Ctrl let go in another";
    EXPECT_GE(inputsGiven[0].size(), 6u);
    const INPUT& release = inputsGiven[1].at(0);
    EXPECT_TRUE(inputsGiven[1].size() == 1 && release.type == INPUT_KEYBOARD && release.ki.wVk == VK_CONTROL &&
                (release.ki.dwFlags & KEYEVENTF_KEYUP) != 0)
        << inputsGiven[1].size() << " inputs, the first of type " << release.type << ", key " << release.ki.wVk
        << ", flags " << release.ki.dwFlags;
    EXPECT_EQ(dwClipboardBefore, GetClipboardSequenceNumber());
}

}  // namespace
