#include "windowfixture.h"

#include "configurationpage.h"
#include "errorbox.h"
#include "messageboxcatcher.h"
#include "qtprint.h"
#include "spinedit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

using namespace std::chrono_literals;

namespace {

class ConfigurationPageTest : public WindowTest {
protected:
    TConfigurationPage &Page() { return *form->TabSheet3; }
    void ShowPage() { form->PageControl1->setCurrentIndex(1); }
};

TEST_F(ConfigurationPageTest, AnUnsavedRatioAppliesAtOnceAndCancelRestoresIt)
{
    WriteSettings();
    Start();
    ShowPage();
    Page().RatioEdits[0]->setText("2");
    board.Send(QByteArray("\xff\x03", 2));
    ASSERT_TRUE(WaitFor([&] { return DisplayText(1) == "2,498 V"; }));
    Click(Page().BitBtn7);
    EXPECT_EQ(Page().RatioEdits[0]->text(), "1");
    EXPECT_EQ(form->PageControl1->currentIndex(), 0);
}

TEST_F(ConfigurationPageTest, CancelRestoresEveryFieldButTheBoardTitle)
{
    WriteSettings("COM1", "[CANAL 1]\r\nT\xedtulo=Tens\xe3o\r\n");
    Start();
    ShowPage();
    Page().Edit2->setText("Bancada 2");
    Page().ComboBox2->setCurrentIndex(3);
    for (int i = 0; i < 5; ++i) {
        Page().RecordBoxes[i]->setChecked(false);
        Page().TitleEdits[i]->setText("editado");
        Page().SpinEdits[i]->SetText("1");
        Page().RatioEdits[i]->setText("9");
        Page().UnitEdits[i]->setText("mA");
    }
    Click(Page().BitBtn7);
    EXPECT_EQ(Page().Edit2->text(), "Bancada 2");
    EXPECT_EQ(Page().ComboBox2->currentText(), "COM1");
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i + 1);
        EXPECT_TRUE(Page().RecordBoxes[i]->isChecked());
        EXPECT_EQ(Page().TitleEdits[i]->text(), i == 0 ? "Tensão" : QString("Canal %1").arg(i + 1));
        EXPECT_EQ(Page().SpinEdits[i]->text(), "3");
        EXPECT_EQ(Page().RatioEdits[i]->text(), "1");
        EXPECT_EQ(Page().UnitEdits[i]->text(), "V");
    }
    EXPECT_EQ(form->PageControl1->currentIndex(), 0);
    EXPECT_EQ(form->TitleLabels[0]->text(), "Tensão");
}

TEST_F(ConfigurationPageTest, SavedSettingsSurviveARestart)
{
    WriteSettings();
    Start();
    ShowPage();
    Click(Page().RecordBoxes[2]);
    EXPECT_FALSE(Page().RecordBoxes[2]->isChecked());
    Page().ComboBox2->setCurrentIndex(1);
    Click(Page().BitBtn1);
    EXPECT_EQ(form->PageControl1->currentIndex(), 1);
    EXPECT_EQ(form->StatusPanels[0]->text(), "Porta: COM1");
    Stop();

    Start();
    EXPECT_FALSE(Page().RecordBoxes[2]->isChecked());
    EXPECT_TRUE(Page().RecordBoxes[1]->isChecked());
    EXPECT_EQ(Page().ComboBox2->currentText(), "COM2");
    EXPECT_EQ(form->StatusPanels[0]->text(), "Porta: COM2");
}

TEST_F(ConfigurationPageTest, SavingWithoutTheFileShowsTheMessageAndCreatesNothing)
{
    WriteSettings();
    Start();
    ShowPage();
    ASSERT_TRUE(QFile::remove(Path()));
    MessageBoxCatcher boxes;
    Click(Page().BitBtn1);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Arquivo de configuração não encontrado!");
    EXPECT_EQ(boxes.boxes[0].title, ProgramTitle(QCoreApplication::applicationFilePath()));
    EXPECT_FALSE(QFile::exists(Path()));
    EXPECT_EQ(form->PageControl1->currentIndex(), 1);

    Page().TitleEdits[0]->setText("editado");
    Click(Page().BitBtn7);
    EXPECT_EQ(Page().TitleEdits[0]->text(), "editado");
    EXPECT_EQ(form->PageControl1->currentIndex(), 0);
    EXPECT_EQ(boxes.boxes.size(), 1u);
}

TEST_F(ConfigurationPageTest, APrecisionLoadedAsSevenIsShownThenLimited)
{
    WriteSettings("COM1", "[CANAL 2]\r\nPrecis\xe3o=7\r\n");
    Start();
    ShowPage();
    EXPECT_EQ(Page().SpinEdits[1]->text(), "7");
    QTest::keyClick(Page().SpinEdits[1], Qt::Key_Up);
    EXPECT_EQ(Page().SpinEdits[1]->text(), "3");
}

TEST_F(ConfigurationPageTest, KeyboardOrderOfThePage)
{
    WriteSettings();
    Start();
    ShowPage();
    QList<QWidget *> expected;
    expected.append(QList<QWidget *>(Page().TitleEdits.begin(), Page().TitleEdits.end()));
    expected.append(QList<QWidget *>(Page().SpinEdits.begin(), Page().SpinEdits.end()));
    expected.append(QList<QWidget *>(Page().RatioEdits.begin(), Page().RatioEdits.end()));
    expected.append(QList<QWidget *>(Page().UnitEdits.begin(), Page().UnitEdits.end()));
    expected << Page().ComboBox2;
    expected.append(QList<QWidget *>(Page().RecordBoxes.begin(), Page().RecordBoxes.end()));
    expected << Page().BitBtn1 << Page().BitBtn7 << Page().Edit2;
    const auto walked = TabWalk(expected.first(), expected.size());
    EXPECT_EQ(walked, expected);
}

TEST_F(ConfigurationPageTest, EveryControlIsFullyVisible)
{
    WriteSettings();
    Start();
    ShowPage();
    const QRect page = Page().rect();
    for (QWidget *child : Page().findChildren<QWidget *>()) {
        if (!child->isVisibleTo(&Page()) || child->parentWidget() == nullptr)
            continue;
        SCOPED_TRACE(child->metaObject()->className());
        const QRect inParent = child->parentWidget()->rect();
        EXPECT_TRUE(inParent.contains(child->geometry())) << "outside its parent";
        const QRect onPage(child->mapTo(&Page(), QPoint(0, 0)), child->size());
        EXPECT_TRUE(page.contains(onPage)) << "outside the page";
        if (auto *label = qobject_cast<QLabel *>(child)) {
            EXPECT_GE(label->width(), label->sizeHint().width()) << label->text().toStdString();
        }
    }
}

} // namespace
