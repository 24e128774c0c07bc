#include "setup/uninstaller_copy.h"

#include <windows.h>
#include <stdio.h>
#include <string.h>

#include "setup/elevation.h"
#include "setup/folder_protection.h"
#include "setup/setup_layout.h"
#include "support/path_text.h"

namespace {

const char kCopyFolderPrefix[] = "TallyQuill-uninst-";
// Names tried before giving up: a name someone made first is passed over, never used.
const int kMaxFolderTries = 100;

// A new folder "<base>\TallyQuill-uninst-<id>-<n>" that only Administrators and SYSTEM can change
// (MakeProtectedFolder); false when none could be made. A folder that already exists is never
// taken: someone else made it.
bool MakeOwnFolder(const char* szBase, char* szFolder, size_t cbFolder) {
    for (int nTry = 0; nTry < kMaxFolderTries; ++nTry) {
        int n = snprintf(szFolder, cbFolder, "%s\\%s%lu-%d", szBase, kCopyFolderPrefix,
                         static_cast<unsigned long>(GetCurrentProcessId()), nTry);
        if (n <= 0 || static_cast<size_t>(n) >= cbFolder) return false;
        FolderProtection made = MakeProtectedFolder(szFolder);
        if (made == kFolderMadeProtected) return true;
        if (made == kFolderNotMade) return false;
    }
    return false;
}

}  // namespace

bool MakeUninstallerCopy(const char* szSource, char* szCopy, size_t cbCopy) {
    char szFolder[kPathBufferSize] = "";
    if (RunsElevated()) {
        // The system's temporary folder: a user may add to it but not rename or delete what an
        // administrator made there, as a user's own TEMP would allow.
        char szWindows[kPathBufferSize];
        UINT n = GetWindowsDirectoryA(szWindows, sizeof(szWindows));
        if (n == 0 || n >= sizeof(szWindows) || !LFile::_PathCatFits(szWindows, "Temp")) return false;
        LFile::FilePathCat(szWindows, "Temp");
        CreateDirectoryA(szWindows, nullptr);
        if (!MakeOwnFolder(szWindows, szFolder, sizeof(szFolder))) return false;
    } else {
        DWORD n = GetTempPathA(sizeof(szFolder), szFolder);
        if (n == 0 || n >= sizeof(szFolder)) return false;
    }
    if (!LFile::_PathCatFits(szFolder, kUninstallerFileName) || strlen(szFolder) + 1 + sizeof(kUninstallerFileName) > cbCopy)
        return false;
    LFile::FilePathCat(szFolder, kUninstallerFileName);
    memcpy(szCopy, szFolder, strlen(szFolder) + 1);
    return CopyFileA(szSource, szCopy, FALSE) != FALSE;
}

bool IsInOwnCopyFolder(const char* szProgramPath) {
    char szFolder[kPathBufferSize];
    LFile::_GetFolderFromPath(szFolder, szProgramPath);
    char szName[kPathBufferSize];
    LFile::_GetFileFromPath(szName, szFolder);
    return strncmp(szName, kCopyFolderPrefix, sizeof(kCopyFolderPrefix) - 1) == 0;
}
