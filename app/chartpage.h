#pragma once

// The page "Gráfico": the recorded readings over time, one line per channel
// (and one for raw-volts readings), with the automatic reading, the CSV
// export and the clearing of the record.

#include "readinghistory.h"
#include "timebuckets.h"

#include <QTimer>
#include <QWidget>

#include <array>

class QCheckBox;
class QChart;
class QChartView;
class QDateTimeAxis;
class QLabel;
class QLineSeries;
class QPushButton;
class QSpinBox;
class QValueAxis;

class TChartPage : public QWidget {
    Q_OBJECT
public:
    // One line per channel, then the raw-volts line.
    static constexpr int LineCount = 6;
    // About one bucket for every two pixels of the plot: each keeps two points.
    static constexpr int BucketCount = 256;

    TChartPage(const varnix::ReadingHistory &history, QWidget *parent = nullptr);

    // Builds the chart; it waits for the page's first showing, so that a
    // window that never shows it starts without it.
    void EnsureChart();

    // The newest reading of the history is to be drawn.
    void ReadingRecorded();
    // Draws the whole history again, after it was cleared or lost readings
    // at its front.
    void Rebuild();
    void SetLegend(const QStringList &titles, const QStringList &units);
    void SetTitle(const QString &title);
    // Brings the lines up to date now rather than at the next refresh.
    void Refresh();

    QChartView *ChartView = nullptr;
    QChart *Chart = nullptr;
    std::array<QLineSeries *, LineCount> Lines{};
    QDateTimeAxis *TimeAxis = nullptr;
    QValueAxis *ValueAxis = nullptr;
    QCheckBox *AutoReading;   // "Leitura automática"
    QSpinBox *IntervalSeconds;
    QPushButton *ExportButton; // "Exportar CSV"
    QPushButton *ClearButton;  // "Limpar"
    QLabel *CountLabel;

private:
    void Draw(const varnix::RecordedReading &r);

    const varnix::ReadingHistory &history_;
    QString title_;
    std::array<QString, LineCount> names_;
    std::array<varnix::TimeBuckets, LineCount> buckets_{varnix::TimeBuckets(BucketCount), varnix::TimeBuckets(BucketCount),
                                                        varnix::TimeBuckets(BucketCount), varnix::TimeBuckets(BucketCount),
                                                        varnix::TimeBuckets(BucketCount), varnix::TimeBuckets(BucketCount)};
    std::uint64_t droppedAtRebuild_ = 0;
    QTimer refresh_;
};
