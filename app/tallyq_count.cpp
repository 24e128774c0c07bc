// tallyq-count: prices files (or standard input) from the command line, with the dialog's rules.
//   tallyq-count [--cpl N] [--fixed X] [--per-char X] [--per-word X] [--per-line X] [FILE...]
#include <errno.h>
#include <stdio.h>
#include <string.h>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "measure/money.h"
#include "measure/text_measure.h"

namespace {

const char kUsage[] =
    "usage: tallyq-count [--cpl N] [--fixed X] [--per-char X] [--per-word X] [--per-line X] [FILE...]\n"
    "Measures and prices each FILE (standard input when there is none, or for -) up to its first zero byte.\n"
    "Prints: name, characters, words, lines, characters cost, words cost, lines cost, total (tab-separated),\n"
    "and with more than one input a last line 'total' with the sums.\n"
    "  --cpl N        characters per line, an integer (default 80)\n"
    "  --fixed X      fixed cost per job (default 0.00)\n"
    "  --per-char X   cost per character (default 0.00)\n"
    "  --per-word X   cost per word (default 0.02)\n"
    "  --per-line X   cost per line (default 0.00)\n"
    "Prices are read as the dialog reads its fields: '1,50' is 1 and '$1' is 0.\n"
    "Exit status: 0 when every input was read, 1 when one could not be, 2 for a bad option.\n";

// Large enough that a read costs little beside its bytes, small enough to stay in the cache.
enum { kReadChunk = 1 << 18 };
char readBuffer[kReadChunk];

struct Options {
    int nCharsPerLine = 80;
    JobPrices prices = {0.0, 0.0, 0.02, 0.0};
};

struct Totals {
    TextCounts counts = {0, 0, 0};
    double dChars = 0, dWords = 0, dLines = 0, dTotal = 0;
};

void WriteText(const char* szText) { fputs(szText, stdout); }

void WriteField(int64_t nValue) {
    char szText[32];
    FormatInt64(nValue, szText, sizeof(szText));
    fputs(szText, stdout);
    fputc('\t', stdout);
}

// The value as shown: what a reader of the output adds up, so the total line sums what is printed.
double ShownMoney(double dValue) {
    char szText[kMoneyTextSize];
    FormatMoney(dValue, "", szText, sizeof(szText));
    return TextToMoney(szText);
}

void WriteMoney(double dValue, const char* szAfter) {
    char szText[kMoneyTextSize];
    FormatMoney(dValue, szAfter, szText, sizeof(szText));
    fputs(szText, stdout);
}

void WriteRecord(const char* szName, const TextCounts& counts, double dChars, double dWords, double dLines,
                 double dTotal) {
    WriteText(szName);
    fputc('\t', stdout);
    WriteField(counts.nChars);
    WriteField(counts.nWords);
    WriteField(counts.nLines);
    WriteMoney(dChars, "\t");
    WriteMoney(dWords, "\t");
    WriteMoney(dLines, "\t");
    WriteMoney(dTotal, "\n");
}

// Streams one input through the measurer; answers false (with errno set) when it cannot be read.
bool MeasureStream(FILE* pFile, int nCharsPerLine, TextCounts* pCounts) {
    TextMeasurer measurer(nCharsPerLine);
    while (!measurer.Ended()) {
        size_t nRead = fread(readBuffer, 1, sizeof(readBuffer), pFile);
        if (nRead == 0) break;
        measurer.Feed(readBuffer, nRead);
    }
    bool bFailed = ferror(pFile) != 0;
    *pCounts = measurer.Counts();
    return !bFailed;
}

bool MeasureInput(const char* szName, const Options& options, Totals* pTotals) {
    bool bStdin = strcmp(szName, "-") == 0;
    FILE* pFile = bStdin ? stdin : fopen(szName, "rb");
    TextCounts counts;
    errno = 0;
    bool bRead = pFile != nullptr && MeasureStream(pFile, options.nCharsPerLine, &counts);
    int nError = errno;
    if (pFile != nullptr && !bStdin) fclose(pFile);
    if (!bRead) {
        fprintf(stderr, "tallyq-count: %s: %s\n", szName, nError ? strerror(nError) : "read error");
        return false;
    }
    JobCosts costs = PriceJob(options.prices, counts.nChars, counts.nWords, counts.nLines);
    WriteRecord(szName, counts, costs.dChars, costs.dWords, costs.dLines, costs.dTotal);
    pTotals->counts.nChars += counts.nChars;
    pTotals->counts.nWords += counts.nWords;
    pTotals->counts.nLines += counts.nLines;
    pTotals->dChars += ShownMoney(costs.dChars);
    pTotals->dWords += ShownMoney(costs.dWords);
    pTotals->dLines += ShownMoney(costs.dLines);
    pTotals->dTotal += ShownMoney(costs.dTotal);
    return true;
}

int UsageError(const char* szWhat, const char* szArgument) {
    fprintf(stderr, "tallyq-count: %s: %s\n%s", szWhat, szArgument, kUsage);
    return 2;
}

// Takes the value of "--name value" or "--name=value"; answers nullptr when there is none.
const char* OptionValue(const char* szName, int argc, char** argv, int* pIndex) {
    const char* szArgument = argv[*pIndex];
    size_t nName = strlen(szName);
    if (strncmp(szArgument, szName, nName) != 0) return nullptr;
    if (szArgument[nName] == '=') return szArgument + nName + 1;
    if (szArgument[nName] != '\0' || *pIndex + 1 >= argc) return nullptr;
    return argv[++*pIndex];
}

bool IsOption(const char* szArgument, const char* szName) {
    size_t nName = strlen(szName);
    return strncmp(szArgument, szName, nName) == 0 && (szArgument[nName] == '\0' || szArgument[nName] == '=');
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    // Counts are of bytes: a CR LF break is two characters, so standard input must not be translated.
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    Options options;
    struct PriceOption {
        const char* szName;
        double* pdValue;
    } priceOptions[] = {{"--fixed", &options.prices.dFixed},
                        {"--per-char", &options.prices.dPerChar},
                        {"--per-word", &options.prices.dPerWord},
                        {"--per-line", &options.prices.dPerLine}};

    int nFirstFile = argc;
    for (int i = 1; i < argc; ++i) {
        const char* szArgument = argv[i];
        if (strcmp(szArgument, "--") == 0) {
            nFirstFile = i + 1;
            break;
        }
        if (szArgument[0] != '-' || szArgument[1] != '-') {
            nFirstFile = i;
            break;
        }
        if (strcmp(szArgument, "--help") == 0) {
            fputs(kUsage, stdout);
            return 0;
        }
        bool bKnown = false;
        if (IsOption(szArgument, "--cpl")) {
            const char* szValue = OptionValue("--cpl", argc, argv, &i);
            if (szValue == nullptr) return UsageError("missing value", szArgument);
            if (!TextToDialogInt(szValue, &options.nCharsPerLine)) return UsageError("not an integer", szValue);
            bKnown = true;
        }
        for (const PriceOption& price : priceOptions) {
            if (bKnown || !IsOption(szArgument, price.szName)) continue;
            const char* szValue = OptionValue(price.szName, argc, argv, &i);
            if (szValue == nullptr) return UsageError("missing value", szArgument);
            *price.pdValue = TextToMoney(szValue);
            bKnown = true;
        }
        if (!bKnown) return UsageError("unknown option", szArgument);
    }

    static char szStdin[] = "-";
    char* stdinOnly[] = {szStdin};
    char** files = argv + nFirstFile;
    int nFiles = argc - nFirstFile;
    if (nFiles == 0) {
        files = stdinOnly;
        nFiles = 1;
    }

    Totals totals;
    int nExit = 0;
    for (int i = 0; i < nFiles; ++i) {
        if (!MeasureInput(files[i], options, &totals)) nExit = 1;
    }
    if (nFiles > 1) {
        WriteRecord("total", totals.counts, totals.dChars, totals.dWords, totals.dLines, totals.dTotal);
    }
    fflush(stdout);
    return nExit;
}
