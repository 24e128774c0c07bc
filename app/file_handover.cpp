#include "app/file_handover.h"

#include <shellapi.h>

#include "support/file_names.h"
#include "support/program_window.h"
#include "support/system_error_text.h"

namespace {
const char kStartingMutex[] = "TallyQuill Program Started";
const DWORD kStartingWaitMs = 10000;
const DWORD kStartingPollMs = 50;
const UINT kHandOverTimeoutMs = 10000;
const wchar_t kNotTakenText[] = L"TallyQuill is running but did not take the files: ";
// Not the main dialog's title, which a later start looks for.
const wchar_t kNotTakenCaption[] = L"Open with TallyQuill";
const wchar_t kNoAnswerText[] = L"it did not answer in time (it is busy, or not responding). "
                                L"Try again in a moment.";
const wchar_t kRefusedText[] = L"it did not accept them: it may be another version. "
                               L"Close it and start TallyQuill again.";
const wchar_t kTooManyNamesText[] = L"their names take more than 8 MB.";
}  // namespace

void ReadStartFiles(FileList* pFiles) {
    int nArgs = 0;
    LPWSTR* pszArgs = CommandLineToArgvW(GetCommandLineW(), &nArgs);
    if (pszArgs == nullptr) return;
    for (int i = 1; i < nArgs; ++i) {
        const wchar_t* szArg = pszArgs[i];
        if (szArg[0] == L'/' || szArg[0] == L'\0') continue;
        // The first call tells the full path's size, its ending zero included.
        DWORD nFull = GetFullPathNameW(szArg, 0, nullptr, nullptr);
        wchar_t* szFull =
            nFull > 0 ? static_cast<wchar_t*>(HeapAlloc(GetProcessHeap(), 0, nFull * sizeof(wchar_t))) : nullptr;
        DWORD n = szFull != nullptr ? GetFullPathNameW(szArg, nFull, szFull, nullptr) : 0;
        pFiles->Add(n > 0 && n < nFull ? szFull : szArg);
        if (szFull != nullptr) HeapFree(GetProcessHeap(), 0, szFull);
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

bool HandFilesTo(HWND hwndRunning, const FileList& files, DWORD dwStartTick, wchar_t* szReason, size_t nReasonUnits) {
    DWORD cbNames = static_cast<DWORD>(files.PackedUnits() * sizeof(wchar_t));
    if (files.PackedUnits() > (kMaxHandOverBytes - kHandOverHeaderBytes) / sizeof(wchar_t)) {
        lstrcpynW(szReason, kTooManyNamesText, static_cast<int>(nReasonUnits));
        return false;
    }
    BYTE* pBlock = static_cast<BYTE*>(HeapAlloc(GetProcessHeap(), 0, kHandOverHeaderBytes + cbNames));
    if (pBlock == nullptr) {
        SystemErrorText(ERROR_NOT_ENOUGH_MEMORY, szReason, nReasonUnits);
        return false;
    }
    DWORD nLeftOut = static_cast<DWORD>(files.LeftOut());
    CopyMemory(pBlock, &dwStartTick, sizeof(DWORD));
    CopyMemory(pBlock + sizeof(DWORD), &nLeftOut, sizeof(DWORD));
    CopyMemory(pBlock + kHandOverHeaderBytes, files.Packed(), cbNames);
    COPYDATASTRUCT data;
    data.dwData = kFilesHandOver;
    data.cbData = kHandOverHeaderBytes + cbNames;
    data.lpData = pBlock;
    DWORD_PTR dwAnswer = 0;
    SetLastError(ERROR_SUCCESS);
    LRESULT nSent = SendMessageTimeoutW(hwndRunning, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                                        SMTO_ABORTIFHUNG, kHandOverTimeoutMs, &dwAnswer);
    DWORD dwError = GetLastError();
    HeapFree(GetProcessHeap(), 0, pBlock);
    if (nSent != 0 && dwAnswer == TRUE) return true;
    // A copy that is hung or busy past the time-out gives no error or the time-out's; one the
    // system keeps apart (a higher integrity level) gives its own.
    if (nSent != 0) {
        lstrcpynW(szReason, kRefusedText, static_cast<int>(nReasonUnits));
    } else if (dwError == ERROR_SUCCESS || dwError == ERROR_TIMEOUT) {
        lstrcpynW(szReason, kNoAnswerText, static_cast<int>(nReasonUnits));
    } else {
        SystemErrorText(dwError, szReason, nReasonUnits);
    }
    return false;
}

void SayFilesNotTaken(const wchar_t* szReason) {
    wchar_t szText[sizeof(kNotTakenText) / sizeof(wchar_t) + 300];
    const int nText = sizeof(szText) / sizeof(szText[0]);
    lstrcpynW(szText, kNotTakenText, nText);
    int n = lstrlenW(szText);
    lstrcpynW(szText + n, szReason, nText - n);
    MessageBoxW(nullptr, szText, kNotTakenCaption, MB_OK | MB_ICONWARNING | MB_SETFOREGROUND);
}
