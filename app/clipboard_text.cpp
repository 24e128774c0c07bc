#include "app/clipboard_text.h"

#include <string.h>
#include <windows.h>

namespace {
// Another program (a clipboard manager, the one that has just copied) may hold the clipboard for a
// moment; a hot-key press must not price an empty text by bad luck.
const int kOpenAttempts = 10;
const DWORD kOpenRetryMs = 10;

bool OpenClipboardPatiently() {
    for (int i = 0; i < kOpenAttempts; ++i) {
        if (OpenClipboard(nullptr)) return true;
        Sleep(kOpenRetryMs);
    }
    return false;
}
}  // namespace

ClipboardText::~ClipboardText() {
    if (pText != nullptr) HeapFree(GetProcessHeap(), 0, pText);
}

bool ClipboardText::Reserve(size_t nBytes) {
    if (nBytes <= nCapacity) return true;
    void* pNew = pText == nullptr ? HeapAlloc(GetProcessHeap(), 0, nBytes)
                                  : HeapReAlloc(GetProcessHeap(), 0, pText, nBytes);
    if (pNew == nullptr) return false;
    pText = static_cast<char*>(pNew);
    nCapacity = nBytes;
    return true;
}

bool ClipboardText::ReadClipboard() {
    nLength = 0;
    if (pText != nullptr) pText[0] = '\0';
    if (!OpenClipboardPatiently()) return false;
    bool bRead = false;
    HANDLE hData = GetClipboardData(CF_TEXT);
    const char* pData = hData != nullptr ? static_cast<const char*>(GlobalLock(hData)) : nullptr;
    if (pData != nullptr) {
        // The text ends at its first zero byte, or at the end of the memory block if the program
        // that put it there left out the terminator.
        size_t nBlock = GlobalSize(hData);
        const void* pZero = memchr(pData, '\0', nBlock);
        size_t n = pZero != nullptr ? static_cast<size_t>(static_cast<const char*>(pZero) - pData) : nBlock;
        if (Reserve(n + 1)) {
            memcpy(pText, pData, n);
            pText[n] = '\0';
            nLength = n;
            bRead = true;
        }
        GlobalUnlock(hData);
    }
    CloseClipboard();
    return bRead;
}
