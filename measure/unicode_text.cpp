// From code points to characters and measuring bytes. Character boundaries follow Unicode's
// extended grapheme cluster rules, except that CR LF is two characters. A character is judged by
// its first code point that is not a prepended mark; an emoji presentation mark anywhere in it
// makes it a symbol.
#include "measure/unicode_text.h"

#include <string.h>

#include <atomic>
#if defined(__SSE2__)
#include <emmintrin.h>

#include "measure/word_bytes_sse2.h"
#endif

#include "measure/text_measure.h"
#include "measure/windows1252_road.h"

const unsigned char kKindBytes[8] = {'a', '!', ' ', '\n', 0x01, 0, '!', '!'};

namespace {

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

// Writes the byte of a character whose kind is now known: its first code point (prepended marks,
// never ASCII, aside) as itself when ASCII, as the ASCII copy writes it, else its kind's byte.
inline void Begin(CharacterState* s, MeasureKind k, unsigned char*& q, uint32_t nFirst = 0x80) {
    s->bOpenIdeograph = false;
    s->bOpenEmoji = false;
    if (k == kKindJoiner) {
        s->nOpen = kOpenJoiner;
        return;
    }
    *q++ = nFirst < 0x80 ? static_cast<unsigned char>(nFirst) : kKindBytes[k];
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

// Out of line: the careful path is taken for few characters, and each road that ends calls it.
__attribute__((noinline)) void Step(CharacterState* s, uint32_t nCodePoint, unsigned char*& q) {
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
            Begin(s, k, q, nCodePoint);
        }
    } else if (s->nOpen == kOpenPrepend) {
        if (g != kGraphemePrepend) Begin(s, k, q, nCodePoint);
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

// ASCII characters can take the fast road when none of them can join the open character (only a
// prepended mark joins what follows it), unless the text is read carefully.
inline bool AsciiMayFollow(const CharacterState& s) { return s.nPrevious != kGraphemePrepend && !s.bCareful; }

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

// The common road: letters, spaces, punctuation and the marks that join them, one after another,
// with nothing open that could change how they join (no pictograph, regional indicator, Hangul
// jamo, prepended mark or control before them). Each character of class Other begins a character;
// each mark extends one. Anything else ends the run for Step to take.
inline bool MayRunFast(const CharacterState& s) {
    GraphemeClass p = s.nPrevious;
    return (p == kGraphemeOther || p == kGraphemeExtend || p == kGraphemeSpacingMark || p == kGraphemeCR ||
            p == kGraphemeLF || p == kGraphemeControl) &&
           !s.bPictographRun && !s.bPictographZwj && s.nHighSurrogate == 0 && s.utf8.nNeed == 0 && !s.bCareful;
}

// A run of ASCII this long goes back to the vector copy.
const int kAsciiRunForVectors = 12;

// The common road's code of each code point of the first plane, one load away: the measuring
// byte of a character of class Other (for ASCII, the character itself), kFastIdeograph for an
// ideograph of class Other, kFastExtends for a mark that extends a character, and kFastStop for
// everything the careful path must take (controls, U+0000, surrogates, joiners, emoji marks,
// pictographs, regional indicators, Hangul jamo, prepended marks). The ASCII controls are their
// own codes: each is a character of its own, and a mark after one begins another. Made from the three-level
// table at the first use, into static storage: the program's file stays small.
enum { kFastExtends = 0x00, kFastIdeograph = 0x80, kFastFiller = 0xFE, kFastStop = 0xFF };
// The unit that stands for each leading byte of a UTF-8 sequence when UTF-8 is widened for the
// common road: one unit a byte, so that no unit needs moving. A lone low surrogate, which no
// well-formed UTF-8 gives; in real UTF-16 it is a stop, as every surrogate is.
const char16_t kFillerUnit = 0xDFFF;
uint8_t fastCodes[0x10000];
std::atomic<bool> fastCodesMade(false);

const uint8_t* FastCodes() {
    if (!fastCodesMade.load(std::memory_order_acquire)) {
        for (uint32_t c = 0; c < 0x10000; ++c) {
            uint8_t nClasses = BmpClasses(c);
            GraphemeClass g = GraphemeOf(nClasses);
            MeasureKind k = KindOf(nClasses);
            uint8_t nCode = kFastStop;
            if (k == kKindEmojiMark || k == kKindJoiner) {
                nCode = kFastStop;
            } else if (g == kGraphemeExtend || g == kGraphemeSpacingMark) {
                nCode = kFastExtends;
            } else if (g == kGraphemeOther) {
                nCode = k == kKindIdeograph ? static_cast<uint8_t>(kFastIdeograph)
                        : c < 0x80          ? static_cast<uint8_t>(c)
                                            : kKindBytes[k];
            } else if (c < 0x80 && c != 0) {
                nCode = static_cast<uint8_t>(c);  // the ASCII controls, CR and LF among them, as themselves
            }
            fastCodes[c] = nCode;
        }
        fastCodes[kFillerUnit] = kFastFiller;
        fastCodesMade.store(true, std::memory_order_release);
    }
    return fastCodes;
}

// Where a run on the common road ended: what it leaves for the state. Marks of either kind are
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
        }
    }
    static bool IsControlCode(unsigned nCode) { return (nCode < 0x20 && nCode != kFastExtends) || nCode == 0x7F; }
};

