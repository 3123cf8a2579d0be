// The program's own connection through the real ODBC stack (Qt's ODBC driver, unixODBC,
// FreeTDS) against the TDS test server on loopback, which runs the statements on an
// SQLite file of the test's own.
#include "TdsTestServer.h"
#include "platform/db/Connection.h"

#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using db::DbError;

namespace {

const QString BookName = QStringLiteral("票据簿甲");

} // namespace

class TestOdbcWire : public QObject
{
    Q_OBJECT

    QTemporaryDir m_folder;
    std::unique_ptr<TdsTestServer> m_server;

    QString databaseFile() const { return m_folder.filePath(QStringLiteral("books.db")); }

    std::unique_ptr<db::Connection> openOverTheWire(int loginTimeoutSeconds = 5)
    {
        return db::Connection::openOdbc(m_server->connectionText(), loginTimeoutSeconds);
    }

private slots:
    void initTestCase()
    {
        if (!TdsTestServer::missingPart().isEmpty())
            QSKIP(qPrintable(TdsTestServer::missingPart()));
        QVERIFY(m_folder.isValid());
        {
            auto sqlite = db::Connection::createSqlite(databaseFile());
            sqlite->executeNative(QStringLiteral("CREATE TABLE books (ID integer PRIMARY KEY, name text, amount integer, note text, 税控 boolean)"));
            sqlite->executeNative(QStringLiteral("INSERT INTO books (name, amount, note) VALUES ('%1', 12345, NULL)").arg(BookName));
        }
        try {
            m_server = std::make_unique<TdsTestServer>(databaseFile(), m_folder.path());
        } catch (const DbError &error) {
            QFAIL(qPrintable(error.description()));
        }
    }

    void cleanupTestCase() { m_server.reset(); }

    // A query reads Chinese text, an integer and a NULL; a statement writes, and the
    // write reads back.
    void readsAndWrites()
    {
        try {
            auto connection = openOverTheWire();
            db::Recordset rows = connection->open(QStringLiteral("SELECT name, amount, note FROM books"));
            QCOMPARE(rows.recordCount(), 1);
            QCOMPARE(rows.text(QStringLiteral("name")), BookName);
            QCOMPARE(rows.value(QStringLiteral("amount")).toLongLong(), 12345LL);
            QVERIFY(rows.isNull(QStringLiteral("note")));

            connection->execute(QStringLiteral("UPDATE books SET amount = amount + 1 WHERE ID = 1"));
            rows = connection->open(QStringLiteral("SELECT amount FROM books WHERE ID = 1"));
            QCOMPARE(rows.recordCount(), 1);
            QCOMPARE(rows.value(0).toLongLong(), 12346LL);

            // A row added in a transaction reads back the ID the server gave it, and a
            // change to the row just added reaches it through that ID.
            connection->begin();
            db::EditableRecordset added = connection->openEditable(QStringLiteral("SELECT * FROM books WHERE ID = 0"));
            added.addNew();
            added.setValue(QStringLiteral("name"), QStringLiteral("票据簿乙"));
            added.setValue(QStringLiteral("amount"), 7);
            added.update();
            QCOMPARE(added.value(QStringLiteral("ID")).toLongLong(), 2LL);
            added.setValue(QStringLiteral("note"), QStringLiteral("备注"));
            added.setValue(QStringLiteral("税控"), true);
            added.update();
            connection->commit();
            rows = connection->open(QStringLiteral("SELECT name, amount, note, 税控 FROM books WHERE ID = 2"));
            QCOMPARE(rows.recordCount(), 1);
            QCOMPARE(rows.text(QStringLiteral("name")), QStringLiteral("票据簿乙"));
            QCOMPARE(rows.value(QStringLiteral("amount")).toLongLong(), 7LL);
            QCOMPARE(rows.text(QStringLiteral("note")), QStringLiteral("备注"));
            QCOMPARE(rows.value(QStringLiteral("税控")).toInt(), 1);

            // What a rolled-back transaction wrote is gone.
            connection->begin();
            connection->execute(QStringLiteral("DELETE FROM books WHERE ID = 2"));
            connection->rollback();
            QCOMPARE(connection->open(QStringLiteral("SELECT ID FROM books WHERE ID = 2")).recordCount(), 1);
        } catch (const DbError &error) {
            QFAIL(qPrintable(error.description()));
        }
    }

