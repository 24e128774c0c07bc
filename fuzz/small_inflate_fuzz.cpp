// Any bytes as a deflate stream, inflated to a size the input names: the small inflater of the
// Windows programs accepts exactly what zlib accepts for that size, with the same bytes, writes
// nothing past its buffer, and refuses each stream for the reason zlib gives for it.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <zlib.h>

#include "documents/small_inflate.h"
#include "fuzz/fuzz_input.h"

namespace {

// How zlib's inflate left one stream, inflated in one call with Z_FINISH.
struct ZlibEnd {
    int nResult;
    const char* szMessage;  // z_stream.msg, which zlib sets with Z_DATA_ERROR only
    size_t cbInLeft, cbRoomLeft;
};

ZlibEnd ZlibInflate(const unsigned char* pIn, size_t cbIn, unsigned char* pOut, size_t cbOut) {
    z_stream stream = {};
    if (inflateInit2(&stream, -15) != Z_OK) abort();
    stream.next_in = const_cast<unsigned char*>(pIn);
    stream.avail_in = static_cast<uInt>(cbIn);
    stream.next_out = pOut;
    stream.avail_out = static_cast<uInt>(cbOut);
    ZlibEnd end;
    end.nResult = inflate(&stream, Z_FINISH);
    end.szMessage = stream.msg;  // a static text of zlib's
    end.cbInLeft = stream.avail_in;
    end.cbRoomLeft = stream.avail_out;
    inflateEnd(&stream);
    return end;
}

// What zlib says where it sets no message: the stream's end, or Z_BUF_ERROR (Z_OK becomes that
// with Z_FINISH) when it ran out of input or of room. zlib may run out of both at once.
const char kWhole[] = "<stream end, room filled>";
const char kShort[] = "<stream end, room left>";
const char kNoInput[] = "<out of input>";
const char kNoRoom[] = "<out of room>";

bool ZlibSays(const ZlibEnd& end, const char* szSays) {
    if (szSays == kWhole || szSays == kShort)
        return end.nResult == Z_STREAM_END && (end.cbRoomLeft == 0) == (szSays == kWhole);
    if (szSays == kNoInput || szSays == kNoRoom)
        return end.nResult == Z_BUF_ERROR && end.szMessage == nullptr &&
               (szSays == kNoInput ? end.cbInLeft : end.cbRoomLeft) == 0;
    return end.nResult == Z_DATA_ERROR && end.szMessage != nullptr && strcmp(end.szMessage, szSays) == 0;
}

// Each refusal and what zlib says of the same stream: its z_stream.msg, or one of the ends above.
// Both meet a stream's faults in the same order, so each refusal has one answer of zlib's, with
// one exception: a code lengths' code with no codes at all. zlib builds it as a table whose every
// entry reads one bit as the length 0, so it reads on until it finds no end-of-block code, or
// runs out of input first; the small inflater refuses the empty code at once.
struct Mapping {
    InflateRefusal refusal;
    const char* szSays;
    const char* szOrSays;
};
const Mapping kMappings[] = {
    {InflateRefusal::kNone, kWhole, nullptr},
    {InflateRefusal::kInputEnded, kNoInput, nullptr},
    {InflateRefusal::kOutputFull, kNoRoom, nullptr},
    {InflateRefusal::kOutputShort, kShort, nullptr},
    {InflateRefusal::kInvalidBlockType, "invalid block type", nullptr},
    {InflateRefusal::kStoredLengthNotComplement, "invalid stored block lengths", nullptr},
    {InflateRefusal::kTooManyCodes, "too many length or distance symbols", nullptr},
    {InflateRefusal::kBadCodeLengthSet, "invalid code lengths set", nullptr},
    {InflateRefusal::kEmptyCodeLengthSet, "invalid code -- missing end-of-block", kNoInput},
    {InflateRefusal::kRepeatWithoutLength, "invalid bit length repeat", nullptr},
    {InflateRefusal::kRepeatPastEnd, "invalid bit length repeat", nullptr},
    {InflateRefusal::kNoEndOfBlockCode, "invalid code -- missing end-of-block", nullptr},
    {InflateRefusal::kBadLiteralLengthSet, "invalid literal/lengths set", nullptr},
    {InflateRefusal::kBadDistanceSet, "invalid distances set", nullptr},
    {InflateRefusal::kInvalidLiteralLengthCode, "invalid literal/length code", nullptr},
    {InflateRefusal::kInvalidDistanceCode, "invalid distance code", nullptr},
    {InflateRefusal::kDistanceTooFarBack, "invalid distance too far back", nullptr},
    // kStopped needs a progress meter, which this target gives none: it has no row.
};

const Mapping* MappingOf(InflateRefusal refusal) {
    for (const Mapping& mapping : kMappings) {
        if (mapping.refusal == refusal) return &mapping;
    }
    return nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pBytes, size_t nSize) {
    size_t cbOut = Take<uint16_t>(pBytes, nSize);
    // Copies of exactly their sizes, so that any access beyond them shows.
    unsigned char* pIn = static_cast<unsigned char*>(malloc(nSize > 0 ? nSize : 1));
    memcpy(pIn, pBytes, nSize);
    unsigned char* pSmall = static_cast<unsigned char*>(malloc(cbOut > 0 ? cbOut : 1));
    unsigned char* pZlib = static_cast<unsigned char*>(malloc(cbOut > 0 ? cbOut : 1));
    InflateRefusal refusal = SmallInflateWithReason(pIn, nSize, pSmall, cbOut);
    ZlibEnd end = ZlibInflate(pIn, nSize, pZlib, cbOut);
    const Mapping* pMapping = MappingOf(refusal);
    bool bAgrees = pMapping != nullptr &&
                   (ZlibSays(end, pMapping->szSays) || (pMapping->szOrSays != nullptr && ZlibSays(end, pMapping->szOrSays)));
    if (!bAgrees) {
        fprintf(stderr, "refusal %d (zlib: %s); zlib returned %d, \"%s\", %zu input bytes and %zu of room left\n",
                static_cast<int>(refusal), pMapping != nullptr ? pMapping->szSays : "no mapping", end.nResult,
                end.szMessage != nullptr ? end.szMessage : "", end.cbInLeft, end.cbRoomLeft);
    }
    Check(bAgrees);
    if (refusal == InflateRefusal::kNone) Check(memcmp(pSmall, pZlib, cbOut) == 0);
    free(pIn);
    free(pSmall);
    free(pZlib);
    return 0;
}
