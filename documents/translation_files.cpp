#include "documents/translation_files.h"

#include <string.h>

#include <initializer_list>

#include "documents/android_strings_text.h"
#include "documents/apple_strings_text.h"
#include "documents/code_page_converter.h"
#include "documents/code_pages.h"
#include "documents/idml_text.h"
#include "documents/po_text.h"
#include "documents/properties_text.h"
#include "documents/qt_ts_text.h"
#include "documents/resx_text.h"
#include "documents/tmx_text.h"
#include "documents/translation_xml.h"
#include "documents/xliff_text.h"
#include "documents/ascii_classes.h"

const char kNotTranslationFile[] = "not a translation file";
const char kIdmlMimeType[] = "application/vnd.adobe.indesign-idml-package";
const char kIdmlKindName[] = "InDesign";

namespace {

const char* const kTranslationRoots[] = {"xliff", "tmx", "TS", "resources", "root"};

// Past the end of the first szEnd after p, or null.
const char* After(const char* p, const char* szEnd) {
    const char* pFound = strstr(p, szEnd);
    return pFound != nullptr ? pFound + strlen(szEnd) : nullptr;
}

bool IsNameEnd(char c) { return c == '\0' || c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '>' || c == '/'; }

enum class XmlRoot { kOther, kXliff, kTmx, kQtTs, kAndroidStrings, kResx };

// Whether the root element has a child of one of these local names (no namespace).
bool RootHasChild(const char* pUtf8, size_t cbUtf8, std::initializer_list<const char*> names, DocumentText* pText,
                  bool* pbHas) {
    TranslationXmlReader reader(pUtf8, cbUtf8, pText);
    *pbHas = false;
    for (XmlToken token = reader.Next(); token != XmlToken::kEndDocument; token = reader.Next()) {
        if (token == XmlToken::kError) return RefuseTranslationXml(reader, pText);
        if (token != XmlToken::kStartElement || reader.Depth() != 2 || reader.NamespaceUri().cbData != 0) continue;
        for (const char* szName : names) {
            if (XmlSpanIs(reader.LocalName(), szName)) {
                *pbHas = true;
                return true;
            }
        }
    }
    return true;
}

// The kind the root element says; false when the XML fails before it.
bool RootOf(const char* pUtf8, size_t cbUtf8, DocumentText* pText, XmlRoot* pRoot) {
    *pRoot = XmlRoot::kOther;
    TranslationXmlReader reader(pUtf8, cbUtf8, pText);
    XmlToken token = reader.Next();
    while (token == XmlToken::kText) token = reader.Next();
    if (token == XmlToken::kError) return RefuseTranslationXml(reader, pText);
    if (token != XmlToken::kStartElement) return true;
    XmlSpan local = reader.LocalName();
    bool bNoNamespace = reader.NamespaceUri().cbData == 0;
    bool bHas = false;
    if (XmlSpanIs(local, "xliff")) {
        *pRoot = XmlRoot::kXliff;
    } else if (XmlSpanIs(local, "tmx")) {
        *pRoot = XmlRoot::kTmx;
    } else if (XmlSpanIs(local, "TS")) {
        *pRoot = XmlRoot::kQtTs;
    } else if (XmlSpanIs(local, "resources") && bNoNamespace) {
        if (!RootHasChild(pUtf8, cbUtf8, {"string", "plurals", "string-array"}, pText, &bHas)) return false;
        if (bHas) *pRoot = XmlRoot::kAndroidStrings;
    } else if (XmlSpanIs(local, "root") && bNoNamespace) {
        if (!RootHasChild(pUtf8, cbUtf8, {"resheader"}, pText, &bHas)) return false;
        if (bHas) *pRoot = XmlRoot::kResx;
    }
    return true;
}

// The encoding an XML declaration at the start names, as a code page (0 for none known), and
// where the declaration ends.
int DeclaredCodePage(const unsigned char* pData, size_t cbData, size_t* pcbDeclaration) {
    *pcbDeclaration = 0;
    size_t i = cbData >= 3 && memcmp(pData, "\xEF\xBB\xBF", 3) == 0 ? 3 : 0;
    if (cbData - i < 6 || memcmp(pData + i, "<?xml", 5) != 0 || !IsXmlSpace(pData[i + 5])) return 0;
    size_t iEnd = i;
    while (iEnd + 1 < cbData && !(pData[iEnd] == '?' && pData[iEnd + 1] == '>')) ++iEnd;
    if (iEnd + 1 >= cbData) return 0;
    for (size_t k = i; k + 9 < iEnd; ++k) {
        if (memcmp(pData + k, "encoding", 8) != 0) continue;
        size_t q = k + 8;
        while (q < iEnd && IsXmlSpace(pData[q])) ++q;
        if (q >= iEnd || pData[q] != '=') return 0;
        ++q;
        while (q < iEnd && IsXmlSpace(pData[q])) ++q;
        if (q >= iEnd || (pData[q] != '"' && pData[q] != '\'')) return 0;
        const unsigned char* pLabel = pData + q + 1;
        const void* pClose = memchr(pLabel, pData[q], iEnd - q - 1);
        if (pClose == nullptr) return 0;
        *pcbDeclaration = iEnd + 2;
        return CodePageOfCharsetLabel(reinterpret_cast<const char*>(pLabel),
                                      static_cast<size_t>(static_cast<const unsigned char*>(pClose) - pLabel));
    }
    return 0;
}

}  // namespace

