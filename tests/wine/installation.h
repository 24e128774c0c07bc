// What an installation of TallyQuill consists of, as the tests find it in the prefix: the install
// folder, shortcuts, the Uninstall entry; and running the real setup file through its pages.
#pragma once
#include <windows.h>
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "tests/wine/program_driver.h"

typedef std::vector<unsigned char> Bytes;

// Reading and writing a whole file; a failure names the path and the system's error, so that a
// check of the step says what went wrong.
testing::AssertionResult ReadBytes(const std::string& path, Bytes* pBytes);
testing::AssertionResult WriteBytes(const std::string& path, const Bytes& bytes);
bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);
// The names of the files directly in a folder.
std::vector<std::string> FilesIn(const std::string& folder);

// A text value of the registry; "" when missing.
std::string SystemText(HKEY hRoot, const char* szKey, const char* szName);
testing::AssertionResult SetSystemText(HKEY hRoot, const char* szKey, const char* szName, const std::string& text);
// A REG_DWORD value; -1 when missing or of another type.
long long SystemNumber(HKEY hRoot, const char* szKey, const char* szName);

extern const char kCurrentVersionKey[];
extern const char kUninstallKey[];
// The Uninstall entry's values, texts and numbers.
extern const char* const kUninstallTexts[];
extern const char* const kUninstallNumbers[];
std::string ExpectedInstallFolder();   // "<ProgramFilesDir>\Kestrilon\TallyQuill"
std::string StartMenuGroup();          // "<Common Programs>\TallyQuill"
std::string DesktopShortcut();         // "<Common Desktop>\TallyQuill.lnk"
std::string ShortcutTarget(const std::string& shortcutPath);

std::string SetupFilePath();                     // TallyQuillSetup.exe as built
std::string PayloadPath(const std::string& name);  // a payload file as packed
// tallyq.exe as the setup file carries it and the install writes it, before its exe file type: the
// program as built, its PE checksum and security directory entry zero (which code signing the
// setup file fills in).
testing::AssertionResult ReadPackedProgram(Bytes* pProgram);
// The file offset of a byte in the middle of the program's resources (pictures and dialogs), 0 when
// it has none: a payload byte that is no code. A setup file runs its own image, payload file 1, so a
// byte changed in its code may end the process before the check can say anything.
size_t ResourceMiddle(const Bytes& program);

// Ends running copies and removes everything an install or the tests made, registry included.
void RemoveInstallation();

// The setup file (or a copy of it) running in its own process.
class SetupRun : public ProgramUnderTest {
public:
    // Waits for the terms page to be shown; null after the time is up.
    HWND WaitForTerms(unsigned nTimeoutMs = kPatienceMs);
    // Chooses "I agree" and presses Next on the shown terms page.
    testing::AssertionResult AgreeAndNext();
    HWND hwndTerms = nullptr;
};

// Installs with a setup file through its terms page; true when the setup process ended by itself
// and the installed program's window came up.
bool InstallWith(const std::string& setupPath);

// Everything an install leaves behind, to compare before and after.
struct InstallationState {
    std::map<std::string, Bytes> files;
    std::map<std::string, std::string> texts;  // shortcut targets and registry values
};
InstallationState CurrentInstallation();
// What differs from before to after, one line each: a file or text that came, went or changed (a
// file with its sizes and first differing offset); "" when nothing does. Checked as
// EXPECT_EQ("", Differences(before, CurrentInstallation())), a failure lists what changed.
std::string Differences(const InstallationState& before, const InstallationState& after);

// Checks that say what they found when they fail, as EXPECT_TRUE(FolderIsThere(folder)).

// A file, or a folder, at the path; a failure says what is there instead ("... is missing", "... is
// a folder, not a file").
testing::AssertionResult FileIsThere(const std::string& path);
testing::AssertionResult FolderIsThere(const std::string& path);
// No file, or no folder, at the path; a failure says what is still there (its size, or its files).
testing::AssertionResult FileIsGone(const std::string& path);
testing::AssertionResult FolderIsGone(const std::string& path);
// The files directly in a folder are exactly these, in any order (none: the folder may be missing
// too); a failure prints both lists.
testing::AssertionResult FolderHolds(const std::string& folder, std::vector<std::string> expected);
// The files of a complete installation: the payload and uninst.exe.
std::vector<std::string> InstalledFileNames();

// A registry value's text is the expected one ("" passes for a missing value too); a failure prints
// the key, the name and what the value is.
testing::AssertionResult SystemTextIs(HKEY hRoot, const char* szKey, const char* szName, const std::string& expected);
// A registry value with a text that is not empty.
testing::AssertionResult SystemTextIsSet(HKEY hRoot, const char* szKey, const char* szName);
// No registry value of that name, of any type.
testing::AssertionResult ValueIsGone(HKEY hRoot, const char* szKey, const char* szName);

// A window as a report shows it: class, title, process id, shown or hidden.
std::string WindowDescription(HWND hwnd);
// The window exists (what names it in the message); a failure lists the windows on the screen.
testing::AssertionResult WindowIsThere(HWND hwnd, const std::string& what);
// The window exists and is visible.
testing::AssertionResult WindowIsShown(HWND hwnd, const std::string& what);
// No such window: the handle found or kept is null; a failure describes the window it names.
testing::AssertionResult WindowIsGone(HWND hwnd, const std::string& what);

// The program still runs; a failure tells how it ended.
testing::AssertionResult ProcessRuns(const ProgramUnderTest& program);
// No process of that executable name (no folder) runs; a failure names the ones that do.
testing::AssertionResult NoProcessRuns(const char* szExeName);
// Starts a program as ProgramUnderTest::Start does; a failure names the path and the system's error.
testing::AssertionResult Started(ProgramUnderTest& program, const std::string& arguments, const std::string& path);

// Two byte strings are equal; a failure gives their sizes and the first offset where they differ.
testing::AssertionResult SameBytes(const Bytes& expected, const Bytes& found);

// A step's success as a check: call() runs a system call and returns whether it succeeded; a failure
// says what was done and the error the system set, read at once after the call.
template <typename Call>
testing::AssertionResult Succeeded(const std::string& what, Call call) {
    if (call()) return testing::AssertionSuccess();
    DWORD dwError = GetLastError();
    return testing::AssertionFailure() << what << " failed (error " << dwError << ")";
}
testing::AssertionResult FolderMade(const std::string& path);  // CreateDirectoryA with no descriptor
testing::AssertionResult FileCopied(const std::string& from, const std::string& to);
// Opens an existing file with no sharing, as another program holding it open; *phFile is closed by
// the caller.
testing::AssertionResult HeldOpen(const std::string& path, HANDLE* phFile);
