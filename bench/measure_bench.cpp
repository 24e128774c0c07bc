// measure_bench: how fast the measures run, in one run, on generated texts of several languages.
//   measure_bench [--mb N] [TALLYQ_COUNT]
// Makes N MB (default 64) of UTF-8 text in English (ASCII), French, Russian, Chinese and a mix of
// them with Hindi, Arabic and emoji, each also as UTF-16. For each: a memory-read bound on the same
// bytes (a vectorised sum), and the whole measure at 80 characters per line from UTF-16 (the
// dialog's path) and from UTF-8 (the command line's), with the share of that bound; the byte
// kernels on the English text; the dialog's line recount of a 10 MB text; and tallyq-count (beside
// this program unless given) against GNU wc on the page-cached English and mixed files, and on
// Windows-1252 files: English with an accented word in every dozen, and French.
#include <fcntl.h>
#include <immintrin.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "bench/bench_text.h"
#include "measure/measure_kernels.h"
#include "measure/text_measure.h"

extern char** environ;

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

double Seconds() { return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(); }

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::string ProcessorName() {
    FILE* pFile = fopen("/proc/cpuinfo", "r");
    if (pFile == nullptr) return "unknown";
    char szLine[512];
    std::string name = "unknown";
    while (fgets(szLine, sizeof(szLine), pFile) != nullptr) {
        if (strncmp(szLine, "model name", 10) != 0) continue;
        const char* pColon = strchr(szLine, ':');
        if (pColon == nullptr) continue;
        name = pColon + 2;
        name.erase(name.find_last_not_of("\r\n") + 1);
        break;
    }
    fclose(pFile);
    return name;
}

// The memory-read bound: the bytes summed, 32 or 16 at a time, as fast as loads go.
__attribute__((target("avx2"))) uint64_t SumBytesAvx2(const unsigned char* p, size_t n) {
    __m256i sum0 = _mm256_setzero_si256(), sum1 = sum0, sum2 = sum0, sum3 = sum0;
    const __m256i zero = _mm256_setzero_si256();
    size_t i = 0;
    for (; i + 128 <= n; i += 128) {
        const __m256i* pBlock = reinterpret_cast<const __m256i*>(p + i);
        sum0 = _mm256_add_epi64(sum0, _mm256_sad_epu8(_mm256_loadu_si256(pBlock), zero));
        sum1 = _mm256_add_epi64(sum1, _mm256_sad_epu8(_mm256_loadu_si256(pBlock + 1), zero));
        sum2 = _mm256_add_epi64(sum2, _mm256_sad_epu8(_mm256_loadu_si256(pBlock + 2), zero));
        sum3 = _mm256_add_epi64(sum3, _mm256_sad_epu8(_mm256_loadu_si256(pBlock + 3), zero));
    }
    __m256i sum = _mm256_add_epi64(_mm256_add_epi64(sum0, sum1), _mm256_add_epi64(sum2, sum3));
    uint64_t lanes[4];
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(lanes), sum);
    uint64_t nSum = lanes[0] + lanes[1] + lanes[2] + lanes[3];
    for (; i < n; ++i) nSum += p[i];
    return nSum;
}

uint64_t SumBytesSse2(const unsigned char* p, size_t n) {
    __m128i sum0 = _mm_setzero_si128(), sum1 = sum0;
    const __m128i zero = _mm_setzero_si128();
    size_t i = 0;
    for (; i + 32 <= n; i += 32) {
        const __m128i* pBlock = reinterpret_cast<const __m128i*>(p + i);
        sum0 = _mm_add_epi64(sum0, _mm_sad_epu8(_mm_loadu_si128(pBlock), zero));
        sum1 = _mm_add_epi64(sum1, _mm_sad_epu8(_mm_loadu_si128(pBlock + 1), zero));
    }
    uint64_t lanes[2];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(lanes), _mm_add_epi64(sum0, sum1));
    uint64_t nSum = lanes[0] + lanes[1];
    for (; i < n; ++i) nSum += p[i];
    return nSum;
}

volatile uint64_t nSink = 0;

bool bReadWithAvx2 = false;

