// Template names and control ids of the installer's windows: the terms page
// and the progress window.
#pragma once

#define IDD_LICENCE_TERMS "LicenceTermsDlg"
#define IDC_TERMS_AGREE 101     // "I &agree with these terms"
#define IDC_TERMS_DISAGREE 102  // "I do not agree with these terms"
// "&Next >" is IDOK (1), "Cancel" is IDCANCEL (2).

#define IDD_PROGRESS "LProgressDialog"
#define IDC_PROGRESS_LINE0 100  // first status line; line n is IDC_PROGRESS_LINE0 + n
#define IDC_PROGRESS_LINE1 101  // second status line
#define IDC_PROGRESS_BAR 102    // msctls_progress32, range 0 to 100
// "Cancel" is IDCANCEL (2).
