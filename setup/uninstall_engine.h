// The uninstall as a transaction of its own: the shortcuts, the Uninstall entry, the start-at-logon
// values that start the program, the install folder with its files and the maker's folder when it
// is empty. The settings and the "Folders" values stay. It shows and asks nothing itself: what
// stayed is told by its front ends, the progress window's message or the silent run's exit code.
#pragma once
#include <stddef.h>

#include "setup/missed_steps.h"

class Registration;

class UninstallEngine {
public:
    explicit UninstallEngine(Registration* pRegistration) : pRegistration(pRegistration) {}

    // Each shortcut and registry value that stays is a missed step; files that stay are found in
    // the folder afterwards (ListWhatStayed).
    void RemoveInstallation();
    const MissedSteps& Stayed() const { return stayed; }

    // The install folder named by "ProgramFiles" of the "Folders" section; empty when none is.
    static void RegisteredInstallFolder(char* szFolder, size_t cbFolder);
    // Deletes the folder named by a value of the "Folders" section, with the files in it.
    static void DeleteRegisteredFolder(const char* szValueName);
    // After the removal: the install folder and what is still in it, one line each; false when the
    // folder is gone.
    static bool ListWhatStayed(char* szStayed, size_t cbStayed);
    // Whether nothing of the installation stayed in szFolder but the uninstaller "uninst.exe".
    static bool OnlyUninstallerStayed(const char* szFolder);
    // The maker's folder below Program Files, which goes only when nothing else of the maker's is in
    // it.
    static void RemoveMakerFolder();

private:
    void DeleteShortcut(const char* szWhat, const char* szShortcut);

    Registration* pRegistration;
    MissedSteps stayed;
};
