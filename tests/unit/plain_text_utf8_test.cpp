#include "documents/plain_text_utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class StringSink : public TextSink {
public:
    void Put(const char* p, size_t n) override { text.append(p, n); }
    std::string text;
};

// The UTF-8 of bytes fed in two pieces, cut at nCut.
std::string Shown(const std::string& bytes, TextFileEncoding encoding, size_t nCut) {
    StringSink sink;
    PlainTextUtf8 shown(&sink, encoding);
    shown.Feed(bytes.data(), nCut);
    shown.Feed(bytes.data() + nCut, bytes.size() - nCut);
    shown.Finish();
    return sink.text;
}

struct Case {
    TextFileEncoding encoding;
    std::string bytes;
    std::string expected;
};

TEST(PlainTextUtf8, EveryEncodingReadsTheSameCutAnywhere) {
    const Case cases[] = {
        {kTextUtf8, "a\xC3\xA9\xF0\x9F\x98\x80\r\n", "a\xC3\xA9\xF0\x9F\x98\x80\r\n"},
        // A maximal subpart is one U+FFFD, also when the input ends inside it.
        {kTextUtf8, "a\xE2\x82" "b\xF0\x9F", "a\xEF\xBF\xBD" "b\xEF\xBF\xBD"},
        {kTextUtf16LE, std::string("a\0=\xD8\0\xDE\x3D\xD8x", 9), "a\xF0\x9F\x98\x80\xEF\xBF\xBD\xEF\xBF\xBD"},
        {kTextUtf16BE, std::string("\0a\xDE\0\0b", 6), "a\xEF\xBF\xBD" "b"},
        {kTextUtf32LE, std::string("\x00\xF6\x01\x00\x00\x00\x11\x00z", 9), "\xF0\x9F\x98\x80\xEF\xBF\xBD\xEF\xBF\xBD"},
        {kTextUtf32BE, std::string("\0\0\0a\0\0\xD8\0", 8), "a\xEF\xBF\xBD"},
        {kTextWindows1252, "caf\xE9 \x80\x81", "caf\xC3\xA9 \xE2\x82\xAC\xC2\x81"},
        // The text ends at its first U+0000.
        {kTextUtf8, std::string("one\0two", 7), "one"},
        {kTextUtf16LE, std::string("o\0\0\0t\0", 6), "o"},
    };
    for (const Case& c : cases) {
        for (size_t nCut = 0; nCut <= c.bytes.size(); ++nCut) {
            EXPECT_EQ(c.expected, Shown(c.bytes, c.encoding, nCut)) << "encoding " << c.encoding << ", cut at " << nCut;
        }
    }
}

}  // namespace
