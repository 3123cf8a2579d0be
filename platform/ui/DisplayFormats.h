#pragma once

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>

// The forms in which the windows show dates and amounts, in one place.
namespace DisplayFormats {

// The system's locale for dates, Chinese (China) where the system has none (C / POSIX).
QLocale displayLocale();

// The system's short date ("2026/12/9" in Chinese), empty for an invalid date.
QString shortDate(const QDate &date);
// A date in the system's short form read back; invalid when the text is none.
QDate fromShortDate(const QString &text);
// The system's short date and time, empty for an invalid value.
QString shortDateTime(const QDateTime &dateTime);
// "YYYY/MM/DD": 2026/12/09.
QString slashDate(const QDate &date);
// "YYYY-MM-DD": 2026-12-09.
QString isoDate(const QDate &date);
// "yyyy年mm月dd日": 2026年12月09日.
QString chineseDate(const QDate &date);
// "#0.00": at least one digit before the point, two after, halves rounded away from
// zero on the amount's decimal digits (1.005 gives 1.01).
QString amount(double value);

} // namespace DisplayFormats
