// The system's text for an error code, as every message of the programs says it.
#pragma once
#include <stddef.h>
#include <windows.h>

// The system's text for dwError, without the line break it ends with (its full stop stays);
// "system error N" where the system has no text for it.
void SystemErrorText(DWORD dwError, wchar_t* szText, size_t nUnits);

// The same text in the ANSI code page, for the programs' ANSI messages and tallyq-count's lines.
void SystemErrorTextAnsi(DWORD dwError, char* szText, size_t cbText);
