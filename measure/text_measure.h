// Measures of a text: characters, words, lines at a column limit, and the summary the dialog shows.
// Every rule is a rule on bytes; nothing here depends on the locale or the platform.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "measure/measure_kernels.h"

struct TextCounts {
    int64_t nChars;
    int64_t nWords;
    int64_t nLines;
};

// Measures a text fed in pieces of any size, in one pass and without allocation. The text ends at
// its first zero byte: bytes after it are never looked at, however many more pieces come.
class TextMeasurer {
public:
    explicit TextMeasurer(int32_t nCharsPerLine);
    // The same with a given kernel rather than the one chosen for this processor.
    TextMeasurer(int32_t nCharsPerLine, const MeasureKernel& kernel);

    // Measures the next piece; answers how many of its bytes belonged to the text.
    size_t Feed(const char* pText, size_t nBytes);
    bool Ended() const { return bEnded; }
    const TextCounts& Counts() const { return counts; }

private:
    TextCounts counts;
    MeasureState state;
    const MeasureKernel* pKernel;
    int32_t nCharsPerLine;
    bool bEnded;
};

// Word bytes: letters, digits, apostrophe, full stop, colon and 0x80..0xA5. Runs of them are words.
bool IsWordByte(unsigned char c);

// Counts of a zero-terminated text. A text longer than a 32-bit count can hold saturates.
int CountChars(const char* szText);
int CountWords(const char* szText);
int CountLines(const char* szText, int nCharsPerLine);
// The same for a text of known length; a zero byte within it still ends the text. Each runs only
// the loop it needs: the words one or the lines one.
int CountWords(const char* pText, size_t nLength);
int CountLines(const char* pText, size_t nLength, int nCharsPerLine);

// The dialog's summary: the text itself up to 190 bytes; longer texts show their first 100 bytes,
// "..." and their last 90 bytes with every control or high byte shown as a space.
// szSummary must hold kSummaryBufferSize bytes.
enum { kSummaryBufferSize = 260, kSummaryMaxWhole = 190, kSummaryHead = 100, kSummaryTail = 90 };
void GetTextSummary(const char* szText, char* szSummary);
// The same for a text of known length (holding no zero byte), without measuring it again.
void GetTextSummary(const char* pText, size_t nLength, char* szSummary);
