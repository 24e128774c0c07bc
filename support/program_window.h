// How another process finds the program's main dialog: by its title among the system's dialog
// boxes. A later start hands its files to the copy it finds; the setup ends every copy it finds.
#pragma once
#include <windows.h>

// The main dialog of a running copy, or null.
HWND FindRunningCopy();
