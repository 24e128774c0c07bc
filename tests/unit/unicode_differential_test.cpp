// The measures held to the reference (unicode_reference.h) on random text dense in one script or
// another, long enough to cross the first-plane fast path's blocks and the pieces of 8,192 and 16,384 units
// the measures cut a text into, fed whole and cut anywhere, in UTF-16 and UTF-8, through every way
// in: TextMeasurer (every kernel, its kept bytes), MeasureUtf16Keeping and CountClassByteLines.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "measure/text_measure.h"
#include "unicode_palettes.h"
#include "unicode_reference.h"
#include "unicode_test_support.h"

namespace {

using unicode_reference::Counts;

const unicode_reference::Reference& Reference() { return unicode_reference::SharedReference(); }

const int kLimits[] = {80, 7, 1, 0};
const int kLimitCount = sizeof(kLimits) / sizeof(kLimits[0]);

// A piece's size: mostly small, sometimes past the measures' own pieces.
size_t PieceSize(std::mt19937& random) {
    static const size_t kMost[] = {4, 40, 300, 20000};
    return random() % kMost[random() % 4];
}

class KeptBytes : public ClassBytesSink {
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
        SameLines(i, CountClassByteLines(kept.data(), nKept, kLimits[i]), "the bytes MeasureUtf16Keeping kept");
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
        SameLines(nOther, CountClassByteLines(kept.bytes.data(), kept.bytes.size(), kLimits[nOther]),
                  "the bytes a measurer of UTF-16 pieces kept");
    }

    void Kept() {
        std::vector<unsigned char> bytes(units.size() + 2);
        size_t nBytes = 0;
        for (int i = 0; i < kLimitCount && !bFailed; ++i) {
            Same(i, MeasureUtf16Keeping(units.data(), units.size(), kLimits[i], bytes.data(), &nBytes),
                 "MeasureUtf16Keeping");
            for (int j = 0; j < kLimitCount; ++j)
                SameLines(j, CountClassByteLines(bytes.data(), nBytes, kLimits[j]),
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
        if (bFailed || DescribeAll(got) == DescribeAll(Expected(nLimit))) return;
        bFailed = true;
        ADD_FAILURE() << name << " (" << units.size() << " units), " << how << ", at " << kLimits[nLimit]
                      << " characters a line: got " << DescribeAll(got) << ", the reference counts "
                      << DescribeAll(Expected(nLimit)) << " (characters words lines, without breaks, without spaces). " << Narrowed(nLimit);
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
            return DescribeAll(MeasureUtf16(headUnits.data(), headUnits.size(), kLimits[nLimit])) !=
                   DescribeAll(Reference().Count(AsRead(head), kLimits[nLimit]));
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
               DescribeAll(MeasureUtf16(headUnits.data(), headUnits.size(), kLimits[nLimit])) + ", the reference " +
               DescribeAll(Reference().Count(AsRead(head), kLimits[nLimit])) + "), one fewer agree; they end " +
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
// plain text (ASCII, where UTF-8 and UTF-16 edges fall alike, and Cyrillic, on the first-plane fast path).
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
