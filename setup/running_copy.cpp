#include "setup/running_copy.h"

#include <stdio.h>

#include "resources/tray_menu_ids.h"

namespace {
const char kMainDialogTitle[] = "TallyQuill";
const ATOM kDialogClassAtom = 0x8002;
// More windows than this after as many rounds: copies are being started as fast as they end.
const int kMaxRounds = 8;
}  // namespace

HWND FindRunningCopy() {
    return FindWindowA(reinterpret_cast<LPCSTR>(MAKEINTATOM(kDialogClassAtom)), kMainDialogTitle);
}

bool EndRunningCopies(DWORD dwBoundMs) {
    for (int nRound = 0; nRound < kMaxRounds; ++nRound) {
        HWND hwndRunning = FindRunningCopy();
        if (hwndRunning == nullptr) return true;
        DWORD dwProcessId = 0;
        GetWindowThreadProcessId(hwndRunning, &dwProcessId);
        // The process handle is taken before the request, so that its end cannot be missed.
        HANDLE hProcess = OpenProcess(SYNCHRONIZE, FALSE, dwProcessId);
        if (hProcess == nullptr) return false;
        bool bEnded = PostMessageA(hwndRunning, WM_COMMAND, MAKEWPARAM(IDM_TRAY_EXIT, 0), 0) &&
                      WaitForSingleObject(hProcess, dwBoundMs) == WAIT_OBJECT_0;
        CloseHandle(hProcess);
        if (!bEnded) return false;
    }
    return FindRunningCopy() == nullptr;
}

bool EndRunningCopiesOrSay(HWND hwndOwner, const char* szCaption, const char* szWhat) {
    if (EndRunningCopies(kRunningCopyEndMs)) return true;
    char szText[300];
    snprintf(szText, sizeof(szText),
              "TallyQuill is still running and did not close when asked.\n\nNothing was changed. Choose Exit in "
              "the menu of its tray icon, then start the %s again.",
              szWhat);
    MessageBoxA(hwndOwner, szText, szCaption, MB_OK | MB_ICONWARNING);
    return false;
}
