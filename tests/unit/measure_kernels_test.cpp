// Every kernel against the plain byte loop: random bytes and random texts, limits from -1 to 200
// (and the edges of the vector blocks), cut into random pieces so that words, lines and the column
// cross from one piece to the next. Kernels this processor cannot run are skipped, with a note.
#include "measure/measure_kernels.h"

#include <gtest/gtest.h>
#include <string.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "measure/text_measure.h"
#if defined(_WIN32)
#include <windows.h>
#endif

namespace {

enum Entry { kWords, kLines, kBoth };
const char* const kEntryNames[] = {"words", "lines", "words and lines"};

struct Run {
    MeasureState state;
    size_t nText;
};

// Feeds the pieces between the cuts as TextMeasurer does: nothing after the piece the text ends in.
Run Measure(const MeasureKernel& kernel, Entry entry, const std::string& text, const std::vector<size_t>& cuts,
            int32_t nCharsPerLine) {
    Run run = {{0, 0, 0, false, false, 0, 0}, 0};
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text.data());
    size_t nStart = 0;
    for (size_t i = 0; i <= cuts.size(); ++i) {
        size_t nEnd = i < cuts.size() ? cuts[i] : text.size();
        size_t nPiece = nEnd - nStart;
        size_t nText = entry == kWords   ? kernel.pfnWords(p + nStart, nPiece, &run.state)
                       : entry == kLines ? kernel.pfnLines(p + nStart, nPiece, nCharsPerLine, &run.state)
                                         : kernel.pfnWordsAndLines(p + nStart, nPiece, nCharsPerLine, &run.state);
        run.nText += nText;
        if (nText < nPiece) break;
        nStart = nEnd;
    }
    return run;
}

// Compares with the plain loop's run over the whole text; returns false (after a failure) on a difference.
bool SameAsPlainLoop(const MeasureKernel& kernel, const std::string& text, const std::vector<size_t>& cuts,
                     int32_t nCharsPerLine) {
    for (Entry entry : {kWords, kLines, kBoth}) {
        Run expected = Measure(kScalarMeasureKernel, entry, text, {}, nCharsPerLine);
        Run actual = Measure(kernel, entry, text, cuts, nCharsPerLine);
        bool bSame = expected.nText == actual.nText;
        if (entry != kLines) {
            bSame =
                bSame && expected.state.nWords == actual.state.nWords && expected.state.bInWord == actual.state.bInWord;
        }
        if (entry != kWords) {
            bSame = bSame && expected.state.nLines == actual.state.nLines &&
                    expected.state.nColumn == actual.state.nColumn &&
                    expected.state.bLineStarted == actual.state.bLineStarted &&
                    expected.state.nBreaks == actual.state.nBreaks && expected.state.nSpaces == actual.state.nSpaces;
            if (entry == kLines) bSame = bSame && actual.state.nBreaks == 0 && actual.state.nSpaces == 0;
        }
        if (bSame) continue;
        std::string cutText;
        for (size_t nCut : cuts) cutText += std::to_string(nCut) + " ";
        ADD_FAILURE() << kernel.szName << ", " << kEntryNames[entry] << ", " << text.size() << " bytes, limit "
                      << nCharsPerLine << ", cuts " << cutText << "\n  text ends at " << actual.nText << " (plain "
                      << expected.nText << "), words " << actual.state.nWords << " (plain " << expected.state.nWords
                      << "), lines " << actual.state.nLines << " (plain " << expected.state.nLines << "), column "
                      << actual.state.nColumn << " (plain " << expected.state.nColumn << "), breaks "
                      << actual.state.nBreaks << " (plain " << expected.state.nBreaks << "), spaces "
                      << actual.state.nSpaces << " (plain " << expected.state.nSpaces << ")";
        return false;
    }
    return true;
}

class TextMaker {
public:
    explicit TextMaker(uint32_t nSeed) : random(nSeed) {}

