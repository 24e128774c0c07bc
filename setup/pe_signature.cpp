#include "setup/pe_signature.h"

#include <string.h>

#include "support/byte_fields.h"

namespace {

// Offsets within the headers, as the PE format fixes them.
const uint32_t kDosHeaderLength = 0x40;
const uint32_t kNewHeaderOffsetField = 0x3C;  // e_lfanew: where "PE\0\0" starts
const uint32_t kFileHeaderLength = 20;        // after the 4-byte signature
const uint32_t kOptionalHeaderSizeField = 16; // within the file header
const uint32_t kChecksumField = 64;           // within the optional header, PE32 and PE32+ alike
const uint16_t kMagicPe32 = 0x10B;
const uint16_t kMagicPe32Plus = 0x20B;
const uint32_t kSecurityDirectory = 4;        // the fifth data directory entry
const uint32_t kDirectoryEntryLength = 8;

}  // namespace

bool ReadPeSignatureFields(const unsigned char* pHeader, size_t nHeader, PeSignatureFields* pFields) {
    memset(pFields, 0, sizeof(*pFields));
    // 64-bit arithmetic throughout: every offset comes from the file and must not wrap.
    const uint64_t nLength = nHeader < kPeHeaderSearchLength ? nHeader : kPeHeaderSearchLength;
    if (nLength < kDosHeaderLength || pHeader[0] != 'M' || pHeader[1] != 'Z') return false;
    const uint64_t nSignature = ReadField32(pHeader + kNewHeaderOffsetField);
    const uint64_t nOptional = nSignature + 4 + kFileHeaderLength;
    if (nOptional + 2 > nLength || memcmp(pHeader + nSignature, "PE\0\0", 4) != 0) return false;
    const uint64_t nOptionalLength = ReadField16(pHeader + nSignature + 4 + kOptionalHeaderSizeField);

    // The count of data directories and where they start differ between PE32 and PE32+.
    uint64_t nCountField, nDirectories;
    switch (ReadField16(pHeader + nOptional)) {
    case kMagicPe32:
        nCountField = 92;
        nDirectories = 96;
        break;
    case kMagicPe32Plus:
        nCountField = 108;
        nDirectories = 112;
        break;
    default:
        return false;
    }
    const uint64_t nSecurity = nDirectories + kSecurityDirectory * kDirectoryEntryLength;
    // The entry must lie inside the optional header as its size field gives it, inside the count of
    // directories it declares, and inside the bytes at hand.
    if (nSecurity + kDirectoryEntryLength > nOptionalLength || nOptional + nSecurity + kDirectoryEntryLength > nLength ||
        ReadField32(pHeader + nOptional + nCountField) <= kSecurityDirectory)
        return false;

    pFields->bFound = true;
    pFields->nChecksumOffset = static_cast<uint32_t>(nOptional + kChecksumField);
    pFields->nSecurityOffset = static_cast<uint32_t>(nOptional + nSecurity);
    pFields->nHeaderEnd = static_cast<uint32_t>(nOptional + nOptionalLength);
    pFields->nTableOffset = ReadField32(pHeader + pFields->nSecurityOffset);
    pFields->nTableSize = ReadField32(pHeader + pFields->nSecurityOffset + 4);
    return true;
}

bool CertificateTableEndsFile(const PeSignatureFields& fields, uint64_t nFileSize) {
    return fields.bFound && fields.nTableSize > 0 && fields.nTableOffset >= fields.nHeaderEnd &&
           fields.nTableOffset < nFileSize &&
           static_cast<uint64_t>(fields.nTableOffset) + fields.nTableSize == nFileSize;
}

size_t PaddingBytesToRead(const PeSignatureFields& fields) {
    return fields.nTableOffset < kMaxSignaturePadding ? fields.nTableOffset : kMaxSignaturePadding;
}

uint64_t EndBeforeCertificateTable(const PeSignatureFields& fields, const unsigned char* pBefore) {
    size_t nBefore = PaddingBytesToRead(fields);
    uint64_t nEnd = fields.nTableOffset;
    while (nBefore > 0 && pBefore[nBefore - 1] == 0) {
        --nBefore;
        --nEnd;
    }
    return nEnd;
}

uint64_t ImageOwnEnd(const unsigned char* pImage, uint64_t nSize, PeSignatureFields* pFields) {
    size_t nHeader = nSize < kPeHeaderSearchLength ? static_cast<size_t>(nSize) : kPeHeaderSearchLength;
    ReadPeSignatureFields(pImage, nHeader, pFields);
    if (!CertificateTableEndsFile(*pFields, nSize)) return nSize;
    return EndBeforeCertificateTable(*pFields, pImage + pFields->nTableOffset - PaddingBytesToRead(*pFields));
}
