// Any bytes as a deflate stream, inflated to a size the input names: the small inflater of the
// Windows programs accepts exactly what zlib accepts for that size, with the same bytes, and
// writes nothing past its buffer.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <zlib.h>

#include "documents/small_inflate.h"
#include "fuzz/fuzz_input.h"

namespace {
// zlib's answer: the stream inflates to exactly cbOut bytes, its last block ending within them.
bool ZlibInflates(const unsigned char* pIn, size_t cbIn, unsigned char* pOut, size_t cbOut) {
    z_stream stream = {};
    if (inflateInit2(&stream, -15) != Z_OK) return false;
    stream.next_in = const_cast<unsigned char*>(pIn);
    stream.avail_in = static_cast<uInt>(cbIn);
    stream.next_out = pOut;
    stream.avail_out = static_cast<uInt>(cbOut);
    int nResult = inflate(&stream, Z_FINISH);
    bool bWhole = nResult == Z_STREAM_END && stream.total_out == cbOut;
    inflateEnd(&stream);
    return bWhole;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pBytes, size_t nSize) {
    size_t cbOut = Take<uint16_t>(pBytes, nSize);
    // Copies of exactly their sizes, so that any access beyond them shows.
    unsigned char* pIn = static_cast<unsigned char*>(malloc(nSize > 0 ? nSize : 1));
    memcpy(pIn, pBytes, nSize);
    unsigned char* pSmall = static_cast<unsigned char*>(malloc(cbOut > 0 ? cbOut : 1));
    unsigned char* pZlib = static_cast<unsigned char*>(malloc(cbOut > 0 ? cbOut : 1));
    bool bSmall = SmallInflate(pIn, nSize, pSmall, cbOut);
    bool bZlib = ZlibInflates(pIn, nSize, pZlib, cbOut);
    Check(bSmall == bZlib);
    if (bSmall) Check(memcmp(pSmall, pZlib, cbOut) == 0);
    free(pIn);
    free(pSmall);
    free(pZlib);
    return 0;
}
