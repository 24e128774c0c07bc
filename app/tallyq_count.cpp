// tallyq-count: prices files (or standard input) from the command line, with the dialog's rules.
// Documents are read by their kind: Word, Excel, PowerPoint, OpenDocument, RTF, web pages and
// subtitles give the text a reader is paid for; every other file is plain text.
// The files are priced under one rate: what a character and a line are, the rounding of divided
// lines, a minimum charge and a currency; each file as a job, or all of them as one (--one-job).
//   tallyq-count [--cpl N] [--encoding E] [--format F] [--fixed X] [--per-char X] [--per-word X]
//                [--per-line X] [--chars C] [--lines L] [--round R] [--minimum X] [--currency TEXT]
//                [--one-job] [--quote FILE [--title TEXT]] [--side S [--lang L]] [--text] [FILE...]
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "app/count_encoding.h"
#include "app/count_input.h"
#include "app/count_quote.h"
#include "app/count_usage.h"
#include "app/system_code_pages.h"
#include "app/file_measure.h"
#include "documents/code_pages.h"
#include "measure/text_file.h"
#include "pricing/money.h"
#include "pricing/rates.h"

namespace {


// The options that take a price text, each into its field of the rates.
struct PriceOption {
    const char* szName;
    char (Rates::*pszText)[kRatePriceTextSize];
};
const PriceOption kPriceOptions[] = {{"--fixed", &Rates::szFixed},
                                     {"--per-char", &Rates::szPerChar},
                                     {"--per-word", &Rates::szPerWord},
                                     {"--per-line", &Rates::szPerLine},
                                     {"--minimum", &Rates::szMinimum}};

// The options that choose a rule: the rules' names in the order of their values.
struct ChoiceOption {
    const char* szName;
    const char* szChoices;  // each ended by a zero
    const char* szUnknown;
};
const ChoiceOption kChoiceOptions[] = {{"--chars", "breaks\0spaces\0no-spaces\0", "unknown kind of characters"},
                                       {"--lines", "laid-out\0standard\0", "unknown kind of lines"},
                                       {"--round", "two-decimals\0up\0", "unknown rounding"}};

// Large enough that a read costs little beside its bytes, small enough to stay in the cache.
enum { kReadChunk = 1 << 18 };
char readBuffer[kReadChunk];

struct Options {
    int nCharsPerLine = 80;
    TextFileEncoding encoding = kTextDetected;
    bool bPlainTextOnly = false;  // --format text
    bool bOneJob = false;
    int nCodePage = 0;  // --encoding N or a label: a code page the system's converter reads
    bool bText = false;  // --text: the text counted is printed instead of the counts
    const char* szCurrency = "";  // UTF-8; shown after each cost when not empty
    const char* szQuotePath = nullptr;  // --quote: the inputs' quote is written there
    const char* szTitle = "";
    TranslationChoice translation = {TranslationSide::kSource, nullptr};  // --side, --lang
    Rates rates;
};

// What the total line shows: without --one-job the sums of the shown values; with it, the files'
// counts, which are priced as one job at the end.
struct Totals {
    RatedRow sums = {};
    double dTotal = 0;
    RatedRow jobCounts = {};  // --one-job: the files' counts in the rates' units, lines rounded per file
    CountQuote quote;         // --quote: each input's row
    bool bQuoteFailed = false;
};

void WriteText(const char* szText) { fputs(szText, stdout); }

// --text: the text as it is counted, to standard output.
class StandardOutput : public TextSink {
public:
    void Put(const char* pUtf8, size_t cbUtf8) override { fwrite(pUtf8, 1, cbUtf8, stdout); }
};

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

void WriteMoney(double dValue, const Options& options, const char* szAfter) {
    char szText[kMoneyTextSize];
    FormatMoney(dValue, "", szText, sizeof(szText));
    fputs(szText, stdout);
    if (options.szCurrency[0] != '\0') {
        fputc(' ', stdout);
        fputs(options.szCurrency, stdout);
    }
    fputs(szAfter, stdout);
}

void WriteRecord(const char* szName, const RatedRow& row, double dTotal, bool bMinimumApplied, const Options& options) {
    WriteText(szName);
    fputc('\t', stdout);
    WriteField(row.nChars);
    WriteField(row.nWords);
    char szLines[32];
    FormatLineCount(row.nLineHundredths, RateShowsLineDecimals(options.rates), szLines, sizeof(szLines));
    WriteText(szLines);
    fputc('\t', stdout);
    WriteMoney(row.dChars, options, "\t");
    WriteMoney(row.dWords, options, "\t");
    WriteMoney(row.dLines, options, "\t");
    WriteMoney(dTotal, options, bMinimumApplied ? "\tminimum\n" : "\n");
}

// The code page of web pages and subtitles that neither mark nor declare their encoding.
int FallbackCodePage(const Options& options) {
    if (options.nCodePage != 0) return options.nCodePage;
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
                      const char** pszKind, char* szReason, size_t cbReason) {
    static_assert(sizeof(readBuffer) >= kFileDecidingBytes, "the first read holds what decides the kind");
    errno = 0;
    size_t nRead = fread(readBuffer, 1, sizeof(readBuffer), input.pFile);
    FileMeasureOptions measureOptions;
    measureOptions.nCharsPerLine = options.nCharsPerLine;
    measureOptions.encoding = options.encoding;
    measureOptions.bPlainTextOnly = options.bPlainTextOnly;
    measureOptions.nFallbackCodePage = FallbackCodePage(options);
    measureOptions.nPlainCodePage = options.nCodePage;
    measureOptions.translation = options.translation;
    FileMeasure measure(measureOptions, nullptr);
    StandardOutput output;
    ShownText shown(&output);
    if (options.bText) measure.ShowTextIn(&shown);
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
    if (bMeasured && measure.Finish(pCounts)) {
        *pszKind = measure.KindName();
        if (measure.Untranslated() > 0) {
            fflush(stdout);
            fprintf(stderr, "tallyq-count: %s: %llu %s no translation, counted as nothing\n", szName,
                    static_cast<unsigned long long>(measure.Untranslated()),
                    measure.Untranslated() == 1 ? "unit has" : "units have");
        }
        return true;
    }
    snprintf(szReason, cbReason, "%s", measure.Refusal());
    return false;
}

bool MeasureInput(const char* szName, const Options& options, Totals* pTotals) {
    CountInput input;
    TextCounts counts;
    const char* szKind = "";
    char szReason[512];
    bool bRead = OpenCountInput(szName, &input, szReason, sizeof(szReason)) &&
                 MeasureInputText(szName, input, options, &counts, &szKind, szReason, sizeof(szReason));
    CloseCountInput(&input);
    if (!bRead) {
        fflush(stdout);  // the text shown so far comes before the reason
        fprintf(stderr, "tallyq-count: %s: %s\n", szName, szReason);
        return false;
    }
    if (options.bText) return true;
    RateCounts rated = {counts.nChars, counts.nCharsNoBreaks, counts.nCharsNoSpaces, counts.nWords, counts.nLines};
    RatedJob job = PriceRatedJob(options.rates, &rated, 1);
    if (options.bOneJob) {
        // A part of the job: the fixed cost and the minimum belong to the job's total alone.
        WriteRecord(szName, job.sums, job.sums.dSum, false, options);
        AddRatedCounts(options.rates, rated, &pTotals->jobCounts);
        if (options.szQuotePath != nullptr && !pTotals->quote.Add(szName, szKind, rated)) pTotals->bQuoteFailed = true;
        return true;
    }
    WriteRecord(szName, job.sums, job.dTotal, job.bMinimumApplied, options);
    RatedRow& sums = pTotals->sums;
    sums.nChars += job.sums.nChars;
    sums.nWords += job.sums.nWords;
    sums.nLineHundredths += job.sums.nLineHundredths;
    sums.dChars += ShownMoney(job.sums.dChars);
    sums.dWords += ShownMoney(job.sums.dWords);
    sums.dLines += ShownMoney(job.sums.dLines);
    pTotals->dTotal += ShownMoney(job.dTotal);
    return true;
}

// The quote of the inputs read; false, said on standard error, when it could not be written.
bool WriteQuoteFile(const Options& options, const Totals& totals) {
    char szReason[512];
    if (totals.bQuoteFailed) {
        snprintf(szReason, sizeof(szReason), "%s", kRefusedOutOfMemory);
    } else if (totals.quote.Write(options.szQuotePath, options.szTitle, options.rates, szReason, sizeof(szReason))) {
        return true;
    }
    fprintf(stderr, "tallyq-count: %s: the quote could not be saved: %s\n", options.szQuotePath, szReason);
    return false;
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

bool IsOption(const char* szArgument, const char* szName) {
    size_t nName = strlen(szName);
    return strncmp(szArgument, szName, nName) == 0 && (szArgument[nName] == '\0' || szArgument[nName] == '=');
}

// The position of szValue in szChoices, names each ended by a zero ("a\0b\0"); -1 when none.
int ChoiceOf(const char* szValue, const char* szChoices) {
    for (int n = 0; *szChoices != '\0'; ++n, szChoices += strlen(szChoices) + 1) {
        if (strcmp(szValue, szChoices) == 0) return n;
    }
    return -1;
}

// A currency is well-formed UTF-8 of at most kCurrencyMaxChars code points: a code point is a byte
// that is no continuation byte.
const char* CurrencyFault(const char* szCurrency) {
    size_t nBytes = strlen(szCurrency);
    if (!IsUtf8Text(reinterpret_cast<const unsigned char*>(szCurrency), nBytes, false)) return "currency not UTF-8";
    int nChars = 0;
    for (size_t i = 0; i < nBytes; ++i) nChars += (szCurrency[i] & 0xC0) != 0x80;
    return nChars > kCurrencyMaxChars ? "currency of more than 8 characters" : nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    argv = Utf8Arguments(&argc, argv);
    UseSystemCodePages();
#ifdef _WIN32
    // Standard input is read as it is: a CR LF break is two characters, and UTF-16 has bytes of
    // every value.
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    Options options;
    SetDefaultRates(&options.rates, 0);
    Rates& rates = options.rates;
    // The rules' values, in the order of kChoiceOptions.
    int choices[] = {rates.eChars, rates.eLines, rates.eRounding};

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
            FormatInt64(options.nCharsPerLine, rates.szCharsPerLine, sizeof(rates.szCharsPerLine));
            bKnown = true;
        }
        if (IsOption(szArgument, "--encoding")) {
            const char* szValue = OptionValue("--encoding", argc, argv, &i);
            if (szValue == nullptr) return UsageError("missing value", szArgument);
            if (!EncodingOfName(szValue, &options.encoding, &options.nCodePage))
                return UsageError("unknown encoding", szValue);
            bKnown = true;
        }
        if (IsOption(szArgument, "--format")) {
            const char* szValue = OptionValue("--format", argc, argv, &i);
            if (szValue == nullptr) return UsageError("missing value", szArgument);
            if (strcmp(szValue, "text") != 0 && strcmp(szValue, "auto") != 0) return UsageError("unknown format", szValue);
            options.bPlainTextOnly = strcmp(szValue, "text") == 0;
            bKnown = true;
        }
        for (const PriceOption& price : kPriceOptions) {
            if (bKnown || !IsOption(szArgument, price.szName)) continue;
            const char* szValue = OptionValue(price.szName, argc, argv, &i);
            if (szValue == nullptr) return UsageError("missing value", szArgument);
            if (strlen(szValue) >= kRatePriceTextSize) return UsageError("price too long", szValue);
            CopyBounded(rates.*price.pszText, kRatePriceTextSize, szValue);
            bKnown = true;
        }
        for (size_t n = 0; n < sizeof(choices) / sizeof(choices[0]); ++n) {
            const ChoiceOption& choice = kChoiceOptions[n];
            if (bKnown || !IsOption(szArgument, choice.szName)) continue;
            const char* szValue = OptionValue(choice.szName, argc, argv, &i);
            if (szValue == nullptr) return UsageError("missing value", szArgument);
            choices[n] = ChoiceOf(szValue, choice.szChoices);
            if (choices[n] < 0) return UsageError(choice.szUnknown, szValue);
            bKnown = true;
        }
        if (IsOption(szArgument, "--currency")) {
            options.szCurrency = OptionValue("--currency", argc, argv, &i);
            if (options.szCurrency == nullptr) return UsageError("missing value", szArgument);
            if (const char* szFault = CurrencyFault(options.szCurrency)) return UsageError(szFault, options.szCurrency);
            bKnown = true;
        }
        if (IsOption(szArgument, "--quote") || IsOption(szArgument, "--title")) {
            bool bQuote = IsOption(szArgument, "--quote");
            const char* szValue = OptionValue(bQuote ? "--quote" : "--title", argc, argv, &i);
            if (szValue == nullptr) return UsageError("missing value", szArgument);
            if (!IsUtf8Text(reinterpret_cast<const unsigned char*>(szValue), strlen(szValue), false))
                return UsageError("not UTF-8", szValue);
            (bQuote ? options.szQuotePath : options.szTitle) = szValue;
            options.bOneJob = options.bOneJob || bQuote;
            bKnown = true;
        }
        if (IsOption(szArgument, "--side")) {
            const char* szValue = OptionValue("--side", argc, argv, &i);
            if (szValue == nullptr) return UsageError("missing value", szArgument);
            int nSide = ChoiceOf(szValue, "source\0target\0");
            if (nSide < 0) return UsageError("unknown side", szValue);
            options.translation.side = nSide == 0 ? TranslationSide::kSource : TranslationSide::kTarget;
            bKnown = true;
        }
        if (IsOption(szArgument, "--lang")) {
            options.translation.szLanguage = OptionValue("--lang", argc, argv, &i);
            if (options.translation.szLanguage == nullptr) return UsageError("missing value", szArgument);
            bKnown = true;
        }
        if (strcmp(szArgument, "--text") == 0) {
            options.bText = true;
            bKnown = true;
        }
        if (strcmp(szArgument, "--one-job") == 0) {
            options.bOneJob = true;
            bKnown = true;
        }
        if (!bKnown) return UsageError("unknown option", szArgument);
    }
    rates.eChars = static_cast<RateChars>(choices[0]);
    rates.eLines = static_cast<RateLines>(choices[1]);
    rates.eRounding = static_cast<RateRounding>(choices[2]);
    SetQuoteCurrency(&rates, options.szCurrency);

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
    if (options.bText) {
        // Only the texts.
    } else if (options.bOneJob) {
        RatedJob job = PriceRatedCounts(rates, totals.jobCounts);
        WriteRecord("total", job.sums, job.dTotal, job.bMinimumApplied, options);
        if (options.szQuotePath != nullptr && !WriteQuoteFile(options, totals)) nExit = 1;
    } else if (nFiles > 1) {
        WriteRecord("total", totals.sums, totals.dTotal, false, options);
    }
    fflush(stdout);
    return nExit;
}
