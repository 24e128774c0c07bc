// The program's own values: HKEY_LOCAL_MACHINE "Software\Kestrilon\TallyQuill\<section>", all REG_SZ.
// Reads never fail: a value that is missing or not a readable text gives the default. Writes that
// cannot be made are silent.
#pragma once
#include "support/stored_forms.h"

// szValue must hold kRegistryTextSize bytes; it always ends up terminated.
void GetRegistryString(const char* szSection, const char* szName, const char* szDefault, char* szValue);
void SetRegistryString(const char* szSection, const char* szName, const char* szValue);
int GetRegistryInt(const char* szSection, const char* szName, int nDefault);
void SetRegistryInt(const char* szSection, const char* szName, int nValue);
bool GetRegistryBool(const char* szSection, const char* szName, bool bDefault);
void SetRegistryBool(const char* szSection, const char* szName, bool bValue);

// The key path of a section, for code that has to remove the program's keys.
void GetRegistrySectionPath(const char* szSection, char* szKeyPath /* kRegistryTextSize */);
