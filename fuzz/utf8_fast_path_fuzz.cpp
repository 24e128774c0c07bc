// Any bytes as UTF-8, cut in three anywhere, through the first-plane fast path of every kernel this
// processor runs (widened, or classified by SSSE3 or AVX2): each writes the scalar reference path's
// class bytes (with only fillers that take the word-ness of the byte before them), takes the same
// bytes and leaves the same state, piece by piece.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "fuzz/fuzz_input.h"
#include "measure/measure_kernels.h"
#include "tests/unit/scalar_reference_translation.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    size_t nCut1 = Take<uint16_t>(pData, nSize);
    size_t nCut2 = Take<uint16_t>(pData, nSize);
    nCut1 = nSize ? nCut1 % (nSize + 1) : 0;
    nCut2 = nCut1 + (nSize ? nCut2 % (nSize - nCut1 + 1) : 0);
    // A copy of its own, so that a read past the end is seen by the address checker.
    unsigned char* pText = static_cast<unsigned char*>(malloc(nSize ? nSize : 1));
    memcpy(pText, pData, nSize);
    Translation scalar = Translate(kFormUtf8, pText, nSize, {nCut1, nCut2}, true);
    for (size_t k = 0; k < MeasureKernelCount(); ++k) {
        const MeasureKernel& kernel = MeasureKernelAt(k);
        if (!MeasureKernelRuns(kernel)) continue;
        Translation fast = Translate(kFormUtf8, pText, nSize, {nCut1, nCut2}, false, &kernel);
        Check(TranslationDifference(fast, scalar).empty());
    }
    free(pText);
    return 0;
}