// Takes one code point on the common road, with one branch for leaving it; answers false, taking
// nothing, for a code point that is not for this road. Every character begun writes one byte, so
// the bytes written count the characters. A mark after a control begins a character of its own:
// that is for the careful path.
template <bool kLeaveAscii>
inline bool TakeFast(uint32_t nCodePoint, unsigned nCode, unsigned char*& q, FastRun& run, int& nAscii) {
    // A filler (widened UTF-8 only) changes nothing; in real UTF-16 it is a lone surrogate.
    if (nCode == kFastFiller) return !kLeaveAscii;
    nAscii = kLeaveAscii && nCodePoint < 0x80 ? nAscii + 1 : 0;
    bool bMarkAfterControl = nCode == kFastExtends && FastRun::IsControlCode(run.nLastTaken);
    if (nCode == kFastStop || nAscii >= kAsciiRunForVectors || bMarkAfterControl) return false;
    bool bIdeograph = nCode == kFastIdeograph;
    bool bBegins = nCode != kFastExtends;
    *q = bIdeograph ? static_cast<unsigned char>('!') : static_cast<unsigned char>(nCode);
    q += bBegins;
    run.nIdeographs += bIdeograph;
    run.nLastBegun = bBegins ? static_cast<int>(nCode) : run.nLastBegun;
    run.nLastTaken = nCode;
    return true;
}

// A code that stands for the class before a run (which the road only enters after these).
inline unsigned RoadCodeOf(GraphemeClass g) {
    return g == kGraphemeOther ? 'a' : g == kGraphemeCR ? '\r' : g == kGraphemeLF ? '\n' : g == kGraphemeControl ? 0x01 : kFastExtends;
}

// Blocks of this many units whose codes are all plain bytes are written in one go.
const size_t kFastBlock = 32;

