// The install and uninstall engines and their front ends in this process, with the system's calls
// answered by the test only where a failure, or Windows' elevation, is to be shown: what could not
// be made or removed is named and ends a silent run with its code; nothing changes before a check
// has refused; an elevated setup never starts the program itself; the shortcut folders are the
// system's known ones; a running copy that cannot be opened is waited for by its window.
#include <windows.h>
#include <shlobj.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resources/tray_menu_ids.h"
#include "setup/install_dialog.h"
#include "setup/install_engine.h"
#include "setup/registration.h"
#include "setup/running_copy.h"
#include "setup/setup_layout.h"
#include "setup/setup_outcome.h"
#include "setup/shell_registration.h"
#include "setup/uninstall_dialog.h"
#include "setup/uninstall_engine.h"
#include "tests/wine/engine_install.h"
#include "tests/wine/import_redirect.h"
#include "tests/wine/installation.h"
#include "tests/wine/wine_test_support.h"
#include "ui/dialog.h"

namespace {

const char kUninstallEntry[] = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TallyQuill";
const char kFoldersKey[] = "Software\\Kestrilon\\TallyQuill\\Folders";
const char kShellFoldersKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// The system's registration, but for the steps a case makes fail.
class FailingRegistration : public Registration {
public:
    std::string failedShortcut;  // this shortcut is neither made nor deleted
    bool bFailEntry = false;     // the Uninstall entry is neither written nor deleted

