#include "autoreader.h"

#include <algorithm>

TAutoReader::TAutoReader(std::function<std::vector<int>()> channels, std::function<void(int)> read, QObject *parent)
    : QObject(parent)
    , channels_(std::move(channels))
    , read_(std::move(read))
{
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &TAutoReader::Tick);
}

void TAutoReader::Start(int intervalMs)
{
    SetInterval(intervalMs);
    running_ = true;
    sweep_.clear();
    next_ = 0;
    Tick();
}

void TAutoReader::SetInterval(int intervalMs)
{
    intervalMs_ = std::clamp(intervalMs, MinIntervalMs, MaxIntervalMs);
}

void TAutoReader::Stop()
{
    running_ = false;
    timer_.stop();
}

void TAutoReader::Tick()
{
    if (!running_)
        return;
    if (next_ >= sweep_.size()) {
        sweep_ = channels_();
        next_ = 0;
        sweepStarted_.start();
        if (sweep_.empty()) {
            timer_.start(intervalMs_);
            return;
        }
    }
    read_(sweep_[next_++]);
    if (next_ < sweep_.size()) {
        timer_.start(CommandSpacingMs);
        return;
    }
    const qint64 untilInterval = intervalMs_ - sweepStarted_.elapsed();
    timer_.start(static_cast<int>(std::max<qint64>(untilInterval, CommandSpacingMs)));
}
