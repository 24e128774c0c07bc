#include "documents/heap_sort.h"

namespace {

void SiftDown(uint32_t* p, size_t nRoot, size_t nEnd, IndexBefore before, const void* pContext) {
    for (size_t nChild; (nChild = 2 * nRoot + 1) < nEnd; nRoot = nChild) {
        if (nChild + 1 < nEnd && before(pContext, p[nChild], p[nChild + 1])) ++nChild;
        if (!before(pContext, p[nRoot], p[nChild])) return;
        uint32_t nSwap = p[nRoot];
        p[nRoot] = p[nChild];
        p[nChild] = nSwap;
    }
}

}  // namespace

void HeapSortIndexes(uint32_t* p, size_t n, IndexBefore before, const void* pContext) {
    for (size_t i = n / 2; i-- > 0;) SiftDown(p, i, n, before, pContext);
    for (size_t nEnd = n; nEnd-- > 1;) {
        uint32_t nSwap = p[0];
        p[0] = p[nEnd];
        p[nEnd] = nSwap;
        SiftDown(p, 0, nEnd, before, pContext);
    }
}
