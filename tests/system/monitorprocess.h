#pragma once

// The built monitor, run as a user runs it, on a Desktop. The program keeps
// Varnix.ini beside its executable (the real path, symbolic links resolved),
// so each run gets a copy of the executable in a folder of its own.
//
// Where things are on the screen follows from the window's fixed layout,
// measured from the readings page's green panel as found on the screen.

#include "desktop.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QPoint>
#include <QProcess>
#include <QRect>
#include <QTemporaryDir>

#include <array>
#include <chrono>
#include <optional>

struct ChannelSettings {
    int precision = 3;
    QByteArray ratio = "1";
    QByteArray unit = "volts";
};

// A settings file as the program would write it, in Windows-1252, with every
// port name mapped to the device.
QByteArray SettingsFile(const QString &device, const std::array<ChannelSettings, 5> &channels = {});

class MonitorProcess {
public:
    // Copies the executable into `folder`, or into a temporary folder.
    explicit MonitorProcess(Desktop &desktop, const QString &folder = {});
    ~MonitorProcess();
    MonitorProcess(const MonitorProcess &) = delete;
    MonitorProcess &operator=(const MonitorProcess &) = delete;

    QString Folder() const { return folder_; }
    QString SettingsPath() const { return folder_ + "/Varnix.ini"; }
    bool Copied() const { return copied_; }

    void WriteSettings(const QByteArray &contents) const;
    void Start();
    // Waits until the main window shows its readings page, then takes its
    // measure.
    bool WaitForWindow(std::chrono::milliseconds deadline = std::chrono::seconds(15));

    void ClickRead(int channel);
    void ClickSave();
    // The next page, as Ctrl+Tab selects it.
    void NextPage();
    // The readings page's green panel is on the screen.
    bool ReadingsPageShown() const;
    // The text of a display as recognised on the screen.
    QString DisplayText(int channel) const;
    // Waits until the display shows the text.
    bool WaitForDisplay(int channel, const QString &text,
                        std::chrono::milliseconds deadline = std::chrono::seconds(5)) const;

    // Presses Alt+F4 on the main window; the time it took to exit, or
    // nothing when it was still running after `deadline`.
    std::optional<std::chrono::milliseconds> CloseWithAltF4(std::chrono::milliseconds deadline = std::chrono::seconds(10));
    bool Running() const { return process_.state() != QProcess::NotRunning; }
    int ExitCode() const { return process_.exitCode(); }
    QProcess::ExitStatus ExitStatus() const { return process_.exitStatus(); }
    // What the program printed so far.
    QString Output();

    // Processor time used so far, user and system, in seconds.
    double CpuSeconds() const;
    // Resident memory, in kilobytes.
    long ResidentKb() const;

private:
    QPoint PagePoint(int x, int y) const { return pageOrigin_ + QPoint(x, y); }
    QRect DisplayRect(int channel) const;

    Desktop &desktop_;
    QTemporaryDir ownFolder_;
    QString folder_;
    bool copied_ = false;
    QProcess process_;
    QString window_;
    QPoint pageOrigin_;
    QString output_;
};

// The visible message boxes of the program (their title is the program's name).
QStringList MessageBoxes(const Desktop &desktop);
