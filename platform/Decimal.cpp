#include "platform/Decimal.h"

#include <charconv>
#include <cstring>
#include <limits>

namespace {

constexpr std::int64_t Scale = 1000000; // 10^Decimal::Places
// The largest magnitude held: 2^127 - 1 units. Sums that would pass it stay at it.
constexpr __int128 MaxUnits = __int128((unsigned __int128)(-1) >> 1);

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\r') || c == QLatin1Char('\n')
        || c == QChar(0x3000);
}

unsigned __int128 magnitudeOf(__int128 units)
{
    return units < 0 ? (unsigned __int128)(-(units + 1)) + 1 : (unsigned __int128)units;
}

// Decimal digits of an unsigned 128-bit number.
QString digitsOf(unsigned __int128 value)
{
    char buffer[48];
    int at = sizeof buffer;
    do {
        buffer[--at] = char('0' + int(value % 10));
        value /= 10;
    } while (value != 0);
    return QString::fromLatin1(buffer + at, int(sizeof buffer) - at);
}

} // namespace

Decimal::Units Decimal::saturated(Units a, Units b, bool subtract)
{
    Units result;
    const bool overflow = subtract ? __builtin_sub_overflow(a, b, &result) : __builtin_add_overflow(a, b, &result);
    if (!overflow && result >= -MaxUnits)
        return result;
    return (subtract ? a >= b : a >= -b) ? MaxUnits : -MaxUnits;
}

Decimal Decimal::fromInteger(std::int64_t value)
{
    return Decimal(Units(value) * Scale);
}

std::optional<std::int64_t> Decimal::millionths() const
{
    static_assert(Places == 6);
    if (m_units < std::numeric_limits<std::int64_t>::min() || m_units > std::numeric_limits<std::int64_t>::max())
        return std::nullopt;
    return std::int64_t(m_units);
}

namespace {

char16_t codeOf(QChar c)
{
    return c.unicode();
}

char16_t codeOf(char c)
{
    return char16_t(static_cast<unsigned char>(c));
}

// The lenient reading of fromText over any sequence of UTF-16 or Latin-1 code units.
template<typename Units, typename Chars>
Units parseUnits(const Chars &text, Units maxUnits)
{
    Units units = 0;
    bool negative = false, seenSign = false, seenDigit = false, inFraction = false, beyond = false;
    std::int64_t fractionScale = Scale;
    for (const auto unit : text) {
        const char16_t c = codeOf(unit);
        if (isBlank(QChar(c)))
            continue;
        if (!seenSign && !seenDigit && !inFraction && (c == u'-' || c == u'+')) {
            seenSign = true;
            negative = c == u'-';
            continue;
        }
        if (c == u'.' && !inFraction) {
            inFraction = true;
            continue;
        }
        if (c < u'0' || c > u'9')
            break;
        seenDigit = true;
        const int digit = c - u'0';
        if (!inFraction) {
            Units shifted;
            if (beyond || __builtin_mul_overflow(units, Units(10), &shifted)
                || __builtin_add_overflow(shifted, Units(digit) * Scale, &units))
                beyond = true;
        } else if (fractionScale > 1 && !beyond) {
            fractionScale /= 10;
            beyond = __builtin_add_overflow(units, Units(digit) * fractionScale, &units);
        }
    }
    if (beyond)
        units = maxUnits;
    return negative ? -units : units;
}

} // namespace

Decimal Decimal::fromText(const QString &text)
{
    return Decimal(parseUnits<Units>(QStringView(text), MaxUnits));
}

Decimal Decimal::fromLatin1(std::string_view text)
{
    return Decimal(parseUnits<Units>(text, MaxUnits));
}

Decimal Decimal::operator+(Decimal other) const
{
    return Decimal(saturated(m_units, other.m_units, false));
}

Decimal Decimal::operator-(Decimal other) const
{
    return Decimal(saturated(m_units, other.m_units, true));
}

QString Decimal::toText() const
{
    const unsigned __int128 magnitude = magnitudeOf(m_units);
    QString text = digitsOf(magnitude / Scale);
    const auto fraction = std::uint64_t(magnitude % Scale);
    if (fraction != 0) {
        QString digits = QString::number(fraction).rightJustified(Places, QLatin1Char('0'));
        while (digits.endsWith(QLatin1Char('0')))
            digits.chop(1);
        text += QLatin1Char('.') + digits;
    }
    return m_units < 0 ? QLatin1Char('-') + text : text;
}

int Decimal::writeFixed2(char (&buffer)[48]) const
{
    constexpr std::uint64_t perCent = Scale / 100;
    const unsigned __int128 magnitude = magnitudeOf(m_units);
    unsigned __int128 cents = magnitude / perCent + (magnitude % perCent >= perCent / 2 ? 1 : 0);
    const bool negative = m_units < 0 && cents != 0;
    char digits[48];
    int at = sizeof digits;
    for (int i = 0; i < 2; ++i) {
        digits[--at] = char('0' + int(cents % 10));
        cents /= 10;
    }
    digits[--at] = '.';
    do {
        digits[--at] = char('0' + int(cents % 10));
        cents /= 10;
    } while (cents != 0);
    if (negative)
        digits[--at] = '-';
    const int length = int(sizeof digits) - at;
    std::memcpy(buffer, digits + at, size_t(length));
    return length;
}

double Decimal::toDouble() const
{
    // The units with the scale as an exponent, read by from_chars, which rounds to
    // the nearest double as reading the decimal text would.
    char text[64];
    int at = 48;
    unsigned __int128 magnitude = magnitudeOf(m_units);
    do {
        text[--at] = char('0' + int(magnitude % 10));
        magnitude /= 10;
    } while (magnitude != 0);
    if (m_units < 0)
        text[--at] = '-';
    int end = 48;
    text[end++] = 'e';
    text[end++] = '-';
    static_assert(Places < 10);
    text[end++] = char('0' + Places);
    double value = 0;
    std::from_chars(text + at, text + end, value);
    return value;
}

QString Decimal::toFixed2() const
{
    char buffer[48];
    return QString::fromLatin1(buffer, writeFixed2(buffer));
}
