// The measures held to the reference (unicode_reference.h) on random text dense in one script or
// another, long enough to cross the common road's blocks and the pieces of 8,192 and 16,384 units
// the measures cut a text into, fed whole and cut anywhere, in UTF-16 and UTF-8, through every way
// in: TextMeasurer (every kernel, its kept bytes), MeasureUtf16Keeping and CountMeasuringLines.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "measure/text_measure.h"
#include "unicode_reference.h"
#include "unicode_test_support.h"

namespace {

using unicode_reference::Counts;

const unicode_reference::Reference& Reference() { return unicode_reference::SharedReference(); }

const int kLimits[] = {80, 7, 1, 0};
const int kLimitCount = sizeof(kLimits) / sizeof(kLimits[0]);

// Code points drawn from weighted ranges.
struct Span {
    char32_t nFirst, nLast;
    int nWeight;
};

struct Palette {
    const char* szName;
    std::vector<Span> spans;
};

// One palette a script, each dense in it, with its marks; the last holds what the rules name one
// by one (controls, breaks, joiners, prepended marks, lone surrogates, word punctuation).
const std::vector<Palette>& Palettes() {
    static const std::vector<Palette> palettes = {
        {"Latin", {{'a', 'z', 60}, {'A', 'Z', 6}, {'0', '9', 3}, {' ', ' ', 14}, {'.', '.', 2}, {',', ',', 2},
                   {'\'', '\'', 1}, {0xE0, 0xFF, 6}, {0x100, 0x17F, 3}, {0x300, 0x36F, 3}, {0x2019, 0x2019, 1},
                   {0xA0, 0xA0, 1}, {'\n', '\n', 1}}},
        {"Cyrillic", {{0x430, 0x44F, 60}, {0x410, 0x42F, 6}, {0x451, 0x451, 1}, {' ', ' ', 14}, {',', ',', 2},
                      {'.', '.', 2}, {0x301, 0x301, 2}, {0x2014, 0x2014, 1}, {0xAB, 0xAB, 1}, {0xBB, 0xBB, 1},
                      {'\n', '\n', 1}}},
        {"Greek", {{0x3B1, 0x3C9, 60}, {0x391, 0x3A9, 6}, {0x3AC, 0x3CE, 8}, {0x1F00, 0x1FFE, 4}, {0x300, 0x301, 2},
                   {0x342, 0x345, 2}, {' ', ' ', 14}, {0x387, 0x387, 1}, {0x37E, 0x37E, 1}, {',', ',', 2},
                   {'\n', '\n', 1}}},
        {"Arabic", {{0x621, 0x64A, 50}, {0x64B, 0x652, 20}, {0x670, 0x670, 2}, {0x660, 0x669, 3}, {0x60C, 0x60C, 2},
                    {0x61F, 0x61F, 1}, {0x640, 0x640, 1}, {0x600, 0x605, 2}, {0x6DD, 0x6DD, 1}, {0x61C, 0x61C, 1},
                    {0x200C, 0x200D, 2}, {' ', ' ', 14}, {'\n', '\n', 1}}},
        {"Devanagari", {{0x915, 0x939, 45}, {0x93E, 0x94C, 20}, {0x94D, 0x94D, 10}, {0x93C, 0x93C, 3},
                        {0x901, 0x903, 5}, {0x905, 0x914, 6}, {0x966, 0x96F, 2}, {0x964, 0x965, 2},
                        {0x200C, 0x200D, 2}, {' ', ' ', 12}, {'\n', '\n', 1}}},
        {"Thai", {{0xE01, 0xE2E, 50}, {0xE30, 0xE3A, 20}, {0xE40, 0xE44, 8}, {0xE45, 0xE4E, 8}, {0xE50, 0xE59, 2},
                  {' ', ' ', 8}, {'\n', '\n', 1}}},
        {"Hangul", {{0xAC00, 0xD7A3, 50}, {0x1100, 0x1112, 8}, {0x1161, 0x1175, 8}, {0x11A8, 0x11C2, 8},
                    {0x3131, 0x318E, 2}, {' ', ' ', 14}, {'.', '.', 2}, {',', ',', 1}, {'\n', '\n', 1}}},
        {"Han and kana", {{0x4E00, 0x9FFF, 40}, {0x3041, 0x3096, 20}, {0x30A1, 0x30FA, 12}, {0x30FC, 0x30FC, 3},
                          {0xFF66, 0xFF9F, 3}, {0x3099, 0x309A, 2}, {0x3001, 0x3002, 4}, {0x300C, 0x300D, 2},
                          {0x3000, 0x3000, 2}, {0xFF01, 0xFF5E, 3}, {0x20000, 0x2A6DF, 3}, {0x3005, 0x3005, 1},
                          {0xFE0F, 0xFE0F, 1}, {'a', 'z', 3}, {'\n', '\n', 1}}},
        {"emoji", {{0x1F600, 0x1F64F, 20}, {0x1F300, 0x1F5FF, 8}, {0x1F900, 0x1F9FF, 6}, {0x2600, 0x26FF, 4},
                   {0x2764, 0x2764, 2}, {0xA9, 0xA9, 1}, {0x1F3FB, 0x1F3FF, 10}, {0x200D, 0x200D, 15},
                   {0xFE0F, 0xFE0F, 12}, {0xFE0E, 0xFE0E, 2}, {0x20E3, 0x20E3, 4}, {'0', '9', 3}, {'#', '#', 1},
                   {0x1F1E6, 0x1F1FF, 15}, {0x1F3F4, 0x1F3F4, 2}, {0xE0061, 0xE007A, 4}, {0xE007F, 0xE007F, 2},
                   {0x2640, 0x2642, 2}, {' ', ' ', 8}, {'a', 'z', 4}}},
        {"named one by one", {{'\r', '\r', 4}, {'\n', '\n', 4}, {'\t', '\t', 2}, {1, 0x1F, 1}, {0x7F, 0x85, 2},
                              {0x2028, 0x2029, 2}, {0xAD, 0xAD, 3}, {0x2060, 0x2060, 2}, {0x200B, 0x200F, 3},
                              {0xFEFF, 0xFEFF, 1}, {0x0600, 0x0605, 2}, {0x0D4E, 0x0D4E, 1}, {0x110BD, 0x110BD, 1},
                              {0x111C2, 0x111C3, 1}, {0x0903, 0x0903, 2}, {0x0E33, 0x0E33, 1}, {0xD800, 0xDBFF, 2},
                              {0xDC00, 0xDFFF, 2}, {'\'', '\'', 2}, {'.', '.', 2}, {':', ':', 2},
                              {0x2018, 0x2019, 2}, {0x201B, 0x201B, 1}, {0x2024, 0x2026, 2}, {0x2032, 0x2032, 1},
                              {0x02BC, 0x02BC, 1}, {0x05F3, 0x05F4, 1}, {0xFF07, 0xFF07, 1}, {0xFF0E, 0xFF0E, 1},
                              {0xFF1A, 0xFF1A, 1}, {0xFFFD, 0xFFFD, 1}, {0xE000, 0xE000, 1}, {0x10FFFF, 0x10FFFF, 1},
                              {0xFE0F, 0xFE0F, 2}, {0x20E3, 0x20E3, 1}, {0x0301, 0x0301, 2}, {0x65E5, 0x65E5, 2},
                              {'a', 'z', 10}, {' ', ' ', 6}}},
    };
    return palettes;
}

// Draws code points from a palette until the text reaches nUnits UTF-16 units.
void Draw(const Palette& palette, std::mt19937& random, size_t nUnits, CodePoints* pText, size_t* pnUnits) {
    std::vector<int> weights;
    for (const Span& span : palette.spans) weights.push_back(span.nWeight);
    std::discrete_distribution<size_t> pickSpan(weights.begin(), weights.end());
    while (*pnUnits < nUnits) {
        const Span& span = palette.spans[pickSpan(random)];
        char32_t c = span.nFirst + static_cast<char32_t>(random() % (span.nLast - span.nFirst + 1));
        *pText += c;
        *pnUnits += c >= 0x10000 ? 2 : 1;
    }
}

// Runs of every palette in turn, from one code point to forty.
CodePoints DrawMixed(std::mt19937& random, size_t nUnits) {
    CodePoints text;
    size_t nDrawn = 0;
    while (nDrawn < nUnits) {
        const Palette& palette = Palettes()[random() % Palettes().size()];
        Draw(palette, random, std::min(nUnits, nDrawn + 1 + random() % 40), &text, &nDrawn);
    }
    return text;
}

// A piece's size: mostly small, sometimes past the measures' own pieces.
size_t PieceSize(std::mt19937& random) {
    static const size_t kMost[] = {4, 40, 300, 20000};
    return random() % kMost[random() % 4];
}

class KeptBytes : public MeasuringBytesKeeper {
public:
    void Keep(const unsigned char* pBytes, size_t nBytes) override { bytes.insert(bytes.end(), pBytes, pBytes + nBytes); }
    std::vector<unsigned char> bytes;
};

// Measures a text every way in and holds each count to the reference's. The first disagreement is
// reported with where the counts part: a beginning of the text that disagrees when one code point
// fewer agrees.
class Differential {
public:
    Differential(const std::string& name, const CodePoints& drawn, std::mt19937& random)
        : name(name), units(ToUtf16(drawn)), read(AsRead(CodePointsOf(units))), utf8(ToUtf8(read)), random(random) {}

