// The counting rules read again for the tests, apart from the program: their own reading of
// Unicode's data files, the grapheme cluster rules written as Unicode states them (over the whole
// text, not as a state carried along), and the word and line rules one character at a time. It
// shares no code or table with measure/, so that the two agreeing means something.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

namespace unicode_reference {

struct Counts {
    int64_t nChars;
    int64_t nWords;
    int64_t nLines;
    int64_t nCharsNoBreaks;  // the characters less the line breaks
    int64_t nCharsNoSpaces;  // the characters less those of White_Space code points only
};

// The grapheme break values of GraphemeBreakProperty.txt (Any: none listed).
enum class Break : uint8_t { Any, CR, LF, Control, Extend, ZWJ, RegionalIndicator, Prepend, SpacingMark, L, V, T, LV, LVT };

// What a code point is to the word and line rules.
enum class Role : uint8_t {
    Word,        // letters, marks and numbers, and the punctuation that continues a word
    Symbol,      // printable, between words
    Space,       // takes a column without starting a line
    LineBreak,   // ends a line
    Ignored,     // controls and format characters: no column, between words
    Joiner,      // neither starts, continues nor ends a word, and takes no column
    Ideograph,   // a word by itself
    EmojiMark    // makes the character it is in a symbol
};

class Reference {
public:
    // Reads UnicodeData.txt, Scripts.txt, auxiliary/GraphemeBreakProperty.txt and
    // emoji/emoji-data.txt from the folder; false, with what went wrong in *pError, when it cannot.
    bool Load(const std::string& folder, std::string* pError);
    // The version GraphemeBreakProperty.txt names in its first line.
    const std::string& Version() const { return version; }

    Break BreakOf(char32_t c) const;
    Role RoleOf(char32_t c) const;
    // Unicode's White_Space: the separators (Zs, Zl, Zp), the controls U+0009..U+000D and U+0085.
    bool IsWhiteSpace(char32_t c) const;
    // Where each character of the text begins, and its end: the extended grapheme cluster
    // boundaries, except that CR LF is two characters.
    std::vector<size_t> Boundaries(const std::u32string& text) const;
    // The counts of a text of code points (it ends at its first U+0000). A limit of 1 or less cuts
    // the line after every column.
    Counts Count(const std::u32string& text, int nCharsPerLine) const;

private:
    struct Properties {
        char category[2];  // the general category, "Cn" when unlisted
        Break grapheme;
        bool bPictographic;  // Extended_Pictographic
        bool bIdeographScript;
    };
    bool BreakBefore(const std::u32string& text, size_t i) const;
    std::vector<Properties> properties;
    std::string version;
};

// The one loaded from TQ_UNICODE_DATA_DIR, read at the first call; a test fails on its error.
const Reference& SharedReference();
const std::string& SharedReferenceError();

}  // namespace unicode_reference
