#include "app/hot_key.h"

#include <stdio.h>
#include <string.h>

#include "app/settings.h"
#include "ui/dialog.h"

namespace {
const int kHotKeyId = 0;
const char kTakenSuffix[] = " (taken)";
// The longest the foreground program is given to handle the posted keys and copy its selection; the
// wait ends as soon as the clipboard changes.
const DWORD kCopyBoundMs = 1000;
const DWORD kClipboardPollMs = 10;
const LPARAM kKeyDownParam = 0x00000001;
const LPARAM kKeyUpParam = static_cast<LPARAM>(0x80000001u);

void PostKeyPress(HWND hwndTarget, WPARAM wKey) {
    PostMessageA(hwndTarget, WM_KEYDOWN, wKey, kKeyDownParam);
    PostMessageA(hwndTarget, WM_KEYUP, wKey, kKeyUpParam);
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
    // Wine can report no foreground window at all after an earlier attach: then there is nobody
    // to send the keys to.
    if (hwndForeground == nullptr || hwndForeground == hwndSelf) return kNoKeysSent;
    DWORD dwThreadIDForeground = GetWindowThreadProcessId(hwndForeground, nullptr);
    DWORD dwThreadIDCurrent = GetCurrentThreadId();
    if (dwThreadIDForeground == dwThreadIDCurrent) return kNoKeysSent;
    // The foreground program's focused window, asked of its thread before the attach: once the two
    // inputs are shared, Wine reports this dialog's own focus (none, while hidden) instead.
    GUITHREADINFO threadInfo;
    memset(&threadInfo, 0, sizeof(threadInfo));
    threadInfo.cbSize = sizeof(threadInfo);
    HWND hwndTarget = GetGUIThreadInfo(dwThreadIDForeground, &threadInfo) ? threadInfo.hwndFocus : nullptr;
    AttachThreadInput(dwThreadIDForeground, dwThreadIDCurrent, TRUE);
    if (hwndTarget == nullptr) hwndTarget = GetFocus();
    BYTE keyboard[256];
    GetKeyboardState(keyboard);
    BYTE savedControl = keyboard[VK_CONTROL], savedShift = keyboard[VK_SHIFT];
    keyboard[VK_CONTROL] |= 0x80;
    keyboard[VK_SHIFT] = 0;
    SetKeyboardState(keyboard);
    DWORD dwClipboardBefore = GetClipboardSequenceNumber();
    PostKeyPress(hwndTarget, 'A');
    SetKeyboardState(keyboard);
    PostKeyPress(hwndTarget, 'C');
    // The keys are handled by the other program's thread, which copies when it gets to them.
    for (DWORD dwWaited = 0; dwWaited < kCopyBoundMs && GetClipboardSequenceNumber() == dwClipboardBefore;
         dwWaited += kClipboardPollMs)
        Sleep(kClipboardPollMs);
    // The shared state is given back as it was: a Ctrl left down would make the digits typed into
    // a price field afterwards arrive as Ctrl+digit.
    keyboard[VK_CONTROL] = savedControl;
    keyboard[VK_SHIFT] = savedShift;
    SetKeyboardState(keyboard);
    AttachThreadInput(dwThreadIDForeground, dwThreadIDCurrent, FALSE);
    return GetClipboardSequenceNumber() != dwClipboardBefore ? kCopied : kNothingCopied;
}
