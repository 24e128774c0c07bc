// A document's class bytes, kept as they are counted, so that its lines can be counted again at
// any column limit without reading the document again. Text that repeats (a table cell that
// stands for several) is measured on its own and its lines multiplied, as CountingSink does: the
// repeats are kept as marks between the bytes. The bytes lie in blocks of a fixed size, so that a
// long document's grow without being copied (a copy of hundreds of MB would hold the window up, and
// need the old and the new room at once).
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "documents/growing_array.h"
#include "measure/text_measure.h"

class KeptLines : public ClassBytesSink {
public:
    KeptLines();
    ~KeptLines() override;
    KeptLines(const KeptLines&) = delete;
    KeptLines& operator=(const KeptLines&) = delete;

    void Keep(const unsigned char* pBytes, size_t nBytes) override;
    // The bytes kept until the matching EndRepeat count nRepeat times.
    void BeginRepeat(uint64_t nRepeat);
    void EndRepeat();
    // Memory ran out while keeping: the lines cannot be counted again.
    bool Failed() const { return bFailed; }
    // The lines at a column limit.
    int64_t CountLines(int nCharsPerLine) const;
    size_t Bytes() const { return nBytes; }

    static const size_t kBlockBytes = 1 << 20;

private:
    struct Mark {
        size_t nOffset;    // where in the bytes it stands
        uint64_t nRepeat;  // a repeat's start; 0 marks its end
    };
    void AddMark(uint64_t nRepeat);
    // Measures the kept bytes from nFrom to nTo, block by block.
    void MeasureLines(size_t nFrom, size_t nTo, int nCharsPerLine, MeasureState* pState) const;

    GrowingArray<unsigned char*> blocks;
    size_t nBytes;
    GrowingArray<Mark> marks;
    bool bFailed;
};
