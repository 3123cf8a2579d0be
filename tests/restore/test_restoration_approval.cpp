// The restoration approval window: the list of applications waiting at a post, the
// selected application, and every decision it drives through the application's life
// cycle, with the tables checked afterwards.
#include "TestDatabase.h"
#include "WindowDriver.h"
#include "GridRows.h"
#include "db/DatabaseSetup.h"
#include "platform/db/Recordset.h"
#include "platform/ui/CheckBox.h"
#include "platform/ui/DisplayFormats.h"
#include "platform/ui/FlexGrid.h"
#include "platform/ui/ListBox.h"
#include "platform/ui/MessageBoxes.h"
#include "restore/RestorationApprovalSql.h"
#include "restore/frm申请详细.h"
#include "shell/AppState.h"
#include "shell/Program.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

using namespace Qt::StringLiterals;
using Icon = MessageBoxes::Icon;

namespace {

const QString DecidedAt = u"2026-12-09 10:30:00"_s;
const QString Earlier = u"2026-11-30 16:00:00"_s;
const QString Book = u"01-2026-01"_s, BillNo = u"00260032"_s;

struct Approver
{
    QString name, post;
};
const Approver Wang{u"王建国"_s, u"8"_s}, Sun{u"孙海涛"_s, u"6"_s}, Zhou{u"周明远"_s, u"1"_s};
// The route of every application here: 05/8, 05/6, 02/1.
const QStringList Route{u"05/8"_s, u"05/6"_s, u"02/1"_s};

} // namespace

class TestRestorationApproval : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestDatabase> database;
    QPointer<frm申请详细> window;
    qlonglong billId = 0;

    // An application as a submission writes it (route, one copied line), with its steps
    // so far as "position:state", the state P(ending), A(greed) or R(efused) by an
    // earlier approver; the steps' post is the route's unless one is given.
    qlonglong addApplication(const QString &number, const QString &status, const QString &steps,
                             const QString &post = QString())
    {
        const bool decided = status != u"审批中"_s;
        const qlonglong id = database->insert(u"作废恢复审批单"_s, {
            {u"编号"_s, number}, {u"流水"_s, u"3"_s}, {u"部门"_s, u"物业管理中心"_s}, {u"部门编号"_s, u"06"_s},
            {u"提交日期"_s, u"2026-11-20 10:05:00"_s}, {u"审核状态"_s, status},
            {u"审核日期"_s, decided ? QVariant(Earlier) : QVariant()},
            {u"审核是否通过"_s, decided ? QVariant(status == u"审核通过"_s) : QVariant()},
            {u"调整事由"_s, u"收费项目选错后作废"_s}, {u"类型名称"_s, u"作废恢复"_s}, {u"票据金额"_s, 1300.0},
            {u"收款方式"_s, u"现金"_s}, {u"票据ID"_s, billId}, {u"票据编号"_s, BillNo}, {u"票据入库单编号"_s, Book},
            {u"票据作废日期"_s, u"2026-11-20"_s}});
        for (int i = 0; i < Route.size(); ++i)
            database->insert(u"作废恢复审批流程"_s, {{u"编号"_s, number}, {u"部门"_s, Route[i].section(u'/', 0, 0)},
                                                     {u"岗位"_s, Route[i].section(u'/', 1)}, {u"环节序号"_s, i + 1}});
        database->insert(u"票据作废恢复明细"_s, {{u"编号"_s, number}, {u"票据入库单编号"_s, Book}, {u"票据编号"_s, BillNo},
                                                 {u"金额"_s, 1040.0}, {u"税金"_s, 58.87}, {u"收费项目"_s, u"住宅物业费"_s},
                                                 {u"税率"_s, 0.06}, {u"摘要"_s, u"2026年11月物业费"_s}});
        for (const QString &step : steps.split(u' ')) {
            const int position = step.section(u':', 0, 0).toInt();
            const QString state = step.section(u':', 1);
            const bool pending = state == u"P"_s;
            database->insert(u"作废恢复审批"_s, {
                {u"编号"_s, number}, {u"部门"_s, Route[position - 1].section(u'/', 0, 0)},
                {u"岗位"_s, post.isEmpty() ? Route[position - 1].section(u'/', 1) : post}, {u"环节序号"_s, position},
                {u"审批人"_s, pending ? QVariant() : QVariant(u"前任"_s)}, {u"审批意见"_s, pending ? QVariant() : QVariant(u"旧意见"_s)},
                {u"审批日期"_s, pending ? QVariant() : QVariant(Earlier)}, {u"是否同意"_s, pending ? QVariant() : QVariant(state == u"A"_s)}});
        }
        return id;
    }

    // Every table a decision may write.
    QStringList dump()
    {
        QStringList all;
        for (const QString &table : {u"作废恢复审批单"_s, u"作废恢复审批"_s, u"作废恢复审批流程"_s, u"票据作废恢复明细"_s, u"票据"_s,
                                     u"票据开票数据"_s, u"WYZJ"_s})
            all << table << database->rows(u"select * from %1 order by ID"_s.arg(table));
        return all;
    }

    QStringList steps(const QString &number)
    {
        return database->rows(u"select 部门, 岗位, 环节序号, 审批人, 审批意见, 审批日期, 是否同意 from 作废恢复审批 where 编号 = '%1' order by ID"_s.arg(number));
    }
    QString state(qlonglong id)
    {
        return database->rows(u"select 审核状态, 审核是否通过, 审核日期 from 作废恢复审批单 where ID = %1"_s.arg(id)).value(0);
    }

    void openAs(const Approver &approver)
    {
        delete window.data();
        OperatorContext().姓名 = approver.name;
        OperatorContext().岗位代号 = approver.post;
        QVERIFY(WindowDriver::open(window));
    }

    void decide(QPushButton *button, const QString &opinion)
    {
        WindowDriver::click(window->Command4);
        WindowDriver::typeOver(window->Text2, opinion);
        WindowDriver::click(button);
    }

    // A mouse click on a line of the list, as the operator clicks it.
    void clickLine(int line)
    {
        WindowDriver::clickEntry(window->List1, window->List1->model()->index(line, 0));
    }

    QStringList lines() const
    {
        QStringList out;
        for (int i = 0; i < window->List1->listCount(); ++i)
            out << window->List1->lineText(i);
        return out;
    }
    QStringList gridRow(int row) const { return gridRowOf(*window->MSFlexGrid1, row, window->MSFlexGrid1->Cols() - 1); }
    static QString texts()
    {
        QStringList out;
        for (const auto &r : MessageBoxes::records())
            out << r.text + u" / "_s + r.title;
        return out.join(u'\n');
    }

