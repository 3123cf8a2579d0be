#include "platform/db/OdbcApi.h"

#include "platform/db/ResultTable.h"

#include <QDateTime>
#include <QLibrary>
#include <QStringView>

#include <array>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <string_view>
#include <type_traits>

namespace db {

const OdbcApi &odbcApi()
{
    static const OdbcApi api = [] {
        OdbcApi a;
#ifdef Q_OS_WIN
        static QLibrary library(QStringLiteral("odbc32"));
#else
        static QLibrary library(QStringLiteral("odbc"), 2);
#endif
        if (!library.load())
            return a;
        auto resolve = [](auto &entry, const char *name) {
            entry = reinterpret_cast<std::remove_reference_t<decltype(entry)>>(library.resolve(name));
        };
        resolve(a.allocHandle, "SQLAllocHandle");
        resolve(a.freeHandle, "SQLFreeHandle");
        resolve(a.setEnvAttr, "SQLSetEnvAttr");
        resolve(a.setConnectAttr, "SQLSetConnectAttrW");
        resolve(a.driverConnect, "SQLDriverConnectW");
        resolve(a.disconnect, "SQLDisconnect");
        resolve(a.getDiagRec, "SQLGetDiagRecW");
        resolve(a.fetch, "SQLFetch");
        resolve(a.getData, "SQLGetData");
        return a;
    }();
    return api;
}

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "the driver manager's wide characters are UTF-16");

std::vector<OdbcDiagnostic> diagnosticsOf(const OdbcApi &api, SQLSMALLINT type, SQLHANDLE handle)
{
    std::vector<OdbcDiagnostic> result;
    for (SQLSMALLINT i = 1; i < 32; ++i) {
        SQLWCHAR state[6] = {};
        SQLINTEGER native = 0;
        std::vector<SQLWCHAR> text(1024);
        SQLSMALLINT length = 0;
        SQLRETURN r = api.getDiagRec(type, handle, i, state, &native, text.data(), SQLSMALLINT(text.size()), &length);
        if (r == SQL_SUCCESS_WITH_INFO && length >= SQLSMALLINT(text.size())) {
            text.resize(size_t(length) + 1);
            r = api.getDiagRec(type, handle, i, state, &native, text.data(), SQLSMALLINT(text.size()), &length);
        }
        if (!SQL_SUCCEEDED(r))
            break;
        OdbcDiagnostic d;
        d.state.assign(reinterpret_cast<const char16_t *>(state), 5);
        d.native = int(native);
        d.text.assign(reinterpret_cast<const char16_t *>(text.data()),
                      size_t(qBound<SQLSMALLINT>(0, length, SQLSMALLINT(text.size() - 1))));
        result.push_back(std::move(d));
    }
    return result;
}

namespace {

// How a column's values are read from the driver, by the column's SQL type.
// Dates are read as dates with times (of midnight).
enum class Reading { Whole, Digits, Real, Moment, Time, Bytes, Text };

// Decimals are read as doubles, as Qt's driver reads them, or as the driver's digits (exact).
Reading readingOf(int sqlType, bool decimalsAsDigits)
{
    switch (sqlType) {
    case SQL_BIT:
    case SQL_TINYINT:
    case SQL_SMALLINT:
    case SQL_INTEGER:
    case SQL_BIGINT:
        return Reading::Whole;
    case SQL_DECIMAL:
    case SQL_NUMERIC:
        return decimalsAsDigits ? Reading::Digits : Reading::Real;
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE:
        return Reading::Real;
    case SQL_DATE:
    case SQL_TYPE_DATE:
    case SQL_TIMESTAMP:
    case SQL_TYPE_TIMESTAMP:
        return Reading::Moment;
    case SQL_TIME:
    case SQL_TYPE_TIME:
        return Reading::Time;
    case SQL_BINARY:
    case SQL_VARBINARY:
    case SQL_LONGVARBINARY:
        return Reading::Bytes;
    default:
        return Reading::Text;
    }
}

// Where the values of a result go, a row at a time, each in the form the driver gave it.
class RowSink
{
public:
    virtual ~RowSink() = default;
    virtual void startRow() = 0;
    virtual void endRow() = 0;
    virtual void null(int column) = 0;
    virtual void whole(int column, std::int64_t value) = 0;
    virtual void digits(int column, std::string_view digits) = 0;
    virtual void real(int column, double value) = 0;
    virtual void time(int column, const SQL_TIME_STRUCT &value) = 0;
    virtual void moment(int column, const SQL_TIMESTAMP_STRUCT &value) = 0;
    virtual void bytes(int column, std::string_view value) = 0;
    virtual void text(int column, std::u16string_view value) = 0;
};

// Reads the values of the current row of a statement, keeping its buffers from value to value.
class ValueReader
{
public:
    ValueReader(const OdbcApi &api, SQLHSTMT statement) : m_api(api), m_statement(statement) {}

