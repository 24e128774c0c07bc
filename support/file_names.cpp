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
