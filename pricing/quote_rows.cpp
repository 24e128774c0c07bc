#include "pricing/quote_rows.h"

#include <string.h>

#include "measure/utf8_sequence.h"
#include "pricing/money.h"
#include "pricing/rate_captions.h"

namespace {

bool IsBlank(const char* sz) {
    for (; *sz; ++sz) {
        if (*sz != ' ' && *sz != '\t') return false;
    }
    return true;
}

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

double QuotePrice(const char* szPriceText) { return TextToMoney(szPriceText); }

bool QuoteHasMinimum(const Rates& rates) { return !IsBlank(rates.szMinimum); }

bool PlanQuote(const Rates& rates, const QuoteFiles& files, QuoteAmounts* pAmounts) {
    RatedRow sums = {};
    QuoteFile file;
    for (size_t i = 0; i < files.Count(); ++i) {
        files.Get(i, &file);
        AddRatedCounts(rates, file.counts, &sums);
    }
    QuoteAmounts& amounts = *pAmounts;
    amounts.job = PriceRatedCounts(rates, sums);
    double dFixed = TextToMoney(rates.szFixed);
    amounts.bFixedRow = dFixed != 0.0;
    if (!MoneyToCents(amounts.job.dTotal, &amounts.nTotalCents) || !MoneyToCents(dFixed, &amounts.nFixedCents))
        return false;
    amounts.nMinimumCents = 0;
    if (amounts.job.bMinimumApplied) {
        if (!MoneyToCents(amounts.job.sums.dSum, &amounts.nFilesCents)) return false;
        amounts.nMinimumCents = amounts.nTotalCents - amounts.nFixedCents - amounts.nFilesCents;
    } else {
        amounts.nFilesCents = amounts.nTotalCents - amounts.nFixedCents;
    }
    return true;
}

bool QuoteRowCents::Next(double dPrice, int64_t* pnCents) {
    if (nRowsLeft > 0) --nRowsLeft;
    if (nRowsLeft == 0) {
        *pnCents = nFilesCents - nGiven;
        nGiven = nFilesCents;
        return true;
    }
    dRunning += dPrice;
    int64_t nRunning = 0;
    if (!MoneyToCents(dRunning, &nRunning)) return false;
    *pnCents = nRunning - nGiven;
    nGiven = nRunning;
    return true;
}

bool WriteQuoteTable(const QuoteJob& job, const QuoteAmounts& amounts, QuoteLayout* pLayout) {
    size_t nFiles = job.pFiles->Count();
    QuoteRowCents rowCents(amounts, nFiles);
    QuoteFile file;
    for (size_t i = 0; i < nFiles; ++i) {
        job.pFiles->Get(i, &file);
        RatedRow row = PriceFileRow(*job.pRates, file.counts);
        int64_t nCents = 0;
        if (!rowCents.Next(row.dSum, &nCents)) return false;
        pLayout->FileRow(file, row, nCents);
    }
    if (amounts.bFixedRow) pLayout->ChargeRow("Fixed cost per job", amounts.nFixedCents);
    if (amounts.job.bMinimumApplied) pLayout->ChargeRow("Up to the minimum charge", amounts.nMinimumCents);
    pLayout->TotalRow(amounts.job.sums, amounts.nTotalCents);
    return true;
}

void QuoteCharsHeading(const Rates& rates, char* szHeading, size_t nSize) {
    size_t n = CopyBounded(szHeading, nSize, "Characters");
    CopyBounded(szHeading + n, nSize - n, RateCharsKind(rates));
}

size_t QuoteUtf8(const char16_t* szText, char* szUtf8, size_t nSize) {
    size_t n = 0;
    for (size_t i = 0; szText[i] != 0; ++i) {
        uint32_t c = szText[i];
        if (c >= 0xD800 && c <= 0xDBFF && szText[i + 1] >= 0xDC00 && szText[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (szText[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;  // a lone surrogate
        }
        char bytes[4];
        size_t nBytes = EncodeUtf8(c, bytes);
        if (n + nBytes + 1 > nSize) break;
        memcpy(szUtf8 + n, bytes, nBytes);
        n += nBytes;
    }
    if (nSize > 0) szUtf8[n] = '\0';
    return n;
}

void QuoteCurrencySuffix(const Rates& rates, char* szSuffix, size_t nSize) {
    if (nSize < 2 || rates.szCurrency[0] == 0) {
        if (nSize > 0) szSuffix[0] = '\0';
        return;
    }
    szSuffix[0] = ' ';
    QuoteUtf8(rates.szCurrency, szSuffix + 1, nSize - 1);
}

QuoteForm QuoteFormOfName(const char* szName) {
    size_t n = strlen(szName);
    if (n < 4) return QuoteForm::kHtml;
    const char* szEnd = szName + n - 4;
    bool bCsv = szEnd[0] == '.' && LowerAscii(szEnd[1]) == 'c' && LowerAscii(szEnd[2]) == 's' &&
                LowerAscii(szEnd[3]) == 'v';
    return bCsv ? QuoteForm::kCsv : QuoteForm::kHtml;
}

QuoteResult WriteQuote(QuoteForm form, const QuoteJob& job, QuoteSink* pSink) {
    QuoteAmounts amounts;
    if (!PlanQuote(*job.pRates, *job.pFiles, &amounts)) return QuoteResult::kAmountTooLarge;
    QuoteText text(pSink);
    bool bWritten = form == QuoteForm::kCsv ? WriteQuoteCsv(job, amounts, &text) : WriteQuoteHtml(job, amounts, &text);
    if (!bWritten) return QuoteResult::kAmountTooLarge;
    return text.Flush() ? QuoteResult::kWritten : QuoteResult::kNotWritten;
}

const char* QuoteResultText(QuoteResult result) {
    switch (result) {
        case QuoteResult::kNotWritten: return "the file could not be written";
        case QuoteResult::kAmountTooLarge: return "an amount is too large to show in cents";
        default: return nullptr;
    }
}

QuoteText& QuoteText::Raw(const char* szText) { return Raw(szText, strlen(szText)); }

QuoteText& QuoteText::Raw(const char* pText, size_t nText) {
    while (nText > 0 && !bFailed) {
        if (nUsed == sizeof(buffer) && !Flush()) break;
        size_t nTaken = sizeof(buffer) - nUsed < nText ? sizeof(buffer) - nUsed : nText;
        memcpy(buffer + nUsed, pText, nTaken);
        nUsed += nTaken;
        pText += nTaken;
        nText -= nTaken;
    }
    return *this;
}

QuoteText& QuoteText::Html(const char* szUtf8) {
    const char* pRun = szUtf8;
    for (const char* p = szUtf8;; ++p) {
        const char* szReference = nullptr;
        switch (*p) {
            case '&': szReference = "&amp;"; break;
            case '<': szReference = "&lt;"; break;
            case '>': szReference = "&gt;"; break;
            case '"': szReference = "&quot;"; break;
            case '\'': szReference = "&#39;"; break;
            case '\0': return Raw(pRun, static_cast<size_t>(p - pRun));
            default: continue;
        }
        Raw(pRun, static_cast<size_t>(p - pRun)).Raw(szReference);
        pRun = p + 1;
    }
}

QuoteText& QuoteText::CsvField(const char* szUtf8) {
    Raw("\"");
    const char* pRun = szUtf8;
    for (const char* p = szUtf8; *p; ++p) {
        if (*p != '"') continue;
        Raw(pRun, static_cast<size_t>(p + 1 - pRun));  // the quote, then itself again
        pRun = p;
    }
    return Raw(pRun).Raw("\"");
}

QuoteText& QuoteText::Int(int64_t nValue) {
    char szText[32];
    return Raw(szText, FormatInt64(nValue, szText, sizeof(szText)));
}

QuoteText& QuoteText::Lines(const Rates& rates, int64_t nHundredths) {
    char szText[32];
    return Raw(szText, FormatLineCount(nHundredths, RateShowsLineDecimals(rates), szText, sizeof(szText)));
}

QuoteText& QuoteText::Cents(int64_t nCents, const char* szSuffix) {
    char szText[kMoneyTextSize + 80];
    return Raw(szText, FormatCents(nCents, szSuffix, szText, sizeof(szText)));
}

bool QuoteText::Flush() {
    if (!bFailed && nUsed > 0) bFailed = !pSink->Write(buffer, nUsed);
    nUsed = 0;
    return !bFailed;
}
