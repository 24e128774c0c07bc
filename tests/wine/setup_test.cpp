// The real setup file under Wine: its terms page, what an install leaves, a second install, a
// running copy, damaged setup files; and, inside this process with the installer's own classes,
// the progress window's status lines, its bar and Cancel during extraction.
#include <aclapi.h>
#include <sddl.h>
#include <commctrl.h>
#include <psapi.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "resources/main_dialog_ids.h"
#include "resources/setup_dialog_ids.h"
#include "setup/folder_protection.h"
#include "setup/install_dialog.h"
#include "setup/install_engine.h"
#include "setup/registration.h"
#include "setup/setup_layout.h"
#include "support/registry.h"
#include "tests/wine/import_redirect.h"
#include "tests/wine/installation.h"
#include "ui/dialog.h"
#include "tests/wine/wine_test_support.h"
#include "tallyq_version.h"

namespace {

const char kProgressTitle[] = "Installing TallyQuill v " TQ_VERSION_TEXT;
const char kTermsTitle[] = "TallyQuill Software Licence Terms";
const char kFoldersKey[] = "Software\\Kestrilon\\TallyQuill\\Folders";
const char kSettingsKey[] = "Software\\Kestrilon\\TallyQuill\\Settings";

class SetupTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetWindowsVersionOf("TallyQuillSetup.exe", "");
        RemoveInstallation();
    }
    void TearDown() override {
        SetWindowsVersionOf("TallyQuillSetup.exe", "");
        RemoveInstallation();
    }
};

Bytes Concat(Bytes bytes, std::initializer_list<unsigned char> tail) {
    bytes.insert(bytes.end(), tail);
    return bytes;
}

bool Checked(HWND hwndDialog, int nId) {
    return SendWithin(GetDlgItem(hwndDialog, nId), BM_GETCHECK, 0, 0, "BM_GETCHECK") == BST_CHECKED;
}

// Presses a button of another process's dialog.
void Press(HWND hwndDialog, int nId) {
    SendWithin(GetDlgItem(hwndDialog, nId), BM_CLICK, 0, 0, ("BM_CLICK on item " + std::to_string(nId)).c_str());
}

// What the folder's access list grants Everyone, as far as the file system keeps it.
struct EveryoneAccess {
    bool bDaclKept = false;
    bool bFound = false;
    DWORD dwMask = 0;
    BYTE nFlags = 0;
};

EveryoneAccess ReadEveryoneAccess(const std::string& folder) {
    EveryoneAccess access;
    PACL pDacl = nullptr;
    PSECURITY_DESCRIPTOR pDescriptor = nullptr;
    if (GetNamedSecurityInfoA(folder.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &pDacl,
                              nullptr, &pDescriptor) != ERROR_SUCCESS)
        return access;
    SID_IDENTIFIER_AUTHORITY world = {SECURITY_WORLD_SID_AUTHORITY};
    PSID pEveryone = nullptr;
    AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &pEveryone);
    access.bDaclKept = pDacl != nullptr;
    for (DWORD i = 0; pDacl != nullptr && i < pDacl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* pAce = nullptr;
        if (!GetAce(pDacl, i, reinterpret_cast<void**>(&pAce)) || pAce->Header.AceType != ACCESS_ALLOWED_ACE_TYPE)
            continue;
        if (EqualSid(&pAce->SidStart, pEveryone)) {
            access.bFound = true;
            access.dwMask = pAce->Mask;
            access.nFlags = pAce->Header.AceFlags;
        }
    }
    FreeSid(pEveryone);
    LocalFree(pDescriptor);
    return access;
}

// The folder as the system describes it: no entry lets Everyone change, add or delete anything.
// Checked where it is called.
::testing::AssertionResult EveryoneCannotWrite(const std::string& folder) {
    EveryoneAccess access = ReadEveryoneAccess(folder);
    printf("[ figure ] access list of %s: Everyone %s, mask 0x%08lX, flags %u\n", folder.c_str(),
           access.bFound ? "found" : "absent", static_cast<unsigned long>(access.dwMask), access.nFlags);
    const DWORD dwWriting = GENERIC_ALL | GENERIC_WRITE | FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA |
                            FILE_WRITE_ATTRIBUTES | FILE_DELETE_CHILD | DELETE | WRITE_DAC | WRITE_OWNER;
    if ((access.dwMask & dwWriting) == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << folder << ": Everyone may write, mask 0x" << std::hex << access.dwMask;
}

// Every value of the Uninstall entry of an installation in folder. Checked where it is called.
void ExpectUninstallEntry(const std::string& folder) {
    auto textIs = [](const char* szName, const std::string& expected) {
        return SystemTextIs(HKEY_LOCAL_MACHINE, kUninstallKey, szName, expected);
    };
    auto number = [](const char* szName) { return SystemNumber(HKEY_LOCAL_MACHINE, kUninstallKey, szName); };
    EXPECT_TRUE(textIs("DisplayName", "TallyQuill Uninstall"));
    EXPECT_TRUE(textIs("UninstallString", "\"" + folder + "\\uninst.exe\""));
    EXPECT_TRUE(textIs("QuietUninstallString", "\"" + folder + "\\uninst.exe\" /S"));
    EXPECT_TRUE(textIs("DisplayVersion", TQ_VERSION_TEXT));
    EXPECT_TRUE(textIs("Publisher", "Kestrilon"));
    EXPECT_TRUE(textIs("DisplayIcon", "\"" + folder + "\\tallyq.exe\",0"));
    EXPECT_TRUE(textIs("InstallLocation", folder));
    // The page the main dialog's status line opens.
    EXPECT_TRUE(textIs("URLInfoAbout", "https://www.kestrilon.example/tallyquill/"));
    EXPECT_EQ(1, number("NoModify"));
    EXPECT_EQ(1, number("NoRepair"));
    // Every file of the installation, in kilobytes with a part of one counted whole.
    unsigned long long nBytes = 0;
    std::vector<std::string> files = FilesIn(folder);
    for (const std::string& name : files) {
        WIN32_FILE_ATTRIBUTE_DATA file;
        if (GetFileAttributesExA((folder + "\\" + name).c_str(), GetFileExInfoStandard, &file))
            nBytes += static_cast<unsigned long long>(file.nFileSizeHigh) << 32 | file.nFileSizeLow;
    }
    EXPECT_TRUE(FolderHolds(folder, InstalledFileNames()));
    EXPECT_EQ(static_cast<long long>((nBytes + 1023) / 1024), number("EstimatedSize")) << nBytes << " bytes";
}

// Runs a setup file through the terms page to its end: returns the damaged-file message's text
// ("" when none came) after pressing its OK.
std::string RunToMessage(const std::string& setupPath, int* pnExitCode) {
    SetupRun setup;
    *pnExitCode = -1;
    if (!setup.Start("", setupPath) || setup.WaitForTerms() == nullptr || !setup.AgreeAndNext()) return "no terms page";
    HWND hwndBox = nullptr;
    bool bEnded = false;
    WaitFor(
        "the setup's message box, or its end",
        [&] {
            hwndBox = FindDialogTitled("Install Error");
            bEnded = WaitForSingleObject(setup.process.hProcess, 0) == WAIT_OBJECT_0;
            return (hwndBox != nullptr && IsWindowVisible(hwndBox)) || bEnded;
        },
        [&] { return setup.ProcessState(); });
    std::string text;
    if (hwndBox != nullptr) {
        text = MessageBoxText(hwndBox);
        PostMessageA(hwndBox, WM_COMMAND, IDOK, 0);
    }
    *pnExitCode = setup.WaitForExit();
    return text;
}

}  // namespace

