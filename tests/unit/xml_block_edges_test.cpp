// The XML reader, the value decoder and the document's text look at their bytes 16 at a time: a
// reference, a line end, a quote, a '<' or a byte that is not plain ASCII is found at every place
// of two blocks, and just before the end of the bytes, where the last of them are read one by one.
#include <gtest/gtest.h>

#include <string>

#include "documents/byte_scan.h"
#include "documents/document_text.h"
#include "documents/xml_reader.h"

namespace {

const char kReplacement[] = "\xEF\xBF\xBD";
// After the byte looked for: nothing, one byte, or more than a block.
const size_t kTails[] = {0, 1, 17};

std::string Str(XmlSpan span) { return std::string(span.pData, span.cbData); }

// The part's texts and attribute values as 'text' and v="value", or its error as !reason@offset.
std::string Trace(const std::string& xml) {
    XmlReader reader(xml.data(), xml.size());
    std::string trace;
    for (XmlToken token = reader.Next(); token != XmlToken::kEndDocument; token = reader.Next()) {
        if (token == XmlToken::kError) return trace + "!" + XmlErrorText(reader.Error()) + "@" + std::to_string(reader.Offset());
        if (token == XmlToken::kText) trace += "'" + Str(reader.Text()) + "'";
        for (unsigned i = 0; token == XmlToken::kStartElement && i < reader.AttributeCount(); ++i)
            trace += Str(reader.Attribute(i).local) + "=\"" + Str(reader.Attribute(i).value) + "\"";
    }
    return trace;
}

std::string Fault(XmlError error, size_t cbOffset) {
    return std::string("!") + XmlErrorText(error) + "@" + std::to_string(cbOffset);
}

class StringSink : public XmlSink {
public:
    void Put(const char* pData, size_t cbData) override {
        EXPECT_NE(0u, cbData) << "an empty piece";
        text.append(pData, cbData);
    }
    std::string text;
};

std::string Decoded(const std::string& raw, XmlValueKind kind) {
    StringSink sink;
    return DecodeXmlValue(XmlSpan{raw.data(), raw.size()}, kind, &sink) ? sink.text : sink.text + "!failed";
}

struct KeptText : TextSink {
    std::string text;
    void Put(const char* p, size_t n) override { text.append(p, n); }
};

std::string MadeText(const std::string& bytes) {
    KeptText kept;
    DocumentText text(&kept);
    text.Put(bytes.data(), bytes.size());
    return kept.text;
}

TEST(XmlBlockEdges, TextEndsAndReferencesAreFoundAtEveryPlaceOfTwoBlocks) {
    for (size_t k = 0; k < 32; ++k) {
        for (size_t cbTail : kTails) {
            std::string before(k, 'x'), after(cbTail, 'y');
            std::string at = " at " + std::to_string(k) + " before " + std::to_string(cbTail);
            EXPECT_EQ("'" + before + "&amp;" + after + "'", Trace("<a>" + before + "&amp;" + after + "</a>")) << "a reference" << at;
            EXPECT_EQ(Fault(XmlError::kBadReference, 3 + k), Trace("<a>" + before + "&bad;" + after + "</a>")) << "a bad reference" << at;
            EXPECT_EQ(Fault(XmlError::kBadReference, 3 + k), Trace("<a>" + before + "&#12" + after + "</a>"))
                << "a reference cut by the markup" << at;
            std::string pieces = (k > 0 ? "'" + before + "'" : "") + (cbTail > 0 ? "'" + after + "'" : "");
            EXPECT_EQ(pieces, Trace("<a>" + before + "<!---->" + after + "</a>")) << "a comment cuts the text" << at;
            EXPECT_EQ("'" + before + "&lt;" + after + "'" + Fault(XmlError::kUnclosedElement, 7 + k + cbTail),
                      Trace("<a>" + before + "&lt;" + after))
                << "the text ends with the bytes" << at;
        }
    }
}

TEST(XmlBlockEdges, AttributeValuesEndAtTheirQuoteAtEveryPlaceOfTwoBlocks) {
    for (size_t k = 0; k < 32; ++k) {
        for (size_t cbTail : kTails) {
            std::string before(k, 'x'), after(cbTail, 'y');
            std::string at = " at " + std::to_string(k) + " before " + std::to_string(cbTail);
            EXPECT_EQ("v=\"" + before + "\"w=\"" + after + "\"", Trace("<a v=\"" + before + "\" w='" + after + "'/>"))
                << "the quote" << at;
            EXPECT_EQ("v=\"" + before + "\"" + after + "\"", Trace("<a v='" + before + "\"" + after + "'/>"))
                << "the other quote is text" << at;
            EXPECT_EQ("v=\"" + before + "&quot;" + after + "\"", Trace("<a v=\"" + before + "&quot;" + after + "\"/>"))
                << "a reference" << at;
            EXPECT_EQ(Fault(XmlError::kLessThanInValue, 6 + k), Trace("<a v=\"" + before + "<" + after + "\"/>")) << "a '<'" << at;
            EXPECT_EQ(Fault(XmlError::kBadReference, 6 + k), Trace("<a v=\"" + before + "&bad;" + after + "\"/>"))
                << "a bad reference" << at;
            // A '<' is refused before a bad reference ahead of it, and a value that never ends
            // before either.
            EXPECT_EQ(Fault(XmlError::kLessThanInValue, 7 + k), Trace("<a v=\"" + before + "&<" + after + "\"/>"))
                << "a bad reference, then a '<'" << at;
            EXPECT_EQ(Fault(XmlError::kTruncated, 3), Trace("<a v=\"" + before + "&<" + after)) << "no quote" << at;
        }
    }
    // A reference that ends past the longest value leaves the value too long.
    std::string value(kXmlMaxValueLength - 2, 'x');
    EXPECT_EQ(Fault(XmlError::kValueTooLong, 3), Trace("<a v=\"" + value + "&amp;\"/>")) << "a reference across the bound";
    std::string longest(kXmlMaxValueLength - 5, 'x');
    EXPECT_EQ("v=\"" + longest + "&amp;\"", Trace("<a v=\"" + longest + "&amp;\"/>")) << "a reference that ends the longest value";
}

// The last element's {uri}local name, or the part's error as !reason@offset.
std::string LastElement(const std::string& xml) {
    XmlReader reader(xml.data(), xml.size());
    std::string name;
    for (XmlToken token = reader.Next(); token != XmlToken::kEndDocument; token = reader.Next()) {
        if (token == XmlToken::kError) return Fault(reader.Error(), reader.Offset());
        if (token == XmlToken::kStartElement) name = "{" + Str(reader.NamespaceUri()) + "}" + Str(reader.LocalName());
    }
    return name;
}

TEST(XmlBlockEdges, NamesEndAndTheirColonsAreFoundAtEveryPlaceOfThreeBlocks) {
    const char kNameBytes[] = "-.09:AZ_az\x80\xFF";
    const char kOtherBytes[] = "\x7F\x01 /;@[^`{,+!";
    for (size_t k = 0; k < 48; ++k) {
        std::string at = " after " + std::to_string(k);
        for (const char* pByte = kNameBytes; *pByte != '\0'; ++pByte) {
            std::string name = "a" + std::string(k, 'b') + *pByte + "d";
            std::string expected = *pByte == ':' ? Fault(XmlError::kUnboundPrefix, 1) : "{}" + name;
            EXPECT_EQ(expected, LastElement("<" + name + "/>")) << "name byte " << static_cast<int>(*pByte) << at;
        }
        for (const char* pByte = kOtherBytes; *pByte != '\0'; ++pByte) {
            std::string expected = *pByte == ' ' ? Fault(XmlError::kTruncated, 2 + k + 1) : Fault(XmlError::kNotWellFormed, 2 + k);
            EXPECT_EQ(expected, LastElement("<a" + std::string(k, 'b') + *pByte + "x")) << "other byte " << static_cast<int>(*pByte) << at;
        }
        std::string prefix(k + 1, 'p');
        std::string root = "<r xmlns:" + prefix + "=\"u\">";
        EXPECT_EQ("{u}b", LastElement(root + "<" + prefix + ":b/></r>")) << "a prefix" << at;
        EXPECT_EQ("{u}" + std::string(k + 1, 'b'), LastElement(root + "<" + prefix + ":" + std::string(k + 1, 'b') + "/></r>"))
            << "a local name" << at;
        EXPECT_EQ(Fault(XmlError::kBadName, root.size() + 1), LastElement(root + "<" + prefix + ":b:c/></r>")) << "two colons" << at;
        EXPECT_EQ(Fault(XmlError::kBadName, root.size() + 1), LastElement(root + "<" + prefix + ":" + std::string(k, 'b') + ":/></r>"))
            << "two colons, the second last" << at;
    }
}

TEST(XmlBlockEdges, ValuesDecodeAlikeAtEveryPlaceOfTwoBlocks) {
    const XmlValueKind kText = XmlValueKind::kText, kAttribute = XmlValueKind::kAttribute, kRaw = XmlValueKind::kRawText;
    for (size_t k = 0; k < 32; ++k) {
        for (size_t cbTail : kTails) {
            std::string before(k, 'x'), after(cbTail, 'y');
            std::string at = " at " + std::to_string(k) + " before " + std::to_string(cbTail);
            EXPECT_EQ(before + "\n" + after, Decoded(before + "\r\n" + after, kText)) << "CR LF in text" << at;
            EXPECT_EQ(before + "\n" + after, Decoded(before + "\r" + after, kText)) << "a lone CR in text" << at;
            EXPECT_EQ(before + " " + after, Decoded(before + "\r\n" + after, kAttribute)) << "CR LF in a value" << at;
            EXPECT_EQ(before + "\t\n" + after, Decoded(before + "\t\n" + after, kText)) << "tab and LF in text" << at;
            EXPECT_EQ(before + "  " + after, Decoded(before + "\t\n" + after, kAttribute)) << "tab and LF in a value" << at;
            EXPECT_EQ(before + "<&" + after, Decoded(before + "&lt;&#x26;" + after, kText)) << "references" << at;
            EXPECT_EQ(before + "&amp;\n" + after, Decoded(before + "&amp;\r\n" + after, kRaw)) << "CDATA" << at;
            EXPECT_EQ(before + "\xC3\xA9\xE2\x82\xAC" + after, Decoded(before + "\xC3\xA9\xE2\x82\xAC" + after, kText))
                << "UTF-8 across the block's end" << at;
            EXPECT_EQ(before + kReplacement + kReplacement + after, Decoded(before + "\xE2\x82" + after, kText))
                << "a cut sequence, a U+FFFD a byte" << at;
            EXPECT_EQ(before + kReplacement + "\x7F" + kReplacement + after, Decoded(before + "\x01\x7F\x1F" + after, kText))
                << "controls" << at;
            EXPECT_EQ(before + kReplacement + kReplacement + kReplacement + after, Decoded(before + "\xEF\xBF\xBE" + after, kText))
                << "U+FFFE, no XML character: a U+FFFD a byte" << at;
        }
    }
}

TEST(XmlBlockEdges, AValuesLastPieceIsReadInTheBlockThatEndsIt) {
    // Of every length up to three blocks, with what needs decoding at every place of it: a value's
    // last bytes are looked at in the 16 that end it once it is that long.
    for (size_t cbValue = 1; cbValue <= 48; ++cbValue) {
        for (size_t k = 0; k < cbValue; ++k) {
            std::string before(k, 'x'), after(cbValue - k - 1, 'y');
            std::string at = " at " + std::to_string(k) + " of " + std::to_string(cbValue);
            EXPECT_EQ(before + " " + after, Decoded(before + "\t" + after, XmlValueKind::kAttribute)) << "a tab" << at;
            EXPECT_EQ(before + kReplacement + after, Decoded(before + "\x01" + after, XmlValueKind::kText))
                << "a control" << at;
            EXPECT_EQ(before + "&" + after, Decoded(before + "&" + after, XmlValueKind::kRawText)) << "CDATA's &" << at;
            EXPECT_EQ(before + "!failed", Decoded(before + "&" + after, XmlValueKind::kText)) << "a bad reference" << at;
        }
    }
}

TEST(XmlBlockEdges, SingleSpacingIsToldAtEveryPlaceOfThreeBlocks) {
    for (size_t cb = 1; cb <= 48; ++cb) {
        for (size_t k = 0; k < cb; ++k) {
            std::string text(cb, 'x');
            std::string at = " at " + std::to_string(k) + " of " + std::to_string(cb);
            auto Single = [&](const std::string& t) { return IsSingleSpaced(t.data(), t.data() + t.size()); };
            text[k] = ' ';
            EXPECT_TRUE(Single(text)) << "one space" << at;
            if (k + 1 < cb) {
                text[k + 1] = ' ';
                EXPECT_FALSE(Single(text)) << "two spaces" << at;
                text[k + 1] = 'x';
            }
            for (char c : {'\t', '\n', '\r'}) {
                text[k] = c;
                EXPECT_FALSE(Single(text)) << "control " << static_cast<int>(c) << at;
            }
        }
    }
}

TEST(XmlBlockEdges, TheDocumentsTextReplacesWhatIsNoTextAtEveryPlaceOfTwoBlocks) {
    for (size_t k = 0; k < 32; ++k) {
        for (size_t cbTail : kTails) {
            std::string before(k, 'x'), after(cbTail, 'y');
            std::string at = " at " + std::to_string(k) + " before " + std::to_string(cbTail);
            EXPECT_EQ(before + kReplacement + after, MadeText(before + std::string(1, '\0') + after)) << "U+0000" << at;
            EXPECT_EQ(before + kReplacement + after, MadeText(before + "\xE2\x82" + after)) << "a cut sequence, one U+FFFD" << at;
            EXPECT_EQ(before + "\xE2\x82\xAC\x01" + after, MadeText(before + "\xE2\x82\xAC\x01" + after)) << "UTF-8 and a control" << at;
        }
    }
}

}  // namespace
