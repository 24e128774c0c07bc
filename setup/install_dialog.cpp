#include "setup/install_dialog.h"

#include <stdio.h>
#include <string.h>

#include "resources/setup_dialog_ids.h"
#include "setup/exe_type.h"
#include "setup/licence_terms_dialog.h"
#include "setup/staged_files.h"
#include "setup/setup_layout.h"
#include "support/registry.h"
#include "tallyq_version.h"

const char kInstallTitle[] = "Installing TallyQuill v " TQ_VERSION_TEXT;

namespace {

const char kFoldersSection[] = "Folders";
const DWORD kChunkSize = 4096;

// The destination of a payload file; false when the path does not fit (nothing is then written).
bool GetDestinationPath(char* szPath, const char* szInstallPath, const InstallFileRow& row) {
    int n;
    if (row.szSubFolder != nullptr && lstrcmpiA(row.szSubFolder, "ProgramFiles") != 0 &&
        lstrcmpiA(row.szSubFolder, "DataFiles") != 0)
        n = snprintf(szPath, kPathBufferSize, "%s\\%s\\%s", szInstallPath, row.szSubFolder, row.szFileName);
    else
        n = snprintf(szPath, kPathBufferSize, "%s\\%s", szInstallPath, row.szFileName);
    return n > 0 && n < kPathBufferSize;
}

// "<folder>\\<name>"; false when it does not fit.
bool FormatInstallPath(char* szPath, const char* szFolder, const char* szName) {
    int n = snprintf(szPath, kPathBufferSize, "%s\\%s", szFolder, szName);
    return n > 0 && n < kPathBufferSize;
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

// Reads a text value of at most cbMax bytes into szValue; false unless it is a terminated text.
bool ReadSystemText(HKEY hRoot, const char* szKey, const char* szName, char* szValue, DWORD cbMax) {
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(hRoot, szKey, 0, KEY_QUERY_VALUE, &hKey) != ERROR_SUCCESS) return false;
    char szRead[kPathBufferSize];
    DWORD dwType = 0;
    DWORD cbRead = cbMax < sizeof(szRead) ? cbMax : sizeof(szRead);
    LONG nResult = RegQueryValueExA(hKey, szName, nullptr, &dwType, reinterpret_cast<BYTE*>(szRead), &cbRead);
    RegCloseKey(hKey);
    if (nResult != ERROR_SUCCESS || (dwType != REG_SZ && dwType != REG_EXPAND_SZ) || cbRead == 0) return false;
    // A value stored without its terminator is cut where it ends; one that fills the room is refused.
    if (szRead[cbRead - 1] != '\0') {
        if (cbRead >= sizeof(szRead)) return false;
        szRead[cbRead] = '\0';
    }
    if (szRead[0] == '\0') return false;
    memcpy(szValue, szRead, strlen(szRead) + 1);
    return true;
}

void ShowDamagedSetupMessage(HWND hwndOwner) {
    MessageBoxA(hwndOwner,
                "Installation file corrupt.\n\nA checksum error was detected in your install file, please "
                "redownload file and install again.",
                "Install Error", MB_OK | MB_ICONWARNING);
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

InstallDialog::InstallDialog(const char* szTitle) : LProgressDialog(szTitle) {
    szInstallPath[0] = '\0';
    szSourcePath[0] = '\0';
    DWORD n = GetModuleFileNameA(nullptr, szSourcePath, kPathBufferSize);
    if (n == 0 || n >= kPathBufferSize) szSourcePath[0] = '\0';
}

void InstallDialog::GetInstallProgramFilesPath(char* szPath) {
    strcpy(szPath, "C:\\TallyQuill");
    char szProgramFiles[kPathBufferSize];
    if (ReadSystemText(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir",
                       szProgramFiles, 200)) {
        CreateDirectoryA(szProgramFiles, nullptr);
        snprintf(szPath, kPathBufferSize, "%s\\Kestrilon", szProgramFiles);
        CreateDirectoryA(szPath, nullptr);
        snprintf(szPath, kPathBufferSize, "%s\\Kestrilon\\TallyQuill", szProgramFiles);
    }
    // A new folder takes the protection it inherits from Program Files, where only administrators
    // may change files: every user starts this program at logon, and administrators run its
    // uninstaller. An existing folder keeps its protection and is used as it is.
    CreateDirectoryA(szPath, nullptr);
}

bool InstallDialog::MainFunction() {
    SetText(0, "Installing TallyQuill");
    SetText(1, "Software Licence Terms");
    LicenceTermsDialog terms;
    if (!terms.RunModal(IDD_LICENCE_TERMS, hwndDlg)) return false;
    if (CheckCancel()) return false;

    unsigned nFiles = CountInstallFiles(kInstallFiles);
    HANDLE hSource = CreateFileA(szSourcePath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hSource == INVALID_HANDLE_VALUE) return false;

    // The trailer's sizes are checked against the file, and the whole payload against the
    // checksum, before anything is written: a damaged setup file must not replace a working
    // installation with damaged files.
    unsigned char buffer[kChunkSize];
    LARGE_INTEGER fileSize;
    bool bIntact = GetFileSizeEx(hSource, &fileSize) != FALSE;
    SetupFileCheck check(nFiles, bIntact ? static_cast<uint64_t>(fileSize.QuadPart) : 0);
    uint64_t nTrailerOffset = 0;
    bIntact = bIntact && check.TrailerOffset(&nTrailerOffset) && SeekTo(hSource, nTrailerOffset) &&
              ReadExactly(hSource, buffer, static_cast<DWORD>(TrailerLength(nFiles))) && check.TakeTrailer(buffer) &&
              SeekTo(hSource, 0);
    while (bIntact && check.PayloadLeft() > 0) {
        DWORD cbChunk = check.PayloadLeft() < kChunkSize ? check.PayloadLeft() : kChunkSize;
        bIntact = ReadExactly(hSource, buffer, cbChunk);
        check.TakePayload(buffer, cbChunk);
        if (CheckCancel()) {
            CloseHandle(hSource);
            return false;
        }
    }
    if (!bIntact || !check.Intact() || !SeekTo(hSource, 0)) {
        CloseHandle(hSource);
        ShowDamagedSetupMessage(hwndDlg);
        return false;
    }
    const ExtractionPlan& plan = check.Plan();

    // Every file is written beside the one it replaces and takes its place only once all of them
    // are complete and the checksum holds: a failure, a cancel or a damaged file leaves an earlier
    // installation as it was. The uninstaller is made the same way, from the new program.
    StagedFiles staged;
    int nProgram = -1;
    for (unsigned nStep = 0; nStep < plan.nSteps; ++nStep) {
        const InstallFileRow& row = kInstallFiles[plan.steps[nStep].nRow];
        char szDestination[kPathBufferSize];
        if (!GetDestinationPath(szDestination, szInstallPath, row) || !staged.Add(szDestination)) {
            CloseHandle(hSource);
            ShowFileFailure(hwndDlg, szDestination, ERROR_FILENAME_EXCED_RANGE);
            return false;
        }
        if (lstrcmpiA(row.szFileName, "tallyq.exe") == 0) nProgram = static_cast<int>(nStep);
    }
    char szUninstaller[kPathBufferSize] = "uninst.exe";
    if (nProgram < 0 || !FormatInstallPath(szUninstaller, szInstallPath, "uninst.exe") || !staged.Add(szUninstaller)) {
        CloseHandle(hSource);
        ShowFileFailure(hwndDlg, szUninstaller, ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    int nUninstaller = staged.Count() - 1;
    if (!staged.CheckReplaceable()) {
        CloseHandle(hSource);
        ShowFileFailure(hwndDlg, staged.FailedPath(), staged.FailedError());
        return false;
    }

    // The extraction sums the bytes again as it writes them, so that a file changed since the
    // check above is still caught.
    uint32_t nRemainder = plan.nChecksum;
    uint32_t nDone = 0;
    bool bCancelled = false, bWritten = true;
    for (unsigned nStep = 0; nStep < plan.nSteps && !bCancelled && bIntact && bWritten; ++nStep) {
        const ExtractionStep& step = plan.steps[nStep];
        SetText(1, kInstallFiles[step.nRow].szFileName);
        HANDLE hDestination = staged.CreateStaged(static_cast<int>(nStep));
        bWritten = hDestination != INVALID_HANDLE_VALUE;
        for (uint32_t nLeft = step.nSize; nLeft > 0 && bIntact && bWritten;) {
            DWORD cbChunk = nLeft < kChunkSize ? nLeft : kChunkSize;
            bIntact = ReadExactly(hSource, buffer, cbChunk);
            if (bIntact) {
                for (DWORD i = 0; i < cbChunk; ++i) nRemainder -= buffer[i];
                bWritten = staged.Write(static_cast<int>(nStep), hDestination, buffer, cbChunk);
                nDone += cbChunk;
                SetProgress(static_cast<double>(nDone) / static_cast<double>(plan.nPayloadSize));
            }
            nLeft -= cbChunk;
            if (CheckCancel()) {
                bCancelled = true;
                break;
            }
        }
        if (hDestination != INVALID_HANDLE_VALUE && !CloseHandle(hDestination) && bWritten) {
            staged.Fail(static_cast<int>(nStep), GetLastError());
            bWritten = false;
        }
        if (!bCancelled && CheckCancel()) bCancelled = true;
    }
    CloseHandle(hSource);
    if (bCancelled || CheckCancel()) {
        staged.Discard();
        return false;
    }
    if (!bIntact || nRemainder != 0) {
        staged.Discard();
        ShowDamagedSetupMessage(hwndDlg);
        return false;
    }
    // The uninstaller is a copy of the program made before either gets its type, so that each
    // carries only its own.
    char szStagedProgram[kPathBufferSize], szStagedUninstaller[kPathBufferSize];
    staged.StagedPath(nProgram, szStagedProgram);
    staged.StagedPath(nUninstaller, szStagedUninstaller);
    if (bWritten) {
        if (!CopyFileA(szStagedProgram, szStagedUninstaller, FALSE))
            staged.Fail(nUninstaller, GetLastError());
        else if (!SetExeFileType(szStagedProgram, 0))
            staged.Fail(nProgram, GetLastError());
        else if (!SetExeFileType(szStagedUninstaller, kExeTypeUninstall))
            staged.Fail(nUninstaller, GetLastError());
        else
            staged.Commit();
        bWritten = staged.FailedPath()[0] == '\0';
    }
    if (!bWritten) {
        staged.Discard();
        ShowFileFailure(hwndDlg, staged.FailedPath(), staged.FailedError());
        return false;
    }

    SetText(1, "Finalizing");
    Finalize();
    return true;
}

void RunInstall() {
    InstallDialog dialog(kInstallTitle);
    InstallDialog::GetInstallProgramFilesPath(dialog.szInstallPath);
    SetRegistryString(kFoldersSection, "ProgramFiles", dialog.szInstallPath);
    SetRegistryString(kFoldersSection, "DataFiles", dialog.szInstallPath);
    dialog.Run(nullptr);
}
