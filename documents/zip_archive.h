// The zip container of Office and OpenDocument files, read from memory. Documents come from
// clients: every offset, size and count is checked against the file before it is used, and the
// inflated bytes are bounded, so a damaged, cut or hostile file is refused with its reason rather
// than read in part.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "documents/reading_progress.h"

enum class ZipError {
    kNone,
    kNotZip,           // no end record: not a zip at all
    kDamaged,          // a record, offset, size or count does not fit the file
    kSplit,            // a part of an archive split over several files
    kTooManyEntries,   // more than kZipMaxEntries
    kDuplicateName,    // two entries of one name (ASCII case ignored, as package part names are)
    kEncrypted,        // an entry is encrypted (a password-protected package)
    kUnknownMethod,    // compressed with neither "stored" nor "deflated"
    kBadData,          // the compressed data do not inflate to the size the directory gives
    kBadChecksum,      // an entry's CRC-32 does not match its data
    kTooLarge,         // past the inflate budget: kZipMaxInflatedBytes, or kZipMaxRatio times the file
    kOutOfMemory,
    kStopped           // the reading's progress said stop while an entry was inflated
};

const size_t kZipMaxEntries = 65535;
const uint64_t kZipMaxInflatedBytes = 1ull << 30;
const uint64_t kZipMaxRatio = 200;

// A short reason a person can act on, completing "NAME: ".
const char* ZipErrorText(ZipError error);

struct ZipEntry {
    const char* pName;  // inside the archive's bytes, not terminated
    size_t cbName;
    uint64_t cbCompressed;
    uint64_t cbUncompressed;
    uint64_t offLocalHeader;
    uint32_t nCrc32;
    uint16_t nMethod;
    uint16_t nFlags;
};

// The directory is read once, when the archive is opened, into an index: the entries by their
// place, and their names sorted, so that a name is found in logarithmic time.
class ZipArchive {
public:
    ZipArchive();
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;
    // Reads the end record and the whole central directory of the archive in pData (cbData
    // bytes, which must outlive this object); false with Error() when it is not a well-formed zip.
    bool Open(const unsigned char* pData, size_t cbData);
    ZipError Error() const { return error; }
    size_t EntryCount() const { return nEntries; }
    // Entry nIndex (in directory order); false past the last.
    bool GetEntry(size_t nIndex, ZipEntry* pEntry) const;
    // The entry of this name, ASCII case ignored; false when there is none.
    bool Find(const char* pName, size_t cbName, ZipEntry* pEntry) const;
    // The index of the entry of this name, as Find.
    bool FindIndex(const char* pName, size_t cbName, size_t* pnIndex) const;
    // Inflates the entry into pOut, which holds exactly entry.cbUncompressed bytes, and checks its
    // CRC-32. Each extract counts against the archive's inflate budget. The bytes inflated and
    // checked are counted on pMeter (may be null); when it says stop, kStopped.
    bool Extract(const ZipEntry& entry, unsigned char* pOut, size_t cbOut, ProgressMeter* pMeter = nullptr);
    // Whether the budget still allows inflating cbMore bytes; false sets kTooLarge.
    bool MayInflate(uint64_t cbMore);
    // How many central-directory records have been read since the archive was opened.
    size_t CentralHeadersRead() const { return nHeadersRead; }

private:
    bool Fail(ZipError newError);
    bool ReadEndRecord();
    bool ReadDirectory();
    // Reads the central header at offset off into pEntry and gives the next header's offset.
    bool ReadCentralHeader(uint64_t off, ZipEntry* pEntry, uint64_t* pNext);
    bool DataOf(const ZipEntry& entry, const unsigned char** ppData) const;
    void FreeIndex();

    const unsigned char* pData;
    size_t cbData;
    uint64_t offDirectory;
    uint64_t cbDirectory;
    size_t nEntries;
    ZipEntry* pEntries;  // nEntries, in directory order
    uint32_t* pByName;   // nEntries: the entries' indexes in the order of their names
    size_t nHeadersRead;
    uint64_t cbInflated;
    ZipError error;
};
