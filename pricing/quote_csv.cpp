// The quote as a sheet: UTF-8 with its mark, RFC 4180 records (a comma alone between fields, CR LF
// at each end, texts in double quotes with a quote doubled), one header row, a row per file, the
// fixed cost and the minimum, and the total last. Amounts and counts are bare numbers with a full
// stop as the decimal point and no grouping, so a spreadsheet reads them as numbers in any locale
// whose list separator is the comma; the currency is named in the price's heading.
#include "pricing/money.h"
#include "pricing/quote_rows.h"
#include "pricing/rate_captions.h"

namespace {

void CountFields(const Rates& rates, const RatedRow& row, QuoteText* pText) {
    pText->Raw(",").Int(row.nChars).Raw(",").Int(row.nWords).Raw(",").Lines(rates, row.nLineHundredths).Raw(",");
}

void ChargeRow(const char* szLabel, int64_t nCents, QuoteText* pText) {
    pText->CsvField(szLabel).Raw(",,,,,").Cents(nCents, "").Raw("\r\n");
}

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

    size_t nFiles = job.pFiles->Count();
    QuoteRowCents rowCents(amounts, nFiles);
    QuoteFile file;
    for (size_t i = 0; i < nFiles; ++i) {
        job.pFiles->Get(i, &file);
        RatedRow row = PriceFileRow(rates, file.counts);
        int64_t nCents = 0;
        if (!rowCents.Next(row.dSum, &nCents)) return false;
        pText->CsvField(file.szName).Raw(",").CsvField(file.szKind);
        CountFields(rates, row, pText);
        pText->Cents(nCents, "").Raw("\r\n");
    }
    if (amounts.bFixedRow) ChargeRow("Fixed cost per job", amounts.nFixedCents, pText);
    if (amounts.job.bMinimumApplied) ChargeRow("Up to the minimum charge", amounts.nMinimumCents, pText);
    pText->CsvField("Total").Raw(",");
    CountFields(rates, amounts.job.sums, pText);
    pText->Cents(amounts.nTotalCents, "").Raw("\r\n");
    return true;
}
