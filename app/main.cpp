// The entry point: one executable is the pricing tool, its own setup file and its own uninstaller.
// The last four bytes of the file (before its code signature, where it has one) and its name decide
// which, and a running copy is handed the start.
#include <string.h>
#include <windows.h>

#include "app/file_handover.h"
#include "app/file_list.h"
#include "app/system_code_pages.h"
#include "app/word_count_dialog.h"
#include "resources/main_dialog_ids.h"
#include "setup/exe_type.h"
#include "setup/install_dialog.h"
#include "setup/setup_file.h"
#include "setup/setup_outcome.h"
#include "setup/uninstall_dialog.h"
#include "support/path_text.h"

namespace {

// A start at logon (the Run value's "/logon") rather than by hand.
bool IsLogonStart(int nArgs, char** pszArgs) { return nArgs >= 2 && strcmp(pszArgs[1], "/logon") == 0; }

// Lets another process take the foreground, which Windows otherwise refuses to a process in the
// background. Looked up rather than imported: Windows 95 and NT 4 have no such call (and let any
// process take the foreground).
void AllowForeground(DWORD dwProcessId) {
    typedef BOOL(WINAPI * AllowSetForegroundWindowFn)(DWORD);
    HMODULE hUser = GetModuleHandleA("user32.dll");
    FARPROC pfnFound = hUser != nullptr ? GetProcAddress(hUser, "AllowSetForegroundWindow") : nullptr;
    if (pfnFound == nullptr) return;
    AllowSetForegroundWindowFn pfnAllow;
    memcpy(&pfnAllow, &pfnFound, sizeof(pfnAllow));
    pfnAllow(dwProcessId);
}

}  // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int) {
    hProgramInstance = hInstance;
    // Documents in any code page the system has are read through its converters.
    UseSystemCodePages();
    // The command line is read here alone, and handed to the parts that take it.
    int nArgs = __argc;
    char** pszArgs = __argv;

    // File names are made absolute before the current directory changes.
    DWORD dwStartTick = GetTickCount();
    FileList startFiles;
    ReadStartFiles(&startFiles);

    char szProgramPath[kPathBufferSize] = "";
    GetModuleFileNameA(nullptr, szProgramPath, sizeof(szProgramPath));
    char szFolder[kPathBufferSize];
    LFile::_GetFolderFromPath(szFolder, szProgramPath);
    SetCurrentDirectoryA(szFolder);

    uint32_t nExeType = ReadExeFileType(szProgramPath);
    char szTitle[kPathBufferSize];
    LFile::_GetFileTitleFromPath(szTitle, szProgramPath);
    if (TitleNamesSetupFile(szTitle) && nExeType != kExeTypeSetup) {
        // Silent, the damage is told by the exit code alone.
        if (ReadSetupSwitches(nArgs, pszArgs, nullptr).bSilent) return kExitDamaged;
        ShowDamagedSetupMessage(nullptr);
        return 0;
    }

    if (nExeType == kExeTypeUninstall) return RunUninstall(szProgramPath, nArgs, pszArgs);
    if (nExeType == kExeTypeSetup) return RunInstall(szProgramPath, nArgs, pszArgs);
    HWND hwndRunning = FindOrAwaitRunningCopy();
    bool bLogon = IsLogonStart(nArgs, pszArgs);
    if (hwndRunning != nullptr) {
        // A start by hand is a call for the window: the running copy shows itself, hidden in the
        // tray or not, and comes to the front, which this process (the one the user just started,
        // so allowed to) lets it take. A start at logon shows nothing. A start with file names
        // hands them over to be priced; any other start has the copy measure the clipboard again.
        // Names the copy did not take are never priced as the clipboard: the start says so and
        // changes nothing.
        if (!bLogon) {
            DWORD dwRunningProcess = 0;
            GetWindowThreadProcessId(hwndRunning, &dwRunningProcess);
            AllowForeground(dwRunningProcess);
            PostMessageA(hwndRunning, WMAPP_COME_FORWARD, 0, 0);
        }
        if (bLogon || startFiles.Empty()) {
            PostMessageA(hwndRunning, WM_COMMAND, MAKEWPARAM(IDC_UPDATE_TEXT, 0), 0);
        } else {
            wchar_t szReason[300];
            if (!HandFilesTo(hwndRunning, startFiles, dwStartTick, szReason, 300)) SayFilesNotTaken(szReason);
        }
        return 0;
    }

    if (bLogon) startFiles.Clear();
    WordCountDialog dialog(bLogon, &startFiles, dwStartTick);
    dialog.RunModal(MAKEINTRESOURCEA(IDD_MAIN), nullptr);
    dialog.ReportUnsavedSettings();
    return 0;
}
