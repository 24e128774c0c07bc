// Administrator rights for the setup and the uninstaller, asked for rather than guessed. They
// change Program Files and the machine's registry, which only an elevated process may do on
// Windows Vista and later; started without elevation, they start themselves again through "runas"
// (the system's consent prompt) and wait for that copy.
#pragma once
#include <windows.h>

#include "setup/setup_outcome.h"

// This process may change what an installation changes: its token is elevated, or the system has
// no elevation at all (before Vista, where the token cannot tell).
bool RunsElevated();
// This process runs with an elevated token on a system that has elevation: it must not start the
// program itself, which would then run with administrator rights (or as the administrator's account
// that a standard user typed the password of).
bool RunsWithElevatedToken();

// Limits the search for libraries loaded from now on to the system folder, where the system can do
// that (Windows 8, and Windows 7 and Vista with update KB2533623): a library of a system name put
// beside a downloaded setup file must not be loaded into a process that runs as administrator.
void LimitLibrarySearchToSystemFolder();

enum class SetupRole { kInstall, kUninstall };

// Where this process is not elevated and may be: starts szProgramPath again through "runas" with
// the same arguments and "/elevated", and waits for it. After an install that succeeded, this
// process starts the installed program itself, unless silent, so that it does not run elevated.
// Returns true when the work was done (or refused) that way, with *pnExitCode this process's exit
// code: any failure to start the elevated copy is a refusal ("/S": kExitRightsRefused). False when it
// is this process's own to do: it is elevated, or the system has no elevation.
bool RunElevatedCopy(SetupRole role, const char* szProgramPath, int nArgs, char** pszArgs, int* pnExitCode);
