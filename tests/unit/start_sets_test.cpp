#include "app/start_sets.h"

#include <gtest/gtest.h>

#include <stdint.h>

#include <string>

namespace {

// Each start read before the next comes, every read shown: whether each start joined the set
// before it, as "n" (a new set) or "j" (joined), one letter a start.
std::string SetsOfStarts(uint32_t nFirstTick, const uint32_t* pGaps, size_t nStarts) {
    StartSets sets;
    std::string seen;
    uint32_t nTick = nFirstTick;
    for (size_t i = 0; i < nStarts; ++i) {
        nTick += pGaps[i];
        sets.AddStart(nTick);
        seen += sets.TakeWaiting() ? 'j' : 'n';
        sets.ReadEnded(true);
    }
    return seen;
}

TEST(StartSets, TwelveStartsThreeHundredMillisecondsApartMakeOneSet) {
    // The last comes 3.3 s after the first: each is near the one before it.
    const uint32_t gaps[12] = {0, 300, 300, 300, 300, 300, 300, 300, 300, 300, 300, 300};
    EXPECT_EQ("njjjjjjjjjjj", SetsOfStarts(1000000, gaps, 12));
    // The same across the tick count's wrap, which falls between the fifth and the sixth.
    EXPECT_EQ("njjjjjjjjjjj", SetsOfStarts(0xFFFFFFFFu - 1400, gaps, 12));
}

TEST(StartSets, AStartMoreThanTwoSecondsAfterThePreviousBeginsANewSet) {
    const uint32_t gaps[5] = {0, 1900, 2000, 2100, 300};
    EXPECT_EQ("njjnj", SetsOfStarts(5000, gaps, 5));
    EXPECT_EQ("njjnj", SetsOfStarts(0xFFFFFFFFu - 3000, gaps, 5));
}

TEST(StartSets, StartsWaitingBehindAReadJoinOneAnother) {
    StartSets sets;
    sets.AddStart(100);
    EXPECT_FALSE(sets.TakeWaiting()) << "the first start joined a set";
    // Twelve starts come while the first is read, each 250 ms after the one before.
    EXPECT_EQ(StartSets::kBeginsWaiting, sets.AddStart(350));
    for (uint32_t i = 2; i <= 12; ++i) {
        EXPECT_EQ(StartSets::kJoinsWaiting, sets.AddStart(100 + 250 * i)) << "start " << i + 1;
    }
    sets.ReadEnded(true);
    EXPECT_TRUE(sets.TakeWaiting()) << "the starts that came during the read did not join its set";
    // One 2.1 s after the last waiting replaces the names waiting.
    sets.AddStart(10000);
    EXPECT_EQ(StartSets::kReplacesWaiting, sets.AddStart(12100));
    sets.ReadEnded(true);
    EXPECT_FALSE(sets.TakeWaiting()) << "a start 2.1 s after the last joined";
}

TEST(StartSets, AStartThatJoinedAStoppedReadBeginsANewSet) {
    // A new set is read; a start joins it during the read; Esc stops the read.
    StartSets sets;
    sets.AddStart(1000);
    EXPECT_FALSE(sets.TakeWaiting());
    sets.AddStart(1300);
    sets.ReadEnded(false);
    EXPECT_TRUE(sets.Waiting());
    EXPECT_FALSE(sets.TakeWaiting()) << "the start was added to the set on show, which it never joined";
    sets.ReadEnded(true);

    // A set is shown; a start joins it and its read is stopped (or every file refused); the next
    // start, near the one before it, has no shown set of its own to join.
    StartSets shown;
    shown.AddStart(1000);
    shown.TakeWaiting();
    shown.ReadEnded(true);
    shown.AddStart(1300);
    EXPECT_TRUE(shown.TakeWaiting()) << "a start 300 ms after a shown set did not join it";
    shown.ReadEnded(false);
    shown.AddStart(1600);
    EXPECT_FALSE(shown.TakeWaiting()) << "a start after a stopped read was added to the older set on show";
}

TEST(StartSets, ADropOrTheClipboardEndsTheSet) {
    StartSets sets;
    sets.AddStart(1000);
    sets.TakeWaiting();
    sets.ReadEnded(true);
    sets.AddStart(1300);
    // The drop comes before the names waiting are read: they replace the drop's files.
    sets.EndSet();
    EXPECT_FALSE(sets.TakeWaiting()) << "a start was added to a dropped set";
    sets.ReadEnded(true);
    sets.EndSet();
    sets.AddStart(1600);
    EXPECT_FALSE(sets.TakeWaiting()) << "a start joined after the clipboard was priced";
}

}  // namespace
