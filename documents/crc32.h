// A small CRC-32 of zlib's kind (the reflected polynomial 0xEDB88320, as zip entries carry): the
// Windows programs give it to zlib's inflate and the zip reader as zlib's crc32, so that their
// link leaves out zlib's own and its 8 KB of constant tables. Natively zlib's, faster, is kept.
#pragma once
#include <stddef.h>
#include <stdint.h>

// The CRC of the cb bytes at p continued from nCrc, which is 0 for the first piece.
uint32_t Crc32(uint32_t nCrc, const unsigned char* p, size_t cb);
