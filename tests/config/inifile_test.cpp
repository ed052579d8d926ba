#include "inifile.h"
#include "qtprint.h"
#include "unwritable.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace std::literals;

namespace {

const QString kDefault = QStringLiteral("<default>");

QByteArray Bytes(std::string_view text)
{
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

QString Text(const char16_t *text)
{
    return QString::fromUtf16(text);
}

void WriteBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QByteArray ReadBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return file.readAll();
}

QStringList Entries(const QString &dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

std::string Printable(const QByteArray &bytes)
{
    std::string out;
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && c != '\\') {
            out += c;
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            out += escaped;
        }
    }
    return out;
}

void ExpectUnableToWrite(TIniFile &ini, const QString &path)
{
    try {
        ini.UpdateFile();
        ADD_FAILURE() << "UpdateFile succeeded on " << path.toStdString();
    } catch (const EIniFileException &e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + path.toStdString());
    }
}

// ---------------------------------------------------------------------------

struct IntegerCase {
    std::string_view text;
    std::optional<std::int32_t> value;
};

TEST(ParseIniInteger, Forms)
{
    const IntegerCase cases[] = {
        {"2", 2},
        {"0", 0},
        {"-0", 0},
        {"0x2", 2},
        {"$2", 2},
        {" -7", -7},
        {"\t+7", 7},
        {" \t 42", 42},
        {"x1F", 31},
        {"X1f", 31},
        {"0xaBcD", 0xABCD},
        {"0X7fffffff", INT32_MAX},
        {"$FFFFFFFF", -1},
        {"$80000000", INT32_MIN},
        {"$0000000F", 15},
        {"-$1", -1},
        {"-0x10", -16},
        {"+$10", 16},
        {"-$80000000", INT32_MIN},
        {"-$FFFFFFFF", 1},
        {"2147483647", INT32_MAX},
        {"-2147483648", INT32_MIN},
        {"000000000000000000042", 42},
        {"2147483648", std::nullopt},
        {"-2147483649", std::nullopt},
        {"99999999999999999999999999", std::nullopt},
        {"$123456789", std::nullopt},
        {"0x000000001", std::nullopt},
        {"abc", std::nullopt},
        {"", std::nullopt},
        {"   ", std::nullopt},
        {"-", std::nullopt},
        {"+", std::nullopt},
        {"$", std::nullopt},
        {"0x", std::nullopt},
        {"x", std::nullopt},
        {"1 ", std::nullopt},
        {"1\t", std::nullopt},
        {"1x", std::nullopt},
        {"12abc", std::nullopt},
        {"$1G", std::nullopt},
        {"0x-1", std::nullopt},
        {"$ 1", std::nullopt},
        {"- 7", std::nullopt},
        {"+-7", std::nullopt},
        {"--7", std::nullopt},
        {"00x2", std::nullopt},
        {"1.5", std::nullopt},
        {"1e3", std::nullopt},
        {"\x00"
         "1"sv,
         std::nullopt},
        {"1\x00"sv, std::nullopt},
    };
    for (const IntegerCase &c : cases) {
        SCOPED_TRACE("\"" + Printable(Bytes(c.text)) + "\"");
        EXPECT_EQ(ParseIniInteger(c.text), c.value);
    }
}

// ---------------------------------------------------------------------------

class IniFileTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

    QString path(const QString &name = QStringLiteral("Varnix.ini")) const { return dir_.filePath(name); }

    QTemporaryDir dir_;
};

struct NumberValueCase {
    std::string_view value;
    std::int32_t integer; // read with a default of 99
    bool boolWithFalseDefault;
    bool boolWithTrueDefault;
};

