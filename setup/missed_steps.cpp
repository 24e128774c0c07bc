#include "setup/missed_steps.h"

#include <stdio.h>
#include <string.h>

void MissedSteps::Add(const char* szWhat, const char* szWhere) {
    ++nCount;
    const char kMore[] = "...\n";
    if (nUsed + sizeof(kMore) > sizeof(szText)) return;
    char szLine[kTextSize];
    int n = snprintf(szLine, sizeof(szLine), szWhere[0] != '\0' ? "%s: %s\n" : "%s\n", szWhat, szWhere);
    if (n <= 0) return;
    size_t nLine = static_cast<size_t>(n);
    // Room is kept for the "..." that says the list goes on.
    if (nLine >= sizeof(szLine) || nUsed + nLine + sizeof(kMore) > sizeof(szText)) {
        memcpy(szText + nUsed, kMore, sizeof(kMore));
        nUsed = sizeof(szText);
        return;
    }
    memcpy(szText + nUsed, szLine, nLine + 1);
    nUsed += nLine;
}
