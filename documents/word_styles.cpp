#include "documents/word_styles.h"

#include "documents/office_walk.h"

namespace {

enum StyleElement { kOther, kDocDefaults, kRunDefaults, kRunProperties, kVanish, kStyle, kBasedOn };

const ElementName kStyleElements[] = {{"docDefaults", kDocDefaults}, {"rPrDefault", kRunDefaults}, {"rPr", kRunProperties},
                                      {"vanish", kVanish},           {"style", kStyle},             {"basedOn", kBasedOn}};

// A style's own w:vanish, then what it has through its bases.
const unsigned char kOwnHides = 1, kHides = 2;

// Bytewise order of a stored key and a key written as its type letter and id.
int CompareKey(XmlSpan key, char cType, XmlSpan id) {
    if (key.cbData == 0) return -1;
    if (static_cast<unsigned char>(key.pData[0]) != static_cast<unsigned char>(cType))
        return static_cast<unsigned char>(key.pData[0]) < static_cast<unsigned char>(cType) ? -1 : 1;
    return CompareSpans(XmlSpan{key.pData + 1, key.cbData - 1}, id);
}

struct KeyOrder {
    const TextList* pKeys;
};

int CompareStyles(const void* pContext, size_t a, size_t b) {
    const TextList& keys = *static_cast<const KeyOrder*>(pContext)->pKeys;
    int nOrder = CompareSpans(keys.At(2 * a), keys.At(2 * b));
    return nOrder != 0 ? nOrder : (a < b ? -1 : 1);
}

}  // namespace

WordStyles::WordStyles(DocumentText* pText)
    : pText(pText), keys(pText->Kept()), hides(pText->Kept()), defaults(pText->Kept()), order(pText->Kept()),
      value(pText->Kept()) {}

bool WordStyles::Read(OfficePackage* pPackage, const Relationships& relationships) {
    for (size_t i = 0; i < relationships.Count(); ++i) {
        if (relationships.Is(i, "styles") && pPackage->Has(relationships.Target(i)))
            return ReadPart(pPackage, relationships.Target(i)) && Resolve();
    }
    return true;
}

bool WordStyles::StartStyle(const XmlReader& reader, GrowingBytes* pKey) {
    pKey->Clear();
    // A style without w:type is a paragraph style; tables' and lists' styles hide no run.
    char cType = 'p';
    if (OfficeAttribute(reader, IsWordNamespace, "type", &value, pText)) {
        if (BytesAre(value, "character")) cType = 'c';
        else if (!BytesAre(value, "paragraph")) return pText->Refusal() == nullptr;
    }
    if (!OfficeAttribute(reader, IsWordNamespace, "styleId", &value, pText)) value.Clear();
    if (!pKey->Push(cType) || !pKey->Append(value.Data(), value.Size()) || !keys.Add(SpanOf(*pKey)) ||
        !hides.Push(0) || !defaults.Push(OfficeFlag(reader, IsWordNamespace, "default", false, pText)))
        return pText->RefuseGrowth();
    return pText->Refusal() == nullptr;
}

