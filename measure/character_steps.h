// The steps from code point to character that the scalar reference path and the fast paths share: where a
// character ends, what the state keeps of the code points before, and what a run of ASCII leaves.
// Inline: they run once for every character of a text.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "measure/measure_kernels.h"
#include "measure/unicode_text.h"

// The byte each measuring kind becomes (a joiner becomes none); defined with the scalar reference path.
extern const unsigned char kKindBytes[8];

inline bool IsControlClass(GraphemeClass g) {
    return g == kGraphemeControl || g == kGraphemeCR || g == kGraphemeLF;
}

// Whether a character boundary comes before a code point of class g.
inline bool IsBoundary(const CharacterState& s, GraphemeClass g) {
    GraphemeClass p = s.nPrevious;
    if (p == kGraphemeNone || IsControlClass(p) || IsControlClass(g)) return true;  // CR LF included
    if (g == kGraphemeExtend || g == kGraphemeZwj || g == kGraphemeSpacingMark || p == kGraphemePrepend) return false;
    switch (p) {
    case kGraphemeL:
        return !(g == kGraphemeL || g == kGraphemeV || g == kGraphemeLV || g == kGraphemeLVT);
    case kGraphemeLV:
    case kGraphemeV:
        return !(g == kGraphemeV || g == kGraphemeT);
    case kGraphemeLVT:
    case kGraphemeT:
        return g != kGraphemeT;
    case kGraphemeZwj:
        return !(g == kGraphemePictograph && s.bPictographZwj);
    case kGraphemeRegional:
        return !(g == kGraphemeRegional && s.bRegionalOdd);
    default:
        return true;
    }
}

inline void Advance(CharacterState* s, GraphemeClass g) {
    if (g == kGraphemePictograph) {
        s->bPictographRun = true;
        s->bPictographZwj = false;
    } else if (g == kGraphemeExtend) {
        s->bPictographZwj = false;
    } else if (g == kGraphemeZwj) {
        s->bPictographZwj = s->bPictographRun;
        s->bPictographRun = false;
    } else {
        s->bPictographRun = false;
        s->bPictographZwj = false;
    }
    s->bRegionalOdd = g == kGraphemeRegional && !s->bRegionalOdd;
    s->nPrevious = g;
}

// The scalar reference path: takes one code point, writing the byte of a character begun at q.
void Step(CharacterState* s, uint32_t nCodePoint, unsigned char*& q);

// A run of nCount characters was written, a byte each, by a fast path that takes only characters that
// join nothing: what the scalar reference path leaves after them, the last of class gLast.
inline void TookCharacters(CharacterState* s, size_t nCount, GraphemeClass gLast, bool bLastSpace) {
    s->nChars += static_cast<int64_t>(nCount);
    s->nOpen = kOpenByte;
    s->bOpenIdeograph = false;
    s->bOpenEmoji = false;
    s->bOpenSpace = bLastSpace;
    s->bPictographRun = false;
    s->bPictographZwj = false;
    s->bRegionalOdd = false;
    s->nPrevious = gLast;
}

// A run of ASCII characters was written as they are: each began a character of its own.
inline void TookAscii(CharacterState* s, unsigned char nLast, size_t nCount) {
    TookCharacters(s, nCount,
                   nLast == '\r'   ? kGraphemeCR
                   : nLast == '\n' ? kGraphemeLF
                   : (nLast < 0x20 || nLast == 0x7F) ? kGraphemeControl
                                                     : kGraphemeOther,
                   IsWhiteSpaceByte(nLast));
}

// ASCII characters can take the fast path when none of them can join the open character (only a
// prepended mark joins what follows it), unless the text is read on the scalar reference path.
inline bool AsciiMayFollow(const CharacterState& s) { return s.nPrevious != kGraphemePrepend && !s.bScalarReference; }
