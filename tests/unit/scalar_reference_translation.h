// A text translated into class bytes by the fast paths or by the scalar reference path alone, fed in the
// same pieces, and how two translations differ: what the class-byte tests and fuzz target
// compare, the scalar reference path being the reference.
#pragma once
#include <stddef.h>

#include <string>
#include <vector>

#include "measure/unicode_text.h"

enum TextForm { kFormUtf16, kFormUtf8, kFormWindows1252 };

struct Translation {
    std::vector<std::string> bytes;      // the class bytes written by the end of each piece, then of the finish
    std::vector<size_t> taken;           // what each piece returned
    std::vector<CharacterState> states;  // after each piece, then after the finish
};

// pText holds nUnits units of the form (char16_t for UTF-16, bytes for the others); the pieces end
// at the cuts, which ascend, and at nUnits. The fast paths are the given kernel's, or else those of
// the kernel the measures use.
inline Translation Translate(TextForm form, const void* pText, size_t nUnits, const std::vector<size_t>& cuts,
                             bool bScalarReference, const MeasureKernel* pKernel = nullptr) {
    Translation t;
    CharacterState s;
    if (bScalarReference) {
        StartScalarReferencePath(&s);
    } else if (pKernel != nullptr) {
        StartCharacters(&s, *pKernel);
    } else {
        StartCharacters(&s);
    }
    // Each piece writes at most its units and 2 more, the finish at most 2.
    std::vector<unsigned char> out(nUnits + 2 * cuts.size() + 8);
    size_t nOut = 0, nStart = 0, nWritten = 0;
    for (size_t i = 0; i <= cuts.size(); ++i) {
        size_t nEnd = i < cuts.size() ? cuts[i] : nUnits;
        unsigned char* pOut = out.data() + nOut;  // pOut[-1] is the last byte written, as the translation needs
        size_t nTaken;
        if (form == kFormUtf16) {
            nTaken = TranslateUtf16(&s, static_cast<const char16_t*>(pText) + nStart, nEnd - nStart, pOut, &nWritten);
        } else if (form == kFormUtf8) {
            nTaken = TranslateUtf8(&s, static_cast<const unsigned char*>(pText) + nStart, nEnd - nStart, pOut, &nWritten);
        } else {
            nTaken = TranslateWindows1252(&s, static_cast<const unsigned char*>(pText) + nStart, nEnd - nStart, pOut,
                                          &nWritten);
        }
        nOut += nWritten;
        t.taken.push_back(nTaken);
        t.states.push_back(s);
        t.bytes.push_back(std::string(reinterpret_cast<const char*>(out.data()), nOut));
        nStart = nEnd;
    }
    FinishCharacters(&s, out.data() + nOut, &nWritten);
    nOut += nWritten;
    t.states.push_back(s);
    t.bytes.push_back(std::string(reinterpret_cast<const char*>(out.data()), nOut));
    return t;
}

