// A small inflater of raw deflate streams (RFC 1951), for the Windows programs: two kilobytes
// where zlib's inflate weighs 26. It refuses what zlib's refuses, and the tests hold it to zlib.
#pragma once
#include <stddef.h>

#include "documents/reading_progress.h"

// Whether the cbIn bytes at pIn begin with a sound deflate stream whose blocks, up to the last,
// inflate to exactly cbOut bytes, written to pOut; bytes after the last block are not read. The
// bytes written are counted on pMeter (may be null); false, with pMeter->Stopped(), when it says stop.
bool SmallInflate(const unsigned char* pIn, size_t cbIn, unsigned char* pOut, size_t cbOut,
                  ProgressMeter* pMeter = nullptr);
