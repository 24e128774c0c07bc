// The records the program hands the system, as the system receives them: the program's own code runs
// in this process, and the import of each system call is pointed at a recorder that notes the size
// field and then calls the system. On the 32-bit build these are the sizes the shells and common
// dialogs of every Windows version know; a 64-bit build of the same code passes other sizes.
// The clipboard's reads are pointed the same way at blocks of the test's own, so that the program's
// code meets the clipboard of Windows 9x, which keeps no Unicode form of a text, and texts that
// stop at a zero or at the end of their block.
#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>
#include <gtest/gtest.h>
#include <string.h>

#include <string>

#include "app/clipboard_text.h"
#include "app/csv_dialog.h"
#include "resources/csv_dialog_ids.h"
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

// The clipboard's blocks as this test hands them to the program's code: null is no such form.
HANDLE hAnsweredUnicode, hAnsweredAnsi;
UINT formatsAsked[4];
int nFormatsAsked;

HANDLE WINAPI AnswerClipboardData(UINT nFormat) {
    if (nFormatsAsked < 4) formatsAsked[nFormatsAsked++] = nFormat;
    if (nFormat == CF_UNICODETEXT) return hAnsweredUnicode;
    return nFormat == CF_TEXT ? hAnsweredAnsi : nullptr;
}

// A movable memory block holding exactly those bytes, as a clipboard hands out.
HGLOBAL Block(const void* pData, size_t nBytes) {
    HGLOBAL hBlock = GlobalAlloc(GMEM_MOVEABLE, nBytes);
    memcpy(GlobalLock(hBlock), pData, nBytes);
    GlobalUnlock(hBlock);
    return hBlock;
}

// The size the system tells for hShortBlock: fewer bytes than it holds, so that a read past its
// end would find more letters rather than a zero that happens to lie there.
typedef SIZE_T(WINAPI* GlobalSizeFn)(HGLOBAL);
GlobalSizeFn pfnSystemGlobalSize;
HGLOBAL hShortBlock;
SIZE_T nShortBlockSize;

SIZE_T WINAPI AnswerGlobalSize(HGLOBAL hBlock) {
    return hBlock == hShortBlock ? nShortBlockSize : pfnSystemGlobalSize(hBlock);
}

// Points the program's clipboard reads at the blocks given; false when it reads no clipboard data.
bool AnswerClipboardWith(HGLOBAL hUnicode, HGLOBAL hAnsi) {
    hAnsweredUnicode = hUnicode;
    hAnsweredAnsi = hAnsi;
    nFormatsAsked = 0;
    static bool bRedirected =
        RedirectImport("user32.dll", "GetClipboardData", reinterpret_cast<void*>(AnswerClipboardData)) != nullptr;
    return bRedirected;
}

TEST(ClipboardReading, WithoutAUnicodeFormTheAnsiTextIsConvertedWithTheAnsiCodePage) {
    // What the bench's Windows-1252 code page makes of these bytes differs from what a Russian
    // locale's 1251 would make of them ("Абв dйjа vu").
    ASSERT_EQ(1252u, GetACP()) << "the bench's ANSI code page";
    const char ansiText[] = "\xC0\xE1\xE2 d\xE9j\xE0 vu";
    HGLOBAL hAnsi = Block(ansiText, sizeof(ansiText));
    ASSERT_TRUE(AnswerClipboardWith(nullptr, hAnsi)) << "this program does not import GetClipboardData";

    ClipboardText text;
    ASSERT_EQ(ClipboardRead::kRead, text.ReadClipboard(80));
    EXPECT_EQ(u"Àáâ déjà vu", std::u16string(text.Text(), text.Length()));
    ASSERT_EQ(2, nFormatsAsked);
    EXPECT_EQ(static_cast<UINT>(CF_UNICODETEXT), formatsAsked[0]) << "the Unicode form is asked for first";
    EXPECT_EQ(static_cast<UINT>(CF_TEXT), formatsAsked[1]) << "then the ANSI form";
    EXPECT_EQ(11, text.Counts().nChars);
    EXPECT_EQ(3, text.Counts().nWords);
    EXPECT_EQ(1, text.CountLines(80));
    GlobalFree(hAnsi);
}

