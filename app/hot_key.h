// The global hot key: the stored combination, registered for one window, and what a press makes the
// program in front do.
#pragma once
#include <stddef.h>
#include <windows.h>

// The key's label: "Ctrl+", "Alt+", "Shift+" in that order, then the system's name of the key, in
// szLabel of cbLabel bytes (at least 20).
void BuildHotKeyLabel(int nModifiers, int nVirtualKey, char* szLabel, size_t cbLabel);

class HotKey {
public:
    HotKey() : hwndOwner(nullptr), bRegistered(false), bTaken(false) {}

    // Registers the stored combination for hwndOwner, which then receives WM_HOTKEY; one registered
    // before is let go first. A combination that another program holds is taken: it stays stored.
    void Open(HWND hwndOwner);
    void Close();
    bool IsRegistered() const { return bRegistered; }
    // The stored key's label, with " (taken)" while another program holds it.
    void GetLabel(char* szLabel, size_t cbLabel) const;
    // The status line's text while the key is taken, in szText of cbText bytes; null otherwise.
    const char* GetWarning(char* szText, size_t cbText) const;

private:
    HWND hwndOwner;
    bool bRegistered;
    bool bTaken;
};

// What a select-and-copy came to.
enum CopyResult {
    kNoKeysSent,     // nobody to send them to: no window in front, or one of this thread's
    kCopied,         // the clipboard changed
    kNothingCopied,  // the keys were sent and the clipboard did not change within the wait
    kInputBlocked,   // the system took fewer keys than given: a program with higher rights is in front
    kHotKeyHeld      // a key of the hot key was still held at the end of the wait: nothing was sent
};

// Makes the program in front select its whole text and copy it, through the system's input stream.
// First waits (2 seconds at most) until the user has let go of every key of the stored hot key,
// then sends the keys and waits (3 seconds at most) until the clipboard changes. Nothing is sent
// when hwndSelf or another window of this thread is in front. Meanwhile the thread's windows paint
// and answer sent messages; other input waits in the queue, and presses of the hot key are let go
// (IgnoreHotKeyPresses).
CopyResult SelectAndCopyInForeground(HWND hwndSelf);

// Removes the presses of the hot key waiting in this thread's queue, which a busy window must not
// act on later (it would send keys to whatever program is in front by then). For the presses
// removed, one WMAPP_HOT_KEY_IGNORED is posted to hwndOwner (unless one waits already), so that
// the window says so when it is done.
void IgnoreHotKeyPresses(HWND hwndOwner);
