// Files priced in the real tallyq.exe: dropped on its window (the drop made in the program's own
// memory, as the shell makes one), named by starts and handed to the running copy, stopped with Esc.
#include <gtest/gtest.h>
#include <windows.h>
#include <psapi.h>
#include <shellapi.h>
#include <shlobj.h>

#include <stdio.h>

#include <string>
#include <vector>

#include "resources/csv_dialog_ids.h"
#include "resources/main_dialog_ids.h"
#include "tests/unit/zip_writer.h"
#include "tests/wine/program_driver.h"
#include "tests/wine/wine_test_support.h"

namespace {

// "one two three" and "four" on two lines: 19 characters (CR LF is two), 4 words; 2 lines at 80
// characters a line, 4 at 5 ("one t", "wo th", "ree", "four").
const char kNotesText[] = "one two three\r\nfour";
// The ODF fixture written with odfpy: "Résumé" and "Typing at 120 words a minute. Fast!", each a
// paragraph: 45 characters, 8 words; 2 lines at 80, 9 at 5.
const char kResumeFixture[] = TQ_DOCUMENT_FIXTURES "opendocument-odfpy.odt";
// A workbook of about 2 MB whose shared strings inflate to 280 MB, written before the test by
// tests/fixtures/crafted_workbook.py; its one sheet shows "Total".
const char kCraftedWorkbook[] = TQ_CRAFTED_WORKBOOK;

std::wstring Wide(const std::string& text) {
    std::wstring wide(text.size() + 1, L'\0');
    int n = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, &wide[0], static_cast<int>(wide.size()));
    wide.resize(n > 0 ? n - 1 : 0);
    return wide;
}

::testing::AssertionResult Written(const std::wstring& path, const std::string& bytes) {
    HANDLE hFile = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD dwWritten = 0;
    bool bWritten = hFile != INVALID_HANDLE_VALUE &&
                    WriteFile(hFile, bytes.data(), static_cast<DWORD>(bytes.size()), &dwWritten, nullptr) &&
                    dwWritten == bytes.size();
    DWORD dwError = GetLastError();
    if (hFile != INVALID_HANDLE_VALUE) CloseHandle(hFile);
    if (bWritten) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "could not write a test file (error " << dwError << ")";
}

