// Two copies of the program registering overlapping numbers into the same yearly
// books of one database at the same time: every number ends up in its book exactly
// once, nothing is lost and no operator sees an error.
//
// The test starts itself twice more as workers ("--worker FILE NAME"); each worker
// drives a real stock-in window through its controls and prints what it was told.
#include "TestDatabase.h"
#include "WindowDriver.h"
#include "platform/db/Connection.h"
#include "platform/ui/KeyedTree.h"
#include "platform/ui/MessageBoxes.h"
#include "shell/AppState.h"
#include "shell/Program.h"
#include "stock/frm票据入库.h"

#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QtTest>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

constexpr int NumbersPerBook = 300;
const QDateTime SomeDay(QDate(2026, 12, 9), QTime(10, 0));

// What one worker was told: one line "done=N refused=N other=N", then the other texts.
struct WorkerReport
{
    int done = 0;
    int refused = 0;
    int other = 0;
    QString otherTexts;
};

WorkerReport parseReport(const QString &output)
{
    WorkerReport report;
    const QRegularExpression line(u"done=(\\d+) refused=(\\d+) other=(\\d+)"_s);
    const auto m = line.match(output);
    if (!m.hasMatch()) {
        report.other = -1;
        report.otherTexts = output;
        return report;
    }
    report.done = m.captured(1).toInt();
    report.refused = m.captured(2).toInt();
    report.other = m.captured(3).toInt();
    report.otherTexts = output;
    return report;
}

// Registers numbers 1..NumbersPerBook into the books of types 21 and 22 in turn, as
// an operator would: pick the type, "新增" when the entry is closed, type, "确定".
int runWorker(const QString &file)
{
    setDbConnection(openTestConnection(file, 30));
    setClockForTests(SomeDay);
    MessageBoxes::startScripting();
    auto *window = new frm票据入库;
    if (!WindowDriver::show(window))
        return 1;
    auto *tree = window->findChild<KeyedTree *>(u"TreeView1"_s);
    auto *numberBox = window->findChild<QLineEdit *>(u"Text3"_s);
    auto *newButton = window->findChild<QPushButton *>(u"Command1"_s);
    auto *confirmButton = window->findChild<QPushButton *>(u"Command2"_s);

    int done = 0, refused = 0;
    QStringList other;
    for (int n = 1; n <= NumbersPerBook; ++n) {
        for (int node = 1; node <= 2; ++node) {
            WindowDriver::clickEntry(tree, tree->model()->index(node - 1, 0));
            MessageBoxes::clearRecords();
            if (newButton->text() == u"新增"_s)
                WindowDriver::click(newButton);
            WindowDriver::typeOver(numberBox, QString::number(n).rightJustified(8, u'0'));
            WindowDriver::click(confirmButton);
            for (const MessageBoxes::Record &r : MessageBoxes::records()) {
                if (r.text == u"录入完成！"_s)
                    ++done;
                else if (r.text.contains(u"不能重复录入"_s))
                    ++refused;
                else
                    other << r.text;
            }
        }
    }
    delete window;
    resetAppState();
    std::printf("done=%d refused=%d other=%d\n%s\n", done, refused, int(other.size()),
                other.join(u"\n"_s).toUtf8().constData());
    return 0;
}

} // namespace

class TestConcurrentRegistration : public QObject
{
    Q_OBJECT

private slots:
    void twoProgramsRegisteringTheSameNumbers()
    {
        TestDatabase database;
        addBillType(database, u"21"_s, u"全电普通发票"_s, 50, 0, true);
        addBillType(database, u"22"_s, u"全电专用发票"_s, 25, 12.5, false);

        QList<QProcess *> workers;
        for (int i = 0; i < 2; ++i) {
            auto *worker = new QProcess(this);
            worker->setProcessChannelMode(QProcess::SeparateChannels);
            worker->start(QCoreApplication::applicationFilePath(), {u"--worker"_s, database.connectionTarget()});
            workers << worker;
        }
        QList<WorkerReport> reports;
        for (QProcess *worker : workers) {
            QVERIFY(worker->waitForFinished(300000));
            QCOMPARE(worker->exitCode(), 0);
            reports << parseReport(QString::fromUtf8(worker->readAllStandardOutput()));
        }

        for (const WorkerReport &r : reports)
            QVERIFY2(r.other == 0, qPrintable(r.otherTexts));
        const int attempts = 2 * 2 * NumbersPerBook;
        QCOMPARE(reports[0].done + reports[0].refused + reports[1].done + reports[1].refused, attempts);
        // Every number of both books once: what one copy wrote, the other refused.
        QCOMPARE(reports[0].done + reports[1].done, 2 * NumbersPerBook);
        QCOMPARE(database.count(u"票据"_s), 2 * NumbersPerBook);
        QCOMPARE(database.scalar(u"select count(*) from (select distinct 入库单编号, 票据编号 from 票据)"_s).toInt(),
                 2 * NumbersPerBook);
        QCOMPARE(database.count(u"票据入库单"_s), 2);
        QCOMPARE(database.count(u"票据"_s, u"入库单编号 = '21-2026'"_s), NumbersPerBook);
        QCOMPARE(database.count(u"票据"_s, u"入库单编号 = '22-2026' and 金额 = 12.5"_s), NumbersPerBook);
    }
};

int main(int argc, char **argv)
{
    if (argc == 3 && qstrcmp(argv[1], "--worker") == 0) {
        QApplication app(argc, argv);
        return runWorker(QString::fromLocal8Bit(argv[2]));
    }
    QApplication app(argc, argv);
    TestConcurrentRegistration test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_concurrent_registration.moc"
