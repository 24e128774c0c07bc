// The benchmark's texts: real words of each language, drawn from small lists with the common words
// far more often than the rare ones, with the language's own punctuation, in paragraphs that are
// some wrapped into short lines and some left as one long line, with CR LF breaks. English is
// plain ASCII; French has its accents, typographic apostrophes and guillemets with no-break spaces;
// Russian is Cyrillic; Chinese is Han characters with its full-width punctuation and no spaces; the
// mix takes its paragraphs from all of them and from Hindi and Arabic, with words of one language
// dropped into another and emoji now and then (modifiers, flags, joined sequences, keycaps).
// The same seed gives the same bytes on every machine.
#pragma once
#include <stddef.h>
#include <stdint.h>

enum BenchLanguage { kBenchEnglish, kBenchFrench, kBenchRussian, kBenchChinese, kBenchMixed, kBenchLanguageCount };

const char* BenchLanguageName(BenchLanguage language);

// Fills pOut with exactly nBytes bytes of well-formed UTF-8 in the language; no byte is zero. The
// text is cut at a code point, and the last few bytes are spaces where it would not have fitted.
void MakeBenchText(BenchLanguage language, uint64_t nSeed, char* pOut, size_t nBytes);

// Converts well-formed UTF-8 to UTF-16 in the machine's order; pOut needs room for nBytes units.
// Returns the number of units written.
size_t Utf8ToUtf16(const char* pText, size_t nBytes, char16_t* pOut);
