// Bytes in a code page to UTF-8, by the system's own converters: the readers stay platform-free and
// ask this interface for every code page their built-in tables do not hold (the double-byte ones
// of Chinese, Japanese and Korean text, the DOS, Mac, KOI8 and ISO 8859 pages).
//
// The contract, the same for every converter: each byte sequence the code page cannot map becomes
// one U+FFFD (never the code page's default character), and a converter that lacks the code page
// says so. A sequence is the shortest run of one to four bytes from where the last one ended that
// the code page maps; where none does, that one byte is the unmapped sequence.
#pragma once
#include <stddef.h>

#include "documents/growing_array.h"

enum class Conversion { kConverted, kMissingCodePage, kOutOfMemory };

class CodePageConverter {
public:
    virtual ~CodePageConverter() {}
    // Appends the UTF-8 of the bytes to pOut.
    virtual Conversion ToUtf8(int nCodePage, const unsigned char* pBytes, size_t cbBytes,
                              GrowingArray<char>* pOut) = 0;
};

// The converter the readers use, set once by the program before it reads; null (the default):
// only the built-in tables are read.
void SetCodePageConverter(CodePageConverter* pConverter);
CodePageConverter* SystemCodePageConverter();

// Converts with the system's converter (or a built-in table, UTF-8 and UTF-16 as they are) to
// UTF-8; false with the reason when the code page is missing or memory fails.
bool ConvertToUtf8(int nCodePage, const unsigned char* pBytes, size_t cbBytes, GrowingArray<char>* pOut,
                   const char** pszRefusal);
