#include "measure/text_file.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Decided(const std::string& first, TextFileEncoding forced = kTextDetected) {
    static const char* const kNames[] = {"detected", "utf-8",  "utf-16le",     "utf-16be",
                                         "utf-32le", "utf-32be", "windows-1252", "ansi"};
    size_t nMark = 99;
    TextFileEncoding encoding = DecideTextFileEncoding(first.data(), first.size(), forced, &nMark);
    return std::string(kNames[encoding]) + "+" + std::to_string(nMark);
}

TEST(TextFile, TheMarkDecidesThenTheFirst64KbAreUtf8OrNot) {
    EXPECT_EQ("utf-8+3", Decided("\xEF\xBB\xBFtext"));
    EXPECT_EQ("utf-16le+2", Decided(std::string("\xFF\xFEt\0", 4)));
    EXPECT_EQ("utf-16be+2", Decided(std::string("\xFE\xFF\0t", 4)));
    EXPECT_EQ("utf-32le+4", Decided(std::string("\xFF\xFE\0\0t\0\0\0", 8)));
    EXPECT_EQ("utf-32be+4", Decided(std::string("\0\0\xFE\xFF\0\0\0t", 8)));
    EXPECT_EQ("utf-8+0", Decided("plain ASCII"));
    EXPECT_EQ("utf-8+0", Decided("caf\xC3\xA9"));
    EXPECT_EQ("ansi+0", Decided("caf\xE9"));
    EXPECT_EQ("ansi+0", Decided("\xC0\xAF overlong"));
    EXPECT_EQ("utf-8+0", Decided(std::string("ok\0\xFF after the end", 19))) << "the text ends at its zero byte";
    // A sequence cut at the 64 KB edge is UTF-8 when more follows, and not when the text ends there.
    std::string edge(kTextDecidingBytes - 1, 'a');
    EXPECT_EQ("utf-8+0", Decided(edge + "\xC3\xA9 more"));
    EXPECT_EQ("ansi+0", Decided(edge + "\xC3"));
    // A forced encoding skips its own mark only: another's is text.
    EXPECT_EQ("utf-16le+2", Decided("\xFF\xFEt", kTextUtf16LE));
    EXPECT_EQ("utf-8+0", Decided(std::string("\xFF\xFE\0\0", 4), kTextUtf8));
    EXPECT_EQ("windows-1252+0", Decided("\xEF\xBB\xBFx", kTextWindows1252));
}

TEST(TextFile, Utf32IsMeasuredInPiecesCutAnywhere) {
    // "a😀 b" then U+110000 (none) and a surrogate (none): each of the two is U+FFFD.
    std::string little("a\0\0\0\x00\xF6\x01\0 \0\0\0b\0\0\0\0\0\x11\0\0\xD8\0\0", 24);
    for (size_t nCut = 0; nCut <= little.size(); ++nCut) {
        TextMeasurer measurer(80, kEncodingUtf8);
        Utf32Feeder utf32(false);
        utf32.Feed(&measurer, little.data(), nCut);
        utf32.Feed(&measurer, little.data() + nCut, little.size() - nCut);
        utf32.Finish(&measurer);
        TextCounts counts = measurer.Counts();
        EXPECT_EQ(6, counts.nChars) << "cut at " << nCut;
        EXPECT_EQ(2, counts.nWords) << "cut at " << nCut;
    }
    // An unfinished last unit is one U+FFFD; U+0000 ends the text.
    TextMeasurer measurer(80, kEncodingUtf8);
    Utf32Feeder utf32(true);
    std::string big("\0\0\0x\0\0\0\0\0\0\0y", 12);
    utf32.Feed(&measurer, big.data(), big.size());
    utf32.Finish(&measurer);
    EXPECT_EQ(1, measurer.Counts().nChars) << "the text ends at U+0000";
    TextMeasurer cut(80, kEncodingUtf8);
    Utf32Feeder cutFeeder(true);
    cutFeeder.Feed(&cut, "\0\0\0x\0\0", 6);
    cutFeeder.Finish(&cut);
    EXPECT_EQ(2, cut.Counts().nChars) << "x and U+FFFD for the cut unit";
}

}  // namespace
