// The main dialog's rates: the list of the user's rates, the price fields of the rates in use, the
// captions that follow them, and the Edit Rates dialog.
#include "app/word_count_dialog.h"

#include <windows.h>

#include "app/rate_settings.h"
#include "app/rates_dialog.h"
#include "pricing/rate_captions.h"
#include "resources/main_dialog_ids.h"
#include "ui/unicode_control.h"

namespace {

// The price fields and the texts of the rates they hold.
typedef char RatePriceText[kRatePriceTextSize];
const struct {
    int nId;
    RatePriceText Rates::*pText;
} kPriceFields[] = {
    {IDC_FIXED_COST, &Rates::szFixed},        {IDC_COST_PER_CHAR, &Rates::szPerChar},
    {IDC_COST_PER_WORD, &Rates::szPerWord},   {IDC_CHARS_PER_LINE, &Rates::szCharsPerLine},
    {IDC_COST_PER_LINE, &Rates::szPerLine},
};

}  // namespace

void WordCountDialog::ShowRatesList() {
    HWND hwndList = GetDlgItem(hwndDlg, IDC_RATES);
    SendMessageW(hwndList, CB_RESETCONTENT, 0, 0);
    for (int i = 0; i < rateBook.nCount; ++i) {
        SendMessageW(hwndList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(rateBook.rates[i].szName));
    }
    SendMessageW(hwndList, CB_SETCURSEL, static_cast<WPARAM>(rateBook.nInUse), 0);
}

void WordCountDialog::ShowRatesInUse() {
    bShowingRates = true;
    for (const auto& field : kPriceFields) SetDlgItemTextA(hwndDlg, field.nId, RatesInUse().*field.pText);
    bShowingRates = false;
    for (int i = 0; i < kCaptionCount; ++i) ShowRateCaption(static_cast<RateCaption>(i), false);
}

void WordCountDialog::ShowRateCaption(RateCaption eCaption, bool bMinimumApplied) {
    char16_t szCaption[kRateCaptionUnits];
    MakeRateCaption(RatesInUse(), eCaption, bMinimumApplied, szCaption, kRateCaptionUnits);
    const WCHAR* szWide = reinterpret_cast<const WCHAR*>(szCaption);
    // Set only when it changes: the total's caption is written on every keystroke in a price field.
    WCHAR szShown[kRateCaptionUnits];
    if (GetDlgItemTextW(hwndDlg, IDC_FIRST_RATE_CAPTION + eCaption, szShown, kRateCaptionUnits) > 0 &&
        lstrcmpW(szShown, szWide) == 0)
        return;
    SetDlgItemTextW(hwndDlg, IDC_FIRST_RATE_CAPTION + eCaption, szWide);
}

void WordCountDialog::ShowTotalCaption(bool bMinimumApplied) { ShowRateCaption(kCaptionTotalCost, bMinimumApplied); }

void WordCountDialog::OnRatesChosen() {
    LRESULT nChosen = SendDlgItemMessageW(hwndDlg, IDC_RATES, CB_GETCURSEL, 0, 0);
    if (nChosen < 0 || nChosen >= rateBook.nCount || nChosen == rateBook.nInUse) return;
    rateBook.nInUse = static_cast<int>(nChosen);
    ShowRatesInUse();
    UpdateCost();
    ReadAgainForSide();
}

void WordCountDialog::ReadAgainForSide() {
    // Other rates reprice the files without reading them, unless they count the other side of the
    // translation files on show.
    if (pShown != &lastText) fileJob.ReadAgainForSide(hwndDlg, IDC_STATUS_LINE);
}

void WordCountDialog::OnPriceFieldChanged(int nId) {
    if (bShowingRates) return;
    for (const auto& field : kPriceFields) {
        if (field.nId == nId) GetItemText(nId, rateBook.rates[rateBook.nInUse].*field.pText, kRatePriceTextSize);
    }
    UpdateCost();
}

void WordCountDialog::CmEditRates() {
    if (!EditRates(hwndDlg, &rateBook)) return;
    long nResult = SaveRateBook(rateBook);
    if (nResult != ERROR_SUCCESS && nSettingsFailure == ERROR_SUCCESS) nSettingsFailure = nResult;
    ShowRatesList();
    ShowRatesInUse();
    UpdateCost();
    ReadAgainForSide();
}
