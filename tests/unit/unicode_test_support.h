// What the tests of Unicode text share: texts of code points in the forms the measures read, made
// without the code under test, and counts as their failures show them.
#pragma once
#include <stdio.h>

#include <string>

typedef std::u32string CodePoints;

inline std::u16string ToUtf16(const CodePoints& text) {
    std::u16string units;
    units.reserve(text.size() * 2);
    for (char32_t c : text) {
        if (c >= 0x10000) {
            units += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            units += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            units += static_cast<char16_t>(c);
        }
    }
    return units;
}

inline std::string ToUtf8(const CodePoints& text) {
    std::string bytes;
    bytes.reserve(text.size() * 4);
    for (char32_t c : text) {
        if ((c & 0xFFFFF800) == 0xD800) c = 0xFFFD;  // UTF-8 cannot carry a lone surrogate
        if (c < 0x80) {
            bytes += static_cast<char>(c);
        } else if (c < 0x800) {
            bytes += static_cast<char>(0xC0 | (c >> 6));
            bytes += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            bytes += static_cast<char>(0xE0 | (c >> 12));
            bytes += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            bytes += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            bytes += static_cast<char>(0xF0 | (c >> 18));
            bytes += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            bytes += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            bytes += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return bytes;
}

inline std::string Utf16Bytes(const std::u16string& units, bool bBigEndian) {
    std::string bytes(units.size() * 2, '\0');
    for (size_t i = 0; i < units.size(); ++i) {
        bytes[2 * i + (bBigEndian ? 1 : 0)] = static_cast<char>(units[i] & 0xFF);
        bytes[2 * i + (bBigEndian ? 0 : 1)] = static_cast<char>(units[i] >> 8);
    }
    return bytes;
}

// The code points of UTF-16 units, a lone surrogate kept as it is.
inline CodePoints CodePointsOf(const std::u16string& units) {
    CodePoints points;
    for (size_t i = 0; i < units.size(); ++i) {
        char32_t c = units[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] < 0xE000)
            c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00);
        points += c;
    }
    return points;
}

// The text as it is read: a lone surrogate is U+FFFD.
inline CodePoints AsRead(const CodePoints& text) {
    CodePoints read = text;
    for (char32_t& c : read)
        if (c >= 0xD800 && c < 0xE000) c = 0xFFFD;
    return read;
}

// "U+0061 U+0301 ..." for a failure's message.
inline std::string Spelled(const CodePoints& text) {
    std::string spelled;
    char szPoint[16];
    for (char32_t c : text) {
        snprintf(szPoint, sizeof(szPoint), "%sU+%04X", spelled.empty() ? "" : " ", static_cast<unsigned>(c));
        spelled += szPoint;
    }
    return spelled;
}

// The code points of well-formed UTF-8.
inline CodePoints FromUtf8(const std::string& bytes) {
    CodePoints points;
    for (size_t i = 0; i < bytes.size();) {
        unsigned char b = static_cast<unsigned char>(bytes[i]);
        int nMore = b < 0x80 ? 0 : b < 0xE0 ? 1 : b < 0xF0 ? 2 : 3;
        char32_t c = nMore == 0 ? b : b & (0x3F >> nMore);
        for (int k = 1; k <= nMore && i + k < bytes.size(); ++k) c = (c << 6) | (bytes[i + k] & 0x3F);
        points += c;
        i += 1 + nMore;
    }
    return points;
}

// "characters words lines", of the measures' counts or the reference's.
template <typename Counts>
std::string Describe(const Counts& counts) {
    return std::to_string(counts.nChars) + " " + std::to_string(counts.nWords) + " " + std::to_string(counts.nLines);
}

// The same, then the characters without line breaks and without spaces.
template <typename Counts>
std::string DescribeAll(const Counts& counts) {
    return Describe(counts) + " " + std::to_string(counts.nCharsNoBreaks) + " " + std::to_string(counts.nCharsNoSpaces);
}
