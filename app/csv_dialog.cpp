#include "app/csv_dialog.h"
#include "app/help_opener.h"

#include <stdio.h>
#include <string.h>
#include <time.h>
#include <wchar.h>

#include "app/settings.h"
#include "resources/csv_dialog_ids.h"
#include "app/csv_record.h"
#include "app/quote_saving.h"
#include "resources/main_dialog_ids.h"
#include "support/date_time.h"
#include "support/file_ops.h"
#include "support/path_text.h"
#include "support/system_error_text.h"
#include "ui/unicode_control.h"

namespace {
const char kFilter[] = "CSV Files\0*.csv\0";
const wchar_t kWarningCaption[] = L"CSV File Not Written";
// A log in UTF-8 starts with the byte-order mark, so that spreadsheet programs read it as UTF-8.
const char kUtf8Mark[] = "\xEF\xBB\xBF";
enum { kMarkBytes = sizeof(kUtf8Mark) - 1 };

// Converts nUnits of text (-1: through its terminator) to the ANSI code page; false when a character
// has no place in it. No best fit: a look-alike letter or a "?" in the log would be a title the user
// never gave. A UTF-8 code page holds every character, and its conversion takes neither flag.
bool ToAnsi(const wchar_t* pText, int nUnits, char* pAnsi, int cbAnsi) {
    bool bUtf8 = GetACP() == CP_UTF8;
    BOOL bUsedDefault = FALSE;
    int cb = WideCharToMultiByte(CP_ACP, bUtf8 ? 0 : WC_NO_BEST_FIT_CHARS, pText, nUnits, pAnsi, cbAnsi, nullptr,
                                 bUtf8 ? nullptr : &bUsedDefault);
    return cb > 0 && !bUsedDefault;
}

// The title in the ANSI code page, or false with the characters it cannot hold in szUnheld
// (cchUnheld units), each once, a blank between them.
bool TitleInAnsi(const wchar_t* szTitle, char* szAnsi, int cbAnsi, wchar_t* szUnheld, size_t cchUnheld) {
    if (ToAnsi(szTitle, -1, szAnsi, cbAnsi)) return true;
    size_t n = 0;
    for (const wchar_t* p = szTitle; *p;) {
        // A surrogate pair is one character.
        int nUnits = IS_HIGH_SURROGATE(p[0]) && IS_LOW_SURROGATE(p[1]) ? 2 : 1;
        wchar_t szOne[3] = {p[0], nUnits == 2 ? p[1] : L'\0', L'\0'};
        char szBytes[8];
        if (!ToAnsi(p, nUnits, szBytes, sizeof(szBytes)) && wcsstr(szUnheld, szOne) == nullptr &&
            n + 1 + nUnits < cchUnheld) {
            if (n > 0) szUnheld[n++] = L' ';
            for (int i = 0; i < nUnits; ++i) szUnheld[n++] = p[i];
            szUnheld[n] = L'\0';
        }
        p += nUnits;
    }
    return false;
}

// Writes the bytes at the end of the file (at end) whole, or cuts the file back to that end.
bool AppendWhole(HANDLE hFile, LARGE_INTEGER end, const char* pBytes, DWORD dwLength, DWORD* pdwError) {
    DWORD dwWritten = 0;
    if (WriteFile(hFile, pBytes, dwLength, &dwWritten, nullptr) && dwWritten == dwLength) return true;
    *pdwError = GetLastError();
    if (*pdwError == ERROR_SUCCESS) *pdwError = ERROR_HANDLE_DISK_FULL;
    // A part of a line would corrupt the log: cut the file back to where it ended.
    SetFilePointerEx(hFile, end, nullptr, FILE_BEGIN);
    SetEndOfFile(hFile);
    return false;
}
}  // namespace

CsvDialog::CsvDialog(const CsvJob& jobIn, const wchar_t* szTitle) : job(jobIn) {
    lstrcpynW(szJobTitle, szTitle, kItemTextSize);
}

