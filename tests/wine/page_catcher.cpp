// Stands in for the default browser: registered by the help test as the program that opens .htm
// files, it notes each command line it is started with in page_opened.txt beside itself.
#include <windows.h>
#include <stdio.h>
#include <string.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR szCommandLine, int) {
    char szLog[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, szLog, MAX_PATH);
    char* pSlash = strrchr(szLog, '\\');
    if (n == 0 || pSlash == nullptr || (pSlash - szLog) + 20 >= MAX_PATH) return 1;
    strcpy(pSlash + 1, "page_opened.txt");
    FILE* pLog = fopen(szLog, "ab");
    if (pLog == nullptr) return 1;
    fprintf(pLog, "%s\n", szCommandLine);
    fclose(pLog);
    return 0;
}
