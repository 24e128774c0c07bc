// The clipboard's text, copied whole: the line count is made again at every keystroke in a price
// field and must cover the same text as the character and word counts, whatever its size.
#pragma once
#include <stddef.h>

class ClipboardText {
public:
    ClipboardText() : pText(nullptr), nCapacity(0), nLength(0) {}
    ~ClipboardText();
    ClipboardText(const ClipboardText&) = delete;
    ClipboardText& operator=(const ClipboardText&) = delete;

    // Replaces the copy with the clipboard's CF_TEXT; answers false (and keeps an empty text) when
    // the clipboard holds no text, stays busy for about 100 ms, or the copy cannot be made.
    bool ReadClipboard();
    const char* Text() const { return pText != nullptr ? pText : ""; }
    size_t Length() const { return nLength; }

private:
    bool Reserve(size_t nBytes);
    char* pText;
    size_t nCapacity;
    size_t nLength;
};
