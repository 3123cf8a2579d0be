#include "platform/db/Connection.h"

#include "platform/db/OdbcApi.h"
#include "platform/db/SqlText.h"
#include "platform/db/TsqlAdapter.h"
#include "platform/db/Transaction.h"

#include <QAtomicInt>
#include <QFileInfo>
#include <QLibrary>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSqlResult>

#include <sqlite3.h>
#include <sql.h>
#include <sqlext.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <type_traits>
#include <vector>

namespace db {
namespace {

QString nextConnectionName()
{
    static QAtomicInt counter;
    return QStringLiteral("tessaline-%1").arg(counter.fetchAndAddRelaxed(1) + 1);
}

// The meaning first, then what the driver said.
QString withMeaning(const QString &meaning, const QString &driverText)
{
    if (meaning.isEmpty())
        return driverText;
    if (driverText.isEmpty())
        return meaning;
    return meaning + QLatin1Char(' ') + driverText;
}

// How much an ODBC failure tells the operator: a refused login says the most, a time-out
// more than a connection that failed (which every failed login also reports).
enum class OdbcFailure { Other, ConnectionFailed, TimedOut, LoginRefused };

OdbcFailure odbcFailureOf(const QString &sqlState, int nativeCode)
{
    if (sqlState == QLatin1String("28000") || nativeCode == 18456)
        return OdbcFailure::LoginRefused;
    if (sqlState == QLatin1String("HYT00") || sqlState == QLatin1String("HYT01"))
        return OdbcFailure::TimedOut;
    if (sqlState.startsWith(QLatin1String("08")))
        return OdbcFailure::ConnectionFailed;
    return OdbcFailure::Other;
}

QString meaningOf(OdbcFailure failure)
{
    switch (failure) {
    case OdbcFailure::LoginRefused:
        return QStringLiteral("数据库登录名或密码不正确。");
    case OdbcFailure::TimedOut:
        return QStringLiteral("连接数据库服务器超时。");
    case OdbcFailure::ConnectionFailed:
        return QStringLiteral("与数据库服务器的连接失败或已断开。");
    case OdbcFailure::Other:
        break;
    }
    return QString();
}

// Qt's ODBC driver passes on the driver's messages and the native number of the last one,
// never the SQLSTATE. The states that matter here are phrased by FreeTDS and the driver
// manager in ODBC's standard wording, from which the state is read back.
QString sqlStateOfOdbcText(const QString &text)
{
    static const struct
    {
        const char *phrase;
        const char *state;
    } phrases[] = {
        {"Connection timeout expired", "HYT01"},
        {"Timeout expired", "HYT00"},
        {"Communication link failure", "08S01"},
        {"Unable to connect to data source", "08001"},
        {"Client unable to establish connection", "08001"},
    };
    for (const auto &p : phrases)
        if (text.contains(QLatin1String(p.phrase)))
            return QLatin1String(p.state);
    return QString();
}

// A query read once from first to last row. Over ODBC any other query asks the driver
// for a scrollable server cursor, which SQL Server does not open for a batch or for a
// statement that is not a single SELECT: it runs it directly (message 16954), and the
// driver then fails to read the result.
QSqlQuery forwardOnlyQuery(const QSqlDatabase &database)
{
    QSqlQuery query(database);
    query.setForwardOnly(true);
    return query;
}

DbError errorFrom(const QSqlError &error)
{
    bool ok = false;
    const int native = error.nativeErrorCode().toInt(&ok);
    QString description = error.databaseText();
    if (description.isEmpty())
        description = error.driverText();
    else if (!error.driverText().isEmpty() && !description.contains(error.driverText()))
        description = error.driverText() + QStringLiteral(": ") + description;
    // Qt's ODBC driver names itself in its texts; every other error here is SQLite's.
    const QString meaning = error.driverText().startsWith(QLatin1String("QODBC"))
        ? odbcFailureMeaning(sqlStateOfOdbcText(description), ok ? native : 0)
        : (ok ? sqliteFailureMeaning(native) : QString());
    return DbError(ok && native != 0 ? native : DbError::GenericFailure, withMeaning(meaning, description));
}

// One login tried in a thread of its own. The thread owns everything it touches (its
// handles, and this record through a shared pointer): when the program stops waiting for
// it, nothing it uses goes away. A driver that never returns leaves the thread blocked in
// a system call until the program ends, which ends it with the process.
struct LoginProbe
{
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    bool succeeded = false;
    std::vector<OdbcDiagnostic> diagnostics;
};

void runLoginProbe(const OdbcApi &api, std::u16string connectionText, int timeoutSeconds,
                   std::shared_ptr<LoginProbe> probe)
{
    bool succeeded = false;
    std::vector<OdbcDiagnostic> diagnostics;
    SQLHANDLE env = SQL_NULL_HANDLE;
    if (SQL_SUCCEEDED(api.allocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env))) {
        api.setEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(std::intptr_t(SQL_OV_ODBC3)), 0);
        SQLHANDLE dbc = SQL_NULL_HANDLE;
        if (SQL_SUCCEEDED(api.allocHandle(SQL_HANDLE_DBC, env, &dbc))) {
            api.setConnectAttr(dbc, SQL_ATTR_LOGIN_TIMEOUT, reinterpret_cast<SQLPOINTER>(std::intptr_t(timeoutSeconds)), 0);
            const SQLRETURN r = api.driverConnect(dbc, nullptr, reinterpret_cast<SQLWCHAR *>(connectionText.data()),
                                                  SQLSMALLINT(connectionText.size()), nullptr, 0, nullptr,
                                                  SQL_DRIVER_NOPROMPT);
            succeeded = SQL_SUCCEEDED(r);
            if (succeeded)
                api.disconnect(dbc);
            else
                diagnostics = diagnosticsOf(api, SQL_HANDLE_DBC, dbc);
            api.freeHandle(SQL_HANDLE_DBC, dbc);
        } else {
            diagnostics = diagnosticsOf(api, SQL_HANDLE_ENV, env);
        }
        api.freeHandle(SQL_HANDLE_ENV, env);
    }
    std::lock_guard<std::mutex> lock(probe->mutex);
    probe->done = true;
    probe->succeeded = succeeded;
    probe->diagnostics = std::move(diagnostics);
    probe->finished.notify_all();
}

