#include "measure/text_measure.h"

#include <string.h>

namespace {

const unsigned char kCR = 0x0D;
const unsigned char kLF = 0x0A;

struct WordByteTable {
    bool bWord[256];
    constexpr WordByteTable() : bWord() {
        for (int c = 0; c < 256; ++c) {
            bool bLetterOrDigit = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
            bWord[c] = bLetterOrDigit || c == '\'' || c == '.' || c == ':' || (c >= 0x80 && c <= 0xA5);
        }
    }
};
constexpr WordByteTable kWordBytes;

int SaturateToInt(int64_t n) { return n > INT32_MAX ? INT32_MAX : static_cast<int>(n); }

}  // namespace

bool IsWordByte(unsigned char c) { return kWordBytes.bWord[c]; }

TextMeasurer::TextMeasurer(int32_t nCharsPerLineIn)
    : counts{0, 0, 0}, nCharsPerLine(nCharsPerLineIn), nColumn(0), bInWord(false), bLineStarted(false),
      bEnded(false) {}

size_t TextMeasurer::Feed(const char* pText, size_t nBytes) {
    if (bEnded) return 0;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(pText);
    // Local copies keep the loop in registers.
    int64_t nWords = counts.nWords, nLines = counts.nLines;
    int32_t nCol = nColumn;
    bool bWord = bInWord, bStarted = bLineStarted;
    size_t i = 0;
    for (; i < nBytes; ++i) {
        unsigned char c = p[i];
        if (c == 0) {
            bEnded = true;
            break;
        }
        bool bIsWord = kWordBytes.bWord[c];
        nWords += bIsWord && !bWord;
        bWord = bIsWord;
        // Printable means 0x20..0x7F: read as signed, bytes 0x80..0xFF fall below 0x20 and are ignored.
        if (static_cast<signed char>(c) >= 0x20) {
            if (c != ' ' && !bStarted) {
                ++nLines;
                bStarted = true;
            }
            // The line is cut at the column limit; a limit of 1 or less cuts after every byte.
            if (++nCol >= nCharsPerLine) {
                nCol = 0;
                bStarted = false;
            }
        } else if (c == kCR || c == kLF) {
            nCol = 0;
            bStarted = false;
        }
    }
    counts.nChars += static_cast<int64_t>(i);
    counts.nWords = nWords;
    counts.nLines = nLines;
    nColumn = nCol;
    bInWord = bWord;
    bLineStarted = bStarted;
    return i;
}

int CountChars(const char* szText) { return SaturateToInt(static_cast<int64_t>(strlen(szText))); }

int CountWords(const char* szText) {
    TextMeasurer measurer(1);
    measurer.Feed(szText, strlen(szText));
    return SaturateToInt(measurer.Counts().nWords);
}

int CountLines(const char* szText, int nCharsPerLine) {
    TextMeasurer measurer(nCharsPerLine);
    measurer.Feed(szText, strlen(szText));
    return SaturateToInt(measurer.Counts().nLines);
}

void GetTextSummary(const char* szText, char* szSummary) { GetTextSummary(szText, strlen(szText), szSummary); }

void GetTextSummary(const char* szText, size_t n, char* szSummary) {
    if (n <= kSummaryMaxWhole) {
        memcpy(szSummary, szText, n);
        szSummary[n] = '\0';
        return;
    }
    memcpy(szSummary, szText, kSummaryHead);
    memcpy(szSummary + kSummaryHead, "...", 3);
    memcpy(szSummary + kSummaryHead + 3, szText + n - kSummaryTail, kSummaryTail);
    size_t nSummary = kSummaryHead + 3 + kSummaryTail;
    szSummary[nSummary] = '\0';
    // The shown summary of a long text is one line: breaks, tabs and high bytes become spaces.
    for (size_t i = 0; i < nSummary; ++i) {
        if (static_cast<signed char>(szSummary[i]) < 0x20) szSummary[i] = ' ';
    }
}
