// "Add to CSV File": names the job log and the job's title, and appends the priced job to the log.
#pragma once
#include "ui/dialog.h"

class CsvDialog : public LDialog {
public:
    CsvDialog(int nChars, int nWords, int nLines, double dTotal, const wchar_t* szJobTitle);

private:
    void InitDialog() override;
    bool CmOk() override;
    void DisplayHelpContents() override;
    void OnCommand(int nId, int nNotifyCode) override;

    // Appends one record to the file; nothing already in the file is changed, whatever fails.
    // Returns false when the record could not be written whole: with the characters of the title
    // that the log's code page cannot hold (szUnheld, kUnheldSize units), or else with the system's
    // error code.
    enum { kUnheldSize = 2 * kItemTextSize };
    bool AddToCsvFile(const char* szFilePath, wchar_t* szUnheld, DWORD* pdwError);

    int nChars;
    int nWords;
    int nLines;
    double dTotalCost;
    wchar_t szJobTitle[kItemTextSize];
};
