// A heapsort of indexes: in place, no memory of its own, and within n log n comparisons whatever
// the input, so that no crafted file (its names, its ids) makes a sort slow, as a quicksort's worst
// case would. One copy of the code, whatever is sorted.
#pragma once
#include <stddef.h>
#include <stdint.h>

// Whether the item of index nA goes before that of nB, for the caller's pContext.
typedef bool (*IndexBefore)(const void* pContext, uint32_t nA, uint32_t nB);

// Sorts the n indexes at pnIndexes so that none goes before the one ahead of it.
void HeapSortIndexes(uint32_t* pnIndexes, size_t n, IndexBefore before, const void* pContext);
