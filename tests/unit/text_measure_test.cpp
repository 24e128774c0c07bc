#include "measure/text_measure.h"

#include <gtest/gtest.h>
#include <string.h>

#include <string>

namespace {

const char kCatText[] = "The cat sat.\r\nIt's 3.5 m long -- really!";
const char kPunctuationText[] = "e.g. well-known ... : a,b";

TextCounts MeasureWhole(const std::string& text, int nCharsPerLine) {
    TextMeasurer measurer(nCharsPerLine);
    measurer.Feed(text.data(), text.size());
    return measurer.Counts();
}

TEST(TextMeasure, WorkedExamples) {
    EXPECT_EQ(40, CountChars(kCatText));
    EXPECT_EQ(8, CountWords(kCatText));
    EXPECT_EQ(2, CountLines(kCatText, 80));
    EXPECT_EQ(5, CountLines(kCatText, 10));

    EXPECT_EQ(25, CountChars(kPunctuationText));
    EXPECT_EQ(7, CountWords(kPunctuationText));
    EXPECT_EQ(1, CountLines(kPunctuationText, 80));
    EXPECT_EQ(3, CountLines(kPunctuationText, 10));
    EXPECT_EQ(21, CountLines(kPunctuationText, 1));
    EXPECT_EQ(21, CountLines(kPunctuationText, 0));
    EXPECT_EQ(21, CountLines(kPunctuationText, -7));

    std::string x200(200, 'x');
    EXPECT_EQ(200, CountChars(x200.c_str()));
    EXPECT_EQ(1, CountWords(x200.c_str()));
    EXPECT_EQ(3, CountLines(x200.c_str(), 80));

    EXPECT_EQ(2, CountLines((std::string(80, 'x') + "\r\ny").c_str(), 80));
    EXPECT_EQ(2, CountLines(("aaaa" + std::string(80, ' ') + "b").c_str(), 80));

    const char kBlank[] = "   \r\n\r\n\t\t\r\n";
    EXPECT_EQ(11, CountChars(kBlank));
    EXPECT_EQ(0, CountWords(kBlank));
    EXPECT_EQ(0, CountLines(kBlank, 80));

    // Accented letters are letters: "café résumé" is two words.
    const char kCafe[] = "caf\xC3\xA9 r\xC3\xA9sum\xC3\xA9";
    EXPECT_EQ(2, CountWords(kCafe));
    EXPECT_EQ(11, CountChars(kCafe));
    // A text of format characters only (zero-width space, left-to-right mark) counts no line.
    EXPECT_EQ(0, CountLines("\xE2\x80\x8B\xE2\x80\x8E", 80));
}

TEST(TextMeasure, WordBytes) {
    struct Case {
        const char* szText;
        int nWords;
    } cases[] = {
        {"don't", 1}, {"e.g.", 1}, {"3.5", 1}, {"12:30", 1}, {"...", 1}, {"well-known", 2}, {"a,b", 2},
        {":", 1},     {".", 1},    {"-", 0},   {"!", 0},     {"", 0},    {"a\tb", 2},        {"\xC3\xA9\xC3\xA0", 1},
        {"\xA6", 0},  {"a\xA6z", 2}, {"x\x7Fy", 2}, {"a\"b\"", 2}, {"(a)[b]{c}", 3}, {"  a  b  ", 2},
    };
    for (const Case& c : cases) EXPECT_EQ(c.nWords, CountWords(c.szText)) << "text «" << c.szText << "»";
    for (int c = 0; c < 256; ++c) {
        bool bExpected = isalnum(c) || c == '\'' || c == '.' || c == ':' || c == 0x80;
        EXPECT_EQ(bExpected, IsWordByte(static_cast<unsigned char>(c))) << "byte " << c;
    }
}

TEST(TextMeasure, LineRules) {
    // A lone CR or LF ends a line; tabs and format characters neither start a line nor take a column.
    EXPECT_EQ(3, CountLines("a\rb\nc", 80));
    EXPECT_EQ(1, CountLines("\t\t\t\tx", 2));
    EXPECT_EQ(1, CountLines("\xE2\x80\x8B\xE2\x80\x8B\xE2\x80\x8Bx", 2));
    // Leading spaces take columns but start nothing; a line of exactly the limit counts once.
    EXPECT_EQ(1, CountLines("   x", 4));
    EXPECT_EQ(1, CountLines("    x", 4));
    EXPECT_EQ(2, CountLines("ab   x", 4));
    EXPECT_EQ(1, CountLines("abcd", 4));
    EXPECT_EQ(2, CountLines("abcde", 4));
    EXPECT_EQ(0, CountLines("        ", 4));
    EXPECT_EQ(2, CountLines("a b", -1));
    EXPECT_EQ(2, CountLines("a b", 1));
    // The largest limit never cuts.
    EXPECT_EQ(1, CountLines(std::string(5000, 'x').c_str(), 2147483647));
}

TEST(TextMeasure, TextEndsAtFirstZeroByte) {
    std::string text("ab cd\0ef gh", 11);
    TextCounts counts = MeasureWhole(text, 80);
    EXPECT_EQ(5, counts.nChars);
    EXPECT_EQ(2, counts.nWords);
    EXPECT_EQ(1, counts.nLines);

    TextMeasurer measurer(80);
    EXPECT_EQ(5u, measurer.Feed(text.data(), text.size()));
    EXPECT_TRUE(measurer.Ended());
    EXPECT_EQ(0u, measurer.Feed("more words", 10));
    EXPECT_EQ(2, measurer.Counts().nWords);
}

TEST(TextMeasure, AnOddLastByteOfUtf16IsOneReplacementCharacter) {
    // "a" then "=" cut to its first byte: two characters, as an unfinished UTF-8 sequence counts
    // one U+FFFD; fed whole, and with the unit cut between two pieces.
    const char bytes[] = {'a', 0, '='};
    for (TextEncoding encoding : {kEncodingUtf16LE, kEncodingUtf16BE}) {
        TextMeasurer whole(1, encoding);
        whole.Feed(bytes, 3);
        EXPECT_EQ(2, whole.Counts().nChars) << "encoding " << encoding;
        EXPECT_EQ(2, whole.Counts().nLines) << "encoding " << encoding << ", one character a line";
        EXPECT_EQ(2, whole.Finish().nChars) << "encoding " << encoding;
        TextMeasurer cut(1, encoding);
        cut.Feed(bytes, 1);
        cut.Feed(bytes + 1, 2);
        EXPECT_EQ(2, cut.Finish().nChars) << "encoding " << encoding;
    }
    // An even length has no such character; after the text's end an odd byte is not looked at.
    TextMeasurer even(80, kEncodingUtf16LE);
    even.Feed(bytes, 2);
    EXPECT_EQ(1, even.Finish().nChars);
    TextMeasurer ended(80, kEncodingUtf16LE);
    ended.Feed("a\0\0\0=", 5);
    EXPECT_EQ(1, ended.Counts().nChars);
}

TEST(TextMeasure, ChunkedEqualsWholeAtEverySplit) {
    std::string texts[] = {
        kCatText,
        kPunctuationText,
        "aaaa" + std::string(80, ' ') + "b",
        std::string(170, 'x') + "\r\n  word\xC3\xA9more it\xE2\x80\x99s\tend \xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD ",
        std::string("split\0after zero", 16),
        "  a\r\n\r\nb  c:d.e'f-g " + std::string(30, 'z'),
    };
    for (const std::string& text : texts) {
        for (int nCharsPerLine : {-3, 0, 1, 7, 10, 80}) {
            TextCounts whole = MeasureWhole(text, nCharsPerLine);
            for (size_t nSplit = 0; nSplit <= text.size(); ++nSplit) {
                for (size_t nSecond = nSplit; nSecond <= text.size(); nSecond += 13) {
                    TextMeasurer measurer(nCharsPerLine);
                    measurer.Feed(text.data(), nSplit);
                    measurer.Feed(text.data() + nSplit, nSecond - nSplit);
                    measurer.Feed(text.data() + nSecond, text.size() - nSecond);
                    const TextCounts& pieces = measurer.Counts();
                    ASSERT_EQ(whole.nChars, pieces.nChars) << "split " << nSplit << "/" << nSecond;
                    ASSERT_EQ(whole.nWords, pieces.nWords) << "split " << nSplit << "/" << nSecond;
                    ASSERT_EQ(whole.nLines, pieces.nLines)
                        << "split " << nSplit << "/" << nSecond << " at " << nCharsPerLine;
                }
            }
        }
    }
}

TEST(TextSummary, ShortTextsWholeLongTextsCutAndFlattened) {
    char16_t szSummary[kSummaryBufferSize];
    GetTextSummary(u"", 0, szSummary);
    EXPECT_EQ(u"", std::u16string(szSummary));

    std::u16string exact(188, u'a');
    exact += u"\r\n";
    GetTextSummary(exact.data(), exact.size(), szSummary);
    EXPECT_EQ(exact, szSummary) << "190 units are shown whole, breaks kept";

    std::u16string text191;
    for (int i = 0; i < 191; ++i) text191 += static_cast<char16_t>(u'A' + i % 26);
    GetTextSummary(text191.data(), text191.size(), szSummary);
    EXPECT_EQ(text191.substr(0, 100) + u"..." + text191.substr(101), szSummary);

    std::u16string x200(200, u'x');
    GetTextSummary(x200.data(), x200.size(), szSummary);
    EXPECT_EQ(std::u16string(100, u'x') + u"..." + std::u16string(90, u'x'), szSummary);

    // Controls (C0 and C1) become spaces; every other character, from any script, is kept.
    std::u16string mixed = u"a\tb\r\nc\u00E9\x01" + std::u16string(300, u'm') + u"\u00FF\u0080\r\nz";
    GetTextSummary(mixed.data(), mixed.size(), szSummary);
    std::u16string expected = u"a b  c\u00E9 " + std::u16string(92, u'm') + u"..." + std::u16string(85, u'm') +
                              u"\u00FF   z";
    EXPECT_EQ(expected, szSummary);
}

}  // namespace
