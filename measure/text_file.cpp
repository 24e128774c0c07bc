#include "measure/text_file.h"

#include <string.h>

#include "measure/utf8_sequence.h"

namespace {

struct ByteOrderMark {
    TextFileEncoding encoding;
    const char* szBytes;
    size_t nBytes;
};
// UTF-32LE before UTF-16LE: its mark begins with UTF-16LE's.
const ByteOrderMark kByteOrderMarks[] = {{kTextUtf8, "\xEF\xBB\xBF", 3},
                                         {kTextUtf32LE, "\xFF\xFE\0\0", 4},
                                         {kTextUtf32BE, "\0\0\xFE\xFF", 4},
                                         {kTextUtf16LE, "\xFF\xFE", 2},
                                         {kTextUtf16BE, "\xFE\xFF", 2}};

const char16_t kReplacement = 0xFFFD;

}  // namespace

bool IsUtf8Text(const unsigned char* pBytes, size_t nBytes, bool bCut) {
    size_t i = 0;
    while (i < nBytes) {
        if (pBytes[i] < 0x80) {
            if (pBytes[i] == 0) break;
            ++i;
            continue;
        }
        uint32_t nCodePoint;
        bool bWellFormed;
        size_t nLength = ReadUtf8Sequence(pBytes + i, nBytes - i, &nCodePoint, &bWellFormed);
        // A sequence cut by the end of what was looked at may be whole in the file.
        if (!bWellFormed) return bCut && i + nLength == nBytes && BeginsUtf8Sequence(pBytes[i]);
        i += nLength;
    }
    return true;
}

TextFileEncoding ByteOrderMarkOf(const void* pFirst, size_t nFirst, bool bUtf32, size_t* pnMark) {
    *pnMark = 0;
    for (const ByteOrderMark& mark : kByteOrderMarks) {
        if (!bUtf32 && (mark.encoding == kTextUtf32LE || mark.encoding == kTextUtf32BE)) continue;
        if (nFirst >= mark.nBytes && memcmp(pFirst, mark.szBytes, mark.nBytes) == 0) {
            *pnMark = mark.nBytes;
            return mark.encoding;
        }
    }
    return kTextDetected;
}

TextFileEncoding DecideTextFileEncoding(const char* pFirst, size_t nFirst, TextFileEncoding forced, size_t* pnMark) {
    // A forced encoding takes only its own mark: UTF-16LE's then, not UTF-32LE's longer one.
    size_t nMark;
    TextFileEncoding marked = ByteOrderMarkOf(pFirst, nFirst, forced == kTextDetected || forced == kTextUtf32LE ||
                                                                  forced == kTextUtf32BE, &nMark);
    *pnMark = 0;
    if (marked != kTextDetected && (forced == kTextDetected || forced == marked)) {
        *pnMark = nMark;
        return marked;
    }
    if (forced != kTextDetected) return forced;
    // Plain ASCII is UTF-8 too, and reads the same in any code page.
    bool bCut = nFirst > kTextDecidingBytes;
    size_t nDeciding = bCut ? static_cast<size_t>(kTextDecidingBytes) : nFirst;
    return IsUtf8Text(reinterpret_cast<const unsigned char*>(pFirst), nDeciding, bCut) ? kTextUtf8 : kTextAnsi;
}

void Utf32Feeder::Feed(TextMeasurer* pMeasurer, const char* pBytes, size_t nBytes) {
    char16_t units[1024];
    size_t nUnits = 0;
    for (size_t i = 0; i < nBytes && !pMeasurer->Ended(); ++i) {
        pending[nPending++] = static_cast<unsigned char>(pBytes[i]);
        if (nPending < 4) continue;
        nPending = 0;
        uint32_t nCodePoint = bBigEndian ? (uint32_t(pending[0]) << 24 | uint32_t(pending[1]) << 16 | pending[2] << 8 | pending[3])
                                         : (uint32_t(pending[3]) << 24 | uint32_t(pending[2]) << 16 | pending[1] << 8 | pending[0]);
        if (nCodePoint > 0x10FFFF || (nCodePoint >= 0xD800 && nCodePoint <= 0xDFFF)) nCodePoint = kReplacement;
        if (nCodePoint >= 0x10000) {
            units[nUnits++] = static_cast<char16_t>(0xD800 + ((nCodePoint - 0x10000) >> 10));
            units[nUnits++] = static_cast<char16_t>(0xDC00 + ((nCodePoint - 0x10000) & 0x3FF));
        } else {
            units[nUnits++] = static_cast<char16_t>(nCodePoint);
        }
        if (nUnits >= sizeof(units) / sizeof(units[0]) - 1) {
            pMeasurer->FeedUtf16(units, nUnits);
            nUnits = 0;
        }
    }
    if (nUnits > 0) pMeasurer->FeedUtf16(units, nUnits);
}

void Utf32Feeder::Finish(TextMeasurer* pMeasurer) {
    if (nPending == 0) return;
    nPending = 0;
    pMeasurer->FeedUtf16(&kReplacement, 1);
}
