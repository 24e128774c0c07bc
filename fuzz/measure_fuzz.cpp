// Any bytes, any characters-per-line value and any cut into three pieces: every kernel this
// processor runs stops where the plain loop stops and leaves the same counts and state, through
// each of its three entry points. The same bytes read as UTF-8, UTF-16 (both orders) and
// Windows-1252 give the same counts whole and in pieces, with every kernel; as UTF-16 units they
// also give the same counts kept for a recount, and a summary that fits its buffer.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <initializer_list>

#include "fuzz/fuzz_input.h"
#include "measure/measure_kernels.h"
#include "measure/text_measure.h"

namespace {

enum Entry { kWords, kLines, kBoth };

struct Run {
    MeasureState state;
    size_t nText;
};

// Feeds the pieces [0, nCut1), [nCut1, nCut2), [nCut2, nSize) as TextMeasurer does: nothing after
// the piece in which the text ended.
Run Measure(const MeasureKernel& kernel, Entry entry, const uint8_t* p, size_t nSize, size_t nCut1, size_t nCut2,
            int32_t nCharsPerLine) {
    Run run = {{0, 0, 0, false, false, 0, 0}, 0};
    size_t cuts[] = {0, nCut1, nCut2, nSize};
    for (int i = 0; i < 3; ++i) {
        size_t nPiece = cuts[i + 1] - cuts[i];
        size_t nText = entry == kWords   ? kernel.pfnWords(p + cuts[i], nPiece, &run.state)
                       : entry == kLines ? kernel.pfnLines(p + cuts[i], nPiece, nCharsPerLine, &run.state)
                                         : kernel.pfnWordsAndLines(p + cuts[i], nPiece, nCharsPerLine, &run.state);
        run.nText += nText;
        if (nText < nPiece) break;
    }
    return run;
}

void CheckSame(const Run& expected, const Run& actual, Entry entry) {
    Check(expected.nText == actual.nText);
    if (entry != kLines) {
        Check(expected.state.nWords == actual.state.nWords);
        Check(expected.state.bInWord == actual.state.bInWord);
    }
    if (entry != kWords) {
        Check(expected.state.nLines == actual.state.nLines);
        Check(expected.state.nBreaks == actual.state.nBreaks && expected.state.nSpaces == actual.state.nSpaces);
        Check(expected.state.nColumn == actual.state.nColumn);
        Check(expected.state.bLineStarted == actual.state.bLineStarted);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    // Characters per line: mostly -3..252, sometimes a limit too large to ever cut.
    uint8_t nLimit = Take<uint8_t>(pData, nSize);
    int32_t nCharsPerLine = nLimit == 0xFF ? INT32_MAX : static_cast<int32_t>(nLimit) - 3;
    size_t nCut1 = Take<uint16_t>(pData, nSize);
    size_t nCut2 = Take<uint16_t>(pData, nSize);
    nCut1 = nSize ? nCut1 % (nSize + 1) : 0;
    nCut2 = nCut1 + (nSize ? nCut2 % (nSize - nCut1 + 1) : 0);

    // A copy of its own, so that a read past the end is seen by the address checker.
    uint8_t* pText = static_cast<uint8_t*>(malloc(nSize ? nSize : 1));
    memcpy(pText, pData, nSize);
    for (Entry entry : {kWords, kLines, kBoth}) {
        Run expected = Measure(kScalarMeasureKernel, entry, pText, nSize, nSize, nSize, nCharsPerLine);
        for (size_t i = 0; i < MeasureKernelCount(); ++i) {
            const MeasureKernel& kernel = MeasureKernelAt(i);
            if (!MeasureKernelRuns(kernel)) continue;
            CheckSame(expected, Measure(kernel, entry, pText, nSize, nCut1, nCut2, nCharsPerLine), entry);
        }
    }

    const char* pChars = reinterpret_cast<const char*>(pText);
    for (TextEncoding encoding : {kEncodingUtf8, kEncodingUtf16LE, kEncodingUtf16BE, kEncodingWindows1252}) {
        TextMeasurer whole(nCharsPerLine, encoding, kScalarMeasureKernel);
        whole.Feed(pChars, nSize);
        TextCounts expected = whole.Counts();
        Check(expected.nChars >= 0 && expected.nWords >= 0 && expected.nLines >= 0);
        Check(expected.nChars <= static_cast<int64_t>(nSize));
        for (size_t i = 0; i < MeasureKernelCount(); ++i) {
            const MeasureKernel& kernel = MeasureKernelAt(i);
            if (!MeasureKernelRuns(kernel)) continue;
            TextMeasurer measurer(nCharsPerLine, encoding, kernel);
            measurer.Feed(pChars, nCut1);
            measurer.Feed(pChars + nCut1, nCut2 - nCut1);
            measurer.Feed(pChars + nCut2, nSize - nCut2);
            TextCounts counts = measurer.Counts();
            Check(counts.nChars == expected.nChars && counts.nWords == expected.nWords &&
                  counts.nLines == expected.nLines && counts.nCharsNoBreaks == expected.nCharsNoBreaks &&
                  counts.nCharsNoSpaces == expected.nCharsNoSpaces);
            Check(measurer.Ended() == whole.Ended());
        }
    }

    // The bytes as UTF-16 units in the machine's order, as the dialog reads the clipboard.
    size_t nUnits = nSize / 2;
    char16_t* pUnits = static_cast<char16_t*>(malloc((nUnits ? nUnits : 1) * sizeof(char16_t)));
    memcpy(pUnits, pText, nUnits * sizeof(char16_t));
    size_t nText = 0;
    while (nText < nUnits && pUnits[nText] != 0) ++nText;
    TextCounts units = MeasureUtf16(pUnits, nUnits, nCharsPerLine);
    unsigned char* pKept = static_cast<unsigned char*>(malloc(nUnits + 2));
    size_t nKept;
    TextCounts kept = MeasureUtf16Keeping(pUnits, nUnits, nCharsPerLine, pKept, &nKept);
    Check(kept.nChars == units.nChars && kept.nWords == units.nWords && kept.nLines == units.nLines);
    Check(kept.nCharsNoBreaks == units.nCharsNoBreaks && kept.nCharsNoSpaces == units.nCharsNoSpaces);
    Check(units.nCharsNoSpaces <= units.nCharsNoBreaks && units.nCharsNoBreaks <= units.nChars);
    Check(nKept <= nUnits + 2 && CountClassByteLines(pKept, nKept, nCharsPerLine) == units.nLines);
    char16_t szSummary[kSummaryBufferSize];
    GetTextSummary(pUnits, nText, szSummary);
    size_t nSummary = 0;
    while (szSummary[nSummary] != 0) ++nSummary;
    Check(nSummary <= kSummaryHead + 3 + kSummaryTail || nSummary == nText);
    free(pKept);
    free(pUnits);
    free(pText);
    return 0;
}
