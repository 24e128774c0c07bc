// The Windows single-byte code pages that web pages and RTF documents are read in: 874 (Thai) and
// 1250-1258. Their tables are written at build time from one source, the same on every system.
#pragma once
#include <stddef.h>
#include <stdint.h>

const int kCodePageUtf8 = 65001;
const size_t kCodePageCount = 10;

struct CodePageTable {
    int nCodePage;
    char16_t high[128];  // bytes 0x80-0xFF
};
extern const CodePageTable kCodePageTables[kCodePageCount];

// The table of a code page, or null when it is not one of these.
const CodePageTable* FindCodePage(int nCodePage);

// The code point of a byte in a code page's table (ASCII below 0x80).
inline uint32_t CodePageCodePoint(const CodePageTable& table, unsigned char nByte) {
    return nByte < 0x80 ? nByte : table.high[nByte - 0x80];
}

// The code page of a web page's charset label (ASCII case and surrounding white space ignored), by
// the WHATWG Encoding Standard's labels, as browsers read them: "iso-8859-1" and "us-ascii" are
// Windows-1252, "shift_jis" 932, "koi8-r" 20866; "utf-8" and, in a declaration, "utf-16" are
// kCodePageUtf8. 0 for a label no browser knows, which is ignored.
int CodePageOfCharsetLabel(const char* pLabel, size_t cbLabel);

// The code page of an RTF font's \fcharsetN, or 0 for a character set that is not read.
int CodePageOfRtfCharset(int nCharset);
