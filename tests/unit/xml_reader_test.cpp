#include "documents/xml_reader.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Str(XmlSpan span) { return std::string(span.pData, span.cbData); }

std::string Named(XmlSpan uri, XmlSpan local) {
    return uri.cbData == 0 ? Str(local) : "{" + Str(uri) + "}" + Str(local);
}

// The tokens of a part, written out: <{uri}local attr="raw">, </{uri}local>, 'text', [cdata], and
// an error as !reason@offset.
std::string Trace(const std::string& xml, bool bPastExternalDoctype = false) {
    XmlReader reader(xml.data(), xml.size());
    if (bPastExternalDoctype) reader.ReadPastExternalDoctype();
    std::string trace;
    for (int i = 0; i < 10000; ++i) {
        switch (reader.Next()) {
        case XmlToken::kStartElement:
            trace += "<" + Named(reader.NamespaceUri(), reader.LocalName());
            for (unsigned j = 0; j < reader.AttributeCount(); ++j) {
                const XmlAttribute& attribute = reader.Attribute(j);
                trace += " " + Named(attribute.uri, attribute.local) + "=\"" + Str(attribute.value) + "\"";
            }
            trace += ">";
            break;
        case XmlToken::kEndElement: trace += "</" + Named(reader.NamespaceUri(), reader.LocalName()) + ">"; break;
        case XmlToken::kText:
            trace += reader.TextIsRaw() ? "[" + Str(reader.Text()) + "]" : "'" + Str(reader.Text()) + "'";
            break;
        case XmlToken::kEndDocument: return trace;
        case XmlToken::kError:
            return trace + "!" + XmlErrorText(reader.Error()) + "@" + std::to_string(reader.Offset());
        }
    }
    return trace + "!never ends";
}

class StringSink : public XmlSink {
public:
    void Put(const char* pData, size_t cbData) override { text.append(pData, cbData); }
    std::string text;
};

// The decoded value, or "!failed" after what was put before the fault.
std::string Decoded(const std::string& raw, XmlValueKind kind) {
    StringSink sink;
    bool bDecoded = DecodeXmlValue(XmlSpan{raw.data(), raw.size()}, kind, &sink);
    return bDecoded ? sink.text : sink.text + "!failed";
}

std::string Refused(const char* szReason, size_t cbOffset) {
    return std::string("!") + szReason + "@" + std::to_string(cbOffset);
}

// The error of a part, or "" when it reads to its end.
std::string Refusal(const std::string& xml) {
    std::string trace = Trace(xml);
    size_t nBang = trace.rfind('!');
    return nBang == std::string::npos ? "" : trace.substr(nBang);
}

TEST(XmlReader, NamespacesResolveWithinTheirScope) {
    EXPECT_EQ("<{urn:d}r><{urn:p}a {urn:p}x=\"1\" y=\"2\"><{urn:e}b><{urn:q}c></{urn:q}c><d></d></{urn:e}b>"
              "<{urn:d}c {http://www.w3.org/XML/1998/namespace}lang=\"en\"></{urn:d}c></{urn:p}a></{urn:d}r>",
              Trace("<r xmlns='urn:d' xmlns:p=\"urn:p\"><p:a p:x='1' y='2'><b xmlns='urn:e' xmlns:p='urn:q'>"
                    "<p:c/><d xmlns=''/></b><c xml:lang='en'/></p:a></r>"));
    // A prefix declared after its use on the same tag is in scope; outside the tag it is not.
    EXPECT_EQ("<r><{urn:p}a {urn:p}x=\"1\"></{urn:p}a>!a namespace prefix is used without a declaration@39",
              Trace("<r><p:a p:x='1' xmlns:p='urn:p'></p:a><p:b/></r>"));

    std::string xml = "<w:doc xmlns:w='urn:w'><w:p w:val='v' val='u'/> </w:doc>";
    XmlReader reader(xml.data(), xml.size());
    ASSERT_EQ(XmlToken::kStartElement, reader.Next());
    ASSERT_EQ(XmlToken::kStartElement, reader.Next());
    EXPECT_EQ("w:p", Str(reader.Name()));
    EXPECT_EQ(2u, reader.Depth());
    EXPECT_EQ(23u, reader.Offset());
    XmlSpan value = {nullptr, 0};
    EXPECT_TRUE(reader.FindAttribute("urn:w", "val", &value) && Str(value) == "v") << Str(value);
    EXPECT_TRUE(reader.FindAttribute("", "val", &value) && Str(value) == "u") << Str(value);
    EXPECT_FALSE(reader.FindAttribute("urn:x", "val", &value));
    ASSERT_EQ(XmlToken::kEndElement, reader.Next());
    EXPECT_EQ(2u, reader.Depth());
    EXPECT_EQ(0u, reader.AttributeCount());
    ASSERT_EQ(XmlToken::kText, reader.Next());
    EXPECT_EQ(1u, reader.Depth());
}

