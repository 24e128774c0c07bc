// The keys that make the program in front select its whole text and copy it, as one sequence for
// the system's input stream, and the keys a hot key is made of. Each key in the sequence carries its
// own state: a program that is busy when the keys arrive still reads Ctrl+A and Ctrl+C when it gets
// to them, never the letters a and c. The sequence is sent only once every key of the hot key is up,
// so that the system's key state is never made to differ from the keys the user holds.
#pragma once
#include <stddef.h>

struct KeyStroke {
    unsigned char nVirtualKey;
    bool bKeyUp;
};

// The hot key's modifier bits, as stored and registered.
enum { kHotKeyAlt = 1, kHotKeyControl = 2, kHotKeyShift = 4, kHotKeyWindows = 8 };

// Both keys of each of the four modifiers, and the key itself.
const size_t kMaxHotKeyKeys = 9;

// Writes into pKeys (room for kMaxHotKeyKeys) the virtual-key codes of the keys that make up the
// hot key nModifiers + nVirtualKey: the left and the right key of each modifier (the user may hold
// either) and the key itself, where it is a key code (1 to 254); gives the count. Other bits of
// nModifiers are no keys.
size_t ListHotKeyKeys(int nModifiers, int nVirtualKey, unsigned char* pKeys);

// Ctrl down, A down, A up, C down, C up, Ctrl up: no key is left down at the end.
const size_t kCopyKeyStrokeCount = 6;
void BuildSelectAllCopyKeyStrokes(KeyStroke* pStrokes);
