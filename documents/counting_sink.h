// Counts a document's text as it is made: characters, words and lines at a column limit, by the
// same rules as any other text, with repeated text (a table cell that stands for several) counted
// as often as it repeats. Given a KeptLines, it keeps the class bytes there as well, for the
// lines to be counted again at another limit.
#pragma once
#include <stdint.h>

#include "documents/document_text.h"
#include "documents/kept_lines.h"
#include "measure/text_measure.h"

class CountingSink : public TextSink {
public:
    explicit CountingSink(int32_t nCharsPerLine, KeptLines* pKept = nullptr);
    ~CountingSink() override;
    CountingSink(const CountingSink&) = delete;
    CountingSink& operator=(const CountingSink&) = delete;

    void Put(const char* pUtf8, size_t cbUtf8) override;
    void BeginRepeat(uint64_t nRepeat) override;
    void EndRepeat() override;
    // A measurer could not be made, or the kept bytes could not grow: the counts are not whole.
    bool Failed() const override { return bFailed || (pKept != nullptr && pKept->Failed()); }
    TextCounts Counts() const;
    // Ends the text: its counts, with its last class bytes kept. Nothing is put after.
    TextCounts Finish();

private:
    struct Level {
        TextMeasurer* pMeasurer;
        uint64_t nRepeat;   // how often this level's text counts in the level below
        TextCounts added;   // what repeats inside it added, already multiplied
    };
    TextMeasurer* NewMeasurer();
    TextCounts AddRepeats(const TextCounts& own) const;

    int32_t nCharsPerLine;
    KeptLines* pKept;
    unsigned nLevels;
    bool bFailed;
    Level levels[kMaxRepeatDepth + 1];
};
