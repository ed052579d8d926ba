// Faults of the serial line against the running program: a board that
// vanishes, a port that another program holds, a board that floods the line
// and one that sends random bytes. The program stays responsive, quiet and
// small, and closes as usual.

#include "systemtest.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>

#include <algorithm>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

using LineFaults = SystemTest;
// The minute-long runs; ctest gives them a label and a time limit of their own.
using SustainedLine = SystemTest;

TEST_F(LineFaults, BoardVanishingLeavesTheProgramIdleAndResponsive)
{
    ASSERT_NO_FATAL_FAILURE(StartOn({"--fixed", "512"}));
    monitor->ClickRead(1);
    ASSERT_TRUE(monitor->WaitForDisplay(1, "2,500 volts")) << "the port is not open";

    board->Kill();
    const double before = monitor->CpuSeconds();
    Pause(5s);
    const double used = monitor->CpuSeconds() - before;
    EXPECT_LT(used / 5.0, 0.02) << used << " s of processor time in 5 s";

    monitor->NextPage();
    EXPECT_TRUE(WaitFor([&] { return !monitor->ReadingsPageShown(); }, 5s)) << "Ctrl+Tab changed nothing";
    ExpectClosesWithAltF4();
}

TEST_F(LineFaults, PortHeldByAnotherProgramAtStartIsNotReported)
{
    desktop = std::make_unique<Desktop>();
    ASSERT_TRUE(desktop->Error().isEmpty()) << desktop->Error().toStdString();
    board = std::make_unique<SimulatorProcess>(QStringList{"--fixed", "512"});
    ASSERT_TRUE(board->Error().isEmpty()) << board->Error().toStdString();
    const int held = ::open(QFile::encodeName(board->DevicePath()).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);

    monitor = std::make_unique<MonitorProcess>(*desktop);
    monitor->WriteSettings(SettingsFile(board->LinkPath()));
    monitor->Start();
    ASSERT_TRUE(monitor->WaitForWindow());
    Pause(1s);
    EXPECT_EQ(MessageBoxes(*desktop), QStringList());
    monitor->ClickRead(1);
    Pause(1s);
    EXPECT_EQ(board->Received(), QStringList()) << "the program wrote to a port another program holds";

    ExpectClosesWithAltF4();
    ::close(held);
}

TEST_F(SustainedLine, AFloodOfFramesForAMinuteKeepsMemoryAndClicksInBounds)
{
    ASSERT_NO_FATAL_FAILURE(StartOn({"--flood", "--fixed", "512"}));
    // Caches and buffers settle in the first seconds.
    Pause(3s);
    const long residentBefore = monitor->ResidentKb();
    QElapsedTimer flood;
    flood.start();
    std::vector<qint64> clickMs;
    for (int channel = 1; flood.elapsed() < 60'000; channel = channel % 5 + 1) {
        Pause(5s);
        const qsizetype seen = board->Received().size();
        QElapsedTimer click;
        click.start();
        monitor->ClickRead(channel);
        const QString command = QStringLiteral("rx %1 %2").arg(0x6a + channel, 0, 16).arg(QChar('j' + channel));
        ASSERT_TRUE(board->WaitForReceived(command, seen, 2s));
        clickMs.push_back(click.elapsed());
    }
    const long residentAfter = monitor->ResidentKb();
    ASSERT_TRUE(monitor->Running());
    EXPECT_LT(residentAfter - residentBefore, 5 * 1024) << residentBefore << " kB before, " << residentAfter << " kB after";
    for (std::size_t i = 0; i < clickMs.size(); ++i)
        EXPECT_LT(clickMs[i], 200) << "click " << i + 1;
    std::printf("resident %ld kB -> %ld kB; slowest click %lld ms of %zu\n", residentBefore, residentAfter,
                static_cast<long long>(*std::max_element(clickMs.begin(), clickMs.end())), clickMs.size());
    ExpectClosesWithAltF4();
}

TEST_F(SustainedLine, RandomBytesForAMinuteThenReadingGoesOn)
{
    ASSERT_NO_FATAL_FAILURE(StartOn({"--random", "20240611", "--fixed", "512"}));
    QElapsedTimer noise;
    noise.start();
    while (noise.elapsed() < 60'000) {
        Pause(5s);
        ASSERT_TRUE(monitor->Running()) << monitor->Output().toStdString();
    }
    board->Quiet();
    // Long enough for the last random bytes to be taken as a block of their own.
    Pause(1s);
    EXPECT_EQ(MessageBoxes(*desktop), QStringList());
    // Every channel has precision 3, ratio 1 and unit "volts"; a raw-volts
    // frame shows in display 1 with the unit "v".
    static const QRegularExpression possible(QStringLiteral("^[0-4],\\d{3}( volts| v)?$"));
    for (int channel = 1; channel <= 5; ++channel) {
        const QString shown = monitor->DisplayText(channel);
        EXPECT_TRUE(possible.match(shown).hasMatch()) << "display " << channel << " shows " << shown.toStdString();
    }

    const qsizetype seen = board->Received().size();
    monitor->ClickRead(1);
    EXPECT_TRUE(board->WaitForReceived("rx 6b k", seen));
    EXPECT_TRUE(monitor->WaitForDisplay(1, "2,500 volts")) << "read " << monitor->DisplayText(1).toStdString();
    ExpectClosesWithAltF4();
}

} // namespace
