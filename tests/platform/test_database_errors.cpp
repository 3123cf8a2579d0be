// Failures the operator can act on are described in Chinese before the driver's own text,
// and keep the driver's number: real failures of SQLite files and of SQL Server logins and
// connections (against loopback servers of the test's own), and the table of meanings.
#include "LoopbackServers.h"
#include "TestDatabase.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using db::Connection;
using db::DbError;

namespace {

const QString Locked = QStringLiteral("数据库正被其他程序使用（已锁定），请稍后再试。");
const QString ReadOnly = QStringLiteral("数据库文件或其所在文件夹是只读的，无法写入。");
const QString NotADatabase = QStringLiteral("该文件不是数据库文件。");
const QString DiskFull = QStringLiteral("磁盘已满，无法写入数据库。");
const QString CannotOpen = QStringLiteral("无法打开数据库文件。");
const QString IoError = QStringLiteral("读写数据库文件时出错。");
const QString Corrupt = QStringLiteral("数据库文件已损坏。");
const QString ConnectionFailed = QStringLiteral("与数据库服务器的连接失败或已断开。");
const QString TimedOut = QStringLiteral("连接数据库服务器超时。");
const QString LoginRefused = QStringLiteral("数据库登录名或密码不正确。");

// The meaning, a blank, then the driver's own (non-empty) text.
void verifyDescribed(const DbError &error, const QString &meaning)
{
    QVERIFY2(error.description().startsWith(meaning + QLatin1Char(' ')), qPrintable(error.description()));
    QVERIFY2(error.description().size() > meaning.size() + 1, qPrintable(error.description()));
}

QString freeTdsText(const QString &server)
{
    return QStringLiteral("DRIVER={FreeTDS};SERVER=%1;UID=sa;PWD=x;DATABASE=Veldrin;ClientCharset=UTF-8;TDS_Version=7.4;")
        .arg(server);
}

} // namespace

class TestDatabaseErrors : public QObject
{
    Q_OBJECT

private slots:
    // Another program holds the write lock and this connection does not wait.
    void lockedDatabase()
    {
        TestDatabase database;
        auto holder = Connection::openSqlite(database.path(), 0);
        auto writer = Connection::openSqlite(database.path(), 0);
        holder->beginExclusive(QStringLiteral("test"));
        try {
            writer->execute(QStringLiteral("insert into 收款方式列表(收款方式) values('现金')"));
            QFAIL("a write must fail while another connection holds the lock");
        } catch (const DbError &e) {
            verifyDescribed(e, Locked);
            QCOMPARE(e.number() & 0xff, 5);
        }
        holder->rollback();
        writer->execute(QStringLiteral("insert into 收款方式列表(收款方式) values('现金')"));
        QCOMPARE(database.count(QStringLiteral("收款方式列表")), 1);
    }

    // Tests run as root, for whom a file's permissions do not stop a write; SQLite's own
    // read-only switch gives the same result code.
    void readOnlyDatabase()
    {
        TestDatabase database;
        auto c = Connection::openSqlite(database.path(), 0);
        c->executeNative(QStringLiteral("PRAGMA query_only = ON"));
        try {
            c->execute(QStringLiteral("insert into 收款方式列表(收款方式) values('现金')"));
            QFAIL("a read-only database must refuse a write");
        } catch (const DbError &e) {
            verifyDescribed(e, ReadOnly);
            QCOMPARE(e.number() & 0xff, 8);
        }
    }