TEST_F(IniFileTest, ReadIntegerAndReadBoolInterpretTheValue)
{
    const NumberValueCase cases[] = {
        {"0", 0, false, false},
        {"1", 1, true, true},
        {"2", 2, true, true},
        {"-1", -1, true, true},
        {"$0", 0, false, false},
        {"0x10", 16, true, true},
        {"$FFFFFFFF", -1, true, true},
        {" \t 5 \t ", 5, true, true},
        {"no", 99, false, true},
        {"yes", 99, false, true},
        {"true", 99, false, true},
        {"", 99, false, true},
        {"1 2", 99, false, true},
        {"2147483648", 99, false, true},
    };
    for (const NumberValueCase &c : cases) {
        SCOPED_TRACE("\"" + std::string(c.value) + "\"");
        WriteBytes(path(), "[A]\r\nk=" + Bytes(c.value) + "\r\n");
        TIniFile ini(path());
        EXPECT_EQ(ini.ReadInteger("A", "k", 99), c.integer);
        EXPECT_EQ(ini.ReadBool("A", "k", false), c.boolWithFalseDefault);
        EXPECT_EQ(ini.ReadBool("A", "k", true), c.boolWithTrueDefault);
    }
}

TEST_F(IniFileTest, AbsentKeysSectionsAndFilesGiveTheDefault)
{
    WriteBytes(path(), "[A]\r\nk=1\r\n");
    TIniFile ini(path());
    EXPECT_EQ(ini.ReadString("A", "missing", kDefault), kDefault);
    EXPECT_EQ(ini.ReadString("B", "k", kDefault), kDefault);
    EXPECT_EQ(ini.ReadInteger("B", "k", -3), -3);
    EXPECT_TRUE(ini.ReadBool("B", "k", true));

    TIniFile absent(path("absent.ini"));
    EXPECT_EQ(absent.ReadString("A", "k", kDefault), kDefault);
    EXPECT_EQ(absent.ReadInteger("A", "k", 7), 7);
    absent.UpdateFile();
    EXPECT_FALSE(QFileInfo::exists(path("absent.ini")));
}

struct ReadCase {
    const char *name;
    std::string_view file;
    const char16_t *section;
    const char16_t *key;
    const char16_t *expected; // nullptr: the default
};

