// Modeless dialogs of the LDialog family, and the key-capture dialog that runs one with a message
// loop of its own, so that its caller waits for it as for a modal dialog.
#pragma once
#include "ui/dialog.h"

class LModelessDialogBox : public LDialog {
public:
    ~LModelessDialogBox() override;
    INT_PTR DialogProc(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    // A modeless dialog cannot end with EndDialog: its window is destroyed instead.
    void Close();
};

class LKeyDialogBox : public LModelessDialogBox {
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
