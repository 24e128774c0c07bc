#include "documents/office_walk.h"

#include <stdlib.h>
#include <string.h>

#include "documents/ascii_classes.h"


namespace {
// The prefixes of the extensions whose content the readers take as it is: Word's shapes, groups
// and canvases, and the later Office vocabularies, all of which keep their text in the usual
// paragraphs. Markup compatibility names requirements by prefix.
const char* const kKnownRequirements[] = {"wps", "wpg", "wpc", "wpi", "w14", "w15", "w16", "w16se", "w16cid",
                                          "w16cex", "w16du", "w16sdtdh", "a14", "p14", "p15", "x14", "x15", "v",
                                          "o", "w10", "wp14", "mc", "dsp", "cx", "cx1", "cx2", "aink", "am3d"};

bool KnowsRequirements(XmlSpan requires) {
    const char* p = requires.pData;
    const char* pEnd = p + requires.cbData;
    bool bAny = false;
    while (p < pEnd) {
        while (p < pEnd && IsXmlSpace(*p)) ++p;
        const char* pToken = p;
        while (p < pEnd && !IsXmlSpace(*p)) ++p;
        if (p == pToken) break;
        bool bKnown = false;
        for (const char* szKnown : kKnownRequirements) {
            if (strlen(szKnown) == static_cast<size_t>(p - pToken) && memcmp(szKnown, pToken, p - pToken) == 0) bKnown = true;
        }
        if (!bKnown) return false;
        bAny = true;
    }
    return bAny;
}
}  // namespace

void OfficeWalk::TakeCompatibility(XmlToken token) {
    XmlSpan local = pReader->LocalName();
    if (token == XmlToken::kEndElement) {
        if (XmlSpanIs(local, "AlternateContent") && nAlternates > 0) --nAlternates;
        return;
    }
    if (XmlSpanIs(local, "AlternateContent")) {
        if (nAlternates == kMaxAlternates) {
            SkipElement();
            return;
        }
        alternateDepths[nAlternates] = pReader->Depth();
        alternateChosen[nAlternates++] = false;
        return;
    }
    bool bInAlternates = nAlternates > 0 && alternateDepths[nAlternates - 1] + 1 == pReader->Depth();
    if (!bInAlternates) {
        SkipElement();  // another element of markup compatibility: nothing to read in it
        return;
    }
    bool& bChosen = alternateChosen[nAlternates - 1];
    XmlSpan requires;
    if (XmlSpanIs(local, "Choice") && !bChosen && pReader->FindAttribute("", "Requires", &requires) &&
        KnowsRequirements(requires)) {
        bChosen = true;
    } else if (XmlSpanIs(local, "Fallback") && !bChosen) {
        bChosen = true;
    } else {
        SkipElement();
    }
}

bool OfficeAttribute(const XmlReader& reader, bool (*IsNamespace)(XmlSpan), const char* szLocal, GrowingBytes* pValue,
                     DocumentText* pText) {
    for (unsigned i = 0; i < reader.AttributeCount(); ++i) {
        const XmlAttribute& attribute = reader.Attribute(i);
        if (XmlSpanIs(attribute.local, szLocal) && IsNamespace(attribute.uri)) {
            pValue->Clear();
            return AppendXmlValue(attribute.value, XmlValueKind::kAttribute, pValue, pText);
        }
    }
    return false;
}

bool OfficeFlag(const XmlReader& reader, bool (*IsNamespace)(XmlSpan), const char* szLocal, bool bDefault,
                DocumentText* pText) {
    GrowingBytes value(pText->Kept());
    if (!OfficeAttribute(reader, IsNamespace, szLocal, &value, pText)) return bDefault;
    return BytesAre(value, "true") || BytesAre(value, "1") || BytesAre(value, "on");
}

bool ListedParts(OfficePackage* pPackage, XmlSpan mainPart, const Relationships& relationships,
                 bool (*IsNamespace)(XmlSpan), const char* szElement, const char* szType, TextList* pParts) {
    PackagePart part;
    if (!pPackage->Read(mainPart, &part)) return false;
    DocumentText* pText = pPackage->Text();
    XmlReader reader(part.bytes.data(), part.bytes.size(), pPackage->Meter());
    GrowingBytes id(pText->Kept());
    for (XmlToken token = reader.Next(); token != XmlToken::kEndDocument; token = reader.Next()) {
        if (token == XmlToken::kError) return pPackage->RefuseXml(reader);
        if (token != XmlToken::kStartElement || !IsElement(reader, IsNamespace, szElement) ||
            !OfficeAttribute(reader, IsRelationshipsNamespace, "id", &id, pText))
            continue;
        for (size_t k = relationships.FirstWithId(SpanOf(id)); relationships.HasIdAt(k, SpanOf(id)); ++k) {
            size_t i = relationships.ById(k);
            if (relationships.Is(i, szType) && pPackage->Has(relationships.Target(i)) &&
                !pParts->Add(relationships.Target(i)))
                return pText->RefuseGrowth();
        }
        if (pText->Refusal() != nullptr) return false;
    }
    return pText->Refusal() == nullptr;
}

bool RelatedPart(const XmlReader& reader, const char* szAttribute, const Relationships& relationships,
                 const char* szType, OfficePackage* pPackage, XmlSpan* pName) {
    DocumentText* pText = pPackage->Text();
    GrowingBytes id(pText->Kept());
    if (!OfficeAttribute(reader, IsRelationshipsNamespace, szAttribute, &id, pText)) return false;
    XmlSpan idSpan = SpanOf(id);
    size_t k = relationships.FirstWithId(idSpan);
    if (!relationships.HasIdAt(k, idSpan)) return false;
    size_t i = relationships.ById(k);
    if (!relationships.Is(i, szType) || !pPackage->Has(relationships.Target(i))) return false;
    *pName = relationships.Target(i);
    return true;
}
