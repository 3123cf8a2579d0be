#pragma once

#include <QDateEdit>

// A date field with a drop-down calendar, showing the system's short date form
// (Chinese (China) where the system locale is C / POSIX). Starts at the program's today (Today()).
class DatePicker : public QDateEdit
{
    Q_OBJECT
public:
    explicit DatePicker(QWidget *parent = nullptr);

    QDate value() const;
    void setValue(const QDate &date);
};
