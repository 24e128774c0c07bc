// The settings and the registry helpers against the real registry of the test prefix.
#include <gtest/gtest.h>
#include <string.h>
#include <windows.h>

#include <string>

#include "app/settings.h"
#include "support/registry.h"
#include "tests/wine/wine_test_support.h"

namespace {

const char kKeyPath[] = "Software\\Kestrilon\\TallyQuill\\Settings";
const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override { ResetProgramRegistry(); }
    void TearDown() override { ResetProgramRegistry(); }

    // Stores raw bytes of any type, as another program (or a damaged hive) might.
    static void StoreRaw(const char* szName, DWORD dwType, const void* pData, DWORD dwBytes) {
        HKEY hKey = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS,
                                                 nullptr, &hKey, nullptr));
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(hKey, szName, 0, dwType, static_cast<const BYTE*>(pData), dwBytes));
        RegCloseKey(hKey);
    }

    static std::string ReadString(const char* szName, const char* szDefault) {
        char szValue[kRegistryTextSize + 16];
        memset(szValue, '#', sizeof(szValue));
        GetRegistryString("Settings", szName, szDefault, szValue);
        EXPECT_EQ('#', szValue[kRegistryTextSize]) << "read past the 260-byte buffer";
        EXPECT_NE(nullptr, memchr(szValue, '\0', kRegistryTextSize)) << "no terminator";
        return szValue;
    }
};

TEST_F(SettingsTest, EveryValueHasItsDefaultWithoutASection) {
    const char* expected[kPriceSettingCount] = {"0.00", "0.00", "0.02", "80", "0.00"};
    for (int i = 0; i < kPriceSettingCount; ++i) {
        char szText[kRegistryTextSize];
        LoadPriceSetting(kPriceSettings[i], szText);
        EXPECT_STREQ(expected[i], szText) << kPriceSettings[i].szValueName;
    }
    EXPECT_TRUE(LoadHotKeyOn());
    EXPECT_TRUE(LoadHotKeyAutoSelect());
    EXPECT_EQ(119, LoadHotKey());
    EXPECT_EQ(4, LoadHotKeyModifier());
    char szPath[kRegistryTextSize] = "stale";
    LoadCsvFilePath(szPath);
    EXPECT_STREQ("", szPath);
}

TEST_F(SettingsTest, StoredFormsRoundTrip) {
    SetRegistryInt("Settings", "HotKey", -5);
    EXPECT_EQ("-5", ReadString("HotKey", "x"));
    EXPECT_EQ(-5, LoadHotKey());

    struct IntCase {
        const char* szStored;
        int nExpected;
    } ints[] = {{" 42abc", 42}, {"abc", 0}, {"", 119}};
    for (const IntCase& c : ints) {
        SetRegistryString("Settings", "HotKey", c.szStored);
        EXPECT_EQ(c.nExpected, LoadHotKey()) << "«" << c.szStored << "»";
    }

    struct FlagCase {
        const char* szStored;
        bool bExpected;
    } flags[] = {{"0", false}, {"0x", false}, {"00", false}, {"1", true},
                 {"yes", true}, {"no", true}, {"false", true}};
    for (const FlagCase& c : flags) {
        SetRegistryString("Settings", "HotKeyOn", c.szStored);
        EXPECT_EQ(c.bExpected, LoadHotKeyOn()) << "«" << c.szStored << "»";
        EXPECT_EQ(c.bExpected, GetRegistryBool("Settings", "HotKeyOn", !c.bExpected)) << "«" << c.szStored << "»";
    }
    SetRegistryString("Settings", "HotKeyOn", "");
    EXPECT_TRUE(GetRegistryBool("Settings", "HotKeyOn", true));
    EXPECT_FALSE(GetRegistryBool("Settings", "HotKeyOn", false));
    EXPECT_EQ("", ReadString("HotKeyOn", "default")) << "an empty text is a text, not the default";

    // A price text is kept exactly as typed.
    SavePriceSetting(kPriceSettings[2], "1.5 per page");
    char szText[kRegistryTextSize];
    LoadPriceSetting(kPriceSettings[2], szText);
    EXPECT_STREQ("1.5 per page", szText);

    // A text too long for the buffer reads as the default.
    std::string text300(300, 'a');
    SetRegistryString("Settings", "CostPerWord", text300.c_str());
    LoadPriceSetting(kPriceSettings[2], szText);
    EXPECT_STREQ("0.02", szText);

    SaveHotKey(65, 3);
    EXPECT_EQ(65, LoadHotKey());
    EXPECT_EQ(3, LoadHotKeyModifier());
    SaveCsvFilePath("C:\\jobs\\log.csv");
    LoadCsvFilePath(szText);
    EXPECT_STREQ("C:\\jobs\\log.csv", szText);
}

