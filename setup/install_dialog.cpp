#include "setup/install_dialog.h"

#include <stdio.h>
#include <string.h>

#include "resources/setup_dialog_ids.h"
#include "setup/elevation.h"
#include "setup/exe_type.h"
#include "setup/folder_protection.h"
#include "setup/licence_terms_dialog.h"
#include "setup/running_copy.h"
#include "setup/setup_file.h"
#include "setup/setup_layout.h"
#include "setup/shell_registration.h"
#include "setup/staged_files.h"
#include "support/owned_handle.h"
#include "support/registry.h"
#include "tallyq_version.h"

const char kInstallTitle[] = "Installing TallyQuill v " TQ_VERSION_TEXT;
const char kFoldersSection[] = "Folders";

namespace {

const DWORD kChunkSize = 4096;

// ProgramFilesDir is taken only when it is at most this long as stored: then the install folder
// with the longest name it holds while files are replaced fits a path buffer.
const DWORD kProgramFilesDirMaxBytes = 200;
static_assert(kProgramFilesDirMaxBytes + sizeof("\\Kestrilon\\TallyQuill\\uninst.exe.new") <= kPathBufferSize,
              "the install folder's paths fit a path buffer");

// "<folder>\\<name>"; false when it does not fit.
bool FormatInstallPath(char* szPath, size_t cbPath, const char* szFolder, const char* szName) {
    int n = snprintf(szPath, cbPath, "%s\\%s", szFolder, szName);
    return n > 0 && static_cast<size_t>(n) < cbPath;
}

bool ReadExactly(HANDLE hFile, void* pBuffer, DWORD cbWanted) {
    DWORD cbRead = 0;
    return ReadFile(hFile, pBuffer, cbWanted, &cbRead, nullptr) && cbRead == cbWanted;
}

bool SeekTo(HANDLE hFile, uint64_t nOffset) {
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(nOffset);
    return SetFilePointerEx(hFile, position, nullptr, FILE_BEGIN) != FALSE;
}

}  // namespace

bool GetDestinationPath(char* szPath, size_t cbPath, const char* szInstallPath, const InstallFileRow& row) {
    int n;
    if (row.szSubFolder != nullptr && lstrcmpiA(row.szSubFolder, "ProgramFiles") != 0 &&
        lstrcmpiA(row.szSubFolder, "DataFiles") != 0)
        n = snprintf(szPath, cbPath, "%s\\%s\\%s", szInstallPath, row.szSubFolder, row.szFileName);
    else
        n = snprintf(szPath, cbPath, "%s\\%s", szInstallPath, row.szFileName);
    return n > 0 && static_cast<size_t>(n) < cbPath;
}

void ShowDamagedSetupMessage(HWND hwndOwner) {
    MessageBoxA(hwndOwner,
                "Installation file corrupt.\n\nA checksum error was detected in your install file, please "
                "redownload file and install again.",
                "Install Error", MB_OK | MB_ICONWARNING);
}

void ShowUnsafeFolderMessage(HWND hwndOwner, const char* szFolder) {
    char szText[kPathBufferSize + 600];
    snprintf(szText, sizeof(szText),
             "TallyQuill was not installed: the folder it would go into is one that any user of this "
             "computer could change.\n\n%s\n\nTallyQuill starts for every user at logon, so whoever can "
             "change this folder could swap the program that every user starts.\n\nDelete this folder, or "
             "let only administrators change it, and start the setup again.",
             szFolder);
    MessageBoxA(hwndOwner, szText, "Install Error", MB_OK | MB_ICONWARNING);
}

void ShowFileFailure(HWND hwndOwner, const char* szPath, DWORD dwError) {
    char szReason[256] = "";
    if (FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, dwError, 0, szReason,
                       sizeof(szReason), nullptr) == 0)
        snprintf(szReason, sizeof(szReason), "System error %lu.", static_cast<unsigned long>(dwError));
    char szText[kPathBufferSize + 400];
    snprintf(szText, sizeof(szText),
             "TallyQuill could not be installed: this file could not be written.\n\n%s\n\n%s\n"
             "Nothing was changed. Close any program that uses the file and start the setup again.",
             szPath, szReason);
    MessageBoxA(hwndOwner, szText, "Install Error", MB_OK | MB_ICONWARNING);
}

