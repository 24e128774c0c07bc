// Plain text as the measurer reads it, turned into UTF-8 for a TextSink: how tallyq-count --text
// shows the text it counts. Pieces may be cut anywhere, inside a sequence or a unit.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "documents/code_pages.h"
#include "documents/document_text.h"
#include "measure/text_file.h"

// Each ill-formed part (a maximal subpart of UTF-8, a lone surrogate, a UTF-32 unit past U+10FFFF,
// a unit cut by the end) is U+FFFD; the text ends at its first U+0000, as the measurer's does.
// Line breaks are kept as they are.
class PlainTextUtf8 {
public:
    // encoding: kTextUtf8, kTextUtf16LE/BE or kTextUtf32LE/BE; any other is a single-byte code
    // page read with pTable (Windows-1252's when null).
    PlainTextUtf8(TextSink* pSink, TextFileEncoding encoding, const CodePageTable* pTable = nullptr);
    void Feed(const char* pBytes, size_t nBytes);
    // The input ended: a unit it cut is U+FFFD.
    void Finish();
    bool Ended() const { return bEnded; }

private:
    // The code point at the start of the bytes and how many bytes it took; 0 when they could be the
    // beginning of a unit that the next piece completes (never when bLast).
    size_t Decode(const unsigned char* p, size_t n, bool bLast, uint32_t* pnCodePoint) const;
    void Emit(uint32_t nCodePoint);
    void Flush();
    void DecodeHeld(bool bLast);

    TextSink* pSink;
    TextFileEncoding encoding;
    const CodePageTable* pTable;
    bool bEnded;
    size_t nHeld;
    unsigned char held[8];  // the start of a unit cut by the end of a piece
    size_t cbOut;
    char out[1024];
};
