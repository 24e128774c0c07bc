// The ASCII classes that the readers' markup and control words are made of, in one table: digits,
// letters, hex digits, the white space of HTML and of XML, and the bytes of XML names. Every
// reader asks the same table, so each class is written once.
#pragma once
#include <stdint.h>

enum AsciiClass : uint16_t {
    kAsciiDigit = 1 << 0,      // 0-9
    kAsciiUpper = 1 << 1,      // A-Z
    kAsciiLower = 1 << 2,      // a-z
    kAsciiHexLetter = 1 << 3,  // A-F, a-f
    kAsciiSpace = 1 << 4,      // space, tab, line feed, form feed, carriage return: HTML's white space
    kXmlSpace = 1 << 5,        // space, tab, line feed, carriage return: XML's, without form feed
    kSpaceOrTab = 1 << 6,      // the blanks inside a line
    kXmlNameStart = 1 << 7,    // letters, '_', ':' and every byte from 0x80, taken unchecked
    kXmlNameByte = 1 << 8,     // a name start, digits, '-' and '.'
    kXmlNamePlain = 1 << 9,    // a name byte other than ':', which names scan past in one loop
};

struct AsciiClassTable {
    uint16_t classes[256];
};

constexpr AsciiClassTable MakeAsciiClassTable() {
    AsciiClassTable table{};
    for (int c = 0; c < 256; ++c) {
        uint16_t n = 0;
        if (c >= '0' && c <= '9') n |= kAsciiDigit;
        if (c >= 'A' && c <= 'Z') n |= kAsciiUpper;
        if (c >= 'a' && c <= 'z') n |= kAsciiLower;
        if ((c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f')) n |= kAsciiHexLetter;
        if (c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r') n |= kAsciiSpace;
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') n |= kXmlSpace;
        if (c == ' ' || c == '\t') n |= kSpaceOrTab;
        if ((n & (kAsciiUpper | kAsciiLower)) != 0 || c == '_' || c == ':' || c >= 0x80) n |= kXmlNameStart;
        if ((n & (kXmlNameStart | kAsciiDigit)) != 0 || c == '-' || c == '.') n |= kXmlNameByte;
        if ((n & kXmlNameByte) != 0 && c != ':') n |= kXmlNamePlain;
        table.classes[c] = n;
    }
    return table;
}

inline constexpr AsciiClassTable kAsciiClassTable = MakeAsciiClassTable();

// The classes of a character or byte value; none past 0xFF (nor for a negative char, which
// converts to a large value: callers that mean the byte pass it as unsigned char).
inline uint16_t AsciiClassesOf(uint32_t c) { return c < 256 ? kAsciiClassTable.classes[c] : 0; }

inline bool IsAsciiDigit(uint32_t c) { return (AsciiClassesOf(c) & kAsciiDigit) != 0; }
inline bool IsAsciiUpper(uint32_t c) { return (AsciiClassesOf(c) & kAsciiUpper) != 0; }
inline bool IsAsciiLetter(uint32_t c) { return (AsciiClassesOf(c) & (kAsciiUpper | kAsciiLower)) != 0; }
inline bool IsAsciiAlphanumeric(uint32_t c) {
    return (AsciiClassesOf(c) & (kAsciiUpper | kAsciiLower | kAsciiDigit)) != 0;
}
inline bool IsAsciiSpace(uint32_t c) { return (AsciiClassesOf(c) & kAsciiSpace) != 0; }
inline bool IsXmlSpace(uint32_t c) { return (AsciiClassesOf(c) & kXmlSpace) != 0; }
inline bool IsSpaceOrTab(uint32_t c) { return (AsciiClassesOf(c) & kSpaceOrTab) != 0; }
inline bool IsXmlNameStart(unsigned char c) { return (kAsciiClassTable.classes[c] & kXmlNameStart) != 0; }
inline bool IsXmlNameByte(unsigned char c) { return (kAsciiClassTable.classes[c] & kXmlNameByte) != 0; }
inline bool IsXmlNamePlain(unsigned char c) { return (kAsciiClassTable.classes[c] & kXmlNamePlain) != 0; }
// XML's white space, for a byte of markup as it stands (no conversion to a wider value to check).
inline bool IsXmlSpaceByte(char c) {
    return (kAsciiClassTable.classes[static_cast<unsigned char>(c)] & kXmlSpace) != 0;
}

// A hex digit's value, or -1.
inline int HexValue(uint32_t c) {
    uint16_t n = AsciiClassesOf(c);
    if ((n & kAsciiDigit) != 0) return static_cast<int>(c - '0');
    if ((n & kAsciiHexLetter) != 0) return static_cast<int>((c | 0x20) - 'a' + 10);
    return -1;
}

// A-Z made a-z; every other value as it is, in the caller's own type.
template <typename C>
inline C AsciiLower(C c) {
    return IsAsciiUpper(static_cast<uint32_t>(c)) ? static_cast<C>(c + 32) : c;
}
