// What an installation of TallyQuill consists of, as the tests find it in the prefix: the install
// folder, shortcuts, the Uninstall entry; and running the real setup file through its pages.
#pragma once
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "tests/wine/program_driver.h"

typedef std::vector<unsigned char> Bytes;

bool ReadBytes(const std::string& path, Bytes* pBytes);
bool WriteBytes(const std::string& path, const Bytes& bytes);
bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);
// The names of the files directly in a folder.
std::vector<std::string> FilesIn(const std::string& folder);

// A text value of the registry; "" when missing.
std::string SystemText(HKEY hRoot, const char* szKey, const char* szName);
bool SetSystemText(HKEY hRoot, const char* szKey, const char* szName, const std::string& text);
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
bool ReadPackedProgram(Bytes* pProgram);
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
    bool AgreeAndNext();
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
