#include "documents/unit_text.h"

#include <string.h>

#include "measure/utf8_sequence.h"

bool UnitText::Add(uint32_t nCodePoint) {
    char buffer[4];
    size_t cb = EncodeUtf8(nCodePoint, buffer);
    return bytes.Append(buffer, cb) || pText->RefuseGrowth();
}

bool UnitText::AddByte(unsigned char nByte) {
    return bytes.Push(static_cast<char>(nByte)) || pText->RefuseGrowth();
}

bool UnitText::PutParagraph() {
    if (bytes.Empty()) return false;
    pText->Put(bytes.Data(), bytes.Size());
    pText->EndParagraph();
    return true;
}

bool RefuseAtLine(DocumentText* pText, const char* szReason, uint64_t nLine, const char* szWhat, uint64_t nOffset) {
    char szDetail[kDetailedReasonSize];
    char szDigits[24];
    size_t nDigits = 0;
    do {
        szDigits[nDigits++] = static_cast<char>('0' + nLine % 10);
        nLine /= 10;
    } while (nLine != 0);
    size_t n = 0;
    const char szLine[] = "line ";
    memcpy(szDetail, szLine, sizeof(szLine) - 1);
    n = sizeof(szLine) - 1;
    while (nDigits > 0) szDetail[n++] = szDigits[--nDigits];
    szDetail[n++] = ':';
    szDetail[n++] = ' ';
    size_t cbWhat = strlen(szWhat);
    if (cbWhat > sizeof(szDetail) - 1 - n) cbWhat = sizeof(szDetail) - 1 - n;
    memcpy(szDetail + n, szWhat, cbWhat);
    szDetail[n + cbWhat] = '\0';
    return pText->RefuseAt(szReason, szDetail, nOffset);
}

int HexDigitValue(uint32_t c) {
    if (c >= '0' && c <= '9') return static_cast<int>(c - '0');
    if (c >= 'a' && c <= 'f') return static_cast<int>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F') return static_cast<int>(c - 'A' + 10);
    return -1;
}

namespace {

bool ReadFourHexDigits(CodePointReader* pIn, uint32_t* pnValue) {
    uint32_t nValue = 0;
    for (int i = 0; i < 4; ++i) {
        int nDigit = HexDigitValue(pIn->Peek());
        if (nDigit < 0) return false;
        pIn->Next();
        nValue = nValue * 16 + static_cast<uint32_t>(nDigit);
    }
    *pnValue = nValue;
    return true;
}

}  // namespace

bool ReadUnicodeEscape(CodePointReader* pIn, uint32_t nLetter, uint32_t* pnCodePoint) {
    if (!ReadFourHexDigits(pIn, pnCodePoint)) return false;
    if (*pnCodePoint < 0xD800 || *pnCodePoint > 0xDFFF) return true;
    CodePointReader ahead = *pIn;
    uint32_t nLow = 0;
    if (*pnCodePoint <= 0xDBFF && ahead.Next() == '\\' && ahead.Next() == nLetter && ReadFourHexDigits(&ahead, &nLow) &&
        nLow >= 0xDC00 && nLow <= 0xDFFF) {
        *pnCodePoint = 0x10000 + ((*pnCodePoint - 0xD800) << 10) + (nLow - 0xDC00);
        *pIn = ahead;
        return true;
    }
    *pnCodePoint = 0xFFFD;
    return true;
}
