// The translation readers on files another program wrote (translate-toolkit's converters from
// tests/fixtures/translation/sample.po) and on hand-written ones, against the text expected of
// each, written by hand beside it.
#include <gtest/gtest.h>

#include "documents/growing_array.h"
#include "documents/qt_ts_text.h"
#include "documents/tmx_text.h"
#include "documents/xliff_text.h"
#include "tests/unit/translation_test_support.h"

namespace {

struct Fixture {
    const char* szName;
    TranslationReader Read;
    uint64_t nUntranslated;  // on the target side
};

const Fixture kFixtures[] = {
    {"xliff12-translate-toolkit.xlf", ReadXliffText, 1},  // the empty msgstr
    {"xliff12-dialect-hand.sdlxliff", ReadXliffText, 2},  // an empty segment, a unit without a target
    {"xliff2-hand.xlf", ReadXliffText, 2},                // a segment without a target, one empty
    {"ts-translate-toolkit.ts", ReadQtTsText, 1},         // the unfinished empty translation
    {"tmx-translate-toolkit.tmx", ReadTmxText, 0},        // po2tmx leaves the untranslated out
};

TEST(TranslationFixtures, EachSideReadsAsWrittenByHand) {
    for (const Fixture& fixture : kFixtures) {
        std::string file = TranslationFixture(fixture.szName);
        ASSERT_FALSE(file.empty()) << "the fixture " << fixture.szName;
        std::string source = TranslationFixture(std::string(fixture.szName) + ".source.txt");
        std::string target = TranslationFixture(std::string(fixture.szName) + ".target.txt");
        ASSERT_FALSE(source.empty() || target.empty()) << "the expected texts of " << fixture.szName;
        EXPECT_EQ(source, SourceText(fixture.Read, file)) << fixture.szName << ", source side";
        TranslationReading reading = ReadTranslation(fixture.Read, file, TranslationSide::kTarget);
        EXPECT_EQ(target, reading.text) << fixture.szName << ", target side";
        EXPECT_EQ(fixture.nUntranslated, reading.nUntranslated) << fixture.szName << ", units untranslated";
    }
}

TEST(TranslationFixtures, AnAllocationFailingRefusesForMemory) {
    for (const Fixture& fixture : kFixtures) {
        std::string file = TranslationFixture(fixture.szName);
        ASSERT_FALSE(file.empty()) << "the fixture " << fixture.szName;
        for (uint64_t n = 1;; ++n) {
            FailAllocationAt(n);
            TranslationReading reading = ReadTranslation(fixture.Read, file, TranslationSide::kTarget);
            uint64_t nTried = AllocationsTried();
            FailAllocationAt(0);
            if (nTried < n) {
                EXPECT_TRUE(reading.text.empty() || reading.text[0] != '!')
                    << fixture.szName << " with no allocation failing: got " << reading.text;
                EXPECT_GT(n, 1u) << fixture.szName << " was read without allocating, so nothing failed";
                break;
            }
            ASSERT_EQ(std::string("!") + kRefusedOutOfMemory, reading.text)
                << fixture.szName << " with allocation " << n << " failing";
            ASSERT_LT(n, 10000u) << fixture.szName << " never read without a failure";
        }
    }
}

}  // namespace
