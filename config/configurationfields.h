#pragma once

// The live settings: the fields of the configuration page. The file
// operations read and write them through this interface, so that the page's
// fields stay the program's one copy of the settings.

#include <QString>

class ConfigurationFields {
public:
    virtual ~ConfigurationFields() = default;

    virtual QString BoardTitle() const = 0;
    virtual void SetBoardTitle(const QString &title) = 0;

    // The text of the selected port, and selecting the entry at index 0..4.
    virtual QString PortText() const = 0;
    virtual void SelectPort(int index) = 0;

    // channel is 1..5.
    virtual bool RecordFlag(int channel) const = 0;
    virtual void SetRecordFlag(int channel, bool on) = 0;
    virtual QString Title(int channel) const = 0;
    virtual void SetTitle(int channel, const QString &title) = 0;
    virtual QString PrecisionText(int channel) const = 0;
    virtual void SetPrecisionText(int channel, const QString &text) = 0;
    virtual QString Ratio(int channel) const = 0;
    virtual void SetRatio(int channel, const QString &ratio) = 0;
    virtual QString Unit(int channel) const = 0;
    virtual void SetUnit(int channel, const QString &unit) = 0;
};
