#include "measure/utf8_sequence.h"

#include "measure/surrogates.h"

size_t EncodeUtf8(uint32_t nCodePoint, char* pOut) {
    if (nCodePoint == 0 || IsSurrogate(nCodePoint) || nCodePoint > 0x10FFFF) nCodePoint = 0xFFFD;
    if (nCodePoint < 0x80) {
        pOut[0] = static_cast<char>(nCodePoint);
        return 1;
    }
    if (nCodePoint < 0x800) {
        pOut[0] = static_cast<char>(0xC0 | (nCodePoint >> 6));
        pOut[1] = static_cast<char>(0x80 | (nCodePoint & 0x3F));
        return 2;
    }
    if (nCodePoint < 0x10000) {
        pOut[0] = static_cast<char>(0xE0 | (nCodePoint >> 12));
        pOut[1] = static_cast<char>(0x80 | ((nCodePoint >> 6) & 0x3F));
        pOut[2] = static_cast<char>(0x80 | (nCodePoint & 0x3F));
        return 3;
    }
    pOut[0] = static_cast<char>(0xF0 | (nCodePoint >> 18));
    pOut[1] = static_cast<char>(0x80 | ((nCodePoint >> 12) & 0x3F));
    pOut[2] = static_cast<char>(0x80 | ((nCodePoint >> 6) & 0x3F));
    pOut[3] = static_cast<char>(0x80 | (nCodePoint & 0x3F));
    return 4;
}