namespace {

// The real setup file, started and showing its terms page.
class TermsPageTest : public SetupTest {
protected:
    void SetUp() override {
        SetupTest::SetUp();
        ASSERT_TRUE(Started(setup, "", SetupFilePath()));
        hwndTerms = setup.WaitForTerms();
        ASSERT_TRUE(WindowIsShown(hwndTerms, "the terms page"));
    }
    // Cancel on the page, which ends the setup.
    void Cancel() {
        Press(hwndTerms, IDCANCEL);
        EXPECT_EQ(0, setup.WaitForExit());
    }
    SetupRun setup;
    HWND hwndTerms = nullptr;
};

// Presses Enter in the terms page as the keyboard does: the key messages go to the control with
// the focus, and the page's dialog loop turns them into its default button. Returns the control.
HWND PostEnterKeys(HWND hwndTerms) {
    GUITHREADINFO thread = {};
    thread.cbSize = sizeof(thread);
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(hwndTerms, nullptr), &thread)) return nullptr;
    HWND hwndFocus = thread.hwndFocus != nullptr ? thread.hwndFocus : hwndTerms;
    PostMessageA(hwndFocus, WM_KEYDOWN, VK_RETURN, 0x001C0001);
    PostMessageA(hwndFocus, WM_KEYUP, VK_RETURN, 0xC01C0001);
    return hwndFocus;
}

}  // namespace

TEST_F(TermsPageTest, OpensOverTheProgressWindowWithNothingChosen) {
    HWND hwndProgress = FindDialogTitled(kProgressTitle);
    ASSERT_TRUE(WindowIsThere(hwndProgress, "the progress window under the terms page"));
    EXPECT_EQ(hwndProgress, GetWindow(hwndTerms, GW_OWNER));
    EXPECT_EQ("Installing TallyQuill", ItemText(hwndProgress, IDC_PROGRESS_LINE0));
    EXPECT_EQ("Software Licence Terms", ItemText(hwndProgress, IDC_PROGRESS_LINE1));

    EXPECT_FALSE(Checked(hwndTerms, IDC_TERMS_AGREE)) << "\"I agree\" starts checked";
    EXPECT_FALSE(Checked(hwndTerms, IDC_TERMS_DISAGREE)) << "\"I do not agree\" starts checked";
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(hwndTerms, IDOK))) << "Next starts disabled";
    Cancel();
}

TEST_F(TermsPageTest, NextIsEnabledExactlyWhileIAgreeIsChosen) {
    HWND hwndNext = GetDlgItem(hwndTerms, IDOK);
    Press(hwndTerms, IDC_TERMS_AGREE);
    EXPECT_TRUE(IsWindowEnabled(hwndNext)) << "agree enables Next";
    Press(hwndTerms, IDC_TERMS_DISAGREE);
    EXPECT_FALSE(Checked(hwndTerms, IDC_TERMS_AGREE)) << "\"I agree\" stays checked after \"I do not agree\"";
    EXPECT_FALSE(IsWindowEnabled(hwndNext)) << "do not agree disables Next again";
    Cancel();
}

TEST_F(TermsPageTest, EnterAndOkGoOnOnlyOnceIAgreeIsChosen) {
    HWND hwndNext = GetDlgItem(hwndTerms, IDOK);
    Press(hwndTerms, IDC_TERMS_DISAGREE);
    ASSERT_FALSE(IsWindowEnabled(hwndNext)) << "Next is enabled after \"I do not agree\"";

    // Enter while Next is disabled: the page's thread handles the keys (posted messages are handled
    // in order, so the text limit posted after them reads back only then), and the page stays.
    HWND hwndKeys = PostEnterKeys(hwndTerms);
    ASSERT_NE(nullptr, hwndKeys) << "the terms page's thread tells no focus";
    EXPECT_TRUE(hwndKeys == hwndTerms || IsChild(hwndTerms, hwndKeys))
        << "the focus is not in the page but in " << WindowDescription(hwndKeys);
    ASSERT_TRUE(PostedMessagesHandled(FindWindowExA(hwndTerms, nullptr, "Edit", nullptr)))
        << "the page's thread handled the keys";
    EXPECT_TRUE(WindowIsThere(hwndTerms, "the terms page")) << "Enter while Next is disabled leaves the page open";
    EXPECT_FALSE(IsWindowEnabled(hwndNext)) << "Next was disabled all along";
    EXPECT_TRUE(ProcessRuns(setup));

    // The OK command itself, as a program may send it, is refused the same way.
    SendWithin(hwndTerms, WM_COMMAND, IDOK, 0, "WM_COMMAND IDOK");
    EXPECT_TRUE(WindowIsThere(hwndTerms, "the terms page")) << "OK while Next is disabled leaves the page open";

    // The same keys once "I agree" is chosen go on with the install: they did reach the page.
    Press(hwndTerms, IDC_TERMS_AGREE);
    ASSERT_TRUE(IsWindowEnabled(hwndNext)) << "Next stays disabled after \"I agree\"";
    ASSERT_NE(nullptr, PostEnterKeys(hwndTerms)) << "the terms page's thread tells no focus";
    EXPECT_TRUE(WaitFor(
        "the terms page to close after Enter", [&] { return !IsWindow(hwndTerms); }, [&] { return setup.ProcessState(); }))
        << "Enter with Next enabled closes the page";
    EXPECT_EQ(0, setup.WaitForExit());
    EXPECT_NE(nullptr, WaitForShownDialog("TallyQuill")) << "the install went on and started the program";
}

