// The splash, the banner strip and the help file, from the outside: a copy of the program with its
// help file and banner in a folder of their own, started from another folder.
#include <windows.h>
#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "resources/main_dialog_ids.h"
#include "tests/wine/installation.h"
#include "tests/wine/wine_test_support.h"

namespace {

const char kHelpViewerClass[] = "MS_WINHELP";

// A program folder like an installed one.
std::string AppFolder() {
    std::string folder = ScratchFolder() + "app";
    CreateDirectoryA(folder.c_str(), nullptr);
    CopyFileA(BuiltProgramPath().c_str(), (folder + "\\tallyq.exe").c_str(), FALSE);
    for (const char* szName : {"tallyq.hlp", "banner.htm", "banner.gif"})
        CopyFileA(PayloadPath(szName).c_str(), (folder + "\\" + szName).c_str(), FALSE);
    return folder;
}

HWND FindSplash() { return FindWindowA("LSplashScreen", nullptr); }

HWND WaitForHelpViewer() {
    HWND hwnd = nullptr;
    WaitFor([&] { return (hwnd = FindWindowA(kHelpViewerClass, nullptr)) != nullptr && IsWindowVisible(hwnd); },
            kPatienceMs);
    return hwnd != nullptr && IsWindowVisible(hwnd) ? hwnd : nullptr;
}

// Whether the viewer shows a topic: its text window holds text.
BOOL CALLBACK FindTopicText(HWND hwnd, LPARAM lParam) {
    char szClass[64] = "";
    GetClassNameA(hwnd, szClass, sizeof(szClass));
    // Sent, not GetWindowTextLength: that reads only the caption of another process's window.
    if (strstr(szClass, "RichEdit") != nullptr && SendMessageA(hwnd, WM_GETTEXTLENGTH, 0, 0) > 0) {
        *reinterpret_cast<bool*>(lParam) = true;
        return FALSE;
    }
    return TRUE;
}

bool TopicShown(HWND hwndViewer) {
    bool bShown = false;
    if (hwndViewer != nullptr) EnumChildWindows(hwndViewer, FindTopicText, reinterpret_cast<LPARAM>(&bShown));
    return bShown;
}

void CloseHelpViewers() {
    while (HWND hwnd = FindWindowA(kHelpViewerClass, nullptr)) {
        PostMessageA(hwnd, WM_CLOSE, 0, 0);
        if (!WaitFor([hwnd] { return !IsWindow(hwnd); })) break;
    }
}

// The windows a process shows, by title.
struct WindowSearch {
    DWORD dwProcessId;
    std::vector<std::string> titles;
};

BOOL CALLBACK CollectVisible(HWND hwnd, LPARAM lParam) {
    WindowSearch* pSearch = reinterpret_cast<WindowSearch*>(lParam);
    DWORD dwOwner = 0;
    GetWindowThreadProcessId(hwnd, &dwOwner);
    if (dwOwner == pSearch->dwProcessId && IsWindowVisible(hwnd)) {
        char szTitle[100] = "";
        GetWindowTextA(hwnd, szTitle, sizeof(szTitle));
        pSearch->titles.push_back(szTitle);
    }
    return TRUE;
}

std::vector<std::string> VisibleWindowsOf(DWORD dwProcessId) {
    WindowSearch search = {dwProcessId, {}};
    EnumWindows(CollectVisible, reinterpret_cast<LPARAM>(&search));
    return search.titles;
}

class HelpBannerTest : public ::testing::Test {
protected:
    void SetUp() override {
        EndRunningCopies();
        CloseHelpViewers();
        ResetProgramRegistry();
        folder = AppFolder();
    }
    void TearDown() override {
        CloseHelpViewers();
        EndRunningCopies();
    }
    // Starts the copy from the root folder, so that only its own start finds its files.
    bool StartFromElsewhere(ProgramUnderTest* pProgram, const std::string& arguments = "") {
        return pProgram->Start(arguments, folder + "\\tallyq.exe", "C:\\") && pProgram->WaitForDialog() != nullptr;
    }
    // A help request must open the viewer on the help file, with no error box.
    void ExpectHelpViewer(const char* szHow) {
        HWND hwndViewer = WaitForHelpViewer();
        EXPECT_NE(nullptr, hwndViewer) << szHow;
        // A file the viewer cannot read shows its error box; one it reads shows its contents topic.
        HWND hwndError = nullptr;
        EXPECT_TRUE(WaitFor([&] { return (hwndError = FindWindowA(nullptr, "ERROR")) != nullptr || TopicShown(hwndViewer); }))
            << szHow << ": neither a topic nor an error";
        EXPECT_EQ(nullptr, hwndError) << szHow << ": " << MessageBoxText(hwndError);
        // The viewer's error box blocks the program's help call until it is answered.
        if (hwndError != nullptr) PostMessageA(hwndError, WM_COMMAND, IDOK, 0);
        CloseHelpViewers();
    }
    std::string folder;
};

}  // namespace