void StartProgram(const char* szPath, const char* szArguments) {
    char szCommand[2 * kPathBufferSize];
    int n = snprintf(szCommand, sizeof(szCommand), szArguments[0] ? "\"%s\" %s" : "\"%s\"", szPath, szArguments);
    if (n > 0 && n < static_cast<int>(sizeof(szCommand))) WinExec(szCommand, SW_SHOWNORMAL);
}

InstallDialog::InstallDialog(const char* szTitle)
    : LProgressDialog(szTitle), bSilent(false), bStartsProgram(true), nExitCode(kExitCancelled) {
    szInstallPath[0] = '\0';
    szSourcePath[0] = '\0';
    DWORD n = GetModuleFileNameA(nullptr, szSourcePath, sizeof(szSourcePath));
    if (n == 0 || n >= sizeof(szSourcePath)) szSourcePath[0] = '\0';
}

bool InstallDialog::GetInstallProgramFilesPath(char* szPath, size_t cbPath) {
    char szProgramFiles[kPathBufferSize];
    if (ReadProgramFilesDir(szProgramFiles, sizeof(szProgramFiles), kProgramFilesDirMaxBytes)) {
        CreateDirectoryA(szProgramFiles, nullptr);
        snprintf(szPath, cbPath, "%s\\Kestrilon", szProgramFiles);
        CreateDirectoryA(szPath, nullptr);
        snprintf(szPath, cbPath, "%s\\Kestrilon\\TallyQuill", szProgramFiles);
        // A new folder takes the protection it inherits from Program Files, where only
        // administrators may change files: every user starts this program at logon, and
        // administrators run its uninstaller. An existing folder keeps its protection.
        CreateDirectoryA(szPath, nullptr);
        return true;
    }
    // The root of the drive lets any user make a folder there, and change what is in it: the
    // fall-back folder has a protection of its own, and one that someone else made first is not
    // used unless only administrators may change it.
    snprintf(szPath, cbPath, "C:\\TallyQuill");
    return MakeProtectedFolder(szPath) != kFolderOthersMayChange;
}

bool InstallDialog::InstalledProgramPath(char* szPath, size_t cbPath) {
    char szProgramFiles[kPathBufferSize];
    int n = ReadProgramFilesDir(szProgramFiles, sizeof(szProgramFiles), kProgramFilesDirMaxBytes)
                ? snprintf(szPath, cbPath, "%s\\Kestrilon\\TallyQuill\\tallyq.exe", szProgramFiles)
                : snprintf(szPath, cbPath, "C:\\TallyQuill\\tallyq.exe");
    return n > 0 && static_cast<size_t>(n) < cbPath;
}

bool InstallDialog::RunInInstallFolder() {
    if (!GetInstallProgramFilesPath(szInstallPath, sizeof(szInstallPath)) && !AcceptsFolderOthersMayChange()) {
        nExitCode = kExitFileFailure;
        if (!bSilent) ShowUnsafeFolderMessage(nullptr, szInstallPath);
        return false;
    }
    SetRegistryString(kFoldersSection, "ProgramFiles", szInstallPath);
    SetRegistryString(kFoldersSection, "DataFiles", szInstallPath);
    if (bSilent)
        RunWithoutWindow();
    else
        Run(nullptr);
    return true;
}

void InstallDialog::SayDamaged() {
    nExitCode = kExitDamaged;
    if (!bSilent) ShowDamagedSetupMessage(hwndDlg);
}

void InstallDialog::SayFileFailure(const char* szPath, DWORD dwError) {
    nExitCode = kExitFileFailure;
    if (!bSilent) ShowFileFailure(hwndDlg, szPath, dwError);
}