std::string ReadAll(const char* szPath) {
    std::string bytes;
    HANDLE hFile = CreateFileA(szPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (hFile == INVALID_HANDLE_VALUE) return bytes;
    char buffer[4096];
    DWORD dwRead = 0;
    while (ReadFile(hFile, buffer, sizeof(buffer), &dwRead, nullptr) && dwRead > 0) bytes.append(buffer, dwRead);
    CloseHandle(hFile);
    return bytes;
}

// A folder of its own for each case, made empty.
std::wstring CaseFolder(const char* szName) {
    std::wstring folder = Wide(ScratchFolder()) + Wide(szName) + L"\\";
    RunChild("cmd /c rmdir /s /q \"" + ScratchFolder() + szName + "\"");
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

// Drops the files on the window as the shell does (DropFilesOn), checked where it is called.
::testing::AssertionResult Dropped(HWND hwnd, const std::vector<std::wstring>& paths) {
    std::string failure = DropFilesOn(hwnd, paths);
    if (failure.empty()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << failure;
}

// Starts tallyq.exe with a UTF-16 command line, as the shell starts it for files dropped on its
// shortcut.
::testing::AssertionResult StartedWith(ProgramUnderTest& program, const std::wstring& arguments) {
    std::wstring path = Wide(BuiltProgramPath());
    std::wstring commandLine = L"\"" + path + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    if (CreateProcessW(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &program.process))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "could not start the program (error " << GetLastError() << ")";
}

// The counts on show once they are the expected ones: characters, words, lines.
::testing::AssertionResult ShowsCounts(const ProgramUnderTest& program, const std::string& chars,
                                       const std::string& words, const std::string& lines) {
    std::string seenChars = program.TextOnceItIs(IDC_CHAR_COUNT, chars);
    std::string seenWords = program.TextOnceItIs(IDC_WORD_COUNT, words);
    std::string seenLines = program.TextOnceItIs(IDC_LINE_COUNT, lines);
    if (seenChars == chars && seenWords == words && seenLines == lines) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "shows " << seenChars << " characters, " << seenWords << " words, "
                                         << seenLines << " lines; expected " << chars << ", " << words << ", " << lines
                                         << "; status line: " << program.Text(IDC_STATUS_LINE);
}

std::string Narrow(const std::u16string& text) {
    std::string narrow(text.size() * 3 + 1, '\0');
    int n = WideCharToMultiByte(CP_UTF8, 0, reinterpret_cast<const wchar_t*>(text.c_str()), -1, &narrow[0],
                                static_cast<int>(narrow.size()), nullptr, nullptr);
    narrow.resize(n > 0 ? n - 1 : 0);
    return narrow;
}

// The job title the Add To CSV dialog starts with; the dialog is cancelled.
std::string CsvDialogTitle(HWND hwndMain) {
    PostMessageA(hwndMain, WM_COMMAND, MAKEWPARAM(IDC_ADD_TO_CSV, 0), 0);
    HWND hwndCsv = WaitForShownDialog("Add to CSV File");
    if (hwndCsv == nullptr) return "<no Add to CSV File dialog>";
    wchar_t szTitle[300] = L"";
    // WM_GETTEXT itself: another process's GetWindowText does not ask an edit box for its text.
    DWORD_PTR nCopied = 0;
    SendMessageTimeoutW(GetDlgItem(hwndCsv, IDC_CSV_JOB_TITLE), WM_GETTEXT, 300, reinterpret_cast<LPARAM>(szTitle),
                        SMTO_NORMAL, kPatienceMs, &nCopied);
    PostMessageA(hwndCsv, WM_COMMAND, IDCANCEL, 0);
    WaitFor([&] { return !IsWindow(hwndCsv); });
    return Narrow(reinterpret_cast<const char16_t*>(szTitle));
}

// A stand-in for a running copy that does not answer: a window of the main dialog's class and
// title, made by a thread of this process that then takes no messages until it is let go. What was
// posted to it meanwhile is kept.
class HungCopy {
public:
    HungCopy() {
        hLetGo = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        hMade = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        hThread = CreateThread(nullptr, 0, Run, this, 0, nullptr);
        WaitForSingleObject(hMade, kPatienceMs);
    }
    ~HungCopy() {
        LetGo();
        CloseHandle(hLetGo);
        CloseHandle(hMade);
    }
    // Lets the thread take the messages posted to it, then end with its window.
    void LetGo() {
        if (hThread == nullptr) return;
        SetEvent(hLetGo);
        WaitForSingleObject(hThread, kPatienceMs);
        CloseHandle(hThread);
        hThread = nullptr;
    }
    HWND hwnd = nullptr;
    std::vector<MSG> posted;

private:
    static DWORD WINAPI Run(void* pParameter) {
        HungCopy* pCopy = static_cast<HungCopy*>(pParameter);
        pCopy->hwnd = CreateWindowExA(0, "#32770", "TallyQuill", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr,
                                      GetModuleHandleA(nullptr), nullptr);
        SetEvent(pCopy->hMade);
        WaitForSingleObject(pCopy->hLetGo, INFINITE);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            pCopy->posted.push_back(msg);
            DispatchMessageA(&msg);
        }
        DestroyWindow(pCopy->hwnd);
        return 0;
    }
    HANDLE hLetGo, hMade, hThread;
};

class FilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProgramRegistry();
        EndRunningCopies();
    }
    void TearDown() override {
        EndRunningCopies();
        ResetProgramRegistry();
    }
    static void StartOnClipboard(ProgramUnderTest& program) {
        PutClipboardText("alpha beta");
        ASSERT_TRUE(program.Start());
        ASSERT_NE(nullptr, program.WaitForDialog());
        program.SetText(IDC_CHARS_PER_LINE, "80");
        ASSERT_TRUE(ShowsCounts(program, "10", "2", "1"));
    }
};

