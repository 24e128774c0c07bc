// "Edit Rates": the user's rates, their names in a list beside the fields of the rates selected.
// The dialog edits a copy of the book, which goes back to the caller only on OK.
#pragma once
#include "pricing/rate_book.h"
#include "ui/dialog.h"

// Runs the dialog modally on a copy of *pBook, the rates in use selected first. On OK, once every
// rates has a name of its own and a currency of at most kCurrencyMaxChars characters, the copy
// replaces *pBook and returns true; Cancel, Escape or the close box leave *pBook as it was.
bool EditRates(HWND hwndOwner, RateBook* pBook);

// A drop-down list of the dialog: its control and its items, in the order of the enum it chooses.
struct RatesChoiceList {
    int nId;
    const wchar_t* const* pItems;
    int nItems;
};
enum { kRatesChoiceLists = 5 };
extern const RatesChoiceList kRatesChoices[kRatesChoiceLists];

class RatesDialog : public LDialog {
public:
    explicit RatesDialog(const RateBook& bookIn) : book(bookIn), nSelected(-1), bShowing(false) {}
    const RateBook& Book() const { return book; }

private:
    void InitDialog() override;
    bool CmOk() override;
    void DisplayHelpContents() override;
    void EnableControls() override;
    void OnCommand(int nId, int nNotifyCode) override;

    // The list (rates_dialog.cpp).
    // Selects the rates at nIndex and shows their fields; what the fields held is not kept.
    void Show(int nIndex);
    // The list's item nIndex reads as the rates' name.
    void ShowName(int nIndex);
    void AddNewRates();
    void DeleteSelectedRates();
    // Says what is wrong with the rates at nIndex, shows them and puts the focus on the field to
    // mend; false when nothing is wrong.
    bool ShowFault(int nIndex);

    // The fields (rates_dialog_fields.cpp).
    // Limits the fields, makes those of any script Unicode windows and fills the drop-down lists.
    void PrepareFields();
    void ShowFields(const Rates& rates);
    void StoreFields(Rates* pRates);
    void StoreName(Rates* pRates);
    bool IsLineRuleDivided() const;

    RateBook book;
    int nSelected;  // the rates whose fields are shown, or -1 before the first are
    bool bShowing;  // the fields are being filled: their change notices are not the user's edits
};
