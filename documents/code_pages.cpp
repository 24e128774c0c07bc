#include "documents/code_pages.h"

#include <string.h>

#include "documents/ascii_classes.h"

namespace {

struct CharsetLabel {
    const char* szLabel;
    int nCodePage;
};

// The labels browsers accept for these encodings.
const CharsetLabel kCharsetLabels[] = {
    {"utf-8", kCodePageUtf8}, {"utf8", kCodePageUtf8}, {"unicode-1-1-utf-8", kCodePageUtf8},
    {"unicode11utf8", kCodePageUtf8}, {"unicode20utf8", kCodePageUtf8}, {"x-unicode20utf8", kCodePageUtf8},
    // A page that declares UTF-16 in its own bytes cannot be UTF-16: browsers read it as UTF-8.
    {"utf-16", kCodePageUtf8}, {"utf-16le", kCodePageUtf8}, {"utf-16be", kCodePageUtf8},
    {"windows-1252", 1252}, {"cp1252", 1252}, {"x-cp1252", 1252}, {"iso-8859-1", 1252}, {"iso8859-1", 1252},
    {"iso88591", 1252}, {"iso_8859-1", 1252}, {"iso_8859-1:1987", 1252}, {"iso-ir-100", 1252}, {"l1", 1252},
    {"latin1", 1252}, {"csisolatin1", 1252}, {"ibm819", 1252}, {"cp819", 1252}, {"us-ascii", 1252},
    {"ascii", 1252}, {"ansi_x3.4-1968", 1252},
    {"windows-874", 874}, {"dos-874", 874}, {"iso-8859-11", 874}, {"iso8859-11", 874}, {"iso885911", 874},
    {"tis-620", 874},
    {"windows-1250", 1250}, {"cp1250", 1250}, {"x-cp1250", 1250},
    {"windows-1251", 1251}, {"cp1251", 1251}, {"x-cp1251", 1251},
    {"windows-1253", 1253}, {"cp1253", 1253}, {"x-cp1253", 1253},
    {"windows-1254", 1254}, {"cp1254", 1254}, {"x-cp1254", 1254}, {"iso-8859-9", 1254}, {"iso8859-9", 1254},
    {"iso88599", 1254}, {"iso_8859-9", 1254}, {"iso_8859-9:1989", 1254}, {"iso-ir-148", 1254}, {"l5", 1254},
    {"latin5", 1254}, {"csisolatin5", 1254},
    {"windows-1255", 1255}, {"cp1255", 1255}, {"x-cp1255", 1255},
    {"windows-1256", 1256}, {"cp1256", 1256}, {"x-cp1256", 1256},
    {"windows-1257", 1257}, {"cp1257", 1257}, {"x-cp1257", 1257},
    {"windows-1258", 1258}, {"cp1258", 1258}, {"x-cp1258", 1258},
};

}  // namespace

const CodePageTable* FindCodePage(int nCodePage) {
    for (const CodePageTable& table : kCodePageTables) {
        if (table.nCodePage == nCodePage) return &table;
    }
    return nullptr;
}

int CodePageOfCharsetLabel(const char* pLabel, size_t cbLabel) {
    while (cbLabel > 0 && IsAsciiSpace(pLabel[0])) ++pLabel, --cbLabel;
    while (cbLabel > 0 && IsAsciiSpace(pLabel[cbLabel - 1])) --cbLabel;
    for (const CharsetLabel& known : kCharsetLabels) {
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
    case 0: return 1252;    // ANSI
    case 238: return 1250;  // Eastern European
    case 204: return 1251;  // Cyrillic
    case 161: return 1253;  // Greek
    case 162: return 1254;  // Turkish
    case 177: return 1255;  // Hebrew
    case 178: return 1256;  // Arabic
    case 186: return 1257;  // Baltic
    case 163: return 1258;  // Vietnamese
    case 222: return 874;   // Thai
    default: return 0;
    }
}
