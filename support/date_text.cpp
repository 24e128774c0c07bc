#include "support/date_text.h"

#include <stdio.h>

void FormatDateText(const struct tm& localTime, int nOrder, char* szText) {
    int nDay = localTime.tm_mday, nMonth = localTime.tm_mon + 1, nYear = localTime.tm_year % 100;
    if (nYear < 0) nYear += 100;  // years before 1900 still give two digits
    int first = nMonth, second = nDay, third = nYear;
    if (nOrder == kDateDayFirst) {
        first = nDay;
        second = nMonth;
    } else if (nOrder == kDateYearFirst) {
        first = nYear;
        second = nMonth;
        third = nDay;
    }
    snprintf(szText, 9, "%.2d/%.2d/%.2d", first, second, third);
}
