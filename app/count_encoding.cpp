#include "app/count_encoding.h"

#include <string.h>

#include "documents/code_pages.h"
#include "pricing/money.h"

namespace {

struct EncodingName {
    const char* szName;
    TextFileEncoding encoding;
};
const EncodingName kEncodingNames[] = {{"utf-8", kTextUtf8},
                                       {"utf-16le", kTextUtf16LE},
                                       {"utf-16be", kTextUtf16BE},
                                       {"windows-1252", kTextWindows1252},
                                       {"ansi", kTextAnsi}};

}  // namespace

bool EncodingOfName(const char* szName, TextFileEncoding* pEncoding, int* pnCodePage) {
    *pnCodePage = 0;
    for (const EncodingName& known : kEncodingNames) {
        size_t i = 0;
        for (; known.szName[i] != '\0'; ++i) {
            char c = szName[i] >= 'A' && szName[i] <= 'Z' ? static_cast<char>(szName[i] - 'A' + 'a') : szName[i];
            if (c != known.szName[i]) break;
        }
        if (known.szName[i] == '\0' && szName[i] == '\0') {
            *pEncoding = known.encoding;
            return true;
        }
    }
    int nCodePage = 0;
    if (!TextToDialogInt(szName, &nCodePage)) nCodePage = CodePageOfCharsetLabel(szName, strlen(szName));
    if (nCodePage <= 0) return false;
    if (nCodePage == kCodePageUtf8 || nCodePage == 1252) {
        *pEncoding = nCodePage == 1252 ? kTextWindows1252 : kTextUtf8;
        return true;
    }
    *pEncoding = kTextDetected;
    *pnCodePage = nCodePage;
    return true;
}
