#include "windowfixture.h"

#include "configuration.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QTest>

QString WindowTest::Path() const
{
    return varnix::ConfigurationPath(dir.path());
}

void WindowTest::WriteSettings(const QString &port, const QByteArray &more)
{
    QFile file(Path());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[HARDWARE]\r\nPorta=" + port.toLatin1() + "\r\n[PORTAS]\r\n" + port.toLatin1() + "="
               + board.DevicePath().toLocal8Bit() + "\r\n" + more);
}

TFormPrincipal &WindowTest::Start()
{
    form = std::make_unique<TFormPrincipal>(Path());
    form->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    return *form;
}

void WindowTest::Stop()
{
    form->close();
    form.reset();
}

QString WindowTest::DisplayText(int channel) const
{
    return form->Displays.at(channel - 1)->text();
}

void WindowTest::Click(QWidget *widget)
{
    QTest::mouseClick(widget, Qt::LeftButton);
}

QList<QWidget *> WindowTest::TabWalk(QWidget *first, int count)
{
    form->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
    first->setFocus(Qt::OtherFocusReason);
    QList<QWidget *> walked;
    for (int i = 0; i < count; ++i) {
        walked << QApplication::focusWidget();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    return walked;
}
