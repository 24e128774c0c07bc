#include "bench/bench_clock.h"

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <chrono>

double Seconds() { return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(); }

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::string ProcessorName() {
    FILE* pFile = fopen("/proc/cpuinfo", "r");
    if (pFile == nullptr) return "unknown";
    char szLine[512];
    std::string name = "unknown";
    while (fgets(szLine, sizeof(szLine), pFile) != nullptr) {
        if (strncmp(szLine, "model name", 10) != 0) continue;
        const char* pColon = strchr(szLine, ':');
        if (pColon == nullptr) continue;
        name = pColon + 2;
        name.erase(name.find_last_not_of("\r\n") + 1);
        break;
    }
    fclose(pFile);
    return name;
}
