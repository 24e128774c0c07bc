// The real uninstaller under Wine, on installations made by the real setup file; and the folder
// deletion it relies on, called in this process.
#include <windows.h>
#include <gtest/gtest.h>
#include <psapi.h>
#include <shlwapi.h>

#include <string>
#include <vector>

#include "resources/main_dialog_ids.h"
#include "support/file_ops.h"
#include "support/path_text.h"
#include "tests/wine/engine_install.h"
#include "tests/wine/installation.h"
#include "tests/wine/wine_test_support.h"

namespace {

const char kQuestion[] = "Are you sure you want to remove TallyQuill from this computer?";
const char kSettingsKey[] = "Software\\Kestrilon\\TallyQuill\\Settings";
const char kFoldersKey[] = "Software\\Kestrilon\\TallyQuill\\Folders";
const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
// The loaded profiles of two other users of the machine.
const char kOtherUser[] = "S-1-5-21-0-0-0-1001";
const char kThirdUser[] = "S-1-5-21-0-0-0-1002";

// The system's temporary folder, where an elevated uninstaller (under Wine, every one) puts its copy
// into a folder of its own, "TallyQuill-uninst-<its process id>-<n>".
std::string SystemTempFolder() {
    char szWindows[MAX_PATH] = "";
    GetWindowsDirectoryA(szWindows, MAX_PATH);
    return std::string(szWindows) + "\\Temp";
}

// The copy that the uninstaller of that process id makes first.
std::string CopyPathFor(DWORD dwProcessId) {
    return SystemTempFolder() + "\\TallyQuill-uninst-" + std::to_string(dwProcessId) + "-0\\uninst.exe";
}

// Every uninstaller copy's folder, with the copy in it.
std::vector<std::string> CopyFolders() {
    std::vector<std::string> folders;
    WIN32_FIND_DATAA found;
    HANDLE hFind = FindFirstFileA((SystemTempFolder() + "\\TallyQuill-uninst-*").c_str(), &found);
    if (hFind == INVALID_HANDLE_VALUE) return folders;
    do folders.push_back(SystemTempFolder() + "\\" + found.cFileName);
    while (FindNextFileA(hFind, &found));
    FindClose(hFind);
    return folders;
}

void RemoveUninstallerCopies() {
    for (const std::string& copyFolder : CopyFolders()) {
        DeleteFileA((copyFolder + "\\uninst.exe").c_str());
        RemoveDirectoryA(copyFolder.c_str());
    }
}

std::string ImageOf(DWORD dwProcessId) {
    char szImage[MAX_PATH] = "";
    HANDLE hProcess = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, dwProcessId);
    if (hProcess != nullptr) {
        GetModuleFileNameExA(hProcess, nullptr, szImage, MAX_PATH);
        CloseHandle(hProcess);
    }
    return szImage;
}

// The uninstaller's question, once shown, and the process that asks it.
struct Question {
    HWND hwndBox = nullptr;
    DWORD dwProcessId = 0;
    std::string text;
};

Question WaitForQuestion(unsigned nTimeoutMs = kPatienceMs) {
    Question question;
    question.hwndBox = WaitForShownDialog("Uninstall TallyQuill", nTimeoutMs);
    if (question.hwndBox != nullptr) {
        GetWindowThreadProcessId(question.hwndBox, &question.dwProcessId);
        question.text = MessageBoxText(question.hwndBox);
    }
    return question;
}

