// Any bytes as a zip: the archive opens only when every entry's name and data lie inside the file,
// and each entry inflates to exactly its stated size with its checksum, or is refused; the inflate
// budget is never passed. The bytes' CRC-32, folded where the processor can, whole and cut in two, is
// the one worked out a bit at a time.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "documents/crc32.h"
#include "documents/zip_archive.h"
#include "fuzz/fuzz_input.h"

namespace {

uint32_t BitByBitCrc(const uint8_t* p, size_t cb) {
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < cb; ++i) {
        c ^= p[i];
        for (int k = 0; k < 8; ++k) c = (c & 1) != 0 ? (c >> 1) ^ 0xEDB88320u : c >> 1;
    }
    return ~c;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pBytes, size_t nSize) {
    // A copy of exactly nSize bytes, so that any read beyond them shows.
    unsigned char* pData = static_cast<unsigned char*>(malloc(nSize > 0 ? nSize : 1));
    memcpy(pData, pBytes, nSize);
    uint32_t nCrc = BitByBitCrc(pData, nSize);
    size_t nCut = nSize / 3;
    Check(Crc32(0, pData, nSize) == nCrc && Crc32(Crc32(0, pData, nCut), pData + nCut, nSize - nCut) == nCrc);
    ZipArchive archive;
    if (archive.Open(pData, nSize)) {
        Check(archive.EntryCount() <= kZipMaxEntries);
        uint64_t cbInflated = 0;
        for (size_t i = 0; i < archive.EntryCount(); ++i) {
            ZipEntry entry;
            Check(archive.GetEntry(i, &entry));
            const unsigned char* pName = reinterpret_cast<const unsigned char*>(entry.pName);
            Check(pName >= pData && pName + entry.cbName <= pData + nSize);
            ZipEntry found;
            Check(archive.Find(entry.pName, entry.cbName, &found));
            if (!archive.MayInflate(entry.cbUncompressed)) break;
            unsigned char* pOut = static_cast<unsigned char*>(malloc(entry.cbUncompressed > 0 ? entry.cbUncompressed : 1));
            if (archive.Extract(entry, pOut, static_cast<size_t>(entry.cbUncompressed))) cbInflated += entry.cbUncompressed;
            free(pOut);
            Check(cbInflated <= kZipMaxRatio * nSize);
        }
        ZipEntry entry;
        Check(!archive.GetEntry(archive.EntryCount(), &entry));
    }
    free(pData);
    return 0;
}