#if defined(__SSE2__)
// Turns the fillers of a block of 32 codes into 0x80 after a word byte and 0xFF after any other.
// A filler's character is the one before its sequence: one byte back, or two for the middle byte
// of a three-byte sequence (two fillers in a row). bWordBefore is the word-ness of q[-1].
inline void FillBlock(unsigned char* q, bool bWordBefore) {
    __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q));
    __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q + 16));
    __m128i filler = _mm_set1_epi8(static_cast<char>(kFastFiller));
    __m128i fillersA = _mm_cmpeq_epi8(a, filler), fillersB = _mm_cmpeq_epi8(b, filler);
    __m128i wordA = WordBytesSse2(a), wordB = WordBytesSse2(b);
    __m128i before = _mm_cvtsi32_si128(bWordBefore ? 0xFF : 0);
    __m128i word1A = _mm_or_si128(_mm_slli_si128(wordA, 1), before);
    __m128i word1B = _mm_or_si128(_mm_slli_si128(wordB, 1), _mm_srli_si128(wordA, 15));
    __m128i word2A = _mm_or_si128(_mm_slli_si128(wordA, 2), _mm_slli_si128(before, 1));
    __m128i word2B = _mm_or_si128(_mm_slli_si128(wordB, 2), _mm_srli_si128(wordA, 14));
    __m128i filler1A = _mm_slli_si128(fillersA, 1);
    __m128i filler1B = _mm_or_si128(_mm_slli_si128(fillersB, 1), _mm_srli_si128(fillersA, 15));
    __m128i wordOfA = _mm_or_si128(_mm_and_si128(filler1A, word2A), _mm_andnot_si128(filler1A, word1A));
    __m128i wordOfB = _mm_or_si128(_mm_and_si128(filler1B, word2B), _mm_andnot_si128(filler1B, word1B));
    // The separating filler, less the low bits after a word byte: the word filler.
    __m128i all = _mm_set1_epi8(static_cast<char>(kSeparatingFiller)), low = _mm_set1_epi8(kSeparatingFiller ^ kWordFiller);
    __m128i bytesA = _mm_xor_si128(all, _mm_and_si128(wordOfA, low)), bytesB = _mm_xor_si128(all, _mm_and_si128(wordOfB, low));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(q), _mm_or_si128(_mm_andnot_si128(fillersA, a), _mm_and_si128(fillersA, bytesA)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(q + 16),
                     _mm_or_si128(_mm_andnot_si128(fillersB, b), _mm_and_si128(fillersB, bytesB)));
}
#endif

// Writes the codes of a block at q. Answers how many of its units it took (up to its last
// character begun, so that the open character's byte is the last written), and in *pnQuiet how many
// of those begin no character (marks, and with bFillers the fillers of widened UTF-8); -1 when the
// block is not for this road (a stop, or a mark after a control, after which a mark begins a
// character of its own). Ideographs become '!' and
// are counted; marks and fillers become a byte that takes the word-ness of the byte before it and
// no column: 0x80 (continues a word) or 0xFF (separates). bControlBefore tells whether the code
// point before the block is a control, bByteBefore whether q[-1] may be read.
inline int PlainBlock(const char16_t* p, const uint8_t* pCodes, unsigned char* q, int64_t* pnIdeographs,
                      int* pnQuiet, bool bControlBefore, bool bByteBefore, bool bFillers) {
    for (size_t k = 0; k < kFastBlock; ++k) q[k] = pCodes[p[k]];
    unsigned nStops = 0, nMarks = 0, nFillers = 0, nIdeographs = 0;
#if defined(__SSE2__)
    __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q));
    __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q + 16));
    __m128i zero = _mm_setzero_si128(), stop = _mm_set1_epi8(static_cast<char>(kFastStop));
    __m128i filler = _mm_set1_epi8(static_cast<char>(kFastFiller));
    __m128i ideograph = _mm_set1_epi8(static_cast<char>(kFastIdeograph));
    nStops = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(a, stop))) |
             static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(b, stop))) << 16;
    nMarks = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(a, zero))) |
             static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(b, zero))) << 16;
    nFillers = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(a, filler))) |
               static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(b, filler))) << 16;
    __m128i ideographsA = _mm_cmpeq_epi8(a, ideograph), ideographsB = _mm_cmpeq_epi8(b, ideograph);
    nIdeographs = static_cast<unsigned>(_mm_movemask_epi8(ideographsA)) |
                  static_cast<unsigned>(_mm_movemask_epi8(ideographsB)) << 16;
#else
    for (size_t k = 0; k < kFastBlock; ++k) {
        nStops |= (q[k] == kFastStop ? 1u : 0u) << k;
        nMarks |= (q[k] == kFastExtends ? 1u : 0u) << k;
        nFillers |= (q[k] == kFastFiller ? 1u : 0u) << k;
        nIdeographs |= (q[k] == kFastIdeograph ? 1u : 0u) << k;
    }
#endif
    if (!bFillers) {
        nStops |= nFillers;
        nFillers = 0;
    }
    unsigned nQuiet = nMarks | nFillers;
    if (nStops != 0) return -1;
    // The block ends on a character begun, whose byte is then the last written: marks and fillers
    // at its end are left for the next block.
    unsigned nBegins = ~nQuiet;
    if (nBegins == 0) return -1;
    unsigned nUnits = 32 - static_cast<unsigned>(__builtin_clz(nBegins));
    unsigned nKept = nUnits == 32 ? 0xFFFFFFFFu : (1u << nUnits) - 1;
    nQuiet &= nKept;
    nMarks &= nKept;
    nIdeographs &= nKept;
