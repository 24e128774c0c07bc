// "Add to CSV File": names the job log and the job's title, and appends the priced job to the log.
#pragma once
#include "app/priced_text.h"
#include "ui/dialog.h"

// The job as the main dialog shows it: its counts, the line count as shown ("12" or "12.35"), the
// total as rounded for display, and the rates it was priced with.
struct CsvJob {
    int nChars;
    int nWords;
    char szLines[32];
    double dTotal;
    const char16_t* szRatesName;
    const char16_t* szCurrency;
    // What is shown and the rates in use, for a quote of the job.
    const PricedText* pPriced;
    const Rates* pRates;
};

class CsvDialog : public LDialog {
public:
    CsvDialog(const CsvJob& job, const wchar_t* szJobTitle);

private:
    void InitDialog() override;
    bool CmOk() override;
    void DisplayHelpContents() override;
    void OnCommand(int nId, int nNotifyCode) override;
    void CmBrowse();
    // Saves the job as a quote under the title typed: what came of it is said on the main window's
    // status line; why it failed, in a box.
    void CmSaveQuote();
    // The title typed, into szJobTitle.
    void ReadJobTitle();

    // Appends one record to the file; nothing already in the file is changed, whatever fails.
    // Returns false when the record could not be written whole: with the characters of the title
    // that the log's code page cannot hold (szUnheld, kUnheldSize units), or else with the system's
    // error code.
    enum { kUnheldSize = 2 * kItemTextSize };
    bool AddToCsvFile(const char* szFilePath, wchar_t* szUnheld, DWORD* pdwError);

    CsvJob job;
    wchar_t szJobTitle[kItemTextSize];
};
