// The measuring benchmark's yardstick: the memory-read bound, a vectorised sum of the same bytes a
// measure reads, timed in turn with the measure so that both see the machine as it is.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

#include "bench/bench_timing.h"

struct Rates {
    double dBound, dRate;  // bytes per second
};

// Chooses the AVX2 sum where the processor runs it, else SSE2's; returns whether it is AVX2.
bool ChooseReadBound();

// Reads the nBytes at p as fast as loads go.
void ReadBytes(const void* p, size_t nBytes);

// A function over nBytes of input at p, and the read bound over the same bytes, in turn, so that
// both see the machine as it is (other programs share its memory bus): one of each to warm up, then
// the medians of 7 timed pairs, or of fewer (3 at least) once 2 s have gone.
template <typename F>
Rates MedianRates(const void* p, size_t nBytes, F f) {
    ReadBytes(p, nBytes);
    f();
    std::vector<double> bounds, times;
    double dStart = Seconds();
    while (times.size() < 7 && (times.size() < 3 || Seconds() - dStart < 2)) {
        double dRun = Seconds();
        ReadBytes(p, nBytes);
        bounds.push_back(Seconds() - dRun);
        dRun = Seconds();
        f();
        times.push_back(Seconds() - dRun);
    }
    return {nBytes / Median(bounds), nBytes / Median(times)};
}

// A figure for the table: GB/s and the share of the read bound.
std::string RateText(const Rates& rates);
