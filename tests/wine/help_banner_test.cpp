// The splash, the banner strip and the help file, from the outside: a copy of the program with its
// help file and banner in a folder of their own, started from another folder.
#include <windows.h>
#include <gtest/gtest.h>

#include <shlwapi.h>
#include <stdio.h>
#include <string.h>

#include <functional>
#include <map>
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
    for (const char* szName : {"tallyq.hlp", "banner.htm", "banner.gif", "tallyq.htm"})
        CopyFileA(PayloadPath(szName).c_str(), (folder + "\\" + szName).c_str(), FALSE);
    return folder;
}

HWND FindSplash() { return FindWindowA("LSplashScreen", nullptr); }

HWND WaitForHelpViewer() {
    HWND hwnd = nullptr;
    WaitFor(
        "the help viewer", [&] { return (hwnd = FindWindowA(kHelpViewerClass, nullptr)) != nullptr && IsWindowVisible(hwnd); },
        ShownWindows);
    return hwnd != nullptr && IsWindowVisible(hwnd) ? hwnd : nullptr;
}

// Whether the viewer shows a topic: its text window holds text.
BOOL CALLBACK FindTopicText(HWND hwnd, LPARAM lParam) {
    char szClass[64] = "";
    GetClassNameA(hwnd, szClass, sizeof(szClass));
    // Sent, not GetWindowTextLength: that reads only the caption of another process's window.
    if (strstr(szClass, "RichEdit") != nullptr && SendWithin(hwnd, WM_GETTEXTLENGTH, 0, 0, "WM_GETTEXTLENGTH") > 0) {
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

// A colour as 6 hexadecimal digits, red first.
std::string Hex(COLORREF colour) {
    char szHex[8];
    snprintf(szHex, sizeof(szHex), "%02X%02X%02X", GetRValue(colour), GetGValue(colour), GetBValue(colour));
    return szHex;
}

// How a window's area on the screen differs from one plain colour: "" when every pixel has it,
// else how many do not, where the first is, and the colours seen. The pixels are read back from
// the screen, where the program's process has drawn them.
std::string DifferenceFromPlain(HWND hwnd, COLORREF plain) {
    RECT area;
    if (!GetWindowRect(hwnd, &area)) return "no such window";
    int nWidth = area.right - area.left, nHeight = area.bottom - area.top;
    if (nWidth <= 0 || nHeight <= 0) return "an empty area";
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = nWidth;
    info.bmiHeader.biHeight = -nHeight;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC hdcScreen = GetDC(nullptr);
    HDC hdcCopy = CreateCompatibleDC(hdcScreen);
    void* pBits = nullptr;
    HBITMAP hBitmap = CreateDIBSection(hdcScreen, &info, DIB_RGB_COLORS, &pBits, nullptr, 0);
    HGDIOBJ hOldBitmap = SelectObject(hdcCopy, hBitmap);
    bool bCopied = hBitmap != nullptr && BitBlt(hdcCopy, 0, 0, nWidth, nHeight, hdcScreen, area.left, area.top, SRCCOPY);
    GdiFlush();
    std::string difference;
    if (!bCopied) {
        difference = "the screen could not be read";
    } else {
        // A 32-bit pixel is 0x00RRGGBB.
        const DWORD* pPixels = static_cast<const DWORD*>(pBits);
        std::map<DWORD, int> others;
        int nFirst = -1;
        for (int i = 0; i < nWidth * nHeight; ++i) {
            DWORD rgb = pPixels[i] & 0xFFFFFF;
            COLORREF colour = RGB(rgb >> 16, (rgb >> 8) & 0xFF, rgb & 0xFF);
            if (colour == plain) continue;
            if (nFirst < 0) nFirst = i;
            ++others[colour];
        }
        if (nFirst >= 0) {
            int nOthers = 0;
            std::string colours;
            for (const auto& other : others) {
                nOthers += other.second;
                if (colours.size() < 80) colours += " " + Hex(other.first) + " x" + std::to_string(other.second);
            }
            difference = std::to_string(nOthers) + " of " + std::to_string(nWidth * nHeight) + " pixels are not " +
                         Hex(plain) + ", the first at (" + std::to_string(nFirst % nWidth) + ", " +
                         std::to_string(nFirst / nWidth) + "); colours:" + colours;
        }
    }
    SelectObject(hdcCopy, hOldBitmap);
    if (hBitmap != nullptr) DeleteObject(hBitmap);
    DeleteDC(hdcCopy);
    ReleaseDC(nullptr, hdcScreen);
    return difference;
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
        SetWindowsVersionOf("tallyq.exe", "");
    }
    // Starts the copy from the root folder, so that only its own start finds its files.
    bool StartFromElsewhere(ProgramUnderTest* pProgram, const std::string& arguments = "") {
        return pProgram->Start(arguments, folder + "\\tallyq.exe", "C:\\") && pProgram->WaitForDialog() != nullptr;
    }
    // A help request must open the viewer on the help file, with no error box.
    void ExpectHelpViewer(const char* szHow) {
        SCOPED_TRACE(szHow);
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
    // The banner strip shows nothing: every pixel of it on the screen has the colour of an empty
    // edit box, and still has once the program has handled whatever it had posted itself. A text
    // put into the strip then shows in the pixels read, so the reading does look at the strip.
    static void ExpectBlankStrip(const ProgramUnderTest& program) {
        HWND hwndStrip = GetDlgItem(program.hwnd, IDC_BANNER);
        ASSERT_NE(nullptr, hwndStrip);
        ASSERT_TRUE(IsWindowVisible(hwndStrip));
        const COLORREF blank = GetSysColor(COLOR_WINDOW);
        std::string difference;
        // The program paints in its own time, and the screen shows it later still.
        EXPECT_TRUE(WaitFor(
            "the banner strip to show blank on the screen", [&] { return (difference = DifferenceFromPlain(hwndStrip, blank)).empty(); },
            [&] { return difference; }))
            << difference;
        ASSERT_TRUE(program.HandledPostedMessages());
        EXPECT_EQ("", DifferenceFromPlain(hwndStrip, blank)) << "the strip stays blank";

        SendWithin(hwndStrip, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("WWWWWWWW"), "WM_SETTEXT");
        EXPECT_TRUE(WaitFor(
            "a text in the strip to show on the screen", [&] { return !DifferenceFromPlain(hwndStrip, blank).empty(); },
            [] { return std::string("every pixel of the strip blank"); }))
            << "the strip's pixels are read from where the strip is";
        SendWithin(hwndStrip, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""), "WM_SETTEXT");
    }

    std::string folder;
};

}  // namespace

