// Two copies of the program submitting restoration applications into one database at
// the same moment: every submission is stored with a serial and a number of its own,
// with its whole route, and neither operator sees an error.
//
// The test starts itself twice more as workers ("--worker FILE DEPARTMENT"); each
// worker drives a real application window and prints what it was told. Each worker
// applies for bills of its own: a bill has one application in approval at a time.
#include "ApprovalPathFixture.h"
#include "restore/Frm票据作废恢复申请.h"

#include <QProcess>
#include <QThread>

#include <cstdio>

namespace {

constexpr int SubmissionsPerWorker = 250;

int runWorker(const QString &file, const QString &department, qint64 startAt)
{
    setDbConnection(openTestConnection(file, 30));
    setClockForTests(QDateTime(QDate(2026, 12, 9), QTime(10, 0)));
    MessageBoxes::startScripting();
    OperatorContext().职能部门编号 = department;
    OperatorContext().职能部门名称 = department == u"06"_s ? u"物业管理中心"_s : u"财务处"_s;
    OperatorContext().部门类别代号 = u"02"_s;
    auto *window = new Frm票据作废恢复申请;
    if (!WindowDriver::show(window))
        return 1;
    // Both workers begin at the same moment, so their submissions interleave.
    while (QDateTime::currentMSecsSinceEpoch() < startAt)
        QThread::msleep(1);
    int done = 0;
    QStringList other;
    const int firstBill = department == u"06"_s ? 1 : SubmissionsPerWorker + 1;
    for (int n = 1; n <= SubmissionsPerWorker; ++n) {
        MessageBoxes::clearRecords();
        WindowDriver::typeOver(window->Text1, u"01-2026-01"_s);
        WindowDriver::typeOver(window->Text2, u"%1"_s.arg(firstBill + n - 1, 8, 10, QLatin1Char('0')));
        WindowDriver::typeOver(window->Text3, u"并发申请 %1"_s.arg(n));
        WindowDriver::click(window->Command6);
        for (const MessageBoxes::Record &r : MessageBoxes::records()) {
            if (r.text == u"已提交，请等待审批。"_s)
                ++done;
            else
                other << r.text;
        }
    }
    delete window;
    resetAppState();
    std::printf("done=%d other=%d\n%s\n", done, int(other.size()), other.join(u"\n"_s).toUtf8().constData());
    return 0;
}

} // namespace

class TestConcurrentSubmission : public QObject
{
    Q_OBJECT

private slots:
    void twoOperatorsSubmittingAtOnce()
    {
        TestDatabase database;
        addOrganisation(database);
        addPath(database, u"HF01"_s, u"后勤服务单位作废恢复"_s, u"02"_s, u"2026-01-05"_s);
        addNode(database, u"HF01"_s, u"05"_s, u"8"_s, 1);
        addNode(database, u"HF01"_s, u"02"_s, u"1"_s, 2);
        database.check().begin();
        for (int n = 1; n <= 2 * SubmissionsPerWorker; ++n) {
            const qlonglong bill = database.insert(u"票据"_s, {{u"入库单编号"_s, u"01-2026-01"_s},
                                                                {u"票据编号"_s, u"%1"_s.arg(n, 8, 10, QLatin1Char('0'))},
                                                                {u"金额"_s, 10 * n},
                                                                {u"作废日期"_s, u"2026-12-01"_s}});
            database.insert(u"票据开票数据"_s, {{u"票据id"_s, bill}, {u"项目"_s, u"物业费"_s}, {u"金额"_s, 10 * n}});
        }
        database.check().commit();

        QList<QProcess *> workers;
        const QString startAt = QString::number(QDateTime::currentMSecsSinceEpoch() + 2000);
        for (const QString &department : {u"06"_s, u"02"_s}) {
            auto *worker = new QProcess(this);
            worker->start(QCoreApplication::applicationFilePath(), {u"--worker"_s, database.connectionTarget(), department, startAt});
            workers << worker;
        }
        int done = 0;
        for (QProcess *worker : workers) {
            QVERIFY(worker->waitForFinished(300000));
            QCOMPARE(worker->exitCode(), 0);
            const QString output = QString::fromUtf8(worker->readAllStandardOutput());
            QVERIFY2(output.startsWith(u"done=%1 other=0"_s.arg(SubmissionsPerWorker)), qPrintable(output));
            done += SubmissionsPerWorker;
        }
        QCOMPARE(database.count(u"作废恢复审批单"_s), done);
        QCOMPARE(database.scalar(u"select count(distinct 流水) from 作废恢复审批单"_s).toInt(), done);
        QCOMPARE(database.scalar(u"select count(distinct 编号) from 作废恢复审批单"_s).toInt(), done);
        QCOMPARE(database.scalar(u"select max(cast(流水 as integer)) from 作废恢复审批单"_s).toInt(), done);
        // Each application has its first step, its two route nodes and its one line.
        QCOMPARE(database.scalar(u"select count(distinct 编号) from 作废恢复审批"_s).toInt(), done);
        QCOMPARE(database.count(u"作废恢复审批"_s), done);
        QCOMPARE(database.count(u"作废恢复审批流程"_s), 2 * done);
        QCOMPARE(database.count(u"票据作废恢复明细"_s), done);
        QCOMPARE(database.scalar(u"select count(*) from 作废恢复审批单 a where not exists (select 1 from 作废恢复审批流程 r where r.编号 = a.编号)"_s).toInt(), 0);
    }
};

int main(int argc, char **argv)
{
    if (argc == 5 && qstrcmp(argv[1], "--worker") == 0) {
        QApplication app(argc, argv);
        return runWorker(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]), QByteArray(argv[4]).toLongLong());
    }
    QApplication app(argc, argv);
    TestConcurrentSubmission test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_concurrent_submission.moc"
