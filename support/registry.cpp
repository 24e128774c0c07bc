#include "support/registry.h"

#include <stdio.h>
#include <string.h>
#include <wchar.h>
#include <windows.h>

namespace {

const char kCurrentVersionKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

// Copies what fits of szText, as a text of the program's registry would: at most
// kRegistryTextSize - 1 bytes.
void CopyText(char* szValue, size_t cbValue, const char* szText) {
    if (cbValue == 0) return;
    size_t cbRoom = cbValue < kRegistryTextSize ? cbValue : static_cast<size_t>(kRegistryTextSize);
    size_t n = strnlen(szText, cbRoom - 1);
    memcpy(szValue, szText, n);
    szValue[n] = '\0';
}

}  // namespace

void GetRegistrySectionPath(const char* szSection, char* szKeyPath, size_t cbKeyPath) {
    snprintf(szKeyPath, cbKeyPath, "Software\\Kestrilon\\TallyQuill\\%s", szSection);
}

void GetRegistryString(const char* szSection, const char* szName, const char* szDefault, char* szValue,
                       size_t cbValue) {
    char szKeyPath[kRegistryTextSize];
    GetRegistrySectionPath(szSection, szKeyPath, sizeof(szKeyPath));
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, szKeyPath, 0, KEY_QUERY_VALUE, &hKey) != ERROR_SUCCESS) {
        CopyText(szValue, cbValue, szDefault);
        return;
    }
    // The type is asked for so that a number or binary value is never taken for text, and the size
    // so that a value stored without its terminator is ended inside the buffer.
    char szRead[kRegistryTextSize] = "";
    DWORD dwType = REG_NONE;
    DWORD dwBytes = sizeof(szRead);
    LONG nResult = RegQueryValueExA(hKey, szName, nullptr, &dwType, reinterpret_cast<BYTE*>(szRead), &dwBytes);
    RegCloseKey(hKey);
    bool bRead = nResult == ERROR_SUCCESS && StoredBytesToText(szRead, dwType, dwBytes) && strlen(szRead) < cbValue;
    CopyText(szValue, cbValue, bRead ? szRead : szDefault);
}

long SetRegistryString(const char* szSection, const char* szName, const char* szValue) {
    char szKeyPath[kRegistryTextSize];
    GetRegistrySectionPath(szSection, szKeyPath, sizeof(szKeyPath));
    HKEY hKey = nullptr;
    char szClass[] = "";
    LONG nResult = RegCreateKeyExA(HKEY_LOCAL_MACHINE, szKeyPath, 0, szClass, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                                   nullptr, &hKey, nullptr);
    if (nResult != ERROR_SUCCESS) return nResult;  // no rights to the machine's key: the value is not kept
    nResult = RegSetValueExA(hKey, szName, 0, REG_SZ, reinterpret_cast<const BYTE*>(szValue),
                             static_cast<DWORD>(strlen(szValue) + 1));
    RegCloseKey(hKey);
    return nResult;
}

void GetRegistryStringW(const char* szSection, const char* szName, wchar_t* szValue, size_t nUnits) {
    if (nUnits == 0) return;
    szValue[0] = L'\0';
    char szKeyPath[kRegistryTextSize];
    GetRegistrySectionPath(szSection, szKeyPath, sizeof(szKeyPath));
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, szKeyPath, 0, KEY_QUERY_VALUE, &hKey) != ERROR_SUCCESS) return;
    WCHAR szName16[kRegistryTextSize];
    WCHAR szRead[kRegistryTextSize];
    DWORD dwType = REG_NONE;
    DWORD cbRead = sizeof(szRead);
    bool bRead = MultiByteToWideChar(CP_ACP, 0, szName, -1, szName16, kRegistryTextSize) > 0 &&
                 RegQueryValueExW(hKey, szName16, nullptr, &dwType, reinterpret_cast<BYTE*>(szRead), &cbRead) ==
                     ERROR_SUCCESS &&
                 dwType == REG_SZ;
    RegCloseKey(hKey);
    if (!bRead) return;
    // A value stored without its terminator is ended where it ends; one that fills the room is refused.
    size_t nRead = cbRead / sizeof(WCHAR);
    if (nRead == 0 || szRead[nRead - 1] != L'\0') {
        if (nRead >= kRegistryTextSize) return;
        szRead[nRead] = L'\0';
    }
    if (wcslen(szRead) < nUnits) wcscpy(szValue, szRead);
}

