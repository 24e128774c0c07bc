// The system's converter under its contract: natively iconv, under Wine MultiByteToWideChar, so
// the same cases hold both to the same text.
#include "app/system_code_pages.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The UTF-8 of the bytes in the code page, or "missing" / "memory".
std::string Converted(int nCodePage, const std::string& bytes) {
    SystemCodePages converter;
    GrowingArray<char> out;
    Conversion result =
        converter.ToUtf8(nCodePage, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), &out);
    if (result == Conversion::kMissingCodePage) return "missing";
    if (result == Conversion::kOutOfMemory) return "memory";
    return std::string(out.Size() > 0 ? out.Data() : "", out.Size());
}

}  // namespace

TEST(CodePageConverter, EachUnmappedSequenceIsOneReplacementCharacter) {
    // Shift-JIS, GBK, Big5, Korean, KOI8-R, DOS Cyrillic and ISO 8859-7: written from their
    // standards' tables by hand.
    EXPECT_EQ("\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E", Converted(932, "\x93\xFA\x96\x7B\x8C\xEA")) << "932";
    EXPECT_EQ("\xE4\xB8\xAD\xE6\x96\x87", Converted(936, "\xD6\xD0\xCE\xC4")) << "936";
    EXPECT_EQ("\xE4\xB8\xAD\xE6\x96\x87", Converted(950, "\xA4\xA4\xA4\xE5")) << "950";
    EXPECT_EQ("\xED\x95\x9C\xEA\xB5\xAD", Converted(949, "\xC7\xD1\xB1\xB9")) << "949";
    EXPECT_EQ("\xD0\x9F\xD1\x80\xD0\xB8", Converted(20866, "\xF0\xD2\xC9")) << "KOI8-R";
    EXPECT_EQ("\xD0\x9F\xD1\x80\xD0\xB8", Converted(866, "\x8F\xE0\xA8")) << "866";
    EXPECT_EQ("\xCE\x9A\xCE\xB1", Converted(28597, "\xCA\xE1")) << "ISO 8859-7";
    // A lead byte whose next byte is no trail byte is one U+FFFD, and the next byte is read on
    // its own; a lead byte the text's end cuts is one too. Long texts go in pieces: a pair across
    // a piece's edge is read whole.
    EXPECT_EQ("a\xEF\xBF\xBD b\xE6\x97\xA5\xEF\xBF\xBD", Converted(932, "a\x81 b\x93\xFA\x93")) << "932, damaged";
    std::string many;
    std::string expected;
    for (int i = 0; i < 20000; ++i) {
        many += i % 7 == 0 ? "x" : "\x93\xFA";
        expected += i % 7 == 0 ? "x" : "\xE6\x97\xA5";
    }
    EXPECT_EQ(expected, Converted(932, many)) << "pairs across the pieces' edges";
    EXPECT_EQ("missing", Converted(12345, "abc")) << "a code page no system has";
}
