#include "documents/kept_lines.h"

#include <string.h>

#include "documents/document_text.h"
#include "documents/growing_array.h"

KeptLines::KeptLines() : nBytes(0), bFailed(false) {}

KeptLines::~KeptLines() {
    for (size_t i = 0; i < blocks.Size(); ++i) FreeAllocated(blocks[i]);
}

void KeptLines::Keep(const unsigned char* pNew, size_t nNew) {
    while (!bFailed && nNew > 0) {
        size_t nInBlock = nBytes % kBlockBytes;
        if (nInBlock == 0 && nBytes / kBlockBytes == blocks.Size()) {
            unsigned char* pBlock = static_cast<unsigned char*>(TryAllocate(kBlockBytes));
            if (pBlock == nullptr || !blocks.Push(pBlock)) {
                FreeAllocated(pBlock);
                bFailed = true;
                return;
            }
        }
        size_t nTaken = kBlockBytes - nInBlock < nNew ? kBlockBytes - nInBlock : nNew;
        memcpy(blocks[nBytes / kBlockBytes] + nInBlock, pNew, nTaken);
        nBytes += nTaken;
        pNew += nTaken;
        nNew -= nTaken;
    }
}

void KeptLines::AddMark(uint64_t nRepeat) {
    if (!bFailed && !marks.Push(Mark{nBytes, nRepeat})) bFailed = true;
}

void KeptLines::MeasureLines(size_t nFrom, size_t nTo, int nCharsPerLine, MeasureState* pState) const {
    const MeasureKernel& kernel = ActiveMeasureKernel();
    while (nFrom < nTo) {
        size_t nInBlock = nFrom % kBlockBytes;
        size_t nTaken = kBlockBytes - nInBlock < nTo - nFrom ? kBlockBytes - nInBlock : nTo - nFrom;
        kernel.pfnLines(blocks[nFrom / kBlockBytes] + nInBlock, nTaken, nCharsPerLine, pState);
        nFrom += nTaken;
    }
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
    levels[0] = Level{{0, 0, 0, false, false, 0, 0}, 1, 0};
    size_t nDone = 0;
    size_t nMarks = marks.Size();
    for (size_t i = 0; i <= nMarks; ++i) {
        size_t nEnd = i < nMarks ? marks[i].nOffset : nBytes;
        MeasureLines(nDone, nEnd, nCharsPerLine, &levels[nLevels - 1].state);
        nDone = nEnd;
        if (i == nMarks) break;
        if (marks[i].nRepeat != 0 && nLevels <= kMaxRepeatDepth) {
            levels[nLevels++] = Level{{0, 0, 0, false, false, 0, 0}, static_cast<int64_t>(marks[i].nRepeat), 0};
        } else if (marks[i].nRepeat == 0 && nLevels > 1) {
            const Level& ended = levels[--nLevels];
            levels[nLevels - 1].nAdded += (ended.state.nLines + ended.nAdded) * ended.nRepeat;
        }
    }
    return levels[0].state.nLines + levels[0].nAdded;
}