DbError errorFromDiagnostics(const std::vector<OdbcDiagnostic> &diagnostics)
{
    OdbcFailure failure = OdbcFailure::Other;
    int number = 0;
    QStringList texts;
    for (const OdbcDiagnostic &d : diagnostics) {
        const QString text = QString::fromStdU16String(d.text);
        failure = qMax(failure, odbcFailureOf(QString::fromStdU16String(d.state), d.native));
        if (number == 0)
            number = d.native;
        if (!texts.contains(text))
            texts << text;
    }
    QString driverText = texts.join(QLatin1Char(' '));
    if (driverText.isEmpty())
        driverText = QStringLiteral("ODBC 驱动程序没有说明原因。");
    return DbError(number != 0 ? number : DbError::GenericFailure, withMeaning(meaningOf(failure), driverText));
}

// Whether the server completes a login within the time-out, found out without the
// program's own thread waiting longer than the time-out and a second: a driver does not
// always keep to its login time-out (FreeTDS waits on a server that answers a byte at a
// time, asks for a named instance for a fixed 16 s, and with an automatic TDS version can
// hang for good after its fall-back login). Throws the driver's failure, or a time-out.
void probeLogin(const QString &connectionText, int timeoutSeconds)
{
    const OdbcApi &api = odbcApi();
    if (!api.usable())
        return; // no driver manager of our own to ask: Qt's driver is left to keep the time-out
    auto probe = std::make_shared<LoginProbe>();
    try {
        std::thread(runLoginProbe, std::cref(api), connectionText.toStdU16String(), timeoutSeconds, probe).detach();
    } catch (const std::system_error &) {
        return; // no thread to spare: the same, for this attempt
    }
    constexpr int graceMs = 1000;
    std::unique_lock<std::mutex> lock(probe->mutex);
    if (!probe->finished.wait_for(lock, std::chrono::milliseconds(timeoutSeconds * 1000 + graceMs),
                                  [&] { return probe->done; }))
        throw DbError(DbError::TimeoutExpired,
                      withMeaning(meaningOf(OdbcFailure::TimedOut),
                                  QStringLiteral("数据库服务器在 %1 秒内没有完成登录。").arg(timeoutSeconds)));
    if (!probe->succeeded)
        throw errorFromDiagnostics(probe->diagnostics);
}

} // namespace

