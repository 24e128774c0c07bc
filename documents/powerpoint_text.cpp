#include "documents/powerpoint_text.h"

#include "documents/diagram_text.h"
#include "documents/office_walk.h"

namespace {

enum class ShapeText { kAllButFurniture, kNotesBodyOnly };

// Whether a placeholder of this type is read: on a slide, all but the date, footer and slide
// number; in the notes, the body only.
bool PlaceholderCounts(const GrowingBytes& type, bool bPlaceholder, ShapeText which) {
    if (which == ShapeText::kNotesBodyOnly) return bPlaceholder && BytesAre(type, "body");
    return !(BytesAre(type, "dt") || BytesAre(type, "ftr") || BytesAre(type, "sldNum"));
}

bool ReadSlidePart(OfficePackage* pPackage, XmlSpan partName, ShapeText which, DocumentText* pText) {
    Relationships relationships(pText->Kept());
    if (!pPackage->ReadRelationships(partName, &relationships)) return false;
    PackagePart part;
    if (!pPackage->Read(partName, &part)) return false;
    // The SmartArt diagrams of the shape open, read once it ends.
    const unsigned kMaxDiagrams = 4;
    XmlSpan diagrams[kMaxDiagrams];
    unsigned nDiagrams = 0;
    XmlReader reader(part.bytes.data(), part.bytes.size(), pPackage->Meter());
    OfficeWalk walk(&reader);
    // The innermost shape open, by depth, and what its placeholder says.
    unsigned nShapeDepth = 0;
    bool bPlaceholder = false;
    GrowingBytes placeholderType(pText->Kept());
    bool bInText = false;
    NamespaceMatch isPresentation(IsPresentationNamespace), isDrawing(IsDrawingNamespace);
    // A text body with no text at all (an empty placeholder, which shows only its layout's prompt)
    // gives nothing: its paragraph ends and line breaks wait until text comes.
    unsigned nWaitingParagraphs = 0;
    bool bBodyHasText = false;
    auto PutText = [&](const char* pUtf8, size_t cbUtf8) {
        for (; nWaitingParagraphs > 0; --nWaitingParagraphs) pText->EndParagraph();
        bBodyHasText = true;
        pText->Put(pUtf8, cbUtf8);
    };
    auto toText = MakeXmlPieceSink(PutText);
    for (XmlToken token = walk.Next(); token != XmlToken::kEndDocument; token = walk.Next()) {
        if (token == XmlToken::kError) return pPackage->RefuseXml(reader);
        if (pText->Refusal() != nullptr) return false;
        if (token == XmlToken::kText) {
            // Decoded straight onto the text; a sink is given no empty piece.
            if (bInText) DecodeXmlValue(reader.Text(), reader.TextKind(), &toText);
            continue;
        }
        bool bStart = token == XmlToken::kStartElement;
        XmlSpan local = reader.LocalName();
        if (XmlSpanIs(local, "txBody")) {  // a shape's (p:) or a table cell's (a:)
            nWaitingParagraphs = 0;
            bBodyHasText = false;
        }
        if (isPresentation(reader.NamespaceUri())) {
            if (bStart && (XmlSpanIs(local, "sp") || XmlSpanIs(local, "graphicFrame"))) {
                nShapeDepth = reader.Depth();
                bPlaceholder = false;
                placeholderType.Clear();
            } else if (bStart && XmlSpanIs(local, "ph") && nShapeDepth != 0) {
                bPlaceholder = true;
                // A placeholder without a type is the body's.
                if (!OfficeAttribute(reader, [](XmlSpan uri) { return uri.cbData == 0; }, "type", &placeholderType,
                                     pText) &&
                    !placeholderType.Assign("body", 4))
                    return pText->RefuseGrowth();
            } else if (bStart && XmlSpanIs(local, "txBody")) {
                if (!PlaceholderCounts(placeholderType, bPlaceholder, which)) walk.SkipElement();
            } else if (!bStart && reader.Depth() == nShapeDepth) {
                nShapeDepth = 0;
                for (unsigned i = 0; i < nDiagrams; ++i) {
                    if (!ReadDiagramText(pPackage, diagrams[i], pText)) return false;
                }
                nDiagrams = 0;
            }
            continue;
        }
        if (bStart && XmlSpanIs(local, "relIds") && IsDiagramNamespace(reader.NamespaceUri()) &&
            which == ShapeText::kAllButFurniture && nDiagrams < kMaxDiagrams) {
            if (DiagramDataPart(reader, relationships, pPackage, &diagrams[nDiagrams])) ++nDiagrams;
            if (pText->Refusal() != nullptr) return false;
            continue;
        }
        if (!isDrawing(reader.NamespaceUri())) continue;
        if (XmlSpanIs(local, "t")) {
            bInText = bStart;
        } else if (XmlSpanIs(local, "p") && !bStart) {
            if (bBodyHasText) pText->EndParagraph();
            else ++nWaitingParagraphs;
        } else if (XmlSpanIs(local, "br") && bStart) {
            if (bBodyHasText) pText->Put("\r\n", 2);
            else ++nWaitingParagraphs;  // a line break is the same two characters as a paragraph's end
        } else if (bStart && XmlSpanIs(local, "txBody") && which == ShapeText::kNotesBodyOnly &&
                   !PlaceholderCounts(placeholderType, bPlaceholder, which)) {
            walk.SkipElement();  // a table's text in the notes page is no note
        } else if (bStart && (XmlSpanIs(local, "pPr") || XmlSpanIs(local, "rPr") || XmlSpanIs(local, "endParaRPr"))) {
            walk.SkipElement();
        }
    }
    return true;
}

}  // namespace

bool ReadPowerPointText(OfficePackage* pPackage, XmlSpan mainPart, DocumentText* pText) {
    Relationships relationships(pText->Kept());
    if (!pPackage->ReadRelationships(mainPart, &relationships)) return false;
    TextList slides(pText->Kept());
    if (!ListedParts(pPackage, mainPart, relationships, IsPresentationNamespace, "sldId", "slide", &slides)) return false;
    for (size_t i = 0; i < slides.Count(); ++i) {
        if (!ReadSlidePart(pPackage, slides.At(i), ShapeText::kAllButFurniture, pText)) return false;
    }
    for (size_t i = 0; i < slides.Count(); ++i) {
        Relationships slideRelationships(pText->Kept());
        if (!pPackage->ReadRelationships(slides.At(i), &slideRelationships)) return false;
        for (size_t k = 0; k < slideRelationships.Count(); ++k) {
            XmlSpan notes = slideRelationships.Target(k);
            if (!slideRelationships.Is(k, "notesSlide") || !pPackage->Has(notes)) continue;
            if (!ReadSlidePart(pPackage, notes, ShapeText::kNotesBodyOnly, pText)) return false;
            break;
        }
    }
    return pText->Refusal() == nullptr;
}