TEST_F(TermsPageTest, CancelLeavesTheEmptyFolderAndItsValues) {
    Cancel();
    std::string folder = ExpectedInstallFolder();
    EXPECT_TRUE(FolderIsThere(folder));
    EXPECT_TRUE(FolderHolds(folder, {}));
    EXPECT_TRUE(SystemTextIs(HKEY_LOCAL_MACHINE, kFoldersKey, "ProgramFiles", folder));
    EXPECT_TRUE(SystemTextIs(HKEY_LOCAL_MACHINE, kFoldersKey, "DataFiles", folder));
    EXPECT_TRUE(SystemTextIs(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName", ""));
    EXPECT_TRUE(WindowIsGone(FindMainDialog(), "the program's dialog"));
    EXPECT_TRUE(EveryoneCannotWrite(folder));
}

TEST_F(SetupTest, AnInstallLeavesFilesShortcutsUninstallerAndTheRunningProgram) {
    DWORD dwStart = GetTickCount();
    SetupRun setup;
    ASSERT_TRUE(Started(setup, "", SetupFilePath()));
    ASSERT_TRUE(WindowIsShown(setup.WaitForTerms(), "the terms page"));
    DWORD dwTermsShown = GetTickCount();
    ASSERT_TRUE(setup.AgreeAndNext());
    DWORD dwAgreed = GetTickCount();
    EXPECT_EQ(0, setup.WaitForExit());
    HWND hwndProgram = WaitForShownDialog("TallyQuill");
    ASSERT_NE(nullptr, hwndProgram) << "the installed program runs";
    DWORD dwRunning = GetTickCount();
    printf("[ figure ] setup start to terms page %lu ms; Next to the installed program's window %lu ms\n",
           static_cast<unsigned long>(dwTermsShown - dwStart), static_cast<unsigned long>(dwRunning - dwAgreed));

    std::string folder = ExpectedInstallFolder();
    DWORD dwProcess = 0;
    GetWindowThreadProcessId(hwndProgram, &dwProcess);
    HANDLE hProcess = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, dwProcess);
    char szImage[MAX_PATH] = "";
    GetModuleFileNameExA(hProcess, nullptr, szImage, MAX_PATH);
    CloseHandle(hProcess);
    EXPECT_EQ(0, lstrcmpiA((folder + "\\tallyq.exe").c_str(), szImage)) << szImage;

    // The payload lands as packed; the program and the uninstaller differ only in their type.
    Bytes program, installed, uninstaller, payload, extracted;
    ASSERT_TRUE(ReadPackedProgram(&program));
    ASSERT_TRUE(ReadBytes(folder + "\\tallyq.exe", &installed));
    ASSERT_TRUE(ReadBytes(folder + "\\uninst.exe", &uninstaller));
    EXPECT_TRUE(SameBytes(Concat(program, {0x00, 0x00, 0x00, 0x00}), installed)) << "tallyq.exe ends in 00 00 00 00";
    EXPECT_TRUE(SameBytes(Concat(program, {0x0F, 0x0F, 0xF0, 0xF0}), uninstaller)) << "uninst.exe ends in 0F 0F F0 F0";
    for (const char* szName : {"tallyq.hlp", "banner.htm", "banner.gif", "tallyq.htm"}) {
        ASSERT_TRUE(ReadBytes(PayloadPath(szName), &payload));
        ASSERT_TRUE(ReadBytes(folder + "\\" + szName, &extracted));
        EXPECT_TRUE(SameBytes(payload, extracted)) << szName;
    }
    EXPECT_TRUE(FolderHolds(folder, InstalledFileNames()));

    EXPECT_EQ(folder + "\\tallyq.exe", ShortcutTarget(StartMenuGroup() + "\\TallyQuill.lnk"));
    // The bench tells the setup a version of Windows without the WinHelp viewer (Vista or later):
    // the help shortcut opens the guide's page.
    EXPECT_EQ(folder + "\\tallyq.htm", ShortcutTarget(StartMenuGroup() + "\\TallyQuill Help.lnk"));
    EXPECT_EQ(folder + "\\tallyq.exe", ShortcutTarget(DesktopShortcut()));
    ExpectUninstallEntry(folder);
    EXPECT_TRUE(SystemTextIs(HKEY_LOCAL_MACHINE, kFoldersKey, "ProgramFiles", folder));
    EXPECT_TRUE(EveryoneCannotWrite(folder));
#if !defined(_WIN64)
    // The 32-bit program on a 32-bit system: one Program Files and one registry view, so the values
    // lie exactly where the program and the system's list of programs look for them.
    SYSTEM_INFO system;
    GetNativeSystemInfo(&system);
    EXPECT_EQ(PROCESSOR_ARCHITECTURE_INTEL, system.wProcessorArchitecture) << "the bench is not a 32-bit system";
    EXPECT_EQ("C:\\Program Files\\Kestrilon\\TallyQuill", folder);
    HKEY hKey = nullptr;
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Wow6432Node", 0, KEY_READ, &hKey))
        << "a 32-bit system has no redirected view";
    if (hKey != nullptr) RegCloseKey(hKey);
    EXPECT_TRUE(SystemTextIs(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TallyQuill",
                             "DisplayName", "TallyQuill Uninstall"));
#endif
}

TEST_F(SetupTest, ASecondInstallReplacesTheFilesAndNamesItsOwnUninstaller) {
    ASSERT_TRUE(InstallWith(SetupFilePath()));
    EndRunningCopies();
    std::string folder = ExpectedInstallFolder();
    InstallationState first = CurrentInstallation();
    ASSERT_TRUE(WriteBytes(folder + "\\banner.htm", Bytes(3, 'x')));
    ASSERT_TRUE(WriteBytes(folder + "\\uninst.exe", Bytes(10, 'y')));
    DeleteFileA((StartMenuGroup() + "\\TallyQuill Help.lnk").c_str());
    ASSERT_TRUE(SetSystemText(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString", "from an install elsewhere"));

    ASSERT_TRUE(InstallWith(SetupFilePath()));
    EndRunningCopies();
    InstallationState second = CurrentInstallation();
    EXPECT_EQ("", Differences(first, second)) << "files, shortcuts and the entry are made again as they were";
    EXPECT_TRUE(SystemTextIs(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString", "\"" + folder + "\\uninst.exe\""))
        << "the entry names the uninstaller just made";
}

TEST_F(SetupTest, ACopyHidingInTheTrayIsEndedAndReplaced) {
    ASSERT_TRUE(InstallWith(SetupFilePath()));
    HWND hwndRunning = FindMainDialog();
    ASSERT_TRUE(WindowIsShown(hwndRunning, "the installed program's dialog"));
    DWORD dwRunning = 0;
    GetWindowThreadProcessId(hwndRunning, &dwRunning);
    HANDLE hRunning = nullptr;
    ASSERT_TRUE(Succeeded("opening process " + std::to_string(dwRunning),
                          [&] { return (hRunning = OpenProcess(SYNCHRONIZE, FALSE, dwRunning)) != nullptr; }));
    PostMessageA(hwndRunning, WM_COMMAND, IDCANCEL, 0);  // Close: with the hot key on it hides
    ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(hwndRunning); })) << "the dialog hides on Close";
    SendWithin(GetDlgItem(hwndRunning, IDC_FIXED_COST), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("3.5"), "WM_SETTEXT");

    SetupRun setup;
    ASSERT_TRUE(Started(setup, "", SetupFilePath()));
    ASSERT_TRUE(WindowIsShown(setup.WaitForTerms(), "the terms page"));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(hRunning, 0)) << "the running copy ended before the terms page";
    CloseHandle(hRunning);
    EXPECT_TRUE(SystemTextIs(HKEY_LOCAL_MACHINE, kSettingsKey, "FixedCostAmount", "3.5")) << "it saved its settings";
    ASSERT_TRUE(setup.AgreeAndNext());
    EXPECT_EQ(0, setup.WaitForExit());
    HWND hwndNew = nullptr;
    ASSERT_TRUE(WaitFor(
        "the new program's dialog", [&] { return (hwndNew = FindMainDialog()) != nullptr; }, ShownWindows))
        << "the new program runs";
    DWORD dwProcess = 0;
    GetWindowThreadProcessId(hwndNew, &dwProcess);
    EXPECT_NE(dwRunning, dwProcess);
    // Both files come from the new image, each with only its own type.
    Bytes program, installed, uninstaller;
    std::string folder = ExpectedInstallFolder();
    ASSERT_TRUE(ReadPackedProgram(&program));
    ASSERT_TRUE(ReadBytes(folder + "\\tallyq.exe", &installed));
    ASSERT_TRUE(ReadBytes(folder + "\\uninst.exe", &uninstaller));
    EXPECT_TRUE(SameBytes(Concat(program, {0x00, 0x00, 0x00, 0x00}), installed)) << "tallyq.exe was replaced";
    EXPECT_TRUE(SameBytes(Concat(program, {0x0F, 0x0F, 0xF0, 0xF0}), uninstaller)) << "uninst.exe is the new program's";
}

