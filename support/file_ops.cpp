// Deleting an install folder: its files, then the folder itself.
#include <windows.h>
#include <string.h>

#include "support/path_text.h"

bool LFile::DeleteFolderAndFiles(const char* szFolderPath) {
    // A path that does not fit its buffer would name another folder once cut: delete nothing.
    if (!_PathCatFits(szFolderPath, "*.*")) {
        TraceText("LFile::DeleteFolderAndFiles szFolderPath too long");
        return false;
    }
    char szPattern[kPathBufferSize];
    memcpy(szPattern, szFolderPath, strlen(szFolderPath) + 1);
    FilePathCat(szPattern, "*.*");

    WIN32_FIND_DATAA found;
    HANDLE hFind = FindFirstFileA(szPattern, &found);
    if (hFind != INVALID_HANDLE_VALUE) {
        do {
            // ".", ".." and any other name that begins with a dot stay.
            if (found.cFileName[0] == '.') continue;
            if (!_PathCatFits(szFolderPath, found.cFileName)) {
                TraceText("LFile::DeleteFolderAndFiles file path too long");
                continue;
            }
            char szFile[kPathBufferSize];
            memcpy(szFile, szFolderPath, strlen(szFolderPath) + 1);
            FilePathCat(szFile, found.cFileName);
            // Sub-folders are not entered: DeleteFileA fails on them and the folder stays.
            if (!DeleteFileA(szFile)) TraceText("LFile::DeleteFolderAndFiles unable to DeleteFile: ");
        } while (FindNextFileA(hFind, &found));
        FindClose(hFind);
    }
    if (RemoveDirectoryA(szFolderPath)) return true;
    TraceText("LFile::DeleteFolderAndFiles unable to DeleteFolder: ");
    return false;
}
