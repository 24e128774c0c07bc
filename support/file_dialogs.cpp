#include <windows.h>
#include <commdlg.h>
#include <string.h>

#include "support/path_text.h"

bool LFile::ChooseSaveFile(char* szFilePath, const char* szTitle, char* szFolder, const char* szDefExt,
                           const char* szFilter) {
    if (szFilePath[0] != '\0') _GetFolderFromPath(szFolder, szFilePath);
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
    _GetFolderFromPath(szFolder, szFilePath);
    return true;
}
