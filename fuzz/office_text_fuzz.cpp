// Any bytes as the XML parts of a Word, Excel, PowerPoint or OpenDocument file (the first byte
// picks which), packed into a well-formed package so that the formats' own rules are what is fuzzed:
// the readers end, and what reaches the sink is well-formed UTF-8 without U+0000, with every
// repeat ended.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "documents/document_reader.h"
#include "fuzz/checking_sink.h"
#include "tests/unit/zip_writer.h"

namespace {
const char kRels[] = "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
const char kType[] = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";

std::string Relationship(const char* szId, const char* szType, const char* szTarget) {
    return std::string("<Relationship Id=\"") + szId + "\" Type=\"" + kType + szType + "\" Target=\"" + szTarget + "\"/>";
}

std::string OfficePackage(const char* szMain, const char* szMainType, const std::string& mainXml,
                          const std::string& mainRels, const char* szOther, const std::string& otherXml) {
    std::string types = std::string("<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                                    "<Override PartName=\"/") + szMain + "\" ContentType=\"" + szMainType + "\"/></Types>";
    std::string folder = std::string(szMain).substr(0, std::string(szMain).rfind('/') + 1);
    std::string file = std::string(szMain).substr(folder.size());
    return WriteZip({{"[Content_Types].xml", types, false},
                     {"_rels/.rels", kRels + Relationship("r", "officeDocument", szMain) + "</Relationships>", false},
                     {szMain, mainXml, false},
                     {folder + "_rels/" + file + ".rels", kRels + mainRels + "</Relationships>", false},
                     {folder + szOther, otherXml, false}});
}

std::string Package(uint8_t nChoice, const std::string& xml) {
    switch (nChoice % 5) {
    case 0:
        return OfficePackage("word/document.xml", "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml",
                             xml, Relationship("h", "header", "header1.xml") + Relationship("f", "footnotes", "header1.xml") +
                                      Relationship("s", "styles", "header1.xml") + Relationship("t", "settings", "header1.xml"),
                             "header1.xml", xml);
    case 1: {
        std::string workbook = "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                               "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
                               "<sheets><sheet r:id=\"s\"/></sheets></workbook>";
        std::string zip = OfficePackage("xl/workbook.xml", "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml",
                                        workbook, Relationship("s", "worksheet", "sheet.xml") +
                                                      Relationship("t", "sharedStrings", "sheet.xml"),
                                        "sheet.xml", xml);
        return zip;
    }
    case 2: {
        std::string presentation = "<p:presentation xmlns:p=\"http://schemas.openxmlformats.org/presentationml/2006/main\" "
                                   "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
                                   "<p:sldIdLst><p:sldId r:id=\"s\"/></p:sldIdLst></p:presentation>";
        return OfficePackage("ppt/presentation.xml",
                             "application/vnd.openxmlformats-officedocument.presentationml.presentation.main+xml",
                             presentation, Relationship("s", "slide", "slide.xml"), "slide.xml", xml);
    }
    default:
        return WriteZip({{"mimetype", nChoice % 5 == 3 ? "application/vnd.oasis.opendocument.text"
                                                       : "application/vnd.oasis.opendocument.spreadsheet", false},
                         {"content.xml", xml, false},
                         {"styles.xml", xml, false}});
    }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pBytes, size_t nSize) {
    uint8_t nChoice = Take<uint8_t>(pBytes, nSize);
    std::string zip = Package(nChoice, std::string(reinterpret_cast<const char*>(pBytes), nSize));
    CheckingSink sink;
    DocumentText text(&sink);
    bool bRead = ReadDocument(DocumentKind::kZip, reinterpret_cast<const unsigned char*>(zip.data()), zip.size(), 0, &text);
    Check(bRead == (text.Refusal() == nullptr));
    if (bRead) Check(sink.nRepeats == 0 && text.BytesMade() <= kMaxDocumentTextBytes);
    return 0;
}
