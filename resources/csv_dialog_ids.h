// Dialog template and control ids of the "Add to CSV File" dialog.
#pragma once

#define IDD_ADD_TO_CSV 2

#define IDC_CSV_FILE_PATH 101   // the log file's path
#define IDC_CSV_BROWSE 102      // "..." opens the Save As dialog
#define IDC_CSV_JOB_TITLE 103   // the job's title
#define IDC_CSV_SAVE_QUOTE 104  // "Save Quote..." saves the job as a quote under the title
// OK, Cancel and Help use IDOK (1), IDCANCEL (2) and IDHELP (9).