// The first field in which two states would read what follows differently, "" when none does.
// Left out: the choice of fast path itself; the decoder's fields while no sequence is open; the kind of
// the prepended marks while none are open; what is known of the open character while none is; and
// which kind of mark came last (the rules read Extend and SpacingMark alike before any code point,
// and the first-plane fast path records both as Extend).
inline std::string StateDifference(const CharacterState& a, const CharacterState& b) {
    auto mark = [](GraphemeClass g) { return g == kGraphemeSpacingMark ? kGraphemeExtend : g; };
    bool bOpen = a.nOpen == kOpenByte || a.nOpen == kOpenJoiner;
    bool bDecoding = a.utf8.nNeed != 0;
    struct Field {
        const char* szName;
        long long nA, nB;
    } fields[] = {
        {"characters", a.nChars, b.nChars},
        {"ideographs", a.nIdeographs, b.nIdeographs},
        {"spaces joined", a.nSpacesJoined, b.nSpacesJoined},
        {"previous class", mark(a.nPrevious), mark(b.nPrevious)},
        {"pictograph run", a.bPictographRun, b.bPictographRun},
        {"pictograph and joiner", a.bPictographZwj, b.bPictographZwj},
        {"odd regional indicators", a.bRegionalOdd, b.bRegionalOdd},
        {"open character", a.nOpen, b.nOpen},
        {"prepended marks' kind", a.nOpen == kOpenPrepend ? a.nOpenKind : 0, b.nOpen == kOpenPrepend ? b.nOpenKind : 0},
        {"open ideograph", bOpen && a.bOpenIdeograph, bOpen && b.bOpenIdeograph},
        {"open emoji", bOpen && a.bOpenEmoji, bOpen && b.bOpenEmoji},
        {"open space", bOpen && a.bOpenSpace, bOpen && b.bOpenSpace},
        {"high surrogate", a.nHighSurrogate, b.nHighSurrogate},
        {"sequence's bytes needed", a.utf8.nNeed, b.utf8.nNeed},
        {"sequence's bytes seen", bDecoding ? a.utf8.nSeen : 0, bDecoding ? b.utf8.nSeen : 0},
        {"sequence's code point", bDecoding ? a.utf8.nCodePoint : 0, bDecoding ? b.utf8.nCodePoint : 0},
        {"sequence's next lowest", bDecoding ? a.utf8.nLower : 0, bDecoding ? b.utf8.nLower : 0},
        {"sequence's next highest", bDecoding ? a.utf8.nUpper : 0, bDecoding ? b.utf8.nUpper : 0},
        {"ended", a.bEnded, b.bEnded},
    };
    for (const Field& field : fields) {
        if (field.nA != field.nB)
            return std::string(field.szName) + " " + std::to_string(field.nA) + " against " + std::to_string(field.nB);
    }
    return "";
}

// Whether a class byte is a word byte, as the alphabet states it.
inline bool WordByte(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '\'' || c == '.' ||
           c == ':' || c == 0x80;
}

// The fast paths also write fillers (0x80, 0xFF) for marks and for the leading bytes of UTF-8
// sequences, where the scalar reference path writes nothing: each must take the word-ness of the byte
// before it, so that it changes no count, and without them the bytes must be the scalar reference path's
// byte for byte. Returns where they first differ, "" when they do not.
inline std::string BytesDifference(const std::string& fast, const std::string& scalar) {
    size_t k = 0;
    for (size_t i = 0; i < fast.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(fast[i]);
        if (c == 0x80 || c == 0xFF) {
            bool bWordBefore = i > 0 && WordByte(static_cast<unsigned char>(fast[i - 1]));
            if (i == 0 || (c == 0x80) != bWordBefore) {
                return "filler " + std::to_string(c) + " at " + std::to_string(i) +
                       (i == 0 ? std::string(" first") : " after " + std::to_string(static_cast<unsigned char>(fast[i - 1])));
            }
            continue;
        }
        if (k == scalar.size() || scalar[k] != fast[i]) {
            return "class byte " + std::to_string(i) + " (" + std::to_string(k) + " without fillers) is " +
                   std::to_string(c) + " against scalar reference " +
                   (k == scalar.size() ? std::string("none") : std::to_string(static_cast<unsigned char>(scalar[k])));
        }
        ++k;
    }
    if (k == scalar.size()) return "";
    return std::to_string(k) + " class bytes without fillers against scalar reference " + std::to_string(scalar.size());
}

// The first difference between a fast translation and the scalar reference one, "" when there is none.
inline std::string TranslationDifference(const Translation& fast, const Translation& scalar) {
    for (size_t i = 0; i < fast.states.size(); ++i) {
        std::string where = i < fast.taken.size() ? "after piece " + std::to_string(i) : std::string("after the finish");
        std::string difference = BytesDifference(fast.bytes[i], scalar.bytes[i]);
        if (difference.empty() && i < fast.taken.size() && fast.taken[i] != scalar.taken[i]) {
            difference = "took " + std::to_string(fast.taken[i]) + " units against scalar reference " +
                         std::to_string(scalar.taken[i]);
        }
        if (difference.empty()) {
            difference = StateDifference(fast.states[i], scalar.states[i]);
            if (!difference.empty()) difference += " (scalar reference)";
        }
        if (!difference.empty()) return where + ": " + difference;
    }
    return "";
}
