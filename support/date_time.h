// Dates of the platform: the user's date order from the profile, and 64-bit calendar times in local
// time.
#pragma once
#include <stdint.h>

// The process's date order: the low byte of "iDate" in section "Intl", read once.
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