TEST(XmlReader, MarkupOtherThanElementsAndTextIsSkipped) {
    EXPECT_EQ("<r><a></a>'x''z'[<b>&amp;]'\n'</r>",
              Trace("\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n<!-- c --><?pi x?>"
                    "<r><a/>x<!-- y -->z<![CDATA[<b>&amp;]]><?p?>\n</r ><!---->\n"));
    EXPECT_EQ("<r>' &lt;&#x41; '</r>", Trace("<r> &lt;&#x41; </r>"));
}

TEST(XmlDecode, ValuesResolveReferencesAndNormaliseWhiteSpace) {
    EXPECT_EQ("x &<>\"' AB\xC3\xA9\xF0\x9F\x98\x80", Decoded("x &amp;&lt;&gt;&quot;&apos; &#65;&#x42;&#233;&#x1F600;",
                                                           XmlValueKind::kAttribute));
    // What is no XML character becomes U+FFFD, written or referred to; an encoded surrogate is
    // three bytes that start nothing.
    EXPECT_EQ("a\xEF\xBF\xBD" "b\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"
              "c\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD",
              Decoded("a&#0;b&#xD800;&#x110000;\x01\xFF" "c\xED\xA0\x80", XmlValueKind::kText));
    EXPECT_EQ("1 2 3 4 5\t\n\r", Decoded("1\t2\r\n3\n4\r5&#9;&#10;&#13;", XmlValueKind::kAttribute));
    EXPECT_EQ("a\nb\nc\n\td", Decoded("a\r\nb\rc\n\td", XmlValueKind::kText));
    EXPECT_EQ("&amp;<\n\n", Decoded("&amp;<\r\n\r", XmlValueKind::kRawText));
    for (const char* szBad : {"&nbsp;", "&amp", "&#12a;", "&#x;", "&#;", "&#99999999999;", "& ", "&#X41;"}) {
        EXPECT_EQ("a!failed", Decoded(std::string("a") + szBad, XmlValueKind::kText)) << szBad;
    }
}

TEST(XmlReader, FaultsGiveTheirReasonAndOffset) {
    struct {
        const char* szXml;
        XmlError reason;
        size_t cbOffset;
    } kFaults[] = {
        {"<a><b></a>", XmlError::kMismatchedEndTag, 6},
        {"</a>", XmlError::kUnexpectedEndTag, 0},
        {"<a>text", XmlError::kUnclosedElement, 7},
        {"<a><b", XmlError::kTruncated, 3},
        {"<a x='1", XmlError::kTruncated, 3},
        {"<a><!-- x", XmlError::kTruncated, 3},
        {"<a><![CDA", XmlError::kTruncated, 3},
        {"<a/>x", XmlError::kTextOutsideRoot, 4},
        {"x<a/>", XmlError::kTextOutsideRoot, 0},
        {"<a/><b/>", XmlError::kSecondRootElement, 4},
        {"", XmlError::kNoRootElement, 0},
        {" <!-- c --> ", XmlError::kNoRootElement, 12},
        {"<a x='<'/>", XmlError::kLessThanInValue, 6},
        {"<a x='1' x='2'/>", XmlError::kDuplicateAttribute, 9},
        {"<a xmlns:p='u' xmlns:q='u' p:x='1' q:x='2'/>", XmlError::kDuplicateAttribute, 35},
        {"<a xmlns:p='u' xmlns:p='v'/>", XmlError::kDuplicateAttribute, 15},
        {"<p:a/>", XmlError::kUnboundPrefix, 1},
        {"<a p:x='1'/>", XmlError::kUnboundPrefix, 3},
        {"<a xmlns:p=''/>", XmlError::kBadNamespaceDeclaration, 3},
        {"<a xmlns:xmlns='u'/>", XmlError::kBadNamespaceDeclaration, 3},
        {"<a xmlns:p='a&amp;b'/>", XmlError::kBadNamespaceDeclaration, 3},
        {"<1a/>", XmlError::kBadName, 1},
        {"<a:b:c/>", XmlError::kBadName, 1},
        {"<a :x='1'/>", XmlError::kBadName, 3},
        {"<a>&nbsp;</a>", XmlError::kBadReference, 3},
        {"<a>x & y</a>", XmlError::kBadReference, 5},
        {"<a x='&#;'/>", XmlError::kBadReference, 6},
        {"<a x='1'y='2'/>", XmlError::kNotWellFormed, 8},
        {"<a><?xml version='1.0'?></a>", XmlError::kNotWellFormed, 3},
        {"<a><!-- a -- b --></a>", XmlError::kNotWellFormed, 10},
        {"<a><!ENTITY x 'y'></a>", XmlError::kNotWellFormed, 3},
        {"<a></a x>", XmlError::kNotWellFormed, 7},
        {"<?xml version='1.0' encoding='ISO-8859-1'?><a/>", XmlError::kUnsupportedEncoding, 0},
    };
    for (const auto& fault : kFaults) {
        EXPECT_EQ(Refused(XmlErrorText(fault.reason), fault.cbOffset), Refusal(fault.szXml)) << "in " << fault.szXml;
    }
}

