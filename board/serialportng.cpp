#include "serialportng.h"

#include "clusterrule.h"

#include <QSocketNotifier>

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

using varnix::ClusterRule;

namespace {

// The write time-out: 43 us per byte plus 250 ms, in whole milliseconds.
constexpr std::int64_t WriteCharDelayUs = 43;
constexpr std::int64_t WriteExtraDelayMs = 250;
// How long closing waits for the worker to let go of the device.
constexpr auto ReleaseTimeout = std::chrono::milliseconds(1500);

std::int64_t NowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

speed_t SpeedFor(std::uint32_t baud)
{
    switch (baud) {
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    default: return B19200;
    }
}

// 8N1, no flow control of any kind, every byte passed unchanged, reads that
// return at once with whatever is queued.
void ApplyLineSettings(int fd, std::uint32_t baud)
{
    termios tio{};
    if (tcgetattr(fd, &tio) != 0)
        return;
    cfmakeraw(&tio);
    tio.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK | PARMRK | IGNPAR | ISTRIP);
    tio.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    cfsetispeed(&tio, SpeedFor(baud));
    cfsetospeed(&tio, SpeedFor(baud));
    tcsetattr(fd, TCSANOW, &tio);
}

// A pseudo-terminal has no modem lines; the board link goes on without them.
void RaiseModemLines(int fd)
{
    int dtr = TIOCM_DTR;
    ioctl(fd, TIOCMBIS, &dtr);
    int rts = TIOCM_RTS;
    ioctl(fd, TIOCMBIS, &rts);
}

// Sum of the line-error counters; -1 where the device keeps none.
long LineErrorCount(int fd)
{
    serial_icounter_struct counts{};
    if (ioctl(fd, TIOCGICOUNT, &counts) != 0)
        return -1;
    return long(counts.frame) + counts.overrun + counts.parity + counts.brk + counts.buf_overrun;
}

bool HungUp(short revents)
{
    return revents & (POLLHUP | POLLERR | POLLNVAL);
}

} // namespace

TSerialPortNG::TSerialPortNG(QObject *parent)
    : QObject(parent)
{
    notifyFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    handOffFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    handOffNotifier_ = new QSocketNotifier(handOffFd_, QSocketNotifier::Read, this);
    connect(handOffNotifier_, &QSocketNotifier::activated, this, [this] {
        std::uint64_t count;
        [[maybe_unused]] auto n = read(handOffFd_, &count, sizeof count);
        Deliver();
    });
    worker_ = std::thread([this] { Run(); });
}

TSerialPortNG::~TSerialPortNG()
{
    SetActive(false);
    {
        std::lock_guard lock(stateMutex_);
        quit_ = true;
    }
    stateChanged_.notify_all();
    Notify();
    worker_.join();
    delete handOffNotifier_;
    close(handOffFd_);
    close(notifyFd_);
}

void TSerialPortNG::SetActive(bool active)
{
    if (active == active_.load())
        return;
    if (active) {
        const QByteArray path = commPort_.toLocal8Bit();
        const int fd = open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            return;
        // TIOCEXCL keeps out later unprivileged openers; the lock is what
        // other programs (and root) see.
        ioctl(fd, TIOCEXCL);
        if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
            close(fd);
            return;
        }
        ApplyLineSettings(fd, baudRate_);
        RaiseModemLines(fd);
        {
            std::lock_guard lock(stateMutex_);
            closeRequested_ = false;
            released_ = false;
            openedFd_ = fd;
            active_ = true;
        }
        stateChanged_.notify_all();
        return;
    }

    std::unique_lock lock(stateMutex_);
    closeRequested_ = true;
    Notify();
    stateChanged_.wait_for(lock, ReleaseTimeout, [this] { return released_; });
    active_ = false;
}

void TSerialPortNG::SendText(const QByteArray &text)
{
    if (text.isEmpty() || !active_.load() || sendInProgress_.load())
        return;
    {
        std::lock_guard lock(txMutex_);
        // Bytes of the worker's own, not shared with the caller's QByteArray,
        // whose reference count the two threads would otherwise both change.
        txPending_ = QByteArray(text.constData(), text.size());
        txDeadlineMs_ = NowMs() + text.size() * WriteCharDelayUs / 1000 + WriteExtraDelayMs;
    }
    sendInProgress_ = true;
    Notify();
}

int TSerialPortNG::OldestClusterSize()
{
    std::lock_guard lock(queueMutex_);
    return clusters_.empty() ? -1 : static_cast<int>(clusters_.front().size());
}

QByteArray TSerialPortNG::TakeOldestCluster()
{
    std::lock_guard lock(queueMutex_);
    if (clusters_.empty())
        return {};
    QByteArray bytes = std::move(clusters_.front());
    clusters_.pop_front();
    return bytes;
}

void TSerialPortNG::Notify()
{
    const std::uint64_t one = 1;
    [[maybe_unused]] auto n = write(notifyFd_, &one, sizeof one);
}

void TSerialPortNG::DrainNotify()
{
    std::uint64_t count;
    [[maybe_unused]] auto n = read(notifyFd_, &count, sizeof count);
}

void TSerialPortNG::Run()
{
    std::unique_lock lock(stateMutex_);
    for (;;) {
        stateChanged_.wait(lock, [this] { return quit_.load() || openedFd_ >= 0; });
        if (quit_)
            return;
        const int fd = openedFd_;
        openedFd_ = -1;
        lock.unlock();
        Serve(fd);
        lock.lock();
        released_ = true;
        stateChanged_.notify_all();
    }
}