// Answers the question, then the one message that may follow it (its text in *pFollowing, "" when
// none came), and waits for the asking process to end; passes when it ended with 0.
testing::AssertionResult Answer(const Question& question, int nAnswer, std::string* pFollowing = nullptr) {
    HANDLE hProcess = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, question.dwProcessId);
    PostMessageA(question.hwndBox, WM_COMMAND, nAnswer, 0);
    HWND hwndFollowing = nullptr;
    WaitFor(
        "a message after the answer, or the uninstaller's end",
        [&] {
            hwndFollowing = FindDialogTitled("Uninstall TallyQuill");
            if (hwndFollowing == question.hwndBox || !IsWindowVisible(hwndFollowing)) hwndFollowing = nullptr;
            return hwndFollowing != nullptr || hProcess == nullptr || WaitForSingleObject(hProcess, 0) == WAIT_OBJECT_0;
        },
        [&] { return "its windows:" + ShownWindowsOf(question.dwProcessId); });
    if (pFollowing != nullptr) *pFollowing = hwndFollowing != nullptr ? MessageBoxText(hwndFollowing) : "";
    if (hwndFollowing != nullptr) PostMessageA(hwndFollowing, WM_COMMAND, IDOK, 0);
    // A copy started outside the install folder goes once it has ended.
    struct ScratchCopy {
        ~ScratchCopy() { DeleteFileA((ScratchFolder() + "uninst.exe").c_str()); }
    } scratchCopy;
    if (hProcess == nullptr)
        return testing::AssertionFailure() << "the asking process " << question.dwProcessId << " could not be opened";
    bool bEnded = WaitForSingleObject(hProcess, kPatienceMs) == WAIT_OBJECT_0;
    DWORD dwExit = 99;
    if (bEnded) GetExitCodeProcess(hProcess, &dwExit);
    CloseHandle(hProcess);
    if (!bEnded)
        return testing::AssertionFailure() << "the asking process " << question.dwProcessId << " still runs after "
                                           << kPatienceMs << " ms, its windows:"
                                           << ShownWindowsOf(question.dwProcessId);
    return (dwExit == 0 ? testing::AssertionSuccess() : testing::AssertionFailure())
           << "the asking process " << question.dwProcessId << " ended with " << dwExit;
}

// Starts the installed uninst.exe and answers its question. With bHandOver, as the system's list
// of programs starts it, without an argument: its temporary copy asks. Otherwise a copy of it outside
// the install folder is started with an argument, as that temporary copy is, and asks itself: one
// process fewer to start under emulation.
testing::AssertionResult UninstallAnswering(int nAnswer, std::string* pFollowing = nullptr, bool bHandOver = false) {
    std::string uninstaller = ExpectedInstallFolder() + "\\uninst.exe";
    if (!bHandOver) {
        std::string copy = ScratchFolder() + "uninst.exe";
        testing::AssertionResult copied = FileCopied(uninstaller, copy);
        if (!copied) return copied;
        uninstaller = copy;
    }
    ProgramUnderTest first;
    testing::AssertionResult started = Started(first, bHandOver ? "" : "/uninstall", uninstaller);
    if (!started) return started;
    if (bHandOver) {
        int nExitCode = first.WaitForExit();
        if (nExitCode != 0) return testing::AssertionFailure() << "the installed uninst.exe ended with " << nExitCode;
    }
    Question question = WaitForQuestion();
    testing::AssertionResult asked = WindowIsShown(question.hwndBox, "the uninstaller's question");
    if (!asked) return asked;
    return Answer(question, nAnswer, pFollowing);
}

class UninstallTest : public ::testing::Test {
protected:
    void SetUp() override {
        RemoveInstallation();
        RemoveUninstallerCopies();
        // Made in this process by the install engine: the uninstaller is what these cases run.
        ASSERT_TRUE(InstallThroughTheEngine());
        folder = ExpectedInstallFolder();
        installed = CurrentInstallation();
        ASSERT_TRUE(FolderHolds(folder, InstalledFileNames()));
    }
    void TearDown() override {
        RemoveInstallation();
        RemoveUninstallerCopies();
        SHDeleteKeyA(HKEY_USERS, kOtherUser);
        SHDeleteKeyA(HKEY_USERS, kThirdUser);
    }

    // What is left of everything an install made, one line each; "" when it is all gone. Checked
    // as EXPECT_EQ("", Leftovers()).
    std::string Leftovers() const {
        std::string left;
        if (FileExists(DesktopShortcut())) left += "the desktop shortcut\n";
        if (FolderExists(StartMenuGroup())) left += "the Start menu group (both shortcuts and the empty group go)\n";
        HKEY hKey = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ, &hKey) == ERROR_SUCCESS) {
            RegCloseKey(hKey);
            left += "the Uninstall entry\n";
        }
        if (FolderExists(folder)) left += "the install folder\n";
        if (FolderExists(folder.substr(0, folder.rfind('\\')))) left += "the empty maker's folder\n";
        return left;
    }

    std::string folder;
    InstallationState installed;
};

}  // namespace

