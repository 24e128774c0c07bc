#include "bench/bench_documents.h"

#include <stdint.h>

#include <vector>

#include "tests/unit/zip_writer.h"

namespace {

// Words of a made-up language of English's letter frequencies, so no two paragraphs are alike.
struct Words {
    uint64_t nState = 0x5EED;
    std::string Next() {
        nState = nState * 6364136223846793005ull + 1442695040888963407ull;
        static const char kLetters[] = "etaoinshrdlcumwfgypbvkjxqz";
        std::string word;
        int nLength = 2 + static_cast<int>((nState >> 33) % 8);
        for (int i = 0; i < nLength; ++i) word += kLetters[((nState >> (i * 5 + 3)) % 26 + (nState >> 60)) % 26];
        return word;
    }
    std::string Sentence(int nWords) {
        std::string text;
        for (int i = 0; i < nWords; ++i) text += (i ? " " : "") + Next();
        return text + ".";
    }
};

}  // namespace

std::string Docx(int nPages) {
    Words words;
    std::string body;
    for (int nPage = 0; nPage < nPages; ++nPage) {
        for (int nParagraph = 0; nParagraph < 5; ++nParagraph) {
            body += "<w:p w:rsidR=\"00A1B2C3\" w:rsidRDefault=\"00A1B2C3\"><w:pPr><w:spacing w:after=\"120\"/>"
                    "<w:rPr><w:lang w:val=\"en-GB\"/></w:rPr></w:pPr>";
            for (int nRun = 0; nRun < 3; ++nRun) {
                body += "<w:r><w:rPr><w:rFonts w:ascii=\"Calibri\" w:hAnsi=\"Calibri\"/><w:sz w:val=\"22\"/>"
                        "<w:lang w:val=\"en-GB\"/></w:rPr><w:t xml:space=\"preserve\">" + words.Sentence(27) + " </w:t></w:r>";
            }
            body += "</w:p>";
        }
    }
    const char kType[] = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument";
    return WriteZip({{"[Content_Types].xml", "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                                             "<Override PartName=\"/word/document.xml\" ContentType=\"application/"
                                             "vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/></Types>"},
                     {"_rels/.rels", std::string("<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/"
                                                 "relationships\"><Relationship Id=\"r\" Type=\"") + kType +
                                         "\" Target=\"word/document.xml\"/></Relationships>"},
                     {"word/document.xml", "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/"
                                           "2006/main\"><w:body>" + body + "</w:body></w:document>"}});
}

std::string Odt(int nPages) {
    Words words;
    std::string body;
    for (int nParagraph = 0; nParagraph < nPages * 5; ++nParagraph) {
        body += "<text:p text:style-name=\"P1\">" + words.Sentence(40) + " <text:span text:style-name=\"T1\">" +
                words.Sentence(20) + "</text:span> " + words.Sentence(21) + "</text:p>";
    }
    return WriteZip({{"mimetype", "application/vnd.oasis.opendocument.text", false},
                     {"content.xml", "<office:document-content xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
                                     "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\"><office:body><office:text>" +
                                         body + "</office:text></office:body></office:document-content>"}});
}

std::string Xlsx(int nRows) {
    Words words;
    std::string strings, sheet;
    for (int nRow = 1; nRow <= nRows; ++nRow) {
        strings += "<si><t>" + words.Sentence(6) + "</t></si><si><t>" + words.Sentence(3) + "</t></si>";
        std::string r = std::to_string(nRow);
        sheet += "<row r=\"" + r + "\"><c r=\"A" + r + "\" t=\"s\"><v>" + std::to_string(2 * nRow - 2) + "</v></c><c r=\"B" +
                 r + "\" t=\"s\"><v>" + std::to_string(2 * nRow - 1) + "</v></c><c r=\"C" + r + "\"><v>" + r +
                 ".25</v></c><c r=\"D" + r + "\" t=\"inlineStr\"><is><t>" + words.Sentence(4) + "</t></is></c><c r=\"E" + r +
                 "\"><f>C" + r + "*2</f><v>" + r + "</v></c></row>";
    }
    const char kS[] = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
    const char kR[] = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
    std::string rels = "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
    return WriteZip({{"[Content_Types].xml", "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                                             "<Override PartName=\"/xl/workbook.xml\" ContentType=\"application/"
                                             "vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/></Types>"},
                     {"_rels/.rels", rels + "<Relationship Id=\"r\" Type=\"" + kR + "officeDocument\" Target=\"xl/workbook.xml\"/>"
                                            "</Relationships>"},
                     {"xl/workbook.xml", std::string("<workbook xmlns=\"") + kS +
                                             "\" xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                                             "relationships\"><sheets><sheet name=\"A\" sheetId=\"1\" r:id=\"s\"/></sheets></workbook>"},
                     {"xl/_rels/workbook.xml.rels", rels + "<Relationship Id=\"s\" Type=\"" + kR + "worksheet\" Target=\"sheet1.xml\"/>"
                                                    "<Relationship Id=\"t\" Type=\"" + kR + "sharedStrings\" Target=\"strings.xml\"/>"
                                                    "</Relationships>"},
                     {"xl/strings.xml", std::string("<sst xmlns=\"") + kS + "\">" + strings + "</sst>"},
                     {"xl/sheet1.xml", std::string("<worksheet xmlns=\"") + kS + "\"><sheetData>" + sheet + "</sheetData></worksheet>"}});
}

