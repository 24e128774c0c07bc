// A stand-in for the program the user types in: one window with a multi-line edit control holding
// the text given on the command line. Built with the common-controls v6 manifest, whose edit
// control selects all on Ctrl+A.
#include <windows.h>

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
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
