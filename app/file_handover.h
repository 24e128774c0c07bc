// A start of the program with file names, as Windows makes one when files are dropped on its
// shortcut or opened with it: the names are made absolute at once, and a running copy is handed
// them with WM_COPYDATA rather than being asked to read the clipboard again.
#pragma once
#include <windows.h>

#include "app/file_list.h"

// WM_COPYDATA's dwData for a packed list of file names ("TQF1"), and the most it may carry.
const ULONG_PTR kFilesHandOver = 0x54514631;
const DWORD kMaxHandOverBytes = 8u << 20;

// The file names among the arguments (every one that is not a switch), absolute against the
// current directory, which the start has not changed yet.
void ReadStartFiles(FileList* pFiles);

// The running copy's window. A copy that is starting (its start made, its window not yet) is
// waited for, up to 10 s; the first start marks itself as starting from here on.
HWND FindOrAwaitRunningCopy();

// Hands the names to the running copy, which takes a copy of them and answers at once; true when
// it did.
bool HandFilesTo(HWND hwndRunning, const FileList& files);