#if defined(__SSE2__)
    if (nIdeographs != 0) {
        __m128i flip = _mm_set1_epi8(static_cast<char>(kFastIdeograph ^ '!'));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(q), _mm_xor_si128(a, _mm_and_si128(ideographsA, flip)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(q + 16), _mm_xor_si128(b, _mm_and_si128(ideographsB, flip)));
    }
#else
    for (unsigned nRest = nIdeographs; nRest != 0; nRest &= nRest - 1) q[__builtin_ctz(nRest)] = '!';
#endif
#if defined(__SSE2__)
    if (nMarks == 0 && nFillers != 0 && bByteBefore) {
        // Fillers only (widened UTF-8 without marks): each takes the word-ness of the character
        // before its sequence, one or two bytes back, all at once.
        FillBlock(q, IsWordByte(q[-1]));
        *pnIdeographs += __builtin_popcount(nIdeographs);
        *pnQuiet = __builtin_popcount(nQuiet);
        return static_cast<int>(nUnits);
    }
#endif
    // In order, so that each sees the byte written before it.
    for (unsigned nRest = nQuiet; nRest != 0; nRest &= nRest - 1) {
        int j = __builtin_ctz(nRest);
        if (j == 0 && !bByteBefore) return -1;
        if ((nMarks >> j) & 1) {
            // The code point before the mark: fillers before it stand for the mark's own bytes.
            int k = j - 1;
            while (k >= 0 && ((nFillers >> k) & 1)) --k;
            if (k >= 0 ? FastRun::IsControlCode(q[k]) : bControlBefore) return -1;
        }
        q[j] = IsWordByte(q[j - 1]) ? kWordFiller : kSeparatingFiller;
    }
    *pnIdeographs += __builtin_popcount(nIdeographs);
    *pnQuiet = __builtin_popcount(nQuiet);
    return static_cast<int>(nUnits);
}

// Whether a block is ASCII only: then the vector copy is the faster road.
inline bool AsciiBlock(const char16_t* p) {
    unsigned nAll = 0;
    for (size_t k = 0; k < kFastBlock; ++k) nAll |= p[k];
    return nAll < 0x80;
}

// U+0000 and the surrogates stop at the table: the road leaves them to the careful path without
// a test of its own. Kept out of line, so that its loops have the registers. With kLeaveAscii, a
// long run of ASCII ends the road, for the vector copy to take.
template <bool kLeaveAscii>
__attribute__((noinline)) size_t RunFastUtf16(CharacterState* s, const char16_t* p, size_t n, unsigned char** pq,
                                              bool bByteBefore) {
    const uint8_t* pCodes = FastCodes();
    unsigned char* q = *pq;
    FastRun run = {0, RoadCodeOf(s->nPrevious), -1, 0};
    int nAscii = 0;
    size_t i = 0;
    for (;;) {
        // Whole blocks of plain characters (letters, spaces and punctuation of most scripts);
        // long runs of ASCII go back to the vector copy.
        for (int nUnits, nQuiet; i + kFastBlock <= n &&
                                 (nUnits = PlainBlock(p + i, pCodes, q, &run.nIdeographs, &nQuiet,
                                                      FastRun::IsControlCode(run.nLastTaken), q != *pq || bByteBefore,
                                                      !kLeaveAscii)) > 0;) {
            bool bAscii = kLeaveAscii && AsciiBlock(p + i);
            run.nLastBegun = pCodes[p[i + nUnits - 1]];
            run.nLastTaken = static_cast<unsigned>(run.nLastBegun);
            run.nFillers += nQuiet;
            i += static_cast<size_t>(nUnits);
            q += nUnits;
            nAscii = 0;
            if (kLeaveAscii && bAscii) {
                run.End(s, static_cast<size_t>(q - *pq));
                *pq = q;
                return i;
            }
        }
        // One at a time up to the next block, or until the road ends.
        size_t nEnd = i + kFastBlock < n ? i + kFastBlock : n;
        for (; i < nEnd; ++i) {
            uint32_t u = p[i];
            if (!TakeFast<kLeaveAscii>(u, pCodes[u], q, run, nAscii)) {
                run.End(s, static_cast<size_t>(q - *pq));
                *pq = q;
                return i;
            }
        }
        if (i == n) break;
    }
    run.End(s, static_cast<size_t>(q - *pq));
    *pq = q;
    return i;
}