    bool MakeShortcut(const char* szShortcut, const char* szTarget) override {
        return failedShortcut != szShortcut && Registration::MakeShortcut(szShortcut, szTarget);
    }
    bool DeleteShortcut(const char* szShortcut) override {
        return failedShortcut != szShortcut && Registration::DeleteShortcut(szShortcut);
    }
    bool WriteUninstallEntry(const char* szInstallPath) override {
        return !bFailEntry && Registration::WriteUninstallEntry(szInstallPath);
    }
    bool DeleteUninstallEntry() override { return !bFailEntry && Registration::DeleteUninstallEntry(); }
};

// Message boxes, as caption and text; a question is answered Yes.
std::vector<std::string> messages;
int WINAPI RecordMessageBox(HWND, LPCSTR szText, LPCSTR szCaption, UINT uType) {
    messages.push_back(std::string(szCaption) + ": " + szText);
    return (uType & MB_YESNO) == MB_YESNO ? IDYES : IDOK;
}

// Programs started by WinExec: recorded, not started.
std::vector<std::string> programsStarted;
UINT WINAPI RecordWinExec(LPCSTR szCommand, UINT) {
    programsStarted.push_back(szCommand);
    return 33;
}

// The token, as Windows answers for an elevated process (or, with bNotElevated, for one that is not).
bool bNotElevated = false;
BOOL WINAPI AnswerTokenInformation(HANDLE, TOKEN_INFORMATION_CLASS nClass, void* pInfo, DWORD cbInfo, DWORD* pcbNeeded) {
    if (nClass != TokenElevation || cbInfo < sizeof(TOKEN_ELEVATION)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    static_cast<TOKEN_ELEVATION*>(pInfo)->TokenIsElevated = !bNotElevated;
    *pcbNeeded = sizeof(TOKEN_ELEVATION);
    return TRUE;
}

// With bNoDesktopShell, the desktop's windows cannot be reached; everything else is made as usual.
const CLSID kClsidShellWindows = {0x9BA05972, 0xF6A8, 0x11CF, {0xA4, 0x42, 0x00, 0xA0, 0xC9, 0x0A, 0x8F, 0x39}};
bool bNoDesktopShell = false;
HRESULT(WINAPI* pfnSystemCoCreateInstance)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*) = nullptr;
HRESULT WINAPI AnswerCoCreateInstance(REFCLSID clsid, LPUNKNOWN pOuter, DWORD dwContext, REFIID iid, LPVOID* ppv) {
    if (bNoDesktopShell && IsEqualCLSID(clsid, kClsidShellWindows)) {
        *ppv = nullptr;
        return REGDB_E_CLASSNOTREG;
    }
    return pfnSystemCoCreateInstance(clsid, pOuter, dwContext, iid, ppv);
}

// With bNoKnownFolders, the system cannot tell its folders (as a call that fails).
bool bNoKnownFolders = false;
HRESULT(WINAPI* pfnSystemSHGetFolderPathA)(HWND, int, HANDLE, DWORD, LPSTR) = nullptr;
HRESULT WINAPI AnswerSHGetFolderPathA(HWND hwnd, int nFolder, HANDLE hToken, DWORD dwFlags, LPSTR szPath) {
    if (bNoKnownFolders) return E_FAIL;
    return pfnSystemSHGetFolderPathA(hwnd, nFolder, hToken, dwFlags, szPath);
}

// With bProcessesClosed, no process may be opened (a copy running as another account).
bool bProcessesClosed = false;
HANDLE(WINAPI* pfnSystemOpenProcess)(DWORD, BOOL, DWORD) = nullptr;
HANDLE WINAPI AnswerOpenProcess(DWORD dwAccess, BOOL bInherit, DWORD dwProcessId) {
    if (bProcessesClosed) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    return pfnSystemOpenProcess(dwAccess, bInherit, dwProcessId);
}

template <class Function>
void Redirect(const char* szDll, const char* szName, void* pReplacement, Function** ppfnSystem) {
    void* pSystem = RedirectImport(szDll, szName, pReplacement);
    ASSERT_NE(nullptr, pSystem) << szDll << "!" << szName << " is not imported by the setup code here";
    if (ppfnSystem != nullptr) memcpy(ppfnSystem, &pSystem, sizeof(pSystem));
}

// A main dialog "TallyQuill" of a running copy, made in this process on a thread of its own; it
// records the close requests it gets and, with bEnds, goes on the tray menu's Exit.
class FakeRunningCopy {
public:
    explicit FakeRunningCopy(bool bEnds) : bEnds(bEnds) {
        hThread = CreateThread(nullptr, 0, Run, this, 0, nullptr);
        WaitFor("the fake running copy's window", [&] { return hwnd != nullptr; }, ShownWindows);
    }
    ~FakeRunningCopy() {
        if (hwnd != nullptr && IsWindow(hwnd)) PostMessageA(hwnd, WM_CLOSE, 0, 0);
        WaitForSingleObject(hThread, kPatienceMs);
        CloseHandle(hThread);
    }
    HWND Window() const { return hwnd; }
    LONG ExitRequests() const { return nExitRequests; }

private:
    static LRESULT CALLBACK Procedure(HWND hwndCopy, UINT uMessage, WPARAM wParam, LPARAM lParam) {
        FakeRunningCopy* pCopy = reinterpret_cast<FakeRunningCopy*>(GetWindowLongPtrA(hwndCopy, GWLP_USERDATA));
        if (pCopy != nullptr && uMessage == WM_COMMAND && LOWORD(wParam) == IDM_TRAY_EXIT) {
            InterlockedIncrement(&pCopy->nExitRequests);
            if (pCopy->bEnds) DestroyWindow(hwndCopy);
            return 0;
        }
        if (uMessage == WM_CLOSE) {
            DestroyWindow(hwndCopy);
            return 0;
        }
        if (uMessage == WM_DESTROY) PostQuitMessage(0);
        return DefWindowProcA(hwndCopy, uMessage, wParam, lParam);
    }
    static DWORD WINAPI Run(void* pParameter) {
        FakeRunningCopy* pCopy = static_cast<FakeRunningCopy*>(pParameter);
        // The system's dialog class with the copy's title, as the installer looks for it.
        HWND hwndCopy = CreateWindowExA(0, reinterpret_cast<LPCSTR>(MAKEINTATOM(0x8002)), "TallyQuill", WS_POPUP, 0, 0,
                                        10, 10, nullptr, nullptr, nullptr, nullptr);
        SetWindowLongPtrA(hwndCopy, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(pCopy));
        SetWindowLongPtrA(hwndCopy, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Procedure));
        pCopy->hwnd = hwndCopy;
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
        return 0;
    }

    bool bEnds;
    HANDLE hThread = nullptr;
    HWND volatile hwnd = nullptr;
    LONG volatile nExitRequests = 0;
};

class SetupEngineTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        hProgramInstance = GetModuleHandleA(nullptr);
        Redirect<void>("user32.dll", "MessageBoxA", reinterpret_cast<void*>(RecordMessageBox), nullptr);
        Redirect<void>("kernel32.dll", "WinExec", reinterpret_cast<void*>(RecordWinExec), nullptr);
        Redirect<void>("advapi32.dll", "GetTokenInformation", reinterpret_cast<void*>(AnswerTokenInformation), nullptr);
        Redirect("ole32.dll", "CoCreateInstance", reinterpret_cast<void*>(AnswerCoCreateInstance),
                 &pfnSystemCoCreateInstance);
        Redirect("shell32.dll", "SHGetFolderPathA", reinterpret_cast<void*>(AnswerSHGetFolderPathA),
                 &pfnSystemSHGetFolderPathA);
        Redirect("kernel32.dll", "OpenProcess", reinterpret_cast<void*>(AnswerOpenProcess), &pfnSystemOpenProcess);
    }
    void SetUp() override {
        RemoveInstallation();
        messages.clear();
        programsStarted.clear();
        bNotElevated = bNoDesktopShell = bNoKnownFolders = bProcessesClosed = false;
    }
    void TearDown() override { RemoveInstallation(); }
};

std::string MessagesSeen() {
    std::string seen;
    for (const std::string& message : messages) seen += "\n[" + message + "]";
    return seen.empty() ? " none" : seen;
}

}  // namespace

TEST_F(SetupEngineTest, RegistrationStepsThatFailAreNamedAndASilentInstallEndsWithItsCode) {
    FailingRegistration registration;
    registration.failedShortcut = DesktopShortcut();
    registration.bFailEntry = true;
    QuietProgress quiet;
    for (bool bSilent : {true, false}) {
        messages.clear();
        InstallEngine engine(SetupFilePath().c_str(), &registration);
        ASSERT_TRUE(engine.CheckSetupFile() && engine.CheckInstallFolder()) << "exit code " << engine.ExitCode();
        engine.MakeInstallFolder();
        ASSERT_TRUE(engine.PutFilesInPlace(&quiet)) << "exit code " << engine.ExitCode() << ", " << engine.FailedPath();
        InstallDialog front(kInstallTitle, &engine);
        lstrcpynA(front.szInstallPath, engine.InstallFolder(), sizeof(front.szInstallPath));
        front.SetSilent(bSilent);
        front.SetStartsProgram(false);
        front.Finalize();
        EXPECT_EQ(static_cast<int>(kExitFileFailure), front.ExitCode()) << (bSilent ? "silent" : "with a window");
        std::string missed = std::string("The desktop shortcut: ") + DesktopShortcut() +
                             "\nThe entry in the list of programs to remove: " + kUninstallEntry + "\n";
        EXPECT_EQ(missed, engine.Missed().Text());
        if (bSilent) {
            EXPECT_TRUE(messages.empty()) << "silent, the exit code alone; messages:" << MessagesSeen();
        } else {
            ASSERT_EQ(1u, messages.size()) << "one message; messages:" << MessagesSeen();
            EXPECT_EQ("Install Error: TallyQuill was installed, but these could not be made:\n\n" + missed, messages[0]);
        }
    }
    EXPECT_TRUE(FileIsThere(StartMenuGroup() + "\\TallyQuill.lnk")) << "the steps that could be done were";
    EXPECT_TRUE(FileIsGone(DesktopShortcut()));
    EXPECT_TRUE(programsStarted.empty()) << "started: " << programsStarted[0];
}

