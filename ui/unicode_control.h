// Controls of an ANSI dialog that hold Unicode text. On Windows a control that an ANSI dialog makes
// keeps its text in the ANSI code page, whatever SetDlgItemTextW puts in: a Greek name shows as "?"
// where that code page is 1252 (Wine's controls keep UTF-16 either way).
#pragma once
#include <windows.h>

// Makes the control nId again as a Unicode window of the same class in its place: its styles and
// extended styles, id, position, size, text, font and place in the Z order (and so in the tab
// order). A control that is Unicode already is kept; so is the old one where none can be made
// (a system without Unicode windows). Returns the control that holds the id then.
HWND MakeUnicodeControl(HWND hwndDlg, int nId);

// Sets a control's text from a text in the ANSI code page, converted to Unicode first (the
// program's own texts, and key names as the system gives them).
void SetItemTextFromAnsi(HWND hwndDlg, int nId, const char* szText);
