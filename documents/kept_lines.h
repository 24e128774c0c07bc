// A document's class bytes, kept as they are counted, so that its lines can be counted again at
// any column limit without reading the document again. Text that repeats (a table cell that
// stands for several) is measured on its own and its lines multiplied, as CountingSink does: the
// repeats are kept as marks between the bytes.
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
    size_t Bytes() const { return bytes.Size(); }

private:
    struct Mark {
        size_t nOffset;    // where in the bytes it stands
        uint64_t nRepeat;  // a repeat's start; 0 marks its end
    };
    void AddMark(uint64_t nRepeat);

    GrowingArray<unsigned char> bytes;
    GrowingArray<Mark> marks;
    bool bFailed;
};
