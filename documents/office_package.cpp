#include "documents/office_package.h"

#include <stdint.h>
#include <string.h>

#include "documents/document_text.h"

namespace {
const char kPackageRelationshipsUri[] = "http://schemas.openxmlformats.org/package/2006/relationships";
const char kContentTypesUri[] = "http://schemas.openxmlformats.org/package/2006/content-types";

// Office's namespaces: "http://schemas.openxmlformats.org/" + transitional, or
// "http://purl.oclc.org/ooxml/" + strict.
bool IsOfficeNamespace(XmlSpan uri, const char* szTransitional, const char* szStrict) {
    const char kTransitionalBase[] = "http://schemas.openxmlformats.org/";
    const char kStrictBase[] = "http://purl.oclc.org/ooxml/";
    size_t cbBase = sizeof(kTransitionalBase) - 1, cbRest = strlen(szTransitional);
    if (uri.cbData == cbBase + cbRest && memcmp(uri.pData, kTransitionalBase, cbBase) == 0)
        return memcmp(uri.pData + cbBase, szTransitional, cbRest) == 0;
    cbBase = sizeof(kStrictBase) - 1;
    cbRest = strlen(szStrict);
    return uri.cbData == cbBase + cbRest && memcmp(uri.pData, kStrictBase, cbBase) == 0 &&
           memcmp(uri.pData + cbBase, szStrict, cbRest) == 0;
}

bool SameIgnoringAsciiCase(const std::string& first, const std::string& second) {
    if (first.size() != second.size()) return false;
    for (size_t i = 0; i < first.size(); ++i) {
        char a = first[i] >= 'A' && first[i] <= 'Z' ? static_cast<char>(first[i] + 32) : first[i];
        char b = second[i] >= 'A' && second[i] <= 'Z' ? static_cast<char>(second[i] + 32) : second[i];
        if (a != b) return false;
    }
    return true;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A target is a URI: its %-escapes stand for the bytes of the part's name.
std::string UnescapeUri(const std::string& uri) {
    std::string bytes;
    for (size_t i = 0; i < uri.size(); ++i) {
        if (uri[i] == '%' && i + 2 < uri.size() && HexDigit(uri[i + 1]) >= 0 && HexDigit(uri[i + 2]) >= 0) {
            bytes += static_cast<char>(HexDigit(uri[i + 1]) * 16 + HexDigit(uri[i + 2]));
            i += 2;
        } else {
            bytes += uri[i];
        }
    }
    return bytes;
}

class StringSink : public XmlSink {
public:
    explicit StringSink(std::string* pOut) : pOut(pOut) {}
    void Put(const char* pData, size_t cbData) override { pOut->append(pData, cbData); }

private:
    std::string* pOut;
};

// The folder of a part name, with its "/" ("word/" for "word/document.xml", "" at the root).
std::string FolderOf(const std::string& partName) {
    size_t nSlash = partName.rfind('/');
    return nSlash == std::string::npos ? std::string() : partName.substr(0, nSlash + 1);
}

// A relationship's target as a part name: relative to the source part's folder, or to the
// package's root when it starts with "/"; false when it leaves the package or is no part name.
bool ResolveTarget(const std::string& sourceFolder, const std::string& target, std::string* pName) {
    if (target.empty() || target.find(':') != std::string::npos || target.find('\\') != std::string::npos) return false;
    std::string path = target[0] == '/' ? target.substr(1) : sourceFolder + target;
    size_t nFragment = path.find_first_of("#?");
    if (nFragment != std::string::npos) path.resize(nFragment);
    std::string result;
    size_t nStart = 0;
    while (nStart <= path.size()) {
        size_t nEnd = path.find('/', nStart);
        if (nEnd == std::string::npos) nEnd = path.size();
        std::string segment = path.substr(nStart, nEnd - nStart);
        if (segment == "..") {
            if (result.empty()) return false;  // above the package's root
            size_t nSlash = result.rfind('/', result.size() - 2);
            result.resize(nSlash == std::string::npos ? 0 : nSlash + 1);
        } else if (!segment.empty() && segment != ".") {
            result += segment;
            if (nEnd < path.size()) result += '/';
        }
        nStart = nEnd + 1;
    }
    if (result.empty() || result.back() == '/') return false;
    *pName = result;
    return true;
}
}  // namespace

bool RelationshipIs(const Relationship& relationship, const char* szName) {
    size_t nSlash = relationship.type.rfind('/');
    return nSlash != std::string::npos && relationship.type.compare(nSlash + 1, std::string::npos, szName) == 0;
}

void AppendXmlValue(XmlSpan value, XmlValueKind kind, std::string* pOut) {
    StringSink sink(pOut);
    DecodeXmlValue(value, kind, &sink);
}

bool IsWordNamespace(XmlSpan uri) {
    return IsOfficeNamespace(uri, "wordprocessingml/2006/main", "wordprocessingml/main");
}
bool IsSpreadsheetNamespace(XmlSpan uri) {
    return IsOfficeNamespace(uri, "spreadsheetml/2006/main", "spreadsheetml/main");
}
bool IsPresentationNamespace(XmlSpan uri) {
    return IsOfficeNamespace(uri, "presentationml/2006/main", "presentationml/main");
}
bool IsDrawingNamespace(XmlSpan uri) { return IsOfficeNamespace(uri, "drawingml/2006/main", "drawingml/main"); }
bool IsRelationshipsNamespace(XmlSpan uri) {
    return IsOfficeNamespace(uri, "officeDocument/2006/relationships", "officeDocument/relationships");
}
bool IsMarkupCompatibilityNamespace(XmlSpan uri) {
    return XmlSpanIs(uri, "http://schemas.openxmlformats.org/markup-compatibility/2006");
}

bool OfficePackage::Open(const unsigned char* pData, size_t cbData, DocumentText* pNewText) {
    pText = pNewText;
    if (archive.Open(pData, cbData)) return true;
    return pText->Refuse(ZipErrorText(archive.Error()));
}

bool OfficePackage::Has(const std::string& name) const {
    ZipEntry entry;
    return archive.Find(name.data(), name.size(), &entry);
}

bool OfficePackage::PartIndex(const std::string& name, size_t* pnIndex) const {
    return archive.FindIndex(name.data(), name.size(), pnIndex);
}

bool OfficePackage::ReadRaw(const std::string& name, PartBytes* pBytes) {
    ZipEntry entry;
    if (!archive.Find(name.data(), name.size(), &entry)) return pText->Refuse(kRefusedMissingPart);
    if (!archive.MayInflate(entry.cbUncompressed)) return pText->Refuse(ZipErrorText(archive.Error()));
    // Within the budget the size fits memory's count; the allocation itself may still fail.
    PartBytes bytes;
    if (entry.cbUncompressed > SIZE_MAX || !bytes.Allocate(static_cast<size_t>(entry.cbUncompressed)))
        return pText->Refuse(kRefusedOutOfMemory);
    if (!archive.Extract(entry, reinterpret_cast<unsigned char*>(bytes.data()), bytes.size(), Meter()))
        return pText->Refuse(archive.Error() == ZipError::kStopped ? kRefusedStopped : ZipErrorText(archive.Error()));
    pBytes->swap(bytes);
    return true;
}

bool OfficePackage::Read(const std::string& name, PackagePart* pPart) {
    if (!ReadRaw(name, &pPart->bytes)) return false;
    XmlEncoding encoding = DetectXmlEncoding(pPart->bytes.data(), pPart->bytes.size());
    if (encoding == XmlEncoding::kRefused) return pText->Refuse(kRefusedXmlEncoding);
    if (encoding == XmlEncoding::kUtf8) return true;
    PartBytes utf8;
    if (!utf8.Allocate(XmlUtf8Room(pPart->bytes.size()))) return pText->Refuse(kRefusedOutOfMemory);
    size_t cbWritten = 0;
    if (!TranscodeUtf16ToUtf8(pPart->bytes.data(), pPart->bytes.size(), encoding, utf8.data(), utf8.size(), &cbWritten))
        return pText->Refuse(kRefusedXmlEncoding);
    utf8.Resize(cbWritten);
    pPart->bytes.swap(utf8);
    return true;
}

ProgressMeter* OfficePackage::Meter() { return pText->Meter(); }

bool OfficePackage::RefuseOutOfMemory() { return pText->Refuse(kRefusedOutOfMemory); }

bool OfficePackage::RefuseXml(const XmlReader& reader) {
    if (reader.Error() == XmlError::kStopped) return pText->Refuse(kRefusedStopped);
    if (reader.Error() == XmlError::kDoctype) return pText->Refuse(kRefusedDoctype);
    if (reader.Error() == XmlError::kUnsupportedEncoding) return pText->Refuse(kRefusedXmlEncoding);
    return pText->Refuse(kRefusedBadXml);
}

bool OfficePackage::Relationships(const std::string& partName, std::vector<Relationship>* pRelationships) {
    pRelationships->clear();
    std::string folder = FolderOf(partName);
    std::string relsName = folder + "_rels/" + partName.substr(folder.size()) + ".rels";
    if (!Has(relsName)) return true;
    PackagePart part;
    if (!Read(relsName, &part)) return false;
    XmlReader reader(part.bytes.data(), part.bytes.size(), Meter());
    for (XmlToken token = reader.Next(); token != XmlToken::kEndDocument; token = reader.Next()) {
        if (token == XmlToken::kError) return RefuseXml(reader);
        if (token != XmlToken::kStartElement || !XmlSpanIs(reader.LocalName(), "Relationship") ||
            !XmlSpanIs(reader.NamespaceUri(), kPackageRelationshipsUri))
            continue;
        XmlSpan id, type, target, mode;
        if (!reader.FindAttribute("", "Id", &id) || !reader.FindAttribute("", "Type", &type) ||
            !reader.FindAttribute("", "Target", &target))
            continue;
        if (reader.FindAttribute("", "TargetMode", &mode) && XmlSpanIs(mode, "External")) continue;
        Relationship relationship;
        std::string rawTarget;
        AppendXmlValue(id, XmlValueKind::kAttribute, &relationship.id);
        AppendXmlValue(type, XmlValueKind::kAttribute, &relationship.type);
        AppendXmlValue(target, XmlValueKind::kAttribute, &rawTarget);
        if (!ResolveTarget(folder, UnescapeUri(rawTarget), &relationship.target)) continue;
        pRelationships->push_back(relationship);
    }
    return true;
}

bool OfficePackage::ContentType(const std::string& partName, std::string* pType) {
    pType->clear();
    PackagePart part;
    if (!Read("[Content_Types].xml", &part)) return false;
    std::string extension;
    size_t nDot = partName.rfind('.');
    if (nDot != std::string::npos && partName.find('/', nDot) == std::string::npos) extension = partName.substr(nDot + 1);
    std::string byDefault;
    XmlReader reader(part.bytes.data(), part.bytes.size(), Meter());
    for (XmlToken token = reader.Next(); token != XmlToken::kEndDocument; token = reader.Next()) {
        if (token == XmlToken::kError) return RefuseXml(reader);
        if (token != XmlToken::kStartElement || !XmlSpanIs(reader.NamespaceUri(), kContentTypesUri)) continue;
        XmlSpan type, key;
        if (!reader.FindAttribute("", "ContentType", &type)) continue;
        std::string keyText;
        if (XmlSpanIs(reader.LocalName(), "Override") && reader.FindAttribute("", "PartName", &key)) {
            AppendXmlValue(key, XmlValueKind::kAttribute, &keyText);
            if (SameIgnoringAsciiCase(keyText, "/" + partName)) {
                AppendXmlValue(type, XmlValueKind::kAttribute, pType);
                return true;
            }
        } else if (XmlSpanIs(reader.LocalName(), "Default") && reader.FindAttribute("", "Extension", &key)) {
            AppendXmlValue(key, XmlValueKind::kAttribute, &keyText);
            if (!extension.empty() && SameIgnoringAsciiCase(keyText, extension)) {
                byDefault.clear();
                AppendXmlValue(type, XmlValueKind::kAttribute, &byDefault);
            }
        }
    }
    *pType = byDefault;
    return true;
}
