#include "documents/translation_walk.h"

#include "documents/office_package.h"

namespace {

unsigned char LowerAscii(unsigned char c) { return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + 32) : c; }

// Compares the decoded bytes with the expected ones as they come.
class CompareSink : public XmlSink {
public:
    explicit CompareSink(const char* szExpected) : p(szExpected), bSame(true) {}
    void Put(const char* pData, size_t cbData) override {
        for (size_t i = 0; i < cbData && bSame; ++i, ++p) {
            bSame = *p != '\0' && LowerAscii(static_cast<unsigned char>(pData[i])) ==
                                      LowerAscii(static_cast<unsigned char>(*p));
        }
    }
    bool Same() const { return bSame && *p == '\0'; }

private:
    const char* p;
    bool bSame;
};

}  // namespace

void TextRoles::SetInline(unsigned nDepth, InlineKind kind) {
    TextRole parent = roles[nDepth - 1];
    TextRole role = parent;
    if (kind == InlineKind::kNothing) role = TextRole::kOff;
    else if (kind == InlineKind::kCode && parent != TextRole::kOff) role = TextRole::kCode;
    else if (kind == InlineKind::kSubFlow && parent == TextRole::kCode) role = TextRole::kText;
    roles[nDepth] = role;
}

bool XmlValueIs(XmlSpan rawValue, const char* szValue) {
    CompareSink sink(szValue);
    return DecodeXmlValue(rawValue, XmlValueKind::kAttribute, &sink) && sink.Same();
}

bool AttributeIs(const XmlReader& reader, XmlSpan uri, XmlSpan local, const char* szValue) {
    XmlSpan value;
    return reader.FindAttribute(uri, local, &value) && XmlValueIs(value, szValue);
}

bool AttributeValue(const XmlReader& reader, XmlSpan uri, XmlSpan local, GrowingBytes* pValue, DocumentText* pText) {
    pValue->Clear();
    XmlSpan value;
    return reader.FindAttribute(uri, local, &value) &&
           AppendXmlValue(value, XmlValueKind::kAttribute, pValue, pText);
}

bool SameLetters(const char* pFirst, size_t cbFirst, const char* pSecond, size_t cbSecond) {
    if (cbFirst != cbSecond) return false;
    for (size_t i = 0; i < cbFirst; ++i) {
        if (LowerAscii(static_cast<unsigned char>(pFirst[i])) != LowerAscii(static_cast<unsigned char>(pSecond[i])))
            return false;
    }
    return true;
}

bool AppendXmlText(const XmlReader& reader, GrowingBytes* pOut, DocumentText* pText) {
    return AppendXmlValue(reader.Text(), reader.TextIsRaw() ? XmlValueKind::kRawText : XmlValueKind::kText, pOut,
                          pText);
}

bool HasText(const char* pUtf8, size_t cbUtf8) {
    for (size_t i = 0; i < cbUtf8; ++i) {
        char c = pUtf8[i];
        if (c != ' ' && c != '\t' && c != '\n' && c != '\r') return true;
    }
    return false;
}

void PutUnit(const char* pUtf8, size_t cbUtf8, DocumentText* pText) {
    pText->Put(pUtf8, cbUtf8);
    pText->EndParagraph();
}

void PutTranslation(const char* pUtf8, size_t cbUtf8, DocumentText* pText) {
    if (HasText(pUtf8, cbUtf8)) PutUnit(pUtf8, cbUtf8, pText);
    else pText->NoteUntranslated();
}

bool WalkTranslationXml(const XmlReader& reader, TranslationWalk* pWalk, const TextRoles& roles,
                        TranslationXmlRules* pRules, DocumentText* pText) {
    for (XmlToken token = pWalk->Next(); token != XmlToken::kEndDocument; token = pWalk->Next()) {
        if (token == XmlToken::kError) return RefuseTranslationXml(reader, pText);
        if (pText->Refusal() != nullptr) return false;
        if (token == XmlToken::kStartElement) {
            pRules->StartElement(reader.Depth());
        } else if (token == XmlToken::kEndElement) {
            pRules->EndElement(reader.Depth());
        } else if (roles.Counts(reader.Depth()) && !pRules->TakeText()) {
            return false;
        }
    }
    return pText->Refusal() == nullptr;
}
