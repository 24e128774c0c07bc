// Counting text in every script: Unicode's own conformance files, the cases the rules name, and
// the fast roads (ASCII blocks, pieces cut anywhere, every kernel) held to a plain reference.
#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>

#include <random>
#include <string>
#include <vector>

#include "measure/text_measure.h"
#include "measure/unicode_classes.h"

#ifndef TQ_UNICODE_DATA_DIR
#define TQ_UNICODE_DATA_DIR "/usr/share/unicode"
#endif

namespace {

typedef std::u32string CodePoints;

std::u16string ToUtf16(const CodePoints& text) {
    std::u16string units;
    for (char32_t c : text) {
        if (c >= 0x10000) {
            units += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            units += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            units += static_cast<char16_t>(c);
        }
    }
    return units;
}

std::string ToUtf8(const CodePoints& text) {
    std::string bytes;
    for (char32_t c : text) {
        if ((c & 0xFFFFF800) == 0xD800) c = 0xFFFD;  // UTF-8 cannot carry a lone surrogate
        if (c < 0x80) {
            bytes += static_cast<char>(c);
        } else if (c < 0x800) {
            bytes += static_cast<char>(0xC0 | (c >> 6));
            bytes += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            bytes += static_cast<char>(0xE0 | (c >> 12));
            bytes += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            bytes += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            bytes += static_cast<char>(0xF0 | (c >> 18));
            bytes += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            bytes += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            bytes += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return bytes;
}

std::string Utf16Bytes(const std::u16string& units, bool bBigEndian) {
    std::string bytes;
    for (char16_t u : units) {
        char lo = static_cast<char>(u & 0xFF), hi = static_cast<char>(u >> 8);
        bytes += bBigEndian ? hi : lo;
        bytes += bBigEndian ? lo : hi;
    }
    return bytes;
}

TextCounts Utf8Counts(const std::string& text, int nCharsPerLine = 80) {
    return MeasureUtf8(text.data(), text.size(), nCharsPerLine);
}

TextCounts Utf16Counts(const std::u16string& text, int nCharsPerLine = 80) {
    return MeasureUtf16(text.data(), text.size(), nCharsPerLine);
}

std::string Describe(const TextCounts& counts) {
    return std::to_string(counts.nChars) + " " + std::to_string(counts.nWords) + " " + std::to_string(counts.nLines);
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

// The plain rules, one character at a time: characters found by the boundary search (tested on
// its own against the conformance file), each judged by its code points. No measuring bytes, no
// fast roads.
TextCounts ReferenceCounts(const std::u16string& text, int nCharsPerLine) {
    size_t n = 0;
    while (n < text.size() && text[n] != 0) ++n;
    TextCounts counts = {0, 0, 0};
    bool bInWord = false, bStarted = false;
    int64_t nColumn = 0;
    for (size_t nStart = 0; nStart < n;) {
        size_t nEnd = CharacterBoundaryAtOrAfter(text.data(), n, nStart + 1);
        ++counts.nChars;
        MeasureKind kind = kKindJoiner;
        bool bClassed = false, bEmoji = false;
        for (size_t i = nStart; i < nEnd; ++i) {
            char32_t c = text[i];
            if (c >= 0xD800 && c < 0xDC00 && i + 1 < nEnd && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
                ++i;
            } else if (c >= 0xD800 && c < 0xE000) {
                c = 0xFFFD;
            }
            uint8_t classes = CodePointClasses(c);
            if (c == 0xFE0F || c == 0x20E3) bEmoji = true;
            if (!bClassed && GraphemeOf(classes) != kGraphemePrepend) {
                kind = KindOf(classes);
                bClassed = true;
            }
            if (!bClassed && i == nStart) kind = KindOf(classes);  // prepended marks alone: the first
        }
        nStart = nEnd;
        // Words.
        if (bEmoji) {
            bInWord = false;  // a symbol, whatever it began with
        } else if (kind == kKindLetter) {
            if (!bInWord) ++counts.nWords;
            bInWord = true;
        } else if (kind == kKindIdeograph) {
            ++counts.nWords;
            bInWord = false;
        } else if (kind != kKindJoiner) {
            bInWord = false;
        }
        // Lines.
        if (kind == kKindBreak) {
            nColumn = 0;
            bStarted = false;
        } else if (kind == kKindIgnored || kind == kKindJoiner) {
        } else {
            if (kind != kKindSpace && !bStarted) {
                ++counts.nLines;
                bStarted = true;
            }
            if (++nColumn >= nCharsPerLine) {
                nColumn = 0;
                bStarted = false;
            }
        }
    }
    return counts;
}

TEST(UnicodeMeasure, GraphemeBreakConformance) {
    std::vector<std::string> lines = DataLines("auxiliary/GraphemeBreakTest.txt");
    ASSERT_FALSE(lines.empty()) << "cannot read " TQ_UNICODE_DATA_DIR "/auxiliary/GraphemeBreakTest.txt";
    int nCases = 0;
    for (const std::string& line : lines) {
        if (line.empty() || line[0] == '#') continue;
        std::string marks = line.substr(0, line.find('#'));
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
        ++nCases;
        std::u16string units = ToUtf16(text);
        EXPECT_EQ(nClusters + nCrLf, Utf16Counts(units).nChars) << line;
        EXPECT_EQ(nClusters + nCrLf, Utf8Counts(ToUtf8(text)).nChars) << line;
        // The boundary search finds the same boundaries, CR LF aside.
        size_t nUnit = 0;
        for (size_t i = 0; i < text.size(); ++i) {
            bool bBoundary = breakBefore[i] || (i > 0 && text[i - 1] == 0x0D && text[i] == 0x0A);
            EXPECT_EQ(bBoundary, CharacterBoundaryAtOrBefore(units.data(), units.size(), nUnit) == nUnit)
                << line << " at code point " << i;
            nUnit += text[i] >= 0x10000 ? 2 : 1;
        }
    }
    EXPECT_EQ(602, nCases);
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

// Random text from a palette that reaches every rule: ASCII, CR LF, marks, joiners, emoji
// sequences, regional indicators, Hangul jamo, prepended marks, ideographs, lone surrogates.
std::u16string RandomText(std::mt19937& random, size_t nUnits, bool bAsciiHeavy) {
    static const char32_t kPalette[] = {
        'a', 'Z', '7', ' ', ' ', '.', '\'', ':', ',', '-', '\r', '\n', '\t', 0x7F, 0x0301, 0x0308, 0xFE0F, 0x20E3,
        0x200D, 0x200C, 0x00AD, 0x2060, 0x65E5, 0x306E, 0x30FC, 0x3001, 0x1F44D, 0x1F3FD, 0x1F1FA, 0x1F1F8, 0x1100,
        0x1161, 0x11A8, 0xAC00, 0xAC01, 0x0600, 0x0D4E, 0x0903, 0x2028, 0x0085, 0x00A0, 0x0E20, 0x0414, 0x00E9,
        0x2019, 0x2026, 0xD800, 0xDC00, 0x1F468, 0x2764, 0x0E33, 0x3000, 0x00A9, 0xE0067, 0x1F3F4, 0xE007F};
    std::u16string text;
    std::uniform_int_distribution<size_t> pick(0, sizeof(kPalette) / sizeof(kPalette[0]) - 1);
    std::uniform_int_distribution<int> ascii(1, 0x7F), share(0, 9);
    while (text.size() < nUnits) {
        if (bAsciiHeavy && share(random) < 8) {
            int nRun = share(random) * 7;
            for (int i = 0; i < nRun; ++i) text += static_cast<char16_t>(ascii(random));
            continue;
        }
        text += ToUtf16(CodePoints(1, kPalette[pick(random)]));
    }
    return text;
}

// The code points of UTF-16 units, a lone surrogate kept as it is.
CodePoints CodePointsOf(const std::u16string& units) {
    CodePoints points;
    for (size_t i = 0; i < units.size(); ++i) {
        char32_t c = units[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] < 0xE000)
            c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00);
        points += c;
    }
    return points;
}

TEST(UnicodeMeasure, EveryKernelAsThePlainRules) {
    std::mt19937 random(20261209);
    int nLimits[] = {80, 7, 1, 0};
    for (int nText = 0; nText < 60; ++nText) {
        std::u16string text = RandomText(random, 1 + nText * 37, nText % 2 == 0);
        for (int nLimit : nLimits) {
            TextCounts expected = ReferenceCounts(text, nLimit);
            for (size_t k = 0; k < MeasureKernelCount(); ++k) {
                const MeasureKernel& kernel = MeasureKernelAt(k);
                if (!MeasureKernelRuns(kernel)) continue;
                TextMeasurer measurer(nLimit, kEncodingUtf16LE, kernel);
                measurer.FeedUtf16(text.data(), text.size());
                EXPECT_EQ(Describe(expected), Describe(measurer.Counts()))
                    << kernel.szName << " at " << nLimit << ", text " << nText;
                // The same text in UTF-8 (with its lone surrogates as U+FFFD, as they are read).
                std::string utf8 = ToUtf8(CodePointsOf(text));
                TextMeasurer bytes(nLimit, kEncodingUtf8, kernel);
                bytes.Feed(utf8.data(), utf8.size());
                EXPECT_EQ(Describe(expected), Describe(bytes.Counts()))
                    << kernel.szName << " in UTF-8 at " << nLimit << ", text " << nText;
            }
            std::vector<unsigned char> kept(text.size() + 2);
            size_t nKept;
            EXPECT_EQ(Describe(expected),
                      Describe(MeasureUtf16Keeping(text.data(), text.size(), nLimit, kept.data(), &nKept)));
            EXPECT_EQ(expected.nLines, CountMeasuringLines(kept.data(), nKept, nLimit));
        }
    }
}

TEST(UnicodeMeasure, PiecesCutAnywhereCountAsTheWhole) {
    std::mt19937 random(7);
    for (int nText = 0; nText < 40; ++nText) {
        std::u16string units = RandomText(random, 200 + nText * 13, nText % 3 == 0);
        units.erase(std::remove(units.begin(), units.end(), char16_t(0xDC00)), units.end());
        CodePoints points = CodePointsOf(units);  // the same text, for UTF-8
        std::string forms[] = {ToUtf8(points), Utf16Bytes(units, false), Utf16Bytes(units, true)};
        TextEncoding encodings[] = {kEncodingUtf8, kEncodingUtf16LE, kEncodingUtf16BE};
        TextCounts whole = Utf16Counts(units, 9);
        for (int f = 0; f < 3; ++f) {
            const std::string& bytes = forms[f];
            TextMeasurer oneGo(9, encodings[f]);
            oneGo.Feed(bytes.data(), bytes.size());
            EXPECT_EQ(Describe(whole), Describe(oneGo.Counts())) << "form " << f;
            TextMeasurer pieces(9, encodings[f]);
            std::uniform_int_distribution<size_t> cut(0, 9);
            for (size_t i = 0; i < bytes.size();) {
                size_t nPiece = std::min(cut(random), bytes.size() - i);
                pieces.Feed(bytes.data() + i, nPiece);
                i += nPiece;
            }
            EXPECT_EQ(Describe(whole), Describe(pieces.Counts())) << "form " << f << ", text " << nText;
        }
    }
}

TEST(UnicodeMeasure, AsciiCountsAsTheByteKernels) {
    std::mt19937 random(1252);
    std::uniform_int_distribution<int> ascii(1, 0x7F), length(0, 700);
    for (int nText = 0; nText < 40; ++nText) {
        std::string text;
        for (int i = length(random); i > 0; --i) text += static_cast<char>(nText % 2 ? ascii(random) : " ab.\r\n'-x"[ascii(random) % 9]);
        for (int nLimit : {80, 3, 1, -2}) {
            MeasureState state = {0, 0, 0, false, false};
            kScalarMeasureKernel.pfnWordsAndLines(reinterpret_cast<const unsigned char*>(text.data()), text.size(),
                                                  nLimit, &state);
            TextCounts bytes = {static_cast<int64_t>(text.size()), state.nWords, state.nLines};
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
