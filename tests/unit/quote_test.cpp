#include "pricing/quote.h"

#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

struct HandFile {
    const char* szName;
    const char* szKind;
    int64_t nWords;
};

class HandFiles : public QuoteFiles {
public:
    explicit HandFiles(std::vector<HandFile> files) : files(files) {}
    size_t Count() const override { return files.size(); }
    void Get(size_t nIndex, QuoteFile* pFile) const override {
        strcpy(pFile->szName, files[nIndex].szName);
        pFile->szKind = files[nIndex].szKind;
        int64_t nWords = files[nIndex].nWords;
        pFile->counts = RateCounts{nWords * 6, nWords * 6, nWords * 5, nWords, 1};
    }

private:
    std::vector<HandFile> files;
};

class StringSink : public QuoteSink {
public:
    bool Write(const char* pBytes, size_t nBytes) override {
        text.append(pBytes, nBytes);
        return nBytes <= nRoom ? (nRoom -= nBytes, true) : false;
    }
    std::string text;
    size_t nRoom = SIZE_MAX;
};

Rates WordRates(const char* szPerWord) {
    Rates rates;
    SetDefaultRates(&rates, 0);
    strcpy(rates.szPerWord, szPerWord);
    return rates;
}

std::string Quote(QuoteForm form, const Rates& rates, const HandFiles& files, const char* szTitle = "Job") {
    QuoteJob job = {szTitle, "12/10/26", &rates, &files};
    StringSink sink;
    QuoteResult result = WriteQuote(form, job, &sink);
    EXPECT_EQ(result, QuoteResult::kWritten) << sink.text;
    return sink.text;
}

// The last field of each CSV record after the header.
std::vector<std::string> PriceColumn(const std::string& csv) {
    std::vector<std::string> prices;
    size_t nStart = csv.find("\r\n") + 2;
    while (nStart < csv.size()) {
        size_t nEnd = csv.find("\r\n", nStart);
        std::string record = csv.substr(nStart, nEnd - nStart);
        prices.push_back(record.substr(record.rfind(',') + 1));
        nStart = nEnd + 2;
    }
    return prices;
}

}  // namespace

TEST(Quote, RowsAddUpToTheShownTotalToTheCent) {
    // Three words at 0.333: the job costs 0.999, shown as 1.00. Rounded one by one the rows would
    // show 0.33 three times and add up to 0.99.
    HandFiles files({{"a.txt", "Text", 1}, {"b.txt", "Text", 1}, {"c.txt", "Text", 1}});
    std::string csv = Quote(QuoteForm::kCsv, WordRates("0.333"), files);
    std::vector<std::string> prices = PriceColumn(csv);
    ASSERT_EQ(prices.size(), 4u) << csv;
    EXPECT_EQ(prices[0] + " " + prices[1] + " " + prices[2], "0.33 0.34 0.33") << csv;
    EXPECT_EQ(prices[3], "1.00") << csv;
    // The price per word is shown as typed, not rounded to cents.
    std::string html = Quote(QuoteForm::kHtml, WordRates("0.333"), files);
    EXPECT_NE(html.find("<th>Per word</th><td>0.333 $</td>"), std::string::npos) << html;

    // A fixed cost of 5 and a minimum of 20 over two files of 10 words at 0.10: the minimum adds
    // 13.00 to 2.00 of words and the fixed 5.00.
    Rates rates = WordRates("0.10");
    strcpy(rates.szFixed, "5");
    strcpy(rates.szMinimum, "20");
    HandFiles two({{"one.docx", "Word", 10}, {"two.odt", "OpenDocument text", 10}});
    csv = Quote(QuoteForm::kCsv, rates, two);
    EXPECT_NE(csv.find("\r\n\"Fixed cost per job\",,,,,5.00\r\n\"Up to the minimum charge\",,,,,13.00\r\n"
                       "\"Total\",,120,20,2,20.00\r\n"),
              std::string::npos)
        << csv;
    html = Quote(QuoteForm::kHtml, rates, two);
    EXPECT_NE(html.find(">13.00 $<"), std::string::npos) << html;
    EXPECT_NE(html.find(">20.00 $<"), std::string::npos) << html;
}

TEST(Quote, TextsAreEscapedAndTheFormsKeepTheirRules) {
    HandFiles files({{"a<b> & \"c\", 'd'.txt", "Text", 2}});
    Rates rates = WordRates("1.5");
    rates.szCurrency[0] = u'\u20AC';
    rates.szCurrency[1] = 0;
    std::string html = Quote(QuoteForm::kHtml, rates, files, "<script>x</script> & co");
    EXPECT_NE(html.find("a&lt;b&gt; &amp; &quot;c&quot;, &#39;d&#39;.txt"), std::string::npos) << html;
    EXPECT_NE(html.find("&lt;script&gt;x&lt;/script&gt; &amp; co"), std::string::npos) << html;
    EXPECT_EQ(html.find("<script"), std::string::npos) << html;
    for (const char* szOutside : {"src=", "href=", "url(", "@import"})
        EXPECT_EQ(html.find(szOutside), std::string::npos) << szOutside << " in " << html;
    EXPECT_NE(html.find(">3.00 \xE2\x82\xAC<"), std::string::npos) << html;

    std::string csv = Quote(QuoteForm::kCsv, rates, files);
    EXPECT_EQ(csv.compare(0, 3, "\xEF\xBB\xBF"), 0) << csv;
    EXPECT_NE(csv.find("\"File\",\"Kind\",\"Characters\",\"Words\",\"Lines\",\"Price (\xE2\x82\xAC)\"\r\n"
                       "\"a<b> & \"\"c\"\", 'd'.txt\",\"Text\",12,2,1,3.00\r\n\"Total\",,12,2,1,3.00\r\n"),
              std::string::npos)
        << csv;

    EXPECT_EQ(QuoteFormOfName("quote.CSV"), QuoteForm::kCsv);
    EXPECT_EQ(QuoteFormOfName("quote.csv.html"), QuoteForm::kHtml);
    EXPECT_EQ(QuoteFormOfName("csv"), QuoteForm::kHtml);
}

TEST(Quote, AFailedWriteIsSaid) {
    HandFiles files({{"a.txt", "Text", 1}});
    Rates rates = WordRates("0.02");
    QuoteJob job = {"", "12/10/26", &rates, &files};
    StringSink sink;
    sink.nRoom = 100;  // the page is longer
    EXPECT_EQ(WriteQuote(QuoteForm::kHtml, job, &sink), QuoteResult::kNotWritten);
    strcpy(rates.szFixed, "1e300");
    EXPECT_EQ(WriteQuote(QuoteForm::kCsv, job, &sink), QuoteResult::kAmountTooLarge);
}
