// Any bytes as a PO catalog, a .properties file or a .strings file (the first byte picks), read on
// both sides: each reader ends, reads nothing outside the file, says why it refused whenever it
// refuses, and makes well-formed UTF-8 without U+0000. The one-language formats read the same on
// both sides; no side but the target notes untranslated units.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "documents/apple_strings_text.h"
#include "documents/po_text.h"
#include "documents/properties_text.h"
#include "fuzz/checking_sink.h"

namespace {

struct Outcome {
    bool bRead;
    uint64_t cbText;
    uint64_t nUntranslated;
};

Outcome ReadSide(const unsigned char* pData, size_t nSize, uint8_t nKind, TranslationSide side) {
    CheckingSink sink;
    DocumentText text(&sink);
    text.ChooseTranslation(TranslationChoice{side, nullptr});
    bool bRead = nKind == 0 ? ReadPoText(pData, nSize, &text)
                 : nKind == 1 ? ReadPropertiesText(pData, nSize, &text)
                              : ReadAppleStringsText(pData, nSize, &text);
    Check(bRead == (text.Refusal() == nullptr));
    Check(sink.cbTotal == text.BytesMade());
    // Every unit's paragraph ends with CR LF.
    Check(!bRead || sink.cbTotal == 0 || (sink.last[0] == '\r' && sink.last[1] == '\n'));
    return Outcome{bRead, sink.cbTotal, text.Untranslated()};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pBytes, size_t nSize) {
    uint8_t nKind = Take<uint8_t>(pBytes, nSize) % 3;
    // A copy of exactly nSize bytes, so that any read beyond them shows.
    unsigned char* pData = static_cast<unsigned char*>(malloc(nSize > 0 ? nSize : 1));
    memcpy(pData, pBytes, nSize);
    Outcome source = ReadSide(pData, nSize, nKind, TranslationSide::kSource);
    Outcome target = ReadSide(pData, nSize, nKind, TranslationSide::kTarget);
    Check(source.nUntranslated == 0);
    // A syntax error refuses the file whichever side is read.
    Check(source.bRead == target.bRead);
    if (nKind != 0) Check(source.cbText == target.cbText && target.nUntranslated == 0);
    free(pData);
    return 0;
}
