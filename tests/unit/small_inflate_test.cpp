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

}  // namespace
