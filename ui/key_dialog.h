// The key-capture dialog: a modeless LDialog run by a message loop of its own, which shows each key
// to the object before the dialog handles it, so that its caller waits for it as for a modal dialog.
#pragma once
#include "ui/dialog.h"

class LKeyDialogBox : public LDialog {
public:
    // nKey is the virtual-key code ORed with the hot-key modifier flags moved up 16 bits.
    virtual bool OnKeyDown(UINT /*nKey*/) { return false; }
    virtual bool OnKeyUp(UINT /*nKey*/) { return false; }
    // Sees each message of the loop first; true consumes it.
    virtual bool PreTranslateKey(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

    // Shows the dialog and returns when its window is gone; false when it is already open or could
    // not be made. The parent takes no input meanwhile.
    bool Open(HWND hwndParent, int nResourceId);
};

// The hot-key modifier flags of the keys held now: 1 Alt, 2 Ctrl, 4 Shift.
UINT HeldModifierFlags();
