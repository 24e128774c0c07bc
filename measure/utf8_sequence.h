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

constexpr Utf8Lead Utf8LeadOf(unsigned c) {
    return c < 0x80                ? Utf8Lead{0, 0x7F, 0x80, 0xBF}
           : c < 0xC2 || c > 0xF4  ? Utf8Lead{0, 0, 0xFF, 0x00}
           : c < 0xE0              ? Utf8Lead{1, 0x1F, 0x80, 0xBF}
           : c < 0xF0              ? Utf8Lead{2, 0x0F, static_cast<uint8_t>(c == 0xE0 ? 0xA0 : 0x80),
                                              static_cast<uint8_t>(c == 0xED ? 0x9F : 0xBF)}
                                   : Utf8Lead{3, 0x07, static_cast<uint8_t>(c == 0xF0 ? 0x90 : 0x80),
                                              static_cast<uint8_t>(c == 0xF4 ? 0x8F : 0xBF)};
}

struct Utf8LeadTable {
    Utf8Lead leads[256];
};

constexpr Utf8LeadTable MakeUtf8LeadTable() {
    Utf8LeadTable table{};
    for (unsigned c = 0; c < 256; ++c) table.leads[c] = Utf8LeadOf(c);
    return table;
}

inline constexpr Utf8LeadTable kUtf8Leads = MakeUtf8LeadTable();

inline bool BeginsUtf8Sequence(unsigned char c) { return kUtf8Leads.leads[c].nLower <= kUtf8Leads.leads[c].nUpper; }

// Reads the sequence at the start of pBytes (nBytes > 0). Answers its length and sets *pnCodePoint
// when it is well formed; otherwise answers the length of its maximal subpart (at least 1, also
// for a sequence cut by the end of the bytes), sets U+FFFD and clears *pbWellFormed.
inline size_t ReadUtf8Sequence(const unsigned char* pBytes, size_t nBytes, uint32_t* pnCodePoint, bool* pbWellFormed) {
    const Utf8Lead& lead = kUtf8Leads.leads[pBytes[0]];
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
