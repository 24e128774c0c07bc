// The program's own values: HKEY_LOCAL_MACHINE "Software\Kestrilon\TallyQuill\<section>", all REG_SZ;
// and below them, reading the system's own texts.
// Reads never fail: a value that is missing or not a readable text gives the default. Writes return
// the system's error code (ERROR_SUCCESS when the value was written), for the caller to tell.
#pragma once
#include <stddef.h>
#include <windows.h>

#include "support/stored_forms.h"

// Reads a text of at most kRegistryTextSize bytes with its terminator into szValue (cbValue bytes);
// a text that does not fit there gives the default as well (cut to fit). szValue always ends up
// terminated.
void GetRegistryString(const char* szSection, const char* szName, const char* szDefault, char* szValue,
                       size_t cbValue);
long SetRegistryString(const char* szSection, const char* szName, const char* szValue);
// A text in any script, such as a folder's path, of at most kRegistryTextSize - 1 UTF-16 units and
// its terminator into szValue (nUnits units); empty when it is missing, not a text, or does not fit.
void GetRegistryStringW(const char* szSection, const char* szName, wchar_t* szValue, size_t nUnits);
long SetRegistryStringW(const char* szSection, const char* szName, const wchar_t* szValue);
int GetRegistryInt(const char* szSection, const char* szName, int nDefault);
long SetRegistryInt(const char* szSection, const char* szName, int nValue);
bool GetRegistryBool(const char* szSection, const char* szName, bool bDefault);
long SetRegistryBool(const char* szSection, const char* szName, bool bValue);

// The key path of a section, for code that has to remove the program's keys.
void GetRegistrySectionPath(const char* szSection, char* szKeyPath, size_t cbKeyPath);

// The system's own values.
// Reads a system text value that takes at most cbMaxStored bytes as stored into szValue (cbValue
// bytes); false unless it is a text (REG_SZ or REG_EXPAND_SZ) that is not empty and fits with its
// terminator. One stored without its terminator is cut where it ends. szValue is left as it was
// when it returns false.
bool ReadSystemText(HKEY hRoot, const char* szKey, const char* szName, char* szValue, size_t cbValue,
                    DWORD cbMaxStored);
// The system's Program Files folder (ProgramFilesDir), read as ReadSystemText reads.
bool ReadProgramFilesDir(char* szFolder, size_t cbFolder, DWORD cbMaxStored);
