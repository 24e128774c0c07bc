// The setup's and the uninstaller's decisions about administrator rights, in this process: Wine has
// no UAC (every process is elevated, and "runas" starts at once), so the imports that tell the token
// and start the elevated copy are pointed at the test's own functions, which answer as Windows does
// for a user who is not elevated, and for one who refuses the prompt.
#include <windows.h>
#include <shellapi.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "setup/elevation.h"
#include "setup/install_dialog.h"
#include "setup/install_places.h"
#include "tests/wine/import_redirect.h"

namespace {

// What the token says: elevated, not elevated, or nothing (as before Vista).
enum class Token { kElevated, kNotElevated, kNoAnswer };
Token token = Token::kNotElevated;

BOOL WINAPI AnswerTokenInformation(HANDLE, TOKEN_INFORMATION_CLASS nClass, void* pInfo, DWORD cbInfo, DWORD* pcbNeeded) {
    if (nClass != TokenElevation || token == Token::kNoAnswer || cbInfo < sizeof(TOKEN_ELEVATION)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    static_cast<TOKEN_ELEVATION*>(pInfo)->TokenIsElevated = token == Token::kElevated;
    *pcbNeeded = sizeof(TOKEN_ELEVATION);
    return TRUE;
}

// What the elevated start does: the prompt refused, no such start at all, or a copy that ends
// with nCopyExitCode (a real process, whose handle the caller waits on and reads).
enum class Prompt { kRefused, kUnavailable, kAccepted };
Prompt prompt = Prompt::kAccepted;
DWORD nCopyExitCode = 0;
struct ElevatedStart {
    std::string verb, file, parameters;
    ULONG fMask;
};
std::vector<ElevatedStart> starts;

BOOL WINAPI AnswerShellExecuteEx(SHELLEXECUTEINFOA* pInfo) {
    starts.push_back({pInfo->lpVerb ? pInfo->lpVerb : "", pInfo->lpFile ? pInfo->lpFile : "",
                      pInfo->lpParameters ? pInfo->lpParameters : "", pInfo->fMask});
    if (prompt == Prompt::kRefused) {
        SetLastError(ERROR_CANCELLED);
        return FALSE;
    }
    if (prompt == Prompt::kUnavailable) {
        SetLastError(ERROR_NO_ASSOCIATION);
        return FALSE;
    }
    char szCommand[64];
    wsprintfA(szCommand, "cmd.exe /c exit %lu", nCopyExitCode);
    STARTUPINFOA start;
    ZeroMemory(&start, sizeof(start));
    start.cb = sizeof(start);
    PROCESS_INFORMATION process;
    if (!CreateProcessA(nullptr, szCommand, nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &start,
                        &process))
        return FALSE;
    CloseHandle(process.hThread);
    pInfo->hProcess = process.hProcess;
    pInfo->hInstApp = reinterpret_cast<HINSTANCE>(33);
    return TRUE;
}

std::vector<std::string> messages;
int WINAPI RecordMessageBox(HWND, LPCSTR szText, LPCSTR szCaption, UINT) {
    messages.push_back(std::string(szCaption) + ": " + szText);
    return IDOK;
}

std::vector<std::string> programsStarted;
UINT WINAPI RecordWinExec(LPCSTR szCommand, UINT) {
    programsStarted.push_back(szCommand);
    return 33;
}

class ElevationTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_NE(nullptr, RedirectImport("advapi32.dll", "GetTokenInformation", reinterpret_cast<void*>(AnswerTokenInformation)));
        ASSERT_NE(nullptr, RedirectImport("shell32.dll", "ShellExecuteExA", reinterpret_cast<void*>(AnswerShellExecuteEx)));
        ASSERT_NE(nullptr, RedirectImport("user32.dll", "MessageBoxA", reinterpret_cast<void*>(RecordMessageBox)));
        ASSERT_NE(nullptr, RedirectImport("kernel32.dll", "WinExec", reinterpret_cast<void*>(RecordWinExec)));
    }
    void SetUp() override {
        token = Token::kNotElevated;
        prompt = Prompt::kAccepted;
        nCopyExitCode = 0;
        starts.clear();
        messages.clear();
        programsStarted.clear();
    }

