#pragma once

// Automatic reading: sends the read commands of the chosen channels one after
// another, far enough apart that no two answers can share a received cluster
// (the link merges bytes that arrive within about a quarter of a second, and
// takes a cluster at most about 330 ms after its first byte), and repeats the
// sweep at the interval, or back to back when a sweep takes longer.

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <functional>
#include <vector>

class TAutoReader : public QObject {
    Q_OBJECT
public:
    static constexpr int CommandSpacingMs = 450;
    static constexpr int MinIntervalMs = 1000;
    static constexpr int MaxIntervalMs = 3600 * 1000;

    // channels() names the channels (1..5) of the next sweep, asked at its
    // start; read(channel) sends that channel's read command.
    TAutoReader(std::function<std::vector<int>()> channels, std::function<void(int channel)> read,
                QObject *parent = nullptr);

    void Start(int intervalMs);
    // Takes effect from the next sweep on.
    void SetInterval(int intervalMs);
    void Stop();
    bool Running() const { return running_; }

private:
    void Tick();

    std::function<std::vector<int>()> channels_;
    std::function<void(int)> read_;
    QTimer timer_;
    QElapsedTimer sweepStarted_;
    std::vector<int> sweep_;
    std::size_t next_ = 0;
    int intervalMs_ = MinIntervalMs;
    bool running_ = false;
};