void ReadBytes(const void* p, size_t nBytes) {
    const unsigned char* pBytes = static_cast<const unsigned char*>(p);
    nSink = nSink + (bReadWithAvx2 ? SumBytesAvx2(pBytes, nBytes) : SumBytesSse2(pBytes, nBytes));
}

struct Rates {
    double dBound, dRate;  // bytes per second
};

// A function over nBytes of input at p, and the read bound over the same bytes, in turn, so that
// both see the machine as it is (other programs share its memory bus): one of each to warm up, then
// the medians of 7 timed pairs, or of fewer (3 at least) once 2 s have gone.
template <typename F>
Rates MedianRates(const void* p, size_t nBytes, F f) {
    ReadBytes(p, nBytes);
    f();
    std::vector<double> bounds, times;
    double dStart = Seconds();
    while (times.size() < 7 && (times.size() < 3 || Seconds() - dStart < 2)) {
        double dRun = Seconds();
        ReadBytes(p, nBytes);
        bounds.push_back(Seconds() - dRun);
        dRun = Seconds();
        f();
        times.push_back(Seconds() - dRun);
    }
    return {nBytes / Median(bounds), nBytes / Median(times)};
}

bool SameCounts(const TextCounts& a, const TextCounts& b) {
    return a.nChars == b.nChars && a.nWords == b.nWords && a.nLines == b.nLines;
}

// The environment of this process with the locale set to szLocale and nothing else of locales.
std::vector<std::string> EnvironmentWithLocale(const char* szLocale) {
    std::vector<std::string> env;
    for (char** p = environ; *p != nullptr; ++p) {
        if (strncmp(*p, "LC_", 3) == 0 || strncmp(*p, "LANG=", 5) == 0 || strncmp(*p, "LANGUAGE=", 9) == 0) continue;
        env.push_back(*p);
    }
    env.push_back(std::string("LC_ALL=") + szLocale);
    return env;
}

std::vector<char*> Pointers(const std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (const std::string& s : strings) pointers.push_back(const_cast<char*>(s.c_str()));
    pointers.push_back(nullptr);
    return pointers;
}

// Runs a program with its output into a file; answers the wall time, or a negative on failure.
double TimeProgram(const std::vector<std::string>& args, const std::vector<std::string>& env, const char* szOutput) {
    std::vector<char*> argv = Pointers(args), envp = Pointers(env);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, szOutput, O_WRONLY | O_CREAT | O_TRUNC, 0600);
    double dStart = Seconds();
    pid_t pid;
    int nError = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (nError != 0) return -1;
    int nStatus = 0;
    waitpid(pid, &nStatus, 0);
    double dTime = Seconds() - dStart;
    return WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 0 ? dTime : -1;
}

std::string FirstLine(const char* szPath) {
    FILE* pFile = fopen(szPath, "r");
    if (pFile == nullptr) return "";
    char szLine[512] = "";
    if (fgets(szLine, sizeof(szLine), pFile) == nullptr) szLine[0] = '\0';
    fclose(pFile);
    std::string line = szLine;
    line.erase(line.find_last_not_of("\r\n") + 1);
    return line;
}

// The numbers of a program's output line, the file's name left out.
std::vector<long long> NumbersOf(const std::string& line, const std::string& filePath) {
    std::string rest = line;
    size_t nAt = rest.find(filePath);
    if (nAt != std::string::npos) rest.erase(nAt, filePath.size());
    std::vector<long long> numbers;
    const char* p = rest.c_str();
    while (*p != '\0') {
        if (*p >= '0' && *p <= '9') {
            char* pEnd;
            numbers.push_back(strtoll(p, &pEnd, 10));
            p = pEnd;
            // A price ("0.02") is not a count: the counts come first, and stop at the first decimal point.
            if (*p == '.') break;
        } else {
            ++p;
        }
    }
    return numbers;
}

std::string ProgramBesideThis(const char* szName) {
    char szSelf[4096];
    ssize_t n = readlink("/proc/self/exe", szSelf, sizeof(szSelf) - 1);
    if (n <= 0) return szName;
    szSelf[n] = '\0';
    std::string dir(szSelf);
    dir.erase(dir.rfind('/'));
    // The bench is built in <build>/bench, the program in <build>.
    std::string path = dir + "/../" + szName;
    return access(path.c_str(), X_OK) == 0 ? path : dir + "/" + szName;
}

