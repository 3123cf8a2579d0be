#include "platform/db/ResultTable.h"

#include "platform/db/DbError.h"

namespace db {
namespace {

constexpr std::int64_t MsPerDay = 86400000;
const std::int64_t FirstDay = QDate(1, 1, 1).toJulianDay();

std::int64_t moment(const QDate &date, const QTime &time)
{
    return (date.toJulianDay() - FirstDay) * MsPerDay + (time.isValid() ? time.msecsSinceStartOfDay() : 0);
}

// Digits at text[at, at + count) as a number, or -1.
int digitsAt(std::string_view text, size_t at, size_t count)
{
    if (at + count > text.size())
        return -1;
    int value = 0;
    for (size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// "yyyy-MM-dd", optionally followed by " HH:mm", ":ss" and ".zzz" (or a "T" for the blank).
bool parseMoment(std::string_view text, std::int64_t &into)
{
    const int year = digitsAt(text, 0, 4), month = digitsAt(text, 5, 2), day = digitsAt(text, 8, 2);
    if (year < 0 || month < 0 || day < 0 || text[4] != '-' || text[7] != '-')
        return false;
    const QDate date(year, month, day);
    if (!date.isValid())
        return false;
    QTime time(0, 0);
    if (text.size() > 10) {
        const int hour = digitsAt(text, 11, 2), minute = digitsAt(text, 14, 2);
        if ((text[10] != ' ' && text[10] != 'T') || hour < 0 || minute < 0 || text[13] != ':')
            return false;
        int second = 0, ms = 0;
        if (text.size() > 16) {
            second = digitsAt(text, 17, 2);
            if (text[16] != ':' || second < 0)
                return false;
            if (text.size() > 19) {
                if (text[19] != '.')
                    return false;
                const std::string_view fraction = text.substr(20, 3);
                ms = digitsAt(fraction, 0, fraction.size());
                for (size_t i = fraction.size(); i < 3; ++i)
                    ms *= 10;
                if (ms < 0)
                    return false;
            }
        }
        time = QTime(hour, minute, second, ms);
        if (!time.isValid())
            return false;
    }
    into = moment(date, time);
    return true;
}

} // namespace

QStringList ResultTable::columnNames() const
{
    QStringList names;
    for (const Column &c : m_columns)
        names << c.name;
    return names;
}

int ResultTable::columnIndex(const QString &name) const
{
    for (size_t i = 0; i < m_columns.size(); ++i)
        if (m_columns[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

int ResultTable::requireColumn(const QString &name) const
{
    const int index = columnIndex(name);
    if (index < 0)
        throw DbError(-2146825023, QStringLiteral("在对应所需名称或序数的集合中，未找到项目：%1").arg(name));
    return index;
}

Decimal ResultTable::number(int row, int column) const
{
    if (isNull(row, column))
        return Decimal();
    switch (kind(column)) {
    case Kind::Decimal:
        return decimal(row, column);
    case Kind::Integer:
        return Decimal::fromInteger(integer(row, column));
    case Kind::Text:
        return Decimal::fromText(text(row, column));
    case Kind::DateTime:
        break;
    }
    return Decimal();
}

bool ResultTable::isNull(int row, int column) const
{
    const Column &c = m_columns[size_t(column)];
    return c.kind == Kind::Text ? c.textAt[size_t(row)] == NullText : bool(c.nulls[size_t(row)]);
}

std::string_view ResultTable::utf8(int row, int column) const
{
    const Column &c = m_columns[size_t(column)];
    const std::uint32_t address = c.textAt[size_t(row)];
    return address == NullText ? std::string_view() : c.texts.at(address);
}

bool ResultTable::repeatsRowAbove(int row, int column) const
{
    const Column &c = m_columns[size_t(column)];
    return row > 0 && c.textAt[size_t(row)] == c.textAt[size_t(row) - 1];
}

Decimal ResultTable::decimal(int row, int column) const
{
    const Column &c = m_columns[size_t(column)];
    return c.wideDecimals ? c.decimals[size_t(row)] : Decimal::fromMillionths(c.numbers[size_t(row)]);
}

QDate ResultTable::date(int row, int column) const
{
    return isNull(row, column) ? QDate() : QDate::fromJulianDay(FirstDay + m_columns[size_t(column)].days[size_t(row)]);
}

int ResultTable::msecsOfDay(int row, int column) const
{
    const Column &c = m_columns[size_t(column)];
    return c.times.empty() || isNull(row, column) ? 0 : c.times[size_t(row)];
}

QDateTime ResultTable::dateTime(int row, int column) const
{
    return isNull(row, column) ? QDateTime() : QDateTime(date(row, column), QTime::fromMSecsSinceStartOfDay(msecsOfDay(row, column)));
}

QString ResultTable::text(int row, int column) const
{
    if (isNull(row, column))
        return QString();
    switch (kind(column)) {
    case Kind::Text: {
        const std::string_view bytes = utf8(row, column);
        return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
    }
    case Kind::Integer:
        return QString::number(integer(row, column));
    case Kind::Decimal:
        return decimal(row, column).toText();
    case Kind::DateTime: {
        const QString day = date(row, column).toString(Qt::ISODate);
        const int ms = msecsOfDay(row, column);
        return ms == 0 ? day : day + QLatin1Char(' ') + QTime::fromMSecsSinceStartOfDay(ms).toString(QStringLiteral("HH:mm:ss"));
    }
    }
    return QString();
}

void ResultTableBuilder::setColumns(const QStringList &names, const std::vector<int> &declaredKinds)
{
    m_table = ResultTable();
    m_table.m_columns.resize(size_t(names.size()));
    for (qsizetype i = 0; i < names.size(); ++i) {
        Column &c = m_table.m_columns[size_t(i)];
        c.name = names[i];
        const int declared = size_t(i) < declaredKinds.size() ? declaredKinds[size_t(i)] : Undeclared;
        if (declared != Undeclared)
            settle(c, ResultTable::Kind(declared));
    }
}

// An undecided column holds only NULLs so far, kept as NULL texts.
void ResultTableBuilder::settle(Column &c, ResultTable::Kind kind)
{
    if (c.kindFixed)
        return;
    c.kindFixed = true;
    c.kind = kind;
    if (kind == ResultTable::Kind::Text)
        return;
    const size_t rows = c.textAt.size();
    c.textAt.clear();
    c.texts.clear();
    c.nulls.assign(rows, true);
    if (kind == ResultTable::Kind::DateTime)
        c.days.assign(rows, 0);
    else
        c.numbers.assign(rows, 0);
}

void ResultTableBuilder::addNull(int index)
{
    Column &c = column(index);
    switch (c.kind) {
    case ResultTable::Kind::Text:
        c.textAt.push_back(ResultTable::NullText);
        return;
    case ResultTable::Kind::Decimal:
        appendDecimal(c, Decimal());
        break;
    case ResultTable::Kind::DateTime:
        appendMoment(c, 0);
        break;
    case ResultTable::Kind::Integer:
        c.numbers.push_back(0);
        break;
    }
    c.nulls.push_back(true);
}

void ResultTableBuilder::addInteger(int index, std::int64_t value)
{
    Column &c = column(index);
    settle(c, ResultTable::Kind::Integer);
    switch (c.kind) {
    case ResultTable::Kind::Integer:
        c.numbers.push_back(value);
        c.nulls.push_back(false);
        return;
    case ResultTable::Kind::Decimal:
        addDecimal(index, Decimal::fromInteger(value));
        return;
    case ResultTable::Kind::DateTime:
        turnToText(c);
        [[fallthrough]];
    case ResultTable::Kind::Text:
        appendText(c, std::to_string(value));
        return;
    }
}

void ResultTableBuilder::addNumberText(int index, std::string_view digits)
{
    Column &c = column(index);
    settle(c, ResultTable::Kind::Decimal);
    if (c.kind == ResultTable::Kind::Integer) {
        // A column of whole numbers that meets a fraction keeps them all as decimals.
        c.kind = ResultTable::Kind::Decimal;
        const BlockVector<std::int64_t> integers = std::move(c.numbers);
        for (size_t row = 0; row < integers.size(); ++row)
            appendDecimal(c, Decimal::fromInteger(integers[row]));
    }
    if (c.kind == ResultTable::Kind::Decimal) {
        appendDecimal(c, Decimal::fromLatin1(digits));
        c.nulls.push_back(false);
        return;
    }
    if (c.kind == ResultTable::Kind::DateTime)
        turnToText(c);
    appendText(c, digits);
}

void ResultTableBuilder::addDecimal(int index, const Decimal &value)
{
    Column &c = column(index);
    settle(c, ResultTable::Kind::Decimal);
    if (c.kind != ResultTable::Kind::Decimal) {
        const QByteArray digits = value.toText().toLatin1();
        addNumberText(index, std::string_view(digits.constData(), size_t(digits.size())));
        return;
    }
    appendDecimal(c, value);
    c.nulls.push_back(false);
}

void ResultTableBuilder::addText(int index, std::string_view utf8)
{
    Column &c = column(index);
    settle(c, ResultTable::Kind::Text);
    if (c.kind == ResultTable::Kind::DateTime) {
        std::int64_t ms = 0;
        if (parseMoment(utf8, ms)) {
            appendMoment(c, ms);
            c.nulls.push_back(false);
            return;
        }
    }
    if (c.kind != ResultTable::Kind::Text)
        turnToText(c);
    appendText(c, utf8);
}

void ResultTableBuilder::addString(int index, const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    addText(index, std::string_view(utf8.constData(), size_t(utf8.size())));
}

void ResultTableBuilder::addDateTime(int index, const QDateTime &value)
{
    Column &c = column(index);
    settle(c, ResultTable::Kind::DateTime);
    if (c.kind != ResultTable::Kind::DateTime) {
        const QString text = value.toString(value.time() == QTime(0, 0) ? QStringLiteral("yyyy-MM-dd")
                                                                         : QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        addString(index, text);
        return;
    }
    appendMoment(c, moment(value.date(), value.time()));
    c.nulls.push_back(false);
}

void ResultTableBuilder::appendText(Column &c, std::string_view utf8)
{
    if (!c.textAt.empty() && c.textAt.back() != ResultTable::NullText && c.texts.at(c.textAt.back()) == utf8) {
        c.textAt.push_back(c.textAt.back());
        return;
    }
    c.textAt.push_back(c.texts.append(utf8));
}

void ResultTableBuilder::appendDecimal(Column &c, const Decimal &value)
{
    if (!c.wideDecimals) {
        if (const std::optional<std::int64_t> millionths = value.millionths()) {
            c.numbers.push_back(*millionths);
            return;
        }
        c.wideDecimals = true;
        for (size_t row = 0; row < c.numbers.size(); ++row)
            c.decimals.push_back(Decimal::fromMillionths(c.numbers[row]));
        c.numbers.clear();
    }
    c.decimals.push_back(value);
}

void ResultTableBuilder::appendMoment(Column &c, std::int64_t ms)
{
    c.days.push_back(std::int32_t(ms / MsPerDay));
    const auto time = std::int32_t(ms % MsPerDay);
    if (time != 0 && c.times.empty())
        c.times.assign(c.days.size() - 1, 0);
    if (time != 0 || !c.times.empty())
        c.times.push_back(time);
}

void ResultTableBuilder::turnToText(Column &c)
{
    const int index = int(&c - m_table.m_columns.data());
    std::vector<QString> texts;
    const size_t rows = c.nulls.size();
    for (size_t row = 0; row < rows; ++row)
        texts.push_back(m_table.text(int(row), index));
    const std::vector<bool> nulls = c.nulls;
    c.kind = ResultTable::Kind::Text;
    c.numbers.clear();
    c.decimals.clear();
    c.wideDecimals = false;
    c.days.clear();
    c.times.clear();
    c.nulls.clear();
    for (size_t row = 0; row < rows; ++row) {
        if (nulls[row]) {
            c.textAt.push_back(ResultTable::NullText);
        } else {
            const QByteArray utf8 = texts[row].toUtf8();
            appendText(c, std::string_view(utf8.constData(), size_t(utf8.size())));
        }
    }
}

namespace {

// UTF-16 as UTF-8 into `into`; a surrogate without its pair becomes '?', as QString::toUtf8 makes it.
void appendUtf8(std::u16string_view text, std::string &into)
{
    auto put = [&into](char32_t c) {
        if (c < 0x80) {
            into += char(c);
        } else if (c < 0x800) {
            into += char(0xC0 | (c >> 6));
            into += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            into += char(0xE0 | (c >> 12));
            into += char(0x80 | ((c >> 6) & 0x3F));
            into += char(0x80 | (c & 0x3F));
        } else {
            into += char(0xF0 | (c >> 18));
            into += char(0x80 | ((c >> 12) & 0x3F));
            into += char(0x80 | ((c >> 6) & 0x3F));
            into += char(0x80 | (c & 0x3F));
        }
    };
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (unit < 0xD800 || unit > 0xDFFF) {
            put(unit);
        } else if (unit < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            put(0x10000 + ((char32_t(unit) - 0xD800) << 10) + (char32_t(text[i + 1]) - 0xDC00));
            ++i;
        } else {
            put(U'?');
        }
    }
}

} // namespace

void ResultTableBuilder::addUtf16(int index, std::u16string_view text)
{
    m_utf8.clear();
    appendUtf8(text, m_utf8);
    addText(index, m_utf8);
}

void ResultTableBuilder::addDateTime(int index, const QDate &date, int msecsOfDay)
{
    if (!date.isValid()) {
        addNull(index);
        return;
    }
    Column &c = column(index);
    settle(c, ResultTable::Kind::DateTime);
    const QTime time = QTime::fromMSecsSinceStartOfDay(msecsOfDay);
    if (c.kind != ResultTable::Kind::DateTime) {
        addDateTime(index, QDateTime(date, time)); // kept as text, as the other entry keeps it
        return;
    }
    appendMoment(c, moment(date, time));
    c.nulls.push_back(false);
}

ResultTable ResultTableBuilder::take()
{
    return std::move(m_table);
}

} // namespace db
