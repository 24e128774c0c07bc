#include "documents/office_walk.h"

#include <stdlib.h>
#include <string.h>

#include "documents/heap_sort.h"


namespace {
// The prefixes of the extensions whose content the readers take as it is: Word's shapes, groups
// and canvases, and the later Office vocabularies, all of which keep their text in the usual
// paragraphs. Markup compatibility names requirements by prefix.
const char* const kKnownRequirements[] = {"wps", "wpg", "wpc", "wpi", "w14", "w15", "w16", "w16se", "w16cid",
                                          "w16cex", "w16du", "w16sdtdh", "a14", "p14", "p15", "x14", "x15", "v",
                                          "o", "w10", "wp14", "mc", "dsp", "cx", "cx1", "cx2", "aink", "am3d"};

bool IdBefore(const void* pRelationships, uint32_t nA, uint32_t nB) {
    const std::vector<Relationship>& relationships = *static_cast<const std::vector<Relationship>*>(pRelationships);
    int nOrder = relationships[nA].id.compare(relationships[nB].id);
    return nOrder != 0 ? nOrder < 0 : nA < nB;
}

bool KnowsRequirements(XmlSpan requires) {
    const char* p = requires.pData;
    const char* pEnd = p + requires.cbData;
    bool bAny = false;
    while (p < pEnd) {
        while (p < pEnd && (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n')) ++p;
        const char* pToken = p;
        while (p < pEnd && *p != ' ' && *p != '\t' && *p != '\r' && *p != '\n') ++p;
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

XmlToken OfficeWalk::Next() {
    for (;;) {
        XmlToken token = pReader->Next();
        if (token == XmlToken::kError || token == XmlToken::kEndDocument) return token;
        if (nSkipDepth != 0) {
            if (token == XmlToken::kEndElement && pReader->Depth() == nSkipDepth) nSkipDepth = 0;
            continue;
        }
        if (token == XmlToken::kText || !IsMarkupCompatibilityNamespace(pReader->NamespaceUri())) return token;
        XmlSpan local = pReader->LocalName();
        if (token == XmlToken::kEndElement) {
            if (XmlSpanIs(local, "AlternateContent") && nAlternates > 0) --nAlternates;
            continue;
        }
        if (XmlSpanIs(local, "AlternateContent")) {
            if (nAlternates == kMaxAlternates) {
                SkipElement();
                continue;
            }
            alternateDepths[nAlternates] = pReader->Depth();
            alternateChosen[nAlternates++] = false;
            continue;
        }
        bool bInAlternates = nAlternates > 0 && alternateDepths[nAlternates - 1] + 1 == pReader->Depth();
        if (!bInAlternates) {
            SkipElement();  // another element of markup compatibility: nothing to read in it
            continue;
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
}

bool OfficeAttribute(const XmlReader& reader, bool (*IsNamespace)(XmlSpan), const char* szLocal, std::string* pValue) {
    for (unsigned i = 0; i < reader.AttributeCount(); ++i) {
        const XmlAttribute& attribute = reader.Attribute(i);
        if (XmlSpanIs(attribute.local, szLocal) && IsNamespace(attribute.uri)) {
            pValue->clear();
            AppendXmlValue(attribute.value, XmlValueKind::kAttribute, pValue);
            return true;
        }
    }
    return false;
}

bool OfficeFlag(const XmlReader& reader, bool (*IsNamespace)(XmlSpan), const char* szLocal, bool bDefault) {
    std::string value;
    if (!OfficeAttribute(reader, IsNamespace, szLocal, &value)) return bDefault;
    return value == "true" || value == "1" || value == "on";
}

bool ListedParts(OfficePackage* pPackage, const std::string& mainPart, const std::vector<Relationship>& relationships,
                 bool (*IsNamespace)(XmlSpan), const char* szElement, const char* szType, std::vector<std::string>* pParts) {
    PackagePart part;
    if (!pPackage->Read(mainPart, &part)) return false;
    // The relationships sorted by id (then by place), so that each listed id is found in logarithmic
    // time: a presentation lists tens of thousands of slides.
    size_t nRelationships = relationships.size();
    uint32_t* pnById = static_cast<uint32_t*>(malloc((nRelationships > 0 ? nRelationships : 1) * sizeof(uint32_t)));
    if (pnById == nullptr || nRelationships > UINT32_MAX) {
        free(pnById);
        return pPackage->RefuseOutOfMemory();
    }
    for (size_t i = 0; i < nRelationships; ++i) pnById[i] = static_cast<uint32_t>(i);
    HeapSortIndexes(pnById, nRelationships, IdBefore, &relationships);
    XmlReader reader(part.bytes.data(), part.bytes.size(), pPackage->Meter());
    bool bRead = true;
    for (XmlToken token = reader.Next(); token != XmlToken::kEndDocument; token = reader.Next()) {
        if (token == XmlToken::kError) {
            bRead = pPackage->RefuseXml(reader);
            break;
        }
        std::string id;
        if (token != XmlToken::kStartElement || !IsElement(reader, IsNamespace, szElement) ||
            !OfficeAttribute(reader, IsRelationshipsNamespace, "id", &id))
            continue;
        size_t nFirst = 0;  // the first of pnById whose id is not before this one
        for (size_t nEnd = nRelationships; nFirst < nEnd;) {
            size_t nMiddle = nFirst + (nEnd - nFirst) / 2;
            if (relationships[pnById[nMiddle]].id < id) nFirst = nMiddle + 1;
            else nEnd = nMiddle;
        }
        for (size_t i = nFirst; i < nRelationships && relationships[pnById[i]].id == id; ++i) {
            const Relationship& relationship = relationships[pnById[i]];
            if (RelationshipIs(relationship, szType) && pPackage->Has(relationship.target))
                pParts->push_back(relationship.target);
        }
    }
    free(pnById);
    return bRead;
}
