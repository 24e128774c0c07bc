#include "support/winhelp_viewer.h"

#include <windows.h>

bool HasWinHelpViewer() {
    // Windows 8.1, 10 and 11 tell their own version only to a program whose manifest names them
    // (this one's does) and 6.2 to any other: either way 6 or more.
    OSVERSIONINFOA version;
    version.dwOSVersionInfoSize = sizeof(version);
    if (!GetVersionExA(&version)) return false;
    return version.dwPlatformId != VER_PLATFORM_WIN32_NT || version.dwMajorVersion < 6;
}
