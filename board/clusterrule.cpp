#include "clusterrule.h"

#include <algorithm>
#include <cmath>

namespace varnix {

int ClusterRule::WaitMs(std::size_t waiting, std::uint32_t elapsedMs)
{
    if (waiting == 0)
        return PassIntervalMs;
    const double due = std::floor(BudgetMs(waiting)) + 1 - elapsedMs;
    return std::clamp(static_cast<int>(due), 0, PassIntervalMs);
}

} // namespace varnix