TEST_F(FilesTest, DroppedFilesArePricedTogetherAndARefusedOneIsNamed) {
    std::wstring folder = CaseFolder("drop");
    ASSERT_TRUE(Written(folder + L"notes.txt", kNotesText));
    std::string resume = ReadAll(kResumeFixture);
    ASSERT_FALSE(resume.empty()) << "the fixture " << kResumeFixture;
    ASSERT_TRUE(Written(folder + L"r\u00e9sum\u00e9.odt", resume));
    ASSERT_TRUE(Written(folder + L"scan.pdf", "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n1 0 obj\n<<>>\nendobj\n"));
    ProgramUnderTest program;
    ASSERT_NO_FATAL_FAILURE(StartOnClipboard(program));

    // The shell drops only on a window that says it takes files.
    EXPECT_NE(0, GetWindowLongA(program.hwnd, GWL_EXSTYLE) & WS_EX_ACCEPTFILES)
        << "the window's extended style " << std::hex << GetWindowLongA(program.hwnd, GWL_EXSTYLE);
    ASSERT_TRUE(Dropped(program.hwnd, {folder + L"notes.txt", folder + L"scan.pdf", folder + L"r\u00e9sum\u00e9.odt"}));
    EXPECT_TRUE(ShowsCounts(program, "64", "12", "4"));
    EXPECT_EQ("2 files: notes.txt 4 words; r\u00e9sum\u00e9.odt 8 words", Narrow(program.UnicodeText(IDC_SUMMARY)));
    std::string status = Narrow(program.UnicodeText(IDC_STATUS_LINE));
    EXPECT_EQ(0u, status.find("Left out scan.pdf: PDF files are not read")) << status;
    // The lines follow the limit without the files being read again: 4 + 9 at 5 a line.
    program.SetText(IDC_CHARS_PER_LINE, "5");
    EXPECT_TRUE(ShowsCounts(program, "64", "12", "13"));
    EXPECT_EQ("notes.txt + r\u00e9sum\u00e9.odt", CsvDialogTitle(program.hwnd)) << "the job title offered";

    // Update Text goes back to the clipboard, and the job title is empty again.
    program.Command(IDC_UPDATE_TEXT);
    EXPECT_TRUE(ShowsCounts(program, "10", "2", "2"));
    EXPECT_EQ("", CsvDialogTitle(program.hwnd));
}

TEST_F(FilesTest, AFolderIsEveryFileInItAndItsSubfolders) {
    std::wstring folder = CaseFolder("folder");
    ASSERT_TRUE(Written(folder + L"a.txt", "one two"));
    CreateDirectoryW((folder + L"inner").c_str(), nullptr);
    ASSERT_TRUE(Written(folder + L"inner\\b.txt", "three four five"));
    ASSERT_TRUE(Written(folder + L"inner\\c.txt", kNotesText));
    ProgramUnderTest program;
    ASSERT_NO_FATAL_FAILURE(StartOnClipboard(program));
    ASSERT_TRUE(Dropped(program.hwnd, {folder.substr(0, folder.size() - 1)}));
    // 7 + 15 + 19 characters; 2 + 3 + 4 words; 1 + 1 + 2 lines.
    EXPECT_TRUE(ShowsCounts(program, "41", "9", "4"));
    std::string summary = Narrow(program.UnicodeText(IDC_SUMMARY));
    EXPECT_EQ(0u, summary.find("3 files: ")) << summary;
}

