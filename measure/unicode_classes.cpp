#include "measure/unicode_classes.h"

namespace {
#include "unicode_tables.inc"
}  // namespace

uint8_t CodePointClasses(uint32_t nCodePoint) {
    if (nCodePoint > kLastCodePoint) nCodePoint = kReplacementCharacter;
    const uint32_t nMiddleMask = (1u << kMiddleShift) - 1, nLeafMask = (1u << kLeafShift) - 1;
    uint32_t nMiddle = static_cast<uint32_t>(kTopLevel[nCodePoint >> (kLeafShift + kMiddleShift)]) << kMiddleShift;
    uint32_t nLeaf = static_cast<uint32_t>(kMiddleLevel[nMiddle + ((nCodePoint >> kLeafShift) & nMiddleMask)])
                     << kLeafShift;
    return kLeafLevel[nLeaf + (nCodePoint & nLeafMask)];
}

uint32_t Windows1252CodePoint(unsigned char c) { return c < 0x80 ? c : kWindows1252High[c - 0x80]; }
