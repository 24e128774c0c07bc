#include "setup/uninstall_engine.h"

#include <stdio.h>
#include <string.h>
#include <windows.h>

#include "setup/install_places.h"
#include "setup/registration.h"
#include "setup/setup_layout.h"
#include "setup/shell_registration.h"
#include "support/file_ops.h"
#include "support/path_text.h"
#include "support/registry.h"

namespace {

// ProgramFilesDir is taken only when it is at most this long as stored: "\Kestrilon" is appended
// to it in a path buffer.
const DWORD kMakerFolderBaseMaxBytes = 243;
static_assert(kMakerFolderBaseMaxBytes + sizeof("\\Kestrilon") <= kPathBufferSize,
              "the maker's folder fits a path buffer");

// Calls visit(name) for each entry directly in a folder, until it returns false; false when the
// folder's search pattern does not fit a path.
template <typename Visit>
bool ForEachEntryIn(const char* szFolder, Visit visit) {
    char szPattern[kPathBufferSize];
    if (!LFile::_PathCatFits(szFolder, "*.*")) return false;
    memcpy(szPattern, szFolder, strlen(szFolder) + 1);
    LFile::FilePathCat(szPattern, "*.*");
    WIN32_FIND_DATAA found;
    HANDLE hFind = FindFirstFileA(szPattern, &found);
    if (hFind == INVALID_HANDLE_VALUE) return true;
    do {
        if (strcmp(found.cFileName, ".") != 0 && strcmp(found.cFileName, "..") != 0 && !visit(found.cFileName)) break;
    } while (FindNextFileA(hFind, &found));
    FindClose(hFind);
    return true;
}

}  // namespace

void UninstallEngine::DeleteShortcut(const char* szWhat, const char* szShortcut) {
    if (szShortcut[0] != '\0' && !pRegistration->DeleteShortcut(szShortcut)) stayed.Add(szWhat, szShortcut);
}

void UninstallEngine::RemoveInstallation() {
    char szPath[kPathBufferSize];
    GetDesktopShortcutPath(szPath, sizeof(szPath));
    DeleteShortcut("The desktop shortcut", szPath);

    if (!pRegistration->DeleteUninstallEntry())
        stayed.Add(kUninstallEntryWhat, kUninstallEntryWhere);
    // Nothing starts the removed program at logon, for any user logged on now.
    char szFolder[kPathBufferSize], szProgram[kPathBufferSize];
    RegisteredInstallFolder(szFolder, sizeof(szFolder));
    if (szFolder[0] != '\0' && JoinPath(szProgram, sizeof(szProgram), szFolder, kProgramFileName))
        pRegistration->DeleteRunValues(szProgram, &stayed);

    if (GetStartMenuShortcutPath("TallyQuill", false, szPath, sizeof(szPath)))
        DeleteShortcut("The Start menu shortcut", szPath);
    if (GetStartMenuShortcutPath("TallyQuill Help", false, szPath, sizeof(szPath)))
        DeleteShortcut("The Start menu shortcut to the guide", szPath);
    RemoveStartMenuGroup();

    // Both values name the install folder: the first call removes it, the second finds nothing.
    DeleteRegisteredFolder("DataFiles");
    DeleteRegisteredFolder("ProgramFiles");

    RemoveMakerFolder();
}

void UninstallEngine::RegisteredInstallFolder(char* szFolder, size_t cbFolder) {
    GetRegistryString(kFoldersSection, "ProgramFiles", "", szFolder, cbFolder);
}

void UninstallEngine::DeleteRegisteredFolder(const char* szValueName) {
    char szFolder[kPathBufferSize];
    GetRegistryString(kFoldersSection, szValueName, "", szFolder, sizeof(szFolder));
    if (szFolder[0] != '\0') DeleteFolderAndFiles(szFolder);
}

bool UninstallEngine::ListWhatStayed(char* szStayed, size_t cbStayed) {
    szStayed[0] = '\0';
    char szFolder[kPathBufferSize];
    RegisteredInstallFolder(szFolder, sizeof(szFolder));
    if (szFolder[0] == '\0' || GetFileAttributesA(szFolder) == INVALID_FILE_ATTRIBUTES) return false;
    size_t nUsed = 0;
    auto Append = [&](const char* szLine) {
        size_t n = strlen(szLine);
        if (nUsed + n + 6 >= cbStayed) {
            if (nUsed + 5 < cbStayed) strcpy(szStayed + nUsed, "...\n"), nUsed += 4;
            return false;
        }
        memcpy(szStayed + nUsed, szLine, n);
        szStayed[nUsed + n] = '\n';
        nUsed += n + 1;
        szStayed[nUsed] = '\0';
        return true;
    };
    Append(szFolder);
    ForEachEntryIn(szFolder, [&](const char* szName) {
        char szLine[kPathBufferSize + 4];
        snprintf(szLine, sizeof(szLine), "    %s", szName);
        return Append(szLine);
    });
    return true;
}

bool UninstallEngine::OnlyUninstallerStayed(const char* szFolder) {
    if (szFolder[0] == '\0' || GetFileAttributesA(szFolder) == INVALID_FILE_ATTRIBUTES) return true;
    bool bOnly = true;
    bool bListed = ForEachEntryIn(szFolder, [&](const char* szName) {
        bOnly = lstrcmpiA(szName, kUninstallerFileName) == 0;
        return bOnly;
    });
    return bListed && bOnly;
}

void UninstallEngine::RemoveMakerFolder() {
    char szMakerFolder[kPathBufferSize];
    if (ReadProgramFilesDir(szMakerFolder, sizeof(szMakerFolder), kMakerFolderBaseMaxBytes)) {
        strcat(szMakerFolder, "\\Kestrilon");
        RemoveDirectoryA(szMakerFolder);
    }
}
