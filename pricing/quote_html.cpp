// The quote as one self-contained page: its style inside, no script and nothing fetched, UTF-8. It
// prints on A4 and on Letter alike: the table's head repeats on every page and no row is split.
#include <string.h>

#include "pricing/money.h"
#include "pricing/quote_rows.h"
#include "pricing/rate_captions.h"

namespace {

const char kPageHead[] =
    "<!DOCTYPE html>\n"
    "<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
    "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
    "<style>\n"
    "@page { margin: 16mm 14mm; }\n"
    "html { font: 10.5pt/1.35 \"Segoe UI\", \"Noto Sans\", \"DejaVu Sans\", Arial, \"Noto Sans CJK JP\", "
    "\"Yu Gothic\", \"MS UI Gothic\", sans-serif; color: #111; background: #fff; }\n"
    "body { margin: 2.5em auto; max-width: 56em; padding: 0 1.5em; }\n"
    "h1 { font-size: 1.6em; font-weight: 600; margin: 0 0 .2em; }\n"
    "p.title { font-size: 1.2em; margin: 0 0 1em; overflow-wrap: anywhere; }\n"
    "table { border-collapse: collapse; }\n"
    "table.terms { margin-bottom: 1.5em; }\n"
    "table.terms th { text-align: left; font-weight: normal; color: #555; padding: .1em 2em .1em 0; }\n"
    "table.terms td { padding: .1em 0; }\n"
    "table.files { width: 100%; }\n"
    "table.files thead { display: table-header-group; }\n"
    "table.files tr { break-inside: avoid; page-break-inside: avoid; }\n"
    "table.files th { text-align: left; font-weight: 600; border-bottom: 1.5pt solid #111; padding: .35em .5em; "
    "vertical-align: bottom; }\n"
    "table.files td { border-bottom: .5pt solid #bbb; padding: .3em .5em; vertical-align: top; }\n"
    "table.files td.name { overflow-wrap: anywhere; }\n"
    "table.files .n { text-align: right; font-variant-numeric: tabular-nums; }\n"
    "table.files td.n { white-space: nowrap; }\n"
    "table.files th.n { width: 1%; }\n"
    "table.files tr.charge td { color: #333; }\n"
    "table.files tr.total td { font-weight: 600; border-top: 1.5pt solid #111; border-bottom: none; }\n"
    "@media print { body { margin: 0; max-width: none; padding: 0; } }\n"
    "</style>\n";

// A row of the terms: a heading and its value, both shown as written.
void TermRow(QuoteText* pText, const char* szHeading, const char* szValue) {
    pText->Raw("<tr><th>").Html(szHeading).Raw("</th><td>").Html(szValue).Raw("</td></tr>\n");
}

void PriceTermRow(QuoteText* pText, const char* szHeading, const char* szPriceText, const char* szSuffix) {
    char szMoney[kMoneyTextSize + kQuoteSuffixBytes];
    FormatUnitPrice(QuotePrice(szPriceText), szSuffix, szMoney, sizeof(szMoney));
    TermRow(pText, szHeading, szMoney);
}

void WriteTerms(const QuoteJob& job, const char* szSuffix, QuoteText* pText) {
    const Rates& rates = *job.pRates;
    char szName[kQuoteRatesNameBytes];
    QuoteUtf8(rates.szName, szName, sizeof(szName));
    pText->Raw("<table class=\"terms\">\n");
    TermRow(pText, "Date", job.szDate);
    TermRow(pText, "Rates", szName);
    char szHeading[96];
    size_t n = CopyBounded(szHeading, sizeof(szHeading), "Per character");
    CopyBounded(szHeading + n, sizeof(szHeading) - n, RateCharsKind(rates));
    PriceTermRow(pText, szHeading, rates.szPerChar, szSuffix);
    PriceTermRow(pText, "Per word", rates.szPerWord, szSuffix);
    const char* szLine = rates.eLines == kLinesLaidOut          ? "Per line of "
                         : rates.eLineName == kLineNamePages ? "Per page of "
                                                             : "Per standard line of ";
    n = CopyBounded(szHeading, sizeof(szHeading), szLine);
    n += FormatInt64(RateCharsPerLine(rates), szHeading + n, sizeof(szHeading) - n);
    CopyBounded(szHeading + n, sizeof(szHeading) - n, " characters");
    PriceTermRow(pText, szHeading, rates.szPerLine, szSuffix);
    if (QuotePrice(rates.szFixed) != 0.0) PriceTermRow(pText, "Fixed cost per job", rates.szFixed, szSuffix);
    if (QuoteHasMinimum(rates)) PriceTermRow(pText, "Minimum charge", rates.szMinimum, szSuffix);
    pText->Raw("</table>\n");
}

void WriteHead(const Rates& rates, QuoteText* pText) {
    char szChars[64];
    QuoteCharsHeading(rates, szChars, sizeof(szChars));
    pText->Raw("<table class=\"files\">\n<thead><tr><th>File</th><th>Kind</th><th class=\"n\">")
        .Html(szChars)
        .Raw("</th><th class=\"n\">Words</th><th class=\"n\">")
        .Html(RateLinesName(rates))
        .Raw("</th><th class=\"n\">Price</th></tr></thead>\n<tbody>\n");
}

class PageLayout : public QuoteLayout {
public:
    PageLayout(const Rates& rates, const char* szSuffix, QuoteText* pText)
        : rates(rates), szSuffix(szSuffix), pText(pText) {}
    void FileRow(const QuoteFile& file, const RatedRow& row, int64_t nCents) override {
        pText->Raw("<tr><td class=\"name\">").Html(file.szName).Raw("</td><td>").Html(file.szKind).Raw("</td>");
        CountCells(row);
        pText->Raw("<td class=\"n\">").Cents(nCents, szSuffix).Raw("</td></tr>\n");
    }
    void ChargeRow(const char* szLabel, int64_t nCents) override {
        pText->Raw("<tr class=\"charge\"><td colspan=\"5\">").Html(szLabel).Raw("</td><td class=\"n\">");
        pText->Cents(nCents, szSuffix).Raw("</td></tr>\n");
    }
    void TotalRow(const RatedRow& sums, int64_t nCents) override {
        pText->Raw("<tr class=\"total\"><td colspan=\"2\">Total</td>");
        CountCells(sums);
        pText->Raw("<td class=\"n\">").Cents(nCents, szSuffix).Raw("</td></tr>\n");
    }

private:
    void CountCells(const RatedRow& row) {
        pText->Raw("<td class=\"n\">").Int(row.nChars).Raw("</td><td class=\"n\">").Int(row.nWords);
        pText->Raw("</td><td class=\"n\">").Lines(rates, row.nLineHundredths).Raw("</td>");
    }
    const Rates& rates;
    const char* szSuffix;
    QuoteText* pText;
};

}  // namespace

bool WriteQuoteHtml(const QuoteJob& job, const QuoteAmounts& amounts, QuoteText* pText) {
    const Rates& rates = *job.pRates;
    char szSuffix[kQuoteSuffixBytes];
    QuoteCurrencySuffix(rates, szSuffix, sizeof(szSuffix));
    pText->Raw(kPageHead).Raw("<title>Quote");
    if (job.szTitle[0] != '\0') pText->Raw(": ").Html(job.szTitle);
    pText->Raw("</title>\n</head>\n<body>\n<h1>Quote</h1>\n");
    if (job.szTitle[0] != '\0') pText->Raw("<p class=\"title\">").Html(job.szTitle).Raw("</p>\n");
    WriteTerms(job, szSuffix, pText);
    WriteHead(rates, pText);

    PageLayout layout(rates, szSuffix, pText);
    if (!WriteQuoteTable(job, amounts, &layout)) return false;
    pText->Raw("</tbody>\n</table>\n</body>\n</html>\n");
    return true;
}
