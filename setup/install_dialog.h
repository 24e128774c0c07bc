// InstallDialog: the install proper, run inside the progress window. It shows the terms page,
// verifies the payload behind the program's own image, writes it into the install folder and
// registers the program with the shell (Finalize).
#pragma once
#include <stdint.h>

#include "setup/progress_dialog.h"
#include "support/path_text.h"

// The progress window's title, the uninstall's too.
extern const char kInstallTitle[];

class InstallDialog : public LProgressDialog {
public:
    explicit InstallDialog(const char* szTitle);

    bool MainFunction() override;

    // The install folder: "<ProgramFilesDir>\Kestrilon\TallyQuill", else "C:\TallyQuill". A new
    // folder is made with the protection it inherits from its parent.
    static void GetInstallProgramFilesPath(char* szPath /* kPathBufferSize */);

    // Shortcuts and the Uninstall entry of the complete installation, then the program starts.
    void Finalize();
    static bool GetStartMenuGroupFolder(char* szFolder /* kPathBufferSize */);
    static void AddStartMenuItem(const char* szTarget, const char* szName);
    static void RemoveStartMenuItem(const char* szName);
    static void RemoveStartMenuGroup();
    static void GetDesktopShortcutPath(char* szPath /* kPathBufferSize */);
    static void CreateShortcut(const char* szShortcutPath, const char* szTarget);
    // Appends the 4-byte type to the file: each call makes it 4 bytes longer. False when the file
    // could not be written (GetLastError tells why).
    static bool SetExeFileType(const char* szPath, uint32_t nType);

    char szInstallPath[kPathBufferSize];
    // The setup file whose payload is installed: the running executable.
    char szSourcePath[kPathBufferSize];
};

// Reads a text value of at most cbMax bytes into szValue (kPathBufferSize bytes); false unless it is
// a text (REG_SZ or REG_EXPAND_SZ) that is not empty. One stored without its terminator is cut
// where it ends.
bool ReadSystemText(HKEY hRoot, const char* szKey, const char* szName, char* szValue, DWORD cbMax);

// The install entry of a setup file: install folder, its "Folders" values, then the progress window.
void RunInstall();

// "Installation file corrupt." with the caption "Install Error", owned by hwndOwner (may be null).
void ShowDamagedSetupMessage(HWND hwndOwner);

// One file of the install could not be written: names it and the system's reason, with the
// caption "Install Error".
void ShowFileFailure(HWND hwndOwner, const char* szPath, DWORD dwError);

// Starts a program by its path, quoted so that a path with blanks cannot start another program
// that a shorter prefix of it names; szArguments may be empty.
void StartProgram(const char* szPath, const char* szArguments);