// Widens the leading well-formed UTF-8 of p to units, one a byte: an ASCII byte is itself, the
// last byte of a sequence of two or three bytes is its code point and the bytes before it are
// fillers. Stops (answering how many bytes it took, at most nMax) at U+0000, at a sequence of four
// bytes, at anything ill-formed and at a sequence cut by the end: those are for the careful path.
size_t WidenUtf8(const unsigned char* p, size_t n, char16_t* pUnits, size_t nMax) {
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    while (i + 16 <= nMax && i + 16 <= n) {
        __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        unsigned nAscii = ~static_cast<unsigned>(_mm_movemask_epi8(x)) & 0xFFFF;
        __m128i lead2 = _mm_cmpeq_epi8(_mm_and_si128(x, _mm_set1_epi8(static_cast<char>(0xE0))),
                                       _mm_set1_epi8(static_cast<char>(0xC0)));
        __m128i lead3 = _mm_cmpeq_epi8(_mm_and_si128(x, _mm_set1_epi8(static_cast<char>(0xF0))),
                                       _mm_set1_epi8(static_cast<char>(0xE0)));
        unsigned nLead2 = static_cast<unsigned>(_mm_movemask_epi8(lead2));
        unsigned nLead3 = static_cast<unsigned>(_mm_movemask_epi8(lead3));
        unsigned nCont = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(
            _mm_and_si128(x, _mm_set1_epi8(static_cast<char>(0xC0))), _mm_set1_epi8(static_cast<char>(0x80)))));
        unsigned nZero = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(x, zero)));
        unsigned nExpected = (nLead2 << 1) | (nLead3 << 1) | (nLead3 << 2);
        if (nZero != 0 || (nAscii | nLead2 | nLead3 | nCont) != 0xFFFF || (nExpected & 0xFFFF) != nCont) break;
        // A sequence that runs past the block ends it early; the next block begins with it.
        unsigned nLength = 16;
        if ((nExpected >> 16) != 0) nLength = static_cast<unsigned>(__builtin_ctz((nLead2 & 0x8000) | (nLead3 & 0xC000)));
        if (nLength == 0) break;
        // Each byte read with the one or two before it, as 16-bit lanes.
        __m128i before1 = _mm_slli_si128(x, 1), before2 = _mm_slli_si128(x, 2);
        __m128i ends2 = _mm_slli_si128(lead2, 1), ends3 = _mm_slli_si128(lead3, 2);
        __m128i ascii = _mm_cmplt_epi8(x, zero);  // the top bit: not ASCII
        bool bBad = false;
        for (int nHalf = 0; nHalf < 2; ++nHalf) {
            __m128i b0 = nHalf ? _mm_unpackhi_epi8(x, zero) : _mm_unpacklo_epi8(x, zero);
            __m128i b1 = nHalf ? _mm_unpackhi_epi8(before1, zero) : _mm_unpacklo_epi8(before1, zero);
            __m128i b2 = nHalf ? _mm_unpackhi_epi8(before2, zero) : _mm_unpacklo_epi8(before2, zero);
            __m128i isEnd2 = nHalf ? _mm_unpackhi_epi8(ends2, ends2) : _mm_unpacklo_epi8(ends2, ends2);
            __m128i isEnd3 = nHalf ? _mm_unpackhi_epi8(ends3, ends3) : _mm_unpacklo_epi8(ends3, ends3);
            __m128i isHigh = nHalf ? _mm_unpackhi_epi8(ascii, ascii) : _mm_unpacklo_epi8(ascii, ascii);
            __m128i six = _mm_set1_epi16(0x3F);
            __m128i two = _mm_or_si128(_mm_slli_epi16(_mm_and_si128(b1, _mm_set1_epi16(0x1F)), 6), _mm_and_si128(b0, six));
            __m128i three = _mm_or_si128(_mm_or_si128(_mm_slli_epi16(b2, 12), _mm_slli_epi16(_mm_and_si128(b1, six), 6)),
                                         _mm_and_si128(b0, six));
            // Overlong forms (two bytes below U+0080, three below U+0800) and encoded surrogates.
            __m128i overlong2 = _mm_and_si128(isEnd2, _mm_cmpeq_epi16(_mm_srli_epi16(two, 7), _mm_setzero_si128()));
            __m128i overlong3 = _mm_and_si128(isEnd3, _mm_cmpeq_epi16(_mm_srli_epi16(three, 11), _mm_setzero_si128()));
            __m128i surrogate = _mm_and_si128(
                isEnd3, _mm_cmpeq_epi16(_mm_and_si128(three, _mm_set1_epi16(static_cast<short>(0xF800))),
                                        _mm_set1_epi16(static_cast<short>(0xD800))));
            unsigned nBadLanes = static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(overlong2, overlong3), surrogate)));
            unsigned nKeep = nLength >= 8u * (nHalf + 1) ? 0xFFFF : nLength <= 8u * nHalf ? 0 : (1u << (2 * (nLength - 8 * nHalf))) - 1;
            if ((nBadLanes & nKeep) != 0) bBad = true;
            __m128i unit = _mm_set1_epi16(static_cast<short>(kFillerUnit));
            unit = _mm_or_si128(_mm_andnot_si128(isEnd2, unit), _mm_and_si128(isEnd2, two));
            unit = _mm_or_si128(_mm_andnot_si128(isEnd3, unit), _mm_and_si128(isEnd3, three));
            unit = _mm_or_si128(_mm_and_si128(isHigh, unit), _mm_andnot_si128(isHigh, b0));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(pUnits + i + 8 * nHalf), unit);
        }
        if (bBad) break;
        i += nLength;
    }
