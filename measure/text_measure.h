// Measures of a text: characters, words, lines at a column limit, and the summary the dialog shows.
// A text is Unicode, in UTF-16 (the clipboard's), UTF-8 or Windows-1252; it ends at its first
// U+0000. Nothing here depends on the locale or the platform.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "measure/measure_kernels.h"
#include "measure/unicode_text.h"

// nChars counts every character, each line break too (a CR LF is two). Word processors count
// characters without the paragraph marks: nCharsNoBreaks leaves out the line breaks, which are the
// characters that end a line here: CR, LF, NEL (U+0085), and the line and paragraph separators
// U+2028 and U+2029. A vertical tab or a form feed ends no line, and stays counted. nCharsNoSpaces
// leaves out every character that is all Unicode White_Space: the breaks, tabs, VT, FF and the
// spaces of every script (U+0020, U+00A0, U+3000, ...); a space that a mark joins is counted.
struct TextCounts {
    int64_t nChars;
    int64_t nWords;
    int64_t nLines;
    int64_t nCharsNoBreaks;
    int64_t nCharsNoSpaces;
};

enum TextEncoding { kEncodingUtf8, kEncodingUtf16LE, kEncodingUtf16BE, kEncodingWindows1252 };

// Takes the class bytes a measurer has counted, in order, so that the text's lines can be
// counted again at another limit (CountClassByteLines) without reading the text again.
class ClassBytesSink {
public:
    virtual ~ClassBytesSink() {}
    virtual void Keep(const unsigned char* pBytes, size_t nBytes) = 0;
};

// Measures a text fed in pieces of any size, cut anywhere (inside a sequence or a character), in
// one pass and without allocation. The text ends at its first U+0000: what comes after it is never
// looked at, however many more pieces come.
class TextMeasurer {
public:
    explicit TextMeasurer(int32_t nCharsPerLine, TextEncoding encoding = kEncodingUtf8);
    // The same with a given kernel rather than the one chosen for this processor.
    TextMeasurer(int32_t nCharsPerLine, TextEncoding encoding, const MeasureKernel& kernel);
    TextMeasurer(const TextMeasurer&) = delete;
    TextMeasurer& operator=(const TextMeasurer&) = delete;

    // Measures the next piece of bytes in the measurer's encoding; returns how many of its bytes
    // belonged to the text.
    size_t Feed(const char* pText, size_t nBytes);
    // The next piece as UTF-16 units, whatever the encoding; returns how many belonged to the text.
    size_t FeedUtf16(const char16_t* pUnits, size_t nUnits);
    bool Ended() const { return chars.bEnded; }
    // The counts of everything fed so far, as if the text ended here.
    TextCounts Counts() const;
    // From now on every class byte counted goes to pSink as well (null: none).
    void KeepBytesIn(ClassBytesSink* pSink) { this->pSink = pSink; }
    // Ends the text: its counts, with its last bytes handed to the sink. Nothing is fed after.
    TextCounts Finish();

private:
    static const size_t kStep = 8192;
    static const size_t kBufferSize = kStep + 4;
    void Count(size_t nWritten);

    CharacterState chars;
    MeasureState state;
    const MeasureKernel* pKernel;
    int32_t nCharsPerLine;
    TextEncoding encoding;
    bool bOddByte;            // UTF-16 from bytes: a unit's first byte came at the end of a piece
    unsigned char nOddByte;
    size_t nBuffered;         // class bytes in the buffer: the last may be open, the rest are counted
    ClassBytesSink* pSink;
    unsigned char buffer[kBufferSize];
};

// A count as the 32-bit number that is shown and priced: a larger one saturates.
inline int SaturateToInt(int64_t n) { return n > INT32_MAX ? INT32_MAX : static_cast<int>(n); }

// Counts of a whole zero-terminated text, read as UTF-8. A text longer than a 32-bit count can hold
// saturates. The program measures the clipboard's text by its length instead (MeasureUtf16Keeping);
// these stay as the short way to measure a plain text, which the tests of the measuring rules use.
int CountChars(const char* szUtf8);
int CountWords(const char* szUtf8);
int CountLines(const char* szUtf8, int nCharsPerLine);
TextCounts MeasureUtf8(const char* pText, size_t nBytes, int32_t nCharsPerLine);
TextCounts MeasureUtf16(const char16_t* pUnits, size_t nUnits, int32_t nCharsPerLine);

// Measures a UTF-16 text and keeps its class bytes in pBytes (room for nUnits + 2 bytes), so
// that its lines can be counted again at another limit without reading the text again.
TextCounts MeasureUtf16Keeping(const char16_t* pUnits, size_t nUnits, int32_t nCharsPerLine, unsigned char* pBytes,
                               size_t* pnBytes);
// The line count of kept class bytes.
int CountClassByteLines(const unsigned char* pBytes, size_t nBytes, int nCharsPerLine);

// The dialog's summary, counted in UTF-16 units: the text itself up to 190 units; a longer text
// shows its first 100 units, "..." and its last 90, each cut moved inwards to the nearest character
// boundary, with line breaks, tabs and other control characters shown as spaces.
// szSummary must hold kSummaryBufferSize units.
enum { kSummaryBufferSize = 260, kSummaryMaxWhole = 190, kSummaryHead = 100, kSummaryTail = 90 };
void GetTextSummary(const char16_t* pUnits, size_t nUnits, char16_t* szSummary);
