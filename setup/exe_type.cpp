#include "setup/exe_type.h"

#include <string.h>

#include "support/path_text.h"

bool TitleNamesSetupFile(const char* szFileTitle) {
    char szUpper[kPathBufferSize];
    size_t i = 0;
    for (; szFileTitle[i] && i + 1 < sizeof(szUpper); ++i) {
        char c = szFileTitle[i];
        szUpper[i] = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    szUpper[i] = '\0';
    return strstr(szUpper, "SETUP") != nullptr;
}