Connection::Connection() = default;

Connection::~Connection()
{
    if (m_name.isEmpty())
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        if (db.isOpen())
            db.close();
    }
    QSqlDatabase::removeDatabase(m_name);
}

std::unique_ptr<Connection> Connection::openSqlite(const QString &file, int busyTimeoutSeconds)
{
    if (file.isEmpty() || !QFileInfo(file).isFile())
        throw DbError(QStringLiteral("数据库文件不存在：%1").arg(file));
    auto connection = openSqliteFile(file, QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(qMax(0, busyTimeoutSeconds) * 1000));
    connection->executeNative(QStringLiteral("PRAGMA foreign_keys = ON"));
    return connection;
}

std::unique_ptr<Connection> Connection::createSqlite(const QString &file)
{
    if (QFileInfo::exists(file))
        throw DbError(QStringLiteral("数据库文件已存在：%1").arg(file));
    return openSqliteFile(file, QString());
}

std::unique_ptr<Connection> Connection::openSqliteFile(const QString &file, const QString &options)
{
    auto connection = std::make_unique<Connection>();
    connection->m_name = nextConnectionName();
    connection->m_dialect = Dialect::Sqlite;
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection->m_name);
    db.setDatabaseName(file);
    db.setConnectOptions(options);
    if (!db.open())
        throw errorFrom(db.lastError());
    return connection;
}

std::unique_ptr<Connection> Connection::openOdbc(const QString &connectionText, int loginTimeoutSeconds)
{
    auto connection = std::make_unique<Connection>();
    connection->m_name = nextConnectionName();
    connection->m_dialect = Dialect::SqlServer;
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), connection->m_name);
    if (!db.isValid())
        throw DbError(QStringLiteral("ODBC 驱动不可用。"));
    const int timeout = qMax(1, loginTimeoutSeconds);
    probeLogin(connectionText, timeout);
    db.setDatabaseName(connectionText);
    db.setConnectOptions(QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=%1;SQL_ATTR_CONNECTION_TIMEOUT=%1").arg(timeout));
    connection->m_busyTimeoutMs = timeout * 1000;
    if (!db.open())
        throw errorFrom(db.lastError());
    return connection;
}

QSqlDatabase Connection::database() const
{
    return m_name.isEmpty() ? QSqlDatabase() : QSqlDatabase::database(m_name, false);
}

bool Connection::isOpen() const
{
    return !m_name.isEmpty() && database().isOpen();
}

void Connection::requireOpen() const
{
    if (!isOpen())
        throw DbError(-2146824584, QStringLiteral("对象关闭时，不允许操作。"));
}

void Connection::logStatement(const QString &text)
{
    if (m_logging)
        m_log << text;
}

void Connection::countStatement(const QString &text)
{
    if (m_failAt > 0 && ++m_sentSinceArmed == m_failAt) {
        m_failAt = 0;
        throw DbError(-2147217900, QStringLiteral("测试注入的语句失败：%1").arg(text));
    }
}

namespace {

// The type a column read through ODBC holds. Qt's ODBC driver reads a bit column as a
// number; the driver's own type (SQL_BIT) marks it as the flag column it is, so that it
// reads as it does on the embedded database ("True" / "False").
QMetaType::Type odbcColumnType(const QSqlField &field)
{
    if (field.typeID() == SQL_BIT)
        return QMetaType::Bool;
    return QMetaType::Type(field.metaType().id());
}

// The ODBC statement under a query of Qt's ODBC driver; null for any other.
SQLHSTMT odbcStatementOf(const QSqlQuery &query)
{
    const QVariant handle = query.result() ? query.result()->handle() : QVariant();
    if (!handle.isValid() || handle.metaType() != QMetaType::fromType<SQLHANDLE>())
        return nullptr;
    return *static_cast<const SQLHANDLE *>(handle.constData());
}

} // namespace

QStringList Connection::adapt(const QString &sql) const
{
    // SQL Server gets each statement of a batch as written, one by one: a failure
    // in a later statement of one execution is not reliably reported over ODBC.
    if (m_dialect == Dialect::SqlServer)
        return TsqlAdapter::splitStatements(sql);
    return TsqlAdapter::toSqlite(sql);
}

