// A field's type, as Word's and RTF's instructions begin with it (" PAGE \\* MERGEFORMAT "), read
// in pieces; and which types the program makes the result of as it lays the document out or prints
// it: page numbers and counts, dates and times (PAGE, NUMPAGES, SECTIONPAGES, DATE, TIME,
// CREATEDATE, SAVEDATE, PRINTDATE). Nobody writes or translates those.
#pragma once
#include <stddef.h>

// The field type an instruction starts with (" PAGE \* MERGEFORMAT "), given in pieces.
class FieldType {
public:
    void Add(const char* p, size_t cb);
    // Whether the program makes the field's result.
    bool ProgramMade() const;
    // Whether the type has begun, and whether it has ended (what follows is no part of it).
    bool Begun() const { return state != kBefore; }
    bool Ended() const { return state == kAfter; }

private:
    static const size_t kMaxName = 16;  // longer than any type the program makes
    enum State : unsigned char { kBefore, kIn, kAfter };
    char name[kMaxName];
    size_t cbName = 0;  // may pass kMaxName: then no type of ours
    State state = kBefore;
};
