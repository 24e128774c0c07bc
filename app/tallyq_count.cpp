// tallyq-count: prices files (or standard input) from the command line, with the dialog's rules.
//   tallyq-count [--cpl N] [--encoding E] [--fixed X] [--per-char X] [--per-word X] [--per-line X] [FILE...]
#include <errno.h>
#include <stdio.h>
#include <string.h>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>

#include "app/ansi_text.h"
#endif

#include "measure/money.h"
#include "measure/text_measure.h"

namespace {

// What an input that is neither marked nor UTF-8 is read as: the code page the system's own
// programs read it in.
#ifdef _WIN32
#define TQ_FALLBACK_ENCODING "the system's ANSI code page"
#else
#define TQ_FALLBACK_ENCODING "Windows-1252"
#endif

const char kUsage[] =
    "usage: tallyq-count [--cpl N] [--encoding E] [--fixed X] [--per-char X] [--per-word X] [--per-line X] "
    "[FILE...]\n"
    "Measures and prices each FILE (standard input when there is none, or for -) up to its first zero character.\n"
    "Prints: name, characters, words, lines, characters cost, words cost, lines cost, total (tab-separated),\n"
    "and with more than one input a last line 'total' with the sums.\n"
    "  --cpl N        characters per line, an integer (default 80)\n"
    "  --encoding E   read every input as E: utf-8, utf-16le, utf-16be, windows-1252 or ansi (the system's\n"
    "                 ANSI code page; Windows-1252 on other systems). A byte-order mark of E is skipped, one\n"
    "                 of another encoding is text.\n"
    "  --fixed X      fixed cost per job (default 0.00)\n"
    "  --per-char X   cost per character (default 0.00)\n"
    "  --per-word X   cost per word (default 0.02)\n"
    "  --per-line X   cost per line (default 0.00)\n"
    "Encodings: without --encoding, a byte-order mark (UTF-8, UTF-16LE or UTF-16BE) says the encoding and is\n"
    "not counted; otherwise an input whose first 64 KB are UTF-8 is read as UTF-8, and any other as\n"
    TQ_FALLBACK_ENCODING ". In UTF-8 each malformed part of a sequence counts as one character (U+FFFD).\n"
    "Characters are as a reader sees them (a CR LF line break is two); words are runs of letters and numbers\n"
    "of any script, each Chinese or Japanese character a word of its own.\n"
    "Prices are read as the dialog reads its fields: '1,50' is 1 and '$1' is 0.\n"
    "Exit status: 0 when every input was read, 1 when one could not be, 2 for a bad option.\n";

// How the bytes of an input are read. The fallback for text that is not UTF-8 is the ANSI code
// page; off Windows that is Windows-1252.
enum InputEncoding { kReadDetected, kReadUtf8, kReadUtf16LE, kReadUtf16BE, kReadWindows1252, kReadAnsi };

struct EncodingName {
    const char* szName;
    InputEncoding encoding;
};
const EncodingName kEncodingNames[] = {{"utf-8", kReadUtf8},
                                       {"utf-16le", kReadUtf16LE},
                                       {"utf-16be", kReadUtf16BE},
                                       {"windows-1252", kReadWindows1252},
                                       {"ansi", kReadAnsi}};

struct ByteOrderMark {
    InputEncoding encoding;
    const char* szBytes;
    size_t nBytes;
};
const ByteOrderMark kByteOrderMarks[] = {
    {kReadUtf8, "\xEF\xBB\xBF", 3}, {kReadUtf16LE, "\xFF\xFE", 2}, {kReadUtf16BE, "\xFE\xFF", 2}};

// The encoding is decided on this much of an input: enough to tell, and a pipe need not end before
// its measuring starts.
enum { kDecidingBytes = 1 << 16 };

// Large enough that a read costs little beside its bytes, small enough to stay in the cache.
enum { kReadChunk = 1 << 18 };
char readBuffer[kReadChunk];

struct Options {
    int nCharsPerLine = 80;
    InputEncoding encoding = kReadDetected;
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

// Whether the bytes, up to a zero byte (which ends the text), are UTF-8: every sequence well
// formed, with no overlong form, surrogate or code point past U+10FFFF. A sequence cut at the end of
// the bytes is taken as well formed when bCut says that its rest comes after them.
bool IsUtf8(const unsigned char* pBytes, size_t nBytes, bool bCut) {
    size_t i = 0;
    while (i < nBytes) {
        unsigned char c = pBytes[i];
        if (c < 0x80) {
            if (c == 0) break;
            ++i;
            continue;
        }
        size_t nFollowing;
        unsigned char nLower = 0x80, nUpper = 0xBF;
        if (c >= 0xC2 && c <= 0xDF) {
            nFollowing = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            nFollowing = 2;
            if (c == 0xE0) nLower = 0xA0;  // shorter forms are overlong
            if (c == 0xED) nUpper = 0x9F;  // surrogates
        } else if (c >= 0xF0 && c <= 0xF4) {
            nFollowing = 3;
            if (c == 0xF0) nLower = 0x90;  // overlong
            if (c == 0xF4) nUpper = 0x8F;  // past U+10FFFF
        } else {
            return false;
        }
        for (size_t k = 1; k <= nFollowing; ++k) {
            if (i + k == nBytes) return bCut;
            unsigned char nNext = pBytes[i + k];
            if (nNext < nLower || nNext > nUpper) return false;
            nLower = 0x80;
            nUpper = 0xBF;
        }
        i += nFollowing + 1;
    }
    return true;
}

// How an input is read, from its first bytes (all of them when it is shorter than those); sets
// *pnMark to the length of the byte-order mark to skip. A forced encoding skips its own mark only:
// a mark of another encoding is text, read as the user asked.
InputEncoding DecideEncoding(const char* pFirst, size_t nFirst, InputEncoding forced, size_t* pnMark) {
    *pnMark = 0;
    for (const ByteOrderMark& mark : kByteOrderMarks) {
        if (forced != kReadDetected && forced != mark.encoding) continue;
        if (nFirst >= mark.nBytes && memcmp(pFirst, mark.szBytes, mark.nBytes) == 0) {
            *pnMark = mark.nBytes;
            return mark.encoding;
        }
    }
    if (forced != kReadDetected) return forced;
    // Plain ASCII is UTF-8 too, and reads the same in any code page.
    bool bCut = nFirst > kDecidingBytes;
    const unsigned char* pBytes = reinterpret_cast<const unsigned char*>(pFirst);
    size_t nDeciding = bCut ? static_cast<size_t>(kDecidingBytes) : nFirst;
    return IsUtf8(pBytes, nDeciding, bCut) ? kReadUtf8 : kReadAnsi;
}

TextEncoding MeasurerEncoding(InputEncoding encoding) {
    switch (encoding) {
    case kReadUtf16LE:
        return kEncodingUtf16LE;
    case kReadUtf16BE:
        return kEncodingUtf16BE;
    case kReadWindows1252:
        return kEncodingWindows1252;
    case kReadAnsi:
#ifdef _WIN32
        // Fed as UTF-16 units unless the code page is UTF-8 itself.
        return kEncodingUtf8;
#else
        return kEncodingWindows1252;
#endif
    default:
        return kEncodingUtf8;
    }
}

// Feeds the piece already read and then the rest of the input, until the input or the text ends.
// Each piece is fed from where it was read: no copy.
template <typename FeedPiece>
void FeedInput(FILE* pFile, const char* pPiece, size_t nPiece, const TextMeasurer& measurer, FeedPiece feed) {
    while (nPiece > 0 && !measurer.Ended()) {
        feed(pPiece, nPiece);
        nPiece = fread(readBuffer, 1, sizeof(readBuffer), pFile);
        pPiece = readBuffer;
    }
}

// Streams one input through the measurer; answers false (with errno set) when it cannot be read.
// The first read fills the buffer (a pipe is read until it does, or ends), so the encoding is
// decided on the input's first bytes however the writer cut them.
bool MeasureStream(FILE* pFile, const Options& options, TextCounts* pCounts) {
    static_assert(sizeof(readBuffer) >= kDecidingBytes + 1, "the first read holds what decides the encoding");
    size_t nRead = fread(readBuffer, 1, sizeof(readBuffer), pFile);
    size_t nMark;
    InputEncoding encoding = DecideEncoding(readBuffer, nRead, options.encoding, &nMark);
    TextMeasurer measurer(options.nCharsPerLine, MeasurerEncoding(encoding));
#ifdef _WIN32
    if (encoding == kReadAnsi && !AnsiCodePageIsUtf8()) {
        AnsiTextFeeder ansi;
        FeedInput(pFile, readBuffer + nMark, nRead - nMark, measurer,
                  [&](const char* pPiece, size_t nPiece) { ansi.Feed(&measurer, pPiece, nPiece); });
        ansi.Finish(&measurer);
    } else
#endif
    {
        FeedInput(pFile, readBuffer + nMark, nRead - nMark, measurer,
                  [&](const char* pPiece, size_t nPiece) { measurer.Feed(pPiece, nPiece); });
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
    bool bRead = pFile != nullptr && MeasureStream(pFile, options, &counts);
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

// Encoding names are told apart without regard to letter case: "UTF-8" is "utf-8".
bool EncodingOfName(const char* szName, InputEncoding* pEncoding) {
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
