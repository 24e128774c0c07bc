// From code points to characters and measuring bytes. Character boundaries follow Unicode's
// extended grapheme cluster rules, except that CR LF is two characters. A character is judged by
// its first code point that is not a prepended mark; an emoji presentation mark anywhere in it
// makes it a symbol.
#include "measure/unicode_text.h"

#include <string.h>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "measure/text_measure.h"

namespace {

// The byte each kind of character becomes (a joiner becomes none).
const unsigned char kKindBytes[8] = {'a', '!', ' ', '\n', 0x01, 0, '!', '!'};

inline bool IsHighSurrogate(uint32_t u) { return (u & 0xFC00) == 0xD800; }
inline bool IsLowSurrogate(uint32_t u) { return (u & 0xFC00) == 0xDC00; }
inline bool IsSurrogate(uint32_t u) { return (u & 0xF800) == 0xD800; }
inline uint32_t Combine(uint32_t nHigh, uint32_t nLow) { return 0x10000 + ((nHigh - 0xD800) << 10) + (nLow - 0xDC00); }
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

// Writes the byte of a character whose kind is now known.
inline void Begin(CharacterState* s, MeasureKind k, unsigned char*& q) {
    s->bOpenIdeograph = false;
    s->bOpenEmoji = false;
    if (k == kKindJoiner) {
        s->nOpen = kOpenJoiner;
        return;
    }
    *q++ = kKindBytes[k];
    s->nOpen = kOpenByte;
    if (k == kKindIdeograph) {
        ++s->nIdeographs;
        s->bOpenIdeograph = true;
    } else if (k == kKindEmojiMark) {
        s->bOpenEmoji = true;
    }
}

// An emoji presentation mark joined the open character: it becomes a symbol.
inline void MarkEmoji(CharacterState* s, unsigned char*& q) {
    if (s->bOpenEmoji) return;
    s->bOpenEmoji = true;
    if (s->nOpen == kOpenJoiner) {
        *q++ = 0x01;  // no longer transparent: it separates words, and still takes no column
        s->nOpen = kOpenByte;
    } else if (s->nOpen == kOpenByte) {
        if (s->bOpenIdeograph) {
            --s->nIdeographs;
            s->bOpenIdeograph = false;
        } else if (IsWordByte(q[-1])) {
            q[-1] = '!';
        }
    }
}

inline void Step(CharacterState* s, uint32_t nCodePoint, unsigned char*& q) {
    uint8_t nClasses = CodePointClasses(nCodePoint);
    GraphemeClass g = GraphemeOf(nClasses);
    MeasureKind k = KindOf(nClasses);
    if (IsBoundary(*s, g)) {
        if (s->nOpen == kOpenPrepend) Begin(s, s->nOpenKind, q);
        ++s->nChars;
        if (g == kGraphemePrepend) {
            s->nOpen = kOpenPrepend;
            s->nOpenKind = k;
            s->bOpenIdeograph = false;
            s->bOpenEmoji = false;
        } else {
            Begin(s, k, q);
        }
    } else if (s->nOpen == kOpenPrepend) {
        if (g != kGraphemePrepend) Begin(s, k, q);
    } else if (k == kKindEmojiMark) {
        MarkEmoji(s, q);
    }
    Advance(s, g);
}

// A run of ASCII characters was written as they are: each began a character of its own.
inline void TookAscii(CharacterState* s, unsigned char nLast, size_t nCount) {
    s->nChars += static_cast<int64_t>(nCount);
    s->nOpen = kOpenByte;
    s->bOpenIdeograph = false;
    s->bOpenEmoji = false;
    s->bPictographRun = false;
    s->bPictographZwj = false;
    s->bRegionalOdd = false;
    s->nPrevious = nLast == '\r'   ? kGraphemeCR
                   : nLast == '\n' ? kGraphemeLF
                   : (nLast < 0x20 || nLast == 0x7F) ? kGraphemeControl
                                                     : kGraphemeOther;
}

// ASCII characters can take the fast road when none of them can join the open character: only a
// prepended mark joins what follows it.
inline bool AsciiMayFollow(const CharacterState& s) { return s.nPrevious != kGraphemePrepend; }

#if defined(__SSE2__)
inline unsigned LowestBit(unsigned n) { return static_cast<unsigned>(__builtin_ctz(n)); }
#endif

// Copies the leading units of p that are ASCII and not zero to q; answers how many. It may write
// up to 16 bytes at q when at least 16 units remain.
size_t CopyAsciiUnits(const char16_t* p, size_t n, unsigned char* q) {
    size_t k = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    for (; k + 16 <= n; k += 16) {
        __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k));
        __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k + 8));
        // Units of 0x80 and more pack to bytes with the top bit set, or (from 0x8000) to zero.
        __m128i packed = _mm_packus_epi16(a, b);
        unsigned nStop = static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(packed, _mm_cmpeq_epi8(packed, zero))));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(q + k), packed);
        if (nStop != 0) return k + LowestBit(nStop);
    }
