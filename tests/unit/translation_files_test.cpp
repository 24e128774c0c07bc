// Which files are read as translation files: XML by its root element past the declaration,
// comments and a DOCTYPE, in UTF-8 or UTF-16; the others by name. An XML root that says it is none
// after all (resources without strings, root without resheaders) is handed back as plain text.
#include "documents/translation_files.h"

#include <gtest/gtest.h>

#include <string>

#include "documents/document_reader.h"

namespace {

DocumentKind KindOf(const std::string& head, const char* szName) {
    const char* szRefusal = nullptr;
    return KindOfFile(reinterpret_cast<const unsigned char*>(head.data()), head.size(), szName, &szRefusal);
}

std::string Utf16LE(const std::string& ascii) {
    std::string bytes = "\xFF\xFE";
    for (char c : ascii) bytes += std::string(1, c) + '\0';
    return bytes;
}

TEST(TranslationFiles, XmlIsToldByItsRootAndTheOthersByName) {
    const struct {
        const char* szWhat;
        std::string head;
        const char* szName;
        DocumentKind kind;
    } kCases[] = {
        {"XLIFF after a declaration, a comment and a PI", "\xEF\xBB\xBF<?xml version='1.0'?>\n<!-- x -> y -->\n<?pi?><xliff "
                                                           "version='1.2'>", "job.xlf", DocumentKind::kTranslationXml},
        {"a TS file's DOCTYPE", "<?xml version=\"1.0\"?><!DOCTYPE TS><TS version=\"2.1\">", "app.ts",
         DocumentKind::kTranslationXml},
        {"TMX whatever its name", "<!DOCTYPE tmx SYSTEM \"tmx14.dtd\"><tmx version='1.4'>", "memory.xml",
         DocumentKind::kTranslationXml},
        {"a prefixed root", "<x:xliff xmlns:x='urn:oasis:names:tc:xliff:document:2.0'>", "a.xml",
         DocumentKind::kTranslationXml},
        {"Android's resources", "<resources>\n<string name='a'>A</string>", "strings.xml", DocumentKind::kTranslationXml},
        {"RESX's root", "<?xml version='1.0' encoding='utf-8'?>\r\n<root>\r\n", "Form.resx", DocumentKind::kTranslationXml},
        {"UTF-16 with its mark", Utf16LE("<?xml version='1.0' encoding='utf-16'?><tmx>"), "m.tmx",
         DocumentKind::kTranslationXml},
        {"an internal subset read past", "<!DOCTYPE r [<!ENTITY e 'x>'>]><root>", "a.resx",
         DocumentKind::kTranslationXml},
        {"another root", "<?xml version='1.0'?><svg xmlns='http://www.w3.org/2000/svg'>", "p.svg",
         DocumentKind::kPlainText},
        {"a root named like one, longer", "<rootless>", "a.xml", DocumentKind::kPlainText},
        {"the root past the head", "<!-- " + std::string(kKindBytes, '-') + " --><xliff>", "a.xlf",
         DocumentKind::kPlainText},
        {"a root cut at the head's end", "<xliff", "a.xlf", DocumentKind::kPlainText},
        {"text before the root", "hello <xliff>", "a.xlf", DocumentKind::kPlainText},
        {"a web page stays one", "<!DOCTYPE html><html>", "a.txt", DocumentKind::kHtml},
        {"PO by name", "msgid \"\"\nmsgstr \"\"\n", "fr.po", DocumentKind::kPo},
        {"POT by name", "msgid \"\"\n", "messages.POT", DocumentKind::kPo},
        {"properties by name", "key=value\n", "Bundle_de.properties", DocumentKind::kProperties},
        {"strings by name", "\"a\" = \"b\";\n", "Localizable.strings", DocumentKind::kAppleStrings},
        {"a PDF named .po is still a PDF", "%PDF-1.7\n", "x.po", DocumentKind::kRefused},
    };
    for (const auto& c : kCases) EXPECT_EQ(c.kind, KindOf(c.head, c.szName)) << c.szWhat;
}

class StringSink : public TextSink {
public:
    void Put(const char* pUtf8, size_t cbUtf8) override { text.append(pUtf8, cbUtf8); }
    std::string text;
};

TEST(TranslationFiles, ARootWithoutItsKindsChildrenIsHandedBackAsPlainTextAndDamageIsRefused) {
    const struct {
        const char* szWhat;
        std::string xml;
        const char* szRefusal;  // null: read
    } kCases[] = {
        {"Android colours", "<resources><color name='c'>#fff</color><dimen name='d'>2dp</dimen></resources>",
         kNotTranslationFile},
        {"a root of another program", "<root><item>text</item></root>", kNotTranslationFile},
        {"resources cut before its strings", "<resources><color>", nullptr},
        {"an encoding no label names", "<?xml version='1.0' encoding='x-none'?><xliff/>", kRefusedXmlEncoding},
    };
    for (const auto& c : kCases) {
        StringSink sink;
        DocumentText text(&sink);
        bool bRead = ReadTranslationXml(reinterpret_cast<const unsigned char*>(c.xml.data()), c.xml.size(), &text);
        if (c.szRefusal == nullptr) {
            EXPECT_FALSE(bRead) << c.szWhat << ": a damaged file is refused";
            EXPECT_NE(nullptr, text.Refusal()) << c.szWhat;
            EXPECT_NE(std::string(kNotTranslationFile), text.Refusal() ? text.Refusal() : "")
                << c.szWhat << ": never as text";
        } else {
            EXPECT_FALSE(bRead) << c.szWhat;
            EXPECT_EQ(std::string(c.szRefusal), text.Refusal() ? text.Refusal() : "read") << c.szWhat;
        }
        EXPECT_EQ("", sink.text) << c.szWhat << ": nothing reaches the sink before the kind is known";
    }
}

}  // namespace
