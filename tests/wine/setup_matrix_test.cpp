// Damaged copies of the real setup file, case by case, over a working installation: cut short at
// every one of its last 64 bytes and around every payload boundary, one byte changed in every
// region, bytes appended, sizes that do not fit. A copy that still ends in the setup type must
// refuse after the terms page; one that lost it runs as the plain program, or under a setup name
// refuses at start. None may change a byte of the installation or leave a process behind.
#include <windows.h>
#include <tlhelp32.h>
#include <gtest/gtest.h>

#include <string.h>

#include <set>
#include <string>
#include <vector>

#include "resources/tray_menu_ids.h"
#include "setup/exe_type.h"
#include "setup/setup_layout.h"
#include "tests/wine/installation.h"
#include "tests/wine/wine_test_support.h"

namespace {

const char kTermsTitle[] = "TallyQuill Software Licence Terms";
const char kSetupName[] = "TallyQuillSetup.exe";
const char kPlainName[] = "TallyQuillCopy.exe";  // no "setup" in it

// What a run is expected to tell, step by step.
const char kRefusedAfterTerms[] = "terms page, agree + Next > Install Error \"Installation file corrupt.\" > ended 0";
const char kRefusedAtStart[] = "Install Error \"Installation file corrupt.\" > ended 0";
const char kPlainProgram[] = "main dialog, tray Exit > ended 0";

const char kFoldersKey[] = "Software\\Kestrilon\\TallyQuill\\Folders";
const unsigned kStepTimeoutMs = kPatienceMs;

std::string MatrixFolder() {
    std::string folder = ScratchFolder() + "matrix\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

// The visible dialogs of one process, by title: the message box, the terms page, the main dialog.
// Found by process, so that two runs side by side never answer each other's windows.
struct ShownWindows {
    DWORD dwProcessId;
    HWND hwndBox, hwndTerms, hwndMain;
};

BOOL CALLBACK NoteShownWindow(HWND hwnd, LPARAM lParam) {
    ShownWindows* pShown = reinterpret_cast<ShownWindows*>(lParam);
    DWORD dwProcessId = 0;
    GetWindowThreadProcessId(hwnd, &dwProcessId);
    char szClass[16] = "", szTitle[64] = "";
    if (dwProcessId != pShown->dwProcessId || !IsWindowVisible(hwnd) || !GetClassNameA(hwnd, szClass, sizeof(szClass)) ||
        strcmp(szClass, "#32770") != 0)
        return TRUE;
    GetWindowTextA(hwnd, szTitle, sizeof(szTitle));
    if (strcmp(szTitle, "Install Error") == 0) pShown->hwndBox = hwnd;
    if (strcmp(szTitle, kTermsTitle) == 0) pShown->hwndTerms = hwnd;
    if (strcmp(szTitle, "TallyQuill") == 0) pShown->hwndMain = hwnd;
    return TRUE;
}

ShownWindows WindowsShownBy(DWORD dwProcessId) {
    ShownWindows shown = {dwProcessId, nullptr, nullptr, nullptr};
    EnumWindows(NoteShownWindow, reinterpret_cast<LPARAM>(&shown));
    return shown;
}

// The message box's first line: its text up to the first line break.
std::string FirstLine(HWND hwndBox) {
    std::string text = MessageBoxText(hwndBox);
    return text.substr(0, text.find_first_of("\r\n"));
}

// Starts a file and answers whatever it shows until its process ends: the terms page with agree
// and Next, a message box with OK, the plain program's dialog with the tray's Exit. Answers the
// steps as seen, ending in "ended <exit code>"; a step that does not come within the bound ends the
// story there and the process is ended.
std::string RunAndAnswer(const std::string& path) {
    SetupRun run;
    if (!run.Start("", path)) return "not started by the system";
    std::string story;
    for (int nStep = 0; nStep < 6; ++nStep) {
        ShownWindows shown = {};
        bool bEnded = false;
        bool bSeen = WaitFor(
            "a message box, the terms page, the main dialog or the end of " + path,
            [&] {
                shown = WindowsShownBy(run.process.dwProcessId);
                bEnded = WaitForSingleObject(run.process.hProcess, 0) == WAIT_OBJECT_0;
                return shown.hwndBox != nullptr || shown.hwndTerms != nullptr || shown.hwndMain != nullptr || bEnded;
            },
            [&] { return run.ProcessState(); }, kStepTimeoutMs, 5);
        if (!bSeen) {
            std::string state = run.ProcessState();
            run.Kill();
            return story + "nothing more within " + std::to_string(kStepTimeoutMs / 1000) + " s (" + state +
                   "; ended by the test)";
        }
        HWND hwndAnswered = nullptr;
        if (shown.hwndBox != nullptr) {
            story += "Install Error \"" + FirstLine(shown.hwndBox) + "\" > ";
            hwndAnswered = shown.hwndBox;
            PostMessageA(hwndAnswered, WM_COMMAND, IDOK, 0);
        } else if (shown.hwndTerms != nullptr) {
            story += "terms page, agree + Next > ";
            hwndAnswered = run.hwndTerms = shown.hwndTerms;
            run.AgreeAndNext();
        } else if (shown.hwndMain != nullptr) {
            // As EndRunningCopies does: the tray's Exit, which saves the settings and ends the program.
            story += "main dialog, tray Exit > ";
            hwndAnswered = shown.hwndMain;
            PostMessageA(hwndAnswered, WM_COMMAND, IDM_TRAY_EXIT, 0);
        } else {
            return story + "ended " + std::to_string(run.WaitForExit(0));
        }
        WaitFor(
            "the answered window to close", [hwndAnswered] { return !IsWindowVisible(hwndAnswered); },
            [&] { return run.ProcessState(); }, kStepTimeoutMs, 5);
    }
    run.Kill();
    return story + "too many steps (ended by the test)";
}

// A run in a thread of its own, so that a file's two names are tried side by side.
struct ThreadRun {
    std::string path;
    std::string story;
    HANDLE hThread = nullptr;

    static DWORD WINAPI Body(void* pRun) {
        ThreadRun* pThis = static_cast<ThreadRun*>(pRun);
        pThis->story = RunAndAnswer(pThis->path);
        return 0;
    }
    void Start() { hThread = CreateThread(nullptr, 0, Body, this, 0, nullptr); }
    // Every step is bounded, so the thread ends; the bound here only guards the test itself.
    void Finish() {
        if (hThread == nullptr) {
            story = "no thread";
        } else if (WaitForSingleObject(hThread, 120000) != WAIT_OBJECT_0) {
            story = "run still going after 120 s";
        } else {
            CloseHandle(hThread);
        }
        hThread = nullptr;
    }
};

// The processes still running from an image of one of these names.
std::vector<std::string> RunningImages(const std::set<std::string>& names) {
    std::vector<std::string> running;
    HANDLE hSnapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (hSnapshot == INVALID_HANDLE_VALUE) return running;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL bMore = Process32First(hSnapshot, &entry); bMore; bMore = Process32Next(hSnapshot, &entry)) {
        for (const std::string& name : names)
            if (lstrcmpiA(entry.szExeFile, name.c_str()) == 0) running.push_back(entry.szExeFile);
    }
    CloseHandle(hSnapshot);
    return running;
}

// The installation as CurrentInstallation() sees it, and the install folder values that a setup
// file writes before its terms page.
InstallationState Snapshot() {
    InstallationState state = CurrentInstallation();
    for (const char* szName : {"ProgramFiles", "DataFiles"})
        state.texts[std::string("Folders ") + szName] = SystemText(HKEY_LOCAL_MACHINE, kFoldersKey, szName);
    return state;
}

struct Case {
    std::string what;
    Bytes bytes;
};

class SetupMatrixTest : public ::testing::Test {
protected:
    // One installation for the whole matrix, made with the good setup file and snapshot once;
    // notReady says what kept it from being made.
    static void SetUpTestSuite() {
        const unsigned nFiles = CountInstallFiles(kInstallFiles);
        RemoveInstallation();
        bool bInstalled = InstallWith(SetupFilePath());
        EndRunningCopies();
        WaitFor([] { return RunningImages({"tallyq.exe"}).empty(); });
        before = Snapshot();
        if (!bInstalled)
            notReady = "the good setup file did not install";
        else if (before.files.size() != 6)
            notReady = std::to_string(before.files.size()) + " files installed, not 6";
        else if (before.texts["Folders ProgramFiles"].empty())
            notReady = "no ProgramFiles value in Folders";
        else if (!ReadBytes(SetupFilePath(), &setupFile) || setupFile.size() <= TrailerLength(nFiles))
            notReady = "the setup file could not be read, or is too short";
        else if (!SetupImageIntact(setupFile.data(), setupFile.size(), nFiles, &plan))
            notReady = "the good setup file fails the installer's check";
        else if (plan.nSteps != nFiles)
            notReady = std::to_string(plan.nSteps) + " payload files, not " + std::to_string(nFiles);
        if (notReady.empty()) nTrailer = setupFile.size() - TrailerLength(nFiles);
        dwSuiteStart = GetTickCount();
    }
    static void TearDownTestSuite() {
        printf("[ figure ] the matrix took %lu ms\n", static_cast<unsigned long>(GetTickCount() - dwSuiteStart));
        RemoveInstallation();
        for (const char* szName : {kSetupName, kPlainName}) DeleteFileA((MatrixFolder() + szName).c_str());
    }
    void SetUp() override { ASSERT_EQ("", notReady) << "no installation to damage"; }

