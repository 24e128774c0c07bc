#include "documents/rtf_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class StringSink : public TextSink {
public:
    void Put(const char* pUtf8, size_t cbUtf8) override {
        text.append(pUtf8, cbUtf8);
        ++nPuts;
    }
    std::string text;
    int nPuts = 0;
};

// The text of a file, or "!" and the reason it was refused.
std::string Text(const std::string& rtf) {
    StringSink sink;
    DocumentText text(&sink);
    bool bRead = ReadRtfText(reinterpret_cast<const unsigned char*>(rtf.data()), rtf.size(), &text);
    if (bRead != (text.Refusal() == nullptr)) return "!read and refused at once";
    return bRead ? sink.text : std::string("!") + text.Refusal();
}

struct Case {
    const char* szRtf;
    const char* szText;
};

void ExpectTexts(const Case* pCases, size_t nCases) {
    for (size_t i = 0; i < nCases; ++i)
        EXPECT_EQ(pCases[i].szText, Text(pCases[i].szRtf)) << "RTF: " << pCases[i].szRtf;
}

const std::string kBad = std::string("!") + kRefusedBadRtf;

TEST(RtfText, ParagraphsAndBreaksEndWithCrLf) {
    const Case kCases[] = {
        {"{\\rtf1 One\\par Two\\par}", "One\r\nTwo\r\n"},
        {"{\\rtf1 One\\par Two}", "One\r\nTwo\r\n"},  // the last paragraph without \par
        {"{\\rtf1 One\\par\\par Two}", "One\r\n\r\nTwo\r\n"},
        {"{\\rtf1 a\\line b\\line\\par}", "a\r\nb\r\n\r\n"},
        {"{\\rtf1 a\\page b\\par\\page c\\column d}", "a\r\nb\r\nc\r\nd\r\n"},
        {"{\\rtf1 a\\sect b\\par\\sect\\sectd}", "a\r\nb\r\n"},
        {"{\\rtf1 a\\tab b\r\nc\\\r\nd}", "a\tbc\r\nd\r\n"},
        {"{\\rtf1 cut short", "cut short\r\n"},
        {"{\\rtf1 a}\r\n ", "a\r\n"},
        {"{\\rtf1}", ""},
        // Cells end with CR LF, empty ones too; rows add nothing; nested tables' fallback is skipped.
        {"{\\rtf1\\trowd\\cellx1000\\cellx2000\\cellx3000\\pard\\intbl A\\cell B1\\par B2\\cell\\cell\\row"
         "\\pard after\\par}",
         "A\r\nB1\r\nB2\r\n\r\nafter\r\n"},
        {"{\\rtf1\\pard\\intbl\\itap2 x\\nestcell{\\*\\nesttableprops\\nestrow}{\\nonesttables\\par}y\\cell\\row}",
         "x\r\ny\r\n"},
    };
    ExpectTexts(kCases, sizeof(kCases) / sizeof(kCases[0]));
}

TEST(RtfText, UnicodeSkipsItsFallback) {
    const Case kCases[] = {
        {"{\\rtf1 \\u353\\'3f\\u269?x}", "\xC5\xA1\xC4\x8Dx\r\n"},
        {"{\\rtf1\\uc0 \\u353 x}", "\xC5\xA1x\r\n"},
        {"{\\rtf1\\uc2\\u8364\\'80\\'3fy}", "\xE2\x82\xACy\r\n"},
        {"{\\rtf1\\uc2\\u8212\\emdash-z}", "\xE2\x80\x94z\r\n"},  // a control word is one character
        {"{\\rtf1 {\\uc2 \\u1078 ab}\\u1078 ab}", "\xD0\xB6\xD0\xB6" "b\r\n"},
        {"{\\rtf1\\uc3\\u946{b}c}", "\xCE\xB2" "bc\r\n"},  // a brace ends the fallback
        {"{\\rtf1\\u-200?}", "\xEF\xBC\xB8\r\n"},
        {"{\\rtf1\\u55357?\\u56832?}", "\xF0\x9F\x98\x80\r\n"},
        {"{\\rtf1\\u55357?x\\u56832?\\u55357?}", "\xEF\xBF\xBDx\xEF\xBF\xBD\xEF\xBF\xBD\r\n"},
        {"{\\rtf1\\u0?}", "\xEF\xBF\xBD\r\n"},
        {"{\\rtf1 {\\upr{ansi}{\\*\\ud{\\u8364?}}}}", "\xE2\x82\xAC\r\n"},
    };
    ExpectTexts(kCases, sizeof(kCases) / sizeof(kCases[0]));
}

