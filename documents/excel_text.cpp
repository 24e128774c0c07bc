#include "documents/excel_text.h"

#include <string.h>

#include "documents/ascii_classes.h"
#include "documents/office_walk.h"
#include "measure/surrogates.h"
#include "measure/utf8_sequence.h"

namespace {

enum SheetElement { kOtherElement, kCell, kValue, kInlineString };
const ElementName kSheetElements[] = {{"c", kCell}, {"v", kValue}, {"is", kInlineString}};

// The UTF-16 unit of an escape "_xHHHH_" at p[i], or -1.
long EscapeAt(const char* p, size_t cb, size_t i) {
    if (i + 7 > cb || p[i] != '_' || p[i + 1] != 'x' || p[i + 6] != '_') return -1;
    long nUnit = 0;
    for (size_t k = 2; k < 6; ++k) {
        int nDigit = HexValue(p[i + k]);
        if (nDigit < 0) return -1;
        nUnit = nUnit * 16 + nDigit;
    }
    return nUnit;
}

// The text of a string item (si, is): its t, and the t of its runs; phonetic runs (rPh) left out,
// added to pText8 decoded. The reader stands on the item's start; returns at its end. The part's
// match of the namespace is its reader's, so that it is compared once a part, not once an item.
bool ReadStringItem(XmlReader* pReader, OfficePackage* pPackage, NamespaceMatch* pIsSpreadsheet, GrowingBytes* pText8) {
    unsigned nItemDepth = pReader->Depth();
    unsigned nSkipDepth = 0;
    size_t cbBefore = pText8->Size();
    bool bInT = false;
    NamespaceMatch& isSpreadsheet = *pIsSpreadsheet;
    for (;;) {
        XmlToken token = pReader->Next();
        if (token == XmlToken::kError) return pPackage->RefuseXml(*pReader);
        if (token == XmlToken::kEndDocument || (token == XmlToken::kEndElement && pReader->Depth() == nItemDepth)) {
            size_t cbItem = pText8->Size() - cbBefore;
            pText8->Shorten(cbBefore + DecodeExcelEscapes(pText8->Data() + cbBefore, cbItem));
            return true;
        }
        if (nSkipDepth != 0) {
            if (token == XmlToken::kEndElement && pReader->Depth() == nSkipDepth) nSkipDepth = 0;
            continue;
        }
        if (token == XmlToken::kStartElement) {
            bool bOurs = isSpreadsheet(pReader->NamespaceUri());
            XmlSpan local = pReader->LocalName();
            if (bOurs && (XmlSpanIs(local, "rPh") || XmlSpanIs(local, "phoneticPr"))) nSkipDepth = pReader->Depth();
            else bInT = bOurs && XmlSpanIs(local, "t");
        } else if (token == XmlToken::kEndElement) {
            bInT = false;
        } else if (bInT && !AppendXmlValue(pReader->Text(), pReader->TextIsRaw() ? XmlValueKind::kRawText : XmlValueKind::kText,
                                           pText8, pPackage->Text())) {
            return false;
        }
    }
}

// Every string, decoded, one after another, and where each ends: a string by its index at once.
struct SharedStrings {
    explicit SharedStrings(MemoryBound* pBound) : text(pBound), ends(pBound) {}
    GrowingBytes text;
    GrowingArray<size_t> ends;
};

bool ReadSharedStrings(OfficePackage* pPackage, XmlSpan partName, SharedStrings* pStrings) {
    PackagePart part;
    if (!pPackage->Read(partName, &part)) return false;
    XmlReader reader(part.bytes.data(), part.bytes.size(), pPackage->Meter());
    NamespaceMatch isSpreadsheet(IsSpreadsheetNamespace);
    for (XmlToken token = reader.Next(); token != XmlToken::kEndDocument; token = reader.Next()) {
        if (token == XmlToken::kError) return pPackage->RefuseXml(reader);
        if (token != XmlToken::kStartElement || !XmlSpanIs(reader.LocalName(), "si") ||
            !isSpreadsheet(reader.NamespaceUri()))
            continue;
        if (!ReadStringItem(&reader, pPackage, &isSpreadsheet, &pStrings->text)) return false;
        if (!pStrings->ends.Push(pStrings->text.Size())) return pPackage->Text()->RefuseGrowth();
        if (reader.Token() == XmlToken::kError) return pPackage->RefuseXml(reader);
    }
    return true;
}

void PutCell(const char* pText8, size_t cbText, DocumentText* pText) {
    if (cbText == 0) return;
    pText->Put(pText8, cbText);
    pText->EndParagraph();
}

// A cell's index into the shared strings, read as strtoul reads it; false when it is none.
bool StringIndex(const char* value, size_t n, size_t* pnIndex) {
    auto IsDigit = [](char c) { return static_cast<unsigned>(static_cast<unsigned char>(c) - '0') < 10u; };
    size_t i = 0;
    while (i < n && (value[i] == ' ' || (value[i] >= '\t' && value[i] <= '\r'))) ++i;
    bool bNegative = i < n && value[i] == '-';
    if (i < n && (value[i] == '+' || value[i] == '-')) ++i;
    if (i == n || !IsDigit(value[i])) return false;
    size_t nIndex = 0;
    // Below kSafe another digit cannot overflow: only past it the exact bound is worked out.
    const size_t kSafe = (SIZE_MAX - 9) / 10;
    for (; i < n && IsDigit(value[i]); ++i) {
        size_t nDigit = static_cast<size_t>(value[i] - '0');
        nIndex = nIndex <= kSafe || nIndex <= (SIZE_MAX - nDigit) / 10 ? nIndex * 10 + nDigit : SIZE_MAX;
    }
    *pnIndex = bNegative && nIndex != 0 ? SIZE_MAX : nIndex;  // a negative index names no string
    return true;
}

// Whether a raw value decodes to itself as text (kPlainText) or as an attribute: printable ASCII
// without a reference, and in text tab and line feed. Most cells' t and v are written so, and are
// read as they stand.
enum PlainKind { kPlainAttribute, kPlainText };
bool IsPlain(XmlSpan raw, PlainKind kind) {
    for (size_t i = 0; i < raw.cbData; ++i) {
        unsigned char c = static_cast<unsigned char>(raw.pData[i]);
        bool bControl = c < 0x20 && (kind == kPlainAttribute || (c != '\t' && c != '\n'));
        if (bControl || c >= 0x80 || c == '&') return false;
    }
    return true;
}

enum CellText { kNoCellText, kSharedStringCell, kInlineStringCell };

// What a cell's type (its t, raw) says of its text; false when memory fails decoding it.
bool CellTextOf(XmlSpan type, GrowingBytes* pDecoded, DocumentText* pText, CellText* pCellText) {
    if (IsPlain(type, kPlainAttribute)) {
        *pCellText = XmlSpanIs(type, "s")           ? kSharedStringCell
                     : XmlSpanIs(type, "inlineStr") ? kInlineStringCell
                                                    : kNoCellText;
        return true;
    }
    pDecoded->Clear();
    if (!AppendXmlValue(type, XmlValueKind::kAttribute, pDecoded, pText)) return false;
    *pCellText = BytesAre(*pDecoded, "s")           ? kSharedStringCell
                 : BytesAre(*pDecoded, "inlineStr") ? kInlineStringCell
                                                    : kNoCellText;
    return true;
}

bool ReadSheet(OfficePackage* pPackage, XmlSpan partName, const SharedStrings& strings, DocumentText* pText) {
    PackagePart part;
    if (!pPackage->Read(partName, &part)) return false;
    XmlReader reader(part.bytes.data(), part.bytes.size(), pPackage->Meter());
    GrowingBytes cellType(pText->Kept()), value(pText->Kept()), item(pText->Kept());
    CellText cellText = kNoCellText;
    NamespaceMatch isSpreadsheet(IsSpreadsheetNamespace);
    for (XmlToken token = reader.Next(); token != XmlToken::kEndDocument; token = reader.Next()) {
        if (token == XmlToken::kError) return pPackage->RefuseXml(reader);
        if (pText->Refusal() != nullptr) return false;
        if (token != XmlToken::kStartElement || !isSpreadsheet(reader.NamespaceUri())) continue;
        int nElement = ElementCode(reader.LocalName(), kSheetElements, kOtherElement);
        if (nElement == kCell) {
            XmlSpan type;
            cellText = kNoCellText;
            if (reader.FindAttribute("", "t", &type) && !CellTextOf(type, &cellType, pText, &cellText)) return false;
        } else if (nElement == kValue && cellText == kSharedStringCell) {
            // The index is read as it stands when it is one plain text, as most are.
            XmlSpan plain = {nullptr, 0};
            bool bDecoded = false;
            value.Clear();
            for (token = reader.Next(); token == XmlToken::kText; token = reader.Next()) {
                if (!bDecoded && plain.pData == nullptr && IsPlain(reader.Text(), kPlainText)) {
                    plain = reader.Text();
                    continue;
                }
                if (!bDecoded && plain.pData != nullptr && !value.Append(plain.pData, plain.cbData))
                    return pText->RefuseGrowth();
                bDecoded = true;
                if (!AppendXmlValue(reader.Text(), XmlValueKind::kText, &value, pText)) return false;
            }
            if (token == XmlToken::kError) return pPackage->RefuseXml(reader);
            size_t nIndex = 0;
            bool bIndex = bDecoded ? StringIndex(value.Data(), value.Size(), &nIndex)
                                   : StringIndex(plain.pData, plain.cbData, &nIndex);
            if (!bIndex || nIndex >= strings.ends.Size()) continue;  // no such string: no text
            size_t nStart = nIndex == 0 ? 0 : strings.ends[nIndex - 1];
            PutCell(strings.text.Data() + nStart, strings.ends[nIndex] - nStart, pText);
        } else if (nElement == kInlineString && cellText == kInlineStringCell) {
            item.Clear();
            if (!ReadStringItem(&reader, pPackage, &isSpreadsheet, &item)) return false;
            PutCell(item.Data(), item.Size(), pText);
        }
    }
    return true;
}

}  // namespace

