#include "windowfixture.h"

#include "configuration.h"
#include "configurationpage.h"
#include "errorbox.h"
#include "messageboxcatcher.h"
#include "qtprint.h"
#include "serialportng.h"
#include "unwritable.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>

#include <ctime>

using namespace std::chrono_literals;

namespace {

double CpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

TEST_F(WindowTest, StartsWithTheReadingsPageAndTheStatusBarFilled)
{
    WriteSettings();
    Start();
    EXPECT_EQ(form->windowTitle(), "Monitor Varnix-S");
    EXPECT_EQ(form->size(), QSize(543, 368));
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
    EXPECT_EQ(form->PageControl1->currentIndex(), 0);
    EXPECT_EQ(form->PageControl1->tabText(0), "Leitores");
    EXPECT_EQ(form->PageControl1->tabText(1), "Configurações");
    for (int ch = 1; ch <= 5; ++ch) {
        SCOPED_TRACE(ch);
        EXPECT_EQ(DisplayText(ch), "0,000");
        EXPECT_TRUE(form->Displays[ch - 1]->isReadOnly());
        EXPECT_EQ(form->Displays[ch - 1]->accessibleName(), QString("Canal %1").arg(ch));
        EXPECT_EQ(form->TitleLabels[ch - 1]->text(), QString("Canal %1").arg(ch));
        EXPECT_EQ(form->ReadButtons[ch - 1]->text(), QString("Lê Canal %1").arg(ch));
    }
    EXPECT_EQ(form->BitBtn3->text(), "&Fechar");
    EXPECT_EQ(form->StatusPanels[0]->text(), "Porta: COM1");
    EXPECT_EQ(form->StatusPanels[1]->text(), "Velocidade: 19200 Bps");
    EXPECT_TRUE(form->SerialPortNG1->Active());
}

TEST_F(WindowTest, EachReadButtonSendsItsChannelsCommand)
{
    WriteSettings();
    Start();
    const char commands[] = "klmno";
    for (int ch = 1; ch <= 5; ++ch) {
        SCOPED_TRACE(ch);
        Click(form->ReadButtons[ch - 1]);
        EXPECT_EQ(board.Receive(1s), QByteArray(1, commands[ch - 1]));
    }
    EXPECT_EQ(board.Receive(100ms), QByteArray());
}

TEST_F(WindowTest, AClusterChangesOnlyTheDisplayItsFirstFrameNames)
{
    WriteSettings();
    Start();
    const struct {
        QByteArray cluster;
        int channel;
        const char *text;
    } cases[] = {
        {QByteArray("\xff\x13", 2), 2, "4,995 V"},
        {QByteArray("\xff\x03\x00\x10", 4), 1, "4,995 V"}, // two answers in one cluster: the first is shown
        {QByteArray("\x80", 1), 1, "0,625 V"},
        {QByteArray("\x40\x20\x55", 3), 3, "0,313 V"},
        {QByteArray("\xff\x50", 2), 1, "1,245 v"},
        {QByteArray("\xff\x4f", 2), 5, "4,995 V"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.cluster.toHex().toStdString());
        QStringList before;
        for (int ch = 1; ch <= 5; ++ch)
            before << DisplayText(ch);
        board.Send(c.cluster);
        ASSERT_TRUE(WaitFor([&] { return DisplayText(c.channel) == c.text; }));
        QTest::qWait(350);
        for (int ch = 1; ch <= 5; ++ch) {
            if (ch != c.channel) {
                EXPECT_EQ(DisplayText(ch), before[ch - 1]) << "display " << ch;
            }
        }
        EXPECT_EQ(DisplayText(c.channel), c.text);
    }
}

TEST_F(WindowTest, TwoAnswersWithinFiftyMillisecondsShowOnlyTheFirst)
{
    WriteSettings();
    Start();
    Click(form->ReadButtons[0]);
    ASSERT_EQ(board.Receive(1s), "k");
    board.Send(QByteArray("\x00\x01", 2));
    QTest::qWait(50);
    Click(form->ReadButtons[1]);
    ASSERT_EQ(board.Receive(1s), "l");
    board.Send(QByteArray("\x00\x11", 2));
    ASSERT_TRUE(WaitFor([&] { return DisplayText(1) == "1,250 V"; }));
    QTest::qWait(400);
    EXPECT_EQ(DisplayText(2), "0,000");
}

TEST_F(WindowTest, AFailedReadingWritesNothingAndReceptionGoesOn)
{
    WriteSettings();
    Start();
    form->TabSheet3->SetRatio(1, "abc");
    board.Send(QByteArray("\xff\x03", 2));
    QTest::qWait(600);
    EXPECT_EQ(DisplayText(1), "0,000");
    form->TabSheet3->SetRatio(1, "0");
    board.Send(QByteArray("\xff\x03", 2));
    QTest::qWait(600);
    EXPECT_EQ(DisplayText(1), "0,000");
    form->TabSheet3->SetRatio(1, "2");
    board.Send(QByteArray("\xff\x03", 2));
    EXPECT_TRUE(WaitFor([&] { return DisplayText(1) == "2,498 V"; }));
}

TEST_F(WindowTest, APrecisionOutsideOneToThreeChangesNothing)
{
    WriteSettings("COM1", "[CANAL 2]\r\nPrecis\xe3o=7\r\n");
    Start();
    EXPECT_EQ(form->TabSheet3->PrecisionText(2), "7");
    board.Send(QByteArray("\xff\x13", 2));
    QTest::qWait(600);
    board.Send(QByteArray("\xff\x23", 2));
    ASSERT_TRUE(WaitFor([&] { return DisplayText(3) == "4,995 V"; }));
    EXPECT_EQ(DisplayText(2), "0,000");
}

TEST_F(WindowTest, ClosingSendsTheClosingCommand)
{
    WriteSettings();
    Start();
    Stop();
    EXPECT_EQ(board.Receive(1s), "F");
}

TEST_F(WindowTest, AVanishedBoardLeavesTheWindowWorkingAndClosable)
{
    WriteSettings();
    Start();
    board.Vanish();
    QTest::qWait(100);
    const double cpu = CpuSeconds();
    QTest::qWait(1000);
    EXPECT_LT(CpuSeconds() - cpu, 0.1);
    Click(form->ReadButtons[0]);
    form->PageControl1->setCurrentIndex(1);
    QElapsedTimer closing;
    closing.start();
    Stop();
    EXPECT_LT(closing.elapsed(), 1000);
}

TEST_F(WindowTest, APortThatCannotBeOpenedIsNotReported)
{
    QFile file(Path());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[HARDWARE]\r\nPorta=COM2\r\n[PORTAS]\r\nCOM2=/nonexistent/tty\r\n");
    file.close();
    MessageBoxCatcher boxes;
    Start();
    EXPECT_FALSE(form->SerialPortNG1->Active());
    EXPECT_EQ(form->StatusPanels[0]->text(), "Porta: COM2");
    Click(form->ReadButtons[0]);
    Stop();
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(WindowTest, TheSavedPortIsOpenedAndNamed)
{
    WriteSettings("COM2");
    Start();
    EXPECT_EQ(form->TabSheet3->PortText(), "COM2");
    EXPECT_EQ(form->StatusPanels[0]->text(), "Porta: COM2");
    Click(form->ReadButtons[4]);
    EXPECT_EQ(board.Receive(1s), "o");
}

TEST_F(WindowTest, LabelsShowSavedTitlesWhenTheReadingsPageIsShown)
{
    WriteSettings("COM1", "[CANAL 4]\r\nT\xedtulo=Temperatura\r\n");
    Start();
    EXPECT_EQ(form->TitleLabels[3]->text(), "Temperatura");

    form->PageControl1->setCurrentIndex(1);
    form->TabSheet3->SetTitle(4, "Pressão");
    form->PageControl1->setCurrentIndex(0);
    EXPECT_EQ(form->TitleLabels[3]->text(), "Temperatura");

    form->PageControl1->setCurrentIndex(1);
    Click(form->TabSheet3->BitBtn1);
    EXPECT_EQ(form->TitleLabels[3]->text(), "Temperatura");
    form->PageControl1->setCurrentIndex(0);
    EXPECT_EQ(form->TitleLabels[3]->text(), "Pressão");
}

TEST_F(WindowTest, AFirstStartThatCannotWriteShowsTheErrorBoxAndOpensNoPort)
{
    ImmutableCapableDir folder;
    if (!folder.IsValid())
        GTEST_SKIP() << folder.Why();
    ASSERT_TRUE(folder.MakeImmutable(folder.Path()));
    const QString path = varnix::ConfigurationPath(folder.Path());
    MessageBoxCatcher boxes;
    form = std::make_unique<TFormPrincipal>(path);
    form->show();
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Unable to write to " + path + ".");
    EXPECT_EQ(boxes.boxes[0].title, ProgramTitle(QCoreApplication::applicationFilePath()));
    EXPECT_EQ(boxes.boxes[0].icon, QMessageBox::Critical);
    EXPECT_FALSE(form->SerialPortNG1->Active());
    EXPECT_EQ(form->StatusPanels[0]->text(), "Porta:");
    EXPECT_EQ(form->StatusPanels[1]->text(), "Velocidade:");
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(WindowTest, KeyboardOrderOfTheReadingsPage)
{
    WriteSettings();
    Start();
    QList<QWidget *> expected(form->Displays.begin(), form->Displays.end());
    expected << form->BitBtn3;
    expected.append(QList<QWidget *>(form->ReadButtons.begin(), form->ReadButtons.end()));
    EXPECT_EQ(TabWalk(expected.first(), expected.size()), expected);
}

} // namespace
