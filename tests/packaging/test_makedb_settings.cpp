// The settings tessaline-makedb writes, read back by the program's own settings code: every
// value arrives as it was given, whatever it holds, and nothing else in the file is lost.
#include "platform/settings/SettingsStore.h"
#include "platform/ui/MessageBoxes.h"
#include "shell/AppState.h"
#include "shell/Connection.h"
#include "shell/DbSettings.h"

#include <QProcess>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QTemporaryDir &configHome()
{
    static QTemporaryDir dir;
    return dir;
}

// The file the program reads (XDG_CONFIG_HOME is the test's folder).
QString settingsFile()
{
    return SettingsStore::location(settingsApplication());
}

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

Run makedb(const QStringList &arguments, const QByteArray &input = QByteArray(), const QString &workingFolder = QString())
{
    QProcess process;
    if (!workingFolder.isEmpty())
        process.setWorkingDirectory(workingFolder);
    process.start(QStringLiteral(TESSALINE_MAKEDB), arguments);
    if (!process.waitForStarted())
        return {};
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

QStringList serverArguments(const QString &server, const QString &database, const QString &login,
                            const QString &password)
{
    return {QStringLiteral("--settings"), configHome().path(), QStringLiteral("--server"), server,
            QStringLiteral("--database"), database, QStringLiteral("--login"), login,
            QStringLiteral("--password"), password};
}

QString fileText()
{
    QFile file(settingsFile());
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

void writeFile(const QString &text)
{
    QDir().mkpath(QFileInfo(settingsFile()).absolutePath());
    QFile file(settingsFile());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text.toUtf8());
}

} // namespace

class TestMakedbSettings : public QObject
{
    Q_OBJECT

private slots:
    void init() { QFile::remove(settingsFile()); }

    void sqlServerSettingsReadBackAsGiven_data()
    {
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("database");
        QTest::addColumn<QString>("login");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("driver");
        QTest::addColumn<QString>("organisation");
        const QString freeTds = QStringLiteral("FreeTDS");
        QTest::newRow("plain") << "db1.example.org" << "Veldrin2011" << "tessaline" << "s3cret" << freeTds
                               << "Example University";
        QTest::newRow("port and instance") << "10.1.2.3,1433" << "Veldrin2011" << "sa" << "pw" << freeTds << "";
        QTest::newRow("named instance") << "db1\\SQLEXPRESS" << "Veldrin2011" << "DOMAIN\\clerk" << "pw"
                                        << freeTds << "";
        QTest::newRow("ODBC's special characters") << "db1" << "票据{2026}" << "a=b" << "ab;cd}ef{gh=ij" << freeTds
                                                   << "x;y";
        QTest::newRow("quotes") << "db1" << "o'brien" << "\"login\"" << "\"" << "ODBC Driver 18 for SQL Server"
                                << "\"a\" and \"b";
        QTest::newRow("blanks") << "db1" << "my db" << " clerk" << "  pass word  " << " FreeTDS "
                                << QStringLiteral("滨江大学\u3000");
        QTest::newRow("reads like a section or a comment") << "db1" << "[DBConfig]" << "#clerk" << ";pw" << freeTds
                                                           << "[Tessaline]";
        QTest::newRow("Chinese") << "db1" << "票据管理" << "财务处" << "密码一二三" << freeTds
                                 << "滨江大学 财务处";
        QTest::newRow("empty password") << "db1" << "Veldrin2011" << "clerk" << "" << freeTds << "";
    }

    void sqlServerSettingsReadBackAsGiven()
    {
        QFETCH(QString, server);
        QFETCH(QString, database);
        QFETCH(QString, login);
        QFETCH(QString, password);
        QFETCH(QString, driver);
        QFETCH(QString, organisation);
        const Run run = makedb(serverArguments(server, database, login, password)
                               << QStringLiteral("--driver") << driver << QStringLiteral("--organisation")
                               << organisation);
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.out.contains(settingsFile()), qPrintable(run.out));

