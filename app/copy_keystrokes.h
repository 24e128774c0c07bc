// The keys that make the program in front select its whole text and copy it, as one sequence for
// the system's input stream. Each key there carries its own state: a program that is busy when the
// keys arrive still reads Ctrl+A and Ctrl+C when it gets to them, never the letters a and c.
#pragma once
#include <stddef.h>

struct KeyStroke {
    unsigned char nVirtualKey;
    bool bKeyUp;
    bool bExtended;  // a key of the extended set: right Ctrl, right Alt, the Windows keys
};

// The modifiers a user may be holding when the hot key fires (its own among them): Shift, Ctrl,
// Alt and Windows, left and right, as virtual-key codes.
const size_t kModifierKeyCount = 8;
extern const unsigned char kModifierKeys[kModifierKeyCount];

const unsigned char kVirtualKeyControl = 0x11;
// A key code with no meaning, pressed before Alt or a Windows key is let go: Alt pressed and let go
// alone opens the menu bar, and a Windows key alone the Start menu, which would take the keys.
const unsigned char kVirtualKeyMenuMask = 0xE8;

// The longest sequence: the mask key, every modifier let go, then Ctrl+A and Ctrl+C.
const size_t kMaxCopyKeyStrokes = 2 + kModifierKeyCount + 6;

// Writes into pStrokes (room for kMaxCopyKeyStrokes) a key-up for each held modifier (bHeld[i] for
// kModifierKeys[i]), then Ctrl down, A down, A up, C down, C up, Ctrl up; gives the count. No key
// is left down at the end.
size_t BuildSelectAllCopyKeyStrokes(const bool bHeld[kModifierKeyCount], KeyStroke* pStrokes);
