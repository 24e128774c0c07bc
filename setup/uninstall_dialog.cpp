#include "setup/uninstall_dialog.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "setup/running_copy.h"
#include "support/file_ops.h"
#include "support/registry.h"

namespace {
const char kFoldersSection[] = "Folders";
const char kUninstallCaption[] = "Uninstall TallyQuill";
// The uninstaller that handed over ends right after starting its copy.
const DWORD kHandOverEndMs = 10000;
}

bool UninstallDialog::MainFunction() {
    // Started without an argument: carry on from a copy in the temporary folder, which can delete
    // this file. The copy has the same exe file type and comes back here with an argument.
    if (__argc < 2) {
        char szTempCopy[kPathBufferSize] = "";
        DWORD n = GetTempPathA(kPathBufferSize, szTempCopy);
        if (n > 0 && n < kPathBufferSize && LFile::_PathCatFits(szTempCopy, "uninst.exe")) {
            LFile::FilePathCat(szTempCopy, "uninst.exe");
            // The copy is told this process's id, to wait for its end: this file can then go.
            char szArguments[40];
            snprintf(szArguments, sizeof(szArguments), "/uninstall %lu", static_cast<unsigned long>(GetCurrentProcessId()));
            if (CopyFileA(szSourcePath, szTempCopy, FALSE)) {
                StartProgram(szTempCopy, szArguments);
                return true;
            }
        }
    }
    if (CheckCancel()) return false;
    WaitForHandingOverProcess();
    if (MessageBoxA(hwndDlg, "Are you sure you want to remove TallyQuill from this computer?",
                    kUninstallCaption, MB_YESNO | MB_ICONERROR) != IDYES)
        return true;
    // A copy hiding in the tray holds its file: it is ended first, or nothing is removed.
    if (!EndRunningCopies(kRunningCopyEndMs)) {
        ShowStillRunning(hwndDlg, kUninstallCaption, "uninstall");
        return false;
    }
    RemoveInstallation();
    char szStayed[kStayedTextSize];
    if (ListWhatStayed(szStayed)) {
        char szText[kStayedTextSize + 200];
        snprintf(szText, sizeof(szText), "TallyQuill was removed, but these could not be deleted:\n\n%s\nYou may delete them yourself.",
                  szStayed);
        MessageBoxA(hwndDlg, szText, kUninstallCaption, MB_OK | MB_ICONWARNING);
    }
    return true;
}

void UninstallDialog::WaitForHandingOverProcess() {
    if (__argc < 3 || strcmp(__argv[1], "/uninstall") != 0) return;
    char* pEnd = nullptr;
    unsigned long nProcessId = strtoul(__argv[2], &pEnd, 10);
    if (pEnd == __argv[2] || *pEnd != '\0' || nProcessId == 0) return;
    HANDLE hProcess = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(nProcessId));
    if (hProcess == nullptr) return;  // already gone
    WaitForSingleObject(hProcess, kHandOverEndMs);
    CloseHandle(hProcess);
}

bool UninstallDialog::ListWhatStayed(char* szStayed) {
    szStayed[0] = '\0';
    char szFolder[kRegistryTextSize];
    GetRegistryString(kFoldersSection, "ProgramFiles", "", szFolder);
    if (szFolder[0] == '\0' || GetFileAttributesA(szFolder) == INVALID_FILE_ATTRIBUTES) return false;
    size_t nUsed = 0;
    auto Append = [&](const char* szLine) {
        size_t n = strlen(szLine);
        if (nUsed + n + 6 >= kStayedTextSize) {
            if (nUsed + 5 < kStayedTextSize) strcpy(szStayed + nUsed, "...\n"), nUsed += 4;
            return false;
        }
        memcpy(szStayed + nUsed, szLine, n);
        szStayed[nUsed + n] = '\n';
        nUsed += n + 1;
        szStayed[nUsed] = '\0';
        return true;
    };
    Append(szFolder);
    char szPattern[kPathBufferSize];
    if (!LFile::_PathCatFits(szFolder, "*.*")) return true;
    memcpy(szPattern, szFolder, strlen(szFolder) + 1);
    LFile::FilePathCat(szPattern, "*.*");
    WIN32_FIND_DATAA found;
    HANDLE hFind = FindFirstFileA(szPattern, &found);
    if (hFind != INVALID_HANDLE_VALUE) {
        do {
            if (strcmp(found.cFileName, ".") == 0 || strcmp(found.cFileName, "..") == 0) continue;
            char szLine[kPathBufferSize + 4];
            snprintf(szLine, sizeof(szLine), "    %s", found.cFileName);
            if (!Append(szLine)) break;
        } while (FindNextFileA(hFind, &found));
        FindClose(hFind);
    }
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
    if (szFolder[0] != '\0') DeleteFolderAndFiles(szFolder);
}

void RunUninstall() {
    UninstallDialog dialog(kInstallTitle);
    InstallDialog::GetInstallProgramFilesPath(dialog.szInstallPath);
    SetRegistryString(kFoldersSection, "ProgramFiles", dialog.szInstallPath);
    SetRegistryString(kFoldersSection, "DataFiles", dialog.szInstallPath);
    dialog.Run(nullptr);
}