TEST(ClipboardReading, AClipboardTextEndsAtItsFirstZeroOrAtTheEndOfItsBlock) {
    const char16_t withZero[] = u"one two\0three";
    HGLOBAL hWithZero = Block(withZero, sizeof(withZero));
    ASSERT_TRUE(AnswerClipboardWith(hWithZero, nullptr)) << "this program does not import GetClipboardData";
    ClipboardText text;
    ASSERT_EQ(ClipboardRead::kRead, text.ReadClipboard(80));
    EXPECT_EQ(u"one two", std::u16string(text.Text(), text.Length()));
    EXPECT_EQ(2, text.Counts().nWords);

    // No terminator: 32 letters, in a block of 24 bytes as the system tells it.
    const std::u16string letters(32, u'ж');
    HGLOBAL hFull = Block(letters.data(), letters.size() * sizeof(char16_t));
    pfnSystemGlobalSize = reinterpret_cast<GlobalSizeFn>(
        RedirectImport("kernel32.dll", "GlobalSize", reinterpret_cast<void*>(AnswerGlobalSize)));
    ASSERT_NE(nullptr, pfnSystemGlobalSize) << "this program does not import GlobalSize";
    hShortBlock = hFull;
    nShortBlockSize = 24;
    ASSERT_TRUE(AnswerClipboardWith(hFull, nullptr));
    ASSERT_EQ(ClipboardRead::kRead, text.ReadClipboard(80));
    EXPECT_EQ(std::u16string(12, u'ж'), std::u16string(text.Text(), text.Length()));
    EXPECT_EQ(1, text.Counts().nWords);

    // No text at all.
    ASSERT_TRUE(AnswerClipboardWith(nullptr, nullptr));
    EXPECT_EQ(ClipboardRead::kNoText, text.ReadClipboard(80));
    EXPECT_EQ(0u, text.Length());
    EXPECT_EQ(0, text.CountLines(80));
    GlobalFree(hWithZero);
    GlobalFree(hFull);
}

}  // namespace

namespace {

// 20 January 2038, noon UTC: past the end of a 32-bit count of seconds.
const __time64_t kAfter2038 = 2147601600;

__time64_t __cdecl AnswerAfter2038(__time64_t* pTime) {
    if (pTime != nullptr) *pTime = kAfter2038;
    return kAfter2038;
}

// Fills the dialog's file and presses OK, then answers the confirmation; runs on the dialog's
// thread from a timer, as the user's clicks would arrive.
std::string csvPath;
void CALLBACK DriveCsvDialog(HWND, UINT, UINT_PTR nTimer, DWORD) {
    HWND hwndDialog = FindWindowA(reinterpret_cast<LPCSTR>(MAKEINTATOM(0x8002)), "Add to CSV File");
    HWND hwndConfirmation = FindWindowA(reinterpret_cast<LPCSTR>(MAKEINTATOM(0x8002)), "Confirmation");
    if (hwndConfirmation != nullptr) {
        KillTimer(nullptr, nTimer);
        PostMessageA(hwndConfirmation, WM_COMMAND, IDOK, 0);
    } else if (hwndDialog != nullptr && IsWindowEnabled(hwndDialog)) {
        SetDlgItemTextA(hwndDialog, IDC_CSV_FILE_PATH, csvPath.c_str());
        PostMessageA(hwndDialog, WM_COMMAND, IDOK, 0);
    }
}

}  // namespace

// The dialog's own code takes the clock and writes the date of a time past 2038, which a 32-bit
// count of seconds would have turned into 1901 or nothing.
TEST(CsvDialogDate, AJobAddedAfter2038CarriesItsDate) {
    hProgramInstance = GetModuleHandleA(nullptr);
    ASSERT_NE(nullptr, RedirectImport("msvcrt.dll", "_time64", reinterpret_cast<void*>(AnswerAfter2038)))
        << "the CSV dialog takes the time from the C runtime's _time64";
    char szFolder[MAX_PATH];
    GetTempPathA(MAX_PATH, szFolder);
    csvPath = std::string(szFolder) + "tq_csv_2038.csv";
    DeleteFileA(csvPath.c_str());
    UINT_PTR nTimer = SetTimer(nullptr, 0, 50, DriveCsvDialog);
    CsvDialog dialog(CsvJob{12, 3, "1", 0.5, u"Standard", u"$", nullptr, nullptr}, L"job");
    EXPECT_TRUE(dialog.RunModal(MAKEINTRESOURCEA(IDD_ADD_TO_CSV), nullptr));
    KillTimer(nullptr, nTimer);
    std::string record;
    HANDLE hFile = CreateFileA(csvPath.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, hFile);
    char szBuffer[512] = "";
    DWORD dwRead = 0;
    ReadFile(hFile, szBuffer, sizeof(szBuffer) - 1, &dwRead, nullptr);
    CloseHandle(hFile);
    DeleteFileA(csvPath.c_str());
    record.assign(szBuffer, dwRead);
    // The date in the user's order (month, day, year in a fresh prefix; any order has 38 and 20),
    // after the UTF-8 mark that starts a new log.
    int nOrder = GetProfileIntA("Intl", "iDate", 0);
    const char* szDate = nOrder == 1 ? "20/01/38" : nOrder == 2 ? "38/01/20" : "01/20/38";
    EXPECT_EQ(0u, record.find(std::string("\xEF\xBB\xBF") + szDate)) << record;
}
