// measure_bench: how fast the measures run, in one run on one generated text.
//   measure_bench [--mb N] [TALLYQ_COUNT]
// Writes N MB (default 200) of English-like text to a temporary file, measures a memory-read bound
// on the same bytes (a vectorised sum), and prints for each kernel the speed of the word count, the
// line count and the whole measure at 80 characters per line, with the ratio to that bound; then
// times GNU wc -c -w -l (LC_ALL=C) and tallyq-count (beside this program unless given) on the
// page-cached file, and the dialog's recount of lines of a 10 MB text.
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
const double kMB = 1e6;

double Seconds() { return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(); }

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
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

// Best of several runs of a function over the text, as bytes per second.
template <typename F>
double BestRate(size_t nBytes, int nRuns, F f) {
    double dBest = 1e30;
    for (int i = 0; i < nRuns; ++i) {
        double dStart = Seconds();
        f();
        dBest = std::min(dBest, Seconds() - dStart);
    }
    return nBytes / dBest;
}

// Runs a program with its output into a file; answers the wall time, or a negative on failure.
double TimeProgram(const std::vector<std::string>& args, const char* szOutput) {
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, szOutput, O_WRONLY | O_CREAT | O_TRUNC, 0600);
    double dStart = Seconds();
    pid_t pid;
    int nError = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
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

struct KernelRates {
    double dWords, dLines, dMeasure;
};

}  // namespace