#endif
    // The rest, a sequence at a time.
    while (i < nMax && i < n) {
        uint32_t b0 = p[i];
        if (b0 < 0x80) {
            if (b0 == 0) break;
            pUnits[i] = static_cast<char16_t>(b0);
            i += 1;
        } else if (b0 >= 0xC2 && b0 <= 0xDF && i + 2 <= nMax && i + 1 < n && (p[i + 1] & 0xC0) == 0x80) {
            pUnits[i] = kFillerUnit;
            pUnits[i + 1] = static_cast<char16_t>(((b0 & 0x1F) << 6) | (p[i + 1] & 0x3F));
            i += 2;
        } else if ((b0 & 0xF0) == 0xE0 && i + 3 <= nMax && i + 2 < n && (p[i + 1] & 0xC0) == 0x80 &&
                   (p[i + 2] & 0xC0) == 0x80) {
            uint32_t u = ((b0 & 0x0F) << 12) | ((p[i + 1] & 0x3Fu) << 6) | (p[i + 2] & 0x3Fu);
            if (u < 0x800 || IsSurrogate(u)) break;
            pUnits[i] = pUnits[i + 1] = kFillerUnit;
            pUnits[i + 2] = static_cast<char16_t>(u);
            i += 3;
        } else {
            break;
        }
    }
    return i;
}

// Widens the leading well-formed UTF-8 of p to one unit a code point (sequences of one to three
// bytes), at most nMax units; *pnBytes tells how many bytes they took. Stops where WidenUtf8 does.
size_t WidenUtf8Compact(const unsigned char* p, size_t n, char16_t* pUnits, size_t nMax, size_t* pnBytes) {
    size_t i = 0, k = 0;
    while (k < nMax && i < n) {
        uint32_t b0 = p[i];
        if (b0 < 0x80) {
            if (b0 == 0) break;
            pUnits[k++] = static_cast<char16_t>(b0);
            i += 1;
        } else if (b0 >= 0xC2 && b0 <= 0xDF && i + 1 < n && (p[i + 1] & 0xC0) == 0x80) {
            pUnits[k++] = static_cast<char16_t>(((b0 & 0x1F) << 6) | (p[i + 1] & 0x3F));
            i += 2;
        } else if ((b0 & 0xF0) == 0xE0 && i + 2 < n && (p[i + 1] & 0xC0) == 0x80 && (p[i + 2] & 0xC0) == 0x80) {
            uint32_t u = ((b0 & 0x0F) << 12) | ((p[i + 1] & 0x3Fu) << 6) | (p[i + 2] & 0x3Fu);
            if (u < 0x800 || IsSurrogate(u)) break;
            pUnits[k++] = static_cast<char16_t>(u);
            i += 3;
        } else {
            break;
        }
    }
    *pnBytes = i;
    return k;
}

