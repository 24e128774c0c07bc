#include "documents/plain_text_utf8.h"

#include <string.h>

#include "measure/surrogates.h"
#include "measure/utf8_sequence.h"

PlainTextUtf8::PlainTextUtf8(TextSink* pSink, TextFileEncoding encoding, const CodePageTable* pTable)
    : pSink(pSink),
      encoding(encoding),
      pTable(pTable != nullptr ? pTable : FindCodePage(1252)),
      bEnded(false),
      nHeld(0),
      cbOut(0) {}

size_t PlainTextUtf8::Decode(const unsigned char* p, size_t n, bool bLast, uint32_t* pnCodePoint) const {
    switch (encoding) {
    case kTextUtf8: {
        bool bWellFormed;
        size_t cb = ReadUtf8Sequence(p, n, pnCodePoint, &bWellFormed);
        // A sequence cut by the end of the piece may be whole with the next one.
        return !bWellFormed && !bLast && cb == n && BeginsUtf8Sequence(p[0]) ? 0 : cb;
    }
    case kTextUtf16LE:
    case kTextUtf16BE: {
        bool bLittle = encoding == kTextUtf16LE;
        *pnCodePoint = 0xFFFD;
        if (n < 2) return bLast ? n : 0;
        uint32_t nUnit = bLittle ? p[0] | p[1] << 8 : p[0] << 8 | p[1];
        if (!IsSurrogate(nUnit)) {
            *pnCodePoint = nUnit;
            return 2;
        }
        if (!IsHighSurrogate(nUnit)) return 2;
        if (n < 4) return bLast ? 2 : 0;
        uint32_t nLow = bLittle ? p[2] | p[3] << 8 : p[2] << 8 | p[3];
        if (!IsLowSurrogate(nLow)) return 2;  // the next unit is read on its own
        *pnCodePoint = CombineSurrogates(nUnit, nLow);
        return 4;
    }
    case kTextUtf32LE:
    case kTextUtf32BE: {
        *pnCodePoint = 0xFFFD;
        if (n < 4) return bLast ? n : 0;
        uint32_t nUnit = encoding == kTextUtf32BE
                             ? uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]
                             : uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
        if (nUnit <= 0x10FFFF && !IsSurrogate(nUnit)) *pnCodePoint = nUnit;
        return 4;
    }
    default:
        *pnCodePoint = pTable != nullptr ? CodePageCodePoint(*pTable, p[0]) : p[0];
        return 1;
    }
}

void PlainTextUtf8::Emit(uint32_t nCodePoint) {
    if (nCodePoint == 0) {
        bEnded = true;
        return;
    }
    if (cbOut > sizeof(out) - 4) Flush();
    cbOut += EncodeUtf8(nCodePoint, out + cbOut);
}

void PlainTextUtf8::Flush() {
    if (cbOut > 0) pSink->Put(out, cbOut);
    cbOut = 0;
}

void PlainTextUtf8::DecodeHeld(bool bLast) {
    while (nHeld > 0 && !bEnded) {
        uint32_t nCodePoint;
        size_t cb = Decode(held, nHeld, bLast, &nCodePoint);
        if (cb == 0) return;
        Emit(nCodePoint);
        nHeld -= cb;
        memmove(held, held + cb, nHeld);
    }
}

void PlainTextUtf8::Feed(const char* pBytes, size_t nBytes) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(pBytes);
    size_t i = 0;
    // A unit the last piece cut takes its bytes from this one first.
    while (nHeld > 0 && i < nBytes && !bEnded) {
        held[nHeld++] = p[i++];
        DecodeHeld(false);
    }
    while (i < nBytes && !bEnded) {
        uint32_t nCodePoint;
        size_t cb = Decode(p + i, nBytes - i, false, &nCodePoint);
        if (cb == 0) {
            nHeld = nBytes - i;
            memcpy(held, p + i, nHeld);
            break;
        }
        Emit(nCodePoint);
        i += cb;
    }
    Flush();
}

void PlainTextUtf8::Finish() {
    DecodeHeld(true);
    nHeld = 0;
    Flush();
}
