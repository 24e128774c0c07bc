// The installation's places in the shell and the system, a step at a time, each returning whether
// it was done: what the install makes once its files are in place, and what the uninstall takes
// away. Every step calls the system; a test derives from the class to make one of them fail.
#pragma once

class MissedSteps;

class Registration {
public:
    virtual ~Registration() {}

    // A shell link whose only setting is its target.
    virtual bool MakeShortcut(const char* szShortcut, const char* szTarget);
    // True when the file is gone: deleted, or not there.
    virtual bool DeleteShortcut(const char* szShortcut);
    // The entry "Uninstall\TallyQuill" of the installation in szInstallPath.
    virtual bool WriteUninstallEntry(const char* szInstallPath);
    virtual bool DeleteUninstallEntry();
    // "ProgramFiles" and "DataFiles" of the program's "Folders" section.
    virtual bool WriteFolders(const char* szInstallPath);
    // The start-at-logon values that start szProgramPath: the machine's, and each loaded user's
    // (HKEY_USERS). Each that stays is added to pMissed.
    virtual void DeleteRunValues(const char* szProgramPath, MissedSteps* pMissed);
};
