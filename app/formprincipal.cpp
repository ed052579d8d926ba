#include "formprincipal.h"

#include "autoreader.h"
#include "chartpage.h"
#include "configuration.h"
#include "configurationpage.h"
#include "errorbox.h"
#include "inifile.h"
#include "portmap.h"
#include "serialportng.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QThread>

namespace {

constexpr int BaudRate = 19200;
// The read command of each channel.
constexpr char ReadCommands[5] = {'k', 'l', 'm', 'n', 'o'};
constexpr char CloseCommand = 'F';

QFont WindowFont(int pixelSize)
{
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    font.setPixelSize(pixelSize);
    return font;
}

varnix::NumberFormat LocaleNumberFormat()
{
    const QLocale locale = QLocale::system();
    const bool grouping = !(locale.numberOptions() & QLocale::OmitGroupSeparator);
    return {locale.decimalPoint().toStdString(), grouping ? locale.groupSeparator().toStdString() : std::string()};
}

} // namespace

TFormPrincipal::TFormPrincipal(const QString &configurationPath, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                          | Qt::WindowCloseButtonHint)
    , configurationPath_(configurationPath)
    , numberFormat_(LocaleNumberFormat())
{
    setObjectName(QStringLiteral("FormPrincipal"));
    setWindowTitle(QStringLiteral("Monitor Varnix-S"));
    setFont(WindowFont(11));
    setFixedSize(543, 368);
    move(223, 144);

    PageControl1 = new QTabWidget(this);
    PageControl1->setGeometry(0, 0, 543, 368);
    TabSheet1 = new QWidget(PageControl1);
    TabSheet3 = new TConfigurationPage(PageControl1);
    TabSheet4 = new TChartPage(history_, PageControl1);
    PageControl1->addTab(TabSheet1, QStringLiteral("Leitores"));
    PageControl1->addTab(TabSheet3, QStringLiteral("Configurações"));
    PageControl1->addTab(TabSheet4, QStringLiteral("Gráfico"));
    BuildReadingsPage();

    SerialPortNG1 = new TSerialPortNG(this);
    SerialPortNG1->OnRxClusterEvent = [this](TSerialPortNG &sender) { SerialPortNG1RxClusterEvent(sender); };

    AutoReader = new TAutoReader(
        [this] {
            std::vector<int> channels;
            for (int ch = 1; ch <= 5; ++ch)
                if (TabSheet3->RecordFlag(ch))
                    channels.push_back(ch);
            return channels;
        },
        [this](int channel) { ReadChannel(channel); }, this);

    connect(PageControl1, &QTabWidget::currentChanged, this, [this](int index) {
        if (index == 0)
            Guard([this] { TabSheet1Show(); });
        else if (index == 2)
            Guard([this] { ChartPageShow(); });
    });
    connect(TabSheet3->Edit2, &QLineEdit::textChanged, TabSheet4, &TChartPage::SetTitle);
    OnClick(TabSheet4->ExportButton, &TFormPrincipal::ExportCsvClick);
    OnClick(TabSheet4->ClearButton, &TFormPrincipal::ClearClick);
    connect(TabSheet4->AutoReading, &QCheckBox::toggled, this, [this](bool on) { Guard([this, on] { AutoReadingToggled(on); }); });
    connect(TabSheet4->IntervalSeconds, &QSpinBox::valueChanged, this,
            [this](int seconds) { AutoReader->SetInterval(seconds * 1000); });
    OnClick(TabSheet3->BitBtn1, &TFormPrincipal::BitBtn1Click);
    OnClick(TabSheet3->BitBtn7, &TFormPrincipal::BitBtn7Click);

    Guard([this] { FormCreate(); });
    TabSheet4->SetTitle(TabSheet3->BoardTitle());
}

// The link goes first: its worker must not hand a cluster to a window whose
// pages are already gone.
TFormPrincipal::~TFormPrincipal()
{
    delete SerialPortNG1;
}

