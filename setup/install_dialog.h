// InstallDialog: the install's front end in the progress window. It shows the terms page, runs the
// install engine's extraction and registration while the window shows their steps, and tells the
// outcome in a message owned by the window; silent, it shows nothing and the outcome is the exit
// code. The uninstaller derives from it.
#pragma once
#include <stddef.h>
#include <windows.h>

#include "setup/progress_dialog.h"
#include "support/path_text.h"

class InstallEngine;

// The progress window's title, the uninstall's too.
extern const char kInstallTitle[];

class InstallDialog : public LProgressDialog {
public:
    // pEngine: the install that MainFunction runs; the uninstaller has none.
    explicit InstallDialog(const char* szTitle, InstallEngine* pEngine = nullptr);

    bool MainFunction() override;

    // Silent: no window and no message at all, the terms taken as accepted ("/S"). A failure is
    // then told only by ExitCode.
    void SetSilent(bool bQuiet) { bSilent = bQuiet; }
    // Whether the install ends by starting the installed program (a normal install does; a silent
    // one, and an elevated copy whose caller starts it, do not).
    void SetStartsProgram(bool bStarts) { bStartsProgram = bStarts; }
    // How the run ended, as the process's exit code under "/S": kExitDone or the failure's code.
    int ExitCode() const { return nExitCode; }

    // The install folder: "<ProgramFilesDir>\Kestrilon\TallyQuill", made with the protection it
    // inherits from Program Files; else "C:\TallyQuill", made with a protection of its own
    // (MakeProtectedFolder). False when that fall-back folder was there already and others than
    // administrators may change it.
    static bool GetInstallProgramFilesPath(char* szPath, size_t cbPath);
    // The install folder into szInstallPath and the "Folders" section, then the progress window,
    // owned by no window (or no window at all when silent): the uninstall entry's way in. False,
    // with ShowUnsafeFolderMessage unless silent, when the install folder is one that others may
    // change and this run does not accept it; nothing is then written.
    bool RunInInstallFolder();
    // The install does not put the program in a folder that others may change; the uninstall
    // removes it from there all the same.
    virtual bool AcceptsFolderOthersMayChange() const { return false; }
    // Opens the progress window (or none when silent) in the install folder the engine made.
    void RunWindow();

    // Shortcuts and the Uninstall entry of the complete installation, what could not be made
    // named in one message, then the program starts.
    void Finalize();

    char szInstallPath[kPathBufferSize];
    // The setup file whose payload is installed: the running executable.
    char szSourcePath[kPathBufferSize];

protected:
    // A failure of the run, as its exit code and, unless silent, as a message owned by the window.
    void SayDamaged();
    void SayFileFailure(const char* szPath, DWORD dwError);
    void SetExitCode(int nCode) { nExitCode = nCode; }
    bool IsSilent() const { return bSilent; }

private:
    InstallEngine* pEngine;
    bool bSilent;
    bool bStartsProgram;
    int nExitCode;

    bool AgreeToTerms();
};

// The install entry of a setup file, given the command line: administrator rights (the setup starts
// itself again elevated where it is not); the checks that can refuse the install, before anything
// changes; running copies ended; then the install folder, its "Folders" values and the progress
// window. Returns the process's exit code.
int RunInstall(const char* szProgramPath, int nArgs, char** pszArgs);

// "Installation file corrupt." with the caption "Install Error", owned by hwndOwner (may be null).
void ShowDamagedSetupMessage(HWND hwndOwner);

// The install folder szFolder was there already and others than administrators may change it:
// nothing was installed. With the caption "Install Error", owned by hwndOwner (may be null).
void ShowUnsafeFolderMessage(HWND hwndOwner, const char* szFolder);

// One file of the install could not be written: names it and the system's reason, with the
// caption "Install Error".
void ShowFileFailure(HWND hwndOwner, const char* szPath, DWORD dwError);
