// Paragraphs with things anchored in them: a text box, a frame or a note is read where it stands
// in the file, inside its paragraph, but its text comes right after that paragraph, as a reader
// meets it. Anchored text may hold anchored text of its own.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

#include "documents/document_text.h"

class AnchoredText {
public:
    explicit AnchoredText(DocumentText* pText) : pText(pText), levels(1) {}

    void Put(const char* pUtf8, size_t cbUtf8);
    void PutText(const std::string& text) { Put(text.data(), text.size()); }
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
    struct Level {
        std::string anchored;  // the text anchored in this level's open paragraph
    };
    void PutAt(size_t nLevel, const char* pUtf8, size_t cbUtf8);

    DocumentText* pText;
    std::vector<Level> levels;
};
