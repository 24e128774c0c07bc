// Any file image as a setup file: its PE header and the trailer's sizes are untrusted. Whatever the
// header says, the setup file's own end lies within the file and the fields it names within the
// header; whatever the sizes say, the plan must stay inside the file up to that end and describe it
// exactly, or be refused.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "fuzz/fuzz_input.h"
#include "setup/pe_signature.h"
#include "setup/setup_layout.h"

namespace {

// A copy of nCount bytes exactly, so that any read beyond them shows.
unsigned char* CopyOf(const uint8_t* pBytes, size_t nCount) {
    unsigned char* pCopy = static_cast<unsigned char*>(malloc(nCount > 0 ? nCount : 1));
    memcpy(pCopy, pBytes, nCount);
    return pCopy;
}

// The setup file's own end as the installer finds it: its first bytes, then, when a certificate
// table ends it, the bytes before the table, each read into a buffer of its own.
uint64_t OwnEnd(const uint8_t* pData, size_t nSize, PeSignatureFields* pHeader) {
    size_t nHeader = nSize < kPeHeaderSearchLength ? nSize : kPeHeaderSearchLength;
    unsigned char* pFirst = CopyOf(pData, nHeader);
    bool bFound = ReadPeSignatureFields(pFirst, nHeader, pHeader);
    free(pFirst);
    Check(bFound == pHeader->bFound);
    if (!bFound) {
        Check(pHeader->nTableOffset == 0 && pHeader->nTableSize == 0);
        return nSize;
    }
    Check(pHeader->nChecksumOffset + kPeChecksumLength <= pHeader->nSecurityOffset);
    Check(pHeader->nSecurityOffset + kPeSecurityEntryLength <= nHeader);
    Check(pHeader->nSecurityOffset + kPeSecurityEntryLength <= pHeader->nHeaderEnd);
    if (!CertificateTableEndsFile(*pHeader, nSize)) return nSize;
    Check(pHeader->nTableOffset >= pHeader->nHeaderEnd && pHeader->nTableOffset < nSize);
    size_t nPadding = PaddingBytesToRead(*pHeader);
    Check(nPadding <= kMaxSignaturePadding && nPadding <= pHeader->nTableOffset);
    unsigned char* pBefore = CopyOf(pData + pHeader->nTableOffset - nPadding, nPadding);
    uint64_t nEnd = EndBeforeCertificateTable(*pHeader, pBefore);
    free(pBefore);
    Check(nEnd <= pHeader->nTableOffset && nEnd + kMaxSignaturePadding >= pHeader->nTableOffset);
    Check(nEnd == pHeader->nTableOffset || pData[nEnd - 1] != 0 || pHeader->nTableOffset - nEnd == kMaxSignaturePadding);
    return nEnd;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    PeSignatureFields header;
    const uint64_t nOwnEnd = OwnEnd(pData, nSize, &header);
    PeSignatureFields imageHeader;
    Check(ImageOwnEnd(pData, nSize, &imageHeader) == nOwnEnd);
    Check(imageHeader.bFound == header.bFound && imageHeader.nChecksumOffset == header.nChecksumOffset &&
          imageHeader.nSecurityOffset == header.nSecurityOffset && imageHeader.nTableOffset == header.nTableOffset &&
          imageHeader.nTableSize == header.nTableSize);
    // The program's own table, and, led by the first byte, any table length up to the limit.
    unsigned nTableFiles[2] = {CountInstallFiles(kInstallFiles), nSize > 0 ? 1u + pData[0] % kMaxInstallFiles : 1u};
    for (unsigned nFiles : nTableFiles) {
        uint64_t nTrailer = TrailerLength(nFiles);
        ExtractionPlan plan;
        // The trailer is read from the own end only when the file is long enough for it, as the
        // installer does.
        unsigned char* pTrailer = nOwnEnd >= nTrailer ? CopyOf(pData + nOwnEnd - nTrailer, nTrailer) : nullptr;
        bool bPlanned = PlanExtraction(pTrailer, nFiles, nOwnEnd, &plan);
        free(pTrailer);
        if (!bPlanned) {
            Check(plan.nSteps == 0);
            continue;
        }
        Check(nOwnEnd >= nTrailer && plan.nPayloadSize + nTrailer == nOwnEnd);
        // The fields taken as zero lie in payload file 1.
        PlanZeroedFields(header, &plan);
        Check(plan.nZeroed <= 2 && (plan.nZeroed == 0 || header.bFound));
        for (unsigned i = 0; i < plan.nZeroed; ++i)
            Check(plan.steps[0].nRow == 0 && plan.zeroed[i].nOffset + plan.zeroed[i].nLength <= plan.steps[0].nSize);
        uint64_t nOffset = 0;
        unsigned nLastRow = 0;
        for (unsigned i = 0; i < plan.nSteps; ++i) {
            const ExtractionStep& step = plan.steps[i];
            Check(step.nOffset == nOffset && step.nSize > 0 && step.nSize < 0x80000000u);
            Check(step.nRow < nFiles && (i == 0 || step.nRow > nLastRow));
            nLastRow = step.nRow;
            nOffset += step.nSize;
        }
        Check(nOffset == plan.nPayloadSize);
        // The files' bytes, zeroed and summed step by step as the extraction reads them, cover the
        // payload as the check sums it.
        uint32_t nSum = 0;
        for (unsigned i = 0; i < plan.nSteps; ++i) {
            unsigned char* pFile = CopyOf(pData + plan.steps[i].nOffset, plan.steps[i].nSize);
            ZeroPlannedFields(plan, plan.steps[i].nOffset, pFile, plan.steps[i].nSize);
            nSum = AddToChecksum(nSum, pFile, plan.steps[i].nSize);
            free(pFile);
        }
        Check(nSum == AddPayloadToChecksum(0, plan, 0, pData, plan.nPayloadSize));
    }
    SetupImageIntact(pData, nSize, CountInstallFiles(kInstallFiles), nullptr);
    return 0;
}
