#include "documents/word_text.h"

#include <stdlib.h>

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

// Reads one part of the document: the body, a header or footer, or the notes.
bool ReadWordPart(OfficePackage* pPackage, const std::string& partName, AnchoredText* pOut) {
    PackagePart part;
    if (!pPackage->Read(partName, &part)) return false;
    XmlReader reader(part.bytes.data(), part.bytes.size());
    OfficeWalk walk(&reader);
    Fields fields;
    // The runs open, innermost last (a text box's runs stand inside a run): depth and whether hidden.
    struct OpenRun {
        unsigned nDepth;
        bool bHidden;
    };
    std::vector<OpenRun> runs;
    for (XmlToken token = walk.Next(); token != XmlToken::kEndDocument; token = walk.Next()) {
        if (token == XmlToken::kError) return pPackage->RefuseXml(reader);
        if (pOut->Text()->Refusal() != nullptr) return false;
        if (token == XmlToken::kText) {
            continue;  // text outside w:t (white space between elements) is no document text
        }
        if (!IsWordNamespace(reader.NamespaceUri())) continue;
        XmlSpan local = reader.LocalName();
        if (token == XmlToken::kEndElement) {
            if (XmlSpanIs(local, "p")) pOut->EndParagraph();
            else if (XmlSpanIs(local, "txbxContent")) pOut->EndAnchored();
            else if (XmlSpanIs(local, "r") && !runs.empty() && reader.Depth() == runs.back().nDepth) runs.pop_back();
            continue;
        }
        if (XmlSpanIs(local, "r")) {
            runs.push_back({reader.Depth(), false});
        } else if (XmlSpanIs(local, "del") || XmlSpanIs(local, "moveFrom") || XmlSpanIs(local, "delText") ||
                   XmlSpanIs(local, "instrText") || XmlSpanIs(local, "delInstrText") || XmlSpanIs(local, "pPr") ||
                   XmlSpanIs(local, "sdtPr") || XmlSpanIs(local, "sdtEndPr") || XmlSpanIs(local, "altChunk") ||
                   XmlSpanIs(local, "tblPr") || XmlSpanIs(local, "trPr") || XmlSpanIs(local, "tcPr") ||
                   XmlSpanIs(local, "sectPr") || XmlSpanIs(local, "rPrChange") || XmlSpanIs(local, "pPrChange")) {
            walk.SkipElement();
        } else if (XmlSpanIs(local, "footnote") || XmlSpanIs(local, "endnote")) {
            std::string type;
            // The separator lines between the body and the notes are no text.
            if (OfficeAttribute(reader, IsWordNamespace, "type", &type) && type != "normal") walk.SkipElement();
        } else if (XmlSpanIs(local, "txbxContent")) {
            pOut->BeginAnchored();
        } else if (XmlSpanIs(local, "vanish")) {
            if (!runs.empty() && reader.Depth() == runs.back().nDepth + 2)
                runs.back().bHidden = OfficeFlag(reader, IsWordNamespace, "val", true);
        } else if (XmlSpanIs(local, "fldChar")) {
            std::string type;
            OfficeAttribute(reader, IsWordNamespace, "fldCharType", &type);
            if (type == "begin") fields.Begin();
            else if (type == "separate") fields.Separate();
            else if (type == "end") fields.End();
        } else if (!runs.empty() && !runs.back().bHidden && fields.TextCounts()) {
            if (XmlSpanIs(local, "t")) {
                std::string text;
                // The text is the next token; a w:t holds nothing else.
                for (token = reader.Next(); token == XmlToken::kText; token = reader.Next())
                    AppendXmlValue(reader.Text(), reader.TextIsRaw() ? XmlValueKind::kRawText : XmlValueKind::kText, &text);
                if (token == XmlToken::kError) return pPackage->RefuseXml(reader);
                pOut->PutText(text);
                if (token == XmlToken::kStartElement) walk.SkipElement();  // never in a sound file
            } else if (XmlSpanIs(local, "tab") || XmlSpanIs(local, "ptab")) {
                pOut->Tab();
            } else if (XmlSpanIs(local, "br") || XmlSpanIs(local, "cr")) {
                pOut->LineBreak();
            } else if (XmlSpanIs(local, "noBreakHyphen")) {
                pOut->PutCodePoint(0x2011);
            } else if (XmlSpanIs(local, "softHyphen")) {
                pOut->PutCodePoint(0x00AD);
            } else if (XmlSpanIs(local, "sym")) {
                std::string code;
                OfficeAttribute(reader, IsWordNamespace, "char", &code);
                pOut->PutCodePoint(static_cast<uint32_t>(strtoul(code.c_str(), nullptr, 16)));
            }
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
    // Each header and footer part once, then the footnotes and the endnotes.
    const char* const kAfterBody[] = {"header|footer", "footnotes", "endnotes"};
    for (const char* szTypes : kAfterBody) {
        std::vector<std::string> done;
        for (const Relationship& relationship : relationships) {
            bool bWanted = std::string(szTypes) == "header|footer"
                               ? RelationshipIs(relationship, "header") || RelationshipIs(relationship, "footer")
                               : RelationshipIs(relationship, szTypes);
            bool bDone = false;
            for (const std::string& name : done) bDone = bDone || name == relationship.target;
            if (!bWanted || bDone || !pPackage->Has(relationship.target)) continue;
            done.push_back(relationship.target);
            AnchoredText partOut(pText);
            if (!ReadWordPart(pPackage, relationship.target, &partOut)) return false;
            partOut.Finish();
        }
    }
    return pText->Refusal() == nullptr;
}
