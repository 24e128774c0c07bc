#include "documents/powerpoint_text.h"

#include <vector>

#include "documents/office_walk.h"

namespace {

enum class ShapeText { kAllButFurniture, kNotesBodyOnly };

// Whether a placeholder of this type is read: on a slide, all but the date, footer and slide
// number; in the notes, the body only.
bool PlaceholderCounts(const std::string& type, bool bPlaceholder, ShapeText which) {
    if (which == ShapeText::kNotesBodyOnly) return bPlaceholder && type == "body";
    return !(type == "dt" || type == "ftr" || type == "sldNum");
}

bool ReadSlidePart(OfficePackage* pPackage, const std::string& partName, ShapeText which, DocumentText* pText) {
    PackagePart part;
    if (!pPackage->Read(partName, &part)) return false;
    XmlReader reader(part.bytes.data(), part.bytes.size(), pPackage->Meter());
    OfficeWalk walk(&reader);
    // The innermost shape open, by depth, and what its placeholder says.
    unsigned nShapeDepth = 0;
    bool bPlaceholder = false;
    std::string placeholderType;
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
    for (XmlToken token = walk.Next(); token != XmlToken::kEndDocument; token = walk.Next()) {
        if (token == XmlToken::kError) return pPackage->RefuseXml(reader);
        if (pText->Refusal() != nullptr) return false;
        if (token == XmlToken::kText) {
            if (bInText) {
                std::string text;
                AppendXmlValue(reader.Text(), reader.TextIsRaw() ? XmlValueKind::kRawText : XmlValueKind::kText, &text);
                if (!text.empty()) PutText(text.data(), text.size());
            }
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
                placeholderType.clear();
            } else if (bStart && XmlSpanIs(local, "ph") && nShapeDepth != 0) {
                bPlaceholder = true;
                // A placeholder without a type is the body's.
                if (!OfficeAttribute(reader, [](XmlSpan uri) { return uri.cbData == 0; }, "type", &placeholderType))
                    placeholderType = "body";
            } else if (bStart && XmlSpanIs(local, "txBody")) {
                if (!PlaceholderCounts(placeholderType, bPlaceholder, which)) walk.SkipElement();
            } else if (!bStart && reader.Depth() == nShapeDepth) {
                nShapeDepth = 0;
            }
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

bool ReadPowerPointText(OfficePackage* pPackage, const std::string& mainPart, DocumentText* pText) {
    std::vector<Relationship> relationships;
    if (!pPackage->Relationships(mainPart, &relationships)) return false;
    std::vector<std::string> slides;
    if (!ListedParts(pPackage, mainPart, relationships, IsPresentationNamespace, "sldId", "slide", &slides)) return false;
    for (const std::string& slide : slides) {
        if (!ReadSlidePart(pPackage, slide, ShapeText::kAllButFurniture, pText)) return false;
    }
    for (const std::string& slide : slides) {
        std::vector<Relationship> slideRelationships;
        if (!pPackage->Relationships(slide, &slideRelationships)) return false;
        for (const Relationship& relationship : slideRelationships) {
            if (!RelationshipIs(relationship, "notesSlide") || !pPackage->Has(relationship.target)) continue;
            if (!ReadSlidePart(pPackage, relationship.target, ShapeText::kNotesBodyOnly, pText)) return false;
            break;
        }
    }
    return pText->Refusal() == nullptr;
}
