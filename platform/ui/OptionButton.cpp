#include "platform/ui/OptionButton.h"

OptionButton::OptionButton(const QString &caption, QWidget *parent) : QRadioButton(caption, parent) {}

bool OptionButton::value() const
{
    return isChecked();
}

void OptionButton::setValue(bool chosen)
{
    setChecked(chosen);
}
