#pragma once

// The main window: the readings page "Leitores" with its five displays and
// read buttons, and the configuration page. It wires the controls to the
// board link and to the settings file, and keeps no state of its own.

#include "csvexport.h"
#include "reading.h"
#include "readinghistory.h"

#include <QWidget>

#include <array>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class QStatusBar;
class QTabWidget;
class TAutoReader;
class TChartPage;
class TConfigurationPage;
class TSerialPortNG;

class TFormPrincipal : public QWidget {
    Q_OBJECT
public:
    // configurationPath is the settings file; start-up (FormCreate) runs here.
    explicit TFormPrincipal(const QString &configurationPath, QWidget *parent = nullptr);
    ~TFormPrincipal() override;

    const QString &ConfigurationPath() const { return configurationPath_; }

    // Runs a handler; an error it throws is shown in the standard error box
    // and the rest of the handler is skipped.
    void Guard(const std::function<void()> &handler);

    void FormCreate();
    void FormClose();
    void TabSheet1Show();
    void ReadChannel(int channel); // BitBtn2Click, BitBtn4Click, ... BitBtn8Click
    void BitBtn1Click();           // "Salvar"
    void BitBtn7Click();           // "Cancelar"
    void SerialPortNG1RxClusterEvent(TSerialPortNG &sender);
    void ChartPageShow();
    void ExportCsvClick();                                      // "Exportar CSV"
    void ExportCsv(const QString &path, varnix::CsvStyle style); // throws when it cannot write
    void ClearClick();                                          // "Limpar"
    void AutoReadingToggled(bool on);

    const varnix::ReadingHistory &History() const { return history_; }

    QTabWidget *PageControl1;
    QWidget *TabSheet1;
    TConfigurationPage *TabSheet3;
    TChartPage *TabSheet4;
    TAutoReader *AutoReader;
    QWidget *Panel1;
    std::array<QLineEdit *, 5> Displays;   // MaskEdit1 .. MaskEdit5
    std::array<QLabel *, 5> TitleLabels;   // Label1 .. Label5
    std::array<QPushButton *, 5> ReadButtons; // BitBtn2, BitBtn4, BitBtn5, BitBtn6, BitBtn8
    QPushButton *BitBtn3; // "&Fechar"
    QStatusBar *StatusBar1;
    std::array<QLabel *, 2> StatusPanels;
    TSerialPortNG *SerialPortNG1;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void BuildReadingsPage();
    // A button whose click runs the handler through Guard.
    void OnClick(QPushButton *button, void (TFormPrincipal::*handler)());

    void Record(const varnix::DisplayText &shown);

    QString configurationPath_;
    varnix::NumberFormat numberFormat_;
    varnix::ReadingHistory history_;
    bool shownOnce_ = false;
};
