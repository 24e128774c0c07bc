// The inputs of tallyq-count: its arguments as UTF-8, and files opened for reading by a UTF-8
// name, with the system's own reason when one cannot be. On Windows the arguments come from the
// UTF-16 command line and files are opened with CreateFileW, so a name outside the ANSI code page
// is read, and with every sharing mode, so a document open in its program is read too.
#pragma once
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

// The program's arguments as UTF-8 (argv itself off Windows).
char** Utf8Arguments(int* pArgc, char** argv);

struct CountInput {
    FILE* pFile = nullptr;
    bool bStdin = false;
    bool bSized = false;  // a disk file: its size is known
    uint64_t cbSize = 0;
};

// Opens a file for reading ("-" is standard input); false with the reason in szReason (cbReason
// bytes) when it cannot be opened or is no file on disk (a folder, a pipe, a device).
bool OpenCountInput(const char* szName, CountInput* pInput, char* szReason, size_t cbReason);
void CloseCountInput(CountInput* pInput);
// The system's reason for the last failed read of a file.
void ReadFailureReason(char* szReason, size_t cbReason);
// Creates (or empties) a file for writing by a UTF-8 name; null with the reason when it cannot be.
FILE* CreateCountOutput(const char* szName, char* szReason, size_t cbReason);
// Removes a file written in part.
bool RemoveCountOutput(const char* szName);
// The ANSI code page on Windows, for texts that are neither marked nor UTF-8 (0 elsewhere).
int SystemCodePage();
