// The records the program hands the system, as the system receives them: the program's own code runs
// in this process, and the import of each system call is pointed at a recorder that notes the size
// field and then calls the system. On the 32-bit build these are the sizes the shells and common
// dialogs of every Windows version know; a 64-bit build of the same code passes other sizes.
#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>
#include <gtest/gtest.h>
#include <string.h>

#include "app/tray_icon.h"
#include "ui/dialog.h"
#include "resources/main_dialog_ids.h"
#include "support/file_ops.h"
#include "support/path_text.h"
#include "tests/wine/import_redirect.h"

namespace {

// What the tray was handed, call by call.
typedef BOOL(WINAPI* ShellNotifyIconFn)(DWORD, NOTIFYICONDATAA*);
ShellNotifyIconFn pfnSystemNotifyIcon;
struct TrayCall {
    DWORD dwMessage;
    DWORD cbSize;
    BOOL bAccepted;
};
TrayCall trayCalls[8];
int nTrayCalls;

BOOL WINAPI RecordNotifyIcon(DWORD dwMessage, NOTIFYICONDATAA* pRecord) {
    BOOL bAccepted = pfnSystemNotifyIcon(dwMessage, pRecord);
    if (nTrayCalls < 8) trayCalls[nTrayCalls++] = {dwMessage, pRecord->cbSize, bAccepted};
    return bAccepted;
}

// What the Save As dialog was handed, and whether the system showed a dialog for it.
typedef BOOL(WINAPI* GetSaveFileNameFn)(OPENFILENAMEA*);
GetSaveFileNameFn pfnSystemGetSaveFileName;
DWORD dwSaveRecordSize;
bool bSaveDialogShown;
HHOOK hCancelHook;

// Cancels the Save As dialog as soon as it is activated: the system built it from the record.
LRESULT CALLBACK CancelSaveDialog(int nCode, WPARAM wParam, LPARAM lParam) {
    if (nCode == HCBT_ACTIVATE) {
        char szClass[32] = "";
        GetClassNameA(reinterpret_cast<HWND>(wParam), szClass, sizeof(szClass));
        if (strcmp(szClass, "#32770") == 0) {
            bSaveDialogShown = true;
            PostMessageA(reinterpret_cast<HWND>(wParam), WM_COMMAND, IDCANCEL, 0);
        }
    }
    return CallNextHookEx(hCancelHook, nCode, wParam, lParam);
}

BOOL WINAPI RecordGetSaveFileName(OPENFILENAMEA* pRecord) {
    dwSaveRecordSize = pRecord->lStructSize;
    return pfnSystemGetSaveFileName(pRecord);
}

#if defined(_WIN64)
const DWORD kTrayRecordSize = NOTIFYICONDATAA_V1_SIZE;
const DWORD kSaveRecordSize = OPENFILENAME_SIZE_VERSION_400A;
#else
// The sizes of the first forms of both records in a 32-bit program.
const DWORD kTrayRecordSize = 88;
const DWORD kSaveRecordSize = 76;
#endif

TEST(SystemRecords, TrayIconRecordIsTheFirstFormAndTheShellTakesIt) {
    pfnSystemNotifyIcon =
        reinterpret_cast<ShellNotifyIconFn>(RedirectImport("shell32.dll", "Shell_NotifyIconA", reinterpret_cast<void*>(RecordNotifyIcon)));
    ASSERT_NE(nullptr, pfnSystemNotifyIcon) << "this program does not import Shell_NotifyIconA";
    hProgramInstance = GetModuleHandleA(nullptr);
    HWND hwnd = CreateWindowA("STATIC", "tray owner", 0, 0, 0, 10, 10, nullptr, nullptr, hProgramInstance, nullptr);
    ASSERT_NE(nullptr, hwnd);

    TrayIcon trayIcon(WMAPP_TRAY_NOTIFY);
    EXPECT_TRUE(trayIcon.Add(hwnd));
    trayIcon.Delete();
    DestroyWindow(hwnd);

    ASSERT_EQ(2, nTrayCalls) << "calls of Shell_NotifyIconA for one add and one delete";
    EXPECT_EQ(static_cast<DWORD>(NIM_ADD), trayCalls[0].dwMessage);
    EXPECT_EQ(kTrayRecordSize, trayCalls[0].cbSize) << "cbSize of the NIM_ADD record";
    EXPECT_TRUE(trayCalls[0].bAccepted) << "the shell refused the icon";
    EXPECT_EQ(static_cast<DWORD>(NIM_DELETE), trayCalls[1].dwMessage);
    EXPECT_EQ(kTrayRecordSize, trayCalls[1].cbSize) << "cbSize of the NIM_DELETE record";
    EXPECT_TRUE(trayCalls[1].bAccepted) << "the shell did not find the icon it had taken";
}

TEST(SystemRecords, SaveAsRecordIsTheVersion4FormAndTheDialogOpens) {
    pfnSystemGetSaveFileName = reinterpret_cast<GetSaveFileNameFn>(
        RedirectImport("comdlg32.dll", "GetSaveFileNameA", reinterpret_cast<void*>(RecordGetSaveFileName)));
    ASSERT_NE(nullptr, pfnSystemGetSaveFileName) << "this program does not import GetSaveFileNameA";
    hCancelHook = SetWindowsHookExA(WH_CBT, CancelSaveDialog, nullptr, GetCurrentThreadId());
    ASSERT_NE(nullptr, hCancelHook);

    char szPath[kPathBufferSize] = "C:\\jobs.csv";
    char szFolder[kPathBufferSize] = "";
    bool bChosen = ChooseSaveFile(szPath, "Save As", szFolder, "csv", "CSV files\0*.csv\0");
    UnhookWindowsHookEx(hCancelHook);

    EXPECT_EQ(kSaveRecordSize, dwSaveRecordSize) << "lStructSize handed to GetSaveFileNameA";
    EXPECT_TRUE(bSaveDialogShown) << "the system showed no dialog for the record (a size it does not know?)";
    EXPECT_FALSE(bChosen) << "a cancelled dialog chose a file";
}

}  // namespace
