// The settings and the registry helpers against the real registry of the test prefix.
#include <gtest/gtest.h>
#include <string.h>
#include <windows.h>

#include <string>

#include "app/settings.h"
#include "support/registry.h"
#include "support/run_at_logon.h"
#include "tests/wine/damaged_settings.h"
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
        GetRegistryString("Settings", szName, szDefault, szValue, kRegistryTextSize);
        EXPECT_EQ('#', szValue[kRegistryTextSize]) << "read past the 260-byte buffer";
        EXPECT_NE(nullptr, memchr(szValue, '\0', kRegistryTextSize)) << "no terminator";
        return szValue;
    }
};

TEST_F(SettingsTest, EveryValueHasItsDefaultWithoutASection) {
    const char* expected[kPriceSettingCount] = {"0.00", "0.00", "0.02", "80", "0.00"};
    for (int i = 0; i < kPriceSettingCount; ++i) {
        char szText[kRegistryTextSize];
        LoadPriceSetting(kPriceSettings[i], szText, sizeof(szText));
        EXPECT_STREQ(expected[i], szText) << kPriceSettings[i].szValueName;
    }
    EXPECT_TRUE(LoadHotKeyOn());
    EXPECT_TRUE(LoadHotKeyAutoSelect());
    EXPECT_EQ(119, LoadHotKey());
    EXPECT_EQ(4, LoadHotKeyModifier());
    char szPath[kRegistryTextSize] = "stale";
    LoadCsvFilePath(szPath, sizeof(szPath));
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
    LoadPriceSetting(kPriceSettings[2], szText, sizeof(szText));
    EXPECT_STREQ("1.5 per page", szText);

    // A text too long for the buffer reads as the default.
    std::string text300(300, 'a');
    SetRegistryString("Settings", "CostPerWord", text300.c_str());
    LoadPriceSetting(kPriceSettings[2], szText, sizeof(szText));
    EXPECT_STREQ("0.02", szText);

    SaveHotKey(65, 3);
    EXPECT_EQ(65, LoadHotKey());
    EXPECT_EQ(3, LoadHotKeyModifier());
    SaveCsvFilePath("C:\\jobs\\log.csv");
    LoadCsvFilePath(szText, sizeof(szText));
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

// A setting as the program loads it, as text ("1"/"0" for a box), and its default the same way.
struct Loaded {
    std::string text;
    std::string defaultText;
};
Loaded LoadSetting(const std::string& name) {
    char szText[kRegistryTextSize] = "";
    for (const PriceSetting& setting : kPriceSettings) {
        if (name != setting.szValueName) continue;
        LoadPriceSetting(setting, szText, sizeof(szText));
        return {szText, setting.szDefault};
    }
    if (name == "HotKeyOn") return {LoadHotKeyOn() ? "1" : "0", "1"};
    if (name == "HotKeyAutoSelect") return {LoadHotKeyAutoSelect() ? "1" : "0", "1"};
    if (name == "HotKey") return {std::to_string(LoadHotKey()), std::to_string(kDefaultHotKey)};
    if (name == "HotKeyModifier") return {std::to_string(LoadHotKeyModifier()), std::to_string(kDefaultHotKeyModifier)};
    if (name == "CSVFilePath") {
        LoadCsvFilePath(szText, sizeof(szText));
        return {szText, ""};
    }
    return {"<no such setting>", ""};
}

TEST_F(SettingsTest, EverySettingOfAnotherTypeOrUnterminatedReadsAsItsDefault) {
    for (const DamagedSetting& setting : kDamagedSettings) {
        for (const SettingDamage& damage : kSettingDamages) {
            SCOPED_TRACE(std::string(setting.szName) + " as " + damage.szWhat);
            ResetProgramRegistry();
            std::string bytes = DamagedBytes(damage, setting);
            StoreRaw(setting.szName, damage.dwType, bytes.data(), static_cast<DWORD>(bytes.size()));
            Loaded loaded = LoadSetting(setting.szName);
            EXPECT_EQ(loaded.defaultText, loaded.text);
        }
    }
}

// The Run value of one root: its text, or "<none>".
std::string RunValue(HKEY hRoot) {
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(hRoot, kRunKey, 0, KEY_QUERY_VALUE, &hKey) != ERROR_SUCCESS) return "<none>";
    char szValue[512] = {};
    DWORD dwType = 0, dwBytes = sizeof(szValue);
    LONG nResult = RegQueryValueExA(hKey, "TallyQuillRun", nullptr, &dwType, reinterpret_cast<BYTE*>(szValue), &dwBytes);
    RegCloseKey(hKey);
    if (nResult != ERROR_SUCCESS) return "<none>";
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), dwType);
    EXPECT_EQ(strlen(szValue) + 1, dwBytes) << "the terminator is counted in the stored size";
    return szValue;
}

