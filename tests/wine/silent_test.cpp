// The setup file and the uninstaller started with "/S", as IT tools and package managers start
// them: no window at all, nothing started, and the outcome told by the exit code alone.
#include <windows.h>
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "setup/setup_layout.h"
#include "setup/setup_outcome.h"
#include "tests/wine/installation.h"
#include "tests/wine/wine_test_support.h"

namespace {

BOOL CALLBACK AddIfVisible(HWND hwnd, LPARAM lParam) {
    if (IsWindowVisible(hwnd)) reinterpret_cast<std::set<HWND>*>(lParam)->insert(hwnd);
    return TRUE;
}

// The visible top-level windows now, of any process.
std::set<HWND> VisibleWindows() {
    std::set<HWND> windows;
    EnumWindows(AddIfVisible, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

// How a silent run went: its exit code (-1: it did not end in time) and any window that was shown
// meanwhile by any process (a message box would also keep the process from ending).
struct SilentRun {
    int nExitCode = -1;
    std::string windowsShown;
};

SilentRun RunSilently(const std::string& programPath, const std::string& arguments) {
    SilentRun run;
    std::set<HWND> before = VisibleWindows();
    std::string command = "\"" + programPath + "\" " + arguments;
    STARTUPINFOA start;
    ZeroMemory(&start, sizeof(start));
    start.cb = sizeof(start);
    PROCESS_INFORMATION process;
    if (!CreateProcessA(programPath.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &start,
                        &process))
        return run;
    CloseHandle(process.hThread);
    std::set<HWND> seen;
    // A window is looked for every few milliseconds while the process runs: under emulation any
    // window of the setup stays up for seconds.
    WaitFor(
        "the silent run's end",
        [&] {
            for (HWND hwnd : VisibleWindows())
                if (before.count(hwnd) == 0 && seen.insert(hwnd).second)
                    run.windowsShown += WindowDescription(hwnd) + "\n";
            return WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0;
        },
        [] { return ShownWindows(); }, kPatienceMs * 3, 10);
    DWORD dwExit = 0;
    if (WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0 && GetExitCodeProcess(process.hProcess, &dwExit))
        run.nExitCode = static_cast<int>(dwExit);
    else
        TerminateProcess(process.hProcess, 99);
    CloseHandle(process.hProcess);
    return run;
}

class SilentTest : public ::testing::Test {
protected:
    void SetUp() override { RemoveInstallation(); }
    void TearDown() override { RemoveInstallation(); }

    // A silent install, checked as complete: every file, both shortcuts, the Uninstall entry.
    void InstallSilently() {
        SilentRun run = RunSilently(SetupFilePath(), "/S");
        ASSERT_EQ(0, run.nExitCode) << "silent install";
        ASSERT_EQ("", run.windowsShown) << "windows shown by a silent install";
        folder = ExpectedInstallFolder();
    }

    std::string folder;
};

}  // namespace

TEST_F(SilentTest, SetupInstallsWithNoWindowAndStartsNothing) {
    InstallSilently();
    // A program started by the setup exists from the moment the setup's start call returned.
    EXPECT_TRUE(NoProcessRuns("tallyq.exe")) << "a silent install starts no program";
    EXPECT_TRUE(FolderHolds(folder, InstalledFileNames()));
    Bytes program, built;
    ASSERT_TRUE(ReadBytes(folder + "\\tallyq.exe", &program));
    ASSERT_TRUE(ReadPackedProgram(&built));
    built.insert(built.end(), 4, 0);
    EXPECT_TRUE(SameBytes(built, program)) << "the installed program is the packed one with the plain type";
    EXPECT_TRUE(FileIsThere(DesktopShortcut()));
    EXPECT_TRUE(FileIsThere(StartMenuGroup() + "\\TallyQuill.lnk"));
    EXPECT_TRUE(SystemTextIs(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString", "\"" + folder + "\\uninst.exe\""));
}

TEST_F(SilentTest, TheElevatedCopyOfASilentSetupInstallsAndLeavesTheStartToItsCaller) {
    // As a setup that was not elevated starts its copy through the consent prompt: the copy's exit
    // code is the caller's answer, and the caller (silent here) starts nothing either.
    SilentRun run = RunSilently(SetupFilePath(), "/S /elevated");
    EXPECT_EQ(0, run.nExitCode) << "the elevated copy's install";
    EXPECT_EQ("", run.windowsShown) << "windows shown by the elevated copy of a silent setup";
    EXPECT_TRUE(NoProcessRuns("tallyq.exe")) << "the elevated copy starts no program";
    EXPECT_TRUE(FolderHolds(ExpectedInstallFolder(), InstalledFileNames()));
}

TEST_F(SilentTest, ADamagedSetupFileEndsWithItsCodeAndChangesNothing) {
    Bytes setup;
    ASSERT_TRUE(ReadBytes(SetupFilePath(), &setup));
    ExtractionPlan plan;
    ASSERT_TRUE(SetupImageIntact(setup.data(), setup.size(), CountInstallFiles(kInstallFiles), &plan))
        << "the good setup file fails the installer's check";
    // A byte of the program's resources: the setup runs its own image, so a changed code byte might
    // end it before it checks its payload.
    size_t nChanged = ResourceMiddle(setup);
    ASSERT_GT(nChanged, 0u);
    ASSERT_LT(nChanged, plan.steps[0].nSize) << "a byte of the program";
    setup[nChanged] ^= 0x01;
    std::string damaged = ScratchFolder() + "\\TallyQuillSetup.exe";
    ASSERT_TRUE(WriteBytes(damaged, setup));
    InstallationState before = CurrentInstallation();
    SilentRun run = RunSilently(damaged, "/S");
    EXPECT_EQ(static_cast<int>(kExitDamaged), run.nExitCode);
    EXPECT_EQ("", run.windowsShown);
    EXPECT_EQ("", Differences(before, CurrentInstallation()));
    DeleteFileA(damaged.c_str());
}

TEST_F(SilentTest, UninstallReturnsOnceAllButItselfIsGoneAndItsFolderFollows) {
    InstallSilently();
    SilentRun run = RunSilently(folder + "\\uninst.exe", "/S");
    EXPECT_EQ(0, run.nExitCode) << "silent uninstall";
    EXPECT_EQ("", run.windowsShown) << "windows shown by a silent uninstall";
    // On return everything but the uninstaller and its folder is gone.
    for (const std::string& name : FilesIn(folder)) EXPECT_EQ("uninst.exe", name) << "left in the install folder";
    EXPECT_TRUE(FileIsGone(DesktopShortcut()));
    EXPECT_TRUE(FolderIsGone(StartMenuGroup()));
    EXPECT_TRUE(SystemTextIs(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString", ""));
    // Then the copy removes those two, once the process it answered has ended.
    EXPECT_TRUE(WaitFor("the install folder to go", [&] { return !FolderExists(folder); }, ShownWindows))
        << folder << " stays";
    // The empty maker's folder goes right after the install folder: waited for as well.
    std::string makerFolder = folder.substr(0, folder.rfind('\\'));
    EXPECT_TRUE(WaitFor("the maker's folder to go", [&] { return !FolderExists(makerFolder); }, ShownWindows));
    EXPECT_TRUE(FolderIsGone(makerFolder)) << "the empty maker's folder";
}

TEST_F(SilentTest, UninstallThatCannotDeleteAFileEndsWithItsCode) {
    InstallSilently();
    std::string held = folder + "\\tallyq.hlp";
    HANDLE hHeld = INVALID_HANDLE_VALUE;
    ASSERT_TRUE(HeldOpen(held, &hHeld));
    SilentRun run = RunSilently(folder + "\\uninst.exe", "/S");
    CloseHandle(hHeld);
    EXPECT_EQ(static_cast<int>(kExitFileFailure), run.nExitCode);
    EXPECT_EQ("", run.windowsShown);
    EXPECT_TRUE(FileIsThere(held)) << "the file held open stays";
    EXPECT_TRUE(FileIsGone(DesktopShortcut())) << "the rest is removed all the same";
}

TEST_F(SilentTest, AFileThatCannotBeWrittenIsToldAsSuchNotAsADamagedSetupFile) {
    InstallSilently();
    // A folder where the new help file is written beside the old one: its creation fails, part of
    // the way through the payload.
    std::string inTheWay = folder + "\\tallyq.hlp.new";
    ASSERT_TRUE(FolderMade(inTheWay));
    InstallationState before = CurrentInstallation();
    SilentRun run = RunSilently(SetupFilePath(), "/S");
    RemoveDirectoryA(inTheWay.c_str());
    EXPECT_EQ(static_cast<int>(kExitFileFailure), run.nExitCode);
    EXPECT_EQ("", run.windowsShown);
    EXPECT_EQ("", Differences(before, CurrentInstallation())) << "the earlier installation stays as it was";
}
