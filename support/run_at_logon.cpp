#include "support/run_at_logon.h"

#include <stdio.h>
#include <string.h>
#include <windows.h>

#include "support/path_text.h"

const char kRunAtLogonKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kRunAtLogonValue[] = "TallyQuillRun";

namespace {
const char* const kRunKey = kRunAtLogonKey;
const char* const kRunValue = kRunAtLogonValue;

bool SetRunValue(HKEY hRoot, const char* szCommand) {
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(hRoot, kRunKey, 0, KEY_SET_VALUE, &hKey) != ERROR_SUCCESS) return false;
    bool bSet = RegSetValueExA(hKey, kRunValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(szCommand),
                               static_cast<DWORD>(strlen(szCommand) + 1)) == ERROR_SUCCESS;
    RegCloseKey(hKey);
    return bSet;
}

bool RunValueExists(HKEY hRoot) {
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(hRoot, kRunKey, 0, KEY_QUERY_VALUE, &hKey) != ERROR_SUCCESS) return false;
    bool bExists = RegQueryValueExA(hKey, kRunValue, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    RegCloseKey(hKey);
    return bExists;
}

// Returns the system's error when a value that is there could not be removed.
long DeleteRunValue(HKEY hRoot) {
    HKEY hKey = nullptr;
    LONG nResult = RegOpenKeyExA(hRoot, kRunKey, 0, KEY_SET_VALUE, &hKey);
    if (nResult == ERROR_SUCCESS) {
        nResult = RegDeleteValueA(hKey, kRunValue);
        RegCloseKey(hKey);
    }
    if (nResult == ERROR_SUCCESS || nResult == ERROR_FILE_NOT_FOUND || !RunValueExists(hRoot)) return ERROR_SUCCESS;
    return nResult;
}
}  // namespace

void SetRunAtLogon(const char* szProgramPath) {
    // The path is quoted: the system splits this command line at blanks, and an unquoted
    // "C:\Program Files\..." would first try to start "C:\Program.exe". Room for a whole path and
    // the argument: a cut path would start nothing at logon.
    char szCommand[kPathBufferSize + 16];
    int nLength = snprintf(szCommand, sizeof(szCommand), "\"%s\" /logon", szProgramPath);
    if (nLength < 0 || nLength >= static_cast<int>(sizeof(szCommand))) return;
    // The machine-wide value starts the program for every user. A user without administrator
    // rights cannot write it: the per-user value then starts it for that user.
    if (SetRunValue(HKEY_LOCAL_MACHINE, szCommand)) {
        DeleteRunValue(HKEY_CURRENT_USER);  // or it would start twice
        return;
    }
    SetRunValue(HKEY_CURRENT_USER, szCommand);
}

long ClearRunAtLogon() {
    // The per-user value goes whatever becomes of the machine-wide one.
    long nMachine = DeleteRunValue(HKEY_LOCAL_MACHINE);
    DeleteRunValue(HKEY_CURRENT_USER);
    return nMachine;
}

bool RunCommandStarts(const char* szCommand, const char* szProgramPath) {
    size_t nPath = strlen(szProgramPath);
    bool bQuoted = szCommand[0] == '"';
    const char* pPath = szCommand + (bQuoted ? 1 : 0);
    if (nPath == 0 || strlen(pPath) < nPath ||
        CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, pPath, static_cast<int>(nPath), szProgramPath,
                                     static_cast<int>(nPath)) != CSTR_EQUAL)
        return false;
    char cAfter = pPath[nPath];
    return bQuoted ? cAfter == '"' : cAfter == '\0' || cAfter == ' ';
}