TEST(RtfText, BytesAreReadInTheirFontsCodePage) {
    const Case kCases[] = {
        {"{\\rtf1\\ansi\\ansicpg1250{\\fonttbl{\\f0\\fswiss\\fcharset238 Arial;}{\\f1\\fcharset204 Times;}"
         "{\\f2\\fnil Courier;}}\\f0 \\'9a\\'e8{\\f1 \\'c6\\'e8}{\\f2 \\'9a}}",
         "\xC5\xA1\xC4\x8D\xD0\x96\xD0\xB8\xC5\xA1\r\n"},
        {"{\\rtf1\\ansi\\ansicpg1251 \\'cf\\'f0\\'e8 \xcf\xf0\xe8}", "\xD0\x9F\xD1\x80\xD0\xB8 \xD0\x9F\xD1\x80\xD0\xB8\r\n"},
        {"{\\rtf1 \\'e9t\\'e9 \\'80}", "\xC3\xA9t\xC3\xA9 \xE2\x82\xAC\r\n"},
        {"{\\rtf1\\deff1{\\fonttbl{\\f0\\fcharset0 A;}{\\f1\\fcharset161 G;}}\\'e1{\\f0 \\'e1}{\\f0\\plain\\'e1}}",
         "\xCE\xB1\xC3\xA1\xCE\xB1\r\n"},
        {"{\\rtf1{\\fonttbl\\f0\\fcharset0 A;\\f1\\fcharset204 C;}\\f1\\'c6}", "\xD0\x96\r\n"},
        // Symbol fonts: each byte is U+F0xx, as Windows maps it.
        {"{\\rtf1{\\fonttbl{\\f3\\fcharset2 Symbol;}}{\\f3 \\'b7a}}", "\xEF\x82\xB7" "a\r\n"},
        {"{\\rtf1\\ansicpg1251{\\fonttbl{\\f0\\fcharset1 X;}}\\f0\\'c6}", "\xD0\x96\r\n"},
        // Unicode text and font names in a character set that is not read are fine.
        {"{\\rtf1{\\fonttbl{\\f0\\fcharset128 \\'82\\'6c;}}\\f0\\uc2\\u26085\\'93\\'fa ok}", "\xE6\x97\xA5 ok\r\n"},
        {"{\\rtf1\\ansicpg932 plain}", "plain\r\n"},
    };
    ExpectTexts(kCases, sizeof(kCases) / sizeof(kCases[0]));
}

