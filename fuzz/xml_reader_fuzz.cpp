// Any bytes as a document part, read as UTF-8 and, when they look like UTF-16, transcoded: every span
// lies inside the bytes read (or is the "xml" prefix's URI), the depth never passes its bound, each
// start has its end with the same name unless an error came, and no more tokens come than there are
// bytes. Every text and value the reader let through decodes, and every decoding of any bytes is
// well-formed UTF-8.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "documents/xml_reader.h"
#include "fuzz/fuzz_input.h"

namespace {

// Well-formed UTF-8 by the table of Unicode's chapter 3, written apart from the reader's own.
bool IsWellFormedUtf8(const std::string& text) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text.data());
    size_t n = text.size();
    for (size_t i = 0; i < n;) {
        unsigned char c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        size_t cbTrail = c >= 0xC2 && c <= 0xDF ? 1 : c >= 0xE0 && c <= 0xEF ? 2 : c >= 0xF0 && c <= 0xF4 ? 3 : 0;
        if (cbTrail == 0 || n - i <= cbTrail) return false;
        unsigned char nLow = c == 0xE0 ? 0xA0 : c == 0xF0 ? 0x90 : 0x80;
        unsigned char nHigh = c == 0xED ? 0x9F : c == 0xF4 ? 0x8F : 0xBF;
        for (size_t j = 1; j <= cbTrail; ++j) {
            unsigned char t = p[i + j];
            if (t < (j == 1 ? nLow : 0x80) || t > (j == 1 ? nHigh : 0xBF)) return false;
        }
        i += cbTrail + 1;
    }
    return true;
}

class StringSink : public XmlSink {
public:
    void Put(const char* pData, size_t cbData) override {
        Check(cbData > 0);
        text.append(pData, cbData);
    }
    std::string text;
};

void CheckSpan(XmlSpan span, const char* pData, size_t cbData) {
    Check(span.pData != nullptr);
    if (span.cbData == 0) return;
    uintptr_t nFrom = reinterpret_cast<uintptr_t>(pData), nAt = reinterpret_cast<uintptr_t>(span.pData);
    bool bInside = nAt >= nFrom && span.cbData <= cbData && nAt - nFrom <= cbData - span.cbData;
    Check(bInside || (span.pData == kXmlNamespaceUri && span.cbData == strlen(kXmlNamespaceUri)));
}

// Decodes a span; one the reader let through must decode whole.
void CheckDecodes(XmlSpan span, XmlValueKind kind, bool bVetted) {
    StringSink sink;
    bool bDecoded = DecodeXmlValue(span, kind, &sink);
    Check(bDecoded || !bVetted);
    Check(IsWellFormedUtf8(sink.text));
}

void Read(const char* pData, size_t cbData) {
    XmlReader reader(pData, cbData);
    std::vector<std::string> open;
    for (size_t nTokens = 1;; ++nTokens) {
        XmlToken token = reader.Next();
        Check(nTokens <= cbData + 1 && reader.Offset() <= cbData);
        if (token == XmlToken::kError) {
            Check(reader.Error() != XmlError::kNone && XmlErrorText(reader.Error())[0] != '\0');
            Check(reader.Next() == XmlToken::kError && reader.AttributeCount() == 0);
            return;
        }
        Check(reader.Error() == XmlError::kNone);
        if (token == XmlToken::kEndDocument) {
            Check(open.empty() && reader.Next() == XmlToken::kEndDocument);
            return;
        }
        if (token == XmlToken::kText) {
            Check(!open.empty() && reader.Depth() == open.size());
            CheckSpan(reader.Text(), pData, cbData);
            CheckDecodes(reader.Text(), reader.TextIsRaw() ? XmlValueKind::kRawText : XmlValueKind::kText, true);
            continue;
        }
        XmlSpan name = reader.Name();
        CheckSpan(name, pData, cbData);
        CheckSpan(reader.NamespaceUri(), pData, cbData);
        CheckSpan(reader.LocalName(), pData, cbData);
        Check(name.cbData > 0 && name.cbData <= kXmlMaxNameLength && reader.LocalName().cbData > 0);
        if (token == XmlToken::kEndElement) {
            Check(!open.empty() && XmlSpanIs(name, open.back().c_str()) && reader.Depth() == open.size());
            open.pop_back();
            continue;
        }
        open.push_back(std::string(name.pData, name.cbData));
        Check(reader.Depth() == open.size() && reader.Depth() <= kXmlMaxDepth);
        Check(reader.AttributeCount() <= kXmlMaxAttributes);
        for (unsigned i = 0; i < reader.AttributeCount(); ++i) {
            const XmlAttribute& attribute = reader.Attribute(i);
            CheckSpan(attribute.name, pData, cbData);
            CheckSpan(attribute.uri, pData, cbData);
            CheckSpan(attribute.local, pData, cbData);
            CheckSpan(attribute.value, pData, cbData);
            Check(attribute.value.cbData <= kXmlMaxValueLength);
            XmlSpan value = {nullptr, 0};
            Check(reader.FindAttribute(attribute.uri, attribute.local, &value) && value.pData == attribute.value.pData);
            CheckDecodes(attribute.value, XmlValueKind::kAttribute, true);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pBytes, size_t nSize) {
    // A copy of its own, so that a read past the end is seen by the address checker.
    char* pData = static_cast<char*>(malloc(nSize ? nSize : 1));
    memcpy(pData, pBytes, nSize);
    Read(pData, nSize);
    for (XmlValueKind kind : {XmlValueKind::kText, XmlValueKind::kRawText, XmlValueKind::kAttribute}) {
        CheckDecodes(XmlSpan{pData, nSize}, kind, false);
    }

    XmlEncoding encoding = DetectXmlEncoding(pData, nSize);
    if (encoding == XmlEncoding::kUtf16LE || encoding == XmlEncoding::kUtf16BE) {
        size_t cbRoom = XmlUtf8Room(nSize), cbWritten = 0;
        char* pUtf8 = static_cast<char*>(malloc(cbRoom));
        Check(!TranscodeUtf16ToUtf8(pData, nSize, encoding, pUtf8, cbRoom - 1, &cbWritten) && cbWritten == 0);
        Check(TranscodeUtf16ToUtf8(pData, nSize, encoding, pUtf8, cbRoom, &cbWritten) && cbWritten <= cbRoom);
        Check(IsWellFormedUtf8(std::string(pUtf8, cbWritten)));
        // Exactly the bytes written, for the address checker again.
        char* pExact = static_cast<char*>(malloc(cbWritten ? cbWritten : 1));
        memcpy(pExact, pUtf8, cbWritten);
        Read(pExact, cbWritten);
        free(pExact);
        free(pUtf8);
    }
    free(pData);
    return 0;
}
