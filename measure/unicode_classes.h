// What the measures need to know of each Unicode code point: its grapheme break class (to find
// where one character ends and the next begins) and its measuring kind (what it is for words and
// lines). Both come from a table made at build time from Unicode's own data files.
#pragma once
#include <stdint.h>

#include "unicode_tables.h"

// Grapheme break classes of Unicode's text segmentation rules; the pictographs that emoji
// sequences join are a class of their own here (they are all of class Other there).
enum GraphemeClass : uint8_t {
    kGraphemeOther,
    kGraphemeCR,
    kGraphemeLF,
    kGraphemeControl,
    kGraphemeExtend,
    kGraphemeZwj,
    kGraphemeRegional,
    kGraphemePrepend,
    kGraphemeSpacingMark,
    kGraphemeL,
    kGraphemeV,
    kGraphemeT,
    kGraphemeLV,
    kGraphemeLVT,
    kGraphemePictograph,
    kGraphemeNone  // before the first code point
};

// What a character is for the word and line counts.
enum MeasureKind : uint8_t {
    kKindLetter,      // letters, marks and numbers of every script, and the apostrophes, full stops and colons
    kKindSymbol,      // punctuation and symbols: printable, separates words
    kKindSpace,       // takes a column without starting a line, separates words
    kKindBreak,       // ends a line: CR, LF, U+0085, U+2028, U+2029
    kKindIgnored,     // other controls and format characters: no column, separates words
    kKindJoiner,      // soft hyphen and the zero-width joiners: neither start, continue nor end a word
    kKindIdeograph,   // Han, Hiragana, Katakana and the prolonged sound mark: a word by itself
    kKindEmojiMark    // U+FE0F and U+20E3: the character they belong to is a symbol
};

enum { kReplacementCharacter = 0xFFFD, kLastCodePoint = 0x10FFFF };

// The grapheme class in the high four bits, the measuring kind in the low four. Inline: it runs
// once for every character of a text.
inline uint8_t BmpClasses(uint32_t nCodePoint);
inline uint8_t CodePointClasses(uint32_t nCodePoint) {
    if (nCodePoint > kLastCodePoint) nCodePoint = kReplacementCharacter;
    return BmpClasses(nCodePoint);
}
// The same for a code point known to be valid (the name is for the fast paths, which pass only
// code points of the first plane).
inline uint8_t BmpClasses(uint32_t nCodePoint) {
    const uint32_t nMiddleMask = (1u << kUnicodeMiddleShift) - 1, nLeafMask = (1u << kUnicodeLeafShift) - 1;
    uint32_t nMiddle = static_cast<uint32_t>(kUnicodeTopLevel[nCodePoint >> (kUnicodeLeafShift + kUnicodeMiddleShift)])
                       << kUnicodeMiddleShift;
    uint32_t nLeaf = static_cast<uint32_t>(kUnicodeMiddleLevel[nMiddle + ((nCodePoint >> kUnicodeLeafShift) & nMiddleMask)])
                     << kUnicodeLeafShift;
    return kUnicodeLeafLevel[nLeaf + (nCodePoint & nLeafMask)];
}
inline GraphemeClass GraphemeOf(uint8_t nClasses) { return static_cast<GraphemeClass>(nClasses >> 4); }
inline MeasureKind KindOf(uint8_t nClasses) { return static_cast<MeasureKind>(nClasses & 0x0F); }

// The code point of a Windows-1252 byte; the five bytes the code page leaves undefined map to the
// C1 controls of the same value, as Windows maps them.
inline uint32_t Windows1252CodePoint(unsigned char c) { return c < 0x80 ? c : kWindows1252High[c - 0x80]; }