    size_t Below(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random); }

    // Any byte values, zero included now and then.
    std::string AnyBytes(size_t nLength) {
        std::string text;
        bool bZeros = Below(4) == 0;
        for (size_t i = 0; i < nLength; ++i) {
            unsigned char c = static_cast<unsigned char>(Below(256));
            if (c == 0 && !bZeros) c = 'z';
            text += static_cast<char>(c);
        }
        return text;
    }

    // Text-like: words, punctuation, runs of spaces, tabs, high bytes, CR, LF and CR LF, lines of any
    // length up to several times the longest limit, and rarely a zero byte.
    std::string Text(size_t nLength) {
        static const char* const kPieces[] = {"word",       "It's", "e.g.", "3.5", "12:30", "...",
                                              "well-known", ",",    "!",    "-",   "\xE9",  "\x80",
                                              "\xA5",       "\xA6", "\xFF", "\t",  "\x7F",  "\x01"};
        std::string text;
        while (text.size() < nLength) {
            size_t nKind = Below(20);
            if (nKind < 8) {
                text += kPieces[Below(sizeof(kPieces) / sizeof(kPieces[0]))];
            } else if (nKind < 12) {
                text.append(1 + Below(Below(8) == 0 ? 150 : 3), ' ');
            } else if (nKind < 15) {
                static const char* const kBreaks[] = {"\r\n", "\r", "\n", "\r\n\r\n", "\n\r"};
                text += kBreaks[Below(5)];
            } else if (nKind < 17) {
                text.append(1 + Below(Below(6) == 0 ? 300 : 40), static_cast<char>('a' + Below(26)));
            } else if (nKind < 19) {
                text += static_cast<char>(0x21 + Below(0x5F));
            } else if (Below(40) == 0) {
                text += '\0';
            }
        }
        text.resize(nLength);
        return text;
    }

    // Up to three cuts, some at the vector block edges.
    std::vector<size_t> Cuts(size_t nLength) {
        std::vector<size_t> cuts;
        size_t nCuts = Below(4), nAt = 0;
        for (size_t i = 0; i < nCuts; ++i) {
            size_t nLeft = nLength - nAt;
            size_t nStep = Below(3) == 0 ? std::min(nLeft, 32 * Below(4) + Below(2)) : Below(nLeft + 1);
            nAt += nStep;
            cuts.push_back(nAt);
        }
        return cuts;
    }

    int32_t Limit() {
        static const int32_t kEdges[] = {-1, 0, 1, 2, 31, 32, 33, 63, 64, 65, 80, 127, 128, 2147483647};
        if (Below(4) == 0) return kEdges[Below(sizeof(kEdges) / sizeof(kEdges[0]))];
        return static_cast<int32_t>(Below(202)) - 1;
    }

private:
    std::mt19937 random;
};

class KernelTest : public testing::TestWithParam<size_t> {
protected:
    void SetUp() override {
        pKernel = &MeasureKernelAt(GetParam());
        if (!MeasureKernelRuns(*pKernel)) {
            GTEST_SKIP() << "this processor cannot run the " << pKernel->szName << " kernel: not tested here";
        }
    }
    const MeasureKernel* pKernel = nullptr;
};

TEST_P(KernelTest, RandomBytesAsThePlainLoop) {
    TextMaker maker(1000 + static_cast<uint32_t>(GetParam()));
    for (int i = 0; i < 4000; ++i) {
        std::string text = maker.AnyBytes(maker.Below(i % 10 == 0 ? 1200 : 300));
        ASSERT_TRUE(SameAsPlainLoop(*pKernel, text, maker.Cuts(text.size()), maker.Limit()));
    }
}

TEST_P(KernelTest, RandomTextsAsThePlainLoop) {
    TextMaker maker(2000 + static_cast<uint32_t>(GetParam()));
    for (int i = 0; i < 8000; ++i) {
        std::string text = maker.Text(maker.Below(i % 10 == 0 ? 2500 : 400));
        std::vector<size_t> cuts = maker.Cuts(text.size());
        for (int nLimit = 0; nLimit < 2; ++nLimit) {
            ASSERT_TRUE(SameAsPlainLoop(*pKernel, text, cuts, maker.Limit()));
        }
    }
}

TEST_P(KernelTest, EveryLimitOnOneText) {
    TextMaker maker(3000);
    std::string text = maker.Text(1500);
    text.erase(std::remove(text.begin(), text.end(), '\0'), text.end());
    for (int32_t nLimit = -1; nLimit <= 200; ++nLimit) {
        ASSERT_TRUE(SameAsPlainLoop(*pKernel, text, maker.Cuts(text.size()), nLimit));
    }
}

