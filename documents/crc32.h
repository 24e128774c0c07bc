// The CRC-32 that zip entries carry (the reflected 0xEDB88320 polynomial, as zlib's crc32): made
// here so that the Windows programs do without zlib's 8 KB of constant tables.
#pragma once
#include <stddef.h>
#include <stdint.h>

// The CRC of the cb bytes at p continued from nCrc, which is 0 for the first piece.
uint32_t Crc32(uint32_t nCrc, const unsigned char* p, size_t cb);
