// The exe file type: the last four bytes of the program's own file say which role it plays.
#pragma once
#include <stdint.h>

enum : uint32_t {
    kExeTypeSetup = 0x0F0FF0F0u,      // bytes F0 F0 0F 0F: a setup file, which installs
    kExeTypeUninstall = 0xF0F00F0Fu,  // bytes 0F 0F F0 F0: the uninstaller
};

// Whether an upper-cased file title names a setup file ("SETUP" anywhere in it).
bool TitleNamesSetupFile(const char* szFileTitle);
