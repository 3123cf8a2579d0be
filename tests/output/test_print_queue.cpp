// Printing the report to a real CUPS queue. The test starts a CUPS daemon of its own,
// reached through a socket in a temporary folder, with one queue that is stopped: every
// job it takes stays in it, with its document in the spool. Without the daemon or its
// tools, or when the daemon does not start, the test is skipped (exit code 77).
#include "PrintFromPreview.h"
#include "output/PrintGrid.h"
#include "platform/Clock.h"
#include "platform/ui/FlexGrid.h"
#include "platform/ui/MessageBoxes.h"
#include "shell/AppState.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cups/cups.h>
#include <signal.h>
#include <sys/prctl.h>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

constexpr int Skipped = 77;
constexpr int WaitMs = 10000;
const QString Queue = QStringLiteral("tess");
const QString Title = QStringLiteral("(东区)作废统计报表");
const QString Subtitle = QStringLiteral("日期范围:2026年12月01日-2026年12月09日");

QString tool(const QString &name)
{
    const QString found = QStandardPaths::findExecutable(name);
    return found.isEmpty() ? QStandardPaths::findExecutable(name, {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")})
                           : found;
}

// Runs a program to its end, at most WaitMs; its output, or why it failed.
bool runTool(const QString &program, const QStringList &arguments, QString *output)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    const bool finished = process.waitForFinished(WaitMs);
    if (!finished)
        process.kill();
    *output = QString::fromLocal8Bit(process.readAll());
    return finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

// A CUPS daemon in a temporary folder, with the stopped queue "tess" as its default.
class CupsDaemon
{
public:
    ~CupsDaemon()
    {
        if (m_daemon.state() != QProcess::NotRunning) {
            m_daemon.terminate();
            if (!m_daemon.waitForFinished(WaitMs))
                m_daemon.kill();
            m_daemon.waitForFinished(WaitMs);
        }
    }

    // Empty text when the daemon runs with its queue; otherwise why not.
    QString start()
    {
        const QString cupsd = tool(QStringLiteral("cupsd"));
        const QString lpadmin = tool(QStringLiteral("lpadmin"));
        const QString cupsdisable = tool(QStringLiteral("cupsdisable"));
        if (cupsd.isEmpty() || lpadmin.isEmpty() || cupsdisable.isEmpty())
            return QStringLiteral("cupsd, lpadmin or cupsdisable not found");
        if (!m_root.isValid())
            return QStringLiteral("no temporary folder");
        // The daemon hands the folders to its own user; they must be open to it.
        QFile::setPermissions(m_root.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup
                                                 | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
        for (const char *folder : {"spool", "tmp", "cache", "state"})
            QDir(m_root.path()).mkdir(QString::fromLatin1(folder));
        writeConfiguration();
        qputenv("CUPS_SERVER", QFile::encodeName(socket()));

        m_daemon.setProcessChannelMode(QProcess::ForwardedChannels);
        // The daemon ends with the test, whatever ends the test.
        m_daemon.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
        m_daemon.start(cupsd, {QStringLiteral("-f"), QStringLiteral("-c"), path("cupsd.conf"), QStringLiteral("-s"),
                               path("cups-files.conf")});
        if (!m_daemon.waitForStarted(WaitMs))
            return QStringLiteral("cupsd did not start: ") + m_daemon.errorString();
        QElapsedTimer waited;
        waited.start();
        while (!answers()) {
            if (m_daemon.state() == QProcess::NotRunning || m_daemon.waitForFinished(100) || waited.elapsed() > WaitMs)
                return QStringLiteral("cupsd does not answer: ") + errorLog();
        }
        QString output;
        if (!runTool(lpadmin, {QStringLiteral("-p"), Queue, QStringLiteral("-E"), QStringLiteral("-v"),
                               QStringLiteral("file:///dev/null")},
                     &output)
            || !runTool(lpadmin, {QStringLiteral("-d"), Queue}, &output)
            || !runTool(cupsdisable, {Queue}, &output))
            return QStringLiteral("the queue could not be set up: ") + output + errorLog();
        return QString();
    }

    // The document of a job, as the queue received it.
    QString document(int job) const
    {
        return path("spool") + QStringLiteral("/d%1-001").arg(job, 5, 10, QLatin1Char('0'));
    }
    QStringList documents() const
    {
        return QDir(path("spool")).entryList({QStringLiteral("d*")}, QDir::Files);
    }

private:
    QString path(const char *name) const { return m_root.filePath(QString::fromLatin1(name)); }
    QString socket() const { return path("cups.sock"); }
    // Whether the daemon takes connections on its socket.
    bool answers() const
    {
        http_t *connection = httpConnect2(QFile::encodeName(socket()).constData(), 631, nullptr, AF_UNSPEC,
                                          HTTP_ENCRYPTION_IF_REQUESTED, 1, 1000, nullptr);
        if (!connection)
            return false;
        httpClose(connection);
        return true;
    }
    QString errorLog() const
    {
        QFile log(path("error_log"));
        return log.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(log.readAll()) : QString();
    }

    void writeConfiguration() const
    {
        QFile daemon(path("cupsd.conf"));
        daemon.open(QIODevice::WriteOnly);
        daemon.write(QStringLiteral("Listen %1\n"
                                    "LogLevel warn\n"
                                    "Browsing No\n"
                                    "WebInterface No\n"
                                    "PreserveJobHistory Yes\n"
                                    "PreserveJobFiles Yes\n"
                                    "DefaultAuthType None\n"
                                    "<Location />\nOrder allow,deny\nAllow all\n</Location>\n"
                                    "<Policy default>\n<Limit All>\nOrder deny,allow\n</Limit>\n</Policy>\n")
                         .arg(socket())
                         .toLocal8Bit());
        QFile files(path("cups-files.conf"));
        files.open(QIODevice::WriteOnly);
        QString text;
        text += QStringLiteral("ServerRoot %1\n").arg(m_root.path());
        text += QStringLiteral("RequestRoot %1\n").arg(path("spool"));
        text += QStringLiteral("TempDir %1\n").arg(path("tmp"));
        text += QStringLiteral("CacheDir %1\n").arg(path("cache"));
        text += QStringLiteral("StateDir %1\n").arg(path("state"));
        text += QStringLiteral("ErrorLog %1\n").arg(path("error_log"));
        text += QStringLiteral("AccessLog %1\n").arg(path("access_log"));
        text += QStringLiteral("PageLog %1\n").arg(path("page_log"));
        text += QStringLiteral("FileDevice Yes\n");
        files.write(text.toLocal8Bit());
    }

    QTemporaryDir m_root;
    QProcess m_daemon;
};

CupsDaemon *daemonOfTest = nullptr;

struct Job
{
    int id;
    QString title;
};

QList<Job> jobsInQueue()
{
    cups_job_t *jobs = nullptr;
    const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, Queue.toLocal8Bit().constData(), 0, CUPS_WHICHJOBS_ALL);
    QList<Job> result;
    for (int i = 0; i < count; ++i)
        result.append({jobs[i].id, QString::fromLocal8Bit(jobs[i].title)});
    cupsFreeJobs(count, jobs);
    return result;
}

// About 140 pages of a report: four columns, rows 300 twips high.
std::unique_ptr<FlexGrid> longReport()
{
    const int rows = 6000;
    auto grid = std::make_unique<FlexGrid>();
    grid->setFont(QFont(QStringLiteral("宋体"), 9));
    grid->setCols(4);
    grid->setRows(rows + 1);
    grid->setRowHeight(0, 300);
    for (int c = 0; c < 4; ++c) {
        grid->setColWidth(c, 2000);
        grid->setTextMatrix(0, c, QStringLiteral("列%1").arg(c));
        for (int r = 1; r <= rows; ++r)
            grid->setTextMatrix(r, c, QStringLiteral("r%1c%2").arg(r).arg(c));
    }
    return grid;
}

QString pdfText(const QString &file)
{
    QString text;
    runTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), file, QStringLiteral("-")}, &text);
    return text;
}

} // namespace

