// Any title (up to kCsvTitleBytes, the longest in UTF-8), any counts and any total, in either layout:
// the record fits its buffer, ends its line, and a spreadsheet reads the title back exactly.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "app/csv_record.h"
#include "fuzz/fuzz_input.h"


extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    int nChars = Take<int>(pData, nSize);
    int nWords = Take<int>(pData, nSize);
    int nLines = Take<int>(pData, nSize);
    double dTotal = Take<double>(pData, nSize);
    CsvLayout layout = Take<uint8_t>(pData, nSize) % 2 == 0 ? CsvLayout::kRfc4180 : CsvLayout::kSpaced;
    // What ends the line, and what follows the title's closing quote.
    const char* szEnd = layout == CsvLayout::kRfc4180 ? "\r\n" : " \r\n";
    const char* szAfterTitle = layout == CsvLayout::kRfc4180 ? "," : ", ";
    // The date comes from the program's own formatting: at most eight characters.
    char szDate[9] = "12/09/26";
    std::string title(reinterpret_cast<const char*>(pData), nSize < kCsvTitleBytes ? nSize : size_t{kCsvTitleBytes});
    title = title.substr(0, title.find('\0'));

    char* szRecord = static_cast<char*>(malloc(kCsvRecordSize));
    std::string lines = std::to_string(nLines);
    size_t nLength =
        FormatCsvRecord(szRecord, layout, szDate, title.c_str(), nChars, nWords, lines.c_str(), dTotal, nullptr);
    Check(nLength < kCsvRecordSize && strlen(szRecord) == nLength);
    size_t nEnd = strlen(szEnd);
    Check(nLength >= nEnd && memcmp(szRecord + nLength - nEnd, szEnd, nEnd) == 0);

    // The title field: from the first quote, with doubled quotes read as one, to the lone quote.
    const char* pField = strchr(szRecord, '"');
    Check(pField != nullptr);
    std::string readBack;
    const char* p = pField + 1;
    for (;; ++p) {
        Check(*p != '\0');
        if (*p == '"') {
            if (p[1] != '"') break;
            ++p;
        }
        readBack += *p;
    }
    Check(readBack == title);
    Check(strncmp(p + 1, szAfterTitle, strlen(szAfterTitle)) == 0 && (layout == CsvLayout::kSpaced || p[2] != ' '));
    free(szRecord);
    return 0;
}
