// The scalar reference path, a code point at a time. Character boundaries follow Unicode's extended
// grapheme cluster rules, except that CR LF is two characters. A character is judged by its first
// code point that is not a prepended mark; an emoji presentation mark anywhere in it makes it a
// symbol.
#include "measure/character_steps.h"

#include <string.h>

#include "measure/text_measure.h"

const unsigned char kKindBytes[8] = {'a', '!', ' ', '\n', 0x01, 0, '!', '!'};

namespace {

// Writes the byte of a character whose kind is now known: its first code point (prepended marks,
// never ASCII, aside) as itself when ASCII, as the ASCII copy writes it, else its kind's byte.
inline void Begin(CharacterState* s, MeasureKind k, unsigned char*& q, uint32_t nFirst = 0x80) {
    s->bOpenIdeograph = false;
    s->bOpenEmoji = false;
    s->bOpenSpace = false;
    if (k == kKindJoiner) {
        s->nOpen = kOpenJoiner;
        return;
    }
    *q++ = nFirst < 0x80 ? static_cast<unsigned char>(nFirst) : kKindBytes[k];
    s->nOpen = kOpenByte;
    s->bOpenSpace = IsWhiteSpaceByte(q[-1]);
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

}  // namespace

// Out of line: the scalar reference path is taken for few characters, and each fast path that ends calls it.
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
            s->bOpenSpace = false;
        } else {
            Begin(s, k, q, nCodePoint);
        }
    } else if (s->nOpen == kOpenPrepend) {
        if (g != kGraphemePrepend) {
            Begin(s, k, q, nCodePoint);
            // Prepended marks and a space are one character, not all white space: its byte stays
            // ' ' for the words and lines, and the characters without spaces count it.
            s->nSpacesJoined += s->bOpenSpace;
            s->bOpenSpace = false;
        }
    } else {
        // The same for a mark or a joiner joined to a space.
        s->nSpacesJoined += s->bOpenSpace;
        s->bOpenSpace = false;
        if (k == kKindEmojiMark) MarkEmoji(s, q);
    }
    Advance(s, g);
}

void StartCharacters(CharacterState* pState) { StartCharacters(pState, ActiveMeasureKernel()); }

void StartCharacters(CharacterState* pState, const MeasureKernel& kernel) {
    memset(pState, 0, sizeof(*pState));
    pState->nPrevious = kGraphemeNone;
    pState->nOpen = kOpenNone;
    pState->pfnUtf8FastPath = kernel.pfnUtf8FastPath;
}

void StartScalarReferencePath(CharacterState* pState) {
    StartCharacters(pState);
    pState->bScalarReference = true;
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
