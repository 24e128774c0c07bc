// The install as a transaction of its own. First the checks that can refuse it, before anything
// changes: the setup file whole and its payload summing to its checksum, and an install folder
// that only administrators may change. Then the install folder and its "Folders" values; the
// payload staged beside the files it replaces, summed again as it is written, and put in place
// together with the uninstaller made from it; last the shortcuts and the Uninstall entry, each step
// that could not be done kept for the end. It shows and asks nothing itself: the progress window
// and the silent run are its front ends, and tell its outcome.
#pragma once
#include <windows.h>

#include "setup/missed_steps.h"
#include "setup/setup_layout.h"
#include "setup/staged_files.h"
#include "support/owned_handle.h"
#include "support/path_text.h"

class Registration;
class SetupProgress;

class InstallEngine {
public:
    // szSourcePath: the setup file whose payload is installed (the running executable).
    InstallEngine(const char* szSourcePath, Registration* pRegistration);

    // The trailer's sizes against the file and the whole payload against the checksum; false
    // (kExitDamaged) when the file is damaged or cannot be read. The file stays open for the
    // extraction, so that it cannot be swapped between the check and the extraction.
    bool CheckSetupFile();
    // Works out the install folder without making it; false (kExitFileFailure) when it is a
    // fall-back folder that is there already and that others than administrators may change.
    bool CheckInstallFolder();
    // Makes the install folder and writes its "Folders" values; a value that could not be written
    // is a missed step.
    void MakeInstallFolder();
    // Stages, extracts and puts the files in place, telling pProgress; false when cancelled
    // (kExitCancelled) or failed (kExitDamaged, or kExitFileFailure with FailedPath). A failure
    // or a cancel leaves an earlier installation as it was.
    bool PutFilesInPlace(SetupProgress* pProgress);
    // The start-menu shortcuts, the desktop shortcut and the Uninstall entry; each that could not
    // be made is a missed step, and the install then ends with kExitFileFailure.
    void Register();

    const char* InstallFolder() const { return szInstallPath; }
    void SetInstallFolder(const char* szFolder);
    int ExitCode() const { return nExitCode; }
    const char* FailedPath() const { return szFailedPath; }
    DWORD FailedError() const { return dwFailedError; }
    const MissedSteps& Missed() const { return missed; }

private:
    bool StageFiles();
    bool ExtractFiles(SetupProgress* pProgress);
    bool CommitFiles();
    // A failure of a file: its path and the system's reason, as kExitFileFailure.
    void FailFile(const char* szPath, DWORD dwError);
    void MakeShortcut(const char* szWhat, const char* szShortcut, const char* szTarget);

    Registration* pRegistration;
    char szSourcePath[kPathBufferSize];
    char szInstallPath[kPathBufferSize];
    bool bFallBackFolder;
    LOwnedHandle source;
    ExtractionPlan plan;
    StagedFiles staged;
    int nProgram;
    int nUninstaller;
    int nExitCode;
    char szFailedPath[kPathBufferSize];
    DWORD dwFailedError;
    MissedSteps missed;
};
