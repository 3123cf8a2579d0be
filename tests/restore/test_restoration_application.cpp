// The restoration application window: finding a bill and its lines, submitting an
// application (numbering, routing, copying the lines) and following the department's
// applications, with the tables checked after every submission.
#include "ShownMessages.h"
#include "GridRows.h"
#include "ApprovalPathFixture.h"
#include "WindowDriver.h"
#include "WorkflowTables.h"
#include "platform/ui/CheckBox.h"
#include "platform/ui/DisplayFormats.h"
#include "platform/ui/OptionButton.h"
#include "restore/Frm票据作废恢复申请.h"
#include "restore/RestorationApplicationSql.h"

using namespace WindowDriver;

namespace {

const QDateTime SubmittedAt(QDate(2026, 12, 9), QTime(10, 30, 15));

} // namespace

class TestRestorationApplication : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestDatabase> database;
    QPointer<Frm票据作废恢复申请> window;

    // Bills of book 01-2026-01 issued by 06: 00000001 voided with two lines, 00000002
    // voided without lines, 00000003 issued, not voided; book 01-2026-02 holds 00000001 too.
    void addBills()
    {
        database->insert(u"票据入库单"_s, {{u"入库单编号"_s, u"01-2026-01"_s}, {u"状态"_s, u"领用"_s}});
        addBill(u"01-2026-01"_s, u"00000001"_s, 1050.5, u"2026-11-20"_s, u"现金"_s);
        addBill(u"01-2026-01"_s, u"00000002"_s, QVariant(), u"2026-11-21 16:05:00"_s, QVariant());
        addBill(u"01-2026-01"_s, u"00000003"_s, 80, QVariant(), u"转账"_s);
        addBill(u"01-2026-02"_s, u"00000001"_s, 7, u"2026-10-01"_s, u"支票"_s);
        const qlonglong bill = billId(u"01-2026-01"_s, u"00000001"_s);
        addLine(bill, u"物业费"_s, 1000, 0.06, true);
        addLine(bill, u"停车费"_s, 50.5, QVariant(), QVariant());
    }

    qlonglong addBill(const QString &book, const QString &number, const QVariant &amount, const QVariant &voidedOn,
                      const QVariant &paymentMethod)
    {
        return database->insert(u"票据"_s, {{u"入库单编号"_s, book},
                                            {u"票据编号"_s, number},
                                            {u"金额"_s, amount},
                                            {u"开票部门编号"_s, u"06"_s},
                                            {u"开票日期"_s, u"2026-11-02"_s},
                                            {u"付款人"_s, u"东区18栋203室"_s},
                                            {u"收款方式"_s, paymentMethod},
                                            {u"作废日期"_s, voidedOn},
                                            {u"作废原因"_s, voidedOn.isNull() ? QVariant() : QVariant(u"金额错误"_s)}});
    }

    void addLine(qlonglong bill, const QString &item, double amount, const QVariant &taxRate, const QVariant &notDaily)
    {
        const QString number = database->scalar(u"select 票据编号 from 票据 where ID = %1"_s.arg(bill)).toString();
        const QString book = database->scalar(u"select 入库单编号 from 票据 where ID = %1"_s.arg(bill)).toString();
        database->insert(u"票据开票数据"_s, {{u"票据id"_s, bill},
                                             {u"票据编号"_s, number},
                                             {u"入库单编号"_s, book},
                                             {u"项目"_s, item},
                                             {u"金额"_s, amount},
                                             {u"摘要"_s, item + u"摘要"_s},
                                             {u"科目代号"_s, u"600101"_s},
                                             {u"收费项目代号"_s, u"1"_s},
                                             {u"税率"_s, taxRate},
                                             {u"非日常"_s, notDaily}});
    }

    qlonglong billId(const QString &book, const QString &number)
    {
        return database->scalar(u"select ID from 票据 where 入库单编号='%1' and 票据编号='%2'"_s.arg(book, number)).toLongLong();
    }

    // Path HF01 for category 02: 后勤集团财务科长, then 财务处处长; HF09 (terminated) also
    // serves 02 and starts lower.
    void addPaths()
    {
        addPath(*database, u"HF01"_s, u"后勤服务单位作废恢复"_s, u"02"_s, u"2026-01-05"_s);
        addNode(*database, u"HF01"_s, u"05"_s, u"8"_s, 1);
        addNode(*database, u"HF01"_s, u"02"_s, u"1"_s, 2);
        addPath(*database, u"HF09"_s, u"旧路径"_s, u"02"_s, u"2024-01-05"_s, u"2025-12-31"_s);
        addNode(*database, u"HF09"_s, u"02"_s, u"2"_s, 0);
    }

    void search(const QString &book, const QString &bill)
    {
        typeOver(window->Text1, book);
        typeOver(window->Text2, bill);
        click(window->Command1);
    }

    // Searches the bill, clicks it and answers Yes to "提交审批": the reason box opens.
    void startApplying(const QString &book, const QString &bill)
    {
        search(book, bill);
        clickCell(window->MSFlexGrid1, 1, 2);
        clickAnswering(window->Command4, MessageBoxes::Answer::Yes);
    }

    // Starts applying for the bill and confirms with the reason.
    void apply(const QString &book, const QString &bill, const QString &reason = u"误作废"_s)
    {
        startApplying(book, bill);
        QVERIFY(window->Frame1->isVisible());
        typeOver(window->Text3, reason);
        click(window->Command6);
    }

    QString applicationValue(const QString &number, const QString &column)
    {
        return database->scalar(u"select %1 from 作废恢复审批单 where 编号 = '%2'"_s.arg(column, number)).toString();
    }