bool BeginsAsTranslationXml(const char* szHead) {
    const char* p = szHead;
    for (;;) {
        while (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n') ++p;
        if (*p != '<') return false;
        if (p[1] == '?') {
            p = After(p + 2, "?>");
        } else if (strncmp(p, "<!--", 4) == 0) {
            p = After(p + 4, "-->");
        } else if (strncmp(p, "<!DOCTYPE", 9) == 0) {
            const char* pSubset = strchr(p, '[');
            const char* pClose = strchr(p, '>');
            p = pSubset != nullptr && pClose != nullptr && pSubset < pClose ? After(pSubset, "]") : p;
            p = p != nullptr ? After(p, ">") : nullptr;
        } else {
            const char* pName = ++p;
            while (!IsNameEnd(*p)) ++p;
            // The local part of a prefixed name.
            for (const char* q = pName; q < p; ++q) {
                if (*q == ':') pName = q + 1;
            }
            for (const char* szRoot : kTranslationRoots) {
                size_t cb = strlen(szRoot);
                if (static_cast<size_t>(p - pName) == cb && memcmp(pName, szRoot, cb) == 0) return *p != '\0';
            }
            return false;
        }
        if (p == nullptr) return false;
    }
}

bool ReadTranslationXml(const unsigned char* pData, size_t cbData, DocumentText* pText) {
    const char* pUtf8 = reinterpret_cast<const char*>(pData);
    size_t cbUtf8 = cbData;
    GrowingArray<char> converted(pText->Kept());
    XmlEncoding encoding = DetectXmlEncoding(pUtf8, cbData);
    if (encoding == XmlEncoding::kUtf16LE || encoding == XmlEncoding::kUtf16BE) {
        if (!converted.Resize(XmlUtf8Room(cbData))) return pText->RefuseGrowth();
        size_t cbWritten = 0;
        if (!TranscodeUtf16ToUtf8(pUtf8, cbData, encoding, converted.Data(), converted.Size(), &cbWritten))
            return pText->Refuse(kRefusedXmlEncoding);
        pUtf8 = converted.Data();
        cbUtf8 = cbWritten;
    } else if (encoding == XmlEncoding::kRefused) {
        // Another encoding the declaration names: the rest converted, read without the declaration.
        size_t cbDeclaration = 0;
        int nCodePage = DeclaredCodePage(pData, cbData, &cbDeclaration);
        if (nCodePage == 0) return pText->Refuse(kRefusedXmlEncoding);
        const char* szReason = nullptr;
        if (!ConvertToUtf8(nCodePage, pData + cbDeclaration, cbData - cbDeclaration, &converted, &szReason)) {
            if (szReason == kRefusedMissingCodePage) return pText->RefuseMissingCodePage(nCodePage);
            return pText->Refuse(szReason);
        }
        pUtf8 = converted.Size() > 0 ? converted.Data() : "";
        cbUtf8 = converted.Size();
    }
    XmlRoot root;
    if (!RootOf(pUtf8, cbUtf8, pText, &root)) return false;
    switch (root) {
    case XmlRoot::kXliff: pText->SetKindName("XLIFF"); return ReadXliffText(pUtf8, cbUtf8, pText);
    case XmlRoot::kTmx: pText->SetKindName("TMX"); return ReadTmxText(pUtf8, cbUtf8, pText);
    case XmlRoot::kQtTs: pText->SetKindName("Qt TS"); return ReadQtTsText(pUtf8, cbUtf8, pText);
    case XmlRoot::kAndroidStrings:
        pText->SetKindName("Android strings");
        return ReadAndroidStringsText(pUtf8, cbUtf8, pText);
    case XmlRoot::kResx: pText->SetKindName("RESX"); return ReadResxText(pUtf8, cbUtf8, pText);
    default: return pText->Refuse(kNotTranslationFile);
    }
}

bool ReadTranslationText(TranslationTextKind kind, const unsigned char* pData, size_t cbData, DocumentText* pText) {
    switch (kind) {
    case TranslationTextKind::kPo: pText->SetKindName("PO"); return ReadPoText(pData, cbData, pText);
    case TranslationTextKind::kProperties:
        pText->SetKindName("Java properties");
        return ReadPropertiesText(pData, cbData, pText);
    default: pText->SetKindName("Apple strings"); return ReadAppleStringsText(pData, cbData, pText);
    }
}

bool ReadIdmlPackage(OfficePackage* pPackage, DocumentText* pText) {
    pText->SetKindName(kIdmlKindName);
    return ReadIdmlText(pPackage, pText);
}
