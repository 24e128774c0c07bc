// "Change Key": the next key pressed, with the Ctrl, Alt and Shift keys held, becomes the hot key.
#pragma once
#include "ui/key_dialog.h"

class ChangeKeyDialog : public LKeyDialogBox {
public:
    bool PreTranslateKey(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam) override;
};
