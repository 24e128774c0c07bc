// Text in the system's ANSI code page, read in pieces and measured as UTF-16: how the Windows build
// of tallyq-count reads an input that is not UTF-8, as Windows programs of the system read it.
#pragma once
#ifdef _WIN32
#include <stddef.h>

#include "measure/text_measure.h"

// Whether the ANSI code page is UTF-8 (a Windows setting): its text is then fed as UTF-8 bytes, whose
// decoder carries a sequence cut between pieces itself.
bool AnsiCodePageIsUtf8();

// Converts each piece with the code page's own table and feeds the units. In a double-byte code
// page a lead byte that ends a piece waits for its trail byte at the start of the next, so that no
// character is converted in halves.
class AnsiTextFeeder {
public:
    AnsiTextFeeder();
    AnsiTextFeeder(const AnsiTextFeeder&) = delete;
    AnsiTextFeeder& operator=(const AnsiTextFeeder&) = delete;

    void Feed(TextMeasurer* pMeasurer, const char* pBytes, size_t nBytes);
    // The text ended: a lead byte still waiting is converted alone.
    void Finish(TextMeasurer* pMeasurer);

private:
    // A piece converted at a time; a lead byte at its end takes its trail byte along.
    enum { kPieceBytes = 8192, kUnits = kPieceBytes + 1 };
    void Convert(TextMeasurer* pMeasurer, const char* pBytes, size_t nBytes);

    bool bDoubleByte;
    bool bLeadByte[256];
    bool bHeld;  // a lead byte ended the last piece
    char nHeld;
    wchar_t units[kUnits];
};
#endif