TEST_F(UninstallTest, WithoutAnArgumentItHandsOverToACopyInAFolderOfItsOwn) {
    ProgramUnderTest first;
    ASSERT_TRUE(Started(first, "", folder + "\\uninst.exe"));
    EXPECT_EQ(0, first.WaitForExit()) << "the first process ends after starting the copy";
    Question question = WaitForQuestion();
    ASSERT_TRUE(WindowIsShown(question.hwndBox, "the uninstaller's question"));
    EXPECT_EQ(kQuestion, question.text);
    EXPECT_NE(first.process.dwProcessId, question.dwProcessId);
    std::string copyPath = CopyPathFor(first.process.dwProcessId);
    EXPECT_EQ(0, lstrcmpiA(copyPath.c_str(), ImageOf(question.dwProcessId).c_str()))
        << ImageOf(question.dwProcessId);
    Bytes copy;
    ASSERT_TRUE(ReadBytes(copyPath, &copy));
    EXPECT_TRUE(SameBytes(installed.files["uninst.exe"], copy)) << "a byte-for-byte copy";

    EXPECT_TRUE(Answer(question, IDNO));
    EXPECT_EQ("", Differences(installed, CurrentInstallation())) << "No removes nothing";
}

TEST_F(UninstallTest, WithAnArgumentItAsksAtOnce) {
    ProgramUnderTest uninstaller;
    ASSERT_TRUE(Started(uninstaller, "anything", folder + "\\uninst.exe"));
    Question question = WaitForQuestion();
    ASSERT_TRUE(WindowIsShown(question.hwndBox, "the uninstaller's question"));
    EXPECT_EQ(uninstaller.process.dwProcessId, question.dwProcessId) << "no hand-over with an argument";
    EXPECT_EQ(kQuestion, question.text);
    EXPECT_TRUE(Answer(question, IDNO));
    EXPECT_EQ("", Differences(installed, CurrentInstallation()));
}

TEST_F(UninstallTest, YesRemovesWhatTheInstallMadeAndLeavesTheSettings) {
    ASSERT_TRUE(SetSystemText(HKEY_LOCAL_MACHINE, kSettingsKey, "HotKeyOn", "1")) << "settings as the program saves them";
    // Start at logon for every user, for this user, and for two other users logged on: one whose
    // value starts the program removed (written by hand, bare and in capitals), which goes, and one
    // whose value starts another copy of it elsewhere, which stays.
    const std::string command = "\"" + folder + "\\tallyq.exe\" /logon";
    const std::string otherUserRunKey = std::string(kOtherUser) + "\\" + kRunKey;
    const std::string thirdUserRunKey = std::string(kThirdUser) + "\\" + kRunKey;
    const std::string bareCommand = folder + "\\TALLYQ.EXE /logon";
    const std::string elsewhere = "\"D:\\Tools\\TallyQuill\\tallyq.exe\" /logon";
    ASSERT_TRUE(SetSystemText(HKEY_LOCAL_MACHINE, kRunKey, "TallyQuillRun", command));
    ASSERT_TRUE(SetSystemText(HKEY_CURRENT_USER, kRunKey, "TallyQuillRun", command));
    ASSERT_TRUE(SetSystemText(HKEY_USERS, otherUserRunKey.c_str(), "TallyQuillRun", bareCommand));
    ASSERT_TRUE(SetSystemText(HKEY_USERS, thirdUserRunKey.c_str(), "TallyQuillRun", elsewhere));
    ASSERT_TRUE(UninstallAnswering(IDYES, nullptr, true));
    EXPECT_EQ("", Leftovers());
    EXPECT_TRUE(SystemTextIsSet(HKEY_LOCAL_MACHINE, kSettingsKey, "HotKeyOn")) << "Settings stay";
    EXPECT_TRUE(SystemTextIs(HKEY_LOCAL_MACHINE, kFoldersKey, "ProgramFiles", folder)) << "Folders stay";
    EXPECT_TRUE(SystemTextIs(HKEY_LOCAL_MACHINE, kFoldersKey, "DataFiles", folder));
    EXPECT_TRUE(ValueIsGone(HKEY_LOCAL_MACHINE, kRunKey, "TallyQuillRun")) << "nothing starts it for every user";
    EXPECT_TRUE(ValueIsGone(HKEY_CURRENT_USER, kRunKey, "TallyQuillRun")) << "nor for this user";
    EXPECT_TRUE(ValueIsGone(HKEY_USERS, otherUserRunKey.c_str(), "TallyQuillRun")) << "nor for another user logged on";
    EXPECT_TRUE(SystemTextIs(HKEY_USERS, thirdUserRunKey.c_str(), "TallyQuillRun", elsewhere))
        << "a value that starts another copy stays";
    std::vector<std::string> copies = CopyFolders();
    ASSERT_EQ(1u, copies.size()) << "one copy, in a folder of its own";
    EXPECT_TRUE(FileIsThere(copies[0] + "\\uninst.exe")) << "the copy stays (until the system restarts)";
}

