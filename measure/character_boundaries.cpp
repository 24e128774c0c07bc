// Character boundaries of a UTF-16 text: walked from a boundary that holds whatever came before it.
#include "measure/character_steps.h"
#include "measure/surrogates.h"

namespace {

// The code point that starts at unit i, and its length; an unpaired surrogate is U+FFFD.
uint32_t CodePointAt(const char16_t* p, size_t n, size_t i, size_t* pnLength) {
    uint32_t u = p[i];
    *pnLength = 1;
    if (!IsSurrogate(u)) return u;
    if (IsHighSurrogate(u) && i + 1 < n && IsLowSurrogate(p[i + 1])) {
        *pnLength = 2;
        return CombineSurrogates(u, p[i + 1]);
    }
    return kReplacementCharacter;
}

// Where the code point that ends just before unit i starts.
size_t CodePointStartBefore(const char16_t* p, size_t i) {
    if (i >= 2 && IsLowSurrogate(p[i - 1]) && IsHighSurrogate(p[i - 2])) return i - 2;
    return i - 1;
}

// A boundary at or before nIndex that holds whatever came before it: one decided by the two code
// points beside it alone, which is every boundary but those before a pictograph or a regional
// indicator (they depend on a longer past).
size_t CertainBoundaryAtOrBefore(const char16_t* p, size_t n, size_t nIndex) {
    size_t i = nIndex;
    if (i < n && i > 0 && IsLowSurrogate(p[i]) && IsHighSurrogate(p[i - 1])) --i;
    while (i > 0 && i < n) {
        size_t nLength;
        GraphemeClass g = GraphemeOf(CodePointClasses(CodePointAt(p, n, i, &nLength)));
        size_t nBefore = CodePointStartBefore(p, i);
        CharacterState pair;
        StartCharacters(&pair);
        pair.nPrevious = GraphemeOf(CodePointClasses(CodePointAt(p, n, nBefore, &nLength)));
        if (g != kGraphemePictograph && g != kGraphemeRegional && IsBoundary(pair, g)) return i;
        i = nBefore;
    }
    return i;
}

// Walks the characters from a certain boundary: returns the last boundary at or before nIndex, or
// the first at or after it.
size_t WalkToBoundary(const char16_t* p, size_t n, size_t nIndex, bool bAfter) {
    size_t i = CertainBoundaryAtOrBefore(p, n, nIndex);
    size_t nLast = i;
    CharacterState s;
    StartCharacters(&s);
    while (i < n) {
        size_t nLength;
        GraphemeClass g = GraphemeOf(CodePointClasses(CodePointAt(p, n, i, &nLength)));
        if (IsBoundary(s, g)) {
            if (i > nIndex) return bAfter ? i : nLast;
            nLast = i;
            if (i == nIndex) return i;
        }
        Advance(&s, g);
        i += nLength;
    }
    return bAfter ? n : nLast;
}

}  // namespace

size_t CharacterBoundaryAtOrBefore(const char16_t* p, size_t n, size_t nIndex) {
    if (nIndex >= n) return n;
    return WalkToBoundary(p, n, nIndex, false);
}

size_t CharacterBoundaryAtOrAfter(const char16_t* p, size_t n, size_t nIndex) {
    if (nIndex >= n) return n;
    return WalkToBoundary(p, n, nIndex, true);
}
