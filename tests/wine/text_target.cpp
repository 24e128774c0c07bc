// A stand-in for the program the user types in: one window with a multi-line edit control holding
// the text given on the command line. Built with the common-controls v6 manifest, whose edit
// control selects all on Ctrl+A. Asked (message WM_APP + 2), it plays a busy program, as a word
// processor is on a large document: its thread sleeps 2.5 s on the next letter key it takes from
// its queue, before it handles that key.
#include <windows.h>

namespace {
const UINT kBusyOnNextLetterMessage = WM_APP + 2;
const DWORD kBusyMs = 2500;
bool bBusyOnNextLetter = false;

bool IsLetterKeyDown(const MSG& msg) {
    return (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) && msg.wParam >= 'A' && msg.wParam <= 'Z';
}
}  // namespace

LRESULT CALLBACK TargetProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (uMsg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    if (uMsg == WM_APP + 1) {
        // Asked to come to the front, as a click of the user's into the text would bring it.
        SetForegroundWindow(hwnd);
        SetFocus(GetDlgItem(hwnd, 1));
        return 0;
    }
    if (uMsg == kBusyOnNextLetterMessage) {
        bBusyOnNextLetter = true;
        return 0;
    }
    if (uMsg == WM_SETFOCUS) {
        SetFocus(GetDlgItem(hwnd, 1));
        return 0;
    }
    return DefWindowProcA(hwnd, uMsg, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR pszCommandLine, int) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = TargetProc;
    windowClass.hInstance = hInstance;
    windowClass.lpszClassName = "TextTarget";
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    RegisterClassA(&windowClass);
    HWND hwnd = CreateWindowExA(0, "TextTarget", "Text Target", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 830, 620, 190, 140,
                                nullptr, nullptr, hInstance, nullptr);
    HWND hwndEdit = CreateWindowExA(0, "EDIT", pszCommandLine, WS_CHILD | WS_VISIBLE | ES_MULTILINE | WS_BORDER, 0, 0,
                                    180, 100, hwnd, reinterpret_cast<HMENU>(1), hInstance, nullptr);
    SendMessageA(hwndEdit, EM_SETSEL, 0, 0);
    SetForegroundWindow(hwnd);
    SetFocus(hwndEdit);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (bBusyOnNextLetter && IsLetterKeyDown(msg)) {
            bBusyOnNextLetter = false;
            Sleep(kBusyMs);
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