    void Check() {
        WholeThroughEveryKernel();
        CutAnywhere();
        Kept();
        Boundaries();
    }

    // The lighter check for many long texts: at one limit, with the kernel the measures use, each
    // form whole or cut once at nCut (units, or bytes for UTF-8), and the kept bytes.
    void CheckCutAt(size_t nCut) {
        const int i = 1;
        nCut = std::min(nCut, std::min(units.size(), utf8.size()));
        TextMeasurer wide(kLimits[i], kEncodingUtf16LE);
        wide.FeedUtf16(units.data(), nCut);
        wide.FeedUtf16(units.data() + nCut, units.size() - nCut);
        Same(i, wide.Counts(), "UTF-16 units cut at " + std::to_string(nCut));
        TextMeasurer narrow(kLimits[i], kEncodingUtf8);
        narrow.Feed(utf8.data(), nCut);
        narrow.Feed(utf8.data() + nCut, utf8.size() - nCut);
        Same(i, narrow.Counts(), "UTF-8 cut at byte " + std::to_string(nCut));
        std::string bytes = Utf16Bytes(units, false);
        TextMeasurer wideBytes(kLimits[i], kEncodingUtf16LE);
        wideBytes.Feed(bytes.data(), bytes.size());
        Same(i, wideBytes.Counts(), "UTF-16LE bytes");
        std::vector<unsigned char> kept(units.size() + 2);
        size_t nKept = 0;
        Same(i, MeasureUtf16Keeping(units.data(), units.size(), kLimits[i], kept.data(), &nKept), "MeasureUtf16Keeping");
        SameLines(i, CountMeasuringLines(kept.data(), nKept, kLimits[i]), "the bytes MeasureUtf16Keeping kept");
    }

private:
    // The reference's counts at kLimits[i], counted at the first call.
    const Counts& Expected(int i) {
        if (!bCounted[i]) expected[i] = Reference().Count(read, kLimits[i]);
        bCounted[i] = true;
        return expected[i];
    }

