// Template name of the About box. Its only active control is the OK
// button (IDOK), which closes it.
#pragma once

#define IDD_ABOUT "AboutDlg"
