// Unicode text turned into class bytes: each character (a grapheme cluster; a CR LF break is
// two) becomes one ASCII byte that the byte kernels count as they count plain text, so the word and
// line rules stay in one place and every block of ASCII keeps the vector kernels. A character's
// byte is 'a' when it is part of a word, '!' for other printable characters, ' ' for spaces, '\n'
// for line breaks and 0x01 for controls and format characters; ASCII characters stay themselves
// (the whole alphabet is in measure_kernels.h).
// A joiner (soft hyphen, zero-width joiners) gives no byte at all, so it neither starts nor ends a
// word; an ideograph gives '!' and counts as a word of its own, apart from the bytes. A mark, or a
// leading byte of a UTF-8 sequence on the first-plane fast path, may give a filler: 0x80 after a word byte, 0xFF after any other,
// which the kernels count as continuing or separating and taking no column.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "measure/measure_kernels.h"
#include "measure/unicode_classes.h"

// A UTF-8 sequence that a piece of input cut in the middle.
struct Utf8Decoder {
    uint32_t nCodePoint;
    uint8_t nNeed;   // continuation bytes the sequence needs in all; 0 when none is open
    uint8_t nSeen;   // continuation bytes taken so far
    uint8_t nLower;  // the range the next continuation byte must fall in
    uint8_t nUpper;
};

// What the translation carries from one piece of a text to the next.
struct CharacterState {
    int64_t nChars;       // characters begun so far
    int64_t nIdeographs;  // ideographs, each a word of its own
    int64_t nSpacesJoined;  // characters whose byte is white space that are not all white space
    GraphemeClass nPrevious;
    bool bPictographRun;  // the last code points are a pictograph and marks that extend it
    bool bPictographZwj;  // ... and a zero-width joiner after them
    bool bRegionalOdd;    // an odd number of regional indicators ends the text so far
    uint8_t nOpen;        // the last character, still open to marks: one of OpenCharacter
    MeasureKind nOpenKind;  // for an open character of prepended marks only: the kind of the first
    bool bOpenIdeograph;    // the open character was counted as an ideograph
    bool bOpenEmoji;        // the open character holds an emoji presentation mark
    bool bOpenSpace;        // the open character's byte is white space, and so far it is all white space
    char16_t nHighSurrogate;  // a high surrogate waiting for its low half, 0 when none
    Utf8Decoder utf8;
    bool bEnded;            // the text's terminating U+0000 was met
    bool bScalarReference;  // every code point by the scalar reference path: the reference for the fast paths
    Utf8FastPathFn pfnUtf8FastPath;  // the kernel's first-plane fast path of UTF-8
};

enum OpenCharacter : uint8_t {
    kOpenNone,
    kOpenByte,     // its byte is the last one written, and may still change
    kOpenJoiner,   // a joiner: no byte yet (one appears if an emoji mark joins it)
    kOpenPrepend   // prepended marks only: its byte is written when it is known what they prefix
};

// The text is read with the fast paths of the kernel the measures use, or of the one given.
void StartCharacters(CharacterState* pState);
void StartCharacters(CharacterState* pState, const MeasureKernel& kernel);
// The same for a text to be read a code point at a time, with no fast path: slower, and the same
// bytes and state, so that the fast paths can be tested against it.
void StartScalarReferencePath(CharacterState* pState);

// While this holds, the last byte written belongs to a character that may still change: the next
// call writes after it and may change it, so it must stay in front of the next output, uncounted.
inline bool LastByteOpen(const CharacterState& state) { return state.nOpen == kOpenByte; }

// Each translates the next piece of a text, writing at most nUnits + 2 class bytes at pOut
// (*pnOut tells how many), and returns how many units came before the text's terminating zero
// (nUnits when there was none; after the terminator nothing more is read). pOut[-1] must hold the
// last byte written before when LastByteOpen.
//   UTF-16 in the machine's order; an unpaired surrogate is read as U+FFFD.
size_t TranslateUtf16(CharacterState* pState, const char16_t* pUnits, size_t nUnits, unsigned char* pOut,
                      size_t* pnOut);
//   UTF-8; each maximal ill-formed part of a sequence is read as one U+FFFD, as Windows and the
//   browsers decode.
size_t TranslateUtf8(CharacterState* pState, const unsigned char* pBytes, size_t nBytes, unsigned char* pOut,
                     size_t* pnOut);
//   Windows-1252.
size_t TranslateWindows1252(CharacterState* pState, const unsigned char* pBytes, size_t nBytes,
                            unsigned char* pOut, size_t* pnOut);
// Ends the text: an unfinished sequence becomes U+FFFD and the last character is closed. Writes at
// most 2 bytes. The state can take no more input after it.
void FinishCharacters(CharacterState* pState, unsigned char* pOut, size_t* pnOut);

// Character (cluster) boundaries of a UTF-16 text, for cutting it where no character is split.
// The largest boundary at or before nIndex, and the smallest at or after it (nIndex <= nUnits).
size_t CharacterBoundaryAtOrBefore(const char16_t* pUnits, size_t nUnits, size_t nIndex);
size_t CharacterBoundaryAtOrAfter(const char16_t* pUnits, size_t nUnits, size_t nIndex);
