// measure_bench: how fast the measures run, in one run, on generated texts of several languages.
//   measure_bench [--mb N] [TALLYQ_COUNT]
// Makes N MB (default 64) of UTF-8 text in English (ASCII), French, Russian, Chinese and a mix of
// them with Hindi, Arabic and emoji, each also as UTF-16. For each: a memory-read bound on the same
// bytes (a vectorised sum), and the whole measure at 80 characters per line from UTF-16 (the
// dialog's path) and from UTF-8 (the command line's), with the share of that bound; the byte
// kernels on the English text; the dialog's line recount of a 10 MB text; and tallyq-count (beside
// this program unless given) against GNU wc on the page-cached English and mixed files, and on
// Windows-1252 files: English with an accented word in every dozen, and French.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "bench/bench_text.h"
#include "bench/bench_timing.h"
#include "bench/read_bound.h"
#include "bench/versus_wc.h"
#include "measure/measure_kernels.h"
#include "measure/text_measure.h"

namespace {

const uint64_t kSeed = 0x7A11C0DE;
const double kGB = 1e9;
const int32_t kCharsPerLine = 80;
// The dialog's recount runs when the characters-per-line field changes: another limit than the one kept.
const int32_t kRecountCharsPerLine = 64;
const size_t kDialogBytes = 10 * 1000 * 1000;  // of UTF-16, as the dialog holds the clipboard's text

// The goals the figures are read against.
const double kAsciiUtf16ShareGoal = 0.60;
const double kAsciiUtf8ShareGoal = 0.50;
const double kOtherUtf16Goal = 4e9;  // bytes of input a second
const double kOtherUtf8Goal = 2e9;
const double kRecountGoalMs = 1;
const double kMixedCountVsWcGoal = 20;
const double kWindows1252EnglishVsWcGoal = 30;
const double kWindows1252FrenchGoal = 2e9;  // bytes of input a second, end to end

bool SameCounts(const TextCounts& a, const TextCounts& b) {
    return a.nChars == b.nChars && a.nWords == b.nWords && a.nLines == b.nLines;
}

struct LanguageResult {
    BenchLanguage language;
    size_t nUtf16Units;
    Rates utf16, utf8;  // the whole measure from each
    TextCounts counts;
    bool bCountsAgree;  // from UTF-8 and from UTF-16
    // The dialog's recount.
    size_t nDialogUnits, nKeptBytes;
    double dKeepMs, dRecountMs;
    int nRecountLines;
    bool bKeptAgrees;  // the counts are the measure's, and so are the kept bytes' lines at the kept limit
};

struct KernelResult {
    const char* szName;
    bool bRuns;
    Rates words, lines, wordsAndLines, measure8, measure16;
    bool bSame;
};

// The byte kernels on ASCII text, which is its own class bytes: each entry alone, and the whole
// measure through each from UTF-8 and from UTF-16.
std::vector<KernelResult> TimeKernels(const char* pText, size_t nBytes, const char16_t* pUnits, size_t nUnits,
                                      const TextCounts& expected) {
    const unsigned char* pBytes = reinterpret_cast<const unsigned char*>(pText);
    std::vector<KernelResult> results;
    for (size_t k = 0; k < MeasureKernelCount(); ++k) {
        const MeasureKernel& kernel = MeasureKernelAt(k);
        KernelResult result = {kernel.szName, MeasureKernelRuns(kernel), {}, {}, {}, {}, {}, true};
        if (!result.bRuns) {
            results.push_back(result);
            continue;
        }
        MeasureState words = {}, lines = {}, both = {};
        TextCounts counts8 = {}, counts16 = {};
        result.words = MedianRates(pText, nBytes, [&] {
            words = MeasureState();
            kernel.pfnWords(pBytes, nBytes, &words);
        });
        result.lines = MedianRates(pText, nBytes, [&] {
            lines = MeasureState();
            kernel.pfnLines(pBytes, nBytes, kCharsPerLine, &lines);
        });
        result.wordsAndLines = MedianRates(pText, nBytes, [&] {
            both = MeasureState();
            kernel.pfnWordsAndLines(pBytes, nBytes, kCharsPerLine, &both);
        });
        result.measure8 = MedianRates(pText, nBytes, [&] {
            TextMeasurer measurer(kCharsPerLine, kEncodingUtf8, kernel);
            measurer.Feed(pText, nBytes);
            counts8 = measurer.Counts();
        });
        result.measure16 = MedianRates(pUnits, nUnits * sizeof(char16_t), [&] {
            TextMeasurer measurer(kCharsPerLine, kEncodingUtf16LE, kernel);
            measurer.FeedUtf16(pUnits, nUnits);
            counts16 = measurer.Counts();
        });
        result.bSame = words.nWords == expected.nWords && lines.nLines == expected.nLines &&
                       both.nWords == expected.nWords && both.nLines == expected.nLines &&
                       SameCounts(counts8, expected) && SameCounts(counts16, expected);
        results.push_back(result);
    }
    return results;
}

// The dialog's recount: the first 10 MB of UTF-16, cut after a line break, measured once keeping
// its class bytes; then its lines counted again at another limit, as on every keystroke there.
void TimeRecount(const char16_t* pUnits, size_t nUnits, LanguageResult* pResult) {
    size_t nDialog = std::min(nUnits, kDialogBytes / sizeof(char16_t));
    while (nDialog > 0 && nDialog < nUnits && pUnits[nDialog - 1] != u'\n') --nDialog;
    if (nDialog == 0) nDialog = std::min(nUnits, kDialogBytes / sizeof(char16_t));
    std::vector<unsigned char> kept(nDialog + 2, 1);  // touched before the clock starts
    size_t nKept = 0;
    double dStart = Seconds();
    TextCounts counts = MeasureUtf16Keeping(pUnits, nDialog, kCharsPerLine, kept.data(), &nKept);
    pResult->dKeepMs = (Seconds() - dStart) * 1e3;
    pResult->nDialogUnits = nDialog;
    pResult->nKeptBytes = nKept;
    pResult->bKeptAgrees = CountClassByteLines(kept.data(), nKept, kCharsPerLine) == counts.nLines &&
                           SameCounts(counts, MeasureUtf16(pUnits, nDialog, kCharsPerLine));
    std::vector<double> times;
    int nLines = 0;
    for (int i = 0; i < 21; ++i) {
        double dRun = Seconds();
        nLines = CountClassByteLines(kept.data(), nKept, kRecountCharsPerLine);
        times.push_back(Seconds() - dRun);
    }
    pResult->dRecountMs = Median(times) * 1e3;
    pResult->nRecountLines = nLines;
}

// The first lines: the machine, the kernel, the bound, and the head of the table of texts.
void PrintHeading(size_t nMegabytes) {
    bool bReadWithAvx2 = ChooseReadBound();
    printf("processor: %s; the measures use the %s kernel; the read bound is the %s sum of the same bytes\n",
           ProcessorName().c_str(), ActiveMeasureKernel().szName, bReadWithAvx2 ? "AVX2" : "SSE2");
    printf("%zu MB of UTF-8 a language (seed %#llx), and the same text as UTF-16; %d characters per line; GB/s of "
           "input, median of up to 7 runs\n\n",
           nMegabytes, static_cast<unsigned long long>(kSeed), kCharsPerLine);
    printf("%-8s %9s %9s %12s %11s %11s %8s  %s\n", "text", "UTF-8 MB", "UTF-16 MB", "characters", "words",
           "lines", "made in", "UTF-8 and UTF-16 counts");
}

// Each language's text made and measured, a line of the table each; the kernels timed on the
// English text and the dialog's recount on each; the end-to-end runs' files written. False when
// counts differ or a file could not be written.
bool MeasureLanguages(char* pText, char16_t* pUnits, size_t nBytes, std::vector<LanguageResult>* pResults,
                      std::vector<KernelResult>* pKernels, EndToEndTexts* pTexts) {
    bool bAllRight = !pTexts->englishPath.empty() && !pTexts->mixedPath.empty();
    for (int nLanguage = 0; nLanguage < kBenchLanguageCount && bAllRight; ++nLanguage) {
        LanguageResult result = {};
        result.language = static_cast<BenchLanguage>(nLanguage);
        double dMake = Seconds();
        MakeBenchText(result.language, kSeed + nLanguage, pText, nBytes);
        const size_t nUnits = Utf8ToUtf16(pText, nBytes, pUnits);
        const size_t nUtf16Bytes = nUnits * sizeof(char16_t);
        dMake = Seconds() - dMake;
        result.nUtf16Units = nUnits;

        TextCounts counts8 = {}, counts16 = {};
        Rates utf8 = MedianRates(pText, nBytes, [&] { counts8 = MeasureUtf8(pText, nBytes, kCharsPerLine); });
        Rates utf16 =
            MedianRates(pUnits, nUtf16Bytes, [&] { counts16 = MeasureUtf16(pUnits, nUnits, kCharsPerLine); });
        result.utf8 = utf8;
        result.utf16 = utf16;
        result.counts = counts16;
        result.bCountsAgree = SameCounts(counts8, counts16);
        bAllRight = bAllRight && result.bCountsAgree;
        printf("%-8s %9.1f %9.1f %12lld %11lld %11lld %6.1f s  %s\n", BenchLanguageName(result.language), nBytes / 1e6,
               nUtf16Bytes / 1e6, static_cast<long long>(counts16.nChars), static_cast<long long>(counts16.nWords),
               static_cast<long long>(counts16.nLines), dMake,
               result.bCountsAgree ? "agree" : "DIFFER");
        if (!result.bCountsAgree) {
            printf("%-8s UTF-8 gives %lld characters, %lld words, %lld lines\n", "",
                   static_cast<long long>(counts8.nChars), static_cast<long long>(counts8.nWords),
                   static_cast<long long>(counts8.nLines));
        }
        fflush(stdout);

        if (result.language == kBenchEnglish) {
            *pKernels = TimeKernels(pText, nBytes, pUnits, nUnits, counts8);
            pTexts->englishCounts = counts8;
            bAllRight = bAllRight && WriteFile(pTexts->englishPath.c_str(), pText, nBytes);
            pTexts->english1252 = ToWindows1252(pText, nBytes, 12);
        } else if (result.language == kBenchFrench) {
            pTexts->french1252 = ToWindows1252(pText, nBytes, 0);
        } else if (result.language == kBenchMixed) {
            pTexts->mixedCounts = counts8;
            bAllRight = bAllRight && WriteFile(pTexts->mixedPath.c_str(), pText, nBytes);
        }
        TimeRecount(pUnits, nUnits, &result);
        bAllRight = bAllRight && result.bKeptAgrees;
        pResults->push_back(result);
    }
    return bAllRight;
}

void PrintWholeMeasures(const std::vector<LanguageResult>& results) {
    printf("\nwhole measure at %d characters per line: GB/s of input and share of the read bound\n", kCharsPerLine);
    printf("%-8s %11s %16s %11s %16s\n", "text", "read UTF-16", "MeasureUtf16", "read UTF-8", "MeasureUtf8");
    for (const LanguageResult& r : results) {
        printf("%-8s %11.2f %16s %11.2f %16s\n", BenchLanguageName(r.language), r.utf16.dBound / kGB,
               RateText(r.utf16).c_str(), r.utf8.dBound / kGB, RateText(r.utf8).c_str());
    }
}

// False when a kernel's counts differ from the measure's.
bool PrintKernels(const std::vector<KernelResult>& kernels) {
    if (kernels.empty()) return true;
    printf("\nbyte kernels on the English text (ASCII: its own class bytes), GB/s and share of the read "
           "bound of the same bytes\n");
    printf("%-12s %11s %11s %11s %14s %14s\n", "kernel", "words", "lines@80", "both@80", "measure UTF-8",
           "measure UTF-16");
    bool bAllSame = true;
    for (const KernelResult& k : kernels) {
        if (!k.bRuns) {
            printf("%-12s (this processor cannot run it)\n", k.szName);
            continue;
        }
        printf("%-12s %11s %11s %11s %14s %14s%s\n", k.szName, RateText(k.words).c_str(),
               RateText(k.lines).c_str(), RateText(k.wordsAndLines).c_str(), RateText(k.measure8).c_str(),
               RateText(k.measure16).c_str(), k.bSame ? "" : "  COUNTS DIFFER FROM THE MEASURE'S");
        bAllSame = bAllSame && k.bSame;
    }
    return bAllSame;
}

void PrintRecounts(const std::vector<LanguageResult>& results) {
    printf("\ndialog recount: the first 10 MB of UTF-16 kept once at %d, its lines counted again at %d (median of "
           "21)\n",
           kCharsPerLine, kRecountCharsPerLine);
    char szRecountLines[16];
    snprintf(szRecountLines, sizeof(szRecountLines), "lines@%d", kRecountCharsPerLine);
    printf("%-8s %12s %10s %10s %10s %10s\n", "text", "UTF-16 units", "kept MB", "keep ms", "recount ms",
           szRecountLines);
    for (const LanguageResult& r : results) {
        printf("%-8s %12zu %10.2f %10.2f %10.2f %10d%s\n", BenchLanguageName(r.language), r.nDialogUnits,
               r.nKeptBytes / 1e6, r.dKeepMs, r.dRecountMs, r.nRecountLines,
               r.bKeptAgrees ? "" : "  KEPT COUNTS ARE NOT THE MEASURE'S");
    }
}

void PrintGoals(const std::vector<LanguageResult>& results, const EndToEndFigures& figures) {
    const GoalLine kLine = GoalLine::kWithShortfall;
    printf("\ngoals:\n");
    for (const LanguageResult& r : results) {
        char szWhat[64];
        if (r.language == kBenchEnglish) {
            PrintGoal("English (ASCII) as UTF-16, share of read bound", 100 * r.utf16.dRate / r.utf16.dBound,
                      100 * kAsciiUtf16ShareGoal, false, "%", kLine);
            PrintGoal("English (ASCII) as UTF-8, share of read bound", 100 * r.utf8.dRate / r.utf8.dBound,
                      100 * kAsciiUtf8ShareGoal, false, "%", kLine);
        } else {
            snprintf(szWhat, sizeof(szWhat), "%s as UTF-16", BenchLanguageName(r.language));
            PrintGoal(szWhat, r.utf16.dRate / kGB, kOtherUtf16Goal / kGB, false, "GB/s", kLine);
            snprintf(szWhat, sizeof(szWhat), "%s as UTF-8", BenchLanguageName(r.language));
            PrintGoal(szWhat, r.utf8.dRate / kGB, kOtherUtf8Goal / kGB, false, "GB/s", kLine);
        }
    }
    for (const LanguageResult& r : results) {
        char szWhat[64];
        snprintf(szWhat, sizeof(szWhat), "recount of 10 MB, %s", BenchLanguageName(r.language));
        PrintGoal(szWhat, r.dRecountMs, kRecountGoalMs, true, "ms", kLine);
    }
    if (figures.bMixedRan) {
        PrintGoal("tallyq-count vs wc -m -w on mixed UTF-8", figures.dMixedRatio, kMixedCountVsWcGoal, false, "x",
                  kLine);
    }
    if (figures.b1252Ran) {
        PrintGoal("tallyq-count vs wc on Windows-1252 English", figures.d1252EnglishRatio, kWindows1252EnglishVsWcGoal,
                  false, "x", kLine);
        PrintGoal("tallyq-count on Windows-1252 French", figures.d1252FrenchRate / kGB, kWindows1252FrenchGoal / kGB,
                  false, "GB/s", kLine);
        printf("  (tallyq-count vs wc on Windows-1252 French: %.1fx)\n", figures.d1252FrenchRatio);
    }
}

}  // namespace

