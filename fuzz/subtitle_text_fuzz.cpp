// Any bytes as a subtitle file, with the kind and fallback code page the first byte picks: the
// reader ends, reads nothing outside the file, and what reaches the sink is well-formed UTF-8
// without U+0000.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "documents/subtitle_text.h"
#include "fuzz/checking_sink.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pBytes, size_t nSize) {
    const int kFallbacks[] = {0, 65001, 1251, 1252, 874, 12345};
    uint8_t nChoice = Take<uint8_t>(pBytes, nSize);
    // A copy of exactly nSize bytes, so that any read beyond them shows.
    unsigned char* pData = static_cast<unsigned char*>(malloc(nSize > 0 ? nSize : 1));
    memcpy(pData, pBytes, nSize);
    CheckingSink sink;
    DocumentText text(&sink);
    SubtitleKind kind = nChoice & 0x80 ? SubtitleKind::kVtt : SubtitleKind::kSrt;
    int nFallback = kFallbacks[(nChoice & 0x7F) % (sizeof(kFallbacks) / sizeof(kFallbacks[0]))];
    bool bRead = ReadSubtitleText(pData, nSize, kind, nFallback, &text);
    Check(bRead == (text.Refusal() == nullptr));
    Check(bRead);  // a subtitle file is never refused below the text limit
    free(pData);
    return 0;
}
