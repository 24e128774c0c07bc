#include "app/clipboard_text.h"

#include <limits.h>
#include <stdint.h>
#include <string.h>
#include <windows.h>

#include <utility>

// The system's UTF-16 units are the measures' char16_t.
static_assert(sizeof(WCHAR) == sizeof(char16_t), "WCHAR is a UTF-16 unit");

namespace {
// Another program (a clipboard manager, the one that has just copied) may hold the clipboard for a
// while; a hot-key press must not price an empty text by bad luck.
const DWORD kOpenPatienceMs = 2000;
const DWORD kOpenRetryMs = 10;

bool OpenClipboardPatiently() {
    DWORD dwStart = GetTickCount();
    for (;;) {
        if (OpenClipboard(nullptr)) return true;
        if (GetTickCount() - dwStart >= kOpenPatienceMs) return false;
        Sleep(kOpenRetryMs);
    }
}

}  // namespace

ClipboardText::ClipboardText() : counts() {}

ClipboardText::~ClipboardText() {}

void ClipboardText::Clear() {
    units.Clear();
    bytes.Clear();
    counts = TextCounts();
}

void ClipboardText::Swap(ClipboardText* pOther) {
    units.Swap(&pOther->units);
    bytes.Swap(&pOther->bytes);
    std::swap(counts, pOther->counts);
}

ClipboardRead ClipboardText::ReadClipboard(int nCharsPerLine) {
    if (!OpenClipboardPatiently()) return ClipboardRead::kUnreadable;
    // Read into a text of its own: the text shown stays whole until the new one is.
    ClipboardText read;
    bool bRead = false;
    HANDLE hData = GetClipboardData(CF_UNICODETEXT);
    bool bUnicode = hData != nullptr;
    // Windows 9x keeps the ANSI form only.
    if (!bUnicode) hData = GetClipboardData(CF_TEXT);
    bool bHasText = hData != nullptr;
    const void* pData = hData != nullptr ? GlobalLock(hData) : nullptr;
    if (pData != nullptr) {
        size_t nBlock = GlobalSize(hData);
        bRead = bUnicode ? read.CopyUnicodeText(static_cast<const char16_t*>(pData), nBlock / sizeof(char16_t))
                         : read.CopyAnsiText(static_cast<const char*>(pData), nBlock);
        GlobalUnlock(hData);
    }
    CloseClipboard();
    if (!bHasText) {
        Clear();
        return ClipboardRead::kNoText;
    }
    // Measured from the copy, with the clipboard free again for other programs.
    if (!bRead || !read.Measure(nCharsPerLine)) return ClipboardRead::kUnreadable;
    Swap(&read);
    return ClipboardRead::kRead;
}

// The text ends at its first zero unit, or at the end of the memory block if the program that put
// it there left out the terminator.
bool ClipboardText::CopyUnicodeText(const char16_t* pData, size_t nBlockUnits) {
    size_t n = 0;
    while (n < nBlockUnits && pData[n] != u'\0') ++n;
    if (!units.Resize(n + 1)) return false;
    memcpy(units.Data(), pData, n * sizeof(char16_t));
    units[n] = u'\0';
    return true;
}

bool ClipboardText::CopyAnsiText(const char* pData, size_t nBlockBytes) {
    const void* pZero = memchr(pData, '\0', nBlockBytes);
    size_t n = pZero != nullptr ? static_cast<size_t>(static_cast<const char*>(pZero) - pData) : nBlockBytes;
    if (n > INT_MAX) return false;  // the conversion counts in int
    // Every ANSI code page makes at most one unit of a byte (a double-byte character's two bytes
    // make one); a conversion that needed more would fail rather than overrun.
    if (!units.Resize(n + 1)) return false;
    int nConverted = 0;
    if (n > 0) {
        nConverted = MultiByteToWideChar(CP_ACP, 0, pData, static_cast<int>(n), reinterpret_cast<WCHAR*>(units.Data()),
                                         static_cast<int>(n));
        if (nConverted <= 0) return false;
    }
    units.Shorten(static_cast<size_t>(nConverted) + 1);
    units[static_cast<size_t>(nConverted)] = u'\0';
    return true;
}

bool ClipboardText::Measure(int nCharsPerLine) {
    size_t nBytes = 0;
    if (!bytes.Resize(Length() + 2)) return false;
    counts = MeasureUtf16Keeping(Text(), Length(), nCharsPerLine, bytes.Data(), &nBytes);
    bytes.Shorten(nBytes);
    return true;
}

int ClipboardText::CountLines(int nCharsPerLine) const {
    return bytes.Empty() ? 0 : CountClassByteLines(bytes.Data(), bytes.Size(), nCharsPerLine);
}

RateCounts ClipboardText::Rated(const Rates& rates) const {
    int64_t nLines = RatesLayOutLines(rates) ? CountLines(RateCharsPerLine(rates)) : 0;
    return RateCountsOf(counts, nLines);
}

void ClipboardText::AddRated(const Rates& rates, RatedRow* pSums) const { AddRatedCounts(rates, Rated(rates), pSums); }

void ClipboardText::GetRow(size_t /*nIndex*/, const Rates& rates, QuoteFile* pRow) const {
    lstrcpynA(pRow->szName, "Clipboard text", sizeof(pRow->szName));
    pRow->szKind = "Text";
    pRow->counts = Rated(rates);
}
