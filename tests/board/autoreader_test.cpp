#include "autoreader.h"

#include "ptyboard.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>

#include <vector>

using namespace std::chrono_literals;

namespace {

struct Sent {
    int channel;
    qint64 atMs;
};

TEST(AutoReader, SweepsTheChosenChannelsSpacedAndRepeats)
{
    std::vector<int> chosen = {1, 3, 5};
    std::vector<Sent> sent;
    QElapsedTimer clock;
    clock.start();
    TAutoReader reader([&] { return chosen; }, [&](int ch) { sent.push_back({ch, clock.elapsed()}); });
    reader.Start(1000);
    ASSERT_TRUE(WaitFor([&] { return sent.size() >= 3; }));
    chosen = {2};
    ASSERT_TRUE(WaitFor([&] { return sent.size() >= 5; }));
    reader.Stop();
    const std::size_t stoppedAt = sent.size();

    const std::vector<int> order = {1, 3, 5, 2, 2};
    for (std::size_t i = 0; i < order.size(); ++i)
        EXPECT_EQ(sent[i].channel, order[i]) << i;
    for (std::size_t i = 1; i < sent.size(); ++i)
        EXPECT_GE(sent[i].atMs - sent[i - 1].atMs, 400) << i;
    // A sweep of three takes 900 ms: the next one starts at the interval.
    EXPECT_GE(sent[3].atMs - sent[0].atMs, 990);
    EXPECT_GE(sent[4].atMs - sent[3].atMs, 990);
    EXPECT_FALSE(WaitFor([&] { return sent.size() > stoppedAt; }, 1500ms));
}

TEST(AutoReader, ASweepLongerThanTheIntervalRunsBackToBack)
{
    std::vector<Sent> sent;
    QElapsedTimer clock;
    clock.start();
    TAutoReader reader([] { return std::vector<int>{1, 2, 3, 4, 5}; },
                       [&](int ch) { sent.push_back({ch, clock.elapsed()}); });
    reader.Start(1000);
    ASSERT_TRUE(WaitFor([&] { return sent.size() >= 7; }));
    reader.Stop();
    for (std::size_t i = 1; i < sent.size(); ++i) {
        const qint64 gap = sent[i].atMs - sent[i - 1].atMs;
        EXPECT_GE(gap, 400) << i;
        EXPECT_LT(gap, 1000) << i;
    }
    EXPECT_EQ(sent[5].channel, 1);
}

} // namespace
