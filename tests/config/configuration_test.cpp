#include "configuration.h"
#include "inifile.h"

#include "qtprint.h"
#include "unwritable.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <array>

using namespace varnix;

namespace {

// The configuration page's fields as plain values, with the page's starting values.
struct Fields : ConfigurationFields {
    QString boardTitle = "Placa de aquisição Varnix-S";
    int port = 0;
    std::array<bool, 5> record{true, true, true, true, true};
    std::array<QString, 5> title{"Canal 1", "Canal 2", "Canal 3", "Canal 4", "Canal 5"};
    std::array<QString, 5> precision{"3", "3", "3", "3", "3"};
    std::array<QString, 5> ratio{"1", "1", "1", "1", "1"};
    std::array<QString, 5> unit{};

    QString BoardTitle() const override { return boardTitle; }
    void SetBoardTitle(const QString &t) override { boardTitle = t; }
    QString PortText() const override { return PortNames[port]; }
    void SelectPort(int index) override { port = index; }
    bool RecordFlag(int ch) const override { return record[ch - 1]; }
    void SetRecordFlag(int ch, bool on) override { record[ch - 1] = on; }
    QString Title(int ch) const override { return title[ch - 1]; }
    void SetTitle(int ch, const QString &t) override { title[ch - 1] = t; }
    QString PrecisionText(int ch) const override { return precision[ch - 1]; }
    void SetPrecisionText(int ch, const QString &t) override { precision[ch - 1] = t; }
    QString Ratio(int ch) const override { return ratio[ch - 1]; }
    void SetRatio(int ch, const QString &r) override { ratio[ch - 1] = r; }
    QString Unit(int ch) const override { return unit[ch - 1]; }
    void SetUnit(int ch, const QString &u) override { unit[ch - 1] = u; }
};

QByteArray ReadBytes(const QString &path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

void WriteBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray Golden()
{
    return ReadBytes(VARNIX_SOURCE_DIR "/tests/config/data/first-start.ini");
}

class ConfigurationTest : public testing::Test {
protected:
    QString path() const { return ConfigurationPath(dir.path()); }
    void withFile(const QByteArray &bytes) { WriteBytes(path(), bytes); }

    QTemporaryDir dir;
    Fields fields;
};

TEST(ConfigurationPath, DoublesTheSeparatorAfterTheExecutablesFolder)
{
    EXPECT_EQ(ConfigurationPath("/opt/varnix"), "/opt/varnix//Varnix.ini");
    EXPECT_EQ(ConfigurationPath("/"), "//Varnix.ini");
}

TEST_F(ConfigurationTest, FirstStartWritesTheFirstStartFileAndKeepsTheFields)
{
    LoadConfiguration(path(), fields);
    EXPECT_EQ(ReadBytes(path()), Golden());
    EXPECT_EQ(fields.unit[0], "");
    EXPECT_EQ(fields.PortText(), "COM1");

    Fields restarted;
    LoadConfiguration(path(), restarted);
    EXPECT_EQ(restarted.unit, (std::array<QString, 5>{"volts", "volts", "volts", "volts", "volts"}));
    EXPECT_EQ(ReadBytes(path()), Golden());
}

TEST_F(ConfigurationTest, AnEmptyFileGivesTheReadDefaults)
{
    withFile("");
    fields.unit.fill("x");
    LoadConfiguration(path(), fields);
    EXPECT_EQ(fields.boardTitle, "Placa de aquisição Varnix-S");
    EXPECT_EQ(fields.PortText(), "COM3");
    EXPECT_EQ(fields.record, (std::array<bool, 5>{true, true, true, true, true}));
    EXPECT_EQ(fields.title[4], "Canal 5");
    EXPECT_EQ(fields.precision[0], "3");
    EXPECT_EQ(fields.ratio[2], "1");
    EXPECT_EQ(fields.unit[3], "V");
    EXPECT_EQ(ReadBytes(path()), QByteArray());
}

TEST_F(ConfigurationTest, PortSelectionComparesByteForByte)
{
    const struct {
        const char *stored;
        const char *atStart;
        const char *onReload;
    } cases[] = {
        {"[HARDWARE]\r\nPorta=COM2\r\n", "COM2", "COM2"},
        {"[HARDWARE]\r\nPorta=COM5\r\n", "COM5", "COM5"},
        {"[HARDWARE]\r\nPorta=com2\r\n", "COM1", "COM4"},
        {"[HARDWARE]\r\nPorta=COM6\r\n", "COM1", "COM4"},
        {"[hardware]\r\nporta = COM2 \r\n", "COM2", "COM2"},
        {"[HARDWARE]\r\n", "COM3", "COM1"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.stored);
        withFile(c.stored);
        Fields started;
        LoadConfiguration(path(), started);
        EXPECT_EQ(started.PortText(), c.atStart);
        Fields edited;
        edited.port = 3;
        ReloadConfiguration(path(), edited);
        EXPECT_EQ(edited.PortText(), c.onReload);
    }
}

TEST_F(ConfigurationTest, ValueFormsOfPrecisionAndRecordFlag)
{
    const struct {
        const char *precision;
        const char *registrar;
        const char *shownPrecision;
        bool ticked;
    } cases[] = {
        {"2", "0", "2", false},     {"0x2", "1", "2", true},  {"$2", "2", "2", true}, {"abc", "-1", "3", true},
        {"", "no", "3", true},      {"7", "", "7", true},     {" -1", "0x0", "-1", false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.precision << " / " << c.registrar);
        withFile(QByteArray("[CANAL 2]\r\nPrecis\xe3o=") + c.precision + "\r\nRegistrar=" + c.registrar + "\r\n");
        Fields loaded;
        LoadConfiguration(path(), loaded);
        EXPECT_EQ(loaded.precision[1], c.shownPrecision);
        EXPECT_EQ(loaded.record[1], c.ticked);
    }
}

TEST_F(ConfigurationTest, SaveWritesTheFieldsAndKeepsWhatItDoesNotOwn)
{
    withFile("; bench 3\r\n[HARDWARE]\r\nPorta=COM1\r\nVelocidade=9600\r\n[PORTAS]\nCOM2=/dev/ttyUSB0\n");
    fields.boardTitle = "Bancada €";
    fields.port = 1;
    fields.title[0] = "";
    fields.precision[1] = "7";
    fields.ratio[2] = "0,5";
    fields.unit[3] = "°C";
    fields.record[4] = false;
    ASSERT_EQ(SaveConfiguration(path(), fields), SaveResult::Saved);

    const QByteArray saved = ReadBytes(path());
    EXPECT_TRUE(saved.startsWith("; bench 3\r\n[HARDWARE]\r\nPorta=COM2\r\nVelocidade=9600\r\n[PORTAS]\nCOM2=/dev/ttyUSB0\n"))
        << saved.toStdString();
    EXPECT_TRUE(saved.contains("[SOFTWARE]\r\nT\xedtulo=Bancada \x80\r\n"));
    EXPECT_TRUE(saved.contains("Unidade=\xb0" "C\r\n"));

    Fields reloaded;
    LoadConfiguration(path(), reloaded);
    EXPECT_EQ(reloaded.boardTitle, "Bancada €");
    EXPECT_EQ(reloaded.PortText(), "COM2");
    EXPECT_EQ(reloaded.title[0], "");
    EXPECT_EQ(reloaded.precision[1], "7");
    EXPECT_EQ(reloaded.ratio[2], "0,5");
    EXPECT_EQ(reloaded.unit[3], "°C");
    EXPECT_FALSE(reloaded.record[4]);
    EXPECT_EQ(ReadChannelTitles(path())->at(0), "");
}

TEST_F(ConfigurationTest, ReloadRestoresAllButTheBoardTitle)
{
    LoadConfiguration(path(), fields);
    Fields edited;
    edited.boardTitle = "editado";
    edited.port = 3;
    edited.record.fill(false);
    edited.title.fill("t");
    edited.precision.fill("1");
    edited.ratio.fill("9");
    edited.unit.fill("u");
    ReloadConfiguration(path(), edited);
    EXPECT_EQ(edited.boardTitle, "editado");
    EXPECT_EQ(edited.PortText(), "COM1");
    EXPECT_EQ(edited.record, fields.record);
    EXPECT_EQ(edited.title, fields.title);
    EXPECT_EQ(edited.precision, fields.precision);
    EXPECT_EQ(edited.ratio, fields.ratio);
    EXPECT_EQ(edited.unit, (std::array<QString, 5>{"volts", "volts", "volts", "volts", "volts"}));
}

TEST_F(ConfigurationTest, AMissingFileIsNeitherCreatedNorReadAfterStart)
{
    fields.title[0] = "editado";
    EXPECT_EQ(SaveConfiguration(path(), fields), SaveResult::FileMissing);
    ReloadConfiguration(path(), fields);
    EXPECT_EQ(fields.title[0], "editado");
    EXPECT_FALSE(ReadChannelTitles(path()).has_value());
    EXPECT_FALSE(QFile::exists(path()));
}

TEST_F(ConfigurationTest, TitlesAreCutAt2047Characters)
{
    withFile("[CANAL 1]\r\nT\xedtulo=" + QByteArray(3000, 'a') + "\r\n");
    EXPECT_EQ(ReadChannelTitles(path())->at(0), QString(2047, 'a'));
}

TEST_F(ConfigurationTest, ADirectoryInThePlaceOfTheFileCannotBeWritten)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir("Varnix.ini"));
    try {
        LoadConfiguration(path(), fields);
        FAIL() << "no error";
    } catch (const EIniFileException &error) {
        EXPECT_EQ(QString::fromUtf8(error.what()), "Unable to write to " + path());
    }
    EXPECT_EQ(SaveConfiguration(path(), fields), SaveResult::FileMissing);
}

TEST(ConfigurationUnwritable, AReadOnlyFileStaysAsItWas)
{
    ImmutableCapableDir dir;
    if (!dir.IsValid())
        GTEST_SKIP() << dir.Why();
    const QString path = ConfigurationPath(dir.Path());
    Fields fields;
    LoadConfiguration(path, fields);
    const QByteArray before = ReadBytes(path);
    ASSERT_TRUE(dir.MakeImmutable(path));
    fields.title[0] = "novo";
    try {
        SaveConfiguration(path, fields);
        FAIL() << "no error";
    } catch (const EIniFileException &error) {
        EXPECT_EQ(QString::fromUtf8(error.what()), "Unable to write to " + path);
    }
    EXPECT_EQ(ReadBytes(path), before);
}

} // namespace