void CsvDialog::InitDialog() {
    char szPath[kPathBufferSize];
    LoadCsvFilePath(szPath, sizeof(szPath));
    SetDlgItemTextA(hwndDlg, IDC_CSV_FILE_PATH, szPath);
    MakeUnicodeControl(hwndDlg, IDC_CSV_JOB_TITLE);
    SetDlgItemTextW(hwndDlg, IDC_CSV_JOB_TITLE, szJobTitle);
    MakeUnicodeControl(hwndDlg, IDC_CSV_SAVE_QUOTE);
    SetDlgItemTextW(hwndDlg, IDC_CSV_SAVE_QUOTE, L"Save Quote\u2026");
}

void CsvDialog::OnCommand(int nId, int /*nNotifyCode*/) {
    if (nId == IDC_CSV_BROWSE) CmBrowse();
    if (nId == IDC_CSV_SAVE_QUOTE) CmSaveQuote();
}

void CsvDialog::CmBrowse() {
    char szPath[kPathBufferSize];
    GetItemText(IDC_CSV_FILE_PATH, szPath, sizeof(szPath));
    char szFolder[kPathBufferSize] = "";
    if (ChooseSaveFile(szPath, "Locate CSV File", szFolder, "csv", kFilter)) {
        SetDlgItemTextA(hwndDlg, IDC_CSV_FILE_PATH, szPath);
    }
}

bool CsvDialog::AddToCsvFile(const char* szFilePath, wchar_t* szUnheld, DWORD* pdwError) {
    szUnheld[0] = L'\0';
    char szDate[20];
    LDateTime(static_cast<int64_t>(_time64(nullptr)))._GetTextDate(szDate);

    // No sharing: no other writer can interleave with the line while it is appended. Read access
    // for the first bytes, which tell the log's encoding.
    HANDLE hFile = CreateFileA(szFilePath, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE) {
        *pdwError = GetLastError();
        return false;
    }
    // The mark and the first record tell the log's encoding and its fields.
    char szStart[kMarkBytes + kCsvRecordSize];
    DWORD dwRead = 0;
    LARGE_INTEGER end = {};
    LARGE_INTEGER zero = {};
    bool bWritten = false;
    if (ReadFile(hFile, szStart, sizeof(szStart), &dwRead, nullptr) && SetFilePointerEx(hFile, zero, &end, FILE_END)) {
        // A new or empty log is UTF-8 from its mark on, and a log with the mark stays UTF-8, in
        // RFC 4180 records; an older log without it keeps the ANSI code page and the layout its
        // records are in. A new log records the rates too; an older one keeps the fields it began with.
        bool bNew = end.QuadPart == 0;
        bool bUtf8 = bNew || (dwRead >= kMarkBytes && memcmp(szStart, kUtf8Mark, kMarkBytes) == 0);
        bool bRatesFields = bNew || (bUtf8 && CsvFirstRecordFields(szStart + kMarkBytes, dwRead - kMarkBytes) >= 8);
        char szTitle[kCsvTitleBytes + 1];
        bool bTitle = bUtf8 ? WideCharToMultiByte(CP_UTF8, 0, szJobTitle, -1, szTitle, sizeof(szTitle), nullptr,
                                                  nullptr) > 0
                            : TitleInAnsi(szJobTitle, szTitle, sizeof(szTitle), szUnheld, kUnheldSize);
        // The rates' fields, in UTF-8.
        char szRatesName[3 * 41] = "";
        char szCurrency[3 * 17] = "";
        WideCharToMultiByte(CP_UTF8, 0, reinterpret_cast<const WCHAR*>(job.szRatesName), -1, szRatesName,
                            sizeof(szRatesName), nullptr, nullptr);
        WideCharToMultiByte(CP_UTF8, 0, reinterpret_cast<const WCHAR*>(job.szCurrency), -1, szCurrency,
                            sizeof(szCurrency), nullptr, nullptr);
        CsvRates rates = {szRatesName, szCurrency};
        if (bTitle) {
            // The mark goes out with the first record in one write: a log is never a mark alone.
            char szBytes[kMarkBytes + kCsvRecordSize];
            DWORD dwLength = bNew ? kMarkBytes : 0;
            memcpy(szBytes, kUtf8Mark, dwLength);
            dwLength += static_cast<DWORD>(FormatCsvRecord(szBytes + dwLength,
                                                           bUtf8 ? CsvLayout::kRfc4180 : CsvLayout::kSpaced, szDate,
                                                           szTitle, job.nChars, job.nWords, job.szLines, job.dTotal,
                                                           bRatesFields ? &rates : nullptr));
            bWritten = AppendWhole(hFile, end, szBytes, dwLength, pdwError);
        } else {
            *pdwError = szUnheld[0] ? ERROR_SUCCESS : ERROR_NO_UNICODE_TRANSLATION;
        }
    } else {
        *pdwError = GetLastError();
    }
    CloseHandle(hFile);
    return bWritten;
}

