// The main dialog's pricing: what is shown and priced, the clipboard's text or the file job's files, and the prices made from its counts.
#include "app/word_count_dialog.h"

#include <windows.h>

#include "pricing/money.h"
#include "measure/text_measure.h"
#include "resources/main_dialog_ids.h"
#include "ui/unicode_control.h"

int WordCountDialog::CharsPerLine() { return RateCharsPerLine(RatesInUse()); }

TranslationSide WordCountDialog::SideInUse() {
    return RatesInUse().eSide == kSideTarget ? TranslationSide::kTarget : TranslationSide::kSource;
}

void WordCountDialog::ShowSummary(const char16_t* szSummary) {
    const WCHAR* szWide = reinterpret_cast<const WCHAR*>(szSummary);
    if (SetDlgItemTextW(hwndDlg, IDC_SUMMARY, szWide)) return;
    // Windows 9x has no Unicode windows: there the call fails, and the summary is shown in the
    // ANSI code page (at most three bytes a unit).
    char szAnsi[3 * kSummaryBufferSize];
    if (WideCharToMultiByte(CP_ACP, 0, szWide, -1, szAnsi, sizeof(szAnsi), nullptr, nullptr) == 0) szAnsi[0] = '\0';
    SetDlgItemTextA(hwndDlg, IDC_SUMMARY, szAnsi);
}

void WordCountDialog::UpdateText() {
    if (lastText.ReadClipboard(CharsPerLine()) == ClipboardRead::kUnreadable) {
        // What is shown stays: an empty text priced in its place would be a wrong price.
        SayForAStep(nullptr);
        SetItemTextFromAnsi(hwndDlg, IDC_STATUS_LINE, kClipboardUnreadableText);
        return;
    }
    szJobTitle[0] = L'\0';
    fileJob.EndSet();
    ShowPriced(&lastText);
}

void WordCountDialog::ShowPriced(const PricedText* pPriced) {
    pShown = pPriced;
    char16_t szSummary[kSummaryBufferSize];
    pShown->GetSummary(szSummary);
    ShowSummary(szSummary);
    UpdateCost();
}

void WordCountDialog::ShowFiles(const PricedFiles* pFiles) {
    pFiles->GetJobTitle(szJobTitle, kItemTextSize);
    ShowPriced(pFiles);
}

void WordCountDialog::UpdateCost() {
    // Each file's counts in the rates' units, its lines laid out again or divided, nothing read again.
    const Rates& rates = RatesInUse();
    RatedRow counts = {};
    pShown->AddRated(rates, &counts);
    SetDlgItemInt(hwndDlg, IDC_CHAR_COUNT, static_cast<UINT>(SaturateToInt(counts.nChars)), TRUE);
    SetDlgItemInt(hwndDlg, IDC_WORD_COUNT, static_cast<UINT>(SaturateToInt(counts.nWords)), TRUE);
    char szLines[32];
    FormatLineCount(counts.nLineHundredths, RateShowsLineDecimals(rates), szLines, sizeof(szLines));
    SetDlgItemTextA(hwndDlg, IDC_LINE_COUNT, szLines);

    // Prices are computed from the counts on show, a line count with its decimals.
    RatedRow shown = {};
    shown.nChars = static_cast<int>(GetDlgItemInt(hwndDlg, IDC_CHAR_COUNT, nullptr, TRUE));
    shown.nWords = static_cast<int>(GetDlgItemInt(hwndDlg, IDC_WORD_COUNT, nullptr, TRUE));
    GetItemText(IDC_LINE_COUNT, szLines, sizeof(szLines));
    shown.nLineHundredths = LineCountHundredths(szLines);
    RatedJob job = PriceRatedCounts(rates, shown);
    SetTextMoney(IDC_CHARS_COST, job.sums.dChars);
    SetTextMoney(IDC_WORDS_COST, job.sums.dWords);
    SetTextMoney(IDC_LINES_COST, job.sums.dLines);
    SetTextMoney(IDC_TOTAL_COST, job.dTotal);
    ShowTotalCaption(job.bMinimumApplied);
}

void WordCountDialog::SetTextMoney(int nId, double dValue) {
    char szText[kMoneyTextSize];
    FormatMoney(dValue, " ", szText, sizeof(szText));
    SetDlgItemTextA(hwndDlg, nId, szText);
}

double WordCountDialog::GetTextMoney(int nId) {
    char szText[kItemTextSize];
    GetItemText(nId, szText, sizeof(szText));
    return TextToMoney(szText);
}

