#include "windowfixture.h"

#include "chartpage.h"
#include "configurationpage.h"
#include "errorbox.h"
#include "messageboxcatcher.h"
#include "qtprint.h"
#include "unwritable.h"

#include <QChart>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QLineSeries>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>

using namespace std::chrono_literals;

namespace {

class ChartPageTest : public WindowTest {
protected:
    TChartPage &Chart() { return *form->TabSheet4; }
};

TEST_F(ChartPageTest, RecordingFollowsTheRecordFlags)
{
    WriteSettings();
    Start();
    form->TabSheet3->SetRecordFlag(2, false);
    const struct {
        QByteArray frame;
        int display;
        const char *text;
    } frames[] = {
        {QByteArray("\xff\x03", 2), 1, "4,995 V"},
        {QByteArray("\x00\x12", 2), 2, "2,500 V"},
        {QByteArray("\x00\x61", 2), 1, "1,250 v"},
    };
    for (const auto &f : frames) {
        board.Send(f.frame);
        ASSERT_TRUE(WaitFor([&] { return DisplayText(f.display) == f.text; })) << f.text;
    }
    const auto &history = form->History();
    ASSERT_EQ(history.Size(), 2u);
    EXPECT_EQ(history.At(0).channelCode, 0);
    EXPECT_EQ(history.At(0).rawCount, 1023);
    EXPECT_EQ(history.SettingsOf(history.At(0)).title, "Canal 1");
    EXPECT_EQ(history.At(1).channelCode, 6);
    EXPECT_TRUE(varnix::ReadingHistory::IsRawVolts(history.At(1)));

    form->PageControl1->setCurrentIndex(2);
    EXPECT_EQ(Chart().Lines[0]->count(), 1);
    EXPECT_EQ(Chart().Lines[1]->count(), 0);
    EXPECT_EQ(Chart().Lines[5]->count(), 1);

    Click(Chart().ClearButton);
    EXPECT_EQ(history.Size(), 0u);
    EXPECT_EQ(Chart().Lines[0]->count(), 0);
    EXPECT_EQ(DisplayText(1), "1,250 v");
}

TEST_F(ChartPageTest, TitleFollowsTheBoardTitleAndLegendTheSavedSettings)
{
    WriteSettings("COM1", "[CANAL 3]\r\nT\xedtulo=Press\xe3o\r\nUnidade=bar\r\n");
    Start();
    form->TabSheet3->Edit2->setText("Bancada 4");
    form->PageControl1->setCurrentIndex(2);
    EXPECT_EQ(Chart().Chart->title(), "Bancada 4");
    form->TabSheet3->Edit2->setText("Bancada 5");
    EXPECT_EQ(Chart().Chart->title(), "Bancada 5");
    EXPECT_EQ(Chart().Lines[2]->name(), "Pressão (bar)");
    EXPECT_EQ(Chart().Lines[0]->name(), "Canal 1 (V)");
}

// The test answers every read command at once, as the board does.
TEST_F(ChartPageTest, AutomaticReadingSweepsTheTickedChannelsSpacedApart)
{
    WriteSettings();
    Start();
    for (int ch : {2, 4, 5})
        form->TabSheet3->SetRecordFlag(ch, false);
    Chart().IntervalSeconds->setValue(1);
    Chart().AutoReading->setChecked(true);

    struct Command {
        char byte;
        qint64 atMs;
    };
    std::vector<Command> commands;
    QElapsedTimer clock;
    clock.start();
    while (commands.size() < 6 && clock.elapsed() < 10000) {
        QTest::qWait(5);
        for (char byte : board.Receive()) {
            commands.push_back({byte, clock.elapsed()});
            const int channel = byte - 'k';
            board.Send(QByteArray(1, char(0x40 + commands.size())) + QByteArray(1, char(channel << 4)));
        }
    }
    Chart().AutoReading->setChecked(false);
    ASSERT_EQ(commands.size(), 6u);
    const char order[] = "kmkmkm";
    for (std::size_t i = 0; i < commands.size(); ++i) {
        EXPECT_EQ(commands[i].byte, order[i]) << i;
        if (i > 0) {
            EXPECT_GE(commands[i].atMs - commands[i - 1].atMs, 400) << i;
        }
    }
    EXPECT_TRUE(WaitFor([&] { return form->History().Size() == 6; }));
    EXPECT_EQ(board.Receive(1500ms), QByteArray());
}

TEST_F(ChartPageTest, AutomaticReadingDoesNotStartWithoutAnOpenPort)
{
    QFile file(Path());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[HARDWARE]\r\nPorta=COM1\r\n[PORTAS]\r\nCOM1=/nonexistent/tty\r\n");
    file.close();
    Start();
    Chart().AutoReading->setChecked(true);
    EXPECT_FALSE(Chart().AutoReading->isChecked());
}

TEST_F(ChartPageTest, ClosingStopsAutomaticReading)
{
    WriteSettings();
    Start();
    Chart().IntervalSeconds->setValue(1);
    Chart().AutoReading->setChecked(true);
    EXPECT_EQ(board.Receive(1s), "k");
    Stop();
    EXPECT_EQ(board.Receive(1s), "F");
    EXPECT_EQ(board.Receive(1500ms), QByteArray());
}

TEST_F(ChartPageTest, AFailedExportShowsTheErrorBoxAndLeavesNoFile)
{
    ImmutableCapableDir folder;
    if (!folder.IsValid())
        GTEST_SKIP() << folder.Why();
    WriteSettings();
    Start();
    ASSERT_TRUE(folder.MakeImmutable(folder.Path()));
    const QString path = folder.FilePath("leituras.csv");
    MessageBoxCatcher boxes;
    form->Guard([&] { form->ExportCsv(path, varnix::CsvStyle::Plain); });
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Unable to write to " + path + ".");
    EXPECT_EQ(boxes.boxes[0].icon, QMessageBox::Critical);
    EXPECT_TRUE(QDir(folder.Path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

} // namespace