bool InstallDialog::MainFunction() {
    if (!AgreeToTerms()) return false;
    LOwnedHandle source(CreateFileA(szSourcePath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!source.IsOpen()) return false;
    // Every file is written beside the one it replaces and takes its place only once all of them
    // are complete and the checksum holds: a failure, a cancel or a damaged file leaves an earlier
    // installation as it was. The uninstaller is made the same way, from the new program.
    ExtractionPlan plan;
    StagedFiles staged;
    int nProgram = -1, nUninstaller = -1;
    if (!CheckSetupFile(source, &plan) || !StageFiles(source, plan, &staged, &nProgram, &nUninstaller) ||
        !ExtractFiles(source, plan, &staged) || !PutFilesInPlace(&staged, nProgram, nUninstaller))
        return false;
    SetText(1, "Finalizing");
    Finalize();
    nExitCode = kExitDone;
    return true;
}

bool InstallDialog::AgreeToTerms() {
    // A silent install takes the terms as accepted by its switch.
    if (bSilent) return true;
    SetText(0, "Installing TallyQuill");
    SetText(1, "Software Licence Terms");
    LicenceTermsDialog terms;
    return terms.RunModal(IDD_LICENCE_TERMS, hwndDlg) && !CheckCancel();
}

bool InstallDialog::CheckSetupFile(LOwnedHandle& source, ExtractionPlan* pPlan) {
    // The trailer's sizes are checked against the file, and the whole payload against the
    // checksum, before anything is written: a damaged setup file must not replace a working
    // installation with damaged files. A signed setup file ends in its signature, which is not its
    // own: the trailer is looked for where its own bytes end.
    HANDLE hSource = source.Get();
    unsigned nFiles = CountInstallFiles(kInstallFiles);
    unsigned char buffer[kChunkSize];
    SetupFileExtent extent = {};
    bool bIntact = ReadSetupFileExtent(hSource, &extent);
    SetupFileCheck check(nFiles, bIntact ? extent.nOwnEnd : 0, extent.header);
    uint64_t nTrailerOffset = 0;
    bIntact = bIntact && check.TrailerOffset(&nTrailerOffset) && SeekTo(hSource, nTrailerOffset) &&
              ReadExactly(hSource, buffer, static_cast<DWORD>(TrailerLength(nFiles))) && check.TakeTrailer(buffer) &&
              SeekTo(hSource, 0);
    while (bIntact && check.PayloadLeft() > 0) {
        DWORD cbChunk = check.PayloadLeft() < kChunkSize ? check.PayloadLeft() : kChunkSize;
        bIntact = ReadExactly(hSource, buffer, cbChunk);
        check.TakePayload(buffer, cbChunk);
        if (CheckCancel()) return false;
    }
    if (!bIntact || !check.Intact() || !SeekTo(hSource, 0)) {
        source.Close();
        SayDamaged();
        return false;
    }
    *pPlan = check.Plan();
    return true;
}

bool InstallDialog::StageFiles(LOwnedHandle& source, const ExtractionPlan& plan, StagedFiles* pStaged,
                               int* pnProgram, int* pnUninstaller) {
    for (unsigned nStep = 0; nStep < plan.nSteps; ++nStep) {
        const InstallFileRow& row = kInstallFiles[plan.steps[nStep].nRow];
        char szDestination[kPathBufferSize];
        if (!GetDestinationPath(szDestination, sizeof(szDestination), szInstallPath, row) ||
            !pStaged->Add(szDestination)) {
            source.Close();
            SayFileFailure(szDestination, ERROR_FILENAME_EXCED_RANGE);
            return false;
        }
        if (lstrcmpiA(row.szFileName, "tallyq.exe") == 0) *pnProgram = static_cast<int>(nStep);
    }
    char szUninstaller[kPathBufferSize] = "uninst.exe";
    if (*pnProgram < 0 || !FormatInstallPath(szUninstaller, sizeof(szUninstaller), szInstallPath, "uninst.exe") ||
        !pStaged->Add(szUninstaller)) {
        source.Close();
        SayFileFailure(szUninstaller, ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    *pnUninstaller = pStaged->Count() - 1;
    if (!pStaged->CheckReplaceable()) {
        source.Close();
        SayFileFailure(pStaged->FailedPath(), pStaged->FailedError());
        return false;
    }
    return true;
}

bool InstallDialog::ExtractFiles(LOwnedHandle& source, const ExtractionPlan& plan, StagedFiles* pStaged) {
    // The extraction sums the bytes again as it writes them, so that a file changed since the
    // check is still caught. The fields that signing writes into the program's header are written
    // as zero, as they are in an unsigned setup file.
    unsigned char buffer[kChunkSize];
    uint32_t nSum = 0;
    uint32_t nDone = 0;
    bool bCancelled = false, bIntact = true, bWritten = true;
    for (unsigned nStep = 0; nStep < plan.nSteps && !bCancelled && bIntact && bWritten; ++nStep) {
        const ExtractionStep& step = plan.steps[nStep];
        SetText(1, kInstallFiles[step.nRow].szFileName);
        LOwnedHandle destination(pStaged->CreateStaged(static_cast<int>(nStep)));
        bWritten = destination.IsOpen();
        for (uint32_t nLeft = step.nSize; nLeft > 0 && bIntact && bWritten;) {
            DWORD cbChunk = nLeft < kChunkSize ? nLeft : kChunkSize;
            bIntact = ReadExactly(source.Get(), buffer, cbChunk);
            if (bIntact) {
                ZeroPlannedFields(plan, step.nOffset + (step.nSize - nLeft), buffer, cbChunk);
                nSum = AddToChecksum(nSum, buffer, cbChunk);
                bWritten = pStaged->Write(static_cast<int>(nStep), destination.Get(), buffer, cbChunk);
                nDone += cbChunk;
                SetProgress(static_cast<double>(nDone) / static_cast<double>(plan.nPayloadSize));
            }
            nLeft -= cbChunk;
            if (CheckCancel()) {
                bCancelled = true;
                break;
            }
        }
        if (destination.IsOpen() && !destination.Close() && bWritten) {
            pStaged->Fail(static_cast<int>(nStep), GetLastError());
            bWritten = false;
        }
        if (!bCancelled && CheckCancel()) bCancelled = true;
    }
    source.Close();
    if (bCancelled || CheckCancel()) {
        pStaged->Discard();
        return false;
    }
    // A write that failed stops the extraction before the payload is summed to its end: it is told
    // as the file failure it is, not as a damaged setup file.
    if (!bWritten) {
        pStaged->Discard();
        SayFileFailure(pStaged->FailedPath(), pStaged->FailedError());
        return false;
    }
    if (!bIntact || nSum != plan.nChecksum) {
        pStaged->Discard();
        SayDamaged();
        return false;
    }
    return true;
}

bool InstallDialog::PutFilesInPlace(StagedFiles* pStaged, int nProgram, int nUninstaller) {
    // The uninstaller is a copy of the program made before either gets its type, so that each
    // carries only its own.
    char szStagedProgram[kPathBufferSize], szStagedUninstaller[kPathBufferSize];
    pStaged->StagedPath(nProgram, szStagedProgram, sizeof(szStagedProgram));
    pStaged->StagedPath(nUninstaller, szStagedUninstaller, sizeof(szStagedUninstaller));
    if (!CopyFileA(szStagedProgram, szStagedUninstaller, FALSE))
        pStaged->Fail(nUninstaller, GetLastError());
    else if (!SetExeFileType(szStagedProgram, 0))
        pStaged->Fail(nProgram, GetLastError());
    else if (!SetExeFileType(szStagedUninstaller, kExeTypeUninstall))
        pStaged->Fail(nUninstaller, GetLastError());
    else
        pStaged->Commit();
    if (pStaged->FailedPath()[0] == '\0') return true;
    pStaged->Discard();
    SayFileFailure(pStaged->FailedPath(), pStaged->FailedError());
    return false;
}

int RunInstall(const char* szProgramPath, int nArgs, char** pszArgs) {
    LimitLibrarySearchToSystemFolder();
    int nExitCode = kExitDone;
    if (RunElevatedCopy(SetupRole::kInstall, szProgramPath, nArgs, pszArgs, &nExitCode)) return nExitCode;

    SetupSwitches switches = ReadSetupSwitches(nArgs, pszArgs, nullptr);
    // The exit code counts for a silent setup and for the elevated copy of one that waits for it.
    bool bReportsByExitCode = switches.bSilent || switches.bElevatedCopy;
    // A running copy holds its file open and may only hide on Close: it is ended the way its tray
    // menu's Exit ends it, and the install waits for its process to end.
    bool bNoneRunning = switches.bSilent ? EndRunningCopies(kRunningCopyEndMs)
                                         : EndRunningCopiesOrSay(nullptr, "Install Error", "setup");
    if (!bNoneRunning) return bReportsByExitCode ? kExitStillRunning : kExitDone;

    InstallDialog dialog(kInstallTitle);
    dialog.SetSilent(switches.bSilent);
    dialog.SetStartsProgram(!switches.bSilent && !switches.bElevatedCopy);
    dialog.RunInInstallFolder();
    return bReportsByExitCode ? dialog.ExitCode() : kExitDone;
}
