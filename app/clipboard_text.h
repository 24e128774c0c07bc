// The clipboard's text, copied whole as UTF-16 and measured once: the line count is made again at
// every keystroke in a price field and must cover the same text as the character and word counts,
// whatever its size, without reading the text again.
#pragma once
#include <stddef.h>

#include "measure/text_measure.h"

class ClipboardText {
public:
    ClipboardText();
    ~ClipboardText();
    ClipboardText(const ClipboardText&) = delete;
    ClipboardText& operator=(const ClipboardText&) = delete;

    // Replaces the copy with the clipboard's text and measures it, lines at nCharsPerLine; answers
    // false (and keeps an empty text) when the clipboard holds no text, stays busy for about 100 ms,
    // or the copy cannot be made. The Unicode form is read where the system has one (every NT
    // system makes it from ANSI text with the clipboard's locale); else the ANSI form, converted
    // with the ANSI code page.
    bool ReadClipboard(int nCharsPerLine);
    // The text, zero-terminated: UTF-16 units up to the text's first zero unit.
    const char16_t* Text() const { return pUnits != nullptr ? pUnits : u""; }
    size_t Length() const { return nUnits; }
    const TextCounts& Counts() const { return counts; }
    // The text's lines at another limit, from the measuring bytes kept at the reading.
    int CountLines(int nCharsPerLine) const;

private:
    bool CopyUnicodeText(const char16_t* pData, size_t nBlockUnits);
    bool CopyAnsiText(const char* pData, size_t nBlockBytes);
    bool Measure(int nCharsPerLine);
    void Clear();

    char16_t* pUnits;
    size_t nUnitCapacity;
    size_t nUnits;
    unsigned char* pBytes;  // the text's measuring bytes
    size_t nByteCapacity;
    size_t nBytes;
    TextCounts counts;
};
