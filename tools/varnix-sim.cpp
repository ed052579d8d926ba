// The board simulator: plays a Varnix-S on a pseudo-terminal, for the tests
// and for anyone without a board.
//
//   varnix-sim --link PATH [--interval MS] [--random SEED] [--duration S]
//
// It makes PATH a symbolic link to its pseudo-terminal, answers the read
// commands "k" to "o" with a frame of channel 1 to 5, sends a frame of the
// next channel every MS milliseconds when --interval is given, or random
// bytes at random moments with --random, and prints every byte it receives,
// one per line ("rx 6b k"). It stops on SIGINT or SIGTERM, or after S seconds.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <random>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t stopping = 0;

void Stop(int)
{
    stopping = 1;
}

double Seconds()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// A slow wave per channel, so that the displays move.
unsigned CountFor(unsigned channel, double t)
{
    const double phase = t / (8.0 + 2.0 * channel) * 2 * M_PI + channel;
    return static_cast<unsigned>(std::lround(511.5 + 480 * std::sin(phase)));
}

void SendFrame(int fd, unsigned channel, double t)
{
    const unsigned count = CountFor(channel, t);
    const unsigned char frame[2] = {static_cast<unsigned char>(count & 0xFF),
                                    static_cast<unsigned char>((channel << 4) | (count >> 8))};
    [[maybe_unused]] auto n = write(fd, frame, sizeof frame);
}

int Usage()
{
    std::fprintf(stderr, "usage: varnix-sim --link PATH [--interval MS] [--random SEED] [--duration S]\n");
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    std::string link;
    int intervalMs = 0;
    long seed = -1;
    double duration = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc)
            return Usage();
        const char *value = argv[++i];
        if (arg == "--link")
            link = value;
        else if (arg == "--interval")
            intervalMs = std::atoi(value);
        else if (arg == "--random")
            seed = std::atol(value);
        else if (arg == "--duration")
            duration = std::atof(value);
        else
            return Usage();
    }
    if (link.empty())
        return Usage();

    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        std::perror("varnix-sim: pseudo-terminal");
        return 1;
    }
    const char *slaveName = ptsname(master);
    // Holding the far end open keeps the line up while the monitor is not
    // connected, and raw mode passes every byte unchanged.
    const int slave = open(slaveName, O_RDWR | O_NOCTTY);
    termios tio{};
    tcgetattr(slave, &tio);
    cfmakeraw(&tio);
    tcsetattr(slave, TCSANOW, &tio);

    unlink(link.c_str());
    if (symlink(slaveName, link.c_str()) != 0) {
        std::perror("varnix-sim: symlink");
        return 1;
    }
    std::signal(SIGINT, Stop);
    std::signal(SIGTERM, Stop);
    std::printf("varnix-sim: board on %s (%s)\n", link.c_str(), slaveName);
    std::fflush(stdout);

    std::mt19937 random(static_cast<unsigned>(seed));
    const double start = Seconds();
    double next = start + intervalMs / 1000.0;
    unsigned nextChannel = 0;
    while (!stopping && (duration <= 0 || Seconds() - start < duration)) {
        const double now = Seconds();
        if (seed >= 0 && now >= next) {
            unsigned char bytes[4];
            const int count = 1 + static_cast<int>(random() % 4);
            for (int i = 0; i < count; ++i)
                bytes[i] = static_cast<unsigned char>(random());
            [[maybe_unused]] auto n = write(master, bytes, count);
            next = now + (random() % 600) / 1000.0;
        } else if (intervalMs > 0 && now >= next) {
            SendFrame(master, nextChannel, now - start);
            nextChannel = (nextChannel + 1) % 5;
            next += intervalMs / 1000.0;
        }
        const int waitMs = (seed >= 0 || intervalMs > 0) ? std::clamp(int((next - Seconds()) * 1000), 0, 100) : 100;
        pollfd in = {master, POLLIN, 0};
        if (poll(&in, 1, waitMs) <= 0 || !(in.revents & POLLIN))
            continue;
        unsigned char buffer[256];
        const ssize_t n = read(master, buffer, sizeof buffer);
        for (ssize_t i = 0; i < n; ++i) {
            const unsigned char byte = buffer[i];
            std::printf("rx %02x %c\n", byte, byte >= 0x20 && byte < 0x7F ? byte : '.');
            if (byte >= 'k' && byte <= 'o')
                SendFrame(master, byte - 'k', Seconds() - start);
        }
        std::fflush(stdout);
    }
    unlink(link.c_str());
    close(slave);
    close(master);
    return 0;
}
