// The setup file: the program's own image with the payload files appended behind it in table order,
// then a trailer of one 4-byte size per table row, the checksum and the exe file type, all unsigned
// 32-bit little-endian. The payload is found from the start of the file, the trailer from its own
// end: the end of the file, or, once the file is code-signed, where the signature's padding starts
// (pe_signature.h). Plain code with no platform calls, so that the packer and the tests share it
// with the installer.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "support/byte_fields.h"
#include "setup/pe_signature.h"

enum { kMaxInstallFiles = 128 };

// The names of the installed files, in the install folder.
inline constexpr char kProgramFileName[] = "tallyq.exe";
inline constexpr char kUninstallerFileName[] = "uninst.exe";
inline constexpr char kHelpFileName[] = "tallyq.hlp";
inline constexpr char kHelpPageFileName[] = "tallyq.htm";
inline constexpr char kBannerPageFileName[] = "banner.htm";
inline constexpr char kBannerPictureFileName[] = "banner.gif";

// One payload file: an optional sub-folder of the install folder and the name it is written under.
struct InstallFileRow {
    const char* szSubFolder;
    const char* szFileName;  // null ends the table
};

// The program's own table: "tallyq.exe" (the running image itself), the help file and the banner.
extern const InstallFileRow kInstallFiles[];

// The rows in use: up to the first row without a file name, at most kMaxInstallFiles.
unsigned CountInstallFiles(const InstallFileRow* pRows);

// Where the trailer's fields lie from its start, for nFiles rows: row nRow's size, the checksum, and
// the exe file type, which ends the trailer and the file.
constexpr uint64_t SizeFieldOffset(unsigned nRow) { return 4ull * nRow; }
constexpr uint64_t ChecksumFieldOffset(unsigned nFiles) { return 4ull * nFiles; }
constexpr uint64_t TypeFieldOffset(unsigned nFiles) { return ChecksumFieldOffset(nFiles) + 4; }
// The trailer's length for nFiles rows: the sizes, the checksum and the exe file type.
constexpr uint64_t TrailerLength(unsigned nFiles) { return TypeFieldOffset(nFiles) + 4; }

// The checksum: every payload byte as 0..255 added to a 32-bit total that wraps.
uint32_t AddToChecksum(uint32_t nSum, const unsigned char* pBytes, size_t nCount);

// What an installer extracts: for each row with a size, where its bytes lie in the setup file.
struct ExtractionStep {
    unsigned nRow;
    uint32_t nOffset;
    uint32_t nSize;
};

// Bytes of the payload, by file offset.
struct PayloadRange {
    uint32_t nOffset;
    uint32_t nLength;
};

struct ExtractionPlan {
    ExtractionStep steps[kMaxInstallFiles];
    unsigned nSteps;
    uint32_t nPayloadSize;  // bytes from offset 0 that the checksum covers
    uint32_t nChecksum;     // as stored in the trailer
    // The PE checksum and the security directory entry of payload file 1, which signing writes in
    // the setup file's header: the checksum takes them as zero and the installer writes them so.
    // None when file 1 has no PE header or the fields do not lie within it.
    PayloadRange zeroed[2];
    unsigned nZeroed;
};

// Reads the trailer (the last TrailerLength(nFiles) bytes of a setup file whose own bytes end at
// nFileSize) into a plan. The sizes are untrusted: a row of size 0, or negative as a signed number,
// has no bytes and no step; the rest must fill the file exactly up to the trailer, added without
// wrapping. Returns false for a file too short for its trailer or sizes that do not fit; the plan
// is then empty. No bytes are zeroed.
bool PlanExtraction(const unsigned char* pTrailer, unsigned nFiles, uint64_t nFileSize, ExtractionPlan* pPlan);

// Notes in the plan the signature fields of the setup file's PE header (fields.bFound false: none)
// as bytes to take as zero, where they lie within payload file 1 (row 0, at offset 0).
void PlanZeroedFields(const PeSignatureFields& fields, ExtractionPlan* pPlan);

// The checksum of nCount payload bytes that start at file offset nOffset, with the plan's zeroed
// bytes taken as zero.
uint32_t AddPayloadToChecksum(uint32_t nSum, const ExtractionPlan& plan, uint64_t nOffset, const unsigned char* pBytes,
                              size_t nCount);
// Sets the plan's zeroed bytes among nCount bytes that start at file offset nOffset to zero.
void ZeroPlannedFields(const ExtractionPlan& plan, uint64_t nOffset, unsigned char* pBytes, size_t nCount);

// The installer's check of a setup file before it writes anything: the trailer's sizes must fit the
// file, and the payload they describe must add up to the stored checksum. The file is read in
// pieces: the trailer at TrailerOffset, then the payload from offset 0 on, in pieces of any size.
class SetupFileCheck {
public:
    // nOwnEnd: where the setup file's own bytes end (its size, or less when it is signed); header:
    // the signature fields of its PE header, taken as zero (bFound false: none).
    SetupFileCheck(unsigned nFiles, uint64_t nOwnEnd, const PeSignatureFields& header);
    // Where the trailer starts; false when the file is too short to hold one.
    bool TrailerOffset(uint64_t* pnOffset) const;
    // Takes the trailer's TrailerLength(nFiles) bytes; false when its sizes do not fit the file.
    bool TakeTrailer(const unsigned char* pTrailer);
    // Payload bytes not yet summed: none before the trailer was taken or after it was refused.
    uint32_t PayloadLeft() const { return plan.nPayloadSize - nSummed; }
    // Sums the next bytes of the payload; bytes beyond PayloadLeft() are not part of it.
    void TakePayload(const unsigned char* pBytes, size_t nCount);
    // The trailer was taken and the whole payload summed to its checksum.
    bool Intact() const { return bPlanned && PayloadLeft() == 0 && nSum == plan.nChecksum; }
    // Where each file's bytes lie, once the trailer was taken.
    const ExtractionPlan& Plan() const { return plan; }

private:
    unsigned nFiles;
    uint64_t nFileSize;
    PeSignatureFields header;
    bool bPlanned;
    uint32_t nSummed;
    uint32_t nSum;
    ExtractionPlan plan;
};

// The same check on a whole file image in memory, signed or not; *pPlan (may be null) receives its
// plan.
bool SetupImageIntact(const unsigned char* pImage, uint64_t nSize, unsigned nFiles, ExtractionPlan* pPlan);

// Writes the trailer for nFiles sizes and a checksum, with the setup file's exe file type at its
// end, into pTrailer (TrailerLength(nFiles) bytes).
void WriteTrailer(unsigned char* pTrailer, const uint32_t* pSizes, unsigned nFiles, uint32_t nChecksum);
