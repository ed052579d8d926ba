#include "systemtest.h"

#include <QTest>

void SystemTest::StartOn(const QStringList &simulatorOptions, const std::array<ChannelSettings, 5> &channels)
{
    desktop = std::make_unique<Desktop>();
    ASSERT_TRUE(desktop->Error().isEmpty()) << desktop->Error().toStdString();
    board = std::make_unique<SimulatorProcess>(simulatorOptions);
    ASSERT_TRUE(board->Error().isEmpty()) << board->Error().toStdString();
    monitor = std::make_unique<MonitorProcess>(*desktop);
    ASSERT_TRUE(monitor->Copied());
    monitor->WriteSettings(SettingsFile(board->LinkPath(), channels));
    monitor->Start();
    ASSERT_TRUE(monitor->WaitForWindow()) << monitor->Output().toStdString();
}

void SystemTest::ExpectClosesWithAltF4()
{
    const auto took = monitor->CloseWithAltF4();
    ASSERT_TRUE(took.has_value()) << "still running after Alt+F4";
    EXPECT_LT(took->count(), 2000);
    EXPECT_EQ(monitor->ExitStatus(), QProcess::NormalExit);
    EXPECT_EQ(monitor->ExitCode(), 0) << monitor->Output().toStdString();
}

void SystemTest::Pause(std::chrono::milliseconds duration)
{
    QTest::qWait(static_cast<int>(duration.count()));
}
