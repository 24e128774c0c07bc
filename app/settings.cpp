#include "app/settings.h"

#include <stdio.h>
#include <string.h>
#include <windows.h>

#include "resources/main_dialog_ids.h"
#include "support/registry.h"

const char kSettingsSection[] = "Settings";

const PriceSetting kPriceSettings[kPriceSettingCount] = {
    {"FixedCostAmount", "0.00", IDC_FIXED_COST},
    {"CostPerCharacter", "0.00", IDC_COST_PER_CHAR},
    {"CostPerWord", "0.02", IDC_COST_PER_WORD},
    {"CharacterPerLine", "80", IDC_CHARS_PER_LINE},
    {"CostPerLine", "0.00", IDC_COST_PER_LINE},
};

namespace {
const char kRunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kRunValue[] = "TallyQuillRun";
}  // namespace

void LoadPriceSetting(const PriceSetting& setting, char* szText) {
    GetRegistryString(kSettingsSection, setting.szValueName, setting.szDefault, szText);
}

void SavePriceSetting(const PriceSetting& setting, const char* szText) {
    SetRegistryString(kSettingsSection, setting.szValueName, szText);
}

bool LoadHotKeyOn() { return GetRegistryBool(kSettingsSection, "HotKeyOn", true); }
void SaveHotKeyOn(bool bOn) { SetRegistryBool(kSettingsSection, "HotKeyOn", bOn); }
bool LoadHotKeyAutoSelect() { return GetRegistryBool(kSettingsSection, "HotKeyAutoSelect", true); }
void SaveHotKeyAutoSelect(bool bOn) { SetRegistryBool(kSettingsSection, "HotKeyAutoSelect", bOn); }

int LoadHotKey() { return GetRegistryInt(kSettingsSection, "HotKey", kDefaultHotKey); }
int LoadHotKeyModifier() { return GetRegistryInt(kSettingsSection, "HotKeyModifier", kDefaultHotKeyModifier); }

void SaveHotKey(int nVirtualKey, int nModifiers) {
    SetRegistryInt(kSettingsSection, "HotKey", nVirtualKey);
    SetRegistryInt(kSettingsSection, "HotKeyModifier", nModifiers);
}

void LoadCsvFilePath(char* szPath) { GetRegistryString(kSettingsSection, "CSVFilePath", "", szPath); }
void SaveCsvFilePath(const char* szPath) { SetRegistryString(kSettingsSection, "CSVFilePath", szPath); }

void SetRunAtLogon(const char* szProgramPath) {
    // Room for a whole path and the argument: a cut path would start nothing at logon.
    char szCommand[MAX_PATH + 16];
    int nLength = snprintf(szCommand, sizeof(szCommand), "%s /logon", szProgramPath);
    if (nLength < 0 || nLength >= static_cast<int>(sizeof(szCommand))) return;
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_SET_VALUE, &hKey) != ERROR_SUCCESS) return;
    RegSetValueExA(hKey, kRunValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(szCommand),
                   static_cast<DWORD>(nLength + 1));
    RegCloseKey(hKey);
}

void ClearRunAtLogon() {
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_SET_VALUE, &hKey) != ERROR_SUCCESS) return;
    RegDeleteValueA(hKey, kRunValue);
    RegCloseKey(hKey);
}
