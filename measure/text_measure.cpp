#include "measure/text_measure.h"

#include <string.h>

#include "measure/surrogates.h"

namespace {

// What a text's class bytes and characters give: the words of the bytes and the ideographs.
TextCounts CountsOf(const CharacterState& chars, const MeasureState& state) {
    TextCounts counts = {chars.nChars, state.nWords + chars.nIdeographs, state.nLines, chars.nChars - state.nBreaks,
                         chars.nChars - state.nSpaces + chars.nSpacesJoined};
    return counts;
}

// A UTF-16 text that ends on an odd byte ends with an unfinished unit, which counts as U+FFFD as an
// unfinished sequence does in any encoding.
const char16_t kReplacementUnit = kReplacementCharacter;

}  // namespace

TextMeasurer::TextMeasurer(int32_t nCharsPerLineIn, TextEncoding encodingIn)
    : TextMeasurer(nCharsPerLineIn, encodingIn, ActiveMeasureKernel()) {}

TextMeasurer::TextMeasurer(int32_t nCharsPerLineIn, TextEncoding encodingIn, const MeasureKernel& kernel)
    : state{0, 0, 0, false, false, 0, 0},
      pKernel(&kernel),
      nCharsPerLine(nCharsPerLineIn),
      encoding(encodingIn),
      bOddByte(false),
      nOddByte(0),
      nBuffered(0),
      pSink(nullptr) {
    StartCharacters(&chars, kernel);
}

// Counts the bytes just written after the buffered ones, all but an open last one, which moves to
// the front for the next piece to change if it must.
void TextMeasurer::Count(size_t nWritten) {
    nBuffered += nWritten;
    size_t nClosed = nBuffered - (LastByteOpen(chars) ? 1 : 0);
    pKernel->pfnWordsAndLines(buffer, nClosed, nCharsPerLine, &state);
    if (pSink != nullptr && nClosed > 0) pSink->Keep(buffer, nClosed);
    if (nClosed < nBuffered) buffer[0] = buffer[nClosed];
    nBuffered -= nClosed;
}

size_t TextMeasurer::FeedUtf16(const char16_t* pUnits, size_t nUnits) {
    size_t nTaken = 0;
    while (nTaken < nUnits && !chars.bEnded) {
        size_t nStep = nUnits - nTaken < kStep ? nUnits - nTaken : kStep;
        size_t nWritten;
        nTaken += TranslateUtf16(&chars, pUnits + nTaken, nStep, buffer + nBuffered, &nWritten);
        Count(nWritten);
    }
    return nTaken;
}

size_t TextMeasurer::Feed(const char* pText, size_t nBytes) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(pText);
    size_t nTaken = 0;
    if (encoding == kEncodingUtf16LE || encoding == kEncodingUtf16BE) {
        // Units are put together in a small array; a unit cut between two pieces waits for its second byte.
        char16_t units[kStep];
        int nHigh = encoding == kEncodingUtf16BE ? 0 : 1;
        while (nTaken < nBytes && !chars.bEnded) {
            size_t nUnits = 0;
            size_t nStart = nTaken;
            bool bFirstFromOdd = bOddByte;
            if (bOddByte) {
                unsigned char pair[2] = {nOddByte, p[nTaken++]};
                units[nUnits++] = static_cast<char16_t>(pair[nHigh] << 8 | pair[1 - nHigh]);
                bOddByte = false;
            }
            for (; nUnits < kStep && nTaken + 2 <= nBytes; nTaken += 2)
                units[nUnits++] = static_cast<char16_t>(p[nTaken + nHigh] << 8 | p[nTaken + 1 - nHigh]);
            if (nUnits < kStep && nTaken + 1 == nBytes) {
                bOddByte = true;
                nOddByte = p[nTaken++];
            }
            size_t nText = FeedUtf16(units, nUnits);
            if (chars.bEnded) return nStart + 2 * nText - (bFirstFromOdd && nText > 0 ? 1 : 0);
        }
        return nTaken;
    }
    while (nTaken < nBytes && !chars.bEnded) {
        size_t nStep = nBytes - nTaken < kStep ? nBytes - nTaken : kStep;
        size_t nWritten;
        nTaken += encoding == kEncodingWindows1252
                      ? TranslateWindows1252(&chars, p + nTaken, nStep, buffer + nBuffered, &nWritten)
                      : TranslateUtf8(&chars, p + nTaken, nStep, buffer + nBuffered, &nWritten);
        Count(nWritten);
    }
    return nTaken;
}

TextCounts TextMeasurer::Counts() const {
    CharacterState ending = chars;
    MeasureState counted = state;
    // The open byte, if any, the odd byte's U+FFFD and what ending the text writes.
    unsigned char last[8];
    memcpy(last, buffer, nBuffered);
    size_t nLast = nBuffered;
    size_t nWritten;
    if (bOddByte && !ending.bEnded) {
        TranslateUtf16(&ending, &kReplacementUnit, 1, last + nLast, &nWritten);
        nLast += nWritten;
    }
    FinishCharacters(&ending, last + nLast, &nWritten);
    pKernel->pfnWordsAndLines(last, nLast + nWritten, nCharsPerLine, &counted);
    return CountsOf(ending, counted);
}