#endif
    for (; k < n && p[k] != 0 && p[k] < 0x80; ++k) q[k] = static_cast<unsigned char>(p[k]);
    return k;
}

size_t CopyAsciiBytes(const unsigned char* p, size_t n, unsigned char* q) {
    size_t k = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    for (; k + 16 <= n; k += 16) {
        __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k));
        unsigned nStop = static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(x, _mm_cmpeq_epi8(x, zero))));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(q + k), x);
        if (nStop != 0) return k + LowestBit(nStop);
    }
#endif
    for (; k < n && p[k] != 0 && p[k] < 0x80; ++k) q[k] = p[k];
    return k;
}

// Decodes one byte of UTF-8. A byte that cannot continue the open sequence ends it as U+FFFD and
// is read again; answers whether the byte was taken.
inline bool DecodeUtf8(CharacterState* s, unsigned char b, unsigned char*& q) {
    Utf8Decoder& d = s->utf8;
    if (d.nNeed == 0) {
        d.nSeen = 0;
        d.nLower = 0x80;
        d.nUpper = 0xBF;
        if (b < 0x80) {
            Step(s, b, q);
        } else if (b >= 0xC2 && b <= 0xDF) {
            d.nNeed = 1;
            d.nCodePoint = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            d.nNeed = 2;
            d.nCodePoint = b & 0x0F;
            if (b == 0xE0) d.nLower = 0xA0;  // no overlong forms
            if (b == 0xED) d.nUpper = 0x9F;  // no surrogates
        } else if (b >= 0xF0 && b <= 0xF4) {
            d.nNeed = 3;
            d.nCodePoint = b & 0x07;
            if (b == 0xF0) d.nLower = 0x90;  // no overlong forms
            if (b == 0xF4) d.nUpper = 0x8F;  // nothing above U+10FFFF
        } else {
            Step(s, kReplacementCharacter, q);
        }
        return true;
    }
    if (b < d.nLower || b > d.nUpper) {
        d.nNeed = 0;
        Step(s, kReplacementCharacter, q);
        return false;
    }
    d.nLower = 0x80;
    d.nUpper = 0xBF;
    d.nCodePoint = (d.nCodePoint << 6) | (b & 0x3F);
    if (++d.nSeen == d.nNeed) {
        d.nNeed = 0;
        Step(s, d.nCodePoint, q);
    }
    return true;
}

template <bool kWindows1252>
size_t TranslateBytes(CharacterState* pState, const unsigned char* p, size_t n, unsigned char* pOut, size_t* pnOut) {
    // A local copy: the bytes written through q could otherwise alias the state and keep it in memory.
    CharacterState s = *pState;
    unsigned char* q = pOut;
    size_t i = 0;
    while (i < n && !s.bEnded) {
        unsigned char b = p[i];
        if (b < 0x80 && s.utf8.nNeed == 0) {
            if (b == 0) {
                s.bEnded = true;
                break;
            }
            if (AsciiMayFollow(s)) {
                size_t nAscii = CopyAsciiBytes(p + i, n - i, q);
                q += nAscii;
                i += nAscii;
                TookAscii(&s, q[-1], nAscii);
                continue;
            }
        }
        if (kWindows1252) {
            Step(&s, Windows1252CodePoint(b), q);
            ++i;
        } else if (DecodeUtf8(&s, b, q)) {
            ++i;
        }
    }
    *pState = s;
    *pnOut = static_cast<size_t>(q - pOut);
    return i;
}

}  // namespace