TEST_F(HelpBannerTest, TheSplashShowsAtStartAndALogonStartClosesIt) {
    ProgramUnderTest program;
    ASSERT_TRUE(StartFromElsewhere(&program));
    HWND hwndSplash = FindSplash();
    ASSERT_NE(nullptr, hwndSplash) << "the splash is up right after start";
    EXPECT_TRUE(IsWindowVisible(hwndSplash));
    EXPECT_EQ(program.hwnd, GetWindow(hwndSplash, GW_OWNER));
    RECT window;
    GetWindowRect(hwndSplash, &window);
    EXPECT_EQ(344, window.right - window.left);
    EXPECT_EQ(286, window.bottom - window.top);
    // Close hides the dialog and takes the splash with it.
    PostMessageA(program.hwnd, WM_COMMAND, MAKEWPARAM(IDM_TRAY_CLOSE, 0), 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(hwndSplash); }));
    EndRunningCopies();

    ProgramUnderTest logon;
    ASSERT_TRUE(StartFromElsewhere(&logon, "/logon"));
    EXPECT_TRUE(WaitFor([] { return FindSplash() == nullptr; })) << "a logon start closes it";
}

TEST_F(HelpBannerTest, TheBannerStripStaysBlankAndNothingAsks) {
    ProgramUnderTest program;
    ASSERT_TRUE(StartFromElsewhere(&program));
    HWND hwndStrip = GetDlgItem(program.hwnd, IDC_BANNER);
    ASSERT_NE(nullptr, hwndStrip);
    EXPECT_TRUE(IsWindowVisible(hwndStrip));
    DWORD_PTR nResult = 0;
    EXPECT_NE(0, SendMessageTimeoutA(program.hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kPatienceMs, &nResult))
        << "the dialog answers";
    ASSERT_TRUE(program.Settled());
    for (const std::string& title : VisibleWindowsOf(program.process.dwProcessId))
        EXPECT_TRUE(title == "TallyQuill" || title.empty()) << "an unexpected window: " << title;
}

TEST_F(HelpBannerTest, HelpOpensTheViewerOnTheHelpFile) {
    ProgramUnderTest program;
    ASSERT_TRUE(StartFromElsewhere(&program));
    PostMessageA(GetDlgItem(program.hwnd, IDC_HELP_BUTTON), BM_CLICK, 0, 0);
    ExpectHelpViewer("the Help button");

    // F1 in the dialog.
    PostMessageA(program.hwnd, WM_COMMAND, MAKEWPARAM(IDM_TRAY_OPEN, 0), 0);
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == program.hwnd; }));
    INPUT keys[2] = {};
    keys[0].type = keys[1].type = INPUT_KEYBOARD;
    keys[0].ki.wVk = keys[1].ki.wVk = VK_F1;
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, keys, sizeof(INPUT));
    ExpectHelpViewer("F1");

    // The Help button of Add to CSV File.
    PostMessageA(program.hwnd, WM_COMMAND, MAKEWPARAM(IDC_ADD_TO_CSV, 0), 0);
    HWND hwndCsv = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        return (hwndCsv = FindDialogTitled("Add to CSV File")) != nullptr && IsWindowVisible(hwndCsv);
    }));
    PostMessageA(GetDlgItem(hwndCsv, IDHELP), BM_CLICK, 0, 0);
    ExpectHelpViewer("the Help button of Add to CSV File");
    PostMessageA(hwndCsv, WM_COMMAND, IDCANCEL, 0);
}
