// The clipboard's text, copied whole as UTF-16 and measured once: the line count is made again at
// every keystroke in a price field and must cover the same text as the character and word counts,
// whatever its size, without reading the text again.
#pragma once
#include <stddef.h>

#include "app/priced_text.h"
#include "documents/growing_array.h"
#include "measure/text_measure.h"

enum class ClipboardRead {
    kRead,        // its text, measured
    kNoText,      // the clipboard holds no text: the text is empty
    kUnreadable,  // it stayed busy, or its text did not fit in memory: the text is as it was
};

class ClipboardText : public PricedText {
public:
    ClipboardText();
    ~ClipboardText() override;
    ClipboardText(const ClipboardText&) = delete;
    ClipboardText& operator=(const ClipboardText&) = delete;

    // Replaces the copy with the clipboard's text and measures it, lines at nCharsPerLine. Another
    // program may hold the clipboard open for a while after a copy (clipboard history and
    // managers, a remote desktop's clipboard): it is tried for up to 2 s. The Unicode form is read
    // where the system has one (every NT system makes it from ANSI text with the clipboard's
    // locale); else the ANSI form, converted with the ANSI code page.
    ClipboardRead ReadClipboard(int nCharsPerLine);
    // The text, zero-terminated: UTF-16 units up to the text's first zero unit.
    const char16_t* Text() const { return units.Empty() ? u"" : units.Data(); }
    size_t Length() const { return units.Empty() ? 0 : units.Size() - 1; }
    TextCounts Counts() const override { return counts; }
    // The text's lines at another limit, from the class bytes kept at the reading.
    int CountLines(int nCharsPerLine) const override;
    void AddRated(const Rates& rates, RatedRow* pSums) const override;
    void GetSummary(char16_t* szSummary) const override { GetTextSummary(Text(), Length(), szSummary); }
    // One row, "Clipboard text", of kind "Text".
    size_t RowCount() const override { return 1; }
    void GetRow(size_t nIndex, const Rates& rates, QuoteFile* pRow) const override;

private:
    bool CopyUnicodeText(const char16_t* pData, size_t nBlockUnits);
    bool CopyAnsiText(const char* pData, size_t nBlockBytes);
    bool Measure(int nCharsPerLine);
    void Clear();
    void Swap(ClipboardText* pOther);
    RateCounts Rated(const Rates& rates) const;

    GrowingArray<char16_t> units;     // the text and its terminating zero
    GrowingArray<unsigned char> bytes;  // the text's class bytes
    TextCounts counts;
};