void TFormPrincipal::BuildReadingsPage()
{
    TabSheet1->setFont(WindowFont(16));

    // Colours through palettes rather than style sheets, which cost the
    // window a noticeable part of its start-up.
    auto *panel = new QFrame(TabSheet1);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setGeometry(22, 16, 493, 225);
    QPalette panelColours = panel->palette();
    panelColours.setColor(QPalette::Window, QColor(192, 220, 192));
    panel->setPalette(panelColours);
    panel->setAutoFillBackground(true);
    Panel1 = panel;

    QFont displayFont;
    displayFont.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    displayFont.setPixelSize(40);
    QPalette displayColours;
    displayColours.setColor(QPalette::Base, Qt::black);
    displayColours.setColor(QPalette::Text, QColor(0, 255, 0));
    const QPoint displayAt[5] = {{16, 8}, {256, 8}, {16, 80}, {256, 80}, {16, 152}};
    for (int i = 0; i < 5; ++i) {
        const QString channel = QStringLiteral("Canal %1").arg(i + 1);
        auto *display = new QLineEdit(QStringLiteral("0,000"), Panel1);
        display->setObjectName(QStringLiteral("MaskEdit%1").arg(i + 1));
        display->setGeometry(QRect(displayAt[i], QSize(displayAt[i].x() == 16 ? 233 : 225, 51)));
        display->setReadOnly(true);
        display->setFont(displayFont);
        display->setPalette(displayColours);
        display->setAccessibleName(channel);
        Displays[i] = display;

        auto *label = new QLabel(channel, Panel1);
        label->setFont(WindowFont(11));
        label->move(displayAt[i] + QPoint(0, 56));
        label->adjustSize();
        TitleLabels[i] = label;
    }

    BitBtn3 = new QPushButton(style()->standardIcon(QStyle::SP_DialogCloseButton), QStringLiteral("&Fechar"), TabSheet1);
    BitBtn3->setGeometry(448, 267, 84, 33);
    connect(BitBtn3, &QPushButton::clicked, this, &QWidget::close);

    for (int i = 0; i < 5; ++i) {
        auto *button = new QPushButton(QStringLiteral("Lê Canal %1").arg(i + 1), TabSheet1);
        button->setGeometry(88 * i, 272, 81, 25);
        connect(button, &QPushButton::clicked, this, [this, i] { Guard([this, i] { ReadChannel(i + 1); }); });
        ReadButtons[i] = button;
    }

    StatusBar1 = new QStatusBar(TabSheet1);
    StatusBar1->setSizeGripEnabled(false);
    StatusBar1->setFont(WindowFont(11));
    StatusBar1->setGeometry(0, 316, 535, 24);
    StatusPanels[0] = new QLabel(QStringLiteral("Porta:"));
    StatusPanels[0]->setFixedWidth(100);
    StatusPanels[1] = new QLabel(QStringLiteral("Velocidade:"));
    StatusBar1->addWidget(StatusPanels[0]);
    StatusBar1->addWidget(StatusPanels[1], 1);

    // Displays 1 to 5, "&Fechar", then the read buttons.
    QList<QWidget *> order(Displays.begin(), Displays.end());
    order << BitBtn3;
    order.append(QList<QWidget *>(ReadButtons.begin(), ReadButtons.end()));
    for (int i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void TFormPrincipal::OnClick(QPushButton *button, void (TFormPrincipal::*handler)())
{
    connect(button, &QPushButton::clicked, this, [this, handler] { Guard([this, handler] { (this->*handler)(); }); });
}

void TFormPrincipal::Guard(const std::function<void()> &handler)
{
    try {
        handler();
    } catch (const std::exception &error) {
        ShowErrorBox(this, QString::fromUtf8(error.what()));
    }
}

void TFormPrincipal::FormCreate()
{
    varnix::LoadConfiguration(configurationPath_, *TabSheet3);
    const QString port = TabSheet3->PortText();
    SerialPortNG1->SetCommPort(varnix::PortDevice(configurationPath_, port));
    SerialPortNG1->SetBaudRate(BaudRate);
    SerialPortNG1->SetActive(true);
    StatusPanels[0]->setText(QStringLiteral("Porta: ") + port);
    StatusPanels[1]->setText(QStringLiteral("Velocidade: 19200 Bps"));
}

void TFormPrincipal::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!shownOnce_ && PageControl1->currentIndex() == 0) {
        shownOnce_ = true;
        Guard([this] { TabSheet1Show(); });
    }
}

void TFormPrincipal::TabSheet1Show()
{
    if (const auto titles = varnix::ReadChannelTitles(configurationPath_)) {
        for (int i = 0; i < 5; ++i) {
            TitleLabels[i]->setText(titles->at(i));
            TitleLabels[i]->adjustSize();
        }
    }
}

