// RTF's reader, shared by its two files: the groups, destinations and control words
// (rtf_text.cpp), and the fonts, their code pages and the text they give (rtf_fonts.cpp).
#pragma once
#include <stdint.h>
#include <string.h>

#include "documents/code_pages.h"
#include "documents/ascii_classes.h"
#include "documents/document_text.h"
#include "documents/field_type.h"
#include "documents/rtf_text.h"
#include "documents/rtf_words.h"
#include "measure/utf8_sequence.h"

namespace rtf {


const int32_t kNoFont = INT32_MIN;     // the group has no \f of its own: the default font (\deff)
const int32_t kCharsetDefault = 1;     // DEFAULT_CHARSET, the system's ANSI code page: \ansicpg
const int32_t kCharsetSymbol = 2;
const uint32_t kSymbolBase = 0xF000;   // a symbol font's byte is U+F0xx, as Windows maps it
const int kDefaultCodePage = 1252;
const int64_t kMaxParameter = 2147483647;

enum class Destination : uint8_t {
    kText,       // read and counted
    kSkip,       // only groups and \bin are read
    kFontTable,  // only each font's number and character set are read
    kFieldCode,  // a field's instructions: only the field's type (its first word) is read
    kUpr,        // \upr: its ANSI text gives way to the Unicode text of \ud
};

using Act = RtfAct;
using Word = RtfWord;

// The bytes that end a run of plain text.
struct RunEnds {
    bool bEnds[256];
    constexpr RunEnds() : bEnds() {
        const unsigned char kEnds[] = {'\\', '{', '}', '\r', '\n'};
        for (unsigned char c : kEnds) bEnds[c] = true;
    }
};
constexpr RunEnds kRunEnds;

struct Group {
    int32_t nFont;
    int32_t nUc;  // fallback characters after \u
    Destination destination;
    bool bHidden;
    bool bAnchored;  // inside a footnote or text box
    bool bStory;     // a header, footer, footnote or text box: its own paragraphs
    bool bMadeField; // a \field whose result the program makes (a page number, a date): not counted
};

struct Font {
    int32_t nNumber;
    int32_t nCharset;  // -1 without \fcharset
};

class RtfReader {
public:
    // Footnotes and text boxes stand inside a paragraph, often inside a word; they are read in a
    // second pass of their own, so that their text follows the body's instead of splitting it.
    RtfReader(const unsigned char* pData, size_t cbData, DocumentText* pText, bool bAnchoredPass)
        : pData(pData), cbData(cbData), pText(pText), bAnchoredPass(bAnchoredPass) {}

    bool Read();
    bool SawAnchored() const { return bSawAnchored; }

private:
    Group& Top() { return groups[nDepth - 1]; }
    bool Counting() const {
        const Group& group = groups[nDepth - 1];
        return group.destination == Destination::kText && !group.bHidden && group.bAnchored == bAnchoredPass;
    }
    bool Bad() { return pText->Refuse(kRefusedBadRtf); }
    bool ReadControl();
    bool ReadWord();
    void Do(const Word& word, bool bHasParameter, int32_t nParameter);
    bool PutBytes(const unsigned char* pBytes, size_t cbBytes, bool bHigh);
    void PutUnicode(uint32_t nCodePoint);
    void ResolveFont(const CodePageTable** ppTable, bool* pbSymbol, int* pnCodePage);
    // Text in a code page the built-in tables do not hold (the double-byte ones, UTF-8) is
    // gathered as a run and converted whole, so that a pair's two bytes, as \'hh or as a letter,
    // are read as one character.
    bool FlushRun();

    // Output is gathered here so that the sink gets pieces, not single characters. A high
    // surrogate not followed by its low one is U+FFFD.
    void Emit(const char* p, size_t cb, bool bOpenAfter) {
        if (nHighSurrogate != 0) {
            nHighSurrogate = 0;
            Emit("\xEF\xBF\xBD", 3, true);
        }
        if (cb > sizeof(aOut) - cbOut) Flush();
        if (cb > sizeof(aOut)) {
            pText->Put(p, cb);
        } else {
            memcpy(aOut + cbOut, p, cb);
            cbOut += cb;
        }
        bOpen = bOpenAfter;
    }
    void Flush() {
        pText->Put(aOut, cbOut);
        cbOut = 0;
    }
    void FlushSurrogate() {
        if (nHighSurrogate != 0) Emit("", 0, true);
    }
    void PutCodePoint(uint32_t nCodePoint) {
        char utf8[4];
        Emit(utf8, EncodeUtf8(nCodePoint, utf8), true);
    }
    void EndLine() { Emit("\r\n", 2, false); }
    void EndStory() {
        if (Top().bStory && bOpen) EndLine();
    }

    const unsigned char* pData;
    size_t cbData;
    DocumentText* pText;
    bool bAnchoredPass;
    size_t off = 0;
    bool bSawAnchored = false;
    Group groups[kRtfMaxDepth];
    unsigned nDepth = 0;
    Font fonts[kRtfMaxFonts];
    unsigned nFonts = 0;
    int nFontEntry = -1;  // the font \fonttbl is describing
    int32_t nDefaultFont = kNoFont;
    int32_t nAnsiCodePage = kDefaultCodePage;
    bool bCacheValid = false;
    int32_t nCachedFont = 0;
    const CodePageTable* pCachedTable = nullptr;
    bool bCachedSymbol = false;
    int nCachedCodePage = 0;
    unsigned char aRun[8192];
    size_t cbRun = 0;
    int nRunCodePage = 0;
    bool bOpen = false;          // the paragraph has text not yet ended
    uint32_t nFallback = 0;      // characters still to skip after \u
    uint32_t nHighSurrogate = 0;
    bool bStarPending = false;   // \* was read: the next word decides whether the group is read
    Destination starDestination = Destination::kText;
    char aOut[4096];
    size_t cbOut = 0;
    // The field whose instructions are read: its group's index, and its type as far as read.
    unsigned nFieldGroup = 0;
    FieldType fieldType;
    bool bFieldTypeDecided = true;
    void ReadFieldCode(const unsigned char* pBytes, size_t cbBytes) {
        if (bFieldTypeDecided) return;
        fieldType.Add(reinterpret_cast<const char*>(pBytes), cbBytes);
        if (fieldType.Ended()) EndFieldType();
    }
    // A control word or the instructions' end ends a type that has begun.
    void EndFieldType() {
        if (bFieldTypeDecided || !fieldType.Begun()) return;
        bFieldTypeDecided = true;
        if (fieldType.ProgramMade() && nFieldGroup < nDepth) groups[nFieldGroup].bMadeField = true;
    }
};

}  // namespace rtf
