// Word's fields: a complex one runs from w:fldChar "begin" through its instruction (w:instrText)
// to "separate", then its shown result to "end", and fields nest; a simple one (w:fldSimple) holds
// its result and gives its instruction in w:instr. An instruction is never text. A shown result is,
// unless the program makes it as it lays the document out or prints it: page numbers and counts,
// dates and times (PAGE, NUMPAGES, SECTIONPAGES, DATE, TIME, CREATEDATE, SAVEDATE, PRINTDATE).
#pragma once
#include <stddef.h>

#include "documents/field_type.h"

class WordFields {
public:
    void Begin();
    void Separate();
    void End();
    // Text of a w:instrText: the instruction of the innermost field, while it is open.
    void Instruction(const char* p, size_t cb);
    // Text counts unless a field around it is in its instruction or its result is the program's.
    bool TextCounts() const;

private:
    static const unsigned kMaxOpen = 64;  // deeper fields are not followed
    struct Open {
        bool bInResult;
        bool bProgramMade;
        FieldType type;
    };
    unsigned nOpen = 0;
    Open open[kMaxOpen];
};
