// Any bytes, any characters-per-line value and any cut into three pieces: every kernel this
// processor runs stops where the plain loop stops and leaves the same counts and state, through
// each of its three entry points and through TextMeasurer.
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
    Run run = {{0, 0, 0, false, false}, 0};
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
            if (entry != kBoth) continue;
            TextMeasurer measurer(nCharsPerLine, kernel);
            const char* pChars = reinterpret_cast<const char*>(pText);
            measurer.Feed(pChars, nCut1);
            measurer.Feed(pChars + nCut1, nCut2 - nCut1);
            measurer.Feed(pChars + nCut2, nSize - nCut2);
            Check(measurer.Counts().nChars == static_cast<int64_t>(expected.nText));
            Check(measurer.Counts().nWords == expected.state.nWords);
            Check(measurer.Counts().nLines == expected.state.nLines);
            Check(measurer.Ended() == (expected.nText < nSize));
        }
    }
    free(pText);
    return 0;
}
