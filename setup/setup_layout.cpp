#include "setup/setup_layout.h"

#include <string.h>

#include "setup/exe_type.h"

const InstallFileRow kInstallFiles[] = {
    {nullptr, kProgramFileName},
    {nullptr, kHelpFileName},
    {nullptr, kBannerPageFileName},
    {nullptr, kBannerPictureFileName},
    {nullptr, kHelpPageFileName},
    {nullptr, nullptr},
};

unsigned CountInstallFiles(const InstallFileRow* pRows) {
    unsigned n = 0;
    while (n < kMaxInstallFiles && pRows[n].szFileName != nullptr) ++n;
    return n;
}

uint32_t AddToChecksum(uint32_t nSum, const unsigned char* pBytes, size_t nCount) {
    for (size_t i = 0; i < nCount; ++i) nSum += pBytes[i];
    return nSum;
}

namespace {

// Where a range meets nCount bytes from file offset nOffset: the first of those bytes in it and how
// many; false when they do not meet.
bool Meet(const PayloadRange& range, uint64_t nOffset, size_t nCount, size_t* pnFirst, size_t* pnLength) {
    uint64_t nFrom = range.nOffset > nOffset ? range.nOffset : nOffset;
    uint64_t nRangeEnd = static_cast<uint64_t>(range.nOffset) + range.nLength;
    uint64_t nTo = nRangeEnd < nOffset + nCount ? nRangeEnd : nOffset + nCount;
    if (nFrom >= nTo) return false;
    *pnFirst = static_cast<size_t>(nFrom - nOffset);
    *pnLength = static_cast<size_t>(nTo - nFrom);
    return true;
}

}  // namespace

void PlanZeroedFields(const PeSignatureFields& fields, ExtractionPlan* pPlan) {
    pPlan->nZeroed = 0;
    if (!fields.bFound || pPlan->nSteps == 0 || pPlan->steps[0].nRow != 0) return;
    const PayloadRange candidates[2] = {{fields.nChecksumOffset, kPeChecksumLength},
                                        {fields.nSecurityOffset, kPeSecurityEntryLength}};
    for (const PayloadRange& range : candidates) {
        if (static_cast<uint64_t>(range.nOffset) + range.nLength <= pPlan->steps[0].nSize)
            pPlan->zeroed[pPlan->nZeroed++] = range;
    }
}

uint32_t AddPayloadToChecksum(uint32_t nSum, const ExtractionPlan& plan, uint64_t nOffset, const unsigned char* pBytes,
                              size_t nCount) {
    nSum = AddToChecksum(nSum, pBytes, nCount);
    size_t nFirst, nLength;
    for (unsigned i = 0; i < plan.nZeroed; ++i) {
        if (Meet(plan.zeroed[i], nOffset, nCount, &nFirst, &nLength)) nSum -= AddToChecksum(0, pBytes + nFirst, nLength);
    }
    return nSum;
}

void ZeroPlannedFields(const ExtractionPlan& plan, uint64_t nOffset, unsigned char* pBytes, size_t nCount) {
    size_t nFirst, nLength;
    for (unsigned i = 0; i < plan.nZeroed; ++i) {
        if (Meet(plan.zeroed[i], nOffset, nCount, &nFirst, &nLength)) memset(pBytes + nFirst, 0, nLength);
    }
}

bool PlanExtraction(const unsigned char* pTrailer, unsigned nFiles, uint64_t nFileSize, ExtractionPlan* pPlan) {
    pPlan->nSteps = 0;
    pPlan->nPayloadSize = 0;
    pPlan->nChecksum = 0;
    pPlan->nZeroed = 0;
    if (nFiles > kMaxInstallFiles || nFileSize < TrailerLength(nFiles)) return false;

    // 64-bit offsets: sizes whose sum wraps 32 bits must not pass for a short payload.
    uint64_t nOffset = 0;
    unsigned nSteps = 0;
    for (unsigned nRow = 0; nRow < nFiles; ++nRow) {
        uint32_t nSize = ReadField32(pTrailer + SizeFieldOffset(nRow));
        if (nSize == 0 || nSize >= 0x80000000u) continue;
        pPlan->steps[nSteps].nRow = nRow;
        pPlan->steps[nSteps].nOffset = static_cast<uint32_t>(nOffset);
        pPlan->steps[nSteps].nSize = nSize;
        ++nSteps;
        nOffset += nSize;
        if (nOffset > nFileSize) return false;
    }
    if (nOffset > 0xFFFFFFFFu || nOffset + TrailerLength(nFiles) != nFileSize) return false;

    pPlan->nSteps = nSteps;
    pPlan->nPayloadSize = static_cast<uint32_t>(nOffset);
    pPlan->nChecksum = ReadField32(pTrailer + ChecksumFieldOffset(nFiles));
    return true;
}

SetupFileCheck::SetupFileCheck(unsigned nFiles, uint64_t nOwnEnd, const PeSignatureFields& header)
    : nFiles(nFiles), nFileSize(nOwnEnd), header(header), bPlanned(false), nSummed(0), nSum(0), plan() {}

bool SetupFileCheck::TrailerOffset(uint64_t* pnOffset) const {
    if (nFileSize < TrailerLength(nFiles)) return false;
    *pnOffset = nFileSize - TrailerLength(nFiles);
    return true;
}

bool SetupFileCheck::TakeTrailer(const unsigned char* pTrailer) {
    nSummed = 0;
    nSum = 0;
    bPlanned = PlanExtraction(pTrailer, nFiles, nFileSize, &plan);
    PlanZeroedFields(header, &plan);
    return bPlanned;
}

void SetupFileCheck::TakePayload(const unsigned char* pBytes, size_t nCount) {
    if (nCount > PayloadLeft()) nCount = PayloadLeft();
    nSum = AddPayloadToChecksum(nSum, plan, nSummed, pBytes, nCount);
    nSummed += static_cast<uint32_t>(nCount);
}

bool SetupImageIntact(const unsigned char* pImage, uint64_t nSize, unsigned nFiles, ExtractionPlan* pPlan) {
    PeSignatureFields header;
    SetupFileCheck check(nFiles, ImageOwnEnd(pImage, nSize, &header), header);
    uint64_t nTrailer = 0;
    if (check.TrailerOffset(&nTrailer) && check.TakeTrailer(pImage + nTrailer))
        check.TakePayload(pImage, check.PayloadLeft());
    if (pPlan != nullptr) *pPlan = check.Plan();
    return check.Intact();
}

void WriteTrailer(unsigned char* pTrailer, const uint32_t* pSizes, unsigned nFiles, uint32_t nChecksum) {
    for (unsigned i = 0; i < nFiles; ++i) WriteField32(pTrailer + SizeFieldOffset(i), pSizes[i]);
    WriteField32(pTrailer + ChecksumFieldOffset(nFiles), nChecksum);
    WriteField32(pTrailer + TypeFieldOffset(nFiles), kExeTypeSetup);
}
