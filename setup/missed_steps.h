// The steps of an install or an uninstall that could not be done (a shortcut, the Uninstall entry, a
// registry value), one line each, for the message that names them; a silent run ends with
// kExitFileFailure when there is any.
#pragma once
#include <stddef.h>

class MissedSteps {
public:
    enum { kTextSize = 2048 };

    MissedSteps() : nUsed(0), nCount(0) { szText[0] = '\0'; }

    // "<szWhat>" or "<szWhat>: <szWhere>"; a line that no longer fits makes the list end in "...".
    void Add(const char* szWhat, const char* szWhere);
    int Count() const { return nCount; }
    // The lines, each ending in a line break.
    const char* Text() const { return szText; }

private:
    char szText[kTextSize];
    size_t nUsed;
    int nCount;
};