TEST_F(IniFileTest, ReadString)
{
    const ReadCase cases[] = {
        {"plain", "[SOFTWARE]\r\nT\xEDtulo=Varnix\r\n", u"SOFTWARE", u"Título", u"Varnix"},
        {"ASCII letters of either case", "[software]\r\nTITULO=x\r\n", u"SoftWare", u"titulo", u"x"},
        {"accented letters of either case", "[SOFTWARE]\r\nT\xCDTULO=x\r\n", u"software", u"título", u"x"},
        {"accented names", "[CANAL 1]\r\nPRECIS\xC3O=3\r\nRELA\xC7\xC3O=4\r\n", u"canal 1", u"relação", u"4"},
        {"blanks around everything", " \t[ \tSOFTWARE \t] \r\n \t T\xEDtulo \t= \t Varnix S \t\r\n", u"SOFTWARE",
         u"Título", u"Varnix S"},
        {"blanks inside names", "[CANAL 1]\r\nUnidade de medida = V\r\n", u"CANAL 1", u"Unidade de medida", u"V"},
        {"caller's blanks", "[A]\r\nk=v\r\n", u" A\t", u"\tk ", u"v"},
        {"LF line ends", "[A]\nx=1\nk=v\n", u"A", u"k", u"v"},
        {"CR line ends", "[A]\rx=1\rk=v\r", u"A", u"k", u"v"},
        {"CR at the very end", "[A]\r\nk=v\r", u"A", u"k", u"v"},
        {"no final line end", "[A]\r\nk=v", u"A", u"k", u"v"},
        {"mixed line ends", "[A]\n\r\n\rk=v\r\n", u"A", u"k", u"v"},
        {"first of duplicate keys", "[A]\r\nk=1\r\nK=2\r\n", u"A", u"k", u"1"},
        {"first of duplicate sections", "[A]\r\nk=1\r\n[a]\r\nk=2\r\n", u"A", u"k", u"1"},
        {"later duplicate section is never looked at", "[A]\r\nx=1\r\n[a]\r\nk=2\r\n", u"A", u"k", nullptr},
        {"key of another section", "[A]\r\n[B]\r\nk=1\r\n", u"A", u"k", nullptr},
        {"absent section", "[B]\r\nk=1\r\n", u"A", u"k", nullptr},
        {"key before the first section", "k=1\r\n[A]\r\n", u"A", u"k", nullptr},
        {"commented key", "[A]\r\n;k=1\r\n", u"A", u"k", nullptr},
        {"indented commented key", "[A]\r\n \t;k=1\r\n", u"A", u"k", nullptr},
        {"commented header", ";[A]\r\nk=1\r\n", u"A", u"k", nullptr},
        {"empty value", "[A]\r\nk=\r\n", u"A", u"k", u""},
        {"blank value", "[A]\r\nk= \t \r\n", u"A", u"k", u""},
        {"first '=' splits", "[A]\r\nk=a=b\r\n", u"A", u"k", u"a=b"},
        {"quotes are kept", "[A]\r\nk=\"quoted\" 'x'\r\n", u"A", u"k", u"\"quoted\" 'x'"},
        {"';' in a value is kept", "[A]\r\nk=a ; b\r\n", u"A", u"k", u"a ; b"},
        {"inner blanks are kept", "[A]\r\nk=a \t b\r\n", u"A", u"k", u"a \t b"},
        {"text after ']' is ignored", "[A] trailing ] text\r\nk=v\r\n", u"A", u"k", u"v"},
        {"header without ']' is named by the rest of its line", "[A\r\nk=v\r\n", u"A", u"k", u"v"},
        {"header without ']' is trimmed", "[ A \t\r\nk=v\r\n", u"A", u"k", u"v"},
        {"'[' alone names the empty section", "[\r\nk=v\r\n[A]\r\nk=w\r\n", u"A", u"k", u"w"},
        {"lines without '=' are skipped", "[A]\r\njunk\r\nk=v\r\n", u"A", u"k", u"v"},
        {"a line without '=' is no key", "[A]\r\njunk\r\n", u"A", u"junk", nullptr},
        {"NUL ends a value", "[A]\r\nk=ab\0cd\r\n"sv, u"A", u"k", u"ab"},
        {"NUL before '=' leaves no key", "[A]\r\nk\0=v\r\n"sv, u"A", u"k", nullptr},
        {"NUL inside a header ends its name", "[A\0]\r\nk=v\r\n"sv, u"A", u"k", u"v"},
        {"NUL in another line", "[A]\r\n\0\0\0\r\nk=v\r\n"sv, u"A", u"k", u"v"},
        {"Windows-1252 value", "[A]\r\nk=Placa de aquisi\xE7\xE3o Varnix-S\r\n", u"A", u"k",
         u"Placa de aquisição Varnix-S"},
        {"euro sign", "[A]\r\nk=\x80 5\r\n", u"A", u"k", u"€ 5"},
        {"name written as '?'", "[A]\r\n?=v\r\n", u"A", u"Ω", u"v"},
    };
    for (const ReadCase &c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes(path(), Bytes(c.file));
        TIniFile ini(path());
        const QString expected = c.expected ? Text(c.expected) : kDefault;
        EXPECT_EQ(ini.ReadString(Text(c.section), Text(c.key), kDefault), expected);
    }
}

TEST_F(IniFileTest, LongValuesAreCutToMaxValueLength)
{
    const int lengths[] = {0, 1, 2046, 2047, 2048, 3000, 100000};
    for (int length : lengths) {
        SCOPED_TRACE(length);
        QByteArray value;
        for (int i = 0; i < length; ++i)
            value.append(static_cast<char>('a' + i % 26));
        WriteBytes(path(), "[A]\r\nk=  " + value + "  \r\nnext=1\r\n");
        TIniFile ini(path());
        EXPECT_EQ(ini.ReadString("A", "k", kDefault), QString::fromLatin1(value.left(TIniFile::MaxValueLength)));
        EXPECT_EQ(ini.ReadInteger("A", "next", 0), 1);
    }
}

