// The benchmark's text: English-like words and punctuation in paragraphs, some wrapped into short
// lines and some left as one long line, CR LF breaks, and now and then a byte of 0x80..0xFF (the
// accented letters, quotes and dashes of the ANSI code page). The same seed gives the same bytes.
#pragma once
#include <stddef.h>
#include <stdint.h>

// Fills p with nBytes bytes of text; no byte is zero.
void MakeBenchText(uint64_t nSeed, char* p, size_t nBytes);
