#include "support/registry.h"

#include <stdio.h>
#include <string.h>
#include <windows.h>


namespace {

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