TEST_F(IniFileTest, GarbageFilesAreReadWithoutHarm)
{
    std::mt19937 random(20240613);
    QByteArray binary;
    for (int i = 0; i < 65536; ++i)
        binary.append(static_cast<char>(random() & 0xFF));
    QByteArray everyByte;
    for (int b = 0; b < 256; ++b)
        everyByte.append(static_cast<char>(b));

    struct GarbageCase {
        const char *name;
        QByteArray bytes;
    };
    const GarbageCase cases[] = {
        {"random bytes", binary},
        {"every byte value", everyByte},
        {"NUL bytes only", QByteArray(4096, '\0')},
        {"headers without ']'", "[A\r\n[B\n[\r\n[[[[\r\n]]]]\r\n"},
        {"lines without '='", "[A]\r\nno equals here\r\n\t\r\n;\r\n"},
        {"line ends only", "\r\r\n\n\n\r\r\r"},
    };
    for (const GarbageCase &c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes(path(), c.bytes + "\r\n[VALID]\r\nk=v\r\n");
        TIniFile ini(path());
        EXPECT_EQ(ini.ReadString("SOFTWARE", Text(u"Título"), kDefault), kDefault);
        EXPECT_EQ(ini.ReadInteger("HARDWARE", "Porta", 5), 5);
        EXPECT_EQ(ini.ReadString("VALID", "k", kDefault), "v");
    }
}

// A quadratic reader takes hours on these; a linear one well under a second,
// so the bound only catches the former even on a slow, sanitized build.
TEST_F(IniFileTest, HugeFilesAreReadInLinearTime)
{
    constexpr qsizetype kTenMegabytes = 10 * 1024 * 1024;
    QByteArray manyLines;
    for (int i = 0; manyLines.size() < kTenMegabytes; ++i)
        manyLines += "k" + QByteArray::number(i) + "=" + QByteArray::number(i) + "\n";

    struct HugeCase {
        const char *name;
        QByteArray bytes;
        QString expected;
    };
    const HugeCase cases[] = {
        {"one line without a line end", QByteArray(kTenMegabytes, 'x'), kDefault},
        {"one huge value", "[A]\r\nk=" + QByteArray(kTenMegabytes, 'y') + "\r\n", QString(TIniFile::MaxValueLength, 'y')},
        {"one huge key", "[A]\r\n" + QByteArray(kTenMegabytes, 'k') + "=1\r\nk=v\r\n", "v"},
        {"one huge header", "[" + QByteArray(kTenMegabytes, 'A') + "\r\n[A]\r\nk=v\r\n", "v"},
        {"one huge line of blanks", "[A]\r\n" + QByteArray(kTenMegabytes, ' ') + "\r\nk=v", "v"},
        {"many short lines", "[A]\n" + manyLines + "k=v\n", "v"},
    };
    for (const HugeCase &c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes(path(), c.bytes);
        QElapsedTimer timer;
        timer.start();
        TIniFile ini(path());
        EXPECT_EQ(ini.ReadString("A", "k", kDefault), c.expected);
        EXPECT_LT(timer.elapsed(), 30000);
    }
}

// ---------------------------------------------------------------------------

struct Write {
    const char16_t *section;
    const char16_t *key;
    const char16_t *value;
};

struct WriteCase {
    const char *name;
    std::optional<std::string_view> before; // nullopt: no file
    std::vector<Write> writes;
    std::string_view after;
};

