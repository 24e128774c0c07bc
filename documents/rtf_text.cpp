#include "documents/rtf_text.h"

#include "documents/code_page_converter.h"

#include <stdint.h>
#include <string.h>

#include "documents/code_pages.h"
#include "documents/ascii_classes.h"
#include "documents/rtf_words.h"
#include "documents/text_encoding.h"
#include "measure/surrogates.h"
#include "measure/utf8_sequence.h"

namespace {

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
    char szFieldType[16] = "";
    size_t cbFieldType = 0;
    bool bFieldTypeEnded = true;
    void ReadFieldCode(const unsigned char* pBytes, size_t cbBytes);
    void EndFieldType();
};

// The fields whose result the program makes as it shows or prints the document: nobody writes or
// translates a page number or a date.
bool IsMadeField(const char* szType) {
    static const char* const kMadeFields[] = {"PAGE", "NUMPAGES", "SECTIONPAGES", "DATE", "TIME",
                                              "CREATEDATE", "SAVEDATE", "PRINTDATE"};
    for (const char* szMade : kMadeFields) {
        if (strcmp(szMade, szType) == 0) return true;
    }
    return false;
}

void RtfReader::ReadFieldCode(const unsigned char* pBytes, size_t cbBytes) {
    for (size_t i = 0; i < cbBytes && !bFieldTypeEnded; ++i) {
        unsigned char c = pBytes[i];
        bool bLetter = IsAsciiLetter(c);
        if (!bLetter && cbFieldType == 0 && (c == ' ' || c == '\t')) continue;  // blanks before the type
        if (!bLetter) {
            EndFieldType();
            break;
        }
        if (cbFieldType + 1 < sizeof(szFieldType)) {
            szFieldType[cbFieldType++] = static_cast<char>(c >= 'a' ? c - 'a' + 'A' : c);
            szFieldType[cbFieldType] = '\0';
        }
    }
}

void RtfReader::EndFieldType() {
    if (bFieldTypeEnded) return;
    bFieldTypeEnded = true;
    if (cbFieldType > 0 && IsMadeField(szFieldType) && nFieldGroup < nDepth) groups[nFieldGroup].bMadeField = true;
}

bool RtfReader::Read() {
    uint64_t cbTold = 0;
    while (off < cbData) {
        if (pText->Refusal() != nullptr || !pText->ParsedUpTo(off, &cbTold)) return false;
        unsigned char c = pData[off];
        if (c == '{' || c == '}') {
            if (!FlushRun()) return false;
            bStarPending = false;  // a group opened or closed after \* leaves this one skipped
            nFallback = 0;         // fallback text never crosses a brace
            ++off;
            if (c == '{') {
                if (nDepth == kRtfMaxDepth) return Bad();
                if (nDepth > 0) {
                    groups[nDepth] = groups[nDepth - 1];
                } else {
                    groups[0] = Group{kNoFont, 1, Destination::kText, false, false, false, false};
                }
                groups[nDepth++].bStory = false;
                continue;
            }
            EndStory();
            if (Top().destination == Destination::kFieldCode) EndFieldType();
            if (--nDepth == 0) break;
            continue;
        }
        if (c == '\\') {
            if (!ReadControl()) return false;
            continue;
        }
        if (c == '\r' || c == '\n') {
            ++off;
            continue;
        }
        size_t offEnd = off;
        unsigned char nBits = 0;
        while (offEnd < cbData && !kRunEnds.bEnds[pData[offEnd]]) nBits |= pData[offEnd++];
        bStarPending = false;
        if (nFallback > 0) {
            size_t cbSkipped = offEnd - off < nFallback ? offEnd - off : nFallback;
            off += cbSkipped;
            nFallback -= static_cast<uint32_t>(cbSkipped);
            continue;
        }
        if (Top().destination == Destination::kFieldCode) ReadFieldCode(pData + off, offEnd - off);
        if (Counting() && !PutBytes(pData + off, offEnd - off, nBits >= 0x80)) return false;
        off = offEnd;
    }
    // A file cut with only the outermost group open is read as far as it goes (writers and
    // transfers do cut the last brace); cut inside an inner group, its text is clearly missing.
    if (nDepth > 1) return Bad();
    // What follows the brace that closes the document is ignored, as word processors ignore it,
    // extra closing braces and text alike.
    if (!FlushRun()) return false;
    if (nDepth == 1) EndStory();
    FlushSurrogate();
    if (bOpen) EndLine();  // the last paragraph, without \par
    Flush();
    return pText->Refusal() == nullptr;
}

