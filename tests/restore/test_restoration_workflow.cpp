// A voided bill restored end to end through the windows: an operator of a service
// department applies, the three posts of the path agree in turn, and the bill is back
// among the unused bills of the book its department holds.
#include "ApprovalPathFixture.h"
#include "ShownMessages.h"
#include "platform/ui/PictureButton.h"
#include "restore/Frm票据作废恢复申请.h"
#include "restore/frm申请详细.h"
#include "usage/frm票据核销.h"

class TestRestorationWorkflow : public ApprovalPathWindowFixture
{
    Q_OBJECT

    void addIssuedBook()
    {
        database->insert(u"票据类型"_s, {{u"票据类型代号"_s, u"01"_s}, {u"票据类型"_s, u"收款收据"_s}, {u"份数"_s, 3}});
        database->insert(u"票据入库单"_s, {{u"入库单编号"_s, u"01-2026-01"_s}, {u"票据类型编号"_s, u"01"_s}, {u"份数"_s, 3},
                                           {u"起始编号"_s, u"00000001"_s}, {u"终止编号"_s, u"00000003"_s}, {u"状态"_s, u"领用"_s}});
        database->insert(u"票据领用记录"_s, {{u"票据领用记录编号"_s, u"LY1"_s}, {u"领用日期"_s, u"2026-03-02"_s}, {u"领用部门代号"_s, u"06"_s}});
        database->insert(u"票据领用清单"_s, {{u"领用记录编号"_s, u"LY1"_s}, {u"入库单编号"_s, u"01-2026-01"_s}});
        for (int n = 1; n <= 3; ++n) {
            const bool voided = n == 2;
            const qlonglong bill = database->insert(u"票据"_s, {{u"入库单编号"_s, u"01-2026-01"_s},
                                                                {u"票据编号"_s, u"0000000%1"_s.arg(n)},
                                                                {u"金额"_s, 100 * n},
                                                                {u"开票部门编号"_s, u"06"_s},
                                                                {u"开票日期"_s, u"2026-12-01"_s},
                                                                {u"付款人"_s, u"东区18栋203室"_s},
                                                                {u"收款日期"_s, u"2026-12-01"_s},
                                                                {u"收款方式"_s, u"现金"_s},
                                                                {u"作废日期"_s, voided ? QVariant(u"2026-12-02"_s) : QVariant()},
                                                                {u"作废原因"_s, voided ? QVariant(u"金额错误"_s) : QVariant()}});
            database->insert(u"票据开票数据"_s, {{u"票据id"_s, bill}, {u"票据编号"_s, u"0000000%1"_s.arg(n)},
                                                 {u"入库单编号"_s, u"01-2026-01"_s}, {u"项目"_s, u"物业费"_s}, {u"金额"_s, 100 * n}});
        }
        database->insert(u"WYZJ"_s, {{u"发票号码"_s, u"00000002"_s}, {u"票据入库单编号"_s, u"01-2026-01"_s}, {u"ZJ_SKRQ"_s, u"2026-12-01"_s}});
    }

    // The usage window's figures of the book: issued, voided, unused.
    QStringList bookFigures()
    {
        OperatorContext().职能部门编号 = u"06"_s;
        auto *usage = new frm票据核销;
        if (!WindowDriver::show(usage))
            return {};
        if (!usage->TreeView1->isVisible())
            WindowDriver::click(usage->Command6);
        WindowDriver::doubleClickEntry(usage->TreeView1, usage->TreeView1->model()->index(0, 0));
        const QStringList figures = {usage->MSFlexGrid1->TextMatrix(1, 8), usage->MSFlexGrid1->TextMatrix(1, 9),
                                     usage->MSFlexGrid1->TextMatrix(1, 10)};
        delete usage;
        return figures;
    }