private slots:
    void init()
    {
        database = startWindowTest(SubmittedAt);
        addOrganisation(*database);
        OperatorContext().职能部门编号 = u"06"_s;
        OperatorContext().职能部门名称 = u"物业管理中心"_s;
        OperatorContext().部门类别代号 = u"02"_s;
        addBills();
    }

    void cleanup()
    {
        finishWindowTest(window, database);
    }

    // ---------------------------------------------------------------- statements

    void theStatementsAreTheWindowsOwn()
    {
        QCOMPARE(billSearchCondition(u"B1"_s, u"7"_s), u" where 票据.入库单编号 = 'B1' and 票据.票据编号 like '%7%'"_s);
        QCOMPARE(billSearchCondition(u"B1"_s, u"  "_s), u" where 票据.入库单编号 = 'B1'"_s);
        QCOMPARE(billSearchCondition(u" "_s, u"7"_s), u" where 票据.票据编号 like  '%7%'"_s);
        QCOMPARE(billSearchCondition(u" "_s, QString()), QString());
        QCOMPARE(billSearchCondition(u" B'1 "_s, QString()), u" where 票据.入库单编号 = ' B''1 '"_s);
        QCOMPARE(firstNodeSql(u"02"_s),
                 u"select top 1 * from 作废恢复流程设置 where 流程代号 in (select 流程代号 from 作废恢复流程 where 作废恢复类别= '作废恢复' and 部门类别='02' and 终止日期 is null) order by len(顺序),顺序 "_s);
        QCOMPARE(copyRouteAndLinesSql(u"06物业管理中心1"_s, u"作废恢复"_s, u"02"_s, u"15"_s),
                 u"insert into 作废恢复审批流程(编号,部门,岗位,环节序号) select '06物业管理中心1',部门编号,岗位编号,顺序 from 作废恢复流程设置 where 流程代号 in (select 流程代号 from 作废恢复流程 where 作废恢复类别= '作废恢复' and 部门类别='02' and 终止日期 is null) order by len(顺序),顺序 "
                 " insert into 票据作废恢复明细(票据入库单编号,票据编号,金额,税金,收费项目,科目,收费项目代号,应税科目,税率,摘要,不含税单价,不含税金额,编号)"
                 " select 入库单编号,票据编号,金额,税额,项目,科目代号,收费项目代号,应税科目,税率,摘要,不含税单价,不含税金额,'06物业管理中心1' from 票据开票数据 where 票据id ='15'"_s);
        QCOMPARE(applicationsOfDepartmentSql(u"06"_s, true), u"select * from 作废恢复审批单 where 部门编号='06' and 审核状态='审批中'"_s);
        QCOMPARE(applicationsOfDepartmentSql(u"06"_s, false), u"select * from 作废恢复审批单 where 部门编号='06'"_s);
    }

    // ---------------------------------------------------------------- searching

    void aSearchFindsByBookByNumberOrBoth()
    {
        QVERIFY(open(window));
        search(u"01-2026-01"_s, QString());
        QCOMPARE(window->MSFlexGrid1->Rows(), 4);
        search(QString(), u"0001"_s); // contained in the number, in any book
        QCOMPARE(window->MSFlexGrid1->Rows(), 3);
        search(u"01-2026-02"_s, u"0001"_s);
        QCOMPARE(window->MSFlexGrid1->Rows(), 2);
        QCOMPARE(window->MSFlexGrid1->TextMatrix(1, 4), u"7"_s);
        QCOMPARE(shownTexts(), QStringList());

        search(u"  "_s, u" "_s);
        search(u"01-2099-01"_s, QString());
        QCOMPARE(shownTexts(), (QStringList{u"请输入正确票据本号或票据编号!"_s, u"未查到相关票据信息"_s}));
        for (const MessageBoxes::Record &r : MessageBoxes::records())
            QCOMPARE(r.title, u"注意！"_s);
        QCOMPARE(window->MSFlexGrid1->Rows(), 1);
    }

    void theBillGridShowsEveryColumnAsStored()
    {
        QVERIFY(open(window));
        search(u"01-2026-01"_s, u"0000000"_s);
        FlexGrid *grid = window->MSFlexGrid1;
        QCOMPARE(grid->Cols(), 33);
        QCOMPARE(grid->TextMatrix(0, 3).trimmed(), u"开票部门"_s);
        QCOMPARE(grid->TextMatrix(0, 28).trimmed(), u"作废原因"_s);
        const QStringList first = gridRowOf(*grid, 1);
        QCOMPARE(first.mid(0, 9), (QStringList{u"1"_s, u"01-2026-01"_s, u"00000001"_s, u"物业管理中心"_s, u"1050.5"_s,
                                               DisplayFormats::shortDate(QDate(2026, 11, 2)), QString(), u"东区18栋203室"_s, u"现金"_s}));
        QCOMPARE(first[26], DisplayFormats::shortDate(QDate(2026, 11, 20)));
        QCOMPARE(first[28], u"金额错误"_s);
        QCOMPARE(first[29], QString::number(billId(u"01-2026-01"_s, u"00000001"_s)));
        QCOMPARE(first[30], u"06"_s);
        // NULL amount shows 0, other NULLs nothing; a void time shows with the date.
        const QStringList second = gridRowOf(*grid, 2);
        QCOMPARE(second[4], u"0"_s);
        QCOMPARE(second[8], QString());
        QCOMPARE(second[26], DisplayFormats::shortDateTime(QDateTime(QDate(2026, 11, 21), QTime(16, 5))));
        QCOMPARE(grid->ColWidth(29), 0);
    }

    void clickingABillShowsItsLines()
    {
        QVERIFY(open(window));
        search(QString(), u"00000001"_s);
        QVERIFY(!window->MSFlexGrid2->isVisible());
        clickCell(window->MSFlexGrid1, 1, 2);
        QVERIFY(window->MSFlexGrid2->isVisible());
        QCOMPARE(window->Text1->text(), u"01-2026-01"_s);
        QCOMPARE(window->Text2->text(), u"00000001"_s);
        FlexGrid *lines = window->MSFlexGrid2;
        QCOMPARE(lines->Rows(), 3);
        QCOMPARE(gridRowOf(*lines, 1).mid(0, 19),
                 (QStringList{u"1"_s, u"01-2026-01"_s, u"00000001"_s, QString(), QString(), u"物业费"_s, QString(), QString(), QString(),
                              u"1000"_s, u"物业费摘要"_s, u"600101"_s, u"1"_s, u"否"_s, u"0"_s, u"0.06"_s, u"0"_s, u"0"_s, u"0"_s}));
        QCOMPARE(lines->TextMatrix(2, 13), u"空白老数据"_s);
        QCOMPARE(lines->TextMatrix(2, 15), u"0"_s);
        // A new search hides the lines again; "清空" empties everything.
        search(QString(), u"00000001"_s);
        QVERIFY(!window->MSFlexGrid2->isVisible());
        clickCell(window->MSFlexGrid1, 1, 2);
        click(window->Command2);
        QVERIFY(window->Text1->text().isEmpty() && window->Text2->text().isEmpty());
        QCOMPARE(window->MSFlexGrid1->Rows(), 1);
        QCOMPARE(window->MSFlexGrid2->Rows(), 1);
        QVERIFY(!window->MSFlexGrid2->isVisible());
    }

    // ---------------------------------------------------------------- applying

    void onlyAVoidedBillThatExistsOpensTheApplication()
    {
        addPaths();
        QVERIFY(open(window));
        // Blanks only: nothing happens.
        typeOver(window->Text1, u" "_s);
        typeOver(window->Text2, u"00000001"_s);
        click(window->Command4);
        typeOver(window->Text1, u"01-2026-01"_s);
        typeOver(window->Text2, u"99999999"_s);
        click(window->Command4);
        typeOver(window->Text2, u"00000003"_s);
        click(window->Command4);
        QCOMPARE(shownTexts(), (QStringList{u"未查到相关票据信息"_s, u"发票尚未作废，无法提交审批！"_s}));
        QCOMPARE(MessageBoxes::records()[1].title, u"提示！"_s);
        QVERIFY(!window->Frame1->isVisible());

        MessageBoxes::clearRecords();
        typeOver(window->Text2, u"00000001"_s);
        clickAnswering(window->Command4, MessageBoxes::Answer::No);
        QCOMPARE(shownTexts(), QStringList{u"请确定是否要对发票本为：01-2026-01 票据编号为： 00000001 进行处理吗？"_s});
        QVERIFY(!window->Frame1->isVisible());
        clickAnswering(window->Command4, MessageBoxes::Answer::Yes);
        QVERIFY(window->Frame1->isVisible());
        QCOMPARE(window->Label5->text(), u"01-2026-01"_s);
        QCOMPARE(window->Label6->text(), u"00000001"_s);
        QCOMPARE(window->Option1->text(), u"作废恢复"_s);
        typeOver(window->Text3, u"草稿"_s);
        click(window->Command5);
        QVERIFY(!window->Frame1->isVisible());
        QVERIFY(window->Text3->text().isEmpty());
        QCOMPARE(database->count(u"作废恢复审批单"_s), 0);
    }

    void aSubmissionRecordsTheApplicationItsFirstStepRouteAndLines()
    {
        addPaths();
        QVERIFY(open(window));
        apply(u"01-2026-01"_s, u"00000001"_s, u"误作废，申请恢复"_s);
        QCOMPARE(shownTexts().last(), u"已提交，请等待审批。"_s);
        QCOMPARE(MessageBoxes::records().last().title, u"提示！"_s);
        QVERIFY(!window->Frame1->isVisible());
        QVERIFY(window->Text3->text().isEmpty());

        const QString number = u"06物业管理中心1"_s;
        const qlonglong bill = billId(u"01-2026-01"_s, u"00000001"_s);
        QCOMPARE(database->rows(u"select 编号, 流水, 部门, 部门编号, 提交日期, 审核状态, 审核日期, 审核是否通过, 调整事由, 审批人, 类型名称, 票据金额, 收款方式, 票据ID, 票据编号, 票据入库单编号, 票据作废日期 from 作废恢复审批单"_s),
                 QStringList{u"%1|1|物业管理中心|06|2026-12-09 10:30:15|审批中|NULL|NULL|误作废，申请恢复|NULL|作废恢复|1050.5|现金|%2|00000001|01-2026-01|2026-11-20"_s
                                 .arg(number).arg(bill)});
        QCOMPARE(database->rows(u"select 编号, 部门, 岗位, 环节序号, 审批人, 审批意见, 审批日期, 是否同意 from 作废恢复审批"_s),
                 QStringList{number + u"|05|8|1|NULL|NULL|NULL|NULL"_s});
        // The terminated path adds nothing.
        QCOMPARE(database->rows(u"select 编号, 部门, 岗位, 环节序号 from 作废恢复审批流程 order by 环节序号"_s),
                 (QStringList{number + u"|05|8|1"_s, number + u"|02|1|2"_s}));
        QCOMPARE(database->rows(u"select 票据入库单编号, 票据编号, 金额, 税金, 收费项目, 科目, 收费项目代号, 税率, 摘要, 编号 from 票据作废恢复明细 order by ID"_s),
                 (QStringList{u"01-2026-01|00000001|1000|NULL|物业费|600101|1|0.06|物业费摘要|"_s + number,
                              u"01-2026-01|00000001|50.5|NULL|停车费|600101|1|NULL|停车费摘要|"_s + number}));
        QVERIFY(!DbConnection().inTransaction());
    }

    void serialsCountOnAsNumbers()
    {
        addPaths();
        for (const char *serial : {"9", "8", "10"})
            database->insert(u"作废恢复审批单"_s, {{u"编号"_s, u"X%1"_s.arg(QLatin1String(serial))}, {u"流水"_s, QLatin1String(serial)}});
        QVERIFY(open(window));
        apply(u"01-2026-01"_s, u"00000001"_s);
        QCOMPARE(applicationValue(u"06物业管理中心11"_s, u"流水"_s), u"11"_s);
        // Another department's operator continues the same serial.
        OperatorContext().职能部门编号 = u"02"_s;
        OperatorContext().职能部门名称 = u"财务处"_s;
        apply(u"01-2026-01"_s, u"00000002"_s);
        QCOMPARE(applicationValue(u"02财务处12"_s, u"部门"_s), u"财务处"_s);
        QCOMPARE(applicationValue(u"02财务处12"_s, u"部门编号"_s), u"02"_s);
        QVERIFY(applicationValue(u"02财务处12"_s, u"票据金额"_s).isEmpty());
    }

    void theTypedNumbersNameTheBillRecorded()
    {
        addPaths();
        QVERIFY(open(window));
        startApplying(u"01-2026-02"_s, u"00000001"_s);
        // The operator types the numbers of another bill without clicking its row.
        typeOver(window->Text1, u"01-2026-01"_s);
        typeOver(window->Text2, u"00000002"_s);
        click(window->Command6);
        const QString number = u"06物业管理中心1"_s;
        QCOMPARE(applicationValue(number, u"票据ID"_s), QString::number(billId(u"01-2026-01"_s, u"00000002"_s)));
        QCOMPARE(applicationValue(number, u"票据编号"_s), u"00000002"_s);
        QVERIFY(applicationValue(number, u"收款方式"_s).isEmpty());
        QCOMPARE(applicationValue(number, u"票据作废日期"_s), u"2026-11-21 16:05:00"_s);
        // A bill without lines copies none; the application stands.
        QCOMPARE(database->count(u"票据作废恢复明细"_s), 0);
        QCOMPARE(database->count(u"作废恢复审批流程"_s), 2);
    }

    void aSubmissionForNoBillOrABillNotVoidedWritesNothing()
    {
        addPaths();
        QVERIFY(open(window));
        startApplying(u"01-2026-01"_s, u"00000001"_s);
        typeOver(window->Text2, u"77777777"_s);
        click(window->Command6);
        typeOver(window->Text2, u"00000003"_s);
        click(window->Command6);
        QCOMPARE(shownTexts().mid(1), (QStringList{u"未查到相关票据信息"_s, u"发票尚未作废，无法提交审批！"_s}));
        QCOMPARE(workflowTables(*database), (QStringList{u"--"_s, u"--"_s, u"--"_s, u"--"_s}));
        QVERIFY(window->Frame1->isVisible());
    }

    // One application at a time for a bill: a second one while the first is in approval
    // is refused and writes nothing (its restoration could undo the bill's next issue);
    // the same number in another book, or the bill once its application is decided, can
    // be applied for.
    void aBillWithAnApplicationInApprovalIsNotAppliedForAgain()
    {
        addPaths();
        QVERIFY(open(window));
        apply(u"01-2026-01"_s, u"00000001"_s);
        const QStringList before = workflowTables(*database);
        MessageBoxes::clearRecords();
        apply(u"01-2026-01"_s, u"00000001"_s, u"再次申请"_s);
        QCOMPARE(shownTexts().last(), u"该票据已有审批中的恢复申请（编号：06物业管理中心1），请等待其审批结束，不能重复提交！"_s);
        QCOMPARE(MessageBoxes::records().last().title, u"提示！"_s);
        QCOMPARE(workflowTables(*database), before);
        QVERIFY(window->Frame1->isVisible());

        apply(u"01-2026-02"_s, u"00000001"_s);
        QCOMPARE(shownTexts().last(), u"已提交，请等待审批。"_s);
        database->check().execute(u"update 作废恢复审批单 set 审核状态='审核不通过' where 编号='06物业管理中心1'"_s);
        apply(u"01-2026-01"_s, u"00000001"_s, u"再次申请"_s);
        QCOMPARE(shownTexts().last(), u"已提交，请等待审批。"_s);
        QCOMPARE(database->count(u"作废恢复审批单"_s), 3);
    }

    void twoPathsOfTheCategoryBothRouteTheApplication()
    {
        addPaths();
        addPath(*database, u"HF02"_s, u"第二条"_s, u"02"_s, u"2026-02-01"_s);
        addNode(*database, u"HF02"_s, u"06"_s, u"8"_s, 0);
        addNode(*database, u"HF02"_s, u"02"_s, u"2"_s, 10);
        QVERIFY(open(window));
        apply(u"01-2026-01"_s, u"00000001"_s);
        const QString number = u"06物业管理中心1"_s;
        QCOMPARE(database->rows(u"select 部门, 岗位, 环节序号 from 作废恢复审批"_s), QStringList{u"06|8|0"_s});
        QCOMPARE(database->rows(u"select 部门, 岗位, 环节序号 from 作废恢复审批流程 order by 环节序号"_s),
                 (QStringList{u"06|8|0"_s, u"05|8|1"_s, u"02|1|2"_s, u"02|2|10"_s}));
        QCOMPARE(applicationValue(number, u"审核状态"_s), u"审批中"_s);
    }

    void withoutAPathInForceNothingIsWritten()
    {
        addPath(*database, u"HF09"_s, u"旧路径"_s, u"02"_s, u"2024-01-05"_s, u"2025-12-31"_s);
        addNode(*database, u"HF09"_s, u"02"_s, u"2"_s, 1);
        addPath(*database, u"HF03"_s, u"机关"_s, u"01"_s, u"2024-01-05"_s);
        addNode(*database, u"HF03"_s, u"02"_s, u"2"_s, 1);
        QVERIFY(open(window));
        apply(u"01-2026-01"_s, u"00000001"_s);
        QCOMPARE(shownTexts().last(), u"尚未设置路径，请设置后再使用！"_s);
        QCOMPARE(MessageBoxes::records().last().title, u"提示！"_s);
        QCOMPARE(workflowTables(*database), (QStringList{u"--"_s, u"--"_s, u"--"_s, u"--"_s}));
    }

    void aFailureAnywhereInASubmissionLeavesNothing()
    {
        addPaths();
        QVERIFY(open(window));
        apply(u"01-2026-01"_s, u"00000002"_s); // one application already there
        const QStringList before = workflowTables(*database);
        int statements = 0;
        {
            DbConnection().clearStatementLog();
            MessageBoxes::clearRecords();
            startApplying(u"01-2026-01"_s, u"00000001"_s);
            DbConnection().clearStatementLog();
        }
        for (int n = 1; n <= 12; ++n) {
            MessageBoxes::clearRecords();
            DbConnection().failAtStatement(n);
            click(window->Command6);
            DbConnection().failAtStatement(0);
            if (shownTexts() == QStringList{u"已提交，请等待审批。"_s}) {
                statements = n - 1;
                break;
            }
            QCOMPARE(MessageBoxes::records().size(), 1);
            QVERIFY2(MessageBoxes::records()[0].text.startsWith(u"错误号："_s), qPrintable(shownTexts().join(u'/')));
            QCOMPARE(workflowTables(*database), before);
            QVERIFY(!DbConnection().inTransaction());
            QVERIFY(window->Frame1->isVisible());
        }
        // Every statement of the submission was made to fail once: the reads, the two
        // rows, the route and the lines.
        QVERIFY2(statements >= 7, qPrintable(QString::number(statements)));
        QCOMPARE(database->count(u"作废恢复审批单"_s), 2);
    }

    // ---------------------------------------------------------------- the department's applications

    void theStatusPanelListsTheDepartmentsApplicationsAndTheirSteps()
    {
        addPaths();
        QVERIFY(open(window));
        apply(u"01-2026-01"_s, u"00000001"_s);
        apply(u"01-2026-01"_s, u"00000002"_s);
        database->check().execute(u"update 作废恢复审批单 set 审核状态='审核不通过' where 流水='2'"_s);
        database->insert(u"作废恢复审批单"_s, {{u"编号"_s, u"02财务处3"_s}, {u"流水"_s, u"3"_s}, {u"部门编号"_s, u"02"_s}});
        // The first step decided, the second pending.
        database->check().execute(u"update 作废恢复审批 set 审批人='王建国', 审批意见='同意', 审批日期='2026-12-09 11:00:00', 是否同意=1 where 编号='06物业管理中心1'"_s);
        database->insert(u"作废恢复审批"_s, {{u"编号"_s, u"06物业管理中心1"_s}, {u"部门"_s, u"02"_s}, {u"岗位"_s, u"1"_s}, {u"环节序号"_s, 2}});

        click(window->Command7);
        QVERIFY(window->Frame2->isVisible());
        FlexGrid *applications = window->MSFlexGrid3;
        QCOMPARE(applications->Rows(), 3);
        QCOMPARE(gridRowOf(*applications, 1).mid(0, 8), (QStringList{u"1"_s, u"06物业管理中心1"_s, u"01-2026-01"_s, u"00000001"_s, u"1050.5"_s,
                                                        DisplayFormats::shortDate(QDate(2026, 11, 20)),
                                                        DisplayFormats::shortDateTime(SubmittedAt), u"审批中"_s}));
        // "仅显示审批中" counts at the next listing.
        tick(window->Check1);
        QCOMPARE(applications->Rows(), 3);
        click(window->Command7);
        QCOMPARE(applications->Rows(), 2);

        QVERIFY(!window->MSFlexGrid4->isVisible());
        clickCell(applications, 1, 2);
        FlexGrid *steps = window->MSFlexGrid4;
        QVERIFY(steps->isVisible());
        QCOMPARE(steps->Rows(), 3);
        QCOMPARE(gridRowOf(*steps, 1).mid(0, 6), (QStringList{u"1"_s, u"后勤集团"_s, u"后勤集团财务科长"_s, u"王建国"_s,
                                                 DisplayFormats::shortDateTime(QDateTime(QDate(2026, 12, 9), QTime(11, 0))), u"同意"_s}));
        QCOMPARE(gridRowOf(*steps, 2).mid(0, 6), (QStringList{u"2"_s, u"财务处"_s, u"财务处处长"_s, u"周明远"_s, QString(), u"尚未审批"_s}));

        click(window->Command8);
        QVERIFY(!window->Frame2->isVisible());
        QCOMPARE(applications->Rows(), 1);
        QCOMPARE(steps->Rows(), 1);
        QVERIFY(!steps->isVisible());
    }

    void aStepAtAVacantPostIsNotShown()
    {
        addPath(*database, u"HF01"_s, u"后勤"_s, u"02"_s, u"2026-01-05"_s);
        addNode(*database, u"HF01"_s, u"02"_s, u"10"_s, 1); // 审计员, vacant
        QVERIFY(open(window));
        apply(u"01-2026-01"_s, u"00000001"_s);
        click(window->Command7);
        clickCell(window->MSFlexGrid3, 1, 2);
        QCOMPARE(window->MSFlexGrid4->Rows(), 1);
        QCOMPARE(database->count(u"作废恢复审批"_s), 1);
    }

    void exitClosesTheWindow()
    {
        QVERIFY(open(window));
        click(window->Command3);
        QTRY_VERIFY(window.isNull());
    }
};

QTEST_MAIN(TestRestorationApplication)
#include "test_restoration_application.moc"