TEST_F(FilesTest, EscDuringALongReadKeepsTheCountsShown) {
    std::wstring folder = CaseFolder("long");
    // 96 MB of words: read in 96 pieces, long enough under emulation for Esc to come between them.
    std::string line(1024 * 1024, 'x');
    for (size_t i = 0; i < line.size(); i += 8) line.replace(i, 8, "word to ");
    std::string text;
    text.reserve(96 * line.size());
    for (int i = 0; i < 96; ++i) text += line;
    ASSERT_TRUE(Written(folder + L"long.txt", text));
    text.clear();
    ProgramUnderTest program;
    ASSERT_NO_FATAL_FAILURE(StartOnClipboard(program));
    ASSERT_TRUE(Dropped(program.hwnd, {folder + L"long.txt"}));
    std::string reading;
    ASSERT_TRUE(WaitFor(
        "the status line to name the file being read",
        [&] { return (reading = program.Text(IDC_STATUS_LINE)).find("Reading 1 of 1: long.txt") == 0; },
        [&] { return reading; }));
    PostMessageA(program.hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ("Reading stopped: the counts are unchanged.",
              program.TextOnceItIs(IDC_STATUS_LINE, "Reading stopped: the counts are unchanged."));
    EXPECT_TRUE(ShowsCounts(program, "10", "2", "1"));
    EXPECT_EQ("alpha beta", Narrow(program.UnicodeText(IDC_SUMMARY)));
    DeleteFileW((folder + L"long.txt").c_str());
}

// The most memory the program's process has held so far, in MB: its peak commit and working set.
std::string MemoryPeak(HANDLE hProcess) {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    if (!GetProcessMemoryInfo(hProcess, &counters, sizeof(counters)))
        return "unknown (error " + std::to_string(GetLastError()) + ")";
    return std::to_string(counters.PeakPagefileUsage >> 20) + " MB committed, " +
           std::to_string(counters.PeakWorkingSetSize >> 20) + " MB working set";
}

// A path the host gave, in the form Windows writes it.
std::wstring WindowsPath(const char* szPath) {
    std::wstring path = Wide(szPath);
    for (wchar_t& c : path) c = c == L'/' ? L'\\' : c;
    return path;
}

TEST_F(FilesTest, AWorkbookWhoseSharedStringsPassTheTextBoundIsRefusedAndTheProgramGoesOn) {
    std::wstring workbook = WindowsPath(kCraftedWorkbook);
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(workbook.c_str())) << "the crafted workbook " << kCraftedWorkbook;
    ProgramUnderTest program;
    ASSERT_NO_FATAL_FAILURE(StartOnClipboard(program));
    // First the largest document of the fixtures, whose counts are then on show.
    ASSERT_TRUE(Dropped(program.hwnd, {WindowsPath(TQ_DOCUMENT_FIXTURES "word-python-docx.docx")}));
    std::string summary;
    ASSERT_TRUE(WaitFor(
        "the summary to name the document",
        [&] { return (summary = Narrow(program.UnicodeText(IDC_SUMMARY))).find("word-python-docx.docx") != std::string::npos; },
        [&] { return summary; }));
    std::string chars = program.Text(IDC_CHAR_COUNT), words = program.Text(IDC_WORD_COUNT),
                lines = program.Text(IDC_LINE_COUNT);
    printf("memory peak of tallyq.exe after reading word-python-docx.docx: %s\n",
                MemoryPeak(program.process.hProcess).c_str());

    ASSERT_TRUE(Dropped(program.hwnd, {workbook}));
    const std::string expected =
        "Left out shared_strings.xlsx: the file makes more than 256 MiB of text, which is not counted in part";
    EXPECT_EQ(expected, program.TextOnceItIs(IDC_STATUS_LINE, expected)) << "the program " << program.ProcessState();
    ASSERT_TRUE(program.Running()) << program.ProcessState();
    // The window answers, and the counts it showed stay.
    DWORD_PTR nAnswer = 0;
    EXPECT_NE(0, SendMessageTimeoutW(program.hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &nAnswer))
        << "the window did not answer within 1 s";
    EXPECT_TRUE(ShowsCounts(program, chars, words, lines));
    EXPECT_EQ(summary, Narrow(program.UnicodeText(IDC_SUMMARY)));
    printf("memory peak of tallyq.exe after reading shared_strings.xlsx: %s\n",
                MemoryPeak(program.process.hProcess).c_str());
}