TEST_F(SettingsTest, RunAtLogonValueIsQuotedAndClearedEverywhere) {
    const char szProgram[] = "C:\\Program Files\\Kestrilon\\TallyQuill\\tallyq.exe";
    const std::string expected = "\"" + std::string(szProgram) + "\" /logon";
    SetRunAtLogon(szProgram);
    EXPECT_EQ(expected, RunValue(HKEY_LOCAL_MACHINE));
    EXPECT_EQ("<none>", RunValue(HKEY_CURRENT_USER)) << "one value, or the program starts twice";
    ClearRunAtLogon();
    EXPECT_EQ("<none>", RunValue(HKEY_LOCAL_MACHINE));
    ClearRunAtLogon();  // a second clear finds nothing to remove and says nothing

    // Without the machine-wide Run key the per-user value is written, and a clear removes it too.
    HKEY hVersion = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", 0,
                                           KEY_ALL_ACCESS, &hVersion));
    ASSERT_EQ(ERROR_SUCCESS, RegDeleteKeyA(hVersion, "Run"));
    SetRunAtLogon(szProgram);
    EXPECT_EQ("<none>", RunValue(HKEY_LOCAL_MACHINE)) << "the machine-wide key is not made";
    EXPECT_EQ(expected, RunValue(HKEY_CURRENT_USER));
    HKEY hRun = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(hVersion, "Run", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hRun, nullptr));
    RegCloseKey(hRun);
    RegCloseKey(hVersion);
    ClearRunAtLogon();
    EXPECT_EQ("<none>", RunValue(HKEY_CURRENT_USER));
}

// A user who may not write the machine-wide Run key: its access list denies this user setting
// values, and the program falls back to the per-user value.
TEST_F(SettingsTest, RunAtLogonFallsBackToTheUserWhereTheMachineKeyIsDenied) {
    HKEY hRun = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunKey, 0, READ_CONTROL | WRITE_DAC, &hRun));
    // The key's own descriptor, to put back.
    DWORD cbOld = 0;
    RegGetKeySecurity(hRun, DACL_SECURITY_INFORMATION, nullptr, &cbOld);
    std::string oldDescriptor(cbOld, '\0');
    ASSERT_EQ(ERROR_SUCCESS, RegGetKeySecurity(hRun, DACL_SECURITY_INFORMATION, &oldDescriptor[0], &cbOld));
    // Everyone may read, and is denied setting values; reading and changing the list stay allowed.
    SID_IDENTIFIER_AUTHORITY world = {SECURITY_WORLD_SID_AUTHORITY};
    PSID pEveryone = nullptr;
    ASSERT_TRUE(AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &pEveryone));
    DWORD aclBuffer[64];
    PACL pAcl = reinterpret_cast<PACL>(aclBuffer);
    ASSERT_TRUE(InitializeAcl(pAcl, sizeof(aclBuffer), ACL_REVISION));
    ASSERT_TRUE(AddAccessDeniedAce(pAcl, ACL_REVISION, KEY_SET_VALUE | KEY_CREATE_SUB_KEY, pEveryone));
    ASSERT_TRUE(AddAccessAllowedAce(pAcl, ACL_REVISION, KEY_READ | WRITE_DAC, pEveryone));
    SECURITY_DESCRIPTOR denying;
    ASSERT_TRUE(InitializeSecurityDescriptor(&denying, SECURITY_DESCRIPTOR_REVISION));
    ASSERT_TRUE(SetSecurityDescriptorDacl(&denying, TRUE, pAcl, FALSE));
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeySecurity(hRun, DACL_SECURITY_INFORMATION, &denying));
    HKEY hProbe = nullptr;
    LONG nProbe = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_SET_VALUE, &hProbe);
    if (hProbe != nullptr) RegCloseKey(hProbe);
    printf("[ note     ] opening the denied machine-wide Run key for writing: %ld (%s)\n", nProbe,
           nProbe == ERROR_ACCESS_DENIED ? "the key's security is enforced" : "not enforced here");

    const char szProgram[] = "C:\\Program Files\\Kestrilon\\TallyQuill\\tallyq.exe";
    SetRunAtLogon(szProgram);
    std::string machine = RunValue(HKEY_LOCAL_MACHINE), user = RunValue(HKEY_CURRENT_USER);
    ClearRunAtLogon();
    std::string userAfterClear = RunValue(HKEY_CURRENT_USER);
    RegSetKeySecurity(hRun, DACL_SECURITY_INFORMATION, &oldDescriptor[0]);
    RegCloseKey(hRun);
    FreeSid(pEveryone);
    ClearRunAtLogon();

    ASSERT_EQ(ERROR_ACCESS_DENIED, nProbe) << "Wine did not enforce the key's access list";
    EXPECT_EQ("<none>", machine);
    EXPECT_EQ("\"" + std::string(szProgram) + "\" /logon", user);
    EXPECT_EQ("<none>", userAfterClear);
}

