// How the bytes of a plain text file are read. A byte-order mark (UTF-8, UTF-16LE or BE, UTF-32LE
// or BE) says the encoding and is not counted; otherwise a text whose first 64 KB are UTF-8 is read
// as UTF-8, and any other in the fallback code page (the system's ANSI code page on Windows,
// Windows-1252 elsewhere). A forced encoding skips its own mark only.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "measure/text_measure.h"

enum TextFileEncoding {
    kTextDetected,
    kTextUtf8,
    kTextUtf16LE,
    kTextUtf16BE,
    kTextUtf32LE,
    kTextUtf32BE,
    kTextWindows1252,
    kTextAnsi
};

// The encoding is decided on this much of a text: enough to tell, and a pipe need not end before
// its measuring starts.
enum { kTextDecidingBytes = 1 << 16 };

// Whether the bytes, up to a zero byte (which ends the text), are UTF-8. A sequence cut at the end
// of the bytes is taken as well formed when bCut says that its rest comes after them.
bool IsUtf8Text(const unsigned char* pBytes, size_t nBytes, bool bCut);

// The encoding that a byte-order mark at the start names, and the mark's length in *pnMark;
// kTextDetected and 0 where there is none. UTF-32's marks count only where bUtf32: a reader of
// UTF-8 and UTF-16 alone takes FF FE 00 00 as UTF-16LE's mark and a U+0000.
TextFileEncoding ByteOrderMarkOf(const void* pFirst, size_t nFirst, bool bUtf32, size_t* pnMark);

// How a text is read, from its first bytes (all of them when it is shorter, more than
// kTextDecidingBytes when it is longer); sets *pnMark to the length of the byte-order mark.
TextFileEncoding DecideTextFileEncoding(const char* pFirst, size_t nFirst, TextFileEncoding forced, size_t* pnMark);

// Measures UTF-32 fed in pieces cut anywhere: each unit becomes UTF-16 for the measurer. A unit
// past U+10FFFF or a surrogate, and an unfinished unit at the end, are U+FFFD; U+0000 ends the text.
class Utf32Feeder {
public:
    explicit Utf32Feeder(bool bBigEndian) : bBigEndian(bBigEndian), nPending(0) {}
    void Feed(TextMeasurer* pMeasurer, const char* pBytes, size_t nBytes);
    void Finish(TextMeasurer* pMeasurer);

private:
    bool bBigEndian;
    size_t nPending;
    unsigned char pending[4];
};
