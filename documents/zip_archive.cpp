#include "documents/zip_archive.h"

#include <string.h>

#include "documents/ascii_classes.h"
#include "documents/growing_array.h"
#include "documents/heap_sort.h"
#include "documents/inflate.h"
#include "support/byte_fields.h"

namespace {
const uint32_t kLocalHeaderSignature = 0x04034b50;
const uint32_t kCentralHeaderSignature = 0x02014b50;
const uint32_t kEndRecordSignature = 0x06054b50;
const uint32_t kZip64EndRecordSignature = 0x06064b50;
const uint32_t kZip64LocatorSignature = 0x07064b50;
const size_t kEndRecordSize = 22;
const size_t kZip64LocatorSize = 20;
const size_t kZip64EndRecordSize = 56;
const size_t kCentralHeaderSize = 46;
const size_t kLocalHeaderSize = 30;
const size_t kMaxCommentSize = 0xFFFF;
const uint16_t kZip64ExtraId = 0x0001;
const uint16_t kFlagEncrypted = 0x0001;
const uint16_t kFlagStrongEncryption = 0x0040;
const uint16_t kMethodStored = 0;
const uint16_t kMethodDeflated = 8;

// Whether [off, off + cb) lies inside a buffer of cbTotal bytes, without overflow.
bool Inside(uint64_t off, uint64_t cb, uint64_t cbTotal) { return off <= cbTotal && cb <= cbTotal - off; }

// The order of names with ASCII case ignored: byte by byte, then by length. Zero for the same name.
int CompareNames(const char* pA, size_t cbA, const char* pB, size_t cbB) {
    size_t cb = cbA < cbB ? cbA : cbB;
    for (size_t i = 0; i < cb; ++i) {
        int nOrder = AsciiLower(static_cast<unsigned char>(pA[i])) - AsciiLower(static_cast<unsigned char>(pB[i]));
        if (nOrder != 0) return nOrder;
    }
    return cbA < cbB ? -1 : cbA > cbB;
}

int CompareEntries(const ZipEntry& a, const ZipEntry& b) { return CompareNames(a.pName, a.cbName, b.pName, b.cbName); }

}  // namespace

const char* ZipErrorText(ZipError error) {
    switch (error) {
    case ZipError::kNone: return "no error";
    case ZipError::kNotZip: return "not a zip archive";
    case ZipError::kDamaged: return "the file is damaged or cut short (its zip directory does not fit it)";
    case ZipError::kSplit: return "a part of a split archive: join the parts into one file first";
    case ZipError::kTooManyEntries: return "the archive holds more than 65,535 entries";
    case ZipError::kDuplicateName: return "the archive holds two entries of one name, so which one counts is unclear";
    case ZipError::kEncrypted: return "the file is protected with a password: save it without one and try again";
    case ZipError::kUnknownMethod: return "the archive uses a compression method other than stored or deflated";
    case ZipError::kBadData: return "the file is damaged (an entry's compressed data are broken)";
    case ZipError::kBadChecksum: return "the file is damaged (an entry's checksum does not match)";
    case ZipError::kTooLarge: return "the file unpacks to more than 1 GiB or 200 times its size, which no real document does";
    case ZipError::kOutOfMemory: return "there is not enough memory to unpack it";
    case ZipError::kStopped: return "the reading was stopped";
    }
    return "unknown zip error";
}

ZipArchive::ZipArchive()
    : pData(nullptr), cbData(0), offDirectory(0), cbDirectory(0), nEntries(0), pEntries(nullptr), pByName(nullptr),
      nHeadersRead(0), cbInflated(0), error(ZipError::kNone) {}

ZipArchive::~ZipArchive() { FreeIndex(); }

void ZipArchive::FreeIndex() {
    FreeAllocated(pEntries);
    pEntries = nullptr;
    pByName = nullptr;  // in the same block
}

bool ZipArchive::Fail(ZipError newError) {
    error = newError;
    return false;
}

