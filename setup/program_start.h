// Starting a program from the setup and the uninstaller.
#pragma once

// Starts a program by its path, quoted so that a path with blanks cannot start another program
// that a shorter prefix of it names; szArguments may be empty.
void StartProgram(const char* szPath, const char* szArguments);

// The same without waiting for the program to be ready for input; false when it did not start.
bool StartProgramAndGoOn(const char* szPath, const char* szArguments);

// Asks the desktop's shell to start the program, so that it runs as the user who is logged on and
// without elevation, whatever this process's rights: the desktop window's Shell.Application
// object (IShellDispatch2::ShellExecute), reached through IShellWindows::FindWindowSW with
// SWC_DESKTOP. False, starting nothing, where that cannot be done (no desktop shell, or one that
// does not offer it).
bool StartProgramAsDesktopUser(const char* szPath);
