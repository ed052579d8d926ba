#pragma once

// The page "Configurações": the board's and the five channels' settings.
// Its fields are the live settings that every reading uses.

#include "configurationfields.h"

#include <QWidget>

#include <array>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TSpinEdit;

class TConfigurationPage : public QWidget, public ConfigurationFields {
    Q_OBJECT
public:
    explicit TConfigurationPage(QWidget *parent = nullptr);

    QString BoardTitle() const override;
    void SetBoardTitle(const QString &title) override;
    QString PortText() const override;
    void SelectPort(int index) override;
    bool RecordFlag(int channel) const override;
    void SetRecordFlag(int channel, bool on) override;
    QString Title(int channel) const override;
    void SetTitle(int channel, const QString &title) override;
    QString PrecisionText(int channel) const override;
    void SetPrecisionText(int channel, const QString &text) override;
    QString Ratio(int channel) const override;
    void SetRatio(int channel, const QString &ratio) override;
    QString Unit(int channel) const override;
    void SetUnit(int channel, const QString &unit) override;

    QLabel *Label6;
    QLineEdit *Edit2;
    QGroupBox *GroupBox1;
    QLabel *Label7;
    QComboBox *ComboBox2;
    QGroupBox *GroupBox4;
    std::array<QCheckBox *, 5> RecordBoxes;  // CheckBox6 .. CheckBox10
    QGroupBox *GroupBox2;
    std::array<QLabel *, 5> RowLabels;       // Label11 .. Label15
    std::array<QLineEdit *, 5> TitleEdits;   // Edit1, Edit5, Edit9, Edit13, Edit17
    std::array<TSpinEdit *, 5> SpinEdits;    // SpinEdit1 .. SpinEdit5
    std::array<QLineEdit *, 5> RatioEdits;   // Edit3, Edit7, Edit11, Edit15, Edit19
    std::array<QLineEdit *, 5> UnitEdits;    // Edit4, Edit8, Edit12, Edit16, Edit20
    QPushButton *BitBtn1; // "Salvar"
    QPushButton *BitBtn7; // "Cancelar"
};
