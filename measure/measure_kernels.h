// The measuring core's terms:
//   character      a grapheme cluster (Unicode's extended one); a CR LF pair is one character.
//   class bytes    what the translation writes: one byte a character, for its class (see below).
//   kernel         a loop over class bytes that counts words and lines: plain, SSE2 or AVX2.
//   fast path      takes many characters at a time: the ASCII vector copy, the first-plane table
//                  fast path (UTF-16, and UTF-8 widened to it or classified as it stands) and the
//                  Windows-1252 fast path.
//   scalar reference path  one code point at a time (character_steps): takes what the fast paths
//                  leave, and is the reference they are tested against, byte for byte.
//   sink           a ClassBytesSink: takes the class bytes as counted, for lines at another limit.
//   well-formed    text or a document as its format defines it; anything else is refused or replaced.

// The loops that count words and lines: the plain byte loop, which states the rules, and vector
// versions of it for the processors that have the instructions, one chosen at run time. Every
// kernel gives the same counts as the plain loop for any bytes, cut into pieces anywhere.
#pragma once
#include <stddef.h>
#include <stdint.h>

// Class bytes, the one alphabet the translation writes and every kernel reads:
//   0x00        ends the text
//   0x01..0x7F  a character as ASCII: ASCII as itself, and 'a' for a letter or digit of any script,
//               '!' another printable, ' ' a space, '\n' a line break, 0x01 a control or a format
//               character (a joiner an emoji mark made visible among them)
//   0x80        a filler that continues a word (a mark, or a sequence's leading byte, after a word byte)
//   0xFF        a filler that separates words (the same after any other byte)
// Word bytes are the letters, digits, ' . : and 0x80; a run of them is a word. Printable bytes,
// 0x20..0x7F, take a column and all but the space start a line; CR and LF end one. No other byte
// is written; read, 0x81..0xFE act as 0xFF does: neither word nor column.
enum : unsigned char { kWordFiller = 0x80, kSeparatingFiller = 0xFF };

struct WordByteTable {
    bool bWord[256];
    constexpr WordByteTable() : bWord() {
        for (int c = 0; c < 256; ++c) {
            bool bLetterOrDigit = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
            bWord[c] = bLetterOrDigit || c == '\'' || c == '.' || c == ':' || c == kWordFiller;
        }
    }
};
inline constexpr WordByteTable kWordBytes;

// Whether a class byte is a word byte. Runs of them are words.
inline bool IsWordByte(unsigned char c) { return kWordBytes.bWord[c]; }

// Whether a class byte is white space: the ASCII white space as itself, and ' ' and '\n' for the
// spaces and line breaks of every script.
inline bool IsWhiteSpaceByte(unsigned c) { return c == ' ' || (c >= 0x09 && c <= 0x0D); }

// What a measure carries from one piece of a text to the next.
struct MeasureState {
    int64_t nWords;
    int64_t nLines;
    int32_t nColumn;    // printable bytes since the last line break or cut: below a limit of 2 or more
    bool bInWord;       // the last byte was a word byte
    bool bLineStarted;  // the current line holds a non-space printable byte (and is counted)
    int64_t nBreaks;    // line break bytes, CR and LF
    int64_t nSpaces;    // white space bytes: tab, LF, VT, FF, CR and the space
};

// A kernel's entry points. Each measures at most nBytes bytes, stops at the first zero byte, and
// returns how many bytes came before it (nBytes when there is none). The words entry leaves the
// line fields of the state alone and the lines entry the word fields; only the entry of both counts
// the break and white space bytes too (the lines of kept bytes counted again need no more).
typedef size_t (*CountWordsFn)(const unsigned char* pText, size_t nBytes, MeasureState* pState);
typedef size_t (*CountLinesFn)(const unsigned char* pText, size_t nBytes, int32_t nCharsPerLine, MeasureState* pState);
// The first-plane fast path of UTF-8 that goes with a kernel (utf8_fast_path.h says what it does):
// widened to units and taken as UTF-16 by the plain and SSE2 kernels, classified as it stands by
// vector steps of the kernel's own width from SSSE3 on.
struct CharacterState;
typedef size_t (*Utf8FastPathFn)(CharacterState* s, const unsigned char* p, size_t n, unsigned char** pq,
                                 bool bByteBefore);

struct MeasureKernel {
    const char* szName;
    CountWordsFn pfnWords;
    CountLinesFn pfnLines;
    CountLinesFn pfnWordsAndLines;
    Utf8FastPathFn pfnUtf8FastPath;
};

// The kernels built for this processor family, from the plain loop to the widest: "scalar" always,
// and on x86 "sse2", "ssse3" (the SSE2 loops, with UTF-8 classified by SSSE3's byte shuffles),
// "avx2-nopdep" (AVX2 without BMI2's pdep, which some processors run slowly) and "avx2".
size_t MeasureKernelCount();
const MeasureKernel& MeasureKernelAt(size_t nIndex);
// nullptr when no kernel of that name is built.
const MeasureKernel* FindMeasureKernel(const char* szName);
// Whether this processor and system can run the kernel.
bool MeasureKernelRuns(const MeasureKernel& kernel);
// The kernel the measures use: the fastest that runs here, chosen at the first call.
const MeasureKernel& ActiveMeasureKernel();

// The kernels themselves, for the table above.
extern const MeasureKernel kScalarMeasureKernel;
#if defined(__x86_64__) || defined(__i386__)
#define TQ_X86_MEASURE_KERNELS 1
extern const MeasureKernel kSse2MeasureKernel;
extern const MeasureKernel kSsse3MeasureKernel;
extern const MeasureKernel kAvx2NoPdepMeasureKernel;
extern const MeasureKernel kAvx2MeasureKernel;
#endif
