#include "setup/uninstall_dialog.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "setup/elevation.h"
#include "setup/program_start.h"
#include "setup/running_copy.h"
#include "setup/setup_layout.h"
#include "setup/setup_outcome.h"
#include "setup/uninstaller_copy.h"
#include "support/file_ops.h"
#include "support/owned_handle.h"

namespace {
const char kUninstallCaption[] = "Uninstall TallyQuill";
// The uninstaller that handed over ends right after starting its copy, or right after its answer.
const DWORD kHandOverEndMs = 10000;
// A file whose process has just ended may stay locked a moment longer.
const int kDeleteTries = 50;
const DWORD kDeleteRetryMs = 100;

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

// A file, and then its folder when empty, deleted when the system next starts.
void RemoveAtRestart(const char* szFile) {
    char szFolder[kPathBufferSize];
    LFile::_GetFolderFromPath(szFolder, szFile);
    MoveFileExA(szFile, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    MoveFileExA(szFolder, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

}  // namespace

UninstallDialog::UninstallDialog(const char* szTitle, int nArgs, char** pszArgs, Registration* pRegistration)
    : InstallDialog(szTitle),
      bWithArgument(false),
      dwHandingOverProcessId(HandingOverProcessId(nArgs, pszArgs)),
      systemRegistration(),
      engine(pRegistration != nullptr ? pRegistration : &systemRegistration) {
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
        if (dwHandingOverProcessId != 0) AnswerHandingOverProcess(kExitStillRunning);
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
    bool bFilesStayed = UninstallEngine::ListWhatStayed(szStayed, sizeof(szStayed));
    SetExitCode(bFilesStayed || engine.Stayed().Count() > 0 ? kExitFileFailure : kExitDone);
    if (ExitCode() != kExitDone) {
        char szText[kStayedTextSize + MissedSteps::kTextSize + 200];
        snprintf(szText, sizeof(szText),
                 "TallyQuill was removed, but these could not be deleted:\n\n%s%s\nYou may delete them yourself.",
                 bFilesStayed ? szStayed : "", engine.Stayed().Text());
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
    // Started without waiting for it to be ready for input, as WinExec would: the copy first waits
    // for this process to end.
    if (!StartProgramAndGoOn(szCopy, szArguments)) return false;
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
    UninstallEngine::RegisteredInstallFolder(szFolder, sizeof(szFolder));
    bool bAllGone = UninstallEngine::OnlyUninstallerStayed(szFolder) && engine.Stayed().Count() == 0;
    SetExitCode(bAllGone ? kExitDone : kExitFileFailure);
    // Only an uninstaller that handed over waits on this process's standard output.
    if (dwHandingOverProcessId != 0) AnswerHandingOverProcess(ExitCode());
    if (handingOver.IsOpen()) WaitForSingleObject(handingOver.Get(), kHandOverEndMs);

    char szUninstaller[kPathBufferSize];
    if (szFolder[0] != '\0' && LFile::_PathCatFits(szFolder, kUninstallerFileName)) {
        memcpy(szUninstaller, szFolder, strlen(szFolder) + 1);
        LFile::FilePathCat(szUninstaller, kUninstallerFileName);
        if (GetFileAttributesA(szUninstaller) != INVALID_FILE_ATTRIBUTES && !DeleteFileWhenFree(szUninstaller))
            RemoveAtRestart(szUninstaller);
        else
            RemoveDirectoryA(szFolder);
        UninstallEngine::RemoveMakerFolder();
    }
    // This copy, in a folder of its own, goes with its folder when the system next starts.
    if (IsInOwnCopyFolder(szSourcePath)) RemoveAtRestart(szSourcePath);
}

void UninstallDialog::WaitForHandingOverProcess() {
    if (dwHandingOverProcessId == 0) return;
    LOwnedHandle process(OpenProcess(SYNCHRONIZE, FALSE, dwHandingOverProcessId));
    if (process.IsOpen()) WaitForSingleObject(process.Get(), kHandOverEndMs);  // else already gone
}

void UninstallDialog::RemoveInstallation() { engine.RemoveInstallation(); }

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
