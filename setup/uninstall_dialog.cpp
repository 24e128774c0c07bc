#include "setup/uninstall_dialog.h"

#include <stdlib.h>
#include <string.h>

#include "support/registry.h"

namespace {
const char kFoldersSection[] = "Folders";
}

bool UninstallDialog::MainFunction() {
    // Started without an argument: carry on from a copy in the temporary folder, which can delete
    // this file. The copy has the same exe file type and comes back here with an argument.
    if (__argc < 2) {
        char szTempCopy[kPathBufferSize] = "";
        DWORD n = GetTempPathA(kPathBufferSize, szTempCopy);
        if (n > 0 && n < kPathBufferSize && LFile::_PathCatFits(szTempCopy, "uninst.exe")) {
            LFile::FilePathCat(szTempCopy, "uninst.exe");
            if (CopyFileA(szSourcePath, szTempCopy, FALSE)) {
                StartProgram(szTempCopy, "/uninstall");
                return true;
            }
        }
    }
    if (CheckCancel()) return false;
    Sleep(250);
    if (MessageBoxA(hwndProgress, "Are you sure you want to remove TallyQuill from this computer?",
                    "Uninstall TallyQuill", MB_YESNO | MB_ICONERROR) == IDYES)
        RemoveInstallation();
    return true;
}

void UninstallDialog::RemoveInstallation() {
    char szPath[kPathBufferSize];
    GetDesktopShortcutPath(szPath);
    if (szPath[0] != '\0') DeleteFileA(szPath);

    HKEY hCurrentVersion = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", 0, KEY_ALL_ACCESS,
                      &hCurrentVersion) == ERROR_SUCCESS) {
        RegDeleteKeyA(hCurrentVersion, "Uninstall\\TallyQuill");
        RegCloseKey(hCurrentVersion);
    }

    RemoveStartMenuItem("TallyQuill");
    RemoveStartMenuItem("TallyQuill Help");
    RemoveStartMenuGroup();

    // Both values name the install folder: the first call removes it, the second finds nothing.
    DeleteRegisteredFolder("DataFiles");
    DeleteRegisteredFolder("ProgramFiles");

    // The maker's folder goes only when nothing else of the maker's is in it.
    char szMakerFolder[kPathBufferSize];
    if (ReadSystemText(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir",
                       szMakerFolder, 243)) {
        strcat(szMakerFolder, "\\Kestrilon");
        RemoveDirectoryA(szMakerFolder);
    }
}

void UninstallDialog::DeleteRegisteredFolder(const char* szValueName) {
    char szFolder[kRegistryTextSize];
    GetRegistryString(kFoldersSection, szValueName, "", szFolder);
    if (szFolder[0] != '\0') LFile::DeleteFolderAndFiles(szFolder);
}

void RunUninstall() {
    // The same title as the install's.
    UninstallDialog dialog("Installing TallyQuill v 1.02");
    InstallDialog::GetInstallProgramFilesPath(dialog.szInstallPath);
    SetRegistryString(kFoldersSection, "ProgramFiles", dialog.szInstallPath);
    SetRegistryString(kFoldersSection, "DataFiles", dialog.szInstallPath);
    dialog.Run(nullptr);
}
