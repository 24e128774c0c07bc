#include "support/file_names.h"

namespace {
const wchar_t kLongPrefix[] = L"\\\\?\\";
const wchar_t kLongServerPrefix[] = L"\\\\?\\UNC\\";
const size_t kLongPrefixUnits = 4;
const size_t kLongServerPrefixUnits = 8;

// "\\?\" or "\\.\": a path the system takes without changing it.
bool IsDevicePath(const wchar_t* szPath) {
    return szPath[0] == L'\\' && szPath[1] == L'\\' && (szPath[2] == L'?' || szPath[2] == L'.') && szPath[3] == L'\\';
}

// Writes the prefix's units just before szAt, where the buffer leaves room for them.
const wchar_t* PutBefore(wchar_t* szAt, const wchar_t* szPrefix, size_t nUnits) {
    wchar_t* szStart = szAt - nUnits;
    for (size_t i = 0; i < nUnits; ++i) szStart[i] = szPrefix[i];
    return szStart;
}
}  // namespace

OpenablePath::OpenablePath(const wchar_t* szPath) : szOpenable(szPath), szMade(nullptr) {
    if (lstrlenW(szPath) < MAX_PATH || IsDevicePath(szPath)) return;
    // The first call tells the full path's size, its ending zero included.
    DWORD nFull = GetFullPathNameW(szPath, 0, nullptr, nullptr);
    if (nFull == 0 || nFull > kLongPathUnits) return;
    szMade = static_cast<wchar_t*>(HeapAlloc(GetProcessHeap(), 0, (kLongServerPrefixUnits + nFull) * sizeof(wchar_t)));
    if (szMade == nullptr) return;
    wchar_t* szFull = szMade + kLongServerPrefixUnits;
    DWORD n = GetFullPathNameW(szPath, nFull, szFull, nullptr);
    if (n == 0 || n >= nFull) return;
    if (IsDevicePath(szFull)) {
        szOpenable = szFull;
    } else if (szFull[0] == L'\\' && szFull[1] == L'\\') {
        // A server's path: "\\server\share\..." becomes "\\?\UNC\server\share\...", the prefix
        // written over the path's own two backslashes.
        szOpenable = PutBefore(szFull + 2, kLongServerPrefix, kLongServerPrefixUnits);
    } else {
        szOpenable = PutBefore(szFull, kLongPrefix, kLongPrefixUnits);
    }
}

OpenablePath::~OpenablePath() {
    if (szMade != nullptr) HeapFree(GetProcessHeap(), 0, szMade);
}

void SystemErrorText(DWORD dwError, wchar_t* szText, size_t nUnits) {
    DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, dwError, 0, szText,
                             static_cast<DWORD>(nUnits), nullptr);
    if (n == 0) {
        // Written by hand: tallyq-count links no user32, which has wsprintfW.
        wchar_t szCode[40] = L"system error ";
        wchar_t szDigits[12];
        int nDigits = 0;
        do {
            szDigits[nDigits++] = static_cast<wchar_t>(L'0' + dwError % 10);
            dwError /= 10;
        } while (dwError != 0);
        int nCode = lstrlenW(szCode);
        while (nDigits > 0) szCode[nCode++] = szDigits[--nDigits];
        szCode[nCode] = L'\0';
        lstrcpynW(szText, szCode, static_cast<int>(nUnits));
        return;
    }
    while (n > 0 && (szText[n - 1] == L'\r' || szText[n - 1] == L'\n' || szText[n - 1] == L' ')) --n;
    szText[n] = L'\0';
}
