#include "documents/subtitle_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class StringSink : public TextSink {
public:
    void Put(const char* pUtf8, size_t cbUtf8) override { text.append(pUtf8, cbUtf8); }
    std::string text;
};

std::string SubtitleText(const std::string& file, SubtitleKind kind, int nFallbackCodePage = 0) {
    StringSink sink;
    DocumentText text(&sink);
    bool bRead = ReadSubtitleText(reinterpret_cast<const unsigned char*>(file.data()), file.size(), kind,
                                  nFallbackCodePage, &text);
    return bRead ? sink.text : "!" + std::string(text.Refusal() ? text.Refusal() : "refused without a reason");
}

struct SubtitleCase {
    const char* szWhat;
    SubtitleKind kind;
    const char* szFile;
    const char* szText;
};

TEST(SubtitleText, SrtKeepsOnlyTheCueLines) {
    const SubtitleCase kCases[] = {
        {"numbers, times and tags", SubtitleKind::kSrt,
         "1\r\n00:00:01,000 --> 00:00:02,000\r\n<i>Hello</i> {\\an8}there\r\nsecond <font color=\"#fff\">line</font>\r\n"
         "\r\n\r\n2\r\n00:00:03,000 --> 00:00:04,000 X1:10 X2:20 Y1:5 Y2:9\r\n<b>A</b> &amp; <u>B</u> < C {not a block}\r\n",
         "Hello there\r\nsecond line\r\nA &amp; B < C {not a block}\r\n"},
        {"LF, lone CR, no number, no blank line before a number, no final newline", SubtitleKind::kSrt,
         "\n\n00:00:05,000 --> 00:00:06,000\rno number\r3\n00:00:07,000 --> 00:00:08,000\nlast\n42 apples",
         "no number\r\nlast\r\n42 apples\r\n"},
        {"lines of tags alone, and a block without times", SubtitleKind::kSrt,
         "stray line\n\n1\n00:00:01,000 --> 00:00:02,000\n{\\i1}<i>\nx</i>{\\i0}\n", "x\r\n"},
        {"angle brackets around anything but a player's tag are text", SubtitleKind::kSrt,
         "1\n00:00:01,000 --> 00:00:02,000\n<sound of rain> <I>a</I> <S>b</s> <FONT face=x>c</Font> <br> <i >d <font\n",
         "<sound of rain> a b c <br> <i >d <font\r\n"},
        {"blank lines of spaces end a cue", SubtitleKind::kSrt, "1\n0:00:01,0 --> 0:00:02,0\na\n  \nb\n", "a\r\n"},
    };
    for (const SubtitleCase& c : kCases)
        EXPECT_EQ(c.szText, SubtitleText(c.szFile, c.kind)) << c.szWhat << ", file: " << c.szFile;
}

TEST(SubtitleText, VttSkipsTheHeaderNotesStylesRegionsAndIdentifiers) {
    const SubtitleCase kCases[] = {
        {"every block that is not a cue", SubtitleKind::kVtt,
         "WEBVTT - title\nKind: captions\n\nNOTE a comment\nspanning lines\n\nSTYLE\n::cue { color: red }\n\n"
         "REGION\nid:r1\n\nintro\n00:00:01.000 --> 00:00:02.000 align:start line:0\n"
         "<v Roger>Hi <c.loud>there</c> &amp; &lt;you&gt;&nbsp;<00:00:01.500>now\n<lang en>&lrm;ok&#33;</lang>\n\n"
         "00:03.000 --> 00:04.000\n<ruby>\xE6\xBC\xA2<rt>\xE3\x81\x8B\xE3\x82\x93</rt></ruby>\xE5\xAD\x97 &rlm;&bogus;\n",
         "Hi there & <you>\xC2\xA0now\r\n\xE2\x80\x8Eok!\r\n\xE6\xBC\xA2\xE3\x81\x8B\xE3\x82\x93\xE5\xAD\x97 \xE2\x80\x8F&bogus;\r\n"},
        {"a header without its blank line, a NOTE word inside a cue", SubtitleKind::kVtt,
         "WEBVTT\n00:01.000 --> 00:02.000\nNOTE this\n1\n\nNOTES\n00:03.000 --> 00:04.000\nb\n", "NOTE this\r\n1\r\nb\r\n"},
    };
    for (const SubtitleCase& c : kCases)
        EXPECT_EQ(c.szText, SubtitleText(c.szFile, c.kind)) << c.szWhat << ", file: " << c.szFile;
}

TEST(SubtitleText, ReadsTheMarkThenTheFallbackThenTheTextFileRule) {
    std::string utf16 = "\xFF\xFE";
    for (char c : std::string("1\r\n00:00:01,000 --> 00:00:02,000\r\n\xE9\r\n")) utf16 += std::string{c, '\0'};
    EXPECT_EQ("\xC3\xA9\r\n", SubtitleText(utf16, SubtitleKind::kSrt)) << "UTF-16LE with its mark";
    std::string cp1251 = "1\n00:00:01,000 --> 00:00:02,000\n\xCF\xF0\xE8\n";
    EXPECT_EQ("\xD0\x9F\xD1\x80\xD0\xB8\r\n", SubtitleText(cp1251, SubtitleKind::kSrt, 1251)) << "fallback 1251";
    EXPECT_EQ("\xC3\x8F\xC3\xB0\xC3\xA8\r\n", SubtitleText(cp1251, SubtitleKind::kSrt)) << "text-file rule: 1252";
    EXPECT_EQ("\xC3\xA9\r\n", SubtitleText("\xEF\xBB\xBFWEBVTT\n\n00:01.000 --> 00:02.000\n\xC3\xA9", SubtitleKind::kVtt))
        << "UTF-8 with its mark";
}

}  // namespace
