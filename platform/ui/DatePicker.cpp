#include "platform/ui/DatePicker.h"

#include "platform/Clock.h"
#include "platform/ui/DisplayFormats.h"

#include <QLocale>

DatePicker::DatePicker(QWidget *parent) : QDateEdit(Today(), parent)
{
    setCalendarPopup(true);
    setLocale(DisplayFormats::displayLocale());
    setDisplayFormat(DisplayFormats::displayLocale().dateFormat(QLocale::ShortFormat));
}

QDate DatePicker::value() const
{
    return date();
}

void DatePicker::setValue(const QDate &value)
{
    setDate(value);
}
