// Excel's cells whose type and string index are written with references, line ends, comments or
// CDATA read as the same cells written plain, which the reader takes as they stand.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "documents/document_reader.h"
#include "tests/unit/package_text.h"
#include "tests/unit/zip_writer.h"

namespace {

const char kS[] = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
const char kDocType[] = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";

std::string Relationships(const std::vector<std::vector<std::string>>& relationships) {
    std::string xml = "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
    for (const std::vector<std::string>& r : relationships)
        xml += "<Relationship Id=\"" + r[0] + "\" Type=\"" + kDocType + r[1] + "\" Target=\"" + r[2] + "\"/>";
    return xml + "</Relationships>";
}

// The text of a workbook of one sheet of these cells, with the strings Tea, Milk and Rum.
std::string SheetText(const std::string& cells) {
    std::string file = WriteZip({
        {"[Content_Types].xml",
         "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
         "<Default Extension=\"xml\" ContentType=\"application/xml\"/><Override PartName=\"/xl/workbook.xml\" "
         "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/></Types>"},
        {"_rels/.rels", Relationships({{"rId1", "officeDocument", "xl/workbook.xml"}})},
        {"xl/workbook.xml", std::string("<workbook xmlns=\"") + kS +
                                "\" xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
                                "<sheets><sheet name=\"One\" sheetId=\"1\" r:id=\"rA\"/></sheets></workbook>"},
        {"xl/_rels/workbook.xml.rels",
         Relationships({{"rA", "worksheet", "sheet1.xml"}, {"rS", "sharedStrings", "strings.xml"}})},
        {"xl/strings.xml",
         std::string("<sst xmlns=\"") + kS + "\"><si><t>Tea</t></si><si><t>Milk</t></si><si><t>Rum</t></si></sst>"},
        {"xl/sheet1.xml",
         std::string("<worksheet xmlns=\"") + kS + "\"><sheetData><row>" + cells + "</row></sheetData></worksheet>"},
    });
    return package_test::PackageText(file);
}

}  // namespace

TEST(ExcelCells, TypesAndIndexesWrittenOtherwiseReadAsWrittenPlain) {
    EXPECT_EQ("Tea\r\nMilk\r\nRum\r\ninline\r\n",
              SheetText("<c t=\"s\"><v>0</v></c><c t=\"s\"><v>1</v></c><c t=\"s\"><v>2</v></c>"
                        "<c t=\"inlineStr\"><is><t>inline</t></is></c>"))
        << "written plain";
    EXPECT_EQ("Tea\r\ninline\r\n", SheetText("<c t=\"&#115;\"><v>0</v></c><c t=\"inline&#83;tr\"><is><t>inline</t></is></c>"))
        << "types with references";
    EXPECT_EQ("", SheetText("<c t=\" s\"><v>0</v></c><c t=\"s&#9;\"><v>1</v></c><c t=\"s\n\"><v>2</v></c>"
                            "<c t=\"S\"><v>0</v></c><c t=\"inlinestr\"><is><t>inline</t></is></c>"))
        << "types that are no string's: a space, a tab and a line feed (a space each), another case";
    EXPECT_EQ("Milk\r\nRum\r\nTea\r\nTea\r\n",
              SheetText("<c t=\"s\"><v>&#49;</v></c><c t=\"s\"><v> 2</v></c><c t=\"s\"><v><![CDATA[0]]></v></c>"
                        "<c t=\"s\"><v>-0</v></c>"))
        << "an index as a reference, after a space, in CDATA, and -0";
    EXPECT_EQ("Rum\r\nMilk\r\nMilk\r\n",
              SheetText("<c t=\"s\"><v>0<!-- cut -->2</v></c><c t=\"s\"><v>1\r\n</v></c><c t=\"s\"><v>\r1</v></c>"))
        << "an index cut by a comment (02), and with line ends";
    EXPECT_EQ("Milk\r\n", SheetText("<c t=\"s\"><v>\x0B"
                            "1</v></c><c t=\"s\"><v>&#x0B;1</v></c><c t=\"s\"><v>1&amp;</v></c><c t=\"s\"><v>3</v></c>"))
        << "a vertical tab as written and as a reference, no XML character either way, so no index; 1 with '&' "
           "after it, read as far as its digits; no string 3";
}
