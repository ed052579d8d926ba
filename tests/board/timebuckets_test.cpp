#include "timebuckets.h"

#include <gtest/gtest.h>

#include <algorithm>

using varnix::TimeBuckets;

TEST(TimeBuckets, StaysBoundedAndKeepsEveryPeak)
{
    TimeBuckets buckets(64);
    for (int i = 0; i < 100000; ++i)
        buckets.Add(i * 10, i == 31337 ? 99.0 : (i == 77777 ? -99.0 : (i % 7) * 0.1));
    const auto points = buckets.Points();
    EXPECT_LE(points.size(), 128u);
    const auto [low, high] = std::minmax_element(points.begin(), points.end(),
                                                 [](auto a, auto b) { return a.value < b.value; });
    EXPECT_EQ(high->value, 99.0);
    EXPECT_EQ(high->timeMs, 313370);
    EXPECT_EQ(low->value, -99.0);
    EXPECT_TRUE(std::is_sorted(points.begin(), points.end(), [](auto a, auto b) { return a.timeMs < b.timeMs; }));
    EXPECT_EQ(points.front().timeMs, 0);
    EXPECT_GT(points.back().timeMs, 990000);
}

TEST(TimeBuckets, FewPointsAreDrawnAsTheyAre)
{
    TimeBuckets buckets;
    buckets.Add(1000, 1);
    buckets.Add(1400, 2);
    buckets.Add(900, 3); // a clock set back
    const auto points = buckets.Points();
    ASSERT_EQ(points.size(), 3u);
    EXPECT_EQ(points[0].timeMs, 900);
    EXPECT_EQ(points[2].value, 2);
    buckets.Clear();
    EXPECT_TRUE(buckets.Empty());
    EXPECT_TRUE(buckets.Points().empty());
}
