#include "clusterrule.h"

#include <gtest/gtest.h>

using varnix::ClusterRule;

TEST(ClusterRule, TakesOnlyStrictlyAfterTheBudget)
{
    struct Case {
        std::size_t waiting;
        std::uint32_t elapsed;
        bool lineError;
        bool take;
    } const cases[] = {
        {0, 100000, false, false},
        {0, 0, true, false},
        {2, 250, false, false},
        {2, 251, false, true},
        {100, 254, false, false}, // 100 bytes add 4.3 ms
        {100, 255, false, true},
        {1, 10, true, true},
        {3024, 0, false, true},
        {3023, 0, false, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.waiting << " bytes, " << c.elapsed << " ms");
        EXPECT_EQ(ClusterRule::ShouldTake(c.waiting, c.elapsed, c.lineError), c.take);
    }
}

TEST(ClusterRule, PassesAreAtMostAnIntervalApartAndWakeWhenBytesAreDue)
{
    EXPECT_EQ(ClusterRule::WaitMs(0, 0), 75);
    EXPECT_EQ(ClusterRule::WaitMs(2, 0), 75);
    EXPECT_EQ(ClusterRule::WaitMs(2, 200), 51);
    EXPECT_EQ(ClusterRule::WaitMs(2, 251), 0);
    EXPECT_TRUE(ClusterRule::ShouldTake(2, 200 + ClusterRule::WaitMs(2, 200), false));
}