// A window that looks like a running copy but never ends: the setup must not wait for ever, and
// must change nothing.
TEST_F(SetupTest, ACopyThatDoesNotEndStopsTheSetupBeforeAnyChange) {
    ASSERT_TRUE(InstallWith(SetupFilePath()));
    EndRunningCopies();
    InstallationState before = CurrentInstallation();
    HWND hwndStuck = nullptr;
    ASSERT_TRUE(Succeeded("making a window like the program's dialog", [&] {
        hwndStuck = CreateWindowExA(0, reinterpret_cast<LPCSTR>(MAKEINTATOM(0x8002)), "TallyQuill", WS_POPUP, 0, 0, 10,
                                    10, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        return hwndStuck != nullptr;
    }));
    SetupRun setup;
    ASSERT_TRUE(Started(setup, "", SetupFilePath()));
    HWND hwndBox = WaitForShownDialog("Install Error", 2 * kPatienceMs);
    ASSERT_TRUE(WindowIsShown(hwndBox, "the Install Error box"));
    std::string text = MessageBoxText(hwndBox);
    EXPECT_NE(std::string::npos, text.find("TallyQuill is still running")) << text;
    EXPECT_TRUE(WindowIsGone(FindDialogTitled(kTermsTitle), "the terms page"));
    PostMessageA(hwndBox, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(0, setup.WaitForExit());
    DestroyWindow(hwndStuck);
    EXPECT_EQ("", Differences(before, CurrentInstallation())) << "nothing was changed";
}

// Runs the setup file over the installation while something is in the way of one file, and
// expects one message naming that file and the system's reason, and the installation unchanged.
// Its checks name the blocked file; a SCOPED_TRACE where it is called names the line.
void ExpectRefusedOverInstallation(const std::string& blockedName, DWORD dwExpectedError,
                                   const std::function<void()>& block, const std::function<void()>& unblock) {
    std::string folder = ExpectedInstallFolder();
    InstallationState before = CurrentInstallation();
    block();
    int nExitCode = -1;
    std::string text = RunToMessage(SetupFilePath(), &nExitCode);
    unblock();
    char szReason[256] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, dwExpectedError, 0, szReason,
                   sizeof(szReason), nullptr);
    SCOPED_TRACE(blockedName + " in the way");
    EXPECT_NE(std::string::npos, text.find(folder + "\\" + blockedName)) << text;
    EXPECT_NE(std::string::npos, text.find(szReason)) << "the system's reason \"" << szReason << "\": " << text;
    EXPECT_EQ(0, nExitCode);
    EXPECT_EQ("", Differences(before, CurrentInstallation())) << "the earlier installation is as it was";
    EXPECT_TRUE(FolderHolds(folder, InstalledFileNames())) << "no new or set-aside files are left";
    EXPECT_TRUE(WindowIsGone(FindMainDialog(), "the program's dialog")) << "nothing was started";
}

TEST_F(SetupTest, AFileHeldOpenOrReadOnlyStopsTheInstallAndTheEarlierOneStays) {
    ASSERT_TRUE(InstallWith(SetupFilePath()));
    EndRunningCopies();
    std::string folder = ExpectedInstallFolder();
    HANDLE hHeld = INVALID_HANDLE_VALUE;
    SCOPED_TRACE("tallyq.hlp held open, then uninst.exe read-only");
    ExpectRefusedOverInstallation(
        "tallyq.hlp", ERROR_SHARING_VIOLATION,
        [&] {
            ASSERT_TRUE(HeldOpen(folder + "\\tallyq.hlp", &hHeld));
        },
        [&] { CloseHandle(hHeld); });
    std::string uninstaller = folder + "\\uninst.exe";
    ExpectRefusedOverInstallation(
        "uninst.exe", ERROR_ACCESS_DENIED,
        [&] {
            ASSERT_TRUE(Succeeded("making " + uninstaller + " read-only", [&] {
                return SetFileAttributesA(uninstaller.c_str(), FILE_ATTRIBUTE_READONLY) != FALSE;
            }));
        },
        [&] { SetFileAttributesA(uninstaller.c_str(), FILE_ATTRIBUTE_NORMAL); });
}

TEST_F(SetupTest, AFirstInstallThatCannotWriteAFileRegistersNothing) {
    // A folder where a file should go: the file cannot be made.
    std::string folder = ExpectedInstallFolder();
    CreateDirectoryA((folder.substr(0, folder.rfind('\\'))).c_str(), nullptr);
    CreateDirectoryA(folder.c_str(), nullptr);
    ASSERT_TRUE(FolderMade(folder + "\\banner.gif"));
    int nExitCode = -1;
    std::string text = RunToMessage(SetupFilePath(), &nExitCode);
    RemoveDirectoryA((folder + "\\banner.gif").c_str());
    EXPECT_NE(std::string::npos, text.find(folder + "\\banner.gif")) << text;
    EXPECT_EQ(0, nExitCode);
    EXPECT_TRUE(FolderHolds(folder, {})) << "no file of the failed install stays";
    EXPECT_TRUE(SystemTextIs(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString", ""));
    EXPECT_TRUE(FileIsGone(DesktopShortcut()));
    EXPECT_TRUE(FileIsGone(StartMenuGroup() + "\\TallyQuill.lnk"));
    EXPECT_TRUE(WindowIsGone(FindMainDialog(), "the program's dialog"));
}

namespace {

// A piece of work that checks the window it runs in.
class ProbeProgress : public LProgressDialog {
public:
    ProbeProgress() : LProgressDialog(kProbeTitle) {}
    bool MainFunction() override {
        ++nRuns;
        char szText[100] = "";
        GetWindowTextA(hwndDlg, szText, sizeof(szText));
        EXPECT_STREQ(kProbeTitle, szText);
        bOwnerEnabledDuringRun = hwndOwner != nullptr && IsWindowEnabled(hwndOwner);
        EXPECT_FALSE(Run(nullptr)) << "an open window is not opened twice";
        SetText(0, "line 0");
        SetText(1, "line 1");
        SetText(2, "no line");
        SetText(-1, "no line");
        GetDlgItemTextA(hwndDlg, IDC_PROGRESS_LINE0, szText, sizeof(szText));
        EXPECT_STREQ("line 0", szText);
        GetDlgItemTextA(hwndDlg, IDC_PROGRESS_LINE1, szText, sizeof(szText));
        EXPECT_STREQ("line 1", szText);
        for (const auto& step : {std::make_pair(0.5, 50), std::make_pair(0.999, 99), std::make_pair(1.0, 100),
                                 std::make_pair(0.0, 0)}) {
            SetProgress(step.first);
            EXPECT_EQ(step.second, SendDlgItemMessageA(hwndDlg, IDC_PROGRESS_BAR, PBM_GETPOS, 0, 0))
                << step.first;
        }
        EXPECT_FALSE(CheckCancel()) << "the window is open";
        if (bPressCancel) {
            PostMessageA(hwndDlg, WM_COMMAND, IDCANCEL, 0);
            EXPECT_TRUE(CheckCancel()) << "Cancel closed the window";
            EXPECT_EQ(nullptr, hwndDlg) << "the closed window's handle is kept";
            SetText(0, "after Cancel");
            SetProgress(0.5);
        }
        return true;
    }
    static constexpr const char* kProbeTitle = "Progress probe";
    HWND hwndOwner = nullptr;
    bool bPressCancel = false;
    bool bOwnerEnabledDuringRun = true;
    int nRuns = 0;
};

}  // namespace

TEST(ProgressWindow, RunsItsWorkInAWindowItOpensAndCloses) {
    hProgramInstance = GetModuleHandleA(nullptr);
    HWND hwndOwner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                     hProgramInstance, nullptr);
    ProbeProgress probe;
    probe.hwndOwner = hwndOwner;
    EXPECT_TRUE(probe.Run(hwndOwner)) << "Run returned false: the window did not open";
    EXPECT_FALSE(probe.bOwnerEnabledDuringRun) << "the owner is disabled while the work runs";
    EXPECT_TRUE(IsWindowEnabled(hwndOwner)) << "and enabled again after";
    EXPECT_TRUE(WindowIsGone(probe.Window(), "the probe's window"));
    EXPECT_TRUE(WindowIsGone(FindDialogTitled(ProbeProgress::kProbeTitle), "a window titled like the probe's"));

    probe.bPressCancel = true;
    EXPECT_TRUE(probe.Run(nullptr)) << "a closed object runs again, and Cancel ends only the window";
    EXPECT_EQ(2, probe.nRuns);
    EXPECT_TRUE(WindowIsGone(FindDialogTitled(ProbeProgress::kProbeTitle), "a window titled like the probe's"));
    DestroyWindow(hwndOwner);
}

// The folders the installer makes, with the security it asks for.
typedef BOOL(WINAPI* CreateDirectoryFn)(LPCSTR, LPSECURITY_ATTRIBUTES);
CreateDirectoryFn pfnSystemCreateDirectory;
struct MadeFolder {
    std::string path;
    std::string descriptor;  // the descriptor of its own, as text; "" for none
};
std::vector<MadeFolder> madeFolders;

// A descriptor's owner and access list as text ("O:...D:..."); "" for none.
std::string DescriptorText(PSECURITY_DESCRIPTOR pDescriptor) {
    char* szText = nullptr;
    if (pDescriptor == nullptr ||
        !ConvertSecurityDescriptorToStringSecurityDescriptorA(
            pDescriptor, SDDL_REVISION_1, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &szText, nullptr))
        return "";
    std::string text = szText;
    LocalFree(szText);
    return text;
}

BOOL WINAPI RecordCreateDirectory(LPCSTR szPath, LPSECURITY_ATTRIBUTES pAttributes) {
    madeFolders.push_back({szPath, DescriptorText(pAttributes != nullptr ? pAttributes->lpSecurityDescriptor : nullptr)});
    return pfnSystemCreateDirectory(szPath, pAttributes);
}

// The folder's owner and access list as the file system gives them back.
std::string ReadBackDescriptor(const std::string& path) {
    PSECURITY_DESCRIPTOR pDescriptor = nullptr;
    if (GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                              nullptr, nullptr, nullptr, nullptr, &pDescriptor) != ERROR_SUCCESS)
        return "";
    std::string text = DescriptorText(pDescriptor);
    LocalFree(pDescriptor);
    return text;
}

// While it lives, HKEY_LOCAL_MACHINE has no ProgramFilesDir: the installer falls back to
// "C:\TallyQuill".
class NoProgramFilesDir {
public:
    NoProgramFilesDir() : saved(SystemText(HKEY_LOCAL_MACHINE, kCurrentVersionKey, "ProgramFilesDir")) {
        HKEY hKey = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kCurrentVersionKey, 0, KEY_SET_VALUE, &hKey) == ERROR_SUCCESS) {
            RegDeleteValueA(hKey, "ProgramFilesDir");
            RegCloseKey(hKey);
        }
    }
    ~NoProgramFilesDir() { SetSystemText(HKEY_LOCAL_MACHINE, kCurrentVersionKey, "ProgramFilesDir", saved); }
    // Whether there was one to take away.
    testing::AssertionResult Taken() const {
        if (!saved.empty()) return testing::AssertionSuccess();
        return testing::AssertionFailure() << "HKEY_LOCAL_MACHINE\\" << kCurrentVersionKey << " has no ProgramFilesDir";
    }

