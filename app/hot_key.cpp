#include "app/hot_key.h"

#include <stdio.h>
#include <string.h>

#include "app/copy_keystrokes.h"
#include "app/settings.h"
#include "resources/main_dialog_ids.h"
#include "ui/dialog.h"

namespace {
const int kHotKeyId = 0;
const char kTakenSuffix[] = " (taken)";
// The longest the user is given to let go of the hot key: keys sent while one is held would reach
// the program in front with it (Shift+Ctrl+A is another command, Ctrl+Alt is AltGr, which types).
const DWORD kKeysUpBoundMs = 2000;
// The longest the program in front is given to handle the keys and copy its selection: a busy
// program handles them correctly when it gets to them, and a large document takes a while to copy.
// The wait ends as soon as the clipboard changes.
const DWORD kCopyBoundMs = 3000;
const DWORD kPollMs = 10;
// A window that does not validate what it paints is painted this often at most in a round.
const int kMaxPaintsPerRound = 64;

INPUT KeyInput(const KeyStroke& stroke) {
    INPUT input;
    memset(&input, 0, sizeof(input));
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = stroke.nVirtualKey;
    // Programs that read the scan code rather than the key code see the key too.
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(stroke.nVirtualKey, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = stroke.bKeyUp ? KEYEVENTF_KEYUP : 0;
    return input;
}

bool AnyKeyDown(const unsigned char* pKeys, size_t nKeys) {
    for (size_t i = 0; i < nKeys; ++i) {
        if (GetAsyncKeyState(pKeys[i]) & 0x8000) return true;
    }
    return false;
}

// One round of a wait: the thread's windows paint, sent messages are answered (within PeekMessage),
// presses of the hot key are let go, and the thread sleeps until the next poll or until one of
// those comes. Everything else stays queued, in order, for when the wait is over.
void AnswerWhileWaiting(HWND hwndSelf) {
    IgnoreHotKeyPresses(hwndSelf);
    MSG msg;
    for (int i = 0; i < kMaxPaintsPerRound && PeekMessageA(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE); ++i)
        DispatchMessageA(&msg);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, kPollMs, QS_PAINT | QS_SENDMESSAGE | QS_HOTKEY);
}

// Waits, answering, until every key of the stored hot key is up; false when one is still held at
// the bound.
bool WaitForHotKeyUp(HWND hwndSelf) {
    unsigned char keys[kMaxHotKeyKeys];
    size_t nKeys = ListHotKeyKeys(LoadHotKeyModifier(), LoadHotKey(), keys);
    DWORD dwStart = GetTickCount();
    while (AnyKeyDown(keys, nKeys)) {
        if (GetTickCount() - dwStart >= kKeysUpBoundMs) return false;
        AnswerWhileWaiting(hwndSelf);
    }
    return true;
}

// This thread's own windows (the dialog, its About box) take no keys from it.
bool CanSendTo(HWND hwndForeground, HWND hwndSelf) {
    return hwndForeground != nullptr && hwndForeground != hwndSelf &&
           GetWindowThreadProcessId(hwndForeground, nullptr) != GetCurrentThreadId();
}
}  // namespace

void BuildHotKeyLabel(int nModifiers, int nVirtualKey, char* szLabel, size_t cbLabel) {
    szLabel[0] = '\0';
    if (nModifiers & MOD_CONTROL) strcat(szLabel, "Ctrl+");
    if (nModifiers & MOD_ALT) strcat(szLabel, "Alt+");
    if (nModifiers & MOD_SHIFT) strcat(szLabel, "Shift+");
    size_t nPrefix = strlen(szLabel);
    UINT nScanCode = MapVirtualKeyA(static_cast<UINT>(nVirtualKey), 0) & 0xFFFF;
    LONG lKeyParam = static_cast<LONG>((nScanCode << 16) | (static_cast<UINT>(nVirtualKey) & 0xFFFF));
    if (GetKeyNameTextA(lKeyParam, szLabel + nPrefix, static_cast<int>(cbLabel - nPrefix)) <= 0) {
        szLabel[nPrefix] = '\0';
    }
}

void HotKey::Open(HWND hwndNewOwner) {
    Close();
    hwndOwner = hwndNewOwner;
    bRegistered = RegisterHotKey(hwndOwner, kHotKeyId, static_cast<UINT>(LoadHotKeyModifier()),
                                 static_cast<UINT>(LoadHotKey())) != FALSE;
    bTaken = !bRegistered;
}

void HotKey::Close() {
    if (hwndOwner != nullptr) UnregisterHotKey(hwndOwner, kHotKeyId);
    bRegistered = bTaken = false;
}

void HotKey::GetLabel(char* szLabel, size_t cbLabel) const {
    BuildHotKeyLabel(LoadHotKeyModifier(), LoadHotKey(), szLabel, cbLabel);
    if (bTaken && strlen(szLabel) + sizeof(kTakenSuffix) <= cbLabel) strcat(szLabel, kTakenSuffix);
}

const char* HotKey::GetWarning(char* szText, size_t cbText) const {
    if (!bTaken) return nullptr;
    char szLabel[kItemTextSize];
    BuildHotKeyLabel(LoadHotKeyModifier(), LoadHotKey(), szLabel, sizeof(szLabel));
    snprintf(szText, cbText, "%s is taken by another program: choose another with Change Key", szLabel);
    return szText;
}

void IgnoreHotKeyPresses(HWND hwndOwner) {
    MSG msg;
    bool bRemoved = false;
    while (PeekMessageA(&msg, nullptr, WM_HOTKEY, WM_HOTKEY, PM_REMOVE)) bRemoved = true;
    if (!bRemoved || hwndOwner == nullptr) return;
    if (!PeekMessageA(&msg, hwndOwner, WMAPP_HOT_KEY_IGNORED, WMAPP_HOT_KEY_IGNORED, PM_NOREMOVE))
        PostMessageA(hwndOwner, WMAPP_HOT_KEY_IGNORED, 0, 0);
}

CopyResult SelectAndCopyInForeground(HWND hwndSelf) {
    if (!CanSendTo(GetForegroundWindow(), hwndSelf)) return kNoKeysSent;
    if (!WaitForHotKeyUp(hwndSelf)) return kHotKeyHeld;
    // The user may have switched meanwhile.
    if (!CanSendTo(GetForegroundWindow(), hwndSelf)) return kNoKeysSent;
    KeyStroke strokes[kCopyKeyStrokeCount];
    BuildSelectAllCopyKeyStrokes(strokes);
    INPUT inputs[kCopyKeyStrokeCount];
    for (size_t i = 0; i < kCopyKeyStrokeCount; ++i) inputs[i] = KeyInput(strokes[i]);
    DWORD dwClipboardBefore = GetClipboardSequenceNumber();
    // One call: nothing the user types can come between the keys.
    if (SendInput(kCopyKeyStrokeCount, inputs, sizeof(INPUT)) < kCopyKeyStrokeCount) {
        // Blocked (a program with higher rights in front refuses input from this one): should a
        // part have gone in, Ctrl is let go, so that the user's next key is not Ctrl+key.
        INPUT release = inputs[kCopyKeyStrokeCount - 1];
        SendInput(1, &release, sizeof(INPUT));
        return kInputBlocked;
    }
    DWORD dwStart = GetTickCount();
    while (GetClipboardSequenceNumber() == dwClipboardBefore && GetTickCount() - dwStart < kCopyBoundMs)
        AnswerWhileWaiting(hwndSelf);
    return GetClipboardSequenceNumber() != dwClipboardBefore ? kCopied : kNothingCopied;
}