bool RtfReader::ReadControl() {
    ++off;  // the backslash
    if (off == cbData) return true;  // a lone backslash at the end says nothing
    unsigned char c = pData[off];
    if (c != '\'' && !FlushRun()) return false;
    if (IsAsciiLetter(c)) return ReadWord();
    bool bStar = bStarPending;
    bStarPending = false;
    if (c == '\'') {
        int nHigh = off + 2 < cbData ? HexValue(pData[off + 1]) : -1;
        int nLow = off + 2 < cbData ? HexValue(pData[off + 2]) : -1;
        if (nHigh < 0 || nLow < 0) return Bad();
        off += 3;
        unsigned char nByte = static_cast<unsigned char>(nHigh * 16 + nLow);
        if (nFallback > 0) {
            --nFallback;
            return true;
        }
        return !Counting() || PutBytes(&nByte, 1, nByte >= 0x80);
    }
    ++off;
    if (nFallback > 0) {
        --nFallback;
        return true;
    }
    if (c == '*') {
        // The group is skipped unless the next word is a destination this reader knows.
        starDestination = bStar ? starDestination : Top().destination;
        Top().destination = Destination::kSkip;
        bStarPending = true;
        return true;
    }
    if (!Counting()) return true;
    switch (c) {
    case '\\':
    case '{':
    case '}': Emit(reinterpret_cast<const char*>(&c), 1, true); break;
    case '~': PutCodePoint(0x00A0); break;
    case '-': PutCodePoint(0x00AD); break;
    case '_': PutCodePoint(0x2011); break;
    case '\r':
    case '\n': EndLine(); break;  // a backslash before a line end is \par
    default: break;
    }
    return true;
}

bool RtfReader::ReadWord() {
    size_t offName = off;
    while (off < cbData && IsAsciiLetter(pData[off])) {
        if (off - offName == kRtfMaxWordLength) return Bad();
        ++off;
    }
    const char* pName = reinterpret_cast<const char*>(pData + offName);
    size_t cbName = off - offName;
    bool bNegative = off + 1 < cbData && pData[off] == '-' && IsAsciiDigit(pData[off + 1]);
    if (bNegative) ++off;
    bool bHasParameter = false;
    int64_t nValue = 0;
    while (off < cbData && IsAsciiDigit(pData[off])) {
        bHasParameter = true;
        nValue = nValue * 10 + (pData[off++] - '0');
        if (nValue > kMaxParameter + (bNegative ? 1 : 0)) return Bad();
    }
    int32_t nParameter = static_cast<int32_t>(bNegative ? -nValue : nValue);
    if (off < cbData && pData[off] == ' ') ++off;  // the delimiter is part of the word

    bool bStar = bStarPending;
    bStarPending = false;
    const Word* pWord = FindRtfWord(pName, cbName);
    if (pWord != nullptr && pWord->act == Act::kBin) {
        // The bytes are skipped wherever \bin stands, or the data would be read as RTF.
        int64_t cbBinary = bHasParameter ? nParameter : 0;
        if (cbBinary < 0 || static_cast<uint64_t>(cbBinary) > cbData - off) return Bad();
        off += static_cast<size_t>(cbBinary);
        if (nFallback > 0) --nFallback;
        return true;
    }
    if (nFallback > 0) {
        --nFallback;
        return true;
    }
    if (pWord == nullptr) return true;
    if (bStar) {
        if (!IsRtfDestination(pWord->act)) return true;
        Top().destination = starDestination;
    }
    Do(*pWord, bHasParameter, nParameter);
    return true;
}

