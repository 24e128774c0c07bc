// Any bytes as a web page, with the fallback code page the first byte picks: the reader ends, reads
// nothing outside the page, and what reaches the sink is well-formed UTF-8 without U+0000.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "documents/html_text.h"
#include "fuzz/checking_sink.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pBytes, size_t nSize) {
    const int kFallbacks[] = {0, 65001, 1251, 1252, 874, 12345};
    uint8_t nChoice = Take<uint8_t>(pBytes, nSize);
    // A copy of exactly nSize bytes, so that any read beyond them shows.
    unsigned char* pData = static_cast<unsigned char*>(malloc(nSize > 0 ? nSize : 1));
    memcpy(pData, pBytes, nSize);
    CheckingSink sink;
    DocumentText text(&sink);
    bool bRead = ReadHtmlText(pData, nSize, kFallbacks[nChoice % (sizeof(kFallbacks) / sizeof(kFallbacks[0]))], &text);
    Check(bRead == (text.Refusal() == nullptr));
    Check(bRead || text.BytesMade() == 0);
    free(pData);
    return 0;
}
