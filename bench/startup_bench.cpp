// Start-up time, resident memory and idle processor use of the real main
// window (startup_real) beside a bare Qt window with a two-tab QTabWidget
// (startup_bare), offscreen.
//
//   startup_bench [--runs N] [--idle SECONDS]    (defaults 15 and 10)
//
// Every run is a fresh process started with fork and exec, real and bare in
// turn. The start-up time runs from this driver's clock reading just before
// fork, so it holds the loading and linking of the libraries, to the end of
// the window's first expose, by which its first paint is done; the time from
// main's entry is shown beside it. Resident memory is VmRSS at that moment.
// The idle figure is the processor time (user and system, every thread) over
// SECONDS with the port open on a pseudo-terminal and no traffic, after a
// second of settling, as a percentage of one core.

#include "benchclock.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <pty.h>
#include <string>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace {

std::string OwnDirectory()
{
    char path[4096] = {};
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    std::string self(path, n > 0 ? n : 0);
    return self.substr(0, self.rfind('/') + 1);
}

// Runs a probe and returns the line it prints.
std::string RunProbe(const std::string &program, const std::vector<std::string> &args)
{
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0)
        return {};
    std::vector<char *> argv{const_cast<char *>(program.c_str())};
    for (const std::string &arg : args)
        argv.push_back(const_cast<char *>(arg.c_str()));
    argv.push_back(nullptr);

    const std::string forkNs = std::to_string(MonotonicNs());
    const pid_t pid = fork();
    if (pid == 0) {
        setenv(ForkClockVariable, forkNs.c_str(), 1);
        dup2(out[1], STDOUT_FILENO);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(out[1]);
    std::string text;
    char buffer[256];
    ssize_t n;
    while ((n = read(out[0], buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR))
        if (n > 0)
            text.append(buffer, n);
    close(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return text;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Throws away what the real window sent, so the line never fills.
void DrainBoard(int master)
{
    char buffer[256];
    while (read(master, buffer, sizeof buffer) > 0) {
    }
}

struct Figures {
    std::vector<double> forkMs, mainMs, rssKb;
};

} // namespace

int main(int argc, char *argv[])
{
    int runs = 15, idleSeconds = 10;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--runs") == 0)
            runs = std::max(1, std::atoi(argv[i + 1]));
        else if (std::strcmp(argv[i], "--idle") == 0)
            idleSeconds = std::max(1, std::atoi(argv[i + 1]));
    }
    const std::string real = OwnDirectory() + "startup_real";
    const std::string bare = OwnDirectory() + "startup_bare";

    // The board's end stays open across the runs, so every real window
    // opens its port on a live line.
    termios raw{};
    cfmakeraw(&raw);
    int master = -1, slave = -1;
    char slaveName[256] = {};
    if (openpty(&master, &slave, slaveName, &raw, nullptr) != 0) {
        std::perror("startup_bench: openpty");
        return 1;
    }
    fcntl(master, F_SETFD, FD_CLOEXEC);
    fcntl(slave, F_SETFD, FD_CLOEXEC);
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);

    char dirTemplate[] = "/tmp/varnix-bench-XXXXXX";
    if (!mkdtemp(dirTemplate)) {
        std::perror("startup_bench: mkdtemp");
        return 1;
    }
    const std::string settings = std::string(dirTemplate) + "/Varnix.ini";
    std::ofstream(settings, std::ios::binary)
        << "[HARDWARE]\r\nPorta=COM1\r\n[PORTAS]\r\nCOM1=" << slaveName << "\r\n";

    Figures realFigures, bareFigures;
    std::printf("run  kind  from-fork-ms  from-main-ms  VmRSS-kB\n");
    for (int run = 0; run < 2 * runs; ++run) {
        const bool isReal = run % 2 == 0;
        const std::string line = RunProbe(isReal ? real : bare, {"startup", settings});
        DrainBoard(master);
        double forkMs = 0, mainMs = 0;
        long rss = 0;
        if (std::sscanf(line.c_str(), "%lf %lf %ld", &forkMs, &mainMs, &rss) != 3) {
            std::fprintf(stderr, "startup_bench: run failed: %s\n", line.c_str());
            return 1;
        }
        Figures &f = isReal ? realFigures : bareFigures;
        f.forkMs.push_back(forkMs);
        f.mainMs.push_back(mainMs);
        f.rssKb.push_back(rss);
        std::printf("%3d  %s  %12.2f  %12.2f  %8ld\n", run / 2 + 1, isReal ? "real" : "bare", forkMs, mainMs, rss);
    }
    const auto row = [](const char *what, const char *unit, const std::vector<double> &r, const std::vector<double> &b) {
        std::printf("%-18s %8.1f %s %8.1f %s   %6.3f\n", what, Median(r), unit, Median(b), unit, Median(r) / Median(b));
    };
    std::printf("\nmedians of %d runs       real         bare     real/bare\n", runs);
    row("from fork to shown", "ms", realFigures.forkMs, bareFigures.forkMs);
    row("from main to shown", "ms", realFigures.mainMs, bareFigures.mainMs);
    row("VmRSS when shown", "kB", realFigures.rssKb, bareFigures.rssKb);

    std::printf("\nidle over %d s    CPU %%    CPU ms   voluntary switches/s\n", idleSeconds);
    for (const bool isReal : {true, false}) {
        const std::string line = RunProbe(isReal ? real : bare, {"idle", std::to_string(idleSeconds), settings});
        DrainBoard(master);
        double percent = 0, cpuMs = 0, switches = 0;
        if (std::sscanf(line.c_str(), "%lf %lf %lf", &percent, &cpuMs, &switches) != 3) {
            std::fprintf(stderr, "startup_bench: idle run failed: %s\n", line.c_str());
            return 1;
        }
        std::printf("%s            %7.3f  %7.1f   %7.1f\n", isReal ? "real" : "bare", percent, cpuMs, switches);
    }
    close(slave);
    close(master);
    std::remove(settings.c_str());
    rmdir(dirTemplate);
    return 0;
}
