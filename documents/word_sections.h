// Which header and footer parts Word shows. Each section of the body names its headers and footers
// by kind: default, first page and even pages; a kind a section does not name keeps the previous
// section's. A first-page one shows only where its section has a title page (w:titlePg), an
// even-page one only where the settings say even and odd pages differ (w:evenAndOddHeaders). A
// part that no section names is read as it always was.
#pragma once
#include <stddef.h>

#include "documents/document_text.h"
#include "documents/office_package.h"

class WordSections {
public:
    // pRelationships are the body's and must outlive the sections.
    WordSections(const Relationships* pRelationships, DocumentText* pText);
    // Reads word/settings.xml (the body's "settings" relationship) and makes room; false refuses.
    bool Start(OfficePackage* pPackage);

    // A section's properties, as the body's walk meets them: a w:headerReference or
    // w:footerReference (the start token given), its w:titlePg, then its end.
    bool Reference(const XmlReader& reader, bool bFooter);
    void TitlePage(bool bTitlePage) { bTitlePage_ = bTitlePage; }
    void EndSection();

    // Whether some section shows, or names, the header or footer of relationship i.
    bool Shown(size_t i) const { return (marks[i] & kShown) != 0; }
    bool Named(size_t i) const { return (marks[i] & kNamed) != 0; }

private:
    enum Mark : unsigned char { kNamed = 1, kShown = 2 };
    enum Kind { kDefault, kFirst, kEven, kKinds };
    // What a kind shows: the body's relationships of the id the last section that named one gave.
    struct Slot {
        bool bNamed = false;
        size_t nFirst = 0;    // the first of them in the id order (Relationships::FirstWithId)
        bool bShown = false;  // already marked shown since it was named
    };
    void MarkAll(size_t nFirst, unsigned char nMark);

    const Relationships* pRelationships;
    DocumentText* pText;
    bool bEvenAndOdd = false;
    bool bTitlePage_ = false;
    GrowingArray<unsigned char> marks;  // for each relationship
    Slot slots[2][kKinds];              // the headers', then the footers'
    GrowingBytes value;
};