bool ZipArchive::Open(const unsigned char* pNewData, size_t cbNewData) {
    FreeIndex();
    pData = pNewData;
    cbData = cbNewData;
    nEntries = 0;
    nHeadersRead = 0;
    cbInflated = 0;
    error = ZipError::kNone;
    if (ReadEndRecord() && ReadDirectory()) return true;
    FreeIndex();
    nEntries = 0;
    return false;
}

bool ZipArchive::ReadEndRecord() {
    if (cbData < kEndRecordSize) return Fail(ZipError::kNotZip);
    // The end record is the last one whose comment fits before the end of the file; the comment
    // is at most 64 KB, so the search is bounded.
    size_t offEnd = cbData - kEndRecordSize;
    size_t offLowest = offEnd > kMaxCommentSize ? offEnd - kMaxCommentSize : 0;
    for (;; --offEnd) {
        if (ReadField32(pData + offEnd) == kEndRecordSignature &&
            ReadField16(pData + offEnd + 20) <= cbData - offEnd - kEndRecordSize)
            break;
        if (offEnd == offLowest) return Fail(ZipError::kNotZip);
    }
    const unsigned char* pEnd = pData + offEnd;
    uint64_t nDisk = ReadField16(pEnd + 4), nDirectoryDisk = ReadField16(pEnd + 6);
    uint64_t nDiskEntries = ReadField16(pEnd + 8), nTotalEntries = ReadField16(pEnd + 10);
    cbDirectory = ReadField32(pEnd + 12);
    offDirectory = ReadField32(pEnd + 16);
    uint64_t offDirectoryEnd = offEnd;
    // ZIP64: a locator right before the end record points at the 64-bit end record.
    if (offEnd >= kZip64LocatorSize && ReadField32(pEnd - kZip64LocatorSize) == kZip64LocatorSignature) {
        const unsigned char* pLocator = pEnd - kZip64LocatorSize;
        uint64_t offZip64End = ReadField64(pLocator + 8);
        if (ReadField32(pLocator + 4) != 0 || ReadField32(pLocator + 16) > 1) return Fail(ZipError::kSplit);
        if (!Inside(offZip64End, kZip64EndRecordSize, offEnd - kZip64LocatorSize)) return Fail(ZipError::kDamaged);
        const unsigned char* pZip64End = pData + offZip64End;
        if (ReadField32(pZip64End) != kZip64EndRecordSignature) return Fail(ZipError::kDamaged);
        nDisk = ReadField32(pZip64End + 16);
        nDirectoryDisk = ReadField32(pZip64End + 20);
        nDiskEntries = ReadField64(pZip64End + 24);
        nTotalEntries = ReadField64(pZip64End + 32);
        cbDirectory = ReadField64(pZip64End + 40);
        offDirectory = ReadField64(pZip64End + 48);
        offDirectoryEnd = offZip64End;
    }
    if (nDisk != 0 || nDirectoryDisk != 0 || nDiskEntries != nTotalEntries) return Fail(ZipError::kSplit);
    if (nTotalEntries > kZipMaxEntries) return Fail(ZipError::kTooManyEntries);
    if (!Inside(offDirectory, cbDirectory, offDirectoryEnd)) return Fail(ZipError::kDamaged);
    // Each record takes at least its fixed part: a count the directory cannot hold is damage, found
    // before memory is taken for the index.
    if (nTotalEntries > cbDirectory / kCentralHeaderSize) return Fail(ZipError::kDamaged);
    nEntries = static_cast<size_t>(nTotalEntries);
    return true;
}

