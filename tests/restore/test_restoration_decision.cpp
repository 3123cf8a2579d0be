// The decision on a restoration application without a window: each check that stops an
// agreement or a refusal, the three ways an agreement is written, and the roll-back of
// a failed one.
#include "InjectedFailures.h"
#include "TestDatabase.h"
#include "platform/db/Recordset.h"
#include "restore/RestorationApprovalSql.h"
#include "restore/RestorationDecision.h"
#include "shell/AppState.h"

#include <QtTest>

using namespace Qt::StringLiterals;
using namespace RestorationDecision;

namespace {

const QString Number = u"06物业管理中心3"_s;
const QString Book = u"01-2026-01"_s, BillNo = u"00260032"_s;
// The route: 05/8, 05/6, 02/1.
const QStringList Route{u"05/8"_s, u"05/6"_s, u"02/1"_s};
const QDateTime DecidedAt(QDate(2026, 12, 9), QTime(10, 30));

} // namespace

class TestRestorationDecision : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestDatabase> database;
    db::Connection *connection = nullptr;

    // The application in approval with a pending step at `position` (the ones before it agreed).
    void addApplication(int position)
    {
        database->insert(u"作废恢复审批单"_s, {{u"编号"_s, Number}, {u"部门编号"_s, u"06"_s}, {u"审核状态"_s, u"审批中"_s},
                                               {u"票据编号"_s, BillNo}, {u"票据入库单编号"_s, Book}, {u"票据作废日期"_s, u"2026-11-20"_s}});
        for (int i = 1; i <= Route.size(); ++i) {
            const QString department = Route[i - 1].section(u'/', 0, 0), post = Route[i - 1].section(u'/', 1);
            database->insert(u"作废恢复审批流程"_s, {{u"编号"_s, Number}, {u"部门"_s, department}, {u"岗位"_s, post}, {u"环节序号"_s, i}});
            if (i <= position)
                database->insert(u"作废恢复审批"_s, {{u"编号"_s, Number}, {u"部门"_s, department}, {u"岗位"_s, post}, {u"环节序号"_s, i},
                                                     {u"审批人"_s, i < position ? QVariant(u"前任"_s) : QVariant()},
                                                     {u"是否同意"_s, i < position ? QVariant(true) : QVariant()}});
        }
    }

    // The request of the holder of the step at `position`, the application read as the window reads it.
    Request request(int position, const QString &opinion)
    {
        Request r;
        r.application.number = Number;
        r.application.stepNumber = QString::number(position);
        r.application.departmentCode = u"06"_s;
        r.application.bookNumber = Book;
        r.application.billNumber = BillNo;
        r.postCode = Route[position - 1].section(u'/', 1);
        r.approver = u"周明远"_s;
        r.opinion = opinion;
        r.at = DecidedAt;
        r.application.voidedOn = recordedMoment(connection->open(u"select 票据作废日期 from 作废恢复审批单"_s), u"票据作废日期"_s);
        r.application.stepAsShown = stepState(connection->open(stepStateSql({Number, r.postCode, r.application.stepNumber})));
        return r;
    }

    QStringList dump()
    {
        QStringList all;
        for (const QString &table : {u"作废恢复审批单"_s, u"作废恢复审批"_s, u"票据"_s, u"票据开票数据"_s, u"WYZJ"_s})
            all << database->rows(u"select * from %1 order by ID"_s.arg(table));
        return all;
    }
    QStringList steps() { return database->rows(u"select 岗位, 审批人, 审批意见, 是否同意 from 作废恢复审批 order by ID"_s); }

