// Helpers for tests that run under Wine against the real registry and file system.
#pragma once
#include <string>
#include <vector>

// Removes every registry key and value the program writes, so that each case starts clean.
void ResetProgramRegistry();

// While it lives, a key's access list lets Everyone read it and change the list, and denies setting
// values and making subkeys, as a key the user has no rights to; the old list comes back after.
// Denied() tells whether Wine enforces it (opening the key to set a value fails).
class DeniedKey {
public:
    DeniedKey(void* hRoot /* HKEY */, const char* szPath);
    ~DeniedKey();
    DeniedKey(const DeniedKey&) = delete;
    DeniedKey& operator=(const DeniedKey&) = delete;
    bool Denied() const { return bDenied; }

private:
    void* hKey = nullptr;
    std::string oldDescriptor;
    bool bDenied = false;
};

// The Windows version that Wine tells the programs of one executable name (no folder): "winxp",
// which has the WinHelp viewer, or "win10", which has none. The empty text goes back to the
// prefix's own version.
void SetWindowsVersionOf(const char* szExeName, const char* szVersion);

// Runs a command line, waits at most nTimeoutMs, and gives its standard output; -1 exit on failure.
struct ChildResult {
    int nExitCode;
    std::string output;
};
ChildResult RunChild(const std::string& commandLine, unsigned nTimeoutMs = 60000);

// The ids of the processes of that executable name (no folder) that run now.
std::vector<unsigned long> ProcessIdsOf(const char* szExeName);

// The folder of the running test program, with a trailing separator.
std::string TestProgramFolder();

// The Unix path of a Windows one, as Wine maps it; empty where it cannot.
std::string UnixPathOf(const std::wstring& path);

// Runs a shell script on the host (Wine starts Unix programs too), in folder (a Windows path that
// ends in a separator), and waits at most nTimeoutMs for it to end: for links, and for paths longer
// than Wine's own calls make. Gives "" when it ran, else what went wrong.
std::string RunOnHost(const std::wstring& folder, const std::string& script, unsigned nTimeoutMs = 20000);
