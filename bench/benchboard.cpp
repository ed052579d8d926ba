#include "benchboard.h"

#include <QFile>

#include <cstdio>
#include <cstdlib>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

BenchBoard::BenchBoard()
{
    termios raw{};
    cfmakeraw(&raw);
    char name[256] = {};
    if (openpty(&master_, &slave_, name, &raw, nullptr) != 0) {
        std::perror("openpty");
        std::exit(1);
    }
    QFile file(SettingsPath());
    if (!file.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(SettingsPath()));
        std::exit(1);
    }
    file.write("[HARDWARE]\r\nPorta=COM1\r\n[PORTAS]\r\nCOM1=" + QByteArray(name) + "\r\n");
}

BenchBoard::~BenchBoard()
{
    close(slave_);
    close(master_);
}

QString BenchBoard::SettingsPath() const
{
    return dir_.filePath(QStringLiteral("Varnix.ini"));
}

bool BenchBoard::Send(const QByteArray &bytes)
{
    return write(master_, bytes.constData(), bytes.size()) == bytes.size();
}

bool BenchBoard::SendFrame(unsigned channel, unsigned count)
{
    const char frame[2] = {static_cast<char>(count & 0xFF), static_cast<char>((channel << 4) | ((count >> 8) & 3))};
    return Send(QByteArray(frame, 2));
}

long ResidentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}
