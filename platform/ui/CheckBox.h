#pragma once

#include <QCheckBox>

// A check box with the windows' value: 1 ticked, 0 not. valueChanged reports a
// change by the operator or in code, as the windows expect of a check box's click.
class CheckBox : public QCheckBox
{
    Q_OBJECT
public:
    explicit CheckBox(const QString &caption = {}, QWidget *parent = nullptr);

    int value() const;
    void setValue(int value);

signals:
    void valueChanged();
};
