// The settings of section "Settings": each value's name, stored form and default, in one place.
// Prices live in the main dialog's edit fields while the program runs; the hot key and the CSV path
// are read and written at the moment they are used.
#pragma once
#include <stddef.h>

extern const char kSettingsSection[];

// The five price fields, stored as the texts the user left in them.
struct PriceSetting {
    const char* szValueName;
    const char* szDefault;
    int nControlId;
};
enum { kPriceSettingCount = 5 };
extern const PriceSetting kPriceSettings[kPriceSettingCount];

// Into szText of cbText bytes, as GetRegistryString reads.
void LoadPriceSetting(const PriceSetting& setting, char* szText, size_t cbText);
// The Save forms return the system's error code, ERROR_SUCCESS when the value was written.
long SavePriceSetting(const PriceSetting& setting, const char* szText);

bool LoadHotKeyOn();
long SaveHotKeyOn(bool bOn);
bool LoadHotKeyAutoSelect();
long SaveHotKeyAutoSelect(bool bOn);

// The hot key: a virtual-key code and the modifier bits 1 Alt, 2 Ctrl, 4 Shift. Default Shift+F8.
enum { kDefaultHotKey = 119, kDefaultHotKeyModifier = 4 };
int LoadHotKey();
int LoadHotKeyModifier();
void SaveHotKey(int nVirtualKey, int nModifiers);

// The CSV job log's path; empty when none was chosen.
void LoadCsvFilePath(char* szPath, size_t cbPath);
void SaveCsvFilePath(const char* szPath);

// The folder the last quote was saved to (UTF-16, kQuoteFolderUnits); empty when none was.
enum { kQuoteFolderUnits = 260 };
void LoadQuoteFolder(wchar_t* szFolder);
void SaveQuoteFolder(const wchar_t* szFolder);
