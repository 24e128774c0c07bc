// "Change Key": the next key pressed, with the Ctrl, Alt and Shift keys held, becomes the hot key.
#pragma once
#include "ui/key_dialog.h"

// Whether a key may be the hot key without Ctrl, Alt or Shift: the function keys F1 to F24 only.
bool IsSafeAloneAsHotKey(UINT nVirtualKey);
// Whether a key types a character (letters, digits, Space, punctuation, the keypad's digits and
// operators, Tab, Backspace): as a hot key it needs Ctrl or Alt.
bool IsTypingKey(UINT nVirtualKey);

// The line that says why a key was not taken: a typing key without Ctrl or Alt, and another key
// alone that is not a function key.
extern const char kTypingKeyHint[];
extern const char kAloneKeyHint[];

class ChangeKeyDialog : public LKeyDialogBox {
private:
    // The first key pressed that is not a modifier, with the modifiers held, becomes the hot key.
    bool PreTranslateKey(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam) override;
};
