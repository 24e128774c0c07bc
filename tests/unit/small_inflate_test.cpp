#include "documents/small_inflate.h"

#include <gtest/gtest.h>
#include <string.h>
#include <zlib.h>

#include <string>
#include <vector>

namespace {

typedef std::vector<unsigned char> Bytes;

Bytes Deflate(const Bytes& data, int nLevel, int nStrategy) {
    z_stream stream = {};
    EXPECT_EQ(Z_OK, deflateInit2(&stream, nLevel, Z_DEFLATED, -MAX_WBITS, 8, nStrategy));
    Bytes out(deflateBound(&stream, static_cast<uLong>(data.size())));
    stream.next_in = const_cast<unsigned char*>(data.data());
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = out.data();
    stream.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(Z_STREAM_END, deflate(&stream, Z_FINISH));
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

// What the zip reader asks of zlib: a stream that ends with exactly cbOut bytes; "!" if not.
std::string ZlibInflated(const Bytes& in, size_t cbOut) {
    std::string out(cbOut + 1, '\0');
    z_stream stream = {};
    EXPECT_EQ(Z_OK, inflateInit2(&stream, -MAX_WBITS));
    stream.next_in = const_cast<unsigned char*>(in.data());
    stream.avail_in = static_cast<uInt>(in.size());
    stream.next_out = reinterpret_cast<unsigned char*>(&out[0]);
    stream.avail_out = static_cast<uInt>(cbOut);
    bool bWhole = inflate(&stream, Z_FINISH) == Z_STREAM_END && stream.avail_out == 0;
    inflateEnd(&stream);
    return bWhole ? out.substr(0, cbOut) : "!";
}

std::string SmallInflated(const Bytes& in, size_t cbOut) {
    std::string out(cbOut + 1, '\0');
    bool bWhole = SmallInflate(in.data(), in.size(), reinterpret_cast<unsigned char*>(&out[0]), cbOut);
    return bWhole ? out.substr(0, cbOut) : "!";
}

uint32_t nSeed = 1;
uint32_t Random() { return (nSeed = nSeed * 1103515245u + 12345u) >> 8; }

// Text that deflates in every way: words repeated near and far, and runs of a byte.
Bytes SampleText(size_t cb) {
    static const char* const kWords[] = {"alpha ", "beta ", "gamma\n", "delta, ", "\xC3\xA9t\xC3\xA9 ", "x"};
    Bytes text;
    while (text.size() < cb) {
        uint32_t n = Random();
        if (n % 17 == 0) text.insert(text.end(), n % 300, static_cast<unsigned char>(n >> 9));
        else if (n % 5 == 0) text.push_back(static_cast<unsigned char>(n >> 11));
        else text.insert(text.end(), kWords[n % 6], kWords[n % 6] + strlen(kWords[n % 6]));
    }
    text.resize(cb);
    return text;
}

TEST(SmallInflate, InflatesWhatZlibDeflatesAtEveryLevelAndStrategy) {
    const int kStrategies[] = {Z_DEFAULT_STRATEGY, Z_FILTERED, Z_HUFFMAN_ONLY, Z_RLE, Z_FIXED};
    for (size_t cb : {0u, 1u, 258u, 70000u}) {
        Bytes text = SampleText(cb);
        std::string expected(text.begin(), text.end());
        for (int nLevel = 0; nLevel <= 9; nLevel += 3) {
            for (int nStrategy : kStrategies) {
                Bytes deflated = Deflate(text, nLevel, nStrategy);
                EXPECT_TRUE(SmallInflated(deflated, cb) == expected) << cb << " bytes, level " << nLevel << ", strategy " << nStrategy;
                EXPECT_EQ("!", SmallInflated(deflated, cb + 1)) << "room for a byte more than it holds";
                if (cb != 0) {
                    EXPECT_EQ("!", SmallInflated(deflated, cb - 1)) << "room for a byte less";
                }
                if (!deflated.empty()) {
                    deflated.pop_back();
                    EXPECT_EQ(ZlibInflated(deflated, cb), SmallInflated(deflated, cb)) << "cut by a byte";
                }
            }
        }
    }
}

TEST(SmallInflate, RefusesWhatZlibRefuses) {
    // Streams with bytes changed, cut or added, above all in their blocks' headers: inflated, or
    // refused, as zlib does.
    int nDiffering = 0, nWhole = 0, nRuns = 0;
    for (int nStream = 0; nStream < 12; ++nStream) {
        Bytes text = SampleText(200 + Random() % 3000);
        const int kStrategies[] = {Z_DEFAULT_STRATEGY, Z_HUFFMAN_ONLY, Z_FIXED};
        Bytes deflated = Deflate(text, 1 + nStream % 9, kStrategies[nStream % 3]);
        for (int nRun = 0; nRun < 400; ++nRun, ++nRuns) {
            Bytes changed = deflated;
            int nChanges = 1 + static_cast<int>(Random() % 3);
            for (int i = 0; i < nChanges; ++i) {
                size_t off = Random() % (Random() % 2 ? changed.size() : (changed.size() < 40 ? changed.size() : 40));
                switch (Random() % 4) {
                case 0: changed[off] ^= static_cast<unsigned char>(1u << Random() % 8); break;
                case 1: changed[off] = static_cast<unsigned char>(Random()); break;
                case 2: changed.resize(off); break;
                default: changed.insert(changed.begin() + static_cast<long>(off), static_cast<unsigned char>(Random()));
                }
                if (changed.empty()) changed.push_back(static_cast<unsigned char>(Random()));
            }
            size_t cbOut = Random() % 8 == 0 ? text.size() + Random() % 3 - 1 : text.size();
            std::string zlib = ZlibInflated(changed, cbOut);
            if (zlib != "!") ++nWhole;
            if (zlib != SmallInflated(changed, cbOut)) ++nDiffering;
        }
    }
    EXPECT_EQ(0, nDiffering) << "of " << nRuns << " changed streams";
    EXPECT_LT(0, nWhole) << "some changed streams still inflate";
}

TEST(SmallInflate, HandMadeBlocks) {
    struct Case {
        const char* szWhat;
        Bytes stream;
        size_t cbOut;
        const char* szExpected;
    };
    const Case kCases[] = {
        {"an empty stored last block", {0x01, 0x00, 0x00, 0xFF, 0xFF}, 0, ""},
        {"a stored block whose lengths disagree", {0x01, 0x01, 0x00, 0xFF, 0xFF, 'a'}, 1, "!"},
        {"blocks of the fourth type", {0x07, 0x00}, 0, "!"},
        {"a stored block, then a fixed one", {0x00, 0x01, 0x00, 0xFE, 0xFF, 'a', 0x4B, 0x04, 0x00}, 2, "aa"},
        {"a copy from before the start", {0x03, 0x02, 0x00}, 3, "!"},
        {"nothing after a block that is not the last", {0x00, 0x00, 0x00, 0xFF, 0xFF}, 0, "!"},
    };
    for (const Case& c : kCases) {
        EXPECT_EQ(c.szExpected, SmallInflated(c.stream, c.cbOut)) << c.szWhat;
        EXPECT_EQ(c.szExpected, ZlibInflated(c.stream, c.cbOut)) << c.szWhat << " (zlib)";
    }
}

// A deflate stream written by hand: a field's bits go lowest first, a prefix code's first bit first.
class Stream {
public:
    Stream& Field(uint32_t nValue, int nBits) {
        for (int i = 0; i < nBits; ++i) Bit((nValue >> i) & 1);
        return *this;
    }
    Stream& Code(uint32_t nCode, int nBits) {
        for (int i = nBits - 1; i >= 0; --i) Bit((nCode >> i) & 1);
        return *this;
    }
    // The last block's header, of the type given.
    Stream& Last(uint32_t nType) { return Field(1, 1).Field(nType, 2); }
    // A dynamic last block's header for 257 literal/length and 1 distance codes, and the code
    // lengths' own code: its lengths in the order the format gives them (16, 17, 18, 0, 8, 7, ...).
    Stream& Dynamic(const std::vector<uint32_t>& codeLengthLengths) {
        Last(2).Field(0, 5).Field(0, 5).Field(static_cast<uint32_t>(codeLengthLengths.size() - 4), 4);
        for (uint32_t n : codeLengthLengths) Field(n, 3);
        return *this;
    }
    Bytes bytes;

private:
    void Bit(uint32_t n) {
        if (nBits % 8 == 0) bytes.push_back(0);
        bytes.back() = static_cast<unsigned char>(bytes.back() | n << (nBits % 8));
        ++nBits;
    }
    int nBits = 0;
};

TEST(SmallInflate, SaysWhyAStreamIsRefused) {
    // Codes of the lengths' own code: with 0 and 18 of one bit each, 0 is "0" and 18 is "1"; with
    // 18 of one bit and two more of two, 18 is "0" and the others "10" and "11" in their order.
    // The 258 lengths are 138 + 118 zeros by two 18s (counts 127 and 107), then 256's, then the
    // distance's.
    struct Case {
        const char* szWhat;
        Bytes stream;
        size_t cbOut;
        InflateRefusal expected;
    };
    const Case kCases[] = {
        {"a stored block cut in its lengths", {0x01, 0x01, 0x00}, 1, InflateRefusal::kInputEnded},
        {"a literal with no room", Stream().Last(1).Code(0x30 + 'a', 8).Code(0, 7).bytes, 0, InflateRefusal::kOutputFull},
        {"an empty stored block given room", {0x01, 0x00, 0x00, 0xFF, 0xFF}, 1, InflateRefusal::kOutputShort},
        {"a block of type 3", Stream().Last(3).bytes, 0, InflateRefusal::kInvalidBlockType},
        {"a stored length of 1 beside 0xFFFF", {0x01, 0x01, 0x00, 0xFF, 0xFF, 'a'}, 1,
         InflateRefusal::kStoredLengthNotComplement},
        {"287 literal/length codes", Stream().Last(2).Field(30, 5).Field(0, 5).Field(0, 4).bytes, 0,
         InflateRefusal::kTooManyCodes},
        {"four one-bit code lengths' codes", Stream().Dynamic({1, 1, 1, 1}).bytes, 0, InflateRefusal::kBadCodeLengthSet},
        {"no code lengths' codes", Stream().Dynamic({0, 0, 0, 0}).bytes, 0, InflateRefusal::kEmptyCodeLengthSet},
        {"a first length that repeats the one before", Stream().Dynamic({1, 0, 0, 1}).Code(1, 1).Field(0, 2).bytes, 0,
         InflateRefusal::kRepeatWithoutLength},
        {"276 lengths of 258", Stream().Dynamic({0, 0, 1, 1}).Code(1, 1).Field(127, 7).Code(1, 1).Field(127, 7).bytes, 0,
         InflateRefusal::kRepeatPastEnd},
        {"258 zero lengths", Stream().Dynamic({0, 0, 1, 1}).Code(1, 1).Field(127, 7).Code(1, 1).Field(109, 7).bytes, 0,
         InflateRefusal::kNoEndOfBlockCode},
        {"only end-of-block, of 8 bits",
         Stream().Dynamic({0, 0, 1, 2, 2}).Code(0, 1).Field(127, 7).Code(0, 1).Field(107, 7).Code(3, 2).Code(2, 2).bytes,
         0, InflateRefusal::kBadLiteralLengthSet},
        {"one distance, of 2 bits",
         Stream()
             .Dynamic({0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2})
             .Code(0, 1).Field(127, 7).Code(0, 1).Field(107, 7).Code(2, 2).Code(3, 2)
             .bytes,
         0, InflateRefusal::kBadDistanceSet},
        {"fixed literal/length 286", Stream().Last(1).Code(0xC0 + 6, 8).bytes, 0, InflateRefusal::kInvalidLiteralLengthCode},
        {"fixed distance 30", Stream().Last(1).Code(1, 7).Code(30, 5).bytes, 3, InflateRefusal::kInvalidDistanceCode},
        {"a distance of 1 at the start", Stream().Last(1).Code(1, 7).Code(0, 5).bytes, 3,
         InflateRefusal::kDistanceTooFarBack},
    };
    for (const Case& c : kCases) {
        std::string out(c.cbOut + 1, '\0');
        InflateRefusal got = SmallInflateWithReason(c.stream.data(), c.stream.size(),
                                                    reinterpret_cast<unsigned char*>(&out[0]), c.cbOut);
        EXPECT_EQ(static_cast<int>(c.expected), static_cast<int>(got)) << c.szWhat << ": got refusal " << static_cast<int>(got)
                                                                      << ", expected " << static_cast<int>(c.expected);
        EXPECT_EQ("!", ZlibInflated(c.stream, c.cbOut)) << c.szWhat << " (zlib)";
    }
}

}  // namespace
