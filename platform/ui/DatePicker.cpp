#include "platform/ui/DatePicker.h"

#include "platform/Clock.h"

#include <QLocale>

namespace {

QLocale displayLocale()
{
    const QLocale system = QLocale::system();
    return system.language() == QLocale::C ? QLocale(QLocale::Chinese, QLocale::China) : system;
}

} // namespace

DatePicker::DatePicker(QWidget *parent) : QDateEdit(Today(), parent)
{
    setCalendarPopup(true);
    setLocale(displayLocale());
    setDisplayFormat(displayLocale().dateFormat(QLocale::ShortFormat));
}

QDate DatePicker::value() const
{
    return date();
}

void DatePicker::setValue(const QDate &value)
{
    setDate(value);
}