TEST_F(FilesTest, TheWindowAnswersThroughoutTheReadingOfALargePart) {
    // A .docx of a few MB whose document part inflates to 400 MB of paragraphs of 30 words (and
    // under the bound of the text made); a stored entry of bytes that do not deflate keeps it within
    // the inflate budget.
    const uint32_t kMegabytes = 400, kWordsInParagraph = 30;
    std::string paragraph = "<w:p w:rsidR=\"00A1B2C3\"><w:r><w:t xml:space=\"preserve\">";
    for (uint32_t i = 0; i < kWordsInParagraph; ++i) paragraph += "word ";
    paragraph += "</w:t></w:r></w:p>" + std::string(100, ' ');
    std::string megabyte;
    while (megabyte.size() + paragraph.size() <= (1u << 20)) megabyte += paragraph;
    const uint32_t nWords = kMegabytes * static_cast<uint32_t>(megabyte.size() / paragraph.size()) * kWordsInParagraph;
    std::string noise(3u << 20, '\0');
    uint32_t nSeed = 11;
    for (char& c : noise) c = static_cast<char>((nSeed = nSeed * 1103515245u + 12345u) >> 24);
    const char kType[] = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument";
    std::string docx = WriteZip(
        {{"[Content_Types].xml", "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                                 "<Override PartName=\"/word/document.xml\" ContentType=\"application/vnd."
                                 "openxmlformats-officedocument.wordprocessingml.document.main+xml\"/></Types>"},
         {"_rels/.rels", std::string("<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/"
                                     "relationships\"><Relationship Id=\"r\" Type=\"") +
                             kType + "\" Target=\"word/document.xml\"/></Relationships>"},
         zip_writer::DeflatedRepeat("word/document.xml",
                                    "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/"
                                    "2006/main\"><w:body>",
                                    megabyte, kMegabytes, "</w:body></w:document>"),
         {"word/media/noise.bin", noise, false}});
    std::wstring folder = CaseFolder("large");
    ASSERT_TRUE(Written(folder + L"large.docx", docx));
    docx.clear();
    ProgramUnderTest program;
    ASSERT_NO_FATAL_FAILURE(StartOnClipboard(program));
    ASSERT_TRUE(Dropped(program.hwnd, {folder + L"large.docx"}));
    // WM_NULL, each with a second to be answered, until the counts show; the longest wait is kept.
    DWORD dwLongestMs = 0, dwStart = GetTickCount();
    unsigned nUnanswered = 0, nAnsweredWhileReading = 0;
    std::string status, words;
    for (;;) {
        DWORD dwSent = GetTickCount();
        DWORD_PTR nResult = 0;
        bool bAnswered = SendMessageTimeoutW(program.hwnd, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &nResult) != 0;
        DWORD dwWaitMs = GetTickCount() - dwSent;
        if (dwWaitMs > dwLongestMs) dwLongestMs = dwWaitMs;
        if (!bAnswered) ++nUnanswered;
        status = program.Text(IDC_STATUS_LINE);
        words = program.Text(IDC_WORD_COUNT);
        if (status.find("Reading 1 of 1") == 0) {
            if (bAnswered) ++nAnsweredWhileReading;
        } else if (words != "2" || status.find("Left out") == 0) {
            break;  // read or refused
        }
        if (GetTickCount() - dwStart > kPatienceMs) break;
        Sleep(20);
    }
    printf("the window answered WM_NULL within %lu ms at the longest, %u times while it read\n", dwLongestMs,
           nAnsweredWhileReading);
    EXPECT_EQ(std::to_string(nWords), words) << "status line: " << status;
    EXPECT_EQ(0u, nUnanswered) << "WM_NULL went unanswered for a second " << nUnanswered
                               << " times; the longest wait was " << dwLongestMs << " ms";
    EXPECT_GE(nAnsweredWhileReading, 2u) << "the window answered " << nAnsweredWhileReading
                                         << " times while it read: the reading was too short to tell";
    DeleteFileW((folder + L"large.docx").c_str());
}

TEST_F(FilesTest, StartsWithFileNamesMakeOneSetInOneCopy) {
    std::wstring folder = CaseFolder("starts");
    // A name outside the ANSI code page (Windows-1252 here).
    std::wstring greek = folder + L"\u03b3\u03c1\u03ac\u03bc\u03bc\u03b1.txt";
    ASSERT_TRUE(Written(greek, "dear friend"));
    ASSERT_TRUE(Written(folder + L"notes.txt", kNotesText));
    // Two starts at once, as Explorer makes them for two files opened together: one becomes the
    // program, the other hands its name to it (waiting for its window if need be).
    ProgramUnderTest first, second;
    ASSERT_TRUE(StartedWith(first, L"\"" + greek + L"\""));
    ASSERT_TRUE(StartedWith(second, L"\"" + folder + L"notes.txt\""));
    HWND hwnd = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (hwnd = FindMainDialog()) != nullptr; }));
    ProgramUnderTest shown;
    shown.hwnd = hwnd;
    EXPECT_TRUE(ShowsCounts(shown, "30", "6", "3"));
    std::string summary = Narrow(shown.UnicodeText(IDC_SUMMARY));
    EXPECT_NE(std::string::npos, summary.find("\u03b3\u03c1\u03ac\u03bc\u03bc\u03b1.txt 2 words")) << summary;
    EXPECT_NE(std::string::npos, summary.find("notes.txt 4 words")) << summary;
    // One of the two ended once it handed over.
    EXPECT_TRUE(WaitFor([&] { return !first.Running() || !second.Running(); }))
        << first.ProcessState() << " / " << second.ProcessState();

    // Hand-overs that are not well-formed are refused, and change nothing shown: another kind of data,
    // a block too short for the start's time and its count of names left out, names in an odd
    // number of bytes.
    struct {
        ULONG_PTR dwData;
        std::string bytes;
    } malformed[] = {{0x12345678, std::string(8, '\0') + "a\0\0\0"},
                   {0x54514632, std::string(7, '\0')},
                   {0x54514632, std::string(8, '\0') + "a\0b"}};
    for (auto& data : malformed) {
        COPYDATASTRUCT copy = {data.dwData, static_cast<DWORD>(data.bytes.size()), &data.bytes[0]};
        DWORD_PTR nAnswer = 1;
        SendMessageTimeoutW(hwnd, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copy), SMTO_NORMAL, kPatienceMs, &nAnswer);
        EXPECT_EQ(0u, nAnswer) << "a hand-over of " << data.bytes.size() << " bytes was taken";
    }
    EXPECT_TRUE(ShowsCounts(shown, "30", "6", "3"));
}

