// InstallDialog: the install proper, run inside the progress window. It shows the terms page,
// verifies the payload behind the program's own image, writes it into the install folder and
// registers the program with the shell (Finalize).
#pragma once
#include <stddef.h>
#include <windows.h>

#include "setup/progress_dialog.h"
#include "support/path_text.h"

struct ExtractionPlan;
struct InstallFileRow;
class LOwnedHandle;
class StagedFiles;

// The progress window's title, the uninstall's too.
extern const char kInstallTitle[];
// The program's registry section that names the install folder, as "ProgramFiles" and "DataFiles".
extern const char kFoldersSection[];

class InstallDialog : public LProgressDialog {
public:
    explicit InstallDialog(const char* szTitle);

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
    // The installed program "<install folder>\tallyq.exe", worked out as GetInstallProgramFilesPath
    // does but without making any folder; false when it does not fit.
    static bool InstalledProgramPath(char* szPath, size_t cbPath);
    // The install folder into szInstallPath and the "Folders" section, then the progress window,
    // owned by no window (or no window at all when silent): what the install and uninstall entries
    // share. False, with ShowUnsafeFolderMessage unless silent, when the install folder is one that
    // others may change and this run does not accept it; nothing is then written.
    bool RunInInstallFolder();
    // The install does not put the program in a folder that others may change; the uninstall
    // removes it from there all the same.
    virtual bool AcceptsFolderOthersMayChange() const { return false; }

    // Shortcuts and the Uninstall entry of the complete installation, then the program starts.
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
    bool bSilent;
    bool bStartsProgram;
    int nExitCode;

    // The steps of MainFunction, in the order it runs them. Each answers false when the install
    // stops there: cancelled, or refused with a message that says why. The setup file (source) is
    // let go before anything is said, so that it can be replaced while the message shows.
    bool AgreeToTerms();
    // The trailer's sizes against the file, and the whole payload against the checksum.
    bool CheckSetupFile(LOwnedHandle& source, ExtractionPlan* pPlan);
    // Every destination, and the uninstaller, noted and checked replaceable.
    bool StageFiles(LOwnedHandle& source, const ExtractionPlan& plan, StagedFiles* pStaged, int* pnProgram,
                    int* pnUninstaller);
    // The payload written beside the files it replaces and summed once more; the setup file is
    // closed once its bytes are read.
    bool ExtractFiles(LOwnedHandle& source, const ExtractionPlan& plan, StagedFiles* pStaged);
    // The uninstaller made from the program, both given their exe file types, and every file put in
    // place.
    bool PutFilesInPlace(StagedFiles* pStaged, int nProgram, int nUninstaller);
};

// The install entry of a setup file, given the command line: administrator rights (the setup starts
// itself again elevated where it is not), running copies ended, then the install folder, its
// "Folders" values and the progress window. Answers the process's exit code.
int RunInstall(const char* szProgramPath, int nArgs, char** pszArgs);

// "Installation file corrupt." with the caption "Install Error", owned by hwndOwner (may be null).
void ShowDamagedSetupMessage(HWND hwndOwner);

// The install folder szFolder was there already and others than administrators may change it:
// nothing was installed. With the caption "Install Error", owned by hwndOwner (may be null).
void ShowUnsafeFolderMessage(HWND hwndOwner, const char* szFolder);

// Where a payload file of the table goes in the install folder; false when the path does not fit.
bool GetDestinationPath(char* szPath, size_t cbPath, const char* szInstallPath, const InstallFileRow& row);

// One file of the install could not be written: names it and the system's reason, with the
// caption "Install Error".
void ShowFileFailure(HWND hwndOwner, const char* szPath, DWORD dwError);

// Starts a program by its path, quoted so that a path with blanks cannot start another program
// that a shorter prefix of it names; szArguments may be empty.
void StartProgram(const char* szPath, const char* szArguments);
