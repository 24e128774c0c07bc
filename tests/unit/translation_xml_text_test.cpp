// The readers of translation files in XML: Android string resources, .resx, and InDesign stories.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "documents/android_strings_text.h"
#include "documents/idml_text.h"
#include "documents/office_package.h"
#include "documents/resx_text.h"
#include "tests/unit/translation_text_support.h"
#include "tests/unit/zip_writer.h"

using namespace translation_test;

namespace {

Reading Android(const std::string& file, const TranslationChoice& side = kSource) {
    return ReadWith([](const std::string& bytes, DocumentText* pText) { return ReadAndroidStringsText(bytes.data(), bytes.size(), pText); },
                    file, side);
}

Reading Resx(const std::string& file, const TranslationChoice& side = kSource) {
    return ReadWith([](const std::string& bytes, DocumentText* pText) { return ReadResxText(bytes.data(), bytes.size(), pText); },
                    file, side);
}

Reading Idml(const std::vector<zip_writer::Member>& members) {
    return ReadWith(
        [](const std::string& bytes, DocumentText* pText) {
            OfficePackage package;
            return package.Open(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), pText) &&
                   ReadIdmlText(&package, pText);
        },
        zip_writer::WriteZip(members));
}

const char kPackaging[] = "xmlns:idPkg=\"http://ns.adobe.com/AdobeInDesign/idml/1.0/packaging\"";

std::string DesignMap(const std::string& body) {
    return std::string("<Document ") + kPackaging + " Self=\"d\">" + body + "</Document>";
}

std::string Story(const std::string& ranges) {
    return std::string("<idPkg:Story ") + kPackaging + "><Story Self=\"u1\">" + ranges + "</Story></idPkg:Story>";
}

struct Case {
    const char* szWhat;
    std::string file;
    const char* szText;
};

}  // namespace

TEST(AndroidStringsText, ReadsStringsPluralsAndArraysAsAndroidDoes) {
    const std::string kOpen = "<resources xmlns:xliff=\"urn:oasis:names:tc:xliff:document:1.2\">";
    const Case kCases[] = {
        {"the three kinds of unit; translatable=\"false\" and other resources left out",
         kOpen + "<string name=\"a\">one</string><string name=\"b\" translatable=\"false\">no</string>"
                 "<plurals name=\"p\"><item quantity=\"one\">two</item><item quantity=\"other\" translatable=\"false\">no</item></plurals>"
                 "<string-array name=\"s\" translatable=\"false\"><item>no</item></string-array>"
                 "<string-array name=\"t\"><item>three</item></string-array><integer-array name=\"i\"><item>4</item></integer-array>"
                 "<color name=\"c\">#fff</color><item type=\"id\" name=\"x\">no</item></resources>",
         "one\r\ntwo\r\nthree\r\n"},
        {"a placeholder and all inside it left out, other tags' text kept",
         kOpen + "<string name=\"a\">A <xliff:g id=\"n\">%1$s <b>bold</b></xliff:g>B <u>C</u><font size=\"2\">D</font></string></resources>",
         "A B CD\r\n"},
        {"quoted whole: quotes gone, white space kept; else runs of white space one space, trimmed",
         kOpen + "<string name=\"a\">\"  x  \ty \"</string><string name=\"b\">\n  p \n\t q  </string>"
                 "<string name=\"c\">\"\\\"\"</string><string name=\"d\">\"open\\\"</string></resources>",
         "  x  \ty \r\np q\r\n\"\r\n\"open\"\r\n"},
        {"escapes, a CDATA section, references",
         kOpen + "<string name=\"a\">\\'\\\"\\n\\t\\@\\?\\\\\\u00e9\\uD83D\\uDE00\\z <![CDATA[<i>x</i>]]> &amp;&#233;</string></resources>",
         "'\"\n\t@?\\\xC3\xA9\xF0\x9F\x98\x80z <i>x</i> &\xC3\xA9\r\n"},
        {"empty units count nothing", kOpen + "<string name=\"a\"/><string name=\"b\">  </string><string name=\"c\">\"\"</string></resources>", ""},
    };
    for (const Case& c : kCases) {
        EXPECT_EQ(c.szText, Shown(Android(c.file))) << c.szWhat;
        EXPECT_EQ(c.szText, Shown(Android(c.file, kTarget))) << c.szWhat << ", target side";
    }
    EXPECT_EQ("!the file is not an Android string resource file (its root is not <resources>)",
              Shown(Android("<root><string>x</string></root>")))
        << "another root";
    EXPECT_EQ("!the file is damaged: it is not well-formed XML (an end tag does not match the element it closes at byte 20)",
              Shown(Android("<resources><string>a</strong></resources>")))
        << "a mismatched end tag";
}

