// Settings in the per-user store -> connection text -> the shared connection, and
// what the operator is told when it cannot be opened.
#include "TestDatabase.h"
#include "platform/ui/MessageBoxes.h"
#include "shell/AppState.h"
#include "shell/Connection.h"
#include "shell/DbSettings.h"

#include <QElapsedTimer>
#include <QSettings>
#include <QtTest>

namespace {

QTemporaryDir &configHome()
{
    static QTemporaryDir dir;
    return dir;
}

QString settingsFile()
{
    return configHome().filePath(QStringLiteral("VB and VBA Program Settings/Veldrin2011.conf"));
}

void writeSettings(const QList<QPair<QString, QString>> &values)
{
    QFile::remove(settingsFile());
    QSettings settings(settingsFile(), QSettings::IniFormat);
    for (const auto &v : values)
        settings.setValue(v.first, v.second);
}

using MessageBoxes::Icon;

} // namespace

class TestConnectionSettings : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        resetAppState();
        MessageBoxes::startScripting();
    }

    void cleanup() { MessageBoxes::stopScripting(); }

    void noSettingsFailsWithBothMessagesInOrder()
    {
        QFile::remove(settingsFile());
        QVERIFY(!ConnectWithSettings());
        const auto shown = MessageBoxes::records();
        QCOMPARE(shown.size(), 2);
        QVERIFY(shown[0].text.startsWith(QStringLiteral("错误信息：")));
        QVERIFY(shown[0].text.size() > QStringLiteral("错误信息：").size());
        QCOMPARE(shown[0].title, QStringLiteral("信息文本"));
        QCOMPARE(shown[0].icon, Icon::Information);
        QCOMPARE(shown[1].text, QStringLiteral("数据库连接失败!"));
        QCOMPARE(shown[1].title, QStringLiteral("连接提示"));
        QCOMPARE(shown[1].icon, Icon::Information);
        QVERIFY(!DbConnection().isOpen());
    }

    void sqliteFileFromSettingsOpensAndReadsOrganisation()
    {
        TestDatabase database;
        writeSettings({{QStringLiteral("DBConfig/DBname"), database.path()},
                       {QStringLiteral("Tessaline/Backend"), QStringLiteral("sqlite")},
                       {QStringLiteral("Tessaline/OrganisationName"), QStringLiteral("示范财务处")}});
        QVERIFY(ConnectWithSettings());
        QVERIFY(MessageBoxes::records().isEmpty());
        QVERIFY(DbConnection().isOpen());
        QCOMPARE(OrganisationName(), QStringLiteral("示范财务处"));
        auto rs = DbConnection().open(QStringLiteral("select count(*) AS 计数 from 票据类型"));
        QCOMPARE(rs.text(QStringLiteral("计数")), QStringLiteral("0"));
    }

    void relativeFileIsFoundBesideTheSettings()
    {
        TestDatabase database;
        const QString copy = QFileInfo(settingsFile()).absolutePath() + QStringLiteral("/copy.db");
        QDir().mkpath(QFileInfo(copy).absolutePath());
        QFile::remove(copy);
        QVERIFY(QFile::copy(database.path(), copy));
        writeSettings({{QStringLiteral("DBConfig/DBname"), QStringLiteral("copy.db")}});
        QVERIFY(ConnectWithSettings());
        QCOMPARE(DbConnection().database().databaseName(), copy);
    }

    void secondSignInReplacesTheConnection()
    {
        TestDatabase first, second;
        second.insert(QStringLiteral("收款方式列表"), {{QStringLiteral("收款方式"), QStringLiteral("现金")}});
        QVERIFY(Connection::OpenDbConnection(QString(), QString(), first.path(), QString()));
        const QString firstName = DbConnection().database().connectionName();
        QVERIFY(Connection::OpenDbConnection(QString(), QString(), second.path(), QString()));
        QVERIFY(!QSqlDatabase::contains(firstName)); // the first one was released
        auto rs = DbConnection().open(QStringLiteral("select * from 收款方式列表"));
        QCOMPARE(rs.text(QStringLiteral("收款方式")), QStringLiteral("现金"));

        // A failed attempt also replaces it: the old connection is not used on.
        QVERIFY(!Connection::OpenDbConnection(QString(), QString(), first.folder() + QStringLiteral("/none.db"), QString()));
        QVERIFY(!DbConnection().isOpen());
    }

    void settingsFileIsReadAsWritten()
    {
        QDir().mkpath(QFileInfo(settingsFile()).absolutePath());
        QFile file(settingsFile());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("[Other]\nPWD=not this\n\n[DBConfig]\nSvr = db1\\SQLEXPRESS\nUID=sa\nPWD=ab;cd\\e=f\n"
                   "DBname=\"Veldrin 2011\"\n[Tessaline]\nOrganisationName=示范财务处\n");
        file.close();
        const DbSettingsRecord settings = readDbSettings();
        QCOMPARE(settings.Svr, QStringLiteral("db1\\SQLEXPRESS"));
        QCOMPARE(settings.UID, QStringLiteral("sa"));
        QCOMPARE(settings.PWD, QStringLiteral("ab;cd\\e=f"));
        QCOMPARE(settings.DBname, QStringLiteral("Veldrin 2011"));
        QCOMPARE(readLocalSettings().organisationName, QStringLiteral("示范财务处"));
        QCOMPARE(readLocalSettings().loginTimeoutSeconds, 15);
        QCOMPARE(readLocalSettings().backend, LocalSettings::Backend::SqlServer);
    }

    void odbcTextQuotesEveryValue()
    {
        QCOMPARE(Connection::odbcConnectionText(QStringLiteral("ODBC Driver 18 for SQL Server"), QStringLiteral("sa"),
                                                QStringLiteral("pw"), QStringLiteral("Veldrin"), QStringLiteral("db1")),
                 QStringLiteral("DRIVER={ODBC Driver 18 for SQL Server};SERVER=db1;UID=sa;PWD=pw;DATABASE=Veldrin;"));
        const QString text = Connection::odbcConnectionText(QStringLiteral("FreeTDS"), QStringLiteral("o'neil"),
                                                            QStringLiteral("a;b}c"), QStringLiteral("Vel;drin"),
                                                            QStringLiteral("srv'1"));
        // FreeTDS reads a braced value up to "};" and keeps doubled braces doubled.
        // It is also told the TDS version: its automatic choice can hang on a silent server.
        QCOMPARE(text, QStringLiteral("DRIVER={FreeTDS};SERVER=srv'1;UID=o'neil;PWD={a;b}c};DATABASE={Vel;drin};"
                                      "ClientCharset=UTF-8;TDS_Version=7.4;"));
        QCOMPARE(Connection::odbcConnectionText(QStringLiteral("ODBC Driver 18 for SQL Server"), QStringLiteral("sa"),
                                                QStringLiteral("a;b}c"), QStringLiteral("db"), QStringLiteral("srv\\inst")),
                 QStringLiteral("DRIVER={ODBC Driver 18 for SQL Server};SERVER=srv\\inst;UID=sa;PWD={a;b}}c};DATABASE=db;"));
    }

    // The ODBC path, checked with the SQLite ODBC driver (whose own parser knows no
    // braced values, so only ordinary values here): the settings reach the driver
    // manager and statements pass unadapted.
    void odbcPathOpensThroughTheDriverManager()
    {
        TestDatabase database;
        database.insert(QStringLiteral("收款方式列表"), {{QStringLiteral("收款方式"), QStringLiteral("现金")}});
        writeSettings({{QStringLiteral("DBConfig/DBname"), database.path()},
                       {QStringLiteral("DBConfig/PWD"), QStringLiteral("secret")},
                       {QStringLiteral("Tessaline/Backend"), QStringLiteral("sqlserver")},
                       {QStringLiteral("Tessaline/OdbcDriver"), QStringLiteral("SQLite3")}});
        QVERIFY2(ConnectWithSettings(), qPrintable(MessageBoxes::records().value(0).text));
        QCOMPARE(DbConnection().dialect(), db::Connection::Dialect::SqlServer);
        auto rs = DbConnection().open(QStringLiteral("select 收款方式 from 收款方式列表"));
        QCOMPARE(rs.text(QStringLiteral("收款方式")), QStringLiteral("现金"));

        // A batch on this path also goes statement by statement in one transaction:
        // a failure in its second statement leaves the first unwritten.
        QVERIFY_THROWS_EXCEPTION(db::DbError, DbConnection().execute(QStringLiteral(
            "insert into 收款方式列表(收款方式) values('支票') insert into 没有的表(x) values(1)")));
        QCOMPARE(database.count(QStringLiteral("收款方式列表")), 1);
        DbConnection().execute(QStringLiteral("insert into 收款方式列表(收款方式) values('支票') "
                                              "update 收款方式列表 set 收款方式='转账' where 收款方式='支票'"));
        QCOMPARE(database.count(QStringLiteral("收款方式列表"), QStringLiteral("收款方式='转账'")), 1);
    }

    void unreachableServerFailsWithinTheTimeout()
    {
        writeSettings({{QStringLiteral("DBConfig/Svr"), QStringLiteral("127.0.0.1")},
                       {QStringLiteral("DBConfig/UID"), QStringLiteral("sa")},
                       {QStringLiteral("DBConfig/DBname"), QStringLiteral("Veldrin")},
                       {QStringLiteral("Tessaline/LoginTimeout"), QStringLiteral("3")}});
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!ConnectWithSettings());
        QVERIFY(timer.elapsed() < (3 + 2) * 1000);
        const auto shown = MessageBoxes::records();
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown[0].title, QStringLiteral("信息文本"));
        QCOMPARE(shown[1].text, QStringLiteral("数据库连接失败!"));
    }
};

int main(int argc, char **argv)
{
    // The settings store must never be the developer's own: point it at a folder of the test's.
    qputenv("XDG_CONFIG_HOME", configHome().path().toUtf8());
    QCoreApplication app(argc, argv);
    TestConnectionSettings test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_connection_settings.moc"
