// Windows-1252's table fast path held to the scalar reference translation of the same code points: the UTF-16
// translation fed one unit a call, whose high units go through the first plane's table or Step, not
// through the Windows-1252 fast path. Every byte value in every context that changes joining, and
// random dense texts cut at random piece edges; the class bytes byte for byte, and the counts.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "measure/text_measure.h"
#include "measure/windows1252_fast_path.h"

namespace {

struct Translated {
    std::string bytes;  // the class bytes, the last character closed
    int64_t nChars, nIdeographs;
};

// Windows-1252 cut after each of the given lengths.
Translated FastPath(const std::string& text, const std::vector<size_t>& cuts) {
    std::vector<unsigned char> out(text.size() + 4 * (cuts.size() + 2));
    CharacterState state;
    StartCharacters(&state);
    size_t nOut = 0, nAt = 0;
    std::vector<size_t> edges = cuts;
    edges.push_back(text.size());
    for (size_t nEdge : edges) {
        if (nEdge < nAt || nEdge > text.size()) continue;
        size_t nWritten = 0;
        TranslateWindows1252(&state, reinterpret_cast<const unsigned char*>(text.data()) + nAt, nEdge - nAt,
                             out.data() + nOut, &nWritten);
        nOut += nWritten;
        nAt = nEdge;
    }
    size_t nWritten = 0;
    FinishCharacters(&state, out.data() + nOut, &nWritten);
    nOut += nWritten;
    return {std::string(out.begin(), out.begin() + nOut), state.nChars, state.nIdeographs};
}

std::u16string Units(const std::string& text) {
    std::u16string units;
    for (unsigned char c : text) units += static_cast<char16_t>(Windows1252CodePoint(c));
    return units;
}

Translated ScalarReference(const std::string& text) {
    std::u16string units = Units(text);
    std::vector<unsigned char> out(3 * units.size() + 4);
    CharacterState state;
    StartCharacters(&state);
    size_t nOut = 0, nWritten = 0;
    for (char16_t u : units) {
        TranslateUtf16(&state, &u, 1, out.data() + nOut, &nWritten);
        nOut += nWritten;
    }
    FinishCharacters(&state, out.data() + nOut, &nWritten);
    nOut += nWritten;
    return {std::string(out.begin(), out.begin() + nOut), state.nChars, state.nIdeographs};
}

std::string Hex(const std::string& s) {
    std::string out;
    char sz[4];
    for (unsigned char c : s) {
        snprintf(sz, sizeof(sz), "%02X ", c);
        out += sz;
    }
    return out;
}

std::string Describe(const TextCounts& c) {
    return std::to_string(c.nChars) + " " + std::to_string(c.nWords) + " " + std::to_string(c.nLines) + " " +
           std::to_string(c.nCharsNoBreaks) + " " + std::to_string(c.nCharsNoSpaces);
}

void ExpectSame(const std::string& text, const std::vector<size_t>& cuts) {
    Translated fast = FastPath(text, cuts), scalar = ScalarReference(text);
    ASSERT_EQ(Hex(scalar.bytes), Hex(fast.bytes)) << "text " << Hex(text);
    ASSERT_EQ(scalar.nChars, fast.nChars) << "text " << Hex(text);
    ASSERT_EQ(scalar.nIdeographs, fast.nIdeographs) << "text " << Hex(text);
}

// The counts through the measurer, fed in the given pieces, against the same code points as UTF-16.
void ExpectSameCounts(const std::string& text, const std::vector<size_t>& cuts, int nLimit) {
    TextMeasurer fast(nLimit, kEncodingWindows1252), scalar(nLimit, kEncodingUtf16LE);
    size_t nAt = 0;
    std::vector<size_t> edges = cuts;
    edges.push_back(text.size());
    for (size_t nEdge : edges) {
        if (nEdge < nAt || nEdge > text.size()) continue;
        fast.Feed(text.data() + nAt, nEdge - nAt);
        nAt = nEdge;
    }
    std::u16string units = Units(text);
    scalar.FeedUtf16(units.data(), units.size());
    ASSERT_EQ(Describe(scalar.Finish()), Describe(fast.Finish())) << "text " << Hex(text);
}

// What comes before and after each byte: ASCII, characters marks could join, CR LF, the soft
// hyphen, the C1 controls, NBSP, the curly quotes, pictographs, a tab and nothing.
const char* const kContexts[] = {"",     "a",    "e",    "\xE9", "\r",   "\n",   "\r\n", "\xAD", "\x81",
                                 "\x8D", "\x8F", "\x90", "\x9D", "\xA0", "\x91", "\x92", "\xA9", "\x99",
                                 "\t",   " ",    "'",    "\xAD\xAD", "a\xAD", "\x85"};

}  // namespace

