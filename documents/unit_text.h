// What the readers of translation files in plain text (PO, .properties, .strings) share: the text
// of one unit built as it is decoded, put as a paragraph once the unit is known to count, and a
// refusal that names the line where the file went wrong.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "documents/document_text.h"
#include "documents/growing_array.h"
#include "documents/text_encoding.h"

// One unit's text in UTF-8, counted against the document's bound.
class UnitText {
public:
    explicit UnitText(DocumentText* pText) : pText(pText), bytes(pText->Kept()) {}
    // False, with the file refused, when the text cannot grow.
    bool Add(uint32_t nCodePoint);
    // A byte as it is, for an escape that names one (the text's Put makes a stray one U+FFFD).
    bool AddByte(unsigned char nByte);
    bool Empty() const { return bytes.Empty(); }
    const char* Data() const { return bytes.Data(); }
    size_t Size() const { return bytes.Size(); }
    void Clear() { bytes.Clear(); }
    // Puts the text as one paragraph when there is any; whether it did.
    bool PutParagraph();

private:
    DocumentText* pText;
    GrowingBytes bytes;
};

// Refuses the file with "REASON (line N: WHAT at byte OFFSET)".
bool RefuseAtLine(DocumentText* pText, const char* szReason, uint64_t nLine, const char* szWhat, uint64_t nOffset);

// The value of a hexadecimal digit, or -1.
int HexDigitValue(uint32_t c);

// The code point of a "\uXXXX" escape after its letter (u, or U in .strings): four hex digits,
// and a high surrogate joined with the low one escaped right after it (a lone one is U+FFFD).
// False when the four digits are not there.
bool ReadUnicodeEscape(CodePointReader* pIn, uint32_t nLetter, uint32_t* pnCodePoint);
