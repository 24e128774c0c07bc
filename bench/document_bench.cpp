// document_bench: how fast documents are read, on generated Word, OpenDocument, Excel and
// translation files.
//   document_bench TALLYQ_COUNT      the tables and their goals
//   document_bench --write NAME PATH writes one of the files below
//   document_bench --read PATH       reads a file once in-process, for a profiler
//   document_bench --inflate PATH    inflates its entries once with zlib alone (an XML file: the
//                                    memchr pass), the reference, for a profiler
// Writes a 300-page .docx (about 120,000 words), larger .docx, .odt and .xlsx files, and XLIFF 1.2
// and TMX files, with the markup density their programs write. For each: the text read in-process
// (zip, XML and the format's rules) against zlib's own inflate of the same entries (for the XML
// files, a memchr pass over their bytes), the Windows programs' small inflater on the same entries,
// tallyq-count end to end, and the peers docx2txt | wc -w and odt2txt | wc -w where installed
// (with the share of odt2txt's time that inflating content.xml takes). Then presentations of 2,000
// and 32,000 one-word slides and one of 65,535 entries, the most a zip without ZIP64 holds: their
// times should grow as their parts do.
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "bench/bench_documents.h"
#include "bench/bench_timing.h"
#include "bench/inflate_reference.h"
#include "documents/counting_sink.h"
#include "documents/document_reader.h"
#include "documents/zip_archive.h"

