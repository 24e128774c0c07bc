#include "tests/wine/program_driver.h"

#include <stdio.h>
#include <string.h>
#include <shlobj.h>

#include "resources/main_dialog_ids.h"
#include "setup/running_copy.h"
#include "support/program_window.h"
#include "tests/wine/wine_test_support.h"

namespace {

// SetClipboardData needs an owner window: with none, EmptyClipboard leaves the clipboard ownerless.
HWND ClipboardOwner() {
    static HWND hwndOwner = CreateWindowExA(0, "STATIC", "clipboard owner", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                           GetModuleHandleA(nullptr), nullptr);
    return hwndOwner;
}

bool OpenClipboardFor(HWND hwnd) {
    return WaitFor(
        "the clipboard to open", [hwnd] { return OpenClipboard(hwnd) != FALSE; },
        [] {
            HWND hwndHolder = GetOpenClipboardWindow();
            DWORD dwProcessId = 0;
            if (hwndHolder != nullptr) GetWindowThreadProcessId(hwndHolder, &dwProcessId);
            return hwndHolder == nullptr ? std::string("held by no window")
                                         : "held by a window of process " + std::to_string(dwProcessId);
        });
}

// Puts a block of that format on the open clipboard.
void PutClipboardBlock(UINT nFormat, const void* pData, size_t nBytes) {
    HGLOBAL hData = GlobalAlloc(GMEM_MOVEABLE, nBytes);
    memcpy(GlobalLock(hData), pData, nBytes);
    GlobalUnlock(hData);
    SetClipboardData(nFormat, hData);
}

// One window as a report shows it: class, title, process id.
std::string DescribeWindow(HWND hwnd) {
    char szClass[64] = "", szTitle[128] = "";
    GetClassNameA(hwnd, szClass, sizeof(szClass));
    GetWindowTextA(hwnd, szTitle, sizeof(szTitle));
    DWORD dwProcessId = 0;
    GetWindowThreadProcessId(hwnd, &dwProcessId);
    return std::string(szClass) + " \"" + szTitle + "\" (process " + std::to_string(dwProcessId) + ")";
}

// The shown top-level windows, front first, of one process or (0) of all.
std::string ListShownWindows(DWORD dwOnlyProcessId) {
    std::string list;
    HWND hwndFront = GetForegroundWindow();
    for (HWND hwnd = GetTopWindow(nullptr); hwnd != nullptr; hwnd = GetWindow(hwnd, GW_HWNDNEXT)) {
        DWORD dwProcessId = 0;
        GetWindowThreadProcessId(hwnd, &dwProcessId);
        if (!IsWindowVisible(hwnd) || (dwOnlyProcessId != 0 && dwProcessId != dwOnlyProcessId)) continue;
        list += "\n  " + DescribeWindow(hwnd) + (hwnd == hwndFront ? ", in front" : "");
    }
    return list.empty() ? " none" : list;
}
}  // namespace

void ReportRanOut(const std::string& what, unsigned nTimeoutMs, const std::string& lastSeen) {
    fflush(stdout);
    fprintf(stderr, "Waited %u ms for %s; last seen: %s\n", nTimeoutMs, what.c_str(), lastSeen.c_str());
    fflush(stderr);
}

std::string ShownWindows() { return "the windows on the screen:" + ListShownWindows(0); }

std::string ShownWindowsOf(DWORD dwProcessId) { return ListShownWindows(dwProcessId); }

HWND FindDialogTitled(const char* szTitle) {
    return FindWindowA(reinterpret_cast<LPCSTR>(MAKEINTATOM(0x8002)), szTitle);
}

HWND FindMainDialog() { return FindRunningCopy(); }

HWND WaitForShownDialog(const char* szTitle, unsigned nTimeoutMs) {
    HWND hwnd = nullptr;
    bool bShown = WaitFor(
        std::string("a shown dialog titled \"") + szTitle + "\"",
        [&] { return (hwnd = FindDialogTitled(szTitle)) != nullptr && IsWindowVisible(hwnd); },
        [&] { return (hwnd != nullptr ? "it exists, hidden; " : "") + ShownWindows(); }, nTimeoutMs);
    return bShown ? hwnd : nullptr;
}

void EndRunningCopies() {
    if (!EndRunningCopies(kPatienceMs))
        ReportRanOut("every running copy to end after the tray's Exit", kPatienceMs, ShownWindows());
}

