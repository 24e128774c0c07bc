#include "app/csv_record.h"

#include <stdio.h>
#include <string.h>

#include "pricing/money.h"

namespace {

// The rates' fields: the name's 40 units take at most 120 bytes, the currency's 16 at most 48.
enum { kRatesNameBytes = 120, kCurrencyBytes = 48 };

// Writes szText between double quotes into szQuoted (nSize bytes), each quote doubled, taking at
// most nMaxBytes of it: a longer text is cut before the UTF-8 character that does not fit.
void Quote(const char* szText, size_t nMaxBytes, char* szQuoted, size_t nSize) {
    size_t n = 0;
    szQuoted[n++] = '"';
    size_t nTaken = 0;
    for (const char* p = szText; *p; ++p, ++nTaken) {
        size_t nNeeded = *p == '"' ? 2 : 1;
        if (nTaken >= nMaxBytes || n + nNeeded + 2 > nSize) {
            // Too long: drop the start of the character that does not fit, so no half of one is kept.
            while (n > 1 && (static_cast<unsigned char>(*p) & 0xC0) == 0x80) {
                --p;
                --n;
            }
            break;
        }
        if (*p == '"') szQuoted[n++] = '"';
        szQuoted[n++] = *p;
    }
    szQuoted[n++] = '"';
    szQuoted[n] = '\0';
}

bool NeedsQuotes(const char* szText) { return strpbrk(szText, ",\"\r\n") != nullptr; }

}  // namespace

size_t FormatCsvRecord(char* szRecord, CsvLayout layout, const char* szDate, const char* szTitle, int nChars,
                       int nWords, const char* szLines, double dTotal, const CsvRates* pRates) {
    // Doubled quotes at most double the title, and the quotes around it.
    char szQuotedTitle[2 * kCsvTitleBytes + 3];
    Quote(szTitle, sizeof(szQuotedTitle), szQuotedTitle, sizeof(szQuotedTitle));
    char szTotal[kMoneyTextSize];
    FormatMoney(dTotal, "", szTotal, sizeof(szTotal));
    bool bSpaced = layout == CsvLayout::kSpaced;
    const char* szComma = bSpaced ? ", " : ",";
    char szRates[2 * kRatesNameBytes + 2 * kCurrencyBytes + 16] = "";
    if (pRates != nullptr) {
        char szName[2 * kRatesNameBytes + 3];
        Quote(pRates->szName, kRatesNameBytes, szName, sizeof(szName));
        char szCurrency[2 * kCurrencyBytes + 3];
        if (NeedsQuotes(pRates->szCurrency)) {
            Quote(pRates->szCurrency, kCurrencyBytes, szCurrency, sizeof(szCurrency));
        } else {
            CopyBounded(szCurrency, kCurrencyBytes + 1, pRates->szCurrency);
        }
        snprintf(szRates, sizeof(szRates), "%s%s%s%s", szComma, szName, szComma, szCurrency);
    }
    int nLength = snprintf(szRecord, kCsvRecordSize, "%s%s%s%s%i%s%i%s%s%s%s%s%s\r\n", szDate, szComma, szQuotedTitle,
                           szComma, nChars, szComma, nWords, szComma, szLines, szComma, szTotal, szRates,
                           bSpaced ? " " : "");
    if (nLength < 0) {
        szRecord[0] = '\0';
        return 0;
    }
    return static_cast<size_t>(nLength) < kCsvRecordSize ? static_cast<size_t>(nLength) : kCsvRecordSize - 1;
}

int CsvFirstRecordFields(const char* pBytes, size_t nBytes) {
    if (nBytes == 0) return 0;
    int nFields = 1;
    bool bQuoted = false;
    for (size_t i = 0; i < nBytes; ++i) {
        char c = pBytes[i];
        if (c == '"') {
            bQuoted = !bQuoted;  // a doubled quote goes out and back in
        } else if (!bQuoted && c == ',') {
            ++nFields;
        } else if (!bQuoted && (c == '\r' || c == '\n')) {
            break;
        }
    }
    return nFields;
}
