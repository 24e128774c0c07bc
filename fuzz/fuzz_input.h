// What every fuzz target needs: a check that stops the run on a broken promise, and a way to take
// fixed-size values from the front of the input (missing bytes read as zero).
#pragma once
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

inline void Check(bool bCondition) {
    if (!bCondition) abort();
}

template <typename T>
T Take(const uint8_t*& p, size_t& n) {
    T value{};
    size_t nTake = n < sizeof(T) ? n : sizeof(T);
    memcpy(&value, p, nTake);
    p += nTake;
    n -= nTake;
    return value;
}
