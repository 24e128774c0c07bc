#include "documents/idml_text.h"

#include <string.h>

#include "documents/anchored_text.h"
#include "documents/ascii_classes.h"
#include "documents/office_walk.h"

namespace {

const char kPackagingUri[] = "http://ns.adobe.com/AdobeInDesign/idml/1.0/packaging";

int CompareListed(const void* pContext, size_t a, size_t b) {
    const TextList& list = *static_cast<const TextList*>(pContext);
    int nOrder = CompareSpans(list.At(a), list.At(b));
    return nOrder != 0 ? nOrder : a < b ? -1 : a > b ? 1 : 0;
}

// The self ids of the conditions defined hidden, found in logarithmic time.
class HiddenConditions {
public:
    explicit HiddenConditions(DocumentText* pText) : pText(pText), ids(pText->Kept()), order(pText->Kept()), value(pText->Kept()) {}
    // Takes the condition the reader stands on, when it is one defined hidden.
    bool Take(const XmlReader& reader);
    bool Sort() { return SortIndexes(&order, ids.Count(), CompareListed, &ids) || pText->RefuseGrowth(); }
    bool Has(XmlSpan id) const;
    // Whether an AppliedConditions list (ids separated by white space, raw) names a hidden one.
    bool AnyHidden(XmlSpan applied, GrowingBytes* pScratch);

private:
    DocumentText* pText;
    TextList ids;
    GrowingArray<size_t> order;
    GrowingBytes value;
};

bool HiddenConditions::Take(const XmlReader& reader) {
    XmlSpan visible, self;
    if (reader.NamespaceUri().cbData != 0 || !XmlSpanIs(reader.LocalName(), "Condition") ||
        !reader.FindAttribute("", "Visible", &visible) || !XmlSpanIs(visible, "false") ||
        !reader.FindAttribute("", "Self", &self))
        return true;
    value.Clear();
    return AppendXmlValue(self, XmlValueKind::kAttribute, &value, pText) && (ids.Add(SpanOf(value)) || pText->RefuseGrowth());
}

bool HiddenConditions::Has(XmlSpan id) const {
    size_t nLow = 0, nHigh = order.Size();
    while (nLow < nHigh) {
        size_t nMiddle = nLow + (nHigh - nLow) / 2;
        int nOrder = CompareSpans(ids.At(order[nMiddle]), id);
        if (nOrder == 0) return true;
        if (nOrder < 0) nLow = nMiddle + 1;
        else nHigh = nMiddle;
    }
    return false;
}

bool HiddenConditions::AnyHidden(XmlSpan applied, GrowingBytes* pScratch) {
    if (order.Empty()) return false;
    pScratch->Clear();
    if (!AppendXmlValue(applied, XmlValueKind::kAttribute, pScratch, pText)) return false;
    const char* p = pScratch->Empty() ? "" : pScratch->Data();
    size_t cb = pScratch->Size();
    for (size_t i = 0; i < cb;) {
        while (i < cb && IsXmlSpace(static_cast<unsigned char>(p[i]))) ++i;
        size_t offStart = i;
        while (i < cb && !IsXmlSpace(static_cast<unsigned char>(p[i]))) ++i;
        if (i > offStart && Has(XmlSpan{p + offStart, i - offStart})) return true;
    }
    return false;
}

// What a story's element is to its text.
enum StoryElement { kOther, kContent, kBr, kLeftOut, kRange, kTable, kCell, kFootnote };
const ElementName kStoryElements[] = {
    {"Content", kContent}, {"Br", kBr}, {"Note", kLeftOut}, {"TextVariableInstance", kLeftOut},
    {"HiddenText", kLeftOut}, {"CharacterStyleRange", kRange}, {"Table", kTable}, {"Cell", kCell},
    {"Footnote", kFootnote},
};

class StoryReader {
public:
    StoryReader(OfficePackage* pPackage, HiddenConditions* pHidden)
        : pPackage(pPackage), pText(pPackage->Text()), pHidden(pHidden), text(pText->Kept()), scratch(pText->Kept()) {}
    bool Read(XmlSpan partName);

private:
    // A table, a cell or a footnote open: where its text ends.
    struct Level {
        unsigned nDepth;
        int nKind;
        bool bPending;  // text since its last paragraph ended
    };
    void Start(XmlReader* pReader, unsigned* pnSkipDepth, unsigned* pnContentDepth);
    void End(unsigned nDepth);

