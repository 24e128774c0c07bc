#include "support/path_text.h"

#include <string.h>

namespace {
bool IsSeparator(char c) { return c == '\\' || c == '/'; }
const int kMaxPathChars = kPathBufferSize - 1;
}  // namespace

void LFile::FilePathCat(char* szFolderPath, const char* szName) {
    int n = static_cast<int>(strnlen(szFolderPath, kPathBufferSize));
    if (n >= kMaxPathChars) return;  // the folder fills the buffer already
    if (n > 0 && !IsSeparator(szFolderPath[n - 1])) szFolderPath[n++] = '\\';
    while (n < kMaxPathChars && *szName) szFolderPath[n++] = *szName++;
    szFolderPath[n] = '\0';
}

bool LFile::_PathCatFits(const char* szFolderPath, const char* szName) {
    size_t nFolder = strnlen(szFolderPath, kPathBufferSize);
    size_t nSeparator = nFolder > 0 && !IsSeparator(szFolderPath[nFolder - 1]) ? 1 : 0;
    return nFolder + nSeparator + strnlen(szName, kPathBufferSize) <= kMaxPathChars;
}

bool JoinPath(char* szPath, size_t cbPath, const char* szFolder, const char* szName) {
    if (cbPath == 0) return false;
    szPath[0] = '\0';
    if (!LFile::_PathCatFits(szFolder, szName)) return false;
    char szJoined[kPathBufferSize];
    memcpy(szJoined, szFolder, strlen(szFolder) + 1);
    LFile::FilePathCat(szJoined, szName);
    size_t cbJoined = strlen(szJoined) + 1;
    if (cbJoined > cbPath) return false;
    memcpy(szPath, szJoined, cbJoined);
    return true;
}

char* LFile::_GetFolderFromPath(char* szFolder, const char* szPath) {
    int nLastSeparator = 0;
    int i = 0;
    for (; i < kPathBufferSize && szPath[i]; ++i) {
        szFolder[i] = szPath[i];
        if (IsSeparator(szPath[i])) nLastSeparator = i;
    }
    szFolder[nLastSeparator] = '\0';
    return szFolder;
}

char* LFile::_GetFileFromPath(char* szFile, const char* szPath) {
    int i = 0;
    for (const char* p = szPath; *p; ++p) {
        if (i >= kMaxPathChars) break;  // a name too long is cut
        szFile[i++] = *p;
        if (IsSeparator(*p)) i = 0;
    }
    szFile[i] = '\0';
    return szFile;
}

void LFile::_GetFileTitleFromPath(char* szTitle, const char* szPath) {
    _GetFileFromPath(szTitle, szPath);
    char* pDot = strrchr(szTitle, '.');
    if (pDot != nullptr && pDot > szTitle) *pDot = '\0';
}

const wchar_t* FileNameOf(const wchar_t* szPath) {
    const wchar_t* szName = szPath;
    for (const wchar_t* p = szPath; *p != L'\0'; ++p) {
        if (*p == L'\\' || *p == L'/' || *p == L':') szName = p + 1;
    }
    return szName;
}
