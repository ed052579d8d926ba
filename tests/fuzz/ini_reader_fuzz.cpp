// Feeds arbitrary bytes to the INI reader as a settings file, then checks
// that a write lands where it reads back and leaves every other value alone.

#include "cp1252.h"
#include "inifile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <utility>
#include <vector>

namespace {

void Check(bool condition, const char *what)
{
    if (!condition) {
        std::fprintf(stderr, "ini_reader_fuzz: %s\n", what);
        std::abort();
    }
}

struct Probe {
    QString section;
    QString key;
};

std::vector<Probe> MakeProbes()
{
    std::vector<Probe> probes{
        {QStringLiteral("SOFTWARE"), QString::fromUtf16(u"Título")},
        {QStringLiteral("HARDWARE"), QStringLiteral("Porta")},
    };
    const char16_t *channelKeys[] = {u"Precisão", u"Relação", u"Unidade", u"Registrar"};
    for (int channel = 1; channel <= 5; ++channel) {
        for (const char16_t *key : channelKeys)
            probes.push_back({QStringLiteral("CANAL %1").arg(channel), QString::fromUtf16(key)});
    }
    return probes;
}

// No byte of the file can decode to this, so it tells a default from a value.
const QString kAbsent = QString::fromUtf16(u"\u4E2D");
constexpr std::int32_t kIntegerDefault = 0x5A5A5A5A;

// The value to write, taken from the input so it varies: at most a short
// prefix, without the characters a single line cannot carry and without the
// blanks a read trims, so it must read back exactly.
QString ValueFromInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray prefix(reinterpret_cast<const char *>(data), static_cast<qsizetype>(std::min<std::size_t>(size, 40)));
    QString value = FromCp1252(prefix);
    value.remove(QChar('\r')).remove(QChar('\n')).remove(QChar('\0'));
    while (!value.isEmpty() && (value.front() == ' ' || value.front() == '\t'))
        value.remove(0, 1);
    while (!value.isEmpty() && (value.back() == ' ' || value.back() == '\t'))
        value.chop(1);
    return value;
}

QString ReadAndCheck(TIniFile &ini, const Probe &probe)
{
    const QString text = ini.ReadString(probe.section, probe.key, kAbsent);
    const std::int32_t integer = ini.ReadInteger(probe.section, probe.key, kIntegerDefault);
    const bool falseDefault = ini.ReadBool(probe.section, probe.key, false);
    const bool trueDefault = ini.ReadBool(probe.section, probe.key, true);

    Check(text.size() <= TIniFile::MaxValueLength, "value longer than MaxValueLength");
    if (text == kAbsent) {
        Check(integer == kIntegerDefault && !falseDefault && trueDefault, "absent key did not give the defaults");
        return text;
    }
    const QByteArray bytes = ToCp1252(text);
    Check(FromCp1252(bytes) == text, "value does not survive the code page");
    const std::optional<std::int32_t> parsed = ParseIniInteger(std::string_view(bytes.constData(), bytes.size()));
    Check(integer == parsed.value_or(kIntegerDefault), "ReadInteger disagrees with ReadString");
    Check(falseDefault == (parsed ? *parsed != 0 : false), "ReadBool(false) disagrees with ReadString");
    Check(trueDefault == (parsed ? *parsed != 0 : true), "ReadBool(true) disagrees with ReadString");
    return text;
}

QTemporaryDir &WorkDir()
{
    // Shared memory, where present, spares each run the fsync of a real disk.
    static const std::unique_ptr<QTemporaryDir> dir = [] {
        const QString base = QFileInfo(QStringLiteral("/dev/shm")).isDir() ? QStringLiteral("/dev/shm") : QDir::tempPath();
        auto made = std::make_unique<QTemporaryDir>(base + QStringLiteral("/ini-fuzz-XXXXXX"));
        Check(made->isValid(), "cannot create the work folder");
        return made;
    }();
    return *dir;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const std::vector<Probe> probes = MakeProbes();
    QTemporaryDir &dir = WorkDir();
    const QString path = dir.filePath(QStringLiteral("Varnix.ini"));

    {
        QFile file(path);
        Check(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "cannot write the input file");
        Check(file.write(reinterpret_cast<const char *>(data), static_cast<qint64>(size)) == static_cast<qint64>(size),
              "cannot write the input file");
    }

    std::vector<QString> before;
    {
        TIniFile ini(path);
        for (const Probe &probe : probes)
            before.push_back(ReadAndCheck(ini, probe));
    }

    const std::size_t target = size == 0 ? 0 : data[size - 1] % probes.size();
    const QString value = ValueFromInput(data, size);
    {
        TIniFile ini(path);
        ini.WriteString(probes[target].section, probes[target].key, value);
        Check(ini.ReadString(probes[target].section, probes[target].key, kAbsent) == value,
              "unsaved write does not read back");
        try {
            ini.UpdateFile();
        } catch (const EIniFileException &) {
            Check(false, "UpdateFile failed");
        }
    }

    TIniFile reread(path);
    for (std::size_t i = 0; i < probes.size(); ++i) {
        const QString now = ReadAndCheck(reread, probes[i]);
        if (i == target)
            Check(now == value, "written value does not read back from disk");
        else
            Check(now == before[i], "a write changed another value");
    }
    Check(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot) ==
              QStringList{QStringLiteral("Varnix.ini")},
          "UpdateFile left another file behind");
    return 0;
}
