#include "support/file_ops.h"

#include <windows.h>
#include <commdlg.h>
#include <string.h>

#include "support/path_text.h"

bool DeleteFolderAndFiles(const char* szFolderPath) {
    // A path that does not fit its buffer would name another folder once cut: delete nothing.
    if (!LFile::_PathCatFits(szFolderPath, "*.*")) return false;
    char szPattern[kPathBufferSize];
    memcpy(szPattern, szFolderPath, strlen(szFolderPath) + 1);
    LFile::FilePathCat(szPattern, "*.*");

    WIN32_FIND_DATAA found;
    HANDLE hFind = FindFirstFileA(szPattern, &found);
    if (hFind != INVALID_HANDLE_VALUE) {
        do {
            // ".", ".." and any other name that begins with a dot stay, as does an entry whose full
            // path would not fit.
            if (found.cFileName[0] == '.' || !LFile::_PathCatFits(szFolderPath, found.cFileName)) continue;
            char szFile[kPathBufferSize];
            memcpy(szFile, szFolderPath, strlen(szFolderPath) + 1);
            LFile::FilePathCat(szFile, found.cFileName);
            // Sub-folders are not entered: DeleteFileA fails on them and the folder stays.
            DeleteFileA(szFile);
        } while (FindNextFileA(hFind, &found));
        FindClose(hFind);
    }
    return RemoveDirectoryA(szFolderPath) != FALSE;
}

bool ChooseSaveFile(char* szFilePath, const char* szTitle, char* szFolder, const char* szDefExt,
                    const char* szFilter) {
    if (szFilePath[0] != '\0') LFile::_GetFolderFromPath(szFolder, szFilePath);
    OPENFILENAMEA ofn;
    memset(&ofn, 0, sizeof(ofn));
    // The record as the first systems with the Explorer-style dialog knew it, without later fields.
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    ofn.hwndOwner = GetActiveWindow();
    ofn.lpstrFilter = szFilter;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = szFilePath;
    ofn.nMaxFile = kPathBufferSize - 1;
    ofn.lpstrInitialDir = szFolder;
    ofn.lpstrTitle = szTitle;
    ofn.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
    ofn.lpstrDefExt = szDefExt;
    if (!GetSaveFileNameA(&ofn)) return false;
    LFile::_GetFolderFromPath(szFolder, szFilePath);
    return true;
}