void TFormPrincipal::ReadChannel(int channel)
{
    SerialPortNG1->SendText(QByteArray(1, ReadCommands[channel - 1]));
}

void TFormPrincipal::BitBtn1Click()
{
    if (varnix::SaveConfiguration(configurationPath_, *TabSheet3) == varnix::SaveResult::FileMissing)
        ShowMessage(this, QStringLiteral("Arquivo de configuração não encontrado!"));
}

void TFormPrincipal::BitBtn7Click()
{
    varnix::ReloadConfiguration(configurationPath_, *TabSheet3);
    PageControl1->setCurrentIndex(0);
}

void TFormPrincipal::SerialPortNG1RxClusterEvent(TSerialPortNG &sender)
{
    if (sender.OldestClusterSize() < 0)
        return;
    const QByteArray cluster = sender.TakeOldestCluster();
    const auto fields = [this](unsigned channel) {
        bool isInteger = false;
        const int precision = TabSheet3->PrecisionText(channel).toInt(&isInteger);
        return varnix::ChannelFields{isInteger ? precision : 0, TabSheet3->Ratio(channel).toStdString(),
                                     TabSheet3->Unit(channel).toStdString()};
    };
    const auto shown = varnix::ReadCluster(std::string_view(cluster.constData(), cluster.size()), fields, numberFormat_);
    if (!shown)
        return;
    Displays[shown->display - 1]->setText(QString::fromStdString(shown->text));
    Record(*shown);
}

// Readings shown on a channel whose record flag is ticked are kept, with the
// saved title that the readings page shows for that channel.
void TFormPrincipal::Record(const varnix::DisplayText &shown)
{
    const int channel = static_cast<int>(shown.display);
    if (!TabSheet3->RecordFlag(channel))
        return;
    const QDateTime now = QDateTime::currentDateTime();
    history_.Add(now.toMSecsSinceEpoch(), now.offsetFromUtc() / 60, shown.reading,
                 TitleLabels[channel - 1]->text().toStdString(), shown.precision, shown.ratio,
                 TabSheet3->Unit(channel).toStdString());
    TabSheet4->ReadingRecorded();
}

void TFormPrincipal::ChartPageShow()
{
    TabSheet4->EnsureChart();
    const auto titles = varnix::ReadChannelTitles(configurationPath_);
    const auto units = varnix::ReadChannelUnits(configurationPath_);
    if (titles && units)
        TabSheet4->SetLegend(*titles, *units);
    TabSheet4->Refresh();
}

void TFormPrincipal::ExportCsvClick()
{
    const QString plain = QStringLiteral("CSV, vírgula e ponto decimal (*.csv)");
    const QString local = QStringLiteral("CSV para planilha, ponto e vírgula e \"%1\" decimal (*.csv)")
                              .arg(QString::fromStdString(numberFormat_.decimalSeparator));
    QString chosen = plain;
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Exportar CSV"),
                                                      QDir::home().filePath(QStringLiteral("leituras-varnix.csv")),
                                                      plain + QStringLiteral(";;") + local, &chosen);
    if (path.isEmpty())
        return;
    ExportCsv(path, chosen == local ? varnix::CsvStyle::Locale : varnix::CsvStyle::Plain);
}

void TFormPrincipal::ExportCsv(const QString &path, varnix::CsvStyle style)
{
    varnix::WriteCsvFile(path, history_, style, numberFormat_);
}

void TFormPrincipal::ClearClick()
{
    history_.Clear();
    TabSheet4->Rebuild();
}

void TFormPrincipal::AutoReadingToggled(bool on)
{
    if (!on) {
        AutoReader->Stop();
        return;
    }
    if (!SerialPortNG1->Active()) {
        TabSheet4->AutoReading->setChecked(false);
        return;
    }
    AutoReader->Start(TabSheet4->IntervalSeconds->value() * 1000);
}

void TFormPrincipal::closeEvent(QCloseEvent *event)
{
    Guard([this] { FormClose(); });
    event->accept();
}

void TFormPrincipal::FormClose()
{
    AutoReader->Stop();
    // A command the automatic reading has just handed over may still be on
    // its way out; the closing command must not be dropped behind it.
    const QDeadlineTimer deadline(250);
    while (SerialPortNG1->SendInProgress() && !deadline.hasExpired())
        QThread::msleep(1);
    SerialPortNG1->SendText(QByteArray(1, CloseCommand));
    SerialPortNG1->SetActive(false);
}
