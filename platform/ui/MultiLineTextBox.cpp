#include "platform/ui/MultiLineTextBox.h"

MultiLineTextBox::MultiLineTextBox(QWidget *parent) : QPlainTextEdit(parent)
{
    setTabChangesFocus(true);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
}

QString MultiLineTextBox::text() const
{
    return toPlainText();
}

void MultiLineTextBox::setText(const QString &text)
{
    setPlainText(text);
}

bool MultiLineTextBox::locked() const
{
    return isReadOnly();
}

void MultiLineTextBox::setLocked(bool locked)
{
    setReadOnly(locked);
}