bool WriteFile(const char* szPath, const char* p, size_t n) {
    int fd = open(szPath, O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0) return false;
    while (n > 0) {
        ssize_t nWritten = write(fd, p, n);
        if (nWritten <= 0) break;
        p += nWritten;
        n -= static_cast<size_t>(nWritten);
    }
    return close(fd) == 0 && n == 0;
}

std::string TemporaryFile(const char* szName) {
    const char* szTmp = getenv("TMPDIR");
    std::string path = std::string(szTmp && *szTmp ? szTmp : "/tmp") + "/measure_bench_" + szName + "_XXXXXX";
    int fd = mkstemp(&path[0]);
    if (fd < 0) return "";
    close(fd);
    return path;
}

// A figure for the table: GB/s and the share of the read bound.
std::string RateText(const Rates& rates) {
    char szText[32];
    snprintf(szText, sizeof(szText), "%5.2f %4.0f%%", rates.dRate / kGB, 100 * rates.dRate / rates.dBound);
    return szText;
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

// The byte kernels on ASCII text, which is its own measuring bytes: each entry alone, and the whole
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
// its measuring bytes; then its lines counted again at another limit, as on every keystroke there.
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
    pResult->bKeptAgrees = CountMeasuringLines(kept.data(), nKept, kCharsPerLine) == counts.nLines &&
                           SameCounts(counts, MeasureUtf16(pUnits, nDialog, kCharsPerLine));
    std::vector<double> times;
    int nLines = 0;
    for (int i = 0; i < 21; ++i) {
        double dRun = Seconds();
        nLines = CountMeasuringLines(kept.data(), nKept, kRecountCharsPerLine);
        times.push_back(Seconds() - dRun);
    }
    pResult->dRecountMs = Median(times) * 1e3;
    pResult->nRecountLines = nLines;
}

struct ProgramPair {
    std::vector<std::string> wc;
    const char* szWcLabels;  // what wc's numbers are, in the order it prints them
    const char* szLocale;
    std::string filePath;
    size_t nBytes;
    TextCounts expected;  // what tallyq-count should print
    std::vector<std::string> countOptions;  // given to tallyq-count before the file
};

// Both programs in turn on the page-cached file, one warm-up each, then the median of 5. Answers
// false when a program could not run or tallyq-count's counts are not the measure's.
bool TimePrograms(const ProgramPair& pair, const std::string& countProgram, const std::string& outputPath,
                  double* pdRatio, double* pdCountRate = nullptr) {
    std::vector<std::string> env = EnvironmentWithLocale(pair.szLocale);
    std::vector<std::string> count = {countProgram};
    count.insert(count.end(), pair.countOptions.begin(), pair.countOptions.end());
    count.push_back(pair.filePath);
    const int kRuns = 5;
    std::vector<double> wcTimes, countTimes;
    std::string wcOutput, countOutput;
    for (int i = 0; i <= kRuns; ++i) {
        double dWc = TimeProgram(pair.wc, env, outputPath.c_str());
        wcOutput = FirstLine(outputPath.c_str());
        double dCount = TimeProgram(count, env, outputPath.c_str());
        countOutput = FirstLine(outputPath.c_str());
        if (dWc < 0 || dCount < 0) {
            printf("  could not run %s\n", dWc < 0 ? pair.wc[0].c_str() : countProgram.c_str());
            return false;
        }
        if (i > 0) {
            wcTimes.push_back(dWc);
            countTimes.push_back(dCount);
        }
    }
    double dWc = Median(wcTimes), dCount = Median(countTimes);
    std::string wcLine;
    for (size_t i = 0; i + 1 < pair.wc.size(); ++i) wcLine += (i ? " " : "") + pair.wc[i];
    wcLine += std::string(" (LC_ALL=") + pair.szLocale + ")";
    std::vector<long long> wcNumbers = NumbersOf(wcOutput, pair.filePath);
    std::vector<long long> countNumbers = NumbersOf(countOutput, pair.filePath);
    std::string wcCounts = pair.szWcLabels;
    char szNumber[32];
    for (long long n : wcNumbers) {
        snprintf(szNumber, sizeof(szNumber), " %lld", n);
        wcCounts += szNumber;
    }
    bool bCountsRight = countNumbers.size() >= 3 && countNumbers[0] == pair.expected.nChars &&
                        countNumbers[1] == pair.expected.nWords && countNumbers[2] == pair.expected.nLines;
    printf("  %-32s %8.1f ms %7.0f MB/s   %s\n", wcLine.c_str(), dWc * 1e3, pair.nBytes / dWc / 1e6,
           wcCounts.c_str());
    printf("  %-32s %8.1f ms %7.0f MB/s   chars words lines %lld %lld %lld%s\n", "tallyq-count", dCount * 1e3,
           pair.nBytes / dCount / 1e6, countNumbers.size() > 0 ? countNumbers[0] : -1,
           countNumbers.size() > 1 ? countNumbers[1] : -1, countNumbers.size() > 2 ? countNumbers[2] : -1,
           bCountsRight ? "" : "  NOT THE MEASURE'S COUNTS");
    printf("  tallyq-count is %.1f times as fast as wc\n", dWc / dCount);
    *pdRatio = dWc / dCount;
    if (pdCountRate != nullptr) *pdCountRate = pair.nBytes / dCount;
    return bCountsRight;
}

