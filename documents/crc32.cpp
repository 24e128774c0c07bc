#include "documents/crc32.h"

namespace {

// Eight bytes a step (slicing-by-8): table k gives the CRC of a byte followed by k zero bytes.
// Made on first use into uninitialised memory, so the program file carries none of it; the
// readers run on one thread at a time.
uint32_t anTable[8][256];
bool bTableMade = false;

void MakeTable() {
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
        anTable[0][n] = c;
    }
    for (uint32_t n = 0; n < 256; ++n) {
        for (int k = 1; k < 8; ++k) anTable[k][n] = (anTable[k - 1][n] >> 8) ^ anTable[0][anTable[k - 1][n] & 0xFF];
    }
    bTableMade = true;
}

}  // namespace

uint32_t Crc32(uint32_t nCrc, const unsigned char* p, size_t cb) {
    if (!bTableMade) MakeTable();
    uint32_t c = ~nCrc;
    for (; cb >= 8; cb -= 8, p += 8) {
        uint32_t nLow = c ^ (p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24);
        uint32_t nHigh = p[4] | p[5] << 8 | p[6] << 16 | static_cast<uint32_t>(p[7]) << 24;
        c = anTable[7][nLow & 0xFF] ^ anTable[6][(nLow >> 8) & 0xFF] ^ anTable[5][(nLow >> 16) & 0xFF] ^
            anTable[4][nLow >> 24] ^ anTable[3][nHigh & 0xFF] ^ anTable[2][(nHigh >> 8) & 0xFF] ^
            anTable[1][(nHigh >> 16) & 0xFF] ^ anTable[0][nHigh >> 24];
    }
    for (; cb != 0; --cb, ++p) c = (c >> 8) ^ anTable[0][(c ^ *p) & 0xFF];
    return ~c;
}
