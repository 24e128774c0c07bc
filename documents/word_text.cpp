#include "documents/word_text.h"

#include <stdlib.h>

#include "documents/anchored_text.h"
#include "documents/office_walk.h"

namespace {

// Fields: from fldChar "begin" to "separate" is the instruction, then the shown result to "end".
class Fields {
public:
    void Begin() {
        if (nOpen < kMaxOpen) inResult[nOpen] = false;
        ++nOpen;
    }
    void Separate() {
        if (nOpen > 0 && nOpen <= kMaxOpen) inResult[nOpen - 1] = true;
    }
    void End() {
        if (nOpen > 0) --nOpen;
    }
    // Text counts unless a field around it is in its instruction.
    bool TextCounts() const {
        for (unsigned i = 0; i < nOpen && i < kMaxOpen; ++i) {
            if (!inResult[i]) return false;
        }
        return true;
    }

private:
    static const unsigned kMaxOpen = 64;
    unsigned nOpen = 0;
    bool inResult[kMaxOpen];
};

enum WordElement {
    kOther, kParagraph, kRun, kText, kTab, kBreak, kNoBreakHyphen, kSoftHyphen, kSymbol, kTextBox, kVanish,
    kFieldChar, kNote, kLeftOut
};

const ElementName kWordElements[] = {
    {"p", kParagraph}, {"r", kRun}, {"t", kText}, {"tab", kTab}, {"ptab", kTab}, {"br", kBreak}, {"cr", kBreak},
    {"noBreakHyphen", kNoBreakHyphen}, {"softHyphen", kSoftHyphen}, {"sym", kSymbol}, {"txbxContent", kTextBox},
    {"vanish", kVanish}, {"fldChar", kFieldChar}, {"footnote", kNote}, {"endnote", kNote},
    // Deleted and moved-away text, field codes, and properties (a paragraph's tab stops are no tabs).
    {"del", kLeftOut}, {"moveFrom", kLeftOut}, {"delText", kLeftOut}, {"instrText", kLeftOut},
    {"delInstrText", kLeftOut}, {"pPr", kLeftOut}, {"sdtPr", kLeftOut}, {"sdtEndPr", kLeftOut},
    {"altChunk", kLeftOut}, {"tblPr", kLeftOut}, {"trPr", kLeftOut}, {"tcPr", kLeftOut}, {"sectPr", kLeftOut},
    {"rPrChange", kLeftOut}, {"pPrChange", kLeftOut}};

// Reads one part of the document: the body, a header or footer, or the notes.
bool ReadWordPart(OfficePackage* pPackage, XmlSpan partName, AnchoredText* pOut) {
    PackagePart part;
    if (!pPackage->Read(partName, &part)) return false;
    XmlReader reader(part.bytes.data(), part.bytes.size(), pPackage->Meter());
    OfficeWalk walk(&reader);
    Fields fields;
    NamespaceMatch isWord(IsWordNamespace);
    // The runs open, innermost last (a text box's runs stand inside a run): depth and whether hidden.
    struct OpenRun {
        unsigned nDepth;
        bool bHidden;
    };
    DocumentText* pText = pOut->Text();
    GrowingArray<OpenRun> runs(pText->Kept());
    GrowingBytes text(pText->Kept()), value(pText->Kept());
    for (XmlToken token = walk.Next(); token != XmlToken::kEndDocument; token = walk.Next()) {
        if (token == XmlToken::kError) return pPackage->RefuseXml(reader);
        if (pText->Refusal() != nullptr) return false;
        // Text outside w:t (white space between elements) is no document text.
        if (token == XmlToken::kText || !isWord(reader.NamespaceUri())) continue;
        int nElement = ElementCode(reader.LocalName(), kWordElements, kOther);
        if (token == XmlToken::kEndElement) {
            if (nElement == kParagraph) pOut->EndParagraph();
            else if (nElement == kTextBox) pOut->EndAnchored();
            else if (nElement == kRun && !runs.Empty() && reader.Depth() == runs.Back().nDepth) runs.Pop();
            continue;
        }
        bool bCounts = !runs.Empty() && !runs.Back().bHidden && fields.TextCounts();
        switch (nElement) {
        case kRun:
            if (!runs.Push({reader.Depth(), false})) return pText->RefuseGrowth();
            break;
        case kLeftOut:
            walk.SkipElement();
            break;
        case kNote:
            // The separator lines between the body and the notes are no text.
            if (OfficeAttribute(reader, IsWordNamespace, "type", &value, pText) && !BytesAre(value, "normal"))
                walk.SkipElement();
            break;
        case kTextBox:
            pOut->BeginAnchored();
            break;
        case kVanish:
            if (!runs.Empty() && reader.Depth() == runs.Back().nDepth + 2)
                runs.Back().bHidden = OfficeFlag(reader, IsWordNamespace, "val", true, pText);
            break;
        case kFieldChar:
            OfficeAttribute(reader, IsWordNamespace, "fldCharType", &value, pText);
            if (BytesAre(value, "begin")) fields.Begin();
            else if (BytesAre(value, "separate")) fields.Separate();
            else if (BytesAre(value, "end")) fields.End();
            break;
        case kText:
            if (!bCounts) break;
            // The text is the next token; a w:t holds nothing else.
            text.Clear();
            for (token = reader.Next(); token == XmlToken::kText; token = reader.Next()) {
                if (!AppendXmlValue(reader.Text(), reader.TextIsRaw() ? XmlValueKind::kRawText : XmlValueKind::kText,
                                    &text, pText))
                    return false;
            }
            if (token == XmlToken::kError) return pPackage->RefuseXml(reader);
            pOut->Put(text.Data(), text.Size());
            if (token == XmlToken::kStartElement) walk.SkipElement();  // never in a well-formed file
            break;
        case kTab:
            if (bCounts) pOut->Tab();
            break;
        case kBreak:
            if (bCounts) pOut->LineBreak();
            break;
        case kNoBreakHyphen:
            if (bCounts) pOut->PutCodePoint(0x2011);
            break;
        case kSoftHyphen:
            if (bCounts) pOut->PutCodePoint(0x00AD);
            break;
        case kSymbol:
            if (bCounts && OfficeAttribute(reader, IsWordNamespace, "char", &value, pText)) {
                if (!value.Push('\0')) return pText->RefuseGrowth();
                pOut->PutCodePoint(static_cast<uint32_t>(strtoul(value.Data(), nullptr, 16)));
            }
            break;
        default:
            break;
        }
    }
    return true;
}

// What is read after the body, in this order: each header and footer part once, then the
// footnotes and the endnotes; kNotAfterBody for the other relationships.
enum AfterBody { kHeaderOrFooter, kFootnotes, kEndnotes, kNotAfterBody };

struct TargetOrder {
    const Relationships* pRelationships;
    const GrowingArray<unsigned char>* pKinds;
};

// Orders a part's relationships by what is read of them, then by target, then as written.
int CompareTargets(const void* pContext, size_t a, size_t b) {
    const TargetOrder& order = *static_cast<const TargetOrder*>(pContext);
    const GrowingArray<unsigned char>& kinds = *order.pKinds;
    if (kinds[a] != kinds[b]) return kinds[a] < kinds[b] ? -1 : 1;
    int nOrder = CompareSpans(order.pRelationships->Target(a), order.pRelationships->Target(b));
    return nOrder != 0 ? nOrder : (a < b ? -1 : 1);
}

}  // namespace

