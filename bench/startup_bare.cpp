// The yardstick for startup_bench: a bare Qt window of the main window's size
// holding a QTabWidget with two empty tabs, linked against Qt Widgets alone.

#include "startupprobe.h"

#include <QTabWidget>

int main(int argc, char *argv[])
{
    const std::int64_t mainNs = MonotonicNs();
    return RunProbe(argc, argv, mainNs, [](const QString &) {
        auto window = std::make_unique<QWidget>();
        window->setWindowTitle(QStringLiteral("Bare"));
        window->setFixedSize(543, 368);
        auto *tabs = new QTabWidget(window.get());
        tabs->setGeometry(0, 0, 543, 368);
        tabs->addTab(new QWidget, QStringLiteral("Leitores"));
        tabs->addTab(new QWidget, QStringLiteral("Configurações"));
        return window;
    });
}
