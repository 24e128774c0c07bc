// Prints the date text of the time value given as its argument, as the CSV log would write it.
// A process of its own for each case, because the date order is read once per run.
#include <stdio.h>
#include <stdlib.h>

#include "support/date_time.h"

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    char szDate[20];
    LDateTime(static_cast<int64_t>(strtoll(argv[1], nullptr, 10)))._GetTextDate(szDate);
    printf("[%s]", szDate);
    return 0;
}
