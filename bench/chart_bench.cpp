// The chart with a full record: memory per recorded reading, and the time to
// record one more reading and redraw the chart (median and p99).
//
//   chart_bench [READINGS]   (default 1,000,000; offscreen)

#include "benchboard.h"
#include "chartpage.h"
#include "readinghistory.h"

#include <QApplication>
#include <QChartView>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

void Add(varnix::ReadingHistory &history, std::size_t i)
{
    const unsigned channel = i % 5;
    const unsigned count = (i * 37 + channel * 200) % 1024;
    history.Add(1'700'000'000'000LL + std::int64_t(i) * 400, -180,
                varnix::DecodeFrame(std::uint8_t(count & 0xFF), std::uint8_t((channel << 4) | (count >> 8))),
                "Canal", 3, 1, "V");
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const std::size_t readings = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 1'000'000;

    varnix::ReadingHistory history(readings);
    TChartPage page(history);
    page.resize(535, 340);
    page.EnsureChart();
    page.show();
    QApplication::processEvents();
    const long before = ResidentKiB();

    for (std::size_t i = 0; i < readings; ++i)
        Add(history, i);
    page.Rebuild();
    page.ChartView->viewport()->repaint();
    const long after = ResidentKiB();

    std::vector<double> ms;
    for (std::size_t i = readings; i < readings + 500; ++i) {
        const auto start = std::chrono::steady_clock::now();
        Add(history, i);
        page.ReadingRecorded();
        page.Refresh();
        page.ChartView->viewport()->repaint();
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(ms.begin(), ms.end());
    std::printf("recorded readings: %zu\n", history.Size());
    std::printf("memory: %.1f MiB for the record, %.1f bytes per reading\n", (after - before) / 1024.0,
                (after - before) * 1024.0 / double(readings));
    std::printf("record + redraw: median %.2f ms, p99 %.2f ms, max %.2f ms (%zu updates)\n", ms[ms.size() / 2],
                ms[ms.size() * 99 / 100], ms.back(), ms.size());
    return 0;
}