    void WholeThroughEveryKernel() {
        for (int i = 0; i < kLimitCount && !bFailed; ++i) {
            for (size_t k = 0; k < MeasureKernelCount() && !bFailed; ++k) {
                const MeasureKernel& kernel = MeasureKernelAt(k);
                if (!MeasureKernelRuns(kernel)) continue;
                TextMeasurer wide(kLimits[i], kEncodingUtf16LE, kernel);
                wide.FeedUtf16(units.data(), units.size());
                Same(i, wide.Counts(), std::string("whole UTF-16, kernel ") + kernel.szName);
                TextMeasurer narrow(kLimits[i], kEncodingUtf8, kernel);
                narrow.Feed(utf8.data(), utf8.size());
                Same(i, narrow.Counts(), std::string("whole UTF-8, kernel ") + kernel.szName);
            }
        }
    }

    // In pieces of every size, each form; a measurer's kept bytes count the lines at another limit.
    void CutAnywhere() {
        const std::string forms[] = {utf8, Utf16Bytes(units, false), Utf16Bytes(units, true)};
        const TextEncoding encodings[] = {kEncodingUtf8, kEncodingUtf16LE, kEncodingUtf16BE};
        const char* szForms[] = {"UTF-8", "UTF-16LE bytes", "UTF-16BE bytes"};
        for (int f = 0; f < 3 && !bFailed; ++f) {
            int i = static_cast<int>(random() % kLimitCount);
            TextMeasurer measurer(kLimits[i], encodings[f]);
            const std::string& bytes = forms[f];
            for (size_t n = 0; n < bytes.size();) {
                size_t nPiece = std::min(PieceSize(random), bytes.size() - n);
                measurer.Feed(bytes.data() + n, nPiece);
                n += nPiece;
            }
            Same(i, measurer.Counts(), std::string(szForms[f]) + " in pieces");
        }
        int i = static_cast<int>(random() % kLimitCount), nOther = static_cast<int>(random() % kLimitCount);
        TextMeasurer measurer(kLimits[i], kEncodingUtf16LE);
        KeptBytes kept;
        measurer.KeepBytesIn(&kept);
        for (size_t n = 0; n < units.size();) {
            size_t nPiece = std::min(PieceSize(random), units.size() - n);
            measurer.FeedUtf16(units.data() + n, nPiece);
            n += nPiece;
        }
        Same(i, measurer.Finish(), "UTF-16 units in pieces");
        SameLines(nOther, CountMeasuringLines(kept.bytes.data(), kept.bytes.size(), kLimits[nOther]),
                  "the bytes a measurer of UTF-16 pieces kept");
    }