TEST(RtfText, OnlyTheTextOfTheDocumentCounts) {
    const Case kCases[] = {
        {"{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red0\\green0\\blue0;}{\\stylesheet{\\s0 Normal;}}"
         "{\\info{\\title T}{\\author A}}{\\*\\generator Gen;}{\\*\\unknowndest junk}{\\*\\listtable x}"
         "{\\listoverridetable y}{\\pict\\pngblip 89504e47}{\\*\\themedata 504b}{\\*\\colorschememapping c}"
         "{\\*\\datastore d}{\\*\\latentstyles l}{\\*\\rsidtbl r}{\\*\\xmlnstbl x}{\\*\\pgdsctbl p}{\\revtbl u}"
         "{\\*\\mmathPr m}{\\object{\\*\\objdata 0105}}{\\*\\bkmkstart b1}Body{\\*\\bkmkend b1}\\par}",
         "Body\r\n"},
        {"{\\rtf1 See {\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt here}}, {\\field{\\fldinst PAGE}{\\fldrslt 3}}.}",
         "See here, .\r\n"},

        {"{\\rtf1 a{\\*\\blob\\bin4 }{\\\\}b}", "ab\r\n"},
        {"{\\rtf1 x\\bin3 {}\\y}", "xy\r\n"},
        {"{\\rtf1 a{\\v hidden}b\\v c\\v0 d{\\v e\\plain f}}", "abdf\r\n"},
        {"{\\rtf1 a\\~b\\-c\\_d\\emdash\\endash\\emspace\\enspace\\qmspace\\bullet\\lquote\\rquote\\ldblquote"
         "\\rdblquote\\zwj\\zwnj\\ltrmark\\rtlmark\\{\\}\\\\}",
         "a\xC2\xA0" "b\xC2\xAD" "c\xE2\x80\x91" "d\xE2\x80\x94\xE2\x80\x93\xE2\x80\x83\xE2\x80\x82\xE2\x80\x85"
         "\xE2\x80\xA2\xE2\x80\x98\xE2\x80\x99\xE2\x80\x9C\xE2\x80\x9D\xE2\x80\x8D\xE2\x80\x8C\xE2\x80\x8E"
         "\xE2\x80\x8F{}\\\r\n"},
        // Headers and footers stand where they are, in paragraphs of their own; footnotes and text
        // boxes follow the body.
        {"{\\rtf1{\\header Head\\par}{\\footerl Foot}{\\headerf First}Body{\\super\\chftn}{\\footnote"
         "{\\super\\chftn} One.}, end.\\par Second{\\footnote Two\\par}\\par}",
         "Head\r\nFoot\r\nFirst\r\nBody, end.\r\nSecond\r\n One.\r\nTwo\r\n"},
        {"{\\rtf1 Some{\\shp{\\*\\shpinst{\\sp{\\sn fillColor}{\\sv 255}}{\\shptxt Box}}{\\shprslt{\\*\\do box}}}"
         "thing\\par}",
         "Something\r\nBox\r\n"},
        {"{\\rtf1 a{\\header b}c\\par}", "a\r\nb\r\nc\r\n"},
        {"{\\rtf1 a\\header b", "a\r\nb\r\n"},
    };
    ExpectTexts(kCases, sizeof(kCases) / sizeof(kCases[0]));
}

TEST(RtfText, DamagedOrUnreadFilesAreRefused) {
    std::string deepest = "{\\rtf1" + std::string(kRtfMaxDepth - 1, '{') + "x" + std::string(kRtfMaxDepth, '}');
    std::string tooDeep = "{\\rtf1" + std::string(kRtfMaxDepth, '{') + "x" + std::string(kRtfMaxDepth + 1, '}');
    std::string longest = "{\\rtf1\\" + std::string(kRtfMaxWordLength, 'a') + " x}";
    std::string tooLong = "{\\rtf1\\" + std::string(kRtfMaxWordLength + 1, 'a') + " x}";
    const struct {
        std::string rtf;
        std::string expected;
    } kCases[] = {
        {"hello", kBad},
        // Past a UTF-8 byte-order mark and white space, as word processors read it.
        {" \r\n\t{\\rtf1 a}", "a\r\n"},
        {"\xEF\xBB\xBF {\\rtf1 a}", "a\r\n"},
        {"\xEF\xBB\xBF\xEF\xBB\xBF{\\rtf1 a}", kBad},
        {"{\\rtx1 a}", kBad},
        {deepest, "x\r\n"},
        {tooDeep, kBad},
        {longest, "x\r\n"},
        {tooLong, kBad},
        {"{\\rtf1\\fs-2147483648 ok}", "ok\r\n"},
        {"{\\rtf1\\fs2147483647 ok}", "ok\r\n"},
        {"{\\rtf1\\u2147483648 x}", kBad},
        {"{\\rtf1\\fs-2147483649 x}", kBad},
        {"{\\rtf1\\bin4 abc}", ""},
        {"{\\rtf1\\bin5 abc}", kBad},
        {"{\\rtf1\\bin-1 x}", kBad},
        {"{\\rtf1 a}}", "a\r\n"},
        {"{\\rtf1 {\\b a}\\par}} b {\\i c}\r\n", "a\r\n"},
        {"{\\rtf1 a{\\b b", kBad},
        {"{\\rtf1 \\'zz}", kBad},
        {"{\\rtf1 \\'4", kBad},
    };
    for (const auto& c : kCases) EXPECT_EQ(c.expected, Text(c.rtf)) << "RTF: " << c.rtf.substr(0, 80);
}

