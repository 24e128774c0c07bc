#include "ui/dpi.h"

#include <string.h>

namespace {

// A call of user32 that only later systems have: looked up rather than imported, so that the
// program still starts where it is missing.
template <typename Function>
Function User32Function(const char* szName) {
    HMODULE hUser = GetModuleHandleA("user32.dll");
    FARPROC pfnFound = hUser != nullptr ? GetProcAddress(hUser, szName) : nullptr;
    Function pfn = nullptr;
    if (pfnFound != nullptr) memcpy(&pfn, &pfnFound, sizeof(pfn));
    return pfn;
}

}  // namespace

int SystemDpi() {
    HDC hdc = GetDC(nullptr);
    int nDpi = hdc != nullptr ? GetDeviceCaps(hdc, LOGPIXELSY) : 0;
    if (hdc != nullptr) ReleaseDC(nullptr, hdc);
    return nDpi > 0 ? nDpi : kDefaultDpi;
}

int WindowDpi(HWND hwnd) {
    typedef UINT(WINAPI * GetDpiForWindowFn)(HWND);
    GetDpiForWindowFn pfnGetDpiForWindow = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
    UINT nDpi = pfnGetDpiForWindow != nullptr && hwnd != nullptr ? pfnGetDpiForWindow(hwnd) : 0;
    return nDpi > 0 ? static_cast<int>(nDpi) : SystemDpi();
}

int SystemMetricForDpi(int nIndex, int nDpi) {
    typedef int(WINAPI * GetSystemMetricsForDpiFn)(int, UINT);
    GetSystemMetricsForDpiFn pfnForDpi = User32Function<GetSystemMetricsForDpiFn>("GetSystemMetricsForDpi");
    if (pfnForDpi != nullptr) return pfnForDpi(nIndex, static_cast<UINT>(nDpi));
    return MulDiv(GetSystemMetrics(nIndex), nDpi, SystemDpi());
}