        const DbSettingsRecord read = readDbSettings();
        QCOMPARE(read.Svr, server);
        QCOMPARE(read.DBname, database);
        QCOMPARE(read.UID, login);
        QCOMPARE(read.PWD, password);
        const LocalSettings local = readLocalSettings();
        QCOMPARE(local.backend, LocalSettings::Backend::SqlServer);
        QCOMPARE(local.odbcDriver, driver);
        QCOMPARE(local.organisationName, organisation);
    }

    void newFileNamesFreeTdsAndOnlyItsOwnerReadsIt()
    {
        QCOMPARE(makedb(serverArguments(QStringLiteral("db1"), QStringLiteral("d"), QStringLiteral("u"),
                                        QStringLiteral("p")))
                     .exitCode,
                 0);
        QCOMPARE(readLocalSettings().odbcDriver, QStringLiteral("FreeTDS"));
        QVERIFY(fileText().contains(QStringLiteral("\nOdbcDriver=FreeTDS\n")));
        QVERIFY(fileText().contains(QStringLiteral("\nOrganisationName=\n")));
        const QFile::Permissions permissions = QFile(settingsFile()).permissions();
        QVERIFY(permissions.testFlag(QFile::ReadOwner));
        QVERIFY(!(permissions & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup | QFile::WriteOther)));
    }

    void rewritingKeepsEverythingItDoesNotSet()
    {
        writeFile(QStringLiteral("; placed by the suite's installer\n"
                                 "[DBConfig]\nSvr=old\nUID=olduser\nPWD=oldpw\nDBname=olddb\nExtra=kept\n\n"
                                 "[Tessaline]\nLoginTimeout=30\nSuperUserEnabled=0\n"
                                 "OdbcDriver=ODBC Driver 18 for SQL Server\nOrganisationName=滨江大学\n\n"
                                 "[Other]\nSvr=not ours\n\n"
                                 "[DBConfig]\nPWD=a second copy of the section\n"));
        QCOMPARE(makedb(serverArguments(QStringLiteral("db2"), QStringLiteral("new"), QStringLiteral("clerk"),
                                        QStringLiteral("newpw")))
                     .exitCode,
                 0);
        const DbSettingsRecord read = readDbSettings();
        QCOMPARE(read.Svr, QStringLiteral("db2"));
        QCOMPARE(read.UID, QStringLiteral("clerk"));
        QCOMPARE(read.PWD, QStringLiteral("newpw"));
        QCOMPARE(read.DBname, QStringLiteral("new"));
        LocalSettings local = readLocalSettings();
        QCOMPARE(local.loginTimeoutSeconds, 30);
        QVERIFY(!local.superUserEnabled);
        QCOMPARE(local.odbcDriver, QStringLiteral("ODBC Driver 18 for SQL Server"));
        QCOMPARE(local.organisationName, QStringLiteral("滨江大学"));
        const QString text = fileText();
        for (const char *kept : {"; placed by the suite's installer\n", "Extra=kept\n", "[Other]\nSvr=not ours\n"})
            QVERIFY2(text.contains(QString::fromUtf8(kept)), kept);
        QCOMPARE(text.count(QStringLiteral("PWD=")), 1);
        QCOMPARE(text.count(QStringLiteral("Backend=")), 1);

        // Given again, the driver and the organisation are replaced too.
        QCOMPARE(makedb(serverArguments(QStringLiteral("db2"), QStringLiteral("new"), QStringLiteral("clerk"),
                                        QStringLiteral("newpw"))
                        << QStringLiteral("--driver") << QStringLiteral("FreeTDS") << QStringLiteral("--organisation")
                        << QStringLiteral("示范财务处"))
                     .exitCode,
                 0);
        local = readLocalSettings();
        QCOMPARE(local.odbcDriver, QStringLiteral("FreeTDS"));
        QCOMPARE(local.organisationName, QStringLiteral("示范财务处"));
        QCOMPARE(local.loginTimeoutSeconds, 30);
        QCOMPARE(fileText().count(QStringLiteral("OdbcDriver=")), 1);
    }

    void passwordFromStandardInput()
    {
        QStringList arguments = serverArguments(QStringLiteral("db1"), QStringLiteral("d"), QStringLiteral("u"),
                                                QStringLiteral("-"));
        QCOMPARE(makedb(arguments, QByteArray("p;a ss} 密码\r\nnext line\n")).exitCode, 0);
        QCOMPARE(readDbSettings().PWD, QStringLiteral("p;a ss} 密码"));

        QFile::remove(settingsFile());
        QCOMPARE(makedb(arguments, QByteArray()).exitCode, 2);
        QVERIFY(!QFile::exists(settingsFile()));
    }

    void sqliteDatabaseWithItsSettingsOpensInTheProgram()
    {
        QTemporaryDir work;
        const QString database = work.filePath(QStringLiteral("demo.db"));
        const Run run = makedb({database, QStringLiteral("--demo"), QStringLiteral("--settings"), configHome().path(),
                                QStringLiteral("--organisation"), QStringLiteral("示范财务处")});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(readLocalSettings().backend, LocalSettings::Backend::Sqlite);
        QCOMPARE(readDbSettings().DBname, database);

        resetAppState();
        MessageBoxes::startScripting();
        QVERIFY(ConnectWithSettings());
        QVERIFY(MessageBoxes::records().isEmpty());
        MessageBoxes::stopScripting();
        QCOMPARE(OrganisationName(), QStringLiteral("示范财务处"));
        auto rs = DbConnection().open(QStringLiteral("select count(*) AS 人数 from 员工档案"));
        QVERIFY(rs.text(QStringLiteral("人数")).toInt() > 0);
        resetAppState();

        // A relative FILE is stored as the file it names from where the command ran.
        QCOMPARE(makedb({QStringLiteral("relative.db"), QStringLiteral("--settings"), configHome().path()}, {},
                        work.path())
                     .exitCode,
                 0);
        QCOMPARE(readDbSettings().DBname, work.filePath(QStringLiteral("relative.db")));
        QVERIFY(QFileInfo(readDbSettings().DBname).isFile());
    }

    void anExistingDatabaseIsNeitherOverwrittenNorWrittenIntoTheSettings()
    {
        QTemporaryDir work;
        const QString database = work.filePath(QStringLiteral("taken.db"));
        QFile taken(database);
        QVERIFY(taken.open(QIODevice::WriteOnly));
        taken.write("not a database");
        taken.close();
        const Run run = makedb({database, QStringLiteral("--settings"), configHome().path()});
        QCOMPARE(run.exitCode, 1);
        QVERIFY(!run.err.isEmpty());
        QVERIFY(!QFile::exists(settingsFile()));
        QVERIFY(taken.open(QIODevice::ReadOnly));
        QCOMPARE(taken.readAll(), QByteArray("not a database"));
    }

    void wrongArgumentsShowTheUsage_data()
    {
        QTest::addColumn<QStringList>("arguments");
        const QString folder = configHome().path();
        const QString file = configHome().filePath(QStringLiteral("never.db"));
        QTest::newRow("nothing") << QStringList();
        QTest::newRow("an option without its value") << QStringList{QStringLiteral("--settings")};
        QTest::newRow("an unknown option") << QStringList{file, QStringLiteral("--bogus")};
        QTest::newRow("no password") << serverArguments(QStringLiteral("db1"), QStringLiteral("d"),
                                                        QStringLiteral("u"), QStringLiteral("p"))
                                            .mid(0, 8);
        QTest::newRow("no server") << (serverArguments(QStringLiteral("db1"), QStringLiteral("d"), QStringLiteral("u"),
                                                       QStringLiteral("p"))
                                           .mid(4)
                                       << QStringLiteral("--settings") << folder);
        QTest::newRow("an empty server") << serverArguments(QString(), QStringLiteral("d"), QStringLiteral("u"),
                                                            QStringLiteral("p"));
        QTest::newRow("an option twice") << (serverArguments(QStringLiteral("db1"), QStringLiteral("d"),
                                                             QStringLiteral("u"), QStringLiteral("p"))
                                             << QStringLiteral("--server") << QStringLiteral("db2"));
        QTest::newRow("a server for a FILE") << QStringList{file, QStringLiteral("--settings"), folder,
                                                            QStringLiteral("--server"), QStringLiteral("db1")};
        QTest::newRow("demo without FILE") << QStringList{QStringLiteral("--demo"), QStringLiteral("--settings"),
                                                          folder};
        QTest::newRow("two files") << QStringList{file, file + QStringLiteral("2")};
        QTest::newRow("organisation without settings")
            << QStringList{file, QStringLiteral("--organisation"), QStringLiteral("x")};
        QTest::newRow("settings without a folder") << QStringList{file, QStringLiteral("--settings"), QString()};
    }

    void wrongArgumentsShowTheUsage()
    {
        QFETCH(QStringList, arguments);
        const Run run = makedb(arguments);
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(run.err.contains(QStringLiteral("usage: tessaline-makedb FILE [--demo]")), qPrintable(run.err));
        QVERIFY(!QFile::exists(settingsFile()));
        QVERIFY(!QFile::exists(configHome().filePath(QStringLiteral("never.db"))));
    }

    void helpShowsTheUsage()
    {
        const Run run = makedb({QStringLiteral("--help")});
        QCOMPARE(run.exitCode, 0);
        QVERIFY(run.out.contains(QStringLiteral("--settings FOLDER")));
        QVERIFY(run.err.isEmpty());
    }

    void aLineBreakInAValueIsRefused()
    {
        writeFile(QStringLiteral("[DBConfig]\nPWD=unchanged\n"));
        const Run run = makedb(serverArguments(QStringLiteral("db1"), QStringLiteral("d"), QStringLiteral("u"),
                                               QStringLiteral("line\nbreak")));
        QCOMPARE(run.exitCode, 1);
        QVERIFY(run.err.contains(QStringLiteral("PWD")));
        QCOMPARE(readDbSettings().PWD, QStringLiteral("unchanged"));
    }

    void asRootTheFilesGoToTheFolderOwner()
    {
        if (geteuid() != 0)
            QSKIP("only root can give files to another user");
        QTemporaryDir home;
        const uid_t nobody = 65534;
        QCOMPARE(chown(QFile::encodeName(home.path()).constData(), nobody, nobody), 0);
        const QString folder = home.filePath(QStringLiteral("made/.config"));
        const QStringList arguments = {QStringLiteral("--settings"), folder, QStringLiteral("--server"),
                                       QStringLiteral("db1"), QStringLiteral("--database"), QStringLiteral("d"),
                                       QStringLiteral("--login"), QStringLiteral("u"), QStringLiteral("--password"),
                                       QStringLiteral("p")};
        QCOMPARE(makedb(arguments).exitCode, 0);
        for (const QString &path : {home.filePath(QStringLiteral("made")), folder,
                                    folder + QStringLiteral("/VB and VBA Program Settings"),
                                    folder + QStringLiteral("/VB and VBA Program Settings/Veldrin2011.conf")}) {
            struct stat info;
            QVERIFY2(stat(QFile::encodeName(path).constData(), &info) == 0, qPrintable(path));
            QCOMPARE(info.st_uid, nobody);
        }
    }
};

int main(int argc, char **argv)
{
    // The settings store must never be the developer's own: point it at a folder of the test's.
    qputenv("XDG_CONFIG_HOME", configHome().path().toUtf8());
    QCoreApplication app(argc, argv);
    TestMakedbSettings test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_makedb_settings.moc"
