// The text of Word, Excel, PowerPoint and OpenDocument files: small packages written here with
// hand-written XML, one rule a line, and the text a reader is paid for written out by hand.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "documents/document_reader.h"
#include "documents/zip_archive.h"
#include "tests/unit/zip_writer.h"

namespace {

const char kW[] = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
const char kRels[] = "http://schemas.openxmlformats.org/package/2006/relationships";
const char kDocType[] = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";

// Keeps the text, with repeats marked as [xN]...[/].
struct KeptText : TextSink {
    std::string text;
    void Put(const char* p, size_t n) override { text.append(p, n); }
    void BeginRepeat(uint64_t n) override { text += "[x" + std::to_string(n) + "]"; }
    void EndRepeat() override { text += "[/]"; }
};

// The text of a file, or "refused: REASON".
std::string TextOf(const std::string& file, const char* szName = "file") {
    const char* szRefusal = nullptr;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(file.data());
    DocumentKind kind = KindOfFile(p, file.size() < kKindBytes ? file.size() : kKindBytes, szName, &szRefusal);
    if (kind == DocumentKind::kRefused) return std::string("refused: ") + szRefusal;
    if (kind == DocumentKind::kPlainText) return "plain text";
    KeptText kept;
    DocumentText text(&kept);
    if (!ReadDocument(kind, p, file.size(), 0, &text)) return std::string("refused: ") + text.Refusal();
    return kept.text;
}

std::string ContentTypes(const std::string& partName, const std::string& type) {
    return "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
           "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
           "<Override PartName=\"/" + partName + "\" ContentType=\"" + type + "\"/></Types>";
}

std::string Relationships(const std::vector<std::vector<std::string>>& relationships) {
    std::string xml = std::string("<Relationships xmlns=\"") + kRels + "\">";
    for (const std::vector<std::string>& r : relationships) {
        xml += "<Relationship Id=\"" + r[0] + "\" Type=\"" + kDocType + r[1] + "\" Target=\"" + r[2] + "\"" +
               (r.size() > 3 ? " TargetMode=\"" + r[3] + "\"" : "") + "/>";
    }
    return xml + "</Relationships>";
}

std::string WordFile(const std::string& body, const std::string& wordNamespace = kW) {
    std::string w = "<w:document xmlns:w=\"" + wordNamespace +
                    "\" xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\""
                    " xmlns:v=\"urn:schemas-microsoft-com:vml\"><w:body>" + body + "</w:body></w:document>";
    std::string wordType = "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml";
    return WriteZip({
        {"[Content_Types].xml", ContentTypes("word/document.xml", wordType)},
        {"_rels/.rels", Relationships({{"rId1", "officeDocument", "word/document.xml"}})},
        {"word/document.xml", w},
        {"word/_rels/document.xml.rels",
         Relationships({{"h1", "header", "header1.xml"}, {"f1", "footer", "/word/footer1.xml"},
                        {"h2", "header", "header1.xml"}, {"x", "header", "http://example.com/h.xml", "External"},
                        {"up", "footer", "../../outside.xml"}, {"n", "footnotes", "footnotes.xml"}})},
        {"word/header1.xml", "<w:hdr xmlns:w=\"" + wordNamespace + "\"><w:p><w:r><w:t>Head</w:t></w:r></w:p></w:hdr>"},
        {"word/footer1.xml", "<w:ftr xmlns:w=\"" + wordNamespace + "\"><w:p><w:r><w:t>Foot</w:t></w:r></w:p></w:ftr>"},
        {"word/footnotes.xml", "<w:footnotes xmlns:w=\"" + wordNamespace +
                                   "\"><w:footnote w:type=\"separator\" w:id=\"-1\"><w:p><w:r><w:separator/>"
                                   "<w:t>sep</w:t></w:r></w:p></w:footnote><w:footnote w:id=\"1\"><w:p><w:r>"
                                   "<w:t>A note.</w:t></w:r></w:p></w:footnote></w:footnotes>"},
        {"outside.xml", "<w:ftr xmlns:w=\"" + wordNamespace + "\"><w:p><w:r><w:t>Never</w:t></w:r></w:p></w:ftr>"},
    });
}

// A Word document of this body and these parts of word/ (name, root element, inner XML), each named
// by a relationship of the body (id, type, part name).
std::string WordPackage(const std::string& body, const std::vector<std::vector<std::string>>& relationships,
                        const std::vector<std::vector<std::string>>& parts) {
    std::string namespaces = std::string(" xmlns:w=\"") + kW +
                             "\" xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\""
                             " xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\"";
    std::vector<Member> members = {
        {"[Content_Types].xml",
         ContentTypes("word/document.xml", "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml")},
        {"_rels/.rels", Relationships({{"rId1", "officeDocument", "word/document.xml"}})},
        {"word/document.xml", "<w:document" + namespaces + "><w:body>" + body + "</w:body></w:document>"},
        {"word/_rels/document.xml.rels", Relationships(relationships)}};
    for (const std::vector<std::string>& part : parts)
        members.push_back({"word/" + part[0], "<" + part[1] + namespaces + ">" + part[2] + "</" + part[1] + ">"});
    return WriteZip(members);
}

std::string WordRun(const std::string& inner) { return "<w:r>" + inner + "</w:r>"; }
std::string Paragraph(const std::string& inner) { return "<w:p><w:pPr><w:tabs><w:tab w:val=\"left\"/></w:tabs></w:pPr>" + inner + "</w:p>"; }

TEST(WordText, TheBodyInOrderThenHeadersFootersAndNotes) {
    std::string textBox = "<w:txbxContent><w:p><w:r><w:t>In the box</w:t></w:r></w:p></w:txbxContent>";
    std::string body =
        Paragraph(WordRun("<w:t>Tab</w:t><w:tab/><w:t>and break</w:t><w:br/><w:t>x</w:t><w:noBreakHyphen/>"
                      "<w:softHyphen/><w:sym w:font=\"Symbol\" w:char=\"03A9\"/>")) +
        "<w:p/>" +
        Paragraph(WordRun("<w:t xml:space=\"preserve\">Kept </w:t>") + "<w:ins>" + WordRun("<w:t>inserted</w:t>") + "</w:ins>" +
                  "<w:del>" + WordRun("<w:delText>deleted</w:delText>") + "</w:del><w:moveFrom>" + WordRun("<w:t>moved</w:t>") +
                  "</w:moveFrom>" + WordRun("<w:rPr><w:vanish/></w:rPr><w:t>hidden</w:t>") +
                  WordRun("<w:rPr><w:vanish w:val=\"false\"/></w:rPr><w:t>!</w:t>")) +
        Paragraph(WordRun("<w:fldChar w:fldCharType=\"begin\"/>") + WordRun("<w:instrText>PAGE</w:instrText>") +
                  WordRun("<w:fldChar w:fldCharType=\"separate\"/>") + WordRun("<w:t>7</w:t>") +
                  WordRun("<w:fldChar w:fldCharType=\"end\"/>") +
                  "<w:fldSimple w:instr=\"DATE\">" + WordRun("<w:t>today</w:t>") + "</w:fldSimple>") +
        Paragraph(WordRun("<w:t>Anchor</w:t><mc:AlternateContent><mc:Choice Requires=\"wps\"><w:drawing>" + textBox +
                      "</w:drawing></mc:Choice><mc:Fallback><w:pict><v:textbox>" + textBox +
                      "</v:textbox></w:pict></mc:Fallback></mc:AlternateContent><w:t>ed</w:t>")) +
        "<w:tbl><w:tr><w:tc><w:p><w:r><w:t>c1</w:t></w:r></w:p></w:tc><w:tc><w:p/><w:p><w:r><w:t>c2</w:t></w:r></w:p>"
        "</w:tc></w:tr></w:tbl><w:sectPr><w:pgSz/></w:sectPr>";
    std::string expected =
        "Tab\tand break\r\nx\u2011\u00AD\u03A9\r\n\r\nKept inserted!\r\n\r\nAnchored\r\nIn the box\r\n"
        "c1\r\n\r\nc2\r\nHead\r\nFoot\r\nA note.\r\n";
    EXPECT_EQ(expected, TextOf(WordFile(body)));
    // The strict vocabulary reads the same.
    EXPECT_EQ(expected, TextOf(WordFile(body, "http://purl.oclc.org/ooxml/wordprocessingml/main")));
    // A choice the reader does not know gives way to the fallback: the box is read once either way.
    std::string unknown = Paragraph(WordRun("<w:t>A</w:t><mc:AlternateContent><mc:Choice Requires=\"zz\"><w:t>no</w:t>"
                                        "</mc:Choice><mc:Fallback>" + textBox + "</mc:Fallback></mc:AlternateContent>"));
    EXPECT_EQ("A\r\nIn the box\r\nHead\r\nFoot\r\nA note.\r\n", TextOf(WordFile(unknown)));
}

TEST(WordText, HeadersAndFootersAsTheirSectionsShowThem) {
    auto reference = [](const char* szElement, const char* szType, const char* szId) {
        return std::string("<w:") + szElement + " w:type=\"" + szType + "\" r:id=\"" + szId + "\"/>";
    };
    std::string named = reference("headerReference", "default", "d") + reference("headerReference", "first", "f") +
                        reference("footerReference", "even", "e");
    std::string body = Paragraph(WordRun("<w:t>Body</w:t>"));
    auto part = [](const char* szName, const char* szRoot, const char* szText) {
        return std::vector<std::string>{szName, szRoot, std::string("<w:p><w:r><w:t>") + szText + "</w:t></w:r></w:p>"};
    };
    std::vector<std::vector<std::string>> parts = {part("header1.xml", "w:hdr", "Default"), part("header2.xml", "w:hdr", "First"),
                                                   part("footer1.xml", "w:ftr", "Even"), part("footer2.xml", "w:ftr", "Unnamed")};
    std::vector<std::vector<std::string>> relationships = {
        {"d", "header", "header1.xml"}, {"f", "header", "header2.xml"}, {"e", "footer", "footer1.xml"},
        {"u", "footer", "footer2.xml"}, {"s", "settings", "settings.xml"}};
    struct Case {
        std::string sections;  // the body's sections after its paragraph
        const char* szSettings;
        const char* szAfterBody;
    } cases[] = {
        {"<w:sectPr>" + named + "</w:sectPr>", "", "Default\r\nUnnamed\r\n"},
        {"<w:sectPr>" + named + "<w:titlePg/></w:sectPr>", "", "Default\r\nFirst\r\nUnnamed\r\n"},
        {"<w:sectPr>" + named + "<w:titlePg w:val=\"0\"/></w:sectPr>", "", "Default\r\nUnnamed\r\n"},
        {"<w:sectPr>" + named + "</w:sectPr>", "<w:evenAndOddHeaders/>", "Default\r\nEven\r\nUnnamed\r\n"},
        {"<w:sectPr>" + named + "</w:sectPr>", "<w:evenAndOddHeaders w:val=\"false\"/>", "Default\r\nUnnamed\r\n"},
        // A section that names no first-page header keeps the one before it, shown by its title page.
        {"<w:p><w:pPr><w:sectPr>" + named + "</w:sectPr></w:pPr></w:p><w:sectPr><w:titlePg/></w:sectPr>", "",
         "\r\nDefault\r\nFirst\r\nUnnamed\r\n"},
        // One that names another takes its place: the first is shown in no section.
        {"<w:p><w:pPr><w:sectPr>" + named + "</w:sectPr></w:pPr></w:p><w:sectPr>" +
             reference("headerReference", "first", "d") + "<w:titlePg/></w:sectPr>", "", "\r\nDefault\r\nUnnamed\r\n"},
    };
    for (const Case& c : cases) {
        std::vector<std::vector<std::string>> withSettings = parts;
        withSettings.push_back({"settings.xml", "w:settings", c.szSettings});
        EXPECT_EQ("Body\r\n" + std::string(c.szAfterBody), TextOf(WordPackage(body + c.sections, relationships, withSettings)))
            << c.sections << " with settings " << c.szSettings;
    }
}

TEST(WordText, TextHiddenThroughStylesIsLeftOut) {
    auto run = [](const char* szStyle, const char* szText) {
        return WordRun((*szStyle != '\0' ? std::string("<w:rPr><w:rStyle w:val=\"") + szStyle + "\"/></w:rPr>" : "") +
                       "<w:t>" + szText + "</w:t>");
    };
    auto styled = [](const char* szStyle, const std::string& runs) {
        return "<w:p><w:pPr><w:pStyle w:val=\"" + std::string(szStyle) + "\"/></w:pPr>" + runs + "</w:p>";
    };
    std::string shown = "<w:rPr><w:rStyle w:val=\"Aside\"/><w:vanish w:val=\"0\"/></w:rPr>";
    std::string body = Paragraph(run("", "plain")) +
                       styled("Secret", run("", "a") + WordRun("<w:rPr><w:vanish w:val=\"false\"/></w:rPr><w:t>b</w:t>")) +
                       styled("Inherits", run("", "c")) +
                       Paragraph(run("Aside", "d") + run("Deep", "e") + run("Loop1", "f") + run("Unknown", "g") +
                                 WordRun(shown + "<w:t>i</w:t>")) +
                       styled("Aside", run("", "h"));
    auto style = [](const char* szType, const char* szId, const char* szInner) {
        return std::string("<w:style w:type=\"") + szType + "\" w:styleId=\"" + szId + "\">" + szInner + "</w:style>";
    };
    const char kVanish[] = "<w:rPr><w:vanish/></w:rPr>";
    std::string styles = style("paragraph", "Secret", kVanish) +
                         // Set off in a style, w:vanish leaves what its base says.
                         style("paragraph", "Inherits", "<w:basedOn w:val=\"Secret\"/><w:rPr><w:vanish w:val=\"0\"/></w:rPr>") +
                         style("character", "Aside", kVanish) + style("character", "Deep", "<w:basedOn w:val=\"Aside\"/>") +
                         style("character", "Loop1", "<w:basedOn w:val=\"Loop2\"/>") +
                         style("character", "Loop2", "<w:basedOn w:val=\"Loop1\"/>");
    struct Case {
        const char* szDefaults;  // the run defaults' properties
        const char* szNormal;    // the default paragraph style's
        const char* szExpected;
    } cases[] = {
        {"", "", "plain\r\nb\r\n\r\nfgi\r\nh\r\n"},
        {"<w:vanish/>", "", "\r\nb\r\n\r\ni\r\n\r\n"},
        // A paragraph without a style, or with one no paragraph style has, has the default one.
        {"", kVanish, "\r\nb\r\n\r\ni\r\n\r\n"},
    };
    for (const Case& c : cases) {
        std::string part = std::string("<w:docDefaults><w:rPrDefault><w:rPr>") + c.szDefaults +
                           "</w:rPr></w:rPrDefault></w:docDefaults>" +
                           "<w:style w:type=\"paragraph\" w:default=\"1\" w:styleId=\"Normal\">" + c.szNormal + "</w:style>" +
                           styles;
        EXPECT_EQ(c.szExpected, TextOf(WordPackage(body, {{"s", "styles", "styles.xml"}}, {{"styles.xml", "w:styles", part}})))
            << "run defaults " << c.szDefaults << ", default paragraph style " << c.szNormal;
    }
    // Run properties that stand where no run defaults are, behind markup compatibility's elements
    // (which the reader never gives), are none.
    std::string stray = "<w:docDefaults><w:rPrDefault/></w:docDefaults><mc:AlternateContent><mc:Choice Requires=\"w14\">"
                        "<w:rPr><w:vanish/></w:rPr></mc:Choice></mc:AlternateContent>";
    EXPECT_EQ("x\r\n", TextOf(WordPackage(Paragraph(run("", "x")), {{"s", "styles", "styles.xml"}},
                                            {{"styles.xml", "w:styles", stray}})));
}

TEST(WordText, FieldsTheProgramMakesAreLeftOut) {
    // A complex field: its instruction in pieces, then its shown result.
    auto field = [](const std::vector<std::string>& instruction, const std::string& result) {
        std::string xml = WordRun("<w:fldChar w:fldCharType=\"begin\"/>");
        for (const std::string& piece : instruction) xml += WordRun("<w:instrText xml:space=\"preserve\">" + piece + "</w:instrText>");
        return xml + WordRun("<w:fldChar w:fldCharType=\"separate\"/>") + result + WordRun("<w:fldChar w:fldCharType=\"end\"/>");
    };
    auto text = [](const char* szText) { return WordRun(std::string("<w:t xml:space=\"preserve\">") + szText + "</w:t>"); };
    auto simple = [](const char* szInstruction, const char* szResult) {
        return std::string("<w:fldSimple w:instr=\"") + szInstruction + "\">" + WordRun(std::string("<w:t>") + szResult + "</w:t>") +
               "</w:fldSimple>";
    };
    struct Case {
        std::string paragraph;
        const char* szExpected;
    } cases[] = {
        {text("Page ") + field({" PAGE \\* MERGEFORMAT "}, text("7")) + text(" of ") + field({" NUM", "PAGES "}, text("9")), "Page  of "},
        {field({"SECTIONPAGES"}, text("2")) + field({" page\\* Arabic"}, text("3")) + field({" TIME \\@ &quot;HH:mm&quot;"}, text("10:30")) +
             field({"CREATEDATE"}, text("1 May")) + field({"SAVEDATE"}, text("2 May")) + field({"PRINTDATE"}, text("3 May")),
         ""},
        {text("See ") + field({" REF _Ref1 \\h "}, text("Chapter 2")) + field({"TOC \\o"}, text(" Contents")), "See Chapter 2 Contents"},
        // Nested: a date inside a link's result, a page number inside an instruction.
        {field({" HYPERLINK &quot;https://example.com&quot; "}, text("Link ") + field({"DATE"}, text("2026"))), "Link "},
        {WordRun("<w:fldChar w:fldCharType=\"begin\"/><w:instrText> IF </w:instrText>") + field({"PAGE"}, text("1")) +
             WordRun("<w:instrText> = 1 &quot;one&quot; </w:instrText><w:fldChar w:fldCharType=\"separate\"/>") + text("one") +
             WordRun("<w:fldChar w:fldCharType=\"end\"/>"),
         "one"},
        {simple(" PAGE \\* MERGEFORMAT ", "3") + simple("date \\@ &quot;d MMM&quot;", "10 Dec") + simple(" PAGEREF _Toc1 ", "5") +
             simple("TOC", "Contents"),
         "5Contents"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(std::string(c.szExpected) + "\r\n", TextOf(WordPackage("<w:p>" + c.paragraph + "</w:p>", {}, {})))
            << c.paragraph;
    }
}

TEST(ExcelText, CellsOfTextSheetBySheetInTheWorkbooksOrder) {
    const char kS[] = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
    std::string strings = std::string("<sst xmlns=\"") + kS +
                          "\"><si><t>Tea</t></si><si><r><t>ca</t></r><r><rPr><b/></rPr><t>fé</t></r>"
                          "<rPh><t>kana</t></rPh></si><si><t>a_x000D__x000A_b_x005F_x0041_ _xD83D__xDE00_</t></si>"
                          "<si><t></t></si></sst>";
    std::string sheet1 = std::string("<worksheet xmlns=\"") + kS +
                         "\"><sheetData><row r=\"1\"><c r=\"A1\" t=\"s\"><v>1</v></c><c r=\"B1\"><v>3.5</v></c>"
                         "<c r=\"C1\" t=\"b\"><v>1</v></c><c r=\"D1\" t=\"str\"><f>A1</f><v>formula</v></c>"
                         "<c r=\"E1\" t=\"s\"><v>3</v></c><c r=\"F1\" t=\"s\"><v>99</v></c></row>"
                         "<row r=\"2\"><c r=\"A2\" t=\"inlineStr\"><is><t>inline</t></is></c>"
                         "<c r=\"B2\" t=\"s\"><v>1</v></c></row></sheetData></worksheet>";
    std::string sheet2 = std::string("<worksheet xmlns=\"") + kS +
                         "\"><sheetData><row><c t=\"s\"><v>0</v></c><c t=\"s\"><v>2</v></c></row></sheetData></worksheet>";
    std::string workbook = std::string("<workbook xmlns=\"") + kS +
                           "\" xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
                           "<sheets><sheet name=\"Second\" sheetId=\"2\" r:id=\"rB\" state=\"hidden\"/>"
                           "<sheet name=\"First\" sheetId=\"1\" r:id=\"rA\"/></sheets></workbook>";
    std::string file = WriteZip({
        {"[Content_Types].xml",
         ContentTypes("xl/workbook.xml", "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml")},
        {"_rels/.rels", Relationships({{"rId1", "officeDocument", "xl/workbook.xml"}})},
        {"xl/workbook.xml", workbook},
        {"xl/_rels/workbook.xml.rels", Relationships({{"rA", "worksheet", "worksheets/sheet1.xml"},
                                                      {"rB", "worksheet", "worksheets/sheet2.xml"},
                                                      {"rS", "sharedStrings", "sharedStrings.xml"}})},
        {"xl/sharedStrings.xml", strings},
        {"xl/worksheets/sheet1.xml", sheet1},
        {"xl/worksheets/sheet2.xml", sheet2},
    });
    EXPECT_EQ("Tea\r\na\r\nb_x0041_ \U0001F600\r\ncafé\r\ninline\r\ncafé\r\n", TextOf(file));
}

TEST(PowerPointText, SlidesInOrderThenTheirNotesWithoutTheFurniture) {
    const char kP[] = "http://schemas.openxmlformats.org/presentationml/2006/main";
    const char kA[] = "http://schemas.openxmlformats.org/drawingml/2006/main";
    auto Shape = [&](const std::string& placeholder, const std::string& paragraphs) {
        return "<p:sp><p:nvSpPr><p:cNvPr id=\"2\" name=\"s\"/><p:cNvSpPr/><p:nvPr>" + placeholder +
               "</p:nvPr></p:nvSpPr><p:txBody><a:bodyPr/>" + paragraphs + "</p:txBody></p:sp>";
    };
    auto Slide = [&](const std::string& root, const std::string& shapes) {
        return "<p:" + root + " xmlns:p=\"" + kP + "\" xmlns:a=\"" + kA + "\"><p:cSld><p:spTree>" + shapes +
               "</p:spTree></p:cSld></p:" + root + ">";
    };
    std::string slide1 = Slide("sld", Shape("<p:ph type=\"title\"/>", "<a:p><a:r><a:rPr lang=\"en\"/><a:t>First</a:t></a:r></a:p>") +
                                          Shape("<p:ph type=\"dt\"/>", "<a:p><a:r><a:t>1/1/2026</a:t></a:r></a:p>") +
                                          Shape("<p:ph type=\"sldNum\"/>", "<a:p><a:fld type=\"slidenum\"><a:t>1</a:t></a:fld></a:p>") +
                                          Shape("", "<a:p><a:r><a:t>line</a:t></a:r><a:br/><a:r><a:t>two</a:t></a:r></a:p><a:p/>") +
                                          // An empty placeholder shows only its layout's prompt: no text.
                                          Shape("<p:ph type=\"subTitle\"/>", "<a:p><a:br/></a:p><a:p/>"));
    std::string slide2 = Slide("sld", "<p:graphicFrame><a:graphic><a:graphicData><a:tbl><a:tr><a:tc><a:txBody><a:p><a:r>"
                                      "<a:t>cell</a:t></a:r></a:p></a:txBody></a:tc></a:tr></a:tbl></a:graphicData>"
                                      "</a:graphic></p:graphicFrame>");
    std::string notes = Slide("notes", Shape("<p:ph type=\"sldImg\"/>", "") +
                                           Shape("<p:ph type=\"body\" idx=\"1\"/>", "<a:p><a:r><a:t>Say hi</a:t></a:r></a:p>") +
                                           Shape("<p:ph type=\"sldNum\"/>", "<a:p><a:r><a:t>2</a:t></a:r></a:p>"));
    std::string presentation = std::string("<p:presentation xmlns:p=\"") + kP +
                               "\" xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
                               "<p:sldIdLst><p:sldId id=\"257\" r:id=\"r2\"/><p:sldId id=\"256\" r:id=\"r1\"/>"
                               "</p:sldIdLst></p:presentation>";
    std::string file = WriteZip({
        {"[Content_Types].xml", ContentTypes("ppt/presentation.xml",
                                             "application/vnd.openxmlformats-officedocument.presentationml.presentation.main+xml")},
        {"_rels/.rels", Relationships({{"rId1", "officeDocument", "ppt/presentation.xml"}})},
        {"ppt/presentation.xml", presentation},
        {"ppt/_rels/presentation.xml.rels",
         Relationships({{"r1", "slide", "slides/slide1.xml"}, {"r2", "slide", "slides/slide2.xml"}})},
        {"ppt/slides/slide1.xml", slide1},
        {"ppt/slides/slide2.xml", slide2},
        {"ppt/slides/_rels/slide1.xml.rels", Relationships({{"n", "notesSlide", "../notesSlides/notesSlide1.xml"}})},
        {"ppt/notesSlides/notesSlide1.xml", notes},
    });
    EXPECT_EQ("cell\r\nFirst\r\nline\r\ntwo\r\n\r\nSay hi\r\n", TextOf(file));
}

TEST(WordText, ChunksWhereTheyStandAndSmartArtAfterItsParagraph) {
    const char kNamespaces[] =
        " xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\""
        " xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\""
        " xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\""
        " xmlns:dgm=\"http://schemas.openxmlformats.org/drawingml/2006/diagram\"";
    auto Document = [&](const std::string& body) {
        return std::string("<w:document") + kNamespaces + "><w:body>" + body + "</w:body></w:document>";
    };
    auto Types = [](const std::string& extra) {
        return "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
               "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
               "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
               "<Override PartName=\"/word/document.xml\" ContentType=\"application/vnd.openxmlformats-officedocument."
               "wordprocessingml.document.main+xml\"/>" + extra + "</Types>";
    };
    // A Word document as a chunk of its own: its own chunk is not read (one level only).
    std::string inner = WriteZip({
        {"[Content_Types].xml", Types("<Default Extension=\"txt\" ContentType=\"text/plain\"/>")},
        {"_rels/.rels", Relationships({{"rId1", "officeDocument", "word/document.xml"}})},
        {"word/document.xml", Document("<w:p><w:r><w:t>Inner</w:t></w:r></w:p><w:altChunk r:id=\"c\"/>")},
        {"word/_rels/document.xml.rels", Relationships({{"c", "aFChunk", "deeper.txt"}})},
        {"word/deeper.txt", "Deeper"},
    });
    std::string diagram = "<w:r><w:drawing><a:graphic><a:graphicData uri=\"http://schemas.openxmlformats.org/"
                          "drawingml/2006/diagram\"><dgm:relIds r:dm=\"d1\" r:lo=\"l1\"/></a:graphicData></a:graphic>"
                          "</w:drawing></w:r>";
    std::string data = std::string("<dgm:dataModel") + kNamespaces + "><dgm:ptLst><dgm:pt modelId=\"0\" type=\"doc\">"
                       "<dgm:t><a:p><a:r><a:t>Whole</a:t></a:r></a:p></dgm:t></dgm:pt><dgm:pt modelId=\"1\"><dgm:t>"
                       "<a:p><a:r><a:t>Step</a:t></a:r></a:p></dgm:t></dgm:pt></dgm:ptLst></dgm:dataModel>";
    std::string file = WriteZip({
        {"[Content_Types].xml",
         Types("<Default Extension=\"htm\" ContentType=\"application/xhtml+xml\"/>"
               "<Default Extension=\"rtf\" ContentType=\"application/rtf\"/>"
               "<Default Extension=\"txt\" ContentType=\"text/plain\"/>"
               "<Default Extension=\"docx\" ContentType=\"application/vnd.openxmlformats-officedocument."
               "wordprocessingml.document\"/><Default Extension=\"bin\" ContentType=\"application/x-unknown\"/>")},
        {"_rels/.rels", Relationships({{"rId1", "officeDocument", "word/document.xml"}})},
        {"word/document.xml",
         Document("<w:p><w:r><w:t>Before</w:t></w:r></w:p><w:altChunk r:id=\"c1\"/><w:p>" + diagram +
                  "<w:r><w:t>Holder</w:t></w:r></w:p><w:altChunk r:id=\"c2\"/><w:altChunk r:id=\"c3\"/>"
                  "<w:altChunk r:id=\"c4\"/><w:altChunk r:id=\"c5\"/><w:altChunk r:id=\"none\"/>"
                  "<w:p><w:r><w:t>After</w:t></w:r></w:p>")},
        {"word/_rels/document.xml.rels",
         Relationships({{"c1", "aFChunk", "chunk1.htm"}, {"c2", "aFChunk", "chunk2.rtf"}, {"c3", "aFChunk", "chunk3.txt"},
                        {"c4", "aFChunk", "chunk4.docx"}, {"c5", "aFChunk", "chunk5.bin"},
                        {"d1", "diagramData", "diagrams/data1.xml"}})},
        {"word/chunk1.htm", "<html><head><title>T</title></head><body><p>From the page</p></body></html>"},
        {"word/chunk2.rtf", "{\\rtf1 From RTF\\par}"},
        {"word/chunk3.txt", "From text\r\nline two"},
        {"word/chunk4.docx", inner},
        {"word/chunk5.bin", "\x01\x02 not text"},
        {"word/diagrams/data1.xml", data},
    });
    EXPECT_EQ("Before\r\nFrom the page\r\nHolder\r\nStep\r\nFrom RTF\r\nFrom text\r\nline two\r\nInner\r\n"
              "After\r\n",
              TextOf(file));
}

TEST(PowerPointText, SmartArtTextIsReadFromItsDataAfterItsShape) {
    const char kNamespaces[] =
        " xmlns:p=\"http://schemas.openxmlformats.org/presentationml/2006/main\""
        " xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\""
        " xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\""
        " xmlns:dgm=\"http://schemas.openxmlformats.org/drawingml/2006/diagram\"";
    std::string slide = std::string("<p:sld") + kNamespaces +
                        "><p:cSld><p:spTree><p:graphicFrame><a:graphic><a:graphicData uri=\"http://schemas."
                        "openxmlformats.org/drawingml/2006/diagram\"><dgm:relIds r:dm=\"d1\" r:lo=\"l1\" r:qs=\"q1\" "
                        "r:cs=\"c1\"/></a:graphicData></a:graphic></p:graphicFrame><p:sp><p:txBody><a:p><a:r><a:t>After"
                        "</a:t></a:r></a:p></p:txBody></p:sp></p:spTree></p:cSld></p:sld>";
    auto Point = [](const std::string& type, const std::string& paragraphs) {
        return "<dgm:pt modelId=\"1\"" + (type.empty() ? "" : " type=\"" + type + "\"") + "><dgm:prSet/><dgm:spPr/>"
               "<dgm:t><a:bodyPr/>" + paragraphs + "</dgm:t></dgm:pt>";
    };
    std::string data = std::string("<dgm:dataModel") + kNamespaces + "><dgm:ptLst>" +
                       Point("doc", "<a:p><a:r><a:t>Whole</a:t></a:r></a:p>") +
                       Point("", "<a:p><a:r><a:t>Plan</a:t></a:r></a:p>") +
                       Point("node", "<a:p><a:r><a:t>Build</a:t></a:r></a:p><a:p><a:r><a:t>Test</a:t></a:r></a:p>") +
                       Point("asst", "<a:p><a:r><a:t>Help</a:t></a:r></a:p>") +
                       Point("pres", "<a:p><a:r><a:t>Shape</a:t></a:r></a:p>") +
                       Point("parTrans", "<a:p><a:r><a:t>Link</a:t></a:r></a:p>") + Point("node", "<a:p/>") +
                       "</dgm:ptLst><dgm:cxnLst/></dgm:dataModel>";
    // The drawing its program caches holds the same text again: it is not read.
    std::string drawing = "<dsp:drawing xmlns:dsp=\"http://schemas.microsoft.com/office/drawing/2008/diagram\" "
                          "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\"><a:p><a:r><a:t>Plan</a:t>"
                          "</a:r></a:p></dsp:drawing>";
    std::string presentation = std::string("<p:presentation") + kNamespaces +
                               "><p:sldIdLst><p:sldId id=\"256\" r:id=\"r1\"/></p:sldIdLst></p:presentation>";
    std::string file = WriteZip({
        {"[Content_Types].xml", ContentTypes("ppt/presentation.xml",
                                             "application/vnd.openxmlformats-officedocument.presentationml.presentation.main+xml")},
        {"_rels/.rels", Relationships({{"rId1", "officeDocument", "ppt/presentation.xml"}})},
        {"ppt/presentation.xml", presentation},
        {"ppt/_rels/presentation.xml.rels", Relationships({{"r1", "slide", "slides/slide1.xml"}})},
        {"ppt/slides/slide1.xml", slide},
        {"ppt/slides/_rels/slide1.xml.rels",
         Relationships({{"d1", "diagramData", "../diagrams/data1.xml"}, {"l1", "diagramLayout", "../diagrams/layout1.xml"},
                        {"x", "diagramDrawing", "../diagrams/drawing1.xml"}})},
        {"ppt/diagrams/data1.xml", data},
        {"ppt/diagrams/drawing1.xml", drawing},
    });
    EXPECT_EQ("Plan\r\nBuild\r\nTest\r\nHelp\r\nAfter\r\n", TextOf(file));
}

std::string OpenDocumentFile(const std::string& mimetype, const std::string& body, const std::string& styles) {
    std::string ns = "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
                     "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
                     "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
                     "xmlns:draw=\"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0\" "
                     "xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\"";
    return WriteZip({{"mimetype", mimetype, false},
                     {"content.xml", "<office:document-content " + ns + "><office:body>" + body +
                                         "</office:body></office:document-content>"},
                     {"styles.xml", "<office:document-styles " + ns + "><office:master-styles>" + styles +
                                        "</office:master-styles></office:document-styles>"}});
}

TEST(OpenDocumentText, ParagraphsFramesNotesTablesAndHeaders) {
    std::string body =
        "<office:text><text:h>Title</text:h><text:p>  Spaces \n collapse<text:s text:c=\"3\"/>kept<text:tab/>t"
        "<text:line-break/>b \n </text:p><text:p/>"
        "<text:p>Anchor<draw:frame><draw:text-box><text:p>framed</text:p></draw:text-box></draw:frame>ed"
        "<text:note><text:note-citation>1</text:note-citation><text:note-body><text:p>noted</text:p>"
        "</text:note-body></text:note><office:annotation><text:p>comment</text:p></office:annotation></text:p>"
        "<text:tracked-changes><text:changed-region><text:deletion><text:p>gone</text:p></text:deletion>"
        "</text:changed-region></text:tracked-changes>"
        "<table:table><table:table-row table:number-rows-repeated=\"2\"><table:table-cell "
        "table:number-columns-repeated=\"3\"><text:p>rep</text:p></table:table-cell><table:table-cell "
        "office:value-type=\"float\"><text:p>5</text:p></table:table-cell><table:covered-table-cell><text:p>hid"
        "</text:p></table:covered-table-cell></table:table-row></table:table></office:text>";
    std::string styles = "<style:master-page><style:header><text:p>Top</text:p></style:header><style:footer>"
                         "<text:p>Bottom</text:p></style:footer></style:master-page>";
    EXPECT_EQ("Title\r\nSpaces collapse   kept\tt\r\nb\r\n\r\nAnchored\r\nframed\r\nnoted\r\n"
              "[x2][x3]rep\r\n[/]5\r\n[/]Top\r\nBottom\r\n",
              TextOf(OpenDocumentFile("application/vnd.oasis.opendocument.text", body, styles)));
    // In a spreadsheet, a cell of a number is not translated.
    std::string sheet = "<office:spreadsheet><table:table><table:table-row><table:table-cell office:value-type=\"string\">"
                        "<text:p>Name</text:p></table:table-cell><table:table-cell office:value-type=\"float\" "
                        "office:value=\"5\"><text:p>5</text:p></table:table-cell></table:table-row></table:table>"
                        "</office:spreadsheet>";
    EXPECT_EQ("Name\r\n", TextOf(OpenDocumentFile("application/vnd.oasis.opendocument.spreadsheet", sheet, "")));
}

const char kOdt[] = "application/vnd.oasis.opendocument.text";

// Text decoded in pieces (cut by a comment or a CDATA section, around references and line ends)
// reads as it would whole.
TEST(OfficeText, TextCutIntoPiecesReadsAsWhole) {
    EXPECT_EQ("caf\xC3\xA9 & <b>\nend\xEF\xBF\xBD\r\nHead\r\nFoot\r\nA note.\r\n",
              TextOf(WordFile("<w:p><w:r><w:t xml:space=\"preserve\">caf&#233;<!-- x --> &amp; <![CDATA[<b>]]>\r\nend\xC3"
                              "</w:t></w:r></w:p>")))
        << "a Word run";
    EXPECT_EQ("one two three four five six seven\r\n",
              TextOf(OpenDocumentFile(kOdt, "<office:text><text:p>one <!-- c -->  two<![CDATA[ three ]]>&#32;four\tfive"
                                            "  six seven </text:p></office:text>", "")))
        << "white space collapses across the pieces";
}

TEST(OpenDocumentText, HeadersAndFootersTurnedOffAreNotCounted) {
    std::string styles =
        "<style:master-page style:name=\"a\"><style:header><text:p>Head</text:p></style:header>"
        "<style:header-left style:display=\"false\"><text:p>no1</text:p></style:header-left>"
        "<style:header-first style:display=\"false\"><text:p>no2</text:p></style:header-first>"
        "<style:footer style:display=\"true\"><text:p>Foot</text:p></style:footer>"
        "<style:footer-left style:display=\"false\"><text:p>no3</text:p></style:footer-left>"
        "<style:footer-first style:display=\"false\"><text:p>no4</text:p></style:footer-first></style:master-page>"
        "<style:master-page style:name=\"b\"><style:header style:display=\"false\"><text:p>no5</text:p>"
        "</style:header><style:footer style:display=\"false\"><text:p>no6</text:p></style:footer>"
        "<style:footer-left><text:p>Left</text:p></style:footer-left></style:master-page>";
    EXPECT_EQ("Body\r\nHead\r\nFoot\r\nLeft\r\n",
              TextOf(OpenDocumentFile(kOdt, "<office:text><text:p>Body</text:p></office:text>", styles)));
}

TEST(OpenDocumentText, PageNumbersPageCountsDatesAndTimesAreNotCounted) {
    std::string body =
        "<office:text><text:p>Page <text:page-number text:select-page=\"current\">3</text:page-number> of "
        "<text:page-count>9</text:page-count>, <text:date text:date-value=\"2026-12-10\">10 December 2026</text:date>"
        "<text:time>20:40</text:time> by <text:author-name>Ann Lee</text:author-name> in "
        "<text:chapter text:display=\"name\">Costs</text:chapter></text:p></office:text>";
    std::string styles = "<style:master-page><style:footer><text:p>p. <text:page-number>1</text:page-number>/"
                         "<text:page-count>2</text:page-count></text:p></style:footer></style:master-page>";
    EXPECT_EQ("Page of , by Ann Lee in Costs\r\np. /\r\n", TextOf(OpenDocumentFile(kOdt, body, styles)));
}

TEST(OpenDocumentText, ANoteOrAFrameKeepsTheSpacingAroundIt) {
    std::string note = "<text:note><text:note-citation>1</text:note-citation><text:note-body><text:p>The note</text:p>"
                       "</text:note-body></text:note>";
    std::string frame = "<draw:frame><draw:text-box><text:p>The frame </text:p></draw:text-box></draw:frame>";
    std::string body = "<office:text><text:p>text" + note + " with</text:p><text:p>text " + note +
                       "with</text:p><text:p>glued" + note + "on</text:p><text:p>a" + frame + " b " + frame +
                       "c</text:p></office:text>";
    EXPECT_EQ("text with\r\nThe note\r\ntext with\r\nThe note\r\ngluedon\r\nThe note\r\n"
              "a b c\r\nThe frame\r\nThe frame\r\n",
              TextOf(OpenDocumentFile(kOdt, body, "")));
}

// A Compound File of 512-byte sectors: the header, the FAT in sector 0, the directory in sector 1
// (the root and up to three streams, only their names and types set).
std::string CompoundFile(const std::vector<std::u16string>& names) {
    auto put32 = [](std::string* p, size_t off, uint32_t n) {
        for (int i = 0; i < 4; ++i) (*p)[off + i] = static_cast<char>(n >> (8 * i));
    };
    std::string header(512, '\0');
    header.replace(0, 8, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1");
    header.replace(0x1C, 4, std::string("\xFE\xFF\x09\x00", 4));  // byte order, 512-byte sectors
    put32(&header, 0x2C, 1);                         // one FAT sector
    put32(&header, 0x30, 1);                         // the directory's first sector
    put32(&header, 0x3C, 0xFFFFFFFE);
    put32(&header, 0x44, 0xFFFFFFFE);
    for (size_t i = 0; i < 109; ++i) put32(&header, 0x4C + 4 * i, i == 0 ? 0 : 0xFFFFFFFF);
    std::string fat(512, '\xFF');
    put32(&fat, 0, 0xFFFFFFFD);
    put32(&fat, 4, 0xFFFFFFFE);
    std::string directory(512, '\0');
    std::vector<std::u16string> entries = {u"Root Entry"};
    entries.insert(entries.end(), names.begin(), names.end());
    for (size_t n = 0; n < entries.size(); ++n) {
        for (size_t i = 0; i < entries[n].size(); ++i) {
            directory[128 * n + 2 * i] = static_cast<char>(entries[n][i] & 0xFF);
            directory[128 * n + 2 * i + 1] = static_cast<char>(entries[n][i] >> 8);
        }
        directory[128 * n + 0x40] = static_cast<char>(2 * entries[n].size() + 2);
        directory[128 * n + 0x42] = n == 0 ? 5 : 2;
    }
    return header + fat + directory;
}

TEST(DocumentKinds, RefusalsSayWhy) {
    std::string word = WordFile(Paragraph(WordRun("<w:t>x</w:t>")));
    std::string doctype = WriteZip({{"[Content_Types].xml", ContentTypes("d.xml", "x")},
                                    {"_rels/.rels", "<!DOCTYPE r [<!ENTITY a \"b\">]><Relationships/>"}});
    std::string broken = WordFile("<w:p><w:r><w:t>x</w:r></w:p>");
    struct Case {
        std::string file;
        const char* szName;
        const char* szReason;
    } cases[] = {
        {"%PDF-1.7\n...", "report.pdf", kRefusedPdf},
        // A Compound File is refused for what its directory holds, whatever its name says.
        {CompoundFile({u"WordDocument", u"1Table"}), "letter.docm", kRefusedOldWord},
        {CompoundFile({u"EncryptionInfo", u"EncryptedPackage"}), "letter.doc", kRefusedProtectedOffice},
        {CompoundFile({u"workbook"}), "sheet.xlsx", kRefusedOldExcel},
        {CompoundFile({u"PowerPoint Document"}), "slides.ppt", kRefusedOldPowerPoint},
        {CompoundFile({}), "drawing.vsd", kRefusedOldOffice},
        {std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(500, '\0'), "cut.doc", kRefusedOldOffice},
        {WriteZip({{"[Content_Types].xml", ContentTypes("xl/workbook.bin",
                                                        "application/vnd.ms-excel.sheet.binary.macroEnabled.main")},
                   {"_rels/.rels", Relationships({{"rId1", "officeDocument", "xl/workbook.bin"}})},
                   {"xl/workbook.bin", "\x83\x01"}}),
         "book.xlsb", kRefusedExcelBinary},
        {WriteZip({{"mimetype", "application/vnd.oasis.opendocument.text"},
                   {"META-INF/manifest.xml", "<manifest:manifest xmlns:manifest=\"urn:oasis:names:tc:opendocument:"
                                             "xmlns:manifest:1.0\"><manifest:file-entry manifest:full-path=\"content"
                                             ".xml\"><manifest:encryption-data/></manifest:file-entry>"
                                             "</manifest:manifest>"},
                   {"content.xml", "\x9c\x11\xfe encrypted"}}),
         "locked.odt", kRefusedProtectedOffice},
        {WriteZip({{"photo.jpg", "jpeg"}, {"notes.txt", "hi"}}), "photos.zip", kRefusedArchive},
        {OpenDocumentFile("application/vnd.oasis.opendocument.graphics", "", ""), "d.odg", kRefusedArchive},
        {"\x89PNG\r\n\x1A\n....", "scan.txt", kRefusedImage},
        {"GIF89a....", "a", kRefusedImage},
        {doctype, "d.docx", kRefusedDoctype},
        {broken, "d.docx", kRefusedBadXml},
        {word.substr(0, word.size() / 2), "cut.docx", ZipErrorText(ZipError::kNotZip)},
    };
    for (const Case& c : cases) EXPECT_EQ(std::string("refused: ") + c.szReason, TextOf(c.file, c.szName)) << c.szName;
    // Text that merely starts like a picture's signature is still text: "BM" without a bitmap's header.
    EXPECT_EQ("plain text", TextOf("BMW cars are fast and expensive", "cars.txt"));
    EXPECT_EQ("plain text", TextOf("PK is a zip's start, but not here", "notes.txt"))
        << "a text that only starts with PK is refused by the zip reader's reason instead";
}

}  // namespace
