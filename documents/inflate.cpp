#include "documents/inflate.h"

#if TQ_SMALL_INFLATE
#include "documents/crc32.h"
#include "documents/small_inflate.h"

InflateResult InflateRaw(const unsigned char* pIn, uint64_t cbIn, unsigned char* pOut, size_t cbOut,
                         ProgressMeter* pMeter) {
    bool bWhole = SmallInflate(pIn, static_cast<size_t>(cbIn), pOut, cbOut, pMeter);
    if (pMeter != nullptr && pMeter->Stopped()) return InflateResult::kStopped;
    return bWhole ? InflateResult::kWhole : InflateResult::kBadData;
}

uint32_t ZipCrc32(uint32_t nCrc, const unsigned char* p, size_t cb) { return Crc32(nCrc, p, cb); }

#else
#include <string.h>
#include <zlib.h>

#include "documents/crc32.h"

InflateResult InflateRaw(const unsigned char* pIn, uint64_t cbIn, unsigned char* pOut, size_t cbOut,
                         ProgressMeter* pMeter) {
    z_stream stream;
    memset(&stream, 0, sizeof(stream));
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) return InflateResult::kOutOfMemory;
    // zlib counts in 32-bit units: the input is fed in pieces of at most 1 GiB; the output in
    // pieces of the progress step, so that the meter is told between them.
    uint64_t cbInLeft = cbIn, cbOutLeft = cbOut;
    stream.next_in = const_cast<unsigned char*>(pIn);
    stream.next_out = pOut;
    int nResult = Z_OK;
    while (nResult == Z_OK) {
        if (stream.avail_in == 0 && cbInLeft != 0) {
            stream.avail_in = static_cast<uInt>(cbInLeft < (1u << 30) ? cbInLeft : (1u << 30));
            cbInLeft -= stream.avail_in;
        }
        if (stream.avail_out == 0 && cbOutLeft != 0) {
            if (pMeter != nullptr && stream.total_out != 0 && !pMeter->Done(kProgressStepBytes)) {
                inflateEnd(&stream);
                return InflateResult::kStopped;
            }
            stream.avail_out = static_cast<uInt>(cbOutLeft < kProgressStepBytes ? cbOutLeft : kProgressStepBytes);
            cbOutLeft -= stream.avail_out;
        }
        uLong nInBefore = stream.total_in, nOutBefore = stream.total_out;
        nResult = inflate(&stream, Z_FINISH);
        bool bProgress = stream.total_in != nInBefore || stream.total_out != nOutBefore;
        // Z_BUF_ERROR only asks for the next piece of input or output while there is one to give.
        if (nResult == Z_BUF_ERROR && bProgress &&
            ((stream.avail_in == 0 && cbInLeft != 0) || (stream.avail_out == 0 && cbOutLeft != 0)))
            nResult = Z_OK;
        if (nResult == Z_OK && !bProgress && stream.avail_in != 0 && stream.avail_out != 0) nResult = Z_DATA_ERROR;
    }
    bool bWhole = nResult == Z_STREAM_END && stream.avail_out == 0 && cbOutLeft == 0;
    inflateEnd(&stream);
    if (nResult == Z_MEM_ERROR) return InflateResult::kOutOfMemory;
    return bWhole ? InflateResult::kWhole : InflateResult::kBadData;
}

uint32_t ZipCrc32(uint32_t nSeed, const unsigned char* p, size_t cb) {
    // The program's own folds 64 bytes a step where the processor multiplies without carries.
    if (Crc32Folds()) return Crc32(nSeed, p, cb);
    // zlib's CRC-32 also takes 32-bit lengths.
    uLong nCrc = nSeed;
    for (size_t off = 0; off < cb;) {
        size_t cbPiece = cb - off < (1u << 30) ? cb - off : (1u << 30);
        nCrc = crc32(nCrc, p + off, static_cast<uInt>(cbPiece));
        off += cbPiece;
    }
    return static_cast<uint32_t>(nCrc);
}
#endif