// Windows-1252 of a UTF-8 text: each code point the code page has as its byte, any other as '?'.
// With nEvery, the word "caf\xE9 " goes in after every nEvery-th space (English with accents).
std::string ToWindows1252(const char* pText, size_t nBytes, int nEvery) {
    unsigned char high[0x2200] = {};  // the code page's code points above 0x7F are all below U+2200
    for (int c = 0x80; c < 0x100; ++c) high[Windows1252CodePoint(static_cast<unsigned char>(c))] = static_cast<unsigned char>(c);
    std::string out;
    out.reserve(nBytes + nBytes / 8);
    int nSpaces = 0;
    for (size_t i = 0; i < nBytes;) {
        unsigned char b = static_cast<unsigned char>(pText[i]);
        uint32_t u = b;
        size_t nLength = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
        if (nLength == 2) u = ((b & 0x1Fu) << 6) | (pText[i + 1] & 0x3F);
        if (nLength == 3) u = ((b & 0x0Fu) << 12) | ((pText[i + 1] & 0x3Fu) << 6) | (pText[i + 2] & 0x3F);
        i += nLength;
        out += static_cast<char>(u < 0x80 ? u : u < 0x2200 && high[u] != 0 ? high[u] : '?');
        if (nEvery > 0 && u == ' ' && ++nSpaces % nEvery == 0) out += "caf\xE9 ";
    }
    return out;
}

TextCounts MeasureWindows1252(const std::string& text) {
    TextMeasurer measurer(kCharsPerLine, kEncodingWindows1252);
    measurer.Feed(text.data(), text.size());
    return measurer.Finish();
}

