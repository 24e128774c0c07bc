// language_bench: the whole measure of real text in several languages, from UTF-8 and from UTF-16,
// with each kernel this processor runs, beside a plain read-and-count loop over the same bytes.
//   language_bench [--mb N] [--runs R] [--only LANGUAGE] [--kernel NAME] [--form utf8|utf16] [--tag TAG] TEXTS_DIR
// TEXTS_DIR holds LANGUAGE.txt for french, russian, chinese, arabic, hindi and mixed (written by
// bench/language_texts.py from the message catalogues installed here); each is repeated, cut at a
// line's end, to N MB (default 64) and made into UTF-16 as well. Every text is read in pieces of
// 1 MiB, each copied into a buffer as a read from the page cache copies it: the measure fed piece by
// piece, and the loop that counts the code points (the units for UTF-16) and line feeds of each
// piece. Times are the fastest of R runs (default 5). Each result is also a line that begins with
// TAG (default "result"), for bench/compare_languages.sh to set beside another build's. --form
// measures one form only (the other's time shows as 0), for a profile of it.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "bench/bench_text.h"
#include "bench/bench_clock.h"
#include "measure/measure_kernels.h"
#include "measure/text_measure.h"

namespace {

const size_t kPiece = 1 << 20;
const char* const kLanguages[] = {"french", "russian", "chinese", "arabic", "hindi", "mixed"};

alignas(64) unsigned char pieceBuffer[kPiece];

// Copies the text into the buffer a piece at a time and hands each piece to f.
template <typename F>
void ForEachPiece(const void* pText, size_t nBytes, F f) {
    const unsigned char* p = static_cast<const unsigned char*>(pText);
    for (size_t i = 0; i < nBytes; i += kPiece) {
        size_t n = nBytes - i < kPiece ? nBytes - i : kPiece;
        memcpy(pieceBuffer, p + i, n);
        f(pieceBuffer, n);
    }
}

// The plain loop a program that only counts would run: the bytes that begin a code point (the units
// that are not a low surrogate) and the line feeds.
struct PlainCounts {
    size_t nPoints, nLines;
};

__attribute__((noinline)) PlainCounts CountUtf8Plainly(const void* pText, size_t nBytes) {
    PlainCounts counts = {0, 0};
    ForEachPiece(pText, nBytes, [&](const unsigned char* p, size_t n) {
        size_t nPoints = 0, nLines = 0;
        for (size_t i = 0; i < n; ++i) {
            nPoints += (p[i] & 0xC0) != 0x80;
            nLines += p[i] == '\n';
        }
        counts.nPoints += nPoints;
        counts.nLines += nLines;
    });
    return counts;
}

__attribute__((noinline)) PlainCounts CountUtf16Plainly(const void* pText, size_t nBytes) {
    PlainCounts counts = {0, 0};
    ForEachPiece(pText, nBytes, [&](const unsigned char* p, size_t n) {
        const char16_t* pUnits = reinterpret_cast<const char16_t*>(p);
        size_t nPoints = 0, nLines = 0;
        for (size_t i = 0; i < n / 2; ++i) {
            nPoints += (pUnits[i] & 0xFC00) != 0xDC00;
            nLines += pUnits[i] == u'\n';
        }
        counts.nPoints += nPoints;
        counts.nLines += nLines;
    });
    return counts;
}

TextCounts MeasurePieces(const void* pText, size_t nBytes, TextEncoding encoding, const MeasureKernel& kernel) {
    TextMeasurer measurer(80, encoding, kernel);
    // UTF-16 as units, as the dialog hands the clipboard's text over.
    ForEachPiece(pText, nBytes, [&](const unsigned char* p, size_t n) {
        if (encoding == kEncodingUtf8) {
            measurer.Feed(reinterpret_cast<const char*>(p), n);
        } else {
            measurer.FeedUtf16(reinterpret_cast<const char16_t*>(p), n / 2);
        }
    });
    return measurer.Finish();
}

// What the plain loops counted, kept so that the compiler cannot leave them out.
volatile size_t nPlainSink;

// A first short measure of each form, which makes the tables the measures make at their first use,
// so that no timed or counted measure includes that.
void WarmUp(const std::string& utf8, const std::vector<char16_t>& utf16) {
    TextMeasurer narrow(80, kEncodingUtf8);
    narrow.Feed(utf8.data(), utf8.size() < 4096 ? utf8.size() : 4096);
    narrow.Finish();
    TextMeasurer wide(80, kEncodingUtf16LE);
    wide.FeedUtf16(utf16.data(), utf16.size() < 2048 ? utf16.size() : 2048);
    wide.Finish();
}

template <typename Work>
double FastestMs(int nRuns, Work work) {
    double dBest = 1e30;
    for (int i = 0; i < nRuns; ++i) {
        double dStart = Seconds();
        work();
        double d = Seconds() - dStart;
        if (d < dBest) dBest = d;
    }
    return dBest * 1e3;
}

bool ReadText(const std::string& path, size_t nBytes, std::string* pText) {
    FILE* f = fopen(path.c_str(), "rb");
    if (f == nullptr) return false;
    std::string whole;
    char chunk[65536];
    for (size_t n; (n = fread(chunk, 1, sizeof(chunk), f)) > 0;) whole.append(chunk, n);
    fclose(f);
    if (whole.empty()) return false;
    pText->clear();
    while (pText->size() < nBytes) pText->append(whole);
    size_t nCut = pText->rfind('\n', nBytes);
    pText->resize(nCut == std::string::npos ? nBytes : nCut + 1);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    size_t nMb = 64;
    int nRuns = 5;
    const char* szOnly = nullptr;
    const char* szKernel = nullptr;
    const char* szTag = "result";
    const char* szForm = nullptr;
    const char* szDir = nullptr;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--mb" && i + 1 < argc) {
            nMb = static_cast<size_t>(atoi(argv[++i]));
        } else if (arg == "--runs" && i + 1 < argc) {
            nRuns = atoi(argv[++i]);
        } else if (arg == "--only" && i + 1 < argc) {
            szOnly = argv[++i];
        } else if (arg == "--kernel" && i + 1 < argc) {
            szKernel = argv[++i];
        } else if (arg == "--form" && i + 1 < argc) {
            szForm = argv[++i];
        } else if (arg == "--tag" && i + 1 < argc) {
            szTag = argv[++i];
        } else {
            szDir = argv[i];
        }
    }
    if (szDir == nullptr || nMb == 0 || nRuns < 1) {
        fprintf(stderr, "usage: language_bench [--mb N] [--runs R] [--only LANGUAGE] [--kernel NAME] [--form utf8|utf16] "
                        "[--tag TAG] TEXTS_DIR\n");
        return 2;
    }
    printf("processor: %s; %lu MB of UTF-8 a language, and the same text as UTF-16, read in pieces of 1 MiB; "
           "fastest of %d runs, ms a text\n\n",
           ProcessorName().c_str(), static_cast<unsigned long>(nMb), nRuns);
    printf("%-8s %-12s %9s %9s %9s %9s %7s %7s  %s\n", "text", "kernel", "UTF-8 ms", "loop ms", "UTF-16 ms", "loop ms",
           "8/loop", "8/16", "counts");
    bool bAllAgree = true;
    for (const char* szLanguage : kLanguages) {
        if (szOnly != nullptr && strcmp(szOnly, szLanguage) != 0) continue;
        std::string utf8;
        if (!ReadText(std::string(szDir) + "/" + szLanguage + ".txt", nMb * 1000 * 1000, &utf8)) {
            fprintf(stderr, "language_bench: cannot read %s/%s.txt\n", szDir, szLanguage);
            return 1;
        }
        std::vector<char16_t> utf16(utf8.size());
        utf16.resize(Utf8ToUtf16(utf8.data(), utf8.size(), utf16.data()));
        size_t nUtf16Bytes = utf16.size() * sizeof(char16_t);
        WarmUp(utf8, utf16);
        double dLoop8 = FastestMs(nRuns, [&] { nPlainSink = CountUtf8Plainly(utf8.data(), utf8.size()).nPoints; });
        double dLoop16 = FastestMs(nRuns, [&] { nPlainSink = CountUtf16Plainly(utf16.data(), nUtf16Bytes).nPoints; });
        // With one kernel named, its two forms are held to each other (the plain kernel takes long).
        TextCounts expected = szKernel != nullptr ? TextCounts{}
                                                  : MeasurePieces(utf8.data(), utf8.size(), kEncodingUtf8, kScalarMeasureKernel);
        for (size_t k = 0; k < MeasureKernelCount(); ++k) {
            const MeasureKernel& kernel = MeasureKernelAt(k);
            if (!MeasureKernelRuns(kernel) || (szKernel != nullptr && strcmp(szKernel, kernel.szName) != 0)) continue;
            TextCounts counts8 = {}, counts16 = {};
            bool bUtf8 = szForm == nullptr || strcmp(szForm, "utf8") == 0;
            bool bUtf16 = szForm == nullptr || strcmp(szForm, "utf16") == 0;
            double d8 = !bUtf8 ? 0 : FastestMs(nRuns, [&] {
                counts8 = MeasurePieces(utf8.data(), utf8.size(), kEncodingUtf8, kernel);
            });
            double d16 = !bUtf16 ? 0 : FastestMs(nRuns, [&] {
                counts16 = MeasurePieces(utf16.data(), nUtf16Bytes, kEncodingUtf16LE, kernel);
            });
            if (!bUtf8) counts8 = counts16;
            if (!bUtf16) counts16 = counts8;
            if (szKernel != nullptr) expected = counts8;
            bool bAgree = true;
            for (const TextCounts& c : {counts8, counts16}) {
                bAgree = bAgree && c.nChars == expected.nChars && c.nWords == expected.nWords &&
                         c.nLines == expected.nLines && c.nCharsNoBreaks == expected.nCharsNoBreaks &&
                         c.nCharsNoSpaces == expected.nCharsNoSpaces;
            }
            bAllAgree = bAllAgree && bAgree;
            printf("%-8s %-12s %9.1f %9.1f %9.1f %9.1f %6.0f%% %6.0f%%  %s\n", szLanguage, kernel.szName, d8, dLoop8, d16,
                   dLoop16, 100 * dLoop8 / d8, 100 * d16 / d8, bAgree ? "agree" : "DISAGREE");
            printf("%s %s %s %.2f %.2f %.2f %.2f %lu %lu\n", szTag, szLanguage, kernel.szName, d8, dLoop8, d16, dLoop16,
                   static_cast<unsigned long>(utf8.size()), static_cast<unsigned long>(nUtf16Bytes));
            fflush(stdout);
        }
    }
    printf("\n8/loop: the plain loop's time over the measure's, from UTF-8 (the aim: 50%% or more); 8/16: the\n"
           "measure's time from UTF-16 over its time from UTF-8 (the aim: 100%% or more). Counts: each kernel's\n"
           "from both forms against the plain kernel's from UTF-8.\n");
    return bAllAgree ? 0 : 1;
}
