#include "documents/code_pages.h"

#include <string.h>

#include "documents/ascii_classes.h"
#include "documents/charset_labels.h"

const CodePageTable* FindCodePage(int nCodePage) {
    for (const CodePageTable& table : kCodePageTables) {
        if (table.nCodePage == nCodePage) return &table;
    }
    return nullptr;
}

int CodePageOfCharsetLabel(const char* pLabel, size_t cbLabel) {
    while (cbLabel > 0 && IsAsciiSpace(pLabel[0])) ++pLabel, --cbLabel;
    while (cbLabel > 0 && IsAsciiSpace(pLabel[cbLabel - 1])) --cbLabel;
    for (size_t n = 0; n < kCharsetLabelCount; ++n) {
        const CharsetLabel& known = kCharsetLabels[n];
        if (strlen(known.szLabel) != cbLabel) continue;
        size_t i = 0;
        for (; i < cbLabel; ++i) {
            char c = AsciiLower(pLabel[i]);
            if (c != known.szLabel[i]) break;
        }
        if (i == cbLabel) return known.nCodePage;
    }
    return 0;
}

int CodePageOfRtfCharset(int nCharset) {
    switch (nCharset) {
    case 0: return 0;       // ANSI: the document's code page
    case 77: return 10000;  // Mac Roman
    case 128: return 932;   // Japanese (Shift-JIS)
    case 129: return 949;   // Korean
    case 130: return 1361;  // Korean (Johab)
    case 134: return 936;   // Simplified Chinese (GBK)
    case 136: return 950;   // Traditional Chinese (Big5)
    case 161: return 1253;  // Greek
    case 162: return 1254;  // Turkish
    case 163: return 1258;  // Vietnamese
    case 177: return 1255;  // Hebrew
    case 178: return 1256;  // Arabic
    case 186: return 1257;  // Baltic
    case 204: return 1251;  // Cyrillic
    case 222: return 874;   // Thai
    case 238: return 1250;  // Eastern European
    case 255: return 437;   // OEM
    default: return 0;
    }
}
