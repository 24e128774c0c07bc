// Files written beside the ones they replace ("<name>.new") and put in their place together, so that
// a failure at any point leaves an earlier installation as it was: either every file is replaced,
// or none is.
#pragma once
#include <stddef.h>
#include <windows.h>

#include "support/path_text.h"

class StagedFiles {
public:
    enum { kMaxFiles = 130 };

    StagedFiles() : nFiles(0), dwFailedError(ERROR_SUCCESS) { szFailedPath[0] = '\0'; }

    // Adds a destination; false when the table is full or the path leaves no room for the suffixes.
    bool Add(const char* szPath);
    // The file the new content of destination i is written to.
    void StagedPath(int nIndex, char* szStaged, size_t cbStaged) const;
    // Whether every existing destination can be replaced now: nobody holds it open and it is not
    // read-only. The first one that cannot is the failure.
    bool CheckReplaceable();
    // Opens the staged file of destination i for writing, empty; INVALID_HANDLE_VALUE is a failure.
    HANDLE CreateStaged(int nIndex);
    // Writes bytes and notes a failure (a short write counts as one).
    bool Write(int nIndex, HANDLE hFile, const void* pBytes, DWORD cbBytes);
    // Puts every staged file in place of its destination. On a failure, the destinations already
    // replaced get their earlier files back, and the staged files are deleted.
    bool Commit();
    // Deletes every staged file.
    void Discard();
    // Notes a failure of a step of the caller's on destination i.
    void Fail(int nIndex, DWORD dwError);

    int Count() const { return nFiles; }
    const char* Path(int nIndex) const { return szPaths[nIndex]; }
    const char* FailedPath() const { return szFailedPath; }
    DWORD FailedError() const { return dwFailedError; }

private:
    void AsidePath(int nIndex, char* szAside, size_t cbAside) const;
    void Undo(int nReplaced);

    char szPaths[kMaxFiles][kPathBufferSize];
    bool bHadEarlier[kMaxFiles];
    int nFiles;
    char szFailedPath[kPathBufferSize];
    DWORD dwFailedError;
};
