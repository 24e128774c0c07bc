// The measuring benchmark's end-to-end part: tallyq-count against GNU wc on page-cached files, the
// English and mixed UTF-8 texts and two Windows-1252 ones.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include <string>

#include "measure/text_measure.h"

// What the runs read, made while the languages are measured: the UTF-8 files written, and their counts.
struct EndToEndTexts {
    std::string englishPath, mixedPath;
    size_t nBytes;  // of each UTF-8 file
    TextCounts englishCounts, mixedCounts;
    std::string english1252, french1252;
};

struct EndToEndFigures {
    double dEnglishRatio, dMixedRatio, d1252EnglishRatio, d1252FrenchRatio;  // wc's time over tallyq-count's
    double d1252FrenchRate;  // bytes of input a second
    bool bMixedRan, b1252Ran;
};

// Windows-1252 of a UTF-8 text: each code point the code page has as its byte, any other as '?'.
// With nEvery, the word "caf\xE9 " goes in after every nEvery-th space (English with accents).
std::string ToWindows1252(const char* pText, size_t nBytes, int nEvery);

// Times each pair, printing their figures; false when a program could not run or tallyq-count's
// counts are not the measure's at nCharsPerLine. The Windows-1252 texts are written over the
// English file, which the UTF-8 runs are done with.
bool TimeEndToEnd(const EndToEndTexts& texts, const std::string& countProgram, int32_t nCharsPerLine,
                  EndToEndFigures* pFigures);
