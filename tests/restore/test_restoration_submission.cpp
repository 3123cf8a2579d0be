// Submitting a restoration application without a window: the checks that refuse it,
// the rows a submission writes, and the roll-back of a failed one.
#include "InjectedFailures.h"
#include "TestDatabase.h"
#include "WorkflowTables.h"
#include "platform/db/Recordset.h"
#include "restore/RestorationSubmission.h"
#include "shell/AppState.h"

#include <QtTest>

using namespace Qt::StringLiterals;
using namespace RestorationSubmission;

class TestRestorationSubmission : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestDatabase> database;
    db::Connection *connection = nullptr;

    static Request request(const QString &billNumber)
    {
        return {u"01-2026-01"_s, billNumber, u"误作废"_s, u"作废恢复"_s, u"06"_s, u"物业管理中心"_s, u"02"_s,
                QDateTime(QDate(2026, 12, 9), QTime(10, 30, 15))};
    }

    void addBill(const QString &number, const QVariant &voidedOn)
    {
        const qlonglong id = database->insert(u"票据"_s, {{u"入库单编号"_s, u"01-2026-01"_s}, {u"票据编号"_s, number}, {u"金额"_s, 1050.5},
                                                          {u"收款方式"_s, u"现金"_s}, {u"作废日期"_s, voidedOn}});
        database->insert(u"票据开票数据"_s, {{u"票据id"_s, id}, {u"票据编号"_s, number}, {u"入库单编号"_s, u"01-2026-01"_s},
                                             {u"项目"_s, u"物业费"_s}, {u"金额"_s, 1050.5}});
    }

    // A path of the restoration type for a category, with nodes "department/post/position".
    void addPath(const QString &code, const QString &category, const QVariant &endedOn, const QStringList &nodes)
    {
        database->insert(u"作废恢复流程"_s, {{u"流程代号"_s, code}, {u"流程名称"_s, code}, {u"作废恢复类别"_s, u"作废恢复"_s},
                                             {u"部门类别"_s, category}, {u"设置日期"_s, u"2024-01-05"_s}, {u"终止日期"_s, endedOn}});
        for (const QString &node : nodes)
            database->insert(u"作废恢复流程设置"_s, {{u"流程代号"_s, code}, {u"部门编号"_s, node.section(u'/', 0, 0)},
                                                     {u"岗位编号"_s, node.section(u'/', 1, 1)}, {u"顺序"_s, node.section(u'/', 2).toInt()}});
    }

private slots:
    void init()
    {
        resetAppState();
        database = std::make_unique<TestDatabase>();
        connection = &database->install();
        addBill(u"00000001"_s, u"2026-11-20"_s);
        addBill(u"00000003"_s, QVariant());
        addPath(u"HF01"_s, u"02"_s, QVariant(), {u"05/8/1"_s, u"02/1/2"_s});
        addPath(u"HF09"_s, u"02"_s, u"2025-12-31"_s, {u"02/2/0"_s}); // ended: neither first nor on the route
    }

    void cleanup() { database.reset(); }

    void refusalsWriteNothing()
    {
        QCOMPARE(billRefusal(*connection, u"01-2026-01"_s, u"00000001"_s), std::nullopt);
        QCOMPARE(billRefusal(*connection, u"01-2026-01"_s, u"99999999"_s), Submission::NoBill);
        QCOMPARE(billRefusal(*connection, u"01-2026-01"_s, u"00000003"_s), Submission::NotVoided);
        QCOMPARE(submit(*connection, request(u"99999999"_s)).outcome, Submission::NoBill);
        QCOMPARE(submit(*connection, request(u"00000003"_s)).outcome, Submission::NotVoided);
        Request otherCategory = request(u"00000001"_s);
        otherCategory.categoryCode = u"01"_s;
        QCOMPARE(submit(*connection, otherCategory).outcome, Submission::NoPath);
        QCOMPARE(workflowTables(*database), (QStringList{u"--"_s, u"--"_s, u"--"_s, u"--"_s}));

        QCOMPARE(submit(*connection, request(u"00000001"_s)).outcome, Submission::Submitted);
        const QStringList before = workflowTables(*database);
        const Result again = submit(*connection, request(u"00000001"_s));
        QCOMPARE(again.outcome, Submission::AlreadyInApproval);
        QCOMPARE(again.pendingNumber, u"06物业管理中心1"_s);
        QCOMPARE(workflowTables(*database), before);
    }

    // Serials count on as numbers (10 after 9); the first step is at the lowest node of
    // the paths in force, the route holds their nodes, and the bill's lines are copied.
    void aSubmissionWritesTheApplicationItsStepRouteAndLines()
    {
        for (const char *serial : {"9", "10", "8"})
            database->insert(u"作废恢复审批单"_s, {{u"编号"_s, u"X%1"_s.arg(QLatin1String(serial))}, {u"流水"_s, QLatin1String(serial)},
                                                   {u"审核状态"_s, u"审核通过"_s}});
        const Result result = submit(*connection, request(u"00000001"_s));
        QCOMPARE(result.outcome, Submission::Submitted);
        QCOMPARE(result.number, u"06物业管理中心11"_s);
        QCOMPARE(database->rows(u"select 流水, 部门, 部门编号, 提交日期, 审核状态, 调整事由, 类型名称, 票据金额, 收款方式, 票据编号, 票据作废日期 from 作废恢复审批单 where 编号 = '06物业管理中心11'"_s),
                 QStringList{u"11|物业管理中心|06|2026-12-09 10:30:15|审批中|误作废|作废恢复|1050.5|现金|00000001|2026-11-20"_s});
        QCOMPARE(database->rows(u"select 部门, 岗位, 环节序号, 审批人 from 作废恢复审批"_s), QStringList{u"05|8|1|NULL"_s});
        QCOMPARE(database->rows(u"select 部门, 岗位, 环节序号 from 作废恢复审批流程 order by 环节序号"_s), (QStringList{u"05|8|1"_s, u"02|1|2"_s}));
        QCOMPARE(database->rows(u"select 编号, 票据编号, 金额, 收费项目 from 票据作废恢复明细"_s), QStringList{u"06物业管理中心11|00000001|1050.5|物业费"_s});
        QVERIFY(!connection->inTransaction());
    }

    // Each of the ten statements fails once: the first node, the latest serial, the bill
    // and an application of it in approval read; the application and its step each
    // opened and saved; the route and the lines copied.
    void aFailureAtAnyStatementLeavesNothing()
    {
        verifyEachFailureWritesNothing(*connection, 10, [&] { return submit(*connection, request(u"00000001"_s)).outcome; },
                                       [&] { return workflowTables(*database); }, Submission::Submitted);
        QCOMPARE(database->count(u"作废恢复审批单"_s), 1);
    }
};

QTEST_MAIN(TestRestorationSubmission)
#include "test_restoration_submission.moc"
