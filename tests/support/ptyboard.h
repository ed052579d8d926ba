#pragma once

// The board's end of a real pseudo-terminal pair: the program under test
// opens DevicePath(), the test writes frames and reads commands here.

#include <QByteArray>
#include <QString>

#include <chrono>
#include <functional>

class PtyBoard {
public:
    PtyBoard();
    ~PtyBoard();
    PtyBoard(const PtyBoard &) = delete;
    PtyBoard &operator=(const PtyBoard &) = delete;

    const QString &DevicePath() const { return devicePath_; }

    void Send(const QByteArray &bytes);
    // Every byte that has arrived, waiting up to `wait` for the first.
    QByteArray Receive(std::chrono::milliseconds wait = std::chrono::milliseconds(0));
    // Closes the board's end: the program's end of the line hangs up.
    void Vanish();

private:
    int master_ = -1;
    int slave_ = -1;
    QString devicePath_;
};

// Serves the event loop until the condition holds or the deadline passes.
bool WaitFor(const std::function<bool()> &condition, std::chrono::milliseconds deadline = std::chrono::seconds(5));
