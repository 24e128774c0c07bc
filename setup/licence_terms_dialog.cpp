#include "setup/licence_terms_dialog.h"

#include "resources/setup_dialog_ids.h"

bool LicenceTermsDialog::CmOk() { return IsChecked(IDC_TERMS_AGREE); }

void LicenceTermsDialog::EnableControls() {
    EnableControl(IDOK, IsChecked(IDC_TERMS_AGREE));
}