namespace {

const int kRuns = 5;
const double kThreeHundredPagesGoalMs = 100;
const double kOverInflateGoal = 1.5;  // reading a package at most this many times zlib's inflate of it
const double kDocx2txtGoal = 20, kOdt2txtGoal = 2;
const double kManySlidesGoal = 32;        // at most twice the cost per slide of a smaller presentation
const double kFullPackageGoalMs = 1000;

struct Case {
    const char* szName;
    std::string (*Make)(int);
    int nSize;
};
const Case kCases[] = {{"docx-300-pages.docx", Docx, 300},    {"docx-3000-pages.docx", Docx, 3000},
                       {"odt-3000-pages.odt", Odt, 3000},      {"xlsx-200000-rows.xlsx", Xlsx, 200000},
                       {"xliff-100000-units.xlf", Xliff, 100000}, {"tmx-100000-units.tmx", Tmx, 100000}};

bool IsZip(const std::string& file) { return file.size() >= 2 && file[0] == 'P' && file[1] == 'K'; }

TextCounts ReadText(const std::string& file) {
    CountingSink counter(80);
    DocumentText text(&counter);
    DocumentKind kind = IsZip(file) ? DocumentKind::kZip : DocumentKind::kTranslationXml;
    ReadDocument(kind, reinterpret_cast<const unsigned char*>(file.data()), file.size(), 0, &text);
    if (text.Refusal() != nullptr) fprintf(stderr, "refused: %s\n", text.Refusal());
    return counter.Counts();
}

// A file written into the folder; false when it cannot be.
bool WriteInto(const std::string& path, const std::string& file) {
    return WriteFile(path.c_str(), file.data(), file.size());
}

// The documents' table: each file read in-process beside zlib's inflate of its entries (or a
// memchr pass over an XML file) and the small inflater's, and counted by tallyq-count and by its
// peer where installed. False when a file cannot be written.
struct DocumentFigures {
    double dThreeHundredMs, dWorstOverInflate, dDocxRatio, dOdtRatio;
};

// The peer's column for the file, and its ratio to tallyq-count's time in the figures.
std::string TimePeer(const char* szName, const std::string& path, double dInflate, double dCount,
                     DocumentFigures* pFigures) {
    bool bDocx = strstr(szName, ".docx") != nullptr, bOdt = strstr(szName, ".odt") != nullptr;
    std::string output;
    double dPeer = -1;
    if (bDocx && Installed("docx2txt")) dPeer = TimeShell("docx2txt " + path + " - | wc -w", kRuns, &output);
    if (bOdt && Installed("odt2txt")) dPeer = TimeShell("odt2txt " + path + " | wc -w", kRuns, &output);
    if (dPeer <= 0) return bDocx ? "docx2txt not installed" : bOdt ? "odt2txt not installed" : "-";
    char szPeer[96];
    snprintf(szPeer, sizeof(szPeer), "%.0f ms (%s words)", dPeer * 1e3, output.c_str());
    std::string peer = szPeer;
    if (bDocx) pFigures->dDocxRatio = dPeer / dCount;  // the last, largest .docx
    if (bOdt) {
        pFigures->dOdtRatio = dPeer / dCount;
        snprintf(szPeer, sizeof(szPeer), "; inflate %.1f%% of it", 100 * dInflate / dPeer);
        peer += szPeer;
    }
    return peer;
}

bool TimeDocuments(const std::string& countProgram, const std::string& folder, DocumentFigures* pFigures) {
    printf("%-24s %6s %6s %8s %10s %10s %10s %6s %8s  %s\n", "file", "MB", "XML MB", "words", "zlib/memchr",
           "small inf.", "read text", "ratio", "count", "peer");
    *pFigures = {0, 0, 0, 0};
    std::vector<unsigned char> out;
    for (const Case& c : kCases) {
        std::string file = c.Make(c.nSize);
        std::string path = folder + "/" + c.szName;
        if (!WriteInto(path, file)) return false;
        TextCounts counts = ReadText(file);
        bool bZip = IsZip(file);
        std::vector<DeflatedEntry> entries = bZip ? DeflatedEntries(file) : std::vector<DeflatedEntry>();
        size_t cbXml = bZip ? 0 : file.size();
        for (const DeflatedEntry& entry : entries) cbXml += entry.cbOut;
        double dReference = bZip ? MedianSeconds(kRuns, [&] { InflateWithZlib(entries, &out); })
                                 : MedianSeconds(kRuns, [&] { CountMarkupWithMemchr(file); });
        double dSmall = bZip ? MedianSeconds(kRuns, [&] { InflateWithSmallInflater(entries, &out); }) : 0;
        double dRead = MedianSeconds(kRuns, [&] { ReadText(file); });
        std::string output;
        double dCount = TimeShell(countProgram + " " + path, kRuns, &output);
        if (bZip) pFigures->dWorstOverInflate = std::max(pFigures->dWorstOverInflate, dRead / dReference);
        if (strcmp(c.szName, "docx-300-pages.docx") == 0) pFigures->dThreeHundredMs = dCount * 1e3;
        std::string peer = TimePeer(c.szName, path, dReference, dCount, pFigures);
        char szSmall[32] = "-";
        if (bZip) snprintf(szSmall, sizeof(szSmall), "%.1f ms", dSmall * 1e3);
        printf("%-24s %6.1f %6.1f %8lld %6.1f ms %10s %7.1f ms %5.2fx %5.1f ms  %s\n", c.szName, file.size() / 1e6,
               cbXml / 1e6, static_cast<long long>(counts.nWords), dReference * 1e3, szSmall, dRead * 1e3,
               dRead / dReference, dCount * 1e3, peer.c_str());
        unlink(path.c_str());
    }
    printf("(ratio: the reading time over zlib's inflate of the package's entries, or over a memchr pass for\n"
           " an XML file; small inf.: the Windows programs' inflater on the same entries)\n");
    return true;
}

// Presentations of many parts: the time should grow as the parts do, not as their square.
struct Presentation {
    const char* szName;
    int nSlides;
    double dRead, dCount;
};
const int kPresentations = 3;

bool TimePresentations(const std::string& countProgram, const std::string& folder, Presentation* pPresentations) {
    printf("\n%-34s %8s %8s %10s %10s\n", "presentation", "MB", "entries", "read text", "count");
    for (int i = 0; i < kPresentations; ++i) {
        Presentation& p = pPresentations[i];
        std::string file = Pptx(p.nSlides);
        std::string path = folder + "/" + p.szName;
        if (!WriteInto(path, file)) return false;
        p.dRead = MedianSeconds(kRuns, [&] { ReadText(file); });
        std::string output;
        p.dCount = TimeShell(countProgram + " " + path, kRuns, &output);
        printf("%-34s %8.1f %8d %7.1f ms %7.1f ms  (%s)\n", p.szName, file.size() / 1e6, p.nSlides + 4, p.dRead * 1e3,
               p.dCount * 1e3, output.c_str());
        unlink(path.c_str());
    }
    return true;
}

void PrintGoals(const DocumentFigures& figures, const Presentation* pPresentations) {
    const GoalLine kLine = GoalLine::kMetOrNot;
    printf("\ngoals:\n");
    PrintGoal("tallyq-count on a 300-page .docx", figures.dThreeHundredMs, kThreeHundredPagesGoalMs, true, "ms", kLine);
    PrintGoal("reading over zlib's inflate, worst package", figures.dWorstOverInflate, kOverInflateGoal, true, "x",
              kLine);
    if (figures.dDocxRatio > 0) {
        PrintGoal("tallyq-count vs docx2txt | wc -w, largest", figures.dDocxRatio, kDocx2txtGoal, false, "x", kLine);
    }
    if (figures.dOdtRatio > 0) PrintGoal("tallyq-count vs odt2txt | wc -w", figures.dOdtRatio, kOdt2txtGoal, false, "x", kLine);
    // 16 times the slides: in proportion, 16 times the time; the square would be 256.
    PrintGoal("32,000 slides against 2,000, reading time", pPresentations[1].dRead / pPresentations[0].dRead,
              kManySlidesGoal, true, "x", kLine);
    PrintGoal("a package of 65,535 entries, tallyq-count", pPresentations[2].dCount * 1e3, kFullPackageGoalMs, true,
              "ms", kLine);
}

}  // namespace

