// Starts the real program on demo data and drives it to each way of ending it; every
// one must end the process normally with status 0 (no crash while Qt tears down).
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const char *const LauncherIdentity = "1001,周明远,02,财务处,1,财务处处长,01,机关,1,管理岗";

struct Run
{
    int exitCode = -1;
    QProcess::ExitStatus exitStatus = QProcess::CrashExit;
    bool finished = false;
    QString log;
};

} // namespace

class TestExitPaths : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void endsCleanly_data();
    void endsCleanly();

private:
    Run runProgram(const QString &plan, const QStringList &arguments);

    QTemporaryDir m_home;
};

void TestExitPaths::initTestCase()
{
    QVERIFY(m_home.isValid());
    const QString database = m_home.filePath(QStringLiteral("demo.db"));
    QProcess makedb;
    makedb.start(QStringLiteral(TESSALINE_MAKEDB), {database, QStringLiteral("--demo")});
    QVERIFY(makedb.waitForFinished(60000));
    QCOMPARE(makedb.exitCode(), 0);

    QDir().mkpath(m_home.filePath(QStringLiteral("VB and VBA Program Settings")));
    QFile conf(m_home.filePath(QStringLiteral("VB and VBA Program Settings/Veldrin2011.conf")));
    QVERIFY(conf.open(QIODevice::WriteOnly));
    conf.write("[DBConfig]\nSvr=\nUID=\nPWD=\nDBname=" + database.toUtf8() + "\n\n[Tessaline]\nBackend=sqlite\n");
}

// Runs the program with the launcher's arguments (none: the operator signs in).
Run TestExitPaths::runProgram(const QString &plan, const QStringList &arguments)
{
    const bool withIdentity = !arguments.isEmpty();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(TESSALINE_EXIT_DRIVER));
    env.insert(QStringLiteral("TESSALINE_DRIVE"), plan);
    if (withIdentity)
        env.insert(QStringLiteral("TESSALINE_DRIVE_SILENT"), QStringLiteral("1"));
    // The sanitizer runtime of the sanitizer build would refuse a library loaded before it.
    const QString asan = env.value(QStringLiteral("ASAN_OPTIONS"));
    env.insert(QStringLiteral("ASAN_OPTIONS"),
               (asan.isEmpty() ? QString() : asan + QLatin1Char(':')) + QStringLiteral("verify_asan_link_order=0"));

    QProcess program;
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.start(QStringLiteral(TESSALINE_PROGRAM), arguments);
    Run run;
    run.finished = program.waitForStarted(10000) && program.waitForFinished(60000);
    if (!run.finished) {
        program.kill();
        program.waitForFinished(5000);
    }
    run.exitCode = program.exitCode();
    run.exitStatus = program.exitStatus();
    run.log = QString::fromUtf8(program.readAll());
    return run;
}

void TestExitPaths::endsCleanly_data()
{
    QTest::addColumn<QString>("plan");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("lastStep");

    const QStringList identity = {QString::fromUtf8(LauncherIdentity)};
    QTest::newRow("退出, launcher identity") << "quit" << identity << "退出";
    QTest::newRow("main window closed, launcher identity") << "close" << identity << "main window closed";
    QTest::newRow("退出 after signing in") << "quit" << QStringList() << "退出";
    QTest::newRow("main window closed after signing in") << "close" << QStringList() << "main window closed";
    QTest::newRow("Esc after a failed sign-in") << "esc-after-fail" << QStringList() << "escape";
    QTest::newRow("退出 at the login window after 注销") << "cancel-logoff" << QStringList() << "cancel";
    // An identity that looks like one of Qt's own options is still the identity: the
    // program signs in without the login window.
    QTest::newRow("identity -reverse") << "quit" << QStringList{u"-reverse"_s} << "退出";
}

void TestExitPaths::endsCleanly()
{
    QFETCH(QString, plan);
    QFETCH(QStringList, arguments);
    QFETCH(QString, lastStep);

    const Run run = runProgram(plan, arguments);
    const QByteArray log = run.log.toUtf8();
    QVERIFY2(run.finished, log.constData());
    QVERIFY2(run.log.contains(QStringLiteral("DRIVE: ") + lastStep), log.constData());
    QVERIFY2(run.exitStatus == QProcess::NormalExit, log.constData());
    QVERIFY2(run.exitCode == 0, log.constData());
}

QTEST_GUILESS_MAIN(TestExitPaths)
#include "test_exit_paths.moc"
