#include "app/count_input.h"

#include <errno.h>
#include <string.h>

#include "documents/document_text.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#include <shellapi.h>

#include "support/file_names.h"
#include "support/system_error_text.h"

char** Utf8Arguments(int* pArgc, char** argv) {
    int nArgs = 0;
    LPWSTR* wideArgs = CommandLineToArgvW(GetCommandLineW(), &nArgs);
    if (wideArgs == nullptr) return argv;
    char** utf8Args = static_cast<char**>(calloc(static_cast<size_t>(nArgs) + 1, sizeof(char*)));
    for (int i = 0; utf8Args != nullptr && i < nArgs; ++i) {
        int cb = WideCharToMultiByte(CP_UTF8, 0, wideArgs[i], -1, nullptr, 0, nullptr, nullptr);
        utf8Args[i] = static_cast<char*>(malloc(cb > 0 ? static_cast<size_t>(cb) : 1));
        if (utf8Args[i] == nullptr) return argv;
        if (cb <= 0 || WideCharToMultiByte(CP_UTF8, 0, wideArgs[i], -1, utf8Args[i], cb, nullptr, nullptr) <= 0)
            utf8Args[i][0] = '\0';
    }
    LocalFree(wideArgs);
    if (utf8Args == nullptr) return argv;
    *pArgc = nArgs;
    return utf8Args;
}

namespace {

// A UTF-8 name as UTF-16, made with malloc; null with the reason when it is not UTF-8 or memory fails.
wchar_t* WideName(const char* szName, char* szReason, size_t cbReason) {
    int cchName = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, szName, -1, nullptr, 0);
    wchar_t* szWideName = cchName > 0 ? static_cast<wchar_t*>(malloc(static_cast<size_t>(cchName) * sizeof(wchar_t))) : nullptr;
    if (szWideName == nullptr || MultiByteToWideChar(CP_UTF8, 0, szName, -1, szWideName, cchName) <= 0) {
        free(szWideName);
        SystemErrorTextAnsi(cchName > 0 ? ERROR_NOT_ENOUGH_MEMORY : ERROR_INVALID_NAME, szReason, cbReason);
        return nullptr;
    }
    return szWideName;
}

}  // namespace

bool OpenCountInput(const char* szName, CountInput* pInput, char* szReason, size_t cbReason) {
    *pInput = CountInput();
    if (strcmp(szName, "-") == 0) {
        pInput->pFile = stdin;
        pInput->bStdin = true;
        return true;
    }
    wchar_t* szWideName = WideName(szName, szReason, cbReason);
    if (szWideName == nullptr) return false;
    HANDLE hFile = INVALID_HANDLE_VALUE;
    DWORD dwError = ERROR_SUCCESS;
    {
        // A path of any length, in the long form where it passes MAX_PATH.
        OpenablePath openable(szWideName);
        hFile = CreateFileW(openable.Get(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        dwError = GetLastError();
    }
    free(szWideName);
    if (hFile == INVALID_HANDLE_VALUE) {
        SystemErrorTextAnsi(dwError, szReason, cbReason);
        return false;
    }
    LARGE_INTEGER size;
    if (GetFileType(hFile) != FILE_TYPE_DISK || !GetFileSizeEx(hFile, &size)) {
        CloseHandle(hFile);
        snprintf(szReason, cbReason, "%s", kRefusedNotAFile);
        return false;
    }
    int nFd = _open_osfhandle(reinterpret_cast<intptr_t>(hFile), _O_RDONLY | _O_BINARY);
    pInput->pFile = nFd >= 0 ? _fdopen(nFd, "rb") : nullptr;
    if (pInput->pFile == nullptr) {
        if (nFd >= 0) _close(nFd); else CloseHandle(hFile);
        snprintf(szReason, cbReason, "%s", kRefusedOutOfMemory);
        return false;
    }
    pInput->bSized = true;
    pInput->cbSize = static_cast<uint64_t>(size.QuadPart);
    return true;
}

void ReadFailureReason(char* szReason, size_t cbReason) { SystemErrorTextAnsi(GetLastError(), szReason, cbReason); }

FILE* CreateCountOutput(const char* szName, char* szReason, size_t cbReason) {
    wchar_t* szWideName = WideName(szName, szReason, cbReason);
    if (szWideName == nullptr) return nullptr;
    FILE* pFile = nullptr;
    {
        OpenablePath openable(szWideName);
        pFile = _wfopen(openable.Get(), L"wb");
    }
    free(szWideName);
    if (pFile == nullptr) snprintf(szReason, cbReason, "%s", strerror(errno));
    return pFile;
}

bool RemoveCountOutput(const char* szName) {
    char szReason[8];
    wchar_t* szWideName = WideName(szName, szReason, sizeof(szReason));
    bool bRemoved = szWideName != nullptr && DeleteFileW(OpenablePath(szWideName).Get());
    free(szWideName);
    return bRemoved;
}

int SystemCodePage() { return static_cast<int>(GetACP()); }

#else
#include <sys/stat.h>

char** Utf8Arguments(int*, char** argv) { return argv; }

bool OpenCountInput(const char* szName, CountInput* pInput, char* szReason, size_t cbReason) {
    *pInput = CountInput();
    if (strcmp(szName, "-") == 0) {
        pInput->pFile = stdin;
        pInput->bStdin = true;
        return true;
    }
    FILE* pFile = fopen(szName, "rb");
    if (pFile == nullptr) {
        snprintf(szReason, cbReason, "%s", strerror(errno));
        return false;
    }
    struct stat status;
    if (fstat(fileno(pFile), &status) != 0 || !S_ISREG(status.st_mode)) {
        bool bFolder = S_ISDIR(status.st_mode);
        fclose(pFile);
        snprintf(szReason, cbReason, "%s", bFolder ? strerror(EISDIR) : kRefusedNotAFile);
        return false;
    }
    pInput->pFile = pFile;
    pInput->bSized = true;
    pInput->cbSize = static_cast<uint64_t>(status.st_size);
    return true;
}

void ReadFailureReason(char* szReason, size_t cbReason) {
    snprintf(szReason, cbReason, "%s", errno != 0 ? strerror(errno) : "the file could not be read");
}

FILE* CreateCountOutput(const char* szName, char* szReason, size_t cbReason) {
    FILE* pFile = fopen(szName, "wb");
    if (pFile == nullptr) snprintf(szReason, cbReason, "%s", strerror(errno));
    return pFile;
}

bool RemoveCountOutput(const char* szName) { return remove(szName) == 0; }

int SystemCodePage() { return 0; }
#endif

void CloseCountInput(CountInput* pInput) {
    if (pInput->pFile != nullptr && !pInput->bStdin) fclose(pInput->pFile);
    pInput->pFile = nullptr;
}
