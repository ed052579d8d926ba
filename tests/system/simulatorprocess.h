#pragma once

// The board simulator tools/varnix-sim as a process of the test, on a link
// in a folder of its own; the lines it prints are collected as they come.

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <chrono>

class SimulatorProcess {
public:
    // Starts it with --link and the given options; Error() says what failed.
    explicit SimulatorProcess(const QStringList &options = {});
    ~SimulatorProcess();
    SimulatorProcess(const SimulatorProcess &) = delete;
    SimulatorProcess &operator=(const SimulatorProcess &) = delete;

    const QString &Error() const { return error_; }
    QString LinkPath() const { return dir_.filePath("board"); }
    // The pseudo-terminal the link names.
    QString DevicePath() const;

    // The "rx" lines printed so far ("rx 6b k"), oldest first.
    QStringList Received();
    // Waits until the line has been printed, `after` lines or later.
    bool WaitForReceived(const QString &line, qsizetype after = 0,
                         std::chrono::milliseconds deadline = std::chrono::seconds(5));

    // Ends the traffic of its own (SIGUSR1); it then only answers.
    void Quiet();
    // Kills it, as a board that vanishes: the line hangs up.
    void Kill();

private:
    void Collect();

    QTemporaryDir dir_;
    QProcess process_;
    QStringList received_;
    QString error_;
};
