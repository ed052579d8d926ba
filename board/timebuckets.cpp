#include "timebuckets.h"

namespace varnix {

TimeBuckets::TimeBuckets(std::size_t count)
    : buckets_(count < 2 ? 2 : count + count % 2)
{
}

void TimeBuckets::Clear()
{
    buckets_.assign(buckets_.size(), Bucket{});
    widthMs_ = 1;
    empty_ = true;
}

TimeBuckets::Bucket TimeBuckets::Merge(const Bucket &a, const Bucket &b)
{
    if (!a.used)
        return b;
    if (!b.used)
        return a;
    Bucket m = a;
    if (b.low.value < m.low.value)
        m.low = b.low;
    if (b.high.value > m.high.value)
        m.high = b.high;
    return m;
}

void TimeBuckets::Add(std::int64_t timeMs, double value)
{
    if (empty_) {
        origin_ = timeMs;
        empty_ = false;
    }
    // A clock set back lands in the first bucket rather than before it.
    const std::int64_t offset = timeMs < origin_ ? 0 : timeMs - origin_;
    const std::size_t n = buckets_.size();
    while (static_cast<std::uint64_t>(offset / widthMs_) >= n) {
        for (std::size_t i = 0; i < n / 2; ++i)
            buckets_[i] = Merge(buckets_[2 * i], buckets_[2 * i + 1]);
        for (std::size_t i = n / 2; i < n; ++i)
            buckets_[i] = Bucket{};
        widthMs_ *= 2;
    }
    Bucket &b = buckets_[offset / widthMs_];
    const Point p{timeMs, value};
    if (!b.used) {
        b.low = b.high = p;
        b.used = true;
        return;
    }
    if (value < b.low.value)
        b.low = p;
    if (value > b.high.value)
        b.high = p;
}

std::vector<TimeBuckets::Point> TimeBuckets::Points() const
{
    std::vector<Point> points;
    points.reserve(2 * buckets_.size());
    for (const Bucket &b : buckets_) {
        if (!b.used)
            continue;
        const bool lowFirst = b.low.timeMs <= b.high.timeMs;
        points.push_back(lowFirst ? b.low : b.high);
        if (b.low.timeMs != b.high.timeMs || b.low.value != b.high.value)
            points.push_back(lowFirst ? b.high : b.low);
    }
    return points;
}

} // namespace varnix
