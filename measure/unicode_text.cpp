// From code points to characters and measuring bytes. Character boundaries follow Unicode's
// extended grapheme cluster rules, except that CR LF is two characters. A character is judged by
// its first code point that is not a prepended mark; an emoji presentation mark anywhere in it
// makes it a symbol.
#include "measure/unicode_text.h"

#include <string.h>

#include <atomic>
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

// The common road: letters, spaces, punctuation and the marks that join them, one after another,
// with nothing open that could change how they join (no pictograph, regional indicator, Hangul
// jamo, prepended mark or control before them). Each character of class Other begins a character;
// each mark extends one. Anything else ends the run for Step to take.
inline bool MayRunFast(const CharacterState& s) {
    GraphemeClass p = s.nPrevious;
    return (p == kGraphemeOther || p == kGraphemeExtend || p == kGraphemeSpacingMark || p == kGraphemeCR ||
            p == kGraphemeLF || p == kGraphemeControl) &&
           !s.bPictographRun && !s.bPictographZwj && s.nHighSurrogate == 0 && s.utf8.nNeed == 0;
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
enum { kFastExtends = 0x00, kFastIdeograph = 0x80, kFastStop = 0xFF };
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

// Writes the codes of a block at q. Answers how many of its code points are marks, -1 when the
// block is not for this road (a stop, a mark that does not follow a word character, or a mark
// last, which would leave the open character's byte other than the last written). Ideographs
// become '!' and are counted; marks become the filler 0x80, which continues the word and takes
// no column. bControlBefore tells whether the code point before the block is a control (after
// which a mark begins a character of its own), bByteBefore whether q[-1] may be read.
inline int PlainBlock(const char16_t* p, const uint8_t* pCodes, unsigned char* q, int64_t* pnIdeographs,
                      bool bControlBefore, bool bByteBefore) {
    for (size_t k = 0; k < kFastBlock; ++k) q[k] = pCodes[p[k]];
    unsigned nStops = 0, nMarks = 0, nIdeographs = 0;
#if defined(__SSE2__)
    __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q));
    __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q + 16));
    __m128i zero = _mm_setzero_si128(), stop = _mm_set1_epi8(static_cast<char>(kFastStop));
    __m128i ideograph = _mm_set1_epi8(static_cast<char>(kFastIdeograph));
    nStops = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(a, stop))) |
             static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(b, stop))) << 16;
    nMarks = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(a, zero))) |
             static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(b, zero))) << 16;
    __m128i ideographsA = _mm_cmpeq_epi8(a, ideograph), ideographsB = _mm_cmpeq_epi8(b, ideograph);
    nIdeographs = static_cast<unsigned>(_mm_movemask_epi8(ideographsA)) |
                  static_cast<unsigned>(_mm_movemask_epi8(ideographsB)) << 16;
    if (nStops != 0 || (nMarks >> (kFastBlock - 1)) != 0) return -1;
    if (nIdeographs != 0) {
        __m128i flip = _mm_set1_epi8(static_cast<char>(kFastIdeograph ^ '!'));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(q), _mm_xor_si128(a, _mm_and_si128(ideographsA, flip)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(q + 16), _mm_xor_si128(b, _mm_and_si128(ideographsB, flip)));
    }
#else
    for (size_t k = 0; k < kFastBlock; ++k) {
        nStops |= (q[k] == kFastStop ? 1u : 0u) << k;
        nMarks |= (q[k] == kFastExtends ? 1u : 0u) << k;
        nIdeographs |= (q[k] == kFastIdeograph ? 1u : 0u) << k;
    }
    if (nStops != 0 || (nMarks >> (kFastBlock - 1)) != 0) return -1;
    for (unsigned nRest = nIdeographs; nRest != 0; nRest &= nRest - 1) q[__builtin_ctz(nRest)] = '!';
