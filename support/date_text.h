// Short date texts: three two-digit numbers separated by '/', in the user's date order.
#pragma once
#include <time.h>

// The date orders of the "iDate" profile entry; any other value counts as month first.
enum { kDateMonthFirst = 0, kDateDayFirst = 1, kDateYearFirst = 2 };

// "%.2d/%.2d/%.2d" of the broken-down time in nOrder; szText holds at least 9 bytes.
void FormatDateText(const struct tm& localTime, int nOrder, char* szText);