    void Kept() {
        std::vector<unsigned char> bytes(units.size() + 2);
        size_t nBytes = 0;
        for (int i = 0; i < kLimitCount && !bFailed; ++i) {
            Same(i, MeasureUtf16Keeping(units.data(), units.size(), kLimits[i], bytes.data(), &nBytes),
                 "MeasureUtf16Keeping");
            for (int j = 0; j < kLimitCount; ++j)
                SameLines(j, CountMeasuringLines(bytes.data(), nBytes, kLimits[j]),
                          "the bytes MeasureUtf16Keeping kept at " + std::to_string(kLimits[i]));
        }
    }

    // The boundary search (which cuts the summary) finds the reference's boundaries, from every
    // unit of a short text and from a few hundred of a long one.
    void Boundaries() {
        std::vector<size_t> starts = Reference().Boundaries(read);  // in code points
        std::vector<bool> bBoundary(units.size() + 1, false);
        size_t nPoint = 0, nUnit = 0;
        for (size_t nStart : starts) {
            for (; nPoint < nStart; ++nPoint) nUnit += read[nPoint] >= 0x10000 ? 2 : 1;
            bBoundary[nUnit] = true;
        }
        bBoundary[units.size()] = true;
        for (int nTry = 0; nTry < 300 && !bFailed; ++nTry) {
            size_t nIndex = units.size() <= 300 ? static_cast<size_t>(nTry) : random() % units.size();
            if (nIndex > units.size()) break;
            size_t nBefore = nIndex, nAfter = nIndex;
            while (!bBoundary[nBefore]) --nBefore;
            while (!bBoundary[nAfter]) ++nAfter;
            size_t nGotBefore = CharacterBoundaryAtOrBefore(units.data(), units.size(), nIndex);
            size_t nGotAfter = CharacterBoundaryAtOrAfter(units.data(), units.size(), nIndex);
            if (nGotBefore == nBefore && nGotAfter == nAfter) continue;
            bFailed = true;
            CodePoints around = CodePointsOf(units.substr(nBefore > 8 ? nBefore - 8 : 0, 24));
            ADD_FAILURE() << name << " (" << units.size() << " units): the boundaries at or before and at or after unit "
                          << nIndex << " are " << nGotBefore << " and " << nGotAfter << ", the reference's "
                          << nBefore << " and " << nAfter << "; the units around: " << Spelled(around);
        }
    }

    void Same(int nLimit, const TextCounts& got, const std::string& how) {
        if (bFailed || Describe(got) == Describe(Expected(nLimit))) return;
        bFailed = true;
        ADD_FAILURE() << name << " (" << units.size() << " units), " << how << ", at " << kLimits[nLimit]
                      << " characters a line: got " << Describe(got) << ", the reference counts "
                      << Describe(Expected(nLimit)) << " (characters words lines). " << Narrowed(nLimit);
    }

    void SameLines(int nLimit, int nGot, const std::string& how) {
        if (bFailed || nGot == Expected(nLimit).nLines) return;
        bFailed = true;
        ADD_FAILURE() << name << " (" << units.size() << " units), " << how << ", lines at " << kLimits[nLimit]
                      << ": got " << nGot << ", the reference counts " << Expected(nLimit).nLines << ". "
                      << Narrowed(nLimit);
    }

    // The shortest beginning of the text whose whole UTF-16 count disagrees, for the message: the
    // disagreement comes with its last code point.
    std::string Narrowed(int nLimit) const {
        CodePoints points = CodePointsOf(units);
        auto Disagrees = [&](size_t nLength) {
            CodePoints head = points.substr(0, nLength);
            std::u16string headUnits = ToUtf16(head);
            return Describe(MeasureUtf16(headUnits.data(), headUnits.size(), kLimits[nLimit])) !=
                   Describe(Reference().Count(AsRead(head), kLimits[nLimit]));
        };
        if (!Disagrees(points.size())) return "Measured whole, the text's UTF-16 counts agree.";
        size_t nAgrees = 0, nDisagrees = points.size();
        while (nDisagrees - nAgrees > 1) {
            size_t nMiddle = nAgrees + (nDisagrees - nAgrees) / 2;
            (Disagrees(nMiddle) ? nDisagrees : nAgrees) = nMiddle;
        }
        CodePoints head = points.substr(0, nDisagrees);
        std::u16string headUnits = ToUtf16(head);
        size_t nShown = std::min<size_t>(nDisagrees, 16);
        return "The first " + std::to_string(nDisagrees) + " code points disagree (got " +
               Describe(MeasureUtf16(headUnits.data(), headUnits.size(), kLimits[nLimit])) + ", the reference " +
               Describe(Reference().Count(AsRead(head), kLimits[nLimit])) + "), one fewer agree; they end " +
               Spelled(head.substr(nDisagrees - nShown));
    }

