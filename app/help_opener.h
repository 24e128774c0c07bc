// The program's guide: the WinHelp file where the system has the WinHelp viewer (Windows XP and
// earlier), else the same guide as an HTML page in the default browser.
#pragma once
#include <windows.h>

// Opens the guide at its contents, from the program's folder; a guide that cannot be shown is
// said in a message owned by hwndOwner.
void OpenHelpContents(HWND hwndOwner);
