#include "pricing/rate_book.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Narrow(const char16_t* sz) {
    std::string s;
    for (; *sz; ++sz) s += static_cast<char>(*sz);
    return s;
}

TEST(RateBook, AddedRatesTakeTheFirstFreeNameAndTheBookStopsAtSixtyFour) {
    RateBook book;
    SetDefaultRateBook(&book);
    ASSERT_EQ(1, AddRates(&book));
    ASSERT_EQ(2, AddRates(&book));
    EXPECT_EQ("Rates 2", Narrow(book.rates[1].szName));
    EXPECT_EQ("Rates 3", Narrow(book.rates[2].szName));
    // "Rates 2" removed: the next one added takes its name again, at the end of the list.
    ASSERT_TRUE(DeleteRates(&book, 1));
    ASSERT_EQ(2, AddRates(&book));
    EXPECT_EQ("Rates 2", Narrow(book.rates[2].szName));
    while (book.nCount < kMaxRates) ASSERT_GE(AddRates(&book), 0) << "count " << book.nCount;
    EXPECT_EQ(-1, AddRates(&book)) << "a 65th rates was added";
    for (int i = 0; i < book.nCount; ++i) {
        EXPECT_TRUE(IsRateNameFree(book, book.rates[i].szName, i)) << "name taken twice: " << Narrow(book.rates[i].szName);
    }
}

TEST(RateBook, DeletingKeepsTheRatesInUseOrFallsBackToTheOnesBefore) {
    RateBook book;
    SetDefaultRateBook(&book);
    EXPECT_FALSE(DeleteRates(&book, 0)) << "the last rates of a book were removed";
    AddRates(&book);
    AddRates(&book);
    AddRates(&book);  // Standard, Rates 2, Rates 3, Rates 4
    book.nInUse = 2;
    ASSERT_TRUE(DeleteRates(&book, 0));
    EXPECT_EQ(1, book.nInUse);
    EXPECT_EQ("Rates 3", Narrow(book.rates[book.nInUse].szName));
    ASSERT_TRUE(DeleteRates(&book, 1));  // the ones in use
    EXPECT_EQ(0, book.nInUse);
    EXPECT_EQ("Rates 2", Narrow(book.rates[0].szName));
    ASSERT_TRUE(DeleteRates(&book, 0));  // in use and first: the next become first and in use
    EXPECT_EQ(0, book.nInUse);
    EXPECT_EQ(1, book.nCount);
    EXPECT_EQ("Rates 4", Narrow(book.rates[0].szName));
    EXPECT_FALSE(DeleteRates(&book, 5)) << "a position past the end was removed";
}

}  // namespace
