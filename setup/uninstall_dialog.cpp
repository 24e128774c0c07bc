#include "setup/uninstall_dialog.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "setup/elevation.h"
#include "setup/running_copy.h"
#include "setup/setup_layout.h"
#include "setup/shell_registration.h"
#include "setup/uninstaller_copy.h"
#include "support/file_ops.h"
#include "support/owned_handle.h"
#include "support/registry.h"
#include "support/run_at_logon.h"

namespace {
const char kUninstallCaption[] = "Uninstall TallyQuill";
// The uninstaller that handed over ends right after starting its copy, or right after its answer.
const DWORD kHandOverEndMs = 10000;
// A file whose process has just ended may stay locked a moment longer.
const int kDeleteTries = 50;
const DWORD kDeleteRetryMs = 100;

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

// Deletes a file, trying again for a moment while it is still in use; false when it stays.
bool DeleteFileWhenFree(const char* szPath) {
    for (int nTry = 0; nTry < kDeleteTries; ++nTry) {
        if (DeleteFileA(szPath) || GetLastError() == ERROR_FILE_NOT_FOUND) return true;
        Sleep(kDeleteRetryMs);
    }
    return false;
}

// The answer to the uninstaller that handed over and waits for it: the exit code, as 4 bytes on
// the pipe it gave as this process's standard output. Nothing is written where there is no pipe.
void AnswerHandingOverProcess(int nExitCode) {
    HANDLE hAnswer = GetStdHandle(STD_OUTPUT_HANDLE);
    if (hAnswer == nullptr || hAnswer == INVALID_HANDLE_VALUE || GetFileType(hAnswer) != FILE_TYPE_PIPE) return;
    unsigned char bytes[4];
    WriteField32(bytes, static_cast<uint32_t>(nExitCode));
    DWORD cbWritten = 0;
    WriteFile(hAnswer, bytes, sizeof(bytes), &cbWritten, nullptr);
    CloseHandle(hAnswer);
    SetStdHandle(STD_OUTPUT_HANDLE, nullptr);
}

// Calls visit(name) for each entry directly in a folder, until it answers false; false when the
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

// Whether nothing of the installation stayed but the uninstaller "uninst.exe" in the install folder.
bool OnlyUninstallerStayed(const char* szFolder) {
    if (szFolder[0] == '\0' || GetFileAttributesA(szFolder) == INVALID_FILE_ATTRIBUTES) return true;
    bool bOnly = true;
    bool bListed = ForEachEntryIn(szFolder, [&](const char* szName) {
        bOnly = lstrcmpiA(szName, "uninst.exe") == 0;
        return bOnly;
    });
    return bListed && bOnly;
}

// The maker's folder below Program Files, which goes only when nothing else of the maker's is in it.
void RemoveMakerFolder() {
    char szMakerFolder[kPathBufferSize];
    if (ReadProgramFilesDir(szMakerFolder, sizeof(szMakerFolder), kMakerFolderBaseMaxBytes)) {
        strcat(szMakerFolder, "\\Kestrilon");
        RemoveDirectoryA(szMakerFolder);
    }
}

// A file, and then its folder when empty, deleted when the system next starts.
void RemoveAtRestart(const char* szFile) {
    char szFolder[kPathBufferSize];
    LFile::_GetFolderFromPath(szFolder, szFile);
    MoveFileExA(szFile, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    MoveFileExA(szFolder, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

}  // namespace

UninstallDialog::UninstallDialog(const char* szTitle, int nArgs, char** pszArgs)
    : InstallDialog(szTitle), bWithArgument(false), dwHandingOverProcessId(HandingOverProcessId(nArgs, pszArgs)) {
    int nOthers = 0;
    SetupSwitches switches = ReadSetupSwitches(nArgs, pszArgs, &nOthers);
    // "/S" alone is no go-ahead: the silent uninstaller hands over as the one started by hand does.
    bWithArgument = nOthers > 0;
    SetSilent(switches.bSilent);
}

bool UninstallDialog::MainFunction() {
    // Started without an argument: carry on from a copy elsewhere, which can delete this file. The
    // copy has the same exe file type and comes back here with an argument.
    if (!bWithArgument && HandOverToCopy()) return true;
    if (CheckCancel()) return false;
    if (!IsSilent()) {
        WaitForHandingOverProcess();
        if (MessageBoxA(hwndDlg, "Are you sure you want to remove TallyQuill from this computer?",
                        kUninstallCaption, MB_YESNO | MB_ICONERROR) != IDYES)
            return true;
    }
    // A copy hiding in the tray holds its file: it is ended first, or nothing is removed.
    bool bNoneRunning = IsSilent() ? EndRunningCopies(kRunningCopyEndMs)
                                   : EndRunningCopiesOrSay(hwndDlg, kUninstallCaption, "uninstall");
    if (!bNoneRunning) {
        SetExitCode(kExitStillRunning);
        AnswerHandingOverProcess(kExitStillRunning);
        return false;
    }
    RemoveInstallation();
    if (IsSilent()) {
        FinishSilently();
        return true;
    }
    // This copy, in a folder of its own, goes with its folder when the system next starts.
    if (IsInOwnCopyFolder(szSourcePath)) RemoveAtRestart(szSourcePath);
    char szStayed[kStayedTextSize];
    SetExitCode(kExitDone);
    if (ListWhatStayed(szStayed, sizeof(szStayed))) {
        SetExitCode(kExitFileFailure);
        char szText[kStayedTextSize + 200];
        snprintf(szText, sizeof(szText), "TallyQuill was removed, but these could not be deleted:\n\n%s\nYou may delete them yourself.",
                  szStayed);
        MessageBoxA(hwndDlg, szText, kUninstallCaption, MB_OK | MB_ICONWARNING);
    }
    return true;
}

bool UninstallDialog::HandOverToCopy() {
    char szCopy[kPathBufferSize];
    if (!MakeUninstallerCopy(szSourcePath, szCopy, sizeof(szCopy))) return false;
    // The copy is told this process's id, to wait for its end: this file can then go.
    char szArguments[48];
    snprintf(szArguments, sizeof(szArguments), "/uninstall %lu%s", static_cast<unsigned long>(GetCurrentProcessId()),
             IsSilent() ? " /S" : "");
    if (IsSilent()) return RunCopyForItsAnswer(szCopy, szArguments);
    StartProgram(szCopy, szArguments);
    SetExitCode(kExitDone);
    return true;
}

bool UninstallDialog::RunCopyForItsAnswer(const char* szCopy, const char* szArguments) {
    SECURITY_ATTRIBUTES inheritable = {sizeof(inheritable), nullptr, TRUE};
    HANDLE hRead = nullptr, hWrite = nullptr;
    if (!CreatePipe(&hRead, &hWrite, &inheritable, 0)) return false;
    LOwnedHandle reader(hRead), writer(hWrite);
    // Only the pipe's writing end goes to the copy: the reading end stays this process's.
    SetHandleInformation(reader.Get(), HANDLE_FLAG_INHERIT, 0);
    char szCommand[2 * kPathBufferSize];
    int n = snprintf(szCommand, sizeof(szCommand), "\"%s\" %s", szCopy, szArguments);
    if (n <= 0 || n >= static_cast<int>(sizeof(szCommand))) return false;
    STARTUPINFOA start;
    memset(&start, 0, sizeof(start));
    start.cb = sizeof(start);
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdOutput = writer.Get();
    PROCESS_INFORMATION process;
    if (!CreateProcessA(szCopy, szCommand, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &start, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    // With this process's writing end closed, the pipe breaks when the copy ends without answering.
    writer.Close();
    unsigned char bytes[4];
    DWORD cbDone = 0;
    while (cbDone < sizeof(bytes)) {
        DWORD cbRead = 0;
        if (!ReadFile(reader.Get(), bytes + cbDone, sizeof(bytes) - cbDone, &cbRead, nullptr) || cbRead == 0) break;
        cbDone += cbRead;
    }
    SetExitCode(cbDone == sizeof(bytes) ? static_cast<int>(ReadField32(bytes)) : kExitFileFailure);
    return true;
}

void UninstallDialog::FinishSilently() {
    // The uninstaller that handed over is held before it is answered, so that its end is not
    // missed and its id cannot meanwhile name another process.
    LOwnedHandle handingOver(dwHandingOverProcessId != 0 ? OpenProcess(SYNCHRONIZE, FALSE, dwHandingOverProcessId)
                                                         : nullptr);
    char szFolder[kPathBufferSize];
    GetRegistryString(kFoldersSection, "ProgramFiles", "", szFolder, sizeof(szFolder));
    SetExitCode(OnlyUninstallerStayed(szFolder) ? kExitDone : kExitFileFailure);
    AnswerHandingOverProcess(ExitCode());
    if (handingOver.IsOpen()) WaitForSingleObject(handingOver.Get(), kHandOverEndMs);

    char szUninstaller[kPathBufferSize];
    if (szFolder[0] != '\0' && LFile::_PathCatFits(szFolder, "uninst.exe")) {
        memcpy(szUninstaller, szFolder, strlen(szFolder) + 1);
        LFile::FilePathCat(szUninstaller, "uninst.exe");
        if (GetFileAttributesA(szUninstaller) != INVALID_FILE_ATTRIBUTES && !DeleteFileWhenFree(szUninstaller))
            RemoveAtRestart(szUninstaller);
        else
            RemoveDirectoryA(szFolder);
        RemoveMakerFolder();
    }
    // This copy, in a folder of its own, goes with its folder when the system next starts.
    if (IsInOwnCopyFolder(szSourcePath)) RemoveAtRestart(szSourcePath);
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
    ForEachEntryIn(szFolder, [&](const char* szName) {
        char szLine[kPathBufferSize + 4];
        snprintf(szLine, sizeof(szLine), "    %s", szName);
        return Append(szLine);
    });
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

    RemoveMakerFolder();
}

void UninstallDialog::DeleteRegisteredFolder(const char* szValueName) {
    char szFolder[kPathBufferSize];
    GetRegistryString(kFoldersSection, szValueName, "", szFolder, sizeof(szFolder));
    if (szFolder[0] != '\0') DeleteFolderAndFiles(szFolder);
}

int RunUninstall(const char* szProgramPath, int nArgs, char** pszArgs) {
    LimitLibrarySearchToSystemFolder();
    int nExitCode = kExitDone;
    if (RunElevatedCopy(SetupRole::kUninstall, szProgramPath, nArgs, pszArgs, &nExitCode)) return nExitCode;
    SetupSwitches switches = ReadSetupSwitches(nArgs, pszArgs, nullptr);
    // A running copy is ended once the user has agreed to the removal.
    UninstallDialog dialog(kInstallTitle, nArgs, pszArgs);
    dialog.RunInInstallFolder();
    return switches.bSilent || switches.bElevatedCopy ? dialog.ExitCode() : kExitDone;
}
