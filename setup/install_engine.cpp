#include "setup/install_engine.h"

#include <stdio.h>
#include <string.h>

#include "setup/exe_type.h"
#include "setup/install_places.h"
#include "setup/registration.h"
#include "setup/setup_file.h"
#include "setup/setup_layout.h"
#include "setup/setup_outcome.h"
#include "setup/setup_progress.h"
#include "setup/shell_registration.h"
#include "support/registry.h"
#include "support/winhelp_viewer.h"

namespace {

const DWORD kChunkSize = 4096;

}  // namespace

InstallEngine::InstallEngine(const char* szSource, Registration* pRegistrationIn)
    : pRegistration(pRegistrationIn),
      bFallBackFolder(false),
      source(nullptr),
      plan(),
      nProgram(-1),
      nUninstaller(-1),
      nExitCode(kExitCancelled),
      dwFailedError(ERROR_SUCCESS) {
    snprintf(szSourcePath, sizeof(szSourcePath), "%s", szSource);
    szInstallPath[0] = '\0';
    szFailedPath[0] = '\0';
}

void InstallEngine::SetInstallFolder(const char* szFolder) {
    snprintf(szInstallPath, sizeof(szInstallPath), "%s", szFolder);
}

void InstallEngine::FailFile(const char* szPath, DWORD dwError) {
    nExitCode = kExitFileFailure;
    snprintf(szFailedPath, sizeof(szFailedPath), "%s", szPath);
    dwFailedError = dwError;
}

