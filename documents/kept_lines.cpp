#include "documents/kept_lines.h"

#include <stdlib.h>
#include <string.h>

#include "documents/document_text.h"

KeptLines::KeptLines()
    : pBytes(nullptr), nBytes(0), nByteCapacity(0), pMarks(nullptr), nMarks(0), nMarkCapacity(0), bFailed(false) {}

KeptLines::~KeptLines() {
    free(pBytes);
    free(pMarks);
}

// Makes a block hold at least nCount items, doubling it so that keeping stays linear.
bool KeptLines::Grow(void** ppBlock, size_t* pnCapacity, size_t nCount, size_t cbItem) {
    if (nCount <= *pnCapacity) return true;
    size_t nNew = *pnCapacity < 4096 ? 4096 : *pnCapacity;
    while (nNew < nCount) {
        if (nNew > SIZE_MAX / 2 / cbItem) return false;
        nNew *= 2;
    }
    void* pNew = realloc(*ppBlock, nNew * cbItem);
    if (pNew == nullptr) return false;
    *ppBlock = pNew;
    *pnCapacity = nNew;
    return true;
}

void KeptLines::Keep(const unsigned char* pNew, size_t nNew) {
    if (bFailed) return;
    if (nNew > SIZE_MAX - nBytes ||
        !Grow(reinterpret_cast<void**>(&pBytes), &nByteCapacity, nBytes + nNew, sizeof(*pBytes))) {
        bFailed = true;
        return;
    }
    memcpy(pBytes + nBytes, pNew, nNew);
    nBytes += nNew;
}

void KeptLines::AddMark(uint64_t nRepeat) {
    if (bFailed) return;
    if (!Grow(reinterpret_cast<void**>(&pMarks), &nMarkCapacity, nMarks + 1, sizeof(*pMarks))) {
        bFailed = true;
        return;
    }
    pMarks[nMarks++] = Mark{nBytes, nRepeat};
}

void KeptLines::BeginRepeat(uint64_t nRepeat) { AddMark(nRepeat == 0 ? 1 : nRepeat); }

void KeptLines::EndRepeat() { AddMark(0); }

int64_t KeptLines::CountLines(int nCharsPerLine) const {
    struct Level {
        MeasureState state;
        int64_t nRepeat;
        int64_t nAdded;  // lines of the repeats inside it, already multiplied
    };
    Level levels[kMaxRepeatDepth + 1];
    unsigned nLevels = 1;
    levels[0] = Level{{0, 0, 0, false, false}, 1, 0};
    const MeasureKernel& kernel = ActiveMeasureKernel();
    size_t nDone = 0;
    for (size_t i = 0; i <= nMarks; ++i) {
        size_t nEnd = i < nMarks ? pMarks[i].nOffset : nBytes;
        kernel.pfnLines(pBytes + nDone, nEnd - nDone, nCharsPerLine, &levels[nLevels - 1].state);
        nDone = nEnd;
        if (i == nMarks) break;
        if (pMarks[i].nRepeat != 0 && nLevels <= kMaxRepeatDepth) {
            levels[nLevels++] = Level{{0, 0, 0, false, false}, static_cast<int64_t>(pMarks[i].nRepeat), 0};
        } else if (pMarks[i].nRepeat == 0 && nLevels > 1) {
            const Level& ended = levels[--nLevels];
            levels[nLevels - 1].nAdded += (ended.state.nLines + ended.nAdded) * ended.nRepeat;
        }
    }
    return levels[0].state.nLines + levels[0].nAdded;
}
