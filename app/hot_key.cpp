#include "app/hot_key.h"

#include <stdio.h>
#include <string.h>

#include "app/copy_keystrokes.h"
#include "app/settings.h"
#include "ui/dialog.h"

namespace {
const int kHotKeyId = 0;
const char kTakenSuffix[] = " (taken)";
// The longest the program in front is given to handle the keys and copy its selection: a busy
// program handles them correctly when it gets to them, and a large document takes a while to copy.
// The wait ends as soon as the clipboard changes.
const DWORD kCopyBoundMs = 3000;
const DWORD kClipboardPollMs = 10;

INPUT KeyInput(const KeyStroke& stroke) {
    INPUT input;
    memset(&input, 0, sizeof(input));
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = stroke.nVirtualKey;
    // Programs that read the scan code rather than the key code see the key too.
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(stroke.nVirtualKey, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = (stroke.bKeyUp ? KEYEVENTF_KEYUP : 0) | (stroke.bExtended ? KEYEVENTF_EXTENDEDKEY : 0);
    return input;
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

CopyResult SelectAndCopyInForeground(HWND hwndSelf) {
    HWND hwndForeground = GetForegroundWindow();
    if (hwndForeground == nullptr || hwndForeground == hwndSelf) return kNoKeysSent;
    if (GetWindowThreadProcessId(hwndForeground, nullptr) == GetCurrentThreadId()) return kNoKeysSent;
    // The modifiers the user still holds (the hot key's own among them) are let go first: Shift
    // would make Ctrl+A another command, and Ctrl+Alt is AltGr, which types characters.
    bool bHeld[kModifierKeyCount];
    for (size_t i = 0; i < kModifierKeyCount; ++i) bHeld[i] = (GetAsyncKeyState(kModifierKeys[i]) & 0x8000) != 0;
    KeyStroke strokes[kMaxCopyKeyStrokes];
    UINT nStrokes = static_cast<UINT>(BuildSelectAllCopyKeyStrokes(bHeld, strokes));
    INPUT inputs[kMaxCopyKeyStrokes];
    for (UINT i = 0; i < nStrokes; ++i) inputs[i] = KeyInput(strokes[i]);
    DWORD dwClipboardBefore = GetClipboardSequenceNumber();
    // One call: nothing the user types can come between the keys.
    if (SendInput(nStrokes, inputs, sizeof(INPUT)) < nStrokes) {
        // Blocked (a program with higher rights in front refuses input from this one): should a
        // part have gone in, Ctrl is let go, so that the user's next key is not Ctrl+key.
        INPUT release = inputs[nStrokes - 1];
        SendInput(1, &release, sizeof(INPUT));
        return kInputBlocked;
    }
    for (DWORD dwWaited = 0; dwWaited < kCopyBoundMs && GetClipboardSequenceNumber() == dwClipboardBefore;
         dwWaited += kClipboardPollMs)
        Sleep(kClipboardPollMs);
    return GetClipboardSequenceNumber() != dwClipboardBefore ? kCopied : kNothingCopied;
}
