#include "platform/Decimal.h"

#include <limits>

namespace {

constexpr std::int64_t Scale = 1000000; // 10^Decimal::Places

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\r') || c == QLatin1Char('\n')
        || c == QChar(0x3000);
}

} // namespace

std::int64_t Decimal::saturated(__int128 value)
{
    constexpr std::int64_t max = std::numeric_limits<std::int64_t>::max();
    if (value > max)
        return max;
    if (value < -max)
        return -max;
    return std::int64_t(value);
}

Decimal Decimal::fromInteger(std::int64_t value)
{
    return Decimal(saturated(__int128(value) * Scale));
}

Decimal Decimal::fromText(const QString &text)
{
    __int128 units = 0;
    bool negative = false, seenSign = false, seenDigit = false, inFraction = false;
    std::int64_t fractionScale = Scale;
    for (QChar c : text) {
        if (isBlank(c))
            continue;
        if (!seenSign && !seenDigit && !inFraction && (c == QLatin1Char('-') || c == QLatin1Char('+'))) {
            seenSign = true;
            negative = c == QLatin1Char('-');
            continue;
        }
        if (c == QLatin1Char('.') && !inFraction) {
            inFraction = true;
            continue;
        }
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            break;
        seenDigit = true;
        const int digit = c.unicode() - '0';
        if (!inFraction) {
            if (units < __int128(std::numeric_limits<std::int64_t>::max()))
                units = units * 10 + __int128(digit) * Scale;
        } else if (fractionScale > 1) {
            fractionScale /= 10;
            units += __int128(digit) * fractionScale;
        }
    }
    return Decimal(saturated(negative ? -units : units));
}

Decimal Decimal::operator+(Decimal other) const
{
    return Decimal(saturated(__int128(m_units) + other.m_units));
}

Decimal Decimal::operator-(Decimal other) const
{
    return Decimal(saturated(__int128(m_units) - other.m_units));
}

QString Decimal::toText() const
{
    const std::uint64_t magnitude = m_units < 0 ? std::uint64_t(-m_units) : std::uint64_t(m_units);
    QString text = QString::number(magnitude / Scale);
    std::uint64_t fraction = magnitude % Scale;
    if (fraction != 0) {
        QString digits = QString::number(fraction).rightJustified(Places, QLatin1Char('0'));
        while (digits.endsWith(QLatin1Char('0')))
            digits.chop(1);
        text += QLatin1Char('.') + digits;
    }
    return m_units < 0 ? QLatin1Char('-') + text : text;
}

QString Decimal::toFixed2() const
{
    constexpr std::uint64_t perCent = Scale / 100;
    const std::uint64_t magnitude = m_units < 0 ? std::uint64_t(-m_units) : std::uint64_t(m_units);
    const std::uint64_t cents = (magnitude + perCent / 2) / perCent;
    const QString text = QStringLiteral("%1.%2").arg(cents / 100).arg(cents % 100, 2, 10, QLatin1Char('0'));
    return m_units < 0 && cents != 0 ? QLatin1Char('-') + text : text;
}
