// The setup file: the program's own image with the payload files appended behind it in table order,
// then a trailer of one 4-byte size per table row, the checksum and the exe file type, all unsigned
// 32-bit little-endian. The payload is found from the start of the file, the trailer from its end.
// Plain code with no platform calls, so that the packer and the tests share it with the installer.
#pragma once
#include <stddef.h>
#include <stdint.h>

enum { kMaxInstallFiles = 128 };

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

struct ExtractionPlan {
    ExtractionStep steps[kMaxInstallFiles];
    unsigned nSteps;
    uint32_t nPayloadSize;  // bytes from offset 0 that the checksum covers
    uint32_t nChecksum;     // as stored in the trailer
};

// Reads the trailer (the last TrailerLength(nFiles) bytes of a file of nFileSize bytes) into a
// plan. The sizes are untrusted: a row of size 0, or negative as a signed number, has no bytes and
// no step; the rest must fill the file exactly up to the trailer, added without wrapping. Answers
// false for a file too short for its trailer or sizes that do not fit; the plan is then empty.
bool PlanExtraction(const unsigned char* pTrailer, unsigned nFiles, uint64_t nFileSize, ExtractionPlan* pPlan);

// The installer's check of a setup file before it writes anything: the trailer's sizes must fit the
// file, and the payload they describe must add up to the stored checksum. The file is read in
// pieces: the trailer at TrailerOffset, then the payload from offset 0 on, in pieces of any size.
class SetupFileCheck {
public:
    SetupFileCheck(unsigned nFiles, uint64_t nFileSize);
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
    bool bPlanned;
    uint32_t nSummed;
    uint32_t nSum;
    ExtractionPlan plan;
};

// The same check on a whole file image in memory; *pPlan (may be null) receives its plan.
bool SetupImageIntact(const unsigned char* pImage, uint64_t nSize, unsigned nFiles, ExtractionPlan* pPlan);

// Writes the trailer for nFiles sizes and a checksum, with the setup file's exe file type at its
// end, into pTrailer (TrailerLength(nFiles) bytes).
void WriteTrailer(unsigned char* pTrailer, const uint32_t* pSizes, unsigned nFiles, uint32_t nChecksum);

// Little-endian 32-bit fields.
inline uint32_t ReadField32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}
inline void WriteField32(unsigned char* p, uint32_t nValue) {
    p[0] = static_cast<unsigned char>(nValue);
    p[1] = static_cast<unsigned char>(nValue >> 8);
    p[2] = static_cast<unsigned char>(nValue >> 16);
    p[3] = static_cast<unsigned char>(nValue >> 24);
}