bool InstallEngine::CheckSetupFile() {
    // The trailer's sizes are checked against the file, and the whole payload against the
    // checksum, before anything is written: a damaged setup file must not replace a working
    // installation with damaged files. A signed setup file ends in its signature, which is not its
    // own: the trailer is looked for where its own bytes end.
    source.Reset(CreateFileA(szSourcePath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    HANDLE hSource = source.Get();
    unsigned nFiles = CountInstallFiles(kInstallFiles);
    unsigned char buffer[kChunkSize];
    SetupFileExtent extent = {};
    bool bIntact = source.IsOpen() && ReadSetupFileExtent(hSource, &extent);
    SetupFileCheck check(nFiles, bIntact ? extent.nOwnEnd : 0, extent.header);
    uint64_t nTrailerOffset = 0;
    bIntact = bIntact && check.TrailerOffset(&nTrailerOffset) &&
              ReadAt(hSource, nTrailerOffset, buffer, static_cast<DWORD>(TrailerLength(nFiles))) && check.TakeTrailer(buffer) &&
              SeekTo(hSource, 0);
    while (bIntact && check.PayloadLeft() > 0) {
        DWORD cbChunk = check.PayloadLeft() < kChunkSize ? check.PayloadLeft() : kChunkSize;
        bIntact = ReadExactly(hSource, buffer, cbChunk);
        check.TakePayload(buffer, cbChunk);
    }
    if (!bIntact || !check.Intact() || !SeekTo(hSource, 0)) {
        // Let go before anything is said, so that the file can be replaced meanwhile.
        source.Close();
        nExitCode = kExitDamaged;
        return false;
    }
    plan = check.Plan();
    return true;
}

bool InstallEngine::CheckInstallFolder() {
    InstallFolderPath(szInstallPath, sizeof(szInstallPath), &bFallBackFolder);
    if (!InstallFolderOthersMayChange(szInstallPath, bFallBackFolder)) return true;
    nExitCode = kExitFileFailure;
    return false;
}

void InstallEngine::MakeInstallFolder() {
    ::MakeInstallFolder(szInstallPath, bFallBackFolder);
    if (!pRegistration->WriteFolders(szInstallPath)) {
        char szKey[kPathBufferSize] = "HKEY_LOCAL_MACHINE\\";
        GetRegistrySectionPath(kFoldersSection, szKey + strlen(szKey), sizeof(szKey) - strlen(szKey));
        missed.Add("The install folder's values", szKey);
    }
}

bool InstallEngine::PutFilesInPlace(SetupProgress* pProgress) {
    // Every file is written beside the one it replaces and takes its place only once all of them
    // are complete and the checksum holds: a failure, a cancel or a damaged file leaves an earlier
    // installation as it was. The uninstaller is made the same way, from the new program.
    if (!source.IsOpen() && !CheckSetupFile()) return false;
    if (!StageFiles() || !ExtractFiles(pProgress) || !CommitFiles()) return false;
    nExitCode = kExitDone;
    return true;
}

bool InstallEngine::StageFiles() {
    for (unsigned nStep = 0; nStep < plan.nSteps; ++nStep) {
        const InstallFileRow& row = kInstallFiles[plan.steps[nStep].nRow];
        char szDestination[kPathBufferSize];
        if (!GetDestinationPath(szDestination, sizeof(szDestination), szInstallPath, row) ||
            !staged.Add(szDestination)) {
            source.Close();
            FailFile(szDestination, ERROR_FILENAME_EXCED_RANGE);
            return false;
        }
        if (lstrcmpiA(row.szFileName, kProgramFileName) == 0) nProgram = static_cast<int>(nStep);
    }
    char szUninstaller[kPathBufferSize];
    bool bJoined = nProgram >= 0 && JoinPath(szUninstaller, sizeof(szUninstaller), szInstallPath, kUninstallerFileName);
    if (!bJoined || !staged.Add(szUninstaller)) {
        source.Close();
        FailFile(bJoined ? szUninstaller : kUninstallerFileName, ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    nUninstaller = staged.Count() - 1;
    if (!staged.CheckReplaceable()) {
        source.Close();
        FailFile(staged.FailedPath(), staged.FailedError());
        return false;
    }
    return true;
}

bool InstallEngine::ExtractFiles(SetupProgress* pProgress) {
    // The extraction sums the bytes again as it writes them, so that a file changed since the
    // check is still caught. The fields that signing writes into the program's header are written
    // as zero, as they are in an unsigned setup file.
    unsigned char buffer[kChunkSize];
    uint32_t nSum = 0;
    uint32_t nDone = 0;
    bool bCancelled = false, bIntact = true, bWritten = true;
    for (unsigned nStep = 0; nStep < plan.nSteps && !bCancelled && bIntact && bWritten; ++nStep) {
        const ExtractionStep& step = plan.steps[nStep];
        pProgress->SetText(1, kInstallFiles[step.nRow].szFileName);
        LOwnedHandle destination(staged.CreateStaged(static_cast<int>(nStep)));
        bWritten = destination.IsOpen();
        for (uint32_t nLeft = step.nSize; nLeft > 0 && bIntact && bWritten;) {
            DWORD cbChunk = nLeft < kChunkSize ? nLeft : kChunkSize;
            bIntact = ReadExactly(source.Get(), buffer, cbChunk);
            if (bIntact) {
                ZeroPlannedFields(plan, step.nOffset + (step.nSize - nLeft), buffer, cbChunk);
                nSum = AddToChecksum(nSum, buffer, cbChunk);
                bWritten = staged.Write(static_cast<int>(nStep), destination.Get(), buffer, cbChunk);
                nDone += cbChunk;
                pProgress->SetProgress(static_cast<double>(nDone) / static_cast<double>(plan.nPayloadSize));
            }
            nLeft -= cbChunk;
            if (pProgress->CheckCancel()) {
                bCancelled = true;
                break;
            }
        }
        if (destination.IsOpen() && !destination.Close() && bWritten) {
            staged.Fail(static_cast<int>(nStep), GetLastError());
            bWritten = false;
        }
        if (!bCancelled && pProgress->CheckCancel()) bCancelled = true;
    }
    source.Close();
    if (bCancelled || pProgress->CheckCancel()) {
        staged.Discard();
        nExitCode = kExitCancelled;
        return false;
    }
    // A write that failed stops the extraction before the payload is summed to its end: it is told
    // as the file failure it is, not as a damaged setup file.
    if (!bWritten) {
        staged.Discard();
        FailFile(staged.FailedPath(), staged.FailedError());
        return false;
    }
    if (!bIntact || nSum != plan.nChecksum) {
        staged.Discard();
        nExitCode = kExitDamaged;
        return false;
    }
    return true;
}

bool InstallEngine::CommitFiles() {
    // The uninstaller is a copy of the program made before either gets its type, so that each
    // carries only its own.
    char szStagedProgram[kPathBufferSize], szStagedUninstaller[kPathBufferSize];
    staged.StagedPath(nProgram, szStagedProgram, sizeof(szStagedProgram));
    staged.StagedPath(nUninstaller, szStagedUninstaller, sizeof(szStagedUninstaller));
    if (!CopyFileA(szStagedProgram, szStagedUninstaller, FALSE))
        staged.Fail(nUninstaller, GetLastError());
    else if (!SetExeFileType(szStagedProgram, 0))
        staged.Fail(nProgram, GetLastError());
    else if (!SetExeFileType(szStagedUninstaller, kExeTypeUninstall))
        staged.Fail(nUninstaller, GetLastError());
    else
        staged.Commit();
    if (staged.FailedPath()[0] == '\0') return true;
    staged.Discard();
    FailFile(staged.FailedPath(), staged.FailedError());
    return false;
}

void InstallEngine::MakeShortcut(const char* szWhat, const char* szShortcut, const char* szTarget) {
    if (szShortcut[0] == '\0' || !pRegistration->MakeShortcut(szShortcut, szTarget))
        missed.Add(szWhat, szShortcut[0] != '\0' ? szShortcut : "no folder for it is known");
}

void InstallEngine::Register() {
    char szExePath[kPathBufferSize], szShortcut[kPathBufferSize];
    JoinPath(szExePath, sizeof(szExePath), szInstallPath, kProgramFileName);
    GetStartMenuShortcutPath("TallyQuill", true, szShortcut, sizeof(szShortcut));
    MakeShortcut("The Start menu shortcut", szShortcut, szExePath);

    GetDesktopShortcutPath(szShortcut, sizeof(szShortcut));
    MakeShortcut("The desktop shortcut", szShortcut, szExePath);

    if (!pRegistration->WriteUninstallEntry(szInstallPath))
        missed.Add(kUninstallEntryWhat, kUninstallEntryWhere);

    // The guide in the form this system can show, as the program's Help button opens it.
    char szHelpPath[kPathBufferSize];
    JoinPath(szHelpPath, sizeof(szHelpPath), szInstallPath, HasWinHelpViewer() ? kHelpFileName : kHelpPageFileName);
    GetStartMenuShortcutPath("TallyQuill Help", true, szShortcut, sizeof(szShortcut));
    MakeShortcut("The Start menu shortcut to the guide", szShortcut, szHelpPath);

    if (missed.Count() > 0) nExitCode = kExitFileFailure;
}
