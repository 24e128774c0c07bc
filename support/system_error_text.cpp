#include "support/system_error_text.h"

void SystemErrorText(DWORD dwError, wchar_t* szText, size_t nUnits) {
    if (nUnits == 0) return;
    DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, dwError, 0, szText,
                             static_cast<DWORD>(nUnits), nullptr);
    if (n == 0) {
        // Written by hand: tallyq-count links no user32, which has wsprintfW.
        wchar_t szCode[40] = L"system error ";
        wchar_t szDigits[12];
        int nDigits = 0;
        do {
            szDigits[nDigits++] = static_cast<wchar_t>(L'0' + dwError % 10);
            dwError /= 10;
        } while (dwError != 0);
        int nCode = lstrlenW(szCode);
        while (nDigits > 0) szCode[nCode++] = szDigits[--nDigits];
        szCode[nCode] = L'\0';
        lstrcpynW(szText, szCode, static_cast<int>(nUnits));
        return;
    }
    while (n > 0 && (szText[n - 1] == L'\r' || szText[n - 1] == L'\n' || szText[n - 1] == L' ')) --n;
    szText[n] = L'\0';
}

void SystemErrorTextAnsi(DWORD dwError, char* szText, size_t cbText) {
    if (cbText == 0) return;
    wchar_t szWide[256];
    SystemErrorText(dwError, szWide, sizeof(szWide) / sizeof(szWide[0]));
    int cbLimit = cbText < 0x7FFFFFFF ? static_cast<int>(cbText) : 0x7FFFFFFF;
    if (WideCharToMultiByte(CP_ACP, 0, szWide, -1, szText, cbLimit, nullptr, nullptr) == 0) {
        // Too long for the buffer: the text is cut where it ends, never left unended.
        szText[cbText - 1] = '\0';
    }
}
