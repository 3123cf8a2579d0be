#pragma once

#include <QPlainTextEdit>

// A text box of several lines that wraps at its width. A locked box shows its text
// but refuses typing.
class MultiLineTextBox : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit MultiLineTextBox(QWidget *parent = nullptr);

    QString text() const;
    void setText(const QString &text);
    bool locked() const;
    void setLocked(bool locked);
};
