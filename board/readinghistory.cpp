#include "readinghistory.h"

namespace varnix {

ReadingHistory::ReadingHistory(std::size_t capacity)
    : capacity_(capacity == 0 ? 1 : capacity)
{
}

void ReadingHistory::Add(std::int64_t timeMs, int utcOffsetMinutes, const Reading &reading, const std::string &title,
                         int precision, long double ratio, const std::string &unit)
{
    const bool raw = reading.ChannelCode >= ChannelCount;
    RecordedReading record;
    record.timeMs = timeMs;
    record.rawCount = static_cast<std::uint16_t>(reading.RawCount);
    record.channelCode = static_cast<std::uint8_t>(reading.ChannelCode);
    record.settings = Intern({title, raw ? "v" : unit, raw ? 1.0L : ratio, raw ? 3 : precision, utcOffsetMinutes});

    if (ring_.size() < capacity_) {
        ring_.push_back(record);
        ++size_;
        return;
    }
    ring_[(head_ + size_) % capacity_] = record;
    if (size_ == capacity_) {
        head_ = (head_ + 1) % capacity_;
        ++dropped_;
    } else {
        ++size_;
    }
}

void ReadingHistory::Clear()
{
    ring_.clear();
    ring_.shrink_to_fit();
    head_ = size_ = 0;
    dropped_ = 0;
    settings_.clear();
    settingsIndex_.clear();
}

std::string ReadingHistory::Text(const RecordedReading &r, const NumberFormat &format) const
{
    const RecordSettings &s = SettingsOf(r);
    return FormatFixed(Value(r), s.precision, format) + " " + s.unit;
}

std::uint32_t ReadingHistory::Intern(const RecordSettings &s)
{
    const auto key = std::make_tuple(s.title, s.unit, s.ratio, s.precision, s.utcOffsetMinutes);
    const auto [it, added] = settingsIndex_.try_emplace(key, static_cast<std::uint32_t>(settings_.size()));
    if (added)
        settings_.push_back(s);
    return it->second;
}

} // namespace varnix
