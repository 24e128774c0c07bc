#include "app/copy_keystrokes.h"

// VK_LSHIFT, VK_RSHIFT, VK_LCONTROL, VK_RCONTROL, VK_LMENU, VK_RMENU, VK_LWIN, VK_RWIN.
const unsigned char kModifierKeys[kModifierKeyCount] = {0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0x5B, 0x5C};

namespace {
const unsigned char kVirtualKeyA = 0x41;
const unsigned char kVirtualKeyC = 0x43;

bool IsExtendedKey(unsigned char nVirtualKey) {
    return nVirtualKey == 0xA3 || nVirtualKey == 0xA5 || nVirtualKey == 0x5B || nVirtualKey == 0x5C;
}

// Alt and the Windows keys: pressed and let go with no other key between, they open a menu.
bool OpensAMenuAlone(unsigned char nVirtualKey) {
    return nVirtualKey == 0xA4 || nVirtualKey == 0xA5 || nVirtualKey == 0x5B || nVirtualKey == 0x5C;
}

size_t Put(KeyStroke* pStrokes, size_t nAt, unsigned char nVirtualKey, bool bKeyUp) {
    pStrokes[nAt].nVirtualKey = nVirtualKey;
    pStrokes[nAt].bKeyUp = bKeyUp;
    pStrokes[nAt].bExtended = IsExtendedKey(nVirtualKey);
    return nAt + 1;
}
}  // namespace

size_t BuildSelectAllCopyKeyStrokes(const bool bHeld[kModifierKeyCount], KeyStroke* pStrokes) {
    size_t nCount = 0;
    bool bMaskFirst = false;
    for (size_t i = 0; i < kModifierKeyCount; ++i) {
        if (bHeld[i] && OpensAMenuAlone(kModifierKeys[i])) bMaskFirst = true;
    }
    if (bMaskFirst) {
        nCount = Put(pStrokes, nCount, kVirtualKeyMenuMask, false);
        nCount = Put(pStrokes, nCount, kVirtualKeyMenuMask, true);
    }
    for (size_t i = 0; i < kModifierKeyCount; ++i) {
        if (bHeld[i]) nCount = Put(pStrokes, nCount, kModifierKeys[i], true);
    }
    nCount = Put(pStrokes, nCount, kVirtualKeyControl, false);
    nCount = Put(pStrokes, nCount, kVirtualKeyA, false);
    nCount = Put(pStrokes, nCount, kVirtualKeyA, true);
    nCount = Put(pStrokes, nCount, kVirtualKeyC, false);
    nCount = Put(pStrokes, nCount, kVirtualKeyC, true);
    return Put(pStrokes, nCount, kVirtualKeyControl, true);
}
