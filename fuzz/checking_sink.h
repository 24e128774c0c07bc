// What every document reader's fuzz target checks of the text it makes: each piece well-formed
// UTF-8 on its own (no reader may cut a character between two pieces) without U+0000, and the
// bytes counted as DocumentText counts them.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "documents/document_text.h"
#include "fuzz/fuzz_input.h"
#include "measure/utf8_sequence.h"

class CheckingSink : public TextSink {
public:
    void Put(const char* pUtf8, size_t cbUtf8) override {
        Check(cbUtf8 > 0);
        const unsigned char* p = reinterpret_cast<const unsigned char*>(pUtf8);
        for (size_t i = 0; i < cbUtf8;) {
            uint32_t nCodePoint;
            bool bWellFormed;
            size_t cbSequence = ReadUtf8Sequence(p + i, cbUtf8 - i, &nCodePoint, &bWellFormed);
            Check(nCodePoint != 0);
            // U+FFFD only as itself, never for an ill-formed part.
            Check(bWellFormed);
            i += cbSequence;
        }
        cbTotal += cbUtf8;
        last[0] = cbUtf8 > 1 ? pUtf8[cbUtf8 - 2] : last[1];
        last[1] = pUtf8[cbUtf8 - 1];
    }
    void BeginRepeat(uint64_t) override { ++nRepeats; }
    void EndRepeat() override {
        Check(nRepeats > 0);
        --nRepeats;
    }
    uint64_t cbTotal = 0;
    unsigned nRepeats = 0;
    char last[2] = {0, 0};  // the text's last two bytes
};
