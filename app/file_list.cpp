#include "app/file_list.h"

#include <string.h>
#include <wchar.h>

#include "support/file_names.h"
#include "support/path_text.h"
#include "support/system_error_text.h"

namespace {
// Deeper folders than this are not entered: a reparse loop the check below misses ends here.
const int kMaxFolderDepth = 64;
const wchar_t kTooLongText[] = L"its path is longer than 32,767 characters";
const wchar_t kTooDeepText[] = L"it lies more than 64 folders deep";

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// Whether the walk enters a folder that is a reparse point of this tag: not one that stands for
// another name (a junction, a symbolic link), nor one without a tag, as Wine shows a Unix symbolic
// link; a cloud service's placeholder is entered.
bool EntersReparsePoint(DWORD dwTag) { return dwTag != 0 && !IsReparseTagNameSurrogate(dwTag); }

// The name a folder is told by: its own, or its whole path for a drive's root.
const wchar_t* FolderName(const wchar_t* szPath) {
    const wchar_t* szName = FileNameOf(szPath);
    return szName[0] != L'\0' ? szName : szPath;
}

}  // namespace

FileList::FileList()
    : pUnits(nullptr), nUnits(0), nCapacity(0), nFiles(0), nRoom(kMaxListedFiles), nLeftOut(0), nUnopened(0), bCountCut(false) {
    szFirstUnopened[0] = L'\0';
    szFirstReason[0] = L'\0';
}

FileList::~FileList() {
    if (pUnits != nullptr) HeapFree(GetProcessHeap(), 0, pUnits);
}

void FileList::SetRoom(size_t nFilesIn) { nRoom = nFilesIn < kMaxListedFiles ? nFilesIn : kMaxListedFiles; }

void FileList::Clear() {
    nUnits = 0;
    nFiles = 0;
    nLeftOut = 0;
    nUnopened = 0;
    bCountCut = false;
    szFirstUnopened[0] = L'\0';
    szFirstReason[0] = L'\0';
}

const wchar_t* FileList::Next(const wchar_t* szName) const {
    const wchar_t* pNext = szName + wcslen(szName) + 1;
    return pNext < pUnits + nUnits ? pNext : nullptr;
}

void FileList::NoteUnopened(const wchar_t* szName, DWORD dwError, const wchar_t* szReason) {
    if (nUnopened++ > 0) return;
    lstrcpynW(szFirstUnopened, szName, MAX_PATH);
    if (szReason != nullptr) {
        lstrcpynW(szFirstReason, szReason, sizeof(szFirstReason) / sizeof(szFirstReason[0]));
    } else {
        SystemErrorText(dwError, szFirstReason, sizeof(szFirstReason) / sizeof(szFirstReason[0]));
    }
}

void FileList::AddName(const wchar_t* szPath, size_t nLength) {
    // Past the room the files are only counted, so that the status line can say how many.
    if (nFiles >= nRoom) {
        ++nLeftOut;
        return;
    }
    size_t nNeeded = nUnits + nLength + 1;
    if (nNeeded > nCapacity) {
        size_t nNew = nCapacity < 4096 ? 4096 : nCapacity * 2;
        while (nNew < nNeeded) nNew *= 2;
        void* pNew = pUnits == nullptr ? HeapAlloc(GetProcessHeap(), 0, nNew * sizeof(wchar_t))
                                       : HeapReAlloc(GetProcessHeap(), 0, pUnits, nNew * sizeof(wchar_t));
        if (pNew == nullptr) {
            ++nLeftOut;
            return;
        }
        pUnits = static_cast<wchar_t*>(pNew);
        nCapacity = nNew;
    }
    memcpy(pUnits + nUnits, szPath, nLength * sizeof(wchar_t));
    pUnits[nUnits + nLength] = L'\0';
    nUnits = nNeeded;
    ++nFiles;
}

void FileList::Add(const wchar_t* szPath) {
    size_t nLength = wcslen(szPath);
    if (nLength >= kLongPathUnits) {
        NoteUnopened(FileNameOf(szPath), 0, kTooLongText);
    } else if (nLength > 0) {
        AddName(szPath, nLength);
    }
}