TEST_F(IniFileTest, UpdateFileWritesTheseBytes)
{
    const WriteCase cases[] = {
        {"no file", std::nullopt, {{u"S", u"k", u"v"}}, "[S]\r\nk=v\r\n"},
        {"empty file", "", {{u"S", u"k", u"v"}}, "[S]\r\nk=v\r\n"},
        {"value replaced in place, every other line kept",
         "; hand comment\n[SOFTWARE]\nT\xEDtulo=Old\nExtra = keep \n\n[MINE]\r\nfoo=bar\r\njunk\r",
         {{u"SOFTWARE", u"Título", u"New"}},
         "; hand comment\n[SOFTWARE]\nT\xEDtulo=New\r\nExtra = keep \n\n[MINE]\r\nfoo=bar\r\njunk\r"},
        {"replaced line takes the caller's spelling", "[s]\r\n  TITULO \t=  x  \r\n", {{u"S", u"Titulo", u"y"}},
         "[s]\r\nTitulo=y\r\n"},
        {"new key after the section's last key", "[A]\r\na=1\r\n; note\r\n\r\n[B]\r\nb=2\r\n", {{u"A", u"c", u"3"}},
         "[A]\r\na=1\r\nc=3\r\n; note\r\n\r\n[B]\r\nb=2\r\n"},
        {"new key right after a header without keys", "[A]\r\n\r\n[B]\r\n", {{u"A", u"c", u"3"}},
         "[A]\r\nc=3\r\n\r\n[B]\r\n"},
        {"new key in the last section", "[A]\r\na=1\r\n\r\n\r\n", {{u"A", u"c", u"3"}}, "[A]\r\na=1\r\nc=3\r\n\r\n\r\n"},
        {"new section at the end without a blank line", "[A]\r\na=1\r\n", {{u"B", u"b", u"2"}},
         "[A]\r\na=1\r\n[B]\r\nb=2\r\n"},
        {"new section after trailing blank lines", "[A]\r\na=1\r\n\r\n", {{u"B", u"b", u"2"}},
         "[A]\r\na=1\r\n\r\n[B]\r\nb=2\r\n"},
        {"new section after a last line without line end", "[A]\r\na=1", {{u"B", u"b", u"2"}},
         "[A]\r\na=1\r\n[B]\r\nb=2\r\n"},
        {"new key after a last line without line end", "[A]\r\na=1", {{u"A", u"c", u"3"}}, "[A]\r\na=1\r\nc=3\r\n"},
        {"LF lines stay LF", "[A]\na=1\n", {{u"B", u"b", u"2"}}, "[A]\na=1\n[B]\r\nb=2\r\n"},
        {"lone CR line ends stay", "[A]\ra=1\rb=2\r", {{u"A", u"a", u"9"}}, "[A]\ra=9\r\nb=2\r"},
        {"first of duplicate keys replaced", "[A]\r\nk=1\r\nk=2\r\n", {{u"A", u"k", u"9"}}, "[A]\r\nk=9\r\nk=2\r\n"},
        {"first of duplicate sections extended", "[A]\r\nx=1\r\n[B]\r\n[a]\r\nk=2\r\n", {{u"A", u"k", u"9"}},
         "[A]\r\nx=1\r\nk=9\r\n[B]\r\n[a]\r\nk=2\r\n"},
        {"keys before the first section are left alone", "k=1\r\n[A]\r\n", {{u"A", u"k", u"2"}},
         "k=1\r\n[A]\r\nk=2\r\n"},
        {"header without ']' is extended", "[A\r\na=1\r\n", {{u"A", u"b", u"2"}}, "[A\r\na=1\r\nb=2\r\n"},
        {"line with NUL kept", "[A]\r\nk=1\0junk\r\n"sv, {{u"A", u"j", u"2"}}, "[A]\r\nk=1\0junk\r\nj=2\r\n"sv},
        {"line with NUL replaced", "[A]\r\nk=1\0junk\r\n"sv, {{u"A", u"k", u"2"}}, "[A]\r\nk=2\r\n"},
        {"several keys in a new section", "", {{u"C", u"a", u"1"}, {u"C", u"b", u"2"}, {u"c", u"A", u"3"}},
         "[C]\r\nA=3\r\nb=2\r\n"},
        {"Windows-1252 on disk", std::nullopt, {{u"SOFTWARE", u"Título", u"Placa de aquisição Varnix-S"}},
         "[SOFTWARE]\r\nT\xEDtulo=Placa de aquisi\xE7\xE3o Varnix-S\r\n"},
        {"euro sign and a character outside the code page", std::nullopt, {{u"Preço", u"Moeda", u"€ Ω"}},
         "[Pre\xE7o]\r\nMoeda=\x80 ?\r\n"},
        {"blanks around caller's names dropped, value kept as given", std::nullopt, {{u" A ", u"\tk\t", u" v "}},
         "[A]\r\nk= v \r\n"},
        {"line breaks in a value become blanks", std::nullopt, {{u"A", u"k", u"one\r\ntwo\nthree"}},
         "[A]\r\nk=one  two three\r\n"},
    };
    for (const WriteCase &c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(path());
        if (c.before)
            WriteBytes(path(), Bytes(*c.before));
        TIniFile ini(path());
        for (const Write &w : c.writes)
            ini.WriteString(Text(w.section), Text(w.key), Text(w.value));
        ini.UpdateFile();
        EXPECT_EQ(Printable(ReadBytes(path())), Printable(Bytes(c.after)));
        EXPECT_EQ(Entries(dir_.path()), QStringList{"Varnix.ini"});
    }
}

