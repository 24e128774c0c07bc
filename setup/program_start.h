// Starting a program from the setup and the uninstaller.
#pragma once

// Starts a program by its path, quoted so that a path with blanks cannot start another program
// that a shorter prefix of it names; szArguments may be empty.
void StartProgram(const char* szPath, const char* szArguments);