    // Runs the decision for a command line (the program's path first); -1 for "runs here".
    int Decide(SetupRole role, std::vector<std::string> args) {
        std::vector<char*> argv;
        for (std::string& arg : args) argv.push_back(&arg[0]);
        argv.push_back(nullptr);
        int nExitCode = -7;
        bool bDone = RunElevatedCopy(role, kProgram, static_cast<int>(args.size()), argv.data(), &nExitCode);
        return bDone ? nExitCode : -1;
    }

    static constexpr const char* kProgram = "C:\\Downloads\\TallyQuillSetup.exe";
};

}  // namespace

TEST_F(ElevationTest, AnElevatedProcessOrOneWithoutElevationRunsHere) {
    token = Token::kElevated;
    EXPECT_EQ(-1, Decide(SetupRole::kInstall, {kProgram}));
    token = Token::kNoAnswer;  // before Vista
    EXPECT_EQ(-1, Decide(SetupRole::kUninstall, {kProgram}));
    token = Token::kNotElevated;
    EXPECT_EQ(-1, Decide(SetupRole::kInstall, {kProgram, "/S", "/elevated"}))
        << "the elevated copy never starts another one, whatever its token says";
    EXPECT_TRUE(starts.empty()) << starts.size() << " elevated starts";
    EXPECT_TRUE(messages.empty()) << messages.size() << " messages, the first: " << messages[0];
}

TEST_F(ElevationTest, AnElevatedStartThatFailsForAnyReasonIsARefusal) {
    // Policies such as "automatically deny elevation requests" make the start fail without a
    // prompt: going on unelevated would write Program Files and the machine's registry into the
    // user's own store, and report success.
    prompt = Prompt::kUnavailable;
    EXPECT_EQ(0, Decide(SetupRole::kInstall, {kProgram})) << "refused, not run here";
    ASSERT_EQ(1u, messages.size()) << "one message";
    EXPECT_EQ("Install Error: TallyQuill was not installed: administrator rights were not granted.", messages[0]);
    EXPECT_EQ(static_cast<int>(kExitRightsRefused), Decide(SetupRole::kUninstall, {kProgram, "/S"}));
    EXPECT_EQ(1u, messages.size()) << "silent: the exit code alone";
    EXPECT_TRUE(programsStarted.empty());
}

TEST_F(ElevationTest, TheCopyGetsTheSameArgumentsAndItsExitCodeComesBack) {
    nCopyExitCode = 4;
    EXPECT_EQ(4, Decide(SetupRole::kInstall, {kProgram, "/S"})) << "silent: the copy's exit code is this one's";
    ASSERT_EQ(1u, starts.size());
    EXPECT_EQ("runas", starts[0].verb);
    EXPECT_EQ(kProgram, starts[0].file);
    EXPECT_EQ("/S /elevated", starts[0].parameters);
    EXPECT_TRUE(starts[0].fMask & SEE_MASK_NOCLOSEPROCESS) << "without a process handle there is no exit code";
    EXPECT_TRUE(starts[0].fMask & SEE_MASK_NOZONECHECKS)
        << "the file's origin was checked at its own start, not again: mask 0x" << std::hex << starts[0].fMask;
    EXPECT_EQ(0, Decide(SetupRole::kUninstall, {kProgram, "/uninstall", "12", "C:\\My Files\\x"}))
        << "without /S the exit code stays 0";
    EXPECT_EQ("/uninstall 12 \"C:\\My Files\\x\" /elevated", starts[1].parameters);
    EXPECT_TRUE(programsStarted.empty()) << "a failed install starts nothing: " << programsStarted[0];
    EXPECT_TRUE(messages.empty()) << "the copy says what failed, this process nothing: " << messages[0];
}

TEST_F(ElevationTest, AfterAnElevatedInstallTheProgramIsStartedWithoutElevation) {
    nCopyExitCode = 0;
    EXPECT_EQ(0, Decide(SetupRole::kInstall, {kProgram}));
    char szInstalled[MAX_PATH];
    ASSERT_TRUE(InstalledProgramPath(szInstalled, sizeof(szInstalled)));
    ASSERT_EQ(1u, programsStarted.size()) << "the installed program is started by this, unelevated, process";
    EXPECT_EQ(std::string("\"") + szInstalled + "\"", programsStarted[0]);

    programsStarted.clear();
    EXPECT_EQ(0, Decide(SetupRole::kInstall, {kProgram, "/S"}));
    EXPECT_EQ(0, Decide(SetupRole::kUninstall, {kProgram}));
    EXPECT_TRUE(programsStarted.empty()) << "silent, or an uninstall: nothing is started";
}

