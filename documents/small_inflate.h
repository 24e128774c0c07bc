// A small inflater of raw deflate streams (RFC 1951), for the Windows programs: two kilobytes
// where zlib's inflate weighs 26. It refuses what zlib's refuses, and the tests hold it to zlib.
#pragma once
#include <stddef.h>

#include "documents/reading_progress.h"

// Why a stream is refused: the first fault met, in the order zlib's inflate meets them.
enum class InflateRefusal : unsigned char {
    kNone,                        // inflated whole
    kInputEnded,                  // the input ends before the last block does
    kOutputFull,                  // the blocks go on past the room given
    kOutputShort,                 // the last block ends before the room is filled
    kStopped,                     // the progress meter said stop
    kInvalidBlockType,            // a block of type 3, which deflate leaves unused
    kStoredLengthNotComplement,   // a stored block's length is not the complement of the next one
    kTooManyCodes,                // more than 286 literal/length or 30 distance codes
    kBadCodeLengthSet,            // the code lengths' own code is over-subscribed or incomplete
    kEmptyCodeLengthSet,          // the code lengths' own code has no codes at all
    kRepeatWithoutLength,         // a repeat of the previous length where there is none
    kRepeatPastEnd,               // a repeat past the last length of the block's codes
    kNoEndOfBlockCode,            // the end-of-block symbol has no code
    kBadLiteralLengthSet,         // the literal/length code is over-subscribed or incomplete
    kBadDistanceSet,              // the distance code is over-subscribed or incomplete
    kInvalidLiteralLengthCode,    // a literal/length code unused, or symbol 286 or 287
    kInvalidDistanceCode,         // a distance code unused, or symbol 30 or 31
    kDistanceTooFarBack,          // a copy from before the output's start
};

// Inflates the cbIn bytes at pIn, when they begin with a well-formed deflate stream whose blocks,
// up to the last, inflate to exactly cbOut bytes, into pOut; bytes after the last block are not
// read. Returns kNone, or why the stream is refused. The bytes written are counted on pMeter (may
// be null); when it says stop, kStopped.
InflateRefusal SmallInflateWithReason(const unsigned char* pIn, size_t cbIn, unsigned char* pOut, size_t cbOut,
                                      ProgressMeter* pMeter = nullptr);

// Whether the stream inflated whole, for callers that need no reason.
inline bool SmallInflate(const unsigned char* pIn, size_t cbIn, unsigned char* pOut, size_t cbOut,
                         ProgressMeter* pMeter = nullptr) {
    return SmallInflateWithReason(pIn, cbIn, pOut, cbOut, pMeter) == InflateRefusal::kNone;
}