bool WordStyles::ReadPart(OfficePackage* pPackage, XmlSpan partName) {
    PackagePart part;
    if (!pPackage->Read(partName, &part)) return false;
    XmlReader reader(part.bytes.data(), part.bytes.size(), pPackage->Meter());
    OfficeWalk walk(&reader);
    NamespaceMatch isWord(IsWordNamespace);
    int path[6] = {kOther, kOther, kOther, kOther, kOther, kOther};  // the elements open, by depth
    bool bInStyle = false, bBased = false;  // in a style kept, and whether its base is named yet
    GrowingBytes key(pText->Kept());
    for (XmlToken token = walk.Next(); token != XmlToken::kEndDocument; token = walk.Next()) {
        if (token == XmlToken::kError) return pPackage->RefuseXml(reader);
        if (pText->Refusal() != nullptr) return false;
        if (token == XmlToken::kText) continue;
        unsigned nDepth = reader.Depth();
        if (token == XmlToken::kEndElement) {
            // Markup compatibility's elements are never given: a depth they stand at keeps no element.
            if (nDepth < 6) path[nDepth] = kOther;
            if (nDepth == 2 && bInStyle) {
                if (!bBased && !keys.Add(XmlSpan{"", 0})) return pText->RefuseGrowth();
                bInStyle = false;
            }
            continue;
        }
        int nElement = isWord(reader.NamespaceUri()) ? ElementCode(reader.LocalName(), kStyleElements, kOther) : kOther;
        if (nDepth < 6) path[nDepth] = nElement;
        if (nDepth > 5) {
            walk.SkipElement();  // deeper than anything read here
        } else if (nDepth == 2 && nElement == kStyle) {
            if (!StartStyle(reader, &key)) return false;
            bInStyle = !key.Empty();
            bBased = false;
        } else if (nDepth == 3 && bInStyle && nElement == kBasedOn && !bBased) {
            // The base's key: the style's type letter, then the id w:val names.
            XmlSpan own = keys.At(keys.Count() - 1);
            if (!OfficeAttribute(reader, IsWordNamespace, "val", &value, pText)) value.Clear();
            key.Clear();
            if (!key.Push(own.pData[0]) || !key.Append(value.Data(), value.Size()) || !keys.Add(SpanOf(key)))
                return pText->RefuseGrowth();
            bBased = true;
        } else if (nElement == kVanish && nDepth == 4 && bInStyle && path[3] == kRunProperties) {
            if (OfficeFlag(reader, IsWordNamespace, "val", true, pText)) hides.Back() |= kOwnHides;
        } else if (nElement == kVanish && nDepth == 5 && path[2] == kDocDefaults && path[3] == kRunDefaults &&
                   path[4] == kRunProperties) {
            bDefaultsHide = OfficeFlag(reader, IsWordNamespace, "val", true, pText);
        }
    }
    return pText->Refusal() == nullptr;
}

size_t WordStyles::Find(char cType, XmlSpan id) const {
    size_t nLow = 0, nHigh = order.Size();
    while (nLow < nHigh) {
        size_t nMiddle = nLow + (nHigh - nLow) / 2;
        if (CompareKey(keys.At(2 * order[nMiddle]), cType, id) < 0) nLow = nMiddle + 1;
        else nHigh = nMiddle;
    }
    return nLow < order.Size() && CompareKey(keys.At(2 * order[nLow]), cType, id) == 0 ? order[nLow] : order.Size();
}

bool WordStyles::Resolve() {
    size_t nCount = hides.Size();
    KeyOrder context = {&keys};
    if (!SortIndexes(&order, nCount, CompareStyles, &context)) return pText->RefuseGrowth();
    bool bParagraphDefault = false, bCharacterDefault = false;
    for (size_t i = 0; i < nCount; ++i) {
        size_t j = i;
        for (unsigned nStep = 0; nStep <= kMaxBasedOn && j < nCount; ++nStep) {
            if ((hides[j] & kOwnHides) != 0) {
                hides[i] |= kHides;
                break;
            }
            XmlSpan base = keys.At(2 * j + 1);
            if (base.cbData == 0) break;
            j = Find(base.pData[0], XmlSpan{base.pData + 1, base.cbData - 1});
        }
        // The first default of each type is the one that holds.
        bool bParagraph = keys.At(2 * i).pData[0] == 'p';
        bool& bFound = bParagraph ? bParagraphDefault : bCharacterDefault;
        if (defaults[i] && !bFound) {
            bFound = true;
            (bParagraph ? bDefaultParagraphHides : bDefaultCharacterHides) = (hides[i] & kHides) != 0;
        }
    }
    return true;
}

bool WordStyles::Hides(char cType, XmlSpan id) const {
    size_t i = id.cbData > 0 ? Find(cType, id) : hides.Size();
    if (i == hides.Size()) return cType == 'p' ? bDefaultParagraphHides : bDefaultCharacterHides;
    return (hides[i] & kHides) != 0;
}