size_t DecodeExcelEscapes(char* p, size_t cb) {
    // Up to the first '_' the text stays as it is: most strings have none.
    const char* pFirst = cb > 0 ? static_cast<const char*>(memchr(p, '_', cb)) : nullptr;
    if (pFirst == nullptr) return cb;
    size_t cbOut = static_cast<size_t>(pFirst - p);
    for (size_t i = cbOut; i < cb;) {
        long nUnit = EscapeAt(p, cb, i);
        if (nUnit < 0) {
            p[cbOut++] = p[i++];
            continue;
        }
        i += 7;
        uint32_t nCodePoint = static_cast<uint32_t>(nUnit);
        long nLow = IsHighSurrogate(nCodePoint) ? EscapeAt(p, cb, i) : -1;
        if (nLow >= 0 && IsLowSurrogate(static_cast<uint32_t>(nLow))) {
            nCodePoint = CombineSurrogates(nCodePoint, static_cast<uint32_t>(nLow));
            i += 7;
        }
        // At most 4 bytes for the 7 read: the decoded text never overtakes what is still to read.
        cbOut += EncodeUtf8(nCodePoint, p + cbOut);
    }
    return cbOut;
}

bool ReadExcelText(OfficePackage* pPackage, XmlSpan mainPart, DocumentText* pText) {
    Relationships relationships(pText->Kept());
    if (!pPackage->ReadRelationships(mainPart, &relationships)) return false;
    SharedStrings strings(pText->Kept());
    for (size_t i = 0; i < relationships.Count(); ++i) {
        if (relationships.Is(i, "sharedStrings") && pPackage->Has(relationships.Target(i))) {
            if (!ReadSharedStrings(pPackage, relationships.Target(i), &strings)) return false;
            break;
        }
    }
    TextList sheets(pText->Kept());
    if (!ListedParts(pPackage, mainPart, relationships, IsSpreadsheetNamespace, "sheet", "worksheet", &sheets)) return false;
    for (size_t i = 0; i < sheets.Count(); ++i) {
        if (!ReadSheet(pPackage, sheets.At(i), strings, pText)) return false;
    }
    return pText->Refusal() == nullptr;
}
