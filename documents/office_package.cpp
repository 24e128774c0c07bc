#include "documents/office_package.h"

#include "documents/ascii_classes.h"
#include "documents/heap_sort.h"

#include <stdint.h>
#include <string.h>

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

// Why the zip is refused; memory that failed, and a stop, are said as every reader says them.
const char* ZipRefusal(ZipError error) {
    if (error == ZipError::kOutOfMemory) return kRefusedOutOfMemory;
    return error == ZipError::kStopped ? kRefusedStopped : ZipErrorText(error);
}

class BytesSink : public XmlSink {
public:
    explicit BytesSink(GrowingBytes* pOut) : pOut(pOut), bFailed(false) {}
    void Put(const char* pData, size_t cbData) override { bFailed = bFailed || !pOut->Append(pData, cbData); }
    bool Failed() const { return bFailed; }

private:
    GrowingBytes* pOut;
    bool bFailed;
};

// The folder of a part name, with its "/" ("word/" for "word/document.xml", "" at the root).
size_t FolderLength(XmlSpan partName) {
    size_t n = partName.cbData;
    while (n > 0 && partName.pData[n - 1] != '/') --n;
    return n;
}

// A relationship's target as a part name, in place: a URI, whose %-escapes stand for the bytes of
// the name, relative to the source part's folder or, starting with "/", to the package's root.
// *pbInside is false when it leaves the package or is no part name; false when memory fails.
bool ResolveTarget(XmlSpan sourceFolder, GrowingBytes* pPath, bool* pbInside) {
    *pbInside = false;
    GrowingBytes& path = *pPath;
    // Every step below writes no further than it has read, so each is done in the same bytes.
    char* p = path.Data();
    size_t cbPath = 0;
    for (size_t i = 0; i < path.Size(); ++i) {
        char c = p[i];
        if (c == '%' && i + 2 < path.Size() && HexValue(p[i + 1]) >= 0 && HexValue(p[i + 2]) >= 0) {
            c = static_cast<char>(HexValue(p[i + 1]) * 16 + HexValue(p[i + 2]));
            i += 2;
        }
        if (c == ':' || c == '\\') return true;
        p[cbPath++] = c;
    }
    if (cbPath == 0) return true;
    if (p[0] == '/') {
        memmove(p, p + 1, --cbPath);
        path.Shorten(cbPath);
    } else {
        path.Shorten(cbPath);
        if (!path.Append(sourceFolder.pData, sourceFolder.cbData)) return false;
        p = path.Data();
        memmove(p + sourceFolder.cbData, p, cbPath);
        memcpy(p, sourceFolder.pData, sourceFolder.cbData);
        cbPath += sourceFolder.cbData;
    }
    for (size_t i = 0; i < cbPath; ++i) {
        if (p[i] == '#' || p[i] == '?') cbPath = i;
    }
    size_t cbResult = 0;
    for (size_t nStart = 0; nStart <= cbPath;) {
        size_t nEnd = nStart;
        while (nEnd < cbPath && p[nEnd] != '/') ++nEnd;
        size_t cbSegment = nEnd - nStart;
        if (cbSegment == 2 && p[nStart] == '.' && p[nStart + 1] == '.') {
            if (cbResult == 0) return true;  // above the package's root
            size_t nSlash = cbResult - 1;    // the result's last "/"
            while (nSlash > 0 && p[nSlash - 1] != '/') --nSlash;
            cbResult = nSlash;
        } else if (cbSegment != 0 && !(cbSegment == 1 && p[nStart] == '.')) {
            memmove(p + cbResult, p + nStart, cbSegment);
            cbResult += cbSegment;
            if (nEnd < cbPath) p[cbResult++] = '/';
        }
        nStart = nEnd + 1;
    }
    path.Shorten(cbResult);
    *pbInside = cbResult > 0 && p[cbResult - 1] != '/';
    return true;
}

int CompareIds(const void* pContext, size_t a, size_t b) {
    const Relationships& list = *static_cast<const Relationships*>(pContext);
    int nOrder = CompareSpans(list.Id(a), list.Id(b));
    return nOrder != 0 ? nOrder : (a < b ? -1 : 1);
}

int CompareTypeKeys(const void* pContext, size_t a, size_t b) {
    const TextList& types = *static_cast<const TextList*>(pContext);
    int nOrder = CompareSpans(types.At(2 * a), types.At(2 * b));
    return nOrder != 0 ? nOrder : (a < b ? -1 : 1);
}

// The first position in the order whose key is not below the key (bAfter: is above it).
size_t FindKey(const TextList& types, const GrowingArray<size_t>& order, XmlSpan key, bool bAfter) {
    size_t nLow = 0, nHigh = order.Size();
    while (nLow < nHigh) {
        size_t nMiddle = nLow + (nHigh - nLow) / 2;
        int nOrder = CompareSpans(types.At(2 * order[nMiddle]), key);
        if (nOrder < 0 || (bAfter && nOrder == 0)) nLow = nMiddle + 1;
        else nHigh = nMiddle;
    }
    return nLow;
}
}  // namespace