    // Runs every case: a copy still marked as a setup file under the setup name, through its terms
    // page; a copy that lost the mark under a plain name and under the setup name. Prints one line
    // per case, and checks that the installation is unchanged and nothing is left running.
    static void RunCases(const std::vector<Case>& cases) {
        for (const Case& c : cases) {
            ASSERT_GE(c.bytes.size(), 4u) << c.what;
            uint32_t nType = ReadField32(&c.bytes[c.bytes.size() - 4]);
            ASSERT_NE(kExeTypeUninstall, nType) << c.what << ": would run the uninstaller";
            DWORD dwStart = GetTickCount();
            std::string happened;
            if (nType == kExeTypeSetup) {
                std::string path = MatrixFolder() + kSetupName;
                ASSERT_TRUE(WriteBytes(path, c.bytes)) << c.what;
                happened = RunAndAnswer(path);
                EXPECT_EQ(kRefusedAfterTerms, happened) << c.what;
            } else {
                std::string plainPath = MatrixFolder() + kPlainName, setupPath = MatrixFolder() + kSetupName;
                ASSERT_TRUE(WriteBytes(plainPath, c.bytes)) << c.what;
                ASSERT_TRUE(WriteBytes(setupPath, c.bytes)) << c.what;
                ThreadRun asPlain, asSetup;
                asPlain.path = plainPath;
                asSetup.path = setupPath;
                asPlain.Start();
                asSetup.Start();
                asPlain.Finish();
                asSetup.Finish();
                EXPECT_EQ(kPlainProgram, asPlain.story) << c.what << " as " << kPlainName;
                EXPECT_EQ(kRefusedAtStart, asSetup.story) << c.what << " as " << kSetupName;
                happened = "no setup type; as " + std::string(kPlainName) + ": " + asPlain.story + "; as " + kSetupName +
                           ": " + asSetup.story;
            }
            bool bUnchanged = before == Snapshot();
            std::vector<std::string> left = RunningImages({kSetupName, kPlainName, "tallyq.exe"});
            printf("[ matrix ] %-48s | %s | %s | %lu ms\n", c.what.c_str(), happened.c_str(),
                   bUnchanged ? "installation unchanged" : "INSTALLATION CHANGED",
                   static_cast<unsigned long>(GetTickCount() - dwStart));
            fflush(stdout);
            EXPECT_TRUE(bUnchanged) << c.what << " changed the installation";
            EXPECT_TRUE(left.empty()) << c.what << " left " << left.size() << " process(es) running, first "
                                      << (left.empty() ? "" : left[0]);
            EXPECT_EQ(nullptr, FindMainDialog()) << c.what << " left the program's dialog";
        }
    }

