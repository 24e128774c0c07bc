// What reading a document cannot be faster than: its entries inflated by zlib alone, one stream
// after another, with no checks, no CRC-32 and no reader; and the same entries inflated by the
// Windows programs' small inflater. For an XML file that is not zipped, a memchr pass over its
// bytes that stops at each '<', as the least a parser of its markup does.
#pragma once
#include <stddef.h>

#include <string>
#include <vector>

// A deflated entry of a zip, in the zip's bytes.
struct DeflatedEntry {
    const unsigned char* pIn;
    size_t cbIn;
    size_t cbOut;
};

// The deflated entries of a zip (its stored ones left out), from its directory and local headers.
std::vector<DeflatedEntry> DeflatedEntries(const std::string& zip);

// Inflates each entry into out, grown to the largest; false when one does not inflate whole.
bool InflateWithZlib(const std::vector<DeflatedEntry>& entries, std::vector<unsigned char>* pOut);
bool InflateWithSmallInflater(const std::vector<DeflatedEntry>& entries, std::vector<unsigned char>* pOut);

// How many '<' the bytes hold, found with memchr.
size_t CountMarkupWithMemchr(const std::string& bytes);
