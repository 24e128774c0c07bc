// The class bytes themselves: the translation writes only the bytes of the alphabet the kernels
// read, and its fast paths (the ASCII copy, the first-plane fast path, widened UTF-8) write the same bytes,
// take the same units and leave the same state as the scalar reference path alone, byte for byte, on text
// dense in each script, across the fast paths' blocks and the measures' pieces, whole and cut anywhere.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "scalar_reference_translation.h"
#include "unicode_palettes.h"
#include "unicode_test_support.h"

namespace {

// The alphabet as stated here, apart from the code: ASCII but the zero, and the two fillers.
::testing::AssertionResult OnlyAlphabet(const std::string& bytes) {
    for (size_t i = 0; i < bytes.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (!((c >= 0x01 && c <= 0x7F) || c == 0x80 || c == 0xFF))
            return ::testing::AssertionFailure() << "byte " << static_cast<int>(c) << " written at " << i;
    }
    return ::testing::AssertionSuccess();
}

// Cuts for a text of n units: none, or a few, often on or beside the fast paths' blocks (16, 32 and 64
// units, 256 widened) and the measures' pieces (8,192 and 16,384).
std::vector<size_t> Cuts(std::mt19937& random, size_t n, bool bWhole) {
    std::vector<size_t> cuts;
    if (bWhole || n == 0) return cuts;
    static const size_t kEdges[] = {16, 32, 64, 256, 8192, 16384};
    size_t nCuts = 1 + random() % 4, nAt = 0;
    for (size_t i = 0; i < nCuts && nAt < n; ++i) {
        size_t nEdge = kEdges[random() % 6];
        size_t nNext = random() % 2 ? (nAt / nEdge + 1) * nEdge + random() % 3 - 1 : nAt + random() % (n - nAt + 1);
        if (nNext < nAt || nNext > n) nNext = n;
        cuts.push_back(nNext);
        nAt = nNext;
    }
    return cuts;
}

// Fast against scalar reference on one text in one form, whole and cut twice at random; the scalar reference path
// must also read the text alike whole and cut.
void Compare(const std::string& name, TextForm form, const void* pText, size_t n, std::mt19937& random) {
    Translation scalarWhole = Translate(form, pText, n, {}, true);
    for (int nCut = 0; nCut < 3; ++nCut) {
        std::vector<size_t> cuts = Cuts(random, n, nCut == 0);
        Translation scalar = nCut == 0 ? scalarWhole : Translate(form, pText, n, cuts, true);
        Translation fast = Translate(form, pText, n, cuts, false);
        std::string cutText;
        for (size_t nAt : cuts) cutText += " " + std::to_string(nAt);
        std::string difference = TranslationDifference(fast, scalar);
        if (!difference.empty()) {
            ADD_FAILURE() << name << ", " << n << " units, cut at" << cutText << ": " << difference;
            return;
        }
        EXPECT_TRUE(OnlyAlphabet(fast.bytes.back())) << name << ", cut at" << cutText;
        // The scalar reference path writes no filler: none of the fast paths was taken.
        EXPECT_EQ(std::string::npos, scalar.bytes.back().find_first_of("\x80\xFF")) << name << ", cut at" << cutText;
        std::string whole = BytesDifference(scalar.bytes.back(), scalarWhole.bytes.back());
        if (whole.empty()) whole = StateDifference(scalar.states.back(), scalarWhole.states.back());
        EXPECT_EQ("", whole) << name << ": the scalar reference path cut at" << cutText << " against whole";
    }
}

// A text in UTF-16 and UTF-8, and its UTF-8 with a few bytes spoilt.
void CompareForms(const std::string& name, const CodePoints& text, std::mt19937& random) {
    std::u16string units = ToUtf16(text);
    Compare(name + " (UTF-16)", kFormUtf16, units.data(), units.size(), random);
    std::string bytes = ToUtf8(text);
    Compare(name + " (UTF-8)", kFormUtf8, bytes.data(), bytes.size(), random);
    for (size_t nSpoilt = 0; nSpoilt < 1 + bytes.size() / 200 && !bytes.empty(); ++nSpoilt)
        bytes[random() % bytes.size()] = static_cast<char>(0x80 + random() % 0x80);
    Compare(name + " (UTF-8, spoilt)", kFormUtf8, bytes.data(), bytes.size(), random);
}

// Lengths that end on, before and after the blocks' edges, short and long ones, and one past both
// of the measures' pieces.
size_t Length(std::mt19937& random, int nText) {
    static const size_t kEdges[] = {15, 16, 17, 31, 32, 33, 63, 64, 65, 95, 96, 97, 255, 256, 257};
    if (nText < 3) return kEdges[random() % 15];
    if (nText < 5) return 1 + random() % 100;
    if (nText < 7) return 100 + random() % 3000;
    return 16384 + random() % 200;
}

TEST(ClassBytes, FastPathsWriteWhatTheScalarReferencePathWrites) {
    std::mt19937 random(16384);
    for (const Palette& palette : Palettes()) {
        for (int nText = 0; nText < 8; ++nText) {
            CodePoints text;
            size_t nDrawn = 0;
            Draw(palette, random, Length(random, nText), &text, &nDrawn);
            CompareForms(std::string(palette.szName) + " text " + std::to_string(nText), text, random);
        }
    }
    for (int nText = 0; nText < 8; ++nText)
        CompareForms("mixed text " + std::to_string(nText), DrawMixed(random, Length(random, nText)), random);
}

// Code points from anywhere (lone surrogates and U+0000 among them), and any bytes as UTF-8 and as
// Windows-1252, mostly above 0x7F.
TEST(ClassBytes, AnyTextWritesOnlyTheAlphabet) {
    std::mt19937 random(1252);
    for (int nText = 0; nText < 24; ++nText) {
        size_t n = Length(random, nText % 8);
        CodePoints text;
        while (text.size() < n) {
            char32_t c = random() % 4 ? static_cast<char32_t>(random() % 0x110000) : static_cast<char32_t>(random() % 0x3000);
            if (c == 0 && random() % 8) c = 'z';
            text += c;
        }
        CompareForms("any code points " + std::to_string(nText), text, random);
        std::string bytes;
        while (bytes.size() < n) {
            unsigned nKind = random() % 8;
            char c = static_cast<char>(nKind < 4 ? 0x80 + random() % 0x80 : nKind < 6 ? 'a' + random() % 26
                                                                        : nKind < 7 ? ' ' : 1 + random() % 0x7F);
            bytes += c;
        }
        Compare("any bytes " + std::to_string(nText) + " (UTF-8)", kFormUtf8, bytes.data(), bytes.size(), random);
        Compare("any bytes " + std::to_string(nText) + " (Windows-1252)", kFormWindows1252, bytes.data(), bytes.size(),
                random);
    }
}

}  // namespace
