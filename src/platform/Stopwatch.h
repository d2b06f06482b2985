#pragma once

#include <chrono>

// Wall time measured with the steady clock, in milliseconds.
inline double MillisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}
