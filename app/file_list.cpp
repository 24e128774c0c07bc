#include "app/file_list.h"

#include <string.h>
#include <wchar.h>

namespace {
// Deeper folders than this are not entered: a reparse loop the check below misses ends here.
const int kMaxFolderDepth = 64;
const size_t kLongPathUnits = 32768;

}  // namespace

FileList::FileList() : pUnits(nullptr), nUnits(0), nCapacity(0), nFiles(0), bFull(false) {}

FileList::~FileList() {
    if (pUnits != nullptr) HeapFree(GetProcessHeap(), 0, pUnits);
}

void FileList::Clear() {
    nUnits = 0;
    nFiles = 0;
    bFull = false;
}

const wchar_t* FileList::Next(const wchar_t* szName) const {
    const wchar_t* pNext = szName + wcslen(szName) + 1;
    return pNext < pUnits + nUnits ? pNext : nullptr;
}

bool FileList::AddName(const wchar_t* szPath, size_t nLength) {
    if (nFiles >= kMaxListedFiles) {
        bFull = true;
        return false;
    }
    size_t nNeeded = nUnits + nLength + 1;
    if (nNeeded > nCapacity) {
        size_t nNew = nCapacity < 4096 ? 4096 : nCapacity * 2;
        while (nNew < nNeeded) nNew *= 2;
        void* pNew = pUnits == nullptr ? HeapAlloc(GetProcessHeap(), 0, nNew * sizeof(wchar_t))
                                       : HeapReAlloc(GetProcessHeap(), 0, pUnits, nNew * sizeof(wchar_t));
        if (pNew == nullptr) {
            bFull = true;
            return false;
        }
        pUnits = static_cast<wchar_t*>(pNew);
        nCapacity = nNew;
    }
    memcpy(pUnits + nUnits, szPath, nLength * sizeof(wchar_t));
    pUnits[nUnits + nLength] = L'\0';
    nUnits = nNeeded;
    ++nFiles;
    return true;
}

bool FileList::Add(const wchar_t* szPath) {
    size_t nLength = wcslen(szPath);
    return nLength == 0 || nLength >= kLongPathUnits || AddName(szPath, nLength);
}

bool FileList::AddExpanded(const wchar_t* szPath) {
    size_t nLength = wcslen(szPath);
    if (nLength == 0 || nLength >= kLongPathUnits) return true;
    DWORD dwAttributes = GetFileAttributesW(szPath);
    if (dwAttributes == INVALID_FILE_ATTRIBUTES || (dwAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        return AddName(szPath, nLength);
    }
    // The folder's path is built on in one buffer as the walk goes down.
    wchar_t* szFolder = static_cast<wchar_t*>(HeapAlloc(GetProcessHeap(), 0, kLongPathUnits * sizeof(wchar_t)));
    if (szFolder == nullptr) return AddName(szPath, nLength);
    memcpy(szFolder, szPath, (nLength + 1) * sizeof(wchar_t));
    bool bAdded = AddFolder(szFolder, nLength, 0);
    HeapFree(GetProcessHeap(), 0, szFolder);
    return bAdded;
}

// Every file in the folder and its subfolders, each folder's files in the order the system lists
// them. Links to other folders (junctions, symbolic links) are not followed: they may lead back.
bool FileList::AddFolder(wchar_t* szFolder, size_t nLength, int nDepth) {
    if (nDepth > kMaxFolderDepth) return true;
    if (nLength > 0 && szFolder[nLength - 1] != L'\\' && szFolder[nLength - 1] != L'/') szFolder[nLength++] = L'\\';
    if (nLength + 2 >= kLongPathUnits) return true;
    szFolder[nLength] = L'*';
    szFolder[nLength + 1] = L'\0';
    WIN32_FIND_DATAW found;
    HANDLE hFind = FindFirstFileW(szFolder, &found);
    if (hFind == INVALID_HANDLE_VALUE) return true;
    bool bRoom = true;
    do {
        const wchar_t* szName = found.cFileName;
        if (szName[0] == L'.' && (szName[1] == L'\0' || (szName[1] == L'.' && szName[2] == L'\0'))) continue;
        size_t nName = wcslen(szName);
        if (nLength + nName + 1 >= kLongPathUnits) continue;
        memcpy(szFolder + nLength, szName, (nName + 1) * sizeof(wchar_t));
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            bRoom = AddName(szFolder, nLength + nName);
        } else if ((found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
            bRoom = AddFolder(szFolder, nLength + nName, nDepth + 1);
        }
    } while (bRoom && FindNextFileW(hFind, &found));
    FindClose(hFind);
    return bRoom;
}

bool FileList::AddPacked(const wchar_t* pPacked, size_t nPacked) {
    size_t nStart = 0;
    for (size_t i = 0; i < nPacked; ++i) {
        if (pPacked[i] != L'\0') continue;
        if (i > nStart && !AddName(pPacked + nStart, i - nStart)) return false;
        nStart = i + 1;
    }
    return true;
}

void FileList::TakeAll(FileList* pOther) {
    for (const wchar_t* sz = pOther->First(); sz != nullptr && AddName(sz, wcslen(sz)); sz = pOther->Next(sz)) {
    }
    if (pOther->bFull) bFull = true;
    pOther->Clear();
}
