// Code signing and the setup file. A signing tool (Authenticode) pads the file with up to 7 zero
// bytes to a multiple of 8, appends a certificate table, and writes two fields of the file's own PE
// header: the security directory entry (file offset and size of the table) and the PE checksum.
// The setup file's own bytes therefore end where that padding starts, and those two header fields
// are not the setup file's own either. Plain code with no platform calls: the header is untrusted
// input, read from a buffer and checked against its bounds.
#pragma once
#include <stddef.h>
#include <stdint.h>

// The PE header is looked for in a file's first bytes only: the program's DOS stub and PE header
// take a few hundred bytes of its first page.
constexpr size_t kPeHeaderSearchLength = 4096;
// Signing pads the file to a multiple of 8 bytes before its certificate table.
constexpr size_t kMaxSignaturePadding = 7;
constexpr size_t kPeChecksumLength = 4;
constexpr size_t kPeSecurityEntryLength = 8;

// The fields of a PE header that signing writes, as file offsets, and the table they name.
struct PeSignatureFields {
    bool bFound;                // a PE32 or PE32+ header with a security directory entry
    uint32_t nChecksumOffset;   // the 4-byte PE checksum
    uint32_t nSecurityOffset;   // the 8-byte security directory entry: the table's offset, then its size
    uint32_t nHeaderEnd;        // where the optional header ends
    uint32_t nTableOffset;      // the certificate table as the entry names it; 0, 0 for none
    uint32_t nTableSize;
};

// Reads the PE header from a file's first nHeader bytes (at most kPeHeaderSearchLength of them are
// looked at). Returns false, with bFound false and every field 0, when they hold no PE32 or PE32+
// header with a security directory entry.
bool ReadPeSignatureFields(const unsigned char* pHeader, size_t nHeader, PeSignatureFields* pFields);

// Whether the header names a certificate table that ends a file of nFileSize bytes: it starts after
// the header, within the file, and runs exactly to its end. Only then is it taken as a signature.
bool CertificateTableEndsFile(const PeSignatureFields& fields, uint64_t nFileSize);

// How many bytes before the table EndBeforeCertificateTable wants to see.
size_t PaddingBytesToRead(const PeSignatureFields& fields);

// Where a signed file's own bytes end: the table's start less the zero bytes of padding before it,
// at most kMaxSignaturePadding. pBefore holds the PaddingBytesToRead(fields) bytes that end at the
// table. A setup file ends in its exe file type, whose last byte is never zero, so no byte of its
// own is taken for padding.
uint64_t EndBeforeCertificateTable(const PeSignatureFields& fields, const unsigned char* pBefore);

// The same for a whole file image in memory: the fields of its header (bFound false when it has
// none) and where its own bytes end (its size unless a certificate table ends it).
uint64_t ImageOwnEnd(const unsigned char* pImage, uint64_t nSize, PeSignatureFields* pFields);