    // One column of the current row into the sink; false when the driver failed.
    bool read(int c, Reading reading, RowSink &sink)
    {
        switch (reading) {
        case Reading::Whole:
            return readFixed<SQLBIGINT>(c, SQL_C_SBIGINT, sink, [&](SQLBIGINT n) { sink.whole(c, n); });
        case Reading::Digits:
            // Up to 38 digits, a sign, a point and the terminating zero the driver writes.
            return readFixed<std::array<char, 64>>(c, SQL_C_CHAR, sink, [&](const std::array<char, 64> &text) {
                sink.digits(c, std::string_view(text.data()));
            });
        case Reading::Real:
            return readFixed<SQLDOUBLE>(c, SQL_C_DOUBLE, sink, [&](SQLDOUBLE d) { sink.real(c, d); });
        case Reading::Time:
            return readFixed<SQL_TIME_STRUCT>(c, SQL_C_TYPE_TIME, sink, [&](const SQL_TIME_STRUCT &t) { sink.time(c, t); });
        case Reading::Moment:
            return readFixed<SQL_TIMESTAMP_STRUCT>(c, SQL_C_TYPE_TIMESTAMP, sink,
                                                   [&](const SQL_TIMESTAMP_STRUCT &t) { sink.moment(c, t); });
        case Reading::Bytes:
            return readPieces(c, SQL_C_BINARY, m_bytes, sink,
                              [&](const char *bytes, size_t size) { sink.bytes(c, std::string_view(bytes, size)); });
        case Reading::Text:
            return readPieces(c, SQL_C_WCHAR, m_text, sink, [&](const SQLWCHAR *text, size_t size) {
                sink.text(c, std::u16string_view(reinterpret_cast<const char16_t *>(text), size));
            });
        }
        return false;
    }

private:
    // A value of a fixed size, given to `take` (NULL to the sink's null).
    template<typename Value, typename Take>
    bool readFixed(int c, SQLSMALLINT cType, RowSink &sink, Take take)
    {
        Value value{};
        SQLLEN length = 0;
        if (!SQL_SUCCEEDED(m_api.getData(m_statement, SQLUSMALLINT(c + 1), cType, &value, sizeof(value), &length)))
            return false;
        if (length == SQL_NULL_DATA)
            sink.null(c);
        else
            take(value);
        return true;
    }

