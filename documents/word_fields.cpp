#include "documents/word_fields.h"

void WordFields::Begin() {
    if (nOpen < kMaxOpen) {
        open[nOpen].bInResult = false;
        open[nOpen].bProgramMade = false;
        open[nOpen].type = FieldType();
    }
    ++nOpen;
}

void WordFields::Separate() {
    if (nOpen == 0 || nOpen > kMaxOpen) return;
    Open& field = open[nOpen - 1];
    if (!field.bInResult) field.bProgramMade = field.type.ProgramMade();
    field.bInResult = true;
}

void WordFields::End() {
    if (nOpen > 0) --nOpen;
}

void WordFields::Instruction(const char* p, size_t cb) {
    if (nOpen > 0 && nOpen <= kMaxOpen && !open[nOpen - 1].bInResult) open[nOpen - 1].type.Add(p, cb);
}

bool WordFields::TextCounts() const {
    for (unsigned i = 0; i < nOpen && i < kMaxOpen; ++i) {
        if (!open[i].bInResult || open[i].bProgramMade) return false;
    }
    return true;
}