TEST_F(IniFileTest, WrittenValuesReadBack)
{
    TIniFile writer(path());
    writer.WriteString("SOFTWARE", Text(u"Título"), Text(u"  Placa de aquisição Varnix-S  "));
    writer.WriteInteger("CANAL 1", Text(u"Precisão"), -5);
    writer.WriteInteger("CANAL 1", Text(u"Relação"), INT32_MIN);
    writer.WriteBool("CANAL 1", "Registrar", true);
    writer.WriteBool("CANAL 2", "Registrar", false);
    writer.UpdateFile();
    EXPECT_EQ(Printable(ReadBytes(path())), Printable("[SOFTWARE]\r\nT\xEDtulo=  Placa de aquisi\xE7\xE3o Varnix-S  \r\n"
                                                      "[CANAL 1]\r\nPrecis\xE3o=-5\r\nRela\xE7\xE3o=-2147483648\r\n"
                                                      "Registrar=1\r\n[CANAL 2]\r\nRegistrar=0\r\n"));

    TIniFile reader(path());
    EXPECT_EQ(reader.ReadString("software", Text(u"TÍTULO"), kDefault), Text(u"Placa de aquisição Varnix-S"));
    EXPECT_EQ(reader.ReadInteger("canal 1", Text(u"PRECISÃO"), 0), -5);
    EXPECT_EQ(reader.ReadInteger("CANAL 1", Text(u"Relação"), 0), INT32_MIN);
    EXPECT_TRUE(reader.ReadBool("CANAL 1", "Registrar", false));
    EXPECT_FALSE(reader.ReadBool("CANAL 2", "Registrar", true));
}

TEST_F(IniFileTest, ReadsSeeWritesNotYetOnDisk)
{
    const QByteArray original = "[A]\r\nk=old\r\n";
    WriteBytes(path(), original);
    TIniFile ini(path());
    ini.WriteString("A", "k", "new");
    ini.WriteString("B", "n", "1");
    EXPECT_EQ(ini.ReadString("A", "k", kDefault), "new");
    EXPECT_EQ(ini.ReadInteger("b", "N", 0), 1);
    EXPECT_EQ(ReadBytes(path()), original);
    EXPECT_EQ(TIniFile(path()).ReadString("A", "k", kDefault), "old");

    ini.UpdateFile();
    EXPECT_EQ(TIniFile(path()).ReadString("A", "k", kDefault), "new");
}

