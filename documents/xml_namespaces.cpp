// The XML reader's namespace declarations, as a start tag takes them into scope, and its attributes
// found by their namespace's URI and local name.
#include <string.h>

#include "documents/xml_chars.h"
#include "documents/xml_reader.h"

namespace {

const char kXmlnsUri[] = "http://www.w3.org/2000/xmlns/";
const char kEmpty[] = "";
const XmlSpan kNoSpan = {kEmpty, 0};

}  // namespace

// An attribute xmlns or xmlns:prefix: its declaration goes in scope. False after an error.
bool XmlReader::DeclareNamespace(XmlSpan name, XmlSpan value, unsigned nNamespaceBase) {
    const char* pName = name.pData;
    bool bDefault = name.cbData == 5;
    XmlSpan prefix = bDefault ? kNoSpan : Span(pName + 6, name.cbData - 6);
    // "xml" keeps its own URI and needs no declaration; "xmlns" and its URI are never declared; a
    // prefix is never undeclared; the URI is taken as written, so it holds no reference.
    bool bXmlPrefix = XmlSpanIs(prefix, "xml"), bXmlUri = XmlSpanIs(value, kXmlNamespaceUri);
    if (bXmlPrefix != bXmlUri || XmlSpanIs(prefix, "xmlns") || XmlSpanIs(value, kXmlnsUri) ||
        (!bDefault && value.cbData == 0) || memchr(value.pData, '&', value.cbData) != nullptr) {
        return Fail(XmlError::kBadNamespaceDeclaration, pName), false;
    }
    for (unsigned i = nNamespaceBase; i < nNamespaces; ++i) {
        if (XmlSpansEqual(namespaces[i].prefix, prefix)) return Fail(XmlError::kDuplicateAttribute, pName), false;
    }
    if (bXmlPrefix) return true;
    if (nNamespaces == kXmlMaxNamespaces) return Fail(XmlError::kTooManyNamespaces, pName), false;
    namespaces[nNamespaces++] = Namespace{prefix, value};
    return true;
}

bool XmlReader::FindAttribute(XmlSpan uri, XmlSpan local, XmlSpan* pValue) const {
    for (unsigned i = 0; i < nAttributes; ++i) {
        if (XmlSpansEqual(attributes[i].local, local) && XmlSpansEqual(attributes[i].uri, uri)) {
            *pValue = attributes[i].value;
            return true;
        }
    }
    return false;
}

