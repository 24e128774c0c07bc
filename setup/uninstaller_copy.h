// Where the uninstaller's copy runs from. The uninstaller cannot delete its own file while it runs,
// so it hands over to a copy of itself elsewhere; an elevated uninstaller's copy must sit where no
// program of the user can swap it before it starts.
#pragma once
#include <stddef.h>

// Copies szSource into a new folder of its own, below the system's temporary folder, that only
// Administrators and SYSTEM can change (an elevated process), or into the user's temporary folder
// (a process without elevation, which could not use such a folder). szCopy receives the copy's path.
bool MakeUninstallerCopy(const char* szSource, char* szCopy, size_t cbCopy);

// Whether szProgramPath is such a copy, in a folder of its own (which may then be removed).
bool IsInOwnCopyFolder(const char* szProgramPath);
