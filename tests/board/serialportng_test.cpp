#include "serialportng.h"

#include "ptyboard.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTest>

#include <chrono>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace std::chrono_literals;

namespace {

struct Arrival {
    QByteArray bytes;
    qint64 atMs;
};

// A link on the program's end of a pseudo-terminal, recording every cluster
// its handler is given and when.
class LinkTest : public testing::Test {
protected:
    void SetUp() override
    {
        clock.start();
        link.OnRxClusterEvent = [this](TSerialPortNG &sender) {
            ASSERT_GE(sender.OldestClusterSize(), 0);
            arrivals.push_back({sender.TakeOldestCluster(), clock.elapsed()});
        };
        link.SetCommPort(board.DevicePath());
        link.SetActive(true);
        ASSERT_TRUE(link.Active());
    }

    bool WaitForClusters(std::size_t count, std::chrono::milliseconds deadline = 3s)
    {
        return WaitFor([&] { return arrivals.size() >= count; }, deadline);
    }

    PtyBoard board;
    TSerialPortNG link;
    QElapsedTimer clock;
    std::vector<Arrival> arrivals;
};

double CpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

TEST_F(LinkTest, ACommandIsOneByteWithNothingAround)
{
    link.SendText("m");
    EXPECT_EQ(board.Receive(1s), QByteArray("\x6d"));
    EXPECT_EQ(board.Receive(100ms), QByteArray());
}

TEST_F(LinkTest, AnAnswerArrivesAsOneClusterAQuarterSecondLater)
{
    const qint64 sent = clock.elapsed();
    board.Send(QByteArray("\xff\x13", 2));
    ASSERT_TRUE(WaitForClusters(1));
    EXPECT_EQ(arrivals[0].bytes, QByteArray("\xff\x13", 2));
    const qint64 latency = arrivals[0].atMs - sent;
    EXPECT_GT(latency, 170);
    EXPECT_LT(latency, 400);
    EXPECT_EQ(link.OldestClusterSize(), -1);
}

TEST_F(LinkTest, BytesWithinAQuarterSecondShareACluster)
{
    board.Send(QByteArray("\xff\x03", 2));
    QTest::qWait(50);
    board.Send(QByteArray("\x00\x10", 2));
    ASSERT_TRUE(WaitForClusters(1));
    EXPECT_FALSE(WaitForClusters(2, 500ms));
    EXPECT_EQ(arrivals[0].bytes, QByteArray("\xff\x03\x00\x10", 4));
}

TEST_F(LinkTest, FramesFarApartAreClustersOfTheirOwn)
{
    for (int i = 0; i < 3; ++i) {
        board.Send(QByteArray(1, char(i)) + QByteArray(1, char(0x10 * i)));
        ASSERT_TRUE(WaitForClusters(i + 1));
        QTest::qWait(150);
    }
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(arrivals[i].bytes, QByteArray(1, char(i)) + QByteArray(1, char(0x10 * i)));
}

TEST_F(LinkTest, NulAndEveryOtherByteValuePassUnchanged)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all += char(b);
    board.Send(all);
    ASSERT_TRUE(WaitForClusters(1));
    EXPECT_EQ(arrivals[0].bytes, all);
}

TEST_F(LinkTest, AFailingHandlerDoesNotStopReception)
{
    int calls = 0;
    link.OnRxClusterEvent = [&](TSerialPortNG &sender) {
        sender.TakeOldestCluster();
        if (++calls == 1)
            throw std::runtime_error("Floating point division by zero");
    };
    board.Send("ab");
    ASSERT_TRUE(WaitFor([&] { return calls == 1; }));
    QTest::qWait(100);
    board.Send("cd");
    EXPECT_TRUE(WaitFor([&] { return calls == 2; }));
}

TEST_F(LinkTest, TheClosingCommandLeavesBeforeThePortCloses)
{
    link.SendText("F");
    link.SetActive(false);
    EXPECT_FALSE(link.Active());
    EXPECT_EQ(board.Receive(1s), QByteArray("F"));
}

TEST_F(LinkTest, NothingIsSentOnAClosedPort)
{
    link.SetActive(false);
    link.SendText("k");
    EXPECT_FALSE(link.SendInProgress());
    EXPECT_EQ(board.Receive(200ms), QByteArray());
}

TEST_F(LinkTest, AVanishedFarEndLeavesTheLinkQuietAndClosable)
{
    board.Vanish();
    QTest::qWait(100);
    const double cpuBefore = CpuSeconds();
    QTest::qWait(1000);
    EXPECT_LT(CpuSeconds() - cpuBefore, 0.1) << "the worker spins on a hung-up device";
    link.SendText("k");
    QElapsedTimer closing;
    closing.start();
    link.SetActive(false);
    EXPECT_LT(closing.elapsed(), 500);
}

TEST_F(LinkTest, ClosingWhileAHandOffWaitsDoesNotHang)
{
    board.Send("xy");
    // The event loop is not served, so the worker waits in its hand-off.
    std::this_thread::sleep_for(500ms);
    QElapsedTimer closing;
    closing.start();
    link.SetActive(false);
    EXPECT_LT(closing.elapsed(), 1500);
}

TEST(Link, ADeviceThatCannotBeOpenedLeavesThePortClosed)
{
    TSerialPortNG link;
    link.SetCommPort("/nonexistent/ttyS9");
    link.SetActive(true);
    EXPECT_FALSE(link.Active());
    link.SendText("F");
    link.SetActive(false);
}

TEST(Link, APortHeldByAnotherProgramIsNotOpened)
{
    PtyBoard board;
    const int holder = open(board.DevicePath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);
    TSerialPortNG link;
    link.SetCommPort(board.DevicePath());
    link.SetActive(true);
    EXPECT_FALSE(link.Active());
    close(holder);
}

TEST(Link, DestroyingTheLinkDuringAHandOffReturnsPromptly)
{
    PtyBoard board;
    QElapsedTimer clock;
    {
        TSerialPortNG link;
        link.OnRxClusterEvent = [](TSerialPortNG &) {};
        link.SetCommPort(board.DevicePath());
        link.SetActive(true);
        board.Send("zz");
        std::this_thread::sleep_for(500ms);
        clock.start();
    }
    EXPECT_LT(clock.elapsed(), 1500);
}

} // namespace