    std::string name;
    std::u16string units;
    CodePoints read;
    std::string utf8;
    std::mt19937& random;
    Counts expected[kLimitCount];
    bool bCounted[kLimitCount] = {};
    bool bFailed = false;
};

TEST(UnicodeDifferential, RandomTextInEveryScript) {
    ASSERT_EQ("", unicode_reference::SharedReferenceError());
    std::mt19937 random(20261209);
    for (const Palette& palette : Palettes()) {
        // Short texts, then one past both of the measures' piece sizes.
        for (int nText = 0; nText < 9; ++nText) {
            size_t nUnits = nText < 8 ? 1 + random() % (nText < 4 ? 100 : 3000) : 16384 + random() % 2000;
            CodePoints text;
            size_t nDrawn = 0;
            Draw(palette, random, nUnits, &text, &nDrawn);
            Differential(std::string(palette.szName) + " text " + std::to_string(nText), text, random).Check();
        }
    }
    for (int nText = 0; nText < 9; ++nText) {
        size_t nUnits = nText < 8 ? 1 + random() % 3000 : 16384 + random() % 2000;
        Differential("mixed text " + std::to_string(nText), DrawMixed(random, nUnits), random).Check();
    }
}

// Characters that the rules join, laid across the measures' own piece edges at every offset, after
// plain text (ASCII, where UTF-8 and UTF-16 edges fall alike, and Cyrillic, on the common road).
TEST(UnicodeDifferential, CharactersAcrossThePieceEdges) {
    ASSERT_EQ("", unicode_reference::SharedReferenceError());
    const CodePoints kJoined[] = {
        {0x1F468, 0x200D, 0x1F469, 0x200D, 0x1F467},                 // a family: pictographs joined
        {0x1F1FA, 0x1F1F8, 0x1F1EB, 0x1F1F7, 0x1F1EA},               // two flags and a lone indicator
        {0x1F3F4, 0xE0067, 0xE0062, 0xE0065, 0xE006E, 0xE0067, 0xE007F},  // a tag sequence
        {0x1100, 0x1161, 0x11A8, 0xAC00, 0x11A8},                    // Hangul jamo and syllables
        {0x0600, 0x0661, 0x0662},                                    // a prepended number sign
        {'a', '\r', '\n', 0x0301},                                   // CR LF, a mark after a break
        {'e', 0x0301, 0x0327, 'x'},                                  // a letter and its marks
        {0x20000, 0x0915, 0x094D, 0x0937, 0x093F},                   // Han beyond the first plane, Devanagari
        {'1', 0xFE0F, 0x20E3, 0x65E5, 0xFE0F},                       // a keycap, an ideograph as emoji
        {'c', 'o', 0x00AD, 'o', 'p', 0x200D, 0xFE0F},                // joiners inside a word
    };
    const size_t kEdges[] = {64, 8192, 16384};
    const char* szFillers[] = {"ASCII", "Cyrillic"};
    std::mt19937 random(8192);
    for (int nFiller = 0; nFiller < 2; ++nFiller) {
        CodePoints filler;
        const CodePoints word = nFiller == 0 ? CodePoints(U"word, ") : CodePoints(U"\u0441\u043B\u043E\u0432\u043E ");
        while (filler.size() < 16384 + 64) filler += word;
        for (const CodePoints& joined : kJoined) {
            size_t nReach = std::max(ToUtf16(joined).size(), nFiller == 0 ? ToUtf8(joined).size() : 0);
            for (size_t nEdge : kEdges) {
                // The edge before each unit (and byte) of the joined characters, and just after them.
                for (size_t nInto = 0; nInto <= nReach + 1 && nInto <= nEdge; ++nInto) {
                    CodePoints text = filler.substr(0, nEdge - nInto) + joined + filler.substr(0, 40);
                    Differential(std::string(szFillers[nFiller]) + " then " + Spelled(joined) + " " +
                                     std::to_string(nInto) + " units before " + std::to_string(nEdge),
                                 text, random)
                        .CheckCutAt(nEdge);
                }
            }
        }
    }
}

}  // namespace