void FileList::AddExpanded(const wchar_t* szPath) {
    size_t nLength = wcslen(szPath);
    if (nLength == 0 || nLength >= kLongPathUnits) {
        Add(szPath);
        return;
    }
    OpenablePath openable(szPath);
    DWORD dwAttributes = GetFileAttributesW(openable.Get());
    if (dwAttributes == INVALID_FILE_ATTRIBUTES || (dwAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        AddName(szPath, nLength);
        return;
    }
    // The folder's path is built on in one buffer as the walk goes down.
    wchar_t* szFolder = static_cast<wchar_t*>(HeapAlloc(GetProcessHeap(), 0, kLongPathUnits * sizeof(wchar_t)));
    if (szFolder == nullptr) {
        NoteUnopened(FileNameOf(szPath), ERROR_NOT_ENOUGH_MEMORY, nullptr);
        return;
    }
    memcpy(szFolder, szPath, (nLength + 1) * sizeof(wchar_t));
    AddFolder(szFolder, nLength, 0);
    HeapFree(GetProcessHeap(), 0, szFolder);
}

// Every file in the folder and its subfolders, each folder's files in the order the system lists
// them. Links to other folders (junctions, symbolic links: reparse points that stand for another
// name) are not followed, as they may lead back; other reparse points, such as the placeholders of
// files kept online by a cloud service, are entered, which fetches their files. A folder that
// cannot be listed is named as left out.
void FileList::AddFolder(wchar_t* szFolder, size_t nLength, int nDepth) {
    while (nLength > 0 && IsSeparator(szFolder[nLength - 1])) --nLength;
    szFolder[nLength] = L'\0';
    if (nDepth > kMaxFolderDepth) {
        NoteUnopened(FolderName(szFolder), 0, kTooDeepText);
        return;
    }
    if (nLength + 3 >= kLongPathUnits) {
        NoteUnopened(FolderName(szFolder), 0, kTooLongText);
        return;
    }
    szFolder[nLength++] = L'\\';
    szFolder[nLength] = L'*';
    szFolder[nLength + 1] = L'\0';
    WIN32_FIND_DATAW found;
    HANDLE hFind = INVALID_HANDLE_VALUE;
    DWORD dwError = ERROR_SUCCESS;
    {
        // Its long form is let go before the walk goes down.
        OpenablePath pattern(szFolder);
        hFind = FindFirstFileW(pattern.Get(), &found);
        dwError = GetLastError();
    }
    if (hFind == INVALID_HANDLE_VALUE) {
        szFolder[nLength - 1] = L'\0';
        // A folder with no entries at all (a drive's empty root) is no failure.
        if (dwError != ERROR_FILE_NOT_FOUND && dwError != ERROR_NO_MORE_FILES) {
            NoteUnopened(FolderName(szFolder), dwError, nullptr);
        }
        return;
    }
    do {
        if (nFiles + nLeftOut >= kMaxCountedFiles) {
            bCountCut = true;
            break;
        }
        const wchar_t* szName = found.cFileName;
        if (szName[0] == L'.' && (szName[1] == L'\0' || (szName[1] == L'.' && szName[2] == L'\0'))) continue;
        size_t nName = wcslen(szName);
        if (nLength + nName + 1 >= kLongPathUnits) {
            NoteUnopened(szName, 0, kTooLongText);
            continue;
        }
        memcpy(szFolder + nLength, szName, (nName + 1) * sizeof(wchar_t));
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            AddName(szFolder, nLength + nName);
        } else if ((found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0 ||
                   EntersReparsePoint(found.dwReserved0)) {
            AddFolder(szFolder, nLength + nName, nDepth + 1);
        }
    } while (FindNextFileW(hFind, &found));
    FindClose(hFind);
}

void FileList::AddPacked(const wchar_t* pPacked, size_t nPacked) {
    size_t nStart = 0;
    for (size_t i = 0; i < nPacked; ++i) {
        if (pPacked[i] != L'\0') continue;
        if (i > nStart) AddName(pPacked + nStart, i - nStart);
        nStart = i + 1;
    }
}

void FileList::TakeLeftOut(const FileList& other) {
    nLeftOut += other.nLeftOut;
    bCountCut = bCountCut || other.bCountCut;
    if (other.nUnopened == 0) return;
    if (nUnopened == 0) {
        lstrcpynW(szFirstUnopened, other.szFirstUnopened, MAX_PATH);
        lstrcpynW(szFirstReason, other.szFirstReason, sizeof(szFirstReason) / sizeof(szFirstReason[0]));
    }
    nUnopened += other.nUnopened;
}

void FileList::TakeAll(FileList* pOther) {
    for (const wchar_t* sz = pOther->First(); sz != nullptr; sz = pOther->Next(sz)) AddName(sz, wcslen(sz));
    TakeLeftOut(*pOther);
    pOther->Clear();
}