    // Bound text reaches the server as Unicode: a character outside the code page of the
    // server's collation (GBK) is kept, as on the embedded database.
    void textParametersKeepEveryCharacter()
    {
        const QString name = QStringLiteral("票据簿𠮷€ü");
        try {
            auto connection = openOverTheWire();
            connection->begin();
            db::EditableRecordset added = connection->openEditable(QStringLiteral("SELECT * FROM books WHERE ID = 0"));
            added.addNew();
            added.setValue(QStringLiteral("name"), name);
            added.update();
            const QString id = added.text(QStringLiteral("ID"));
            connection->commit();
            auto sqlite = db::Connection::openSqlite(databaseFile());
            QCOMPARE(sqlite->open(QStringLiteral("SELECT name FROM books WHERE ID = ") + id).text(0), name);
            QCOMPARE(connection->open(QStringLiteral("SELECT name FROM books WHERE ID = ") + id).text(0), name);
        } catch (const DbError &error) {
            QFAIL(qPrintable(error.description()));
        }
    }

    // A flag column reads the same through ODBC as on the embedded database.
    void flagsReadAsOnTheEmbeddedDatabase()
    {
        try {
            auto connection = openOverTheWire();
            connection->execute(QStringLiteral("UPDATE books SET 税控 = 1 WHERE ID = 1"));
            auto sqlite = db::Connection::openSqlite(databaseFile());
            const QString query = QStringLiteral("SELECT 税控 FROM books WHERE ID = 1");
            QCOMPARE(sqlite->open(query).text(0), QStringLiteral("True"));
            QCOMPARE(connection->open(query).text(0), QStringLiteral("True"));
            connection->execute(QStringLiteral("UPDATE books SET 税控 = 0 WHERE ID = 1"));
            QCOMPARE(connection->open(query).text(0), QStringLiteral("False"));
        } catch (const DbError &error) {
            QFAIL(qPrintable(error.description()));
        }
    }