TEST_F(HelpBannerTest, TheSplashShowsAtStartAndCloseTakesItAway) {
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
}

TEST_F(HelpBannerTest, ALogonStartClosesTheSplash) {
    ProgramUnderTest logon;
    ASSERT_TRUE(StartFromElsewhere(&logon, "/logon"));
    // Before the start is under way there is no splash either: the check comes once it is over.
    ASSERT_TRUE(logon.Settled());
    EXPECT_EQ(nullptr, FindSplash()) << "a logon start closes it";
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
    SCOPED_TRACE("the strip of a program started with its banner files");
    ExpectBlankStrip(program);
}

TEST_F(HelpBannerTest, WithoutTheBannerPageTheStripStaysBlank) {
    ASSERT_TRUE(DeleteFileA((folder + "\\banner.htm").c_str()));
    ASSERT_TRUE(DeleteFileA((folder + "\\banner.gif").c_str()));
    ProgramUnderTest program;
    ASSERT_TRUE(StartFromElsewhere(&program));
    ASSERT_TRUE(program.Settled());
    SCOPED_TRACE("the strip of a program started without its banner files");
    ExpectBlankStrip(program);
}

// Asks for help the three ways a user can: the Help button, F1 in the dialog, and the Help button
// of Add to CSV File; after each, expect(how) checks what came of it.
void AskForHelpThreeWays(ProgramUnderTest& program, const std::function<void(const char*)>& expect) {
    PostMessageA(GetDlgItem(program.hwnd, IDC_HELP_BUTTON), BM_CLICK, 0, 0);
    expect("the Help button");

    // Under Wine the focus may go back to where it was when the viewer closed, a moment after the
    // dialog came forward: Open is asked again until the dialog stays in front.
    ASSERT_TRUE(WaitFor(
        [&] {
            if (GetForegroundWindow() == program.hwnd) return true;
            PostMessageA(program.hwnd, WM_COMMAND, MAKEWPARAM(IDM_TRAY_OPEN, 0), 0);
            return false;
        },
        kPatienceMs, 250));
    INPUT keys[2] = {};
    keys[0].type = keys[1].type = INPUT_KEYBOARD;
    keys[0].ki.wVk = keys[1].ki.wVk = VK_F1;
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, keys, sizeof(INPUT));
    expect("F1");

    PostMessageA(program.hwnd, WM_COMMAND, MAKEWPARAM(IDC_ADD_TO_CSV, 0), 0);
    HWND hwndCsv = WaitForShownDialog("Add to CSV File");
    ASSERT_NE(nullptr, hwndCsv);
    PostMessageA(GetDlgItem(hwndCsv, IDHELP), BM_CLICK, 0, 0);
    expect("the Help button of Add to CSV File");
    PostMessageA(hwndCsv, WM_COMMAND, IDCANCEL, 0);
}