TextCounts TextMeasurer::Finish() {
    if (bOddByte) {
        bOddByte = false;
        FeedUtf16(&kReplacementUnit, 1);
    }
    size_t nWritten;
    FinishCharacters(&chars, buffer + nBuffered, &nWritten);
    nBuffered += nWritten;
    pKernel->pfnWordsAndLines(buffer, nBuffered, nCharsPerLine, &state);
    if (pSink != nullptr && nBuffered > 0) pSink->Keep(buffer, nBuffered);
    nBuffered = 0;
    return CountsOf(chars, state);
}

TextCounts MeasureUtf8(const char* pText, size_t nBytes, int32_t nCharsPerLine) {
    TextMeasurer measurer(nCharsPerLine, kEncodingUtf8);
    measurer.Feed(pText, nBytes);
    return measurer.Counts();
}

TextCounts MeasureUtf16(const char16_t* pUnits, size_t nUnits, int32_t nCharsPerLine) {
    TextMeasurer measurer(nCharsPerLine, kEncodingUtf16LE);
    measurer.FeedUtf16(pUnits, nUnits);
    return measurer.Counts();
}

namespace {
// Keeps the class bytes in the caller's buffer, which holds a byte a unit and two more.
class BufferSink : public ClassBytesSink {
public:
    explicit BufferSink(unsigned char* pBytes) : pBytes(pBytes), nBytes(0) {}
    void Keep(const unsigned char* pNew, size_t nNew) override {
        memcpy(pBytes + nBytes, pNew, nNew);
        nBytes += nNew;
    }
    size_t Bytes() const { return nBytes; }

private:
    unsigned char* pBytes;
    size_t nBytes;
};
}  // namespace

TextCounts MeasureUtf16Keeping(const char16_t* pUnits, size_t nUnits, int32_t nCharsPerLine, unsigned char* pBytes,
                               size_t* pnBytes) {
    BufferSink sink(pBytes);
    TextMeasurer measurer(nCharsPerLine, kEncodingUtf16LE);
    measurer.KeepBytesIn(&sink);
    measurer.FeedUtf16(pUnits, nUnits);
    TextCounts counts = measurer.Finish();
    *pnBytes = sink.Bytes();
    return counts;
}

int CountClassByteLines(const unsigned char* pBytes, size_t nBytes, int nCharsPerLine) {
    MeasureState state = {0, 0, 0, false, false, 0, 0};
    ActiveMeasureKernel().pfnLines(pBytes, nBytes, nCharsPerLine, &state);
    return SaturateToInt(state.nLines);
}

int CountChars(const char* szText) { return SaturateToInt(MeasureUtf8(szText, strlen(szText), 80).nChars); }

int CountWords(const char* szText) { return SaturateToInt(MeasureUtf8(szText, strlen(szText), 80).nWords); }

int CountLines(const char* szText, int nCharsPerLine) {
    return SaturateToInt(MeasureUtf8(szText, strlen(szText), nCharsPerLine).nLines);
}

void GetTextSummary(const char16_t* p, size_t n, char16_t* szSummary) {
    if (n <= kSummaryMaxWhole) {
        memcpy(szSummary, p, n * sizeof(char16_t));
        szSummary[n] = 0;
        return;
    }
    // Cut where no character is split; a single character longer than the room is cut between
    // code points rather than left out.
    size_t nHead = CharacterBoundaryAtOrBefore(p, n, kSummaryHead);
    if (nHead == 0) nHead = kSummaryHead - (IsLowSurrogate(p[kSummaryHead]) && IsHighSurrogate(p[kSummaryHead - 1]));
    size_t nTailStart = CharacterBoundaryAtOrAfter(p, n, n - kSummaryTail);
    if (nTailStart == n) {
        nTailStart = n - kSummaryTail;
        if (IsLowSurrogate(p[nTailStart]) && IsHighSurrogate(p[nTailStart - 1])) ++nTailStart;
    }
    size_t nTail = n - nTailStart;
    memcpy(szSummary, p, nHead * sizeof(char16_t));
    szSummary[nHead] = szSummary[nHead + 1] = szSummary[nHead + 2] = u'.';
    memcpy(szSummary + nHead + 3, p + nTailStart, nTail * sizeof(char16_t));
    size_t nSummary = nHead + 3 + nTail;
    szSummary[nSummary] = 0;
    // The shown summary of a long text is one line: breaks, tabs and other controls become spaces.
    for (size_t i = 0; i < nSummary; ++i) {
        char16_t u = szSummary[i];
        if (u < 0x20 || (u >= 0x7F && u <= 0x9F) || u == 0x2028 || u == 0x2029) szSummary[i] = u' ';
    }
}