#endif
    // In order, so that a mark after a mark sees the filler before it.
    for (unsigned nRest = nMarks; nRest != 0; nRest &= nRest - 1) {
        unsigned j = static_cast<unsigned>(__builtin_ctz(nRest));
        if (j == 0 && (bControlBefore || !bByteBefore)) return -1;
        if (!IsWordByte(q[static_cast<int>(j) - 1])) return -1;
        q[j] = 0x80;
    }
    *pnIdeographs += __builtin_popcount(nIdeographs);
    return __builtin_popcount(nMarks);
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
        for (int nMarks; i + kFastBlock <= n &&
                         (nMarks = PlainBlock(p + i, pCodes, q, &run.nIdeographs, FastRun::IsControlCode(run.nLastTaken),
                                              q != *pq || bByteBefore)) >= 0;) {
            bool bAscii = kLeaveAscii && AsciiBlock(p + i);
            run.nLastBegun = pCodes[p[i + kFastBlock - 1]];
            run.nLastTaken = static_cast<unsigned>(run.nLastBegun);
            run.nFillers += nMarks;
            i += kFastBlock;
            q += kFastBlock;
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

inline uint32_t LittleEndian(uint32_t w) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    return __builtin_bswap32(w);
#else
    return w;
#endif
}

// UTF-8 on the common road: well-formed sequences of one to three bytes are turned into UTF-16 a
// few hundred at a time and taken by the UTF-16 road. Four-byte sequences, ill-formed bytes,
// U+0000 and a sequence cut by the end of the piece are for the careful decoder; an encoded
// surrogate becomes a surrogate unit, at which the UTF-16 road stops.
size_t RunFastUtf8(CharacterState* s, const unsigned char* p, size_t n, unsigned char** pq, bool bByteBefore) {
    unsigned char* const pStart = *pq;
    enum { kUnits = 128 };
    char16_t units[kUnits];
    size_t i = 0;
    for (;;) {
        size_t nStart = i, k = 0;
        // Four bytes are read at a time (little-endian), whatever the sequence's length.
        while (k < kUnits && i + 4 <= n) {
#if defined(__SSE2__)
            // Eight ASCII bytes at once, widened to units (a zero byte is the careful path's).
            if (k + 8 <= kUnits && i + 8 <= n) {
                __m128i eight = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p + i));
                __m128i zero = _mm_setzero_si128();
                if ((_mm_movemask_epi8(_mm_or_si128(eight, _mm_cmpeq_epi8(eight, zero))) & 0xFF) == 0) {
                    _mm_storeu_si128(reinterpret_cast<__m128i*>(units + k), _mm_unpacklo_epi8(eight, zero));
                    k += 8;
                    i += 8;
                    continue;
                }
            }
#endif
            uint32_t w;
            memcpy(&w, p + i, 4);
            w = LittleEndian(w);
            if ((w & 0x80) == 0) {
                if ((w & 0xFF) == 0) break;
                units[k++] = static_cast<char16_t>(w & 0x7F);
                i += 1;
            } else if ((w & 0xC0E0C0E0) == 0x80C080C0 && (w & 0x1E) != 0 && (w & 0x1E0000) != 0 && k + 2 <= kUnits) {
                // Two sequences of two bytes: the letters of Cyrillic, Greek, Hebrew, Arabic.
                units[k++] = static_cast<char16_t>(((w & 0x1F) << 6) | ((w >> 8) & 0x3F));
                units[k++] = static_cast<char16_t>(((w >> 10) & 0x7C0) | ((w >> 24) & 0x3F));
                i += 4;
            } else if ((w & 0xC0E0) == 0x80C0 && (w & 0x1E) != 0) {  // 110xxxxx 10xxxxxx, not overlong
                units[k++] = static_cast<char16_t>(((w & 0x1F) << 6) | ((w >> 8) & 0x3F));
                i += 2;
            } else if ((w & 0xC0C0F0) == 0x8080E0) {  // 1110xxxx 10xxxxxx 10xxxxxx
                uint32_t u = ((w & 0x0F) << 12) | ((w >> 2) & 0x0FC0) | ((w >> 16) & 0x3F);
                if (u < 0x800) break;  // an overlong form
                units[k++] = static_cast<char16_t>(u);
                i += 3;
            } else {
                break;
            }
        }
        size_t nTaken = k != 0 ? RunFastUtf16<false>(s, units, k, pq, bByteBefore || *pq != pStart) : 0;
        if (nTaken == k) {
            if (k == kUnits) continue;
            return i;
        }
        // Back to the byte where the road stopped: the length of each sequence taken.
        i = nStart;
        for (size_t u = 0; u < nTaken; ++u) i += p[i] < 0x80 ? 1 : p[i] < 0xE0 ? 2 : 3;
        return i;
    }
}

