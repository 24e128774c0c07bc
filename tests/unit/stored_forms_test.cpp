#include "support/stored_forms.h"

#include <gtest/gtest.h>
#include <string.h>

#include "support/date_text.h"

namespace {

TEST(StoredForms, IntegersReadAsTheCLibraryDoes) {
    struct Case {
        const char* szStored;
        int nExpected;
    } cases[] = {
        {"-5", -5}, {" 42abc", 42}, {"abc", 0}, {"", 119}, {"+7", 7}, {"\t 12 34", 12},
        {"- 3", 0}, {"0x10", 0}, {"99999999999", 2147483647}, {"-99999999999", -2147483647 - 1},
    };
    for (const Case& c : cases) EXPECT_EQ(c.nExpected, StoredTextToInt(c.szStored, 119)) << "«" << c.szStored << "»";
}

TEST(StoredForms, FlagsAreOnUnlessTheyStartWithZero) {
    struct Case {
        const char* szStored;
        bool bExpected;
    } cases[] = {
        {"0", false}, {"0x", false}, {"00", false}, {"1", true}, {"yes", true}, {"no", true}, {"false", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.bExpected, StoredTextToBool(c.szStored, !c.bExpected)) << "«" << c.szStored << "»";
    }
    EXPECT_TRUE(StoredTextToBool("", true));
    EXPECT_FALSE(StoredTextToBool("", false));
}

TEST(StoredForms, IntegerTextRoundTrips) {
    for (int nValue : {0, -5, 119, 2147483647, -2147483647 - 1}) {
        char szText[12];
        IntToStoredText(nValue, szText);
        EXPECT_EQ(nValue, StoredTextToInt(szText, 1)) << szText;
    }
    char szText[12];
    IntToStoredText(-5, szText);
    EXPECT_STREQ("-5", szText);
}

TEST(StoredForms, QueriedBytesBecomeATerminatedTextOrNothing) {
    char buffer[kRegistryTextSize + 1];
    const unsigned long kSz = 1, kExpandSz = 2, kBinary = 3, kDword = 4, kMultiSz = 7;

    memset(buffer, 'x', sizeof(buffer));
    memcpy(buffer, "abc", 4);
    EXPECT_TRUE(StoredBytesToText(buffer, kSz, 4));
    EXPECT_STREQ("abc", buffer);

    // Stored without a terminator: ended where the stored bytes end.
    memset(buffer, 'x', sizeof(buffer));
    memcpy(buffer, "abc", 3);
    EXPECT_TRUE(StoredBytesToText(buffer, kExpandSz, 3));
    EXPECT_STREQ("abc", buffer);

    // 259 bytes and no terminator still fit; 260 do not.
    memset(buffer, 'y', sizeof(buffer));
    EXPECT_TRUE(StoredBytesToText(buffer, kSz, 259));
    EXPECT_EQ(259u, strlen(buffer));
    memset(buffer, 'y', sizeof(buffer));
    buffer[kRegistryTextSize] = '\0';
    EXPECT_FALSE(StoredBytesToText(buffer, kSz, 260));

    // Numbers, binary data and lists are not texts of this program's.
    memset(buffer, 0, sizeof(buffer));
    buffer[0] = 5;
    EXPECT_FALSE(StoredBytesToText(buffer, kDword, 4));
    EXPECT_FALSE(StoredBytesToText(buffer, kBinary, 4));
    memcpy(buffer, "a\0b\0", 5);
    EXPECT_FALSE(StoredBytesToText(buffer, kMultiSz, 5));
    EXPECT_FALSE(StoredBytesToText(buffer, kSz, 261));
}

TEST(DateText, OrdersAndLeadingZeros) {
    struct tm day = {};
    day.tm_mday = 7;
    day.tm_mon = 11;
    day.tm_year = 126;
    char szText[20];
    struct Case {
        int nOrder;
        const char* szExpected;
    } cases[] = {{0, "12/07/26"}, {1, "07/12/26"}, {2, "26/12/07"}, {5, "12/07/26"}, {-1, "12/07/26"}};
    for (const Case& c : cases) {
        FormatDateText(day, c.nOrder, szText);
        EXPECT_STREQ(c.szExpected, szText) << "order " << c.nOrder;
    }
    day = tm();
    day.tm_mday = 4;
    day.tm_mon = 2;
    day.tm_year = 105;
    FormatDateText(day, 1, szText);
    EXPECT_STREQ("04/03/05", szText);
    day.tm_year = 100;
    FormatDateText(day, 2, szText);
    EXPECT_STREQ("00/03/04", szText);
    day.tm_year = 99;
    FormatDateText(day, 0, szText);
    EXPECT_STREQ("03/04/99", szText);
}

}  // namespace
