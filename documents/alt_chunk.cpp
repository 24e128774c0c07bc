#include "documents/alt_chunk.h"

#include "documents/html_text.h"
#include "documents/office_walk.h"
#include "documents/rtf_text.h"
#include "documents/text_encoding.h"
#include "documents/word_text.h"

namespace {

bool Contains(const GrowingBytes& bytes, const char* szText) {
    size_t cbText = strlen(szText);
    for (size_t i = 0; i + cbText <= bytes.Size(); ++i) {
        if (memcmp(bytes.Data() + i, szText, cbText) == 0) return true;
    }
    return false;
}

// Plain text by the text-file rule, each line a paragraph.
bool ReadPlainChunk(const unsigned char* pData, size_t cbData, DocumentText* pText) {
    size_t cbMark = 0;
    int nCodePage = CodePageOfByteOrderMark(pData, cbData, &cbMark);
    if (nCodePage == 0) nCodePage = CodePageOfPlainText(pData, cbData);
    ReadableText readable(pText);
    if (!readable.Prepare(pData + cbMark, cbData - cbMark, nCodePage)) return false;
    CodePointReader in = readable.Reader();
    TextBuffer out(pText);
    bool bOpen = false;
    for (uint32_t c = in.Next(); c != kEndOfText; c = in.Next()) {
        if (c == '\n') {
            out.AddLineEnd();
            bOpen = false;
        } else {
            out.Add(c);
            bOpen = true;
        }
    }
    if (bOpen) out.AddLineEnd();
    out.Flush();
    return pText->Refusal() == nullptr;
}

// A Word document inside the package: its own zip, read as far as its main document.
bool ReadWordChunk(const unsigned char* pData, size_t cbData, DocumentText* pText) {
    OfficePackage package;
    if (!package.Open(pData, cbData, pText)) return false;
    Relationships relationships(pText->Kept());
    if (!package.ReadRelationships(SpanOf(""), &relationships)) return false;
    for (size_t i = 0; i < relationships.Count(); ++i) {
        if (relationships.Is(i, "officeDocument") && package.Has(relationships.Target(i)))
            return ReadWordText(&package, relationships.Target(i), pText, true);
    }
    return true;
}

}  // namespace

bool AltChunkPart(const XmlReader& reader, const Relationships& relationships, OfficePackage* pPackage,
                  XmlSpan* pName) {
    DocumentText* pText = pPackage->Text();
    GrowingBytes id(pText->Kept());
    if (!OfficeAttribute(reader, IsRelationshipsNamespace, "id", &id, pText)) return false;
    XmlSpan idSpan = SpanOf(id);
    size_t k = relationships.FirstWithId(idSpan);
    if (!relationships.HasIdAt(k, idSpan)) return false;
    size_t i = relationships.ById(k);
    if (!relationships.Is(i, "aFChunk") || !pPackage->Has(relationships.Target(i))) return false;
    *pName = relationships.Target(i);
    return true;
}

bool ReadAltChunk(OfficePackage* pPackage, XmlSpan partName, bool bInChunk, DocumentText* pText) {
    GrowingBytes type(pText->Kept());
    if (!pPackage->ContentType(partName, &type)) return false;
    bool bHtml = Contains(type, "html");
    bool bRtf = Contains(type, "rtf");
    bool bPlain = BytesAre(type, "text/plain");
    bool bWord = Contains(type, "wordprocessingml.document") && !bInChunk;
    if (!bHtml && !bRtf && !bPlain && !bWord) return true;
    PartBytes bytes;
    if (!pPackage->ReadRaw(partName, &bytes)) return false;
    const unsigned char* pData = reinterpret_cast<const unsigned char*>(bytes.size() > 0 ? bytes.data() : "");
    if (bHtml) return ReadHtmlText(pData, bytes.size(), 0, pText);
    if (bRtf) return ReadRtfText(pData, bytes.size(), pText);
    if (bPlain) return ReadPlainChunk(pData, bytes.size(), pText);
    return ReadWordChunk(pData, bytes.size(), pText);
}
