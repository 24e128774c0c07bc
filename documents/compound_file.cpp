#include "documents/compound_file.h"

#include <stdint.h>
#include <string.h>

namespace {

const unsigned char kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
const uint32_t kEndOfChain = 0xFFFFFFFEu;
const uint32_t kLastRegularSector = 0xFFFFFFF9u;
const size_t kHeaderBytes = 512;
const size_t kHeaderFatEntries = 109;
const size_t kEntryBytes = 128;

uint32_t Le32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}
uint16_t Le16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

class CompoundFile {
public:
    CompoundFile(const unsigned char* pData, size_t cbData) : pData(pData), cbData(cbData) {}

    bool Open() {
        if (cbData < kHeaderBytes || memcmp(pData, kSignature, sizeof(kSignature)) != 0) return false;
        unsigned nShift = Le16(pData + 0x1E);
        if (nShift != 9 && nShift != 12) return false;
        cbSector = size_t(1) << nShift;
        nSectors = cbData > cbSector ? (cbData - cbSector) / cbSector : 0;  // the header fills sector -1
        return nSectors > 0;
    }

    // The sector's bytes, or null when it lies outside the file.
    const unsigned char* Sector(uint32_t nSector) const {
        if (nSector >= nSectors) return nullptr;
        return pData + (static_cast<size_t>(nSector) + 1) * cbSector;
    }

    // The FAT entry of a sector: the next in its chain; kEndOfChain when none can be read.
    uint32_t Next(uint32_t nSector) const {
        size_t nPerSector = cbSector / 4;
        size_t nFatIndex = nSector / nPerSector;
        uint32_t nFatSector = FatSector(nFatIndex);
        const unsigned char* p = nFatSector <= kLastRegularSector ? Sector(nFatSector) : nullptr;
        return p != nullptr ? Le32(p + (nSector % nPerSector) * 4) : kEndOfChain;
    }

    // Walks the directory's chain and hands each entry's name (UTF-16LE bytes, without its
    // terminator) to pVisit; stops when pVisit returns true.
    template <typename Visit>
    void ForEachName(Visit visit) const {
        uint32_t nSector = Le32(pData + 0x30);
        for (size_t nVisited = 0; nSector <= kLastRegularSector && nVisited < nSectors; ++nVisited) {
            const unsigned char* pSector = Sector(nSector);
            if (pSector == nullptr) return;
            for (size_t off = 0; off + kEntryBytes <= cbSector; off += kEntryBytes) {
                const unsigned char* pEntry = pSector + off;
                size_t cbName = Le16(pEntry + 0x40);
                if (cbName < 2 || cbName > 64 || pEntry[0x42] == 0) continue;  // an unused entry
                if (visit(pEntry, cbName - 2)) return;
            }
            nSector = Next(nSector);
        }
    }

private:
    // The FAT's nIndex-th sector, from the header's list and then the DIFAT's chain.
    uint32_t FatSector(size_t nIndex) const {
        if (nIndex < kHeaderFatEntries) return Le32(pData + 0x4C + nIndex * 4);
        nIndex -= kHeaderFatEntries;
        size_t nPerDifat = cbSector / 4 - 1;  // the last entry links to the next DIFAT sector
        uint32_t nDifat = Le32(pData + 0x44);
        for (size_t nVisited = 0; nDifat <= kLastRegularSector && nVisited < nSectors; ++nVisited) {
            const unsigned char* p = Sector(nDifat);
            if (p == nullptr) return kEndOfChain;
            if (nIndex < nPerDifat) return Le32(p + nIndex * 4);
            nIndex -= nPerDifat;
            nDifat = Le32(p + nPerDifat * 4);
        }
        return kEndOfChain;
    }

    const unsigned char* pData;
    size_t cbData;
    size_t cbSector = 512;
    size_t nSectors = 0;
};

// Whether a UTF-16LE name is the ASCII name, letter case aside (as the format compares names).
bool NameIs(const unsigned char* pName, size_t cbName, const char* szName) {
    size_t nChars = strlen(szName);
    if (cbName != 2 * nChars) return false;
    for (size_t i = 0; i < nChars; ++i) {
        unsigned c = Le16(pName + 2 * i);
        unsigned w = static_cast<unsigned char>(szName[i]);
        if (c >= 'a' && c <= 'z') c -= 'a' - 'A';
        if (w >= 'a' && w <= 'z') w -= 'a' - 'A';
        if (c != w) return false;
    }
    return true;
}

}  // namespace

CompoundKind CompoundKindOf(const unsigned char* pData, size_t cbData) {
    CompoundFile file(pData, cbData);
    if (!file.Open()) return CompoundKind::kNotCompound;
    CompoundKind kind = CompoundKind::kOther;
    bool bSawEntry = false;
    file.ForEachName([&](const unsigned char* pName, size_t cbName) {
        bSawEntry = true;
        if (NameIs(pName, cbName, "EncryptionInfo") || NameIs(pName, cbName, "EncryptedPackage")) {
            kind = CompoundKind::kProtected;  // decides: a protected package holds nothing else to read
            return true;
        }
        if (kind != CompoundKind::kOther) return false;
        if (NameIs(pName, cbName, "WordDocument")) kind = CompoundKind::kOldWord;
        if (NameIs(pName, cbName, "Workbook") || NameIs(pName, cbName, "Book")) kind = CompoundKind::kOldExcel;
        if (NameIs(pName, cbName, "PowerPoint Document")) kind = CompoundKind::kOldPowerPoint;
        return false;
    });
    return bSawEntry ? kind : CompoundKind::kNotCompound;
}
