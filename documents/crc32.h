// A small CRC-32 of zlib's kind (the reflected polynomial 0xEDB88320, as zip entries carry), for
// the Windows programs, whose link then leaves out zlib's and its 8 KB of constant tables. Where
// the processor multiplies without carries (PCLMULQDQ, with SSE4.1) it folds 64 bytes a step,
// faster than zlib's, which the native programs keep only for processors without
// (documents/inflate.cpp).
#pragma once
#include <stddef.h>
#include <stdint.h>

// The CRC of the cb bytes at p continued from nCrc, which is 0 for the first piece.
uint32_t Crc32(uint32_t nCrc, const unsigned char* p, size_t cb);
// Whether Crc32 folds (PCLMULQDQ): asked of the processor once.
bool Crc32Folds();
