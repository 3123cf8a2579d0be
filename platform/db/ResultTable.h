#pragma once

#include "platform/Decimal.h"
#include "platform/db/ColumnStorage.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace db {

// A query's result kept by column as typed values, for results of many rows: no
// QVariant and no QString per cell. A text column keeps its texts as the engine gives
// them (UTF-8) one after the other, a text equal to the one above it kept once; a
// QString is made only when a cell is shown or read. Integers, exact decimals and
// dates with times are kept as numbers. NULL is a value of every kind.
class ResultTable
{
public:
    enum class Kind { Text, Integer, Decimal, DateTime };

    int rowCount() const { return m_rowCount; }
    int columnCount() const { return int(m_columns.size()); }
    QStringList columnNames() const;
    // The first column of that name (case-insensitive), or -1.
    int columnIndex(const QString &name) const;
    // The same; a missing column is a DbError, as with db::Recordset.
    int requireColumn(const QString &name) const;
    Kind kind(int column) const { return m_columns[size_t(column)].kind; }

    bool isNull(int row, int column) const;
    // Text columns: the row's text as the engine gave it, and whether it is the text of
    // the row above (kept once: a sorted result repeats its books, bills and payers).
    std::string_view utf8(int row, int column) const;
    bool repeatsRowAbove(int row, int column) const;
    std::int64_t integer(int row, int column) const { return m_columns[size_t(column)].numbers[size_t(row)]; }
    Decimal decimal(int row, int column) const;
    // DateTime columns: the day, and the time of day in milliseconds (no QDateTime, whose
    // local-time rules cost a look at the system's time zone each).
    QDate date(int row, int column) const;
    int msecsOfDay(int row, int column) const;
    QDateTime dateTime(int row, int column) const;
    // A cell as an exact number: a decimal or an integer as it is, a text read the
    // lenient way (Decimal::fromText); NULL and dates give 0.
    Decimal number(int row, int column) const;
    // The value as db::Recordset::text gives it: empty for NULL, a date at midnight as
    // "yyyy-MM-dd", other dates and times as "yyyy-MM-dd HH:mm:ss", decimals without
    // trailing zeros.
    QString text(int row, int column) const;

private:
    friend class ResultTableBuilder;
    struct Column
    {
        QString name;
        Kind kind = Kind::Text;
        bool kindFixed = false; // decided by a declaration or a first value
        TextBlocks texts;                  // Text: each text that differs from the row above's, once
        BlockVector<std::uint32_t> textAt; // Text: the address of a row's text (the row above's
                                           // for a repeat), NullText for NULL
        BlockVector<std::int64_t> numbers; // Integer; Decimal in millionths while every value fits
        BlockVector<Decimal> decimals;     // Decimal, once a value does not fit in millionths
        bool wideDecimals = false;
        BlockVector<std::int32_t> days;    // DateTime: days since 0001-01-01
        BlockVector<std::int32_t> times;   // DateTime: milliseconds of the day; none while
                                           // every value is at midnight
        std::vector<bool> nulls;           // Integer, Decimal, DateTime
    };
    static constexpr std::uint32_t NullText = TextBlocks::NoText;
    std::vector<Column> m_columns;
    int m_rowCount = 0;
};

// Fills a ResultTable a row at a time, each value given once in the engine's own form.
class ResultTableBuilder
{
public:
    // One column per name; a declared kind is kept, an undeclared one is taken from the
    // column's first value that is not NULL.
    void setColumns(const QStringList &names, const std::vector<int> &declaredKinds);
    static constexpr int Undeclared = -1;

    void addNull(int column);
    void addInteger(int column, std::int64_t value);
    // A number as the engine writes it ("1050.5", "-3").
    void addNumberText(int column, std::string_view digits);
    void addDecimal(int column, const Decimal &value);
    // UTF-8 text; a column of dates takes "yyyy-MM-dd[ HH:mm[:ss[.zzz]]]".
    void addText(int column, std::string_view utf8);
    void addString(int column, const QString &text);
    void addDateTime(int column, const QDateTime &value);
    void endRow() { ++m_table.m_rowCount; }

    // Values in the forms an ODBC driver gives them, with no QString or QDateTime made.
    // Wide text (UTF-16), kept as UTF-8.
    void addUtf16(int column, std::u16string_view text);
    // A day and a time of day in milliseconds (a QDateTime's local time costs a look
    // at the system's time zone for each value).
    void addDateTime(int column, const QDate &date, int msecsOfDay);

    ResultTable take();

private:
    using Column = ResultTable::Column;
    Column &column(int index) { return m_table.m_columns[size_t(index)]; }
    void settle(Column &c, ResultTable::Kind kind);
    void appendText(Column &c, std::string_view utf8);
    void appendDecimal(Column &c, const Decimal &value);
    // Milliseconds since 0001-01-01.
    void appendMoment(Column &c, std::int64_t ms);
    // A column that meets a value of another kind keeps every value as text.
    void turnToText(Column &c);

    ResultTable m_table;
    std::string m_utf8; // addUtf16's text, reused from value to value
};

} // namespace db
