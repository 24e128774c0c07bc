// Settings stored damaged, as another program or a damaged hive may leave them: a value of another
// type whose bytes spell a text, or a text of 260 bytes without its terminator. Each must read as
// its default. The settings tests read every one of them in this process; the faults tests start
// the real program on one of each kind.
#pragma once
#include <windows.h>

#include <string>

#include "app/settings.h"
#include "support/registry.h"

struct SettingDamage {
    const char* szWhat;
    DWORD dwType;
};
const SettingDamage kSettingDamages[] = {
    {"REG_DWORD", REG_DWORD}, {"REG_BINARY", REG_BINARY}, {"REG_SZ, 260 bytes unterminated", REG_SZ}};

// A setting by its value name, with the text its damaged bytes spell: what it would show if the
// type or the terminator were not looked at.
struct DamagedSetting {
    const char* szName;
    const char* szMisread;
};
const DamagedSetting kDamagedSettings[] = {
    {"FixedCostAmount", "9.9"}, {"CostPerCharacter", "7.7"}, {"CostPerWord", "5.5"}, {"CharacterPerLine", "33"},
    {"CostPerLine", "3.3"},     {"HotKeyOn", "0"},           {"HotKeyAutoSelect", "0"}, {"HotKey", "65"},
    {"HotKeyModifier", "3"},    {"CSVFilePath", "C:x"},
};
static_assert(sizeof(kDamagedSettings) / sizeof(kDamagedSettings[0]) == kPriceSettingCount + 5,
              "every setting: the prices, the hot key's two boxes, its key and modifiers, the CSV path");

// The bytes stored for a setting under a damage: four bytes (the misread text and its terminator)
// as a number, the text with its terminator as binary, or its first character 260 times as a text.
inline std::string DamagedBytes(const SettingDamage& damage, const DamagedSetting& setting) {
    std::string bytes;
    if (damage.dwType == REG_DWORD) {
        bytes = setting.szMisread;
        bytes.resize(4, '\0');
    } else if (damage.dwType == REG_BINARY) {
        bytes = std::string(setting.szMisread) + '\0';
    } else {
        bytes.assign(kRegistryTextSize, setting.szMisread[0]);
    }
    return bytes;
}
