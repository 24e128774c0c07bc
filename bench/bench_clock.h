// The clock the benchmarks time with, medians of runs and the processor's name: what the language
// benchmark needs, portable to the Windows build as well.
#pragma once
#include <stddef.h>

#include <string>
#include <vector>

// Seconds on the steady clock.
double Seconds();

// The median of the values (of two middle ones, their mean).
double Median(std::vector<double> values);

// The median wall time of nRuns calls of work.
template <typename Work>
double MedianSeconds(int nRuns, Work work) {
    std::vector<double> times;
    for (int i = 0; i < nRuns; ++i) {
        double dStart = Seconds();
        work();
        times.push_back(Seconds() - dStart);
    }
    return Median(times);
}

// The processor's model name from /proc/cpuinfo, or "unknown".
std::string ProcessorName();
