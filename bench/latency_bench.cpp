// Reading latency of the real main window on a pseudo-terminal: from the
// moment the board's frame is written to the moment its display's text
// changes.
//
//   latency_bench [READINGS]    (default 200)

#include "benchboard.h"
#include "formprincipal.h"

#include <QApplication>
#include <QEventLoop>
#include <QLineEdit>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto Quiet = std::chrono::milliseconds(100);
constexpr auto GiveUp = std::chrono::seconds(2);
constexpr double GoalLowMs = 250;
constexpr double GoalHighMs = 330;

// Serves the event loop for the span, or until the loop is told to quit.
void Serve(QEventLoop &loop, std::chrono::milliseconds span)
{
    QTimer::singleShot(span, &loop, &QEventLoop::quit);
    loop.exec();
}

double Percentile(const std::vector<double> &sorted, double fraction)
{
    const auto rank = static_cast<std::size_t>(std::ceil(fraction * sorted.size()));
    return sorted[std::clamp<std::size_t>(rank, 1, sorted.size()) - 1];
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int readings = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;

    BenchBoard board;
    TFormPrincipal form(board.SettingsPath());
    form.show();

    bool changed = false;
    Clock::time_point changedAt;
    QEventLoop *waiting = nullptr;
    for (QLineEdit *display : form.Displays) {
        QObject::connect(display, &QLineEdit::textChanged, [&] {
            changedAt = Clock::now();
            changed = true;
            if (waiting)
                waiting->quit();
        });
    }

    std::vector<double> latencies;
    int missed = 0;
    for (int k = 0; k < readings; ++k) {
        {
            QEventLoop quiet;
            Serve(quiet, Quiet);
        }
        // Channels 1 and 2 in turn, each one's count one up on its last, so
        // every reading changes its display.
        const unsigned channel = k % 2;
        const unsigned count = 1 + (k / 2) % 1000;
        changed = false;
        const auto writtenAt = Clock::now();
        if (!board.SendFrame(channel, count)) {
            std::perror("latency_bench: write");
            return 1;
        }
        QEventLoop loop;
        waiting = &loop;
        Serve(loop, GiveUp);
        waiting = nullptr;
        if (!changed) {
            ++missed;
            continue;
        }
        latencies.push_back(std::chrono::duration<double, std::milli>(changedAt - writtenAt).count());
    }

    form.close();

    if (latencies.empty()) {
        std::printf("no reading reached a display (%d missed)\n", missed);
        return 1;
    }
    std::vector<double> sorted = latencies;
    std::sort(sorted.begin(), sorted.end());
    const auto inGoal = std::count_if(sorted.begin(), sorted.end(),
                                      [](double ms) { return ms >= GoalLowMs && ms <= GoalHighMs; });
    std::printf("readings %zu  missed %d\n", sorted.size(), missed);
    std::printf("min %.2f ms  median %.2f ms  p99 %.2f ms  max %.2f ms\n", sorted.front(),
                Percentile(sorted, 0.5), Percentile(sorted, 0.99), sorted.back());
    std::printf("within %.0f..%.0f ms: %td of %zu\n", GoalLowMs, GoalHighMs, inGoal, sorted.size());
    return inGoal == static_cast<std::ptrdiff_t>(sorted.size()) && missed == 0 ? 0 : 1;
}
