#include "app/file_handover.h"

#include <shellapi.h>

#include "setup/running_copy.h"

namespace {
const char kStartingMutex[] = "TallyQuill Program Started";
const DWORD kStartingWaitMs = 10000;
const DWORD kStartingPollMs = 50;
const UINT kHandOverTimeoutMs = 10000;
}  // namespace

void ReadStartFiles(FileList* pFiles) {
    int nArgs = 0;
    LPWSTR* pszArgs = CommandLineToArgvW(GetCommandLineW(), &nArgs);
    if (pszArgs == nullptr) return;
    for (int i = 1; i < nArgs; ++i) {
        const wchar_t* szArg = pszArgs[i];
        if (szArg[0] == L'/' || szArg[0] == L'\0') continue;
        wchar_t szFull[MAX_PATH * 4];
        DWORD n = GetFullPathNameW(szArg, sizeof(szFull) / sizeof(szFull[0]), szFull, nullptr);
        if (!pFiles->Add(n > 0 && n < sizeof(szFull) / sizeof(szFull[0]) ? szFull : szArg)) break;
    }
    LocalFree(pszArgs);
}

HWND FindOrAwaitRunningCopy() {
    // Held until this process ends: a later start that finds it and no window knows that this
    // one is making its window.
    HANDLE hStarted = CreateMutexA(nullptr, FALSE, kStartingMutex);
    bool bOtherStarted = hStarted != nullptr && GetLastError() == ERROR_ALREADY_EXISTS;
    HWND hwndRunning = FindRunningCopy();
    DWORD dwStart = GetTickCount();
    while (hwndRunning == nullptr && bOtherStarted && GetTickCount() - dwStart < kStartingWaitMs) {
        Sleep(kStartingPollMs);
        hwndRunning = FindRunningCopy();
    }
    return hwndRunning;
}

bool HandFilesTo(HWND hwndRunning, const FileList& files, DWORD dwStartTick) {
    DWORD cbNames = static_cast<DWORD>(files.PackedUnits() * sizeof(wchar_t));
    if (cbNames > kMaxHandOverBytes - sizeof(DWORD)) return false;
    BYTE* pBlock = static_cast<BYTE*>(HeapAlloc(GetProcessHeap(), 0, sizeof(DWORD) + cbNames));
    if (pBlock == nullptr) return false;
    CopyMemory(pBlock, &dwStartTick, sizeof(DWORD));
    CopyMemory(pBlock + sizeof(DWORD), files.Packed(), cbNames);
    COPYDATASTRUCT data;
    data.dwData = kFilesHandOver;
    data.cbData = sizeof(DWORD) + cbNames;
    data.lpData = pBlock;
    DWORD_PTR dwAnswer = 0;
    bool bTaken = SendMessageTimeoutW(hwndRunning, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG,
                                      kHandOverTimeoutMs, &dwAnswer) != 0 &&
                  dwAnswer == TRUE;
    HeapFree(GetProcessHeap(), 0, pBlock);
    return bTaken;
}
