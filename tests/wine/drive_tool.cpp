// A small command-line hand for scripts that show TallyQuill: puts a text on the clipboard, waits
// for the main dialog, tells where it is, or ends it through the tray menu's Exit.
//   drive_tool put-clipboard FILE | wait-dialog | wait-shown | exit-dialog | read-control ID |
//              command ID | close-target | warm-up | window-geometry | busy-target | read-target |
//              wait-clipboard TEXT [SECONDS] | hot-key MODIFIERS KEY | hold-open FILE
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "resources/main_dialog_ids.h"
#include "support/registry.h"
#include "tests/wine/program_driver.h"

namespace {
// The clipboard's CF_TEXT, or "" while it has none or another program holds it open.
std::string ClipboardText() {
    std::string text;
    if (!OpenClipboard(nullptr)) return text;
    HANDLE hData = GetClipboardData(CF_TEXT);
    const char* pText = hData != nullptr ? static_cast<const char*>(GlobalLock(hData)) : nullptr;
    if (pText != nullptr) {
        text.assign(pText, strnlen(pText, GlobalSize(hData)));
        GlobalUnlock(hData);
    }
    CloseClipboard();
    return text;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    if (strcmp(argv[1], "put-clipboard") == 0 && argc >= 3) {
        FILE* pFile = fopen(argv[2], "rb");
        if (pFile == nullptr) return 1;
        std::string text;
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof(buffer), pFile)) > 0) text.append(buffer, n);
        fclose(pFile);
        PutClipboardText(text);
        return 0;
    }
    if (strcmp(argv[1], "wait-dialog") == 0) {
        return WaitFor(
                   "the main dialog with its status line set",
                   [] {
                       HWND hwnd = FindMainDialog();
                       return hwnd != nullptr && !ItemText(hwnd, 123).empty();
                   },
                   [] { return (FindMainDialog() != nullptr ? "its status line empty; " : "no main dialog; ") + ShownWindows(); })
                   ? 0
                   : 1;
    }
    if (strcmp(argv[1], "wait-shown") == 0) {
        return WaitFor(
                   "the main dialog to be shown",
                   [] {
                       HWND hwnd = FindMainDialog();
                       return hwnd != nullptr && IsWindowVisible(hwnd);
                   },
                   [] { return (FindMainDialog() != nullptr ? "it is hidden; " : "no main dialog; ") + ShownWindows(); },
                   kPatienceMs, 2)
                   ? 0
                   : 1;
    }
    if (strcmp(argv[1], "read-control") == 0 && argc >= 3) {
        printf("%s\n", ItemText(FindMainDialog(), atoi(argv[2])).c_str());
        return 0;
    }
    if (strcmp(argv[1], "command") == 0 && argc >= 3) {
        HWND hwnd = FindMainDialog();
        if (hwnd == nullptr) return 1;
        return SendWithin(hwnd, WM_COMMAND, MAKEWPARAM(atoi(argv[2]), 0), 0, "WM_COMMAND", -1) == -1 ? 1 : 0;
    }
    if (strcmp(argv[1], "close-target") == 0) {
        HWND hwnd = FindWindowA("TextTarget", nullptr);
        if (hwnd != nullptr) PostMessageA(hwnd, WM_CLOSE, 0, 0);
        return hwnd != nullptr ? 0 : 1;
    }
    if (strcmp(argv[1], "busy-target") == 0) {
        // The text target sleeps on the next letter key it takes (sent: it has armed on return).
        HWND hwnd = FindWindowA("TextTarget", nullptr);
        return hwnd != nullptr && SendWithin(hwnd, WM_APP + 2, 0, 0, "WM_APP + 2", -1) != -1 ? 0 : 1;
    }
    if (strcmp(argv[1], "read-target") == 0) {
        HWND hwnd = FindWindowA("TextTarget", nullptr);
        if (hwnd == nullptr) return 1;
        printf("%s\n", ItemText(hwnd, 1).c_str());
        return 0;
    }
    if (strcmp(argv[1], "wait-clipboard") == 0 && argc >= 3) {
        // wait-clipboard TEXT [SECONDS]: a minute unless told.
        std::string seen;
        unsigned nTimeoutMs = argc >= 4 ? static_cast<unsigned>(atoi(argv[3])) * 1000 : kPatienceMs;
        return WaitFor(
                   std::string("the clipboard to hold \"") + argv[2] + "\"",
                   [&] { return (seen = ClipboardText()) == argv[2]; },
                   [&] { return "it held \"" + seen + "\""; }, nTimeoutMs)
                   ? 0
                   : 1;
    }
    if (strcmp(argv[1], "hot-key") == 0 && argc >= 4) {
        // Stores the combination and has the running program register it again ("Enable Hot Key").
        SetRegistryInt("Settings", "HotKeyModifier", atoi(argv[2]));
        SetRegistryInt("Settings", "HotKey", atoi(argv[3]));
        HWND hwnd = FindMainDialog();
        return hwnd != nullptr && SendWithin(hwnd, WM_COMMAND, MAKEWPARAM(IDC_HOT_KEY_ON, 0), 0, "WM_COMMAND", -1) != -1 ? 0 : 1;
    }
    if (strcmp(argv[1], "hold-open") == 0 && argc >= 3) {
        // Holds the file open for writing, letting others only read it, as a word processor holds
        // the document it has open, until standard input ends.
        HANDLE hFile = CreateFileA(argv[2], GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
        if (hFile == INVALID_HANDLE_VALUE) return 1;
        printf("held\n");
        fflush(stdout);
        while (getchar() != EOF) {
        }
        CloseHandle(hFile);
        return 0;
    }
    if (strcmp(argv[1], "warm-up") == 0) {
        // A first window: Wine starts its desktop process now, before test programs race to do it.
        EmptyTheClipboard();
        return 0;
    }
    if (strcmp(argv[1], "window-geometry") == 0) {
        // The main dialog's place on the screen as ImageMagick's -crop takes it: WxH+X+Y.
        HWND hwnd = FindMainDialog();
        RECT window;
        if (hwnd == nullptr || !GetWindowRect(hwnd, &window)) return 1;
        printf("%ldx%ld+%ld+%ld\n", window.right - window.left, window.bottom - window.top, window.left, window.top);
        return 0;
    }
    if (strcmp(argv[1], "exit-dialog") == 0) {
        HWND hwnd = FindMainDialog();
        if (hwnd == nullptr) return 1;
        PostMessageA(hwnd, WM_COMMAND, 1003, 0);
        return WaitFor("the main dialog to close after the tray's Exit", [] { return FindMainDialog() == nullptr; },
                       ShownWindows)
                   ? 0
                   : 1;
    }
    if (strcmp(argv[1], "wait-window") == 0 && argc >= 3) {
        // A visible window of the class (and, if given, a title containing the text).
        const char* szClass = argv[2];
        const char* szTitlePart = argc >= 4 ? argv[3] : "";
        bool bFound = WaitFor(
            std::string("a shown window of class ") + szClass + " with \"" + szTitlePart + "\" in its title",
            [&] {
                HWND hwnd = FindWindowA(szClass, nullptr);
                char szTitle[300] = "";
                if (hwnd != nullptr) GetWindowTextA(hwnd, szTitle, sizeof(szTitle));
                return hwnd != nullptr && IsWindowVisible(hwnd) && strstr(szTitle, szTitlePart) != nullptr;
            },
            ShownWindows);
        return bFound ? 0 : 1;
    }
    if (strcmp(argv[1], "wait-foreground") == 0 && argc >= 3) {
        // The window in front has this title (the user's click has arrived).
        return WaitFor(
                   std::string("the window titled \"") + argv[2] + "\" in front",
                   [&] {
                       char szTitle[300] = "";
                       HWND hwnd = GetForegroundWindow();
                       if (hwnd != nullptr) GetWindowTextA(hwnd, szTitle, sizeof(szTitle));
                       return hwnd != nullptr && strcmp(szTitle, argv[2]) == 0;
                   },
                   ShownWindows)
                   ? 0
                   : 1;
    }
    if (strcmp(argv[1], "raise") == 0 && argc >= 3) {
        return SetWindowPos(FindWindowA(argv[2], nullptr), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE) ? 0 : 1;
    }
    if (strcmp(argv[1], "z-order") == 0) {
        // The visible top-level windows, first the top one: class and title.
        for (HWND hwnd = GetTopWindow(nullptr); hwnd != nullptr; hwnd = GetWindow(hwnd, GW_HWNDNEXT)) {
            if (!IsWindowVisible(hwnd)) continue;
            char szClass[100] = "", szTitle[100] = "";
            GetClassNameA(hwnd, szClass, sizeof(szClass));
            GetWindowTextA(hwnd, szTitle, sizeof(szTitle));
            printf("%s\t%s\n", szClass, szTitle);
        }
        return 0;
    }
    if (strcmp(argv[1], "window-exists") == 0 && argc >= 3) {
        return FindWindowA(argv[2][0] ? argv[2] : nullptr, argc >= 4 ? argv[3] : nullptr) != nullptr ? 0 : 1;
    }
    if (strcmp(argv[1], "close-window") == 0 && argc >= 3) {
        while (HWND hwnd = FindWindowA(argv[2], nullptr)) {
            PostMessageA(hwnd, WM_CLOSE, 0, 0);
            if (!WaitFor(std::string("a window of class ") + argv[2] + " to close", [hwnd] { return !IsWindow(hwnd); },
                         ShownWindows))
                return 1;
        }
        return 0;
    }
    return 2;
}
