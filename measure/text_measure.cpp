#include "measure/text_measure.h"

#include <string.h>

namespace {

int SaturateToInt(int64_t n) { return n > INT32_MAX ? INT32_MAX : static_cast<int>(n); }

const unsigned char* Bytes(const char* pText) { return reinterpret_cast<const unsigned char*>(pText); }

}  // namespace

TextMeasurer::TextMeasurer(int32_t nCharsPerLineIn) : TextMeasurer(nCharsPerLineIn, ActiveMeasureKernel()) {}

TextMeasurer::TextMeasurer(int32_t nCharsPerLineIn, const MeasureKernel& kernel)
    : counts{0, 0, 0}, state{0, 0, 0, false, false}, pKernel(&kernel), nCharsPerLine(nCharsPerLineIn), bEnded(false) {}

size_t TextMeasurer::Feed(const char* pText, size_t nBytes) {
    if (bEnded) return 0;
    size_t nText = pKernel->pfnWordsAndLines(Bytes(pText), nBytes, nCharsPerLine, &state);
    bEnded = nText < nBytes;
    counts.nChars += static_cast<int64_t>(nText);
    counts.nWords = state.nWords;
    counts.nLines = state.nLines;
    return nText;
}

int CountChars(const char* szText) { return SaturateToInt(static_cast<int64_t>(strlen(szText))); }

int CountWords(const char* szText) { return CountWords(szText, strlen(szText)); }

int CountLines(const char* szText, int nCharsPerLine) { return CountLines(szText, strlen(szText), nCharsPerLine); }

int CountWords(const char* pText, size_t nLength) {
    MeasureState state = {0, 0, 0, false, false};
    ActiveMeasureKernel().pfnWords(Bytes(pText), nLength, &state);
    return SaturateToInt(state.nWords);
}

int CountLines(const char* pText, size_t nLength, int nCharsPerLine) {
    MeasureState state = {0, 0, 0, false, false};
    ActiveMeasureKernel().pfnLines(Bytes(pText), nLength, nCharsPerLine, &state);
    return SaturateToInt(state.nLines);
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
