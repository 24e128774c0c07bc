// The Edit Rates dialog's fields: one rates shown in them and read back from them.
#include "app/rates_dialog.h"

#include <string.h>

#include "resources/rates_dialog_ids.h"
#include "ui/unicode_control.h"

namespace {

const wchar_t* const kCharsItems[] = {L"with spaces and line breaks", L"with spaces", L"without spaces"};
// U+00F7 is the division sign.
const wchar_t* const kLinesItems[] = {L"laid out at N characters", L"characters \u00F7 N"};
const wchar_t* const kLineNameItems[] = {L"Standard Lines", L"Pages"};
const wchar_t* const kRoundingItems[] = {L"to two decimals", L"up, per started line"};
const wchar_t* const kSideItems[] = {L"source text", L"translation"};

// The price fields with where each rates keep their text.
struct PriceField {
    int nId;
    char (Rates::*pText)[kRatePriceTextSize];
};
const PriceField kPriceFields[] = {
    {IDC_RATES_FIXED, &Rates::szFixed},           {IDC_RATES_PER_CHAR, &Rates::szPerChar},
    {IDC_RATES_PER_WORD, &Rates::szPerWord},      {IDC_RATES_PER_LINE, &Rates::szPerLine},
    {IDC_RATES_CHARS_PER_LINE, &Rates::szCharsPerLine}, {IDC_RATES_MINIMUM, &Rates::szMinimum},
};

// Reads a Unicode field into nUnits code units with the terminator; a text cut at the end is not
// cut between the halves of a surrogate pair. The units past the text are zeros, as in rates made
// new: rates compare and are stored byte for byte.
void ReadUnicodeField(HWND hwndDlg, int nId, char16_t* szText, int nUnits) {
    memset(szText, 0, sizeof(char16_t) * static_cast<size_t>(nUnits));
    wchar_t* szWide = reinterpret_cast<wchar_t*>(szText);
    int n = GetDlgItemTextW(hwndDlg, nId, szWide, nUnits);
    if (n > 0 && IS_HIGH_SURROGATE(szWide[n - 1])) szWide[n - 1] = L'\0';
}

int ChoiceOf(HWND hwndDlg, int nId) {
    LRESULT nChoice = SendDlgItemMessageA(hwndDlg, nId, CB_GETCURSEL, 0, 0);
    return nChoice == CB_ERR ? 0 : static_cast<int>(nChoice);
}

}  // namespace

const RatesChoiceList kRatesChoices[kRatesChoiceLists] = {
    {IDC_RATES_CHARS, kCharsItems, 3},
    {IDC_RATES_LINES, kLinesItems, 2},
    {IDC_RATES_LINE_NAME, kLineNameItems, 2},
    {IDC_RATES_ROUNDING, kRoundingItems, 2},
    {IDC_RATES_SIDE, kSideItems, 2},
};

void RatesDialog::PrepareFields() {
    MakeUnicodeControl(hwndDlg, IDC_RATES_NAME);
    MakeUnicodeControl(hwndDlg, IDC_RATES_CURRENCY);
    SendDlgItemMessageW(hwndDlg, IDC_RATES_NAME, EM_LIMITTEXT, kRateNameUnits - 1, 0);
    // Eight characters outside the first plane take sixteen units; fewer units would refuse them,
    // more characters are refused on OK.
    SendDlgItemMessageW(hwndDlg, IDC_RATES_CURRENCY, EM_LIMITTEXT, kCurrencyUnits - 1, 0);
    for (const PriceField& field : kPriceFields) {
        SendDlgItemMessageA(hwndDlg, field.nId, EM_LIMITTEXT, kRatePriceTextSize - 1, 0);
    }
    // The items in the W form: an ANSI list takes them in its code page, which may lack the ÷.
    for (const RatesChoiceList& list : kRatesChoices) {
        for (int i = 0; i < list.nItems; ++i) {
            SendDlgItemMessageW(hwndDlg, list.nId, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(list.pItems[i]));
        }
    }
}

void RatesDialog::ShowFields(const Rates& rates) {
    // Setting a field's text sends its change notice, which would rename the list's item.
    bShowing = true;
    SetDlgItemTextW(hwndDlg, IDC_RATES_NAME, reinterpret_cast<const wchar_t*>(rates.szName));
    SetDlgItemTextW(hwndDlg, IDC_RATES_CURRENCY, reinterpret_cast<const wchar_t*>(rates.szCurrency));
    for (const PriceField& field : kPriceFields) SetDlgItemTextA(hwndDlg, field.nId, rates.*field.pText);
    const int kChoices[kRatesChoiceLists] = {rates.eChars, rates.eLines, rates.eLineName, rates.eRounding,
                                             rates.eSide};
    for (int i = 0; i < kRatesChoiceLists; ++i) {
        SendDlgItemMessageA(hwndDlg, kRatesChoices[i].nId, CB_SETCURSEL, static_cast<WPARAM>(kChoices[i]), 0);
    }
    bShowing = false;
}

void RatesDialog::StoreName(Rates* pRates) { ReadUnicodeField(hwndDlg, IDC_RATES_NAME, pRates->szName, kRateNameUnits); }

void RatesDialog::StoreFields(Rates* pRates) {
    StoreName(pRates);
    ReadUnicodeField(hwndDlg, IDC_RATES_CURRENCY, pRates->szCurrency, kCurrencyUnits);
    for (const PriceField& field : kPriceFields) {
        memset(pRates->*field.pText, 0, kRatePriceTextSize);
        GetItemText(field.nId, pRates->*field.pText, kRatePriceTextSize);
    }
    pRates->eChars = static_cast<RateChars>(ChoiceOf(hwndDlg, IDC_RATES_CHARS));
    pRates->eLines = static_cast<RateLines>(ChoiceOf(hwndDlg, IDC_RATES_LINES));
    pRates->eLineName = static_cast<RateLineName>(ChoiceOf(hwndDlg, IDC_RATES_LINE_NAME));
    pRates->eRounding = static_cast<RateRounding>(ChoiceOf(hwndDlg, IDC_RATES_ROUNDING));
    pRates->eSide = static_cast<RateSide>(ChoiceOf(hwndDlg, IDC_RATES_SIDE));
}

bool RatesDialog::IsLineRuleDivided() const { return ChoiceOf(hwndDlg, IDC_RATES_LINES) == kLinesDivided; }
