#include "documents/field_type.h"

#include <string.h>

#include "documents/ascii_classes.h"

namespace {
const char* const kProgramMade[] = {"PAGE", "NUMPAGES", "SECTIONPAGES", "DATE", "TIME", "CREATEDATE", "SAVEDATE", "PRINTDATE"};
}  // namespace

void FieldType::Add(const char* p, size_t cb) {
    for (size_t i = 0; i < cb && state != kAfter; ++i) {
        char c = p[i];
        // The type ends at white space, a switch or a quoted argument; field types ignore case.
        bool bEnds = IsXmlSpace(static_cast<unsigned char>(c)) || c == '\\' || c == '"';
        if (state == kBefore && bEnds) continue;
        if (bEnds) {
            state = kAfter;
            break;
        }
        state = kIn;
        if (cbName < kMaxName) name[cbName] = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
        ++cbName;
    }
}

bool FieldType::ProgramMade() const {
    if (cbName == 0 || cbName > kMaxName) return false;
    for (const char* szType : kProgramMade) {
        if (strlen(szType) == cbName && memcmp(szType, name, cbName) == 0) return true;
    }
    return false;
}
