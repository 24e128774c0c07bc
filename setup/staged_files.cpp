#include "setup/staged_files.h"

#include <stdio.h>
#include <string.h>

namespace {
const char kStagedSuffix[] = ".new";
const char kAsideSuffix[] = ".old";

// A path that does not fit comes out empty: Add has made sure that the program's own do.
void WithSuffix(char* szOut, size_t cbOut, const char* szPath, const char* szSuffix) {
    int n = snprintf(szOut, cbOut, "%s%s", szPath, szSuffix);
    if (n < 0 || static_cast<size_t>(n) >= cbOut) szOut[0] = '\0';
}
}  // namespace

bool StagedFiles::Add(const char* szPath) {
    if (nFiles >= kMaxFiles || strlen(szPath) + sizeof(kStagedSuffix) > kPathBufferSize) return false;
    memcpy(szPaths[nFiles], szPath, strlen(szPath) + 1);
    bHadEarlier[nFiles] = false;
    ++nFiles;
    return true;
}

void StagedFiles::StagedPath(int nIndex, char* szStaged, size_t cbStaged) const {
    WithSuffix(szStaged, cbStaged, szPaths[nIndex], kStagedSuffix);
}

void StagedFiles::AsidePath(int nIndex, char* szAside, size_t cbAside) const {
    WithSuffix(szAside, cbAside, szPaths[nIndex], kAsideSuffix);
}

void StagedFiles::Fail(int nIndex, DWORD dwError) {
    if (szFailedPath[0] != '\0') return;  // the first failure is the one to tell
    memcpy(szFailedPath, szPaths[nIndex], strlen(szPaths[nIndex]) + 1);
    dwFailedError = dwError != ERROR_SUCCESS ? dwError : ERROR_WRITE_FAULT;
}

bool StagedFiles::CheckReplaceable() {
    for (int i = 0; i < nFiles; ++i) {
        // A read-only file is refused as Windows refuses to open it for writing. (Some systems,
        // Wine run by root among them, would open it all the same, and then fail to delete it.)
        DWORD dwAttributes = GetFileAttributesA(szPaths[i]);
        if (dwAttributes != INVALID_FILE_ATTRIBUTES && (dwAttributes & FILE_ATTRIBUTE_READONLY) != 0) {
            Fail(i, ERROR_ACCESS_DENIED);
            return false;
        }
        // Write and delete access with no sharing: refused for a file another program holds open.
        HANDLE hFile = CreateFileA(szPaths[i], GENERIC_WRITE | DELETE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                   nullptr);
        if (hFile != INVALID_HANDLE_VALUE) {
            CloseHandle(hFile);
            continue;
        }
        DWORD dwError = GetLastError();
        if (dwError == ERROR_FILE_NOT_FOUND) continue;
        Fail(i, dwError);
        return false;
    }
    return true;
}

HANDLE StagedFiles::CreateStaged(int nIndex) {
    char szStaged[kPathBufferSize];
    StagedPath(nIndex, szStaged, sizeof(szStaged));
    // A staged file left by an earlier, broken run is not in the way.
    SetFileAttributesA(szStaged, FILE_ATTRIBUTE_NORMAL);
    HANDLE hFile = CreateFileA(szStaged, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE) Fail(nIndex, GetLastError());
    return hFile;
}

bool StagedFiles::Write(int nIndex, HANDLE hFile, const void* pBytes, DWORD cbBytes) {
    DWORD cbWritten = 0;
    if (WriteFile(hFile, pBytes, cbBytes, &cbWritten, nullptr) && cbWritten == cbBytes) return true;
    Fail(nIndex, cbWritten == cbBytes ? GetLastError() : ERROR_DISK_FULL);
    return false;
}

bool StagedFiles::Commit() {
    char szStaged[kPathBufferSize], szAside[kPathBufferSize];
    for (int i = 0; i < nFiles; ++i) {
        StagedPath(i, szStaged, sizeof(szStaged));
        AsidePath(i, szAside, sizeof(szAside));
        // The earlier file steps aside first, so that it can come back if a later step fails.
        bHadEarlier[i] = GetFileAttributesA(szPaths[i]) != INVALID_FILE_ATTRIBUTES;
        if (bHadEarlier[i] && !MoveFileExA(szPaths[i], szAside, MOVEFILE_REPLACE_EXISTING)) {
            Fail(i, GetLastError());
            Undo(i);
            return false;
        }
        if (!MoveFileExA(szStaged, szPaths[i], 0)) {
            Fail(i, GetLastError());
            if (bHadEarlier[i]) MoveFileExA(szAside, szPaths[i], 0);
            Undo(i);
            return false;
        }
    }
    for (int i = 0; i < nFiles; ++i) {
        AsidePath(i, szAside, sizeof(szAside));
        if (bHadEarlier[i]) DeleteFileA(szAside);
    }
    return true;
}

void StagedFiles::Undo(int nReplaced) {
    char szAside[kPathBufferSize];
    for (int i = nReplaced - 1; i >= 0; --i) {
        DeleteFileA(szPaths[i]);
        AsidePath(i, szAside, sizeof(szAside));
        if (bHadEarlier[i]) MoveFileExA(szAside, szPaths[i], 0);
    }
    Discard();
}

void StagedFiles::Discard() {
    char szStaged[kPathBufferSize];
    for (int i = 0; i < nFiles; ++i) {
        StagedPath(i, szStaged, sizeof(szStaged));
        DeleteFileA(szStaged);
    }
}
