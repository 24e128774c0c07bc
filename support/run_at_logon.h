// Start at logon: the Run value "TallyQuillRun" = "\"<program path>\" /logon", machine-wide, or for
// this user where the machine-wide key cannot be written. Kept apart from the program's settings so
// that the setup and the uninstaller can set and clear it too.
#pragma once

void SetRunAtLogon(const char* szProgramPath);
// Removes both values. Returns the system's error when the machine-wide value is there and could
// not be removed (one the setup wrote as administrator), ERROR_SUCCESS otherwise.
long ClearRunAtLogon();

// The Run key and the value's name, as they are below a user's hive or the machine's.
extern const char kRunAtLogonKey[];
extern const char kRunAtLogonValue[];

// Whether a Run value's command starts szProgramPath: the path quoted or bare, alone or followed by
// arguments, its letters compared without regard to case.
bool RunCommandStarts(const char* szCommand, const char* szProgramPath);