// Whether the text ahead is written mostly in sequences of three bytes (Chinese, Japanese): then
// one unit a code point serves the road better than one a byte, whose fillers would outnumber
// the characters two to one.
inline bool ThreeByteText(const unsigned char* p, size_t n) {
    size_t nLook = n < 16 ? n : 16;
    int nLeads = 0;
    for (size_t i = 0; i < nLook; ++i) nLeads += (p[i] & 0xF0) == 0xE0;
    return nLeads >= 3;
}

// UTF-8 on the common road: widened a few hundred bytes at a time and taken by the UTF-16 road.
// The first widening of a run is short: in text that leaves the road often (an emoji mark after
// every ideograph, decomposed Hangul), what the road does not take is widened for nothing.
size_t RunFastUtf8(CharacterState* s, const unsigned char* p, size_t n, unsigned char** pq, bool bByteBefore) {
    unsigned char* const pStart = *pq;
    enum { kUnits = 256, kFirstUnits = 32 };
    char16_t units[kUnits];
    size_t nWant = kFirstUnits;
    size_t i = 0;
    for (;;) {
        if (ThreeByteText(p + i, n - i)) {
            size_t nBytes;
            size_t k = WidenUtf8Compact(p + i, n - i, units, nWant, &nBytes);
            size_t nTaken = k != 0 ? RunFastUtf16<false>(s, units, k, pq, bByteBefore || *pq != pStart) : 0;
            if (nTaken == k) {
                i += nBytes;
                if (k == nWant) {
                    nWant = kUnits;
                    continue;
                }
                return i;
            }
            // Back to the byte where the road stopped: the length of each sequence taken.
            for (size_t u = 0; u < nTaken; ++u) i += p[i] < 0x80 ? 1 : p[i] < 0xE0 ? 2 : 3;
            return i;
        }
        size_t k = WidenUtf8(p + i, n - i, units, nWant);
        size_t nTaken = k != 0 ? RunFastUtf16<false>(s, units, k, pq, bByteBefore || *pq != pStart) : 0;
        if (nTaken == k && k == nWant) {
            i += k;
            nWant = kUnits;
            continue;
        }
        // The road stops at a character's last byte, or at a filler it cannot take: the careful
        // path starts again at the sequence's first byte (the fillers taken changed nothing).
        size_t nEnd = i + nTaken;
        if (nTaken < k) {
            while (nEnd > i && (p[nEnd] & 0xC0) == 0x80) --nEnd;
        }
        return nEnd;
    }
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
        if (!kWindows1252 && MayRunFast(s)) {
            size_t nFast = RunFastUtf8(&s, p + i, n - i, &q, q != pOut || LastByteOpen(s));
            i += nFast;
            if (nFast != 0) continue;
        }
        if (kWindows1252) {
            size_t nPlain = RunWindows1252(&s, p + i, n - i, &q);
            if (nPlain == 0) Step(&s, Windows1252CodePoint(b), q);
            i += nPlain != 0 ? nPlain : 1;
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

void StartCharactersCarefully(CharacterState* pState) {
    StartCharacters(pState);
    pState->bCareful = true;
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
        if (MayRunFast(s)) {
            size_t nFast = RunFastUtf16<true>(&s, p + i, n - i, &q, q != pOut || LastByteOpen(s));
            i += nFast;
            if (nFast != 0) continue;
        }
        if (IsSurrogate(u)) {
            ++i;
            if (IsHighSurrogate(u)) {
                s.nHighSurrogate = static_cast<char16_t>(u);
                continue;
            }
            u = kReplacementCharacter;
        } else {
            ++i;
        }
        Step(&s, u, q);
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
