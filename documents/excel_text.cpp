#include "documents/excel_text.h"

#include <stdlib.h>

#include <vector>

#include "documents/office_walk.h"

namespace {

enum SheetElement { kOtherElement, kCell, kValue, kInlineString };
const ElementName kSheetElements[] = {{"c", kCell}, {"v", kValue}, {"is", kInlineString}};

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The UTF-16 unit of an escape "_xHHHH_" at text[i], or -1.
long EscapeAt(const std::string& text, size_t i) {
    if (i + 7 > text.size() || text[i] != '_' || text[i + 1] != 'x' || text[i + 6] != '_') return -1;
    long nUnit = 0;
    for (size_t k = 2; k < 6; ++k) {
        int nDigit = HexValue(text[i + k]);
        if (nDigit < 0) return -1;
        nUnit = nUnit * 16 + nDigit;
    }
    return nUnit;
}

// The text of a string item (si, is): its t, and the t of its runs; phonetic runs (rPh) left out.
// The reader stands on the item's start; returns at its end.
bool ReadStringItem(XmlReader* pReader, OfficePackage* pPackage, std::string* pText) {
    unsigned nItemDepth = pReader->Depth();
    unsigned nSkipDepth = 0;
    bool bInT = false;
    NamespaceMatch isSpreadsheet(IsSpreadsheetNamespace);
    for (;;) {
        XmlToken token = pReader->Next();
        if (token == XmlToken::kError) return pPackage->RefuseXml(*pReader);
        if (token == XmlToken::kEndDocument) return true;
        if (token == XmlToken::kEndElement && pReader->Depth() == nItemDepth) return true;
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
        } else if (bInT) {
            AppendXmlValue(pReader->Text(), pReader->TextIsRaw() ? XmlValueKind::kRawText : XmlValueKind::kText, pText);
        }
    }
}

struct SharedStrings {
    std::string text;               // every string, decoded, one after another
    std::vector<size_t> ends;       // where each ends in text
};

bool ReadSharedStrings(OfficePackage* pPackage, const std::string& partName, SharedStrings* pStrings) {
    PackagePart part;
    if (!pPackage->Read(partName, &part)) return false;
    XmlReader reader(part.bytes.data(), part.bytes.size(), pPackage->Meter());
    NamespaceMatch isSpreadsheet(IsSpreadsheetNamespace);
    std::string item;
    for (XmlToken token = reader.Next(); token != XmlToken::kEndDocument; token = reader.Next()) {
        if (token == XmlToken::kError) return pPackage->RefuseXml(reader);
        if (token != XmlToken::kStartElement || !XmlSpanIs(reader.LocalName(), "si") ||
            !isSpreadsheet(reader.NamespaceUri()))
            continue;
        item.clear();
        if (!ReadStringItem(&reader, pPackage, &item)) return false;
        AppendExcelDecoded(item, &pStrings->text);
        pStrings->ends.push_back(pStrings->text.size());
        if (reader.Token() == XmlToken::kError) return pPackage->RefuseXml(reader);
    }
    return true;
}

void PutCell(const char* pText8, size_t cbText, DocumentText* pText) {
    if (cbText == 0) return;
    pText->Put(pText8, cbText);
    pText->EndParagraph();
}

bool ReadSheet(OfficePackage* pPackage, const std::string& partName, const SharedStrings& strings, DocumentText* pText) {
    PackagePart part;
    if (!pPackage->Read(partName, &part)) return false;
    XmlReader reader(part.bytes.data(), part.bytes.size(), pPackage->Meter());
    std::string cellType, value, item, decoded;
    NamespaceMatch isSpreadsheet(IsSpreadsheetNamespace);
    for (XmlToken token = reader.Next(); token != XmlToken::kEndDocument; token = reader.Next()) {
        if (token == XmlToken::kError) return pPackage->RefuseXml(reader);
        if (pText->Refusal() != nullptr) return false;
        if (token != XmlToken::kStartElement || !isSpreadsheet(reader.NamespaceUri())) continue;
        int nElement = ElementCode(reader.LocalName(), kSheetElements, kOtherElement);
        if (nElement == kCell) {
            XmlSpan type;
            cellType.clear();
            if (reader.FindAttribute("", "t", &type)) AppendXmlValue(type, XmlValueKind::kAttribute, &cellType);
        } else if (nElement == kValue && cellType == "s") {
            value.clear();
            for (token = reader.Next(); token == XmlToken::kText; token = reader.Next())
                AppendXmlValue(reader.Text(), XmlValueKind::kText, &value);
            if (token == XmlToken::kError) return pPackage->RefuseXml(reader);
            char* pEnd = nullptr;
            unsigned long nIndex = strtoul(value.c_str(), &pEnd, 10);
            if (pEnd == value.c_str() || nIndex >= strings.ends.size()) continue;  // no such string: no text
            size_t nStart = nIndex == 0 ? 0 : strings.ends[nIndex - 1];
            PutCell(strings.text.data() + nStart, strings.ends[nIndex] - nStart, pText);
        } else if (nElement == kInlineString && cellType == "inlineStr") {
            item.clear();
            decoded.clear();
            if (!ReadStringItem(&reader, pPackage, &item)) return false;
            AppendExcelDecoded(item, &decoded);
            PutCell(decoded.data(), decoded.size(), pText);
        }
    }
    return true;
}

}  // namespace

void AppendExcelDecoded(const std::string& text, std::string* pOut) {
    if (text.find("_x") == std::string::npos) {
        *pOut += text;
        return;
    }
    char buffer[4];
    for (size_t i = 0; i < text.size();) {
        long nUnit = EscapeAt(text, i);
        if (nUnit < 0) {
            *pOut += text[i++];
            continue;
        }
        i += 7;
        uint32_t nCodePoint = static_cast<uint32_t>(nUnit);
        long nLow = nUnit >= 0xD800 && nUnit <= 0xDBFF ? EscapeAt(text, i) : -1;
        if (nLow >= 0xDC00 && nLow <= 0xDFFF) {
            nCodePoint = 0x10000 + ((static_cast<uint32_t>(nUnit) - 0xD800) << 10) + (static_cast<uint32_t>(nLow) - 0xDC00);
            i += 7;
        }
        pOut->append(buffer, EncodeUtf8(nCodePoint, buffer));
    }
}

bool ReadExcelText(OfficePackage* pPackage, const std::string& mainPart, DocumentText* pText) {
    std::vector<Relationship> relationships;
    if (!pPackage->Relationships(mainPart, &relationships)) return false;
    SharedStrings strings;
    for (const Relationship& relationship : relationships) {
        if (RelationshipIs(relationship, "sharedStrings") && pPackage->Has(relationship.target)) {
            if (!ReadSharedStrings(pPackage, relationship.target, &strings)) return false;
            break;
        }
    }
    std::vector<std::string> sheets;
    if (!ListedParts(pPackage, mainPart, relationships, IsSpreadsheetNamespace, "sheet", "worksheet", &sheets)) return false;
    for (const std::string& sheet : sheets) {
        if (!ReadSheet(pPackage, sheet, strings, pText)) return false;
    }
    return pText->Refusal() == nullptr;
}
