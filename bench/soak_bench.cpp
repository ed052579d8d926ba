// A long run of the real window on a pseudo-terminal: the bench plays the
// board and sends a frame every INTERVAL ms for SECONDS seconds, each far
// enough from the next to be a cluster, and so a reading, of its own.
//
//   soak_bench [SECONDS [INTERVAL_MS]]   (default 600 s, 400 ms; offscreen)
//
// Prints resident memory at start and end, readings expected and shown (all
// channels are recorded, so the record counts them), and the average CPU.

#include "benchboard.h"
#include "formprincipal.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>
#include <sys/resource.h>

namespace {

double CpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 600;
    const int intervalMs = argc > 2 ? std::atoi(argv[2]) : 400;

    BenchBoard board;
    TFormPrincipal form(board.SettingsPath());
    form.show();
    QApplication::processEvents();
    const long rssStart = ResidentKiB();
    const double cpuStart = CpuSeconds();
    QElapsedTimer clock;
    clock.start();

    long sent = 0;
    QTimer frames;
    frames.setTimerType(Qt::PreciseTimer);
    QObject::connect(&frames, &QTimer::timeout, [&] {
        board.SendFrame(sent % 5, sent % 1024);
        ++sent;
    });
    frames.start(intervalMs);
    QTimer::singleShot(seconds * 1000, [&] {
        frames.stop();
        QTimer::singleShot(1000, &app, &QApplication::quit);
    });
    app.exec();

    const double wall = clock.elapsed() / 1000.0;
    std::printf("soak: %d s, a frame every %d ms\n", seconds, intervalMs);
    std::printf("resident memory: %ld KiB at start, %ld KiB at end\n", rssStart, ResidentKiB());
    std::printf("readings: %ld expected, %zu shown\n", sent, form.History().Size());
    std::printf("CPU: %.2f %% of one core on average\n", 100.0 * (CpuSeconds() - cpuStart) / wall);
    form.close();
    return 0;
}
