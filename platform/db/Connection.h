#pragma once

#include "platform/db/DbError.h"
#include "platform/db/Recordset.h"
#include "platform/db/ResultTable.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

struct sqlite3;

namespace db {

// The one database connection of the program, shaped like the data-access layer
// the windows were written for: open, execute a statement or a batch, read
// recordsets, begin / commit / roll back.
//
// Statements are SQL Server's. On SQL Server (through ODBC) they pass unchanged;
// on the embedded SQLite database they are adapted first (TsqlAdapter).
class Connection
{
public:
    enum class Dialect { SqlServer, Sqlite };

    // A connection that is not open: every use fails with a DbError.
    Connection();
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    // Opens an existing SQLite file (a missing file is an error, never created).
    static std::unique_ptr<Connection> openSqlite(const QString &file, int busyTimeoutSeconds = 15);
    // Opens an ODBC connection text. A server that does not complete a login in time
    // (silent, answering nonsense, answering a byte at a time) makes it fail with a
    // DbError at the latest a second after the login time-out: the login is first tried
    // in a thread of its own, and only a server that completed it in time is connected
    // to (so a successful open logs in twice). A server that lets that first login in and
    // then stops answering can still hold the second one, which Qt's driver follows with
    // a question about the server's data types.
    static std::unique_ptr<Connection> openOdbc(const QString &connectionText, int loginTimeoutSeconds = 15);
    // Creates a new SQLite file (for the demo set-up and the tests only).
    static std::unique_ptr<Connection> createSqlite(const QString &file);

    bool isOpen() const;
    Dialect dialect() const { return m_dialect; }

    // A forward-only, read-only result.
    Recordset open(const QString &sql);
    // The same result kept by column as typed values, for results of many rows, read
    // straight from the engine (SQLite, or the ODBC driver) into the table. `answered`, when given, is
    // called once the engine has run the statement and given its first row (or its
    // end), before the rows are read: a window that shows the previous result can let
    // it go then, so that the two are never held at once. A statement that fails
    // before that does not call it.
    ResultTable openTable(const QString &sql, const std::function<void()> &answered = {});
    // A result whose rows can be added to or edited and saved (one table).
    EditableRecordset openEditable(const QString &sql);
    // Runs a statement or a batch of statements. A batch outside a transaction runs
    // in a transaction of its own: it is written whole or not at all.
    void execute(const QString &sql);
    // Runs text in the database's own dialect, unadapted and unlogged (schema set-up).
    void executeNative(const QString &sql);

    void begin();
    // Starts a transaction that holds the right to write from its start, so that a
    // check and the write that depends on it are never interleaved with the same work
    // of another program: SQLite takes the database's write lock at once (waiting up to
    // the busy time-out); SQL Server takes an exclusive application lock on `resource`,
    // held until commit or roll-back.
    void beginExclusive(const QString &resource);
    void commit();
    void rollback();
    bool inTransaction() const { return m_inTransaction; }

    // Test hooks, off unless a test turns them on.
    void setStatementLogging(bool on) { m_logging = on; }
    QStringList statementLog() const { return m_log; }
    void clearStatementLog() { m_log.clear(); }
    // The n-th statement sent from now on (1 = the next) fails; 0 turns it off. Each
    // statement of a batch counts, so statement k of a batch can be made to fail.
    void failAtStatement(int n) { m_failAt = n; m_sentSinceArmed = 0; }

    QSqlDatabase database() const;

private:
    friend class EditableRecordset;
    static std::unique_ptr<Connection> openSqliteFile(const QString &file, const QString &options);
    void requireOpen() const;
    void logStatement(const QString &text);
    void countStatement(const QString &text);
    QStringList adapt(const QString &sql) const;
    // Logs a text, runs every statement of it but the last, and returns the last (the one
    // whose result is read).
    QString runAllButLast(const QString &sql);
    enum class Reading { ColumnsAndRows, ColumnsOnly, PendingRows };
    void runQuery(const QString &statement, Recordset &into, Reading reading = Reading::ColumnsAndRows);
    void readPendingRows(EditableRecordset &into);
    // The SQLite handle under the connection; null on SQL Server.
    sqlite3 *sqliteHandle() const;
    void readSqlite(sqlite3 *handle, const QString &statement, Recordset &into, bool readRows);
    ResultTable readSqliteTable(sqlite3 *handle, const QString &statement, const std::function<void()> &answered);
    ResultTable readServerTable(const QString &statement, const std::function<void()> &answered);
    void runStatements(const QStringList &statements);
    QVariant insertRow(const QString &table, const QStringList &columns, const std::vector<QVariant> &values);
    void updateRow(const QString &table, const QVariant &id, const QStringList &columns,
                   const std::vector<QVariant> &values);
    QVariant bindable(const QVariant &value) const;
    // "?" with the value appended to `bound`, or the value itself written into the statement.
    QString placeholderFor(const QVariant &value, QVariantList &bound) const;
    QString renderForLog(const QVariant &value) const;

    QString m_name;
    // Recordsets that write hold a weak reference: they fail cleanly once the
    // connection they came from is gone.
    std::shared_ptr<int> m_life = std::make_shared<int>(0);
    Dialect m_dialect = Dialect::Sqlite;
    bool m_inTransaction = false;
    // An exclusive SQLite transaction is begun and ended by statements of our own.
    bool m_sqliteOwnTransaction = false;
    int m_busyTimeoutMs = 0; // how long SQL Server's application lock is waited for
    bool m_logging = false;
    QStringList m_log;
    int m_failAt = 0;
    int m_sentSinceArmed = 0;
};

// The table an editable recordset writes to: the single table named after FROM.
QString tableOfSelect(const QString &sql);

// What a failure means to the operator, for the failures he can act on (a locked or
// read-only file, a server he cannot reach, a wrong login...); empty for any other. A
// DbError's description is this text, a blank and the driver's own text.
//
// From SQLite's result code; an extended code counts as its primary code.
QString sqliteFailureMeaning(int resultCode);
// From an ODBC SQLSTATE and the driver's native number. SQL Server refuses a login with
// message 18456, whatever state the driver reports for it (FreeTDS: 42000).
QString odbcFailureMeaning(const QString &sqlState, int nativeCode = 0);

} // namespace db