bool ReadWordText(OfficePackage* pPackage, XmlSpan mainPart, DocumentText* pText) {
    AnchoredText out(pText);
    if (!ReadWordPart(pPackage, mainPart, &out)) return false;
    out.Finish();
    Relationships relationships(pText->Kept());
    if (!pPackage->ReadRelationships(mainPart, &relationships)) return false;
    // A part that several relationships of one kind name is read once, at the first of them: found
    // by sorting them, so that a package of many costs no more than the sort.
    size_t nCount = relationships.Count();
    GrowingArray<unsigned char> kinds(pText->Kept());
    GrowingArray<size_t> order(pText->Kept());
    GrowingArray<bool> first(pText->Kept());
    if (!kinds.Reserve(nCount) || !first.Reserve(nCount)) return pText->RefuseGrowth();
    for (size_t i = 0; i < nCount; ++i) {
        AfterBody kind = relationships.Is(i, "header") || relationships.Is(i, "footer") ? kHeaderOrFooter
                         : relationships.Is(i, "footnotes")                             ? kFootnotes
                         : relationships.Is(i, "endnotes")                              ? kEndnotes
                                                                                        : kNotAfterBody;
        (void)kinds.Push(static_cast<unsigned char>(kind));
        (void)first.Push(false);
    }
    TargetOrder context = {&relationships, &kinds};
    if (!SortIndexes(&order, nCount, CompareTargets, &context)) return pText->RefuseGrowth();
    for (size_t k = 0; k < nCount; ++k) {
        first[order[k]] = k == 0 || kinds[order[k - 1]] != kinds[order[k]] ||
                          CompareSpans(relationships.Target(order[k - 1]), relationships.Target(order[k])) != 0;
    }
    for (int nKind = kHeaderOrFooter; nKind < kNotAfterBody; ++nKind) {
        for (size_t i = 0; i < nCount; ++i) {
            if (kinds[i] != nKind || !first[i] || !pPackage->Has(relationships.Target(i))) continue;
            AnchoredText partOut(pText);
            if (!ReadWordPart(pPackage, relationships.Target(i), &partOut)) return false;
            partOut.Finish();
        }
    }
    return pText->Refusal() == nullptr;
}
