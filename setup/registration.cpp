#include "setup/registration.h"

#include <stdio.h>
#include <string.h>
#include <windows.h>

#include "setup/install_places.h"
#include "setup/missed_steps.h"
#include "setup/shell_registration.h"
#include "support/path_text.h"
#include "support/registry.h"
#include "support/run_at_logon.h"
#include "support/stored_forms.h"

namespace {

// A user's start-at-logon value below HKEY_USERS\<szUser>, removed when it starts szProgramPath;
// false when it stays.
bool DeleteUsersRunValue(const char* szUser, const char* szProgramPath) {
    char szKey[kPathBufferSize];
    int n = snprintf(szKey, sizeof(szKey), "%s\\%s", szUser, kRunAtLogonKey);
    if (n <= 0 || n >= static_cast<int>(sizeof(szKey))) return true;
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(HKEY_USERS, szKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &hKey) != ERROR_SUCCESS) {
        // A key that cannot be opened to change it may still hold the value.
        char szCommand[kRegistryTextSize];
        return !ReadSystemText(HKEY_USERS, szKey, kRunAtLogonValue, szCommand, sizeof(szCommand), sizeof(szCommand)) ||
               !RunCommandStarts(szCommand, szProgramPath);
    }
    char szCommand[kRegistryTextSize] = "";
    DWORD dwType = 0, cbCommand = sizeof(szCommand) - 1;
    bool bGone = true;
    if (RegQueryValueExA(hKey, kRunAtLogonValue, nullptr, &dwType, reinterpret_cast<BYTE*>(szCommand), &cbCommand) ==
            ERROR_SUCCESS &&
        (dwType == REG_SZ || dwType == REG_EXPAND_SZ)) {
        szCommand[cbCommand] = '\0';
        if (RunCommandStarts(szCommand, szProgramPath))
            bGone = RegDeleteValueA(hKey, kRunAtLogonValue) == ERROR_SUCCESS;
    }
    RegCloseKey(hKey);
    return bGone;
}

}  // namespace

bool Registration::MakeShortcut(const char* szShortcut, const char* szTarget) {
    return CreateShortcut(szShortcut, szTarget);
}

bool Registration::DeleteShortcut(const char* szShortcut) {
    return DeleteFileA(szShortcut) || GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND;
}

bool Registration::WriteUninstallEntry(const char* szInstallPath) { return ::WriteUninstallEntry(szInstallPath); }

bool Registration::DeleteUninstallEntry() { return ::DeleteUninstallEntry(); }

bool Registration::WriteFolders(const char* szInstallPath) {
    return SetRegistryString(kFoldersSection, "ProgramFiles", szInstallPath) == ERROR_SUCCESS &&
           SetRegistryString(kFoldersSection, "DataFiles", szInstallPath) == ERROR_SUCCESS;
}

void Registration::DeleteRunValues(const char* szProgramPath, MissedSteps* pMissed) {
    // The machine's value and this user's go as they always did; every other loaded user's goes
    // when it starts the program removed. Users who are not logged on keep theirs: at their logon
    // the system finds no program to start.
    if (ClearRunAtLogon() != ERROR_SUCCESS)
        pMissed->Add("The start-at-logon value", "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run");
    char szUser[256];
    for (DWORD dwIndex = 0;; ++dwIndex) {
        DWORD cchUser = sizeof(szUser);
        LONG nResult = RegEnumKeyExA(HKEY_USERS, dwIndex, szUser, &cchUser, nullptr, nullptr, nullptr, nullptr);
        if (nResult == ERROR_MORE_DATA) continue;
        if (nResult != ERROR_SUCCESS) break;
        if (!DeleteUsersRunValue(szUser, szProgramPath)) {
            char szWhere[sizeof(szUser) + 80];
            snprintf(szWhere, sizeof(szWhere), "HKEY_USERS\\%s\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", szUser);
            pMissed->Add("The start-at-logon value", szWhere);
        }
    }
}
