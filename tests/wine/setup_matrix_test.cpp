// Damaged copies of the real setup file: cut short at every one of its last 64 bytes and around
// every payload boundary, one byte changed in every region and trailer field, bytes appended, sizes
// that do not fit. Every case meets the installer's own check in this process; one case of each kind
// runs over a working installation in the real program, which alone shows the message and proves
// that nothing is written. A copy that still ends in the setup type must refuse after the terms
// page; one that lost it runs as the plain program, or under a setup name refuses at start. None may
// change a byte of the installation or leave a process behind.
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
// A damaged setup file is refused before anything changes, the terms page included.
const char kRefusedAtOnce[] = "Install Error \"Installation file corrupt.\" > ended 0";
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
// and Next, a message box with OK, the plain program's dialog with the tray's Exit. Returns the
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

// One damaged copy: the kind of damage (the real program runs the first case of each kind), what
// was done, and for a changed trailer field which one (kNoField for none): every other field stays.
const unsigned kNoField = ~0u;
struct Case {
    std::string kind;
    std::string what;
    Bytes bytes;
    unsigned nField;
};

class SetupMatrixTest : public ::testing::Test {
protected:
    // One installation for the whole matrix, made with the good setup file and snapshot once;
    // notReady says what kept it from being made.
    static void SetUpTestSuite() {
        nFiles = CountInstallFiles(kInstallFiles);
        RemoveInstallation();
        bool bInstalled = InstallWith(SetupFilePath());
        EndRunningCopies();
        WaitFor([] { return RunningImages({"tallyq.exe"}).empty(); });
        before = Snapshot();
        if (!bInstalled)
            notReady = "the good setup file did not install";
        else if (before.files.size() != nFiles + 1)
            notReady = std::to_string(before.files.size()) + " files installed, not the payload and uninst.exe";
        else if (before.texts["Folders ProgramFiles"].empty())
            notReady = "no ProgramFiles value in Folders";
        else if (!ReadBytes(SetupFilePath(), &setupFile) || setupFile.size() <= TrailerLength(nFiles))
            notReady = "the setup file could not be read, or is too short";
        else if (!SetupImageIntact(setupFile.data(), setupFile.size(), nFiles, &plan))
            notReady = "the good setup file fails the installer's check";
        else if (plan.nSteps != nFiles)
            notReady = std::to_string(plan.nSteps) + " payload files, not " + std::to_string(nFiles);
        if (notReady.empty()) nTrailer = setupFile.size() - TrailerLength(nFiles);
    }
    static void TearDownTestSuite() {
        RemoveInstallation();
        for (const char* szName : {kSetupName, kPlainName}) DeleteFileA((MatrixFolder() + szName).c_str());
    }
    void SetUp() override { ASSERT_EQ("", notReady) << "no installation to damage"; }

