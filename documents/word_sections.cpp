#include "documents/word_sections.h"

#include "documents/office_walk.h"

WordSections::WordSections(const Relationships* pRelationships, DocumentText* pText)
    : pRelationships(pRelationships), pText(pText), marks(pText->Kept()), value(pText->Kept()) {}

bool WordSections::Start(OfficePackage* pPackage) {
    size_t nCount = pRelationships->Count();
    if (!marks.Resize(nCount)) return pText->RefuseGrowth();
    for (size_t i = 0; i < nCount; ++i) marks[i] = 0;
    for (size_t i = 0; i < nCount; ++i) {
        if (!pRelationships->Is(i, "settings") || !pPackage->Has(pRelationships->Target(i))) continue;
        PackagePart part;
        if (!pPackage->Read(pRelationships->Target(i), &part)) return false;
        XmlReader reader(part.bytes.data(), part.bytes.size(), pPackage->Meter());
        for (XmlToken token = reader.Next(); token != XmlToken::kEndDocument; token = reader.Next()) {
            if (token == XmlToken::kError) return pPackage->RefuseXml(reader);
            // w:settings/w:evenAndOddHeaders
            if (token == XmlToken::kStartElement && reader.Depth() == 2 &&
                IsElement(reader, IsWordNamespace, "evenAndOddHeaders"))
                bEvenAndOdd = OfficeFlag(reader, IsWordNamespace, "val", true, pText);
        }
        break;  // one settings part: the first
    }
    return pText->Refusal() == nullptr;
}

bool WordSections::Reference(const XmlReader& reader, bool bFooter) {
    Kind kind = kDefault;
    if (OfficeAttribute(reader, IsWordNamespace, "type", &value, pText)) {
        if (BytesAre(value, "first")) kind = kFirst;
        else if (BytesAre(value, "even")) kind = kEven;
    }
    if (!OfficeAttribute(reader, IsRelationshipsNamespace, "id", &value, pText)) return pText->Refusal() == nullptr;
    Slot& slot = slots[bFooter ? 1 : 0][kind];
    slot.bNamed = true;
    slot.nFirst = pRelationships->FirstWithId(SpanOf(value));
    slot.bShown = false;
    if (!pRelationships->HasIdAt(slot.nFirst, SpanOf(value))) slot.bNamed = false;  // names no part
    else MarkAll(slot.nFirst, kNamed);
    return true;
}

void WordSections::EndSection() {
    bool shows[kKinds] = {true, bTitlePage_, bEvenAndOdd};
    for (Slot(&ofPart)[kKinds] : slots) {
        for (int nKind = kDefault; nKind < kKinds; ++nKind) {
            Slot& slot = ofPart[nKind];
            if (!slot.bNamed || slot.bShown || !shows[nKind]) continue;
            MarkAll(slot.nFirst, kShown);
            slot.bShown = true;
        }
    }
    bTitlePage_ = false;  // each section says its own
}

void WordSections::MarkAll(size_t nFirst, unsigned char nMark) {
    XmlSpan id = pRelationships->Id(pRelationships->ById(nFirst));
    for (size_t k = nFirst; pRelationships->HasIdAt(k, id); ++k) marks[pRelationships->ById(k)] |= nMark;
}
