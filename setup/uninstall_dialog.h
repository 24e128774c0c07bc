// UninstallDialog: removes what the install made. A running program cannot delete its own file, so
// the uninstaller first hands over to a copy of itself in the temporary folder, which asks and
// removes.
#pragma once
#include "setup/install_dialog.h"

class UninstallDialog : public InstallDialog {
public:
    explicit UninstallDialog(const char* szTitle) : InstallDialog(szTitle) {}

    bool MainFunction() override;
    // Shortcuts, the Uninstall entry, the install folder and the maker's folder when empty. The
    // settings, the folders' values and the start-at-logon value stay.
    void RemoveInstallation();
    // The copy started with "/uninstall <id>" waits for the uninstaller of that process id to end,
    // so that its file can be deleted.
    static void WaitForHandingOverProcess();
    // After the removal: the install folder and what is still in it, one line each, at most
    // kStayedTextSize bytes; false when the folder is gone.
    enum { kStayedTextSize = 1024 };
    static bool ListWhatStayed(char* szStayed /* kStayedTextSize */);
    // Deletes the folder named by a value of the "Folders" section, with the files in it.
    static void DeleteRegisteredFolder(const char* szValueName);
};

// The uninstall entry of the uninstaller: the "Folders" values, then the progress window.
void RunUninstall();
