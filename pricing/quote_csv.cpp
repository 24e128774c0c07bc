// The quote as a sheet: UTF-8 with its mark, RFC 4180 records (a comma alone between fields, CR LF
// at each end, texts in double quotes with a quote doubled), one header row, a row per file, the
// fixed cost and the minimum, and the total last. Amounts and counts are bare numbers with a full
// stop as the decimal point and no grouping, so a spreadsheet reads them as numbers in any locale
// whose list separator is the comma; the currency is named in the price's heading.
#include "pricing/money.h"
#include "pricing/quote_rows.h"
#include "pricing/rate_captions.h"

namespace {

class SheetLayout : public QuoteLayout {
public:
    SheetLayout(const Rates& rates, QuoteText* pText) : rates(rates), pText(pText) {}
    void FileRow(const QuoteFile& file, const RatedRow& row, int64_t nCents) override {
        pText->CsvField(file.szName).Raw(",").CsvField(file.szKind);
        CountFields(row);
        pText->Cents(nCents, "").Raw("\r\n");
    }
    void ChargeRow(const char* szLabel, int64_t nCents) override {
        pText->CsvField(szLabel).Raw(",,,,,").Cents(nCents, "").Raw("\r\n");
    }
    void TotalRow(const RatedRow& sums, int64_t nCents) override {
        pText->CsvField("Total").Raw(",");
        CountFields(sums);
        pText->Cents(nCents, "").Raw("\r\n");
    }

private:
    void CountFields(const RatedRow& row) {
        pText->Raw(",").Int(row.nChars).Raw(",").Int(row.nWords).Raw(",").Lines(rates, row.nLineHundredths).Raw(",");
    }
    const Rates& rates;
    QuoteText* pText;
};

}  // namespace

bool WriteQuoteCsv(const QuoteJob& job, const QuoteAmounts& amounts, QuoteText* pText) {
    const Rates& rates = *job.pRates;
    char szChars[64];
    QuoteCharsHeading(rates, szChars, sizeof(szChars));
    char szCurrency[kQuoteSuffixBytes];
    QuoteUtf8(rates.szCurrency, szCurrency, sizeof(szCurrency));
    char szPrice[16 + kQuoteSuffixBytes];
    size_t n = CopyBounded(szPrice, sizeof(szPrice), "Price");
    if (szCurrency[0] != '\0') {
        n += CopyBounded(szPrice + n, sizeof(szPrice) - n, " (");
        n += CopyBounded(szPrice + n, sizeof(szPrice) - n, szCurrency);
        CopyBounded(szPrice + n, sizeof(szPrice) - n, ")");
    }
    pText->Raw("\xEF\xBB\xBF").CsvField("File").Raw(",").CsvField("Kind").Raw(",").CsvField(szChars).Raw(",");
    pText->CsvField("Words").Raw(",").CsvField(RateLinesName(rates)).Raw(",").CsvField(szPrice).Raw("\r\n");

    SheetLayout layout(rates, pText);
    return WriteQuoteTable(job, amounts, &layout);
}
