// The raw deflate streams that zip entries hold, inflated, and their CRC-32: natively by zlib, the
// fastest; in the Windows programs (TQ_SMALL_INFLATE) by the small ones of documents/, which leave
// zlib out of their link.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "documents/reading_progress.h"

enum class InflateResult { kWhole, kBadData, kOutOfMemory, kStopped };

// Inflates the cbIn bytes at pIn into exactly cbOut bytes at pOut: kBadData when they are not a
// deflate stream that ends there. The bytes inflated are counted on pMeter (may be null); when it
// says stop, kStopped.
InflateResult InflateRaw(const unsigned char* pIn, uint64_t cbIn, unsigned char* pOut, size_t cbOut,
                         ProgressMeter* pMeter = nullptr);

// The CRC-32 of the cb bytes at p, continued from nCrc (0 for the first piece).
uint32_t ZipCrc32(uint32_t nCrc, const unsigned char* p, size_t cb);
