// Control and command ids of the main dialog (dialog template 1).
#pragma once

#define IDD_MAIN 1
#define IDC_SUMMARY 101
#define IDC_FIXED_COST 102
#define IDC_CHAR_COUNT 103
#define IDC_COST_PER_CHAR 104
#define IDC_CHARS_COST 105
#define IDC_WORD_COUNT 106
#define IDC_COST_PER_WORD 107
#define IDC_WORDS_COST 108
#define IDC_CHARS_PER_LINE 109
#define IDC_LINE_COUNT 110
#define IDC_COST_PER_LINE 111
#define IDC_LINES_COST 112
#define IDC_UPDATE_TEXT 113
#define IDC_ADD_TO_CSV 114
#define IDC_TOTAL_COST 115
#define IDC_HOT_KEY_ON 117
#define IDC_HOT_KEY_AUTO_SELECT 119
#define IDC_HELP_BUTTON 9
#define IDC_CLOSE_BUTTON 2
#define IDC_CHANGE_KEY 116
#define IDC_ABOUT 118
#define IDC_HOT_KEY_NAME 120
#define IDC_SETTINGS_TOGGLE 122
#define IDC_STATUS_LINE 123
#define IDC_SETTINGS_GROUP 124
#define IDC_BANNER 125
#define IDC_RATES 126       // the drop-down list of the rates
#define IDC_EDIT_RATES 127  // "Edit Rates..." opens the rates dialog
#define IDC_SAVE_QUOTE 128  // "Save Quote..." saves the job on show as a quote
// The pricing rows' captions, which follow the rates in use: IDC_FIRST_RATE_CAPTION plus the
// caption's place in pricing/rate_captions.h's RateCaption.
#define IDC_FIRST_RATE_CAPTION 130
#define IDC_CAPTION_FIXED_COST 130
#define IDC_CAPTION_CHARS_COST 131
#define IDC_CAPTION_CHAR_COUNT 132
#define IDC_CAPTION_COST_PER_CHAR 133
#define IDC_CAPTION_WORDS_COST 134
#define IDC_CAPTION_WORD_COUNT 135
#define IDC_CAPTION_COST_PER_WORD 136
#define IDC_CAPTION_LINES_COST 137
#define IDC_CAPTION_CHARS_PER_LINE 138
#define IDC_CAPTION_LINE_COUNT 139
#define IDC_CAPTION_COST_PER_LINE 140
#define IDC_CAPTION_TOTAL_COST 141

// The tray menu's commands (Open, Close, Exit) also reach the main dialog from the program itself.
#include "resources/tray_menu_ids.h"

// The tray icon's callback message and identifier.
#define WMAPP_TRAY_NOTIFY (WM_USER + 20)
// Posted by a second start: the running copy shows its window and comes to the front.
#define WMAPP_COME_FORWARD (WM_APP + 1)
// Posted to itself on a move to a monitor of another DPI: the system has scaled the dialog and its
// font by the time it arrives (wParam: the new DPI).
#define WMAPP_DPI_SETTLED (WM_APP + 2)
// Posted to itself when a start has handed over file names, to read them once the start has its
// answer.
#define WMAPP_READ_FILES (WM_APP + 3)
// Posted to itself when a press of the hot key came while it was busy and was let go: the status
// line says so once what it was busy with is done.
#define WMAPP_HOT_KEY_IGNORED (WM_APP + 9)
// Sent by a dialog it opens: a line for the status line, said for a step (lParam: the UTF-16 text).
#define WMAPP_SAY_FOR_A_STEP (WM_APP + 10)
// Sent by the system when the window moves to a monitor of another DPI; older headers lack it.
#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif
#define TRAY_ICON_ID 24

#define IDI_PROGRAM 1
#define IDB_SPLASH 1
