// The key-capture dialog: a modeless LDialog run by a message loop of its own, which shows each key
// to the object before the dialog handles it, so that its caller waits for it as for a modal dialog.
#pragma once
#include "ui/dialog.h"

class LKeyDialogBox : public LDialog {
public:
    // nKey is the virtual-key code ORed with the hot-key modifier flags moved up 16 bits. The
    // default PreTranslateKey hands each key press to these. The program's one key dialog, Change
    // Key, reads the keys in PreTranslateKey itself and needs neither; they stay as the simple way
    // for a key dialog to see keys, and their defaults let every key through to the dialog.
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
