#include "configuration.h"

#include "inifile.h"

#include <QFileInfo>

#include <functional>

namespace varnix {

namespace {

const QString Software = QStringLiteral("SOFTWARE");
const QString Hardware = QStringLiteral("HARDWARE");
const QString KeyTitle = QStringLiteral("Título");
const QString KeyPort = QStringLiteral("Porta");
const QString KeySpeed = QStringLiteral("Velocidade");
const QString KeyPrecision = QStringLiteral("Precisão");
const QString KeyRatio = QStringLiteral("Relação");
const QString KeyUnit = QStringLiteral("Unidade");
const QString KeyRecord = QStringLiteral("Registrar");
const QString DefaultBoardTitle = QStringLiteral("Placa de aquisição Varnix-S");
constexpr int DefaultPrecision = 3;
constexpr int Channels = 5;

QString ChannelSection(int channel)
{
    return QStringLiteral("CANAL %1").arg(channel);
}

QString DefaultTitle(int channel)
{
    return QStringLiteral("Canal %1").arg(channel);
}

// Letter case counts: "com2" selects nothing, and the selection stays.
void SelectPortByName(ConfigurationFields &fields, const QString &name)
{
    const int index = PortNames.indexOf(name);
    if (index >= 0)
        fields.SelectPort(index);
}

// The channel values in the order both loading and reloading read them.
void ReadChannels(TIniFile &ini, ConfigurationFields &fields)
{
    for (int ch = 1; ch <= Channels; ++ch)
        fields.SetRecordFlag(ch, ini.ReadBool(ChannelSection(ch), KeyRecord, true));
    for (int ch = 1; ch <= Channels; ++ch)
        fields.SetTitle(ch, ini.ReadString(ChannelSection(ch), KeyTitle, DefaultTitle(ch)));
    for (int ch = 1; ch <= Channels; ++ch)
        fields.SetPrecisionText(ch, QString::number(ini.ReadInteger(ChannelSection(ch), KeyPrecision, DefaultPrecision)));
    for (int ch = 1; ch <= Channels; ++ch)
        fields.SetRatio(ch, ini.ReadString(ChannelSection(ch), KeyRatio, QStringLiteral("1")));
    for (int ch = 1; ch <= Channels; ++ch)
        fields.SetUnit(ch, ini.ReadString(ChannelSection(ch), KeyUnit, QStringLiteral("V")));
}

// One text key of each channel section, or nothing when the file is absent.
std::optional<QStringList> ReadChannelTexts(const QString &path, const QString &key,
                                            const std::function<QString(int)> &defaultFor)
{
    if (!ConfigurationFilePresent(path))
        return std::nullopt;
    TIniFile ini(path);
    QStringList texts;
    for (int ch = 1; ch <= Channels; ++ch)
        texts << ini.ReadString(ChannelSection(ch), key, defaultFor(ch));
    return texts;
}

void WriteFirstStart(TIniFile &ini)
{
    ini.WriteString(Hardware, KeyPort, PortNames[0]);
    ini.WriteInteger(Hardware, KeySpeed, 19200);
    ini.WriteString(Software, KeyTitle, DefaultBoardTitle);
    for (int ch = 1; ch <= Channels; ++ch) {
        ini.WriteString(ChannelSection(ch), KeyTitle, DefaultTitle(ch));
        ini.WriteInteger(ChannelSection(ch), KeyPrecision, DefaultPrecision);
        ini.WriteString(ChannelSection(ch), KeyRatio, QStringLiteral("1"));
        ini.WriteString(ChannelSection(ch), KeyUnit, QStringLiteral("volts"));
        ini.WriteBool(ChannelSection(ch), KeyRecord, true);
    }
}

} // namespace

QString ConfigurationPath(const QString &executableDir)
{
    QString dir = executableDir;
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    return dir + QStringLiteral("/Varnix.ini");
}

bool ConfigurationFilePresent(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
}

void LoadConfiguration(const QString &path, ConfigurationFields &fields)
{
    TIniFile ini(path);
    if (!ConfigurationFilePresent(path)) {
        WriteFirstStart(ini);
        ini.UpdateFile();
        return;
    }
    fields.SetBoardTitle(ini.ReadString(Software, KeyTitle, DefaultBoardTitle));
    SelectPortByName(fields, ini.ReadString(Hardware, KeyPort, QStringLiteral("COM3")));
    ReadChannels(ini, fields);
}

SaveResult SaveConfiguration(const QString &path, const ConfigurationFields &fields)
{
    if (!ConfigurationFilePresent(path))
        return SaveResult::FileMissing;
    TIniFile ini(path);
    ini.WriteString(Software, KeyTitle, fields.BoardTitle());
    ini.WriteString(Hardware, KeyPort, fields.PortText());
    for (int ch = 1; ch <= Channels; ++ch) {
        ini.WriteString(ChannelSection(ch), KeyTitle, fields.Title(ch));
        ini.WriteInteger(ChannelSection(ch), KeyPrecision, fields.PrecisionText(ch).toInt());
        ini.WriteString(ChannelSection(ch), KeyRatio, fields.Ratio(ch));
        ini.WriteString(ChannelSection(ch), KeyUnit, fields.Unit(ch));
        ini.WriteBool(ChannelSection(ch), KeyRecord, fields.RecordFlag(ch));
    }
    ini.UpdateFile();
    return SaveResult::Saved;
}

void ReloadConfiguration(const QString &path, ConfigurationFields &fields)
{
    if (!ConfigurationFilePresent(path))
        return;
    TIniFile ini(path);
    SelectPortByName(fields, ini.ReadString(Hardware, KeyPort, QStringLiteral("COM1")));
    ReadChannels(ini, fields);
}

std::optional<QStringList> ReadChannelTitles(const QString &path)
{
    return ReadChannelTexts(path, KeyTitle, DefaultTitle);
}

std::optional<QStringList> ReadChannelUnits(const QString &path)
{
    return ReadChannelTexts(path, KeyUnit, [](int) { return QStringLiteral("V"); });
}

} // namespace varnix
