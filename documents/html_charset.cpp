// The browsers' prescan for a charset declaration: a byte-level look at the first 1,024 bytes that
// skips comments and other tags and reads the attributes of <meta> tags.
#include <string.h>

#include "documents/ascii_classes.h"
#include "documents/code_pages.h"
#include "documents/html_text.h"

namespace {

const size_t kPrescanBytes = 1024;

struct Span {
    const unsigned char* p;
    size_t cb;
};


bool SameIgnoringCase(Span span, const char* sz) {
    size_t cb = strlen(sz);
    if (span.cb != cb) return false;
    for (size_t i = 0; i < cb; ++i) {
        if (AsciiLower(span.p[i]) != static_cast<unsigned char>(sz[i])) return false;
    }
    return true;
}

bool StartsIgnoringCase(const unsigned char* p, size_t cb, const char* sz) {
    size_t cbPrefix = strlen(sz);
    return cb >= cbPrefix && SameIgnoringCase(Span{p, cbPrefix}, sz);
}

// One attribute of a tag from *pOff: false at the tag's '>' (or the end of the bytes, *pbClosed
// then false).
bool NextAttribute(const unsigned char* p, size_t cb, size_t* pOff, Span* pName, Span* pValue, bool* pbClosed) {
    size_t i = *pOff;
    *pbClosed = false;
    while (i < cb && (IsAsciiSpace(p[i]) || p[i] == '/')) ++i;
    if (i >= cb) return false;
    if (p[i] == '>') {
        *pbClosed = true;
        *pOff = i + 1;
        return false;
    }
    size_t offName = i++;
    while (i < cb && !IsAsciiSpace(p[i]) && p[i] != '/' && p[i] != '>' && p[i] != '=') ++i;
    *pName = Span{p + offName, i - offName};
    *pValue = Span{p + i, 0};
    size_t j = i;
    while (j < cb && IsAsciiSpace(p[j])) ++j;
    if (j < cb && p[j] == '=') {
        ++j;
        while (j < cb && IsAsciiSpace(p[j])) ++j;
        if (j >= cb) return false;
        if (p[j] == '"' || p[j] == '\'') {
            unsigned char cQuote = p[j++];
            size_t offValue = j;
            while (j < cb && p[j] != cQuote) ++j;
            if (j >= cb) return false;
            *pValue = Span{p + offValue, j - offValue};
            i = j + 1;
        } else {
            size_t offValue = j;
            while (j < cb && !IsAsciiSpace(p[j]) && p[j] != '>') ++j;
            *pValue = Span{p + offValue, j - offValue};
            i = j;
        }
    }
    *pOff = i;
    return true;
}

// The charset a Content-Type value names ("text/html; charset=windows-1251").
bool CharsetOfContent(Span content, Span* pLabel) {
    const unsigned char* p = content.p;
    size_t cb = content.cb;
    for (size_t i = 0; i + 7 <= cb; ++i) {
        if (!StartsIgnoringCase(p + i, cb - i, "charset")) continue;
        size_t j = i + 7;
        while (j < cb && IsAsciiSpace(p[j])) ++j;
        if (j >= cb || p[j] != '=') continue;
        ++j;
        while (j < cb && IsAsciiSpace(p[j])) ++j;
        if (j < cb && (p[j] == '"' || p[j] == '\'')) {
            unsigned char cQuote = p[j++];
            size_t offLabel = j;
            while (j < cb && p[j] != cQuote) ++j;
            if (j >= cb) return false;
            *pLabel = Span{p + offLabel, j - offLabel};
            return true;
        }
        size_t offLabel = j;
        while (j < cb && !IsAsciiSpace(p[j]) && p[j] != ';') ++j;
        *pLabel = Span{p + offLabel, j - offLabel};
        return j > offLabel;
    }
    return false;
}

}  // namespace

int DeclaredHtmlCodePage(const unsigned char* pData, size_t cbData, bool* pbDeclared) {
    *pbDeclared = false;
    size_t cb = cbData < kPrescanBytes ? cbData : kPrescanBytes;
    const unsigned char* p = pData;
    size_t i = 0;
    while (i < cb) {
        if (p[i] != '<') {
            ++i;
            continue;
        }
        if (StartsIgnoringCase(p + i, cb - i, "<!--")) {
            size_t j = i + 4;
            while (j < cb && !StartsIgnoringCase(p + j, cb - j, "-->")) ++j;
            i = j + 3;
            continue;
        }
        bool bMeta = StartsIgnoringCase(p + i, cb - i, "<meta") && i + 5 < cb && (IsAsciiSpace(p[i + 5]) || p[i + 5] == '/');
        size_t offName = i + 1 + (i + 1 < cb && p[i + 1] == '/' ? 1 : 0);
        if (!bMeta && !(offName < cb && IsAsciiLetter(p[offName]))) {
            // "<!", "<?" and the like end at the next '>'; a lone '<' is text.
            bool bMarkup = i + 1 < cb && (p[i + 1] == '!' || p[i + 1] == '/' || p[i + 1] == '?');
            ++i;
            if (bMarkup) {
                while (i < cb && p[i] != '>') ++i;
            }
            continue;
        }
        size_t off = bMeta ? i + 5 : offName;
        while (!bMeta && off < cb && !IsAsciiSpace(p[off]) && p[off] != '>') ++off;
        Span name, value, label = {nullptr, 0};
        bool bClosed = false, bHttpEquiv = false, bCharset = false, bContentCharset = false;
        while (NextAttribute(p, cb, &off, &name, &value, &bClosed)) {
            if (!bMeta) continue;
            if (SameIgnoringCase(name, "charset") && !bCharset) {
                bCharset = true;
                label = value;
            } else if (SameIgnoringCase(name, "http-equiv")) {
                bHttpEquiv = bHttpEquiv || SameIgnoringCase(value, "content-type");
            } else if (SameIgnoringCase(name, "content") && !bCharset && !bContentCharset) {
                bContentCharset = CharsetOfContent(value, &label);
            }
        }
        if (!bClosed) return 0;  // a tag the 1,024 bytes cut
        i = off;
        if (bCharset || (bHttpEquiv && bContentCharset)) {
            *pbDeclared = true;
            return CodePageOfCharsetLabel(reinterpret_cast<const char*>(label.p), label.cb);
        }
    }
    return 0;
}
