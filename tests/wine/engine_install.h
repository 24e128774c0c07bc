// An installation made in this process by the install engine, as the silent setup makes it but
// without a process of its own: no window, no program started. Quicker under emulation than a run
// of the setup file, for the cases that only need an installation to be there.
#pragma once
#include <gtest/gtest.h>

#include "setup/setup_progress.h"

class Registration;

// Tells nothing and is never cancelled.
class QuietProgress : public SetupProgress {
public:
    void SetText(int, const char*) override {}
    void SetProgress(double) override {}
    bool CheckCancel() override { return false; }
};

// Installs from the built setup file through every step of the engine; pRegistration null for the
// system's own. Fails with the step and the engine's exit code.
testing::AssertionResult InstallThroughTheEngine(Registration* pRegistration = nullptr);
