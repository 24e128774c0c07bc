#include "documents/resx_text.h"

#include <string.h>

#include "documents/office_package.h"
#include "documents/translation_walk.h"
#include "documents/translation_xml.h"

namespace {

bool IsNoNamespaceElement(const XmlReader& reader, const char* szLocal) {
    return reader.NamespaceUri().cbData == 0 && XmlSpanIs(reader.LocalName(), szLocal);
}

bool StartsWith(const GrowingBytes& bytes, const char* szPrefix) {
    size_t cbPrefix = strlen(szPrefix);
    return bytes.Size() >= cbPrefix && memcmp(bytes.Data(), szPrefix, cbPrefix) == 0;
}

// Whether a <data> holds a string a person translates; false also when memory fails (refused).
bool IsStringResource(const XmlReader& reader, GrowingBytes* pName, DocumentText* pText) {
    XmlSpan value;
    if (reader.FindAttribute("", "type", &value) || reader.FindAttribute("", "mimetype", &value)) return false;
    pName->Clear();
    if (reader.FindAttribute("", "name", &value) && !AppendXmlValue(value, XmlValueKind::kAttribute, pName, pText))
        return false;
    return !StartsWith(*pName, ">>") && !StartsWith(*pName, "$this.");
}

}  // namespace

bool ReadResxText(const char* pUtf8, size_t cbUtf8, DocumentText* pText) {
    TranslationXmlReader reader(pUtf8, cbUtf8, pText);
    GrowingBytes name(pText->Kept());
    unsigned nValueDepth = 0;
    bool bWrote = false;
    TranslationWalk walk(&reader);
    for (XmlToken token = walk.Next(); token != XmlToken::kEndDocument; token = walk.Next()) {
        if (token == XmlToken::kError) return RefuseTranslationXml(reader, pText);
        if (pText->Refusal() != nullptr) return false;
        unsigned nDepth = reader.Depth();
        if (token == XmlToken::kStartElement) {
            if (nDepth == 1 && !IsNoNamespaceElement(reader, "root"))
                return pText->Refuse("the file is not a .NET resource file (its root is not <root>)");
            if (nDepth == 1) continue;
            if (nDepth == 2 && IsNoNamespaceElement(reader, "data") && IsStringResource(reader, &name, pText)) continue;
            if (pText->Refusal() != nullptr) return false;
            if (nDepth == 3 && nValueDepth == 0 && IsNoNamespaceElement(reader, "value")) {
                nValueDepth = nDepth;
                bWrote = false;
                continue;
            }
            walk.SkipElement();
        } else if (token == XmlToken::kText) {
            if (nValueDepth == 0) continue;
            PutXmlText(reader, pText);
            bWrote = bWrote || reader.Text().cbData > 0;
        } else if (nValueDepth != 0 && nDepth == nValueDepth) {
            nValueDepth = 0;
            if (bWrote) pText->EndParagraph();
        }
    }
    return pText->Refusal() == nullptr;
}