namespace {

// A statement run through Qt's ODBC driver, at its result, and the result's columns.
struct ServerResult
{
    QSqlQuery query;
    QStringList names;
    std::vector<QMetaType::Type> types;
    std::vector<int> sqlTypes;
};

ServerResult runOnServer(const QSqlDatabase &database, const QString &statement)
{
    ServerResult result{forwardOnlyQuery(database), {}, {}, {}};
    QSqlQuery &query = result.query;
    if (!query.exec(statement))
        throw errorFrom(query.lastError());
    // A batch whose first statements write and whose last reads: skip to the result.
    while (!query.isSelect() && query.nextResult()) {
    }
    const QSqlRecord record = query.record();
    for (int i = 0; i < record.count(); ++i) {
        // Some ODBC drivers report a wide column name with a wrong length: a name
        // never holds a NUL, so anything from the first NUL on is not part of it.
        result.names << record.fieldName(i).section(QChar(0), 0, 0);
        result.types.push_back(odbcColumnType(record.field(i)));
        result.sqlTypes.push_back(record.field(i).typeID());
    }
    return result;
}

void throwIfFailed(const std::vector<OdbcDiagnostic> &failure)
{
    if (!failure.empty())
        throw errorFromDiagnostics(failure);
}

} // namespace

void Connection::runQuery(const QString &statement, Recordset &into, Reading reading)
{
    // The rows read later come from the statement counted when its columns were read.
    if (reading != Reading::PendingRows)
        countStatement(statement);
    const bool readRows = reading != Reading::ColumnsOnly;
    if (sqlite3 *handle = sqliteHandle()) {
        readSqlite(handle, statement, into, readRows);
        return;
    }
    ServerResult result = runOnServer(database(), statement);
    QSqlQuery &query = result.query;
    into.setColumns(result.names, result.types);
    if (!readRows) {
        query.finish();
        return;
    }
    if (const SQLHSTMT statementHandle = odbcStatementOf(query)) {
        throwIfFailed(readOdbcRows(statementHandle, result.sqlTypes, result.types, [&into] { return into.newRow(); }));
        return;
    }
    const int columns = int(result.names.size());
    while (query.next()) {
        std::vector<QVariant> row(columns);
        for (int i = 0; i < columns; ++i)
            row[i] = query.value(i);
        into.appendRow(std::move(row));
    }
    if (query.lastError().isValid())
        throw errorFrom(query.lastError());
}

// Reading straight from the ODBC statement into typed columns (see readOdbcTable).
ResultTable Connection::readServerTable(const QString &statement, const std::function<void()> &answered)
{
    ServerResult result = runOnServer(database(), statement);
    const SQLHSTMT statementHandle = odbcStatementOf(result.query);
    if (!statementHandle)
        throw DbError(QStringLiteral("ODBC 驱动不可用。"));
    if (answered)
        answered();
    ResultTableBuilder builder;
    throwIfFailed(readOdbcTable(statementHandle, result.names, result.sqlTypes, builder));
    return builder.take();
}

sqlite3 *Connection::sqliteHandle() const
{
    if (m_dialect != Dialect::Sqlite)
        return nullptr;
    const QVariant handle = database().driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(handle.constData());
}

namespace {

// The type a column's declaration gives, as Qt's SQLite driver reads it: the windows
// show a flag column's values as "True" / "False".
QMetaType::Type declaredType(const char *declaration)
{
    const QByteArray type = QByteArray(declaration ? declaration : "").toLower();
    if (type == "integer" || type == "int")
        return QMetaType::LongLong;
    if (type == "boolean" || type == "bool")
        return QMetaType::Bool;
    if (type == "double" || type == "float" || type == "real" || type.startsWith("numeric"))
        return QMetaType::Double;
    if (type == "blob")
        return QMetaType::QByteArray;
    return QMetaType::QString;
}

DbError sqliteError(sqlite3 *handle, int resultCode)
{
    const int code = sqlite3_extended_errcode(handle) ? sqlite3_extended_errcode(handle) : resultCode;
    const QString text = QString::fromUtf8(sqlite3_errmsg(handle));
    return DbError(code, withMeaning(sqliteFailureMeaning(code), text));
}

} // namespace

