// The plain byte loop: the counting rules as they are stated, one byte at a time. It is the
// fallback on processors without vector kernels and the reference the others are tested against.
#include "measure/measure_kernels.h"
#include "measure/text_measure.h"
#include "measure/utf8_fast_path.h"

namespace {

const unsigned char kCR = 0x0D;
const unsigned char kLF = 0x0A;

template <bool kWords, bool kLines>
size_t MeasureBytes(const unsigned char* p, size_t nBytes, int32_t nCharsPerLine, MeasureState* pState) {
    // Local copies keep the loop in registers.
    int64_t nWords = pState->nWords, nLines = pState->nLines;
    int64_t nBreaks = pState->nBreaks, nSpaces = pState->nSpaces;
    int32_t nCol = pState->nColumn;
    bool bWord = pState->bInWord, bStarted = pState->bLineStarted;
    size_t i = 0;
    for (; i < nBytes; ++i) {
        unsigned char c = p[i];
        if (c == 0) break;
        if (kWords) {
            bool bIsWord = kWordBytes.bWord[c];
            nWords += bIsWord && !bWord;
            bWord = bIsWord;
        }
        if (!kLines) continue;
        if (kWords) {
            nBreaks += c == kCR || c == kLF;
            nSpaces += IsWhiteSpaceByte(c);
        }
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
    if (kWords && kLines) {
        pState->nBreaks = nBreaks;
        pState->nSpaces = nSpaces;
    }
    if (kWords) {
        pState->nWords = nWords;
        pState->bInWord = bWord;
    }
    if (kLines) {
        pState->nLines = nLines;
        pState->nColumn = nCol;
        pState->bLineStarted = bStarted;
    }
    return i;
}

size_t ScalarWords(const unsigned char* p, size_t nBytes, MeasureState* pState) {
    return MeasureBytes<true, false>(p, nBytes, 1, pState);
}

}  // namespace

const MeasureKernel kScalarMeasureKernel = {"scalar", ScalarWords, MeasureBytes<false, true>, MeasureBytes<true, true>,
                                            RunFastUtf8};
