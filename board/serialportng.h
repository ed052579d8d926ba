#pragma once

// The serial link to the board. The user-interface thread opens, sends and
// closes; a worker thread owns the open device from then on: it reads, writes,
// groups received bytes into clusters by the cluster rule and hands each one
// to the user-interface thread, waiting until the handler has returned.
//
// The link is silent: a device that cannot be opened, a write that fails or a
// device that disappears only means that no reading arrives.

#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

class TSerialPortNG : public QObject {
    Q_OBJECT
public:
    explicit TSerialPortNG(QObject *parent = nullptr);
    ~TSerialPortNG() override;

    // The device path to open; on an open port it only takes effect at the
    // next opening.
    void SetCommPort(const QString &device) { commPort_ = device; }
    const QString &CommPort() const { return commPort_; }

    void SetBaudRate(std::uint32_t baud) { baudRate_ = baud; }
    std::uint32_t BaudRate() const { return baudRate_; }

    // true opens the port (it stays closed when the device cannot be opened
    // or is held by another program); false sends what is pending, within its
    // write time-out, then purges and closes.
    void SetActive(bool active);
    bool Active() const { return active_.load(); }

    // Hands the bytes to the worker and returns at once. Bytes given while an
    // earlier write is still pending, or while the port is closed, are dropped.
    void SendText(const QByteArray &text);
    bool SendInProgress() const { return sendInProgress_.load(); }

    // The byte count of the oldest queued cluster, or -1 when none is queued.
    int OldestClusterSize();
    // Removes the oldest queued cluster and returns its bytes; empty when none.
    QByteArray TakeOldestCluster();

    // Runs on the user-interface thread once for each queued cluster. An
    // exception it throws ends that cluster's handling; reception goes on.
    std::function<void(TSerialPortNG &)> OnRxClusterEvent;

private:
    enum class Wake { None, Device, Timeout };

    void Run();
    void Serve(int fd);
    bool ServiceWrite(int fd);
    void FinishAndRelease(int fd);
    void HandOff(int fd, QByteArray bytes);
    void Deliver();
    void Notify();
    void DrainNotify();
    bool StopRequested() const { return closeRequested_.load() || quit_.load(); }

    QString commPort_;
    std::uint32_t baudRate_ = 19200;

    std::atomic<bool> active_{false};
    std::atomic<bool> sendInProgress_{false};
    std::atomic<bool> closeRequested_{false};
    std::atomic<bool> quit_{false};
    // Hand-off tickets: posted by the worker, marked handled on the UI thread.
    std::atomic<std::uint64_t> posted_{0};
    std::atomic<std::uint64_t> handled_{0};

    // Open/close handshake between the user-interface thread and the worker.
    std::mutex stateMutex_;
    std::condition_variable stateChanged_;
    int openedFd_ = -1;
    bool released_ = true;

    // The bytes of the pending write, set by SendText before it raises
    // sendInProgress_ and taken by the worker after it sees the flag.
    std::mutex txMutex_;
    QByteArray txPending_;
    std::int64_t txDeadlineMs_ = 0;

    std::mutex queueMutex_;
    std::deque<QByteArray> clusters_;

    // Wakes the worker: a send, a close, the end of a hand-off.
    int notifyFd_ = -1;
    // Wakes the user-interface thread's event loop for a hand-off; a file
    // descriptor rather than a posted event, so that nothing but the counters
    // and the locked queue passes between the threads.
    int handOffFd_ = -1;
    QSocketNotifier *handOffNotifier_ = nullptr;
    std::thread worker_;
};
