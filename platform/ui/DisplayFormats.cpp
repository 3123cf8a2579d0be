#include "platform/ui/DisplayFormats.h"

#include <cmath>

namespace DisplayFormats {

QLocale displayLocale()
{
    const QLocale system = QLocale::system();
    return system.language() == QLocale::C ? QLocale(QLocale::Chinese, QLocale::China) : system;
}

QString shortDate(const QDate &date)
{
    return date.isValid() ? displayLocale().toString(date, QLocale::ShortFormat) : QString();
}

QDate fromShortDate(const QString &text)
{
    const QLocale locale = displayLocale();
    QDate date = locale.toDate(text, QLocale::ShortFormat);
    // A short form with a two-digit year reads it in the 1900s; the windows' dates are
    // of this century.
    if (date.isValid() && !locale.dateFormat(QLocale::ShortFormat).contains(QStringLiteral("yyyy")) && date.year() < 1950)
        date = date.addYears(100);
    return date;
}

QString shortDateTime(const QDateTime &dateTime)
{
    return dateTime.isValid() ? displayLocale().toString(dateTime, QLocale::ShortFormat) : QString();
}

QString slashDate(const QDate &date)
{
    return date.isValid() ? date.toString(QStringLiteral("yyyy/MM/dd")) : QString();
}

QString isoDate(const QDate &date)
{
    return date.isValid() ? date.toString(QStringLiteral("yyyy-MM-dd")) : QString();
}

QString chineseDate(const QDate &date)
{
    return date.isValid() ? date.toString(QStringLiteral("yyyy年MM月dd日")) : QString();
}

namespace {

QString centsText(qlonglong hundredths, bool negative)
{
    // "#0.00" by hand: the windows format whole columns of amounts.
    char buffer[32];
    char *end = buffer + sizeof buffer;
    char *p = end;
    qulonglong n = qulonglong(hundredths);
    *--p = char('0' + n % 10);
    n /= 10;
    *--p = char('0' + n % 10);
    n /= 10;
    *--p = '.';
    do {
        *--p = char('0' + n % 10);
        n /= 10;
    } while (n != 0);
    if (negative)
        *--p = '-';
    return QString::fromLatin1(p, end - p);
}

} // namespace

QString amount(double value)
{
    const double magnitude = std::fabs(value);
    if (!std::isfinite(value) || magnitude < 0.005)
        return QStringLiteral("0.00");
    if (magnitude >= 1e15)
        return QString::number(value, 'f', 2);
    // Most amounts are whole cents: nearest to a cent by far less than any rounding
    // question could reach.
    const double scaled = magnitude * 100;
    const double nearest = std::round(scaled);
    if (magnitude < 1e12 && std::fabs(scaled - nearest) < 1e-6)
        return centsText(qlonglong(nearest), value < 0);
    // Otherwise the amount's decimal digits as the database gives them (15 significant
    // digits), so binary noise such as 1.00499999… for 1.005 does not decide the rounding.
    const QString digits = QString::number(magnitude, 'g', 15);
    const qsizetype point = digits.indexOf(QLatin1Char('.'));
    const QString whole = point < 0 ? digits : digits.left(point);
    const QString decimals = point < 0 ? QString() : digits.mid(point + 1);
    qlonglong hundredths = whole.toLongLong() * 100 + decimals.left(2).leftJustified(2, QLatin1Char('0')).toLongLong();
    if (decimals.size() > 2 && decimals[2] >= QLatin1Char('5'))
        ++hundredths; // half away from zero
    return centsText(hundredths, value < 0);
}

} // namespace DisplayFormats
