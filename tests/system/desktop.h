#pragma once

// An X server of the test's own: Xvfb on a free display, with a window
// manager that closes the active window on Alt+F4 as a desktop does. The
// screen is read straight from the server's frame buffer, and text on it is
// read back by optical character recognition (tesseract).

#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QStringList>
#include <QTemporaryDir>

#include <chrono>
#include <optional>

class Desktop {
public:
    // Starts the server and the window manager; Error() says what failed.
    Desktop();
    ~Desktop();
    Desktop(const Desktop &) = delete;
    Desktop &operator=(const Desktop &) = delete;

    const QString &Error() const { return error_; }
    // The environment a program on this display runs with.
    QProcessEnvironment Environment() const;

    // Runs xdotool on this display; its standard output, or nothing when it
    // failed.
    std::optional<QString> Xdotool(const QStringList &arguments) const;
    // The visible windows whose title matches the pattern, as xdotool finds them.
    QStringList VisibleWindows(const QString &titlePattern) const;
    void Key(const QString &window, const QString &keys) const;
    // A left click at a point of the screen.
    void Click(QPoint at) const;

    QImage Screen() const;
    // The text in that part of the screen, one line of large text on a dark
    // background (a display) or a block of text in the standard colours.
    enum class Kind { DisplayLine, Block };
    QString Read(const QImage &part, Kind kind) const;

private:
    QTemporaryDir dir_;
    QProcess server_;
    QProcess windowManager_;
    QString display_;
    QString error_;
};

// The letters and digits of a text, lower-cased, without blanks, accents or
// punctuation but "," and "." and "/", and "rn" as "m": what recognition
// reads reliably. Compare Plain() of both sides.
QString Plain(const QString &text);
