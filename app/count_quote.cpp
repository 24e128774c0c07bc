#include "app/count_quote.h"

#include <stdio.h>
#include <string.h>
#include <time.h>

#include "app/count_input.h"
#include "measure/utf8_sequence.h"
#include "pricing/money.h"
#include "support/date_text.h"
#ifdef _WIN32
#include "support/date_time.h"
#endif

namespace {

class FileSink : public QuoteSink {
public:
    explicit FileSink(FILE* pFile) : pFile(pFile) {}
    bool Write(const char* pBytes, size_t nBytes) override { return fwrite(pBytes, 1, nBytes, pFile) == nBytes; }

private:
    FILE* pFile;
};

// The name after its last folder separator; standard input has a name of its own.
const char* ShownName(const char* szInput) {
    if (strcmp(szInput, "-") == 0) return "Standard input";
    const char* szName = szInput;
    for (const char* p = szInput; *p; ++p) {
#ifdef _WIN32
        if (*p == '\\' || *p == ':') szName = p + 1;
#endif
        if (*p == '/') szName = p + 1;
    }
    return szName;
}

}  // namespace

bool CountQuote::Add(const char* szInput, const char* szKind, const RateCounts& counts) {
    const char* szName = ShownName(szInput);
    Entry entry = {names.Size(), szKind, counts};
    return names.Append(szName, strlen(szName) + 1) && entries.Push(entry);
}

void CountQuote::Get(size_t nIndex, QuoteFile* pFile) const {
    const Entry& entry = entries.Data()[nIndex];
    const char* szName = names.Data() + entry.nName;
    // Cut to the quote's room, before a UTF-8 character that does not fit.
    size_t nName = strlen(szName);
    if (nName >= kQuoteNameBytes) {
        nName = kQuoteNameBytes - 1;
        while (nName > 0 && (static_cast<unsigned char>(szName[nName]) & 0xC0) == 0x80) --nName;
    }
    memcpy(pFile->szName, szName, nName);
    pFile->szName[nName] = '\0';
    pFile->szKind = entry.szKind;
    pFile->counts = entry.counts;
}

bool CountQuote::Write(const char* szPath, const char* szTitle, const Rates& rates, char* szReason,
                       size_t cbReason) const {
    FILE* pFile = CreateCountOutput(szPath, szReason, cbReason);
    if (pFile == nullptr) return false;
    char szDate[32];
    CountDateText(szDate, sizeof(szDate));
    QuoteJob job = {szTitle, szDate, &rates, this};
    FileSink sink(pFile);
    QuoteResult result = WriteQuote(QuoteFormOfName(szPath), job, &sink);
    bool bClosed = fclose(pFile) == 0;
    if (result == QuoteResult::kWritten && bClosed) return true;
    snprintf(szReason, cbReason, "%s", QuoteResultText(result != QuoteResult::kWritten ? result : QuoteResult::kNotWritten));
    RemoveCountOutput(szPath);
    return false;
}

void CountDateText(char* szDate, size_t cbDate) {
    char szText[32] = "";
#ifdef _WIN32
    // In the user's date order, as the program's log writes it.
    LDateTime(static_cast<int64_t>(_time64(nullptr)))._GetTextDate(szText);
#else
    time_t now = time(nullptr);
    struct tm* pLocal = localtime(&now);
    if (pLocal != nullptr) FormatDateText(*pLocal, kDateMonthFirst, szText);
#endif
    CopyBounded(szDate, cbDate, szText);
}

void SetQuoteCurrency(Rates* pRates, const char* szCurrency) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(szCurrency);
    size_t nLeft = strlen(szCurrency);
    size_t n = 0;
    while (nLeft > 0 && n + 2 < kCurrencyUnits) {
        uint32_t c = 0;
        size_t nBytes = DecodeUtf8Sequence(p, nLeft, &c);
        p += nBytes;
        nLeft -= nBytes;
        if (c >= 0x10000) {
            pRates->szCurrency[n++] = static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            pRates->szCurrency[n++] = static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            pRates->szCurrency[n++] = static_cast<char16_t>(c);
        }
    }
    pRates->szCurrency[n] = 0;
}
