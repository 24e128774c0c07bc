// The zip entries' CRC-32, folded 64 bytes a step where the processor can, against a bit at a time
// written here from the polynomial: every length about the fold's steps, and in pieces.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "documents/crc32.h"

namespace {

uint32_t BitByBit(const std::vector<unsigned char>& bytes, size_t nFrom, size_t nTo) {
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = nFrom; i < nTo; ++i) {
        c ^= bytes[i];
        for (int k = 0; k < 8; ++k) c = (c & 1) != 0 ? (c >> 1) ^ 0xEDB88320u : c >> 1;
    }
    return ~c;
}

}  // namespace

TEST(Crc32, FoldedAsABitAtATimeAtEveryLengthAndInPieces) {
    const unsigned char kCheck[] = "123456789";
    EXPECT_EQ(0xCBF43926u, Crc32(0, kCheck, 9)) << "the polynomial's check value";
    std::vector<unsigned char> bytes(1100);
    uint32_t nState = 12345;
    for (unsigned char& b : bytes) {
        nState = nState * 1103515245u + 12345u;
        b = static_cast<unsigned char>(nState >> 23);
    }
    std::string folds = Crc32Folds() ? " (folded)" : " (by table)";
    for (size_t nOffset = 0; nOffset < 3; ++nOffset) {
        for (size_t cb = 0; cb + nOffset <= 300; ++cb) {
            EXPECT_EQ(BitByBit(bytes, nOffset, nOffset + cb), Crc32(0, bytes.data() + nOffset, cb))
                << cb << " bytes from " << nOffset << folds;
        }
    }
    for (size_t nCut : {1, 15, 16, 63, 64, 65, 127, 500, 1099}) {
        uint32_t nFirst = Crc32(0, bytes.data(), nCut);
        EXPECT_EQ(BitByBit(bytes, 0, bytes.size()), Crc32(nFirst, bytes.data() + nCut, bytes.size() - nCut))
            << "cut at " << nCut << folds;
    }
    EXPECT_EQ(BitByBit(bytes, 0, bytes.size()), Crc32(0, bytes.data(), bytes.size())) << "1,100 bytes" << folds;
}
