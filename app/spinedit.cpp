#include "spinedit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>

#include <algorithm>

TSpinEdit::TSpinEdit(QWidget *parent)
    : QAbstractSpinBox(parent)
{
    // Selecting and copying stay possible; typing, cutting and pasting do not.
    lineEdit()->setReadOnly(true);
    setAccelerated(false);
    SetText(QStringLiteral("3"));
}

void TSpinEdit::SetText(const QString &text)
{
    lineEdit()->setText(text);
}

int TSpinEdit::Value() const
{
    bool ok = false;
    const int value = text().toInt(&ok);
    return ok ? value : MinValue;
}

void TSpinEdit::stepBy(int steps)
{
    SetText(QString::number(std::clamp(Value() + steps, MinValue, MaxValue)));
}

QValidator::State TSpinEdit::validate(QString &, int &) const
{
    return QValidator::Acceptable;
}

QAbstractSpinBox::StepEnabled TSpinEdit::stepEnabled() const
{
    return StepUpEnabled | StepDownEnabled;
}

void TSpinEdit::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Up:
        stepBy(1);
        event->accept();
        return;
    case Qt::Key_Down:
        stepBy(-1);
        event->accept();
        return;
    default:
        break;
    }
    const bool editing = event->matches(QKeySequence::Cut) || event->matches(QKeySequence::Paste)
        || event->matches(QKeySequence::Delete) || event->key() == Qt::Key_Backspace
        || (!event->text().isEmpty() && event->text().at(0).isPrint());
    if (editing) {
        QApplication::beep();
        event->accept();
        return;
    }
    QAbstractSpinBox::keyPressEvent(event);
}

void TSpinEdit::focusOutEvent(QFocusEvent *event)
{
    stepBy(0);
    QAbstractSpinBox::focusOutEvent(event);
}
