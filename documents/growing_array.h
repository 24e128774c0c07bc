// Memory the readers and the file reading grow as they go, where a failed growth is reported to
// the caller (and so becomes a refusal of the file) instead of ending the program, as a standard
// container's would. Items are plain bytes: copied with memcpy, never constructed.
#pragma once
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <type_traits>

// malloc's and realloc's, but a test can make a chosen one fail (see FailAllocationAt).
void* TryAllocate(size_t cb);
void* TryReallocate(void* p, size_t cb);
void FreeAllocated(void* p);

// For tests: the nth allocation from now (1 is the next) fails, as when memory runs out; 0 lets
// every one through. AllocationsTried counts them since the last call.
void FailAllocationAt(uint64_t nAllocation);
uint64_t AllocationsTried();

// What a set of arrays may hold together, in bytes: the capacity each asked for counts until it
// is freed.
class MemoryBound {
public:
    explicit MemoryBound(uint64_t cbLimit) : cbLimit(cbLimit), cbHeld(0), bPassed(false) {}
    bool Take(uint64_t cb) {
        if (cb > cbLimit - cbHeld) {
            bPassed = true;
            return false;
        }
        cbHeld += cb;
        return true;
    }
    void Give(uint64_t cb) { cbHeld -= cb; }
    uint64_t Left() const { return cbLimit - cbHeld; }
    // Whether a growth was refused for the bound (rather than for memory).
    bool Passed() const { return bPassed; }

private:
    uint64_t cbLimit;
    uint64_t cbHeld;
    bool bPassed;
};

// The part of an array that does not depend on its items' type.
class GrowingBlock {
public:
    GrowingBlock(const GrowingBlock&) = delete;
    GrowingBlock& operator=(const GrowingBlock&) = delete;
    size_t Size() const { return nSize; }
    bool Empty() const { return nSize == 0; }
    void Clear() { nSize = 0; }
    // Cuts the array to nCount items; never grows it.
    void Shorten(size_t nCount) {
        if (nCount < nSize) nSize = nCount;
    }
    // Gives the memory back.
    void Free();
    // What an array made without a bound counts against from now; while it holds nothing.
    void BindTo(MemoryBound* pNewBound) {
        if (nCapacity == 0) pBound = pNewBound;
    }

protected:
    explicit GrowingBlock(MemoryBound* pBound) : pItems(nullptr), nSize(0), nCapacity(0), pBound(pBound) {}
    ~GrowingBlock() { Free(); }
    // Room for nCount items of cbItem bytes: doubling, so that appending stays linear, as far as
    // the bound lets it. False, the array as it was, when memory or the bound refuses.
    bool Grow(size_t nCount, size_t cbItem);
    void SwapWith(GrowingBlock* pOther);

    void* pItems;
    size_t nSize;
    size_t nCapacity;
    MemoryBound* pBound;

private:
    size_t cbItemOf = 0;  // the item size the capacity was taken with, for Free
};

template <typename T>
class GrowingArray : public GrowingBlock {
    static_assert(std::is_trivially_copyable<T>::value, "items are copied as bytes");

public:
    // pBound (may be null) is what the array counts against.
    explicit GrowingArray(MemoryBound* pBound = nullptr) : GrowingBlock(pBound) {}

    [[nodiscard]] bool Reserve(size_t nCount) { return nCount <= nCapacity || Grow(nCount, sizeof(T)); }
    [[nodiscard]] bool Push(T item) {
        if (nSize == nCapacity && !Grow(nSize + 1, sizeof(T))) return false;
        Data()[nSize++] = item;
        return true;
    }
    [[nodiscard]] bool Append(const T* pNew, size_t nNew) {
        if (nNew > SIZE_MAX - nSize || (nSize + nNew > nCapacity && !Grow(nSize + nNew, sizeof(T)))) return false;
        if (nNew > 0) memcpy(Data() + nSize, pNew, nNew * sizeof(T));
        nSize += nNew;
        return true;
    }
    // nCount items: those added are not cleared, for a caller that writes them itself.
    [[nodiscard]] bool Resize(size_t nCount) {
        if (!Reserve(nCount)) return false;
        nSize = nCount;
        return true;
    }
    // Exactly these items.
    [[nodiscard]] bool Assign(const T* pNew, size_t nNew) {
        Clear();
        return Append(pNew, nNew);
    }
    void Pop() { --nSize; }
    T* Data() { return static_cast<T*>(pItems); }
    const T* Data() const { return static_cast<const T*>(pItems); }
    T& operator[](size_t i) { return Data()[i]; }
    const T& operator[](size_t i) const { return Data()[i]; }
    T& Back() { return Data()[nSize - 1]; }
    const T& Back() const { return Data()[nSize - 1]; }
    void Swap(GrowingArray* pOther) { SwapWith(pOther); }
};

// Bytes: text being built, a file being read.
typedef GrowingArray<char> GrowingBytes;

// Whether the bytes are exactly this text.
inline bool BytesAre(const GrowingBytes& bytes, const char* szText) {
    size_t cbText = strlen(szText);
    return bytes.Size() == cbText && memcmp(bytes.Data(), szText, cbText) == 0;
}
