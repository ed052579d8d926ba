#include "chartpage.h"

#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QLabel>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPushButton>
#include <QSpinBox>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// At most ten redraws a second, however fast readings arrive.
constexpr int RefreshMs = 100;
// Readings lost at the history's front before the lines are drawn again.
constexpr std::uint64_t RebuildAfterDropped = 50'000;

} // namespace

TChartPage::TChartPage(const varnix::ReadingHistory &history, QWidget *parent)
    : QWidget(parent)
    , history_(history)
{
    for (int i = 0; i < LineCount; ++i)
        names_[i] = i < 5 ? QStringLiteral("Canal %1").arg(i + 1) : QStringLiteral("Canal 1 (v)");

    AutoReading = new QCheckBox(QStringLiteral("Leitura automática"), this);
    AutoReading->setGeometry(8, 310, 120, 21);
    IntervalSeconds = new QSpinBox(this);
    IntervalSeconds->setRange(1, 3600);
    IntervalSeconds->setValue(5);
    IntervalSeconds->setSuffix(QStringLiteral(" s"));
    IntervalSeconds->setGeometry(128, 310, 72, 21);
    IntervalSeconds->setAccessibleName(QStringLiteral("Intervalo da leitura automática"));
    CountLabel = new QLabel(QStringLiteral("0 leituras"), this);
    CountLabel->setGeometry(208, 310, 130, 21);
    ExportButton = new QPushButton(QStringLiteral("Exportar CSV"), this);
    ExportButton->setGeometry(368, 308, 85, 25);
    ClearButton = new QPushButton(QStringLiteral("Limpar"), this);
    ClearButton->setGeometry(458, 308, 70, 25);

    refresh_.setSingleShot(true);
    refresh_.setInterval(RefreshMs);
    connect(&refresh_, &QTimer::timeout, this, &TChartPage::Refresh);
}

void TChartPage::EnsureChart()
{
    if (Chart != nullptr)
        return;
    Chart = new QChart;
    Chart->setMargins(QMargins(4, 4, 4, 4));
    Chart->setLocalizeNumbers(true);
    Chart->setLocale(QLocale::system());
    QFont small = font();
    small.setPixelSize(11);
    Chart->legend()->setFont(small);
    Chart->legend()->setAlignment(Qt::AlignBottom);
    Chart->setTitleFont(small);
    Chart->setTitle(title_);
    TimeAxis = new QDateTimeAxis;
    TimeAxis->setFormat(QStringLiteral("HH:mm:ss"));
    TimeAxis->setTickCount(5);
    ValueAxis = new QValueAxis;
    Chart->addAxis(TimeAxis, Qt::AlignBottom);
    Chart->addAxis(ValueAxis, Qt::AlignLeft);
    for (int i = 0; i < LineCount; ++i) {
        Lines[i] = new QLineSeries;
        Lines[i]->setName(names_[i]);
        Chart->addSeries(Lines[i]);
        Lines[i]->attachAxis(TimeAxis);
        Lines[i]->attachAxis(ValueAxis);
    }
    ChartView = new QChartView(Chart, this);
    ChartView->setGeometry(0, 0, 535, 300);
    ChartView->setAccessibleName(QStringLiteral("Gráfico"));
    ChartView->show();
    Refresh();
}

void TChartPage::SetTitle(const QString &title)
{
    title_ = title;
    if (Chart != nullptr)
        Chart->setTitle(title);
}

void TChartPage::SetLegend(const QStringList &titles, const QStringList &units)
{
    for (int i = 0; i < 5 && i < titles.size() && i < units.size(); ++i)
        names_[i] = units[i].isEmpty() ? titles[i] : titles[i] + QStringLiteral(" (") + units[i] + QLatin1Char(')');
    if (!titles.isEmpty())
        names_[5] = titles[0] + QStringLiteral(" (v)");
    for (int i = 0; i < LineCount && Chart != nullptr; ++i)
        Lines[i]->setName(names_[i]);
}

void TChartPage::Draw(const varnix::RecordedReading &r)
{
    const int line = varnix::ReadingHistory::IsRawVolts(r) ? 5 : r.channelCode;
    buckets_[line].Add(r.timeMs, static_cast<double>(history_.Value(r)));
}

void TChartPage::ReadingRecorded()
{
    if (history_.Dropped() - droppedAtRebuild_ >= RebuildAfterDropped) {
        Rebuild();
        return;
    }
    if (history_.Size() > 0)
        Draw(history_.At(history_.Size() - 1));
    if (!refresh_.isActive())
        refresh_.start();
}

void TChartPage::Rebuild()
{
    for (auto &b : buckets_)
        b.Clear();
    for (std::size_t i = 0; i < history_.Size(); ++i)
        Draw(history_.At(i));
    droppedAtRebuild_ = history_.Dropped();
    Refresh();
}

void TChartPage::Refresh()
{
    refresh_.stop();
    CountLabel->setText(QStringLiteral("%1 leituras").arg(history_.Size()));
    if (Chart == nullptr)
        return;
    std::int64_t first = std::numeric_limits<std::int64_t>::max(), last = std::numeric_limits<std::int64_t>::min();
    double low = std::numeric_limits<double>::infinity(), high = -low;
    for (int i = 0; i < LineCount; ++i) {
        QList<QPointF> points;
        for (const auto &p : buckets_[i].Points()) {
            points.append(QPointF(static_cast<double>(p.timeMs), p.value));
            first = std::min(first, p.timeMs);
            last = std::max(last, p.timeMs);
            if (std::isfinite(p.value)) {
                low = std::min(low, p.value);
                high = std::max(high, p.value);
            }
        }
        Lines[i]->replace(points);
        // A line with nothing recorded, such as raw volts, takes no room in the legend.
        for (QLegendMarker *marker : Chart->legend()->markers(Lines[i]))
            marker->setVisible(!points.isEmpty());
    }
    if (first > last) {
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        TimeAxis->setRange(QDateTime::fromMSecsSinceEpoch(now - 60000), QDateTime::fromMSecsSinceEpoch(now));
        ValueAxis->setRange(0, 5);
        return;
    }
    if (last - first < 1000)
        last = first + 1000;
    TimeAxis->setFormat(last - first > 24 * 3600 * 1000 ? QStringLiteral("dd/MM HH:mm") : QStringLiteral("HH:mm:ss"));
    TimeAxis->setRange(QDateTime::fromMSecsSinceEpoch(first), QDateTime::fromMSecsSinceEpoch(last));
    const double margin = high > low ? (high - low) * 0.05 : std::max(std::abs(high) * 0.05, 0.5);
    ValueAxis->setRange(low - margin, high + margin);
}
