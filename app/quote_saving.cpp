#include "app/quote_saving.h"

#include <commdlg.h>
#include <shellapi.h>
#include <stdio.h>
#include <time.h>
#include <wchar.h>

#include "app/settings.h"
#include "support/date_time.h"
#include "support/system_error_text.h"
#include "ui/dialog.h"

namespace {

// The first type's extension goes to a name typed without one; the system puts the chosen type's
// in its place.
const wchar_t kFilter[] = L"Web page (*.html)\0*.html\0CSV file (*.csv)\0*.csv\0";
const wchar_t kDefaultExtension[] = L"html";
const wchar_t kDialogTitle[] = L"Save Quote";
// The chosen path; a suggested name leaves room for a folder and an extension.
enum { kPathUnits = 1024, kSuggestedUnits = 200, kReasonUnits = 256 };

// The title as a file name: what no file name holds becomes "_"; a name of nothing is "Quote".
void SuggestName(const wchar_t* szTitle, wchar_t* szName) {
    size_t n = 0;
    for (const wchar_t* p = szTitle; *p != L'\0' && n + 1 < kSuggestedUnits; ++p) {
        szName[n++] = *p < L' ' || wcschr(L"\\/:*?\"<>|", *p) != nullptr ? L'_' : *p;
    }
    // Windows drops the dots and blanks a name ends with.
    while (n > 0 && (szName[n - 1] == L'.' || szName[n - 1] == L' ')) --n;
    // Not cut between the halves of a surrogate pair.
    if (n > 0 && IS_HIGH_SURROGATE(szName[n - 1])) --n;
    szName[n] = L'\0';
    if (n == 0) lstrcpynW(szName, L"Quote", kSuggestedUnits);
}

// The quote's bytes go straight to the file; the first failure's system error is kept.
class FileSink : public QuoteSink {
public:
    explicit FileSink(HANDLE hFile) : hFile(hFile), dwError(ERROR_SUCCESS) {}
    bool Write(const char* pBytes, size_t nBytes) override {
        DWORD dwWritten = 0;
        if (nBytes <= MAXDWORD && WriteFile(hFile, pBytes, static_cast<DWORD>(nBytes), &dwWritten, nullptr) &&
            dwWritten == nBytes) {
            return true;
        }
        if (dwError == ERROR_SUCCESS) dwError = GetLastError();
        // A short write without an error is a full disk.
        if (dwError == ERROR_SUCCESS) dwError = ERROR_HANDLE_DISK_FULL;
        return false;
    }
    DWORD Error() const { return dwError; }

private:
    HANDLE hFile;
    DWORD dwError;
};

// ShellExecute's small results as the system's error codes, for the system's text of them.
DWORD OpenError(INT_PTR nResult) {
    switch (nResult) {
        case 0:
        case SE_ERR_OOM: return ERROR_NOT_ENOUGH_MEMORY;
        case SE_ERR_NOASSOC:
        case SE_ERR_ASSOCINCOMPLETE: return ERROR_NO_ASSOCIATION;
        case SE_ERR_SHARE: return ERROR_SHARING_VIOLATION;
        case SE_ERR_DDETIMEOUT:
        case SE_ERR_DDEFAIL:
        case SE_ERR_DDEBUSY: return ERROR_DDE_FAIL;
        case SE_ERR_DLLNOTFOUND: return ERROR_DLL_NOT_FOUND;
        default: return static_cast<DWORD>(nResult);  // file or path not found, access denied, bad format
    }
}

void Utf8(const wchar_t* szText, char* szUtf8, int cbUtf8) {
    if (WideCharToMultiByte(CP_UTF8, 0, szText, -1, szUtf8, cbUtf8, nullptr, nullptr) == 0) szUtf8[0] = '\0';
}

// Writes the quote into a new file at szPath; false with the reason, and no file left.
bool WriteQuoteFile(const wchar_t* szPath, QuoteForm form, const QuoteRequest& request, wchar_t* szReason) {
    char szTitle[3 * kItemTextSize];
    Utf8(request.szTitle, szTitle, sizeof(szTitle));
    // The date as the job log writes it.
    char szDate[20];
    LDateTime(static_cast<int64_t>(_time64(nullptr)))._GetTextDate(szDate);
    PricedQuoteFiles files(*request.pPriced, *request.pRates);
    QuoteJob job = {szTitle, szDate, request.pRates, &files};

    HANDLE hFile = CreateFileW(szPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE) {
        SystemErrorText(GetLastError(), szReason, kReasonUnits);
        return false;
    }
    FileSink sink(hFile);
    QuoteResult result = WriteQuote(form, job, &sink);
    CloseHandle(hFile);
    if (result == QuoteResult::kWritten) return true;
    // Part of a quote would pass for a whole one.
    DeleteFileW(szPath);
    if (result == QuoteResult::kNotWritten && sink.Error() != ERROR_SUCCESS) {
        SystemErrorText(sink.Error(), szReason, kReasonUnits);
    } else if (MultiByteToWideChar(CP_UTF8, 0, QuoteResultText(result), -1, szReason, kReasonUnits) == 0) {
        szReason[0] = L'\0';
    }
    return false;
}

}  // namespace

QuoteOutcome SaveQuote(HWND hwndOwner, const QuoteRequest& request, wchar_t* szSaid) {
    wchar_t szPath[kPathUnits];
    SuggestName(request.szTitle, szPath);
    wchar_t szFolder[kQuoteFolderUnits];
    LoadQuoteFolder(szFolder);
    OPENFILENAMEW ofn;
    ZeroMemory(&ofn, sizeof(ofn));
    // The record as the first systems with the Explorer-style dialog knew it, as ChooseSaveFile's.
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400W;
    ofn.hwndOwner = hwndOwner;
    ofn.lpstrFilter = kFilter;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = szPath;
    ofn.nMaxFile = kPathUnits;
    ofn.lpstrInitialDir = szFolder[0] != L'\0' ? szFolder : nullptr;
    ofn.lpstrTitle = kDialogTitle;
    ofn.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
    ofn.lpstrDefExt = kDefaultExtension;
    if (!GetSaveFileNameW(&ofn)) return QuoteOutcome::kCancelled;

    const wchar_t* szName = szPath + ofn.nFileOffset;
    if (ofn.nFileOffset < kQuoteFolderUnits) {
        lstrcpynW(szFolder, szPath, ofn.nFileOffset + 1);
        SaveQuoteFolder(szFolder);
    }
    // The form follows the name's extension, whatever type was chosen.
    char szName8[kQuoteNameBytes];
    Utf8(szName, szName8, sizeof(szName8));
    QuoteForm form = QuoteFormOfName(szName8);
    wchar_t szReason[kReasonUnits];
    if (!WriteQuoteFile(szPath, form, request, szReason)) {
        swprintf(szSaid, kQuoteSaidUnits, L"The quote could not be saved: %ls", szReason);
        return QuoteOutcome::kNotSaved;
    }
    if (form == QuoteForm::kHtml) {
        INT_PTR nResult =
            reinterpret_cast<INT_PTR>(ShellExecuteW(hwndOwner, L"open", szPath, nullptr, nullptr, SW_SHOWNORMAL));
        if (nResult <= 32) {
            SystemErrorText(OpenError(nResult), szReason, kReasonUnits);
            swprintf(szSaid, kQuoteSaidUnits, L"Quote saved: %ls, but it could not be opened: %ls", szName, szReason);
            return QuoteOutcome::kNotOpened;
        }
    }
    swprintf(szSaid, kQuoteSaidUnits, L"Quote saved: %ls", szName);
    return QuoteOutcome::kSaved;
}
