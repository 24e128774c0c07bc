// LProgressDialog: a small modeless dialog with two status lines, a bar and Cancel, that runs a
// piece of work (MainFunction) on the program's only thread. The work keeps the window alive by
// calling CheckCancel between its steps, and learns from the same call whether Cancel was pressed.
#pragma once
#include "setup/setup_progress.h"
#include "ui/dialog.h"

class LProgressDialog : public LDialog, public SetupProgress {
public:
    // szTitle is kept, not copied: the caller keeps the text alive while the window is open.
    explicit LProgressDialog(const char* szTitle);

    virtual bool MainFunction() = 0;

    // Opens the window, runs MainFunction and closes the window again; returns MainFunction's
    // result, or false if the window was already open or could not be made.
    bool Run(HWND hwndOwner);
    // Runs MainFunction with no window at all (a silent setup): nothing is shown, and nothing can
    // cancel it.
    bool RunWithoutWindow();
    // Empties the thread's message queue; returns true once the window is gone (Cancel pressed).
    bool CheckCancel() override;
    void SetText(int nLine, const char* szText) override;
    void SetProgress(double dFraction) override;

protected:
    void InitDialog() override;
    // Enter does not end the work; Cancel (the button or Escape) closes the window.
    bool CmOk() override { return false; }

private:
    const char* szTitle;
    bool bWithoutWindow;
};
