#include "documents/rtf_text.h"

#include "documents/rtf_reader.h"
#include "documents/text_encoding.h"
#include "measure/surrogates.h"

namespace rtf {

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
        fieldType = FieldType();
        bFieldTypeDecided = false;
        break;
    case Act::kResult:
        if (group.bMadeField) group.destination = Destination::kSkip;
        break;
    case Act::kCharset:
    case Act::kBin: break;
    }
}

}  // namespace rtf

using rtf::RtfReader;

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
