// What both benchmarks time with besides the clock: programs run as processes and timed,
// the files they read and write, and a figure printed against its goal.
#pragma once
#include <stddef.h>

#include <string>
#include <vector>

#include "bench/bench_clock.h"

// The environment of this process with the locale set to szLocale and nothing else of locales.
std::vector<std::string> EnvironmentWithLocale(const char* szLocale);

// Runs a program with its output into a file; returns the wall time, or a negative on failure.
double TimeProgram(const std::vector<std::string>& args, const std::vector<std::string>& env, const char* szOutput);

// The median wall time of nRuns runs of a shell command, or a negative when one fails; its
// output's first line in *pOutput.
double TimeShell(const std::string& command, int nRuns, std::string* pOutput);

// Whether the shell finds the program.
bool Installed(const char* szProgram);

// A file's first line, without its line break; "" when there is none.
std::string FirstLine(const char* szPath);

// The numbers of a program's output line, the file's name left out; a price ("0.02") is not a
// count, so they stop at the first decimal point.
std::vector<long long> NumbersOf(const std::string& line, const std::string& filePath);

// The program of that name in the build folder above this benchmark's, or else beside it.
std::string ProgramBesideThis(const char* szName);

bool WriteFile(const char* szPath, const char* p, size_t n);

// A new empty file in $TMPDIR (or /tmp) named for szPrefix and szName; "" when none can be made.
std::string TemporaryFile(const char* szPrefix, const char* szName);

// How a goal's line is laid out: the measuring benchmark says how far a missed goal is off, the
// documents' benchmark only whether it is met.
enum class GoalLine { kWithShortfall, kMetOrNot };

// A figure against its goal, at most or at least dGoal, on a line of its own.
void PrintGoal(const char* szWhat, double dFigure, double dGoal, bool bAtMost, const char* szUnit, GoalLine line);
