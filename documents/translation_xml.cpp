#include "documents/translation_xml.h"

namespace {

class DocumentTextSink : public XmlSink {
public:
    explicit DocumentTextSink(DocumentText* pText) : pText(pText) {}
    void Put(const char* pData, size_t cbData) override { pText->Put(pData, cbData); }

private:
    DocumentText* pText;
};

}  // namespace

bool RefuseTranslationXml(const XmlReader& reader, DocumentText* pText) {
    switch (reader.Error()) {
    case XmlError::kStopped: return pText->Refuse(kRefusedStopped);
    case XmlError::kDoctype:
        return pText->Refuse("the file's DOCTYPE declares its own entities (an internal subset), which are not read");
    case XmlError::kUnsupportedEncoding: return pText->Refuse(kRefusedXmlEncoding);
    default:
        return pText->RefuseAt("the file is damaged: it is not well-formed XML", XmlErrorText(reader.Error()),
                               reader.Offset());
    }
}

void PutXmlText(const XmlReader& reader, DocumentText* pText) {
    DocumentTextSink sink(pText);
    // The reader has refused a malformed reference before its text is given.
    DecodeXmlValue(reader.Text(), reader.TextIsRaw() ? XmlValueKind::kRawText : XmlValueKind::kText, &sink);
}
