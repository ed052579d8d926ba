#include "messageboxcatcher.h"

#include <QAbstractButton>
#include <QApplication>

MessageBoxCatcher::MessageBoxCatcher()
{
    connect(&timer_, &QTimer::timeout, this, [this] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible())
            return;
        boxes.push_back({box->windowTitle(), box->text(), box->icon()});
        box->button(QMessageBox::Ok)->click();
    });
    timer_.start(10);
}
