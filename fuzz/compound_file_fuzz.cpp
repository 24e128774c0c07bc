// Any bytes as a Compound File: its directory is read within the file, every chain bounded, and
// the kind it gives is the same however often it is asked.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "documents/compound_file.h"
#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pBytes, size_t nSize) {
    // A copy of exactly nSize bytes, so that any read beyond them shows.
    unsigned char* pData = static_cast<unsigned char*>(malloc(nSize > 0 ? nSize : 1));
    memcpy(pData, pBytes, nSize);
    CompoundKind kind = CompoundKindOf(pData, nSize);
    Check(kind == CompoundKindOf(pData, nSize));
    free(pData);
    return 0;
}
