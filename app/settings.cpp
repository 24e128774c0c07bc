#include "app/settings.h"

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

void LoadPriceSetting(const PriceSetting& setting, char* szText, size_t cbText) {
    GetRegistryString(kSettingsSection, setting.szValueName, setting.szDefault, szText, cbText);
}

long SavePriceSetting(const PriceSetting& setting, const char* szText) {
    return SetRegistryString(kSettingsSection, setting.szValueName, szText);
}

bool LoadHotKeyOn() { return GetRegistryBool(kSettingsSection, "HotKeyOn", true); }
long SaveHotKeyOn(bool bOn) { return SetRegistryBool(kSettingsSection, "HotKeyOn", bOn); }
bool LoadHotKeyAutoSelect() { return GetRegistryBool(kSettingsSection, "HotKeyAutoSelect", true); }
long SaveHotKeyAutoSelect(bool bOn) { return SetRegistryBool(kSettingsSection, "HotKeyAutoSelect", bOn); }

int LoadHotKey() { return GetRegistryInt(kSettingsSection, "HotKey", kDefaultHotKey); }
int LoadHotKeyModifier() { return GetRegistryInt(kSettingsSection, "HotKeyModifier", kDefaultHotKeyModifier); }

void SaveHotKey(int nVirtualKey, int nModifiers) {
    SetRegistryInt(kSettingsSection, "HotKey", nVirtualKey);
    SetRegistryInt(kSettingsSection, "HotKeyModifier", nModifiers);
}

void LoadCsvFilePath(char* szPath, size_t cbPath) {
    GetRegistryString(kSettingsSection, "CSVFilePath", "", szPath, cbPath);
}
void SaveCsvFilePath(const char* szPath) { SetRegistryString(kSettingsSection, "CSVFilePath", szPath); }

void LoadQuoteFolder(wchar_t* szFolder) {
    GetRegistryStringW(kSettingsSection, "QuoteFolder", szFolder, kQuoteFolderUnits);
}
void SaveQuoteFolder(const wchar_t* szFolder) { SetRegistryStringW(kSettingsSection, "QuoteFolder", szFolder); }