    static Case Cut(const std::string& what, size_t nSize) {
        return {what + " (" + std::to_string(nSize) + " bytes)", Bytes(setupFile.begin(), setupFile.begin() + nSize)};
    }
    static Case Changed(const std::string& what, size_t nOffset) {
        Case c = {what + " (offset " + std::to_string(nOffset) + ")", setupFile};
        c.bytes[nOffset] ^= 0x20;
        return c;
    }
    static Case WithSizes(const std::string& what, const std::vector<uint32_t>& sizes) {
        Case c = {what, setupFile};
        for (size_t i = 0; i < sizes.size(); ++i) WriteField32(&c.bytes[nTrailer + 4 * i], sizes[i]);
        return c;
    }
    static size_t PayloadEnd(unsigned nStep) { return plan.steps[nStep].nOffset + plan.steps[nStep].nSize; }

    static std::string notReady;
    static InstallationState before;
    static Bytes setupFile;
    static size_t nTrailer;
    static ExtractionPlan plan;
    static DWORD dwSuiteStart;
};

std::string SetupMatrixTest::notReady;
InstallationState SetupMatrixTest::before;
Bytes SetupMatrixTest::setupFile;
size_t SetupMatrixTest::nTrailer = 0;
ExtractionPlan SetupMatrixTest::plan;
DWORD SetupMatrixTest::dwSuiteStart = 0;

const char* const kPayloadNames[4] = {"program image", "help file", "banner page", "banner picture"};

TEST_F(SetupMatrixTest, CutAtEachOfTheLast64Bytes) {
    std::vector<Case> cases;
    for (size_t nCut = 1; nCut <= 64; ++nCut) cases.push_back(Cut("cut by " + std::to_string(nCut), setupFile.size() - nCut));
    RunCases(cases);
}

TEST_F(SetupMatrixTest, CutAtEachPayloadBoundary) {
    std::vector<Case> cases;
    for (unsigned nStep = 0; nStep < plan.nSteps; ++nStep) {
        size_t nEnd = PayloadEnd(nStep);
        std::string name = std::string("end of ") + kPayloadNames[nStep];
        cases.push_back(Cut(name + " - 1", nEnd - 1));
        cases.push_back(Cut(name, nEnd));
        cases.push_back(Cut(name + " + 1", nEnd + 1));
    }
    RunCases(cases);
}

TEST_F(SetupMatrixTest, OneByteChangedInEachRegion) {
    std::vector<Case> cases = {
        Changed("program image: its stub's text", 0x50),
        Changed("program image: a byte in the middle", plan.steps[0].nSize / 2),
        Changed("program image: its last byte", PayloadEnd(0) - 1),
    };
    for (unsigned nStep = 1; nStep < plan.nSteps; ++nStep) {
        cases.push_back(Changed(std::string(kPayloadNames[nStep]) + ": first byte", plan.steps[nStep].nOffset));
        cases.push_back(Changed(std::string(kPayloadNames[nStep]) + ": last byte", PayloadEnd(nStep) - 1));
    }
    for (unsigned nRow = 0; nRow < 4; ++nRow)
        cases.push_back(Changed("size of " + std::string(kPayloadNames[nRow]), nTrailer + 4 * nRow));
    cases.push_back(Changed("checksum: low byte", nTrailer + 16));
    cases.push_back(Changed("checksum: high byte", nTrailer + 19));
    cases.push_back(Changed("type marker: first byte", nTrailer + 20));
    cases.push_back(Changed("type marker: last byte", nTrailer + 23));
    RunCases(cases);
}

TEST_F(SetupMatrixTest, BytesAppended) {
    std::vector<Case> cases;
    for (size_t nBytes : {1, 4, 24}) {
        Case c = {std::to_string(nBytes) + " byte(s) 0x5A appended", setupFile};
        c.bytes.insert(c.bytes.end(), nBytes, 0x5A);
        cases.push_back(c);
    }
    Case secondTrailer = {"a second trailer appended", setupFile};
    secondTrailer.bytes.insert(secondTrailer.bytes.end(), setupFile.begin() + nTrailer, setupFile.end());
    cases.push_back(secondTrailer);
    RunCases(cases);
}

TEST_F(SetupMatrixTest, SizesThatDoNotFitTheFile) {
    const uint32_t nFile = static_cast<uint32_t>(setupFile.size());
    const uint32_t nPayload = plan.nPayloadSize;
    const uint32_t nImage = plan.steps[0].nSize;
    RunCases({
        WithSizes("help file's size beyond the file", {nImage, nFile + 1}),
        WithSizes("help file's size 0x7FFFFFF0", {nImage, 0x7FFFFFF0u}),
        WithSizes("image size FFFFFFFF (no bytes)", {0xFFFFFFFFu}),
        WithSizes("sizes 7FFFFFFF, 7FFFFFFF, payload+2, 0", {0x7FFFFFFFu, 0x7FFFFFFFu, nPayload + 2, 0}),
        WithSizes("sizes 7FFFFFFF, 7FFFFFFF, 1, payload+1", {0x7FFFFFFFu, 0x7FFFFFFFu, 1, nPayload + 1}),
    });
}

}  // namespace
