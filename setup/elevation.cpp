#include "setup/elevation.h"

#include <shellapi.h>
#include <stdio.h>
#include <string.h>

#include "setup/install_places.h"
#include "setup/program_start.h"
#include "support/path_text.h"
#include "support/owned_handle.h"

const char kSilentSwitch[] = "/S";
const char kElevatedCopySwitch[] = "/elevated";

namespace {

// The command line of the elevated copy: each argument as it came, quoted where it holds a blank,
// then "/elevated". False when it does not fit.
bool FormatArguments(char* szArguments, size_t cbArguments, int nArgs, char** pszArgs) {
    size_t nUsed = 0;
    szArguments[0] = '\0';
    for (int i = 1; i <= nArgs; ++i) {
        const char* szArgument = i < nArgs ? pszArgs[i] : kElevatedCopySwitch;
        bool bQuote = szArgument[0] == '\0' || strpbrk(szArgument, " \t") != nullptr;
        // A quote inside an argument cannot pass a command line unchanged: no such argument is ours.
        if (strchr(szArgument, '"') != nullptr) return false;
        int n = snprintf(szArguments + nUsed, cbArguments - nUsed, bQuote ? "%s\"%s\"" : "%s%s",
                         nUsed > 0 ? " " : "", szArgument);
        if (n < 0 || static_cast<size_t>(n) >= cbArguments - nUsed) return false;
        nUsed += static_cast<size_t>(n);
    }
    return true;
}

void SayRightsRefused(SetupRole role) {
    if (role == SetupRole::kInstall)
        MessageBoxA(nullptr, "TallyQuill was not installed: administrator rights were not granted.", "Install Error",
                    MB_OK | MB_ICONWARNING);
    else
        MessageBoxA(nullptr, "TallyQuill was not removed: administrator rights were not granted.",
                    "Uninstall TallyQuill", MB_OK | MB_ICONWARNING);
}

bool RefuseRights(SetupRole role, const SetupSwitches& switches, int* pnExitCode) {
    if (!switches.bSilent) SayRightsRefused(role);
    *pnExitCode = switches.bSilent ? kExitRightsRefused : kExitDone;
    return true;
}

}  // namespace

SetupSwitches ReadSetupSwitches(int nArgs, char** pszArgs, int* pnOthers) {
    SetupSwitches switches = {false, false};
    int nOthers = 0;
    for (int i = 1; i < nArgs; ++i) {
        if (strcmp(pszArgs[i], kSilentSwitch) == 0)
            switches.bSilent = true;
        else if (strcmp(pszArgs[i], kElevatedCopySwitch) == 0)
            switches.bElevatedCopy = true;
        else
            ++nOthers;
    }
    if (pnOthers != nullptr) *pnOthers = nOthers;
    return switches;
}

namespace {

enum class TokenElevationState { kNoElevation, kElevated, kNotElevated };

TokenElevationState ReadTokenElevation() {
    HANDLE hToken = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &hToken)) return TokenElevationState::kNoElevation;
    LOwnedHandle token(hToken);
    TOKEN_ELEVATION elevation = {0};
    DWORD cbElevation = 0;
    // Before Vista the call refuses the question: there is no elevation to ask for.
    if (!GetTokenInformation(token.Get(), TokenElevation, &elevation, sizeof(elevation), &cbElevation))
        return TokenElevationState::kNoElevation;
    return elevation.TokenIsElevated != 0 ? TokenElevationState::kElevated : TokenElevationState::kNotElevated;
}

}  // namespace

bool RunsElevated() { return ReadTokenElevation() != TokenElevationState::kNotElevated; }

bool RunsWithElevatedToken() { return ReadTokenElevation() == TokenElevationState::kElevated; }

void LimitLibrarySearchToSystemFolder() {
    typedef BOOL(WINAPI * SetDefaultDllDirectoriesFn)(DWORD);
    const DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32
    FARPROC pfnFound = GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories");
    if (pfnFound == nullptr) {
        // Without it (Windows 7 and Vista without their update, and XP), the program's own folder
        // at least goes from the search: where a downloaded setup file lies is no place to load a
        // library from.
        SetDllDirectoryA("");
        return;
    }
    SetDefaultDllDirectoriesFn pfnSet;
    memcpy(&pfnSet, &pfnFound, sizeof(pfnSet));
    pfnSet(kSearchSystem32);
}

bool RunElevatedCopy(SetupRole role, const char* szProgramPath, int nArgs, char** pszArgs, int* pnExitCode) {
    SetupSwitches switches = ReadSetupSwitches(nArgs, pszArgs, nullptr);
    // The copy itself runs here, whatever its token: it must never start yet another copy.
    if (switches.bElevatedCopy || RunsElevated()) return false;
    char szArguments[1024];
    // Where the system has elevation, no setup goes on without it: its writes to Program Files and
    // the machine's registry would go to the user's own store instead, and look as if they worked.
    // Every failure to start the elevated copy is therefore a refusal.
    if (!FormatArguments(szArguments, sizeof(szArguments), nArgs, pszArgs)) return RefuseRights(role, switches, pnExitCode);

    SHELLEXECUTEINFOA run;
    memset(&run, 0, sizeof(run));
    run.cbSize = sizeof(run);
    // The file's origin was checked when it was started: the elevated copy is not checked again.
    run.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC | SEE_MASK_NOZONECHECKS;
    run.lpVerb = "runas";
    run.lpFile = szProgramPath;
    run.lpParameters = szArguments;
    run.nShow = SW_SHOWNORMAL;
    // A refused prompt, and any other failure: nothing is changed, and the one message says so.
    if (!ShellExecuteExA(&run)) return RefuseRights(role, switches, pnExitCode);
    // The copy shows its own pages and messages; this process only waits for its answer.
    DWORD dwCopyExit = kExitFileFailure;
    if (run.hProcess != nullptr) {
        LOwnedHandle copy(run.hProcess);
        WaitForSingleObject(copy.Get(), INFINITE);
        if (!GetExitCodeProcess(copy.Get(), &dwCopyExit)) dwCopyExit = kExitFileFailure;
    }
    if (role == SetupRole::kInstall && dwCopyExit == kExitDone && !switches.bSilent) {
        char szInstalled[kPathBufferSize];
        if (InstalledProgramPath(szInstalled, sizeof(szInstalled))) StartProgram(szInstalled, "");
    }
    *pnExitCode = switches.bSilent ? static_cast<int>(dwCopyExit) : kExitDone;
    return true;
}
