#include "formprincipal.h"

#include "configuration.h"
#include "configurationpage.h"
#include "errorbox.h"
#include "inifile.h"
#include "portmap.h"
#include "serialportng.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>

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
    PageControl1->addTab(TabSheet1, QStringLiteral("Leitores"));
    PageControl1->addTab(TabSheet3, QStringLiteral("Configurações"));
    BuildReadingsPage();

    SerialPortNG1 = new TSerialPortNG(this);
    SerialPortNG1->OnRxClusterEvent = [this](TSerialPortNG &sender) { SerialPortNG1RxClusterEvent(sender); };

    connect(PageControl1, &QTabWidget::currentChanged, this, [this](int index) {
        if (index == 0)
            Guard([this] { TabSheet1Show(); });
    });
    connect(TabSheet3->BitBtn1, &QPushButton::clicked, this, [this] { Guard([this] { BitBtn1Click(); }); });
    connect(TabSheet3->BitBtn7, &QPushButton::clicked, this, [this] { Guard([this] { BitBtn7Click(); }); });

    Guard([this] { FormCreate(); });
}

TFormPrincipal::~TFormPrincipal() = default;

void TFormPrincipal::BuildReadingsPage()
{
    TabSheet1->setFont(WindowFont(16));

    Panel1 = new QWidget(TabSheet1);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(22, 16, 493, 225);
    Panel1->setAttribute(Qt::WA_StyledBackground);
    Panel1->setStyleSheet(QStringLiteral("#Panel1 { background: rgb(192,220,192); border: 1px outset rgb(224,240,224); }"));

    QFont displayFont;
    displayFont.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    displayFont.setPixelSize(40);
    const QPoint displayAt[5] = {{16, 8}, {256, 8}, {16, 80}, {256, 80}, {16, 152}};
    for (int i = 0; i < 5; ++i) {
        const QString channel = QStringLiteral("Canal %1").arg(i + 1);
        auto *display = new QLineEdit(QStringLiteral("0,000"), Panel1);
        display->setObjectName(QStringLiteral("MaskEdit%1").arg(i + 1));
        display->setGeometry(QRect(displayAt[i], QSize(displayAt[i].x() == 16 ? 233 : 225, 51)));
        display->setReadOnly(true);
        display->setFont(displayFont);
        display->setStyleSheet(QStringLiteral("QLineEdit { background: black; color: rgb(0,255,0); border: 1px solid gray; }"));
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
    if (shown)
        Displays[shown->display - 1]->setText(QString::fromStdString(shown->text));
}

void TFormPrincipal::closeEvent(QCloseEvent *event)
{
    Guard([this] { FormClose(); });
    event->accept();
}

void TFormPrincipal::FormClose()
{
    SerialPortNG1->SendText(QByteArray(1, CloseCommand));
    SerialPortNG1->SetActive(false);
}
