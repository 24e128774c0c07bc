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
ChildResult RunChild(const std::string& commandLine, unsigned nTimeoutMs = 20000);

// The folder of the running test program, with a trailing separator.
std::string TestProgramFolder();
