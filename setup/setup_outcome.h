// How a setup or an uninstall ended, and the switches that change how it runs. Started with "/S",
// the setup file and the uninstaller show nothing and end with one of these codes, so that IT tools
// and package managers can tell the failures apart; without it they end with 0, whatever happened.
#pragma once

enum SetupExitCode {
    kExitDone = 0,
    kExitCancelled = 1,       // the terms declined or the window closed: never under "/S"
    kExitDamaged = 2,         // the setup file is damaged, or cannot be read
    kExitStillRunning = 3,    // TallyQuill is running and did not end when asked
    kExitFileFailure = 4,     // a file or folder could not be written, or could not be removed
    kExitRightsRefused = 5,   // administrator rights were not granted
};

struct SetupSwitches {
    bool bSilent;         // "/S", exactly so: no window, no question, no program started
    bool bElevatedCopy;   // "/elevated": started through "runas" by a setup or uninstaller that was
                          // not elevated, which waits for its exit code and starts the program itself
};

// The switches among the arguments (pszArgs[0] is the program's path); *pnOthers (may be null)
// counts the arguments that are neither.
SetupSwitches ReadSetupSwitches(int nArgs, char** pszArgs, int* pnOthers);

extern const char kSilentSwitch[];
extern const char kElevatedCopySwitch[];
