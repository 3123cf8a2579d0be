#include "platform/db/OdbcApi.h"

#include <QDateTime>
#include <QLibrary>
#include <QStringView>

#include <cstdint>
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

// A text or binary value, read piece by piece until the driver has given all of it.
template<typename Unit>
bool readPieces(const OdbcApi &api, SQLHSTMT statement, SQLUSMALLINT column, SQLSMALLINT cType,
                std::vector<Unit> &into, bool &isNull)
{
    constexpr SQLLEN Piece = 4096;
    // A text piece ends with a terminating zero the driver writes; binary pieces do not.
    constexpr SQLLEN Terminator = std::is_same_v<Unit, SQLWCHAR> ? SQLLEN(sizeof(SQLWCHAR)) : 0;
    isNull = false;
    into.clear();
    for (;;) {
        const size_t start = into.size();
        into.resize(start + size_t(Piece) / sizeof(Unit));
        SQLLEN length = 0;
        const SQLRETURN r = api.getData(statement, column, cType, into.data() + start, Piece, &length);
        if (r == SQL_NO_DATA) {
            into.resize(start);
            return true;
        }
        if (!SQL_SUCCEEDED(r))
            return false;
        if (length == SQL_NULL_DATA) {
            isNull = true;
            into.clear();
            return true;
        }
        const bool more = r == SQL_SUCCESS_WITH_INFO && (length == SQL_NO_TOTAL || length > Piece - Terminator);
        const SQLLEN got = more ? Piece - Terminator : length;
        into.resize(start + size_t(got) / sizeof(Unit));
        if (!more)
            return true;
    }
}

template<typename Number>
bool readFixed(const OdbcApi &api, SQLHSTMT statement, SQLUSMALLINT column, SQLSMALLINT cType, Number &into,
               bool &isNull)
{
    SQLLEN length = 0;
    const SQLRETURN r = api.getData(statement, column, cType, &into, sizeof(into), &length);
    isNull = length == SQL_NULL_DATA;
    return SQL_SUCCEEDED(r);
}

QVariant whole(qint64 n, QMetaType::Type type)
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

// One column of the current row; false when the driver failed.
bool readValue(const OdbcApi &api, SQLHSTMT statement, SQLUSMALLINT column, int sqlType, QMetaType::Type type,
               QVariant &value)
{
    bool isNull = false;
    bool ok = false;
    switch (sqlType) {
    case SQL_BIT:
    case SQL_TINYINT:
    case SQL_SMALLINT:
    case SQL_INTEGER:
    case SQL_BIGINT: {
        SQLBIGINT n = 0;
        ok = readFixed(api, statement, column, SQL_C_SBIGINT, n, isNull);
        value = isNull ? QVariant(QMetaType(type)) : whole(n, type);
        return ok;
    }
    case SQL_DECIMAL:
    case SQL_NUMERIC:
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE: {
        SQLDOUBLE d = 0;
        ok = readFixed(api, statement, column, SQL_C_DOUBLE, d, isNull);
        value = isNull ? QVariant(QMetaType(type)) : QVariant(double(d));
        return ok;
    }
    case SQL_DATE:
    case SQL_TYPE_DATE: {
        SQL_DATE_STRUCT d = {};
        ok = readFixed(api, statement, column, SQL_C_TYPE_DATE, d, isNull);
        value = isNull ? QVariant(QMetaType(type)) : QVariant(QDate(d.year, d.month, d.day));
        return ok;
    }
    case SQL_TIME:
    case SQL_TYPE_TIME: {
        SQL_TIME_STRUCT t = {};
        ok = readFixed(api, statement, column, SQL_C_TYPE_TIME, t, isNull);
        value = isNull ? QVariant(QMetaType(type)) : QVariant(QTime(t.hour, t.minute, t.second));
        return ok;
    }
    case SQL_TIMESTAMP:
    case SQL_TYPE_TIMESTAMP: {
        SQL_TIMESTAMP_STRUCT t = {};
        ok = readFixed(api, statement, column, SQL_C_TYPE_TIMESTAMP, t, isNull);
        value = isNull ? QVariant(QMetaType(type))
                       : QVariant(QDateTime(QDate(t.year, t.month, t.day),
                                            QTime(t.hour, t.minute, t.second, int(t.fraction / 1000000))));
        return ok;
    }
    case SQL_BINARY:
    case SQL_VARBINARY:
    case SQL_LONGVARBINARY: {
        std::vector<char> bytes;
        ok = readPieces(api, statement, column, SQL_C_BINARY, bytes, isNull);
        value = isNull ? QVariant(QMetaType(type)) : QVariant(QByteArray(bytes.data(), qsizetype(bytes.size())));
        return ok;
    }
    default: {
        std::vector<SQLWCHAR> text;
        ok = readPieces(api, statement, column, SQL_C_WCHAR, text, isNull);
        value = isNull ? QVariant(QMetaType(QMetaType::QString))
                       : QVariant(QString::fromUtf16(reinterpret_cast<const char16_t *>(text.data()), qsizetype(text.size())));
        return ok;
    }
    }
}

} // namespace

std::vector<OdbcDiagnostic> readOdbcRows(SQLHSTMT statement, const std::vector<int> &sqlTypes,
                                         const std::vector<QMetaType::Type> &types,
                                         const std::function<QVariant *()> &newRow)
{
    const OdbcApi &api = odbcApi();
    if (!api.usable())
        return {OdbcDiagnostic{u"HY000", 0, u"ODBC 驱动管理器不可用。"}};
    for (;;) {
        const SQLRETURN r = api.fetch(statement);
        if (r == SQL_NO_DATA)
            return {};
        if (!SQL_SUCCEEDED(r))
            return diagnosticsOf(api, SQL_HANDLE_STMT, statement);
        QVariant *row = newRow();
        for (size_t i = 0; i < sqlTypes.size(); ++i) {
            if (!readValue(api, statement, SQLUSMALLINT(i + 1), sqlTypes[i], types[i], row[i]))
                return diagnosticsOf(api, SQL_HANDLE_STMT, statement);
        }
    }
}

} // namespace db
