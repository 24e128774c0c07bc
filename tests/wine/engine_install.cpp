#include "tests/wine/engine_install.h"

#include "setup/install_engine.h"
#include "setup/registration.h"
#include "tests/wine/installation.h"

testing::AssertionResult InstallThroughTheEngine(Registration* pRegistration) {
    Registration system;
    InstallEngine engine(SetupFilePath().c_str(), pRegistration != nullptr ? pRegistration : &system);
    QuietProgress quiet;
    const char* szFailed = nullptr;
    if (!engine.CheckSetupFile())
        szFailed = "the setup file's check";
    else if (!engine.CheckInstallFolder())
        szFailed = "the install folder's check";
    if (szFailed == nullptr) {
        engine.MakeInstallFolder();
        if (!engine.PutFilesInPlace(&quiet))
            szFailed = "putting the files in place";
        else
            engine.Register();
    }
    if (szFailed != nullptr)
        return testing::AssertionFailure() << "the engine's install stopped at " << szFailed << " with exit code "
                                           << engine.ExitCode() << " (" << engine.FailedPath() << ")";
    if (engine.ExitCode() != 0)
        return testing::AssertionFailure() << "the engine's install ended with " << engine.ExitCode()
                                           << ", these not made:\n" << engine.Missed().Text();
    return testing::AssertionSuccess();
}
