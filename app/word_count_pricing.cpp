// The main dialog's pricing: what is shown and priced, the clipboard's text or the file job's files, and the prices made from its counts.
#include "app/word_count_dialog.h"

#include <windows.h>

#include "pricing/money.h"
#include "measure/text_measure.h"
#include "resources/main_dialog_ids.h"
#include "ui/unicode_control.h"

int WordCountDialog::CharsPerLine() {
    BOOL bRead = FALSE;
    int nCharsPerLine = static_cast<int>(GetDlgItemInt(hwndDlg, IDC_CHARS_PER_LINE, &bRead, TRUE));
    return bRead ? nCharsPerLine : 0;
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
    TextCounts counts = pShown->Counts();
    SetDlgItemInt(hwndDlg, IDC_CHAR_COUNT, static_cast<UINT>(SaturateToInt(counts.nChars)), TRUE);
    SetDlgItemInt(hwndDlg, IDC_WORD_COUNT, static_cast<UINT>(SaturateToInt(counts.nWords)), TRUE);
    UpdateCost();
}

void WordCountDialog::ShowFiles(const PricedFiles* pFiles) {
    pFiles->GetJobTitle(szJobTitle, kItemTextSize);
    ShowPriced(pFiles);
}

void WordCountDialog::UpdateCost() {
    // Only the lines depend on the characters per line: they alone are counted again, from the
    // class bytes kept with the text.
    int nLines = pShown->CountLines(CharsPerLine());
    SetDlgItemInt(hwndDlg, IDC_LINE_COUNT, static_cast<UINT>(nLines), TRUE);

    // Prices are computed from the counts on show.
    int nChars = static_cast<int>(GetDlgItemInt(hwndDlg, IDC_CHAR_COUNT, nullptr, TRUE));
    int nWords = static_cast<int>(GetDlgItemInt(hwndDlg, IDC_WORD_COUNT, nullptr, TRUE));
    int nLineCount = static_cast<int>(GetDlgItemInt(hwndDlg, IDC_LINE_COUNT, nullptr, TRUE));
    JobPrices prices;
    prices.dPerChar = GetTextMoney(IDC_COST_PER_CHAR);
    prices.dPerWord = GetTextMoney(IDC_COST_PER_WORD);
    prices.dPerLine = GetTextMoney(IDC_COST_PER_LINE);
    prices.dFixed = GetTextMoney(IDC_FIXED_COST);
    JobCosts costs = PriceJob(prices, nChars, nWords, nLineCount);
    SetTextMoney(IDC_CHARS_COST, costs.dChars);
    SetTextMoney(IDC_WORDS_COST, costs.dWords);
    SetTextMoney(IDC_LINES_COST, costs.dLines);
    SetTextMoney(IDC_TOTAL_COST, costs.dTotal);
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