TEST(Windows1252FastPath, TablesAreTheCharacterTables) {
    const unsigned char* pBytes = Windows1252FastPathBytes();
    EXPECT_EQ(kWindows1252Stop, pBytes[0]);
    EXPECT_EQ('x', pBytes['x']);
    EXPECT_EQ('\r', pBytes['\r']);
    EXPECT_EQ(kWindows1252Stop, pBytes[0xAD]) << "the soft hyphen is a joiner: no byte";
    EXPECT_EQ('a', pBytes[0xE9]);
    EXPECT_EQ('a', pBytes[0x92]) << "U+2019 continues a word";
    EXPECT_EQ(' ', pBytes[0xA0]);
    for (unsigned char c : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) EXPECT_EQ(0x01, pBytes[c]) << "C1 control " << int(c);
}

TEST(Windows1252FastPath, EveryByteInEveryContext) {
    const std::string kRun = "Some words, 12 of them: here, 'quoted' and more";  // longer than a block
    // Every byte beside each context alone; between two contexts, an eighth of the bytes, another
    // eighth for each pair, so that each byte still meets hundreds of pairs (the whole product is
    // minutes under emulation).
    int nPair = 0;
    for (const char* szBefore : kContexts) {
        for (const char* szAfter : kContexts) {
            ++nPair;
            bool bAlone = szBefore[0] == '\0' || szAfter[0] == '\0';
            for (int c = 1; c < 256; ++c) {
                if (!bAlone && (c + nPair) % 8 != 0) continue;
                std::string text = kRun + szBefore + static_cast<char>(c) + szAfter + kRun;
                ExpectSame(text, {});
                size_t nAt = kRun.size() + strlen(szBefore);
                ExpectSame(text, {nAt - 1, nAt, nAt + 1, nAt + 2});
                // The byte first in a text, and last.
                ExpectSame(std::string(szBefore) + static_cast<char>(c) + szAfter, {});
                ExpectSame(kRun + szBefore + static_cast<char>(c), {});
            }
        }
    }
    ExpectSame(kRun + std::string("ab\0cd\xE9", 6) + kRun, {});
}

TEST(Windows1252FastPath, RandomDenseTexts) {
    std::mt19937 random(0x1252);
    // Bytes drawn from a few kinds: ASCII letters and spaces, line breaks, every high byte, and the
    // bytes that change joining, now and then a zero that ends the text.
    const std::string kSpecial = std::string("\r\n\r\xAD\x81\x8D\x8F\x90\x9D\xA0\x91\x92\xA9\xAE\x99\t.'", 19);
    std::uniform_int_distribution<int> kind(0, 99), byte(0, 255), letter('a', 'z');
    for (int nText = 0; nText < 300; ++nText) {
        size_t nLength = nText < 20 ? 8192 + 64 * nText : static_cast<size_t>(random() % 20000);
        int nHighShare = nText % 4 == 0 ? 3 : nText % 4 == 1 ? 20 : nText % 4 == 2 ? 60 : 95;
        std::string text;
        for (size_t i = 0; i < nLength; ++i) {
            int k = kind(random);
            char c = k < nHighShare ? static_cast<char>(0x80 | byte(random))
                     : k < nHighShare + 3 ? kSpecial[random() % kSpecial.size()]
                     : k % 6 == 0 ? ' '
                                  : static_cast<char>(letter(random));
            if (random() % 30000 == 0) c = 0;
            text += c;
        }
        std::vector<size_t> cuts;
        size_t nAt = 0;
        while (nAt < text.size()) {
            nAt += random() % 3 == 0 ? 8192 : 1 + random() % 700;
            cuts.push_back(nAt);
        }
        cuts.pop_back();
        ExpectSame(text, {});
        ExpectSame(text, cuts);
        ExpectSame(text, {8192, 16384});
        for (int nLimit : {80, 7, 1}) {
            ExpectSameCounts(text, {}, nLimit);
            ExpectSameCounts(text, cuts, nLimit);
        }
    }
}