    // A text or binary value, read piece by piece until the driver has given all of it,
    // into `buffer` (grown as needed and kept for the next value), then given to `take`.
    template<typename Unit, typename Take>
    bool readPieces(int c, SQLSMALLINT cType, std::vector<Unit> &buffer, RowSink &sink, Take take)
    {
        constexpr SQLLEN Piece = 4096;
        // A text piece ends with a terminating zero the driver writes; binary pieces do not.
        constexpr SQLLEN Terminator = std::is_same_v<Unit, SQLWCHAR> ? SQLLEN(sizeof(SQLWCHAR)) : 0;
        size_t size = 0;
        for (;;) {
            if (buffer.size() < size + size_t(Piece) / sizeof(Unit))
                buffer.resize(size + size_t(Piece) / sizeof(Unit));
            SQLLEN length = 0;
            const SQLRETURN r = m_api.getData(m_statement, SQLUSMALLINT(c + 1), cType, buffer.data() + size, Piece, &length);
            if (r == SQL_NO_DATA)
                break;
            if (!SQL_SUCCEEDED(r))
                return false;
            if (length == SQL_NULL_DATA) {
                sink.null(c);
                return true;
            }
            const bool more = r == SQL_SUCCESS_WITH_INFO && (length == SQL_NO_TOTAL || length > Piece - Terminator);
            size += size_t(more ? Piece - Terminator : length) / sizeof(Unit);
            if (!more)
                break;
        }
        take(buffer.data(), size);
        return true;
    }

    const OdbcApi &m_api;
    SQLHSTMT m_statement;
    std::vector<SQLWCHAR> m_text;
    std::vector<char> m_bytes;
};

// Every row of the result into the sink, each column read its way.
std::vector<OdbcDiagnostic> readRows(SQLHSTMT statement, const std::vector<Reading> &readings, RowSink &sink)
{
    const OdbcApi &api = odbcApi();
    if (!api.usable())
        return {OdbcDiagnostic{u"HY000", 0, u"ODBC 驱动管理器不可用。"}};
    ValueReader reader(api, statement);
    for (;;) {
        const SQLRETURN r = api.fetch(statement);
        if (r == SQL_NO_DATA)
            return {};
        if (!SQL_SUCCEEDED(r))
            return diagnosticsOf(api, SQL_HANDLE_STMT, statement);
        sink.startRow();
        for (size_t i = 0; i < readings.size(); ++i) {
            if (!reader.read(int(i), readings[i], sink))
                return diagnosticsOf(api, SQL_HANDLE_STMT, statement);
        }
        sink.endRow();
    }
}

std::vector<Reading> readingsOf(const std::vector<int> &sqlTypes, bool decimalsAsDigits)
{
    std::vector<Reading> readings;
    for (int type : sqlTypes)
        readings.push_back(readingOf(type, decimalsAsDigits));
    return readings;
}

QVariant wholeAs(qint64 n, QMetaType::Type type)
{
    switch (type) {
    case QMetaType::Int:
        return QVariant(int(n));
    case QMetaType::UInt:
        return QVariant(uint(n));
    case QMetaType::ULongLong:
        return QVariant(qulonglong(n));
    case QMetaType::LongLong:
        return QVariant(qlonglong(n));
    default:
        return QVariant(int(n)); // a flag: the number Qt's driver gives
    }
}

// The values as Qt's driver would have given them, into a recordset's rows.
class VariantRows : public RowSink
{
public:
    VariantRows(const std::vector<QMetaType::Type> &types, const std::vector<Reading> &readings,
                const std::function<QVariant *()> &newRow)
        : m_types(types), m_readings(readings), m_newRow(newRow)
    {
    }

