// tallyq-count: prices files (or standard input) from the command line, with the dialog's rules.
// Documents are read by their kind: Word, Excel, PowerPoint, OpenDocument, RTF, web pages and
// subtitles give the text a reader is paid for; every other file is plain text.
//   tallyq-count [--cpl N] [--encoding E] [--format F] [--fixed X] [--per-char X] [--per-word X]
//                [--per-line X] [FILE...]
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "app/count_input.h"
#include "app/count_usage.h"
#include "app/file_measure.h"
#include "documents/code_pages.h"
#include "pricing/money.h"

namespace {

struct EncodingName {
    const char* szName;
    TextFileEncoding encoding;
};
const EncodingName kEncodingNames[] = {{"utf-8", kTextUtf8},
                                       {"utf-16le", kTextUtf16LE},
                                       {"utf-16be", kTextUtf16BE},
                                       {"windows-1252", kTextWindows1252},
                                       {"ansi", kTextAnsi}};

// Large enough that a read costs little beside its bytes, small enough to stay in the cache.
enum { kReadChunk = 1 << 18 };
char readBuffer[kReadChunk];

struct Options {
    int nCharsPerLine = 80;
    TextFileEncoding encoding = kTextDetected;
    bool bPlainTextOnly = false;  // --format text
    JobPrices prices = {0.0, 0.0, 0.02, 0.0};
};

struct Totals {
    TextCounts counts = {};
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

// The code page of web pages and subtitles that neither mark nor declare their encoding.
int FallbackCodePage(const Options& options) {
    switch (options.encoding) {
    case kTextUtf8:
        return kCodePageUtf8;
    case kTextWindows1252:
        return 1252;
    case kTextAnsi: {
        int nCodePage = SystemCodePage();
        return nCodePage == kCodePageUtf8 || FindCodePage(nCodePage) != nullptr ? nCodePage : 1252;
    }
    default:
        return 0;
    }
}

// Measures one input by its kind; false with the reason when it cannot be read or is refused.
// Each piece is handed over from where it was read: plain text is never copied. The first read
// fills the buffer (a pipe is read until it does, or ends), so the kind and the encoding are
// decided on the input's first bytes however the writer cut them.
bool MeasureInputText(const char* szName, const CountInput& input, const Options& options, TextCounts* pCounts,
                      char* szReason, size_t cbReason) {
    static_assert(sizeof(readBuffer) >= kFileDecidingBytes, "the first read holds what decides the kind");
    errno = 0;
    size_t nRead = fread(readBuffer, 1, sizeof(readBuffer), input.pFile);
    FileMeasureOptions measureOptions;
    measureOptions.nCharsPerLine = options.nCharsPerLine;
    measureOptions.encoding = options.encoding;
    measureOptions.bPlainTextOnly = options.bPlainTextOnly;
    measureOptions.nFallbackCodePage = FallbackCodePage(options);
    FileMeasure measure(measureOptions, nullptr);
    bool bMeasured = !ferror(input.pFile) &&
                     measure.Start(readBuffer, nRead, szName, input.bStdin, input.bSized ? input.cbSize : 0);
    while (bMeasured && nRead > 0 && measure.WantsMore() && !ferror(input.pFile)) {
        nRead = fread(readBuffer, 1, sizeof(readBuffer), input.pFile);
        bMeasured = measure.Feed(readBuffer, nRead);
    }
    if (ferror(input.pFile)) {
        ReadFailureReason(szReason, cbReason);
        return false;
    }
    if (bMeasured && measure.Finish(pCounts)) return true;
    snprintf(szReason, cbReason, "%s", measure.Refusal());
    return false;
}

bool MeasureInput(const char* szName, const Options& options, Totals* pTotals) {
    CountInput input;
    TextCounts counts;
    char szReason[512];
    bool bRead = OpenCountInput(szName, &input, szReason, sizeof(szReason)) &&
                 MeasureInputText(szName, input, options, &counts, szReason, sizeof(szReason));
    CloseCountInput(&input);
    if (!bRead) {
        fprintf(stderr, "tallyq-count: %s: %s\n", szName, szReason);
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

// Takes the value of "--name value" or "--name=value"; returns nullptr when there is none.
const char* OptionValue(const char* szName, int argc, char** argv, int* pIndex) {
    const char* szArgument = argv[*pIndex];
    size_t nName = strlen(szName);
    if (strncmp(szArgument, szName, nName) != 0) return nullptr;
    if (szArgument[nName] == '=') return szArgument + nName + 1;
    if (szArgument[nName] != '\0' || *pIndex + 1 >= argc) return nullptr;
    return argv[++*pIndex];
}

// Encoding names are told apart without regard to letter case: "UTF-8" is "utf-8".
bool EncodingOfName(const char* szName, TextFileEncoding* pEncoding) {
    for (const EncodingName& known : kEncodingNames) {
        size_t i = 0;
        for (; known.szName[i] != '\0'; ++i) {
            char c = szName[i] >= 'A' && szName[i] <= 'Z' ? static_cast<char>(szName[i] - 'A' + 'a') : szName[i];
            if (c != known.szName[i]) break;
        }
        if (known.szName[i] == '\0' && szName[i] == '\0') {
            *pEncoding = known.encoding;
            return true;
        }
    }
    return false;
}

bool IsOption(const char* szArgument, const char* szName) {
    size_t nName = strlen(szName);
    return strncmp(szArgument, szName, nName) == 0 && (szArgument[nName] == '\0' || szArgument[nName] == '=');
}

}  // namespace

int main(int argc, char** argv) {
    argv = Utf8Arguments(&argc, argv);
#ifdef _WIN32
    // Standard input is read as it is: a CR LF break is two characters, and UTF-16 has bytes of
    // every value.
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
        if (IsOption(szArgument, "--encoding")) {
            const char* szValue = OptionValue("--encoding", argc, argv, &i);
            if (szValue == nullptr) return UsageError("missing value", szArgument);
            if (!EncodingOfName(szValue, &options.encoding)) return UsageError("unknown encoding", szValue);
            bKnown = true;
        }
        if (IsOption(szArgument, "--format")) {
            const char* szValue = OptionValue("--format", argc, argv, &i);
            if (szValue == nullptr) return UsageError("missing value", szArgument);
            if (strcmp(szValue, "text") != 0 && strcmp(szValue, "auto") != 0) return UsageError("unknown format", szValue);
            options.bPlainTextOnly = strcmp(szValue, "text") == 0;
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