bool ZipArchive::ReadCentralHeader(uint64_t off, ZipEntry* pEntry, uint64_t* pNext) {
    ++nHeadersRead;
    uint64_t offLimit = offDirectory + cbDirectory;
    if (!Inside(off, kCentralHeaderSize, offLimit)) return false;
    const unsigned char* p = pData + off;
    if (ReadField32(p) != kCentralHeaderSignature) return false;
    size_t cbName = ReadField16(p + 28), cbExtra = ReadField16(p + 30), cbComment = ReadField16(p + 32);
    if (!Inside(off + kCentralHeaderSize, cbName + cbExtra + cbComment, offLimit)) return false;
    pEntry->nFlags = ReadField16(p + 8);
    pEntry->nMethod = ReadField16(p + 10);
    pEntry->nCrc32 = ReadField32(p + 16);
    pEntry->cbCompressed = ReadField32(p + 20);
    pEntry->cbUncompressed = ReadField32(p + 24);
    pEntry->offLocalHeader = ReadField32(p + 42);
    pEntry->pName = reinterpret_cast<const char*>(p + kCentralHeaderSize);
    pEntry->cbName = cbName;
    if (ReadField16(p + 34) != 0) return false;  // the entry starts on another disk
    // ZIP64: the fields that read all ones are in the extra field, in this order.
    bool bWide[3] = {pEntry->cbUncompressed == 0xFFFFFFFFu, pEntry->cbCompressed == 0xFFFFFFFFu,
                     pEntry->offLocalHeader == 0xFFFFFFFFu};
    if (bWide[0] || bWide[1] || bWide[2]) {
        const unsigned char* pExtra = p + kCentralHeaderSize + cbName;
        const unsigned char* pExtraEnd = pExtra + cbExtra;
        while (pExtraEnd - pExtra >= 4 && ReadField16(pExtra) != kZip64ExtraId)
            pExtra += 4 + static_cast<size_t>(ReadField16(pExtra + 2));
        if (pExtraEnd - pExtra < 4) return false;
        const unsigned char* pField = pExtra + 4;
        const unsigned char* pFieldEnd = pField + ReadField16(pExtra + 2);
        if (pFieldEnd > pExtraEnd) return false;
        uint64_t* pTargets[3] = {&pEntry->cbUncompressed, &pEntry->cbCompressed, &pEntry->offLocalHeader};
        for (int i = 0; i < 3; ++i) {
            if (!bWide[i]) continue;
            if (pFieldEnd - pField < 8) return false;
            *pTargets[i] = ReadField64(pField);
            pField += 8;
        }
    }
    *pNext = off + kCentralHeaderSize + cbName + cbExtra + cbComment;
    return true;
}

bool ZipArchive::ReadDirectory() {
    if (nEntries == 0) return true;
    // One block: the entries in directory order, then their indexes in the order of their names.
    size_t cbEntries = nEntries * sizeof(ZipEntry);
    void* pBlock = TryAllocate(cbEntries + nEntries * sizeof(uint32_t));
    if (pBlock == nullptr) return Fail(ZipError::kOutOfMemory);
    pEntries = static_cast<ZipEntry*>(pBlock);
    pByName = reinterpret_cast<uint32_t*>(static_cast<unsigned char*>(pBlock) + cbEntries);
    uint64_t off = offDirectory;
    for (size_t i = 0; i < nEntries; ++i) {
        ZipEntry& entry = pEntries[i];
        uint64_t offNext;
        if (!ReadCentralHeader(off, &entry, &offNext)) return Fail(ZipError::kDamaged);
        if (entry.nFlags & (kFlagEncrypted | kFlagStrongEncryption)) return Fail(ZipError::kEncrypted);
        if (entry.nMethod != kMethodStored && entry.nMethod != kMethodDeflated) return Fail(ZipError::kUnknownMethod);
        const unsigned char* pEntryData;
        if (!DataOf(entry, &pEntryData)) return Fail(ZipError::kDamaged);
        if (entry.nMethod == kMethodStored && entry.cbCompressed != entry.cbUncompressed) return Fail(ZipError::kDamaged);
        pByName[i] = static_cast<uint32_t>(i);
        off = offNext;
    }
    // Sorted, two entries of one name stand side by side.
    HeapSortIndexes(pByName, nEntries, [&](uint32_t a, uint32_t b) { return CompareEntries(pEntries[a], pEntries[b]) < 0; });
    for (size_t i = 1; i < nEntries; ++i) {
        if (CompareEntries(pEntries[pByName[i - 1]], pEntries[pByName[i]]) == 0) return Fail(ZipError::kDuplicateName);
    }
    return true;
}

