// The fast path that most text takes, many characters at a time by a table of the first plane: UTF-16,
// and UTF-8 widened to units.
#pragma once
#include <stddef.h>

#include "measure/unicode_text.h"

// The first-plane fast path: letters, spaces, punctuation and the marks that join them, one after another,
// with nothing open that could change how they join (no pictograph, regional indicator, Hangul
// jamo, prepended mark or control before them). Each character of class Other begins a character;
// each mark extends one. Anything else ends the run for Step to take.
inline bool MayRunFast(const CharacterState& s) {
    GraphemeClass p = s.nPrevious;
    return (p == kGraphemeOther || p == kGraphemeExtend || p == kGraphemeSpacingMark || p == kGraphemeCR ||
            p == kGraphemeLF || p == kGraphemeControl) &&
           !s.bPictographRun && !s.bPictographZwj && s.nHighSurrogate == 0 && s.utf8.nNeed == 0 && !s.bScalarReference;
}

// The unit that stands for each leading byte of a UTF-8 sequence when UTF-8 is widened for the
// first-plane fast path: one unit a byte, so that no unit needs moving. A lone low surrogate, which no
// well-formed UTF-8 gives; in real UTF-16 it is a stop, as every surrogate is.
const char16_t kFillerUnit = 0xDFFF;

// Blocks of this many units whose codes are all plain bytes are written in one go.
const size_t kFastBlock = 32;

// Takes the leading units of p that are for the first-plane fast path, writing one class byte a
// character at *pq and moving *pq past them; returns how many units it took. bByteBefore tells
// whether (*pq)[-1] may be read. bMore: more units follow p[n - 1], so that a last part shorter
// than a block is left for the next call rather than taken a unit at a time. A long run of ASCII ends the fast path, for the vector copy to take.
// kFillers: the units are widened UTF-8, whose filler units change nothing.
template <bool kFillers>
size_t RunFastUtf16(CharacterState* s, const char16_t* p, size_t n, unsigned char** pq, bool bByteBefore,
                    bool bMore = false);
