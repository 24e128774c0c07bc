// Helpers for tests that run under Wine against the real registry and file system.
#pragma once
#include <string>

// Removes every registry key and value the program writes, so that each case starts clean.
void ResetProgramRegistry();

// Runs a command line, waits at most nTimeoutMs, and gives its standard output; -1 exit on failure.
struct ChildResult {
    int nExitCode;
    std::string output;
};
ChildResult RunChild(const std::string& commandLine, unsigned nTimeoutMs = 60000);

// Whether a process of that executable name (no folder) runs now.
bool ProcessRunning(const char* szExeName);

// The folder of the running test program, with a trailing separator.
std::string TestProgramFolder();