// Every byte value, the bytes outside the measuring alphabet among them, at the edges of the blocks
// among word bytes, spaces and its own kind.
TEST_P(KernelTest, EveryByteValueAsThePlainLoop) {
    TextMaker maker(5000);
    for (int c = 1; c < 256; ++c) {
        for (char background : {'a', ' ', static_cast<char>(c)}) {
            for (size_t nAt : {0, 1, 15, 16, 31, 32, 33, 63, 64, 65, 127, 128}) {
                std::string text(140, background);
                text[nAt] = static_cast<char>(c);
                text[nAt + 2] = static_cast<char>(c);
                ASSERT_TRUE(SameAsPlainLoop(*pKernel, text, maker.Cuts(text.size()), 80)) << "byte " << c << " at " << nAt;
            }
        }
    }
}

// A long text: the counters a kernel keeps per byte place between its sums must not overflow.
TEST_P(KernelTest, LongTextAsThePlainLoop) {
    TextMaker maker(4000);
    std::string text = maker.Text(300000);
    text.erase(std::remove(text.begin(), text.end(), '\0'), text.end());
    for (int32_t nLimit : {0, 40, 80}) {
        ASSERT_TRUE(SameAsPlainLoop(*pKernel, text, {}, nLimit));
        ASSERT_TRUE(SameAsPlainLoop(*pKernel, text, maker.Cuts(text.size()), nLimit));
    }
}

// The edges of the blocks: lines of exactly the limit, cuts on the last and first byte of a block,
// a zero byte at every place of the first blocks, spaces filling a line.
TEST_P(KernelTest, BlockEdges) {
    std::vector<std::string> texts;
    for (size_t nLength : {31, 32, 33, 63, 64, 65, 127, 128, 129, 200}) {
        texts.push_back(std::string(nLength, 'x'));
        texts.push_back(std::string(nLength, ' ') + "y");
        texts.push_back("a" + std::string(nLength, ' ') + "b\r\nc");
        texts.push_back(std::string(nLength, 'x') + "\r\n" + std::string(nLength, 'y'));
    }
    for (size_t nZero = 0; nZero < 130; ++nZero) {
        std::string text = std::string(nZero, 'w') + std::string(1, '\0') + "after the end";
        texts.push_back(text);
    }
    for (const std::string& text : texts) {
        for (int32_t nLimit : {-1, 0, 1, 2, 3, 31, 32, 33, 63, 64, 65, 80, 128, 2147483647}) {
            ASSERT_TRUE(SameAsPlainLoop(*pKernel, text, {}, nLimit));
            for (size_t nCut : {size_t(1), size_t(31), size_t(32), size_t(64), text.size() / 2}) {
                if (nCut > text.size()) continue;
                ASSERT_TRUE(SameAsPlainLoop(*pKernel, text, {nCut}, nLimit));
            }
        }
    }
}

// The measurer with a chosen kernel gives the plain loop's counts, a word and a line crossing pieces.
TEST_P(KernelTest, ServesTextMeasurer) {
    std::string text = "The cat sat.\r\nIt's 3.5 m long -- really!" + std::string(150, 'q') + " end";
    TextMeasurer whole(80, kEncodingUtf8, kScalarMeasureKernel);
    whole.Feed(text.data(), text.size());
    for (size_t nCut = 0; nCut <= text.size(); ++nCut) {
        TextMeasurer measurer(80, kEncodingUtf8, *pKernel);
        measurer.Feed(text.data(), nCut);
        measurer.Feed(text.data() + nCut, text.size() - nCut);
        ASSERT_EQ(whole.Counts().nChars, measurer.Counts().nChars) << "cut at " << nCut;
        ASSERT_EQ(whole.Counts().nWords, measurer.Counts().nWords) << "cut at " << nCut;
        ASSERT_EQ(whole.Counts().nLines, measurer.Counts().nLines) << "cut at " << nCut;
        ASSERT_EQ(whole.Counts().nCharsNoBreaks, measurer.Counts().nCharsNoBreaks) << "cut at " << nCut;
        ASSERT_EQ(whole.Counts().nCharsNoSpaces, measurer.Counts().nCharsNoSpaces) << "cut at " << nCut;
    }
}