    void approveAs(const QString &post, const QString &name)
    {
        OperatorContext().岗位代号 = post;
        OperatorContext().姓名 = name;
        auto *approval = new frm申请详细;
        QVERIFY(WindowDriver::show(approval));
        QCOMPARE(approval->List1->listCount(), 1);
        WindowDriver::clickEntry(approval->List1, approval->List1->model()->index(0, 0));
        WindowDriver::click(approval->Command4);
        WindowDriver::typeOver(approval->Text2, u"同意恢复"_s);
        WindowDriver::click(approval->Command2);
        QCOMPARE(shownTexts().last(), u"审批完成!"_s);
        QCOMPARE(approval->List1->listCount(), 0);
        delete approval;
    }

private slots:
    void init()
    {
        setUpDatabase();
        addIssuedBook();
        addPath(*database, u"HF01"_s, u"后勤服务单位作废恢复"_s, u"02"_s, u"2026-01-05"_s);
        addNode(*database, u"HF01"_s, u"05"_s, u"8"_s, 1);
        addNode(*database, u"HF01"_s, u"02"_s, u"2"_s, 2);
        addNode(*database, u"HF01"_s, u"02"_s, u"1"_s, 3);
    }

    void cleanup() { tearDownWindow(); }

    void aVoidedBillComesBackAsUnusedAfterThreeApprovals()
    {
        QCOMPARE(bookFigures(), (QStringList{u"2"_s, u"1"_s, u"0"_s}));

        // The applicant.
        OperatorContext().职能部门名称 = u"物业管理中心"_s;
        OperatorContext().部门类别代号 = u"02"_s;
        auto *application = new Frm票据作废恢复申请;
        QVERIFY(WindowDriver::show(application));
        WindowDriver::typeOver(application->Text1, u"01-2026-01"_s);
        WindowDriver::typeOver(application->Text2, u"00000002"_s);
        WindowDriver::click(application->Command1);
        WindowDriver::clickCell(application->MSFlexGrid1, 1, 2);
        WindowDriver::clickAnswering(application->Command4, MessageBoxes::Answer::Yes);
        WindowDriver::typeOver(application->Text3, u"金额核对无误，申请恢复"_s);
        WindowDriver::click(application->Command6);
        QCOMPARE(shownTexts().last(), u"已提交，请等待审批。"_s);

        // The three posts of the path, in turn.
        approveAs(u"8"_s, u"王建国"_s);
        QCOMPARE(database->count(u"作废恢复审批"_s), 2);
        approveAs(u"2"_s, u"张晓梅"_s);
        approveAs(u"1"_s, u"周明远"_s);

        const QString number = u"06物业管理中心1"_s;
        QCOMPARE(database->scalar(u"select 审核状态 from 作废恢复审批单 where 编号='%1'"_s.arg(number)).toString(), u"审核通过"_s);
        QCOMPARE(database->count(u"作废恢复审批"_s, u"是否同意=1"_s), 3);
        QCOMPARE(database->scalar(u"select group_concat(审批人, '/') from (select 审批人 from 作废恢复审批 order by 环节序号)"_s).toString(),
                 u"王建国/张晓梅/周明远"_s);
        // The bill is unused again; its lines are gone, their copy stays; WYZJ is cleared.
        QCOMPARE(database->count(u"票据"_s, u"票据编号='00000002' and 开票日期 is null and 作废日期 is null and 付款人 is null and 预开=0"_s), 1);
        QCOMPARE(database->count(u"票据开票数据"_s, u"票据编号='00000002'"_s), 0);
        QCOMPARE(database->count(u"票据作废恢复明细"_s, u"编号='%1'"_s.arg(number)), 1);
        QCOMPARE(database->count(u"WYZJ"_s, u"发票号码 is null and 票据入库单编号 is null and ZJ_SKRQ is null"_s), 1);
        QCOMPARE(bookFigures(), (QStringList{u"2"_s, u"0"_s, u"1"_s}));

        // The applicant sees every step agreed.
        WindowDriver::click(application->Command7);
        WindowDriver::clickCell(application->MSFlexGrid3, 1, 2);
        QCOMPARE(application->MSFlexGrid4->Rows(), 4);
        QCOMPARE(application->MSFlexGrid4->TextMatrix(3, 3), u"周明远"_s);
        QCOMPARE(application->MSFlexGrid4->TextMatrix(3, 5), u"同意恢复"_s);
        delete application;
    }
};

QTEST_MAIN(TestRestorationWorkflow)
#include "test_restoration_workflow.moc"