void PrintGoal(const char* szWhat, double dFigure, double dGoal, bool bAtMost, const char* szUnit) {
    bool bMet = bAtMost ? dFigure <= dGoal : dFigure >= dGoal;
    printf("  %-44s %8.2f %-5s goal %s %.2f: %s", szWhat, dFigure, szUnit, bAtMost ? "<=" : ">=", dGoal,
           bMet ? "met" : "MISSED");
    if (!bMet) {
        // How far from the goal, as a part of it, and how many times faster the code must become.
        double dShort = bAtMost ? (dFigure - dGoal) / dGoal : (dGoal - dFigure) / dGoal;
        double dFactor = bAtMost ? dFigure / dGoal : dGoal / dFigure;
        printf(" by %.0f%% of the goal (needs %.2fx)", 100 * dShort, dFactor);
    }
    printf("\n");
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

    const MeasureKernel* pAvx2 = FindMeasureKernel("avx2");
    bReadWithAvx2 = pAvx2 != nullptr && MeasureKernelRuns(*pAvx2);
    printf("processor: %s; the measures use the %s kernel; the read bound is the %s sum of the same bytes\n",
           ProcessorName().c_str(), ActiveMeasureKernel().szName, bReadWithAvx2 ? "AVX2" : "SSE2");
    printf("%zu MB of UTF-8 a language (seed %#llx), and the same text as UTF-16; %d characters per line; GB/s of "
           "input, median of up to 7 runs\n\n",
           nMegabytes, static_cast<unsigned long long>(kSeed), kCharsPerLine);
    printf("%-8s %9s %9s %12s %11s %11s %8s  %s\n", "text", "UTF-8 MB", "UTF-16 MB", "characters", "words",
           "lines", "made in", "UTF-8 and UTF-16 counts");

    char* pText = static_cast<char*>(aligned_alloc(64, nBytes));
    char16_t* pUnits = static_cast<char16_t*>(aligned_alloc(64, nBytes * sizeof(char16_t)));
    if (pText == nullptr || pUnits == nullptr) {
        fprintf(stderr, "measure_bench: no memory for %zu MB\n", nMegabytes);
        return 1;
    }
    std::vector<LanguageResult> results;
    std::vector<KernelResult> kernels;
    TextCounts englishCounts = {}, mixedCounts = {};
    std::string english1252, french1252;
    std::string englishPath = TemporaryFile("english"), mixedPath = TemporaryFile("mixed");
    bool bAllRight = !englishPath.empty() && !mixedPath.empty();
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
            kernels = TimeKernels(pText, nBytes, pUnits, nUnits, counts8);
            englishCounts = counts8;
            bAllRight = bAllRight && WriteFile(englishPath.c_str(), pText, nBytes);
            english1252 = ToWindows1252(pText, nBytes, 12);
        } else if (result.language == kBenchFrench) {
            french1252 = ToWindows1252(pText, nBytes, 0);
        } else if (result.language == kBenchMixed) {
            mixedCounts = counts8;
            bAllRight = bAllRight && WriteFile(mixedPath.c_str(), pText, nBytes);
        }
        TimeRecount(pUnits, nUnits, &result);
        bAllRight = bAllRight && result.bKeptAgrees;
        results.push_back(result);
    }
    free(pUnits);
    free(pText);

    printf("\nwhole measure at %d characters per line: GB/s of input and share of the read bound\n", kCharsPerLine);
    printf("%-8s %11s %16s %11s %16s\n", "text", "read UTF-16", "MeasureUtf16", "read UTF-8", "MeasureUtf8");
    for (const LanguageResult& r : results) {
        printf("%-8s %11.2f %16s %11.2f %16s\n", BenchLanguageName(r.language), r.utf16.dBound / kGB,
               RateText(r.utf16).c_str(), r.utf8.dBound / kGB, RateText(r.utf8).c_str());
    }

    if (!kernels.empty()) {
        printf("\nbyte kernels on the English text (ASCII: its own measuring bytes), GB/s and share of the read "
               "bound of the same bytes\n");
        printf("%-12s %11s %11s %11s %14s %14s\n", "kernel", "words", "lines@80", "both@80", "measure UTF-8",
               "measure UTF-16");
        for (const KernelResult& k : kernels) {
            if (!k.bRuns) {
                printf("%-12s (this processor cannot run it)\n", k.szName);
                continue;
            }
            printf("%-12s %11s %11s %11s %14s %14s%s\n", k.szName, RateText(k.words).c_str(),
                   RateText(k.lines).c_str(), RateText(k.wordsAndLines).c_str(), RateText(k.measure8).c_str(),
                   RateText(k.measure16).c_str(), k.bSame ? "" : "  COUNTS DIFFER FROM THE MEASURE'S");
            bAllRight = bAllRight && k.bSame;
        }
    }

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

    std::string outputPath = englishPath + ".out";
    double dEnglishRatio = 0, dMixedRatio = 0, d1252EnglishRatio = 0, d1252FrenchRatio = 0, d1252FrenchRate = 0;
    bool bMixedRan = false, b1252Ran = false;
    if (bAllRight) {
        printf("\nend to end on the page-cached English file, median of 5 runs:\n");
        ProgramPair english = {{"wc", "-c", "-w", "-l", englishPath}, "lines words bytes", "C", englishPath, nBytes,
                               englishCounts, {}};
        bAllRight = TimePrograms(english, countProgram, outputPath, &dEnglishRatio);
        printf("\nend to end on the page-cached mixed-language UTF-8 file, median of 5 runs:\n");
        ProgramPair mixed = {{"wc", "-m", "-w", mixedPath}, "words chars", "C.UTF-8", mixedPath, nBytes, mixedCounts, {}};
        bMixedRan = TimePrograms(mixed, countProgram, outputPath, &dMixedRatio);
        bAllRight = bAllRight && bMixedRan;
        // Windows-1252: written to the English file's path, which the UTF-8 runs are done with.
        const std::vector<std::string> k1252 = {"--encoding", "windows-1252"};
        struct {
            const char* szName;
            const std::string* pText;
            double* pdRatio;
            double* pdRate;
        } cases[] = {{"English with an accented word in every dozen", &english1252, &d1252EnglishRatio, nullptr},
                     {"French", &french1252, &d1252FrenchRatio, &d1252FrenchRate}};
        b1252Ran = true;
        for (const auto& c : cases) {
            if (!bAllRight || !WriteFile(englishPath.c_str(), c.pText->data(), c.pText->size())) {
                b1252Ran = false;
                break;
            }
            printf("\nend to end on the page-cached Windows-1252 %s (%.1f MB), median of 5 runs:\n", c.szName,
                   c.pText->size() / 1e6);
            ProgramPair pair = {{"wc", "-c", "-w", "-l", englishPath}, "lines words bytes", "C", englishPath,
                                c.pText->size(), MeasureWindows1252(*c.pText), k1252};
            b1252Ran = TimePrograms(pair, countProgram, outputPath, c.pdRatio, c.pdRate) && b1252Ran;
        }
        bAllRight = bAllRight && b1252Ran;
    }
    unlink(outputPath.c_str());
    unlink(englishPath.c_str());
    unlink(mixedPath.c_str());

    printf("\ngoals:\n");
    for (const LanguageResult& r : results) {
        char szWhat[64];
        if (r.language == kBenchEnglish) {
            PrintGoal("English (ASCII) as UTF-16, share of read bound", 100 * r.utf16.dRate / r.utf16.dBound,
                      100 * kAsciiUtf16ShareGoal, false, "%");
            PrintGoal("English (ASCII) as UTF-8, share of read bound", 100 * r.utf8.dRate / r.utf8.dBound,
                      100 * kAsciiUtf8ShareGoal, false, "%");
        } else {
            snprintf(szWhat, sizeof(szWhat), "%s as UTF-16", BenchLanguageName(r.language));
            PrintGoal(szWhat, r.utf16.dRate / kGB, kOtherUtf16Goal / kGB, false, "GB/s");
            snprintf(szWhat, sizeof(szWhat), "%s as UTF-8", BenchLanguageName(r.language));
            PrintGoal(szWhat, r.utf8.dRate / kGB, kOtherUtf8Goal / kGB, false, "GB/s");
        }
    }
    for (const LanguageResult& r : results) {
        char szWhat[64];
        snprintf(szWhat, sizeof(szWhat), "recount of 10 MB, %s", BenchLanguageName(r.language));
        PrintGoal(szWhat, r.dRecountMs, kRecountGoalMs, true, "ms");
    }
    if (bMixedRan) PrintGoal("tallyq-count vs wc -m -w on mixed UTF-8", dMixedRatio, kMixedCountVsWcGoal, false, "x");
    if (b1252Ran) {
        PrintGoal("tallyq-count vs wc on Windows-1252 English", d1252EnglishRatio, kWindows1252EnglishVsWcGoal, false,
                  "x");
        PrintGoal("tallyq-count on Windows-1252 French", d1252FrenchRate / kGB, kWindows1252FrenchGoal / kGB, false,
                  "GB/s");
        printf("  (tallyq-count vs wc on Windows-1252 French: %.1fx)\n", d1252FrenchRatio);
    }
    printf("whole run: %.0f s\n", Seconds() - dRunStart);

    if (!bAllRight) {
        fprintf(stderr, "measure_bench: counts differ, or a program or file failed: see above\n");
        return 1;
    }
    return 0;
}
