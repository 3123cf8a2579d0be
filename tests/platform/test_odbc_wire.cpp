// The program's own connection through the real ODBC stack (Qt's ODBC driver, unixODBC,
// FreeTDS) against the TDS test server on loopback, which runs the statements on an
// SQLite file of the test's own.
#include "platform/db/Connection.h"
#include "shell/Connection.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using db::DbError;

namespace {

const QString Python = QStringLiteral("/usr/bin/python3");
const QString FreeTdsDriver = QStringLiteral("/usr/lib/x86_64-linux-gnu/odbc/libtdsodbc.so");
const QString BookName = QStringLiteral("票据簿甲");

} // namespace

class TestOdbcWire : public QObject
{
    Q_OBJECT

    QTemporaryDir m_folder;
    QProcess m_server;
    QString m_port;

    QString databaseFile() const { return m_folder.filePath(QStringLiteral("books.db")); }

    std::unique_ptr<db::Connection> openOverTheWire()
    {
        const QString text = ::Connection::odbcConnectionText(QStringLiteral("FreeTDS"), QStringLiteral("sa"),
                                                            QStringLiteral("pw"), QStringLiteral("tessaline"),
                                                            QStringLiteral("127.0.0.1,") + m_port);
        return db::Connection::openOdbc(text, 5);
    }

private slots:
    void initTestCase()
    {
        if (!QFile::exists(Python))
            QSKIP("python3 is not installed");
        if (!QFile::exists(FreeTdsDriver))
            QSKIP("FreeTDS's ODBC driver is not installed");
        QVERIFY(m_folder.isValid());

        // The driver is found by name through an odbcinst.ini of the test's own.
        QFile odbcinst(m_folder.filePath(QStringLiteral("odbcinst.ini")));
        QVERIFY(odbcinst.open(QIODevice::WriteOnly));
        odbcinst.write(QStringLiteral("[FreeTDS]\nDriver = %1\n").arg(FreeTdsDriver).toUtf8());
        odbcinst.close();
        qputenv("ODBCSYSINI", m_folder.path().toLocal8Bit());
        qunsetenv("FREETDSCONF");

        {
            auto sqlite = db::Connection::createSqlite(databaseFile());
            sqlite->executeNative(QStringLiteral("CREATE TABLE books (ID integer PRIMARY KEY, name text, amount integer, note text, settled bit)"));
            sqlite->executeNative(QStringLiteral("INSERT INTO books (name, amount, note) VALUES ('%1', 12345, NULL)").arg(BookName));
        }

        const QString portFile = m_folder.filePath(QStringLiteral("port"));
        const QString script = qEnvironmentVariable("TESSALINE_SOURCE_DIR") + QStringLiteral("/tests/tds/tds_server.py");
        m_server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_server.start(Python, {script, databaseFile(), QStringLiteral("--port-file"), portFile,
                                QStringLiteral("--parent"), QString::number(QCoreApplication::applicationPid()),
                                QStringLiteral("--time-limit"), QStringLiteral("120")});
        QVERIFY2(m_server.waitForStarted(5000), qPrintable(m_server.errorString()));
        QDeadlineTimer deadline(10000);
        // Waiting for its end also notices a server that stopped at once.
        while (!QFile::exists(portFile) && !deadline.hasExpired() && !m_server.waitForFinished(50)) {
        }
        QFile port(portFile);
        QVERIFY2(port.open(QIODevice::ReadOnly), "the TDS test server did not start");
        m_port = QString::fromLatin1(port.readAll()).trimmed();
        QVERIFY(!m_port.isEmpty());
    }

    void cleanupTestCase()
    {
        if (m_server.state() != QProcess::NotRunning) {
            m_server.kill();
            m_server.waitForFinished(5000);
        }
    }

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
            added.setValue(QStringLiteral("settled"), true);
            added.update();
            connection->commit();
            rows = connection->open(QStringLiteral("SELECT name, amount, note, settled FROM books WHERE ID = 2"));
            QCOMPARE(rows.recordCount(), 1);
            QCOMPARE(rows.text(QStringLiteral("name")), QStringLiteral("票据簿乙"));
            QCOMPARE(rows.value(QStringLiteral("amount")).toLongLong(), 7LL);
            QCOMPARE(rows.text(QStringLiteral("note")), QStringLiteral("备注"));
            QCOMPARE(rows.value(QStringLiteral("settled")).toInt(), 1);

            // What a rolled-back transaction wrote is gone.
            connection->begin();
            connection->execute(QStringLiteral("DELETE FROM books WHERE ID = 2"));
            connection->rollback();
            QCOMPARE(connection->open(QStringLiteral("SELECT ID FROM books WHERE ID = 2")).recordCount(), 1);
        } catch (const DbError &error) {
            QFAIL(qPrintable(error.description()));
        }
    }
};

QTEST_GUILESS_MAIN(TestOdbcWire)
#include "test_odbc_wire.moc"