private:
    std::string saved;
};

const char kFallBackFolder[] = "C:\\TallyQuill";
// Administrators and SYSTEM change it, Users read and run, all of it passed down and nothing
// inherited from the drive's root.
const char kFallBackProtection[] = "D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)";

TEST_F(SetupTest, TheInstallFolderTakesTheProtectionOfItsParentAndTheFallBackOneItsOwn) {
    pfnSystemCreateDirectory = reinterpret_cast<CreateDirectoryFn>(
        RedirectImport("kernel32.dll", "CreateDirectoryA", reinterpret_cast<void*>(RecordCreateDirectory)));
    ASSERT_NE(nullptr, pfnSystemCreateDirectory) << "this program does not import CreateDirectoryA";
    madeFolders.clear();
    char szFolder[kPathBufferSize] = "";
    EXPECT_TRUE(InstallDialog::GetInstallProgramFilesPath(szFolder, sizeof(szFolder)))
        << "it returns false, with \"" << szFolder << "\"";
    EXPECT_EQ(ExpectedInstallFolder(), szFolder);
    ASSERT_FALSE(madeFolders.empty()) << "no CreateDirectoryA call";
    EXPECT_EQ(ExpectedInstallFolder(), madeFolders.back().path);
    for (const MadeFolder& made : madeFolders)
        EXPECT_EQ("", made.descriptor) << made.path << " is made with a descriptor of its own";
    EXPECT_TRUE(FolderIsThere(szFolder));
    EXPECT_TRUE(EveryoneCannotWrite(szFolder));

    // Without ProgramFilesDir: the fall-back folder is made in one step with its own protection.
    NoProgramFilesDir noProgramFiles;
    ASSERT_TRUE(noProgramFiles.Taken());
    madeFolders.clear();
    EXPECT_TRUE(InstallDialog::GetInstallProgramFilesPath(szFolder, sizeof(szFolder))) << "a new folder is used";
    EXPECT_STREQ(kFallBackFolder, szFolder);
    ASSERT_EQ(1u, madeFolders.size());
    EXPECT_EQ(kFallBackFolder, madeFolders[0].path);
    EXPECT_EQ(kFallBackProtection, madeFolders[0].descriptor);
    EXPECT_TRUE(FolderIsThere(kFallBackFolder));
    // What the file system keeps of it: Wine keeps no descriptor, it turns the access list into the
    // Unix permissions and makes one up from them when asked.
    printf("[ figure ] %s made with %s, read back as %s\n", kFallBackFolder, madeFolders[0].descriptor.c_str(),
           ReadBackDescriptor(kFallBackFolder).c_str());
    EXPECT_TRUE(EveryoneCannotWrite(kFallBackFolder));
    // Made now, it is not judged; met again, it is, and is used only where the judging lets it.
    madeFolders.clear();
    EXPECT_EQ(!OthersMayChangePath(kFallBackFolder), InstallDialog::GetInstallProgramFilesPath(szFolder, sizeof(szFolder)));
    EXPECT_EQ(1u, madeFolders.size()) << "the existing folder is left as it is";
}