long SetRegistryStringW(const char* szSection, const char* szName, const wchar_t* szValue) {
    char szKeyPath[kRegistryTextSize];
    GetRegistrySectionPath(szSection, szKeyPath, sizeof(szKeyPath));
    WCHAR szName16[kRegistryTextSize];
    if (MultiByteToWideChar(CP_ACP, 0, szName, -1, szName16, kRegistryTextSize) == 0) return ERROR_INVALID_PARAMETER;
    HKEY hKey = nullptr;
    char szClass[] = "";
    LONG nResult = RegCreateKeyExA(HKEY_LOCAL_MACHINE, szKeyPath, 0, szClass, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                                   nullptr, &hKey, nullptr);
    if (nResult != ERROR_SUCCESS) return nResult;
    nResult = RegSetValueExW(hKey, szName16, 0, REG_SZ, reinterpret_cast<const BYTE*>(szValue),
                             static_cast<DWORD>((wcslen(szValue) + 1) * sizeof(WCHAR)));
    RegCloseKey(hKey);
    return nResult;
}

int GetRegistryInt(const char* szSection, const char* szName, int nDefault) {
    char szValue[kRegistryTextSize];
    GetRegistryString(szSection, szName, "", szValue, sizeof(szValue));
    return StoredTextToInt(szValue, nDefault);
}

long SetRegistryInt(const char* szSection, const char* szName, int nValue) {
    char szValue[16];
    IntToStoredText(nValue, szValue);
    return SetRegistryString(szSection, szName, szValue);
}

bool GetRegistryBool(const char* szSection, const char* szName, bool bDefault) {
    char szValue[kRegistryTextSize];
    GetRegistryString(szSection, szName, "", szValue, sizeof(szValue));
    return StoredTextToBool(szValue, bDefault);
}

long SetRegistryBool(const char* szSection, const char* szName, bool bValue) {
    return SetRegistryString(szSection, szName, bValue ? "1" : "0");
}

bool ReadSystemText(HKEY hRoot, const char* szKey, const char* szName, char* szValue, size_t cbValue,
                    DWORD cbMaxStored) {
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(hRoot, szKey, 0, KEY_QUERY_VALUE, &hKey) != ERROR_SUCCESS) return false;
    char szRead[kRegistryTextSize];
    DWORD dwType = 0;
    DWORD cbRead = cbMaxStored < sizeof(szRead) ? cbMaxStored : sizeof(szRead);
    LONG nResult = RegQueryValueExA(hKey, szName, nullptr, &dwType, reinterpret_cast<BYTE*>(szRead), &cbRead);
    RegCloseKey(hKey);
    if (nResult != ERROR_SUCCESS || (dwType != REG_SZ && dwType != REG_EXPAND_SZ) || cbRead == 0) return false;
    // A value stored without its terminator is cut where it ends; one that fills the room is refused.
    if (szRead[cbRead - 1] != '\0') {
        if (cbRead >= sizeof(szRead)) return false;
        szRead[cbRead] = '\0';
    }
    size_t cbText = strlen(szRead) + 1;
    if (cbText == 1 || cbText > cbValue) return false;
    memcpy(szValue, szRead, cbText);
    return true;
}

bool ReadProgramFilesDir(char* szFolder, size_t cbFolder, DWORD cbMaxStored) {
    return ReadSystemText(HKEY_LOCAL_MACHINE, kCurrentVersionKey, "ProgramFilesDir", szFolder, cbFolder, cbMaxStored);
}
