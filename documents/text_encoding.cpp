#include "documents/text_encoding.h"

#include <string.h>

#include "documents/ascii_classes.h"
#include "documents/code_page_converter.h"
#include "documents/document_text.h"
#include "measure/text_file.h"
#include "measure/surrogates.h"
#include "measure/utf8_sequence.h"

int CodePageOfByteOrderMark(const unsigned char* pData, size_t cbData, size_t* pcbMark) {
    switch (ByteOrderMarkOf(pData, cbData, false, pcbMark)) {
    case kTextUtf8: return kCodePageUtf8;
    case kTextUtf16LE: return kCodePageUtf16LE;
    case kTextUtf16BE: return kCodePageUtf16BE;
    default: return 0;
    }
}

size_t MarkAndWhiteSpaceBefore(const unsigned char* pData, size_t cbData) {
    size_t i = 0;
    if (ByteOrderMarkOf(pData, cbData, false, &i) != kTextUtf8) i = 0;
    while (i < cbData && IsAsciiSpace(pData[i])) ++i;
    return i;
}

bool Utf32AsMarkedUtf8(const unsigned char* pData, size_t cbData, bool bBigEndian, GrowingArray<unsigned char>* pUtf8) {
    // Each unit makes at most its own 4 bytes; a cut one makes 3, as the mark does.
    if (!pUtf8->Resize(cbData + 3)) return false;
    char* pOut = reinterpret_cast<char*>(pUtf8->Data());
    memcpy(pOut, "\xEF\xBB\xBF", 3);
    size_t cbOut = 3, i = cbData < 4 ? cbData : 4;
    for (; i + 4 <= cbData; i += 4) {
        const unsigned char* p = pData + i;
        uint32_t nUnit = bBigEndian ? uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]
                                    : uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
        if (nUnit == 0) pOut[cbOut++] = '\0';
        else cbOut += EncodeUtf8(nUnit, pOut + cbOut);  // past U+10FFFF or a surrogate: U+FFFD
    }
    if (i < cbData) cbOut += EncodeUtf8(0xFFFD, pOut + cbOut);
    return pUtf8->Resize(cbOut);
}

int CodePageOfPlainText(const unsigned char* pData, size_t cbData) {
    // The text-file rule of plain text: UTF-8 when the first 64 KB are.
    size_t cbLooked = cbData < kTextDecidingBytes ? cbData : static_cast<size_t>(kTextDecidingBytes);
    return IsUtf8Text(pData, cbLooked, cbData > cbLooked) ? kCodePageUtf8 : 1252;
}

int CodePageOrTextRule(const unsigned char* pData, size_t cbData, int nFallbackCodePage) {
    if (nFallbackCodePage != 0) return nFallbackCodePage;
    return CodePageOfPlainText(pData, cbData);
}

CodePointReader::CodePointReader(const unsigned char* pData, size_t cbData, int nCodePage)
    : pData(pData), cbData(cbData), off(0), nCodePage(nCodePage), pTable(FindCodePage(nCodePage)) {
    if (pTable == nullptr && nCodePage != kCodePageUtf16LE && nCodePage != kCodePageUtf16BE)
        this->nCodePage = kCodePageUtf8;
}

uint32_t CodePointReader::NextUnit() {
    if (off >= cbData) return kEndOfText;
    if (pTable != nullptr) return CodePageCodePoint(*pTable, pData[off++]);
    if (nCodePage == kCodePageUtf8) {
        uint32_t nCodePoint;
        off += DecodeUtf8Sequence(pData + off, cbData - off, &nCodePoint);
        return nCodePoint;
    }
    bool bLittle = nCodePage == kCodePageUtf16LE;
    if (cbData - off < 2) {
        off = cbData;
        return 0xFFFD;
    }
    uint32_t nUnit = bLittle ? pData[off] | (pData[off + 1] << 8) : (pData[off] << 8) | pData[off + 1];
    off += 2;
    if (!IsSurrogate(nUnit)) return nUnit;
    if (!IsHighSurrogate(nUnit) || cbData - off < 2) return 0xFFFD;
    uint32_t nLow = bLittle ? pData[off] | (pData[off + 1] << 8) : (pData[off] << 8) | pData[off + 1];
    if (!IsLowSurrogate(nLow)) return 0xFFFD;  // the next unit is read on its own
    off += 2;
    return CombineSurrogates(nUnit, nLow);
}

uint32_t CodePointReader::Next() {
    uint32_t nCodePoint = NextUnit();
    if (nCodePoint == '\r') {
        size_t offAfter = off;
        if (NextUnit() != '\n') off = offAfter;
        return '\n';
    }
    return nCodePoint;
}

size_t TextBuffer::EncodeInto(uint32_t nCodePoint) { return EncodeUtf8(nCodePoint, buffer + cbBuffered); }

void TextBuffer::Flush() {
    pText->Put(buffer, cbBuffered);
    cbBuffered = 0;
}

ReadableText::ReadableText(DocumentText* pText)
    : pText(pText), pData(nullptr), cbData(0), nCodePage(kCodePageUtf8), converted(pText->Kept()) {}

bool ReadableText::Prepare(const unsigned char* pNewData, size_t cbNewData, int nNewCodePage) {
    pData = pNewData;
    cbData = cbNewData;
    nCodePage = nNewCodePage;
    if (nCodePage == kCodePageUtf8 || nCodePage == kCodePageUtf16LE || nCodePage == kCodePageUtf16BE ||
        FindCodePage(nCodePage) != nullptr)
        return true;
    const char* szRefusal = nullptr;
    if (!ConvertToUtf8(nCodePage, pData, cbData, &converted, &szRefusal)) {
        if (szRefusal == kRefusedOutOfMemory) return pText->RefuseGrowth();
        return pText->RefuseMissingCodePage(nCodePage);
    }
    pData = reinterpret_cast<const unsigned char*>(converted.Size() > 0 ? converted.Data() : "");
    cbData = converted.Size();
    nCodePage = kCodePageUtf8;
    return true;
}
