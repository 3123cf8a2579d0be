#pragma once

#include <QDateEdit>

// A date field with a drop-down calendar, showing the system's short date form
// (Chinese (China) where the system locale is C / POSIX). Starts at the program's today (Today()).
//
// A date typed over the selected text from its start ("2025/03/15", "2025-3-5",
// "20250315") is taken as typed, year included, when the operator leaves the field,
// presses Enter or the window reads it; the arrow keys and the calendar work as in any
// date field. A typed text that names no date gives the field its previous date back.
class DatePicker : public QDateEdit
{
    Q_OBJECT
public:
    explicit DatePicker(QWidget *parent = nullptr);

    QDate value() const;
    void setValue(const QDate &date);

    // The date a typed text names, day by day: year, month and day separated by "/",
    // "-", "." or blanks, or eight digits; a year alone or a year and month keep the
    // rest of `current`. Invalid when the text names no date.
    QDate dateFromTyping(const QString &typed, const QDate &current) const;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    bool startsTyping(const QKeyEvent *event) const;
    void showTyped();
    void finishTyping() const;

    bool m_typing = false;
    QString m_typed;
};