TEST_F(SettingsTest, OtherTypesAndUnterminatedValuesNeverGiveGarbage) {
    DWORD dwFive = 5;
    StoreRaw("HotKey", REG_DWORD, &dwFive, sizeof(dwFive));
    EXPECT_EQ("dflt", ReadString("HotKey", "dflt"));
    EXPECT_EQ(119, LoadHotKey());

    unsigned char binary[8] = {'4', '2', 0xFF, 0x01, 'x', 'y', 'z', 'w'};
    StoreRaw("HotKeyOn", REG_BINARY, binary, sizeof(binary));
    EXPECT_EQ("dflt", ReadString("HotKeyOn", "dflt"));
    SetRegistryString("Settings", "HotKeyOn", "0");
    StoreRaw("HotKeyOn", REG_MULTI_SZ, "0\0" "1\0", 5);
    EXPECT_TRUE(LoadHotKeyOn()) << "a list is not a flag text: the default holds";

    // 260 bytes with no terminator: too long to end inside the buffer.
    char unterminated[kRegistryTextSize];
    memset(unterminated, '7', sizeof(unterminated));
    StoreRaw("CostPerLine", REG_SZ, unterminated, sizeof(unterminated));
    EXPECT_EQ("0.00", ReadString("CostPerLine", "0.00"));
    StoreRaw("CostPerLine", REG_BINARY, unterminated, sizeof(unterminated));
    EXPECT_EQ("0.00", ReadString("CostPerLine", "0.00"));

    // Shorter values stored without their terminator end where they end.
    StoreRaw("CostPerLine", REG_SZ, "1.25xxxx", 4);
    EXPECT_EQ("1.25", ReadString("CostPerLine", "0.00"));
    std::string text259(259, 'b');
    StoreRaw("CostPerLine", REG_SZ, text259.data(), 259);
    EXPECT_EQ(text259, ReadString("CostPerLine", "0.00"));
}

TEST_F(SettingsTest, RunAtLogonValue) {
    const char szProgram[] = "C:\\Program Files\\Kestrilon\\TallyQuill\\tallyq.exe";
    SetRunAtLogon(szProgram);
    HKEY hKey = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_QUERY_VALUE, &hKey));
    char szValue[512] = {};
    DWORD dwType = 0, dwBytes = sizeof(szValue);
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExA(hKey, "TallyQuillRun", nullptr, &dwType,
                                              reinterpret_cast<BYTE*>(szValue), &dwBytes));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), dwType);
    std::string expected = std::string(szProgram) + " /logon";
    EXPECT_EQ(expected, szValue);
    EXPECT_EQ(expected.size() + 1, dwBytes) << "the terminator is counted in the stored size";

    ClearRunAtLogon();
    dwBytes = sizeof(szValue);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegQueryValueExA(hKey, "TallyQuillRun", nullptr, nullptr,
                                                     reinterpret_cast<BYTE*>(szValue), &dwBytes));
    RegCloseKey(hKey);
    ClearRunAtLogon();  // a second clear finds nothing to remove and says nothing

    // Without the Run key neither call creates it nor fails loudly.
    HKEY hVersion = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", 0,
                                           KEY_ALL_ACCESS, &hVersion));
    ASSERT_EQ(ERROR_SUCCESS, RegDeleteKeyA(hVersion, "Run"));
    SetRunAtLogon(szProgram);
    ClearRunAtLogon();
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_QUERY_VALUE, &hKey));
    HKEY hRun = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(hVersion, "Run", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hRun, nullptr));
    RegCloseKey(hRun);
    RegCloseKey(hVersion);
}

// The date order is read once per run, so each order is checked in a process of its own.
TEST(DateTextTest, FollowsTheUsersDateOrder) {
    HKEY hIntl = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\International", 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &hIntl, nullptr));
    char szOld[32] = {};
    DWORD dwOld = sizeof(szOld);
    bool bHadOld = RegQueryValueExA(hIntl, "iDate", nullptr, nullptr, reinterpret_cast<BYTE*>(szOld), &dwOld) ==
                   ERROR_SUCCESS;
    const std::string probe = "\"" + TestProgramFolder() + "date_probe.exe\" ";
    const char* const kDecember7 = "1796644800";  // 7 December 2026, noon UTC
    struct Case {
        const char* sziDate;  // nullptr: no entry
        const char* szExpected;
    } cases[] = {{"0", "[12/07/26]"}, {"1", "[07/12/26]"}, {"2", "[26/12/07]"}, {"5", "[12/07/26]"},
                 {nullptr, "[12/07/26]"}};
    for (const Case& c : cases) {
        if (c.sziDate) {
            RegSetValueExA(hIntl, "iDate", 0, REG_SZ, reinterpret_cast<const BYTE*>(c.sziDate),
                           static_cast<DWORD>(strlen(c.sziDate) + 1));
        } else {
            RegDeleteValueA(hIntl, "iDate");
        }
        ChildResult child = RunChild(probe + kDecember7);
        EXPECT_EQ(0, child.nExitCode);
        EXPECT_EQ(c.szExpected, child.output) << "iDate " << (c.sziDate ? c.sziDate : "missing");
    }
    RegSetValueExA(hIntl, "iDate", 0, REG_SZ, reinterpret_cast<const BYTE*>("1"), 2);
    EXPECT_EQ("[]", RunChild(probe + "0").output) << "time 0 is no time";
    EXPECT_EQ("[04/03/05]", RunChild(probe + "1109937600").output) << "4 March 2005";
    if (bHadOld) {
        RegSetValueExA(hIntl, "iDate", 0, REG_SZ, reinterpret_cast<const BYTE*>(szOld), dwOld);
    } else {
        RegDeleteValueA(hIntl, "iDate");
    }
    RegCloseKey(hIntl);
}

}  // namespace
