#pragma once

// Windows-1252, the single-byte code page the settings file is kept in.
// Unlike Latin-1 it puts typographic characters (€, ‘, ’, “, ”, Š, …) at
// 0x80..0x9F. The five bytes it leaves undefined map to the code point of the
// same number, so any byte sequence survives FromCp1252 followed by ToCp1252.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

QString FromCp1252(QByteArrayView bytes);

// A character Windows-1252 cannot hold becomes "?".
QByteArray ToCp1252(QStringView text);
