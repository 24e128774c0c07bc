// One UTF-8 sequence: what is well formed (no overlong form, surrogate or code point past
// U+10FFFF), and how much an ill-formed part spans (its maximal subpart, which Windows and the
// browsers read as one U+FFFD). The rule is the table of first bytes below: every UTF-8 reader of
// the program, byte at a time or by vector, takes it from there.
#pragma once
#include <stddef.h>
#include <stdint.h>

// What a sequence's first byte says: how many bytes follow it, the bits of the code point it
// carries, and the range the byte after it must fall in. The range is narrower than 80..BF after
// E0 and F0 (shorter forms are overlong), ED (surrogates) and F4 (past U+10FFFF). A byte that
// cannot begin a sequence (a continuation byte, C0, C1, F5 to FF) has no range: nLower > nUpper.
struct Utf8Lead {
    uint8_t nFollowing;
    uint8_t nPayload;  // mask of the code point's bits in the first byte
    uint8_t nLower;
    uint8_t nUpper;
};

// The ranges the byte after a first byte may fall in; the table holds each first byte's as an index.
enum Utf8Range : uint8_t { kAnyContinuation, kAfterE0, kAfterED, kAfterF0, kAfterF4, kBeginsNothing };
struct Utf8RangeBounds {
    uint8_t nLower, nUpper;
};
inline constexpr Utf8RangeBounds kUtf8Ranges[] = {{0x80, 0xBF}, {0xA0, 0xBF}, {0x80, 0x9F},
                                                  {0x90, 0xBF}, {0x80, 0x8F}, {0xFF, 0x00}};

// The table of first bytes: the bytes that follow in the low two bits, the range above them.
struct Utf8LeadTable {
    uint8_t entries[256];
    constexpr Utf8LeadTable() : entries() {
        for (unsigned c = 0; c < 256; ++c) {
            unsigned nFollowing = c < 0x80 ? 0 : c < 0xE0 ? 1 : c < 0xF0 ? 2 : 3;
            Utf8Range range = c >= 0x80 && (c < 0xC2 || c > 0xF4) ? kBeginsNothing
                              : c == 0xE0                        ? kAfterE0
                              : c == 0xED                        ? kAfterED
                              : c == 0xF0                        ? kAfterF0
                              : c == 0xF4                        ? kAfterF4
                                                                 : kAnyContinuation;
            entries[c] = static_cast<uint8_t>((range == kBeginsNothing ? 0 : nFollowing) | range << 2);
        }
    }
};
inline constexpr Utf8LeadTable kUtf8Leads;

constexpr Utf8Lead Utf8LeadOf(unsigned char c) {
    unsigned nEntry = kUtf8Leads.entries[c], nFollowing = nEntry & 3;
    const Utf8RangeBounds& range = kUtf8Ranges[nEntry >> 2];
    return Utf8Lead{static_cast<uint8_t>(nFollowing), static_cast<uint8_t>(0x7F >> (nFollowing + (nFollowing != 0))),
                    range.nLower, range.nUpper};
}

inline bool BeginsUtf8Sequence(unsigned char c) { return (kUtf8Leads.entries[c] >> 2) != kBeginsNothing; }

// Reads the sequence at the start of pBytes (nBytes > 0). Returns its length and sets *pnCodePoint
// when it is well formed; otherwise returns the length of its maximal subpart (at least 1, also
// for a sequence cut by the end of the bytes), sets U+FFFD and clears *pbWellFormed.
inline size_t ReadUtf8Sequence(const unsigned char* pBytes, size_t nBytes, uint32_t* pnCodePoint, bool* pbWellFormed) {
    Utf8Lead lead = Utf8LeadOf(pBytes[0]);
    *pnCodePoint = 0xFFFD;
    *pbWellFormed = false;
    if (lead.nLower > lead.nUpper) return 1;
    uint32_t nCodePoint = pBytes[0] & lead.nPayload;
    unsigned char nLower = lead.nLower, nUpper = lead.nUpper;
    for (size_t k = 1; k <= lead.nFollowing; ++k) {
        if (k == nBytes || pBytes[k] < nLower || pBytes[k] > nUpper) return k;
        nCodePoint = (nCodePoint << 6) | (pBytes[k] & 0x3F);
        nLower = 0x80;
        nUpper = 0xBF;
    }
    *pnCodePoint = nCodePoint;
    *pbWellFormed = true;
    return lead.nFollowing + 1u;
}

// The same, where an ill-formed part only needs reading as U+FFFD.
inline size_t DecodeUtf8Sequence(const unsigned char* pBytes, size_t nBytes, uint32_t* pnCodePoint) {
    bool bWellFormed;
    return ReadUtf8Sequence(pBytes, nBytes, pnCodePoint, &bWellFormed);
}

// Writes a code point as UTF-8 into pOut (4 bytes) and gives the length. U+0000, a surrogate and a
// value past U+10FFFF are written as U+FFFD, as the documents' text holds none of them.
size_t EncodeUtf8(uint32_t nCodePoint, char* pOut);
