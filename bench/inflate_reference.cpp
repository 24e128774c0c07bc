#include "bench/inflate_reference.h"

#include <string.h>
#include <zlib.h>

#include "documents/small_inflate.h"
#include "documents/zip_archive.h"

namespace {

unsigned ReadLittle16(const unsigned char* p) { return static_cast<unsigned>(p[0] | p[1] << 8); }

}  // namespace

std::vector<DeflatedEntry> DeflatedEntries(const std::string& zip) {
    std::vector<DeflatedEntry> entries;
    const unsigned char* pZip = reinterpret_cast<const unsigned char*>(zip.data());
    ZipArchive archive;
    if (!archive.Open(pZip, zip.size())) return entries;
    for (size_t i = 0; i < archive.EntryCount(); ++i) {
        ZipEntry entry;
        if (!archive.GetEntry(i, &entry) || entry.nMethod != 8) continue;
        // The local header: 30 bytes, then the name and the extra field, whose lengths it gives.
        uint64_t off = entry.offLocalHeader;
        if (off + 30 > zip.size()) continue;
        uint64_t offData = off + 30 + ReadLittle16(pZip + off + 26) + ReadLittle16(pZip + off + 28);
        if (offData + entry.cbCompressed > zip.size()) continue;
        entries.push_back({pZip + offData, static_cast<size_t>(entry.cbCompressed), static_cast<size_t>(entry.cbUncompressed)});
    }
    return entries;
}

bool InflateWithZlib(const std::vector<DeflatedEntry>& entries, std::vector<unsigned char>* pOut) {
    z_stream stream = {};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) return false;
    bool bWhole = true;
    for (const DeflatedEntry& entry : entries) {
        if (pOut->size() < entry.cbOut + 1) pOut->resize(entry.cbOut + 1);
        inflateReset(&stream);
        stream.next_in = const_cast<unsigned char*>(entry.pIn);
        stream.avail_in = static_cast<uInt>(entry.cbIn);
        stream.next_out = pOut->data();
        stream.avail_out = static_cast<uInt>(entry.cbOut + 1);
        bWhole = bWhole && inflate(&stream, Z_FINISH) == Z_STREAM_END && stream.total_out == entry.cbOut;
    }
    inflateEnd(&stream);
    return bWhole;
}

bool InflateWithSmallInflater(const std::vector<DeflatedEntry>& entries, std::vector<unsigned char>* pOut) {
    bool bWhole = true;
    for (const DeflatedEntry& entry : entries) {
        if (pOut->size() < entry.cbOut + 1) pOut->resize(entry.cbOut + 1);
        bWhole = bWhole && SmallInflate(entry.pIn, entry.cbIn, pOut->data(), entry.cbOut);
    }
    return bWhole;
}

size_t CountMarkupWithMemchr(const std::string& bytes) {
    size_t nCount = 0;
    const char* p = bytes.data();
    const char* pEnd = p + bytes.size();
    while ((p = static_cast<const char*>(memchr(p, '<', static_cast<size_t>(pEnd - p)))) != nullptr) {
        ++nCount;
        ++p;
    }
    return nCount;
}
