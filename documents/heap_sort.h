// A heapsort of indexes: in place, no memory of its own, and within n log n comparisons whatever
// the input, so that no crafted file (its names, its ids) makes a sort slow, as a quicksort's worst
// case would. One copy of the code, whatever is sorted.
#pragma once
#include <stddef.h>

// Sorts the n indexes at p so that none goes before the one ahead of it: before(a, b) tells whether
// the item of index a goes before that of b.
template <typename Index, typename Before>
void HeapSortIndexes(Index* p, size_t n, Before before) {
    auto SiftDown = [&](size_t nRoot, size_t nEnd) {
        for (size_t nChild; (nChild = 2 * nRoot + 1) < nEnd; nRoot = nChild) {
            if (nChild + 1 < nEnd && before(p[nChild], p[nChild + 1])) ++nChild;
            if (!before(p[nRoot], p[nChild])) return;
            Index nSwap = p[nRoot];
            p[nRoot] = p[nChild];
            p[nChild] = nSwap;
        }
    };
    for (size_t i = n / 2; i-- > 0;) SiftDown(i, n);
    for (size_t nEnd = n; nEnd-- > 1;) {
        Index nSwap = p[0];
        p[0] = p[nEnd];
        p[nEnd] = nSwap;
        SiftDown(0, nEnd);
    }
}
