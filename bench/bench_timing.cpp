#include "bench/bench_timing.h"

#include <fcntl.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

extern char** environ;

std::vector<std::string> EnvironmentWithLocale(const char* szLocale) {
    std::vector<std::string> env;
    for (char** p = environ; *p != nullptr; ++p) {
        if (strncmp(*p, "LC_", 3) == 0 || strncmp(*p, "LANG=", 5) == 0 || strncmp(*p, "LANGUAGE=", 9) == 0) continue;
        env.push_back(*p);
    }
    env.push_back(std::string("LC_ALL=") + szLocale);
    return env;
}

namespace {

std::vector<char*> Pointers(const std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (const std::string& s : strings) pointers.push_back(const_cast<char*>(s.c_str()));
    pointers.push_back(nullptr);
    return pointers;
}

}  // namespace

double TimeProgram(const std::vector<std::string>& args, const std::vector<std::string>& env, const char* szOutput) {
    std::vector<char*> argv = Pointers(args), envp = Pointers(env);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, szOutput, O_WRONLY | O_CREAT | O_TRUNC, 0600);
    double dStart = Seconds();
    pid_t pid;
    int nError = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (nError != 0) return -1;
    int nStatus = 0;
    waitpid(pid, &nStatus, 0);
    double dTime = Seconds() - dStart;
    return WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 0 ? dTime : -1;
}

double TimeShell(const std::string& command, int nRuns, std::string* pOutput) {
    bool bFailed = false;
    double dTime = MedianSeconds(nRuns, [&] {
        FILE* pPipe = popen(command.c_str(), "r");
        char szLine[256] = "";
        if (pPipe == nullptr || fgets(szLine, sizeof(szLine), pPipe) == nullptr) szLine[0] = '\0';
        bFailed = bFailed || pPipe == nullptr || pclose(pPipe) != 0;
        *pOutput = szLine;
        pOutput->erase(pOutput->find_last_not_of("\r\n") + 1);
    });
    return bFailed ? -1 : dTime;
}

bool Installed(const char* szProgram) {
    return system((std::string("command -v ") + szProgram + " >/dev/null 2>&1").c_str()) == 0;
}

std::string FirstLine(const char* szPath) {
    FILE* pFile = fopen(szPath, "r");
    if (pFile == nullptr) return "";
    char szLine[512] = "";
    if (fgets(szLine, sizeof(szLine), pFile) == nullptr) szLine[0] = '\0';
    fclose(pFile);
    std::string line = szLine;
    line.erase(line.find_last_not_of("\r\n") + 1);
    return line;
}

std::vector<long long> NumbersOf(const std::string& line, const std::string& filePath) {
    std::string rest = line;
    size_t nAt = rest.find(filePath);
    if (nAt != std::string::npos) rest.erase(nAt, filePath.size());
    std::vector<long long> numbers;
    const char* p = rest.c_str();
    while (*p != '\0') {
        if (*p >= '0' && *p <= '9') {
            char* pEnd;
            numbers.push_back(strtoll(p, &pEnd, 10));
            p = pEnd;
            if (*p == '.') break;
        } else {
            ++p;
        }
    }
    return numbers;
}

std::string ProgramBesideThis(const char* szName) {
    char szSelf[4096];
    ssize_t n = readlink("/proc/self/exe", szSelf, sizeof(szSelf) - 1);
    if (n <= 0) return szName;
    szSelf[n] = '\0';
    std::string dir(szSelf);
    dir.erase(dir.rfind('/'));
    // The benchmarks are built in <build>/bench, the program in <build>.
    std::string path = dir + "/../" + szName;
    return access(path.c_str(), X_OK) == 0 ? path : dir + "/" + szName;
}

bool WriteFile(const char* szPath, const char* p, size_t n) {
    int fd = open(szPath, O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0) return false;
    while (n > 0) {
        ssize_t nWritten = write(fd, p, n);
        if (nWritten <= 0) break;
        p += nWritten;
        n -= static_cast<size_t>(nWritten);
    }
    return close(fd) == 0 && n == 0;
}

std::string TemporaryFile(const char* szPrefix, const char* szName) {
    const char* szTmp = getenv("TMPDIR");
    std::string path = std::string(szTmp && *szTmp ? szTmp : "/tmp") + "/" + szPrefix + "_" + szName + "_XXXXXX";
    int fd = mkstemp(&path[0]);
    if (fd < 0) return "";
    close(fd);
    return path;
}

void PrintGoal(const char* szWhat, double dFigure, double dGoal, bool bAtMost, const char* szUnit, GoalLine line) {
    bool bMet = bAtMost ? dFigure <= dGoal : dFigure >= dGoal;
    const char* szSign = bAtMost ? "<=" : ">=";
    if (line == GoalLine::kMetOrNot) {
        printf("  %-52s %8.2f %-4s (goal %s %.2f)  %s\n", szWhat, dFigure, szUnit, szSign, dGoal, bMet ? "met" : "NOT MET");
        return;
    }
    printf("  %-44s %8.2f %-5s goal %s %.2f: %s", szWhat, dFigure, szUnit, szSign, dGoal, bMet ? "met" : "MISSED");
    if (!bMet) {
        // How far from the goal, as a part of it, and how many times faster the code must become.
        double dShort = bAtMost ? (dFigure - dGoal) / dGoal : (dGoal - dFigure) / dGoal;
        double dFactor = bAtMost ? dFigure / dGoal : dGoal / dFigure;
        printf(" by %.0f%% of the goal (needs %.2fx)", 100 * dShort, dFactor);
    }
    printf("\n");
}
