// Dialog template and control ids of the "Edit Rates" dialog.
#pragma once

#define IDD_EDIT_RATES 5

#define IDC_RATES_LIST 501            // the rates' names
#define IDC_RATES_ADD 502             // "&Add": default rates at the end
#define IDC_RATES_DELETE 503          // "&Delete": the selected rates
#define IDC_RATES_NAME 504            // the selected rates' fields from here on
#define IDC_RATES_FIXED 505
#define IDC_RATES_PER_CHAR 506
#define IDC_RATES_PER_WORD 507
#define IDC_RATES_PER_LINE 508
#define IDC_RATES_CHARS_PER_LINE 509
#define IDC_RATES_MINIMUM 510
#define IDC_RATES_CURRENCY 511
#define IDC_RATES_CHARS 512           // drop-down lists, their items in the order of the rates' enums
#define IDC_RATES_LINES 513
#define IDC_RATES_LINE_NAME 514
#define IDC_RATES_ROUNDING 515
#define IDC_RATES_SIDE 516            // which text of a translation file counts
// OK, Cancel and Help use IDOK (1), IDCANCEL (2) and IDHELP (9).
