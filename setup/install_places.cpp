#include "setup/install_places.h"

#include <stdio.h>
#include <string.h>
#include <windows.h>

#include "setup/setup_layout.h"
#include "support/path_text.h"
#include "support/registry.h"

const char kFoldersSection[] = "Folders";

namespace {

// ProgramFilesDir is taken only when it is at most this long as stored: then the install folder
// with the longest name it holds while files are replaced fits a path buffer.
const DWORD kProgramFilesDirMaxBytes = 200;
static_assert(kProgramFilesDirMaxBytes + sizeof("\\Kestrilon\\TallyQuill\\") - 1 + sizeof(kUninstallerFileName) - 1 +
                      sizeof(".new") <= kPathBufferSize,
              "the install folder's paths fit a path buffer");

const char kFallBackFolder[] = "C:\\TallyQuill";

bool Fits(int n, size_t cbPath) { return n > 0 && static_cast<size_t>(n) < cbPath; }

}  // namespace

void InstallFolderPath(char* szPath, size_t cbPath, bool* pbFallBack) {
    char szProgramFiles[kPathBufferSize];
    *pbFallBack = !ReadProgramFilesDir(szProgramFiles, sizeof(szProgramFiles), kProgramFilesDirMaxBytes);
    if (*pbFallBack)
        snprintf(szPath, cbPath, "%s", kFallBackFolder);
    else
        snprintf(szPath, cbPath, "%s\\Kestrilon\\TallyQuill", szProgramFiles);
}

bool InstallFolderOthersMayChange(const char* szFolder, bool bFallBack) {
    // The root of the drive lets any user make a folder there and change what is in it; a folder
    // below Program Files inherits a protection that only administrators may change.
    return bFallBack && GetFileAttributesA(szFolder) != INVALID_FILE_ATTRIBUTES && OthersMayChangePath(szFolder);
}

FolderProtection MakeInstallFolder(const char* szFolder, bool bFallBack) {
    if (bFallBack) return MakeProtectedFolder(szFolder);
    // "<Program Files>\Kestrilon\TallyQuill": each folder above it is made first. A new folder takes
    // the protection it inherits from Program Files, where only administrators may change files:
    // every user starts this program at logon, and administrators run its uninstaller.
    char szAbove[kPathBufferSize];
    snprintf(szAbove, sizeof(szAbove), "%s", szFolder);
    char* pMaker = strrchr(szAbove, '\\');
    if (pMaker != nullptr) {
        *pMaker = '\0';
        char* pProgramFiles = strrchr(szAbove, '\\');
        if (pProgramFiles != nullptr) {
            *pProgramFiles = '\0';
            CreateDirectoryA(szAbove, nullptr);
            *pProgramFiles = '\\';
        }
        CreateDirectoryA(szAbove, nullptr);
    }
    if (CreateDirectoryA(szFolder, nullptr)) return kFolderMadeProtected;
    return GetFileAttributesA(szFolder) != INVALID_FILE_ATTRIBUTES ? kFolderProtected : kFolderNotMade;
}

bool InstalledProgramPath(char* szPath, size_t cbPath) {
    char szFolder[kPathBufferSize];
    bool bFallBack;
    InstallFolderPath(szFolder, sizeof(szFolder), &bFallBack);
    return JoinPath(szPath, cbPath, szFolder, kProgramFileName);
}

bool GetDestinationPath(char* szPath, size_t cbPath, const char* szInstallPath, const InstallFileRow& row) {
    if (row.szSubFolder != nullptr && lstrcmpiA(row.szSubFolder, "ProgramFiles") != 0 &&
        lstrcmpiA(row.szSubFolder, "DataFiles") != 0)
        return Fits(snprintf(szPath, cbPath, "%s\\%s\\%s", szInstallPath, row.szSubFolder, row.szFileName), cbPath);
    return JoinPath(szPath, cbPath, szInstallPath, row.szFileName);
}
