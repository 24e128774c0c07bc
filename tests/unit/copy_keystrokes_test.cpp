#include "app/copy_keystrokes.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

// The modifiers by their virtual-key codes, written out here rather than taken from the code.
const unsigned char kLeftShift = 0xA0, kRightShift = 0xA1, kLeftCtrl = 0xA2, kRightCtrl = 0xA3, kLeftAlt = 0xA4,
                    kRightAlt = 0xA5, kLeftWin = 0x5B, kRightWin = 0x5C, kCtrl = 0x11;
const unsigned char kAllModifiers[] = {kLeftShift, kRightShift, kLeftCtrl, kRightCtrl,
                                       kLeftAlt,   kRightAlt,   kLeftWin,  kRightWin};

std::string Describe(const KeyStroke* pStrokes, size_t nCount) {
    std::string text;
    char szStroke[16];
    for (size_t i = 0; i < nCount; ++i) {
        snprintf(szStroke, sizeof(szStroke), "%s%02X%s ", pStrokes[i].bKeyUp ? "^" : "v", pStrokes[i].nVirtualKey,
                 pStrokes[i].bExtended ? "e" : "");
        text += szStroke;
    }
    return text;
}

// Plays the strokes on a keyboard whose held keys are heldKeys, as the system keeps its key state,
// and checks what the program in front reads: no key pressed that is down already or let go that
// is up, A and C pressed with Ctrl alone, Alt and the Windows keys let go only after another key
// (or they open a menu), and nothing down at the end.
testing::AssertionResult PlaysCleanly(std::set<unsigned char> heldKeys, const KeyStroke* pStrokes, size_t nCount) {
    std::set<unsigned char> down = heldKeys;
    std::string seen = Describe(pStrokes, nCount);
    bool bKeySinceMenuKeyDown = false;
    int nLettersPressed = 0;
    for (size_t i = 0; i < nCount; ++i) {
        unsigned char nKey = pStrokes[i].nVirtualKey;
        bool bMenuKey = nKey == kLeftAlt || nKey == kRightAlt || nKey == kLeftWin || nKey == kRightWin;
        if (pStrokes[i].bKeyUp) {
            if (!down.count(nKey)) return testing::AssertionFailure() << "stroke " << i << " lets go a key that is up: " << seen;
            if (bMenuKey && !bKeySinceMenuKeyDown)
                return testing::AssertionFailure() << "stroke " << i << " lets go Alt or Windows alone: " << seen;
            down.erase(nKey);
        } else {
            if (down.count(nKey)) return testing::AssertionFailure() << "stroke " << i << " presses a key that is down: " << seen;
            bKeySinceMenuKeyDown = true;
            if (nKey == 'A' || nKey == 'C') {
                if (down != std::set<unsigned char>{kCtrl})
                    return testing::AssertionFailure() << "stroke " << i << " presses a letter without Ctrl alone: " << seen;
                ++nLettersPressed;
            }
            down.insert(nKey);
        }
        bool bExtended = nKey == kRightCtrl || nKey == kRightAlt || nKey == kLeftWin || nKey == kRightWin;
        if (pStrokes[i].bExtended != bExtended)
            return testing::AssertionFailure() << "stroke " << i << " has the wrong extended flag: " << seen;
    }
    if (!down.empty()) return testing::AssertionFailure() << down.size() << " keys left down: " << seen;
    if (nLettersPressed != 2) return testing::AssertionFailure() << nLettersPressed << " letters pressed: " << seen;
    return testing::AssertionSuccess();
}

TEST(CopyKeyStrokes, ModifiersGoUpFirstThenCtrlAThenCtrlCAndNothingStaysDown) {
    // Every combination of held modifiers: the user's hot key and whatever else is held.
    for (unsigned nCombination = 0; nCombination < 256; ++nCombination) {
        bool bHeld[kModifierKeyCount] = {};
        std::set<unsigned char> heldKeys;
        for (size_t i = 0; i < 8; ++i) {
            if (nCombination & (1u << i)) heldKeys.insert(kAllModifiers[i]);
        }
        for (size_t i = 0; i < kModifierKeyCount; ++i) bHeld[i] = heldKeys.count(kModifierKeys[i]) != 0;
        KeyStroke strokes[kMaxCopyKeyStrokes + 1];
        size_t nCount = BuildSelectAllCopyKeyStrokes(bHeld, strokes);
        ASSERT_LE(nCount, kMaxCopyKeyStrokes) << "combination " << nCombination;
        EXPECT_TRUE(PlaysCleanly(heldKeys, strokes, nCount)) << "held combination " << nCombination;
        // The tail is exactly Ctrl down, A down, A up, C down, C up, Ctrl up: Ctrl goes up last.
        ASSERT_GE(nCount, 6u);
        EXPECT_EQ("v11 v41 ^41 v43 ^43 ^11 ", Describe(strokes + nCount - 6, 6)) << "combination " << nCombination;
        // Before it only key-ups, but for one press of a key of no meaning when Alt or Windows is held.
        bool bMenuKeyHeld = (nCombination & 0xF0) != 0;
        EXPECT_EQ(heldKeys.size() + (bMenuKeyHeld ? 2 : 0) + 6, nCount) << Describe(strokes, nCount);
    }
}

TEST(CopyKeyStrokes, TheDefaultHotKeysShiftIsLetGoWithoutAMaskKey) {
    bool bHeld[kModifierKeyCount] = {};
    for (size_t i = 0; i < kModifierKeyCount; ++i) bHeld[i] = kModifierKeys[i] == kLeftShift;
    KeyStroke strokes[kMaxCopyKeyStrokes];
    size_t nCount = BuildSelectAllCopyKeyStrokes(bHeld, strokes);
    EXPECT_EQ("^A0 v11 v41 ^41 v43 ^43 ^11 ", Describe(strokes, nCount));
    // Alt held: a key of no meaning goes between Alt's press and its release.
    for (size_t i = 0; i < kModifierKeyCount; ++i) bHeld[i] = kModifierKeys[i] == kLeftAlt;
    nCount = BuildSelectAllCopyKeyStrokes(bHeld, strokes);
    EXPECT_EQ("vE8 ^E8 ^A4 v11 v41 ^41 v43 ^43 ^11 ", Describe(strokes, nCount));
}

}  // namespace
