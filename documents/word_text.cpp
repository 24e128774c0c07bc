#include "documents/word_text.h"

#include <stdlib.h>

#include "documents/alt_chunk.h"
#include "documents/anchored_text.h"
#include "documents/diagram_text.h"
#include "documents/office_walk.h"
#include "documents/word_fields.h"
#include "documents/word_sections.h"
#include "documents/word_styles.h"

namespace {

enum WordElement {
    kOther, kParagraph, kRun, kText, kTab, kBreak, kNoBreakHyphen, kSoftHyphen, kSymbol, kTextBox, kVanish,
    kFieldChar, kInstruction, kSimpleField, kNote, kParagraphStyle, kRunStyle, kParagraphProperties, kSection,
    kHeaderReference, kFooterReference, kTitlePage, kAltChunk, kLeftOut
};

constexpr ElementName kWordElements[] = {
    {"p", kParagraph}, {"r", kRun}, {"t", kText}, {"tab", kTab}, {"ptab", kTab}, {"br", kBreak}, {"cr", kBreak},
    {"noBreakHyphen", kNoBreakHyphen}, {"softHyphen", kSoftHyphen}, {"sym", kSymbol}, {"txbxContent", kTextBox},
    {"vanish", kVanish}, {"fldChar", kFieldChar}, {"instrText", kInstruction}, {"fldSimple", kSimpleField},
    {"footnote", kNote}, {"endnote", kNote}, {"pStyle", kParagraphStyle}, {"rStyle", kRunStyle},
    {"pPr", kParagraphProperties}, {"sectPr", kSection}, {"headerReference", kHeaderReference},
    {"footerReference", kFooterReference}, {"titlePg", kTitlePage},
    // Deleted and moved-away text, deleted field codes, and properties.
    {"del", kLeftOut}, {"moveFrom", kLeftOut}, {"delText", kLeftOut}, {"delInstrText", kLeftOut},
    {"sdtPr", kLeftOut}, {"sdtEndPr", kLeftOut}, {"altChunk", kAltChunk}, {"tblPr", kLeftOut}, {"trPr", kLeftOut},
    {"tcPr", kLeftOut}, {"rPrChange", kLeftOut}, {"pPrChange", kLeftOut}};
constexpr ElementTable<sizeof(kWordElements) / sizeof(kWordElements[0])> kWordTable(kWordElements);

// Of a paragraph's properties only its style and the section it ends are read (its tab stops are
// no tabs); of a section's properties, its headers, footers and title page. pSections is null
// outside the body, where no section is.
class Properties {
public:
    Properties(const XmlReader* pReader, OfficeWalk* pWalk, WordSections* pSections)
        : pReader(pReader), pWalk(pWalk), pSections(pSections) {}
    // Takes a start or end token of the Word vocabulary when it stands in properties: true when it did.
    bool Take(XmlToken token, int nElement, DocumentText* pText) {
        unsigned nDepth = pReader->Depth();
        if (token == XmlToken::kEndElement) {
            if (nElement == kSection && nDepth == nSectionDepth) {
                pSections->EndSection();
                nSectionDepth = 0;
            } else if (nElement == kParagraphProperties && nDepth == nParagraphDepth) {
                nParagraphDepth = 0;
            }
            return false;
        }
        if (nSectionDepth != 0 && nDepth == nSectionDepth + 1) {
            if (nElement == kHeaderReference || nElement == kFooterReference)
                pSections->Reference(*pReader, nElement == kFooterReference);
            else if (nElement == kTitlePage)
                pSections->TitlePage(OfficeFlag(*pReader, IsWordNamespace, "val", true, pText));
            pWalk->SkipElement();
            return true;
        }
        if (nElement == kSection && pSections != nullptr && nSectionDepth == 0) {
            nSectionDepth = nDepth;
            return true;
        }
        if (nParagraphDepth != 0 && nDepth == nParagraphDepth + 1) {
            if (nElement == kParagraphStyle) return false;  // the walk's, for the paragraph open
            pWalk->SkipElement();
            return true;
        }
        if (nElement == kParagraphProperties || nElement == kSection) {
            if (nElement == kParagraphProperties && nParagraphDepth == 0) nParagraphDepth = nDepth;
            else pWalk->SkipElement();
            return true;
        }
        return false;
    }

private:
    const XmlReader* pReader;
    OfficeWalk* pWalk;
    WordSections* pSections;
    unsigned nParagraphDepth = 0;  // 0, or the depth of the w:pPr open
    unsigned nSectionDepth = 0;    // 0, or the depth of the w:sectPr open
};

// Reads one part of the document: the body, a header or footer, or the notes.
// A chunk where it stands: a Word document's own body, or a text chunk's; one level only.
bool ReadAltChunk(OfficePackage* pPackage, XmlSpan partName, DocumentText* pText) {
    ChunkKind kind = AltChunkKind(pPackage, partName);
    if (pText->Refusal() != nullptr) return false;
    if (kind == ChunkKind::kUnknown) return true;
    PartBytes bytes;
    if (!pPackage->ReadRaw(partName, &bytes)) return false;
    const unsigned char* pData = reinterpret_cast<const unsigned char*>(bytes.size() > 0 ? bytes.data() : "");
    if (kind != ChunkKind::kWord) return ReadTextChunk(kind, pData, bytes.size(), pText);
    OfficePackage inner;
    if (!inner.Open(pData, bytes.size(), pText)) return false;
    Relationships relationships(pText->Kept());
    if (!inner.ReadRelationships(SpanOf(""), &relationships)) return false;
    for (size_t i = 0; i < relationships.Count(); ++i) {
        if (relationships.Is(i, "officeDocument") && inner.Has(relationships.Target(i)))
            return ReadWordText(&inner, relationships.Target(i), pText, true);
    }
    return true;
}

// The body's part is read with its relationships (pChunks, null for the other parts): its chunks
// where they stand, unless the document is itself a chunk, and its SmartArt after their paragraph.
struct BodyParts {
    const Relationships* pRelationships;
    bool bInChunk;
};

bool ReadWordPart(OfficePackage* pPackage, XmlSpan partName, const WordStyles& styles, WordSections* pSections,
                  const BodyParts* pBody, AnchoredText* pOut) {
    // The SmartArt diagrams of the paragraph open, read once it ends.
    const unsigned kMaxDiagrams = 4;
    XmlSpan diagrams[kMaxDiagrams];
    unsigned nDiagrams = 0;
    PackagePart part;
    if (!pPackage->Read(partName, &part)) return false;
    XmlReader reader(part.bytes.data(), part.bytes.size(), pPackage->Meter());
    OfficeWalk walk(&reader);
    Properties properties(&reader, &walk, pSections);
    WordFields fields;
    NamespaceMatch isWord(IsWordNamespace);
    // The runs open, innermost last (a text box's runs stand inside a run): depth, whether their
    // own w:vanish is given and what it says, and whether their paragraph's and their own styles
    // hide them. The paragraphs open likewise, with whether their styles hide their text.
    struct OpenRun {
        unsigned nDepth;
        bool bOwnVanish;
        bool bVanish;
        bool bParagraphHides;
        bool bStyleHides;
        bool Hidden(const WordStyles& styles) const {
            return bOwnVanish ? bVanish : styles.DefaultsHide() || bParagraphHides || bStyleHides;
        }
    };
    DocumentText* pText = pOut->Text();
    GrowingArray<OpenRun> runs(pText->Kept());
    GrowingArray<bool> paragraphs(pText->Kept());
    const XmlSpan kNoStyle = {"", 0};
    GrowingBytes text(pText->Kept()), value(pText->Kept());
    auto toOut = MakeXmlPieceSink([pOut](const char* pUtf8, size_t cbUtf8) { pOut->Put(pUtf8, cbUtf8); });
    for (XmlToken token = walk.Next(); token != XmlToken::kEndDocument; token = walk.Next()) {
        if (token == XmlToken::kError) return pPackage->RefuseXml(reader);
        if (pText->Refusal() != nullptr) return false;
        if (token == XmlToken::kStartElement && pBody != nullptr && nDiagrams < kMaxDiagrams &&
            XmlSpanIs(reader.LocalName(), "relIds") && IsDiagramNamespace(reader.NamespaceUri())) {
            if (DiagramDataPart(reader, *pBody->pRelationships, pPackage, &diagrams[nDiagrams])) ++nDiagrams;
            if (pText->Refusal() != nullptr) return false;
            continue;
        }
        // Text outside w:t (white space between elements) is no document text.
        if (token == XmlToken::kText || !isWord(reader.NamespaceUri())) continue;
        int nElement = kWordTable.Code(reader.LocalName(), kOther);
        if (properties.Take(token, nElement, pText)) continue;
        if (token == XmlToken::kEndElement) {
            if (nElement == kParagraph) {
                pOut->EndParagraph();
                if (!paragraphs.Empty()) paragraphs.Pop();
                for (unsigned i = 0; i < nDiagrams; ++i) {
                    if (!ReadDiagramText(pPackage, diagrams[i], pText)) return false;
                }
                nDiagrams = 0;
            }
            else if (nElement == kTextBox) pOut->EndAnchored();
            else if (nElement == kRun && !runs.Empty() && reader.Depth() == runs.Back().nDepth) runs.Pop();
            continue;
        }
        bool bCounts = !runs.Empty() && !runs.Back().Hidden(styles) && fields.TextCounts();
        switch (nElement) {
        case kParagraph:
            if (!paragraphs.Push(styles.ParagraphHides(kNoStyle))) return pText->RefuseGrowth();
            break;
        case kParagraphStyle:
            if (!OfficeAttribute(reader, IsWordNamespace, "val", &value, pText)) value.Clear();
            if (!paragraphs.Empty()) paragraphs.Back() = styles.ParagraphHides(SpanOf(value));
            break;
        case kRun: {
            bool bParagraphHides = paragraphs.Empty() ? styles.ParagraphHides(kNoStyle) : paragraphs.Back();
            if (!runs.Push({reader.Depth(), false, false, bParagraphHides, styles.CharacterHides(kNoStyle)}))
                return pText->RefuseGrowth();
            break;
        }
        case kRunStyle:
            if (!runs.Empty() && reader.Depth() == runs.Back().nDepth + 2) {
                if (!OfficeAttribute(reader, IsWordNamespace, "val", &value, pText)) value.Clear();
                runs.Back().bStyleHides = styles.CharacterHides(SpanOf(value));
            }
            break;
        case kLeftOut:
            walk.SkipElement();
            break;
        case kAltChunk: {
            XmlSpan chunk;
            if (pBody != nullptr && !pBody->bInChunk && AltChunkPart(reader, *pBody->pRelationships, pPackage, &chunk) &&
                !ReadAltChunk(pPackage, chunk, pText))
                return false;
            if (pText->Refusal() != nullptr) return false;
            walk.SkipElement();
            break;
        }
        case kNote:
            // The separator lines between the body and the notes are no text.
            if (OfficeAttribute(reader, IsWordNamespace, "type", &value, pText) && !BytesAre(value, "normal"))
                walk.SkipElement();
            break;
        case kTextBox:
            pOut->BeginAnchored();
            break;
        case kVanish:
            if (!runs.Empty() && reader.Depth() == runs.Back().nDepth + 2) {
                runs.Back().bOwnVanish = true;
                runs.Back().bVanish = OfficeFlag(reader, IsWordNamespace, "val", true, pText);
            }
            break;
        case kFieldChar:
            if (!OfficeAttribute(reader, IsWordNamespace, "fldCharType", &value, pText)) value.Clear();
            if (BytesAre(value, "begin")) fields.Begin();
            else if (BytesAre(value, "separate")) fields.Separate();
            else if (BytesAre(value, "end")) fields.End();
            break;
        case kSimpleField: {
            FieldType type;
            if (OfficeAttribute(reader, IsWordNamespace, "instr", &value, pText)) type.Add(value.Data(), value.Size());
            if (type.ProgramMade()) walk.SkipElement();
            break;
        }
        case kInstruction:
        case kText:
            if (!bCounts && nElement == kText) break;
            // The text is the next token; a w:t holds nothing else. A w:t's goes out as it is
            // decoded; a field's instruction is read whole.
            text.Clear();
            for (token = reader.Next(); token == XmlToken::kText; token = reader.Next()) {
                if (nElement == kText) DecodeXmlValue(reader.Text(), reader.TextKind(), &toOut);
                else if (!AppendXmlValue(reader.Text(), reader.TextKind(), &text, pText)) return false;
            }
            if (token == XmlToken::kError) return pPackage->RefuseXml(reader);
            if (nElement == kInstruction) fields.Instruction(text.Data(), text.Size());
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

bool ReadWordText(OfficePackage* pPackage, XmlSpan mainPart, DocumentText* pText, bool bInChunk) {
    Relationships relationships(pText->Kept());
    if (!pPackage->ReadRelationships(mainPart, &relationships)) return false;
    WordSections sections(&relationships, pText);
    WordStyles styles(pText);
    if (!sections.Start(pPackage) || !styles.Read(pPackage, relationships)) return false;
    AnchoredText out(pText);
    BodyParts body = {&relationships, bInChunk};
    if (!ReadWordPart(pPackage, mainPart, styles, &sections, &body, &out)) return false;
    out.Finish();
    // A part that several relationships of one kind name is read once, at the first of them: found
    // by sorting them, so that a package of many costs no more than the sort. A header or footer is
    // read when a section shows it, or when none names it.
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
    for (size_t nStart = 0, nEnd = 0; nStart < nCount; nStart = nEnd) {
        bool bShown = false, bNamed = false;
        for (nEnd = nStart; nEnd < nCount && kinds[order[nEnd]] == kinds[order[nStart]] &&
                            CompareSpans(relationships.Target(order[nEnd]), relationships.Target(order[nStart])) == 0;
             ++nEnd) {
            bShown = bShown || sections.Shown(order[nEnd]);
            bNamed = bNamed || sections.Named(order[nEnd]);
        }
        first[order[nStart]] = kinds[order[nStart]] != kHeaderOrFooter || bShown || !bNamed;
    }
    for (int nKind = kHeaderOrFooter; nKind < kNotAfterBody; ++nKind) {
        for (size_t i = 0; i < nCount; ++i) {
            if (kinds[i] != nKind || !first[i] || !pPackage->Has(relationships.Target(i))) continue;
            AnchoredText partOut(pText);
            if (!ReadWordPart(pPackage, relationships.Target(i), styles, nullptr, nullptr, &partOut)) return false;
            partOut.Finish();
        }
    }
    return pText->Refusal() == nullptr;
}
