// Drives the real tallyq.exe from another process: start it, find its dialog, read and set its
// controls, end it, as a user or another program would.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

// How long any wait for the program may take: generous enough for a process under emulation on a
// loaded machine. A passing test never waits it out; only a failing one does.
const unsigned kPatienceMs = 60000;

// Puts a text on the clipboard as ANSI text (CF_TEXT). A locale given goes with it as the
// clipboard's CF_LOCALE: the system makes the Unicode form in that locale's code page.
void PutClipboardText(const std::string& text, LCID locale = 0);
// Puts a text on the clipboard as Unicode text (CF_UNICODETEXT).
void PutClipboardUnicode(const std::u16string& text);
void EmptyTheClipboard();

class ProgramUnderTest {
public:
    ~ProgramUnderTest();
    // Starts the program (by default tallyq.exe beside the tests' folder) with the arguments, in
    // startFolder as its current directory (by default the tests' own).
    bool Start(const std::string& arguments = "", const std::string& programPath = "",
               const std::string& startFolder = "");
    // Waits for the main dialog to exist and to have priced its text; returns its window.
    HWND WaitForDialog(unsigned nTimeoutMs = kPatienceMs);
    // Waits for the process to end; returns its exit code, or -1 after the time is up.
    int WaitForExit(unsigned nTimeoutMs = kPatienceMs);
    // Whether the process is still running now.
    bool Running() const { return WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT; }
    // Waits until the dialog's thread has handled every message posted to it so far.
    bool HandledPostedMessages() const;
    // Waits until the program has gone idle after its start (its dialog loop waits for input) and
    // has handled what it had posted itself: whatever the start does at once is done.
    bool Settled() const;
    void Kill();
    // Whether the process runs, and which windows it shows, or how it ended: for reports.
    std::string ProcessState() const;

    // Reads and sends to the program's controls wait at most kPatienceMs for its answer (see
    // SendWithin): a hung program fails the check that follows and is named on the error stream.
    std::string Text(int nId) const;
    // The control's text as Unicode, as the system holds it.
    std::u16string UnicodeText(int nId) const;
    // The control's text once it is the expected one, or as it stands when the time is up.
    std::string TextOnceItIs(int nId, const std::string& expected, unsigned nTimeoutMs = kPatienceMs) const;
    void SetText(int nId, const std::string& text) const;   // WM_SETTEXT: one change notification
    void Type(int nId, const std::string& keys) const;      // WM_CHAR per key: one change per key
    void Command(int nId) const;                            // WM_COMMAND, sent
    void Click(int nId) const;                              // BM_CLICK
    bool Checked(int nId) const;                            // BM_GETCHECK: the box is checked
    bool Visible() const { return IsWindowVisible(hwnd) != FALSE; }

    HWND hwnd = nullptr;
    PROCESS_INFORMATION process = {};
};

// Waits until the thread of hwndEdit's window has handled every message posted to it before this
// call: a thread handles its posted messages in order, so a text limit posted to one of its edit
// boxes is seen only after them. The box's limit is put back.
bool PostedMessagesHandled(HWND hwndEdit);

// The path of tallyq.exe as built, and of a folder the tests may use for copies of it.
std::string BuiltProgramPath();
std::string ScratchFolder();

// Tells on the error stream, after what the test printed so far, that a wait ran out: what it
// waited for and what it last saw.
void ReportRanOut(const std::string& what, unsigned nTimeoutMs, const std::string& lastSeen);

// The windows shown on the screen, front first, one a line: class, title, process id.
std::string ShownWindows();
// The same for one process's windows only, each on a line of its own (" none" when there are none),
// to follow a text that ends in a colon.
std::string ShownWindowsOf(DWORD dwProcessId);

// Polls a condition every nPollMs for at most nTimeoutMs. A wait that runs out reports what it
// waited for (what) and what it last saw (seen(), asked once then).
template <typename Condition, typename Seen>
bool WaitFor(const std::string& what, Condition condition, Seen seen, unsigned nTimeoutMs = kPatienceMs,
             unsigned nPollMs = 20) {
    DWORD dwStart = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - dwStart > nTimeoutMs) {
            ReportRanOut(what, nTimeoutMs, seen());
            return false;
        }
        Sleep(nPollMs);
    }
    return true;
}

// The same where the caller's check says what it waits for: a wait that runs out reports the
// windows on the screen.
template <typename Condition>
bool WaitFor(Condition condition, unsigned nTimeoutMs = kPatienceMs, unsigned nPollMs = 20) {
    return WaitFor("the condition of the check that follows", condition, ShownWindows, nTimeoutMs, nPollMs);
}

// Polls a value until it equals the expected one, for at most nTimeoutMs; returns the value last
// read, so that the check on it shows what there was when the time ran out.
template <typename Read, typename Value>
auto ValueOnceItIs(Read read, const Value& expected, unsigned nTimeoutMs = kPatienceMs) -> decltype(read()) {
    auto value = read();
    WaitFor(
        "the expected value", [&] { return (value = read()) == expected; },
        [] { return std::string("the value that the check shows"); }, nTimeoutMs);
    return value;
}

// Sends a message to a window, as a rule another process's, and waits at most nTimeoutMs for the
// answer. A window that does not answer in time (a hung program) or is gone is told on the error
// stream with what was sent (szWhat); the answer is then nFailed.
LRESULT SendWithin(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam, const char* szWhat, LRESULT nFailed = 0,
                   unsigned nTimeoutMs = kPatienceMs);
// A window's text as its own thread answers WM_GETTEXT, and a dialog item's; "" when it gives none.
std::string WindowText(HWND hwnd);
std::string ItemText(HWND hwndDialog, int nId);
// Sets a dialog item's text with WM_SETTEXT (an edit box sends one change notification).
void SetItemText(HWND hwndDialog, int nId, const std::string& text);
// Sets it as Unicode: the text reaches the other process as such, whatever its ANSI code page holds.
void SetItemUnicodeText(HWND hwndDialog, int nId, const std::u16string& text);
// The text of a message box: the longest text among its statics (the other one holds the icon).
std::string MessageBoxText(HWND hwndBox);
// A message box (a shown window of the system's dialog class) of a process, or null.
HWND MessageBoxOf(DWORD dwProcessId);
std::u16string MessageBoxUnicodeText(HWND hwndBox);

HWND FindMainDialog();
// A dialog box (of the system's dialog class) by its title.
HWND FindDialogTitled(const char* szTitle);
// Waits for a dialog of that title to be shown (its controls are made by then); null when the time
// is up.
HWND WaitForShownDialog(const char* szTitle, unsigned nTimeoutMs = kPatienceMs);

// Ends every copy of the program still running from an earlier case as the setup does (the tray's
// Exit, then the process's end; setup/running_copy.h), each within kPatienceMs; a copy that stays is
// told on the error stream.
void EndRunningCopies();

// Drops files on a window as the shell does: a DROPFILES block with wide names, made in memory of
// the window's own process and posted as WM_DROPFILES. Returns "" once posted, else what failed.
std::string DropFilesOn(HWND hwnd, const std::vector<std::wstring>& paths);