// A machine-wide start at logon that the user may not remove (the setup wrote it as administrator):
// the per-user value still goes, and the clear says why the other stays. A settings value that
// cannot be written says so too.
TEST_F(SettingsTest, WritesThatAreDeniedReturnTheSystemsReason) {
    const char szProgram[] = "C:\\Program Files\\Kestrilon\\TallyQuill\\tallyq.exe";
    SetRunAtLogon(szProgram);
    HKEY hUser = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &hUser,
                                             nullptr));
    RegSetValueExA(hUser, "TallyQuillRun", 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2);
    RegCloseKey(hUser);
    long nCleared;
    std::string machine, user;
    {
        DeniedKey run(HKEY_LOCAL_MACHINE, kRunKey);
        ASSERT_TRUE(run.Denied()) << "Wine did not enforce the key's access list";
        nCleared = ClearRunAtLogon();
        machine = RunValue(HKEY_LOCAL_MACHINE);
        user = RunValue(HKEY_CURRENT_USER);
    }
    EXPECT_EQ(ERROR_ACCESS_DENIED, nCleared);
    EXPECT_NE("<none>", machine) << "the machine-wide value could not go";
    EXPECT_EQ("<none>", user) << "the per-user value goes anyway";
    EXPECT_EQ(ERROR_SUCCESS, ClearRunAtLogon()) << "with the rights back it goes";
    EXPECT_EQ(ERROR_SUCCESS, ClearRunAtLogon()) << "nothing left to remove is no failure";

    ASSERT_EQ(ERROR_SUCCESS, SaveHotKeyOn(true));
    {
        DeniedKey settings(HKEY_LOCAL_MACHINE, kKeyPath);
        ASSERT_TRUE(settings.Denied());
        EXPECT_EQ(ERROR_ACCESS_DENIED, SaveHotKeyOn(false));
    }
    EXPECT_TRUE(LoadHotKeyOn()) << "the denied write changed nothing";
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
    // Past the end of a 32-bit count of seconds (19 January 2038), and past that of an unsigned one.
    EXPECT_EQ("[20/01/38]", RunChild(probe + "2147601600").output) << "20 January 2038";
    EXPECT_EQ("[04/03/06]", RunChild(probe + "4297147200").output) << "4 March 2106";
    if (bHadOld) {
        RegSetValueExA(hIntl, "iDate", 0, REG_SZ, reinterpret_cast<const BYTE*>(szOld), dwOld);
    } else {
        RegDeleteValueA(hIntl, "iDate");
    }
    RegCloseKey(hIntl);
}

}  // namespace