#if defined(__SSE2__)
// Leaves the state as a road of UTF-8 blocks ended: nBegun characters were begun.
size_t Finish(CharacterState* s, const FastRun& run, int64_t nBegun, unsigned char** pq, unsigned char* q, size_t i) {
    if (i != 0) {
        run.End(s, static_cast<size_t>(nBegun));
        *pq = q;
    }
    return i;
}
#endif

#if defined(__SSE2__)
// UTF-8 sixteen bytes at a time, when they hold only ASCII and sequences of two or three bytes.
// The measuring bytes keep the text's length: a character of several bytes gives its byte at its
// last byte and fillers before it that change nothing, 0x80 after a word byte (it continues the
// word and takes no column) and 0xFF after any other (it separates and takes no column), as the
// byte kernels count bytes from 0x80 up. So no bytes need moving, and the character's own byte
// stays the last one written, for an emoji mark after it to change. Answers how many bytes it
// took (0 when the careful roads must take the next one).
const int kMostLeadsInBlock = 4;

size_t RunUtf8Blocks(CharacterState* s, const unsigned char* p, size_t n, unsigned char* pOut, unsigned char** pq) {
    const uint8_t* pCodes = FastCodes();
    unsigned char* q = *pq;
    // The filler of the first character needs the byte before it.
    if (q == pOut && !LastByteOpen(*s)) return 0;
    FastRun run = {0, RoadCodeOf(s->nPrevious), -1, 0};
    size_t i = 0;
    int64_t nBegun = 0;
    const __m128i zero = _mm_setzero_si128();
    while (i + 18 <= n) {  // two bytes more, for the sequences that end the block
        __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        unsigned nAscii = ~static_cast<unsigned>(_mm_movemask_epi8(x)) & 0xFFFF;
        unsigned nZero = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(x, zero)));
        unsigned nCont = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_and_si128(x, _mm_set1_epi8(static_cast<char>(0xC0))),
                                             _mm_set1_epi8(static_cast<char>(0x80)))));
        unsigned nLead2 = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_and_si128(x, _mm_set1_epi8(static_cast<char>(0xE0))),
                                             _mm_set1_epi8(static_cast<char>(0xC0)))));
        unsigned nLead3 = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_and_si128(x, _mm_set1_epi8(static_cast<char>(0xF0))),
                                             _mm_set1_epi8(static_cast<char>(0xE0)))));
        if (nAscii == 0xFFFF || nZero != 0 || (nAscii | nCont | nLead2 | nLead3) != 0xFFFF) break;
        // A sequence that begins in the block ends in it or in the two bytes after it.
        unsigned nExpected = (nLead2 << 1) | (nLead3 << 1) | (nLead3 << 2);
        unsigned nStarts = nAscii | nLead2 | nLead3;
        unsigned nSpill = (nExpected >> 16) != 0 ? 1 : 0;
        unsigned nBytes = 16 + (nSpill ? (nLead2 & 0x8000 ? 1 : (nLead3 & 0x8000 ? 2 : 1)) : 0);
        if ((nExpected & 0xFFFF) != nCont) break;
        // Text of few ASCII characters (Cyrillic, Greek, Chinese) goes faster by the UTF-16 road,
        // which looks up whole blocks of characters: this road is for text mostly in ASCII.
        unsigned nLeads = nLead2 | nLead3;
        if (__builtin_popcount(nLeads) > kMostLeadsInBlock) break;
        if (nSpill) {
            // The continuation bytes after the block must be there.
            for (unsigned k = 16; k < nBytes; ++k) {
                if ((p[i + k] & 0xC0) != 0x80) return Finish(s, run, nBegun, pq, q, i);
            }
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(q), x);
        bool bStartsAfterControl = FastRun::IsControlCode(run.nLastTaken);
        int64_t nMarks = 0, nIdeographs = 0;
        bool bLastIsMark = false;
        unsigned nLastCode = run.nLastTaken;
        int nLastBegun = run.nLastBegun;
        bool bOk = true;
        for (unsigned nRest = nLeads; nRest != 0; nRest &= nRest - 1) {
            unsigned j = LowestBit(nRest);
            const unsigned char* pSeq = p + i + j;
            uint32_t nCodePoint;
            unsigned nLength;
            if (nLead2 >> j & 1) {
                nCodePoint = ((pSeq[0] & 0x1Fu) << 6) | (pSeq[1] & 0x3Fu);
                nLength = 2;
                if (pSeq[0] < 0xC2) bOk = false;  // an overlong form
            } else {
                nCodePoint = ((pSeq[0] & 0x0Fu) << 12) | ((pSeq[1] & 0x3Fu) << 6) | (pSeq[2] & 0x3Fu);
                nLength = 3;
                if (nCodePoint < 0x800) bOk = false;
            }
            unsigned nCode = pCodes[nCodePoint];
            // Before the block, the class says whether a control came last (a joiner, of class
            // Control, leaves no byte); within it, the byte before.
            unsigned char nBefore = j != 0 ? q[j - 1] : q[-1];
            bool bAfterControl = j != 0 ? nBefore < 0x20 || nBefore == 0x7F : bStartsAfterControl;
            if (!bOk || nCode == kFastStop || (nCode == kFastExtends && bAfterControl)) {
                bOk = false;
                break;
            }
            unsigned char nFiller = IsWordByte(nBefore) ? 0x80 : 0xFF;
            q[j] = nFiller;
            q[j + 1] = nFiller;
            if (nLength == 3) q[j + 2] = nFiller;
            bLastIsMark = nCode == kFastExtends;
            nLastCode = nCode;
            if (bLastIsMark) {
                ++nMarks;
            } else {
                bool bIdeograph = nCode == kFastIdeograph;
                nIdeographs += bIdeograph;
                q[j + nLength - 1] = bIdeograph ? static_cast<unsigned char>('!') : static_cast<unsigned char>(nCode);
                nLastBegun = static_cast<int>(nCode);
            }
        }
        // The block must end on a character begun, whose byte is then the last written.
        unsigned nLastStart = 31 - static_cast<unsigned>(__builtin_clz(nStarts));
        bool bEndsAscii = (nAscii >> nLastStart) & 1;
        if (!bOk || (!bEndsAscii && bLastIsMark)) break;
        if (bEndsAscii) {
            nLastCode = p[i + nLastStart];
            nLastBegun = static_cast<int>(nLastCode);
        }
        nBegun += __builtin_popcount(nStarts) - nMarks;
        run.nIdeographs += nIdeographs;
        run.nLastTaken = nLastCode;
        run.nLastBegun = nLastBegun;
        q += nBytes;
        i += nBytes;
    }
    return Finish(s, run, nBegun, pq, q, i);
}
#endif

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
#if defined(__SSE2__)
            size_t nBlocks = RunUtf8Blocks(&s, p + i, n - i, pOut, &q);
            i += nBlocks;
            if (nBlocks != 0) continue;
#endif
            size_t nFast = RunFastUtf8(&s, p + i, n - i, &q, q != pOut || LastByteOpen(s));
            i += nFast;
            if (nFast != 0) continue;
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