TEST(ResxText, ReadsTheStringResourcesOnly) {
    const Case kCases[] = {
        {"objects, designer properties, comments, headers, metadata, assemblies and the schema left out",
         "<?xml version=\"1.0\"?><root><xsd:schema id=\"root\" xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\">"
         "<xsd:element name=\"data\"><xsd:annotation><xsd:documentation>no</xsd:documentation></xsd:annotation></xsd:element></xsd:schema>"
         "<resheader name=\"resmimetype\"><value>text/microsoft-resx</value></resheader>"
         "<assembly alias=\"S\" name=\"System\"/><metadata name=\"m\"><value>no</value></metadata>"
         "<data name=\"a\" xml:space=\"preserve\"><value>one &amp; two</value><comment>no</comment></data>"
         "<data name=\"b\" type=\"System.Drawing.Size, System.Drawing\"><value>75, 23</value></data>"
         "<data name=\"c\" mimetype=\"application/x-microsoft.net.object.binary.base64\"><value>AAEA</value></data>"
         "<data name=\"&gt;&gt;button1.Name\"><value>button1</value></data><data name=\"$this.Text\"><value>Form</value></data>"
         "<data name=\"this.Text\"><value>three\nlines\nhere</value></data><data name=\"e\"><value/></data></root>",
         "one & two\r\nthree\nlines\nhere\r\n"},
    };
    for (const Case& c : kCases) {
        EXPECT_EQ(c.szText, Shown(Resx(c.file))) << c.szWhat;
        EXPECT_EQ(c.szText, Shown(Resx(c.file, kTarget))) << c.szWhat << ", target side";
    }
    EXPECT_EQ("!the file is not a .NET resource file (its root is not <root>)", Shown(Resx("<resources/>"))) << "another root";
    EXPECT_EQ("!the file is damaged: it is not well-formed XML (the XML ends before all its elements are closed at byte 29)",
              Shown(Resx("<root><data name=\"a\"><value>x")))
        << "a file cut short";
}

TEST(IdmlText, ReadsTheStoriesTheDesignMapLists) {
    const std::string kRange = "<ParagraphStyleRange><CharacterStyleRange>";
    const std::string kRangeEnd = "</CharacterStyleRange></ParagraphStyleRange>";
    auto Text = [&](const char* szText) { return Story(kRange + "<Content>" + szText + "</Content>" + kRangeEnd); };
    EXPECT_EQ("second\r\nfirst\r\n",
              Shown(Idml({{"Stories/Story_a.xml", Text("first")},
                          {"designmap.xml", DesignMap("<idPkg:Story src=\"Stories/Story_b.xml\"/><idPkg:Story src=\"Stories/Story_a.xml\"/>"
                                                      "<idPkg:Story src=\"Stories/Story_b.xml\"/>")},
                          {"Stories/Story_b.xml", Text("second")},
                          {"Stories/Story_unlisted.xml", Text("unlisted")}})))
        << "the designmap's order, a story listed twice read once, one not listed not read";
    EXPECT_EQ("a\r\n\r\nb c d\r\n",
              Shown(Idml({{"designmap.xml", DesignMap("<Condition Self=\"Condition/H\" Visible=\"false\"/><idPkg:Story src=\"s.xml\"/>"
                                                      "<idPkg:Preferences src=\"Resources/Preferences.xml\"/><idPkg:Styles src=\"Resources/Missing.xml\"/>")},
                          {"Resources/Preferences.xml", "<P><Condition Self=\"Condition/R\" Visible=\"false\"/><Condition Self=\"Condition/V\"/></P>"},
                          {"s.xml", Story("<ParagraphStyleRange><Properties><Leading>12</Leading></Properties><CharacterStyleRange>"
                                          "<Content>a</Content><Br/><Br/><Content>b </Content></CharacterStyleRange>"
                                          "<CharacterStyleRange AppliedConditions=\"Condition/V Condition/H\"><Content>no</Content></CharacterStyleRange>"
                                          "<CharacterStyleRange AppliedConditions=\"Condition/R\"><Content>no</Content></CharacterStyleRange>"
                                          "<CharacterStyleRange AppliedConditions=\"Condition/V\"><Content>c</Content></CharacterStyleRange>"
                                          "<CharacterStyleRange><Content> d</Content><Br/></CharacterStyleRange></ParagraphStyleRange>")}})))
        << "Br ends a paragraph, two an empty one; hidden conditions of the designmap and of Resources; other text not counted";
    EXPECT_EQ("!" + std::string(kRefusedMissingPart),
              Shown(Idml({{"designmap.xml", DesignMap("<idPkg:Story src=\"Stories/Story_a.xml\"/><idPkg:Story src=\"Stories/Story_gone.xml\"/>")},
                          {"Stories/Story_a.xml", Text("first")}})))
        << "a listed story missing";
    EXPECT_EQ("!" + std::string(kRefusedMissingPart), Shown(Idml({{"Stories/Story_a.xml", Text("first")}}))) << "no designmap";
    Reading broken = Idml({{"designmap.xml", DesignMap("<idPkg:Story src=\"s.xml\"/>")}, {"s.xml", "<Story><Content>x</Story>"}});
    EXPECT_EQ(0u, broken.refusal.find("the file is damaged")) << "a story not well-formed: " << broken.refusal;
}