TEST_F(IniFileTest, FileIsReadAtTheFirstAccessNotAtConstruction)
{
    TIniFile ini(path());
    EXPECT_FALSE(QFileInfo::exists(path()));
    WriteBytes(path(), "[A]\r\nk=late\r\n");
    EXPECT_EQ(ini.ReadString("A", "k", kDefault), "late");
}

TEST_F(IniFileTest, UpdateFileWithoutWritesTouchesNothing)
{
    WriteBytes(path(), "[A]\nk=1");
    ASSERT_EQ(::chmod(QFile::encodeName(path()).constData(), 0604), 0);
    struct stat before {};
    ASSERT_EQ(::stat(QFile::encodeName(path()).constData(), &before), 0);

    TIniFile ini(path());
    EXPECT_EQ(ini.ReadInteger("A", "k", 0), 1);
    ini.UpdateFile();

    struct stat after {};
    ASSERT_EQ(::stat(QFile::encodeName(path()).constData(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(ReadBytes(path()), "[A]\nk=1");
}

TEST_F(IniFileTest, ReplacementKeepsThePermissions)
{
    const mode_t modes[] = {0600, 0640, 0444, 0755};
    for (mode_t mode : modes) {
        SCOPED_TRACE(mode);
        WriteBytes(path(), "[A]\r\nk=1\r\n");
        ASSERT_EQ(::chmod(QFile::encodeName(path()).constData(), mode), 0);
        TIniFile ini(path());
        ini.WriteInteger("A", "k", 2);
        ini.UpdateFile();
        struct stat st {};
        ASSERT_EQ(::stat(QFile::encodeName(path()).constData(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, mode);
        EXPECT_EQ(ReadBytes(path()), "[A]\r\nk=2\r\n");
        QFile::remove(path());
    }
}

TEST_F(IniFileTest, SymbolicLinkKeepsPointingAtTheRewrittenTarget)
{
    ASSERT_TRUE(QDir(dir_.path()).mkdir("real"));
    const QString target = dir_.filePath("real/Varnix.ini");
    WriteBytes(target, "[A]\r\nk=1\r\n");
    ASSERT_TRUE(QFile::link(target, path()));

    TIniFile ini(path());
    ini.WriteInteger("A", "k", 2);
    ini.UpdateFile();

    EXPECT_TRUE(QFileInfo(path()).isSymLink());
    EXPECT_EQ(ReadBytes(target), "[A]\r\nk=2\r\n");
    EXPECT_EQ(Entries(dir_.path()), (QStringList{"Varnix.ini", "real"}));
    EXPECT_EQ(Entries(dir_.filePath("real")), QStringList{"Varnix.ini"});
}

TEST_F(IniFileTest, DanglingSymbolicLinkCreatesItsTarget)
{
    const QString target = dir_.filePath("target.ini");
    ASSERT_TRUE(QFile::link(target, path()));
    TIniFile ini(path());
    ini.WriteInteger("A", "k", 2);
    ini.UpdateFile();
    EXPECT_TRUE(QFileInfo(path()).isSymLink());
    EXPECT_EQ(ReadBytes(target), "[A]\r\nk=2\r\n");
}

TEST_F(IniFileTest, FailsWhenThePathIsADirectory)
{
    ASSERT_TRUE(QDir(dir_.path()).mkdir("Varnix.ini"));
    TIniFile ini(path());
    EXPECT_EQ(ini.ReadString("A", "k", kDefault), kDefault);
    ini.WriteString("A", "k", "v");
    ExpectUnableToWrite(ini, path());
    EXPECT_TRUE(QFileInfo(path()).isDir());
    EXPECT_EQ(Entries(dir_.path()), QStringList{"Varnix.ini"});
    EXPECT_TRUE(Entries(path()).isEmpty());
}

TEST_F(IniFileTest, FailsWhenTheFolderDoesNotExist)
{
    const QString missing = dir_.filePath("missing/Varnix.ini");
    TIniFile ini(missing);
    ini.WriteString("A", "k", "v");
    ExpectUnableToWrite(ini, missing);
    EXPECT_TRUE(Entries(dir_.path()).isEmpty());
}

// ---------------------------------------------------------------------------

class UnwritableTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (!dir_.IsValid())
            GTEST_SKIP() << dir_.Why();
    }

    void makeImmutable(const QString &path) { ASSERT_TRUE(dir_.MakeImmutable(path)) << path.toStdString(); }

    QString path() const { return dir_.FilePath("Varnix.ini"); }

    ImmutableCapableDir dir_;
};

TEST_F(UnwritableTest, ImmutableFileIsLeftAsItWas)
{
    const QByteArray original = "[A]\nk=1\r\n; comment\r\n";
    WriteBytes(path(), original);
    makeImmutable(path());

    TIniFile ini(path());
    ini.WriteInteger("A", "k", 2);
    ini.WriteInteger("B", "k", 3);
    ExpectUnableToWrite(ini, path());
    EXPECT_EQ(ReadBytes(path()), original);
    EXPECT_EQ(Entries(dir_.Path()), QStringList{"Varnix.ini"});

    // The changes are still pending and reach the disk once it allows.
    SetImmutable(path(), false);
    ini.UpdateFile();
    EXPECT_EQ(ReadBytes(path()), "[A]\nk=2\r\n; comment\r\n[B]\r\nk=3\r\n");
}

TEST_F(UnwritableTest, MessageNamesThePathAsGiven)
{
    const QByteArray original = "[A]\r\nk=1\r\n";
    WriteBytes(path(), original);
    makeImmutable(path());
    const QString doubled = dir_.Path() + "//Varnix.ini";

    TIniFile ini(doubled);
    ini.WriteInteger("A", "k", 2);
    ExpectUnableToWrite(ini, doubled);
    EXPECT_EQ(ReadBytes(path()), original);
}

TEST_F(UnwritableTest, ImmutableFolderWithTheFile)
{
    const QByteArray original = "[A]\r\nk=1\r\n";
    WriteBytes(path(), original);
    makeImmutable(dir_.Path());

    TIniFile ini(path());
    ini.WriteInteger("A", "k", 2);
    ExpectUnableToWrite(ini, path());
    EXPECT_EQ(ReadBytes(path()), original);
    EXPECT_EQ(Entries(dir_.Path()), QStringList{"Varnix.ini"});
}

TEST_F(UnwritableTest, ImmutableFolderWithoutTheFile)
{
    makeImmutable(dir_.Path());

    TIniFile ini(path());
    ini.WriteInteger("A", "k", 2);
    ExpectUnableToWrite(ini, path());
    EXPECT_TRUE(Entries(dir_.Path()).isEmpty());
}

// ---------------------------------------------------------------------------

class FullDiskTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        if (::mount("tmpfs", QFile::encodeName(dir_.path()).constData(), "tmpfs", 0, "size=256k") != 0)
            GTEST_SKIP() << "cannot mount a small tmpfs here: " << std::strerror(errno);
        mounted_ = true;
    }

    void TearDown() override
    {
        if (mounted_)
            ::umount2(QFile::encodeName(dir_.path()).constData(), MNT_DETACH);
    }

    QTemporaryDir dir_;
    bool mounted_ = false;
};

TEST_F(FullDiskTest, OldFileSurvivesARunOutOfSpace)
{
    const QString path = dir_.filePath("Varnix.ini");
    const QByteArray original = "[A]\r\nk=1\r\n" + QByteArray(64 * 1024, ';') + "\r\n";
    WriteBytes(path, original);

    TIniFile ini(path);
    ini.WriteString("A", "big", QString(512 * 1024, 'x'));
    ExpectUnableToWrite(ini, path);
    EXPECT_EQ(ReadBytes(path), original);
    EXPECT_EQ(Entries(dir_.path()), QStringList{"Varnix.ini"});
}

} // namespace
