#pragma once

#include <QRadioButton>

// An option button: one choice of a group, true when chosen.
class OptionButton : public QRadioButton
{
    Q_OBJECT
public:
    explicit OptionButton(const QString &caption = {}, QWidget *parent = nullptr);

    bool value() const;
    void setValue(bool chosen);
};
