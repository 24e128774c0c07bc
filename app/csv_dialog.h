// "Add to CSV File": names the job log and the job's title, and appends the priced job to the log.
#pragma once
#include "ui/dialog.h"

class CsvDialog : public LDialog {
public:
    CsvDialog(int nChars, int nWords, int nLines, double dTotal, const char* szJobTitle);

private:
    void InitDialog() override;
    bool CmOk() override;
    void DisplayHelpContents() override;
    void OnCommand(int nId, int nNotifyCode) override;

    // Appends one record to the file; nothing already in the file is changed, whatever fails.
    // Answers false with the system's error code when the record could not be written whole.
    bool AddToCsvFile(const char* szFilePath, DWORD* pdwError);

    int nChars;
    int nWords;
    int nLines;
    double dTotalCost;
    char szJobTitle[kItemTextSize];
};
