// The characters without line breaks and without spaces, on texts counted by hand, through the
// scalar reference path and through every fast path and kernel, whole, cut and repeated (a long
// text takes the vector copy, the blocks of the first-plane fast path and the kernels' blocks).
#include <gtest/gtest.h>

#include <string>

#include "documents/counting_sink.h"
#include "measure/measure_kernels.h"
#include "measure/text_measure.h"
#include "scalar_reference_translation.h"

namespace {

struct Expected {
    int64_t nChars, nNoBreaks, nNoSpaces;
};

std::string Describe(int64_t nChars, int64_t nNoBreaks, int64_t nNoSpaces) {
    return std::to_string(nChars) + " characters, " + std::to_string(nNoBreaks) + " without breaks, " +
           std::to_string(nNoSpaces) + " without spaces";
}

std::string Describe(const TextCounts& c) { return Describe(c.nChars, c.nCharsNoBreaks, c.nCharsNoSpaces); }

// The scalar reference path's translation, counted by the plain byte loop.
std::string ScalarReferenceCounts(TextForm form, const void* pText, size_t nUnits) {
    Translation t = Translate(form, pText, nUnits, {}, true);
    const CharacterState& s = t.states.back();
    const std::string& bytes = t.bytes.back();
    MeasureState state = {0, 0, 0, false, false, 0, 0};
    kScalarMeasureKernel.pfnWordsAndLines(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), 80,
                                          &state);
    return Describe(s.nChars, s.nChars - state.nBreaks, s.nChars - state.nSpaces + s.nSpacesJoined);
}

// bytes in the encoding (UTF-16 in little-endian order); repeated 100 times, every count is 100 times.
void ExpectCounts(const std::string& bytes, TextEncoding encoding, const Expected& once) {
    std::string repeated;
    for (int i = 0; i < 100; ++i) repeated += bytes;
    for (int nTimes : {1, 100}) {
        const std::string& text = nTimes == 1 ? bytes : repeated;
        std::string expected = Describe(once.nChars * nTimes, once.nNoBreaks * nTimes, once.nNoSpaces * nTimes);
        TextForm form = encoding == kEncodingUtf8 ? kFormUtf8 : encoding == kEncodingWindows1252 ? kFormWindows1252 : kFormUtf16;
        std::u16string units;
        for (size_t i = 0; form == kFormUtf16 && i + 1 < text.size(); i += 2)
            units += static_cast<char16_t>(static_cast<unsigned char>(text[i]) | static_cast<unsigned char>(text[i + 1]) << 8);
        const void* pText = form == kFormUtf16 ? static_cast<const void*>(units.data()) : text.data();
        size_t nUnits = form == kFormUtf16 ? units.size() : text.size();
        EXPECT_EQ(expected, ScalarReferenceCounts(form, pText, nUnits)) << "scalar reference path, " << nTimes << " times";
        for (size_t k = 0; k < MeasureKernelCount(); ++k) {
            const MeasureKernel& kernel = MeasureKernelAt(k);
            if (!MeasureKernelRuns(kernel)) continue;
            for (size_t nCut : {size_t(0), text.size() / 2 + 1}) {
                TextMeasurer measurer(80, encoding, kernel);
                measurer.Feed(text.data(), nCut);
                measurer.Feed(text.data() + nCut, text.size() - nCut);
                EXPECT_EQ(expected, Describe(measurer.Finish()))
                    << "kernel " << kernel.szName << ", cut at byte " << nCut << ", " << nTimes << " times";
            }
        }
    }
}

std::string Utf16Bytes(const std::u16string& units) {
    std::string bytes;
    for (char16_t u : units) {
        bytes += static_cast<char>(u & 0xFF);
        bytes += static_cast<char>(u >> 8);
    }
    return bytes;
}

