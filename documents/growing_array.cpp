#include "documents/growing_array.h"

#include <stdlib.h>

namespace {
// The test's hook: the readers run on one thread at a time.
uint64_t nFailAt = 0;
uint64_t nTried = 0;

bool Fails() {
    ++nTried;
    return nFailAt != 0 && nTried == nFailAt;
}
}  // namespace

void* TryAllocate(size_t cb) { return Fails() ? nullptr : malloc(cb != 0 ? cb : 1); }

void* TryReallocate(void* p, size_t cb) { return Fails() ? nullptr : realloc(p, cb != 0 ? cb : 1); }

void FreeAllocated(void* p) { free(p); }

void FailAllocationAt(uint64_t nAllocation) {
    nFailAt = nAllocation;
    nTried = 0;
}

uint64_t AllocationsTried() { return nTried; }

bool GrowingBlock::Grow(size_t nCount, size_t cbItem) {
    if (nCount <= nCapacity) return true;
    size_t nMost = SIZE_MAX / cbItem;
    if (nCount > nMost) return false;
    size_t nNew = nCapacity < 8 ? 8 : (nCapacity > nMost / 2 ? nMost : nCapacity * 2);
    if (nNew < nCount) nNew = nCount;
    if (pBound != nullptr) {
        // Near the bound the array takes only what it needs.
        uint64_t nLeft = pBound->Left() / cbItem + nCapacity;
        if (nNew > nLeft && nCount <= nLeft) nNew = static_cast<size_t>(nLeft);
        if (!pBound->Take(static_cast<uint64_t>(nNew - nCapacity) * cbItem)) return false;
    }
    void* pNew = TryReallocate(pItems, nNew * cbItem);
    if (pNew == nullptr) {
        if (pBound != nullptr) pBound->Give(static_cast<uint64_t>(nNew - nCapacity) * cbItem);
        return false;
    }
    pItems = pNew;
    nCapacity = nNew;
    cbItemOf = cbItem;
    return true;
}

void GrowingBlock::Free() {
    if (pBound != nullptr) pBound->Give(static_cast<uint64_t>(nCapacity) * cbItemOf);
    FreeAllocated(pItems);
    pItems = nullptr;
    nSize = nCapacity = 0;
}

void GrowingBlock::SwapWith(GrowingBlock* pOther) {
    void* pTheirs = pOther->pItems;
    size_t nTheirSize = pOther->nSize, nTheirCapacity = pOther->nCapacity, cbTheirItem = pOther->cbItemOf;
    MemoryBound* pTheirBound = pOther->pBound;
    pOther->pItems = pItems;
    pOther->nSize = nSize;
    pOther->nCapacity = nCapacity;
    pOther->cbItemOf = cbItemOf;
    pOther->pBound = pBound;
    pItems = pTheirs;
    nSize = nTheirSize;
    nCapacity = nTheirCapacity;
    cbItemOf = cbTheirItem;
    pBound = pTheirBound;
}
