#include "setup/program_start.h"

#include <stdio.h>
#include <windows.h>

#include "support/path_text.h"

void StartProgram(const char* szPath, const char* szArguments) {
    char szCommand[2 * kPathBufferSize];
    int n = snprintf(szCommand, sizeof(szCommand), szArguments[0] ? "\"%s\" %s" : "\"%s\"", szPath, szArguments);
    if (n > 0 && n < static_cast<int>(sizeof(szCommand))) WinExec(szCommand, SW_SHOWNORMAL);
}
