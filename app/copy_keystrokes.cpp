#include "app/copy_keystrokes.h"

namespace {
const unsigned char kVirtualKeyControl = 0x11;
const unsigned char kVirtualKeyA = 0x41;
const unsigned char kVirtualKeyC = 0x43;

// Each modifier bit with its left and right keys: VK_LMENU, VK_RMENU; VK_LCONTROL, VK_RCONTROL;
// VK_LSHIFT, VK_RSHIFT; VK_LWIN, VK_RWIN.
struct ModifierKeys {
    int nBit;
    unsigned char nLeft;
    unsigned char nRight;
};
const ModifierKeys kModifiers[] = {
    {kHotKeyAlt, 0xA4, 0xA5},
    {kHotKeyControl, 0xA2, 0xA3},
    {kHotKeyShift, 0xA0, 0xA1},
    {kHotKeyWindows, 0x5B, 0x5C},
};

KeyStroke Stroke(unsigned char nVirtualKey, bool bKeyUp) {
    KeyStroke stroke;
    stroke.nVirtualKey = nVirtualKey;
    stroke.bKeyUp = bKeyUp;
    return stroke;
}
}  // namespace

size_t ListHotKeyKeys(int nModifiers, int nVirtualKey, unsigned char* pKeys) {
    size_t nCount = 0;
    for (const ModifierKeys& modifier : kModifiers) {
        if ((nModifiers & modifier.nBit) == 0) continue;
        pKeys[nCount++] = modifier.nLeft;
        pKeys[nCount++] = modifier.nRight;
    }
    if (nVirtualKey >= 1 && nVirtualKey <= 254) pKeys[nCount++] = static_cast<unsigned char>(nVirtualKey);
    return nCount;
}

void BuildSelectAllCopyKeyStrokes(KeyStroke* pStrokes) {
    pStrokes[0] = Stroke(kVirtualKeyControl, false);
    pStrokes[1] = Stroke(kVirtualKeyA, false);
    pStrokes[2] = Stroke(kVirtualKeyA, true);
    pStrokes[3] = Stroke(kVirtualKeyC, false);
    pStrokes[4] = Stroke(kVirtualKeyC, true);
    pStrokes[5] = Stroke(kVirtualKeyControl, true);
}
