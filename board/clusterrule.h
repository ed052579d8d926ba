#pragma once

// When the link's worker takes the bytes waiting in the input queue as one
// cluster. T0 is the last moment the queue was seen empty (or the end of the
// last hand-off); the bytes are taken at the first pass more than
// n x 43 us + 250 ms after T0, so every byte of a board's answer lands in one
// cluster and answers more than about a third of a second apart never share
// one. A cluster is also taken at once when it reaches ClusterSize bytes or
// the line reports an error.

#include <cstddef>
#include <cstdint>

namespace varnix {

struct ClusterRule {
    static constexpr std::size_t ClusterSize = 3024;
    static constexpr double CharDelayMs = 0.043;
    static constexpr double ExtraDelayMs = 250;
    // The longest a pass waits for a line event.
    static constexpr int PassIntervalMs = 75;

    static double BudgetMs(std::size_t waiting) { return waiting * CharDelayMs + ExtraDelayMs; }

    // elapsedMs is now - T0 as an unsigned 32-bit difference of the tick.
    static bool ShouldTake(std::size_t waiting, std::uint32_t elapsedMs, bool lineError)
    {
        if (waiting == 0)
            return false;
        return waiting >= ClusterSize || lineError || elapsedMs > BudgetMs(waiting);
    }

    // How long the next pass may wait: never more than a pass interval, and
    // no later than just past the moment the waiting bytes become due.
    static int WaitMs(std::size_t waiting, std::uint32_t elapsedMs);
};

} // namespace varnix
