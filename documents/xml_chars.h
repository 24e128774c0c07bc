// What documents/xml_reader.cpp and documents/xml_text.cpp share, for them alone: character
// classes, references and the XML declaration.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "documents/ascii_classes.h"
#include "documents/xml_text.h"

inline XmlSpan Span(const char* pData, size_t cbData) { return XmlSpan{pData, cbData}; }
inline XmlSpan Span(const char* pFrom, const char* pTo) { return XmlSpan{pFrom, static_cast<size_t>(pTo - pFrom)}; }

inline bool IsXmlChar(uint32_t nChar) {
    return nChar == 0x9 || nChar == 0xA || nChar == 0xD || (nChar >= 0x20 && nChar <= 0xD7FF) ||
           (nChar >= 0xE000 && nChar <= 0xFFFD) || (nChar >= 0x10000 && nChar <= 0x10FFFF);
}

// The reference at p (at its '&'): where it ends, after the ';', and the character it stands for,
// U+FFFD for what is no XML character. Null when it is malformed or names no predefined entity.
const char* ReadXmlReference(const char* p, const char* pEnd, uint32_t* pnChar);

enum class XmlDeclaration { kWellFormed, kOtherEncoding, kMalformed };

// An XML declaration, from "<?xml" to its "?>" at pEnd: its pseudo-attributes, and the encoding.
// UTF-16 is taken because a UTF-16 part is read transcoded, its declaration unchanged.
XmlDeclaration ReadXmlDeclaration(const char* p, const char* pEnd);