void RtfReader::Do(const Word& word, bool bHasParameter, int32_t nParameter) {
    Group& group = Top();
    if (group.destination == Destination::kSkip) return;
    if (group.destination == Destination::kFieldCode) {
        EndFieldType();  // a control word ends the type's word
        if (word.act == Act::kSkip) group.destination = Destination::kSkip;
        return;
    }
    if (group.destination == Destination::kFontTable) {
        if (word.act == Act::kFont) {
            // A later font of the same number wins: fonts are looked up from the end.
            nFontEntry = nFonts < kRtfMaxFonts ? static_cast<int>(nFonts++) : -1;
            if (nFontEntry >= 0) fonts[nFontEntry] = Font{bHasParameter ? nParameter : 0, -1};
            bCacheValid = false;
        } else if (word.act == Act::kCharset && nFontEntry >= 0) {
            fonts[nFontEntry].nCharset = bHasParameter ? nParameter : 0;
            bCacheValid = false;
        } else if (word.act == Act::kSkip) {
            group.destination = Destination::kSkip;
        }
        return;
    }
    bool bCounting = Counting();
    switch (word.act) {
    case Act::kPar:
    case Act::kLine:
    case Act::kCell: if (bCounting) EndLine(); break;
    case Act::kBreak:
        // \page, \column and \sect end the line they break, and nothing at a paragraph's start.
        if (bCounting && bOpen) EndLine();
        break;
    case Act::kTab: if (bCounting) Emit("\t", 1, true); break;
    case Act::kChar: if (bCounting) PutCodePoint(word.nValue); break;
    case Act::kUnicode: {
        // Negative values are the upper half of 16 bits; larger ones are taken as code points.
        int64_t nCodePoint = bHasParameter ? nParameter : 0;
        if (nCodePoint < 0) nCodePoint += 65536;
        if (bCounting) PutUnicode(nCodePoint < 0 ? 0xFFFD : static_cast<uint32_t>(nCodePoint));
        nFallback = static_cast<uint32_t>(group.nUc);
        break;
    }
    case Act::kUc: group.nUc = !bHasParameter ? 1 : nParameter < 0 ? 0 : nParameter; break;
    case Act::kFont: group.nFont = bHasParameter ? nParameter : 0; break;
    case Act::kDefaultFont: nDefaultFont = bHasParameter ? nParameter : 0; bCacheValid = false; break;
    case Act::kAnsiCodePage: nAnsiCodePage = nParameter; bCacheValid = false; break;
    case Act::kCodePage: nAnsiCodePage = static_cast<int32_t>(word.nValue); bCacheValid = false; break;
    case Act::kPlain:
        group.nFont = kNoFont;
        group.bHidden = false;
        break;
    case Act::kHidden: group.bHidden = !bHasParameter || nParameter != 0; break;
    case Act::kSkip: group.destination = Destination::kSkip; break;
    case Act::kFontTable:
        group.destination = Destination::kFontTable;
        nFontEntry = -1;
        break;
    case Act::kAnchored:
    case Act::kStory:
        if (group.destination != Destination::kText) break;
        if (word.act == Act::kAnchored && !bAnchoredPass) {
            bSawAnchored = true;
            group.destination = Destination::kSkip;
            break;
        }
        group.bAnchored = group.bAnchored || word.act == Act::kAnchored;
        // A story's paragraphs are its own: one it interrupts ends, and its last one ends with it.
        group.bStory = Counting();
        if (group.bStory && bOpen) EndLine();
        break;
    case Act::kUpr: if (group.destination == Destination::kText) group.destination = Destination::kUpr; break;
    case Act::kUd: if (group.destination == Destination::kUpr) group.destination = Destination::kText; break;
    case Act::kField: group.bMadeField = false; break;
    case Act::kFieldCode:
        if (group.destination != Destination::kText && group.destination != Destination::kUpr) {
            group.destination = Destination::kSkip;
            break;
        }
        group.destination = Destination::kFieldCode;
        nFieldGroup = nDepth >= 2 ? nDepth - 2 : 0;  // the \field group holds the instructions' group
        cbFieldType = 0;
        szFieldType[0] = '\0';
        bFieldTypeEnded = false;
        break;
    case Act::kResult:
        if (group.bMadeField) group.destination = Destination::kSkip;
        break;
    case Act::kCharset:
    case Act::kBin: break;
    }
}

void RtfReader::PutUnicode(uint32_t nCodePoint) {
    if (IsLowSurrogate(nCodePoint) && nHighSurrogate != 0) {
        uint32_t nJoined = CombineSurrogates(nHighSurrogate, nCodePoint);
        nHighSurrogate = 0;
        PutCodePoint(nJoined);
    } else if (IsHighSurrogate(nCodePoint)) {
        FlushSurrogate();
        nHighSurrogate = nCodePoint;
    } else {
        PutCodePoint(nCodePoint);  // an unpaired low surrogate becomes U+FFFD there
    }
}

