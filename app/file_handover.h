// A start of the program with file names, as Windows makes one when files are dropped on its
// shortcut or opened with it: the names are made absolute at once, and a running copy is handed
// them with WM_COPYDATA rather than being asked to read the clipboard again.
#pragma once
#include <windows.h>

#include "app/file_list.h"

// WM_COPYDATA's dwData for a hand-over ("TQF2"), and the most it may carry: the start's time
// (GetTickCount's) as a DWORD, the count of names the start left out past the limit as a DWORD,
// then the names, each ended by a zero unit.
const ULONG_PTR kFilesHandOver = 0x54514632;
const DWORD kMaxHandOverBytes = 8u << 20;
const DWORD kHandOverHeaderBytes = 2 * sizeof(DWORD);

struct HandedFiles {
    DWORD dwStartTick;
    DWORD nLeftOut;
    const wchar_t* pNames;
    size_t nUnits;
};

// The hand-over a running copy received, checked: false when the data is not one.
inline bool ReadHandOver(const COPYDATASTRUCT* pData, HandedFiles* pFiles) {
    if (pData->dwData != kFilesHandOver || pData->lpData == nullptr || pData->cbData < kHandOverHeaderBytes ||
        pData->cbData > kMaxHandOverBytes || (pData->cbData - kHandOverHeaderBytes) % sizeof(wchar_t) != 0) {
        return false;
    }
    const BYTE* pBytes = static_cast<const BYTE*>(pData->lpData);
    CopyMemory(&pFiles->dwStartTick, pBytes, sizeof(DWORD));
    CopyMemory(&pFiles->nLeftOut, pBytes + sizeof(DWORD), sizeof(DWORD));
    pFiles->pNames = reinterpret_cast<const wchar_t*>(pBytes + kHandOverHeaderBytes);
    pFiles->nUnits = (pData->cbData - kHandOverHeaderBytes) / sizeof(wchar_t);
    return true;
}

// The file names among the arguments (every one that is not a switch), absolute against the
// current directory, which the start has not changed yet.
void ReadStartFiles(FileList* pFiles);

// The running copy's window. A copy that is starting (its start made, its window not yet) is
// waited for, up to 10 s; the first start marks itself as starting from here on.
HWND FindOrAwaitRunningCopy();

// Hands the names to the running copy, which takes a copy of them and answers at once; true when
// it did, else false with the reason in szReason (nReasonUnits units). dwStartTick: when this
// start was made.
bool HandFilesTo(HWND hwndRunning, const FileList& files, DWORD dwStartTick, wchar_t* szReason, size_t nReasonUnits);

// Tells the user, in a message box, that the running copy did not take the files, and why.
void SayFilesNotTaken(const wchar_t* szReason);
