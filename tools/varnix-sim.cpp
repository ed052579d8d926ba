// The board simulator: plays a Varnix-S on a pseudo-terminal, for the tests
// and for anyone without a board.
//
//   varnix-sim --link PATH [--interval MS] [--random SEED] [--flood]
//              [--fixed COUNT[,COUNT...]] [--duration S]
//
// It makes PATH a symbolic link to its pseudo-terminal, answers the read
// commands "k" to "o" with a frame of channel 1 to 5, and prints every byte it
// receives, one per line ("rx 6b k"). Of its own it sends a frame of the next
// channel every MS milliseconds with --interval, random bytes at random
// moments with --random, or frames of every channel as fast as the line takes
// them with --flood. A frame's count follows a slow wave per channel, or is
// fixed with --fixed: the first COUNT for channel 1, the next for channel 2,
// the last for the remaining channels. SIGUSR1 ends the traffic of its own;
// it then only answers. It stops on SIGINT or SIGTERM, or after S seconds.

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
#include <sstream>
#include <string>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace {

volatile std::sig_atomic_t stopping = 0;
volatile std::sig_atomic_t quiet = 0;

void Stop(int)
{
    stopping = 1;
}

void Quiet(int)
{
    quiet = 1;
}

double Seconds()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

std::vector<unsigned> fixedCounts;

// A slow wave per channel, so that the displays move, unless fixed.
unsigned CountFor(unsigned channel, double t)
{
    if (!fixedCounts.empty())
        return fixedCounts[std::min<std::size_t>(channel, fixedCounts.size() - 1)];
    const double phase = t / (8.0 + 2.0 * channel) * 2 * M_PI + channel;
    return static_cast<unsigned>(std::lround(511.5 + 480 * std::sin(phase)));
}

void AppendFrame(std::string &out, unsigned channel, double t)
{
    const unsigned count = CountFor(channel, t);
    out += static_cast<char>(count & 0xFF);
    out += static_cast<char>((channel << 4) | (count >> 8));
}

bool ParseCounts(const char *text)
{
    std::istringstream in(text);
    std::string item;
    while (std::getline(in, item, ',')) {
        char *end = nullptr;
        const long count = std::strtol(item.c_str(), &end, 10);
        if (item.empty() || *end != '\0' || count < 0 || count > 1023)
            return false;
        fixedCounts.push_back(static_cast<unsigned>(count));
    }
    return !fixedCounts.empty();
}

int Usage()
{
    std::fprintf(stderr, "usage: varnix-sim --link PATH [--interval MS] [--random SEED] [--flood]"
                         " [--fixed COUNT[,COUNT...]] [--duration S]\n");
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    std::string link;
    int intervalMs = 0;
    long seed = -1;
    bool flood = false;
    double duration = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--flood") {
            flood = true;
            continue;
        }
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
        else if (arg == "--fixed") {
            if (!ParseCounts(value))
                return Usage();
        } else
            return Usage();
    }
    if (link.empty())
        return Usage();

    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        std::perror("varnix-sim: pseudo-terminal");
        return 1;
    }
    // A full line must not block the answers to the commands.
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
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
    std::signal(SIGUSR1, Quiet);
    std::printf("varnix-sim: board on %s (%s)\n", link.c_str(), slaveName);
    std::fflush(stdout);

    std::mt19937 random(static_cast<unsigned>(seed));
    const double start = Seconds();
    double next = start + intervalMs / 1000.0;
    unsigned nextChannel = 0;
    // Bytes sent but not yet taken by the line.
    std::string outgoing;
    bool quieted = false;
    while (!stopping && (duration <= 0 || Seconds() - start < duration)) {
        const double now = Seconds();
        if (quiet) {
            if (!quieted)
                outgoing.clear();
            quieted = true;
        } else if (flood) {
            while (outgoing.size() < 4096) {
                AppendFrame(outgoing, nextChannel, now - start);
                nextChannel = (nextChannel + 1) % 5;
            }
        } else if (seed >= 0 && now >= next) {
            const int count = 1 + static_cast<int>(random() % 4);
            for (int i = 0; i < count; ++i)
                outgoing += static_cast<char>(random());
            next = now + (random() % 600) / 1000.0;
        } else if (intervalMs > 0 && now >= next) {
            AppendFrame(outgoing, nextChannel, now - start);
            nextChannel = (nextChannel + 1) % 5;
            next += intervalMs / 1000.0;
        }
        if (!outgoing.empty()) {
            const ssize_t n = write(master, outgoing.data(), outgoing.size());
            if (n > 0)
                outgoing.erase(0, static_cast<std::size_t>(n));
        }

        const bool timed = !quiet && (seed >= 0 || intervalMs > 0);
        const int waitMs = timed ? std::clamp(int((next - Seconds()) * 1000), 0, 100) : 100;
        const bool sending = !outgoing.empty() || (flood && !quiet);
        pollfd line = {master, short(POLLIN | (sending ? POLLOUT : 0)), 0};
        if (poll(&line, 1, waitMs) <= 0 || !(line.revents & POLLIN))
            continue;
        unsigned char buffer[256];
        const ssize_t n = read(master, buffer, sizeof buffer);
        for (ssize_t i = 0; i < n; ++i) {
            const unsigned char byte = buffer[i];
            std::printf("rx %02x %c\n", byte, byte >= 0x20 && byte < 0x7F ? byte : '.');
            if (byte >= 'k' && byte <= 'o')
                AppendFrame(outgoing, byte - 'k', Seconds() - start);
        }
        std::fflush(stdout);
    }
    unlink(link.c_str());
    close(slave);
    close(master);
    return 0;
}
