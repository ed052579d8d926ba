#include "csvexport.h"

#include "qtprint.h"
#include "unwritable.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

using namespace varnix;

namespace {

const NumberFormat PtBr{",", "."};

TEST(IsoTimestamp, LocalTimeWithMillisecondsAndOffset)
{
    const struct {
        std::int64_t ms;
        int offset;
        const char *text;
    } cases[] = {
        {0, 0, "1970-01-01T00:00:00.000+00:00"},
        {1797001201250, -180, "2026-12-11T12:00:01.250-03:00"},
        {1797001201999, 330, "2026-12-11T20:30:01.999+05:30"},
        {-1, 0, "1969-12-31T23:59:59.999+00:00"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(IsoTimestamp(c.ms, c.offset), c.text);
    }
}

ReadingHistory SampleHistory()
{
    ReadingHistory history;
    history.Add(1797001201250, -180, DecodeFrame(0xFF, 0x03), "Tensão, \"saída\"", 3, 0.001L, "mV");
    history.Add(1797001201700, -180, DecodeFrame(0x40, 0x10), "Canal 2", 2, -2, "A");
    history.Add(1797001202150, -180, DecodeFrame(0xFF, 0x53), "Tensão, \"saída\"", 3, 1, "v");
    return history;
}

// Python's csv module reads the file back; its rows come out one per line,
// fields joined by a tab.
QStringList ReadWithPython(const QString &path, const char *delimiter)
{
    QProcess python;
    python.start("python3", {"-c",
                             "import csv, sys\n"
                             "with open(sys.argv[1], newline='', encoding='utf-8-sig') as f:\n"
                             "    for row in csv.reader(f, delimiter=sys.argv[2]):\n"
                             "        print('\\t'.join(row))\n",
                             path, delimiter});
    if (!python.waitForFinished(10000) || python.exitCode() != 0)
        return {};
    return QString::fromUtf8(python.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}

TEST(CsvExport, PlainStyleReadsBackWithARealCsvReader)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("leituras.csv");
    WriteCsvFile(path, SampleHistory(), CsvStyle::Plain, PtBr);
    const QStringList rows = ReadWithPython(path, ",");
    ASSERT_EQ(rows.size(), 4) << "python3 could not read the file";
    EXPECT_EQ(rows[0], "data_hora\tcanal\tcodigo\ttitulo\tcontagem\tvolts\tvalor\tunidade\ttexto");
    EXPECT_EQ(rows[1], "2026-12-11T12:00:01.250-03:00\t1\t0\tTensão, \"saída\"\t1023\t4.9951171875\t4995.1171875\tmV\t4.995,117 mV");
    EXPECT_EQ(rows[2], "2026-12-11T12:00:01.700-03:00\t2\t1\tCanal 2\t64\t0.3125\t-0.15625\tA\t-0,16 A");
    EXPECT_EQ(rows[3], "2026-12-11T12:00:02.150-03:00\t1\t5\tTensão, \"saída\"\t1023\t4.9951171875\t4.9951171875\tv\t4,995 v");
}

TEST(CsvExport, LocaleStyleUsesSemicolonsAndTheDecimalComma)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("planilha.csv");
    WriteCsvFile(path, SampleHistory(), CsvStyle::Locale, PtBr);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().startsWith("\xEF\xBB\xBF" "data_hora;canal;"));
    const QStringList rows = ReadWithPython(path, ";");
    ASSERT_EQ(rows.size(), 4);
    EXPECT_EQ(rows[2], "2026-12-11T12:00:01.700-03:00\t2\t1\tCanal 2\t64\t0,3125\t-0,15625\tA\t-0,16 A");
}

TEST(CsvExport, AFailedExportLeavesNoFile)
{
    ImmutableCapableDir dir;
    if (!dir.IsValid())
        GTEST_SKIP() << dir.Why();
    ASSERT_TRUE(dir.MakeImmutable(dir.Path()));
    const QString path = dir.FilePath("leituras.csv");
    try {
        WriteCsvFile(path, SampleHistory(), CsvStyle::Plain, PtBr);
        FAIL() << "no error";
    } catch (const std::runtime_error &error) {
        EXPECT_EQ(QString::fromUtf8(error.what()), "Unable to write to " + path);
    }
    EXPECT_TRUE(QDir(dir.Path()).entryList(QDir::Files | QDir::Hidden | QDir::System).isEmpty());
}

} // namespace
