#include "setup/uninstall_dialog.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "setup/running_copy.h"
#include "setup/shell_registration.h"
#include "support/file_ops.h"
#include "support/owned_handle.h"
#include "support/registry.h"
#include "support/run_at_logon.h"

namespace {
const char kUninstallCaption[] = "Uninstall TallyQuill";
// The uninstaller that handed over ends right after starting its copy.
const DWORD kHandOverEndMs = 10000;

// ProgramFilesDir is taken only when it is at most this long as stored: "\Kestrilon" is appended
// to it in a path buffer.
const DWORD kMakerFolderBaseMaxBytes = 243;
static_assert(kMakerFolderBaseMaxBytes + sizeof("\\Kestrilon") <= kPathBufferSize,
              "the maker's folder fits a path buffer");

// The process id of "/uninstall <id>", 0 when the command line names none.
DWORD HandingOverProcessId(int nArgs, char** pszArgs) {
    if (nArgs < 3 || strcmp(pszArgs[1], "/uninstall") != 0) return 0;
    char* pEnd = nullptr;
    unsigned long nProcessId = strtoul(pszArgs[2], &pEnd, 10);
    if (pEnd == pszArgs[2] || *pEnd != '\0') return 0;
    return static_cast<DWORD>(nProcessId);
}
}  // namespace

UninstallDialog::UninstallDialog(const char* szTitle, int nArgs, char** pszArgs)
    : InstallDialog(szTitle), bWithArgument(nArgs >= 2), dwHandingOverProcessId(HandingOverProcessId(nArgs, pszArgs)) {}

bool UninstallDialog::MainFunction() {
    // Started without an argument: carry on from a copy in the temporary folder, which can delete
    // this file. The copy has the same exe file type and comes back here with an argument.
    if (!bWithArgument) {
        char szTempCopy[kPathBufferSize] = "";
        DWORD n = GetTempPathA(sizeof(szTempCopy), szTempCopy);
        if (n > 0 && n < sizeof(szTempCopy) && LFile::_PathCatFits(szTempCopy, "uninst.exe")) {
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
    if (!EndRunningCopiesOrSay(hwndDlg, kUninstallCaption, "uninstall")) return false;
    RemoveInstallation();
    char szStayed[kStayedTextSize];
    if (ListWhatStayed(szStayed, sizeof(szStayed))) {
        char szText[kStayedTextSize + 200];
        snprintf(szText, sizeof(szText), "TallyQuill was removed, but these could not be deleted:\n\n%s\nYou may delete them yourself.",
                  szStayed);
        MessageBoxA(hwndDlg, szText, kUninstallCaption, MB_OK | MB_ICONWARNING);
    }
    return true;
}

void UninstallDialog::WaitForHandingOverProcess() {
    if (dwHandingOverProcessId == 0) return;
    LOwnedHandle process(OpenProcess(SYNCHRONIZE, FALSE, dwHandingOverProcessId));
    if (process.IsOpen()) WaitForSingleObject(process.Get(), kHandOverEndMs);  // else already gone
}

bool UninstallDialog::ListWhatStayed(char* szStayed, size_t cbStayed) {
    szStayed[0] = '\0';
    char szFolder[kPathBufferSize];
    GetRegistryString(kFoldersSection, "ProgramFiles", "", szFolder, sizeof(szFolder));
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
    GetDesktopShortcutPath(szPath, sizeof(szPath));
    if (szPath[0] != '\0') DeleteFileA(szPath);

    DeleteUninstallEntry();
    // Nothing starts the removed program at logon: the machine-wide value goes, and the own value of
    // the user who removes it. Other users' own values are in their own profiles and stay; at their
    // logon the system finds no program to start.
    ClearRunAtLogon();

    RemoveStartMenuItem("TallyQuill");
    RemoveStartMenuItem("TallyQuill Help");
    RemoveStartMenuGroup();

    // Both values name the install folder: the first call removes it, the second finds nothing.
    DeleteRegisteredFolder("DataFiles");
    DeleteRegisteredFolder("ProgramFiles");

    // The maker's folder goes only when nothing else of the maker's is in it.
    char szMakerFolder[kPathBufferSize];
    if (ReadProgramFilesDir(szMakerFolder, sizeof(szMakerFolder), kMakerFolderBaseMaxBytes)) {
        strcat(szMakerFolder, "\\Kestrilon");
        RemoveDirectoryA(szMakerFolder);
    }
}

void UninstallDialog::DeleteRegisteredFolder(const char* szValueName) {
    char szFolder[kPathBufferSize];
    GetRegistryString(kFoldersSection, szValueName, "", szFolder, sizeof(szFolder));
    if (szFolder[0] != '\0') DeleteFolderAndFiles(szFolder);
}

void RunUninstall(int nArgs, char** pszArgs) {
    UninstallDialog dialog(kInstallTitle, nArgs, pszArgs);
    dialog.RunInInstallFolder();
}