namespace {

using PreparedStatement = std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt *)>;

// One statement prepared on the SQLite handle; a failure or an empty text is a DbError.
PreparedStatement prepareSqlite(sqlite3 *handle, const QString &statement)
{
    const QByteArray text = statement.toUtf8();
    sqlite3_stmt *prepared = nullptr;
    const int rc = sqlite3_prepare_v2(handle, text.constData(), int(text.size()), &prepared, nullptr);
    PreparedStatement owner(prepared, sqlite3_finalize);
    if (rc != SQLITE_OK)
        throw sqliteError(handle, rc);
    if (!prepared)
        throw DbError(QStringLiteral("命令文本为空。"));
    return owner;
}

} // namespace

// Reading straight from SQLite: each value becomes a QVariant once, texts decoded from
// UTF-8 by Qt, with none of the copies of Qt's SQL layer in between.
void Connection::readSqlite(sqlite3 *handle, const QString &statement, Recordset &into, bool readRows)
{
    const PreparedStatement owner = prepareSqlite(handle, statement);
    sqlite3_stmt *prepared = owner.get();
    int rc = SQLITE_OK;
    const int count = sqlite3_column_count(prepared);
    QStringList names;
    std::vector<QMetaType::Type> types;
    for (int i = 0; i < count; ++i) {
        names << QString::fromUtf8(sqlite3_column_name(prepared, i));
        types.push_back(declaredType(sqlite3_column_decltype(prepared, i)));
    }
    into.setColumns(names, types);
    if (!readRows)
        return;
    while ((rc = sqlite3_step(prepared)) == SQLITE_ROW) {
        QVariant *row = into.newRow();
        for (int i = 0; i < count; ++i) {
            switch (sqlite3_column_type(prepared, i)) {
            case SQLITE_INTEGER:
                row[i] = QVariant(qlonglong(sqlite3_column_int64(prepared, i)));
                break;
            case SQLITE_FLOAT:
                row[i] = QVariant(sqlite3_column_double(prepared, i));
                break;
            case SQLITE_NULL:
                break;
            case SQLITE_BLOB:
                row[i] = QVariant(QByteArray(static_cast<const char *>(sqlite3_column_blob(prepared, i)),
                                             sqlite3_column_bytes(prepared, i)));
                break;
            default: {
                const auto *utf8 = reinterpret_cast<const char *>(sqlite3_column_text(prepared, i));
                row[i] = QVariant(QString::fromUtf8(utf8, sqlite3_column_bytes(prepared, i)));
                break;
            }
            }
        }
    }
    if (rc != SQLITE_DONE)
        throw sqliteError(handle, rc);
}

namespace {

// The kind a column's declaration gives on the embedded database; a computed column
// (no declaration) takes the kind of its first value.
int declaredKind(const char *declaration)
{
    const QByteArray type = QByteArray(declaration ? declaration : "").toLower();
    if (type.isEmpty())
        return ResultTableBuilder::Undeclared;
    if (type == "integer" || type == "int" || type == "bigint" || type == "smallint" || type == "boolean")
        return int(ResultTable::Kind::Integer);
    if (type.startsWith("numeric") || type.startsWith("decimal") || type == "real" || type == "double"
        || type == "float" || type == "money")
        return int(ResultTable::Kind::Decimal);
    if (type == "date" || type == "datetime")
        return int(ResultTable::Kind::DateTime);
    return int(ResultTable::Kind::Text);
}

std::string_view textOf(sqlite3_stmt *prepared, int column)
{
    const auto *utf8 = reinterpret_cast<const char *>(sqlite3_column_text(prepared, column));
    return std::string_view(utf8 ? utf8 : "", size_t(sqlite3_column_bytes(prepared, column)));
}

} // namespace