void CsvDialog::ReadJobTitle() {
    szJobTitle[0] = L'\0';
    GetDlgItemTextW(hwndDlg, IDC_CSV_JOB_TITLE, szJobTitle, kItemTextSize);
    // A longer title is cut at the field's end: not between the halves of a surrogate pair.
    size_t nTitle = wcslen(szJobTitle);
    if (nTitle > 0 && IS_HIGH_SURROGATE(szJobTitle[nTitle - 1])) szJobTitle[nTitle - 1] = L'\0';
}

void CsvDialog::CmSaveQuote() {
    ReadJobTitle();
    QuoteRequest request = {job.pPriced, job.pRates, szJobTitle};
    wchar_t szSaid[kQuoteSaidUnits];
    QuoteOutcome outcome = SaveQuote(hwndDlg, request, szSaid);
    if (outcome == QuoteOutcome::kNotSaved) {
        MessageBoxW(hwndDlg, szSaid, L"Quote Not Saved", MB_OK | MB_ICONWARNING);
    } else if (outcome != QuoteOutcome::kCancelled) {
        SendMessageW(GetParent(hwndDlg), WMAPP_SAY_FOR_A_STEP, 0, reinterpret_cast<LPARAM>(szSaid));
    }
}

bool CsvDialog::CmOk() {
    char szPath[kPathBufferSize];
    GetItemText(IDC_CSV_FILE_PATH, szPath, sizeof(szPath));
    ReadJobTitle();
    wchar_t szUnheld[kUnheldSize];
    DWORD dwError = ERROR_SUCCESS;
    bool bAdded = AddToCsvFile(szPath, szUnheld, &dwError);
    SaveCsvFilePath(szPath);
    if (!bAdded) {
        // The job is not in the log: say why, and keep the dialog open for another file or title.
        wchar_t szWhy[kUnheldSize + 400];
        if (szUnheld[0]) {
            swprintf(szWhy, sizeof(szWhy) / sizeof(szWhy[0]),
                     L"The file is in the ANSI code page (%u), which cannot hold these characters of the job "
                     L"title:\n\n%ls\n\nChange the title, or choose another file (a new file is UTF-8).",
                     GetACP(), szUnheld);
        } else {
            wchar_t szReason[256];
            SystemErrorText(dwError, szReason, sizeof(szReason) / sizeof(szReason[0]));
            swprintf(szWhy, sizeof(szWhy) / sizeof(szWhy[0]), L"%ls\r\n(error %lu)", szReason,
                     static_cast<unsigned long>(dwError));
        }
        wchar_t szWidePath[kPathBufferSize] = L"(no file named)";
        if (szPath[0]) MultiByteToWideChar(CP_ACP, 0, szPath, -1, szWidePath, kPathBufferSize);
        wchar_t szMessage[kPathBufferSize + sizeof(szWhy) / sizeof(szWhy[0]) + 64];
        swprintf(szMessage, sizeof(szMessage) / sizeof(szMessage[0]),
                 L"The job could not be added to the CSV file\n\n%ls\n\n%ls", szWidePath, szWhy);
        MessageBoxW(hwndDlg, szMessage, kWarningCaption, MB_OK | MB_ICONWARNING);
        return false;
    }
    MessageBoxA(nullptr, "Complete adding to CSV File.", "Confirmation", MB_OK);
    return true;
}

void CsvDialog::DisplayHelpContents() { OpenHelpContents(hwndDlg); }
