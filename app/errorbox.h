#pragma once

#include <QString>

class QWidget;

// The program's title: the executable's file name without its folder and
// without everything from its first full stop on, every letter after the
// first in lower case ("VARNIX.EXE" and "Varnix" both give "Varnix").
QString ProgramTitle(const QString &executablePath);

// An error's text as the error box shows it: a full stop is appended unless
// the text ends in a character whose code is at most that of the full stop
// (a full stop, "!", "," or a blank).
QString ErrorBoxText(const QString &message);

void ShowErrorBox(QWidget *parent, const QString &message);
void ShowMessage(QWidget *parent, const QString &message);