void StartCharacters(CharacterState* pState) {
    memset(pState, 0, sizeof(*pState));
    pState->nPrevious = kGraphemeNone;
    pState->nOpen = kOpenNone;
}

size_t TranslateUtf16(CharacterState* pState, const char16_t* p, size_t n, unsigned char* pOut, size_t* pnOut) {
    CharacterState s = *pState;
    unsigned char* q = pOut;
    size_t i = 0;
    while (i < n && !s.bEnded) {
        uint32_t u = p[i];
        if (s.nHighSurrogate != 0) {
            uint32_t nHigh = s.nHighSurrogate;
            s.nHighSurrogate = 0;
            if (IsLowSurrogate(u)) {
                Step(&s, Combine(nHigh, u), q);
                ++i;
            } else {
                Step(&s, kReplacementCharacter, q);  // and the unit is read again
            }
            continue;
        }
        if (u < 0x80) {
            if (u == 0) {
                s.bEnded = true;
                break;
            }
            if (AsciiMayFollow(s)) {
                size_t nAscii = CopyAsciiUnits(p + i, n - i, q);
                q += nAscii;
                i += nAscii;
                TookAscii(&s, q[-1], nAscii);
                continue;
            }
            Step(&s, u, q);
            ++i;
            continue;
        }
        // The rest of a run of other characters, without looking for ASCII at each.
        do {
            if (IsSurrogate(u)) {
                if (IsHighSurrogate(u)) {
                    s.nHighSurrogate = static_cast<char16_t>(u);
                    ++i;
                    break;
                }
                u = kReplacementCharacter;
            }
            Step(&s, u, q);
            ++i;
        } while (i < n && (u = p[i]) >= 0x80);
    }
    *pState = s;
    *pnOut = static_cast<size_t>(q - pOut);
    return i;
}

size_t TranslateUtf8(CharacterState* pState, const unsigned char* p, size_t n, unsigned char* pOut, size_t* pnOut) {
    return TranslateBytes<false>(pState, p, n, pOut, pnOut);
}

size_t TranslateWindows1252(CharacterState* pState, const unsigned char* p, size_t n, unsigned char* pOut,
                            size_t* pnOut) {
    return TranslateBytes<true>(pState, p, n, pOut, pnOut);
}

void FinishCharacters(CharacterState* pState, unsigned char* pOut, size_t* pnOut) {
    unsigned char* q = pOut;
    if (!pState->bEnded && (pState->nHighSurrogate != 0 || pState->utf8.nNeed != 0)) {
        pState->nHighSurrogate = 0;
        pState->utf8.nNeed = 0;
        Step(pState, kReplacementCharacter, q);
    }
    if (pState->nOpen == kOpenPrepend) Begin(pState, pState->nOpenKind, q);
    pState->nOpen = kOpenNone;
    pState->bEnded = true;
    *pnOut = static_cast<size_t>(q - pOut);
}

namespace {

// The code point that starts at unit i, and its length; an unpaired surrogate is U+FFFD.
uint32_t CodePointAt(const char16_t* p, size_t n, size_t i, size_t* pnLength) {
    uint32_t u = p[i];
    *pnLength = 1;
    if (!IsSurrogate(u)) return u;
    if (IsHighSurrogate(u) && i + 1 < n && IsLowSurrogate(p[i + 1])) {
        *pnLength = 2;
        return Combine(u, p[i + 1]);
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

// Walks the characters from a certain boundary: answers the last boundary at or before nIndex, or
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