int CompareSpans(XmlSpan first, XmlSpan second) {
    size_t cb = first.cbData < second.cbData ? first.cbData : second.cbData;
    int nOrder = cb > 0 ? memcmp(first.pData, second.pData, cb) : 0;
    if (nOrder != 0) return nOrder;
    return first.cbData < second.cbData ? -1 : (first.cbData > second.cbData ? 1 : 0);
}

bool TextList::Add(XmlSpan text) {
    size_t cbBefore = bytes.Size();
    if (bytes.Append(text.pData, text.cbData) && ends.Push(bytes.Size())) return true;
    bytes.Shorten(cbBefore);
    return false;
}

bool SortIndexes(GrowingArray<size_t>* pIndexes, size_t n, int (*Compare)(const void* pContext, size_t a, size_t b),
                 const void* pContext) {
    pIndexes->Clear();
    if (!pIndexes->Reserve(n)) return false;
    for (size_t i = 0; i < n; ++i) (void)pIndexes->Push(i);
    HeapSortIndexes(pIndexes->Data(), n, [&](size_t a, size_t b) { return Compare(pContext, a, b) < 0; });
    return true;
}

bool Relationships::Is(size_t i, const char* szName) const {
    XmlSpan type = Type(i);
    size_t n = type.cbData;
    while (n > 0 && type.pData[n - 1] != '/') --n;
    return n > 0 && XmlSpanIs(XmlSpan{type.pData + n, type.cbData - n}, szName);
}

size_t Relationships::FirstWithId(XmlSpan id) const {
    size_t nLow = 0, nHigh = byId.Size();
    while (nLow < nHigh) {
        size_t nMiddle = nLow + (nHigh - nLow) / 2;
        if (CompareSpans(Id(byId[nMiddle]), id) < 0) nLow = nMiddle + 1;
        else nHigh = nMiddle;
    }
    return nLow;
}

