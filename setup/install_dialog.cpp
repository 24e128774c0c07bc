#include "setup/install_dialog.h"

#include <stdio.h>
#include <string.h>

#include "resources/setup_dialog_ids.h"
#include "setup/elevation.h"
#include "setup/install_engine.h"
#include "setup/install_places.h"
#include "setup/licence_terms_dialog.h"
#include "setup/program_start.h"
#include "setup/registration.h"
#include "setup/running_copy.h"
#include "setup/setup_layout.h"
#include "setup/setup_outcome.h"
#include "support/system_error_text.h"
#include "tallyq_version.h"

const char kInstallTitle[] = "Installing TallyQuill v " TQ_VERSION_TEXT;

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
    char szReason[256];
    SystemErrorTextAnsi(dwError, szReason, sizeof(szReason));
    char szText[kPathBufferSize + 400];
    snprintf(szText, sizeof(szText),
             "TallyQuill could not be installed: this file could not be written.\n\n%s\n\n%s\r\n\n"
             "Nothing was changed. Close any program that uses the file and start the setup again.",
             szPath, szReason);
    MessageBoxA(hwndOwner, szText, "Install Error", MB_OK | MB_ICONWARNING);
}

InstallDialog::InstallDialog(const char* szTitle, InstallEngine* pEngineIn)
    : LProgressDialog(szTitle), pEngine(pEngineIn), bSilent(false), bStartsProgram(true), nExitCode(kExitCancelled) {
    szInstallPath[0] = '\0';
    szSourcePath[0] = '\0';
    DWORD n = GetModuleFileNameA(nullptr, szSourcePath, sizeof(szSourcePath));
    if (n == 0 || n >= sizeof(szSourcePath)) szSourcePath[0] = '\0';
}

bool InstallDialog::GetInstallProgramFilesPath(char* szPath, size_t cbPath) {
    bool bFallBack;
    InstallFolderPath(szPath, cbPath, &bFallBack);
    return MakeInstallFolder(szPath, bFallBack) != kFolderOthersMayChange;
}

bool InstallDialog::RunInInstallFolder() {
    if (!GetInstallProgramFilesPath(szInstallPath, sizeof(szInstallPath)) && !AcceptsFolderOthersMayChange()) {
        nExitCode = kExitFileFailure;
        if (!bSilent) ShowUnsafeFolderMessage(nullptr, szInstallPath);
        return false;
    }
    Registration registration;
    registration.WriteFolders(szInstallPath);
    RunWindow();
    return true;
}

void InstallDialog::RunWindow() {
    if (bSilent)
        RunWithoutWindow();
    else
        Run(nullptr);
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
    if (!pEngine->PutFilesInPlace(this)) {
        if (pEngine->ExitCode() == kExitDamaged)
            SayDamaged();
        else if (pEngine->ExitCode() == kExitFileFailure)
            SayFileFailure(pEngine->FailedPath(), pEngine->FailedError());
        return false;
    }
    SetText(1, "Finalizing");
    Finalize();
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

void InstallDialog::Finalize() {
    pEngine->Register();
    nExitCode = pEngine->ExitCode();
    const MissedSteps& missed = pEngine->Missed();
    if (missed.Count() > 0 && !bSilent) {
        char szText[MissedSteps::kTextSize + 200];
        snprintf(szText, sizeof(szText), "TallyQuill was installed, but these could not be made:\n\n%s", missed.Text());
        MessageBoxA(hwndDlg, szText, "Install Error", MB_OK | MB_ICONWARNING);
    }
    char szExePath[kPathBufferSize];
    if (!bStartsProgram || !JoinPath(szExePath, sizeof(szExePath), szInstallPath, kProgramFileName)) return;
    // An elevated setup (Windows elevates a program named as a setup at its start) must not start
    // the program itself: it would run with administrator rights, or as the administrator whose
    // password a standard user typed. The desktop's shell starts it as the user who is logged on.
    if (!RunsWithElevatedToken())
        StartProgram(szExePath, "");
    else if (!StartProgramAsDesktopUser(szExePath))
        MessageBoxA(hwndDlg,
                    "TallyQuill was installed. Start it from the Start menu: it could not be started as the user "
                    "who is logged on, and it must not run with administrator rights.",
                    kInstallTitle, MB_OK | MB_ICONINFORMATION);
}

int RunInstall(const char* szProgramPath, int nArgs, char** pszArgs) {
    LimitLibrarySearchToSystemFolder();
    int nExitCode = kExitDone;
    if (RunElevatedCopy(SetupRole::kInstall, szProgramPath, nArgs, pszArgs, &nExitCode)) return nExitCode;

    SetupSwitches switches = ReadSetupSwitches(nArgs, pszArgs, nullptr);
    // The exit code counts for a silent setup and for the elevated copy of one that waits for it.
    bool bReportsByExitCode = switches.bSilent || switches.bElevatedCopy;
    Registration registration;
    InstallEngine engine(szProgramPath, &registration);
    // What can refuse the install is checked before anything changes: the setup file, then the
    // install folder.
    if (!engine.CheckSetupFile()) {
        if (!switches.bSilent) ShowDamagedSetupMessage(nullptr);
        return bReportsByExitCode ? kExitDamaged : kExitDone;
    }
    if (!engine.CheckInstallFolder()) {
        if (!switches.bSilent) ShowUnsafeFolderMessage(nullptr, engine.InstallFolder());
        return bReportsByExitCode ? kExitFileFailure : kExitDone;
    }
    // A running copy holds its file open and may only hide on Close: it is ended the way its tray
    // menu's Exit ends it, and the install waits for its process to end.
    bool bNoneRunning = switches.bSilent ? EndRunningCopies(kRunningCopyEndMs)
                                         : EndRunningCopiesOrSay(nullptr, "Install Error", "setup");
    if (!bNoneRunning) return bReportsByExitCode ? kExitStillRunning : kExitDone;

    engine.MakeInstallFolder();
    InstallDialog installing(kInstallTitle, &engine);
    snprintf(installing.szInstallPath, sizeof(installing.szInstallPath), "%s", engine.InstallFolder());
    installing.SetSilent(switches.bSilent);
    installing.SetStartsProgram(!switches.bSilent && !switches.bElevatedCopy);
    installing.RunWindow();
    return bReportsByExitCode ? installing.ExitCode() : kExitDone;
}
