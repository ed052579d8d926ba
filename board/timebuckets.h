#pragma once

// A fixed number of time buckets over one series, each keeping its lowest
// and highest point, so that a chart of a million readings draws a few
// hundred points per line and still shows every peak. When a point falls
// past the last bucket, neighbouring buckets merge in pairs and the width of
// a bucket doubles; adding a point is constant time on average.

#include <cstdint>
#include <vector>

namespace varnix {

class TimeBuckets {
public:
    struct Point {
        std::int64_t timeMs;
        double value;
    };

    explicit TimeBuckets(std::size_t count = 512);

    void Add(std::int64_t timeMs, double value);
    void Clear();
    bool Empty() const { return empty_; }

    // Each used bucket's lowest and highest point, in time order.
    std::vector<Point> Points() const;

private:
    struct Bucket {
        Point low{0, 0};
        Point high{0, 0};
        bool used = false;
    };

    static Bucket Merge(const Bucket &a, const Bucket &b);

    std::vector<Bucket> buckets_;
    std::int64_t origin_ = 0;
    std::int64_t widthMs_ = 1;
    bool empty_ = true;
};

} // namespace varnix