// Reading straight from SQLite into typed columns: texts stay the engine's UTF-8, numbers
// and dates become numbers, with no object per cell.
ResultTable Connection::readSqliteTable(sqlite3 *handle, const QString &statement,
                                        const std::function<void()> &answered)
{
    const PreparedStatement owner = prepareSqlite(handle, statement);
    sqlite3_stmt *prepared = owner.get();
    int rc = SQLITE_OK;
    const int count = sqlite3_column_count(prepared);
    QStringList names;
    std::vector<int> kinds;
    for (int i = 0; i < count; ++i) {
        names << QString::fromUtf8(sqlite3_column_name(prepared, i));
        kinds.push_back(declaredKind(sqlite3_column_decltype(prepared, i)));
    }
    ResultTableBuilder builder;
    builder.setColumns(names, kinds);
    rc = sqlite3_step(prepared);
    if (answered && (rc == SQLITE_ROW || rc == SQLITE_DONE))
        answered();
    for (; rc == SQLITE_ROW; rc = sqlite3_step(prepared)) {
        for (int i = 0; i < count; ++i) {
            switch (sqlite3_column_type(prepared, i)) {
            case SQLITE_INTEGER:
                builder.addInteger(i, sqlite3_column_int64(prepared, i));
                break;
            case SQLITE_FLOAT:
                builder.addNumberText(i, textOf(prepared, i));
                break;
            case SQLITE_NULL:
                builder.addNull(i);
                break;
            default:
                builder.addText(i, textOf(prepared, i));
                break;
            }
        }
        builder.endRow();
    }
    if (rc != SQLITE_DONE)
        throw sqliteError(handle, rc);
    return builder.take();
}

QString Connection::runAllButLast(const QString &sql)
{
    requireOpen();
    logStatement(sql);
    const QStringList statements = adapt(sql);
    if (statements.isEmpty())
        throw DbError(QStringLiteral("命令文本为空。"));
    if (statements.size() > 1)
        runStatements(statements.mid(0, statements.size() - 1));
    return statements.last();
}

Recordset Connection::open(const QString &sql)
{
    const QString last = runAllButLast(sql);
    Recordset result;
    runQuery(last, result);
    return result;
}

ResultTable Connection::openTable(const QString &sql, const std::function<void()> &answered)
{
    const QString last = runAllButLast(sql);
    countStatement(last);
    if (sqlite3 *handle = sqliteHandle())
        return readSqliteTable(handle, last, answered);
    return readServerTable(last, answered);
}

EditableRecordset Connection::openEditable(const QString &sql)
{
    requireOpen();
    const QString table = tableOfSelect(sql);
    if (table.isEmpty())
        throw DbError(QStringLiteral("无法确定可更新记录集的表：%1").arg(sql));
    logStatement(sql);
    const QStringList statements = adapt(sql);
    if (statements.size() != 1)
        throw DbError(QStringLiteral("可更新记录集只能基于一条查询。"));
    EditableRecordset result;
    // Only the columns now; the rows when one is first read (often never: a window
    // that opens the recordset to add a row reads none, however large the table).
    runQuery(statements.first(), result, Reading::ColumnsOnly);
    result.m_connection = this;
    result.m_connectionLife = m_life;
    result.m_table = table;
    result.setPendingStatement(statements.first());
    return result;
}

void Connection::readPendingRows(EditableRecordset &into)
{
    requireOpen();
    const QString statement = into.m_pendingStatement;
    into.clearRows();
    runQuery(statement, into, Reading::PendingRows);
    into.setPendingStatement(QString());
}

void Connection::runStatements(const QStringList &statements)
{
    for (const QString &statement : statements) {
        countStatement(statement);
        QSqlQuery query = forwardOnlyQuery(database());
        if (!query.exec(statement))
            throw errorFrom(query.lastError());
    }
}

void Connection::execute(const QString &sql)
{
    requireOpen();
    logStatement(sql);
    const QStringList statements = adapt(sql);
    if (m_inTransaction || statements.size() <= 1) {
        runStatements(statements);
        return;
    }
    // A batch outside a transaction is written whole or not at all.
    Transaction batch(*this);
    runStatements(statements);
    batch.commit();
}

void Connection::executeNative(const QString &sql)
{
    requireOpen();
    QSqlQuery query = forwardOnlyQuery(database());
    if (!query.exec(sql))
        throw errorFrom(query.lastError());
}

void Connection::begin()
{
    requireOpen();
    if (m_inTransaction)
        throw DbError(QStringLiteral("事务已经开始。"));
    QSqlDatabase db = database();
    if (!db.transaction())
        throw errorFrom(db.lastError());
    m_inTransaction = true;
}

