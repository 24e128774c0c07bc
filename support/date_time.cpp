#include "support/date_time.h"

#include <windows.h>

#include "support/date_text.h"

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
    // The 64-bit form of the runtime's conversion: the 32-bit build's time_t ends in January 2038.
    __time64_t tTime = static_cast<__time64_t>(nTime);
    struct tm* pLocal = _localtime64(&tTime);
    if (pLocal == nullptr) return;  // before 1970 or beyond the year 3000
    FormatDateText(*pLocal, GetDateOrder(), szText);
}
