#include "tests/wine/program_driver.h"

#include <string.h>

#include "resources/main_dialog_ids.h"
#include "tests/wine/wine_test_support.h"

namespace {
const char kMainTitle[] = "TallyQuill";

// SetClipboardData needs an owner window: with none, EmptyClipboard leaves the clipboard ownerless.
HWND ClipboardOwner() {
    static HWND hwndOwner = CreateWindowExA(0, "STATIC", "clipboard owner", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                           GetModuleHandleA(nullptr), nullptr);
    return hwndOwner;
}

bool OpenClipboardFor(HWND hwnd) {
    return WaitFor([hwnd] { return OpenClipboard(hwnd) != FALSE; });
}
}  // namespace

HWND FindMainDialog() { return FindWindowA(reinterpret_cast<LPCSTR>(MAKEINTATOM(0x8002)), kMainTitle); }

void EndRunningCopies() {
    while (HWND hwnd = FindMainDialog()) {
        PostMessageA(hwnd, WM_COMMAND, IDM_TRAY_EXIT, 0);
        if (!WaitFor([hwnd] { return !IsWindow(hwnd); })) break;
    }
}

void PutClipboardText(const std::string& text) {
    if (!OpenClipboardFor(ClipboardOwner())) return;
    EmptyClipboard();
    HGLOBAL hData = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    char* p = static_cast<char*>(GlobalLock(hData));
    memcpy(p, text.c_str(), text.size() + 1);
    GlobalUnlock(hData);
    SetClipboardData(CF_TEXT, hData);
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

HWND ProgramUnderTest::WaitForDialog(unsigned nTimeoutMs) {
    // The dialog is shown once InitDialog is over; a start with "/logon" hides it again at once, so
    // for that the status line's first text (half a second later) tells that the start is done.
    WaitFor(
        [this] {
            hwnd = FindMainDialog();
            return hwnd != nullptr && (IsWindowVisible(hwnd) || !Text(123).empty());
        },
        nTimeoutMs);
    return hwnd;
}

int ProgramUnderTest::WaitForExit(unsigned nTimeoutMs) {
    if (WaitForSingleObject(process.hProcess, nTimeoutMs) != WAIT_OBJECT_0) return -1;
    DWORD dwExit = 0;
    GetExitCodeProcess(process.hProcess, &dwExit);
    return static_cast<int>(dwExit);
}

void ProgramUnderTest::Kill() {
    TerminateProcess(process.hProcess, 9);
    WaitForSingleObject(process.hProcess, kPatienceMs);
}

bool PostedMessagesHandled(HWND hwndEdit) {
    UINT nOldLimit = static_cast<UINT>(SendMessageA(hwndEdit, EM_GETLIMITTEXT, 0, 0));
    UINT nMarker = nOldLimit == 0x7FF1 ? 0x7FF2 : 0x7FF1;
    if (!PostMessageA(hwndEdit, EM_SETLIMITTEXT, nMarker, 0)) return false;
    bool bHandled = WaitFor([&] { return SendMessageA(hwndEdit, EM_GETLIMITTEXT, 0, 0) == static_cast<LRESULT>(nMarker); });
    SendMessageA(hwndEdit, EM_SETLIMITTEXT, nOldLimit, 0);
    return bHandled;
}

bool ProgramUnderTest::HandledPostedMessages() const { return PostedMessagesHandled(GetDlgItem(hwnd, IDC_FIXED_COST)); }

bool ProgramUnderTest::Settled() const {
    // The dialog loop shows its window when its queue first runs empty, just before it first waits
    // for input; two rounds of posted messages after that are handled once the showing is over.
    return WaitForInputIdle(process.hProcess, kPatienceMs) == 0 && HandledPostedMessages() && HandledPostedMessages();
}

std::string ProgramUnderTest::Text(int nId) const {
    char szText[1024] = "";
    GetDlgItemTextA(hwnd, nId, szText, sizeof(szText));
    return szText;
}

void ProgramUnderTest::SetText(int nId, const std::string& text) const {
    SendMessageA(GetDlgItem(hwnd, nId), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void ProgramUnderTest::Type(int nId, const std::string& keys) const {
    for (char c : keys) SendMessageA(GetDlgItem(hwnd, nId), WM_CHAR, static_cast<unsigned char>(c), 1);
}

void ProgramUnderTest::Command(int nId) const { SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(nId, 0), 0); }

void ProgramUnderTest::Click(int nId) const { SendMessageA(GetDlgItem(hwnd, nId), BM_CLICK, 0, 0); }