TEST_F(HelpBannerTest, OnWindowsXPHelpOpensTheViewerOnTheHelpFile) {
    SetWindowsVersionOf("tallyq.exe", "winxp");
    ProgramUnderTest program;
    ASSERT_TRUE(StartFromElsewhere(&program));
    AskForHelpThreeWays(program, [this](const char* szHow) { ExpectHelpViewer(szHow); });
}

// A test program stands in for the browser: the handler of .htm files while the test runs.
class PageHandler {
public:
    PageHandler() {
        DWORD cbOld = sizeof(szOldClass);
        bHadClass = RegGetValueA(HKEY_LOCAL_MACHINE, kHtmKey, nullptr, RRF_RT_REG_SZ, nullptr, szOldClass, &cbOld) ==
                    ERROR_SUCCESS;
        std::string command = "\"" + TestProgramFolder() + "page_catcher.exe\" \"%1\"";
        SetDefault(kHtmKey, "TallyQuillTestPage");
        SetDefault(kCommandKey, command.c_str());
        DeleteFileA(LogPath().c_str());
    }
    ~PageHandler() {
        if (bHadClass) SetDefault(kHtmKey, szOldClass);
        SHDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Classes\\TallyQuillTestPage");
        DeleteFileA(LogPath().c_str());
    }
    // The command lines it was started with, one a line.
    std::vector<std::string> Opened() const {
        std::vector<std::string> lines;
        FILE* pLog = fopen(LogPath().c_str(), "rb");
        if (pLog == nullptr) return lines;
        char szLine[1024];
        while (fgets(szLine, sizeof(szLine), pLog)) {
            std::string line = szLine;
            while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
            lines.push_back(line);
        }
        fclose(pLog);
        return lines;
    }

private:
    static constexpr const char* kHtmKey = "Software\\Classes\\.htm";
    static constexpr const char* kCommandKey = "Software\\Classes\\TallyQuillTestPage\\shell\\open\\command";
    static std::string LogPath() { return TestProgramFolder() + "page_opened.txt"; }
    static void SetDefault(const char* szKey, const char* szValue) {
        HKEY hKey = nullptr;
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, szKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &hKey, nullptr) !=
            ERROR_SUCCESS)
            return;
        RegSetValueExA(hKey, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(szValue),
                       static_cast<DWORD>(strlen(szValue) + 1));
        RegCloseKey(hKey);
    }
    char szOldClass[256] = "";
    bool bHadClass = false;
};

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return text;
}

TEST_F(HelpBannerTest, OnLaterWindowsHelpOpensTheGuidePageInTheBrowser) {
    SetWindowsVersionOf("tallyq.exe", "win10");
    PageHandler handler;
    ProgramUnderTest program;
    ASSERT_TRUE(StartFromElsewhere(&program));
    size_t nAsked = 0;
    AskForHelpThreeWays(program, [&](const char* szHow) {
        ++nAsked;
        EXPECT_TRUE(WaitFor(
            "the page handler to be started", [&] { return handler.Opened().size() >= nAsked; },
            [&] { return std::to_string(handler.Opened().size()) + " page(s) opened; " + ShownWindows(); }))
            << szHow << ": no page was opened";
        EXPECT_EQ(nullptr, FindWindowA(kHelpViewerClass, nullptr)) << szHow << ": the WinHelp viewer opened";
    });
    std::vector<std::string> opened = handler.Opened();
    EXPECT_EQ(3u, opened.size()) << "one page for each request, nothing else";
    for (const std::string& line : opened)
        EXPECT_NE(std::string::npos, Lower(line).find(Lower(folder + "\\tallyq.htm"))) << line;
}

TEST_F(HelpBannerTest, OnLaterWindowsAMissingGuidePageIsReportedAndNothingOpens) {
    SetWindowsVersionOf("tallyq.exe", "win10");
    PageHandler handler;
    ProgramUnderTest program;
    ASSERT_TRUE(StartFromElsewhere(&program));
    // Gone while the program runs: the page is looked for when help is asked for.
    ASSERT_TRUE(DeleteFileA((folder + "\\tallyq.htm").c_str()));
    PostMessageA(GetDlgItem(program.hwnd, IDC_HELP_BUTTON), BM_CLICK, 0, 0);
    HWND hwndBox = WaitForShownDialog("TallyQuill Help");
    ASSERT_NE(nullptr, hwndBox);
    std::string text = MessageBoxText(hwndBox);
    EXPECT_NE(std::string::npos, text.find("missing")) << text;
    EXPECT_NE(std::string::npos, Lower(text).find("tallyq.htm")) << text;
    PostMessageA(hwndBox, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(hwndBox); }));
    ASSERT_TRUE(program.HandledPostedMessages());
    EXPECT_EQ(0u, handler.Opened().size()) << "no page was opened";
}
