#include "app/csv_record.h"

#include <stdio.h>
#include <string.h>

#include "pricing/money.h"

size_t FormatCsvRecord(char* szRecord, CsvLayout layout, const char* szDate, const char* szTitle, int nChars,
                       int nWords, int nLines, double dTotal) {
    // Doubled quotes at most double the title.
    char szQuotedTitle[2 * kCsvTitleBytes + 1];
    size_t n = 0;
    for (const char* p = szTitle; *p; ++p) {
        size_t nNeeded = *p == '"' ? 2 : 1;
        if (n + nNeeded >= sizeof(szQuotedTitle)) {
            // Too long: drop the start of the character that does not fit, so no half of one is kept.
            while (n > 0 && (static_cast<unsigned char>(*p) & 0xC0) == 0x80) {
                --p;
                --n;
            }
            break;
        }
        if (*p == '"') szQuotedTitle[n++] = '"';
        szQuotedTitle[n++] = *p;
    }
    szQuotedTitle[n] = '\0';
    char szTotal[kMoneyTextSize];
    FormatMoney(dTotal, "", szTotal, sizeof(szTotal));
    const char* szFormat = layout == CsvLayout::kRfc4180 ? "%s,\"%s\",%i,%i,%i,%s\r\n"
                                                         : "%s, \"%s\", %i, %i, %i, %s \r\n";
    int nLength = snprintf(szRecord, kCsvRecordSize, szFormat, szDate, szQuotedTitle, nChars, nWords, nLines, szTotal);
    if (nLength < 0) {
        szRecord[0] = '\0';
        return 0;
    }
    return static_cast<size_t>(nLength) < kCsvRecordSize ? static_cast<size_t>(nLength) : kCsvRecordSize - 1;
}
