#include "documents/xml_text.h"

#include <string.h>

#include "documents/byte_scan.h"
#include "documents/xml_chars.h"
#include "measure/surrogates.h"
#include "measure/text_file.h"
#include "measure/utf8_sequence.h"

namespace {

// The length of the well-formed UTF-8 sequence at p that encodes an XML character; 0 for none.
size_t Utf8CharLength(const char* p, const char* pEnd) {
    const unsigned char* pBytes = reinterpret_cast<const unsigned char*>(p);
    uint32_t nChar;
    bool bWellFormed;
    size_t cbChar = ReadUtf8Sequence(pBytes, static_cast<size_t>(pEnd - p), &nChar, &bWellFormed);
    return bWellFormed && IsXmlChar(nChar) ? cbChar : 0;
}

}  // namespace

const char* ReadXmlReference(const char* p, const char* pEnd, uint32_t* pnChar) {
    ++p;
    if (p < pEnd && *p == '#') {
        uint64_t nBase = 10, nValue = 0;
        if (++p < pEnd && *p == 'x') {
            nBase = 16;
            ++p;
        }
        const char* pDigits = p;
        for (; p < pEnd && *p != ';'; ++p) {
            unsigned c = static_cast<unsigned char>(*p), cLower = c | 0x20;
            unsigned nDigit = c - '0' < 10u ? c - '0' : nBase == 16 && cLower - 'a' < 6u ? cLower - 'a' + 10 : 16;
            if (nDigit >= nBase) return nullptr;
            nValue = nValue * nBase + nDigit;
            if (nValue > 0xFFFFFFFFu) return nullptr;
        }
        if (p == pDigits || p == pEnd) return nullptr;
        *pnChar = IsXmlChar(static_cast<uint32_t>(nValue)) ? static_cast<uint32_t>(nValue) : 0xFFFD;
        return p + 1;
    }
    static const struct {
        const char* szName;
        char c;
    } kEntities[] = {{"lt;", '<'}, {"gt;", '>'}, {"amp;", '&'}, {"apos;", '\''}, {"quot;", '"'}};
    for (const auto& entity : kEntities) {
        size_t cbName = strlen(entity.szName);
        if (static_cast<size_t>(pEnd - p) >= cbName && memcmp(p, entity.szName, cbName) == 0) {
            *pnChar = static_cast<unsigned char>(entity.c);
            return p + cbName;
        }
    }
    return nullptr;
}

XmlDeclaration ReadXmlDeclaration(const char* p, const char* pEnd) {
    for (p += 5;;) {
        while (p < pEnd && IsXmlSpace(*p)) ++p;
        if (p == pEnd || *p == '?') return XmlDeclaration::kWellFormed;
        const char* pName = p;
        while (p < pEnd && IsAsciiLetter(*p)) ++p;
        XmlSpan name = Span(pName, p);
        while (p < pEnd && IsXmlSpace(*p)) ++p;
        if (name.cbData == 0 || p == pEnd || *p++ != '=') return XmlDeclaration::kMalformed;
        while (p < pEnd && IsXmlSpace(*p)) ++p;
        if (p == pEnd || (*p != '"' && *p != '\'')) return XmlDeclaration::kMalformed;
        const char* pValue = ++p;
        while (p < pEnd && *p != pValue[-1]) ++p;
        if (p == pEnd) return XmlDeclaration::kMalformed;
        if (XmlSpanIs(name, "encoding")) {
            char szValue[8] = {};
            size_t cbValue = static_cast<size_t>(p - pValue);
            for (size_t i = 0; i < cbValue && i < sizeof(szValue) - 1; ++i) szValue[i] = pValue[i] | 0x20;
            if (cbValue >= sizeof(szValue) || (strcmp(szValue, "utf-8") != 0 && strcmp(szValue, "utf-16") != 0)) {
                return XmlDeclaration::kOtherEncoding;
            }
        }
        ++p;
    }
}

bool DecodeXmlValue(XmlSpan value, XmlValueKind kind, XmlSink* pSink) {
    static const char kReplacement[] = "\xEF\xBF\xBD";
    const char* p = value.pData;
    const char* pEnd = p + value.cbData;
    const char* pRun = p;  // bytes that pass as they are, not yet put
    bool bAttribute = kind == XmlValueKind::kAttribute;
    // Printable ASCII passes as it is, but a reference's '&' (none in raw text); so do tab and line
    // feed in text. Only what else stands in a value is looked at a byte at a time.
    char cReference = kind == XmlValueKind::kRawText ? '\0' : '&';
    char cTab = bAttribute ? ' ' : '\t', cLineFeed = bAttribute ? ' ' : '\n';
    char utf8[4];
    while ((p = FindNotPlainAscii(value.pData, p, pEnd, cReference, cTab, cLineFeed)) < pEnd) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (c >= 0x80) {
            if (size_t cbChar = Utf8CharLength(p, pEnd)) {
                p += cbChar;
                continue;
            }
        }
        if (pRun < p) pSink->Put(pRun, static_cast<size_t>(p - pRun));
        if (c == '&') {
            uint32_t nChar;
            const char* pAfter = ReadXmlReference(p, pEnd, &nChar);
            if (pAfter == nullptr) return false;
            pSink->Put(utf8, EncodeUtf8(nChar, utf8));
            p = pAfter;
        } else if (c == '\r') {
            p += p + 1 < pEnd && p[1] == '\n' ? 2 : 1;
            pSink->Put(bAttribute ? " " : "\n", 1);
        } else if (c == '\t' || c == '\n') {
            // In an attribute value only.
            pSink->Put(" ", 1);
            ++p;
        } else {
            pSink->Put(kReplacement, 3);
            ++p;
        }
        pRun = p;
    }
    if (pRun < pEnd) pSink->Put(pRun, static_cast<size_t>(pEnd - pRun));
    return true;
}