TEST(XmlReader, DoctypeIsRefusedWhereverItStands) {
    EXPECT_EQ("!a DOCTYPE is not allowed in a document part@0",
              Trace("<!DOCTYPE r [<!ENTITY e SYSTEM 'file:///etc/passwd'>]><r>&e;</r>"));
    EXPECT_EQ("<r>!a DOCTYPE is not allowed in a document part@3", Trace("<r><!DOCTYPE r></r>"));
}

TEST(XmlReader, AnExternalDoctypeIsReadPastWhereAllowedAndAnInternalSubsetStillRefused) {
    const struct {
        const char* szXml;
        const char* szTrace;
    } kCases[] = {
        {"<!DOCTYPE TS><TS/>", "<TS></TS>"},
        {"<?xml version='1.0'?>\n<!DOCTYPE tmx SYSTEM \"tmx14.dtd\" >\n<tmx/>", "<tmx></tmx>"},
        {"<!DOCTYPE x PUBLIC '-//A>[B//EN' \"http://x/>[\"><x/>", "<x></x>"},
        {"<!DOCTYPE r [<!ENTITY e 'boom'>]><r>&e;</r>", "!a DOCTYPE is not allowed in a document part@0"},
        {"<!DOCTYPE r SYSTEM 'r.dtd' [<!ENTITY e 'boom'>]><r/>", "!a DOCTYPE is not allowed in a document part@0"},
        {"<!DOCTYPE a><!DOCTYPE a><a/>", "!a DOCTYPE is not allowed in a document part@12"},
        {"<a><!DOCTYPE a></a>", "<a>!a DOCTYPE is not allowed in a document part@3"},
        {"<!DOCTYPE a SYSTEM 'a.dtd'", "!the XML is cut off in the middle of its markup@0"},
        {"<!DOCTYPEa><a/>", "!the XML is not well formed@9"},
        {"<!DOCTYPE a BOGUS><a/>", "!the XML is not well formed@12"},
    };
    for (const auto& c : kCases) EXPECT_EQ(c.szTrace, Trace(c.szXml, true)) << "for " << c.szXml;
    EXPECT_EQ("!a DOCTYPE is not allowed in a document part@0", Trace("<!DOCTYPE TS><TS/>"))
        << "a document part never has one";
}

std::string Nested(unsigned nDepth) {
    std::string xml;
    for (unsigned i = 0; i < nDepth; ++i) xml += "<e>";
    for (unsigned i = 0; i < nDepth; ++i) xml += "</e>";
    return xml;
}

std::string WithAttributes(unsigned nAttributes, const char* szName) {
    std::string xml = "<e";
    for (unsigned i = 0; i < nAttributes; ++i) {
        xml += " " + std::string(szName) + std::to_string(i) + "='u" + std::to_string(i) + "'";
    }
    return xml + "/>";
}

