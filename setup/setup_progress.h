// What the install and the uninstall tell and ask while they run: the progress window's two status
// lines, its bar and its Cancel button; a silent run shows nothing and cannot be cancelled.
#pragma once

class SetupProgress {
public:
    virtual void SetText(int nLine, const char* szText) = 0;
    virtual void SetProgress(double dFraction) = 0;
    // Lets the window answer; true once the run has been cancelled.
    virtual bool CheckCancel() = 0;

protected:
    ~SetupProgress() {}
};