TEST_F(FilesTest, ADropOfMoreThanAThousandFilesSaysHowManyAreLeftOut) {
    std::wstring folder = CaseFolder("many");
    std::vector<std::wstring> paths;
    for (int i = 0; i < 1001; ++i) {
        wchar_t szName[16];
        wsprintfW(szName, L"f%04d.txt", i);
        paths.push_back(folder + szName);
        ASSERT_TRUE(Written(paths.back(), "word"));
    }
    ProgramUnderTest program;
    ASSERT_NO_FATAL_FAILURE(StartOnClipboard(program));
    ASSERT_TRUE(Dropped(program.hwnd, paths));
    // A word of 4 characters on a line of its own in each of the first 1000.
    EXPECT_TRUE(ShowsCounts(program, "4000", "1000", "1000"));
    std::string status;
    WaitFor(
        "the status line to tell of the files left out",
        [&] { return (status = program.Text(IDC_STATUS_LINE)).find("Only the first 1000 files were read") == 0; },
        [&] { return status; }, 20000);
    EXPECT_EQ("Only the first 1000 files were read: 1 is left out.", status);
}

TEST_F(FilesTest, AFolderWalkPastTwentyThousandFilesStopsAndSaysMoreAreLeftOut) {
    // Made on the host: 20,500 files of one word, in two folders; the walk counts 20,000 in all,
    // then stops, as it does on a drop of a whole drive.
    std::wstring folder = Wide(ScratchFolder()) + L"crowd\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    ASSERT_EQ("", RunOnHost(folder, "rm -rf a b\nmkdir a b\ncd a\ni=0\n"
                                    "while [ $i -lt 10250 ]; do : > f$i.txt; i=$((i + 1)); done\ncp -r . ../b"));
    ProgramUnderTest program;
    ASSERT_NO_FATAL_FAILURE(StartOnClipboard(program));
    ASSERT_TRUE(Dropped(program.hwnd, {folder}));
    std::string status;
    WaitFor(
        "the status line to tell of the files left out",
        [&] { return (status = program.Text(IDC_STATUS_LINE)).find("Only the first 1000 files were read") == 0; },
        [&] { return status; }, 60000);
    EXPECT_EQ("Only the first 1000 files were read: more than 19000 are left out.", status);
    EXPECT_EQ("", RunOnHost(folder, "rm -rf a b"));
}

