#include "ptyboard.h"

#include <QTest>

#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

PtyBoard::PtyBoard()
{
    termios raw{};
    cfmakeraw(&raw);
    char name[256] = {};
    if (openpty(&master_, &slave_, name, &raw, nullptr) != 0)
        std::abort();
    devicePath_ = QString::fromLocal8Bit(name);
}

PtyBoard::~PtyBoard()
{
    Vanish();
}

void PtyBoard::Send(const QByteArray &bytes)
{
    [[maybe_unused]] auto n = write(master_, bytes.constData(), bytes.size());
}

QByteArray PtyBoard::Receive(std::chrono::milliseconds wait)
{
    QByteArray bytes;
    pollfd in = {master_, POLLIN, 0};
    if (poll(&in, 1, static_cast<int>(wait.count())) <= 0 || !(in.revents & POLLIN))
        return bytes;
    char buffer[4096];
    for (;;) {
        in.revents = 0;
        if (poll(&in, 1, 0) <= 0 || !(in.revents & POLLIN))
            break;
        const ssize_t n = read(master_, buffer, sizeof buffer);
        if (n <= 0)
            break;
        bytes.append(buffer, n);
    }
    return bytes;
}

void PtyBoard::Vanish()
{
    if (slave_ >= 0)
        close(slave_);
    if (master_ >= 0)
        close(master_);
    slave_ = master_ = -1;
}

bool WaitFor(const std::function<bool()> &condition, std::chrono::milliseconds deadline)
{
    return QTest::qWaitFor(condition, static_cast<int>(deadline.count()));
}