// The judging on descriptors as the system builds them: the same bytes that it reads back from a
// folder.
TEST(FolderProtection, JudgesDescriptorsAsTheSystemBuildsThem) {
    const struct {
        const char* szDescriptor;
        bool bOthersMayChange;
    } cases[] = {
        {"O:BAD:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)", false},
        {"O:SYD:(A;OICI;FA;;;BA)(A;OICI;GRGX;;;WD)", false},
        {"O:BAD:(D;;FA;;;WD)(A;;FA;;;BA)", false},
        {"O:BAD:(A;OICI;FA;;;WD)", true},
        {"O:BAD:(A;OICI;GA;;;WD)", true},
        {"O:BAD:(A;OICI;GW;;;BU)", true},
        {"O:BAD:(A;OICIIO;0x1301bf;;;AU)", true},
        {"O:BAD:(A;;0x4;;;BU)", true},
        {"O:BAD:(A;;WD;;;BU)", true},
        {"O:S-1-5-21-1-2-3-1000D:P(A;OICI;FA;;;BA)", true},
        {"O:BUD:P(A;OICI;FA;;;BA)", true},
    };
    for (const auto& test : cases) {
        PSECURITY_DESCRIPTOR pDescriptor = nullptr;
        ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(test.szDescriptor, SDDL_REVISION_1,
                                                                         &pDescriptor, nullptr))
            << test.szDescriptor;
        EXPECT_EQ(test.bOthersMayChange, OthersMayChangeDescriptor(pDescriptor)) << test.szDescriptor;
        LocalFree(pDescriptor);
    }
    // A NULL access list, and none at all, let everyone in. (Wine reads "D:NO_ACCESS_CONTROL" as an
    // empty list, so these are built by hand.)
    PSID pAdministrators = nullptr;
    ASSERT_TRUE(Succeeded("ConvertStringSidToSidA of S-1-5-32-544",
                          [&] { return ConvertStringSidToSidA("S-1-5-32-544", &pAdministrators) != FALSE; }));
    for (BOOL bPresent : {TRUE, FALSE}) {
        SECURITY_DESCRIPTOR descriptor;
        ASSERT_TRUE(Succeeded("InitializeSecurityDescriptor", [&] {
            return InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) != FALSE;
        }));
        ASSERT_TRUE(Succeeded("SetSecurityDescriptorOwner", [&] {
            return SetSecurityDescriptorOwner(&descriptor, pAdministrators, FALSE) != FALSE;
        }));
        ASSERT_TRUE(Succeeded("SetSecurityDescriptorDacl", [&] {
            return SetSecurityDescriptorDacl(&descriptor, bPresent, nullptr, FALSE) != FALSE;
        }));
        EXPECT_TRUE(OthersMayChangeDescriptor(&descriptor)) << (bPresent ? "a NULL list" : "no list");
    }
    LocalFree(pAdministrators);
}