// Paragraphs ended by CR LF and by LF, a tab, a no-break and an ideographic space, an emoji with a
// skin tone (one character), and a last line without a break:
//   "Ab\tc d\r\n"    A b TAB c SP d CR LF   8 characters, 2 breaks, 4 white space (TAB SP CR LF)
//   "e NBSP f IDSP g\n"                     6 characters, 1 break,  3 white space (NBSP IDSP LF)
//   "THUMBS-UP+TONE SP h"                   3 characters, 0 breaks, 1 white space (SP)
// 17 characters; 17 - 3 = 14 without breaks; 17 - 8 = 9 without spaces (A b c d e f g emoji h).
const Expected kParagraphs = {17, 14, 9};
const char16_t kParagraphsText[] = u"Ab\tc d\r\ne\u00A0f\u3000g\n\U0001F44D\U0001F3FD h";

TEST(CharacterCounts, ParagraphsTabsSpacesAndEmojiInUtf8AndUtf16) {
    std::u16string units(kParagraphsText);
    ExpectCounts(u8"Ab\tc d\r\ne\u00A0f\u3000g\n\U0001F44D\U0001F3FD h", kEncodingUtf8, kParagraphs);
    ExpectCounts(Utf16Bytes(units), kEncodingUtf16LE, kParagraphs);
}

// "Ab\tc d\r\n"            8 characters, 2 breaks, 4 white space (TAB SP CR LF)
// "e NBSP f ELLIPSIS \n"   5 characters (0x85 is the ellipsis here), 1 break, 2 white space (NBSP LF)
// "g h"                    3 characters, 0 breaks, 1 white space
// 16 characters; 16 - 3 = 13 without breaks; 16 - 7 = 9 without spaces.
TEST(CharacterCounts, ParagraphsTabsAndNoBreakSpaceInWindows1252) {
    ExpectCounts("Ab\tc d\r\ne\xA0" "f\x85\ng h", kEncodingWindows1252, {16, 13, 9});
}

// Only what ends a line is a line break: the line and paragraph separators and NEL are, a vertical
// tab and a form feed are not, though all are white space:
//   a LS b VT c FF d NEL   8 characters, 2 breaks (LS NEL), 4 white space (LS VT FF NEL)
// 8 - 2 = 6 without breaks; 8 - 4 = 4 without spaces.
TEST(CharacterCounts, SeparatorsBreakLinesAndVerticalTabsDoNot) {
    std::u16string units = u"a\u2028b\u000Bc\u000Cd\u0085";
    ExpectCounts(u8"a\u2028b\u000Bc\u000Cd\u0085", kEncodingUtf8, {8, 6, 4});
    ExpectCounts(Utf16Bytes(units), kEncodingUtf16LE, {8, 6, 4});
}

// A space that a combining mark joins is one character that is not all white space, after a run
// of ASCII and after an ideographic space alike:
//   16 letters, SP+ACUTE, q, IDSP+ACUTE, r   20 characters, no break, no character all white space
TEST(CharacterCounts, SpaceWithAMarkIsCounted) {
    std::u16string units = u"abcdefghijklmnop \u0301q\u3000\u0301r";
    ExpectCounts(u8"abcdefghijklmnop \u0301q\u3000\u0301r", kEncodingUtf8, {20, 20, 20});
    ExpectCounts(Utf16Bytes(units), kEncodingUtf16LE, {20, 20, 20});
}

// A document's repeated parts multiply the new counts as they do the others:
//   "a b\r\n"                     5 characters, 3 without breaks (CR LF), 2 without spaces
//   3 times [ "c\td\n"              4, 3, 2
//             2 times [ "e f" ] ]   3, 3, 2 each time
// 5 + 3 * (4 + 2 * 3) = 35 characters; 3 + 3 * (3 + 2 * 3) = 30; 2 + 3 * (2 + 2 * 2) = 20.
TEST(CharacterCounts, RepeatsInADocumentMultiply) {
    CountingSink sink(80);
    sink.Put("a b\r\n", 5);
    sink.BeginRepeat(3);
    sink.Put("c\td\n", 4);
    sink.BeginRepeat(2);
    sink.Put("e f", 3);
    sink.EndRepeat();
    sink.EndRepeat();
    EXPECT_EQ(Describe(35, 30, 20), Describe(sink.Finish()));
}

}  // namespace