TEST_F(SetupEngineTest, AnUninstallNamesTheEntryAndTheShortcutsThatStayed) {
    ASSERT_TRUE(InstallThroughTheEngine());
    FailingRegistration registration;
    registration.failedShortcut = DesktopShortcut();
    registration.bFailEntry = true;
    char szProgram[] = "uninst.exe", szSwitch[] = "/uninstall";
    char* pszArgs[] = {szProgram, szSwitch, nullptr};
    UninstallDialog front(kInstallTitle, 2, pszArgs, &registration);
    front.RunWithoutWindow();
    EXPECT_EQ(static_cast<int>(kExitFileFailure), front.ExitCode());
    ASSERT_EQ(2u, messages.size()) << "the question, then what stayed; messages:" << MessagesSeen();
    EXPECT_EQ(std::string("Uninstall TallyQuill: TallyQuill was removed, but these could not be deleted:\n\n") +
                  "The desktop shortcut: " + DesktopShortcut() + "\nThe entry in the list of programs to remove: " +
                  kUninstallEntry + "\n\nYou may delete them yourself.",
              messages[1]);
    EXPECT_TRUE(FolderIsGone(ExpectedInstallFolder())) << "the rest went all the same";
    EXPECT_TRUE(FolderIsGone(StartMenuGroup()));

    // Silent, the same outcome is the exit code alone.
    ASSERT_TRUE(InstallThroughTheEngine());
    messages.clear();
    char szSilent[] = "/S";
    char* pszSilentArgs[] = {szProgram, szSwitch, szSilent, nullptr};
    UninstallDialog silent(kInstallTitle, 3, pszSilentArgs, &registration);
    silent.RunWithoutWindow();
    EXPECT_EQ(static_cast<int>(kExitFileFailure), silent.ExitCode()) << "the entry and a shortcut stayed";
    EXPECT_TRUE(messages.empty()) << "messages:" << MessagesSeen();
}

TEST_F(SetupEngineTest, AChecksRefusalComesBeforeAnyChange) {
    // A damaged setup file, started silently while a copy of the program runs: the copy is not asked
    // to end, and no folder or value is made, before the file is found damaged.
    Bytes setup;
    ASSERT_TRUE(ReadBytes(SetupFilePath(), &setup));
    size_t nChanged = ResourceMiddle(setup);
    ASSERT_GT(nChanged, 0u) << "a byte of the program's resources";
    setup[nChanged] ^= 0x01;
    std::string damaged = ScratchFolder() + "\\TallyQuillSetup.exe";
    ASSERT_TRUE(WriteBytes(damaged, setup));
    FakeRunningCopy copy(true);
    char szSilent[] = "/S";
    char* pszArgs[] = {&damaged[0], szSilent, nullptr};
    EXPECT_EQ(static_cast<int>(kExitDamaged), RunInstall(damaged.c_str(), 2, pszArgs));
    EXPECT_EQ(0, copy.ExitRequests()) << "the running copy was asked to end";
    EXPECT_TRUE(WindowIsThere(copy.Window(), "the running copy"));
    EXPECT_TRUE(FolderIsGone(ExpectedInstallFolder()));
    EXPECT_TRUE(ValueIsGone(HKEY_LOCAL_MACHINE, kFoldersKey, "ProgramFiles"));
    EXPECT_TRUE(messages.empty()) << "silent; messages:" << MessagesSeen();
    DeleteFileA(damaged.c_str());
}

TEST_F(SetupEngineTest, AnElevatedSetupLeavesTheProgramsStartToTheDesktopsShell) {
    ASSERT_TRUE(InstallThroughTheEngine());
    Registration registration;
    InstallEngine engine(SetupFilePath().c_str(), &registration);
    engine.SetInstallFolder(ExpectedInstallFolder().c_str());
    InstallDialog front(kInstallTitle, &engine);
    lstrcpynA(front.szInstallPath, engine.InstallFolder(), sizeof(front.szInstallPath));

    // No desktop shell: nothing is started, and the finished install says where to start it.
    bNoDesktopShell = true;
    front.Finalize();
    EXPECT_TRUE(programsStarted.empty()) << "started by the elevated setup itself: " << programsStarted[0];
    ASSERT_EQ(1u, messages.size()) << "messages:" << MessagesSeen();
    EXPECT_NE(std::string::npos, messages[0].find("Start it from the Start menu")) << messages[0];
    EXPECT_TRUE(NoProcessRuns("tallyq.exe"));

    // The desktop's shell starts it, as the user logged on.
    bNoDesktopShell = false;
    messages.clear();
    front.Finalize();
    EXPECT_TRUE(programsStarted.empty()) << "started by the elevated setup itself: " << programsStarted[0];
    EXPECT_TRUE(messages.empty()) << "messages:" << MessagesSeen();
    EXPECT_TRUE(WaitFor("the installed program's dialog",
                        [] {
                            HWND hwndMain = FindMainDialog();
                            return hwndMain != nullptr && IsWindowVisible(hwndMain);
                        },
                        ShownWindows));

    // Without elevation the setup starts it itself, as always.
    EndRunningCopies();
    bNotElevated = true;
    front.Finalize();
    ASSERT_EQ(1u, programsStarted.size());
    EXPECT_EQ("\"" + ExpectedInstallFolder() + "\\tallyq.exe\"", programsStarted[0]);
}

