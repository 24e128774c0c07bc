#include <windows.h>

#include "support/date_text.h"
#include "support/path_text.h"

namespace {
// Not yet known while negative.
signed char nDateOrder = -1;
}  // namespace

signed char GetDateOrder() {
    if (nDateOrder < 0) nDateOrder = static_cast<signed char>(GetProfileIntA("Intl", "iDate", 0) & 0xFF);
    return nDateOrder;
}

void LDateTime::_GetTextDate(char* szText) const {
    szText[0] = '\0';
    if (nTime == 0) return;
    time_t tTime = nTime;
    struct tm* pLocal = localtime(&tTime);
    if (pLocal == nullptr) {
        TraceText("LDateTime::_GetTextDate localtime returned NULL!");
        return;
    }
    FormatDateText(*pLocal, GetDateOrder(), szText);
}