TEST_F(ElevationTest, ARefusedPromptChangesNothingAndSaysSoOnce) {
    prompt = Prompt::kRefused;
    EXPECT_EQ(0, Decide(SetupRole::kInstall, {kProgram}));
    EXPECT_EQ(0, Decide(SetupRole::kUninstall, {kProgram}));
    ASSERT_EQ(2u, messages.size());
    EXPECT_EQ("Install Error: TallyQuill was not installed: administrator rights were not granted.", messages[0]);
    EXPECT_EQ("Uninstall TallyQuill: TallyQuill was not removed: administrator rights were not granted.", messages[1]);
    EXPECT_EQ(static_cast<int>(kExitRightsRefused), Decide(SetupRole::kInstall, {kProgram, "/S"}));
    EXPECT_EQ(static_cast<int>(kExitRightsRefused), Decide(SetupRole::kUninstall, {kProgram, "/S"}));
    EXPECT_EQ(2u, messages.size()) << "silent: the exit code alone";
    EXPECT_TRUE(programsStarted.empty());
}

namespace {

// A system without SetDefaultDllDirectories (Windows 7 and Vista without their update), as
// GetProcAddress returns there; every other name is looked up as usual.
bool bWithoutDefaultDllDirectories = false;
FARPROC(WINAPI* pfnSystemGetProcAddress)(HMODULE, LPCSTR) = nullptr;
FARPROC WINAPI AnswerGetProcAddress(HMODULE hModule, LPCSTR szName) {
    if (bWithoutDefaultDllDirectories && HIWORD(reinterpret_cast<ULONG_PTR>(szName)) != 0 &&
        strcmp(szName, "SetDefaultDllDirectories") == 0)
        return nullptr;
    return pfnSystemGetProcAddress(hModule, szName);
}

std::vector<std::string> dllDirectories;
BOOL(WINAPI* pfnSystemSetDllDirectoryA)(LPCSTR) = nullptr;
BOOL WINAPI RecordSetDllDirectoryA(LPCSTR szFolder) {
    dllDirectories.push_back(szFolder != nullptr ? std::string("\"") + szFolder + "\"" : "null");
    return pfnSystemSetDllDirectoryA(szFolder);
}

}  // namespace

TEST(LibrarySearch, WithoutTheSystemFolderCallTheCurrentFolderLeavesTheSearch) {
    void* pSystem = RedirectImport("kernel32.dll", "GetProcAddress", reinterpret_cast<void*>(AnswerGetProcAddress));
    ASSERT_NE(nullptr, pSystem) << "the setup code looks the call up by GetProcAddress";
    memcpy(&pfnSystemGetProcAddress, &pSystem, sizeof(pSystem));
    pSystem = RedirectImport("kernel32.dll", "SetDllDirectoryA", reinterpret_cast<void*>(RecordSetDllDirectoryA));
    ASSERT_NE(nullptr, pSystem) << "the setup code calls SetDllDirectoryA where the other call is missing";
    memcpy(&pfnSystemSetDllDirectoryA, &pSystem, sizeof(pSystem));
    bWithoutDefaultDllDirectories = true;
    LimitLibrarySearchToSystemFolder();
    bWithoutDefaultDllDirectories = false;
    ASSERT_EQ(1u, dllDirectories.size()) << "calls of SetDllDirectoryA";
    EXPECT_EQ("\"\"", dllDirectories[0]) << "the empty text takes the current folder out of the search";
}

// Last in this program: the search stays limited for the rest of the process.
TEST(LibrarySearch, ALibraryBesideTheProgramIsNotLoadedOnceTheSearchIsLimited) {
    HMODULE hPlanted = LoadLibraryA("tq_planted.dll");
    ASSERT_NE(nullptr, hPlanted) << "the library beside this program loads before the search is limited";
    FreeLibrary(hPlanted);
    ASSERT_EQ(nullptr, GetModuleHandleA("tq_planted.dll"));
    LimitLibrarySearchToSystemFolder();
    hPlanted = LoadLibraryA("tq_planted.dll");
    EXPECT_EQ(nullptr, hPlanted) << "the library beside the program was loaded";
    if (hPlanted != nullptr) FreeLibrary(hPlanted);
    EXPECT_NE(nullptr, LoadLibraryA("version.dll")) << "system libraries still load";
}