void Connection::beginExclusive(const QString &resource)
{
    requireOpen();
    if (m_inTransaction)
        throw DbError(QStringLiteral("事务已经开始。"));
    if (m_dialect == Dialect::Sqlite) {
        QSqlQuery query(database());
        if (!query.exec(QStringLiteral("BEGIN IMMEDIATE")))
            throw errorFrom(query.lastError());
        m_inTransaction = true;
        m_sqliteOwnTransaction = true;
        return;
    }
    begin();
    const int waitMs = m_busyTimeoutMs > 0 ? m_busyTimeoutMs : 15000;
    const QString name = sqlValue(resource.left(255));
    QSqlQuery query = forwardOnlyQuery(database());
    const bool sent = query.exec(QStringLiteral("SET NOCOUNT ON; DECLARE @result int; "
                                                "EXEC @result = sp_getapplock @Resource = N'%1', @LockMode = 'Exclusive', "
                                                "@LockOwner = 'Transaction', @LockTimeout = %2; SELECT @result AS result")
                                     .arg(name)
                                     .arg(waitMs));
    if (sent)
        while (!query.isSelect() && query.nextResult()) {
        }
    if (!sent || !query.next() || query.value(0).toInt() < 0) {
        const DbError error = sent ? DbError(QStringLiteral("其他操作员正在写入同一数据（%1），请稍后再试。").arg(resource))
                                   : errorFrom(query.lastError());
        rollback();
        throw error;
    }
}

void Connection::commit()
{
    requireOpen();
    if (!m_inTransaction)
        throw DbError(QStringLiteral("没有可提交的事务。"));
    if (m_sqliteOwnTransaction) {
        QSqlQuery query(database());
        if (!query.exec(QStringLiteral("COMMIT"))) {
            const DbError error = errorFrom(query.lastError());
            rollback();
            throw error;
        }
        m_inTransaction = false;
        m_sqliteOwnTransaction = false;
        return;
    }
    QSqlDatabase db = database();
    if (!db.commit()) {
        const DbError error = errorFrom(db.lastError());
        db.rollback();
        m_inTransaction = false;
        throw error;
    }
    m_inTransaction = false;
}

void Connection::rollback()
{
    if (!m_inTransaction)
        return;
    m_inTransaction = false;
    QSqlDatabase db = database();
    if (m_sqliteOwnTransaction) {
        m_sqliteOwnTransaction = false;
        QSqlQuery query(db);
        // A failed COMMIT may already have ended the transaction; nothing is left to undo then.
        if (db.isOpen() && !query.exec(QStringLiteral("ROLLBACK")) && !query.lastError().text().contains(QLatin1String("no transaction")))
            throw errorFrom(query.lastError());
        return;
    }
    if (db.isOpen() && !db.rollback())
        throw errorFrom(db.lastError());
}

QVariant Connection::bindable(const QVariant &value) const
{
    if (value.isNull())
        return value;
    if (m_dialect == Dialect::Sqlite) {
        // The embedded database keeps dates as ISO text, compared as text.
        if (value.typeId() == QMetaType::QDateTime)
            return value.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        if (value.typeId() == QMetaType::QDate)
            return value.toDate().toString(QStringLiteral("yyyy-MM-dd"));
        if (value.typeId() == QMetaType::Bool)
            return value.toBool() ? 1 : 0;
    }
    return value;
}

QString Connection::renderForLog(const QVariant &value) const
{
    if (value.isNull())
        return QStringLiteral("NULL");
    const QVariant v = bindable(value);
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Double:
        return v.toString();
    case QMetaType::Bool:
        return v.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    default:
        return QLatin1Char('\'') + v.toString().replace(QLatin1Char('\''), QStringLiteral("''")) + QLatin1Char('\'');
    }
}

QString Connection::placeholderFor(const QVariant &value, QVariantList &bound) const
{
    // Qt's ODBC driver binds text as VARCHAR, which the ODBC driver converts to the code
    // page of the server's collation: a character outside it would be lost. A Unicode
    // literal keeps every character.
    if (m_dialect == Dialect::SqlServer && !value.isNull() && value.typeId() == QMetaType::QString)
        return QStringLiteral("N'") + value.toString().replace(QLatin1Char('\''), QStringLiteral("''")) + QLatin1Char('\'');
    bound << bindable(value);
    return QStringLiteral("?");
}

