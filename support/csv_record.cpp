#include "support/csv_record.h"

#include <stdio.h>
#include <string.h>

#include "measure/money.h"

size_t FormatCsvRecord(char* szRecord, const char* szDate, const char* szTitle, int nChars, int nWords,
                       int nLines, double dTotal) {
    // Titles come from a 260-byte field: doubled quotes at most double them, well inside the buffer.
    char szQuotedTitle[2 * 260];
    size_t n = 0;
    for (const char* p = szTitle; *p && n + 2 < sizeof(szQuotedTitle); ++p) {
        if (*p == '"') szQuotedTitle[n++] = '"';
        szQuotedTitle[n++] = *p;
    }
    szQuotedTitle[n] = '\0';
    char szTotal[kMoneyTextSize];
    FormatMoney(dTotal, "", szTotal, sizeof(szTotal));
    int nLength = snprintf(szRecord, kCsvRecordSize, "%s, \"%s\", %i, %i, %i, %s \r\n", szDate, szQuotedTitle, nChars,
                           nWords, nLines, szTotal);
    if (nLength < 0) {
        szRecord[0] = '\0';
        return 0;
    }
    return static_cast<size_t>(nLength) < kCsvRecordSize ? static_cast<size_t>(nLength) : kCsvRecordSize - 1;
}
