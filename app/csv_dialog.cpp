#include "app/csv_dialog.h"
#include "app/help_opener.h"

#include <stdio.h>
#include <string.h>
#include <time.h>

#include "app/settings.h"
#include "resources/csv_dialog_ids.h"
#include "support/csv_record.h"
#include "support/date_time.h"
#include "support/file_ops.h"
#include "support/path_text.h"

namespace {
const char kFilter[] = "CSV Files\0*.csv\0";
const char kWarningCaption[] = "CSV File Not Written";
}  // namespace

CsvDialog::CsvDialog(int nCharsIn, int nWordsIn, int nLinesIn, double dTotal, const char* szTitle)
    : nChars(nCharsIn), nWords(nWordsIn), nLines(nLinesIn), dTotalCost(dTotal) {
    snprintf(szJobTitle, sizeof(szJobTitle), "%s", szTitle);
}

void CsvDialog::InitDialog() {
    char szPath[kPathBufferSize];
    LoadCsvFilePath(szPath, sizeof(szPath));
    SetDlgItemTextA(hwndDlg, IDC_CSV_FILE_PATH, szPath);
    SetDlgItemTextA(hwndDlg, IDC_CSV_JOB_TITLE, szJobTitle);
}

void CsvDialog::OnCommand(int nId, int /*nNotifyCode*/) {
    if (nId != IDC_CSV_BROWSE) return;
    char szPath[kPathBufferSize];
    GetItemText(IDC_CSV_FILE_PATH, szPath, sizeof(szPath));
    char szFolder[kPathBufferSize] = "";
    if (ChooseSaveFile(szPath, "Locate CSV File", szFolder, "csv", kFilter)) {
        SetDlgItemTextA(hwndDlg, IDC_CSV_FILE_PATH, szPath);
    }
}

bool CsvDialog::AddToCsvFile(const char* szFilePath, DWORD* pdwError) {
    char szDate[20];
    LDateTime(static_cast<int64_t>(_time64(nullptr)))._GetTextDate(szDate);
    char szRecord[kCsvRecordSize];
    DWORD dwLength = static_cast<DWORD>(FormatCsvRecord(szRecord, szDate, szJobTitle, nChars, nWords, nLines, dTotalCost));

    // No sharing: no other writer can interleave with the line while it is appended.
    HANDLE hFile = CreateFileA(szFilePath, GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE) {
        *pdwError = GetLastError();
        return false;
    }
    LARGE_INTEGER end = {};
    LARGE_INTEGER zero = {};
    bool bWritten = false;
    DWORD dwWritten = 0;
    if (SetFilePointerEx(hFile, zero, &end, FILE_END)) {
        bWritten = WriteFile(hFile, szRecord, dwLength, &dwWritten, nullptr) && dwWritten == dwLength;
        if (!bWritten) {
            *pdwError = GetLastError();
            if (*pdwError == ERROR_SUCCESS) *pdwError = ERROR_HANDLE_DISK_FULL;
            // A part of a line would corrupt the log: cut the file back to where it ended.
            SetFilePointerEx(hFile, end, nullptr, FILE_BEGIN);
            SetEndOfFile(hFile);
        }
    } else {
        *pdwError = GetLastError();
    }
    CloseHandle(hFile);
    return bWritten;
}

bool CsvDialog::CmOk() {
    char szPath[kPathBufferSize];
    GetItemText(IDC_CSV_FILE_PATH, szPath, sizeof(szPath));
    GetItemText(IDC_CSV_JOB_TITLE, szJobTitle, sizeof(szJobTitle));
    DWORD dwError = ERROR_SUCCESS;
    bool bAdded = AddToCsvFile(szPath, &dwError);
    SaveCsvFilePath(szPath);
    if (!bAdded) {
        // The job is not in the log: say why, and keep the dialog open for another file.
        char szReason[256] = "";
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, dwError, 0, szReason,
                       sizeof(szReason), nullptr);
        char szMessage[kPathBufferSize + 400];
        snprintf(szMessage, sizeof(szMessage), "The job could not be added to the CSV file\n\n%s\n\n%s(error %lu)",
                 szPath[0] ? szPath : "(no file named)", szReason, static_cast<unsigned long>(dwError));
        MessageBoxA(hwndDlg, szMessage, kWarningCaption, MB_OK | MB_ICONWARNING);
        return false;
    }
    MessageBoxA(nullptr, "Complete adding to CSV File.", "Confirmation", MB_OK);
    return true;
}

void CsvDialog::DisplayHelpContents() { OpenHelpContents(hwndDlg); }
