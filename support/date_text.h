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

// A calendar time of 64 bits: the dates after 19 January 2038, where a 32-bit count of seconds
// ends, come out right.
class LDateTime {
public:
    explicit LDateTime(int64_t nTime = 0) : nTime(nTime) {}
    // The date of the time value in the user's order; the empty text for 0 or a time that cannot be
    // converted to local time. szText holds at least 9 bytes.
    void _GetTextDate(char* szText) const;

private:
    int64_t nTime;
};
