// A text control as high as a whole number of its font's lines, so that no line shows cut through.
#pragma once
#include <windows.h>

// Makes the control nLines lines of its font high, keeping its top and width; fewer lines (one at
// least) where a control below it, or the frame of a group box around it, leaves room for fewer.
// Its font's line height changes with the font: call it after each WM_SETFONT.
void FitToWholeLines(HWND hwndControl, int nLines);
