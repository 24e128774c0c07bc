// Short date texts: three two-digit numbers separated by '/', in the user's date order.
#pragma once
#include <stdint.h>
#include <time.h>

// The date orders of the "iDate" profile entry; any other value counts as month first.
enum { kDateMonthFirst = 0, kDateDayFirst = 1, kDateYearFirst = 2 };

// "%.2d/%.2d/%.2d" of the broken-down time in nOrder; szText holds at least 9 bytes.
void FormatDateText(const struct tm& localTime, int nOrder, char* szText);

// The process's date order: the low byte of "iDate" in section "Intl", read once (Windows only).
signed char GetDateOrder();

class LDateTime {
public:
    explicit LDateTime(int32_t nTime = 0) : nTime(nTime) {}
    // The date of the time value in the user's order; the empty text for 0 or a time that cannot be
    // converted to local time. szText holds at least 9 bytes.
    void _GetTextDate(char* szText) const;

private:
    int32_t nTime;
};
