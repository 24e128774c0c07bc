#include "documents/code_page_converter.h"

#include "documents/code_pages.h"
#include "documents/document_text.h"
#include "measure/utf8_sequence.h"

namespace {

CodePageConverter* pSystemConverter = nullptr;

bool AppendTable(const CodePageTable& table, const unsigned char* pBytes, size_t cbBytes, GrowingArray<char>* pOut) {
    if (!pOut->Reserve(pOut->Size() + cbBytes)) return false;
    char utf8[4];
    for (size_t i = 0; i < cbBytes; ++i) {
        if (pBytes[i] < 0x80) {
            if (!pOut->Push(static_cast<char>(pBytes[i]))) return false;
            continue;
        }
        if (!pOut->Append(utf8, EncodeUtf8(CodePageCodePoint(table, pBytes[i]), utf8))) return false;
    }
    return true;
}

}  // namespace

void SetCodePageConverter(CodePageConverter* pConverter) { pSystemConverter = pConverter; }

CodePageConverter* SystemCodePageConverter() { return pSystemConverter; }

bool ConvertToUtf8(int nCodePage, const unsigned char* pBytes, size_t cbBytes, GrowingArray<char>* pOut,
                   const char** pszRefusal) {
    *pszRefusal = nullptr;
    bool bMade = true;
    if (nCodePage == kCodePageUtf8) {
        bMade = pOut->Append(reinterpret_cast<const char*>(pBytes), cbBytes);
    } else if (const CodePageTable* pTable = FindCodePage(nCodePage)) {
        bMade = AppendTable(*pTable, pBytes, cbBytes, pOut);
    } else {
        Conversion result = pSystemConverter != nullptr ? pSystemConverter->ToUtf8(nCodePage, pBytes, cbBytes, pOut)
                                                        : Conversion::kMissingCodePage;
        if (result == Conversion::kMissingCodePage) *pszRefusal = kRefusedMissingCodePage;
        bMade = result == Conversion::kConverted;
    }
    if (!bMade && *pszRefusal == nullptr) *pszRefusal = kRefusedOutOfMemory;
    return bMade;
}
