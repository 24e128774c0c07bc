#include "bench/versus_wc.h"

#include <stdio.h>
#include <unistd.h>

#include <vector>

#include "bench/bench_timing.h"
#include "measure/unicode_classes.h"

namespace {

struct ProgramPair {
    std::vector<std::string> wc;
    const char* szWcLabels;  // what wc's numbers are, in the order it prints them
    const char* szLocale;
    std::string filePath;
    size_t nBytes;
    TextCounts expected;  // what tallyq-count should print
    std::vector<std::string> countOptions;  // given to tallyq-count before the file
};

// Both programs in turn on the page-cached file, one warm-up each, then the median of 5. Returns
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

TextCounts MeasureWindows1252(const std::string& text, int32_t nCharsPerLine) {
    TextMeasurer measurer(nCharsPerLine, kEncodingWindows1252);
    measurer.Feed(text.data(), text.size());
    return measurer.Finish();
}

}  // namespace

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

bool TimeEndToEnd(const EndToEndTexts& texts, const std::string& countProgram, int32_t nCharsPerLine,
                  EndToEndFigures* pFigures) {
    const std::string& englishPath = texts.englishPath;
    std::string outputPath = englishPath + ".out";
    *pFigures = EndToEndFigures();
    printf("\nend to end on the page-cached English file, median of 5 runs:\n");
    ProgramPair english = {{"wc", "-c", "-w", "-l", englishPath}, "lines words bytes", "C", englishPath, texts.nBytes,
                           texts.englishCounts, {}};
    bool bAllRight = TimePrograms(english, countProgram, outputPath, &pFigures->dEnglishRatio);
    printf("\nend to end on the page-cached mixed-language UTF-8 file, median of 5 runs:\n");
    ProgramPair mixed = {{"wc", "-m", "-w", texts.mixedPath}, "words chars", "C.UTF-8", texts.mixedPath, texts.nBytes,
                         texts.mixedCounts, {}};
    pFigures->bMixedRan = TimePrograms(mixed, countProgram, outputPath, &pFigures->dMixedRatio);
    bAllRight = bAllRight && pFigures->bMixedRan;
    const std::vector<std::string> k1252 = {"--encoding", "windows-1252"};
    struct {
        const char* szName;
        const std::string* pText;
        double* pdRatio;
        double* pdRate;
    } cases[] = {{"English with an accented word in every dozen", &texts.english1252, &pFigures->d1252EnglishRatio,
                  nullptr},
                 {"French", &texts.french1252, &pFigures->d1252FrenchRatio, &pFigures->d1252FrenchRate}};
    bool b1252Ran = true;
    for (const auto& c : cases) {
        if (!bAllRight || !WriteFile(englishPath.c_str(), c.pText->data(), c.pText->size())) {
            b1252Ran = false;
            break;
        }
        printf("\nend to end on the page-cached Windows-1252 %s (%.1f MB), median of 5 runs:\n", c.szName,
               c.pText->size() / 1e6);
        ProgramPair pair = {{"wc", "-c", "-w", "-l", englishPath}, "lines words bytes", "C", englishPath,
                            c.pText->size(), MeasureWindows1252(*c.pText, nCharsPerLine), k1252};
        b1252Ran = TimePrograms(pair, countProgram, outputPath, c.pdRatio, c.pdRate) && b1252Ran;
    }
    pFigures->b1252Ran = b1252Ran;
    unlink(outputPath.c_str());
    return bAllRight && b1252Ran;
}
