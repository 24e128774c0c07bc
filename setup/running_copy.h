// The running copies of the program, as the installer and the uninstaller meet them: a copy whose
// hot key is on only hides on Close, so it is ended the way its tray menu's Exit ends it.
#pragma once
#include <windows.h>

// Asks every running copy to end as its tray menu's Exit does (it saves its settings), and waits
// for each process to end, at most dwBoundMs for each. True when none runs any more.
bool EndRunningCopies(DWORD dwBoundMs);

// How long a running copy may take to save its settings and end.
const DWORD kRunningCopyEndMs = 20000;

// What the install and the uninstall do before they change a file: EndRunningCopies with
// kRunningCopyEndMs, and where a copy still runs, "TallyQuill is still running" with how to go on
// with the setup or the uninstall (szWhat), in a box owned by hwndOwner (may be null). True when
// none runs any more.
bool EndRunningCopiesOrSay(HWND hwndOwner, const char* szCaption, const char* szWhat);
