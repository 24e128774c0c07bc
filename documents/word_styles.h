// Text hidden through styles (word/styles.xml): w:vanish in the document's run defaults, in a
// paragraph or character style, or in a style it is based on. Set on in any of them it hides; set
// off in a style it leaves the text as the rest of them have it (only a run's own w:vanish shows
// hidden text again). A paragraph without w:pStyle has the
// default paragraph style, a run without w:rStyle the default character style. The styles are read
// once, into a table looked up in logarithmic time that counts against the text's bound.
#pragma once
#include <stddef.h>

#include "documents/document_text.h"
#include "documents/office_package.h"

class WordStyles {
public:
    explicit WordStyles(DocumentText* pText);
    // Reads the styles part of the body's "styles" relationship, when there is one; false refuses.
    bool Read(OfficePackage* pPackage, const Relationships& relationships);

    // Whether the run defaults hide text.
    bool DefaultsHide() const { return bDefaultsHide; }
    // Whether the paragraph or character style of this id hides its text; for an empty id (no
    // w:pStyle, no w:rStyle) or one no style of the type has, whether the type's default does.
    bool ParagraphHides(XmlSpan id) const { return Hides('p', id); }
    bool CharacterHides(XmlSpan id) const { return Hides('c', id); }

private:
    // Follows w:basedOn this far, which also cuts cycles.
    static const unsigned kMaxBasedOn = 32;
    bool ReadPart(OfficePackage* pPackage, XmlSpan partName);
    bool Resolve();
    bool Hides(char cType, XmlSpan id) const;
    size_t Find(char cType, XmlSpan id) const;  // the first style of this key in the keys' order, or Count
    // Keeps the style a w:style start token gives, when it is a paragraph or character style: its
    // key in pKey, else pKey empty. False refuses.
    bool StartStyle(const XmlReader& reader, GrowingBytes* pKey);

    DocumentText* pText;
    bool bDefaultsHide = false;
    bool bDefaultParagraphHides = false;
    bool bDefaultCharacterHides = false;
    // For each style: its key (a type letter and its id) and the key of the style it is based on
    // ("" for none); whether it hides, by its own w:vanish, then through its bases; whether it is
    // its type's default.
    TextList keys;
    GrowingArray<unsigned char> hides;
    GrowingArray<bool> defaults;
    GrowingArray<size_t> order;  // the styles in their keys' order, then as written
    GrowingBytes value;
};
