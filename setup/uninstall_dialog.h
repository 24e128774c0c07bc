// UninstallDialog: removes what the install made. A running program cannot delete its own file, so
// the uninstaller first hands over to a copy of itself in a temporary folder, which asks and
// removes. Silent ("/S"), the uninstaller waits for the copy's answer and ends with it as its exit
// code, once everything but its own file and folder is gone; the copy removes those two after it.
#pragma once
#include "setup/install_dialog.h"
#include "setup/registration.h"
#include "setup/uninstall_engine.h"

class UninstallDialog : public InstallDialog {
public:
    // The command line as the entry point read it (nArgs arguments, the program's path first).
    // pRegistration: the steps of the removal, the system's own when null.
    UninstallDialog(const char* szTitle, int nArgs, char** pszArgs, Registration* pRegistration = nullptr);

    bool MainFunction() override;
    // Started without an argument: hands over to a copy of this file, which can delete it; false when
    // no copy could be made or started (this process then goes on itself).
    bool HandOverToCopy();
    // Removing the program from a folder that others may change is what is wanted.
    bool AcceptsFolderOthersMayChange() const override { return true; }
    // Shortcuts, the Uninstall entry, the start-at-logon values that start the program, the install
    // folder and the maker's folder when empty (the engine's removal). The settings and the
    // folders' values stay.
    void RemoveInstallation();
    // The copy started with "/uninstall <id>" waits for the uninstaller of that process id to end,
    // so that its file can be deleted.
    void WaitForHandingOverProcess();
    enum { kStayedTextSize = 1024 };

private:
    // Silent: starts the copy with its answer's pipe as its standard output, and takes the exit code
    // that the copy writes there (a copy that ends without answering is a failure).
    bool RunCopyForItsAnswer(const char* szCopy, const char* szArguments);
    // Silent, after the removal: the answer to the uninstaller that handed over, then, once it has
    // ended, its file and the install folder.
    void FinishSilently();

    // Started with an argument (any but the switches "/S" and "/elevated"): the go-ahead to ask and
    // remove, rather than hand over.
    bool bWithArgument;
    // The uninstaller that handed over, named by "/uninstall <id>"; 0 for none.
    DWORD dwHandingOverProcessId;
    Registration systemRegistration;
    UninstallEngine engine;
};

// The uninstall entry of the uninstaller, given the command line: administrator rights (it starts
// itself again elevated where it is not), the "Folders" values, then the progress window. Returns
// the process's exit code.
int RunUninstall(const char* szProgramPath, int nArgs, char** pszArgs);
