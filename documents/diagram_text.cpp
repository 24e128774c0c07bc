#include "documents/diagram_text.h"

#include "documents/office_walk.h"

bool DiagramDataPart(const XmlReader& reader, const Relationships& relationships, OfficePackage* pPackage,
                     XmlSpan* pName) {
    return RelatedPart(reader, "dm", relationships, "diagramData", pPackage, pName);
}

bool ReadDiagramText(OfficePackage* pPackage, XmlSpan dataPart, DocumentText* pText) {
    PackagePart part;
    if (!pPackage->Read(dataPart, &part)) return false;
    XmlReader reader(part.bytes.data(), part.bytes.size(), pPackage->Meter());
    OfficeWalk walk(&reader);
    NamespaceMatch isDiagram(IsDiagramNamespace), isDrawing(IsDrawingNamespace);
    GrowingBytes type(pText->Kept()), text(pText->Kept());
    bool bInText = false, bParagraphHasText = false;
    for (XmlToken token = walk.Next(); token != XmlToken::kEndDocument; token = walk.Next()) {
        if (token == XmlToken::kError) return pPackage->RefuseXml(reader);
        if (pText->Refusal() != nullptr) return false;
        if (token == XmlToken::kText) {
            if (!bInText) continue;
            text.Clear();
            if (!AppendXmlValue(reader.Text(), reader.TextIsRaw() ? XmlValueKind::kRawText : XmlValueKind::kText,
                                &text, pText))
                return false;
            if (!text.Empty()) {
                pText->Put(text.Data(), text.Size());
                bParagraphHasText = true;
            }
            continue;
        }
        bool bStart = token == XmlToken::kStartElement;
        XmlSpan local = reader.LocalName();
        if (isDiagram(reader.NamespaceUri())) {
            if (bStart && XmlSpanIs(local, "pt")) {
                type.Clear();
                OfficeAttribute(reader, [](XmlSpan uri) { return uri.cbData == 0; }, "type", &type, pText);
                if (pText->Refusal() != nullptr) return false;
                bool bShown = type.Empty() || BytesAre(type, "node") || BytesAre(type, "asst");
                if (!bShown) walk.SkipElement();
            } else if (bStart && (XmlSpanIs(local, "prSet") || XmlSpanIs(local, "spPr") || XmlSpanIs(local, "cxnLst"))) {
                walk.SkipElement();
            }
            continue;
        }
        if (!isDrawing(reader.NamespaceUri())) continue;
        if (XmlSpanIs(local, "t")) {
            bInText = bStart;
        } else if (XmlSpanIs(local, "p") && !bStart) {
            if (bParagraphHasText) pText->EndParagraph();
            bParagraphHasText = false;
        } else if (XmlSpanIs(local, "br") && bStart && bParagraphHasText) {
            pText->Put("\r\n", 2);
        }
    }
    return pText->Refusal() == nullptr;
}
