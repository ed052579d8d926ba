#include "desktop.h"

#include "ptyboard.h"

#include <QDir>
#include <QFile>
#include <QtEndian>

namespace {

constexpr auto StartTimeout = std::chrono::seconds(10);
constexpr int ToolTimeoutMs = 20000;

// jwm with nothing but the key that closes the active window.
const char WindowManagerConfiguration[] = R"(<?xml version="1.0"?>
<JWM>
  <Key mask="A" key="F4">close</Key>
</JWM>
)";

std::optional<QString> RunTool(const QString &program, const QStringList &arguments,
                               const QProcessEnvironment &environment)
{
    QProcess tool;
    tool.setProcessEnvironment(environment);
    tool.start(program, arguments);
    if (!tool.waitForFinished(ToolTimeoutMs) || tool.exitStatus() != QProcess::NormalExit || tool.exitCode() != 0)
        return std::nullopt;
    return QString::fromUtf8(tool.readAllStandardOutput());
}

// Dark text on white, three times the size: what tesseract reads best.
QImage ForRecognition(const QImage &part, Desktop::Kind kind)
{
    QImage gray(part.size(), QImage::Format_Grayscale8);
    for (int y = 0; y < part.height(); ++y) {
        for (int x = 0; x < part.width(); ++x) {
            const QRgb pixel = part.pixel(x, y);
            const int value = kind == Desktop::Kind::DisplayLine
                                  ? 255 - std::max({qRed(pixel), qGreen(pixel), qBlue(pixel)})
                                  : qGray(pixel);
            gray.scanLine(y)[x] = static_cast<uchar>(value);
        }
    }
    return gray.scaled(gray.size() * 3, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

} // namespace

Desktop::Desktop()
{
    if (!dir_.isValid()) {
        error_ = "no temporary folder";
        return;
    }
    QDir(dir_.path()).mkpath("home");
    QDir(dir_.path()).mkpath("run");
    QFile::setPermissions(dir_.filePath("run"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    // -displayfd picks a free display and prints its number; -fbdir keeps the
    // screen in a file in the XWD format; -noreset keeps the server as it is
    // when a short-lived client such as xdotool is the last to leave.
    server_.start("Xvfb", {"-displayfd", "1", "-screen", "0", "1024x768x24", "-fbdir", dir_.path(), "-noreset",
                           "-nolisten", "tcp"});
    if (!WaitFor([this] { return server_.canReadLine() || server_.state() == QProcess::NotRunning; },
                 StartTimeout)
        || !server_.canReadLine()) {
        error_ = "Xvfb did not start (is the package xvfb installed?): " + server_.errorString()
                 + QString::fromLocal8Bit(server_.readAllStandardError());
        return;
    }
    display_ = ":" + QString::fromLatin1(server_.readLine()).trimmed();

    QFile configuration(dir_.filePath("jwmrc"));
    configuration.open(QIODevice::WriteOnly);
    configuration.write(WindowManagerConfiguration);
    configuration.close();
    windowManager_.setProcessEnvironment(Environment());
    windowManager_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    windowManager_.start("jwm", {"-display", display_, "-f", configuration.fileName()});
    // The window manager announces itself on the root window when it is ready.
    if (!WaitFor([this] { return Xdotool({"get_num_desktops"}).has_value(); }, StartTimeout))
        error_ = QStringLiteral("the window manager jwm did not start on %1 (is the package jwm installed?): %2, exit code %3")
                     .arg(display_, windowManager_.errorString())
                     .arg(windowManager_.state() == QProcess::NotRunning ? windowManager_.exitCode() : -1);
}

Desktop::~Desktop()
{
    for (QProcess *process : {&windowManager_, &server_}) {
        if (process->state() == QProcess::NotRunning)
            continue;
        process->terminate();
        if (!process->waitForFinished(5000)) {
            process->kill();
            process->waitForFinished(5000);
        }
    }
}

QProcessEnvironment Desktop::Environment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("DISPLAY", display_);
    environment.insert("QT_QPA_PLATFORM", "xcb");
    environment.insert("LC_ALL", "pt_BR.UTF-8");
    environment.insert("HOME", dir_.filePath("home"));
    environment.insert("XDG_RUNTIME_DIR", dir_.filePath("run"));
    return environment;
}

std::optional<QString> Desktop::Xdotool(const QStringList &arguments) const
{
    return RunTool("xdotool", arguments, Environment());
}

QStringList Desktop::VisibleWindows(const QString &titlePattern) const
{
    const auto found = Xdotool({"search", "--onlyvisible", "--name", titlePattern});
    return found ? found->split('\n', Qt::SkipEmptyParts) : QStringList();
}

void Desktop::Key(const QString &window, const QString &keys) const
{
    Xdotool({"windowactivate", "--sync", window});
    Xdotool({"key", "--clearmodifiers", keys});
}

void Desktop::Click(QPoint at) const
{
    Xdotool({"mousemove", "--sync", QString::number(at.x()), QString::number(at.y()), "click", "1"});
}

QImage Desktop::Screen() const
{
    QFile file(dir_.filePath("Xvfb_screen0"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    // The XWD header: big-endian 32-bit fields, then the colour map, then
    // the pixels in the server's byte order.
    const auto field = [&](int index) {
        return qFromBigEndian<quint32>(reinterpret_cast<const uchar *>(bytes.constData()) + 4 * index);
    };
    if (bytes.size() < 100)
        return {};
    const quint32 headerSize = field(0), width = field(4), height = field(5), byteOrder = field(7),
                  bitsPerPixel = field(11), bytesPerLine = field(12), colours = field(19);
    const qsizetype pixelsAt = headerSize + colours * 12;
    if (bitsPerPixel != 32 || byteOrder != 0 || bytes.size() < pixelsAt + qsizetype(bytesPerLine) * height)
        return {};
    QImage image(reinterpret_cast<const uchar *>(bytes.constData()) + pixelsAt, int(width), int(height),
                 int(bytesPerLine), QImage::Format_RGB32);
    return image.copy();
}

QString Desktop::Read(const QImage &part, Kind kind) const
{
    const QString picture = dir_.filePath("read.png");
    if (!ForRecognition(part, kind).save(picture))
        return {};
    QStringList arguments{picture, "stdout", "-l", "eng"};
    if (kind == Kind::DisplayLine)
        arguments << "--psm" << "7";
    else
        arguments << "--psm" << "6";
    return RunTool("tesseract", arguments, Environment()).value_or(QString()).simplified();
}

QString Plain(const QString &text)
{
    QString plain;
    for (const QChar c : text.normalized(QString::NormalizationForm_D).toLower()) {
        if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == ',' || c == '.' || c == '/')
            plain += c;
    }
    // Recognition often reads "rn" as "m"; both sides of a comparison fold alike.
    return plain.replace(QStringLiteral("rn"), QStringLiteral("m"));
}