private slots:
    void init()
    {
        resetAppState();
        database = std::make_unique<TestDatabase>();
        connection = &database->install();
        addDepartment(*database, u"02"_s, u"财务处"_s);
        addDepartment(*database, u"05"_s, u"后勤集团"_s);
        addDepartment(*database, u"06"_s, u"物业管理中心"_s);
        const qlonglong bill = database->insert(u"票据"_s, {{u"票据编号"_s, BillNo}, {u"入库单编号"_s, Book}, {u"开票日期"_s, u"2026-11-18"_s},
                                                            {u"收款日期"_s, u"2026-11-18"_s}, {u"付款人"_s, u"东区13栋201室"_s},
                                                            {u"作废日期"_s, u"2026-11-20"_s}, {u"作废原因"_s, u"收费项目选错"_s}});
        database->insert(u"票据开票数据"_s, {{u"票据id"_s, bill}, {u"票据编号"_s, BillNo}, {u"入库单编号"_s, Book}, {u"金额"_s, 650.0}});
        database->insert(u"WYZJ"_s, {{u"发票号码"_s, BillNo}, {u"票据入库单编号"_s, Book}, {u"ZJ_SKRQ"_s, u"2026-11-18"_s}});
        database->insert(u"封帐"_s, {{u"职能部门代号"_s, u"06"_s}, {u"封帐日期"_s, u"2026-10-31"_s}});
    }

    void cleanup() { database.reset(); }

    // Node 1 opens node 2 (an empty opinion is taken as "同意"), agreeing again opens
    // no second one, and the last node's agreement approves and restores the bill.
    void agreementsWalkTheRouteToTheRestoredBill()
    {
        addApplication(1);
        Result<AgreementOutcome> result = agree(*connection, request(1, u"  "_s));
        QCOMPARE(result.outcome, AgreementOutcome::Agreed);
        QCOMPARE(result.opinion, u"同意"_s);
        QCOMPARE(steps(), (QStringList{u"8|周明远|同意|True"_s, u"6|NULL|NULL|NULL"_s}));
        QCOMPARE(agree(*connection, request(1, u"再次同意"_s)).outcome, AgreementOutcome::Agreed);
        QCOMPARE(steps(), (QStringList{u"8|周明远|再次同意|True"_s, u"6|NULL|NULL|NULL"_s}));

        database->check().execute(u"insert into 作废恢复审批 (编号, 部门, 岗位, 环节序号) values ('%1', '02', '1', 3)"_s.arg(Number));
        QCOMPARE(agree(*connection, request(3, u"情况属实"_s)).outcome, AgreementOutcome::Agreed);
        QCOMPARE(database->rows(u"select 审核状态, 审核是否通过 from 作废恢复审批单"_s), QStringList{u"审核通过|True"_s});
        QCOMPARE(database->rows(u"select 开票日期, 付款人, 作废日期 from 票据"_s), QStringList{u"NULL|NULL|NULL"_s});
        QCOMPARE(database->count(u"票据开票数据"_s), 0);
        QCOMPARE(database->rows(u"select 发票号码 from WYZJ"_s), QStringList{u"NULL"_s});
    }

    void agreementChecksWriteNothing_data()
    {
        QTest::addColumn<QString>("change"); // SQL run before the request is read
        QTest::addColumn<bool>("meanwhile");  // or after it: someone else decided meanwhile
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("opinion");
        QTest::addColumn<AgreementOutcome>("outcome");
        QTest::addColumn<QString>("opinionAfter");
        QTest::newRow("decided meanwhile") << u"update 作废恢复审批 set 审批人 = '钱丽', 是否同意 = 1"_s << true << 1 << u""_s
                                           << AgreementOutcome::DecidedMeanwhile << u""_s;
        QTest::newRow("bill gone") << u"delete from 票据"_s << false << 1 << u""_s << AgreementOutcome::BillMissing << u""_s;
        QTest::newRow("issued on the closing day") << u"update 票据 set 开票日期 = '2026-10-31'"_s << false << 1 << u""_s
                                                   << AgreementOutcome::IssuedBeforeClosing << u""_s;
        QTest::newRow("paid before the closing") << u"update 票据 set 开票日期 = NULL, 收款日期 = '2026-10-20'"_s << false << 1 << u""_s
                                                 << AgreementOutcome::PaidBeforeClosing << u""_s;
        QTest::newRow("written off") << u"update 票据 set 核销日期 = '2026-12-01'"_s << false << 1 << u""_s
                                     << AgreementOutcome::VoucherOrWriteOff << u""_s;
        QTest::newRow("opinion 不同意") << QString() << false << 1 << u" 不同意 "_s << AgreementOutcome::OpinionIsRefusal << u" 不同意 "_s;
        QTest::newRow("no longer voided") << u"update 票据 set 作废日期 = NULL"_s << false << 3 << u""_s
                                          << AgreementOutcome::BillNoLongerVoided << u"同意"_s;
        QTest::newRow("voided on another day") << u"update 票据 set 作废日期 = '2026-12-05'"_s << false << 3 << u""_s
                                               << AgreementOutcome::BillVoidedOnAnotherDay << u"同意"_s;
    }

    void agreementChecksWriteNothing()
    {
        QFETCH(QString, change);
        QFETCH(bool, meanwhile);
        QFETCH(int, position);
        QFETCH(QString, opinion);
        QFETCH(AgreementOutcome, outcome);
        QFETCH(QString, opinionAfter);
        addApplication(position);
        if (!change.isEmpty() && !meanwhile)
            database->check().execute(change);
        const Request r = request(position, opinion);
        if (meanwhile)
            database->check().execute(change);
        const QStringList before = dump();
        const Result<AgreementOutcome> result = agree(*connection, r);
        QCOMPARE(result.outcome, outcome);
        QCOMPARE(result.opinion, opinionAfter);
        QCOMPARE(result.decidedMeanwhile.isEmpty(), outcome != AgreementOutcome::DecidedMeanwhile);
        QCOMPARE(dump(), before);
    }

    void refusals()
    {
        addApplication(2);
        QCOMPARE(refuse(*connection, request(2, u"  "_s)).outcome, RefusalOutcome::OpinionMissing);
        QCOMPARE(refuse(*connection, request(2, u" 同意 "_s)).outcome, RefusalOutcome::OpinionIsAgreement);
        const Request shown = request(2, u"不予恢复"_s);
        database->check().execute(u"update 作废恢复审批 set 审批人 = '钱丽', 是否同意 = 1 where 环节序号 = 2"_s);
        const QStringList before = dump();
        const Result<RefusalOutcome> meanwhile = refuse(*connection, shown);
        QCOMPARE(meanwhile.outcome, RefusalOutcome::DecidedMeanwhile);
        QVERIFY(meanwhile.decidedMeanwhile.startsWith(u"该审批环节已由 钱丽 于 "_s));
        QCOMPARE(dump(), before);

        QCOMPARE(refuse(*connection, request(2, u"不予恢复"_s)).outcome, RefusalOutcome::Refused);
        QCOMPARE(database->rows(u"select 审核状态, 审核是否通过 from 作废恢复审批单"_s), QStringList{u"审核不通过|False"_s});
        QCOMPARE(steps().value(1), u"6|周明远|不予恢复|False"_s);
    }

    // The last approval sends nine statements; a failure at any of them escapes and
    // leaves every table as it was.
    void aFailedAgreementLeavesEveryTableAsBefore_data() { addFailingStatementRows({{"last approval", 9}}); }
    void aFailedAgreementLeavesEveryTableAsBefore()
    {
        QFETCH(int, failAt);
        addApplication(3);
        const QStringList before = dump();
        verifyFailureWritesNothing(*connection, failAt, [&] { return agree(*connection, request(3, u"同意"_s)).outcome; },
                                   [&] { return dump(); }, AgreementOutcome::Agreed);
        QVERIFY(dump() != before);
    }
};

QTEST_MAIN(TestRestorationDecision)
#include "test_restoration_decision.moc"
