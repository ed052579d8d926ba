#pragma once

// Answers every message box that opens while it lives, as a user pressing
// OK would, and keeps what each one showed.

#include <QMessageBox>
#include <QObject>
#include <QTimer>

#include <vector>

class MessageBoxCatcher : public QObject {
public:
    struct Box {
        QString title;
        QString text;
        QMessageBox::Icon icon;
    };

    MessageBoxCatcher();

    std::vector<Box> boxes;

private:
    QTimer timer_;
};
