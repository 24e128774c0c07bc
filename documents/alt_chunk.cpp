#include "documents/alt_chunk.h"

#include "documents/html_text.h"
#include "documents/office_walk.h"
#include "documents/rtf_text.h"
#include "documents/text_encoding.h"

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

}  // namespace

bool AltChunkPart(const XmlReader& reader, const Relationships& relationships, OfficePackage* pPackage,
                  XmlSpan* pName) {
    return RelatedPart(reader, "id", relationships, "aFChunk", pPackage, pName);
}

ChunkKind AltChunkKind(OfficePackage* pPackage, XmlSpan partName) {
    DocumentText* pText = pPackage->Text();
    GrowingBytes type(pText->Kept());
    if (!pPackage->ContentType(partName, &type)) return ChunkKind::kUnknown;
    if (Contains(type, "html")) return ChunkKind::kHtml;
    if (Contains(type, "rtf")) return ChunkKind::kRtf;
    if (BytesAre(type, "text/plain")) return ChunkKind::kPlainText;
    if (Contains(type, "wordprocessingml.document")) return ChunkKind::kWord;
    return ChunkKind::kUnknown;
}

bool ReadTextChunk(ChunkKind kind, const unsigned char* pData, size_t cbData, DocumentText* pText) {
    switch (kind) {
    case ChunkKind::kHtml: return ReadHtmlText(pData, cbData, 0, pText, false);
    case ChunkKind::kRtf: return ReadRtfText(pData, cbData, pText);
    case ChunkKind::kPlainText: return ReadPlainChunk(pData, cbData, pText);
    default: return true;
    }
}
