// Any file image as a setup file: the trailer's sizes are untrusted, and whatever they say, the
// plan must stay inside the file and describe it exactly, or be refused.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "fuzz/fuzz_input.h"
#include "setup/setup_layout.h"


extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    // The program's own table, and, led by the first byte, any table length up to the limit.
    unsigned nTableFiles[2] = {CountInstallFiles(kInstallFiles), nSize > 0 ? 1u + pData[0] % kMaxInstallFiles : 1u};
    for (unsigned nFiles : nTableFiles) {
        uint64_t nTrailer = TrailerLength(nFiles);
        ExtractionPlan plan;
        // The trailer is read from the end of the file only when the file is long enough for it,
        // as the installer does; a copy exactly that long shows any read beyond it.
        unsigned char* pTrailer = nullptr;
        if (nSize >= nTrailer) {
            pTrailer = static_cast<unsigned char*>(malloc(nTrailer));
            memcpy(pTrailer, pData + nSize - nTrailer, nTrailer);
        }
        bool bPlanned = PlanExtraction(pTrailer, nFiles, nSize, &plan);
        free(pTrailer);
        if (!bPlanned) {
            Check(plan.nSteps == 0);
            continue;
        }
        Check(nSize >= nTrailer && plan.nPayloadSize + nTrailer == nSize);
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
        // The files' bytes, summed step by step as the extraction reads them, cover the payload.
        uint32_t nSum = 0;
        for (unsigned i = 0; i < plan.nSteps; ++i)
            nSum = AddToChecksum(nSum, pData + plan.steps[i].nOffset, plan.steps[i].nSize);
        Check(nSum == AddToChecksum(0, pData, plan.nPayloadSize));
    }
    return 0;
}
