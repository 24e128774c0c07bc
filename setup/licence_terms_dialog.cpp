#include "setup/licence_terms_dialog.h"

#include "resources/setup_dialog_ids.h"

bool LicenceTermsDialog::CmOk() { return IsDlgButtonChecked(hwndDlg, IDC_TERMS_AGREE) == BST_CHECKED; }

void LicenceTermsDialog::EnableControls() {
    EnableControl(IDOK, IsDlgButtonChecked(hwndDlg, IDC_TERMS_AGREE) == BST_CHECKED);
}