    OfficePackage* pPackage;
    DocumentText* pText;
    HiddenConditions* pHidden;
    GrowingBytes text;
    GrowingBytes scratch;
    Level levels[kXmlMaxDepth + 1];
    unsigned nLevels = 0;
    AnchoredText* pOut = nullptr;
};

void StoryReader::Start(XmlReader* pReader, unsigned* pnSkipDepth, unsigned* pnContentDepth) {
    if (pReader->NamespaceUri().cbData != 0) return;
    int nCode = ElementCode(pReader->LocalName(), kStoryElements, kOther);
    unsigned nDepth = pReader->Depth();
    XmlSpan applied;
    switch (nCode) {
    case kContent: *pnContentDepth = nDepth; break;
    case kBr:
        pOut->EndParagraph();
        levels[nLevels - 1].bPending = false;
        break;
    case kLeftOut: *pnSkipDepth = nDepth; break;
    case kRange:
        if (pReader->FindAttribute("", "AppliedConditions", &applied) && pHidden->AnyHidden(applied, &scratch))
            *pnSkipDepth = nDepth;
        break;
    case kTable:
    case kCell:
    case kFootnote:
        if (nLevels > kXmlMaxDepth) break;
        if (nCode != kCell) pOut->BeginAnchored();
        levels[nLevels++] = Level{nDepth, nCode, false};
        break;
    default: break;
    }
}

void StoryReader::End(unsigned nDepth) {
    if (nLevels <= 1 || levels[nLevels - 1].nDepth != nDepth) return;
    const Level& level = levels[--nLevels];
    if (level.bPending) pOut->EndParagraph();
    if (level.nKind != kCell) pOut->EndAnchored();
}

bool StoryReader::Read(XmlSpan partName) {
    PackagePart part;
    if (!pPackage->Read(partName, &part)) return false;
    XmlReader reader(part.bytes.data(), part.bytes.size(), pPackage->Meter());
    AnchoredText out(pText);
    pOut = &out;
    levels[0] = Level{0, kOther, false};
    nLevels = 1;
    unsigned nSkipDepth = 0, nContentDepth = 0;
    for (XmlToken token = reader.Next(); token != XmlToken::kEndDocument; token = reader.Next()) {
        if (token == XmlToken::kError) return pPackage->RefuseXml(reader);
        if (pText->Refusal() != nullptr) return false;
        if (nSkipDepth != 0) {
            if (token == XmlToken::kEndElement && reader.Depth() == nSkipDepth) nSkipDepth = 0;
            continue;
        }
        if (token == XmlToken::kStartElement) {
            Start(&reader, &nSkipDepth, &nContentDepth);
        } else if (token == XmlToken::kText) {
            if (nContentDepth == 0 || reader.Depth() != nContentDepth) continue;
            text.Clear();
            if (!AppendXmlValue(reader.Text(), reader.TextIsRaw() ? XmlValueKind::kRawText : XmlValueKind::kText, &text, pText))
                return false;
            if (text.Empty()) continue;
            out.Put(text.Data(), text.Size());
            levels[nLevels - 1].bPending = true;
        } else {
            if (reader.Depth() == nContentDepth) nContentDepth = 0;
            End(reader.Depth());
        }
    }
    // The story ends its last paragraph.
    while (nLevels > 1) End(levels[nLevels - 1].nDepth);
    if (levels[0].bPending) out.EndParagraph();
    out.Finish();
    return pText->Refusal() == nullptr;
}

// The designmap's stories, its Resources parts, and the hidden conditions it defines itself.
bool ReadDesignMap(OfficePackage* pPackage, TextList* pStories, TextList* pResources, HiddenConditions* pHidden) {
    DocumentText* pText = pPackage->Text();
    PackagePart part;
    if (!pPackage->Read(SpanOf("designmap.xml"), &part)) return false;
    XmlReader reader(part.bytes.data(), part.bytes.size(), pPackage->Meter());
    GrowingBytes src(pText->Kept());
    for (XmlToken token = reader.Next(); token != XmlToken::kEndDocument; token = reader.Next()) {
        if (token == XmlToken::kError) return pPackage->RefuseXml(reader);
        if (token != XmlToken::kStartElement) continue;
        if (!pHidden->Take(reader)) return false;
        XmlSpan value;
        if (!XmlSpanIs(reader.NamespaceUri(), kPackagingUri) || !reader.FindAttribute("", "src", &value)) continue;
        src.Clear();
        if (!AppendXmlValue(value, XmlValueKind::kAttribute, &src, pText)) return false;
        bool bStory = XmlSpanIs(reader.LocalName(), "Story");
        bool bResource = src.Size() > 10 && memcmp(src.Data(), "Resources/", 10) == 0;
        if ((bStory && !pStories->Add(SpanOf(src))) || (!bStory && bResource && !pResources->Add(SpanOf(src))))
            return pText->RefuseGrowth();
    }
    return true;
}

// The conditions the Resources parts define hidden; a part the designmap names but the package
// lacks defines none.
bool ReadResources(OfficePackage* pPackage, const TextList& resources, HiddenConditions* pHidden) {
    for (size_t i = 0; i < resources.Count(); ++i) {
        if (!pPackage->Has(resources.At(i))) continue;
        PackagePart part;
        if (!pPackage->Read(resources.At(i), &part)) return false;
        XmlReader reader(part.bytes.data(), part.bytes.size(), pPackage->Meter());
        for (XmlToken token = reader.Next(); token != XmlToken::kEndDocument; token = reader.Next()) {
            if (token == XmlToken::kError) return pPackage->RefuseXml(reader);
            if (token == XmlToken::kStartElement && !pHidden->Take(reader)) return false;
        }
    }
    return true;
}

}  // namespace

bool ReadIdmlText(OfficePackage* pPackage, DocumentText* pText) {
    TextList stories(pText->Kept()), resources(pText->Kept());
    HiddenConditions hidden(pText);
    if (!ReadDesignMap(pPackage, &stories, &resources, &hidden) || !ReadResources(pPackage, resources, &hidden) ||
        !hidden.Sort())
        return false;
    // A story listed twice is read once, where it is first listed.
    GrowingArray<size_t> order(pText->Kept());
    GrowingArray<unsigned char> repeated(pText->Kept());
    size_t nStories = stories.Count();
    if (!SortIndexes(&order, nStories, CompareListed, &stories) || !repeated.Resize(nStories)) return pText->RefuseGrowth();
    for (size_t k = 0; k < nStories; ++k)
        repeated[order[k]] = k > 0 && CompareSpans(stories.At(order[k - 1]), stories.At(order[k])) == 0;
    StoryReader reader(pPackage, &hidden);
    for (size_t i = 0; i < nStories; ++i) {
        if (!repeated[i] && !reader.Read(stories.At(i))) return false;
    }
    return pText->Refusal() == nullptr;
}