int main(int argc, char** argv) {
    size_t nMegabytes = 200;
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
    const int kCharsPerLine = 80;

    printf("processor: %s\n", ProcessorName().c_str());
    printf("the measures use the %s kernel\n", ActiveMeasureKernel().szName);
    char* pText = static_cast<char*>(aligned_alloc(64, nBytes));
    if (pText == nullptr) {
        fprintf(stderr, "measure_bench: no memory for %zu MB\n", nMegabytes);
        return 1;
    }
    double dStart = Seconds();
    MakeBenchText(kSeed, pText, nBytes);
    const unsigned char* pBytes = reinterpret_cast<const unsigned char*>(pText);
    const char* szTmp = getenv("TMPDIR");
    std::string filePath = std::string(szTmp && *szTmp ? szTmp : "/tmp") + "/measure_bench_XXXXXX";
    int fd = mkstemp(&filePath[0]);
    if (fd < 0 || close(fd) != 0 || !WriteFile(filePath.c_str(), pText, nBytes)) {
        fprintf(stderr, "measure_bench: cannot write %s\n", filePath.c_str());
        return 1;
    }
    std::string outputPath = filePath + ".out";
    TextMeasurer reference(kCharsPerLine, kScalarMeasureKernel);
    reference.Feed(pText, nBytes);
    const TextCounts expected = reference.Counts();
    printf("text: %zu MB (seed %#llx), %lld words, %lld lines at %d; written in %.1f s to %s\n\n", nMegabytes,
           static_cast<unsigned long long>(kSeed), static_cast<long long>(expected.nWords),
           static_cast<long long>(expected.nLines), kCharsPerLine, Seconds() - dStart, filePath.c_str());

    // The bound: the same bytes read and summed, best of several runs.
    const MeasureKernel* pAvx2 = FindMeasureKernel("avx2");
    bool bAvx2 = pAvx2 != nullptr && MeasureKernelRuns(*pAvx2);
    volatile uint64_t nSink = 0;
    double dBound = BestRate(
        nBytes, 7, [&] { nSink = nSink + (bAvx2 ? SumBytesAvx2(pBytes, nBytes) : SumBytesSse2(pBytes, nBytes)); });
    printf("memory-read bound (%s sum of the bytes, best of 7): %.0f MB/s\n\n", bAvx2 ? "AVX2" : "SSE2", dBound / kMB);

    printf("%-12s %12s %6s %14s %6s %16s %6s\n", "kernel", "words MB/s", "bound", "lines@80 MB/s", "bound",
           "measure@80 MB/s", "bound");
    bool bAllSame = true;
    for (size_t k = 0; k < MeasureKernelCount(); ++k) {
        const MeasureKernel& kernel = MeasureKernelAt(k);
        if (!MeasureKernelRuns(kernel)) {
            printf("%-12s (this processor cannot run it)\n", kernel.szName);
            continue;
        }
        int nRuns = &kernel == &kScalarMeasureKernel ? 2 : 7;
        MeasureState words = {}, lines = {};
        TextCounts counts = {};
        KernelRates rates;
        rates.dWords = BestRate(nBytes, nRuns, [&] {
            words = MeasureState();
            kernel.pfnWords(pBytes, nBytes, &words);
        });
        rates.dLines = BestRate(nBytes, nRuns, [&] {
            lines = MeasureState();
            kernel.pfnLines(pBytes, nBytes, kCharsPerLine, &lines);
        });
        rates.dMeasure = BestRate(nBytes, nRuns, [&] {
            TextMeasurer measurer(kCharsPerLine, kernel);
            measurer.Feed(pText, nBytes);
            counts = measurer.Counts();
        });
        bool bSame = words.nWords == expected.nWords && lines.nLines == expected.nLines &&
                     counts.nChars == expected.nChars && counts.nWords == expected.nWords &&
                     counts.nLines == expected.nLines;
        bAllSame = bAllSame && bSame;
        printf("%-12s %12.0f %6.2f %14.0f %6.2f %16.0f %6.2f%s\n", kernel.szName, rates.dWords / kMB,
               rates.dWords / dBound, rates.dLines / kMB, rates.dLines / dBound, rates.dMeasure / kMB,
               rates.dMeasure / dBound, bSame ? "" : "  COUNTS DIFFER FROM THE PLAIN LOOP");
    }

    // End to end on the page-cached file: the programs in turn, one warm-up each, then the median.
    setenv("LC_ALL", "C", 1);
    std::vector<std::string> wc = {"wc", "-c", "-w", "-l", filePath};
    std::vector<std::string> count = {countProgram, filePath};
    const int kProgramRuns = 5;
    std::vector<double> wcTimes, countTimes;
    std::string wcOutput, countOutput;
    bool bRan = true;
    for (int i = 0; i <= kProgramRuns && bRan; ++i) {
        double dWc = TimeProgram(wc, outputPath.c_str());
        wcOutput = FirstLine(outputPath.c_str());
        double dCount = TimeProgram(count, outputPath.c_str());
        countOutput = FirstLine(outputPath.c_str());
        bRan = dWc >= 0 && dCount >= 0;
        if (i > 0) {
            wcTimes.push_back(dWc);
            countTimes.push_back(dCount);
        }
    }
    printf("\nend to end on the page-cached file, median of %d runs:\n", kProgramRuns);
    if (bRan) {
        double dWc = Median(wcTimes), dCount = Median(countTimes);
        printf("  %-32s %9.1f ms   %s\n", "wc -c -w -l (LC_ALL=C)", dWc * 1e3, wcOutput.c_str());
        printf("  %-32s %9.1f ms   %s\n", "tallyq-count", dCount * 1e3, countOutput.c_str());
        printf("  tallyq-count is %.1f times as fast as wc (%.0f MB/s)\n", dWc / dCount, nBytes / dCount / kMB);
    } else {
        printf("  could not run wc or %s\n", countProgram.c_str());
    }

    // The dialog's UpdateCost: the lines of its kept copy recounted at every keystroke.
    const size_t kDialogBytes = 10 * 1000 * 1000;
    std::vector<char> kept(pText, pText + kDialogBytes);
    std::vector<double> recounts, linesOnly;
    int64_t nDialogLines = 0;
    for (int i = 0; i < 21; ++i) {
        double dRecount = Seconds();
        TextMeasurer measurer(kCharsPerLine);
        measurer.Feed(kept.data(), kept.size());
        nDialogLines = measurer.Counts().nLines;
        recounts.push_back(Seconds() - dRecount);
        double dLines = Seconds();
        nSink = nSink + CountLines(kept.data(), kept.size(), kCharsPerLine);
        linesOnly.push_back(Seconds() - dLines);
    }
    printf(
        "\ndialog recount of a 10 MB text at %d characters per line (median of 21): %.2f ms as UpdateCost "
        "measures it, %.2f ms by the lines-only count (%lld lines)\n",
        kCharsPerLine, Median(recounts) * 1e3, Median(linesOnly) * 1e3, static_cast<long long>(nDialogLines));

    unlink(outputPath.c_str());
    unlink(filePath.c_str());
    free(pText);
    if (!bAllSame) {
        fprintf(stderr, "measure_bench: a kernel's counts differ from the plain loop's\n");
        return 1;
    }
    return bRan ? 0 : 1;
}