    // Every kind of column the windows read gives the same text and the same NULLs
    // through ODBC as on the embedded database.
    void valuesReadBackAsOnTheEmbeddedDatabase()
    {
        try {
            auto sqlite = db::Connection::openSqlite(databaseFile());
            sqlite->executeNative(QStringLiteral(
                "CREATE TABLE readback (ID integer PRIMARY KEY, 金额 numeric(18,2), 税额 numeric(18,2), 提交日期 datetime, "
                "审核日期 datetime, 离职日期 date, 税控 boolean, 工号 text, 顺序 integer)"));
            sqlite->executeNative(QStringLiteral(
                "INSERT INTO readback VALUES (1, 1050.5, 1050, '2026-12-09 10:30:15', '2026-11-20', '2025-06-30', 1, '张三', -3)"));
            sqlite->executeNative(QStringLiteral(
                "INSERT INTO readback VALUES (2, -0.01, 99999999.99, NULL, NULL, NULL, 0, NULL, NULL)"));
            sqlite->executeNative(QStringLiteral("INSERT INTO readback (ID) VALUES (3)"));
            // Chinese texts longer than a third of their column's declared width (UTF-8 longer
            // than the width) up to one read in several pieces.
            for (int n : {33, 34, 100, 5000})
                sqlite->executeNative(QStringLiteral("INSERT INTO readback (ID, 工号) VALUES (%2, '%1')").arg(QString(n, QChar(0x7968))).arg(1000 + n));
            auto connection = openOverTheWire();
            const QString query = QStringLiteral("SELECT * FROM readback ORDER BY ID");
            db::Recordset local = sqlite->open(query);
            db::Recordset wire = connection->open(query);
            QCOMPARE(wire.columnNames(), local.columnNames());
            for (; !local.eof(); local.moveNext(), wire.moveNext()) {
                QVERIFY(!wire.eof());
                for (int c = 0; c < local.columnNames().size(); ++c) {
                    const QString where = local.columnNames()[c] + QStringLiteral(" of row ") + local.text(0);
                    QVERIFY2(wire.isNull(c) == local.isNull(c), qPrintable(where));
                    QVERIFY2(wire.text(c) == local.text(c), qPrintable(where + QStringLiteral(": ") + wire.text(c)
                                                                        + QStringLiteral(" / ") + local.text(c)));
                }
            }
            QVERIFY(wire.eof());

            // For the typed tables besides: more digits than a double's fifteen, milliseconds (a
            // recordset gives them on the embedded database only), a text repeated from the row above.
            sqlite->executeNative(QStringLiteral(
                "INSERT INTO readback VALUES (4, 12345678901234.56, -0.01, '2026-12-09 10:30:15.123', NULL, NULL, NULL, '票据簿𠮷€ü', 0),"
                " (5, NULL, NULL, NULL, NULL, NULL, NULL, '票据簿𠮷€ü', NULL)"));

            // The same result by typed columns: the same kinds (an all-NULL column's too), values,
            // milliseconds and texts kept once for the row above. The embedded database keeps an
            // amount as binary floating point and gives 15 digits of it; the server, every digit.
            const auto cell = [](const db::ResultTable &t, int row, int c) {
                QString s = t.isNull(row, c) ? QStringLiteral("NULL") : t.text(row, c);
                if (t.kind(c) == db::ResultTable::Kind::DateTime)
                    s += QStringLiteral(" +%1 ms").arg(t.msecsOfDay(row, c));
                if (t.kind(c) == db::ResultTable::Kind::Text && t.repeatsRowAbove(row, c))
                    s += QStringLiteral(" (as above)");
                return s;
            };
            for (const QString &where : {QStringLiteral(""), QStringLiteral(" WHERE ID = 3")}) {
                const QString select = QStringLiteral("SELECT * FROM readback") + where + QStringLiteral(" ORDER BY ID");
                const db::ResultTable localTable = sqlite->openTable(select), wireTable = connection->openTable(select);
                QCOMPARE(wireTable.rowCount(), localTable.rowCount());
                for (int c = 0; c < localTable.columnCount(); ++c)
                    QVERIFY2(wireTable.kind(c) == localTable.kind(c), qPrintable(localTable.columnNames()[c]));
                for (int row = 0; row < localTable.rowCount(); ++row)
                    for (int c = 0; c < localTable.columnCount(); ++c) {
                        const bool manyDigits = localTable.integer(row, 0) == 4 && c == 1;
                        const QString expected = manyDigits ? QStringLiteral("12345678901234.56") : cell(localTable, row, c);
                        QVERIFY2(cell(wireTable, row, c) == expected, qPrintable(localTable.columnNames()[c] + QStringLiteral(": ")
                                                                                 + cell(wireTable, row, c) + QStringLiteral(" / ") + expected));
                    }
            }
        } catch (const DbError &error) {
            QFAIL(qPrintable(error.description()));
        }
    }

    // The exclusive write of one program holds off another until it ends; the other
    // gives up when it has waited its time.
    void anExclusiveWriteHoldsOffAnother()
    {
        try {
            auto first = openOverTheWire();
            auto second = openOverTheWire(1);
            first->beginExclusive(QStringLiteral("票据入库"));
            QElapsedTimer waited;
            waited.start();
            try {
                second->beginExclusive(QStringLiteral("票据入库"));
                QFAIL("the second program wrote while the first held the lock");
            } catch (const DbError &refusal) {
                QVERIFY(refusal.description().startsWith(QStringLiteral("其他操作员正在写入同一数据")));
            }
            QVERIFY(waited.elapsed() >= 900);
            QVERIFY(!second->inTransaction());
            // Another resource is free, and the first one is once the first program commits.
            second->beginExclusive(QStringLiteral("票据反核销"));
            second->rollback();
            first->commit();
            second->beginExclusive(QStringLiteral("票据入库"));
            second->commit();
        } catch (const DbError &error) {
            QFAIL(qPrintable(error.description()));
        }
    }
};

QTEST_GUILESS_MAIN(TestOdbcWire)
#include "test_odbc_wire.moc"