TEST_F(UninstallTest, ARunningCopyIsAskedToCloseFirst) {
    // With its hot key off, the running copy ends on the uninstaller's Close, and everything goes.
    ASSERT_TRUE(SetSystemText(HKEY_LOCAL_MACHINE, kSettingsKey, "HotKeyOn", "0"));
    ProgramUnderTest program;
    ASSERT_TRUE(Started(program, "", folder + "\\tallyq.exe"));
    ASSERT_TRUE(WindowIsThere(program.WaitForDialog(), "the program's dialog"));
    ASSERT_TRUE(UninstallAnswering(IDYES));
    EXPECT_EQ(0, program.WaitForExit()) << "the copy ended";
    EXPECT_EQ("", Leftovers());
}

TEST_F(UninstallTest, ACopyHidingInTheTrayIsEndedFirstAndEverythingGoes) {
    ASSERT_TRUE(SetSystemText(HKEY_LOCAL_MACHINE, kSettingsKey, "HotKeyOn", "1"));
    ProgramUnderTest program;
    ASSERT_TRUE(Started(program, "", folder + "\\tallyq.exe"));
    ASSERT_TRUE(WindowIsThere(program.WaitForDialog(), "the program's dialog"));
    program.Click(IDC_CLOSE_BUTTON);
    ASSERT_TRUE(WaitFor([&] { return !program.Visible(); })) << "the copy hides in the tray";
    program.SetText(IDC_FIXED_COST, "7.25");
    std::string following;
    ASSERT_TRUE(UninstallAnswering(IDYES, &following));
    EXPECT_EQ("", following) << "nothing stayed";
    EXPECT_EQ(0, program.WaitForExit()) << "the copy was ended as its tray menu's Exit ends it";
    EXPECT_TRUE(SystemTextIs(HKEY_LOCAL_MACHINE, kSettingsKey, "FixedCostAmount", "7.25")) << "and saved its settings";
    EXPECT_EQ("", Leftovers());
}

TEST_F(UninstallTest, WhatCouldNotBeRemovedIsNamed) {
    // Another program holds a file open, and a sub-folder holds a file of the user's.
    HANDLE hHeld = INVALID_HANDLE_VALUE;
    ASSERT_TRUE(HeldOpen(folder + "\\banner.htm", &hHeld));
    std::string extra = folder + "\\extra";
    ASSERT_TRUE(FolderMade(extra));
    ASSERT_TRUE(WriteBytes(extra + "\\note.txt", Bytes(5, 'n')));
    std::string following;
    ASSERT_TRUE(UninstallAnswering(IDYES, &following));
    CloseHandle(hHeld);
    EXPECT_NE(std::string::npos, following.find("could not be deleted")) << following;
    EXPECT_NE(std::string::npos, following.find(folder)) << following;
    EXPECT_NE(std::string::npos, following.find("banner.htm")) << following;
    EXPECT_NE(std::string::npos, following.find("extra")) << following;
    EXPECT_EQ(std::string::npos, following.find("tallyq.hlp")) << "only what stayed is named: " << following;
    EXPECT_TRUE(FileIsThere(extra + "\\note.txt"));
    EXPECT_TRUE(FileIsGone(folder + "\\tallyq.hlp"));
    EXPECT_TRUE(FolderHolds(folder, {"banner.htm"})) << "the files beside it are gone";
    EXPECT_TRUE(FileIsGone(DesktopShortcut()));
    EXPECT_TRUE(FolderIsGone(StartMenuGroup()));
    DeleteFileA((extra + "\\note.txt").c_str());
    RemoveDirectoryA(extra.c_str());
}

TEST_F(UninstallTest, AMissingInstallFolderIsMadeAgainAndRemoved) {
    std::string elsewhere = ScratchFolder() + "uninst.exe";
    ASSERT_TRUE(FileCopied(folder + "\\uninst.exe", elsewhere));
    for (const std::string& name : FilesIn(folder)) DeleteFileA((folder + "\\" + name).c_str());
    ASSERT_TRUE(Succeeded("removing the folder " + folder, [&] { return RemoveDirectoryA(folder.c_str()) != FALSE; }));

    ProgramUnderTest uninstaller;
    ASSERT_TRUE(Started(uninstaller, "/uninstall", elsewhere));
    Question question = WaitForQuestion();
    ASSERT_TRUE(WindowIsShown(question.hwndBox, "the uninstaller's question"));
    EXPECT_TRUE(FolderIsThere(folder)) << "made again at start";
    EXPECT_TRUE(Answer(question, IDYES));
    EXPECT_EQ("", Leftovers());
    DeleteFileA(elsewhere.c_str());
}

