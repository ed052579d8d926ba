// The real program in a real X server: the five read buttons clicked with the
// mouse send their commands, the answers show in the displays, and Alt+F4
// sends the closing command and ends the program.

#include "systemtest.h"

namespace {

using Readings = SystemTest;

struct Channel {
    unsigned count; // the simulator's fixed answer
    ChannelSettings settings;
    const char *command;
    const char *shown; // pt_BR: decimal comma, thousands dot
};

const Channel Channels[5] = {
    {512, {3, "1", "volts"}, "rx 6b k", "2,500 volts"},
    {1023, {1, "0,001", "kg"}, "rx 6c l", "4.995,1 kg"},
    {0, {1, "2", "bar"}, "rx 6d m", "0,0 bar"},
    {100, {3, "2", "m"}, "rx 6e n", "0,244 m"},
    {777, {2, "0,5", "psi"}, "rx 6f o", "7,59 psi"},
};

TEST_F(Readings, ClickedButtonsShowTheAnswersAndAltF4Closes)
{
    QStringList counts;
    std::array<ChannelSettings, 5> settings;
    for (int i = 0; i < 5; ++i) {
        counts << QString::number(Channels[i].count);
        settings[i] = Channels[i].settings;
    }
    ASSERT_NO_FATAL_FAILURE(StartOn({"--fixed", counts.join(',')}, settings));

    // Answers less than about a third of a second apart share one received
    // block, of which only the first frame counts: each click waits for its
    // answer on the screen.
    for (int channel = 1; channel <= 5; ++channel) {
        SCOPED_TRACE(channel);
        monitor->ClickRead(channel);
        EXPECT_TRUE(board->WaitForReceived(Channels[channel - 1].command, channel - 1));
        EXPECT_TRUE(monitor->WaitForDisplay(channel, Channels[channel - 1].shown))
            << "read " << monitor->DisplayText(channel).toStdString();
    }
    EXPECT_EQ(board->Received(), (QStringList{"rx 6b k", "rx 6c l", "rx 6d m", "rx 6e n", "rx 6f o"}));
    for (int channel = 1; channel <= 5; ++channel)
        EXPECT_EQ(monitor->DisplayText(channel), Channels[channel - 1].shown) << "channel " << channel;

    ExpectClosesWithAltF4();
    EXPECT_TRUE(board->WaitForReceived("rx 46 F", 5));
}

} // namespace