TEST_F(SetupTest, SetupNamesWithoutTheSetupTypeAreRefusedAtStart) {
    Bytes program;
    ASSERT_TRUE(ReadBytes(BuiltProgramPath(), &program));
    std::string path = ScratchFolder() + "setup.exe";
    for (const Bytes& image : {program, Concat(program, {0x0F, 0x0F, 0xF0, 0xF0})}) {
        ASSERT_TRUE(WriteBytes(path, image));
        ProgramUnderTest program;
        ASSERT_TRUE(Started(program, "", path));
        // Shown, not only made: the box's text controls exist once it is visible.
        HWND hwndBox = WaitForShownDialog("Install Error");
        ASSERT_TRUE(WindowIsShown(hwndBox, "the Install Error box"));
        EXPECT_EQ(0u, MessageBoxText(hwndBox).find("Installation file corrupt.")) << MessageBoxText(hwndBox);
        EXPECT_TRUE(WindowIsGone(FindDialogTitled(kTermsTitle), "the terms page"));
        EXPECT_TRUE(WindowIsGone(FindDialogTitled(kProgressTitle), "the progress window"));
        PostMessageA(hwndBox, WM_COMMAND, IDOK, 0);
        EXPECT_EQ(0, program.WaitForExit());
    }
    EXPECT_TRUE(FolderIsGone(ExpectedInstallFolder())) << "nothing was installed";
    DeleteFileA(path.c_str());
}