TEST_F(SetupEngineTest, ShortcutFoldersAreTheSystemsKnownOnesAndTheShellFoldersTheFallBack) {
    char szPrograms[MAX_PATH] = "", szDesktop[MAX_PATH] = "";
    ASSERT_TRUE(SUCCEEDED(pfnSystemSHGetFolderPathA(nullptr, CSIDL_COMMON_PROGRAMS, nullptr, 0, szPrograms)));
    ASSERT_TRUE(SUCCEEDED(pfnSystemSHGetFolderPathA(nullptr, CSIDL_COMMON_DESKTOPDIRECTORY, nullptr, 0, szDesktop)));
    // "Shell Folders" values that name other folders, as they may when the shell has not yet
    // written them again.
    std::string oldPrograms = SystemText(HKEY_LOCAL_MACHINE, kShellFoldersKey, "Common Programs");
    std::string oldDesktop = SystemText(HKEY_LOCAL_MACHINE, kShellFoldersKey, "Common Desktop");
    ASSERT_TRUE(SetSystemText(HKEY_LOCAL_MACHINE, kShellFoldersKey, "Common Programs", "C:\\Stale\\Programs"));
    ASSERT_TRUE(SetSystemText(HKEY_LOCAL_MACHINE, kShellFoldersKey, "Common Desktop", "C:\\Stale\\Desktop"));
    char szGroup[MAX_PATH] = "", szShortcut[MAX_PATH] = "";
    EXPECT_TRUE(GetStartMenuGroupFolder(szGroup, sizeof(szGroup)));
    GetDesktopShortcutPath(szShortcut, sizeof(szShortcut));
    EXPECT_EQ(std::string(szPrograms) + "\\TallyQuill", szGroup);
    EXPECT_EQ(std::string(szDesktop) + "\\TallyQuill.lnk", szShortcut);
    // The system writes the values again when its folders are asked for: they are made stale again.
    ASSERT_TRUE(SetSystemText(HKEY_LOCAL_MACHINE, kShellFoldersKey, "Common Programs", "C:\\Stale\\Programs"));
    ASSERT_TRUE(SetSystemText(HKEY_LOCAL_MACHINE, kShellFoldersKey, "Common Desktop", "C:\\Stale\\Desktop"));
    bNoKnownFolders = true;
    EXPECT_TRUE(GetStartMenuGroupFolder(szGroup, sizeof(szGroup)));
    GetDesktopShortcutPath(szShortcut, sizeof(szShortcut));
    EXPECT_EQ(std::string("C:\\Stale\\Programs\\TallyQuill"), szGroup) << "where the system cannot tell";
    EXPECT_EQ(std::string("C:\\Stale\\Desktop\\TallyQuill.lnk"), szShortcut);
    SetSystemText(HKEY_LOCAL_MACHINE, kShellFoldersKey, "Common Programs", oldPrograms);
    SetSystemText(HKEY_LOCAL_MACHINE, kShellFoldersKey, "Common Desktop", oldDesktop);
    RemoveDirectoryA("C:\\Stale\\Programs");
    RemoveDirectoryA("C:\\Stale");
}

TEST_F(SetupEngineTest, ARunningCopyThatCannotBeOpenedIsWaitedForByItsWindow) {
    FakeRunningCopy copy(true);
    bProcessesClosed = true;
    EXPECT_TRUE(EndRunningCopies(kPatienceMs)) << "a copy that cannot be opened is asked and waited for";
    bProcessesClosed = false;
    EXPECT_EQ(1, copy.ExitRequests()) << "asked as the tray menu's Exit asks";
    EXPECT_TRUE(WindowIsGone(IsWindow(copy.Window()) ? copy.Window() : nullptr, "the running copy"));
}
