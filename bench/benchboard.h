#pragma once

// What the in-process benchmarks share: a pseudo-terminal whose far end the
// bench plays as the board, a settings file that wires COM1 to it, and the
// process's resident memory.

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

class BenchBoard {
public:
    // Exits the process with a message when no pseudo-terminal can be had.
    BenchBoard();
    ~BenchBoard();
    BenchBoard(const BenchBoard &) = delete;
    BenchBoard &operator=(const BenchBoard &) = delete;

    // The settings file to start the window with.
    QString SettingsPath() const;
    bool Send(const QByteArray &bytes);
    // A frame of channel (0..4) with the raw count.
    bool SendFrame(unsigned channel, unsigned count);

private:
    int master_ = -1;
    int slave_ = -1;
    QTemporaryDir dir_;
};

long ResidentKiB();
