#pragma once

// A main window on a settings file of its own, wired through "PORTAS" to a
// pseudo-terminal that the test plays as the board.

#include "formprincipal.h"
#include "ptyboard.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <memory>

class WindowTest : public testing::Test {
protected:
    QString Path() const;
    // Writes the settings file: the port, its mapping to the board, and more.
    void WriteSettings(const QString &port = "COM1", const QByteArray &more = {});
    TFormPrincipal &Start();
    // Closes and destroys the window; a new one may then start on the same file.
    void Stop();
    QString DisplayText(int channel) const;
    void Click(QWidget *widget);
    // The widgets that hold the keyboard focus from `first` on, pressing Tab
    // after each, `count` in all.
    QList<QWidget *> TabWalk(QWidget *first, int count);

    QTemporaryDir dir;
    PtyBoard board;
    std::unique_ptr<TFormPrincipal> form;
};