QVariant Connection::insertRow(const QString &table, const QStringList &columns, const std::vector<QVariant> &values)
{
    requireOpen();
    QStringList rendered;
    for (const QVariant &v : values)
        rendered << renderForLog(v);
    const QString columnList = columns.join(QStringLiteral(", "));
    const QString logged = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(table, columnList, rendered.join(QStringLiteral(", ")));
    logStatement(logged);
    countStatement(logged);

    QStringList marks;
    QVariantList bound;
    for (const QVariant &v : values)
        marks << placeholderFor(v, bound);
    QString sql = columns.isEmpty() ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(table)
                                    : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                          .arg(table, columnList, marks.join(QStringLiteral(", ")));
    // On SQL Server the new ID comes from the same batch; OUTPUT would be refused on
    // tables that have triggers.
    if (m_dialect == Dialect::SqlServer)
        sql = QStringLiteral("SET NOCOUNT ON; ") + sql + QStringLiteral("; SELECT CAST(SCOPE_IDENTITY() AS bigint) AS ID");

    QSqlQuery query = forwardOnlyQuery(database());
    if (!query.prepare(sql))
        throw errorFrom(query.lastError());
    for (const QVariant &v : bound)
        query.addBindValue(v);
    if (!query.exec())
        throw errorFrom(query.lastError());
    if (m_dialect == Dialect::SqlServer) {
        while (!query.isSelect() && query.nextResult()) {
        }
        return query.next() ? query.value(0) : QVariant();
    }
    return query.lastInsertId();
}

void Connection::updateRow(const QString &table, const QVariant &id, const QStringList &columns,
                           const std::vector<QVariant> &values)
{
    requireOpen();
    QStringList assignments, rendered;
    QVariantList bound;
    for (int i = 0; i < columns.size(); ++i) {
        assignments << columns[i] + QStringLiteral(" = ") + placeholderFor(values[i], bound);
        rendered << columns[i] + QStringLiteral(" = ") + renderForLog(values[i]);
    }
    const QString logged = QStringLiteral("UPDATE %1 SET %2 WHERE ID = %3").arg(table, rendered.join(QStringLiteral(", ")), renderForLog(id));
    logStatement(logged);
    countStatement(logged);
    QSqlQuery query = forwardOnlyQuery(database());
    if (!query.prepare(QStringLiteral("UPDATE %1 SET %2 WHERE ID = ?").arg(table, assignments.join(QStringLiteral(", ")))))
        throw errorFrom(query.lastError());
    for (const QVariant &v : bound)
        query.addBindValue(v);
    query.addBindValue(id);
    if (!query.exec())
        throw errorFrom(query.lastError());
}

QString sqliteFailureMeaning(int resultCode)
{
    if (resultCode <= 0)
        return QString();
    switch (resultCode & 0xff) {
    case 5: // SQLITE_BUSY
    case 6: // SQLITE_LOCKED
        return QStringLiteral("数据库正被其他程序使用（已锁定），请稍后再试。");
    case 8: // SQLITE_READONLY
        return QStringLiteral("数据库文件或其所在文件夹是只读的，无法写入。");
    case 10: // SQLITE_IOERR
        return QStringLiteral("读写数据库文件时出错。");
    case 11: // SQLITE_CORRUPT
        return QStringLiteral("数据库文件已损坏。");
    case 13: // SQLITE_FULL
        return QStringLiteral("磁盘已满，无法写入数据库。");
    case 14: // SQLITE_CANTOPEN
        return QStringLiteral("无法打开数据库文件。");
    case 26: // SQLITE_NOTADB
        return QStringLiteral("该文件不是数据库文件。");
    default:
        return QString();
    }
}

QString odbcFailureMeaning(const QString &sqlState, int nativeCode)
{
    return meaningOf(odbcFailureOf(sqlState, nativeCode));
}

QString tableOfSelect(const QString &sql)
{
    static const QRegularExpression from(QStringLiteral("\\bfrom\\s+([^\\s,()]+)"),
                                         QRegularExpression::CaseInsensitiveOption
                                             | QRegularExpression::UseUnicodePropertiesOption);
    const auto m = from.match(sql);
    return m.hasMatch() ? m.captured(1) : QString();
}

} // namespace db