class TestPrintQueue : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void cancelledPrintSendsNothing();
    void wholePrintIsOneJob();
};

void TestPrintQueue::init()
{
    resetAppState();
    OrganisationName() = QStringLiteral("测试单位");
    setClockForTests(QDateTime(QDate(2026, 12, 9), QTime(10, 30)));
    MessageBoxes::startScripting();
    QPrinter &printer = programPrinter();
    printer.setPrinterName(Queue);
    QCOMPARE(printer.outputFormat(), QPrinter::NativeFormat);
    QCOMPARE(printer.printerName(), Queue);
    QVERIFY(printer.outputFileName().isEmpty());
}

void TestPrintQueue::cleanup()
{
    MessageBoxes::stopScripting();
    setClockForTests(QDateTime());
}

void TestPrintQueue::cancelledPrintSendsNothing()
{
    auto grid = longReport();
    const int jobsBefore = int(jobsInQueue().size());
    const QStringList documentsBefore = daemonOfTest->documents();

    const PreviewPrint run = printFromPreview(grid.get(), Title, Subtitle, 0.3);

    QVERIFY(run.previewShown);
    QVERIFY(run.cancelled);
    QCOMPARE(jobsInQueue().size(), jobsBefore);
    QCOMPARE(daemonOfTest->documents(), documentsBefore);
    QVERIFY(!run.printed);
}

void TestPrintQueue::wholePrintIsOneJob()
{
    auto grid = longReport();
    const QList<Job> before = jobsInQueue();

    QVERIFY(printFromPreview(grid.get(), Title, Subtitle).printed);

    QList<Job> added = jobsInQueue();
    added.removeIf([&](const Job &job) {
        return std::any_of(before.begin(), before.end(), [&](const Job &earlier) { return earlier.id == job.id; });
    });
    QCOMPARE(added.size(), 1);
    const Job &job = added.first();
    QCOMPARE(job.title, Title);
    const QString text = pdfText(daemonOfTest->document(job.id));
    const int pages = int(text.count(QLatin1Char('\f')));
    QVERIFY2(pages > 100, qPrintable(QString::number(pages)));
    QVERIFY(text.contains(QStringLiteral("第%1页 共%1页").arg(pages)));
    QVERIFY(text.contains(QStringLiteral("r6000c3")));
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    QFont::insertSubstitutions(QStringLiteral("宋体"), {QStringLiteral("AR PL UMing CN")});
    CupsDaemon daemon;
    const QString notStarted = daemon.start();
    if (!notStarted.isEmpty()) {
        std::fprintf(stderr, "SKIP: no CUPS queue to print to: %s\n", qPrintable(notStarted));
        return Skipped;
    }
    daemonOfTest = &daemon;
    TestPrintQueue test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_print_queue.moc"