void RtfReader::ResolveFont(const CodePageTable** ppTable, bool* pbSymbol, int* pnCodePage) {
    int32_t nFont = Top().nFont == kNoFont ? nDefaultFont : Top().nFont;
    if (!bCacheValid || nCachedFont != nFont) {
        int32_t nCharset = -1;
        for (unsigned i = nFonts; i-- > 0;) {
            if (fonts[i].nNumber == nFont) {
                nCharset = fonts[i].nCharset;
                break;
            }
        }
        // A character set without a code page of its own (ANSI, DEFAULT, one no table names) is the
        // document's code page.
        int nCodePage = nCharset < 0 ? 0 : CodePageOfRtfCharset(nCharset);
        if (nCodePage == 0) nCodePage = nAnsiCodePage;
        bCachedSymbol = nCharset == kCharsetSymbol;
        pCachedTable = nCodePage != 0 ? FindCodePage(nCodePage) : nullptr;
        nCachedCodePage = nCodePage;
        nCachedFont = nFont;
        bCacheValid = true;
    }
    *ppTable = pCachedTable;
    *pbSymbol = bCachedSymbol;
    *pnCodePage = nCachedCodePage;
}

bool RtfReader::FlushRun() {
    if (cbRun == 0) return true;
    // Letters and digits of ASCII are themselves in every code page a font names.
    bool bAscii = true;
    for (size_t i = 0; i < cbRun && bAscii; ++i) bAscii = aRun[i] < 0x80;
    if (bAscii) {
        Emit(reinterpret_cast<const char*>(aRun), cbRun, true);
        cbRun = 0;
        return true;
    }
    GrowingBytes converted(pText->Kept());
    const char* szRefusal = nullptr;
    bool bConverted = ConvertToUtf8(nRunCodePage, aRun, cbRun, &converted, &szRefusal);
    cbRun = 0;
    if (!bConverted) {
        return szRefusal == kRefusedOutOfMemory ? pText->RefuseGrowth() : pText->RefuseMissingCodePage(nRunCodePage);
    }
    if (converted.Size() > 0) Emit(converted.Data(), converted.Size(), true);
    return true;
}

bool RtfReader::PutBytes(const unsigned char* pBytes, size_t cbBytes, bool bHigh) {
    const CodePageTable* pTable;
    bool bSymbol;
    int nCodePage;
    ResolveFont(&pTable, &bSymbol, &nCodePage);
    if (pTable == nullptr && !bSymbol) {
        if (cbRun > 0 && nRunCodePage != nCodePage && !FlushRun()) return false;
        nRunCodePage = nCodePage;
        while (cbBytes > 0) {
            if (cbRun == sizeof(aRun) && !FlushRun()) return false;
            size_t cbTaken = sizeof(aRun) - cbRun < cbBytes ? sizeof(aRun) - cbRun : cbBytes;
            memcpy(aRun + cbRun, pBytes, cbTaken);
            cbRun += cbTaken;
            pBytes += cbTaken;
            cbBytes -= cbTaken;
        }
        return true;
    }
    if (!FlushRun()) return false;
    if (!bHigh) {
        Emit(reinterpret_cast<const char*>(pBytes), cbBytes, true);
        return true;
    }
    // A symbol font's high bytes are pictures, no code page's letters: each is one character, U+F0xx.
    for (size_t i = 0; i < cbBytes; ++i) {
        unsigned char nByte = pBytes[i];
        PutCodePoint(nByte < 0x80 ? nByte : bSymbol ? kSymbolBase + nByte : CodePageCodePoint(*pTable, nByte));
    }
    return true;
}

}  // namespace

bool ReadRtfText(const unsigned char* pData, size_t cbData, DocumentText* pText) {
    // Word processors read past a UTF-8 byte-order mark and white space before the document.
    size_t cbSkipped = MarkAndWhiteSpaceBefore(pData, cbData);
    pData += cbSkipped;
    cbData -= cbSkipped;
    if (cbData < 5 || memcmp(pData, "{\\rtf", 5) != 0) return pText->Refuse(kRefusedBadRtf);
    {
        RtfReader body(pData, cbData, pText, false);
        if (!body.Read()) return false;
        if (!body.SawAnchored()) return true;
    }
    RtfReader anchored(pData, cbData, pText, true);
    return anchored.Read();
}
