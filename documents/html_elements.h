// The elements a web page's text depends on, what each does to the text and to the tree, and the
// lines their text is laid out in.
#pragma once
#include <stdint.h>

#include "documents/ascii_classes.h"
#include "documents/text_encoding.h"

enum ElementFlag : uint16_t {
    kBlock = 1,          // starts and ends a paragraph
    kVoid = 2,           // has no content or end tag
    kRawText = 4,        // content is text up to the matching end tag
    kEscapableRaw = 8,   // as kRawText, with character references
    kPreformatted = 16,  // white space is kept
    kHidden = 32,        // content is never shown
    kShowRaw = 64,       // raw text that is shown
    kToTheEnd = 128,     // raw text that runs to the end of the page
    kForeign = 256,      // starts inline SVG, whose elements are not HTML's
    kIntegration = 512,  // SVG's foreignObject, title and desc: HTML again inside them
};

// Groups of elements whose end tags browsers imply: a start tag closes the open element of the
// groups it names, looking no deeper than an element that stops that group's search.
enum ElementGroup : uint8_t {
    kGroupP = 1,
    kGroupLi = 2,
    kGroupDefinition = 4,
    kGroupCell = 8,
    kGroupRow = 16,
    kGroupOption = 32,
};
const uint8_t kAllGroups = 63;

struct ElementInfo {
    const char* szName;
    uint16_t nFlags;
    uint8_t nGroup;
    uint8_t nCloses;
    uint8_t nStops;
};

// An element the table does not name: inline, tracked by its name alone.
extern const ElementInfo kUnknownElement;

// The element of a lower-cased name, or kUnknownElement.
const ElementInfo& FindElement(const char* szName);
// The same inside inline SVG, where only a few names matter to the text.
const ElementInfo& FindForeignElement(const char* szName);
// Whether a start tag of this lower-cased name ends the inline SVG it stands in (browsers take it
// for HTML's own, as "<svg><p>" left unclosed).
bool EndsSvg(const char* szName);

// Lines as a browser lays them out: white space collapsed outside preformatted text, a paragraph
// ended only when it has text, so empty blocks leave no empty paragraphs.
class ParagraphWriter {
public:
    explicit ParagraphWriter(DocumentText* pText)
        : buffer(pText), bLineHasText(false), bPendingSpace(false), bMuted(false) {}

    void FlowChar(uint32_t c) {
        if (bMuted) return;
        if (IsAsciiSpace(c)) {
            bPendingSpace = bLineHasText;
            return;
        }
        Char(c);
    }
    void PreChar(uint32_t c) {
        if (bMuted) return;
        if (c == '\n') {
            buffer.AddLineEnd();
            bLineHasText = bPendingSpace = false;
            return;
        }
        Char(c);
    }
    void LineBreak() {
        if (bMuted) return;
        buffer.AddLineEnd();
        bLineHasText = bPendingSpace = false;
    }
    void EndParagraph() {
        if (bMuted) return;
        if (bLineHasText) buffer.AddLineEnd();
        bLineHasText = bPendingSpace = false;
    }
    void Flush() { buffer.Flush(); }
    void SetMuted(bool bNewMuted) { bMuted = bNewMuted; }

private:
    void Char(uint32_t c) {
        if (bPendingSpace) buffer.Add(' ');
        buffer.Add(c);
        bLineHasText = true;
        bPendingSpace = false;
    }

    TextBuffer buffer;
    bool bLineHasText;
    bool bPendingSpace;
    bool bMuted;
};
