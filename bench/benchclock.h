#pragma once

// The clock that startup_bench and its probes share across fork and exec.

#include <cstdint>
#include <ctime>

// The driver's monotonic clock reading just before fork, in nanoseconds.
inline constexpr const char *ForkClockVariable = "VARNIX_BENCH_FORK_NS";

inline std::int64_t MonotonicNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return std::int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
}