namespace {
// SendWithin, with the message sent as Unicode (bUnicode) or ANSI: the system carries a text that
// goes with it to the other process in that form.
LRESULT SendWithinAs(bool bUnicode, HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam, const char* szWhat,
                     LRESULT nFailed, unsigned nTimeoutMs) {
    DWORD_PTR nAnswer = 0;
    LRESULT nSent = bUnicode ? SendMessageTimeoutW(hwnd, uMsg, wParam, lParam, SMTO_NORMAL, nTimeoutMs, &nAnswer)
                             : SendMessageTimeoutA(hwnd, uMsg, wParam, lParam, SMTO_NORMAL, nTimeoutMs, &nAnswer);
    if (nSent != 0) return static_cast<LRESULT>(nAnswer);
    // A window that is not there (not made yet, or gone) is no wait: the caller's check tells.
    if (!IsWindow(hwnd)) return nFailed;
    DWORD dwProcessId = 0;
    GetWindowThreadProcessId(hwnd, &dwProcessId);
    ReportRanOut(std::string("an answer to ") + szWhat, nTimeoutMs,
                 "no answer from a window of process " + std::to_string(dwProcessId) + ", its windows:" +
                     ShownWindowsOf(dwProcessId));
    return nFailed;
}

std::u16string UnicodeWindowText(HWND hwnd) {
    WCHAR szText[4096] = L"";
    LRESULT nLength = SendWithinAs(true, hwnd, WM_GETTEXT, sizeof(szText) / sizeof(szText[0]),
                                   reinterpret_cast<LPARAM>(szText), "WM_GETTEXT (a window's text)", 0, kPatienceMs);
    if (nLength <= 0 || nLength >= static_cast<LRESULT>(sizeof(szText) / sizeof(szText[0]))) nLength = 0;
    return std::u16string(reinterpret_cast<const char16_t*>(szText), static_cast<size_t>(nLength));
}

// The longest text among a message box's statics (the other one holds the icon), read with read.
template <typename Text, typename Read>
Text LongestStaticText(HWND hwndBox, Read read) {
    Text text;
    for (HWND hwnd = FindWindowExA(hwndBox, nullptr, "Static", nullptr); hwnd != nullptr;
         hwnd = FindWindowExA(hwndBox, hwnd, "Static", nullptr)) {
        Text line = read(hwnd);
        if (line.size() > text.size()) text = line;
    }
    return text;
}
}  // namespace

LRESULT SendWithin(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam, const char* szWhat, LRESULT nFailed,
                   unsigned nTimeoutMs) {
    return SendWithinAs(false, hwnd, uMsg, wParam, lParam, szWhat, nFailed, nTimeoutMs);
}

std::string WindowText(HWND hwnd) {
    char szText[4096] = "";
    LRESULT nLength = SendWithin(hwnd, WM_GETTEXT, sizeof(szText), reinterpret_cast<LPARAM>(szText),
                                 "WM_GETTEXT (a window's text)");
    return std::string(szText, nLength > 0 && nLength < static_cast<LRESULT>(sizeof(szText)) ? nLength : 0);
}

std::string ItemText(HWND hwndDialog, int nId) { return WindowText(GetDlgItem(hwndDialog, nId)); }

void SetItemText(HWND hwndDialog, int nId, const std::string& text) {
    SendWithin(GetDlgItem(hwndDialog, nId), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), "WM_SETTEXT");
}

void SetItemUnicodeText(HWND hwndDialog, int nId, const std::u16string& text) {
    SendWithinAs(true, GetDlgItem(hwndDialog, nId), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                 "WM_SETTEXT (Unicode)", 0, kPatienceMs);
}

std::string MessageBoxText(HWND hwndBox) { return LongestStaticText<std::string>(hwndBox, WindowText); }

namespace {
struct BoxSearch {
    DWORD dwProcessId;
    HWND hwnd;
};

BOOL CALLBACK FindBoxOf(HWND hwnd, LPARAM lParam) {
    BoxSearch* pSearch = reinterpret_cast<BoxSearch*>(lParam);
    DWORD dwOwner = 0;
    GetWindowThreadProcessId(hwnd, &dwOwner);
    char szClass[16] = "";
    GetClassNameA(hwnd, szClass, sizeof(szClass));
    if (dwOwner != pSearch->dwProcessId || !IsWindowVisible(hwnd) || strcmp(szClass, "#32770") != 0) return TRUE;
    pSearch->hwnd = hwnd;
    return FALSE;
}
}  // namespace

HWND MessageBoxOf(DWORD dwProcessId) {
    BoxSearch search = {dwProcessId, nullptr};
    EnumWindows(FindBoxOf, reinterpret_cast<LPARAM>(&search));
    return search.hwnd;
}