int main(int argc, char** argv) {
    size_t nMegabytes = 64;
    std::string countProgram;
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--mb") == 0 && i + 1 < argc) {
            nMegabytes = strtoul(argv[++i], nullptr, 10);
        } else if (argv[i][0] == '-') {
            fprintf(stderr, "usage: measure_bench [--mb N] [TALLYQ_COUNT]\n");
            return 2;
        } else {
            countProgram = argv[i];
        }
    }
    if (countProgram.empty()) countProgram = ProgramBesideThis("tallyq-count");
    if (nMegabytes < 10) nMegabytes = 10;
    const size_t nBytes = nMegabytes * 1000000;
    const double dRunStart = Seconds();

    PrintHeading(nMegabytes);
    char* pText = static_cast<char*>(aligned_alloc(64, nBytes));
    char16_t* pUnits = static_cast<char16_t*>(aligned_alloc(64, nBytes * sizeof(char16_t)));
    if (pText == nullptr || pUnits == nullptr) {
        fprintf(stderr, "measure_bench: no memory for %zu MB\n", nMegabytes);
        return 1;
    }
    std::vector<LanguageResult> results;
    std::vector<KernelResult> kernels;
    EndToEndTexts texts = {TemporaryFile("measure_bench", "english"), TemporaryFile("measure_bench", "mixed"), nBytes,
                           {}, {}, "", ""};
    bool bAllRight = MeasureLanguages(pText, pUnits, nBytes, &results, &kernels, &texts);
    free(pUnits);
    free(pText);

    PrintWholeMeasures(results);
    bAllRight = PrintKernels(kernels) && bAllRight;
    PrintRecounts(results);
    EndToEndFigures figures = {};
    if (bAllRight) bAllRight = TimeEndToEnd(texts, countProgram, kCharsPerLine, &figures);
    unlink(texts.englishPath.c_str());
    unlink(texts.mixedPath.c_str());
    PrintGoals(results, figures);
    printf("whole run: %.0f s\n", Seconds() - dRunStart);

    if (!bAllRight) {
        fprintf(stderr, "measure_bench: counts differ, or a program or file failed: see above\n");
        return 1;
    }
    return 0;
}
