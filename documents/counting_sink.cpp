#include "documents/counting_sink.h"

#include <new>

#include "documents/growing_array.h"

namespace {
void DeleteMeasurer(TextMeasurer* pMeasurer) {
    if (pMeasurer == nullptr) return;
    pMeasurer->~TextMeasurer();
    FreeAllocated(pMeasurer);
}
// Adds the counts of n copies of a repeated part to *pTo.
void AddCounts(const TextCounts& counts, int64_t n, TextCounts* pTo) {
    pTo->nChars += counts.nChars * n;
    pTo->nWords += counts.nWords * n;
    pTo->nLines += counts.nLines * n;
    pTo->nCharsNoBreaks += counts.nCharsNoBreaks * n;
    pTo->nCharsNoSpaces += counts.nCharsNoSpaces * n;
}

}  // namespace

CountingSink::CountingSink(int32_t nNewCharsPerLine, KeptLines* pNewKept)
    : nCharsPerLine(nNewCharsPerLine), pKept(pNewKept), nLevels(1), bFailed(false) {
    levels[0].pMeasurer = NewMeasurer();
    levels[0].nRepeat = 1;
    levels[0].added = {};
}

CountingSink::~CountingSink() {
    for (unsigned i = 0; i < nLevels; ++i) DeleteMeasurer(levels[i].pMeasurer);
}

// A few kilobytes; when they cannot be had, the sink fails and takes no more text.
TextMeasurer* CountingSink::NewMeasurer() {
    void* pMemory = TryAllocate(sizeof(TextMeasurer));
    if (pMemory == nullptr) {
        bFailed = true;
        return nullptr;
    }
    TextMeasurer* pMeasurer = new (pMemory) TextMeasurer(nCharsPerLine, kEncodingUtf8);
    pMeasurer->KeepBytesIn(pKept);
    return pMeasurer;
}

void CountingSink::Put(const char* pUtf8, size_t cbUtf8) {
    if (!bFailed) levels[nLevels - 1].pMeasurer->Feed(pUtf8, cbUtf8);
}

// A repeated row or cell ends its paragraphs within itself, so its text is measured on its own and
// its counts multiplied; repeats deeper than the bound count once (DocumentText never opens them).
void CountingSink::BeginRepeat(uint64_t nRepeat) {
    if (nLevels > kMaxRepeatDepth || bFailed) return;
    TextMeasurer* pMeasurer = NewMeasurer();
    if (pMeasurer == nullptr) return;
    if (pKept != nullptr) pKept->BeginRepeat(nRepeat);
    Level& level = levels[nLevels++];
    level.pMeasurer = pMeasurer;
    level.nRepeat = nRepeat;
    level.added = {};
}

void CountingSink::EndRepeat() {
    if (nLevels == 1 || bFailed) return;
    Level& level = levels[--nLevels];
    // Its last bytes are kept before the repeat's end is marked.
    TextCounts counts = level.pMeasurer->Finish();
    if (pKept != nullptr) pKept->EndRepeat();
    DeleteMeasurer(level.pMeasurer);
    int64_t nRepeat = static_cast<int64_t>(level.nRepeat);
    TextCounts& added = levels[nLevels - 1].added;
    AddCounts(counts, nRepeat, &added);
    AddCounts(level.added, nRepeat, &added);
}

TextCounts CountingSink::AddRepeats(const TextCounts& own) const {
    TextCounts counts = own;
    AddCounts(levels[0].added, 1, &counts);
    return counts;
}

TextCounts CountingSink::Counts() const {
    return bFailed ? TextCounts{} : AddRepeats(levels[0].pMeasurer->Counts());
}

TextCounts CountingSink::Finish() {
    if (bFailed) return TextCounts{};
    while (nLevels > 1) EndRepeat();
    return AddRepeats(levels[0].pMeasurer->Finish());
}