size_t XmlPlainLength(XmlSpan value, XmlValueKind kind) {
    bool bAttribute = kind == XmlValueKind::kAttribute;
    const char* pEnd = value.pData + value.cbData;
    const char* p = FindNotPlainAscii(value.pData, value.pData, pEnd, kind == XmlValueKind::kRawText ? '\0' : '&',
                                      bAttribute ? ' ' : '\t', bAttribute ? ' ' : '\n');
    return static_cast<size_t>(p - value.pData);
}

XmlEncoding DetectXmlEncoding(const char* pData, size_t cbData) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(pData);
    XmlEncoding encoding = XmlEncoding::kUtf8;
    size_t i = 0;
    TextFileEncoding marked = ByteOrderMarkOf(p, cbData, false, &i);
    if (marked == kTextUtf16LE || marked == kTextUtf16BE) {
        encoding = marked == kTextUtf16LE ? XmlEncoding::kUtf16LE : XmlEncoding::kUtf16BE;
    } else if (cbData >= 4 && memcmp(p, "<\0?\0", 4) == 0) {
        encoding = XmlEncoding::kUtf16LE;
    } else if (cbData >= 4 && memcmp(p, "\0<\0?", 4) == 0) {
        encoding = XmlEncoding::kUtf16BE;
    }
    // The declaration is ASCII in any of them: read it unit by unit, up to its '>'.
    char szDeclaration[256];
    size_t cbDeclaration = 0, cbUnit = encoding == XmlEncoding::kUtf8 ? 1 : 2;
    size_t nHigh = encoding == XmlEncoding::kUtf16BE ? 0 : 1;
    for (; i + cbUnit <= cbData && cbDeclaration < sizeof(szDeclaration); i += cbUnit) {
        unsigned nUnit = cbUnit == 1 ? p[i] : static_cast<unsigned>(p[i + nHigh] << 8 | p[i + 1 - nHigh]);
        if (nUnit == 0 || nUnit >= 0x80) break;
        szDeclaration[cbDeclaration++] = static_cast<char>(nUnit);
        if (nUnit == '>') break;
    }
    if (cbDeclaration < 6 || memcmp(szDeclaration, "<?xml", 5) != 0 || !IsXmlSpace(szDeclaration[5])) return encoding;
    if (szDeclaration[cbDeclaration - 1] != '>') return XmlEncoding::kRefused;
    bool bWellFormed = ReadXmlDeclaration(szDeclaration, szDeclaration + cbDeclaration) == XmlDeclaration::kWellFormed;
    return bWellFormed ? encoding : XmlEncoding::kRefused;
}

bool TranscodeUtf16ToUtf8(const char* pData, size_t cbData, XmlEncoding encoding, char* pOut, size_t cbOut,
                          size_t* pcbWritten) {
    *pcbWritten = 0;
    if ((encoding != XmlEncoding::kUtf16LE && encoding != XmlEncoding::kUtf16BE) || cbOut < XmlUtf8Room(cbData)) {
        return false;
    }
    const unsigned char* p = reinterpret_cast<const unsigned char*>(pData);
    size_t nHigh = encoding == XmlEncoding::kUtf16BE ? 0 : 1;
    auto Unit = [&](size_t i) { return static_cast<uint32_t>(p[i + nHigh] << 8 | p[i + 1 - nHigh]); };
    size_t i = cbData >= 2 && Unit(0) == 0xFEFF ? 2 : 0, cbWritten = 0;
    for (; i + 2 <= cbData; i += 2) {
        uint32_t nChar = Unit(i);
        if (IsSurrogate(nChar)) {
            uint32_t nLow = IsHighSurrogate(nChar) && i + 4 <= cbData ? Unit(i + 2) : 0;
            bool bPair = IsLowSurrogate(nLow);
            nChar = bPair ? CombineSurrogates(nChar, nLow) : 0xFFFD;
            i += bPair ? 2 : 0;
        }
        cbWritten += EncodeUtf8(nChar, pOut + cbWritten);
    }
    // A last odd byte is half a unit.
    if (i < cbData) cbWritten += EncodeUtf8(0xFFFD, pOut + cbWritten);
    *pcbWritten = cbWritten;
    return true;
}
