// Any bytes as RTF: what reaches the sink is well-formed UTF-8 without U+0000, a file read to its
// end gives text that is empty or ends with CR LF, and a refused file says why and nothing more
// reaches the sink after the refusal.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "documents/rtf_text.h"
#include "fuzz/checking_sink.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pBytes, size_t nSize) {
    // A copy of exactly nSize bytes, so that any read beyond them shows.
    unsigned char* pData = static_cast<unsigned char*>(malloc(nSize > 0 ? nSize : 1));
    memcpy(pData, pBytes, nSize);
    CheckingSink sink;
    DocumentText text(&sink);
    bool bRead = ReadRtfText(pData, nSize, &text);
    Check(bRead == (text.Refusal() == nullptr));
    Check(text.BytesMade() == sink.cbTotal && sink.cbTotal <= kMaxDocumentTextBytes);
    if (nSize < 5 || memcmp(pData, "{\\rtf", 5) != 0) Check(!bRead && sink.cbTotal == 0);
    if (bRead) Check(sink.cbTotal == 0 || (sink.last[0] == '\r' && sink.last[1] == '\n'));
    free(pData);
    return 0;
}
