// A SQL Server connection fails soon after its login time-out however the server behaves,
// and the operator then sees both connection messages.
#include "LoopbackServers.h"
#include "platform/db/Connection.h"
#include "platform/ui/MessageBoxes.h"
#include "shell/AppState.h"
#include "shell/Connection.h"

#include <QElapsedTimer>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

using Behaviour = LoopbackServer::Behaviour;
Q_DECLARE_METATYPE(LoopbackServer::Behaviour)

namespace {

QTemporaryDir &configHome()
{
    static QTemporaryDir dir;
    return dir;
}

const QString TimedOut = QStringLiteral("连接数据库服务器超时。");
const QString ConnectionFailed = QStringLiteral("与数据库服务器的连接失败或已断开。");

} // namespace

class TestLoginTimeout : public QObject
{
    Q_OBJECT

private slots:
    void openFailsSoonWhateverTheServerDoes_data()
    {
        QTest::addColumn<Behaviour>("behaviour");
        QTest::addColumn<QString>("extraAttributes");
        QTest::addColumn<QString>("meaning"); // empty: either way the attempt failed
        QTest::newRow("silent") << Behaviour::Silent << QStringLiteral("TDS_Version=7.4;") << TimedOut;
        // FreeTDS's automatic version logs in again as TDS 5.0 and then hangs for good.
        QTest::newRow("silent, automatic TDS version") << Behaviour::Silent << QString() << TimedOut;
        QTest::newRow("noise") << Behaviour::Noise << QStringLiteral("TDS_Version=7.4;") << QString();
        QTest::newRow("closes after three bytes") << Behaviour::CloseAfterBytes << QStringLiteral("TDS_Version=7.4;")
                                                  << ConnectionFailed;
        // Every byte restarts the driver's own wait: only the program's deadline ends it.
        QTest::newRow("one byte at a time") << Behaviour::Trickle << QStringLiteral("TDS_Version=7.4;") << TimedOut;
    }

    void openFailsSoonWhateverTheServerDoes()
    {
        QFETCH(Behaviour, behaviour);
        QFETCH(QString, extraAttributes);
        QFETCH(QString, meaning);
        const int timeoutSeconds = 1;
        LoopbackServer server(behaviour);
        const QString text = QStringLiteral("DRIVER={FreeTDS};SERVER=%1;UID=sa;PWD=x;DATABASE=Veldrin;ClientCharset=UTF-8;")
                                 .arg(server.server())
            + extraAttributes;
        QElapsedTimer timer;
        timer.start();
        try {
            db::Connection::openOdbc(text, timeoutSeconds);
            QFAIL("a server that never completes the login cannot be connected to");
        } catch (const db::DbError &error) {
            const qint64 elapsed = timer.elapsed();
            QVERIFY2(elapsed < (timeoutSeconds + 2) * 1000, qPrintable(QStringLiteral("failed after %1 ms").arg(elapsed)));
            QVERIFY(!error.description().isEmpty());
            if (!meaning.isEmpty())
                QVERIFY2(error.description().startsWith(meaning + QLatin1Char(' ')), qPrintable(error.description()));
        }
        QVERIFY(server.accepted() >= 1); // the attempt did reach the server
    }

    void signInShowsBothMessagesWithinTheTimeout_data()
    {
        QTest::addColumn<Behaviour>("behaviour");
        QTest::newRow("silent") << Behaviour::Silent;
        QTest::newRow("one byte at a time") << Behaviour::Trickle;
    }

    void signInShowsBothMessagesWithinTheTimeout()
    {
        QFETCH(Behaviour, behaviour);
        LoopbackServer server(behaviour);
        writeSettings(server.server(), 3);
        resetAppState();
        MessageBoxes::startScripting();
        QElapsedTimer timer;
        timer.start();
        const bool connected = ConnectWithSettings();
        const qint64 elapsed = timer.elapsed();
        const auto shown = MessageBoxes::records();
        MessageBoxes::stopScripting();

        QVERIFY(!connected);
        QVERIFY2(elapsed < 5000, qPrintable(QStringLiteral("failed after %1 ms").arg(elapsed)));
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown[0].title, QStringLiteral("信息文本"));
        QVERIFY2(shown[0].text.startsWith(QStringLiteral("错误信息：") + TimedOut), qPrintable(shown[0].text));
        QCOMPARE(shown[1].title, QStringLiteral("连接提示"));
        QCOMPARE(shown[1].text, QStringLiteral("数据库连接失败!"));
        QVERIFY(!DbConnection().isOpen());
    }

private:
    static void writeSettings(const QString &server, int loginTimeoutSeconds)
    {
        const QString file = configHome().filePath(QStringLiteral("VB and VBA Program Settings/Veldrin2011.conf"));
        QFile::remove(file);
        QSettings settings(file, QSettings::IniFormat);
        settings.setValue(QStringLiteral("DBConfig/Svr"), server);
        settings.setValue(QStringLiteral("DBConfig/UID"), QStringLiteral("sa"));
        settings.setValue(QStringLiteral("DBConfig/PWD"), QStringLiteral("x"));
        settings.setValue(QStringLiteral("DBConfig/DBname"), QStringLiteral("Veldrin"));
        settings.setValue(QStringLiteral("Tessaline/Backend"), QStringLiteral("sqlserver"));
        settings.setValue(QStringLiteral("Tessaline/LoginTimeout"), loginTimeoutSeconds);
    }
};

int main(int argc, char **argv)
{
    // The settings store must never be the developer's own: point it at a folder of the test's.
    qputenv("XDG_CONFIG_HOME", configHome().path().toUtf8());
    QCoreApplication app(argc, argv);
    TestLoginTimeout test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_login_timeout.moc"
