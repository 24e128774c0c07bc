// Any bytes as a zip: the archive opens only when every entry's name and data lie inside the file,
// and each entry inflates to exactly its stated size with its checksum, or is refused; the inflate
// budget is never passed.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "documents/zip_archive.h"
#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pBytes, size_t nSize) {
    // A copy of exactly nSize bytes, so that any read beyond them shows.
    unsigned char* pData = static_cast<unsigned char*>(malloc(nSize > 0 ? nSize : 1));
    memcpy(pData, pBytes, nSize);
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
