#include "configurationpage.h"

#include "configuration.h"
#include "spinedit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

// The page keeps the window's 535-pixel page width: groups and columns sit
// closer together than on the Windows form, in the same order and grouping.
constexpr int TitleX = 56, PrecisionX = 168, RatioX = 280, UnitX = 392, FieldWidth = 105;
constexpr int RowTop[5] = {32, 56, 80, 104, 128};

QLabel *MakeLabel(const QString &text, QWidget *parent, int x, int y)
{
    auto *label = new QLabel(text, parent);
    label->move(x, y);
    label->adjustSize();
    return label;
}

QLineEdit *MakeEdit(QWidget *parent, const QRect &geometry, const QString &text, const QString &name)
{
    auto *edit = new QLineEdit(text, parent);
    edit->setGeometry(geometry);
    edit->setAccessibleName(name);
    return edit;
}

void MakeSeparator(QWidget *parent, int x, int y, int width)
{
    auto *line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(x, y, width, 2);
}

} // namespace

TConfigurationPage::TConfigurationPage(QWidget *parent)
    : QWidget(parent)
{
    Label6 = MakeLabel(QStringLiteral("Título do Gráfico"), this, 8, 32);
    Edit2 = MakeEdit(this, {8, 48, 177, 21}, QStringLiteral("Placa de aquisição Varnix-S"),
                     QStringLiteral("Título do Gráfico"));

    GroupBox1 = new QGroupBox(QStringLiteral("Comunicação"), this);
    GroupBox1->setGeometry(192, 16, 150, 89);
    Label7 = MakeLabel(QStringLiteral("Porta"), GroupBox1, 8, 16);
    ComboBox2 = new QComboBox(GroupBox1);
    ComboBox2->addItems(varnix::PortNames);
    ComboBox2->setGeometry(8, 32, 134, 21);
    ComboBox2->setAccessibleName(QStringLiteral("Porta"));

    GroupBox4 = new QGroupBox(QStringLiteral("Registro dos dados"), this);
    GroupBox4->setGeometry(350, 16, 177, 89);
    const QPoint boxAt[5] = {{16, 16}, {16, 40}, {16, 64}, {96, 16}, {96, 40}};
    for (int i = 0; i < 5; ++i) {
        RecordBoxes[i] = new QCheckBox(QStringLiteral("Canal %1").arg(i + 1), GroupBox4);
        RecordBoxes[i]->setGeometry(QRect(boxAt[i], QSize(65, 17)));
        RecordBoxes[i]->setChecked(true);
    }

    MakeSeparator(this, 8, 120, 519);

    GroupBox2 = new QGroupBox(QStringLiteral("Visualização dos canais"), this);
    GroupBox2->setGeometry(8, 136, 519, 161);
    MakeLabel(QStringLiteral("Título"), GroupBox2, TitleX + 24, 16);
    MakeLabel(QStringLiteral("Precisão(casas decimais)"), GroupBox2, PrecisionX, 16);
    MakeLabel(QStringLiteral("Rel. volt/unid."), GroupBox2, RatioX + 32, 16);
    MakeLabel(QStringLiteral("Unidade"), GroupBox2, UnitX + 32, 16);
    for (int i = 0; i < 5; ++i) {
        const int y = RowTop[i];
        const QString channel = QStringLiteral("Canal %1").arg(i + 1);
        RowLabels[i] = MakeLabel(channel + QLatin1Char(':'), GroupBox2, 8, y);
        TitleEdits[i] = MakeEdit(GroupBox2, {TitleX, y, FieldWidth, 21}, channel, channel + QStringLiteral(": título"));
        SpinEdits[i] = new TSpinEdit(GroupBox2);
        SpinEdits[i]->setGeometry(PrecisionX, y, FieldWidth, 22);
        SpinEdits[i]->setAccessibleName(channel + QStringLiteral(": precisão"));
        RatioEdits[i] = MakeEdit(GroupBox2, {RatioX, y, FieldWidth, 21}, QStringLiteral("1"),
                                 channel + QStringLiteral(": relação volt/unidade"));
        UnitEdits[i] = MakeEdit(GroupBox2, {UnitX, y, FieldWidth, 21}, QString(), channel + QStringLiteral(": unidade"));
    }

    MakeSeparator(this, 8, 304, 519);

    BitBtn1 = new QPushButton(QStringLiteral("Salvar"), this);
    BitBtn1->setGeometry(368, 312, 75, 25);
    BitBtn7 = new QPushButton(QStringLiteral("Cancelar"), this);
    BitBtn7->setGeometry(448, 312, 75, 25);

    // Down each column of the channel grid, then the port, the record flags,
    // the two buttons and last the board title.
    QList<QWidget *> order;
    const auto append = [&order](const auto &column) {
        for (QWidget *field : column)
            order << field;
    };
    append(TitleEdits);
    append(SpinEdits);
    append(RatioEdits);
    append(UnitEdits);
    order << ComboBox2;
    append(RecordBoxes);
    order << BitBtn1 << BitBtn7 << Edit2;
    for (int i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

QString TConfigurationPage::BoardTitle() const { return Edit2->text(); }
void TConfigurationPage::SetBoardTitle(const QString &title) { Edit2->setText(title); }
QString TConfigurationPage::PortText() const { return ComboBox2->currentText(); }
void TConfigurationPage::SelectPort(int index) { ComboBox2->setCurrentIndex(index); }
bool TConfigurationPage::RecordFlag(int channel) const { return RecordBoxes.at(channel - 1)->isChecked(); }
void TConfigurationPage::SetRecordFlag(int channel, bool on) { RecordBoxes.at(channel - 1)->setChecked(on); }
QString TConfigurationPage::Title(int channel) const { return TitleEdits.at(channel - 1)->text(); }
void TConfigurationPage::SetTitle(int channel, const QString &title) { TitleEdits.at(channel - 1)->setText(title); }
QString TConfigurationPage::PrecisionText(int channel) const { return SpinEdits.at(channel - 1)->text(); }
void TConfigurationPage::SetPrecisionText(int channel, const QString &text) { SpinEdits.at(channel - 1)->SetText(text); }
QString TConfigurationPage::Ratio(int channel) const { return RatioEdits.at(channel - 1)->text(); }
void TConfigurationPage::SetRatio(int channel, const QString &ratio) { RatioEdits.at(channel - 1)->setText(ratio); }
QString TConfigurationPage::Unit(int channel) const { return UnitEdits.at(channel - 1)->text(); }
void TConfigurationPage::SetUnit(int channel, const QString &unit) { UnitEdits.at(channel - 1)->setText(unit); }