void TSerialPortNG::Serve(int fd)
{
    std::int64_t t0 = NowMs();
    long lineErrors = LineErrorCount(fd);
    while (fd >= 0 && !StopRequested()) {
        const std::int64_t now = NowMs();
        int waiting = 0;
        if (ioctl(fd, TIOCINQ, &waiting) != 0) {
            close(fd);
            fd = -1;
            break;
        }
        ServiceWrite(fd);

        const long errors = LineErrorCount(fd);
        const bool lineError = errors != lineErrors;
        lineErrors = errors;
        const auto elapsed = static_cast<std::uint32_t>(now - t0);
        if (waiting == 0) {
            t0 = now;
        } else if (ClusterRule::ShouldTake(waiting, elapsed, lineError)) {
            QByteArray bytes(waiting, Qt::Uninitialized);
            const ssize_t got = read(fd, bytes.data(), bytes.size());
            bytes.resize(got > 0 ? got : 0);
            HandOff(fd, std::move(bytes));
            t0 = NowMs();
            continue;
        }

        pollfd fds[2] = {{notifyFd_, POLLIN, 0}, {fd, 0, 0}};
        // While bytes wait for their cluster, only the clock and the
        // notifier can end the wait; watching input then would spin.
        if (waiting == 0)
            fds[1].events |= POLLIN;
        if (sendInProgress_.load())
            fds[1].events |= POLLOUT;
        // With nothing waiting and nothing to send, only a line event can
        // change anything, so an idle link does not wake at all.
        const bool idle = waiting == 0 && !sendInProgress_.load();
        poll(fds, 2, idle ? -1 : ClusterRule::WaitMs(waiting, elapsed));
        if (fds[0].revents & POLLIN)
            DrainNotify();
        // A pulled adapter or a closed far end reports a hang-up on every
        // poll: let go of the device at once, and the link goes quiet.
        if (HungUp(fds[1].revents)) {
            close(fd);
            fd = -1;
            break;
        }
        // The wait watched for input, so the queue stayed empty until it ended.
        if (waiting == 0)
            t0 = NowMs();
    }

    if (fd >= 0) {
        FinishAndRelease(fd);
        return;
    }
    // The device is gone: drop whatever is sent until the port is closed.
    while (!StopRequested()) {
        sendInProgress_ = false;
        pollfd wake = {notifyFd_, POLLIN, 0};
        poll(&wake, 1, -1);
        DrainNotify();
    }
    sendInProgress_ = false;
}

// Writes what the pending write still holds; true once it is over, because it
// completed, failed or ran out of time.
bool TSerialPortNG::ServiceWrite(int fd)
{
    if (!sendInProgress_.load())
        return true;
    std::lock_guard lock(txMutex_);
    while (!txPending_.isEmpty()) {
        const ssize_t n = write(fd, txPending_.constData(), txPending_.size());
        if (n > 0) {
            txPending_.remove(0, n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN && NowMs() < txDeadlineMs_)
            return false;
        break;
    }
    txPending_.clear();
    sendInProgress_ = false;
    return true;
}

// Lets the last command (the closing "F") leave the line within its write
// time-out before the queues are purged and the device released.
void TSerialPortNG::FinishAndRelease(int fd)
{
    std::int64_t deadline;
    {
        std::lock_guard lock(txMutex_);
        deadline = sendInProgress_.load() ? txDeadlineMs_ : NowMs();
    }
    while (!ServiceWrite(fd) && NowMs() < deadline) {
        pollfd out = {fd, POLLOUT, 0};
        poll(&out, 1, 5);
        if (HungUp(out.revents))
            break;
    }
    int queued = 0;
    while (ioctl(fd, TIOCOUTQ, &queued) == 0 && queued > 0 && NowMs() < deadline)
        poll(nullptr, 0, 2);
    sendInProgress_ = false;
    // Purging the output of a drained line would still discard what a
    // pseudo-terminal's far end has not read yet, the closing "F" included.
    tcflush(fd, queued > 0 ? TCIOFLUSH : TCIFLUSH);
    close(fd);
}

void TSerialPortNG::HandOff(int fd, QByteArray bytes)
{
    {
        std::lock_guard lock(queueMutex_);
        clusters_.push_back(std::move(bytes));
    }
    // Whether there is a handler is for the user-interface thread to see: the
    // handler may be set there at any moment.
    const std::uint64_t ticket = ++posted_;
    const std::uint64_t one = 1;
    [[maybe_unused]] auto n = write(handOffFd_, &one, sizeof one);
    // Commands sent meanwhile still go out at once.
    while (handled_.load() < ticket && !StopRequested()) {
        pollfd fds[2] = {{notifyFd_, POLLIN, 0}, {fd, short(sendInProgress_.load() ? POLLOUT : 0), 0}};
        poll(fds, 2, ClusterRule::PassIntervalMs);
        if (fds[0].revents & POLLIN)
            DrainNotify();
        if (HungUp(fds[1].revents))
            return;
        ServiceWrite(fd);
    }
}

void TSerialPortNG::Deliver()
{
    const std::uint64_t ticket = posted_.load();
    if (handled_.load() >= ticket)
        return;
    try {
        if (OnRxClusterEvent)
            OnRxClusterEvent(*this);
    } catch (...) {
        // A reading that fails writes nothing; the next cluster is read as usual.
    }
    handled_ = ticket;
    Notify();
}
