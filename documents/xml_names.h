// The qualified names of XML's elements and attributes as the reader scans them, for
// documents/xml_reader.cpp alone: where a name ends and where its colons are, in one pass.
#pragma once
#include <stddef.h>

#include "documents/xml_chars.h"
#include "documents/xml_reader.h"

// Names: ASCII by XML's classes; every byte from 0x80 is taken as a name byte, unchecked.

// A name as scanned: where it ends, and its colons, which the same pass finds. It is scanned to its
// end however long: one past kXmlMaxNameLength is refused whole, so no byte is scanned twice.
struct ScannedName {
    const char* pAfter;
    const char* pColon;  // the first, or null
    bool bSecondColon;
};

inline ScannedName ScanName(const char* p, const char* pEnd) {
    ScannedName scanned = {p, nullptr, false};
    if (p == pEnd || !IsXmlNameStart(*p)) return scanned;
    if (*p == ':') scanned.pColon = p;
    // The bytes between colons in one loop: most names have none, the rest one.
    for (++p;; ++p) {
        while (p < pEnd && IsXmlNamePlain(*p)) ++p;
        if (p == pEnd || *p != ':') break;
        if (scanned.pColon != nullptr) scanned.bSecondColon = true;
        else scanned.pColon = p;
    }
    scanned.pAfter = p;
    return scanned;
}

// A qualified name has at most one colon, with a name on each side of it.
inline XmlError CheckQName(XmlSpan name, const ScannedName& scanned) {
    if (name.cbData > kXmlMaxNameLength) return XmlError::kNameTooLong;
    const char* pColon = scanned.pColon;
    if (pColon == nullptr) return XmlError::kNone;
    size_t cbPrefix = static_cast<size_t>(pColon - name.pData);
    if (cbPrefix == 0 || cbPrefix + 1 == name.cbData || !IsXmlNameStart(pColon[1]) || scanned.bSecondColon) {
        return XmlError::kBadName;
    }
    return XmlError::kNone;
}
