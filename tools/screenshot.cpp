// Renders the monitor's three pages to PNG files, headless, after a short
// simulated run: a pseudo-terminal plays the board and sends frames of every
// channel, so the displays and the chart show live readings.
//
//   varnix-screenshot OUTPUT_DIR [SECONDS]

#include "configuration.h"
#include "formprincipal.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <cmath>
#include <cstdio>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Shown as a user in Brazil sees it, unless a locale is asked for.
    if (qEnvironmentVariableIsEmpty("LC_ALL"))
        qputenv("LC_ALL", "pt_BR.UTF-8");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: varnix-screenshot OUTPUT_DIR [SECONDS]\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(out.path());
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 12;

    int master = -1, slave = -1;
    char name[256] = {};
    termios raw{};
    cfmakeraw(&raw);
    if (openpty(&master, &slave, name, &raw, nullptr) != 0)
        return 1;

    QTemporaryDir dir;
    const QString path = varnix::ConfigurationPath(dir.path());
    QFile::copy(QStringLiteral(VARNIX_SOURCE_DIR "/tests/config/data/first-start.ini"), path);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    QFile ini(path);
    ini.open(QIODevice::Append);
    ini.write("[PORTAS]\r\nCOM1=" + QByteArray(name) + "\r\n");
    ini.close();

    TFormPrincipal form(path);
    form.show();

    // One frame every 400 ms, channels in turn, each a slow wave of its own.
    QElapsedTimer clock;
    clock.start();
    int channel = 0;
    QTimer board;
    QObject::connect(&board, &QTimer::timeout, [&] {
        const double t = clock.elapsed() / 1000.0;
        const unsigned count = unsigned(511.5 + 400 * std::sin(t / (3.0 + channel) + channel));
        const unsigned char frame[2] = {static_cast<unsigned char>(count & 0xFF),
                                        static_cast<unsigned char>((channel << 4) | (count >> 8))};
        [[maybe_unused]] auto n = write(master, frame, 2);
        channel = (channel + 1) % 5;
    });
    board.start(400);

    QTimer::singleShot(seconds * 1000, [&] {
        board.stop();
        const char *names[] = {"leitores.png", "configuracoes.png", "grafico.png"};
        for (int page = 0; page < 3; ++page) {
            form.PageControl1->setCurrentIndex(page);
            QApplication::processEvents();
            const QString file = out.filePath(QString::fromLatin1(names[page]));
            form.grab().save(file);
            std::printf("%s\n", qPrintable(file));
        }
        form.close();
    });
    const int result = app.exec();
    close(slave);
    close(master);
    return result;
}
