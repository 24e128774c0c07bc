// A reader's names grouped by length give every name the code the table's own order gives it.
#include <gtest/gtest.h>

#include <string>

#include "documents/office_walk.h"

namespace {

// Two of one name (the first counts), names of one length that differ only in their first byte
// or only later, an empty name, and names at and past the longest group's length.
constexpr ElementName kNames[] = {{"p", 1},     {"r", 2},        {"p", 3},        {"tab", 4},
                                  {"tap", 5},   {"", 6},         {"pStyle", 7},   {"rStyle", 8},
                                  {"abcdefghijklmnopqrstuvwx", 9}, {"abcdefghijklmnopqrstuvwxyz", 10},
                                  {"abcdefghijklmnopqrstuvwxy", 11}, {"tab", 12}};
constexpr ElementTable<sizeof(kNames) / sizeof(kNames[0])> kTable(kNames);

}  // namespace

TEST(ElementTable, EveryNameGetsTheCodeOfItsFirstPlace) {
    const char* kLooked[] = {"p", "r", "tab", "tap", "", "pStyle", "rStyle", "sStyle", "pStylf",
                             "abcdefghijklmnopqrstuvwx", "abcdefghijklmnopqrstuvwxyz", "abcdefghijklmnopqrstuvwxy",
                             "abcdefghijklmnopqrstuvwxz", "q", "ta", "tabs"};
    const int kExpected[] = {1, 2, 4, 5, 6, 7, 8, 0, 0, 9, 10, 11, 0, 0, 0, 0};
    for (size_t i = 0; i < sizeof(kLooked) / sizeof(kLooked[0]); ++i) {
        std::string name = kLooked[i];
        XmlSpan local = {name.data(), name.size()};
        EXPECT_EQ(kExpected[i], kTable.Code(local, 0)) << "\"" << name << "\" by length";
        EXPECT_EQ(kExpected[i], ElementCode(local, kNames, 0)) << "\"" << name << "\" in order";
    }
}
