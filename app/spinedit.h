#pragma once

// The precision field: a number from 1 to 3 that only the arrows and the
// Up/Down keys change. A value the settings file supplied outside that range
// is shown as loaded and brought into it by the next step or loss of focus.

#include <QAbstractSpinBox>

class TSpinEdit : public QAbstractSpinBox {
    Q_OBJECT
public:
    static constexpr int MinValue = 1;
    static constexpr int MaxValue = 3;

    explicit TSpinEdit(QWidget *parent = nullptr);

    void SetText(const QString &text);
    // The field's text as an integer; a text that is not one counts as 1.
    int Value() const;

    void stepBy(int steps) override;
    QValidator::State validate(QString &input, int &pos) const override;

protected:
    StepEnabled stepEnabled() const override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
};