    // Runs cases in the real program: a copy still marked as a setup file under the setup name,
    // through its terms page; a copy that lost the mark under a plain name and under the setup name.
    // Prints one line per case, and checks that the installation is unchanged and nothing is left
    // running.
    static void RunCases(const std::vector<Case>& cases) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.what);
            ASSERT_GE(c.bytes.size(), 4u);
            uint32_t nType = ReadField32(&c.bytes[c.bytes.size() - 4]);
            ASSERT_NE(kExeTypeUninstall, nType) << "would run the uninstaller";
            DWORD dwStart = GetTickCount();
            std::string happened;
            if (nType == kExeTypeSetup) {
                std::string path = MatrixFolder() + kSetupName;
                ASSERT_TRUE(WriteBytes(path, c.bytes));
                happened = RunAndAnswer(path);
                EXPECT_EQ(kRefusedAtOnce, happened);
            } else {
                std::string plainPath = MatrixFolder() + kPlainName, setupPath = MatrixFolder() + kSetupName;
                ASSERT_TRUE(WriteBytes(plainPath, c.bytes));
                ASSERT_TRUE(WriteBytes(setupPath, c.bytes));
                ThreadRun asPlain, asSetup;
                asPlain.path = plainPath;
                asSetup.path = setupPath;
                asPlain.Start();
                asSetup.Start();
                asPlain.Finish();
                asSetup.Finish();
                EXPECT_EQ(kPlainProgram, asPlain.story) << "as " << kPlainName;
                EXPECT_EQ(kRefusedAtStart, asSetup.story) << "as " << kSetupName;
                happened = "no setup type; as " + std::string(kPlainName) + ": " + asPlain.story + "; as " + kSetupName +
                           ": " + asSetup.story;
            }
            std::string changed = Differences(before, Snapshot());
            std::vector<std::string> left = RunningImages({kSetupName, kPlainName, "tallyq.exe"});
            printf("[ matrix ] %-48s | %s | %s | %lu ms\n", c.what.c_str(), happened.c_str(),
                   changed.empty() ? "installation unchanged" : "INSTALLATION CHANGED",
                   static_cast<unsigned long>(GetTickCount() - dwStart));
            fflush(stdout);
            EXPECT_EQ("", changed) << "the installation changed";
            EXPECT_TRUE(left.empty()) << left.size() << " process(es) left running, first "
                                      << (left.empty() ? "" : left[0]);
            EXPECT_EQ(nullptr, FindMainDialog()) << "the program's dialog was left";
        }
    }

    // Where a trailer field lies in the setup file.
    static size_t SizeField(unsigned nRow) { return nTrailer + SizeFieldOffset(nRow); }
    static size_t ChecksumField() { return nTrailer + ChecksumFieldOffset(nFiles); }
    static size_t TypeField() { return nTrailer + TypeFieldOffset(nFiles); }
    static size_t PayloadEnd(unsigned nStep) { return plan.steps[nStep].nOffset + plan.steps[nStep].nSize; }
    static std::string PayloadName(unsigned nStep) { return kInstallFiles[plan.steps[nStep].nRow].szFileName; }

    static Case Cut(const std::string& kind, const std::string& what, size_t nSize) {
        return {kind, what + " (" + std::to_string(nSize) + " bytes)", Bytes(setupFile.begin(), setupFile.begin() + nSize),
                kNoField};
    }
    // One byte changed; nField names the trailer field it lies in.
    static Case Changed(const std::string& kind, const std::string& what, size_t nOffset, unsigned nField = kNoField) {
        Case c = {kind, what + " (offset " + std::to_string(nOffset) + ")", setupFile, nField};
        c.bytes[nOffset] ^= 0x20;
        return c;
    }
    // The size fields from the first row on set to sizes, every later row to 0 when zeroRest.
    static Case WithSizes(const std::string& kind, const std::string& what, const std::vector<uint32_t>& sizes,
                          bool bZeroRest) {
        Case c = {kind, what, setupFile, kNoField};
        for (unsigned nRow = 0; nRow < nFiles; ++nRow) {
            if (nRow < sizes.size())
                WriteField32(&c.bytes[SizeField(nRow)], sizes[nRow]);
            else if (bZeroRest)
                WriteField32(&c.bytes[SizeField(nRow)], 0);
        }
        return c;
    }

    // Every case, kind by kind.
    static std::vector<Case> AllCases() {
        std::vector<Case> cases;
        for (size_t nCut = 1; nCut <= 64; ++nCut)
            cases.push_back(Cut("cut short", "cut by " + std::to_string(nCut), setupFile.size() - nCut));
        for (unsigned nStep = 0; nStep < plan.nSteps; ++nStep) {
            std::string name = "end of " + PayloadName(nStep);
            size_t nEnd = PayloadEnd(nStep);
            cases.push_back(Cut("cut at a payload boundary", name + " - 1", nEnd - 1));
            cases.push_back(Cut("cut at a payload boundary", name, nEnd));
            cases.push_back(Cut("cut at a payload boundary", name + " + 1", nEnd + 1));
        }

        const char kPayload[] = "a payload byte changed";
        cases.push_back(Changed(kPayload, PayloadName(0) + ": a byte in the middle of its resources", ResourceMiddle(setupFile)));
        cases.push_back(Changed(kPayload, PayloadName(0) + ": its stub's text", 0x50));
        cases.push_back(Changed(kPayload, PayloadName(0) + ": its last byte", PayloadEnd(0) - 1));
        for (unsigned nStep = 1; nStep < plan.nSteps; ++nStep) {
            cases.push_back(Changed(kPayload, PayloadName(nStep) + ": first byte", plan.steps[nStep].nOffset));
            cases.push_back(Changed(kPayload, PayloadName(nStep) + ": last byte", PayloadEnd(nStep) - 1));
        }
        for (unsigned nRow = 0; nRow < nFiles; ++nRow) {
            std::string field = std::string("size of ") + kInstallFiles[nRow].szFileName;
            cases.push_back(Changed("a size changed", field + ": low byte", SizeField(nRow), nRow));
            cases.push_back(Changed("a size changed", field + ": high byte", SizeField(nRow) + 3, nRow));
        }
        cases.push_back(Changed("the checksum changed", "checksum: low byte", ChecksumField(), nFiles));
        cases.push_back(Changed("the checksum changed", "checksum: high byte", ChecksumField() + 3, nFiles));
        cases.push_back(Changed("the type marker changed", "type marker: first byte", TypeField(), nFiles + 1));
        cases.push_back(Changed("the type marker changed", "type marker: last byte", TypeField() + 3, nFiles + 1));

        for (size_t nBytes : {1, 4, 24}) {
            Case c = {"bytes appended", std::to_string(nBytes) + " byte(s) 0x5A appended", setupFile, kNoField};
            c.bytes.insert(c.bytes.end(), nBytes, 0x5A);
            cases.push_back(c);
        }
        Case secondTrailer = {"a second trailer appended", "a second trailer appended", setupFile, kNoField};
        secondTrailer.bytes.insert(secondTrailer.bytes.end(), setupFile.begin() + nTrailer, setupFile.end());
        cases.push_back(secondTrailer);

        const uint32_t nFile = static_cast<uint32_t>(setupFile.size());
        const uint32_t nPayload = plan.nPayloadSize;
        const uint32_t nImage = plan.steps[0].nSize;
        const char kBeyond[] = "sizes that do not fit the file";
        cases.push_back(WithSizes(kBeyond, "second size beyond the file", {nImage, nFile + 1}, false));
        cases.push_back(WithSizes(kBeyond, "second size 0x7FFFFFF0", {nImage, 0x7FFFFFF0u}, false));
        cases.push_back(WithSizes(kBeyond, "first size FFFFFFFF (no bytes)", {0xFFFFFFFFu}, false));
        // Sizes that add up, modulo 2^32, to the real payload's length: a check that sums them in 32
        // bits finds them filling the file exactly.
        const char kWrapping[] = "sizes whose sum wraps";
        cases.push_back(WithSizes(kWrapping, "sizes 7FFFFFFF, 7FFFFFFF, payload+2, then 0",
                                  {0x7FFFFFFFu, 0x7FFFFFFFu, nPayload + 2}, true));
        cases.push_back(WithSizes(kWrapping, "sizes 7FFFFFFF, 7FFFFFFF, 1, payload+1, then 0",
                                  {0x7FFFFFFFu, 0x7FFFFFFFu, 1, nPayload + 1}, true));
        return cases;
    }

    static unsigned nFiles;
    static std::string notReady;
    static InstallationState before;
    static Bytes setupFile;
    static size_t nTrailer;
    static ExtractionPlan plan;
};