private slots:
    void init()
    {
        database = WindowDriver::startWindowTest(QDateTime::fromString(DecidedAt, u"yyyy-MM-dd HH:mm:ss"_s));
        addDepartment(*database, u"02"_s, u"财务处"_s);
        addDepartment(*database, u"05"_s, u"后勤集团"_s, u"02"_s);
        addDepartment(*database, u"06"_s, u"物业管理中心"_s, u"02"_s);
        billId = database->insert(u"票据"_s, {
            {u"票据编号"_s, BillNo}, {u"入库单编号"_s, Book}, {u"金额"_s, 1300.0}, {u"开票部门编号"_s, u"06"_s},
            {u"开票日期"_s, u"2026-11-18"_s}, {u"付款人"_s, u"东区13栋201室"_s}, {u"预开"_s, true}, {u"收款日期"_s, u"2026-11-18"_s},
            {u"开票人"_s, u"李秀英"_s}, {u"收款人"_s, u"李秀英"_s}, {u"收款方式"_s, u"现金"_s}, {u"作废日期"_s, u"2026-11-20"_s},
            {u"作废原因"_s, u"收费项目选错"_s}, {u"作废人"_s, u"李秀英"_s}, {u"管理处"_s, u"东区"_s}});
        for (const QString &item : {u"住宅物业费"_s, u"垃圾清运费"_s})
            database->insert(u"票据开票数据"_s, {{u"票据id"_s, billId}, {u"票据编号"_s, BillNo}, {u"入库单编号"_s, Book},
                                                 {u"项目"_s, item}, {u"金额"_s, 650.0}});
        database->insert(u"WYZJ"_s, {{u"发票号码"_s, BillNo}, {u"票据入库单编号"_s, Book}, {u"ZJ_SKRQ"_s, u"2026-11-18"_s}});
        database->insert(u"WYZJ"_s, {{u"发票号码"_s, u"00260031"_s}, {u"票据入库单编号"_s, Book}, {u"ZJ_SKRQ"_s, u"2026-11-17"_s}});
        database->insert(u"封帐"_s, {{u"职能部门代号"_s, u"06"_s}, {u"封帐日期"_s, u"2026-10-31"_s}});
    }

    void cleanup()
    {
        WindowDriver::finishWindowTest(window, database);
    }

    // ---------------------------------------------------------------- statement texts

    void theStatementsAreTheSystemsOwnText()
    {
        const QString q = u"SELECT     作废恢复审批单.ID, 作废恢复审批单.编号, 作废恢复审批单.部门, 作废恢复审批单.提交日期, 作废恢复审批单.审核状态, 作废恢复审批单.审核日期,  作废恢复审批单.审核是否通过, 作废恢复审批单.调整事由, 作废恢复审批单.审批人, 作废恢复审批单.流水, 作废恢复审批单.类型名称, 作废恢复审批单.票据金额, 作废恢复审批单.收款方式, 作废恢复审批单.票据ID, 作废恢复审批单.部门编号, 作废恢复审批单.票据编号, 作废恢复审批单.票据入库单编号, 作废恢复审批单.票据作废日期, 作废恢复审批.岗位, 作废恢复审批.审批人 AS Expr2, 作废恢复审批.审批日期, 作废恢复审批.审批意见, 作废恢复审批.环节序号,职能部门new.职能部门名称 FROM         作废恢复审批单 INNER JOIN 作废恢复审批 ON 作废恢复审批单.编号 = 作废恢复审批.编号 INNER JOIN  职能部门new ON 作废恢复审批.部门 = 职能部门new.职能部门编号 where 岗位='6'"_s;
        QCOMPARE(applicationListSql(u"6"_s, false), q);
        QCOMPARE(applicationListSql(u"6"_s, true), q + u" and 审核状态='审批中'"_s);
        QCOMPARE(applicationStepsByIdSql(u"6"_s, 17), q + u" and 作废恢复审批单.ID =17"_s);
        QCOMPARE(copiedLinesSql(u"06物业管理中心3"_s), u"select * from 票据作废恢复明细 where 编号='06物业管理中心3'"_s);
        QCOMPARE(billOfApplicationSql(Book, BillNo), u"SELECT * From 票据 where 票据.入库单编号 = '01-2026-01' and 票据.票据编号= '00260032'"_s);
        QCOMPARE(latestClosingMonthSql(u"06"_s), u"select convert(char(8),max(封帐日期),112) as 封帐年月 from 封帐 where 职能部门代号='06'"_s);
        QCOMPARE(nextRouteNodeSql(u"06物业管理中心3"_s, u"2"_s),
                 u"select top 1 * from 作废恢复审批流程 where 编号='06物业管理中心3' and 环节序号>'2'order by len(环节序号),环节序号"_s);

        const ApprovalStepKey step{u"06物业管理中心3"_s, u"6"_s, u"2"_s};
        const ApprovalDecision decision{u"孙海涛"_s, u"情况属实"_s, DecidedAt};
        const QString s = u" update 作废恢复审批 set 审批人='孙海涛',审批意见='情况属实',审批日期='2026-12-09 10:30:00',是否同意=1 where 编号='06物业管理中心3' and 岗位='6' and 环节序号='2'"_s;
        QCOMPARE(agreedStepSql(step, decision), s);
        QCOMPARE(lastApprovalBatchSql(step, decision, Book, BillNo),
                 u"update 作废恢复审批单 set 审核状态='审核通过',审核日期='2026-12-09 10:30:00',审核是否通过=1 where 编号='06物业管理中心3'"_s + s
                     + u" Delete From 票据开票数据 Where 票据编号 = '00260032' AND 入库单编号='01-2026-01'  Update 票据 Set [开票部门编号] = Null,[开票日期] =Null,[付款人] =Null,[预开] = 0,[收款日期] = Null,[开票人] = Null,[收款人] = Null,[作废日期] = Null,[作废原因] =Null,[作废人] =Null Where 票据编号 = '00260032' AND 入库单编号='01-2026-01' Update WYZJ Set 发票号码=Null,票据入库单编号=Null,ZJ_SKRQ=Null Where 发票号码 = '00260032' AND 票据入库单编号='01-2026-01'"_s);
        QCOMPARE(passToNextNodeBatchSql(step, decision, {u"02"_s, u"1"_s, u"3"_s}),
                 u"insert into 作废恢复审批(编号,部门,岗位,环节序号) values('06物业管理中心3','02','1','3')"_s + s);
        QCOMPARE(rejectionBatchSql(step, decision),
                 u"update 作废恢复审批单 set 审核状态='审核不通过',审核日期='2026-12-09 10:30:00',审核是否通过=0 where 编号='06物业管理中心3' update 作废恢复审批 set 审批人='孙海涛',审批意见='情况属实',审批日期='2026-12-09 10:30:00',是否同意=0 where 编号='06物业管理中心3' and 岗位='6' and 环节序号='2'"_s);
        // A quote the operator types cannot end the literal it is placed in.
        QVERIFY(rejectionBatchSql(step, {u"孙海涛"_s, u"不'同意"_s, DecidedAt}).contains(u"审批意见='不''同意'"_s));
    }

    // ---------------------------------------------------------------- the list and the selection

    void theListHoldsEveryStepOfThePost()
    {
        const qlonglong a = addApplication(u"06物业管理中心3"_s, u"审批中"_s, u"1:P"_s);
        const qlonglong b = addApplication(u"06物业管理中心4"_s, u"审核不通过"_s, u"1:R"_s);
        const qlonglong c = addApplication(u"06物业管理中心5"_s, u"审核通过"_s, u"1:A 2:A 3:A"_s);
        const qlonglong d = addApplication(u"06物业管理中心6"_s, u"审批中"_s, u"1:A 3:P"_s, u"8"_s); // two steps for post 8
        addApplication(u"06物业管理中心7"_s, u"审批中"_s, u"1:A 2:P"_s, u"6"_s);                      // post 6 only
        openAs(Wang);
        const QString tail = u" 物业管理中心"_s + DisplayFormats::shortDate(QDate(2026, 11, 20));
        QCOMPARE(lines(), (QStringList{u"06物业管理中心3"_s + tail + u"审批中 1"_s, u"06物业管理中心4"_s + tail + u"审核不通过 1"_s,
                                       u"06物业管理中心5"_s + tail + u"审核通过 1"_s, u"06物业管理中心6"_s + tail + u"审批中 1"_s,
                                       u"06物业管理中心6"_s + tail + u"审批中 3"_s}));
        for (int i = 0; i < 5; ++i)
            QCOMPARE(window->List1->itemData(i), (QList<qlonglong>{a, b, c, d, d}[i]));
        // The first line is selected; an approved application offers no "处理".
        QCOMPARE(window->List1->listIndex(), 0);
        QVERIFY(window->Command4->isEnabled());
        clickLine(2);
        QVERIFY(!window->Command4->isEnabled());
        clickLine(1);
        QVERIFY(window->Command4->isEnabled()); // a rejected one can still be decided

        DbConnection().clearStatementLog();
        WindowDriver::tick(window->Check1);
        QCOMPARE(DbConnection().statementLog().value(0), applicationListSql(u"8"_s, true));
        QCOMPARE(lines().size(), 3);
        QCOMPARE(window->MSFlexGrid1->ColWidth(window->MSFlexGrid1->Cols() - 1), 0);
        QVERIFY(MessageBoxes::records().isEmpty());
    }

    void theListIsLoadedAtEachActivationAndFailuresArePassedOver()
    {
        addApplication(u"06物业管理中心3"_s, u"审批中"_s, u"1:P"_s);
        OperatorContext().岗位代号 = Wang.post;
        QMdiArea area;
        window = new frm申请详细;
        QMdiSubWindow *sub = WindowDriver::openInClientArea(area, window);
        QMdiSubWindow *other = WindowDriver::openInClientArea(area, new QWidget);
        QVERIFY(sub && other);
        area.setActiveSubWindow(sub);
        QCOMPARE(lines().size(), 1);
        addApplication(u"06物业管理中心4"_s, u"审批中"_s, u"1:P"_s);
        area.setActiveSubWindow(other);
        area.setActiveSubWindow(sub);
        QCOMPARE(lines().size(), 2);
        // A failing list query is passed over without a report; the next load works.
        DbConnection().failAtStatement(1);
        WindowDriver::tick(window->Check1);
        QCOMPARE(lines().size(), 0);
        QVERIFY(MessageBoxes::records().isEmpty());
        WindowDriver::tick(window->Check1, false);
        QCOMPARE(lines().size(), 2);
    }

    void selectingShowsTheApplicationAndItsCopiedLines()
    {
        const qlonglong id = addApplication(u"06物业 管理中心3"_s, u"审批中"_s, u"1:P"_s); // a blank in the number
        database->insert(u"票据作废恢复明细"_s, {{u"编号"_s, u"06物业 管理中心3"_s}, {u"收费项目"_s, u"垃圾清运费"_s}, {u"金额"_s, 260.0}});
        OperatorContext().岗位代号 = Wang.post;
        DbConnection().clearStatementLog();
        openAs(Wang);
        QCOMPARE(DbConnection().statementLog().mid(1),
                 (QStringList{applicationStepsByIdSql(u"8"_s, id), copiedLinesSql(u"06物业 管理中心3"_s),
                              stepStateSql({u"06物业 管理中心3"_s, u"8"_s, u"1"_s})}));
        QCOMPARE(window->Label11->text(), u"作废恢复"_s);
        QCOMPARE(window->Label9->text(), u"物业管理中心"_s);
        QCOMPARE(window->Label13->text() + u' ' + window->Label5->text(), Book + u' ' + BillNo);
        QCOMPARE(window->Label6->text(), u"1300"_s);
        QCOMPARE(window->Label7->text(), DisplayFormats::shortDate(QDate(2026, 11, 20)));
        QCOMPARE(window->Text1->text(), u"收费项目选错后作废"_s);
        QCOMPARE(window->MSFlexGrid1->Rows(), 3);
        QCOMPARE(window->MSFlexGrid1->Cols(), 9);
        QCOMPARE(gridRow(1), (QStringList{u"1"_s, Book, BillNo, u"住宅物业费"_s, u"1040"_s, u"58.87"_s, u"0.06"_s, u"2026年11月物业费"_s}));
        QCOMPARE(gridRow(2), (QStringList{u"2"_s, u""_s, u""_s, u"垃圾清运费"_s, u"260"_s, u"0"_s, u"0"_s, u""_s}));
        QCOMPARE(window->MSFlexGrid1->ColWidth(8), 0);
        QVERIFY(MessageBoxes::records().isEmpty());
        QVERIFY(!window->Frame1->isVisible());
        WindowDriver::click(window->Command4);
        QVERIFY(window->Frame1->isVisible());
    }

    void withoutCopiedLinesTheNoticeShowsAndTheApplicationCanBeDecided()
    {
        const qlonglong id = addApplication(u"06物业管理中心7"_s, u"审批中"_s, u"1:P"_s);
        database->check().execute(u"update 作废恢复审批单 set 票据金额 = NULL, 调整事由 = NULL delete from 票据作废恢复明细"_s);
        openAs(Wang);
        QCOMPARE(texts(), u"此票未开发票作废或是定额票作废！ / 提示！"_s);
        QCOMPARE(window->Label6->text(), u"0"_s);
        QCOMPARE(window->Text1->text(), u" "_s);
        decide(window->Command3, u"定额票不予恢复"_s);
        QCOMPARE(state(id), u"审核不通过|False|"_s + DecidedAt);
    }

    void aFailedSelectionIsReportedAndNothingStaysSelected()
    {
        addApplication(u"06物业管理中心3"_s, u"审批中"_s, u"1:P"_s);
        addApplication(u"06物业管理中心4"_s, u"审批中"_s, u"1:P"_s);
        openAs(Wang);
        DbConnection().failAtStatement(1);
        clickLine(1);
        QCOMPARE(MessageBoxes::records().size(), 1);
        QCOMPARE(MessageBoxes::records()[0].icon, Icon::Critical);
        QCOMPARE(MessageBoxes::records()[0].title, MessageBoxes::applicationTitle());
        QVERIFY(MessageBoxes::records()[0].text.startsWith(u"错误号：-2147217900\r\n错误描述："_s));
        QCOMPARE(window->selected().id, 0);
        QVERIFY(window->Label5->text().isEmpty());
        QVERIFY(!window->Command4->isEnabled());
    }

    void aDecisionFollowsTheLineSelectedWhileThePanelIsShown()
    {
        const qlonglong a = addApplication(u"06物业管理中心3"_s, u"审批中"_s, u"1:P"_s);
        const qlonglong b = addApplication(u"06物业管理中心4"_s, u"审核不通过"_s, u"1:R"_s);
        openAs(Wang);
        WindowDriver::click(window->Command4);
        clickLine(1);
        QVERIFY(window->Frame1->isVisible());
        WindowDriver::typeOver(window->Text2, u"复议仍不同意"_s);
        WindowDriver::click(window->Command3);
        QCOMPARE(state(a), u"审批中|NULL|NULL"_s);
        QCOMPARE(state(b), u"审核不通过|False|"_s + DecidedAt);
        QCOMPARE(lines().size(), 1);
        QVERIFY(lines().value(0).startsWith(u"06物业管理中心3 "_s));
    }

    // A click on another line loads that application, with the decision panel shown or
    // not, and the decision then applies to it alone.
    void aClickedLineIsTheApplicationDecided_data()
    {
        QTest::addColumn<bool>("panelShown");
        QTest::newRow("panel hidden") << false;
        QTest::newRow("panel shown") << true;
    }

    void aClickedLineIsTheApplicationDecided()
    {
        QFETCH(bool, panelShown);
        const qlonglong a = addApplication(u"06物业管理中心3"_s, u"审批中"_s, u"1:A"_s);
        const qlonglong b = addApplication(u"06物业管理中心4"_s, u"审批中"_s, u"1:P"_s);
        database->check().execute(u"update 作废恢复审批单 set 调整事由 = '重复开票后作废' where ID = %1"_s.arg(b));
        database->insert(u"票据作废恢复明细"_s, {{u"编号"_s, u"06物业管理中心4"_s}, {u"收费项目"_s, u"垃圾清运费"_s}});
        openAs(Wang);
        QCOMPARE(window->selected().id, a);
        const QStringList stepsOfA = steps(u"06物业管理中心3"_s);
        if (panelShown)
            WindowDriver::click(window->Command4);
        clickLine(1);
        QCOMPARE(window->selected().id, b);
        QCOMPARE(window->selected().number, u"06物业管理中心4"_s);
        QCOMPARE(window->selected().stepNumber, u"1"_s);
        QCOMPARE(window->Text1->text(), u"重复开票后作废"_s);
        QCOMPARE(window->MSFlexGrid1->Rows(), 3);
        QCOMPARE(window->Frame1->isVisible(), panelShown);

        decide(window->Command2, u"情况属实"_s);
        QCOMPARE(steps(u"06物业管理中心3"_s), stepsOfA);
        QCOMPARE(steps(u"06物业管理中心4"_s).value(0), u"05|8|1|王建国|情况属实|"_s + DecidedAt + u"|True"_s);
        QCOMPARE(lines().size(), 1);
        QVERIFY(lines().value(0).startsWith(u"06物业管理中心3 "_s));
    }

    // ---------------------------------------------------------------- the life cycle

    void decisionsMoveTheApplication_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("before");
        QTest::addColumn<int>("approver");
        QTest::addColumn<bool>("agree");
        QTest::addColumn<QString>("opinion");
        QTest::addColumn<QString>("after");    // the application's state
        QTest::addColumn<QStringList>("steps"); // the steps afterwards
        QTest::addColumn<bool>("restored");
        const QString p2 = u"05|6|2|NULL|NULL|NULL|NULL"_s, p3 = u"02|1|3|NULL|NULL|NULL|NULL"_s;
        const QString old1 = u"05|8|1|前任|旧意见|"_s + Earlier + u"|True"_s, old2 = u"05|6|2|前任|旧意见|"_s + Earlier + u"|True"_s;
        const QString rejected = u"审核不通过|False|"_s + Earlier;
        QTest::newRow("in approval: agreed at node 1, node 2 opens")
            << u"06物业管理中心3"_s << u"审批中"_s << u"1:P"_s << 0 << true << u"情况属实"_s << u"审批中|NULL|NULL"_s
            << QStringList{u"05|8|1|王建国|情况属实|"_s + DecidedAt + u"|True"_s, p2} << false;
        QTest::newRow("in approval: agreed at the last node, approved")
            << u"06物业 管理中心3"_s << u"审批中"_s << u"1:A 2:A 3:P"_s << 2 << true << u"  "_s << u"审核通过|True|"_s + DecidedAt
            << QStringList{old1, old2, u"02|1|3|周明远|同意|"_s + DecidedAt + u"|True"_s} << true;
        QTest::newRow("in approval: refused, rejected")
            << u"06物业管理中心3"_s << u"审批中"_s << u"1:A 2:P"_s << 1 << false << u"不予恢复"_s << u"审核不通过|False|"_s + DecidedAt
            << QStringList{old1, u"05|6|2|孙海涛|不予恢复|"_s + DecidedAt + u"|False"_s} << false;
        QTest::newRow("rejected: agreed at node 1, stays rejected")
            << u"06物业管理中心3"_s << u"审核不通过"_s << u"1:R"_s << 0 << true << u"补充材料后同意"_s << rejected
            << QStringList{u"05|8|1|王建国|补充材料后同意|"_s + DecidedAt + u"|True"_s, p2} << false;
        QTest::newRow("rejected: agreed at the last node, approved")
            << u"06物业管理中心3"_s << u"审核不通过"_s << u"1:A 2:A 3:R"_s << 2 << true << u"复核后同意"_s
            << u"审核通过|True|"_s + DecidedAt << QStringList{old1, old2, u"02|1|3|周明远|复核后同意|"_s + DecidedAt + u"|True"_s} << true;
        QTest::newRow("rejected: refused again, date renewed")
            << u"06物业管理中心3"_s << u"审核不通过"_s << u"1:A 2:R"_s << 1 << false << u"仍不同意"_s << u"审核不通过|False|"_s + DecidedAt
            << QStringList{old1, u"05|6|2|孙海涛|仍不同意|"_s + DecidedAt + u"|False"_s} << false;
        QTest::newRow("in approval: agreed again, node 2 not opened twice")
            << u"06物业管理中心3"_s << u"审批中"_s << u"1:A 2:P"_s << 0 << true << u"再次同意"_s << u"审批中|NULL|NULL"_s
            << QStringList{u"05|8|1|王建国|再次同意|"_s + DecidedAt + u"|True"_s, p2} << false;
    }

    void decisionsMoveTheApplication()
    {
        QFETCH(QString, number);
        QFETCH(QString, status);
        QFETCH(QString, before);
        QFETCH(int, approver);
        QFETCH(bool, agree);
        QFETCH(QString, opinion);
        QFETCH(QString, after);
        QFETCH(QStringList, steps);
        QFETCH(bool, restored);
        const qlonglong id = addApplication(number, status, before);
        const QStringList billBefore = database->rows(u"select * from 票据"_s);
        openAs(QList<Approver>{Wang, Sun, Zhou}[approver]);
        QCOMPARE(window->selected().number, number);
        const QString stepNumber = window->selected().stepNumber;
        DbConnection().clearStatementLog();
        decide(agree ? window->Command2 : window->Command3, opinion);

        QCOMPARE(state(id), after);
        QCOMPARE(this->steps(number), steps);
        QCOMPARE(texts(), agree ? u"审批完成! / 提示！"_s : QString());
        QCOMPARE(window->Text2->text(), opinion.trimmed().isEmpty() ? u"同意"_s : opinion);
        const ApprovalStepKey step{number, OperatorContext().岗位代号, stepNumber};
        const ApprovalDecision decision{OperatorContext().姓名, window->Text2->text(), DecidedAt};
        QCOMPARE(DbConnection().statementLog().last(),
                 !agree     ? rejectionBatchSql(step, decision)
                 : restored ? lastApprovalBatchSql(step, decision, Book, BillNo)
                 : steps.size() > before.count(u':') ? passToNextNodeBatchSql(step, decision, {u"05"_s, u"6"_s, u"2"_s})
                                                    : agreedStepSql(step, decision));
        // The line leaves the list, the panel closes, the values are cleared; the lines stay.
        QCOMPARE(window->List1->listCount(), 0);
        QVERIFY(!window->Frame1->isVisible());
        QVERIFY(!window->Command4->isEnabled());
        for (const QLabel *value : {window->Label5, window->Label6, window->Label7, window->Label9, window->Label11, window->Label13})
            QVERIFY(value->text().isEmpty());
        QVERIFY(window->Text1->text().isEmpty());
        QCOMPARE(window->MSFlexGrid1->Rows(), 2);

        // The bill is restored only by the last approval; its copied lines stay.
        QCOMPARE(database->count(u"票据作废恢复明细"_s), 1);
        if (!restored) {
            QCOMPARE(database->rows(u"select * from 票据"_s), billBefore);
            QCOMPARE(database->count(u"票据开票数据"_s), 2);
            return;
        }
        QCOMPARE(database->rows(u"select 票据编号, 入库单编号, 金额, 开票部门编号, 开票日期, 付款人, 预开, 收款日期, 开票人, 收款人, 收款方式, 作废日期, 作废原因, 作废人, 管理处 from 票据"_s),
                 QStringList{u"00260032|01-2026-01|1300|NULL|NULL|NULL|False|NULL|NULL|NULL|现金|NULL|NULL|NULL|东区"_s});
        QCOMPARE(database->count(u"票据开票数据"_s), 0);
        QCOMPARE(database->rows(u"select 发票号码, 票据入库单编号, ZJ_SKRQ from WYZJ order by ID"_s),
                 (QStringList{u"NULL|NULL|NULL"_s, u"00260031|01-2026-01|2026-11-17"_s}));
    }

    void threeApproversWalkTheRouteToApproval()
    {
        const qlonglong id = addApplication(u"06物业管理中心3"_s, u"审批中"_s, u"1:P"_s);
        for (const Approver &approver : {Wang, Sun, Zhou}) {
            openAs(approver);
            QCOMPARE(lines().size(), 1);
            QCOMPARE(state(id).section(u'|', 0, 0), u"审批中"_s);
            decide(window->Command2, u"同意"_s);
            MessageBoxes::clearRecords();
        }
        QCOMPARE(state(id), u"审核通过|True|"_s + DecidedAt);
        QCOMPARE(database->rows(u"select 岗位, 审批人, 是否同意 from 作废恢复审批 order by ID"_s),
                 (QStringList{u"8|王建国|True"_s, u"6|孙海涛|True"_s, u"1|周明远|True"_s}));
        QCOMPARE(database->scalar(u"select count(*) from 票据 where 开票日期 is null and 作废日期 is null and 预开 = 0"_s).toInt(), 1);
        openAs(Zhou); // still listed for the last post, now without "处理"
        QVERIFY(!window->Command4->isEnabled());
    }

    // ---------------------------------------------------------------- refusals that write nothing

    void checksStopTheDecisionBeforeAnythingIsWritten_data()
    {
        QTest::addColumn<QString>("change");   // SQL run before the window opens
        QTest::addColumn<bool>("agree");
        QTest::addColumn<QString>("opinion");
        QTest::addColumn<QString>("message"); // empty: the decision goes through
        const QString issued = u"开票日期小于封帐日期，不能重开票据！ / 注意！"_s;
        QTest::newRow("issued on the closing day") << u"update 票据 set 开票日期 = '2026-10-31'"_s << true << u""_s << issued;
        QTest::newRow("the latest closing counts")
            << u"insert into 封帐 (职能部门代号, 封帐日期) values ('06', '2026-11-30')"_s << true << u""_s << issued;
        QTest::newRow("paid up to the closing, issue date NULL")
            << u"update 票据 set 开票日期 = NULL, 收款日期 = '2026-10-20'"_s << true << u""_s << u"收款日期小于封帐日期，不能重开票据！ / 注意！"_s;
        QTest::newRow("closings by name or of another code do not count")
            << u"insert into 封帐 (职能部门代号, 封帐日期) values ('物业管理中心', '2026-12-31'), ('07', '2026-12-31')"_s << true << u""_s << u""_s;
        QTest::newRow("NULL dates never stop")
            << u"update 票据 set 开票日期 = NULL, 收款日期 = NULL; update 封帐 set 封帐日期 = '2026-12-31'"_s << true << u""_s << u""_s;
        QTest::newRow("no closing at all") << u"delete from 封帐"_s << true << u""_s << u""_s;
        for (const QString &column : {u"收款凭证编号"_s, u"退票凭证编号"_s, u"内换凭证编号"_s, u"税额凭证编号"_s, u"核销日期"_s})
            QTest::newRow(qPrintable(column)) << u"update 票据 set %1 = '2026-12-01'"_s.arg(column) << true << u""_s
                                              << u"已经获取过凭证或者已经核销，不可以重开票据 / 注意！"_s;
        QTest::newRow("the bill is gone") << u"delete from 票据"_s << true << u""_s << u"票据已不存在，不能重开票据！ / 注意！"_s;
        QTest::newRow("the bill is gone, refusing works") << u"delete from 票据"_s << false << u"票据已重开"_s << u""_s;
        QTest::newRow("agreeing with 不同意") << QString() << true << u" 不同意 "_s << u"审批同意时，意见不能为不同意！ / 提示！"_s;
        QTest::newRow("refusing without an opinion") << QString() << false << u"  "_s << u"请输入意见！ / 提示"_s;
        QTest::newRow("refusing with 同意") << QString() << false << u"同意"_s << u"审批不同意时，意见不能为同意！ / 提示！"_s;
    }

    void checksStopTheDecisionBeforeAnythingIsWritten()
    {
        QFETCH(QString, change);
        QFETCH(bool, agree);
        QFETCH(QString, opinion);
        QFETCH(QString, message);
        addApplication(u"06物业管理中心3"_s, u"审批中"_s, u"1:P"_s);
        if (!change.isEmpty())
            database->check().execute(change);
        const QStringList before = dump();
        openAs(Wang);
        decide(agree ? window->Command2 : window->Command3, opinion);
        if (message.isEmpty()) {
            QCOMPARE(texts(), agree ? u"审批完成! / 提示！"_s : QString());
            QVERIFY(dump() != before);
            return;
        }
        QCOMPARE(texts(), message);
        QCOMPARE(dump(), before);
        QCOMPARE(window->List1->listCount(), 1);
        QVERIFY(window->Frame1->isVisible());
        QCOMPARE(window->Label5->text(), BillNo);
    }

    // The last approval undoes only the voiding its application was made for: a bill
    // restored since and issued again, or voided again on another day, stays as it is.
    void aStaleApplicationLeavesTheBillAsItIs_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("message"); // empty: the bill is restored
        QTest::newRow("restored and issued again")
            << u"update 票据 set 作废日期 = NULL, 作废原因 = NULL, 作废人 = NULL, 开票日期 = '2026-12-02', 收款日期 = '2026-12-02', 付款人 = '东区13栋305室'; "
               "insert into 票据开票数据 (票据id, 票据编号, 入库单编号, 项目, 金额) select ID, 票据编号, 入库单编号, '新住户物业费', 880 from 票据"_s
            << u"票据已不在作废状态（可能已由其他申请恢复并重新开出），不能按本申请恢复！ / 注意！"_s;
        QTest::newRow("voided again on another day")
            << u"update 票据 set 开票日期 = '2026-12-02', 收款日期 = '2026-12-02', 作废日期 = '2026-12-05'"_s
            << u"票据的作废日期与本申请记录的不同（恢复后又重新作废），不能按本申请恢复！ / 注意！"_s;
        QTest::newRow("voided on the recorded day") << u"update 票据 set 作废日期 = '2026-11-20 00:00:00'"_s << QString();
    }

    void aStaleApplicationLeavesTheBillAsItIs()
    {
        QFETCH(QString, change);
        QFETCH(QString, message);
        const qlonglong id = addApplication(u"06物业管理中心3"_s, u"审批中"_s, u"1:A 2:A 3:P"_s);
        database->check().execute(change);
        const QStringList before = dump();
        openAs(Zhou);
        decide(window->Command2, u"同意"_s);
        if (message.isEmpty()) {
            QCOMPARE(state(id), u"审核通过|True|"_s + DecidedAt);
            QCOMPARE(database->count(u"票据开票数据"_s), 0);
            return;
        }
        QCOMPARE(texts(), message);
        QCOMPARE(dump(), before);
        QCOMPARE(window->List1->listCount(), 1);
    }

    // Two holders of the last node's post, each in his own copy of the program on the
    // same database file, both shown the pending step: the one who decides second is
    // told who decided, and nothing of his is written (the bill is restored once).
    void aStepDecidedMeanwhileByAnotherHolderIsNotOverwritten_data()
    {
        QTest::addColumn<bool>("otherAgreed");
        QTest::addColumn<bool>("agree");
        QTest::newRow("agreed meanwhile, agreeing") << true << true;
        QTest::newRow("refused meanwhile, agreeing") << false << true;
        QTest::newRow("agreed meanwhile, refusing") << true << false;
    }

    void aStepDecidedMeanwhileByAnotherHolderIsNotOverwritten()
    {
        QFETCH(bool, otherAgreed);
        QFETCH(bool, agree);
        addApplication(u"06物业管理中心3"_s, u"审批中"_s, u"1:A 2:A 3:P"_s);
        openAs(Zhou);
        std::unique_ptr<frm申请详细> first(window.data());
        window.clear();
        WindowDriver::click(first->Command4);

        setDbConnection(db::Connection::openSqlite(database->path()));
        OperatorContext().姓名 = u"钱丽"_s;
        QVERIFY(WindowDriver::open(window));
        decide(otherAgreed ? window->Command2 : window->Command3, otherAgreed ? u"同意"_s : u"不予恢复"_s);
        const QStringList decided = dump();
        MessageBoxes::clearRecords();

        setDbConnection(db::Connection::openSqlite(database->path()));
        OperatorContext().姓名 = Zhou.name;
        WindowDriver::typeOver(first->Text2, agree ? u"同意恢复"_s : u"不予恢复"_s);
        WindowDriver::click(agree ? first->Command2 : first->Command3);
        QCOMPARE(texts(), u"该审批环节已由 钱丽 于 "_s
                              + DisplayFormats::shortDateTime(QDateTime::fromString(DecidedAt, u"yyyy-MM-dd HH:mm:ss"_s))
                              + (otherAgreed ? u" 同意"_s : u" 不同意"_s) + u"，本次审批未保存。 / 提示！"_s);
        QCOMPARE(dump(), decided);
        QCOMPARE(first->List1->listCount(), 1);
        QVERIFY(first->Frame1->isVisible());
    }

    // ---------------------------------------------------------------- failures

    void aFailureAtAnyStatementLeavesEveryTableAsBefore_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<int>("approver");
        QTest::addColumn<bool>("agree");
        QTest::addColumn<int>("statements");
        QTest::newRow("last approval") << u"1:A 2:A 3:P"_s << 2 << true << 9;
        QTest::newRow("next node opened") << u"1:P"_s << 0 << true << 7;
        QTest::newRow("next node already open") << u"1:A 2:P"_s << 0 << true << 6;
        QTest::newRow("refusal") << u"1:A 2:P"_s << 1 << false << 3;
    }

    void aFailureAtAnyStatementLeavesEveryTableAsBefore()
    {
        QFETCH(QString, before);
        QFETCH(int, approver);
        QFETCH(bool, agree);
        QFETCH(int, statements);
        addApplication(u"06物业管理中心3"_s, u"审批中"_s, before);
        openAs(QList<Approver>{Wang, Sun, Zhou}[approver]);
        WindowDriver::click(window->Command4);
        WindowDriver::typeOver(window->Text2, agree ? u"同意恢复"_s : u"不予恢复"_s);
        const QStringList tables = dump();
        for (int n = 1; n <= statements + 1; ++n) {
            MessageBoxes::clearRecords();
            DbConnection().failAtStatement(n);
            WindowDriver::click(agree ? window->Command2 : window->Command3);
            DbConnection().failAtStatement(0);
            const QList<MessageBoxes::Record> shown = MessageBoxes::records();
            if (n > statements) {
                QVERIFY2(shown.isEmpty() || shown[0].icon != Icon::Critical, qPrintable(texts()));
                QVERIFY(dump() != tables);
                QCOMPARE(window->List1->listCount(), 0);
                break;
            }
            QCOMPARE(shown.size(), 1);
            QCOMPARE(shown[0].icon, Icon::Critical);
            QCOMPARE(shown[0].title, MessageBoxes::applicationTitle());
            QVERIFY2(shown[0].text.startsWith(u"错误号："_s), qPrintable(shown[0].text));
            QCOMPARE(dump(), tables);
            QCOMPARE(window->List1->listCount(), 1);
            QVERIFY(window->Frame1->isVisible());
        }
    }

    // ---------------------------------------------------------------- the demo data

    void theDemoDataShowsTheFirstNodesApplications()
    {
        QTemporaryDir folder;
        const QString file = folder.filePath(u"demo.db"_s);
        {
            auto connection = db::Connection::createSqlite(file);
            DatabaseSetup::createSchema(*connection);
            DatabaseSetup::loadDemoData(*connection);
        }
        setDbConnection(db::Connection::openSqlite(file));
        openAs(Wang);
        QCOMPARE(lines().size(), 7);
        WindowDriver::tick(window->Check1);
        QCOMPARE(lines().size(), 5);
        // 06物业管理中心8: the bill was issued before 物业管理中心 closed October.
        clickLine(4);
        QCOMPARE(window->selected().number, u"06物业管理中心8"_s);
        decide(window->Command2, QString());
        QCOMPARE(texts(), u"开票日期小于封帐日期，不能重开票据！ / 注意！"_s);

        clickLine(0);
        WindowDriver::typeOver(window->Text2, u"情况属实，同意"_s);
        QApplication::processEvents();
        const QString screens = qEnvironmentVariable("TESSALINE_BUILD_DIR", QDir::currentPath()) + u"/screens"_s;
        QDir().mkpath(screens);
        const QImage picture = window->grab().toImage();
        QCOMPARE(picture.size(), window->size() * picture.devicePixelRatio());
        QVERIFY(picture.save(screens + u"/restoration_approval.png"_s));
        delete window.data();
        resetAppState();
    }
};

QTEST_MAIN(TestRestorationApproval)
#include "test_restoration_approval.moc"
