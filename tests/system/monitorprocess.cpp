#include "monitorprocess.h"

#include "ptyboard.h"

#include <QFile>
#include <unistd.h>

namespace {

// The readings page's panel: its place on the page and its background.
constexpr QPoint PanelAt(22, 16);
constexpr QRgb PanelColour = 0xFFC0DCC0;
// The panel's background around the displays and labels covers more than this.
constexpr int PanelPixels = 20000;
constexpr QPoint DisplayAt[5] = {{16, 8}, {256, 8}, {16, 80}, {256, 80}, {16, 152}};

// Where the panel's background starts on the screen, if it is there.
std::optional<QPoint> FindPanel(const QImage &screen)
{
    int left = screen.width(), top = screen.height(), count = 0;
    for (int y = 0; y < screen.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(screen.constScanLine(y));
        for (int x = 0; x < screen.width(); ++x) {
            if ((line[x] | 0xFF000000) != PanelColour)
                continue;
            left = std::min(left, x);
            top = std::min(top, y);
            ++count;
        }
    }
    if (count < PanelPixels)
        return std::nullopt;
    return QPoint(left, top);
}

} // namespace

QByteArray SettingsFile(const QString &device, const std::array<ChannelSettings, 5> &channels)
{
    QByteArray file = "[HARDWARE]\r\nPorta=COM1\r\nVelocidade=19200\r\n[SOFTWARE]\r\nT\xEDtulo=Placa de aquisi\xE7\xE3o Varnix-S\r\n";
    for (int i = 0; i < 5; ++i) {
        const QByteArray n = QByteArray::number(i + 1);
        file += "[CANAL " + n + "]\r\nT\xEDtulo=Canal " + n + "\r\nPrecis\xE3o=" + QByteArray::number(channels[i].precision)
                + "\r\nRela\xE7\xE3o=" + channels[i].ratio + "\r\nUnidade=" + channels[i].unit + "\r\nRegistrar=1\r\n";
    }
    file += "[PORTAS]\r\n";
    for (int i = 1; i <= 5; ++i)
        file += "COM" + QByteArray::number(i) + "=" + device.toLocal8Bit() + "\r\n";
    return file;
}

MonitorProcess::MonitorProcess(Desktop &desktop, const QString &folder)
    : desktop_(desktop)
    , folder_(folder.isEmpty() ? ownFolder_.path() : folder)
{
    // QFile::copy keeps the executable's permissions.
    copied_ = QFile::copy(VARNIX_EXE, folder_ + "/Varnix");
    process_.setProcessEnvironment(desktop.Environment());
    process_.setProcessChannelMode(QProcess::MergedChannels);
}

MonitorProcess::~MonitorProcess()
{
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.kill();
    process_.waitForFinished(5000);
}

void MonitorProcess::WriteSettings(const QByteArray &contents) const
{
    QFile file(SettingsPath());
    if (file.open(QIODevice::WriteOnly))
        file.write(contents);
}

void MonitorProcess::Start()
{
    process_.setWorkingDirectory(folder_);
    process_.start(folder_ + "/Varnix", {});
    process_.waitForStarted(10000);
}

bool MonitorProcess::WaitForWindow(std::chrono::milliseconds deadline)
{
    std::optional<QPoint> panel;
    const bool shown = WaitFor(
        [&] {
            if (window_.isEmpty()) {
                const auto found = desktop_.Xdotool({"search", "--onlyvisible", "--pid",
                                                     QString::number(process_.processId()), "--name",
                                                     "^Monitor Varnix-S$"});
                if (found && !found->trimmed().isEmpty())
                    window_ = found->split('\n', Qt::SkipEmptyParts).first();
            }
            panel = FindPanel(desktop_.Screen());
            return !window_.isEmpty() && panel.has_value();
        },
        deadline);
    if (shown)
        pageOrigin_ = *panel - PanelAt - QPoint(1, 1);
    return shown;
}

void MonitorProcess::ClickRead(int channel)
{
    desktop_.Click(PagePoint(88 * (channel - 1) + 40, 272 + 12));
}

void MonitorProcess::ClickSave()
{
    desktop_.Click(PagePoint(368 + 37, 312 + 12));
}

void MonitorProcess::NextPage()
{
    desktop_.Key(window_, "ctrl+Tab");
}

bool MonitorProcess::ReadingsPageShown() const
{
    return FindPanel(desktop_.Screen()).has_value();
}

QRect MonitorProcess::DisplayRect(int channel) const
{
    const QPoint at = PagePoint(PanelAt.x(), PanelAt.y()) + DisplayAt[channel - 1];
    const QSize size(DisplayAt[channel - 1].x() == 16 ? 233 : 225, 51);
    // Inside the display's border.
    return QRect(at, size).adjusted(3, 3, -3, -3);
}

QString MonitorProcess::DisplayText(int channel) const
{
    return desktop_.Read(desktop_.Screen().copy(DisplayRect(channel)), Desktop::Kind::DisplayLine);
}

bool MonitorProcess::WaitForDisplay(int channel, const QString &text, std::chrono::milliseconds deadline) const
{
    return WaitFor([&] { return DisplayText(channel) == text; }, deadline);
}

std::optional<std::chrono::milliseconds> MonitorProcess::CloseWithAltF4(std::chrono::milliseconds deadline)
{
    desktop_.Xdotool({"windowactivate", "--sync", window_});
    QElapsedTimer clock;
    clock.start();
    desktop_.Xdotool({"key", "--clearmodifiers", "alt+F4"});
    const bool exited = process_.waitForFinished(static_cast<int>(deadline.count()));
    const auto took = std::chrono::milliseconds(clock.elapsed());
    if (!exited)
        return std::nullopt;
    return took;
}

QString MonitorProcess::Output()
{
    output_ += QString::fromLocal8Bit(process_.readAll());
    return output_;
}

double MonitorProcess::CpuSeconds() const
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(process_.processId()));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    // The fields after the command name, which is in parentheses and may hold blanks.
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    // utime and stime are the stat file's fields 14 and 15.
    const double ticks = fields.value(11).toDouble() + fields.value(12).toDouble();
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

long MonitorProcess::ResidentKb() const
{
    QFile status(QStringLiteral("/proc/%1/status").arg(process_.processId()));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return -1;
}

QStringList MessageBoxes(const Desktop &desktop)
{
    return desktop.VisibleWindows("^Varnix$");
}