unsigned SetupMatrixTest::nFiles = 0;
std::string SetupMatrixTest::notReady;
InstallationState SetupMatrixTest::before;
Bytes SetupMatrixTest::setupFile;
size_t SetupMatrixTest::nTrailer = 0;
ExtractionPlan SetupMatrixTest::plan;

// The trailer's fields of a copy as long as the setup file: each row's size, the checksum, the type.
std::vector<uint32_t> TrailerFields(const Bytes& bytes, size_t nTrailer, unsigned nFiles) {
    std::vector<uint32_t> fields;
    for (unsigned nField = 0; nField < nFiles + 2; ++nField) fields.push_back(ReadField32(&bytes[nTrailer + 4 * nField]));
    return fields;
}

TEST_F(SetupMatrixTest, EveryCaseChangesWhatItNamesAndIsRefusedByTheInstallersCheck) {
    std::vector<Case> cases = AllCases();
    const std::vector<uint32_t> good = TrailerFields(setupFile, nTrailer, nFiles);
    std::set<std::string> kinds;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        kinds.insert(c.kind);
        ASSERT_GE(c.bytes.size(), 4u);
        EXPECT_TRUE(c.bytes != setupFile) << "nothing was changed";
        uint32_t nType = ReadField32(&c.bytes[c.bytes.size() - 4]);
        EXPECT_NE(kExeTypeUninstall, nType) << "would run the uninstaller";
        // A copy still marked as a setup file must fail the installer's check before anything is
        // written; one that lost the mark is not installed from at all.
        if (nType == kExeTypeSetup) {
            EXPECT_FALSE(SetupImageIntact(c.bytes.data(), c.bytes.size(), nFiles, nullptr)) << "passes the check";
        }
        if (c.nField != kNoField) {
            ASSERT_EQ(setupFile.size(), c.bytes.size());
            std::vector<uint32_t> fields = TrailerFields(c.bytes, nTrailer, nFiles);
            for (unsigned nField = 0; nField < fields.size(); ++nField)
                EXPECT_EQ(nField == c.nField, fields[nField] != good[nField]) << "trailer field " << nField;
        }
        if (c.kind == "sizes whose sum wraps") {
            uint32_t nSum = 0;
            for (unsigned nRow = 0; nRow < nFiles; ++nRow) nSum += ReadField32(&c.bytes[SizeField(nRow)]);
            EXPECT_EQ(plan.nPayloadSize, nSum) << "the sizes' 32-bit sum is the payload's length";
        }
    }
    EXPECT_EQ(10u, kinds.size()) << "the kinds of damage";
    printf("[ figure ] %zu damaged copies of %zu kinds refused by the installer's check\n", cases.size(), kinds.size());
}

TEST_F(SetupMatrixTest, OneCaseOfEachKindIsRefusedByTheRealProgram) {
    DWORD dwStart = GetTickCount();
    std::vector<Case> firsts;
    std::set<std::string> kinds;
    for (Case& c : AllCases()) {
        if (kinds.insert(c.kind).second) firsts.push_back(c);
    }
    RunCases(firsts);
    printf("[ figure ] %zu cases in the real program took %lu ms\n", firsts.size(),
           static_cast<unsigned long>(GetTickCount() - dwStart));
}

TEST_F(SetupMatrixTest, AFileTooShortForItsTrailerChangesNothing) {
    // Marked as a setup file, but six bytes are no program: the system refuses to start it.
    std::string path = MatrixFolder() + kSetupName;
    ASSERT_TRUE(WriteBytes(path, Bytes{'M', 'Z', 0xF0, 0xF0, 0x0F, 0x0F}));
    {
        SetupRun setup;
        if (setup.Start("", path)) setup.WaitForExit();
    }
    EXPECT_EQ("", Differences(before, Snapshot()));
    EXPECT_EQ(nullptr, FindMainDialog());
}

}  // namespace
