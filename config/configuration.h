#pragma once

// Moving the settings between "Varnix.ini" and the configuration page's
// fields. Each operation opens the file, works and releases it; nothing of
// the file is cached between operations.

#include "configurationfields.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace varnix {

inline const QStringList PortNames = {"COM1", "COM2", "COM3", "COM4", "COM5"};

// The executable's directory, which ends in a separator, then a further
// separator and the name, as the Windows program formed it; file functions
// take the pair as one, and the write-error message shows it so.
QString ConfigurationPath(const QString &executableDir);

bool ConfigurationFilePresent(const QString &path);

// File to fields; writes the first-start values when the file is absent
// (the fields then keep the values they start with).
void LoadConfiguration(const QString &path, ConfigurationFields &fields);

enum class SaveResult { Saved, FileMissing };
// Fields to file, only when the file exists. Throws EIniFileException when it
// cannot be written; the file is then left as it was.
SaveResult SaveConfiguration(const QString &path, const ConfigurationFields &fields);

// File to fields again, all but the board title; nothing when the file is absent.
void ReloadConfiguration(const QString &path, ConfigurationFields &fields);

// The five saved channel titles, for the readings page's labels; nothing when
// the file is absent, and the labels then stay as they are.
std::optional<QStringList> ReadChannelTitles(const QString &path);

// The five saved channel units, for the chart's legend; nothing when the file is absent.
std::optional<QStringList> ReadChannelUnits(const QString &path);

} // namespace varnix
