// Registry values are untrusted: any type, any bytes, any length the query may report. A value is
// a text only if it ends up terminated inside its buffer; integers and flags read any text.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "fuzz/fuzz_input.h"
#include "support/stored_forms.h"


extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    if (nSize < 2) return 0;
    unsigned long nType = pData[0] % 12;
    // The query reports at most the buffer's size; lengths beyond it are tried too.
    unsigned long nBytes = pData[1] * 2ul;
    pData += 2;
    nSize -= 2;

    char* pBuffer = static_cast<char*>(malloc(kRegistryTextSize));
    memset(pBuffer, 'x', kRegistryTextSize);
    memcpy(pBuffer, pData, nSize < size_t{kRegistryTextSize} ? nSize : size_t{kRegistryTextSize});
    if (StoredBytesToText(pBuffer, nType, nBytes)) {
        Check(nType == 1 || nType == 2);
        Check(memchr(pBuffer, '\0', kRegistryTextSize) != nullptr);
        size_t nText = strlen(pBuffer);
        Check(nText <= kRegistryTextSize - 1 && nText <= nBytes);

        int nValue = StoredTextToInt(pBuffer, -7);
        if (pBuffer[0] == '\0') Check(nValue == -7);
        bool bFlag = StoredTextToBool(pBuffer, true);
        Check(bFlag == (pBuffer[0] == '\0' || pBuffer[0] != '0'));

        // The stored form of an integer reads back as that integer.
        char szText[12];
        IntToStoredText(nValue, szText);
        Check(StoredTextToInt(szText, 0) == nValue);
    }
    free(pBuffer);
    return 0;
}
