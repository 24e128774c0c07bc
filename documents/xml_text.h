// The texts of XML parts as bytes: spans of the caller's buffer, the decoding of a text or
// attribute value, and a part's encoding with its transcoding to UTF-8. The XML reader gives its
// names, values and text as these spans.
#pragma once
#include <stddef.h>
#include <stdint.h>
#include <string.h>

// Bytes of the caller's buffer, not terminated. An empty span still points somewhere readable.
struct XmlSpan {
    const char* pData;
    size_t cbData;
};

// Whether the span's bytes are exactly szText's. Inline: with a literal the length is a constant,
// and the readers compare every element's name this way.
inline bool XmlSpanIs(XmlSpan span, const char* szText) {
    size_t cbText = strlen(szText);
    return span.cbData == cbText && memcmp(span.pData, szText, cbText) == 0;
}
// Whether the cb bytes at a and at b are the same, a word at a time and without a call: the short
// names and URIs the readers compare most often.
inline bool SameBytes(const char* a, const char* b, size_t cb) {
    if (cb >= 8) {
        uint64_t nA, nB;
        for (size_t i = 0; i + 8 < cb; i += 8) {
            memcpy(&nA, a + i, 8);
            memcpy(&nB, b + i, 8);
            if (nA != nB) return false;
        }
        memcpy(&nA, a + cb - 8, 8);
        memcpy(&nB, b + cb - 8, 8);
        return nA == nB;
    }
    if (cb >= 4) {
        uint32_t nA, nB, nLastA, nLastB;
        memcpy(&nA, a, 4);
        memcpy(&nB, b, 4);
        memcpy(&nLastA, a + cb - 4, 4);
        memcpy(&nLastB, b + cb - 4, 4);
        return nA == nB && nLastA == nLastB;
    }
    for (size_t i = 0; i < cb; ++i) {
        if (a[i] != b[i]) return false;
    }
    return true;
}
// A span the reader gave twice (a namespace's URI) is the same without reading it.
inline bool XmlSpansEqual(XmlSpan first, XmlSpan second) {
    return first.cbData == second.cbData &&
           (first.pData == second.pData || SameBytes(first.pData, second.pData, first.cbData));
}

// Takes the decoded bytes of a value, in pieces.
class XmlSink {
public:
    virtual void Put(const char* pData, size_t cbData) = 0;

protected:
    ~XmlSink() {}
};

// A sink that hands each piece to a function of the reader's (a lambda): the decoded text goes
// where it counts without a copy.
template <typename PutPiece>
class XmlPieceSink : public XmlSink {
public:
    explicit XmlPieceSink(PutPiece put) : put(put) {}
    void Put(const char* pData, size_t cbData) override { put(pData, cbData); }

private:
    PutPiece put;
};
template <typename PutPiece>
XmlPieceSink<PutPiece> MakeXmlPieceSink(PutPiece put) {
    return XmlPieceSink<PutPiece>(put);
}

enum class XmlValueKind {
    kText,       // CR LF and a lone CR become LF
    kRawText,    // a CDATA section: line ends as in text, no references
    kAttribute   // tab, CR, LF and CR LF become one space each
};

// Decodes a raw text or attribute value as UTF-8, put in pieces, none empty, each run that needs
// no change as a span of the value itself: the five predefined entities, character
// references, and line ends as the kind says. A reference to what is no XML character (&#0;, a
// surrogate, past U+10FFFF), a byte that starts no well-formed UTF-8 sequence, and a control
// character XML does not allow each become U+FFFD, so the text never ends early. Returns false at
// the first malformed reference (unknown name, no ';', bad digit, overflow), having put what came
// before it; the reader refuses such a reference before a caller sees it.
bool DecodeXmlValue(XmlSpan value, XmlValueKind kind, XmlSink* pSink);
// How many of the value's first bytes decode to themselves, found as DecodeXmlValue finds them:
// most values are whole such runs, which a caller keeping the bytes copies without a sink.
size_t XmlPlainLength(XmlSpan value, XmlValueKind kind);

enum class XmlEncoding { kUtf8, kUtf16LE, kUtf16BE, kRefused };

// The encoding of a part, from its first bytes: a byte-order mark (UTF-8, UTF-16LE, UTF-16BE), the
// bytes of "<?" in UTF-16 without one, or else UTF-8. kRefused when its XML declaration names an
// encoding other than UTF-8 or UTF-16 (in any case) or is malformed.
XmlEncoding DetectXmlEncoding(const char* pData, size_t cbData);

// The room TranscodeUtf16ToUtf8 needs for cbData bytes of UTF-16.
inline size_t XmlUtf8Room(size_t cbData) { return cbData + cbData / 2 + 4; }

// Writes a UTF-16 part (kUtf16LE or kUtf16BE) as UTF-8 into pOut, which holds cbOut bytes, at
// least XmlUtf8Room(cbData); a leading byte-order mark is left out, and an unpaired surrogate or a
// last odd byte becomes U+FFFD. Returns false, writing nothing, for another encoding or too little
// room.
bool TranscodeUtf16ToUtf8(const char* pData, size_t cbData, XmlEncoding encoding, char* pOut, size_t cbOut,
                          size_t* pcbWritten);