std::string Pptx(int nSlides) {
    const char kP[] = "http://schemas.openxmlformats.org/presentationml/2006/main";
    const char kA[] = "http://schemas.openxmlformats.org/drawingml/2006/main";
    const char kR[] = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
    std::string rels = "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
    std::string ids, slideRels = rels;
    std::vector<Member> members;
    for (int i = 1; i <= nSlides; ++i) {
        std::string n = std::to_string(i);
        ids += "<p:sldId id=\"" + std::to_string(255 + i) + "\" r:id=\"rId" + n + "\"/>";
        slideRels += "<Relationship Id=\"rId" + n + "\" Type=\"" + kR + "/slide\" Target=\"slides/slide" + n + ".xml\"/>";
        members.push_back({"ppt/slides/slide" + n + ".xml",
                           std::string("<p:sld xmlns:p=\"") + kP + "\" xmlns:a=\"" + kA + "\"><p:cSld><p:spTree><p:sp>"
                               "<p:txBody><a:p><a:r><a:t>word" + n + "</a:t></a:r></a:p></p:txBody></p:sp></p:spTree>"
                               "</p:cSld></p:sld>"});
    }
    members.push_back({"[Content_Types].xml", "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                                              "<Override PartName=\"/ppt/presentation.xml\" ContentType=\"application/"
                                              "vnd.openxmlformats-officedocument.presentationml.presentation.main+xml\"/>"
                                              "</Types>"});
    members.push_back({"_rels/.rels", rels + "<Relationship Id=\"r\" Type=\"" + kR + "/officeDocument\" "
                                             "Target=\"ppt/presentation.xml\"/></Relationships>"});
    members.push_back({"ppt/presentation.xml", std::string("<p:presentation xmlns:p=\"") + kP + "\" xmlns:r=\"" + kR +
                                                   "\"><p:sldIdLst>" + ids + "</p:sldIdLst></p:presentation>"});
    members.push_back({"ppt/_rels/presentation.xml.rels", slideRels + "</Relationships>"});
    return WriteZip(members);
}

// Translation files carry a few references and inline codes in their text, as tools write it.
std::string Xliff(int nUnits) {
    Words words;
    std::string body;
    for (int i = 1; i <= nUnits; ++i) {
        std::string n = std::to_string(i);
        std::string source = words.Sentence(7) + " <g id=\"" + n + "\">" + words.Sentence(3) + "</g> " + words.Sentence(5);
        std::string target = words.Sentence(8) + " <g id=\"" + n + "\">" + words.Sentence(3) + "</g> " + words.Sentence(5);
        if (i % 7 == 0) source += " &amp; " + words.Next();
        if (i % 11 == 0) target += " &lt;" + words.Next() + "&gt;";
        body += "<trans-unit id=\"u" + n + "\" resname=\"message." + n + "\" xml:space=\"preserve\">\n"
                "  <source>" + source + "</source>\n"
                "  <target state=\"translated\">" + target + "</target>\n"
                "  <note from=\"developer\">" + words.Sentence(4) + "</note>\n"
                "</trans-unit>\n";
    }
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<xliff version=\"1.2\" xmlns=\"urn:oasis:names:tc:xliff:document:1.2\">\n"
           "<file source-language=\"en-GB\" target-language=\"fr-FR\" datatype=\"plaintext\" original=\"app.strings\">\n"
           "<body>\n" + body + "</body>\n</file>\n</xliff>\n";
}

std::string Tmx(int nUnits) {
    Words words;
    std::string body;
    for (int i = 1; i <= nUnits; ++i) {
        std::string source = words.Sentence(9) + " <ph x=\"1\">{0}</ph> " + words.Sentence(4);
        std::string target = words.Sentence(10) + " <ph x=\"1\">{0}</ph> " + words.Sentence(4);
        if (i % 9 == 0) source += " &quot;" + words.Next() + "&quot;";
        body += "<tu tuid=\"" + std::to_string(i) + "\" creationdate=\"20240115T093000Z\" creationid=\"TRANSLATOR\" "
                "changedate=\"20240116T101500Z\" usagecount=\"2\">\n"
                "  <prop type=\"x-Domain\">Software</prop>\n"
                "  <tuv xml:lang=\"en-GB\"><seg>" + source + "</seg></tuv>\n"
                "  <tuv xml:lang=\"fr-FR\"><seg>" + target + "</seg></tuv>\n"
                "</tu>\n";
    }
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<tmx version=\"1.4\">\n"
           "<header creationtool=\"Tool\" creationtoolversion=\"1.0\" segtype=\"sentence\" o-tmf=\"tmx\" "
           "adminlang=\"en-GB\" srclang=\"en-GB\" datatype=\"plaintext\"/>\n"
           "<body>\n" + body + "</body>\n</tmx>\n";
}