TEST(XmlReader, EachBoundHoldsJustInsideAndRefusesJustPast) {
    EXPECT_EQ("", Refusal(Nested(256)));
    EXPECT_EQ(Refused("elements are nested too deeply", 768), Refusal(Nested(257)));
    EXPECT_EQ("", Refusal(WithAttributes(256, "a")));
    // Attributes 0-9 take 8 bytes each, 10-99 take 10, 100-255 take 12: the 257th name is at 2855.
    EXPECT_EQ(Refused("an element has too many attributes", 2855), Refusal(WithAttributes(257, "a")));
    EXPECT_EQ("", Refusal("<" + std::string(1024, 'n') + "/>"));
    EXPECT_EQ(Refused("a name is too long", 1), Refusal("<" + std::string(1025, 'n') + "/>"));
    EXPECT_EQ("", Refusal("<e a='" + std::string(1 << 20, 'v') + "'/>"));
    EXPECT_EQ(Refused("an attribute value is too long", 3),
              Refusal("<e a='" + std::string((1 << 20) + 1, 'v') + "'/>"));
    // Declarations count while in scope: 128 on the root and 128 on each child in turn.
    std::string half = WithAttributes(128, "xmlns:p");
    std::string root = WithAttributes(128, "xmlns:q");
    root.resize(root.size() - 2);
    EXPECT_EQ("", Refusal(root + ">" + half + half + "</e>"));
    std::string over = WithAttributes(129, "xmlns:p");
    std::string refusal = Refusal(root + ">" + over + "</e>");
    EXPECT_EQ(0u, refusal.find("!too many namespace declarations are in scope@")) << refusal;
}

std::string Utf16(const std::u16string& text, bool bBigEndian) {
    std::string bytes;
    for (char16_t unit : text) {
        char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        bytes += bBigEndian ? high : low;
        bytes += bBigEndian ? low : high;
    }
    return bytes;
}

TEST(XmlEncoding, Utf16PartsAreTranscodedAndRead) {
    for (bool bBigEndian : {false, true}) {
        const char* szOrder = bBigEndian ? "big-endian" : "little-endian";
        XmlEncoding encoding = bBigEndian ? XmlEncoding::kUtf16BE : XmlEncoding::kUtf16LE;
        // A pair, a lone surrogate, and an odd byte at the end.
        const char16_t* szText =
            u"\uFEFF<?xml version=\"1.0\" encoding=\"UTF-16\"?><r a=\"\u00E9\">x\U0001F600\xD800!</r>";
        std::string part = Utf16(szText, bBigEndian) + "z";
        EXPECT_EQ(static_cast<int>(encoding), static_cast<int>(DetectXmlEncoding(part.data(), part.size()))) << szOrder;
        std::string utf8(XmlUtf8Room(part.size()), '\0');
        size_t cbWritten = 0;
        EXPECT_FALSE(TranscodeUtf16ToUtf8(part.data(), part.size(), encoding, &utf8[0], utf8.size() - 1, &cbWritten))
            << "one byte short of room, " << szOrder;
        ASSERT_TRUE(TranscodeUtf16ToUtf8(part.data(), part.size(), encoding, &utf8[0], utf8.size(), &cbWritten));
        utf8.resize(cbWritten);
        EXPECT_EQ("<?xml version=\"1.0\" encoding=\"UTF-16\"?><r a=\"\xC3\xA9\">x\xF0\x9F\x98\x80\xEF\xBF\xBD!</r>"
                  "\xEF\xBF\xBD",
                  utf8)
            << szOrder;
        utf8.resize(utf8.size() - 3);
        EXPECT_EQ("<r a=\"\xC3\xA9\">'x\xF0\x9F\x98\x80\xEF\xBF\xBD!'</r>", Trace(utf8)) << szOrder;
    }
}

TEST(XmlEncoding, DeclaredEncodingsOtherThanUtf8AndUtf16AreRefused) {
    struct {
        std::string part;
        XmlEncoding encoding;
    } kParts[] = {
        {"<r/>", XmlEncoding::kUtf8},
        {"\xEF\xBB\xBF<?xml version='1.0' encoding='utf-8'?><r/>", XmlEncoding::kUtf8},
        {"<?xml version=\"1.0\" encoding=\"Utf-16\" ?><r/>", XmlEncoding::kUtf8},
        {"<?xml version='1.0' encoding='ISO-8859-1'?><r/>", XmlEncoding::kRefused},
        {"<?xml version='1.0' encoding='utf-8?><r/>", XmlEncoding::kRefused},
        {Utf16(u"<?xml version='1.0' encoding='windows-1252'?><r/>", false), XmlEncoding::kRefused},
        {Utf16(u"<?xml version='1.0'?><r/>", true), XmlEncoding::kUtf16BE},
    };
    for (const auto& part : kParts) {
        XmlEncoding encoding = DetectXmlEncoding(part.part.data(), part.part.size());
        EXPECT_EQ(static_cast<int>(part.encoding), static_cast<int>(encoding)) << "for " << part.part;
    }
}

}  // namespace
