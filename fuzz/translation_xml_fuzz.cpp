// Any bytes as an XLIFF, TMX and Qt TS file, on both sides (the target side of TMX with and without
// a chosen language): each reader ends, reads nothing outside the file, says why when it refuses,
// and what reaches the sink is well-formed UTF-8 without U+0000.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "documents/qt_ts_text.h"
#include "documents/tmx_text.h"
#include "documents/xliff_text.h"
#include "fuzz/checking_sink.h"

namespace {

void ReadAs(bool (*Read)(const char*, size_t, DocumentText*), const char* pData, size_t nSize,
            const TranslationChoice& choice) {
    CheckingSink sink;
    DocumentText text(&sink);
    text.ChooseTranslation(choice);
    bool bRead = Read(pData, nSize, &text);
    Check(bRead == (text.Refusal() == nullptr));
    // A unit's text always ends its paragraph.
    Check(!bRead || sink.cbTotal == 0 || (sink.last[0] == '\r' && sink.last[1] == '\n'));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pBytes, size_t nSize) {
    // A copy of exactly nSize bytes, so that any read beyond them shows.
    char* pData = static_cast<char*>(malloc(nSize > 0 ? nSize : 1));
    memcpy(pData, pBytes, nSize);
    const TranslationChoice kChoices[] = {
        {TranslationSide::kSource, nullptr}, {TranslationSide::kTarget, nullptr}, {TranslationSide::kTarget, "FR"}};
    bool (*const kReaders[])(const char*, size_t, DocumentText*) = {ReadXliffText, ReadTmxText, ReadQtTsText};
    for (auto Read : kReaders) {
        for (const TranslationChoice& choice : kChoices) ReadAs(Read, pData, nSize, choice);
    }
    free(pData);
    return 0;
}