std::u16string MessageBoxUnicodeText(HWND hwndBox) {
    return LongestStaticText<std::u16string>(hwndBox, UnicodeWindowText);
}

void PutClipboardText(const std::string& text, LCID locale) {
    if (!OpenClipboardFor(ClipboardOwner())) return;
    EmptyClipboard();
    PutClipboardBlock(CF_TEXT, text.c_str(), text.size() + 1);
    if (locale != 0) PutClipboardBlock(CF_LOCALE, &locale, sizeof(locale));
    CloseClipboard();
}

void PutClipboardUnicode(const std::u16string& text) {
    if (!OpenClipboardFor(ClipboardOwner())) return;
    EmptyClipboard();
    PutClipboardBlock(CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(char16_t));
    CloseClipboard();
}

void EmptyTheClipboard() {
    if (!OpenClipboardFor(ClipboardOwner())) return;
    EmptyClipboard();
    CloseClipboard();
}

std::string BuiltProgramPath() { return TestProgramFolder() + "..\\tallyq.exe"; }

std::string ScratchFolder() {
    std::string folder = TestProgramFolder() + "scratch\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

ProgramUnderTest::~ProgramUnderTest() {
    if (process.hProcess != nullptr) {
        if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) Kill();
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
}

bool ProgramUnderTest::Start(const std::string& arguments, const std::string& programPath,
                             const std::string& startFolder) {
    std::string path = programPath.empty() ? BuiltProgramPath() : programPath;
    std::string commandLine = "\"" + path + "\"" + (arguments.empty() ? "" : " " + arguments);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    return CreateProcessA(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                          startFolder.empty() ? nullptr : startFolder.c_str(), &startup, &process) != FALSE;
}

std::string ProgramUnderTest::ProcessState() const {
    DWORD dwExit = 0;
    if (process.hProcess == nullptr) return "the process was not started";
    if (Running()) return "the process runs, its windows:" + ShownWindowsOf(process.dwProcessId);
    GetExitCodeProcess(process.hProcess, &dwExit);
    return "the process ended with " + std::to_string(dwExit);
}

HWND ProgramUnderTest::WaitForDialog(unsigned nTimeoutMs) {
    // The dialog is shown once InitDialog is over; a start with "/logon" hides it again at once, so
    // for that the status line's first text (half a second later) tells that the start is done.
    WaitFor(
        "the main dialog, shown or with its status line set",
        [this] {
            hwnd = FindMainDialog();
            return hwnd != nullptr && (IsWindowVisible(hwnd) || !Text(IDC_STATUS_LINE).empty());
        },
        [this] {
            std::string dialog = hwnd == nullptr ? "no main dialog" : "a hidden main dialog with no status line";
            return dialog + "; " + ProcessState();
        },
        nTimeoutMs);
    return hwnd;
}

int ProgramUnderTest::WaitForExit(unsigned nTimeoutMs) {
    if (WaitForSingleObject(process.hProcess, nTimeoutMs) != WAIT_OBJECT_0) {
        ReportRanOut("the process to end", nTimeoutMs, ProcessState());
        return -1;
    }
    DWORD dwExit = 0;
    GetExitCodeProcess(process.hProcess, &dwExit);
    return static_cast<int>(dwExit);
}

void ProgramUnderTest::Kill() {
    TerminateProcess(process.hProcess, 9);
    WaitForSingleObject(process.hProcess, kPatienceMs);
}

bool PostedMessagesHandled(HWND hwndEdit) {
    // A message posted to no window would go to this thread's own queue.
    if (!IsWindow(hwndEdit)) {
        ReportRanOut("an edit box to post a text limit to", 0, "no such edit box");
        return false;
    }
    UINT nOldLimit = static_cast<UINT>(SendWithin(hwndEdit, EM_GETLIMITTEXT, 0, 0, "EM_GETLIMITTEXT"));
    UINT nMarker = nOldLimit == 0x7FF1 ? 0x7FF2 : 0x7FF1;
    if (!PostMessageA(hwndEdit, EM_SETLIMITTEXT, nMarker, 0)) {
        ReportRanOut("a text limit to be posted to an edit box", 0, "the post was refused");
        return false;
    }
    LRESULT nLimit = 0;
    bool bHandled = WaitFor(
        "the edit box's thread to handle the messages posted to it",
        [&] {
            nLimit = SendWithin(hwndEdit, EM_GETLIMITTEXT, 0, 0, "EM_GETLIMITTEXT");
            return nLimit == static_cast<LRESULT>(nMarker);
        },
        [&] {
            return "the box's limit reads " + std::to_string(nLimit) + ", the posted one is " +
                   std::to_string(nMarker) + (IsWindow(hwndEdit) ? "" : "; the box is gone");
        });
    SendWithin(hwndEdit, EM_SETLIMITTEXT, nOldLimit, 0, "EM_SETLIMITTEXT");
    return bHandled;
}

bool ProgramUnderTest::HandledPostedMessages() const { return PostedMessagesHandled(GetDlgItem(hwnd, IDC_FIXED_COST)); }

bool ProgramUnderTest::Settled() const {
    // The dialog loop shows its window when its queue first runs empty, just before it first waits
    // for input; two rounds of posted messages after that are handled once the showing is over.
    DWORD dwIdle = WaitForInputIdle(process.hProcess, kPatienceMs);
    if (dwIdle != 0) {
        ReportRanOut("the program to wait for input after its start", kPatienceMs,
                     (dwIdle == WAIT_TIMEOUT ? "busy; " : "no answer; ") + ProcessState());
        return false;
    }
    return HandledPostedMessages() && HandledPostedMessages();
}

std::string ProgramUnderTest::TextOnceItIs(int nId, const std::string& expected, unsigned nTimeoutMs) const {
    return ValueOnceItIs([&] { return Text(nId); }, expected, nTimeoutMs);
}

std::string ProgramUnderTest::Text(int nId) const { return ItemText(hwnd, nId); }

std::u16string ProgramUnderTest::UnicodeText(int nId) const {
    // The text the system keeps with the window: read without a message, so it cannot wait.
    static_assert(sizeof(WCHAR) == sizeof(char16_t), "WCHAR is a UTF-16 unit");
    WCHAR szText[1024] = L"";
    GetWindowTextW(GetDlgItem(hwnd, nId), szText, 1024);
    return std::u16string(reinterpret_cast<const char16_t*>(szText));
}

void ProgramUnderTest::SetText(int nId, const std::string& text) const { SetItemText(hwnd, nId, text); }

void ProgramUnderTest::Type(int nId, const std::string& keys) const {
    for (char c : keys) SendWithin(GetDlgItem(hwnd, nId), WM_CHAR, static_cast<unsigned char>(c), 1, "WM_CHAR");
}

void ProgramUnderTest::Command(int nId) const {
    SendWithin(hwnd, WM_COMMAND, MAKEWPARAM(nId, 0), 0, ("WM_COMMAND " + std::to_string(nId)).c_str());
}

void ProgramUnderTest::Click(int nId) const {
    SendWithin(GetDlgItem(hwnd, nId), BM_CLICK, 0, 0, ("BM_CLICK on item " + std::to_string(nId)).c_str());
}

bool ProgramUnderTest::Checked(int nId) const {
    return SendWithin(GetDlgItem(hwnd, nId), BM_GETCHECK, 0, 0, "BM_GETCHECK") == BST_CHECKED;
}

std::string DropFilesOn(HWND hwnd, const std::vector<std::wstring>& paths) {
    std::wstring names;
    for (const std::wstring& path : paths) names += path + L'\0';
    names += L'\0';
    std::string block(sizeof(DROPFILES) + names.size() * sizeof(wchar_t), '\0');
    DROPFILES header = {};
    header.pFiles = sizeof(DROPFILES);
    header.fWide = TRUE;
    memcpy(&block[0], &header, sizeof(header));
    memcpy(&block[sizeof(header)], names.data(), names.size() * sizeof(wchar_t));
    DWORD dwProcessId = 0;
    GetWindowThreadProcessId(hwnd, &dwProcessId);
    HANDLE hProcess = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, dwProcessId);
    if (hProcess == nullptr) return "could not open the program's process";
    void* pRemote = VirtualAllocEx(hProcess, nullptr, block.size(), MEM_COMMIT, PAGE_READWRITE);
    SIZE_T cbWritten = 0;
    bool bWritten = pRemote != nullptr && WriteProcessMemory(hProcess, pRemote, block.data(), block.size(), &cbWritten) &&
                    cbWritten == block.size();
    CloseHandle(hProcess);
    if (!bWritten) return "could not write the drop into the program's memory";
    if (!PostMessageW(hwnd, WM_DROPFILES, reinterpret_cast<WPARAM>(pRemote), 0)) return "could not post WM_DROPFILES";
    return "";
}