    void startRow() override { m_row = m_newRow(); }
    void endRow() override {}
    void null(int c) override
    {
        m_row[c] = QVariant(QMetaType(m_readings[size_t(c)] == Reading::Text ? QMetaType::QString : m_types[size_t(c)]));
    }
    void whole(int c, std::int64_t value) override { m_row[c] = wholeAs(value, m_types[size_t(c)]); }
    void digits(int c, std::string_view value) override
    {
        m_row[c] = QVariant(QByteArray(value.data(), qsizetype(value.size())).toDouble());
    }
    void real(int c, double value) override { m_row[c] = QVariant(value); }
    void time(int c, const SQL_TIME_STRUCT &t) override { m_row[c] = QVariant(QTime(t.hour, t.minute, t.second)); }
    // A date column's value is a date, as Qt's driver reads it.
    void moment(int c, const SQL_TIMESTAMP_STRUCT &t) override
    {
        const QDate day(t.year, t.month, t.day);
        m_row[c] = m_types[size_t(c)] == QMetaType::QDate
            ? QVariant(day)
            : QVariant(QDateTime(day, QTime(t.hour, t.minute, t.second, int(t.fraction / 1000000))));
    }
    void bytes(int c, std::string_view value) override
    {
        m_row[c] = QVariant(QByteArray(value.data(), qsizetype(value.size())));
    }
    void text(int c, std::u16string_view value) override
    {
        m_row[c] = QVariant(QString::fromUtf16(value.data(), qsizetype(value.size())));
    }

private:
    const std::vector<QMetaType::Type> &m_types;
    const std::vector<Reading> &m_readings;
    const std::function<QVariant *()> &m_newRow;
    QVariant *m_row = nullptr;
};

// The values into a typed table, in the engine's forms: no QVariant, QString or QDateTime.
class TableRows : public RowSink
{
public:
    explicit TableRows(ResultTableBuilder &builder) : m_builder(builder) {}

    void startRow() override {}
    void endRow() override { m_builder.endRow(); }
    void null(int c) override { m_builder.addNull(c); }
    void whole(int c, std::int64_t value) override { m_builder.addInteger(c, value); }
    void digits(int c, std::string_view value) override { m_builder.addNumberText(c, value); }
    // Fifteen digits, as the embedded engine writes a double.
    void real(int c, double value) override
    {
        char text[32];
        const auto written = std::to_chars(text, text + sizeof(text), value, std::chars_format::general, 15);
        m_builder.addNumberText(c, std::string_view(text, size_t(written.ptr - text)));
    }
    void time(int c, const SQL_TIME_STRUCT &t) override
    {
        char text[16];
        const int length = std::snprintf(text, sizeof(text), "%02u:%02u:%02u", unsigned(t.hour), unsigned(t.minute),
                                         unsigned(t.second));
        m_builder.addText(c, std::string_view(text, size_t(qBound(0, length, int(sizeof(text)) - 1))));
    }
    void moment(int c, const SQL_TIMESTAMP_STRUCT &t) override
    {
        const int msecs = ((t.hour * 60 + t.minute) * 60 + t.second) * 1000 + int(t.fraction / 1000000);
        m_builder.addDateTime(c, QDate(t.year, t.month, t.day), msecs);
    }
    void bytes(int c, std::string_view value) override { m_builder.addText(c, value); }
    void text(int c, std::u16string_view value) override { m_builder.addUtf16(c, value); }

private:
    ResultTableBuilder &m_builder;
};

// The kind a column read that way has in a typed table.
int kindOf(Reading reading)
{
    switch (reading) {
    case Reading::Whole:
        return int(ResultTable::Kind::Integer);
    case Reading::Digits:
    case Reading::Real:
        return int(ResultTable::Kind::Decimal);
    case Reading::Moment:
        return int(ResultTable::Kind::DateTime);
    default:
        return int(ResultTable::Kind::Text);
    }
}

} // namespace

std::vector<OdbcDiagnostic> readOdbcRows(SQLHSTMT statement, const std::vector<int> &sqlTypes,
                                         const std::vector<QMetaType::Type> &types,
                                         const std::function<QVariant *()> &newRow)
{
    const std::vector<Reading> readings = readingsOf(sqlTypes, false);
    VariantRows rows(types, readings, newRow);
    return readRows(statement, readings, rows);
}

std::vector<OdbcDiagnostic> readOdbcTable(SQLHSTMT statement, const QStringList &names, const std::vector<int> &sqlTypes,
                                          ResultTableBuilder &into)
{
    const std::vector<Reading> readings = readingsOf(sqlTypes, true);
    std::vector<int> kinds;
    for (Reading reading : readings)
        kinds.push_back(kindOf(reading));
    into.setColumns(names, kinds);
    TableRows rows(into);
    return readRows(statement, readings, rows);
}

} // namespace db