// Writes the named file of the tables to a path, for a profiler to read it with --read.
int WriteNamed(const char* szName, const char* szPath) {
    for (const Case& c : kCases) {
        if (strcmp(c.szName, szName) == 0) return WriteInto(szPath, c.Make(c.nSize)) ? 0 : 1;
    }
    fprintf(stderr, "document_bench: no file named %s\n", szName);
    return 2;
}

// The whole file, or false when it cannot be read.
bool ReadWhole(const char* szPath, std::string* pFile) {
    FILE* pStream = fopen(szPath, "rb");
    if (pStream == nullptr) return false;
    char buffer[1 << 16];
    for (size_t n; (n = fread(buffer, 1, sizeof(buffer), pStream)) > 0;) pFile->append(buffer, n);
    fclose(pStream);
    return true;
}

// Reads a file once in-process: the reading alone, for a profiler.
int ReadOnce(const char* szPath) {
    std::string file;
    if (!ReadWhole(szPath, &file)) return 1;
    TextCounts counts = ReadText(file);
    printf("%s: %lld words, %lld characters\n", szPath, static_cast<long long>(counts.nWords),
           static_cast<long long>(counts.nChars));
    return 0;
}

// Inflates a zip's entries once with zlib alone (or makes the memchr pass over an XML file): the
// reference, for a profiler.
int InflateOnce(const char* szPath) {
    std::string file;
    if (!ReadWhole(szPath, &file)) return 1;
    std::vector<unsigned char> out;
    if (!IsZip(file)) return printf("%s: %zu '<'\n", szPath, CountMarkupWithMemchr(file)) < 0;
    return InflateWithZlib(DeflatedEntries(file), &out) ? 0 : 1;
}

int main(int argc, char** argv) {
    if (argc == 4 && strcmp(argv[1], "--write") == 0) return WriteNamed(argv[2], argv[3]);
    if (argc == 3 && strcmp(argv[1], "--read") == 0) return ReadOnce(argv[2]);
    if (argc == 3 && strcmp(argv[1], "--inflate") == 0) return InflateOnce(argv[2]);
    if (argc < 2) {
        fprintf(stderr, "usage: document_bench TALLYQ_COUNT | --write NAME PATH | --read PATH | --inflate PATH\n");
        return 2;
    }
    std::string countProgram = argv[1];
    char szFolder[] = "/tmp/document_bench.XXXXXX";
    if (mkdtemp(szFolder) == nullptr) return 1;
    DocumentFigures figures;
    Presentation presentations[kPresentations] = {{"pptx-2000-slides.pptx", 2000, 0, 0},
                                                  {"pptx-32000-slides.pptx", 32000, 0, 0},
                                                  {"pptx-65535-entries.pptx", static_cast<int>(kZipMaxEntries) - 4, 0, 0}};
    if (!TimeDocuments(countProgram, szFolder, &figures) || !TimePresentations(countProgram, szFolder, presentations))
        return 1;
    rmdir(szFolder);
    PrintGoals(figures, presentations);
    return 0;
}
