// Drives the real tallyq.exe from another process: start it, find its dialog, read and set its
// controls, end it, as a user or another program would.
#pragma once
#include <windows.h>

#include <string>

// Puts a text on the clipboard (an empty std::string with bEmpty empties the clipboard instead).
void PutClipboardText(const std::string& text);
void EmptyTheClipboard();

class ProgramUnderTest {
public:
    ~ProgramUnderTest();
    // Starts the program (by default tallyq.exe beside the tests' folder) with the arguments, in
    // startFolder as its current directory (by default the tests' own).
    bool Start(const std::string& arguments = "", const std::string& programPath = "",
               const std::string& startFolder = "");
    // Waits for the main dialog to exist and to have priced its text; answers its window.
    HWND WaitForDialog(unsigned nTimeoutMs = 10000);
    // Waits for the process to end; answers its exit code, or -1 after the time is up.
    int WaitForExit(unsigned nTimeoutMs = 10000);
    void Kill();

    std::string Text(int nId) const;
    void SetText(int nId, const std::string& text) const;   // WM_SETTEXT: one change notification
    void Type(int nId, const std::string& keys) const;      // WM_CHAR per key: one change per key
    void Command(int nId) const;                            // WM_COMMAND, sent
    void Click(int nId) const;                              // BM_CLICK
    bool Visible() const { return IsWindowVisible(hwnd) != FALSE; }

    HWND hwnd = nullptr;
    PROCESS_INFORMATION process = {};
};

// The path of tallyq.exe as built, and of a folder the tests may use for copies of it.
std::string BuiltProgramPath();
std::string ScratchFolder();

// Polls a condition every nPollMs for at most nTimeoutMs.
template <typename Condition>
bool WaitFor(Condition condition, unsigned nTimeoutMs = 5000, unsigned nPollMs = 20) {
    DWORD dwStart = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - dwStart > nTimeoutMs) return false;
        Sleep(nPollMs);
    }
    return true;
}

HWND FindMainDialog();

// Ends every copy of the program still running from an earlier case, through the tray's Exit.
void EndRunningCopies();