TEST_F(SetupTest, WithoutProgramFilesDirTheProgramGoesToCTallyQuill) {
    // Told Windows XP, the setup points the help shortcut at the WinHelp file.
    SetWindowsVersionOf("TallyQuillSetup.exe", "winxp");
    {
        NoProgramFilesDir noProgramFiles;
        ASSERT_TRUE(noProgramFiles.Taken());
        ASSERT_TRUE(InstallWith(SetupFilePath()));
    }
    EXPECT_TRUE(SystemTextIs(HKEY_LOCAL_MACHINE, kFoldersKey, "ProgramFiles", kFallBackFolder));
    EXPECT_TRUE(FileIsThere("C:\\TallyQuill\\tallyq.exe"));
    EXPECT_TRUE(FileIsThere("C:\\TallyQuill\\banner.gif"));
    EXPECT_EQ("C:\\TallyQuill\\tallyq.exe", ShortcutTarget(DesktopShortcut()));
    EXPECT_EQ("C:\\TallyQuill\\tallyq.hlp", ShortcutTarget(StartMenuGroup() + "\\TallyQuill Help.lnk"));
    EXPECT_TRUE(FolderIsGone(ExpectedInstallFolder()));
    printf("[ figure ] %s after the install, read back as %s\n", kFallBackFolder,
           ReadBackDescriptor(kFallBackFolder).c_str());
    EXPECT_TRUE(EveryoneCannotWrite(kFallBackFolder));
    ExpectUninstallEntry(kFallBackFolder);

    // The uninstaller removes the program from that folder, whoever else may change it. It runs
    // from a copy elsewhere, as its hand-over does, so that its own file can go too.
    EndRunningCopies();
    std::string copy = ScratchFolder() + "uninst.exe";
    ASSERT_TRUE(FileCopied("C:\\TallyQuill\\uninst.exe", copy));
    NoProgramFilesDir noProgramFiles;
    ProgramUnderTest uninstaller;
    ASSERT_TRUE(Started(uninstaller, "/uninstall", copy));
    HWND hwndQuestion = WaitForShownDialog("Uninstall TallyQuill");
    ASSERT_TRUE(WindowIsShown(hwndQuestion, "the uninstaller's question"));
    PostMessageA(hwndQuestion, WM_COMMAND, IDYES, 0);
    EXPECT_EQ(0, uninstaller.WaitForExit());
    DeleteFileA(copy.c_str());
    EXPECT_TRUE(FolderIsGone(kFallBackFolder)) << "the folder and its files are gone";
    EXPECT_TRUE(SystemTextIs(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName", ""));
}

// A fall-back folder that someone else made first, and that others may change, could hold a
// program of theirs by the time a user logs on: the setup says so and installs nothing.
TEST_F(SetupTest, AFallBackFolderThatOthersMayChangeIsRefused) {
    NoProgramFilesDir noProgramFiles;
    ASSERT_TRUE(noProgramFiles.Taken());
    ASSERT_TRUE(FolderMade(kFallBackFolder));
    PSECURITY_DESCRIPTOR pEveryoneFull = nullptr;
    ASSERT_TRUE(Succeeded("ConvertStringSecurityDescriptorToSecurityDescriptorA of D:(A;OICI;FA;;;WD)", [&] {
        return ConvertStringSecurityDescriptorToSecurityDescriptorA("D:(A;OICI;FA;;;WD)", SDDL_REVISION_1,
                                                                    &pEveryoneFull, nullptr) != FALSE;
    }));
    BOOL bPresent = FALSE, bDefaulted = FALSE;
    PACL pDacl = nullptr;
    GetSecurityDescriptorDacl(pEveryoneFull, &bPresent, &pDacl, &bDefaulted);
    char szFolder[sizeof(kFallBackFolder)];
    memcpy(szFolder, kFallBackFolder, sizeof(kFallBackFolder));
    ASSERT_EQ(ERROR_SUCCESS,
              SetNamedSecurityInfoA(szFolder, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, pDacl, nullptr));
    LocalFree(pEveryoneFull);
    printf("[ figure ] %s given Everyone full control, read back as %s\n", kFallBackFolder,
           ReadBackDescriptor(kFallBackFolder).c_str());
    ASSERT_FALSE(EveryoneCannotWrite(kFallBackFolder)) << "the folder is one that everyone may change";
    ASSERT_TRUE(OthersMayChangePath(kFallBackFolder))
        << kFallBackFolder << ", read back as " << ReadBackDescriptor(kFallBackFolder) << ", is judged safe";

    SetupRun setup;
    ASSERT_TRUE(Started(setup, "", SetupFilePath()));
    HWND hwndBox = WaitForShownDialog("Install Error");
    ASSERT_TRUE(WindowIsShown(hwndBox, "the Install Error box"));
    std::string text = MessageBoxText(hwndBox);
    EXPECT_NE(std::string::npos, text.find("was not installed")) << text;
    EXPECT_NE(std::string::npos, text.find(kFallBackFolder)) << text;
    EXPECT_NE(std::string::npos, text.find("any user")) << text;
    EXPECT_NE(std::string::npos, text.find("every user starts")) << text;
    EXPECT_NE(std::string::npos, text.find("Delete this folder")) << text;
    EXPECT_TRUE(WindowIsGone(FindDialogTitled(kTermsTitle), "the terms page"));
    EXPECT_TRUE(WindowIsGone(FindDialogTitled(kProgressTitle), "the progress window"));
    PostMessageA(hwndBox, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(0, setup.WaitForExit());

    EXPECT_TRUE(FolderHolds(kFallBackFolder, {})) << "nothing was installed";
    EXPECT_TRUE(SystemTextIs(HKEY_LOCAL_MACHINE, kFoldersKey, "ProgramFiles", "")) << "nor recorded";
    EXPECT_TRUE(SystemTextIs(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName", ""));
    EXPECT_TRUE(FileIsGone(DesktopShortcut()));
    EXPECT_TRUE(WindowIsGone(FindMainDialog(), "the program's dialog")) << "nothing was started";
}

// The installer's classes inside this process, on the real setup file: every text the progress
// window shows and every bar position it is given are seen as they happen.
namespace {

struct ProgressRecord {
    std::vector<std::string> lines;
    std::vector<int> positions;
    int nMessageBoxes = 0;
    bool bCancelAtFirstChunk = false;
    bool bTermsAnswered = false;
} record;

LRESULT CALLBACK RecordProgress(int nCode, WPARAM wParam, LPARAM lParam) {
    const CWPSTRUCT* pCall = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (nCode == HC_ACTION) {
        int nId = GetDlgCtrlID(pCall->hwnd);
        char szOwnerTitle[100] = "";
        GetWindowTextA(GetParent(pCall->hwnd), szOwnerTitle, sizeof(szOwnerTitle));
        bool bProgress = strcmp(szOwnerTitle, kProgressTitle) == 0;
        if (bProgress && pCall->message == WM_SETTEXT && nId == IDC_PROGRESS_LINE1)
            record.lines.push_back(reinterpret_cast<const char*>(pCall->lParam));
        if (bProgress && pCall->message == PBM_SETPOS && nId == IDC_PROGRESS_BAR) {
            record.positions.push_back(static_cast<int>(pCall->wParam));
            if (record.bCancelAtFirstChunk && record.positions.size() == 2)
                PostMessageA(GetDlgItem(GetParent(pCall->hwnd), IDCANCEL), BM_CLICK, 0, 0);
        }
    }
    return CallNextHookEx(nullptr, nCode, wParam, lParam);
}

LRESULT CALLBACK AnswerWindows(int nCode, WPARAM wParam, LPARAM lParam) {
    if (nCode == HCBT_ACTIVATE) {
        HWND hwnd = reinterpret_cast<HWND>(wParam);
        char szTitle[100] = "";
        GetWindowTextA(hwnd, szTitle, sizeof(szTitle));
        if (strcmp(szTitle, kTermsTitle) == 0 && !record.bTermsAnswered) {
            record.bTermsAnswered = true;
            PostMessageA(GetDlgItem(hwnd, IDC_TERMS_AGREE), BM_CLICK, 0, 0);
            PostMessageA(GetDlgItem(hwnd, IDOK), BM_CLICK, 0, 0);
        } else if (strcmp(szTitle, "Install Error") == 0) {
            ++record.nMessageBoxes;
            PostMessageA(hwnd, WM_COMMAND, IDOK, 0);
        }
    }
    return CallNextHookEx(nullptr, nCode, wParam, lParam);
}

bool InstallInThisProcess(bool bCancelAtFirstChunk) {
    record = ProgressRecord();
    record.bCancelAtFirstChunk = bCancelAtFirstChunk;
    hProgramInstance = GetModuleHandleA(nullptr);
    HHOOK hCalls = SetWindowsHookExA(WH_CALLWNDPROC, RecordProgress, nullptr, GetCurrentThreadId());
    HHOOK hCbt = SetWindowsHookExA(WH_CBT, AnswerWindows, nullptr, GetCurrentThreadId());
    Registration registration;
    InstallEngine engine(SetupFilePath().c_str(), &registration);
    EXPECT_TRUE(engine.CheckSetupFile() && engine.CheckInstallFolder()) << "exit code " << engine.ExitCode();
    engine.MakeInstallFolder();
    InstallDialog dialog(kProgressTitle, &engine);
    lstrcpynA(dialog.szInstallPath, engine.InstallFolder(), kPathBufferSize);
    bool bResult = dialog.Run(nullptr);
    UnhookWindowsHookEx(hCalls);
    UnhookWindowsHookEx(hCbt);
    EXPECT_TRUE(WindowIsGone(dialog.Window(), "the progress window")) << "Run closes the window";
    return bResult;
}

}  // namespace

TEST_F(SetupTest, StatusLinesNameTheFilesInOrderAndTheBarEndsAtTheLastByte) {
    ASSERT_TRUE(InstallInThisProcess(false)) << record.nMessageBoxes << " message box(es); status lines: "
                                             << ::testing::PrintToString(record.lines);
    const std::vector<std::string> lines = {"Software Licence Terms", "tallyq.exe", "tallyq.hlp",
                                            "banner.htm", "banner.gif", "tallyq.htm", "Finalizing"};
    EXPECT_EQ(lines, record.lines);
    ASSERT_GE(record.positions.size(), 3u);
    EXPECT_EQ(0, record.positions.front()) << "the bar starts empty";
    EXPECT_EQ(100, record.positions.back());
    for (size_t i = 1; i < record.positions.size(); ++i) {
        EXPECT_LE(record.positions[i - 1], record.positions[i]) << "the bar never goes back";
        if (i + 1 < record.positions.size()) {
            EXPECT_LT(record.positions[i], 100) << "100 only at the last byte";
        }
    }
    EXPECT_EQ(0, record.nMessageBoxes);
    EXPECT_TRUE(WaitFor([] { return FindMainDialog() != nullptr; })) << "Finalize started the program";
}

TEST_F(SetupTest, CancelDuringExtractionStopsWithoutAMessage) {
    EXPECT_FALSE(InstallInThisProcess(true)) << "the cancelled install returns success; status lines: "
                                              << ::testing::PrintToString(record.lines);
    EXPECT_EQ(0, record.nMessageBoxes);
    std::string folder = ExpectedInstallFolder();
    EXPECT_TRUE(FolderHolds(folder, {})) << "no file of the cancelled install stays, not even a partial one";
    EXPECT_TRUE(SystemTextIs(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName", ""));
    EXPECT_TRUE(FileIsGone(DesktopShortcut()));
    EXPECT_TRUE(NoProcessRuns("tallyq.exe")) << "nothing was started";
}