TEST_F(UninstallTest, InstallingAgainAfterAnUninstallLeavesTheSameState) {
    ASSERT_TRUE(UninstallAnswering(IDYES));
    EXPECT_EQ("", Leftovers());
    ASSERT_TRUE(InstallThroughTheEngine());
    EXPECT_EQ("", Differences(installed, CurrentInstallation()));
}

namespace {

std::string MakeFolder(const std::string& path, std::initializer_list<const char*> files) {
    CreateDirectoryA(path.c_str(), nullptr);
    for (const char* szName : files) WriteBytes(path + "\\" + szName, Bytes(3, 'f'));
    return path;
}

}  // namespace

TEST(DeleteFolderAndFiles, FilesGoAndFoldersStay) {
    std::string scratch = ScratchFolder();
    std::string plain = MakeFolder(scratch + "plain", {"a.txt", "b", ".hidden-not"});
    DeleteFileA((plain + "\\.hidden-not").c_str());
    EXPECT_TRUE(DeleteFolderAndFiles(plain.c_str())) << plain << " holds only files: it returns that something stayed";
    EXPECT_TRUE(FolderIsGone(plain));

    std::string nested = MakeFolder(scratch + "nested", {"a.txt", "b.txt"});
    MakeFolder(nested + "\\sub", {"c.txt"});
    EXPECT_FALSE(DeleteFolderAndFiles(nested.c_str())) << nested << " keeps its sub-folder: it returns all went";
    EXPECT_TRUE(FolderHolds(nested, {}));
    EXPECT_TRUE(FileIsThere(nested + "\\sub\\c.txt"));
    DeleteFileA((nested + "\\sub\\c.txt").c_str());
    RemoveDirectoryA((nested + "\\sub").c_str());
    RemoveDirectoryA(nested.c_str());

    // A name that begins with a dot is never deleted, and keeps the folder.
    std::string dotted = MakeFolder(scratch + "dotted", {".keep", "x"});
    EXPECT_FALSE(DeleteFolderAndFiles(dotted.c_str())) << dotted << " keeps .keep: it returns all went";
    EXPECT_TRUE(FileIsThere(dotted + "\\.keep"));
    EXPECT_TRUE(FileIsGone(dotted + "\\x"));
    DeleteFileA((dotted + "\\.keep").c_str());
    RemoveDirectoryA(dotted.c_str());

    EXPECT_FALSE(DeleteFolderAndFiles((scratch + "missing").c_str())) << "a missing folder: it returns all went";
}

TEST(DeleteFolderAndFiles, APathThatDoesNotFitDeletesNothing) {
    std::string real = MakeFolder(ScratchFolder() + "long", {"a.txt"});
    // The same folder, spelled with "\." steps until the text no longer fits 259 characters.
    std::string spelled = real;
    while (spelled.size() < 257) spelled += "\\.";
    EXPECT_FALSE(DeleteFolderAndFiles(spelled.c_str())) << spelled.size() << " characters: it returns all went";
    EXPECT_TRUE(FileIsThere(real + "\\a.txt")) << "nothing deleted";

    // A folder path that fits, with a file whose full path would not: the file is left alone
    // rather than deleted under a cut name.
    std::wstring wideFolder(real.begin(), real.end());
    while (wideFolder.size() < 240) wideFolder += L"\\.";
    std::wstring longName(40, L'n');
    HANDLE hFile = INVALID_HANDLE_VALUE;
    ASSERT_TRUE(Succeeded("making a file of a 40-character name in " + real, [&] {
        hFile = CreateFileW((std::wstring(real.begin(), real.end()) + L"\\" + longName).c_str(), GENERIC_WRITE, 0,
                            nullptr, CREATE_ALWAYS, 0, nullptr);
        return hFile != INVALID_HANDLE_VALUE;
    }));
    CloseHandle(hFile);
    std::string narrowFolder(wideFolder.begin(), wideFolder.end());
    EXPECT_FALSE(DeleteFolderAndFiles(narrowFolder.c_str())) << "a file's path does not fit: it returns all went";
    EXPECT_TRUE(FileIsGone(real + "\\a.txt")) << "the short name went";
    EXPECT_TRUE(FileIsThere(real + "\\" + std::string(40, 'n'))) << "the long one stays";
    DeleteFileA((real + "\\" + std::string(40, 'n')).c_str());
    RemoveDirectoryA(real.c_str());
}