std::string KernelName(const testing::TestParamInfo<size_t>& info) {
    std::string name = MeasureKernelAt(info.param).szName;
    for (char& c : name) {
        if (c == '-') c = '_';
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(EachKernel, KernelTest, testing::Range(size_t(0), MeasureKernelCount()), KernelName);

TEST(MeasureKernels, TableAndChoice) {
    ASSERT_GE(MeasureKernelCount(), 1u);
    EXPECT_EQ(&kScalarMeasureKernel, FindMeasureKernel("scalar"));
    EXPECT_EQ(nullptr, FindMeasureKernel("no such kernel"));
    EXPECT_TRUE(MeasureKernelRuns(kScalarMeasureKernel));
    const MeasureKernel& active = ActiveMeasureKernel();
    EXPECT_TRUE(MeasureKernelRuns(active));
    EXPECT_EQ(&active, &ActiveMeasureKernel()) << "chosen once";
    printf("[ note     ] kernels here:");
    for (size_t i = 0; i < MeasureKernelCount(); ++i) {
        const MeasureKernel& kernel = MeasureKernelAt(i);
        printf(" %s%s", kernel.szName, MeasureKernelRuns(kernel) ? "" : " (cannot run)");
    }
    printf("; the measures use %s\n", active.szName);
#if defined(TQ_X86_MEASURE_KERNELS)
    // Every x86 processor the program runs on has SSE2.
    EXPECT_TRUE(MeasureKernelRuns(kSse2MeasureKernel));
    EXPECT_NE(&kScalarMeasureKernel, &active);
#endif
}

#if defined(_WIN32) && defined(TQ_X86_MEASURE_KERNELS)
// The system's own reading of the processor, taken apart from the program's cpuid code (which on a
// 32-bit build must keep ebx for position-independent code and read xgetbv itself): where the
// system says AVX2 runs, the measures use an AVX2 kernel, and where it says SSE2 runs, never the
// plain loop.
TEST(MeasureKernels, ChoiceAgreesWithTheSystem) {
    const MeasureKernel& active = ActiveMeasureKernel();
    printf("[ note     ] %d-bit build; the system reports SSE2 %d, AVX %d, AVX2 %d; the measures use %s\n",
           static_cast<int>(sizeof(void*) * 8), IsProcessorFeaturePresent(PF_XMMI64_INSTRUCTIONS_AVAILABLE),
           IsProcessorFeaturePresent(PF_AVX_INSTRUCTIONS_AVAILABLE),
           IsProcessorFeaturePresent(PF_AVX2_INSTRUCTIONS_AVAILABLE), active.szName);
    if (IsProcessorFeaturePresent(PF_XMMI64_INSTRUCTIONS_AVAILABLE)) {
        EXPECT_NE(&kScalarMeasureKernel, &active);
    }
    if (IsProcessorFeaturePresent(PF_AVX2_INSTRUCTIONS_AVAILABLE)) {
        EXPECT_TRUE(&active == &kAvx2MeasureKernel || &active == &kAvx2NoPdepMeasureKernel)
            << "the system reports AVX2, the measures use " << active.szName;
        EXPECT_TRUE(MeasureKernelRuns(kAvx2MeasureKernel));
    } else {
        EXPECT_FALSE(MeasureKernelRuns(kAvx2MeasureKernel)) << "AVX2 kernels chosen where the system reports none";
    }
}
#endif

TEST(MeasureKernels, LengthKnownCounts) {
    const char kText[] = "The cat sat.\r\nIt's 3.5 m long -- really!";
    EXPECT_EQ(8, MeasureUtf8(kText, strlen(kText), 80).nWords);
    EXPECT_EQ(2, MeasureUtf8(kText, strlen(kText), 80).nLines);
    EXPECT_EQ(5, MeasureUtf8(kText, strlen(kText), 10).nLines);
    // Plain text is its own class bytes.
    const unsigned char* pBytes = reinterpret_cast<const unsigned char*>(kText);
    EXPECT_EQ(5, CountClassByteLines(pBytes, strlen(kText), 10));
    std::string zeroInside("ab cd\0ef gh", 11);
    EXPECT_EQ(2, MeasureUtf8(zeroInside.data(), zeroInside.size(), 80).nWords);
    EXPECT_EQ(1, MeasureUtf8(zeroInside.data(), zeroInside.size(), 80).nLines);
    EXPECT_EQ(0, MeasureUtf8("", 0, 80).nWords);
    EXPECT_EQ(0, CountClassByteLines(pBytes, 0, 80));
}

}  // namespace
