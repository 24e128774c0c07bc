// The terms page: the first step of the install, which goes on only after the user chose to agree.
#pragma once
#include "ui/dialog.h"

class LicenceTermsDialog : public LDialog {
private:
    // Next ends the page only with "I agree" chosen.
    bool CmOk() override;
    // Next is enabled exactly while "I agree" is chosen; neither choice is made when it opens.
    void EnableControls() override;
};