TEST_F(FilesTest, AFolderWalkReadsLongPathsAndNamesWhatItCouldNotOpen) {
    // Emptied by the host script: the system's own removal would follow the link below.
    std::wstring folder = Wide(ScratchFolder()) + L"walk\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    // Made on the host: a link back to the tree (Wine shows a Unix link as a reparse point, as
    // Windows shows a junction), a link to nothing, a file whose path passes 260 characters, and a
    // folder "Drafts..." whose path passes what the host's file system takes (4,096 bytes), so
    // that the system cannot list it. Besides the tree, a file whose path passes 1,100 characters
    // is dropped by itself.
    std::string level(200, 'l');
    std::string drafts = "Drafts" + std::string(200, 'd');
    std::string script = "top=$PWD\nrm -rf tree lone\nmkdir -p tree lone\n"
                         "printf 'one two' > tree/a.txt\n"
                         "ln -s \"$PWD/tree\" tree/loop\n"
                         "ln -s /nonexistent/nothing.txt tree/nothing.txt\n"
                         "mkdir -p tree/" + level + "/" + level + "\n"
                         "printf 'three four five' > tree/" + level + "/" + level + "/long.txt\n"
                         "cd lone\nfor i in 1 2 3 4 5 6; do mkdir " + level + "; cd " + level + "; done\n"
                         "printf 'six seven' > direct.txt\ncd \"$top/tree\"\n"
                         "mkdir deep\ncd deep\n"
                         "while [ $(pwd | wc -c) -lt 3700 ]; do mkdir " + level + "; cd " + level + "; done\n"
                         // The last folder that can be listed has a path of 3,950 bytes.
                         "name=$(head -c $((3950 - $(pwd | wc -c))) /dev/zero | tr '\\0' m)\n"
                         "mkdir $name\ncd $name\n"
                         "mkdir " + drafts + "\nprintf 'lost' > " + drafts + "/lost.txt\n";
    ASSERT_EQ("", RunOnHost(folder, script));
    std::wstring lone = folder + L"lone\\";
    for (int i = 0; i < 6; ++i) lone += Wide(level) + L"\\";
    lone += L"direct.txt";
    ASSERT_GT(lone.size(), 1100u);
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((L"\\\\?\\" + lone).c_str())) << "the long file was not made";

    ProgramUnderTest program;
    ASSERT_NO_FATAL_FAILURE(StartOnClipboard(program));
    ASSERT_TRUE(Dropped(program.hwnd, {folder + L"tree", lone}));
    // a.txt, long.txt and direct.txt: 7 + 15 + 9 characters, 2 + 3 + 2 words, a line each; the
    // link back to the tree is not followed.
    EXPECT_TRUE(ShowsCounts(program, "31", "7", "3"));
    const std::string kSaid = "Left out " + drafts + ": ";
    std::string status;
    EXPECT_TRUE(WaitFor(
        "the status line to name the folder left out",
        [&] { return (status = program.Text(IDC_STATUS_LINE)).find(kSaid) == 0 && status.size() > kSaid.size(); },
        [&] { return status; }, 20000));
    EXPECT_EQ("", RunOnHost(folder, "rm -rf tree lone"));
}

TEST_F(FilesTest, AStartWhoseNamesTheRunningCopyDoesNotTakeSaysSoAndPricesNothing) {
    std::wstring folder = CaseFolder("handover");
    ASSERT_TRUE(Written(folder + L"notes.txt", kNotesText));
    HungCopy copy;
    ASSERT_NE(nullptr, copy.hwnd);
    // Wine, as Windows, calls a window hung that took no messages for 5 s: the hand-over is
    // then given up at once rather than after its time-out.
    ASSERT_TRUE(WaitFor("the stand-in copy to count as hung", [&] { return IsHungAppWindow(copy.hwnd) != FALSE; },
                        [] { return std::string("it does not"); }, 20000));
    ProgramUnderTest start;
    ASSERT_TRUE(StartedWith(start, L"\"" + folder + L"notes.txt\""));
    HWND hwndBox = nullptr;
    DWORD dwStart = start.process.dwProcessId;
    ASSERT_TRUE(WaitFor(
        "a message box from the start, or its end",
        [&] { return (hwndBox = MessageBoxOf(dwStart)) != nullptr || !start.Running(); },
        [&] { return start.ProcessState(); }));
    ASSERT_NE(nullptr, hwndBox) << "the start ended without a word: " << start.ProcessState();
    std::string text = MessageBoxText(hwndBox);
    const std::string kSaid = "TallyQuill is running but did not take the files: ";
    EXPECT_EQ(0u, text.find(kSaid)) << text;
    EXPECT_GT(text.size(), kSaid.size()) << "no reason given: " << text;
    PostMessageA(hwndBox, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(0, start.WaitForExit());
    // The copy was not asked to price the clipboard instead.
    copy.LetGo();
    for (const MSG& msg : copy.posted) {
        EXPECT_FALSE(msg.message == WM_COMMAND && LOWORD(msg.wParam) == IDC_UPDATE_TEXT)
            << "the start posted Update Text to the copy";
    }
}

}  // namespace
