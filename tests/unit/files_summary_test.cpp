// The summary and the job title of a set of priced files: whole names, words without grouping, cut
// at a name with the rest told.
#include <gtest/gtest.h>

#include <string>

#include "app/files_summary.h"
#include "measure/text_measure.h"

namespace {

std::string Narrow(const char16_t* sz) {
    std::string s;
    for (; *sz != u'\0'; ++sz) s += *sz < 0x80 ? static_cast<char>(*sz) : '?';
    return s;
}

TEST(FilesSummary, NamesEachFileWithItsWords) {
    const FileWords files[] = {{u"letter.docx", 301}, {u"report.odt", 1502}, {u"notes.txt", 12}};
    char16_t szSummary[kSummaryBufferSize];
    BuildFilesSummary(files, 3, szSummary);
    EXPECT_EQ(Narrow(szSummary), "3 files: letter.docx 301 words; report.odt 1502 words; notes.txt 12 words");
    const FileWords one[] = {{u"\u041f\u0438\u0441\u044c\u043c\u043e.txt", 1}};
    BuildFilesSummary(one, 1, szSummary);
    EXPECT_EQ(std::u16string(szSummary), u"1 file: \u041f\u0438\u0441\u044c\u043c\u043e.txt 1 word");
}

TEST(FilesSummary, ManyFilesAreCutAtANameAndTheRestCounted) {
    // 40 names of 20 units each: far more than the summary holds.
    std::u16string names[40];
    FileWords files[40];
    for (int i = 0; i < 40; ++i) {
        names[i] = u"chapter-number-" + std::u16string(1, static_cast<char16_t>(u'A' + i % 26)) + u".odt";
        files[i] = {names[i].c_str(), 1000000 + i};
    }
    char16_t szSummary[kSummaryBufferSize];
    BuildFilesSummary(files, 40, szSummary);
    std::string summary = Narrow(szSummary);
    EXPECT_LE(summary.size(), kFilesSummaryMax) << summary;
    EXPECT_EQ(summary.rfind("40 files: chapter-number-A.odt 1000000 words; ", 0), 0u) << summary;
    // Each file takes 38 units with its separator: 4 fit after the 10 of "40 files: ", and 36 are told.
    EXPECT_NE(summary.find("chapter-number-D.odt 1000003 words; and 36 more"), std::string::npos) << summary;
}

TEST(FilesSummary, JobTitleJoinsWholeNamesWithAPlus) {
    // Names with commas of their own: a comma between them would not tell where one ends.
    const FileWords files[] = {{u"a.txt", 1}, {u"Smith, letter.txt", 2}, {u"c.txt", 3}};
    char16_t szTitle[32];
    BuildFilesJobTitle(files, 3, szTitle, 32);
    // "a.txt + Smith, letter.txt" is 25 units; " + c.txt" would pass the 31 the buffer holds.
    EXPECT_EQ(Narrow(szTitle), "a.txt + Smith, letter.txt");
    char16_t szWide[260];
    BuildFilesJobTitle(files, 3, szWide, 260);
    EXPECT_EQ(Narrow(szWide), "a.txt + Smith, letter.txt + c.txt");
}

}  // namespace
