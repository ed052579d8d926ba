#include "startupprobe.h"

#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QTimer>
#include <QWindow>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/resource.h>

namespace {

long StatusKb(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray key = QByteArray(field) + ':';
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').value(0).toLong();
    return -1;
}

double CpuSeconds(const rusage &usage)
{
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Calls back once, from the event loop, after the first expose of a window
// has been handled, which is when the widgets have had their first paint.
class FirstExpose : public QObject {
public:
    explicit FirstExpose(std::function<void()> then)
        : then_(std::move(then))
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!seen_ && event->type() == QEvent::Expose && qobject_cast<QWindow *>(watched)) {
            seen_ = true;
            QTimer::singleShot(0, this, then_);
        }
        return false;
    }

private:
    std::function<void()> then_;
    bool seen_ = false;
};

void MeasureIdle(QApplication &app, int seconds)
{
    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    const auto start = std::chrono::steady_clock::now();
    QTimer::singleShot(std::chrono::seconds(seconds), &app, [&app, before, start] {
        rusage after{};
        getrusage(RUSAGE_SELF, &after);
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const double cpu = CpuSeconds(after) - CpuSeconds(before);
        const double switches = double(after.ru_nvcsw - before.ru_nvcsw) / wall;
        std::printf("%.4f %.3f %.1f\n", 100 * cpu / wall, cpu * 1000, switches);
        app.quit();
    });
}

} // namespace

int RunProbe(int argc, char *argv[], std::int64_t mainNs,
             const std::function<std::unique_ptr<QWidget>(const QString &settings)> &makeWindow)
{
    const bool idle = argc == 4 && std::strcmp(argv[1], "idle") == 0;
    if (!idle && !(argc == 3 && std::strcmp(argv[1], "startup") == 0)) {
        std::fprintf(stderr, "usage: %s startup SETTINGS | idle SECONDS SETTINGS\n", argv[0]);
        return 2;
    }
    const int idleSeconds = idle ? std::atoi(argv[2]) : 0;
    const QString settings = QString::fromLocal8Bit(argv[argc - 1]);
    const char *forkClock = std::getenv(ForkClockVariable);
    const std::int64_t forkNs = forkClock ? std::atoll(forkClock) : mainNs;

    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    FirstExpose filter([&] {
        const std::int64_t shownNs = MonotonicNs();
        if (!idle) {
            std::printf("%.3f %.3f %ld\n", (shownNs - forkNs) / 1e6, (shownNs - mainNs) / 1e6, StatusKb("VmRSS"));
            app.quit();
            return;
        }
        // A second to settle, so that the start-up's own work is not counted.
        QTimer::singleShot(std::chrono::seconds(1), &app, [&app, idleSeconds] { MeasureIdle(app, idleSeconds); });
    });
    app.installEventFilter(&filter);
    const std::unique_ptr<QWidget> window = makeWindow(settings);
    window->show();
    QTimer::singleShot(std::chrono::seconds(10 + idleSeconds), &app, [&app] {
        std::printf("timeout\n");
        app.quit();
    });
    const int status = app.exec();
    std::fflush(stdout);
    return status;
}
