// The lines of a document counted again from its kept class bytes, at limits other than the
// one it was read at, against the document measured afresh at each limit.
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "documents/counting_sink.h"
#include "documents/kept_lines.h"

namespace {

// A table whose second row stands for three, one of its cells for two, between paragraphs; long
// enough that its lines depend on the limit.
void PutDocument(TextSink* pSink) {
    auto Put = [&](const char* sz) { pSink->Put(sz, strlen(sz)); };
    Put("A first paragraph of some length, with words that wrap at narrow limits.\r\n");
    pSink->BeginRepeat(3);
    Put("row cell one two three\r\n");
    pSink->BeginRepeat(2);
    Put("inner cell text\r\n");
    pSink->EndRepeat();
    Put("after the inner cell\r\n");
    pSink->EndRepeat();
    Put("The last paragraph, cut in the middle of a wo");
    Put("rd between two pieces.");
}

TEST(KeptLines, LinesAtEveryLimitAreThoseOfAFreshMeasure) {
    KeptLines kept;
    CountingSink keeping(40, &kept);
    PutDocument(&keeping);
    TextCounts read = keeping.Finish();
    ASSERT_FALSE(kept.Failed());
    EXPECT_EQ(kept.CountLines(40), read.nLines) << "at the limit it was read at";
    for (int nLimit : {0, 1, 2, 5, 12, 23, 80, 1000}) {
        CountingSink fresh(nLimit);
        PutDocument(&fresh);
        EXPECT_EQ(kept.CountLines(nLimit), fresh.Finish().nLines) << "at " << nLimit << " characters per line";
    }
}

TEST(KeptLines, RepeatedLinesMultiply) {
    // Two short lines, then one of them standing for four: 2 + 4 lines at any limit above their width.
    KeptLines kept;
    CountingSink sink(80, &kept);
    sink.Put("one\r\ntwo\r\n", 10);
    sink.BeginRepeat(4);
    sink.Put("three", 5);
    sink.EndRepeat();
    EXPECT_EQ(sink.Finish().nLines, 6);
    EXPECT_EQ(kept.CountLines(80), 6);
    // At 2 characters a line "three" takes 3 lines, each of its four times; "one" and "two" 2 each.
    EXPECT_EQ(kept.CountLines(2), 2 + 2 + 4 * 3);
}

TEST(KeptLines, LinesAcrossTheKeptBlocksEdgesAreThoseOfAFreshMeasure) {
    // Lines of 47 characters past three block edges, a repeat standing across the first of them.
    std::string line(45, 'x');
    line += "\r\n";
    auto PutLong = [&](TextSink* pSink) {
        size_t nLines = 3 * KeptLines::kBlockBytes / line.size() + 7;
        for (size_t i = 0; i < nLines; ++i) {
            if (i == KeptLines::kBlockBytes / line.size()) pSink->BeginRepeat(3);
            pSink->Put(line.data(), line.size());
            if (i == KeptLines::kBlockBytes / line.size() + 2) pSink->EndRepeat();
        }
    };
    KeptLines kept;
    CountingSink keeping(0, &kept);
    PutLong(&keeping);
    keeping.Finish();
    ASSERT_FALSE(kept.Failed());
    ASSERT_GT(kept.Bytes(), 3 * KeptLines::kBlockBytes) << "the text should pass three block edges";
    for (int nLimit : {0, 10, 46, 47, 100}) {
        CountingSink fresh(nLimit);
        PutLong(&fresh);
        EXPECT_EQ(kept.CountLines(nLimit), fresh.Finish().nLines) << "at " << nLimit << " characters per line";
    }
}

}  // namespace