    void fileThatIsNotADatabase()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("票据.db"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(8192, 'x'));
        file.close();
        try {
            auto c = Connection::openSqlite(path, 0);
            c->open(QStringLiteral("select count(*) from 票据"));
            QFAIL("a file of text cannot be read as a database");
        } catch (const DbError &e) {
            verifyDescribed(e, NotADatabase);
            QCOMPARE(e.number(), 26);
        }
    }

    void corruptDatabase()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("corrupt.db"));
        {
            auto c = Connection::createSqlite(path);
            c->executeNative(QStringLiteral("create table t(x text)"));
            for (int i = 0; i < 50; ++i)
                c->executeNative(QStringLiteral("insert into t values('%1')").arg(QString(200, QLatin1Char('x'))));
        }
        // The table's first page (the second of the file) becomes noise.
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.seek(4096));
        file.write(QByteArray(4096, '\xff'));
        file.close();
        try {
            auto c = Connection::openSqlite(path, 0);
            c->open(QStringLiteral("select count(*) as n from t"));
            QFAIL("a damaged table cannot be read");
        } catch (const DbError &e) {
            verifyDescribed(e, Corrupt);
            QCOMPARE(e.number() & 0xff, 11);
        }
    }

    void databaseThatCannotBeOpened()
    {
        QTemporaryDir dir;
        try {
            Connection::createSqlite(dir.filePath(QStringLiteral("no such folder/new.db")));
            QFAIL("a database cannot be created in a missing folder");
        } catch (const DbError &e) {
            verifyDescribed(e, CannotOpen);
            QCOMPARE(e.number() & 0xff, 14);
        }
    }

    void otherSqliteFailuresKeepTheDriverText()
    {
        TestDatabase database;
        auto c = Connection::openSqlite(database.path(), 0);
        try {
            c->execute(QStringLiteral("update 没有的表 set x=1"));
            QFAIL("a missing table must fail");
        } catch (const DbError &e) {
            for (const QString &meaning : {Locked, ReadOnly, NotADatabase, DiskFull, CannotOpen, IoError, Corrupt})
                QVERIFY(!e.description().contains(meaning));
            QVERIFY(e.description().contains(QStringLiteral("没有的表")));
        }
    }

    // The codes the tests above do not provoke, and extended codes.
    void sqliteResultCodes_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("meaning");
        QTest::newRow("BUSY_SNAPSHOT (extended)") << (5 | (2 << 8)) << Locked;
        QTest::newRow("LOCKED") << 6 << Locked;
        QTest::newRow("READONLY_DIRECTORY (extended)") << (8 | (6 << 8)) << ReadOnly;
        QTest::newRow("IOERR") << 10 << IoError;
        QTest::newRow("IOERR_WRITE (extended)") << (10 | (3 << 8)) << IoError;
        QTest::newRow("FULL") << 13 << DiskFull;
        QTest::newRow("ERROR") << 1 << QString();
        QTest::newRow("CONSTRAINT_UNIQUE") << (19 | (8 << 8)) << QString();
        QTest::newRow("none") << 0 << QString();
        QTest::newRow("negative") << -1 << QString();
    }

    void sqliteResultCodes()
    {
        QFETCH(int, code);
        QFETCH(QString, meaning);
        QCOMPARE(db::sqliteFailureMeaning(code), meaning);
    }

    // The states and numbers the servers below do not produce.
    void odbcStates_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<int>("native");
        QTest::addColumn<QString>("meaning");
        QTest::newRow("08004") << QStringLiteral("08004") << 0 << ConnectionFailed;
        QTest::newRow("HYT01") << QStringLiteral("HYT01") << 0 << TimedOut;
        QTest::newRow("28000") << QStringLiteral("28000") << 0 << LoginRefused;
        QTest::newRow("18456 without a state") << QString() << 18456 << LoginRefused;
        QTest::newRow("42S02") << QStringLiteral("42S02") << 208 << QString();
        QTest::newRow("HY000") << QStringLiteral("HY000") << 0 << QString();
    }

    void odbcStates()
    {
        QFETCH(QString, state);
        QFETCH(int, native);
        QFETCH(QString, meaning);
        QCOMPARE(db::odbcFailureMeaning(state, native), meaning);
    }

    void closedPort()
    {
        try {
            Connection::openOdbc(freeTdsText(QStringLiteral("127.0.0.1,%1").arg(LoopbackServer::closedPort())), 2);
            QFAIL("nothing listens on the port");
        } catch (const DbError &e) {
            verifyDescribed(e, ConnectionFailed);
            QVERIFY(e.description().contains(QStringLiteral("[FreeTDS]")));
            QCOMPARE(e.number(), 20009); // FreeTDS: server unavailable or does not exist
        }
    }

    void refusedLogin()
    {
        LoopbackServer server(LoopbackServer::Behaviour::RefuseLogin);
        try {
            Connection::openOdbc(freeTdsText(server.server()), 2);
            QFAIL("the server refuses the login");
        } catch (const DbError &e) {
            verifyDescribed(e, LoginRefused);
            QVERIFY(e.description().contains(QStringLiteral("Login failed for user 'sa'.")));
            QCOMPARE(e.number(), 18456);
        }
    }

    // Connected, then the server goes away: the next statement says so.
    void connectionLostAfterLogin()
    {
        LoopbackServer server(LoopbackServer::Behaviour::DropAfterLogin);
        auto c = Connection::openOdbc(freeTdsText(server.server()), 2);
        QVERIFY(c->isOpen());
        try {
            c->execute(QStringLiteral("update 票据 set 使用=1 where 1=0"));
            QFAIL("the server closed the connection");
        } catch (const DbError &e) {
            verifyDescribed(e, ConnectionFailed);
        }
    }
};

QTEST_GUILESS_MAIN(TestDatabaseErrors)
#include "test_database_errors.moc"
