#include "app/csv_record.h"

#include <gtest/gtest.h>
#include <string.h>

#include <string>

namespace {

std::string Record(CsvLayout layout, const char* szDate, const char* szTitle, int nChars, int nWords, int nLines,
                   double dTotal) {
    char szRecord[kCsvRecordSize];
    size_t n = FormatCsvRecord(szRecord, layout, szDate, szTitle, nChars, nWords, std::to_string(nLines).c_str(), dTotal,
                               nullptr);
    EXPECT_EQ(strlen(szRecord), n);
    return szRecord;
}

// A record of an older log in the ANSI code page.
std::string Record(const char* szDate, const char* szTitle, int nChars, int nWords, int nLines, double dTotal) {
    return Record(CsvLayout::kSpaced, szDate, szTitle, nChars, nWords, nLines, dTotal);
}

// A record of a UTF-8 log.
std::string Rfc4180Record(const char* szDate, const char* szTitle, int nChars, int nWords, int nLines, double dTotal) {
    return Record(CsvLayout::kRfc4180, szDate, szTitle, nChars, nWords, nLines, dTotal);
}

TEST(CsvRecord, Rfc4180FieldsHaveACommaAloneBetweenThemAndEndWithCrLf) {
    EXPECT_EQ("07/12/26,\"Letter to bank\",1234,210,16,4.20\r\n",
              Rfc4180Record("07/12/26", "Letter to bank", 1234, 210, 16, 4.2));
    EXPECT_EQ(",\"\",0,0,0,0.00\r\n", Rfc4180Record("", "", 0, 0, 0, 0.0));
    EXPECT_EQ("12/07/26,\"Smith, letter\",-1,2,3,1234.50\r\n",
              Rfc4180Record("12/07/26", "Smith, letter", -1, 2, 3, 1234.5));
    EXPECT_EQ("d,\"the \"\"big\"\", job\",1,2,3,0.00\r\n", Rfc4180Record("d", "the \"big\", job", 1, 2, 3, 0));
    EXPECT_EQ("d,\"\"\"\"\"\",0,0,0,0.00\r\n", Rfc4180Record("d", "\"\"", 0, 0, 0, 0));
    // The longest title, all quotes, and the widest numbers still fit whole.
    std::string quotes(259, '"');
    EXPECT_EQ("07/12/26,\"" + std::string(518, '"') + "\",2147483647,-2147483648,0,-1000000000000000.00\r\n",
              Rfc4180Record("07/12/26", quotes.c_str(), 2147483647, -2147483647 - 1, 0, -1e15));
    // UTF-8 passes through unchanged (U+03A9 U+03BC).
    EXPECT_EQ("d,\"\xCE\xA9\xCE\xBC\",0,0,0,0.00\r\n", Rfc4180Record("d", "\xCE\xA9\xCE\xBC", 0, 0, 0, 0));
}

TEST(CsvRecord, AnOlderAnsiLogKeepsABlankAfterEachCommaAndBeforeTheLineBreak) {
    EXPECT_EQ("07/12/26, \"Letter to bank\", 1234, 210, 16, 4.20 \r\n", Record("07/12/26", "Letter to bank", 1234, 210, 16, 4.2));
    EXPECT_EQ(", \"\", 0, 0, 0, 0.00 \r\n", Record("", "", 0, 0, 0, 0.0));
    EXPECT_EQ("12/07/26, \"a, b\", -1, 2, 3, 1234.50 \r\n", Record("12/07/26", "a, b", -1, 2, 3, 1234.5));
    EXPECT_EQ("x, \"t\", 1, 1, 1, 0.12 \r\n", Record("x", "t", 1, 1, 1, 0.125));
}

TEST(CsvRecord, QuotesInTheTitleOfAnOlderLogAreDoubled) {
    EXPECT_EQ("d, \"the \"\"big\"\" job\", 1, 2, 3, 0.00 \r\n", Record("d", "the \"big\" job", 1, 2, 3, 0));
    EXPECT_EQ("d, \"\"\"\"\"\", 0, 0, 0, 0.00 \r\n", Record("d", "\"\"", 0, 0, 0, 0));
    // The longest title, all quotes, still fits whole.
    std::string quotes(259, '"');
    std::string record = Record("07/12/26", quotes.c_str(), 2147483647, -2147483647 - 1, 0, -1e15);
    EXPECT_EQ("07/12/26, \"" + std::string(518, '"') + "\", 2147483647, -2147483648, 0, -1000000000000000.00 \r\n",
              record);
    // Bytes above 0x7F pass through unchanged.
    EXPECT_EQ("d, \"caf\xE9\", 0, 0, 0, 0.00 \r\n", Record("d", "caf\xE9", 0, 0, 0, 0));
}

std::string Repeated(const char* szPiece, int nTimes) {
    std::string text;
    for (int i = 0; i < nTimes; ++i) text += szPiece;
    return text;
}

TEST(CsvRecord, ALongUtf8TitleIsWrittenWholeOrCutBetweenCharacters) {
    // 259 letters of three bytes each (U+5831), the longest title the dialog gives in UTF-8.
    std::string title = Repeated("\xE5\xA0\xB1", 259);
    EXPECT_EQ("d,\"" + Repeated("\xE5\xA0\xB1", 259) + "\",1,2,3,0.00\r\n",
              Rfc4180Record("d", title.c_str(), 1, 2, 3, 0));
    // Longer than any title: cut where the room ends, before the two-byte letter (U+03A9) that would be
    // cut in half, never inside it.
    std::string omegas = Repeated("\xCE\xA9", 800);
    EXPECT_EQ("d,\"" + Repeated("\xCE\xA9", 777) + "\",0,0,0,0.00\r\n", Rfc4180Record("d", omegas.c_str(), 0, 0, 0, 0));
    std::string shifted = "a" + omegas;
    EXPECT_EQ("d,\"a" + Repeated("\xCE\xA9", 776) + "\",0,0,0,0.00\r\n",
              Rfc4180Record("d", shifted.c_str(), 0, 0, 0, 0));
}

TEST(CsvRecord, ALogWithTheRatesEndsWithTheirQuotedNameAndTheCurrency) {
    char szRecord[kCsvRecordSize];
    CsvRates rates = {"Court \"A\", German", "\xE2\x82\xAC"};  // U+20AC
    FormatCsvRecord(szRecord, CsvLayout::kRfc4180, "07/12/26", "Brief", 1234, 210, "22.44", 26.93, &rates);
    EXPECT_STREQ("07/12/26,\"Brief\",1234,210,22.44,26.93,\"Court \"\"A\"\", German\",\xE2\x82\xAC\r\n", szRecord);
    CsvRates odd = {"", "a,b"};
    FormatCsvRecord(szRecord, CsvLayout::kSpaced, "d", "t", 1, 2, "3", 0, &odd);
    EXPECT_STREQ("d, \"t\", 1, 2, 3, 0.00, \"\", \"a,b\" \r\n", szRecord);
    // A name longer than any the rates hold is cut between characters (U+03A9, two bytes).
    std::string omegas = Repeated("\xCE\xA9", 100);
    CsvRates longName = {omegas.c_str(), "$"};
    FormatCsvRecord(szRecord, CsvLayout::kRfc4180, "d", "t", 0, 0, "0", 0, &longName);
    EXPECT_EQ("d,\"t\",0,0,0,0.00,\"" + Repeated("\xCE\xA9", 60) + "\",$\r\n", std::string(szRecord));
}

TEST(CsvRecord, TheFirstRecordsFieldsTellAnOlderLogFromOneWithTheRates) {
    const char kSix[] = "07/12/26,\"a, \"\"b\"\"\",1,2,3,0.00\r\n07/12/26,\"x\",1,2,3,0.00,\"y\",$\r\n";
    EXPECT_EQ(6, CsvFirstRecordFields(kSix, sizeof(kSix) - 1));
    const char kEight[] = "d,\"line\r\nbreak\",1,2,3.50,0.00,\"Standard\",$\r\n";
    EXPECT_EQ(8, CsvFirstRecordFields(kEight, sizeof(kEight) - 1));
    const char kSpaced[] = "d, \"t\", 1, 2, 3, 0.00 \r\n";
    EXPECT_EQ(6, CsvFirstRecordFields(kSpaced, sizeof(kSpaced) - 1));
    EXPECT_EQ(0, CsvFirstRecordFields("", 0));
}

}  // namespace
