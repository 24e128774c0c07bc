#include "documents/word_text.h"

#include <stdlib.h>

#include <memory>
#include <new>
#include <string>
#include <vector>

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
bool ReadWordPart(OfficePackage* pPackage, const std::string& partName, AnchoredText* pOut) {
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
    std::vector<OpenRun> runs;
    std::string text, value;
    for (XmlToken token = walk.Next(); token != XmlToken::kEndDocument; token = walk.Next()) {
        if (token == XmlToken::kError) return pPackage->RefuseXml(reader);
        if (pOut->Text()->Refusal() != nullptr) return false;
        // Text outside w:t (white space between elements) is no document text.
        if (token == XmlToken::kText || !isWord(reader.NamespaceUri())) continue;
        int nElement = ElementCode(reader.LocalName(), kWordElements, kOther);
        if (token == XmlToken::kEndElement) {
            if (nElement == kParagraph) pOut->EndParagraph();
            else if (nElement == kTextBox) pOut->EndAnchored();
            else if (nElement == kRun && !runs.empty() && reader.Depth() == runs.back().nDepth) runs.pop_back();
            continue;
        }
        bool bCounts = !runs.empty() && !runs.back().bHidden && fields.TextCounts();
        switch (nElement) {
        case kRun:
            runs.push_back({reader.Depth(), false});
            break;
        case kLeftOut:
            walk.SkipElement();
            break;
        case kNote:
            // The separator lines between the body and the notes are no text.
            if (OfficeAttribute(reader, IsWordNamespace, "type", &value) && value != "normal") walk.SkipElement();
            break;
        case kTextBox:
            pOut->BeginAnchored();
            break;
        case kVanish:
            if (!runs.empty() && reader.Depth() == runs.back().nDepth + 2)
                runs.back().bHidden = OfficeFlag(reader, IsWordNamespace, "val", true);
            break;
        case kFieldChar:
            OfficeAttribute(reader, IsWordNamespace, "fldCharType", &value);
            if (value == "begin") fields.Begin();
            else if (value == "separate") fields.Separate();
            else if (value == "end") fields.End();
            break;
        case kText:
            if (!bCounts) break;
            // The text is the next token; a w:t holds nothing else.
            text.clear();
            for (token = reader.Next(); token == XmlToken::kText; token = reader.Next())
                AppendXmlValue(reader.Text(), reader.TextIsRaw() ? XmlValueKind::kRawText : XmlValueKind::kText, &text);
            if (token == XmlToken::kError) return pPackage->RefuseXml(reader);
            pOut->PutText(text);
            if (token == XmlToken::kStartElement) walk.SkipElement();  // never in a sound file
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
            if (bCounts && OfficeAttribute(reader, IsWordNamespace, "char", &value))
                pOut->PutCodePoint(static_cast<uint32_t>(strtoul(value.c_str(), nullptr, 16)));
            break;
        default:
            break;
        }
    }
    return true;
}

}  // namespace

bool ReadWordText(OfficePackage* pPackage, const std::string& mainPart, DocumentText* pText) {
    AnchoredText out(pText);
    if (!ReadWordPart(pPackage, mainPart, &out)) return false;
    out.Finish();
    std::vector<Relationship> relationships;
    if (!pPackage->Relationships(mainPart, &relationships)) return false;
    // Each header and footer part once, then the footnotes and the endnotes: which parts were read
    // is kept by their place in the package.
    size_t nParts = pPackage->Archive().EntryCount();
    std::unique_ptr<bool[]> done(new (std::nothrow) bool[nParts + 1]);
    if (done == nullptr) return pText->Refuse(kRefusedOutOfMemory);
    const char* const kAfterBody[] = {"header|footer", "footnotes", "endnotes"};
    for (const char* szTypes : kAfterBody) {
        for (size_t i = 0; i < nParts; ++i) done[i] = false;
        for (const Relationship& relationship : relationships) {
            bool bWanted = std::string(szTypes) == "header|footer"
                               ? RelationshipIs(relationship, "header") || RelationshipIs(relationship, "footer")
                               : RelationshipIs(relationship, szTypes);
            size_t nPart;
            if (!bWanted || !pPackage->PartIndex(relationship.target, &nPart) || done[nPart]) continue;
            done[nPart] = true;
            AnchoredText partOut(pText);
            if (!ReadWordPart(pPackage, relationship.target, &partOut)) return false;
            partOut.Finish();
        }
    }
    return pText->Refusal() == nullptr;
}
