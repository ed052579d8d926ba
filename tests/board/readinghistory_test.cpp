#include "readinghistory.h"

#include <gtest/gtest.h>

using namespace varnix;

namespace {

const NumberFormat PtBr{",", "."};

static_assert(sizeof(RecordedReading) <= 16, "a recorded reading must stay small");

TEST(ReadingHistory, KeepsTheNewestReadingsUpToItsCapacity)
{
    ReadingHistory history(3);
    for (unsigned i = 0; i < 5; ++i)
        history.Add(1000 + i, -180, DecodeFrame(static_cast<std::uint8_t>(i), 0x10), "Canal 2", 3, 1, "V");
    ASSERT_EQ(history.Size(), 3u);
    EXPECT_EQ(history.Dropped(), 2u);
    for (unsigned i = 0; i < 3; ++i) {
        EXPECT_EQ(history.At(i).timeMs, 1002 + i);
        EXPECT_EQ(history.At(i).rawCount, 2 + i);
    }
    history.Clear();
    EXPECT_EQ(history.Size(), 0u);
    history.Add(7, 0, DecodeFrame(1, 0), "t", 3, 1, "V");
    EXPECT_EQ(history.At(0).timeMs, 7);
}

TEST(ReadingHistory, GivesBackTheValueAndTextAsShown)
{
    ReadingHistory history;
    history.Add(0, 0, DecodeFrame(0xFF, 0x03), "Tensão", 3, 0.001L, "mV");
    history.Add(0, 0, DecodeFrame(0xFF, 0x13), "Canal 2", 1, 2, "A");
    history.Add(0, 0, DecodeFrame(0xFF, 0x53), "Tensão", 2, 5, "ignored");
    EXPECT_EQ(history.Text(history.At(0), PtBr), "4.995,117 mV");
    EXPECT_EQ(history.Text(history.At(1), PtBr), "2,5 A");
    EXPECT_EQ(history.Text(history.At(2), PtBr), "4,995 v");
    EXPECT_EQ(ReadingHistory::Display(history.At(2)), 1u);
    EXPECT_TRUE(ReadingHistory::IsRawVolts(history.At(2)));
    EXPECT_EQ(history.Value(history.At(0)), 4.9951171875L / 0.001L);
    EXPECT_EQ(history.SettingsOf(history.At(0)).title, "Tensão");
}

TEST(ReadingHistory, SharesTheSettingsOfReadingsShownAlike)
{
    ReadingHistory history;
    for (int i = 0; i < 1000; ++i)
        history.Add(i, -180, DecodeFrame(static_cast<std::uint8_t>(i), 0x20), "Canal 3", 3, 1, "V");
    EXPECT_EQ(history.At(0).settings, history.At(999).settings);
}

} // namespace
