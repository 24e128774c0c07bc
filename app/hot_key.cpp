// The global hot key of the main dialog: registering it, its name, and what a press does.
#include <stdio.h>
#include <string.h>

#include "app/settings.h"
#include "app/word_count_dialog.h"
#include "resources/main_dialog_ids.h"
#include "support/path_text.h"

namespace {
const int kHotKeyId = 0;
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

void BuildHotKeyLabel(int nModifiers, int nVirtualKey, char* szLabel) {
    szLabel[0] = '\0';
    if (nModifiers & MOD_CONTROL) strcat(szLabel, "Ctrl+");
    if (nModifiers & MOD_ALT) strcat(szLabel, "Alt+");
    if (nModifiers & MOD_SHIFT) strcat(szLabel, "Shift+");
    size_t nPrefix = strlen(szLabel);
    UINT nScanCode = MapVirtualKeyA(static_cast<UINT>(nVirtualKey), 0) & 0xFFFF;
    LONG lKeyParam = static_cast<LONG>((nScanCode << 16) | (static_cast<UINT>(nVirtualKey) & 0xFFFF));
    if (GetKeyNameTextA(lKeyParam, szLabel + nPrefix, static_cast<int>(kItemTextSize - nPrefix)) <= 0) {
        szLabel[nPrefix] = '\0';
    }
}

void WordCountDialog::HotKeyOpen() {
    TraceText("WordCountDialog::HotKeyOpen()");
    int nModifiers = LoadHotKeyModifier();
    int nVirtualKey = LoadHotKey();
    bHotKeyRegistered = false;
    bool bOn = IsDlgButtonChecked(hwndDlg, IDC_HOT_KEY_ON) == BST_CHECKED;
    if (bOn) {
        bHotKeyRegistered =
            RegisterHotKey(hwndDlg, kHotKeyId, static_cast<UINT>(nModifiers), static_cast<UINT>(nVirtualKey)) != FALSE;
    }
    // A combination that another program holds is shown as taken, and the status line says what
    // to do (HotKeyWarning); the choice stays stored as it is.
    char szLabel[kItemTextSize];
    BuildHotKeyLabel(nModifiers, nVirtualKey, szLabel);
    bHotKeyTaken = bOn && !bHotKeyRegistered;
    if (bHotKeyTaken && strlen(szLabel) + 9 < kItemTextSize) strcat(szLabel, " (taken)");
    SetDlgItemTextA(hwndDlg, IDC_HOT_KEY_NAME, szLabel);
    // The status line says so at its next step (the first comes half a second after the start).
}

const char* WordCountDialog::HotKeyWarning(char* szText) {
    if (!bHotKeyTaken) return nullptr;
    char szLabel[kItemTextSize];
    BuildHotKeyLabel(LoadHotKeyModifier(), LoadHotKey(), szLabel);
    snprintf(szText, kItemTextSize, "%s is taken by another program: choose another with Change Key", szLabel);
    return szText;
}

void WordCountDialog::HotKeyClose() {
    TraceText("WordCountDialog::HotKeyClose()");
    UnregisterHotKey(hwndDlg, kHotKeyId);
    bHotKeyRegistered = bHotKeyTaken = false;
}

void WordCountDialog::HotKeyRestart() {
    TraceText("WordCountDialog::HotKeyRestart()");
    HotKeyClose();
    HotKeyOpen();
}

void WordCountDialog::HotKeyHit() {
    TraceText("WordCountDialog::HotKeyHit()");
    if (IsDlgButtonChecked(hwndDlg, IDC_HOT_KEY_AUTO_SELECT) == BST_CHECKED) SelectAndCopyInForeground();
    ShowWindow(hwndDlg, SW_RESTORE);
    SetForegroundWindow(hwndDlg);
    UpdateText();
}

void WordCountDialog::SelectAndCopyInForeground() {
    HWND hwndForeground = GetForegroundWindow();
    // Wine can report no foreground window at all after an earlier attach: then there is nobody
    // to send the keys to.
    if (hwndForeground == nullptr) return;
    if (hwndForeground == hwndDlg) {
        TraceText("WordCountDialog::HotKeyHit() hwndForeground == hwndDlg");
        return;
    }
    DWORD dwThreadIDForeground = GetWindowThreadProcessId(hwndForeground, nullptr);
    DWORD dwThreadIDCurrent = GetCurrentThreadId();
    if (dwThreadIDForeground == dwThreadIDCurrent) {
        TraceText("WordCountDialog::HotKeyHit() dwThreadIDForeground == dwThreadIDCurrent");
        return;
    }
    TraceText("WordCountDialog::HotKeyHit() Sending Ctrl+A Ctrl+C");
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
}
