#include "platform/db/Connection.h"

#include "platform/db/TsqlAdapter.h"

#include <QAtomicInt>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>

namespace db {
namespace {

QString nextConnectionName()
{
    static QAtomicInt counter;
    return QStringLiteral("tessaline-%1").arg(counter.fetchAndAddRelaxed(1) + 1);
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
    return DbError(ok && native != 0 ? native : DbError::GenericFailure, description);
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
    connection->m_busyTimeoutMs = qMax(0, busyTimeoutSeconds) * 1000;
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
    db.setDatabaseName(connectionText);
    db.setConnectOptions(QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=%1;SQL_ATTR_CONNECTION_TIMEOUT=%1")
                             .arg(qMax(1, loginTimeoutSeconds)));
    connection->m_busyTimeoutMs = qMax(1, loginTimeoutSeconds) * 1000;
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

void Connection::noteStatement(const QString &text)
{
    if (m_logging)
        m_log << text;
    if (m_failAt > 0 && ++m_sentSinceArmed == m_failAt) {
        m_failAt = 0;
        throw DbError(-2147217900, QStringLiteral("测试注入的语句失败：%1").arg(text));
    }
}

QStringList Connection::adapt(const QString &sql) const
{
    // SQL Server gets each statement of a batch as written, one by one: a failure
    // in a later statement of one execution is not reliably reported over ODBC.
    if (m_dialect == Dialect::SqlServer)
        return TsqlAdapter::splitStatements(sql);
    return TsqlAdapter::toSqlite(sql);
}

void Connection::runQuery(const QString &statement, Recordset &into)
{
    QSqlQuery query(database());
    query.setForwardOnly(true);
    if (!query.exec(statement))
        throw errorFrom(query.lastError());
    // A batch whose first statements write and whose last reads: skip to the result.
    while (!query.isSelect() && query.nextResult()) {
    }
    const QSqlRecord record = query.record();
    QStringList names;
    std::vector<QMetaType::Type> types;
    for (int i = 0; i < record.count(); ++i) {
        // Some ODBC drivers report a wide column name with a wrong length: a name
        // never holds a NUL, so anything from the first NUL on is not part of it.
        names << record.fieldName(i).section(QChar(0), 0, 0);
        types.push_back(QMetaType::Type(record.field(i).metaType().id()));
    }
    into.setColumns(names, types);
    while (query.next()) {
        std::vector<QVariant> row(record.count());
        for (int i = 0; i < record.count(); ++i)
            row[i] = query.value(i);
        into.appendRow(std::move(row));
    }
    if (query.lastError().isValid())
        throw errorFrom(query.lastError());
}

Recordset Connection::open(const QString &sql)
{
    requireOpen();
    noteStatement(sql);
    const QStringList statements = adapt(sql);
    if (statements.isEmpty())
        throw DbError(QStringLiteral("命令文本为空。"));
    if (statements.size() > 1)
        runStatements(statements.mid(0, statements.size() - 1));
    Recordset result;
    runQuery(statements.last(), result);
    return result;
}

EditableRecordset Connection::openEditable(const QString &sql)
{
    requireOpen();
    const QString table = tableOfSelect(sql);
    if (table.isEmpty())
        throw DbError(QStringLiteral("无法确定可更新记录集的表：%1").arg(sql));
    noteStatement(sql);
    const QStringList statements = adapt(sql);
    if (statements.size() != 1)
        throw DbError(QStringLiteral("可更新记录集只能基于一条查询。"));
    EditableRecordset result;
    runQuery(statements.first(), result);
    result.m_connection = this;
    result.m_connectionLife = m_life;
    result.m_table = table;
    return result;
}

void Connection::runStatements(const QStringList &statements)
{
    for (const QString &statement : statements) {
        QSqlQuery query(database());
        if (!query.exec(statement))
            throw errorFrom(query.lastError());
    }
}

void Connection::execute(const QString &sql)
{
    requireOpen();
    noteStatement(sql);
    const QStringList statements = adapt(sql);
    const bool ownTransaction = !m_inTransaction && statements.size() > 1;
    if (ownTransaction)
        begin();
    try {
        runStatements(statements);
    } catch (...) {
        if (ownTransaction)
            rollback();
        throw;
    }
    if (ownTransaction)
        commit();
}

void Connection::executeNative(const QString &sql)
{
    requireOpen();
    QSqlQuery query(database());
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
    QString name = resource.left(255);
    name.replace(QLatin1Char('\''), QStringLiteral("''"));
    QSqlQuery query(database());
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

QVariant Connection::insertRow(const QString &table, const QStringList &columns, const std::vector<QVariant> &values)
{
    requireOpen();
    QStringList rendered;
    for (const QVariant &v : values)
        rendered << renderForLog(v);
    const QString columnList = columns.join(QStringLiteral(", "));
    noteStatement(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(table, columnList, rendered.join(QStringLiteral(", "))));

    QStringList marks;
    for (int i = 0; i < columns.size(); ++i)
        marks << QStringLiteral("?");
    QString sql = columns.isEmpty() ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(table)
                                    : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                          .arg(table, columnList, marks.join(QStringLiteral(", ")));
    // On SQL Server the new ID comes from the same batch; OUTPUT would be refused on
    // tables that have triggers.
    if (m_dialect == Dialect::SqlServer)
        sql = QStringLiteral("SET NOCOUNT ON; ") + sql + QStringLiteral("; SELECT CAST(SCOPE_IDENTITY() AS bigint) AS ID");

    QSqlQuery query(database());
    if (!query.prepare(sql))
        throw errorFrom(query.lastError());
    for (const QVariant &v : values)
        query.addBindValue(bindable(v));
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
    for (int i = 0; i < columns.size(); ++i) {
        assignments << columns[i] + QStringLiteral(" = ?");
        rendered << columns[i] + QStringLiteral(" = ") + renderForLog(values[i]);
    }
    noteStatement(QStringLiteral("UPDATE %1 SET %2 WHERE ID = %3").arg(table, rendered.join(QStringLiteral(", ")), renderForLog(id)));
    QSqlQuery query(database());
    if (!query.prepare(QStringLiteral("UPDATE %1 SET %2 WHERE ID = ?").arg(table, assignments.join(QStringLiteral(", ")))))
        throw errorFrom(query.lastError());
    for (const QVariant &v : values)
        query.addBindValue(bindable(v));
    query.addBindValue(id);
    if (!query.exec())
        throw errorFrom(query.lastError());
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
