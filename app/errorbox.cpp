#include "errorbox.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>

QString ProgramTitle(const QString &executablePath)
{
    QString name = QFileInfo(executablePath).fileName();
    name.truncate(name.indexOf(QLatin1Char('.')) < 0 ? name.size() : name.indexOf(QLatin1Char('.')));
    if (name.isEmpty())
        return name;
    return name.left(1) + name.mid(1).toLower();
}

QString ErrorBoxText(const QString &message)
{
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        return message + QLatin1Char('.');
    return message;
}

namespace {

void ShowBox(QWidget *parent, QMessageBox::Icon icon, const QString &text)
{
    QMessageBox box(icon, ProgramTitle(QCoreApplication::applicationFilePath()), text, QMessageBox::Ok, parent);
    box.exec();
}

} // namespace

void ShowErrorBox(QWidget *parent, const QString &message)
{
    ShowBox(parent, QMessageBox::Critical, ErrorBoxText(message));
}

void ShowMessage(QWidget *parent, const QString &message)
{
    ShowBox(parent, QMessageBox::NoIcon, message);
}
