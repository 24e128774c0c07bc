// The raw deflate streams that zip entries hold, inflated, and their CRC-32: natively by zlib, the
// fastest; in the Windows programs (TQ_SMALL_INFLATE) by the small ones of documents/, which leave
// zlib out of their link.
#pragma once
#include <stddef.h>
#include <stdint.h>

enum class InflateResult { kWhole, kBadData, kOutOfMemory };

// Inflates the cbIn bytes at pIn into exactly cbOut bytes at pOut: kBadData when they are not a
// deflate stream that ends there.
InflateResult InflateRaw(const unsigned char* pIn, uint64_t cbIn, unsigned char* pOut, size_t cbOut);

// The CRC-32 of the cb bytes at p.
uint32_t ZipCrc32(const unsigned char* p, size_t cb);