bool AppendXmlValue(XmlSpan value, XmlValueKind kind, GrowingBytes* pOut, DocumentText* pText) {
    // The run that needs no decoding, the most of most values, is copied as it stands: the bytes
    // the decoder would have put first.
    size_t cbPlain = XmlPlainLength(value, kind);
    if (!pOut->Append(value.pData, cbPlain)) return pText->RefuseGrowth();
    if (cbPlain == value.cbData) return true;
    BytesSink sink(pOut);
    DecodeXmlValue(XmlSpan{value.pData + cbPlain, value.cbData - cbPlain}, kind, &sink);
    return !sink.Failed() || pText->RefuseGrowth();
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
bool IsDiagramNamespace(XmlSpan uri) { return IsOfficeNamespace(uri, "drawingml/2006/diagram", "drawingml/diagram"); }

bool OfficePackage::Open(const unsigned char* pData, size_t cbData, DocumentText* pNewText) {
    pText = pNewText;
    types.BindTo(pText->Kept());
    typeOrder.BindTo(pText->Kept());
    if (archive.Open(pData, cbData)) return true;
    return pText->Refuse(ZipRefusal(archive.Error()));
}

bool OfficePackage::Has(XmlSpan name) const {
    ZipEntry entry;
    return archive.Find(name.pData, name.cbData, &entry);
}

bool OfficePackage::ReadRaw(XmlSpan name, PartBytes* pBytes) {
    ZipEntry entry;
    if (!archive.Find(name.pData, name.cbData, &entry)) return pText->Refuse(kRefusedMissingPart);
    if (!archive.MayInflate(entry.cbUncompressed)) return pText->Refuse(ZipRefusal(archive.Error()));
    // Within the budget the size fits memory's count; the allocation itself may still fail.
    PartBytes bytes;
    if (entry.cbUncompressed > SIZE_MAX || !bytes.Allocate(static_cast<size_t>(entry.cbUncompressed)))
        return pText->Refuse(kRefusedOutOfMemory);
    if (!archive.Extract(entry, reinterpret_cast<unsigned char*>(bytes.data()), bytes.size(), Meter()))
        return pText->Refuse(ZipRefusal(archive.Error()));
    pBytes->swap(bytes);
    return true;
}

bool OfficePackage::Read(XmlSpan name, PackagePart* pPart) {
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

bool OfficePackage::ReadRelationships(XmlSpan partName, Relationships* pRelationships) {
    size_t cbFolder = FolderLength(partName);
    XmlSpan folder{partName.pData, cbFolder};
    GrowingBytes relsName(pText->Kept());
    if (!relsName.Append(partName.pData, cbFolder) || !relsName.Append("_rels/", 6) ||
        !relsName.Append(partName.pData + cbFolder, partName.cbData - cbFolder) || !relsName.Append(".rels", 5))
        return pText->RefuseGrowth();
    if (!Has(SpanOf(relsName))) return true;
    PackagePart part;
    if (!Read(SpanOf(relsName), &part)) return false;
    XmlReader reader(part.bytes.data(), part.bytes.size(), Meter());
    GrowingBytes value(pText->Kept());
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
        bool bInside = false;
        value.Clear();
        if (!AppendXmlValue(target, XmlValueKind::kAttribute, &value, pText)) return false;
        if (!ResolveTarget(folder, &value, &bInside)) return pText->RefuseGrowth();
        if (!bInside) continue;
        TextList& texts = pRelationships->texts;
        // The id, the type and the target, kept in that order.
        relsName.Clear();
        if (!AppendXmlValue(id, XmlValueKind::kAttribute, &relsName, pText)) return false;
        if (!texts.Add(SpanOf(relsName))) return pText->RefuseGrowth();
        relsName.Clear();
        if (!AppendXmlValue(type, XmlValueKind::kAttribute, &relsName, pText)) return false;
        if (!texts.Add(SpanOf(relsName)) || !texts.Add(SpanOf(value))) return pText->RefuseGrowth();
    }
    return SortIndexes(&pRelationships->byId, pRelationships->Count(), CompareIds, pRelationships) ||
           pText->RefuseGrowth();
}

bool OfficePackage::ReadContentTypes() {
    bTypesRead = true;
    PackagePart part;
    if (!Read(SpanOf("[Content_Types].xml"), &part)) return false;
    XmlReader reader(part.bytes.data(), part.bytes.size(), Meter());
    GrowingBytes key(pText->Kept()), type(pText->Kept());
    for (XmlToken token = reader.Next(); token != XmlToken::kEndDocument; token = reader.Next()) {
        if (token == XmlToken::kError) return RefuseXml(reader);
        if (token != XmlToken::kStartElement || !XmlSpanIs(reader.NamespaceUri(), kContentTypesUri)) continue;
        XmlSpan typeValue, keyValue;
        if (!reader.FindAttribute("", "ContentType", &typeValue)) continue;
        bool bOverride = XmlSpanIs(reader.LocalName(), "Override") && reader.FindAttribute("", "PartName", &keyValue);
        if (!bOverride && !(XmlSpanIs(reader.LocalName(), "Default") && reader.FindAttribute("", "Extension", &keyValue)))
            continue;
        key.Clear();
        type.Clear();
        if (!key.Push(bOverride ? 'O' : 'D')) return pText->RefuseGrowth();
        if (!AppendXmlValue(keyValue, XmlValueKind::kAttribute, &key, pText) ||
            !AppendXmlValue(typeValue, XmlValueKind::kAttribute, &type, pText))
            return false;
        // Part names and extensions are compared with ASCII case ignored.
        for (size_t i = 1; i < key.Size(); ++i) key[i] = AsciiLower(key[i]);
        if (!types.Add(SpanOf(key)) || !types.Add(SpanOf(type))) return pText->RefuseGrowth();
    }
    return SortIndexes(&typeOrder, types.Count() / 2, CompareTypeKeys, &types) || pText->RefuseGrowth();
}

bool OfficePackage::ContentType(XmlSpan partName, GrowingBytes* pType) {
    pType->Clear();
    if (!bTypesRead && !ReadContentTypes()) return false;
    if (pText->Refusal() != nullptr) return false;
    // An override of the part, the first written; else the default of its extension, the last.
    GrowingBytes key(pText->Kept());
    if (!key.Append("O/", 2) || !key.Append(partName.pData, partName.cbData)) return pText->RefuseGrowth();
    for (size_t i = 1; i < key.Size(); ++i) key[i] = AsciiLower(key[i]);
    size_t k = FindKey(types, typeOrder, SpanOf(key), false);
    if (k < typeOrder.Size() && CompareSpans(types.At(2 * typeOrder[k]), SpanOf(key)) == 0) {
        XmlSpan type = types.At(2 * typeOrder[k] + 1);
        return pType->Append(type.pData, type.cbData) || pText->RefuseGrowth();
    }
    size_t nDot = partName.cbData;
    while (nDot > 0 && partName.pData[nDot - 1] != '.' && partName.pData[nDot - 1] != '/') --nDot;
    if (nDot == 0 || partName.pData[nDot - 1] != '.' || nDot == partName.cbData) return true;
    key.Clear();
    if (!key.Push('D') || !key.Append(partName.pData + nDot, partName.cbData - nDot)) return pText->RefuseGrowth();
    for (size_t i = 1; i < key.Size(); ++i) key[i] = AsciiLower(key[i]);
    k = FindKey(types, typeOrder, SpanOf(key), true);
    if (k == 0 || CompareSpans(types.At(2 * typeOrder[k - 1]), SpanOf(key)) != 0) return true;
    XmlSpan type = types.At(2 * typeOrder[k - 1] + 1);
    return pType->Append(type.pData, type.cbData) || pText->RefuseGrowth();
}