bool ZipArchive::DataOf(const ZipEntry& entry, const unsigned char** ppData) const {
    // The local header repeats the name and may carry an extra field of another length; the data
    // follow it and must end before the directory.
    if (!Inside(entry.offLocalHeader, kLocalHeaderSize, offDirectory)) return false;
    const unsigned char* pLocal = pData + entry.offLocalHeader;
    if (ReadField32(pLocal) != kLocalHeaderSignature) return false;
    if (ReadField16(pLocal + 6) & (kFlagEncrypted | kFlagStrongEncryption)) return false;
    uint64_t offData = entry.offLocalHeader + kLocalHeaderSize + ReadField16(pLocal + 26) + ReadField16(pLocal + 28);
    if (!Inside(offData, entry.cbCompressed, offDirectory)) return false;
    *ppData = pData + offData;
    return true;
}

bool ZipArchive::GetEntry(size_t nIndex, ZipEntry* pEntry) const {
    if (nIndex >= nEntries) return false;
    *pEntry = pEntries[nIndex];
    return true;
}

bool ZipArchive::FindIndex(const char* pName, size_t cbName, size_t* pnIndex) const {
    // The first name in order that is not before this one, by halves.
    size_t nFirst = 0;
    for (size_t nEnd = nEntries; nFirst < nEnd;) {
        size_t nMiddle = nFirst + (nEnd - nFirst) / 2;
        const ZipEntry& entry = pEntries[pByName[nMiddle]];
        if (CompareNames(entry.pName, entry.cbName, pName, cbName) < 0) nFirst = nMiddle + 1;
        else nEnd = nMiddle;
    }
    if (nFirst == nEntries) return false;
    const ZipEntry& entry = pEntries[pByName[nFirst]];
    if (CompareNames(entry.pName, entry.cbName, pName, cbName) != 0) return false;
    *pnIndex = pByName[nFirst];
    return true;
}

bool ZipArchive::Find(const char* pName, size_t cbName, ZipEntry* pEntry) const {
    size_t nIndex;
    if (!FindIndex(pName, cbName, &nIndex)) return false;
    *pEntry = pEntries[nIndex];
    return true;
}

bool ZipArchive::MayInflate(uint64_t cbMore) {
    uint64_t cbBudget = kZipMaxRatio * static_cast<uint64_t>(cbData);
    if (cbBudget > kZipMaxInflatedBytes) cbBudget = kZipMaxInflatedBytes;
    if (cbMore > cbBudget || cbInflated > cbBudget - cbMore) return Fail(ZipError::kTooLarge);
    return true;
}

bool ZipArchive::Extract(const ZipEntry& entry, unsigned char* pOut, size_t cbOut, ProgressMeter* pMeter) {
    if (cbOut != entry.cbUncompressed) return Fail(ZipError::kDamaged);
    if (!MayInflate(entry.cbUncompressed)) return false;
    const unsigned char* pIn;
    if (!DataOf(entry, &pIn)) return Fail(ZipError::kDamaged);
    cbInflated += entry.cbUncompressed;
    bool bStored = entry.nMethod == kMethodStored;
    if (bStored && entry.cbCompressed != cbOut) return Fail(ZipError::kDamaged);
    if (!bStored) {
        InflateResult result = InflateRaw(pIn, entry.cbCompressed, pOut, cbOut, pMeter);
        if (result == InflateResult::kOutOfMemory) return Fail(ZipError::kOutOfMemory);
        if (result == InflateResult::kStopped) return Fail(ZipError::kStopped);
        if (result != InflateResult::kWhole) return Fail(ZipError::kBadData);
    }
    // A stored entry is copied, and every entry checked, in pieces, with the meter told between
    // them: a large entry takes a while under emulation too.
    uint32_t nCrc = 0;
    for (size_t off = 0; off < cbOut;) {
        size_t cbPiece = cbOut - off < kProgressStepBytes ? cbOut - off : static_cast<size_t>(kProgressStepBytes);
        if (bStored) memcpy(pOut + off, pIn + off, cbPiece);
        nCrc = ZipCrc32(nCrc, pOut + off, cbPiece);
        off += cbPiece;
        if (pMeter != nullptr && !pMeter->Done(cbPiece)) return Fail(ZipError::kStopped);
    }
    if (nCrc != entry.nCrc32) return Fail(ZipError::kBadChecksum);
    return true;
}
