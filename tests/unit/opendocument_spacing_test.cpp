// OpenDocument's white space collapsing on pieces that are words and single spaces, which go out
// as they stand, beside pieces that are not: a double space, a tab or a line end anywhere in a run
// longer than a block, and single spaces before and after a piece's words.
#include <gtest/gtest.h>

#include <string>

#include "documents/document_reader.h"
#include "tests/unit/package_text.h"
#include "tests/unit/zip_writer.h"

namespace {

std::string BodyText(const std::string& paragraphs) {
    std::string ns = "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
                     "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\"";
    std::string file =
        WriteZip({{"mimetype", "application/vnd.oasis.opendocument.text", false},
                  {"content.xml", "<office:document-content " + ns + "><office:body><office:text>" + paragraphs +
                                      "</office:text></office:body></office:document-content>"}});
    return package_test::PackageText(file);
}

}  // namespace

TEST(OpenDocumentSpacing, SingleSpacedPiecesReadAsAnyOther) {
    EXPECT_EQ("lead and trail inner end\r\n",
              BodyText("<text:p> lead and trail <text:span> inner </text:span> end </text:p>"))
        << "a space before and after each piece";
    EXPECT_EQ("one two\r\nx\r\nthree four five\r\n",
              BodyText("<text:p>one <text:span> two</text:span></text:p><text:p><text:span> x</text:span></text:p>"
                       "<text:p>three<text:span> </text:span> four <text:span>five</text:span></text:p>"))
        << "a waiting space and the piece's own, a paragraph's first piece, a piece that is one space";
    const std::string kRun = "abcdefghijklmnopqrstuvwxyz0123456789";
    for (size_t k = 1; k < kRun.size(); ++k) {
        std::string before = kRun.substr(0, k), after = kRun.substr(k);
        std::string expected = before + " " + after + "\r\n";
        EXPECT_EQ(expected, BodyText("<text:p>" + before + " " + after + "</text:p>")) << "one space at " << k;
        EXPECT_EQ(expected, BodyText("<text:p>" + before + "  " + after + "</text:p>")) << "two spaces at " << k;
        EXPECT_EQ(expected, BodyText("<text:p>" + before + "\t" + after + "</text:p>")) << "a tab at " << k;
        EXPECT_EQ(expected, BodyText("<text:p>" + before + "\n" + after + "</text:p>")) << "a line feed at " << k;
        EXPECT_EQ(expected, BodyText("<text:p> " + before + " \r\n" + after + " </text:p>"))
            << "a space and a line end at " << k;
    }
}
