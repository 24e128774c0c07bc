// The fast path that most text takes, many characters at a time by a table of the first plane: UTF-16,
// and UTF-8 widened to units (or classified as it stands, by utf8_classify.h, which writes the same
// class bytes, without the fillers, from the same table and codes).
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "measure/measure_kernels.h"
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

// The fast path's code of each code point of the first plane, one load away: the class
// byte of a character of class Other (for ASCII, the character itself), kFastIdeograph for an
// ideograph of class Other, kFastExtends for a mark that extends a character, and kFastStop for
// everything the scalar reference path must take (controls, U+0000, surrogates, joiners, emoji marks,
// pictographs, regional indicators, Hangul jamo, prepended marks). The ASCII controls are their
// own codes: each is a character of its own, and a mark after one begins another.
enum { kFastExtends = 0x00, kFastIdeograph = 0x80, kFastFiller = 0xFE, kFastStop = 0xFF };
// The codes of the 65,536 code points of the first plane (kFillerUnit's is kFastFiller).
const uint8_t* FirstPlaneCodes();

// Where the codes are the same over a whole range, so that a vector step can give them without
// a load each, read from the codes' table when it is made: kFastFiller (no code point's) marks a
// range whose codes differ.
//   lead2        the code of the 64 code points of each first byte of two, C0..DF (U+0000..07FF)
//   ideographs   the unified ideographs U+4E00..9FFF as the first bytes of their code points: the
//                first and last when all are kFastIdeograph, 0x4E and 0x4D (none) when not
struct FirstPlaneRanges {
    uint8_t lead2[32];
    uint8_t nIdeographsFirst, nIdeographsLast;
};
const FirstPlaneRanges& FirstPlaneUniformRanges();

// Where a run on the first-plane fast path ended: what it leaves for the state. Marks of either kind are
// recorded as Extend: with no pictograph before them, the rules treat the two alike.
struct FastRun {
    int64_t nIdeographs;
    unsigned nLastTaken;  // the code of the last code point taken
    int nLastBegun;       // the code of the last character begun, -1 when none was
    int64_t nFillers;     // bytes written that begin no character (marks within blocks)

    // nWritten bytes were written.
    void End(CharacterState* s, size_t nWritten) const {
        s->nChars += static_cast<int64_t>(nWritten) - nFillers;
        s->nIdeographs += nIdeographs;
        s->nPrevious = nLastTaken == kFastExtends ? kGraphemeExtend
                       : nLastTaken == '\r'       ? kGraphemeCR
                       : nLastTaken == '\n'       ? kGraphemeLF
                       : IsControlCode(nLastTaken) ? kGraphemeControl
                                                   : kGraphemeOther;
        s->bRegionalOdd = false;
        if (nLastBegun >= 0) {
            s->nOpen = kOpenByte;
            s->bOpenIdeograph = nLastBegun == kFastIdeograph;
            s->bOpenEmoji = false;
            s->bOpenSpace = IsWhiteSpaceByte(static_cast<unsigned>(nLastBegun));
        }
    }
    static bool IsControlCode(unsigned nCode) { return (nCode < 0x20 && nCode != kFastExtends) || nCode == 0x7F; }
    // A mark after these is for the scalar reference path: after a control it begins a character of
    // its own, and a space it joins is no longer all white space.
    static bool StopsMarks(unsigned nCode) { return IsControlCode(nCode) || IsWhiteSpaceByte(nCode); }
};

// A code that stands for the class before a run (which the fast path only enters after these).
inline unsigned FastPathCodeOf(GraphemeClass g) {
    return g == kGraphemeOther ? 'a' : g == kGraphemeCR ? '\r' : g == kGraphemeLF ? '\n' : g == kGraphemeControl ? 0x01 : kFastExtends;
}

// The code of what comes before a run: an open space stands as itself, so that a mark after it
// stops the fast path.
inline unsigned FastPathCodeBefore(const CharacterState& s) {
    return s.bOpenSpace && s.nPrevious == kGraphemeOther ? ' ' : FastPathCodeOf(s.nPrevious);
}

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
