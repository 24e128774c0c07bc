// UTF-8 on the first-plane fast path at each kernel's level (widened for the plain and SSE2 kernels,
// classified as it stands by SSSE3 and AVX2): every level writes the scalar reference path's class
// bytes, takes its bytes and leaves its state, byte for byte, on every palette's text whole, spoilt,
// and cut at every edge of the 16- and 32-byte blocks and of the measures' pieces; and on the
// sequences that the blocks' edges and tests cut in awkward places. Levels this processor cannot run
// are skipped, with a note.
#include <gtest/gtest.h>

#include <string.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "measure/first_plane_fast_path.h"
#include "measure/measure_kernels.h"
#include "measure/utf8_fast_path.h"
#include "scalar_reference_translation.h"
#include "unicode_palettes.h"
#include "unicode_test_support.h"

namespace {

// The kernels this processor runs; those it does not are noted once.
std::vector<const MeasureKernel*> RunnableKernels() {
    std::vector<const MeasureKernel*> kernels;
    for (size_t k = 0; k < MeasureKernelCount(); ++k) {
        const MeasureKernel& kernel = MeasureKernelAt(k);
        if (MeasureKernelRuns(kernel)) {
            kernels.push_back(&kernel);
        } else {
            printf("note: this processor cannot run the %s kernel: its UTF-8 fast path is not tested here\n",
                   kernel.szName);
        }
    }
    return kernels;
}

// The first difference from the scalar reference path, cut at the cuts, with the kernel's fast paths.
std::string DifferenceAt(const std::string& bytes, const std::vector<size_t>& cuts, const MeasureKernel& kernel) {
    Translation scalar = Translate(kFormUtf8, bytes.data(), bytes.size(), cuts, true);
    Translation fast = Translate(kFormUtf8, bytes.data(), bytes.size(), cuts, false, &kernel);
    return TranslationDifference(fast, scalar);
}

// Cut once at each edge of a block of 16 or 32 bytes (and a byte to either side) up to nBlocks
// bytes, and at the measures' pieces of 8,192 and 16,384 units; and whole.
std::vector<std::vector<size_t>> EdgeCuts(size_t n, size_t nBlocks) {
    std::vector<std::vector<size_t>> cuts = {{}};
    for (size_t nEdge = 16; nEdge <= n + 1 && nEdge <= nBlocks; nEdge += 16) {
        for (size_t nAt = nEdge - 1; nAt <= nEdge + 1; ++nAt) {
            if (nAt <= n) cuts.push_back({nAt});
        }
    }
    for (size_t nPiece : {size_t(8192), size_t(16384)}) {
        for (size_t nAt = nPiece - 2; nAt <= nPiece + 2; ++nAt) {
            if (nAt <= n) cuts.push_back({nAt});
        }
    }
    return cuts;
}

TEST(Utf8Classify, EveryLevelOnEveryPaletteCutAtEveryEdge) {
    const std::vector<const MeasureKernel*> kernels = RunnableKernels();
    std::mt19937 random(32);
    std::vector<std::pair<std::string, std::string>> texts;
    for (const Palette& palette : Palettes()) {
        for (size_t nUnits : {size_t(300), size_t(8200)}) {
            CodePoints text;
            size_t nDrawn = 0;
            Draw(palette, random, nUnits, &text, &nDrawn);
            std::string bytes = ToUtf8(text);
            texts.push_back({std::string(palette.szName) + " " + std::to_string(bytes.size()) + " bytes", bytes});
            for (size_t nSpoilt = 0; nSpoilt < 1 + bytes.size() / 100; ++nSpoilt)
                bytes[random() % bytes.size()] = static_cast<char>(0x80 + random() % 0x80);
            texts.push_back({std::string(palette.szName) + " " + std::to_string(bytes.size()) + " bytes, spoilt", bytes});
        }
    }
    texts.push_back({"mixed", ToUtf8(DrawMixed(random, 3000))});
    for (const auto& text : texts) {
        // Every block's edge in the short texts; the long ones are for the pieces' edges.
        for (const std::vector<size_t>& cuts : EdgeCuts(text.second.size(), text.second.size() < 4096 ? 4096 : 64)) {
            for (const MeasureKernel* pKernel : kernels) {
                std::string difference = DifferenceAt(text.second, cuts, *pKernel);
                if (difference.empty()) continue;
                ADD_FAILURE() << text.first << ", kernel " << pKernel->szName << ", cut at "
                              << (cuts.empty() ? std::string("nothing") : std::to_string(cuts[0])) << ": " << difference;
                return;
            }
        }
    }
}

// Sequences set at every offset across two blocks, after text of each kind the fast path may hold
// open (a letter, a space, an ideograph, a control), with and without a cut before them.
TEST(Utf8Classify, AwkwardSequencesAtEveryOffset) {
    const std::vector<const MeasureKernel*> kernels = RunnableKernels();
    const char* const kSequences[] = {
        "\xDE\xE0\xA5\x81",                     // a first byte of two before a first byte of three: ill-formed
        "\xE0\x80\x80",                         // overlong
        "\xED\xA0\x80",                         // a surrogate
        "\xC0\xAF\xC1\xBF",                     // first bytes that begin nothing
        "\xE4\xB8",                             // cut short, then ASCII
        "\x80\xBF",                             // continuation bytes alone
        "\xF0\x9F\x98\x80",                     // four bytes: the scalar reference path's
        "\xF4\x90\x80\x80",                     // past U+10FFFF
        "a\x00\xD0\xB0",                        // U+0000 ends the text
        " \xCC\x81",                            // a mark after a space
        "\r\n\xCC\x81\xCC\x81",                 // marks after a break
        "\xE4\xB8\xAD\xCC\x81\xE3\x80\x82",     // an ideograph, a mark, a full stop
        "\xD0\xB0\xE2\x80\x8D\xD0\xB1",         // a joiner between letters
        "\xEF\xB8\x8F\xE2\x83\xA3",             // emoji marks
        "\xE0\xA4\x95\xE0\xA5\x8D\xE0\xA4\xB7\xE0\xA4\xBF\xE0\xA4\x82",  // marks in a row
        "\xD8\x80\xD9\xA1",                     // a prepended mark
        "\xE1\x84\x80\xE1\x85\xA1",             // Hangul jamo
        "\xC2\xA0\xCC\x81\xE3\x80\x80",         // spaces of other scripts, a mark after one
        "\xC2\x85\xE2\x80\xA8",                 // breaks of other scripts
        "don't 3.5: e\xCC\x81t\xC3\xA9",        // word punctuation and a decomposed letter
    };
    const char* const kBefore[] = {"word ", "word", "\xE6\x97\xA5", "\x01", " "};
    for (const char* szSequence : kSequences) {
        std::string sequence(szSequence, szSequence[0] == 'a' ? 4 : strlen(szSequence));
        for (const char* szBefore : kBefore) {
            for (size_t nOffset = 0; nOffset < 70; ++nOffset) {
                std::string text;
                while (text.size() < nOffset) text += "\xD0\xB0";  // Cyrillic letters, two bytes each
                text = szBefore + text.substr(0, nOffset - nOffset % 2) + (nOffset % 2 ? "z" : "") + sequence +
                       " \xD0\xB1\xD0\xB2 \xE4\xB8\xAD and more letters after it";
                for (const MeasureKernel* pKernel : kernels) {
                    for (size_t nCut : {size_t(0), text.size() / 2, strlen(szBefore) + nOffset + 1}) {
                        std::vector<size_t> cuts;
                        if (nCut != 0 && nCut < text.size()) cuts.push_back(nCut);
                        std::string difference = DifferenceAt(text, cuts, *pKernel);
                        if (difference.empty()) continue;
                        std::string shown;
                        for (unsigned char c : sequence) shown += " " + std::to_string(c);
                        ADD_FAILURE() << "bytes" << shown << " at " << nOffset << " after \"" << szBefore << "\", kernel "
                                      << pKernel->szName << ", cut at " << nCut << ": " << difference;
                        return;
                    }
                }
            }
        }
    }
}

// The ranges whose code points share one code are what the table says: the first bytes of two
// that hold letters only, marks only or both, and the unified ideographs.
TEST(Utf8Classify, UniformRangesAreTheTablesOwn) {
    const FirstPlaneRanges& ranges = FirstPlaneUniformRanges();
    EXPECT_EQ('a', ranges.lead2[0xD0 - 0xC0]) << "D0, Cyrillic letters U+0400..043F";
    EXPECT_EQ('a', ranges.lead2[0xD1 - 0xC0]) << "D1, Cyrillic letters U+0440..047F";
    EXPECT_EQ(kFastFiller, ranges.lead2[0xD2 - 0xC0]) << "D2, Cyrillic letters and marks from U+0483";
    EXPECT_EQ(kFastExtends, ranges.lead2[0xCC - 0xC0]) << "CC, combining marks U+0300..033F";
    EXPECT_EQ(kFastFiller, ranges.lead2[0xC3 - 0xC0]) << "C3, Latin letters with U+00D7 and U+00F7";
    EXPECT_EQ(kFastFiller, ranges.lead2[0xD8 - 0xC0]) << "D8, Arabic's prepended marks, marks and letters";
    EXPECT_EQ(0x4E, ranges.nIdeographsFirst) << "the ideographs' first byte of code point";
    EXPECT_EQ(0x9F, ranges.nIdeographsLast) << "the ideographs' last byte of code point";
    const uint8_t* pCodes = FirstPlaneCodes();
    for (unsigned nLead = 0; nLead < 32; ++nLead) {
        if (ranges.lead2[nLead] == kFastFiller) continue;
        for (unsigned k = 0; k < 64; ++k) {
            if (pCodes[(nLead << 6) | k] != ranges.lead2[nLead]) {
                ADD_FAILURE() << "U+" << std::hex << ((nLead << 6) | k) << " has code " << unsigned(pCodes[(nLead << 6) | k])
                              << ", its first byte's range " << unsigned(ranges.lead2[nLead]);
                break;
            }
        }
    }
}

// The edges of the ranges whose codes are taken without the table, and the code points just
// outside them, among code points that the table gives: few in a block and many, at every offset.
TEST(Utf8Classify, UniformRangesAtTheirEdges) {
    const std::vector<const MeasureKernel*> kernels = RunnableKernels();
    CodePoints edges;
    for (char32_t nLead = 2; nLead < 32; ++nLead) edges += {nLead << 6, (nLead << 6) | 0x21, (nLead << 6) | 0x3F};
    edges += {0x3400, 0x4DBF, 0x4DC0, 0x4DFF, 0x4E00, 0x4E01, 0x9FFF, 0xA000, 0x0483, 0x0489, 0x00D7, 0x00F7};
    const CodePoints kBetween[] = {U"", U"\u0644", U"\u0915\u093F", U" ", U"\u0430\u0431"};
    std::mt19937 random(7);
    for (const CodePoints& between : kBetween) {
        for (size_t nOffset = 0; nOffset < 40; ++nOffset) {
            CodePoints text(nOffset, U'x');
            for (char32_t c : edges) text += between + c;
            std::shuffle(edges.begin(), edges.end(), random);
            std::string bytes = ToUtf8(text);
            for (const MeasureKernel* pKernel : kernels) {
                std::string difference = DifferenceAt(bytes, {}, *pKernel);
                if (difference.empty()) continue;
                ADD_FAILURE() << "edges after " << nOffset << " letters, " << between.size() << " between, kernel "
                              << pKernel->szName << ": " << difference;
                return;
            }
        }
    }
}

// The levels are what they say: SSSE3 and AVX2 classify UTF-8 as it stands, the plain and SSE2
// kernels widen it.
// A run that begins with enough sequences of three alone is widened, one shorter is classified:
// runs of ideographs and CJK punctuation about that length, then marks, letters and spaces, at each
// offset, match the scalar reference path at every level.
TEST(Utf8Classify, RunsOfThreeByteSequencesAboutTheWidenedLength) {
    const std::vector<const MeasureKernel*> kernels = RunnableKernels();
    const CodePoints kAfter[] = {U" a", U"\u0301\u4E00 ", U"\u0430\u0301", U"\U0001F600", U"\u3002\n", U"\u00E9"};
    const char32_t kThreeByte[] = {0x4E00, 0x9FFF, 0x3001, 0x3002, 0xFF0C, 0x201C, 0x3042, 0xAC00, 0x0915};
    for (size_t nRun = 26; nRun <= 35; ++nRun) {
        for (const CodePoints& after : kAfter) {
            for (size_t nOffset = 0; nOffset < 3; ++nOffset) {
                CodePoints text(nOffset, U'x');
                for (int nRepeat = 0; nRepeat < 3; ++nRepeat) {
                    for (size_t k = 0; k < nRun; ++k) text += kThreeByte[(k * 7 + nRepeat) % 9];
                    text += after;
                }
                std::string bytes = ToUtf8(text);
                for (const MeasureKernel* pKernel : kernels) {
                    std::string difference = DifferenceAt(bytes, {}, *pKernel);
                    if (difference.empty()) continue;
                    ADD_FAILURE() << nRun << " sequences of three after " << nOffset << " letters, kernel "
                                  << pKernel->szName << ": " << difference;
                    return;
                }
            }
        }
    }
}

TEST(Utf8Classify, EachLevelTakesItsOwnFastPath) {
    EXPECT_EQ(&RunFastUtf8, kScalarMeasureKernel.pfnUtf8FastPath) << "the plain kernel widens";
#if defined(TQ_X86_MEASURE_KERNELS)
    EXPECT_EQ(&RunFastUtf8, kSse2MeasureKernel.pfnUtf8FastPath) << "SSE2 widens";
    EXPECT_EQ(&ClassifyUtf8Ssse3, kSsse3MeasureKernel.pfnUtf8FastPath) << "SSSE3 classifies";
    EXPECT_EQ(&ClassifyUtf8Avx2, kAvx2MeasureKernel.pfnUtf8FastPath) << "AVX2 classifies";
    EXPECT_EQ(&ClassifyUtf8Avx2, kAvx2NoPdepMeasureKernel.pfnUtf8FastPath) << "AVX2 without pdep classifies";
    EXPECT_EQ(&kSsse3MeasureKernel, FindMeasureKernel("ssse3")) << "the SSSE3 level is in the table";
#endif
}

}  // namespace
