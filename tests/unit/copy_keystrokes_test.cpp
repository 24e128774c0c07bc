#include "app/copy_keystrokes.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Virtual-key codes written out here rather than taken from the code.
std::string Describe(const unsigned char* pKeys, size_t nCount) {
    std::string text;
    char szKey[8];
    for (size_t i = 0; i < nCount; ++i) {
        snprintf(szKey, sizeof(szKey), "%02X ", pKeys[i]);
        text += szKey;
    }
    return text;
}

std::string Describe(const KeyStroke* pStrokes, size_t nCount) {
    std::string text;
    char szStroke[8];
    for (size_t i = 0; i < nCount; ++i) {
        snprintf(szStroke, sizeof(szStroke), "%s%02X ", pStrokes[i].bKeyUp ? "^" : "v", pStrokes[i].nVirtualKey);
        text += szStroke;
    }
    return text;
}

std::string KeysOf(int nModifiers, int nVirtualKey) {
    unsigned char keys[kMaxHotKeyKeys + 1];
    size_t nCount = ListHotKeyKeys(nModifiers, nVirtualKey, keys);
    if (nCount > kMaxHotKeyKeys) return "overflow: " + std::to_string(nCount) + " keys";
    return Describe(keys, nCount);
}

TEST(HotKeyKeys, EachModifierIsHeldByItsLeftOrRightKeyAndTheKeyItselfCounts) {
    // Alt+X: left Alt A4, right Alt A5, X 58.
    EXPECT_EQ("A4 A5 58 ", KeysOf(1, 0x58));
    // The default Shift+F8: left Shift A0, right Shift A1, F8 77.
    EXPECT_EQ("A0 A1 77 ", KeysOf(4, 0x77));
    // Ctrl (A2, A3) and the Windows keys (5B, 5C) too: all four modifiers fill the room.
    EXPECT_EQ("A4 A5 A2 A3 A0 A1 5B 5C 70 ", KeysOf(15, 0x70));
    // F9 alone.
    EXPECT_EQ("78 ", KeysOf(0, 0x78));
}

TEST(HotKeyKeys, StoredValuesThatAreNoKeysAddNone) {
    // The registry's values are the user's: a "no repeat" bit (0x4000) or higher bits are no keys,
    // and neither is a key code outside 1 to 254.
    EXPECT_EQ("A2 A3 41 ", KeysOf(2 | 0x4000 | 0x10000, 0x41));
    EXPECT_EQ("A4 A5 ", KeysOf(1, 0));
    EXPECT_EQ("A4 A5 ", KeysOf(1, 255));
    EXPECT_EQ("", KeysOf(0, -5));
    EXPECT_EQ("", KeysOf(-1 & ~15, 1000));
}

TEST(CopyKeyStrokes, CtrlASelectsThenCtrlCCopiesAndNothingStaysDown) {
    KeyStroke strokes[kCopyKeyStrokeCount];
    BuildSelectAllCopyKeyStrokes(strokes);
    ASSERT_EQ(6u, kCopyKeyStrokeCount);
    // Ctrl 11, A 41, C 43: no key-up for a key the user holds, no key of no meaning.
    EXPECT_EQ("v11 v41 ^41 v43 ^43 ^11 ", Describe(strokes, kCopyKeyStrokeCount));
}

}  // namespace
