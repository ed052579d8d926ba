#include "simulatorprocess.h"

#include "ptyboard.h"

#include <QFileInfo>

#include <csignal>

SimulatorProcess::SimulatorProcess(const QStringList &options)
{
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(VARNIX_SIM, QStringList{"--link", LinkPath()} + options);
    // The first line names the pseudo-terminal once the link is in place.
    if (!WaitFor([this] { return process_.canReadLine() || process_.state() == QProcess::NotRunning; })
        || !process_.canReadLine()) {
        error_ = "the simulator did not start: " + process_.errorString();
        return;
    }
    process_.readLine();
}

SimulatorProcess::~SimulatorProcess()
{
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.terminate();
    if (!process_.waitForFinished(5000)) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

QString SimulatorProcess::DevicePath() const
{
    return QFileInfo(LinkPath()).symLinkTarget();
}

void SimulatorProcess::Collect()
{
    while (process_.canReadLine()) {
        const QString line = QString::fromLatin1(process_.readLine()).trimmed();
        if (line.startsWith("rx "))
            received_ << line;
    }
}

QStringList SimulatorProcess::Received()
{
    process_.waitForReadyRead(0);
    Collect();
    return received_;
}

bool SimulatorProcess::WaitForReceived(const QString &line, qsizetype after, std::chrono::milliseconds deadline)
{
    return WaitFor([&] { return Received().indexOf(line, after) >= 0; }, deadline);
}

void SimulatorProcess::Quiet()
{
    ::kill(static_cast<pid_t>(process_.processId()), SIGUSR1);
}

void SimulatorProcess::Kill()
{
    process_.kill();
    process_.waitForFinished(5000);
    Collect();
}