TEST(RtfText, CodePagesWithoutATableGoThroughTheSystemsConverter) {
    const struct {
        std::string rtf, expected;
    } kCases[] = {
        // A Japanese font's pairs: written as \'hh, or with the second byte as the letter it is.
        {"{\\rtf1{\\fonttbl{\\f0\\fcharset128 M;}}\\f0 \\'93\\'fa}", "\xE6\x97\xA5\r\n"},
        {"{\\rtf1{\\fonttbl{\\f0\\fnil\\fcharset128 MS Mincho;}}\\f0 \\'83e\\'83X\\'83g}",
         "\xE3\x83\x86\xE3\x82\xB9\xE3\x83\x88\r\n"},
        {"{\\rtf1\\ansicpg932 \\'82\\'a0}", "\xE3\x81\x82\r\n"},
        {"{\\rtf1\\mac \xa5}", "\xE2\x80\xA2\r\n"},
        // UTF-8 as Outlook writes it; a font of no known character set is the document's code page.
        {"{\\rtf1\\ansicpg65001 \\'c3\\'a9t\\'c3\\'a9}", "\xC3\xA9t\xC3\xA9\r\n"},
        {"{\\rtf1\\ansicpg1251{\\fonttbl{\\f0\\fcharset99 X;}}\\f0 \\'cf}", "\xD0\x9F\r\n"},
        {"{\\rtf1\\ansicpg12345 \\'cf}", "!the file is in code page 12345, which this system has no converter for"},
    };
    for (const auto& c : kCases) EXPECT_EQ(c.expected, Text(c.rtf)) << "RTF: " << c.rtf;
}

TEST(RtfText, WhatTheProgramMakesIsNotCounted) {
    // Page numbers, page counts, dates and times, simple or in groups of their own, nested too; other
    // fields' results count; list numbers (\listtext, \pntext) are the program's too.
    EXPECT_EQ("Page  of  see here\r\n",
              Text("{\\rtf1 Page {\\field{\\*\\fldinst { PAGE \\\\* MERGEFORMAT }}{\\fldrslt {3}}} of "
                   "{\\field{\\*\\fldinst numpages}{\\fldrslt 9}} see {\\field{\\*\\fldinst HYPERLINK \"x\"}"
                   "{\\fldrslt here}}\\par}"));
    EXPECT_EQ("Printed \r\nref\r\n",
              Text("{\\rtf1 Printed {\\field{\\*\\fldinst {\\rtlch PRINTDATE}\\\\@ \"d\"}{\\fldrslt 12/10/26}}\\par "
                   "{\\field{\\*\\fldinst REF a}{\\fldrslt {\\field{\\*\\fldinst TIME}{\\fldrslt 10:00}}ref}}\\par}"));
    EXPECT_EQ("On .\r\n", Text("{\\rtf1 On {\\field{\\*\\fldinst \\f0\\fs20 DATE}{\\fldrslt 12/10/26}}.}"))
        << "a control word before the type does not end it";
    EXPECT_EQ("First\r\nSecond\r\n",
              Text("{\\rtf1{\\listtext\\pard\\plain 1.\\tab}First\\par{\\pntext 2.\\tab}Second\\par}"));
}

TEST(RtfText, PlainTextReachesTheSinkInPieces) {
    std::string rtf = "{\\rtf1 " + std::string(100000, 'a') + "\\par " + std::string(3000, 'b') + "}";
    StringSink sink;
    DocumentText text(&sink);
    ASSERT_TRUE(ReadRtfText(reinterpret_cast<const unsigned char*>(rtf.data()), rtf.size(), &text)) << text.Refusal();
    EXPECT_EQ(std::string(100000, 'a') + "\r\n" + std::string(3000, 'b') + "\r\n", sink.text);
    EXPECT_LE(sink.nPuts, 4) << "the text went to the sink in " << sink.nPuts << " pieces";
}

}  // namespace
