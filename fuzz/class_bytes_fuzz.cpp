// Any bytes as UTF-8, UTF-16 or Windows-1252, cut in two anywhere: the fast paths write the scalar reference
// path's class bytes (with only fillers that take the word-ness of the byte before them), take
// the same units and leave the same state, and neither writes a byte outside the alphabet.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "fuzz/fuzz_input.h"
#include "tests/unit/scalar_reference_translation.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    TextForm form = static_cast<TextForm>(Take<uint8_t>(pData, nSize) % 3);
    size_t nCut = Take<uint16_t>(pData, nSize);
    // A copy of its own, so that a read past the end is seen by the address checker.
    size_t nUnitSize = form == kFormUtf16 ? sizeof(char16_t) : 1;
    size_t nUnits = nSize / nUnitSize;
    void* pText = malloc(nUnits ? nUnits * nUnitSize : 1);
    memcpy(pText, pData, nUnits * nUnitSize);
    nCut = nUnits ? nCut % (nUnits + 1) : 0;

    Translation scalar = Translate(form, pText, nUnits, {nCut}, true);
    Translation fast = Translate(form, pText, nUnits, {nCut}, false);
    Translation fastWhole = Translate(form, pText, nUnits, {}, false);
    Check(TranslationDifference(fast, scalar).empty());
    Check(BytesDifference(fastWhole.bytes.back(), scalar.bytes.back()).empty());
    Check(StateDifference(fastWhole.states.back(), scalar.states.back()).empty());
    for (const std::string& bytes : {fast.bytes.back(), fastWhole.bytes.back(), scalar.bytes.back()}) {
        for (char c : bytes) Check(c != 0 && (static_cast<unsigned char>(c) < 0x80 || c == '\x80' || c == '\xFF'));
    }
    free(pText);
    return 0;
}
