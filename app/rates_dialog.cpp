// The Edit Rates dialog's list of rates, its buttons and its checks on OK.
#include "app/rates_dialog.h"

#include <wchar.h>

#include "app/help_opener.h"
#include "resources/rates_dialog_ids.h"
#include "ui/unicode_control.h"

namespace {

const wchar_t kCaption[] = L"Edit Rates";

bool IsBlankName(const char16_t* szName) {
    for (; *szName; ++szName) {
        if (*szName != u' ' && *szName != u'\t') return false;
    }
    return true;
}

// Characters, not code units: a surrogate pair is one.
int CharacterCount(const char16_t* szText) {
    int n = 0;
    for (const char16_t* p = szText; *p; ++p, ++n) {
        if (IS_HIGH_SURROGATE(p[0]) && IS_LOW_SURROGATE(p[1])) ++p;
    }
    return n;
}

const wchar_t* Wide(const char16_t* szText) { return reinterpret_cast<const wchar_t*>(szText); }

}  // namespace

bool EditRates(HWND hwndOwner, RateBook* pBook) {
    RatesDialog dialog(*pBook);
    if (!dialog.RunModal(MAKEINTRESOURCEA(IDD_EDIT_RATES), hwndOwner)) return false;
    *pBook = dialog.Book();
    return true;
}

void RatesDialog::InitDialog() {
    // Names in any script: the list is a Unicode window wherever the system's own are ANSI.
    HWND hwndList = MakeUnicodeControl(hwndDlg, IDC_RATES_LIST);
    PrepareFields();
    for (int i = 0; i < book.nCount; ++i) {
        SendMessageW(hwndList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(book.rates[i].szName)));
    }
    Show(book.nInUse >= 0 && book.nInUse < book.nCount ? book.nInUse : 0);
}

void RatesDialog::Show(int nIndex) {
    nSelected = nIndex;
    SendDlgItemMessageW(hwndDlg, IDC_RATES_LIST, LB_SETCURSEL, static_cast<WPARAM>(nIndex), 0);
    ShowFields(book.rates[nIndex]);
}

void RatesDialog::ShowName(int nIndex) {
    HWND hwndList = GetDlgItem(hwndDlg, IDC_RATES_LIST);
    SendMessageW(hwndList, LB_DELETESTRING, static_cast<WPARAM>(nIndex), 0);
    SendMessageW(hwndList, LB_INSERTSTRING, static_cast<WPARAM>(nIndex),
                 reinterpret_cast<LPARAM>(Wide(book.rates[nIndex].szName)));
    SendMessageW(hwndList, LB_SETCURSEL, static_cast<WPARAM>(nSelected), 0);
}

void RatesDialog::OnCommand(int nId, int nNotifyCode) {
    if (nSelected < 0) return;
    if (nId == IDC_RATES_LIST && nNotifyCode == LBN_SELCHANGE) {
        int nIndex = static_cast<int>(SendDlgItemMessageW(hwndDlg, IDC_RATES_LIST, LB_GETCURSEL, 0, 0));
        if (nIndex < 0 || nIndex >= book.nCount || nIndex == nSelected) return;
        // The rates left keep what their fields hold.
        StoreFields(&book.rates[nSelected]);
        Show(nIndex);
    } else if (nId == IDC_RATES_NAME && nNotifyCode == EN_CHANGE && !bShowing) {
        StoreName(&book.rates[nSelected]);
        ShowName(nSelected);
    } else if (nId == IDC_RATES_ADD) {
        AddNewRates();
    } else if (nId == IDC_RATES_DELETE) {
        DeleteSelectedRates();
    }
}

void RatesDialog::AddNewRates() {
    // Stored first: the new rates' name is one that none of the others has, as typed.
    StoreFields(&book.rates[nSelected]);
    int nIndex = AddRates(&book);
    if (nIndex < 0) return;
    SendDlgItemMessageW(hwndDlg, IDC_RATES_LIST, LB_ADDSTRING, 0,
                        reinterpret_cast<LPARAM>(Wide(book.rates[nIndex].szName)));
    Show(nIndex);
}

void RatesDialog::DeleteSelectedRates() {
    if (!DeleteRates(&book, nSelected)) return;
    SendDlgItemMessageW(hwndDlg, IDC_RATES_LIST, LB_DELETESTRING, static_cast<WPARAM>(nSelected), 0);
    // The rates after them, or before them when they were the last.
    Show(nSelected < book.nCount ? nSelected : book.nCount - 1);
}

void RatesDialog::EnableControls() {
    EnableControl(IDC_RATES_ADD, book.nCount < kMaxRates);
    EnableControl(IDC_RATES_DELETE, book.nCount > 1);
    bool bDivided = IsLineRuleDivided();
    EnableControl(IDC_RATES_LINE_NAME, bDivided);
    EnableControl(IDC_RATES_ROUNDING, bDivided);
    // A button disabled under the focus would leave the keys nowhere to go.
    HWND hwndFocus = GetFocus();
    if (hwndFocus != nullptr && IsChild(hwndDlg, hwndFocus) && !IsWindowEnabled(hwndFocus)) {
        SendMessageA(hwndDlg, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(hwndDlg, IDC_RATES_LIST)), TRUE);
    }
}

bool RatesDialog::ShowFault(int nIndex) {
    const Rates& rates = book.rates[nIndex];
    enum { kMessageUnits = kRateNameUnits + kCurrencyUnits + 120 };
    wchar_t szMessage[kMessageUnits];
    int nField = IDC_RATES_NAME;
    if (IsBlankName(rates.szName)) {
        wcscpy(szMessage, L"Give the rates a name.");
    } else if (!IsRateNameFree(book, rates.szName, nIndex)) {
        swprintf(szMessage, kMessageUnits, L"Another rates are named \"%ls\". Give these rates a name of their own.",
                 Wide(rates.szName));
    } else if (CharacterCount(rates.szCurrency) > kCurrencyMaxChars) {
        swprintf(szMessage, kMessageUnits, L"A currency is at most %d characters: \"%ls\" has %d.", kCurrencyMaxChars,
                 Wide(rates.szCurrency), CharacterCount(rates.szCurrency));
        nField = IDC_RATES_CURRENCY;
    } else {
        return false;
    }
    Show(nIndex);
    MessageBoxW(hwndDlg, szMessage, kCaption, MB_OK | MB_ICONWARNING);
    // After the message, which gives the focus back to the OK button.
    SendMessageA(hwndDlg, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(hwndDlg, nField)), TRUE);
    return true;
}

bool RatesDialog::CmOk() {
    StoreFields(&book.rates[nSelected]);
    // The rates shown first: the fault is most likely what was typed last.
    if (ShowFault(nSelected)) return false;
    for (int i = 0; i < book.nCount; ++i) {
        if (ShowFault(i)) return false;
    }
    return true;
}

void RatesDialog::DisplayHelpContents() { OpenHelpContents(hwndDlg); }
