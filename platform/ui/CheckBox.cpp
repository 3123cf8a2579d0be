#include "platform/ui/CheckBox.h"

CheckBox::CheckBox(const QString &caption, QWidget *parent) : QCheckBox(caption, parent)
{
    connect(this, &QCheckBox::stateChanged, this, [this](int) { emit valueChanged(); });
}

int CheckBox::value() const
{
    return isChecked() ? 1 : 0;
}

void CheckBox::setValue(int value)
{
    setChecked(value != 0);
}
