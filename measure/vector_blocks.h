// The byte classes of a block, written once for every vector width. A kernel includes this after
// measure/mask_walk.h and gives the walk VectorBlocks<V>, where V holds its vector type and
// operations (a block is one mask's bits of bytes):
//   Vec, kWidth              the vector type and its bytes
//   Load(p)                  kWidth bytes from p
//   Bits(x)                  the top bit of each byte, as bits
//   IsZero(x), Min(x, y)     zero bytes; the lower byte of each pair, unsigned
//   AtLeast(x, c)            bytes of c and more, read as signed (c > 0)
//   NotWordBytes(x)          the bytes that are not word bytes
//   LineBreaks(x)            CR and LF
//   ByteBefore(x, previous)  each byte's byte before: x moved up one place, previous's last byte first
//   Fill(c)                  every byte c
//   AddStarts(pending, b, x) pending, with one more in each byte place set in b and not in x
//   AddSums(total, pending)  total's 64-bit sums, with pending's bytes added
//   Store(p, x)              x as 64-bit sums at p
#pragma once

namespace {

#if defined(__x86_64__)
typedef uint64_t BlockMask;
const bool kBreaksInVectors = true;
#else
typedef uint32_t BlockMask;  // 32-bit code: one register per mask
// With eight vector registers, more counters there would spill: the breaks and white space are
// counted from the masks instead.
const bool kBreaksInVectors = false;
#endif

template <class V>
struct VectorBlocks {
    typedef BlockMask Mask;
    typedef typename V::Vec Vec;
    static const bool kBreaksInVectors = ::kBreaksInVectors;
    enum { kVectors = sizeof(Mask) * 8 / V::kWidth };

    TQ_WALK_INLINE static Vec Load(const unsigned char* p, int v) { return V::Load(p + V::kWidth * v); }
    TQ_WALK_INLINE static Mask BitsAt(Vec x, int v) { return static_cast<Mask>(V::Bits(x)) << (V::kWidth * v); }

    // Whether the nBytes (a multiple of kWidth) at p hold a zero byte.
    TQ_WALK_INLINE static bool HasZero(const unsigned char* p, size_t nBytes) {
        Vec lowest = Load(p, 0);
        for (size_t v = 1; v < nBytes / V::kWidth; ++v) lowest = V::Min(lowest, Load(p, static_cast<int>(v)));
        return V::Bits(V::IsZero(lowest)) != 0;
    }

    TQ_WALK_INLINE static Mask ZeroBytes(const unsigned char* p) {
        Mask zeros = 0;
        for (int v = 0; v < kVectors; ++v) zeros |= BitsAt(V::IsZero(Load(p, v)), v);
        return zeros;
    }

    TQ_WALK_INLINE static Mask OtherThanWordBytes(const unsigned char* p) {
        Mask otherThanWord = 0;
        for (int v = 0; v < kVectors; ++v) otherThanWord |= BitsAt(V::NotWordBytes(Load(p, v)), v);
        return otherThanWord;
    }

    TQ_WALK_INLINE static void ClassifyLines(const unsigned char* p, ClassMasks<Mask>* pMasks) {
        Mask printable = 0, nonSpace = 0, lineBreak = 0, tabToCR = 0;
        for (int v = 0; v < kVectors; ++v) {
            Vec x = Load(p, v);
            // Printable is 0x20..0x7F read as signed; the space is the only printable byte below 0x21.
            printable |= BitsAt(V::AtLeast(x, 0x20), v);
            nonSpace |= BitsAt(V::AtLeast(x, 0x21), v);
            lineBreak |= BitsAt(V::LineBreaks(x), v);
            tabToCR |= BitsAt(V::AtLeast(x, 0x09), v) & ~BitsAt(V::AtLeast(x, 0x0E), v);
        }
        pMasks->printable = printable;
        pMasks->nonSpace = nonSpace;
        pMasks->lineBreak = lineBreak;
        pMasks->whiteSpace = tabToCR | (printable & ~nonSpace);
    }

    // Word starts counted in the vector unit, a byte counter per byte place: a start is a word byte
    // whose byte before is not one. Beside them, the break and white space bytes, the same way.
    struct WordCounter {
        Vec previous;  // the last vector's bytes that are not word bytes (its last byte matters)
        Vec pending;   // starts by byte place, since the last Settle (at most 255 vectors)
        Vec total;     // 64-bit sums
        Vec pendingBreaks, totalBreaks, pendingSpaces, totalSpaces;

        TQ_WALK_INLINE void Start(bool bInWord) {
            previous = V::Fill(bInWord ? 0 : -1);
            pending = total = V::Fill(0);
            pendingBreaks = totalBreaks = pendingSpaces = totalSpaces = V::Fill(0);
        }
        TQ_WALK_INLINE void Count(const unsigned char* p) {
            for (int v = 0; v < kVectors; ++v) {
                Vec x = Load(p, v);
                Vec otherThanWord = V::NotWordBytes(x);
                pending = V::AddStarts(pending, V::ByteBefore(otherThanWord, previous), otherThanWord);
                previous = otherThanWord;
                if (!kBreaksInVectors) continue;
                pendingBreaks = V::AddStarts(pendingBreaks, V::LineBreaks(x), V::Fill(0));
                // White space: 0x09..0x0D, and the space, the one printable byte below 0x21.
                pendingSpaces = V::AddStarts(pendingSpaces, V::AtLeast(x, 0x09), V::AtLeast(x, 0x0E));
                pendingSpaces = V::AddStarts(pendingSpaces, V::AtLeast(x, 0x20), V::AtLeast(x, 0x21));
            }
        }
        TQ_WALK_INLINE void Settle() {
            total = V::AddSums(total, pending);
            pending = V::Fill(0);
            if (!kBreaksInVectors) return;
            totalBreaks = V::AddSums(totalBreaks, pendingBreaks);
            pendingBreaks = V::Fill(0);
            totalSpaces = V::AddSums(totalSpaces, pendingSpaces);
            pendingSpaces = V::Fill(0);
        }
        TQ_WALK_INLINE static int64_t Sum(Vec sums64) {
            int64_t sums[V::kWidth / 8];
            V::Store(sums, sums64);
            int64_t nTotal = 0;
            for (int64_t nSum : sums) nTotal += nSum;
            return nTotal;
        }
        TQ_WALK_INLINE int64_t Total() {
            Settle();
            return Sum(total);
        }
        // After Total.
        TQ_WALK_INLINE int64_t Breaks() const { return kBreaksInVectors ? Sum(totalBreaks) : 0; }
        TQ_WALK_INLINE int64_t Spaces() const { return kBreaksInVectors ? Sum(totalSpaces) : 0; }
        TQ_WALK_INLINE bool InWord() const { return ((V::Bits(previous) >> (V::kWidth - 1)) & 1) == 0; }
    };
};

}  // namespace
