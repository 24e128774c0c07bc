#include "setup/running_copy.h"

#include <stdio.h>

#include "resources/tray_menu_ids.h"
#include "support/program_window.h"

namespace {
// More windows than this after as many rounds: copies are being started as fast as they end.
const int kMaxRounds = 8;
const DWORD kWindowPollMs = 50;

bool WaitForWindowToGo(HWND hwnd, DWORD dwBoundMs) {
    for (DWORD dwWaited = 0; IsWindow(hwnd); dwWaited += kWindowPollMs) {
        if (dwWaited >= dwBoundMs) return false;
        Sleep(kWindowPollMs);
    }
    return true;
}
}  // namespace

bool EndRunningCopies(DWORD dwBoundMs) {
    for (int nRound = 0; nRound < kMaxRounds; ++nRound) {
        HWND hwndRunning = FindRunningCopy();
        if (hwndRunning == nullptr) return true;
        DWORD dwProcessId = 0;
        GetWindowThreadProcessId(hwndRunning, &dwProcessId);
        // The process handle is taken before the request, so that its end cannot be missed. A copy
        // that this process may not open (one running as another account, or with rights this
        // process lacks) is asked all the same, and waited for by its window.
        HANDLE hProcess = OpenProcess(SYNCHRONIZE, FALSE, dwProcessId);
        bool bAsked = PostMessageA(hwndRunning, WM_COMMAND, MAKEWPARAM(IDM_TRAY_EXIT, 0), 0) != FALSE;
        bool bEnded = bAsked && (hProcess != nullptr ? WaitForSingleObject(hProcess, dwBoundMs) == WAIT_OBJECT_0
                                                     : WaitForWindowToGo(hwndRunning, dwBoundMs));
        if (hProcess != nullptr) CloseHandle(hProcess);
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
