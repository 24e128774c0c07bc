// Paragraphs with things anchored in them: a text box, a frame or a note is read where it stands
// in the file, inside its paragraph, but its text comes right after that paragraph, as a reader
// meets it. Anchored text may hold anchored text of its own. What waits counts against the text's
// bound.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "documents/document_text.h"
#include "documents/growing_array.h"
#include "documents/xml_reader.h"

class AnchoredText {
public:
    explicit AnchoredText(DocumentText* pText);

    void Put(const char* pUtf8, size_t cbUtf8);
    void PutCodePoint(uint32_t nCodePoint);
    void Tab() { Put("\t", 1); }
    void LineBreak() { Put("\r\n", 2); }
    // Ends the paragraph: CR LF, then the text anchored in it.
    void EndParagraph();
    // Text from here to EndAnchored belongs to the paragraph open now.
    void BeginAnchored();
    void EndAnchored();
    // Puts what is still held (things anchored after the last paragraph).
    void Finish();
    DocumentText* Text() const { return pText; }

private:
    // A level for each element that can be open at once; deeper anchors stay in their paragraph.
    static const size_t kMaxLevels = kXmlMaxDepth + 1;
    void PutAt(size_t nLevel, const char* pUtf8, size_t cbUtf8);

    DocumentText* pText;
    size_t nLevels;
    size_t nDeeper;  // anchors opened past the last level
    GrowingBytes anchored[kMaxLevels];  // the text anchored in each level's open paragraph
};
