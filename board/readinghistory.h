#pragma once

// The readings the monitor has shown on channels whose record flag is ticked,
// oldest first, bounded: past the capacity the oldest reading goes.
//
// A reading is kept in 16 bytes: its time, its frame's channel code and raw
// count, and an index into a table of the settings it was shown with (title,
// ratio, unit, the clock's offset from UTC). The scaled value and the text
// are derived again from these exactly as they were first computed.

#include "reading.h"

#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace varnix {

struct RecordSettings {
    std::string title;
    std::string unit;
    long double ratio = 1;
    int precision = 3;
    int utcOffsetMinutes = 0;
};

struct RecordedReading {
    std::int64_t timeMs = 0; // since the epoch, UTC
    std::uint32_t settings = 0;
    std::uint16_t rawCount = 0;
    std::uint8_t channelCode = 0;
};

class ReadingHistory {
public:
    // About 14 hours of a reading every quarter second, in 3.2 MB; a line
    // flooded far beyond what the board sends stays within a few megabytes.
    static constexpr std::size_t DefaultCapacity = 200'000;

    explicit ReadingHistory(std::size_t capacity = DefaultCapacity);

    // A scaled reading (channel code 0..4) with the settings it was shown
    // with, or a raw-volts reading (5..15), which carries ratio 1 and unit "v".
    void Add(std::int64_t timeMs, int utcOffsetMinutes, const Reading &reading, const std::string &title,
             int precision, long double ratio, const std::string &unit);
    void Clear();

    std::size_t Size() const { return size_; }
    std::size_t Capacity() const { return capacity_; }
    // i = 0 is the oldest reading kept.
    const RecordedReading &At(std::size_t i) const { return ring_[(head_ + i) % capacity_]; }
    const RecordSettings &SettingsOf(const RecordedReading &r) const { return settings_[r.settings]; }
    // Readings dropped at the front since the history was created or cleared.
    std::uint64_t Dropped() const { return dropped_; }

    static bool IsRawVolts(const RecordedReading &r) { return r.channelCode >= ChannelCount; }
    static unsigned Display(const RecordedReading &r) { return IsRawVolts(r) ? 1 : r.channelCode + 1; }
    static long double Volts(const RecordedReading &r) { return r.rawCount * VoltsPerCount; }
    long double Value(const RecordedReading &r) const { return Volts(r) / SettingsOf(r).ratio; }
    // The text the display showed, in the given number format.
    std::string Text(const RecordedReading &r, const NumberFormat &format) const;

private:
    std::uint32_t Intern(const RecordSettings &settings);

    std::size_t capacity_;
    std::vector<RecordedReading> ring_;
    std::size_t head_ = 0;
    std::size_t size_ = 0;
    std::uint64_t dropped_ = 0;
    std::vector<RecordSettings> settings_;
    std::map<std::tuple<std::string, std::string, long double, int, int>, std::uint32_t> settingsIndex_;
};

} // namespace varnix
