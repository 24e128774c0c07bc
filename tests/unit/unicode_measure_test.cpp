// Counting text in every script: Unicode's own conformance files and the cases the rules name,
// which hold the measures and the reference (unicode_reference.h) alike, then malformed input,
// ASCII, Windows-1252 and the summary's cuts. unicode_differential_test.cpp holds the measures to
// the reference on random text.
#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>

#include <random>
#include <string>
#include <vector>

#include "measure/text_measure.h"
#include "measure/unicode_classes.h"
#include "unicode_reference.h"
#include "unicode_test_support.h"

#ifndef TQ_UNICODE_DATA_DIR
#define TQ_UNICODE_DATA_DIR "/usr/share/unicode"
#endif

namespace {

TextCounts Utf8Counts(const std::string& text, int nCharsPerLine = 80) {
    return MeasureUtf8(text.data(), text.size(), nCharsPerLine);
}

TextCounts Utf16Counts(const std::u16string& text, int nCharsPerLine = 80) {
    return MeasureUtf16(text.data(), text.size(), nCharsPerLine);
}

// Reads the code point sequences of a conformance file's lines, with the marks between them.
std::vector<std::string> DataLines(const char* szRelativePath) {
    std::string path = std::string(TQ_UNICODE_DATA_DIR) + "/" + szRelativePath;
    std::vector<std::string> lines;
    FILE* pFile = fopen(path.c_str(), "r");
    if (pFile == nullptr) return lines;
    char szLine[4096];
    while (fgets(szLine, sizeof(szLine), pFile) != nullptr) lines.push_back(szLine);
    fclose(pFile);
    return lines;
}

const unicode_reference::Reference& Reference() { return unicode_reference::SharedReference(); }

TEST(UnicodeMeasure, TheTableAndTheReferenceReadOneVersion) {
    ASSERT_EQ("", unicode_reference::SharedReferenceError());
    EXPECT_EQ(std::string(kUnicodeVersion), Reference().Version()) << "the table's version, and the reference's";
}

TEST(UnicodeMeasure, GraphemeBreakConformance) {
    std::vector<std::string> lines = DataLines("auxiliary/GraphemeBreakTest.txt");
    ASSERT_FALSE(lines.empty()) << "cannot read " TQ_UNICODE_DATA_DIR "/auxiliary/GraphemeBreakTest.txt";
    ASSERT_EQ("", unicode_reference::SharedReferenceError());
    // Another version's cases would hold the table to other rules.
    std::string title = std::string("# GraphemeBreakTest-") + kUnicodeVersion + ".txt";
    EXPECT_EQ(title, lines[0].substr(0, title.size())) << "the file's first line";
    int nTestLines = 0, nCases = 0;
    for (const std::string& line : lines) {
        std::string marks = line.substr(0, line.find('#'));
        if (marks.find_first_not_of(" \t\r\n") == std::string::npos) continue;
        ++nTestLines;
        CodePoints text;
        std::vector<bool> breakBefore;  // before each code point, and at the end
        int64_t nClusters = 0, nCrLf = 0;
        const char* p = marks.c_str();
        while (*p) {
            if (strncmp(p, "\xC3\xB7", 2) == 0) {  // ÷
                breakBefore.push_back(true);
                if (!text.empty()) ++nClusters;
                p += 2;
            } else if (strncmp(p, "\xC3\x97", 2) == 0) {  // ×
                breakBefore.push_back(false);
                if (!text.empty() && text.back() == 0x0D) ++nCrLf;
                p += 2;
            } else if (isxdigit(static_cast<unsigned char>(*p))) {
                char* pEnd;
                text += static_cast<char32_t>(strtoul(p, &pEnd, 16));
                p = pEnd;
            } else {
                ++p;
            }
        }
        if (text.empty() || breakBefore.size() != text.size() + 1) {
            ADD_FAILURE() << "a test line read as " << text.size() << " code points and " << breakBefore.size()
                          << " marks: " << line;
            continue;
        }
        ++nCases;
        std::u16string units = ToUtf16(text);
        EXPECT_EQ(nClusters + nCrLf, Utf16Counts(units).nChars) << line;
        EXPECT_EQ(nClusters + nCrLf, Utf8Counts(ToUtf8(text)).nChars) << line;
        // The boundary search finds the same boundaries, CR LF aside, and so does the reference.
        std::vector<size_t> starts;
        size_t nUnit = 0;
        for (size_t i = 0; i < text.size(); ++i) {
            bool bBoundary = breakBefore[i] || (i > 0 && text[i - 1] == 0x0D && text[i] == 0x0A);
            EXPECT_EQ(bBoundary, CharacterBoundaryAtOrBefore(units.data(), units.size(), nUnit) == nUnit)
                << line << " at code point " << i;
            if (bBoundary) starts.push_back(i);
            nUnit += text[i] >= 0x10000 ? 2 : 1;
        }
        starts.push_back(text.size());
        EXPECT_EQ(starts, Reference().Boundaries(text)) << "the reference's boundaries of " << line;
    }
    // Every test line read, whatever the version's number of them.
    EXPECT_EQ(nTestLines, nCases) << "cases read of the test lines";
    EXPECT_GT(nTestLines, 0) << "test lines in the file";
}

TEST(UnicodeMeasure, EveryQualifiedEmojiIsOneSymbol) {
    std::vector<std::string> lines = DataLines("emoji/emoji-test.txt");
    ASSERT_FALSE(lines.empty()) << "cannot read " TQ_UNICODE_DATA_DIR "/emoji/emoji-test.txt";
    int nEmoji = 0;
    for (const std::string& line : lines) {
        size_t nSemicolon = line.find(';');
        if (line.empty() || line[0] == '#' || nSemicolon == std::string::npos) continue;
        if (line.compare(nSemicolon, 17, "; fully-qualified") != 0) continue;
        CodePoints text;
        const char* p = line.c_str();
        char* pEnd;
        for (unsigned long c; (c = strtoul(p, &pEnd, 16)) != 0 || pEnd != p; p = pEnd) text += static_cast<char32_t>(c);
        ++nEmoji;
        TextCounts counts = Utf16Counts(ToUtf16(text));
        EXPECT_EQ("1 0 1", Describe(counts)) << line;
        EXPECT_EQ("1 0 1", Describe(Utf8Counts(ToUtf8(text)))) << line;
        EXPECT_EQ("1 0 1", Describe(Reference().Count(text, 80))) << "the reference's count of " << line;
    }
    EXPECT_GT(nEmoji, 3000);
}

TEST(UnicodeMeasure, NamedCases) {
    struct Case {
        const char* szText;
        const char* szCounts;  // characters, words, lines at 80
    } cases[] = {
        {"\xC5\x81\xC3\xB3\x64\xC5\xBA", "4 1 1"},                                   // Łódź
        {"Привет, мир!", "12 2 1"},
        {"日本語のテキスト", "8 8 1"},
        {"한국어 텍스트", "7 2 1"},
        {"\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD ok", "4 1 1"},                          // 👍🏽 ok
        {"a\xE2\x80\xA8" "b", "3 2 2"},                                              // a U+2028 b
        {"e\xCC\x81t\xC3\xA9", "3 1 1"},                                             // e + U+0301, t, é
        {"na\xC3\xAFve Gr\xC3\xB6\xC3\x9F" "e espa\xC3\xB1ol", "19 3 1"},           // naïve Größe español
        {"\xE2\x80\x9CHello,\xE2\x80\x9D she said", "17 3 1"},                       // “Hello,” she said
        {"co\xC2\xADoperate", "10 1 1"},                                             // soft hyphen inside
        {"a \xE2\x80\x8D b", "4 2 1"},                                               // a joiner joins the space: no word
        {"abc\xE6\x97\xA5" "def", "7 3 1"},                                          // abc日def
        {"1\xEF\xB8\x8F\xE2\x83\xA3 \xE6\x97\xA5\xEF\xB8\x8F", "3 0 1"},            // keycap 1, 日 + FE0F
        {"\xE3\x80\x81\xE3\x80\x82", "2 0 1"},                                       // 、。 are punctuation
        {"\xE3\x83\xBC\xEF\xBD\xB0", "2 2 1"},                                       // ー and ｰ
        {"\xE0\xB8\xA0\xE0\xB8\xB2\xE0\xB8\xA9\xE0\xB8\xB2\xE0\xB9\x84\xE0\xB8\x97\xE0\xB8\xA2", "7 1 1"},  // ภาษาไทย
        {"\xD8\x80" "1", "1 1 1"},                                                   // prepended number sign + 1
        {"x\x7F", "2 1 1"},                                                          // DEL is printable
        {"\t\xC2\x85\xE2\x80\x8B", "3 0 0"},                                         // tab, NEL, ZWSP
        {"\xEF\xBB\xBF", "1 0 0"},                                                   // a BOM inside a text is a format character
        {"a\xC2\xA0" "b", "3 2 1"},                                                  // no-break space separates
    };
    for (const Case& c : cases) {
        std::string text = c.szText;
        EXPECT_EQ(c.szCounts, Describe(Utf8Counts(text))) << text;
        EXPECT_EQ(c.szCounts, Describe(Reference().Count(FromUtf8(text), 80))) << "the reference's count of " << text;
    }
    // Wide characters take one column each, as on manuscript paper.
    EXPECT_EQ(3, Utf8Counts("日本語のテキスト", 3).nLines);
    // Spaces of every script take a column without starting a line.
    EXPECT_EQ(2, Utf8Counts("ab\xE3\x80\x80\xE3\x80\x80" "cd", 3).nLines);  // ab + two ideographic spaces + cd
}

TEST(UnicodeMeasure, TypographicFormsCountAsTheirAsciiForms) {
    const char kTypographic[] =
        "\xE2\x80\x98It\xE2\x80\x99s done\xE2\x80\xA6\xE2\x80\x99 she wrote\xE2\x80\x94it\xE2\x80\x99" "d be "
        "\xE2\x80\x9C" "fine\xE2\x80\x9D at 12\xEF\xBC\x9A" "30" "\xEF\xBC\x8E";
    const char kAscii[] = "'It's done...' she wrote-it'd be \"fine\" at 12:30.";
    EXPECT_EQ(Utf8Counts(kAscii).nWords, Utf8Counts(kTypographic).nWords);
    EXPECT_EQ(9, Utf8Counts(kTypographic).nWords);
}

TEST(UnicodeMeasure, MalformedInput) {
    // Each maximal ill-formed part is one U+FFFD: a symbol.
    EXPECT_EQ("4 2 1", Describe(Utf8Counts("a\xFF\xFE" "b")));
    EXPECT_EQ("3 2 1", Describe(Utf8Counts("a\xE6\x97" "b")));          // a cut sequence is one U+FFFD
    EXPECT_EQ("4 2 1", Describe(Utf8Counts("a\xC0\xAF" "b")));          // an overlong form is two
    EXPECT_EQ("5 2 1", Describe(Utf8Counts("a\xE0\x80\xAF" "b")));      // overlong after E0 and F0, too
    EXPECT_EQ("6 2 1", Describe(Utf8Counts("a\xF0\x8F\xBF\xBF" "b")));
    EXPECT_EQ("6 2 1", Describe(Utf8Counts("a\xF4\x90\x80\x80" "b")));  // past U+10FFFF
    EXPECT_EQ("5 2 1", Describe(Utf8Counts("a\xED\xA0\x80" "b")));      // an encoded surrogate is three
    EXPECT_EQ("2 1 1", Describe(Utf8Counts("a\xF0\x9F")));              // cut at the end
    // An unpaired surrogate is U+FFFD, which marks may still join.
    std::u16string lone = {u'a', 0xD800, u'b', 0xDC00, 0x0301, u'c'};
    EXPECT_EQ("5 3 1", Describe(Utf16Counts(lone)));
    // The text ends at its first U+0000, in any form.
    EXPECT_EQ("2 1 1", Describe(Utf8Counts(std::string("ab\0cd ef", 8))));
    std::u16string zero = {0x5E8C, 0xD83D, 0, u'x'};  // a high surrogate cut by the end
    EXPECT_EQ("2 1 1", Describe(Utf16Counts(zero)));
}

TEST(UnicodeMeasure, AsciiCountsAsTheByteKernels) {
    std::mt19937 random(1252);
    std::uniform_int_distribution<int> ascii(1, 0x7F), length(0, 700);
    for (int nText = 0; nText < 40; ++nText) {
        std::string text;
        for (int i = length(random); i > 0; --i) text += static_cast<char>(nText % 2 ? ascii(random) : " ab.\r\n'-x"[ascii(random) % 9]);
        for (int nLimit : {80, 3, 1, -2}) {
            MeasureState state = {0, 0, 0, false, false, 0, 0};
            kScalarMeasureKernel.pfnWordsAndLines(reinterpret_cast<const unsigned char*>(text.data()), text.size(),
                                                  nLimit, &state);
            TextCounts bytes = {static_cast<int64_t>(text.size()), state.nWords, state.nLines, 0, 0};
            std::u16string units(text.begin(), text.end());
            EXPECT_EQ(Describe(bytes), Describe(Utf8Counts(text, nLimit)));
            EXPECT_EQ(Describe(bytes), Describe(Utf16Counts(units, nLimit)));
            TextMeasurer ansi(nLimit, kEncodingWindows1252);
            ansi.Feed(text.data(), text.size());
            EXPECT_EQ(Describe(bytes), Describe(ansi.Counts()));
        }
    }
}

TEST(UnicodeMeasure, Windows1252) {
    // naïve Größe español “Hello,” she said – done
    const char kText[] = "na\xEFve Gr\xF6\xDF" "e espa\xF1ol \x93Hello,\x94 she said \x96 done";
    TextMeasurer measurer(80, kEncodingWindows1252);
    measurer.Feed(kText, strlen(kText));
    EXPECT_EQ("44 7 1", Describe(measurer.Counts()));
    EXPECT_EQ(0x20ACu, Windows1252CodePoint(0x80));
    EXPECT_EQ(0x81u, Windows1252CodePoint(0x81));  // undefined: the C1 control, as Windows maps it
}

TEST(UnicodeMeasure, SummaryCutsBetweenCharacters) {
    char16_t szSummary[kSummaryBufferSize];
    // Whole up to 190 units, controls and all.
    std::u16string shortText = u"Привет,\r\n\tмир";
    GetTextSummary(shortText.data(), shortText.size(), szSummary);
    EXPECT_EQ(shortText, std::u16string(szSummary));
    // 191 units: 100, "...", 90, with the breaks and tabs shown as spaces.
    std::u16string text = u"\r\n" + std::u16string(98, u'ж') + std::u16string(1, u'\t') + std::u16string(90, u'я');
    ASSERT_EQ(191u, text.size());
    GetTextSummary(text.data(), text.size(), szSummary);
    EXPECT_EQ(u"  " + std::u16string(98, u'ж') + u"..." + std::u16string(90, u'я'), std::u16string(szSummary));
    // A character across a cut is left out whole: an emoji's surrogate pair at the head's edge and
    // a letter with its mark at the tail's.
    std::u16string emoji = std::u16string(99, u'a') + u"\U0001F44D" + std::u16string(100, u'b') + u"e\u0301" +
                           std::u16string(89, u'c');
    GetTextSummary(emoji.data(), emoji.size(), szSummary);
    EXPECT_EQ(std::u16string(99, u'a') + u"..." + std::u16string(89, u'c'), std::u16string(szSummary));
    // One character longer than the room is cut between code points, never inside a surrogate pair.
    std::u16string marks = u"a" + std::u16string(250, u'\u0301');
    GetTextSummary(marks.data(), marks.size(), szSummary);
    EXPECT_EQ(u"a" + std::u16string(99, u'\u0301') + u"..." + std::u16string(90, u'\u0301'), std::u16string(szSummary));
}

}  // namespace
