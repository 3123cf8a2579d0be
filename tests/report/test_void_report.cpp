// The void statistics report: its filters as they load, the checks before the query,
// the statement of each mode, the grid it fills with its total, and the hand-offs to
// printing and to the workbook export.
#include "ShownMessages.h"
#include "GridRows.h"
#include "TestDatabase.h"
#include "WindowDriver.h"
#include "VoidBills.h"
#include "platform/db/Recordset.h"
#include "platform/ui/CheckBox.h"
#include "platform/ui/DatePicker.h"
#include "platform/ui/DisplayFormats.h"
#include "platform/ui/DropDownList.h"
#include "platform/ui/FlexGrid.h"
#include "platform/ui/KeyedTree.h"
#include "platform/ui/MessageBoxes.h"
#include "platform/ui/StatusBar.h"
#include "platform/ui/TextMeasure.h"
#include "db/DatabaseSetup.h"
#include "output/frmToExcel.h"
#include "platform/ui/PictureButton.h"
#include "platform/print/RecordingPrintSurface.h"
#include "report/VoidReportSql.h"
#include "report/frm收款日报表.h"
#include "shell/AppState.h"
#include "shell/Program.h"

#include <QJsonArray>
#include <QLineEdit>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace WindowDriver;

namespace {

const QDate Today_(2026, 12, 9);

} // namespace

class TestVoidReport : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestDatabase> database;
    QPointer<frm收款日报表> window;

    // ---- the window

    // Office, every item, December 2026 up to today, every payment method and cashier.
    void chooseFilters(int office = 0, int mode = 0)
    {
        chooseEntry(window->Combo1, office);
        tick(window->Check2);
        WindowDriver::typeDate(window->DTPicker1, QDate(2026, 12, 1));
        WindowDriver::typeDate(window->DTPicker2, Today_);
        chooseEntry(window->Combo4, mode);
    }

    // A click on the tick of the tree's node with the key.
    void clickTick(const QString &key)
    {
        KeyedTree *tree = window->TreeView1;
        const QModelIndexList found = tree->model()->match(tree->model()->index(0, 0), Qt::DisplayRole,
                                                           tree->text(tree->indexOfKey(key)), 1,
                                                           Qt::MatchExactly | Qt::MatchRecursive);
        QVERIFY(!found.isEmpty());
        clickCheckOf(tree, found.first());
    }

    void run() { click(window->Command1[0]); }

    QStringList gridRow(int row) const { return gridRowOf(*window->MSFlexGrid1, row, 12); }

    // "book/bill/item/amount" of every line row, then the total row's amount.
    QStringList reportLines() const
    {
        QStringList lines;
        FlexGrid *grid = window->MSFlexGrid1;
        for (int row = 1; row < grid->Rows(); ++row)
            lines << grid->TextMatrix(row, 1) + u'/' + grid->TextMatrix(row, 2) + u'/' + grid->TextMatrix(row, 4) + u'/'
                    + grid->TextMatrix(row, 6);
        return lines;
    }


    QStringList treeNodes() const
    {
        QStringList nodes;
        for (int n = 1; n <= window->TreeView1->count(); ++n)
            nodes << u"%1:%2:%3:%4"_s.arg(window->TreeView1->key(n), window->TreeView1->text(n))
                         .arg(window->TreeView1->image(n))
                         .arg(window->TreeView1->parentOf(n));
        return nodes;
    }

private slots:
    void initTestCase()
    {
        qputenv("TESSALINE_NO_DESKTOP", "1");
    }

    void init()
    {
        database = startWindowTest(QDateTime(Today_, QTime(16, 0)));
        OperatorContext().职能部门编号 = u"06"_s;
        OperatorContext().职能部门名称 = u"物业管理中心"_s;
        OperatorContext().岗位名称 = u"物业收费员"_s;
        addOrganisation(*database);
    }

    void cleanup()
    {
        finishWindowTest(window, database);
    }

    // ---------------------------------------------------------------- opening

    void opensWithTheDepartmentsOfficesItemsMethodsAndCashiers()
    {
        QVERIFY(open(window));
        QCOMPARE(window->windowTitle(), u"收款日报表"_s);
        QCOMPARE(window->Combo1->listCount(), 2);
        QCOMPARE(window->Combo1->lineText(0), u"G01 东区物业管理处"_s);
        QCOMPARE(window->Combo1->listIndex(), -1);
        QCOMPARE(treeNodes(), (QStringList{u"L水电:水电:8:0"_s, u"X3:水费:7:1"_s, u"L物业收费:物业收费:8:0"_s, u"X1:物业费:7:3"_s,
                                           u"X2:停车费:7:3"_s, u"X10:垃圾清运费:7:3"_s}));
        for (int n = 1; n <= window->TreeView1->count(); ++n)
            QVERIFY(!window->TreeView1->isChecked(n));
        QCOMPARE(window->Combo2->lineText(0), u"选择全部"_s);
        QCOMPARE(window->Combo2->listCount(), 3);
        QCOMPARE(window->Combo2->listIndex(), 0);
        // Post order; a person with two posts twice; another department's holder not at all.
        QStringList cashiers;
        for (int i = 0; i < window->Combo3->listCount(); ++i)
            cashiers << window->Combo3->lineText(i);
        QCOMPARE(cashiers, (QStringList{u"选择全部"_s, u"郑华"_s, u"李秀英"_s, u"李秀英"_s}));
        QCOMPARE(window->Combo4->lineText(2), u"按管理项目统计"_s);
        QCOMPARE(window->Combo4->listIndex(), 0);
        QCOMPARE(window->DTPicker1->value(), Today_);
        QCOMPARE(window->DTPicker2->value(), Today_);
        auto *status = control<StatusBar>(window, u"StatusBar1"_s);
        QCOMPARE(status->panelText(2), u" 物业管理中心"_s);
        QCOMPARE(status->panelText(4), u" 物业收费员"_s);
        QCOMPARE(window->MSFlexGrid1->Rows(), 1);
        QCOMPARE(window->MSFlexGrid1->Cols(), 12);
        QCOMPARE(window->MSFlexGrid1->ColAlignment(6), 7);
    }

    void aFailureWhileOpeningIsShownAndWhatLoadedStays()
    {
        DbConnection().failAtStatement(3); // after the offices and the categories
        QVERIFY(open(window));
        QCOMPARE(MessageBoxes::records().size(), 1);
        QVERIFY(MessageBoxes::records()[0].text.contains(u' '));
        QCOMPARE(MessageBoxes::records()[0].icon, MessageBoxes::Icon::Information);
        QCOMPARE(window->Combo1->listCount(), 2);
        QCOMPARE(window->Combo4->listCount(), 0);
    }

    void checkingCascadesFromCategoriesAndAll()
    {
        QVERIFY(open(window));
        KeyedTree *tree = window->TreeView1;
        clickTick(u"L物业收费"_s);
        QVERIFY(tree->isChecked(tree->indexOfKey(u"L物业收费"_s)));
        QVERIFY(tree->isChecked(tree->indexOfKey(u"X1"_s)) && tree->isChecked(tree->indexOfKey(u"X10"_s)));
        QVERIFY(!tree->isChecked(tree->indexOfKey(u"X3"_s)));
        clickTick(u"L物业收费"_s);
        QVERIFY(!tree->isChecked(tree->indexOfKey(u"X2"_s)));
        // An item leaves its category as it is.
        clickTick(u"X3"_s);
        QVERIFY(tree->isChecked(tree->indexOfKey(u"X3"_s)));
        QVERIFY(!tree->isChecked(tree->indexOfKey(u"L水电"_s)));
        clickCheckBox(window->Check2);
        QCOMPARE(window->Check2->value(), 1);
        for (int n = 1; n <= tree->count(); ++n)
            QVERIFY(tree->isChecked(n));
        clickCheckBox(window->Check2);
        for (int n = 1; n <= tree->count(); ++n)
            QVERIFY(!tree->isChecked(n));
    }

    // ---------------------------------------------------------------- checks

    void theChecksStopTheQueryBeforeAnyStatement()
    {
        addVoidedBills(*database);
        QVERIFY(open(window));
        DbConnection().clearStatementLog();
        tick(window->Check2);
        run(); // no office: nothing at all
        QCOMPARE(shownTexts(), QStringList());
        chooseFilters();
        WindowDriver::typeDate(window->DTPicker1, QDate(2026, 12, 10));
        run();
        WindowDriver::typeDate(window->DTPicker1, QDate(2026, 12, 1));
        tick(window->Check2, false);
        // A category alone counts for nothing: ticked, its items unticked one by one.
        clickTick(u"L物业收费"_s);
        for (const QString &item : {u"X1"_s, u"X2"_s, u"X10"_s})
            clickTick(item);
        QVERIFY(window->TreeView1->isChecked(window->TreeView1->indexOfKey(u"L物业收费"_s)));
        run();
        QCOMPARE(shownTexts(), (QStringList{u"作废日期起始日期不能大于终止日期，请重新选择！"_s, u"请选择收费项目！"_s}));
        QCOMPARE(MessageBoxes::records()[0].title, MessageBoxes::executableName());
        QCOMPARE(MessageBoxes::records()[0].icon, MessageBoxes::Icon::Critical);
        QCOMPARE(MessageBoxes::records()[1].title, u"提示"_s);
        QCOMPARE(MessageBoxes::records()[1].icon, MessageBoxes::Icon::Information);
        QCOMPARE(DbConnection().statementLog(), QStringList());
    }

    void anEmptyPaymentMethodListIsToldNotFailed()
    {
        database->check().execute(u"delete from 收款方式列表"_s);
        QVERIFY(open(window));
        chooseFilters();
        run();
        QCOMPARE(shownTexts(), QStringList{u"没有可统计的收款方式，请先在收款方式列表中设置收款方式！"_s});
    }

    // ---------------------------------------------------------------- statements

    void eachModeHasItsStatement()
    {
        VoidReportFilter filter;
        filter.officeCode = u"G01"_s;
        filter.departmentCode = u"06"_s;
        filter.firstDay = QDate(2026, 12, 1);
        filter.lastDay = QDate(2026, 12, 9);
        filter.paymentMethods = {u"现金"_s, u"转账"_s};
        filter.itemCodes = {u"1"_s, u"10"_s};
        const QString select = u" SELECT 票据.入库单编号, 票据.票据编号, 票据.付款人, 票据开票数据.项目, 票据开票数据.摘要, 票据开票数据.金额,票据.开票日期,票据.开票人, 票据.收款日期, 票据.收款人"_s;
        const QString from = u" FROM  票据 INNER JOIN 票据开票数据 ON 票据.ID = 票据开票数据.票据id Inner Join 设置管理处 On 票据.开票部门编号=设置管理处.对应部门代号"_s;
        const QString rest = u" And 票据.作废日期 >= '2026-12-01' and 票据.作废日期 < '2026-12-10'   AND  票据.收款方式 in ('现金','转账') and 票据开票数据.收费项目代号 in ('1','10')"_s;
        const QString order = u" Order By 入库单编号,票据编号,付款人"_s;
        QCOMPARE(voidReportSql(filter), select + from + u" WHERE 设置管理处.GYD_DH='G01' "_s + rest + order);
        filter.mode = VoidReportFilter::DepartmentWithoutOffice;
        QCOMPARE(voidReportSql(filter),
                 select + u" FROM  票据 INNER JOIN 票据开票数据 ON 票据.ID = 票据开票数据.票据id Inner Join (Select Distinct 对应部门代号 From 设置管理处) 设置管理处 On 票据.开票部门编号=设置管理处.对应部门代号"_s
                     + u" WHERE 设置管理处.对应部门代号='06' And 票据.管理处 is Null  "_s + rest + order);
        filter.mode = VoidReportFilter::OfficeOnly;
        filter.cashier = u"李秀英"_s;
        QCOMPARE(voidReportSql(filter), select + from + u" WHERE 设置管理处.GYD_DH='G01' AND 票据.管理处='G01' "_s + rest
                                            + u" AND 票据.收款人='李秀英'"_s + order);
        filter.cashier = u"O'Brien"_s;
        QVERIFY(voidReportSql(filter).contains(u"收款人='O''Brien'"_s));
    }

    // ---------------------------------------------------------------- results

    void theDepartmentOfTheOfficeWithTheTotal()
    {
        addVoidedBills(*database);
        QVERIFY(open(window));
        chooseFilters(0, 0);
        DbConnection().clearStatementLog();
        run();
        QCOMPARE(shownTexts(), QStringList());
        QCOMPARE(DbConnection().statementLog().value(0), window->StatementText);
        // Every line of the department's bills voided in the days, by book, bill and
        // payer; the bill voided in the afternoon of the last day included; the other
        // department's, last month's, the unvoided and the one without a listed
        // payment method left out.
        QCOMPARE(reportLines(), (QStringList{u"01-2026-01/00000001/物业费/1050.50"_s, u"01-2026-01/00000001/停车费/150.00"_s,
                                             u"01-2026-01/00000001/物业费/1050.50"_s, u"01-2026-01/00000002/垃圾清运费/80.25"_s,
                                             u"01-2026-02/00000001/水费/"_s, u"01-2026-02/00000001/物业费/9.99"_s,
                                             u"合计///2341.24"_s}));
        QCOMPARE(gridRow(1), (QStringList{u"1"_s, u"01-2026-01"_s, u"00000001"_s, u"付款人01"_s, u"物业费"_s, u"[12月物业费]"_s,
                                          u"1050.50"_s, u"2026-11-02"_s, u"李秀英"_s, u"2026-11-03"_s, u"李秀英"_s, QString()}));
        QCOMPARE(window->MSFlexGrid1->TextMatrix(2, 5), QString()); // a NULL summary has no brackets
        QCOMPARE(gridRow(7), (QStringList{QString(), u"合计"_s, QString(), QString(), QString(), QString(), u"2341.24"_s,
                                          QString(), QString(), QString(), QString(), QString()}));
        QCOMPARE(window->MSFlexGrid1->MergeCells(), 3);
        QVERIFY(window->MSFlexGrid1->MergeCol(0) && window->MSFlexGrid1->MergeCol(1) && window->MSFlexGrid1->MergeCol(2));
        QVERIFY(!window->MSFlexGrid1->MergeCol(3));
        QCOMPARE(window->MSFlexGrid1->ColWidth(11), 0);
        QVERIFY(window->MSFlexGrid1->isVisible());
    }

    void theDepartmentsLinesWithoutAnOfficeAreListedOnce()
    {
        addVoidedBills(*database);
        addBill(*database, u"01-2026-01"_s, u"00000006"_s, u"06"_s, QVariant(), u"2026-12-04"_s, u"现金"_s, u"郑华"_s,
                {{u"2"_s, 20, u"同一行"_s}, {u"2"_s, 20, u"同一行"_s}});
        QVERIFY(open(window));
        chooseFilters(1, 1); // the office choice does not count in this mode
        run();
        // 06 owns two offices; each line still appears once, two equal lines twice.
        QCOMPARE(reportLines(), (QStringList{u"01-2026-01/00000002/垃圾清运费/80.25"_s, u"01-2026-01/00000006/停车费/20.00"_s,
                                             u"01-2026-01/00000006/停车费/20.00"_s, u"合计///120.25"_s}));
    }

    void theOfficesOwnLinesOnly()
    {
        addVoidedBills(*database);
        QVERIFY(open(window));
        chooseFilters(1, 2); // G02
        run();
        QCOMPARE(reportLines(), (QStringList{u"01-2026-02/00000001/水费/"_s, u"01-2026-02/00000001/物业费/9.99"_s, u"合计///9.99"_s}));
    }

    void aCashierAPaymentMethodAndOneDayNarrowTheLines()
    {
        addVoidedBills(*database);
        QVERIFY(open(window));
        chooseFilters(0, 0);
        chooseEntry(window->Combo3, 1); // 郑华
        run();
        QCOMPARE(reportLines(), (QStringList{u"01-2026-01/00000002/垃圾清运费/80.25"_s, u"01-2026-02/00000001/水费/"_s,
                                             u"01-2026-02/00000001/物业费/9.99"_s, u"合计///90.24"_s}));
        chooseEntry(window->Combo3, 0);
        chooseEntry(window->Combo2, 2); // 转账
        run();
        QCOMPARE(reportLines(), (QStringList{u"01-2026-01/00000002/垃圾清运费/80.25"_s, u"合计///80.25"_s}));
        chooseEntry(window->Combo2, 0);
        WindowDriver::typeDate(window->DTPicker1, Today_);
        run();
        QCOMPARE(reportLines(), (QStringList{u"01-2026-01/00000002/垃圾清运费/80.25"_s, u"合计///80.25"_s}));
    }

    void noLinesLeaveTheHeaderOnly()
    {
        addVoidedBills(*database);
        QVERIFY(open(window));
        chooseFilters();
        run();
        const int rows = window->MSFlexGrid1->Rows();
        QVERIFY(rows > 1);
        // A failed check leaves the last result as it was.
        tick(window->Check2, false);
        run();
        QCOMPARE(window->MSFlexGrid1->Rows(), rows);
        tick(window->Check2);
        WindowDriver::typeDate(window->DTPicker1, QDate(2025, 1, 1));
        WindowDriver::typeDate(window->DTPicker2, QDate(2025, 1, 31));
        run();
        QCOMPARE(window->MSFlexGrid1->Rows(), 1);
        QCOMPARE(window->MSFlexGrid1->MergeCells(), 3);
        QCOMPARE(window->MSFlexGrid1->ColWidth(11), 0);
    }

    // Dates typed over the whole field, an earlier year among them, are the dates the
    // report runs for; both fields show the widest date whole.
    void typedDatesOfAnEarlierYearReachTheReport()
    {
        addVoidedBills(*database);
        addBill(*database, u"01-2025-09"_s, u"00000001"_s, u"06"_s, u"G01"_s, u"2025-03-15"_s, u"现金"_s, u"李秀英"_s,
                {{u"1"_s, 12, u"去年"_s}});
        QVERIFY(open(window));
        chooseFilters();
        for (const auto &[picker, typed] : {std::pair{window->DTPicker1, u"2025/03/01"_s}, {window->DTPicker2, u"2025/3/31"_s}}) {
            picker->setFocus();
            QTest::keyClick(picker, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(picker, typed);
            QTest::keyClick(picker, Qt::Key_Tab);
        }
        QCOMPARE(window->DTPicker1->value(), QDate(2025, 3, 1));
        QCOMPARE(window->DTPicker2->value(), QDate(2025, 3, 31));
        run();
        QCOMPARE(reportLines(), (QStringList{u"01-2025-09/00000001/物业费/12.00"_s, u"合计///12.00"_s}));

        WindowDriver::typeDate(window->DTPicker2, QDate(2026, 12, 10));
        for (DatePicker *picker : {window->DTPicker1, window->DTPicker2})
            QVERIFY2(picker->width() >= picker->sizeHint().width(),
                     qPrintable(u"%1 < %2"_s.arg(picker->width()).arg(picker->sizeHint().width())));
    }

    void theTotalIsTheExactSumOfTheAmountsShown()
    {
        // Amounts with cents that binary floating point cannot add exactly.
        QRandomGenerator random(20261209);
        qint64 cents = 0;
        const qlonglong bill = addBill(*database, u"01-2026-09"_s, u"00000001"_s, u"06"_s, u"G01"_s, u"2026-12-02"_s, u"现金"_s, u"李秀英"_s, {});
        QStringList values;
        for (int i = 0; i < 3000; ++i) {
            const qint64 c = 1 + random.bounded(100000);
            cents += c;
            values << u"(%1, '1', %2)"_s.arg(bill).arg(double(c) / 100.0, 0, 'g', 15);
        }
        database->check().execute(u"insert into 票据开票数据 (票据id, 收费项目代号, 金额) values "_s + values.join(u','));
        QVERIFY(open(window));
        chooseFilters();
        run();
        FlexGrid *grid = window->MSFlexGrid1;
        QCOMPARE(grid->Rows(), 3002);
        QCOMPARE(grid->TextMatrix(3001, 6), u"%1.%2"_s.arg(cents / 100).arg(cents % 100, 2, 10, QLatin1Char('0')));
    }

    void columnsGrowToTheirTextsAndNeverShrink()
    {
        addVoidedBills(*database);
        addBill(*database, u"01-2026-01-长长的票据簿编号"_s, u"00000009"_s, u"06"_s, u"G01"_s, u"2026-12-02"_s, u"现金"_s, u"李秀英"_s,
                {{u"1"_s, 1, u"x"_s}});
        QVERIFY(open(window));
        const int before = window->MSFlexGrid1->ColWidth(1);
        chooseFilters();
        run();
        const int wide = window->MSFlexGrid1->ColWidth(1);
        QVERIFY(wide > before);
        QCOMPARE(wide, TextMeasure::widthTwips(window->font(), u"01-2026-01-长长的票据簿编号"_s) + 95);
        // The amount column takes its widest amount, the total included.
        QVERIFY(window->MSFlexGrid1->ColWidth(6) >= TextMeasure::widthTwips(window->font(), u"2342.24"_s) + 95);
        WindowDriver::typeDate(window->DTPicker1, QDate(2025, 1, 1));
        WindowDriver::typeDate(window->DTPicker2, QDate(2025, 1, 2));
        run();
        QCOMPARE(window->MSFlexGrid1->ColWidth(1), wide);
    }

    void aFailedQueryIsShownWithoutASpace()
    {
        addVoidedBills(*database);
        QVERIFY(open(window));
        chooseFilters();
        run();
        const QStringList shown = gridRow(2);
        const int rows = window->MSFlexGrid1->Rows();
        DbConnection().failAtStatement(1);
        run();
        // The statement failed before it gave a line: the previous lines stay shown.
        QCOMPARE(window->MSFlexGrid1->Rows(), rows);
        QCOMPARE(gridRow(2), shown);
        QCOMPARE(MessageBoxes::records().size(), 1);
        const MessageBoxes::Record box = MessageBoxes::records()[0];
        QCOMPARE(box.icon, MessageBoxes::Icon::Information);
        QCOMPARE(box.title, MessageBoxes::executableName());
        QVERIFY(!box.text.startsWith(u"错误号"_s));
        // The number runs straight into the description.
        QVERIFY2(QRegularExpression(u"^-?\\d+[^\\d ]"_s).match(box.text).hasMatch(), qPrintable(box.text));
    }

    void exitClosesTheWindow()
    {
        QVERIFY(open(window));
        click(window->Command1[2]);
        QTRY_VERIFY(window.isNull());
    }

    // ---------------------------------------------------------------- printing and exporting

    void printingHandsTheGridAndItsTitlesToThePrintEngine()
    {
        addVoidedBills(*database);
        OrganisationName() = u"滨江大学财务处"_s;
        QVERIFY(open(window));
        chooseFilters();
        run();
        RecordingPrintSurface surface(30000, 16000, RecordingPrintSurface::Metrics::Font);
        frm收款日报表::setPrintSurfaceForTests(&surface);
        click(window->Command1[3]);
        frm收款日报表::setPrintSurfaceForTests(nullptr);
        QCOMPARE(shownTexts(), QStringList());
        QVERIFY(surface.documentEnded());
        QStringList texts;
        for (const auto &t : surface.texts())
            texts << t.text;
        QVERIFY2(texts.contains(u"(东区物业管理处)作废统计报表"_s), qPrintable(texts.join(u'|')));
        QVERIFY(texts.contains(u"日期范围:2026年12月01日-2026年12月09日"_s));
        // The three lines of one bill: its book and number printed once each.
        QCOMPARE(texts.count(u"00000001"_s), 2); // 01-2026-01 and 01-2026-02
        QCOMPARE(texts.count(u"01-2026-01"_s), 1);
        QCOMPARE(texts.count(u"[12月物业费]"_s), 2);
        QVERIFY(texts.contains(u"合计"_s) && texts.contains(u"2341.24"_s));
        // Printing with no office: empty brackets.
        window->Combo1->setListIndex(-1);
        RecordingPrintSurface second(30000, 16000, RecordingPrintSurface::Metrics::Font);
        frm收款日报表::setPrintSurfaceForTests(&second);
        click(window->Command1[3]);
        frm收款日报表::setPrintSurfaceForTests(nullptr);
        QStringList secondTexts;
        for (const auto &t : second.texts())
            secondTexts << t.text;
        QVERIFY(secondTexts.contains(u"()作废统计报表"_s));
    }

    void exportingHandsTheGridToTheWorkbookExport()
    {
        addVoidedBills(*database);
        QVERIFY(open(window));
        window->Combo1->setListIndex(-1);
        click(window->Command1[1]); // no office: nothing
        QVERIFY(!QApplication::topLevelWidgets().contains(frmToExcel::instance()) || !frmToExcel::instance()->isVisible());
        chooseFilters();
        run();
        click(window->Command1[1]);
        frmToExcel *exporter = frmToExcel::instance();
        QVERIFY(exporter->isVisible());
        QCOMPARE(exporter->Tag(), u"日期范围:2026年12月01日至2026年12月09日"_s);
        QCOMPARE(exporter->Text1[1]->text(), u"(东区物业管理处) 作废统计报表"_s);
        QCOMPARE(exporter->Text1[2]->text(), u"作废统计报表"_s);
        QTemporaryDir folder;
        const QString file = folder.filePath(u"作废统计.xlsx"_s);
        typeOver(exporter->Text1[0], file);
        tick(exporter->Check1, false);
        click(exporter->Command2);
        QVERIFY2(QFile::exists(file), qPrintable(shownTexts().join(u'|')));

        QProcess python;
        python.start(u"/usr/bin/python3"_s, {u"-c"_s, u"import json, sys, openpyxl\n"
                                                        "ws = openpyxl.load_workbook(sys.argv[1])['作废统计报表']\n"
                                                        "rows = [[(type(c.value).__name__, c.value) for c in r] for r in ws.iter_rows()]\n"
                                                        "print(json.dumps({'max_column': ws.max_column, 'rows': rows}, ensure_ascii=False, default=str))"_s,
                                               file});
        QVERIFY(python.waitForFinished(60000));
        QCOMPARE(python.exitCode(), 0);
        const QJsonObject sheet = QJsonDocument::fromJson(python.readAllStandardOutput()).object();
        const QJsonArray rows = sheet[u"rows"_s].toArray();
        auto cell = [&](int row, int col) { return rows[row - 1].toArray()[col - 1].toArray(); };
        QCOMPARE(cell(1, 1)[1].toString(), u"(东区物业管理处) 作废统计报表"_s);
        QCOMPARE(cell(2, 1)[1].toString(), u"日期范围:2026年12月01日至2026年12月09日"_s);
        QCOMPARE(sheet[u"max_column"_s].toInt(), 11); // the hidden last column is not exported
        QCOMPARE(cell(4, 2)[1].toString(), u"票据簿编号"_s);
        // Row 5 is the first line: the bill number stays text, the amount is a number.
        QCOMPARE(cell(5, 3)[0].toString(), u"str"_s);
        QCOMPARE(cell(5, 3)[1].toString(), u"00000001"_s);
        QCOMPARE(cell(5, 7)[0].toString(), u"float"_s);
        QCOMPARE(cell(5, 7)[1].toDouble(), 1050.5);
        exporter->close();
    }

    void theDemoDataReportsInEveryMode()
    {
        // A fresh schema with the demo data alone.
        database.reset();
        database = std::make_unique<TestDatabase>();
        database->install();
        DatabaseSetup::loadDemoData(database->check());
        OperatorContext().职能部门编号 = u"06"_s;
        QVERIFY(open(window));
        QVERIFY(window->Combo1->listCount() >= 2);
        chooseFilters(0, 0);
        WindowDriver::typeDate(window->DTPicker1, QDate(2026, 1, 1));
        QList<int> lines;
        for (int mode = 0; mode <= 2; ++mode) {
            chooseEntry(window->Combo4, mode);
            run();
            QCOMPARE(shownTexts(), QStringList());
            lines << std::max(0, window->MSFlexGrid1->Rows() - 2);
        }
        QVERIFY2(lines[0] > 0 && lines[0] >= lines[2], qPrintable(QString::number(lines[0])));
        QCOMPARE(window->MSFlexGrid1->TextMatrix(window->MSFlexGrid1->Rows() - 1, 1).isEmpty(), lines[2] == 0);
    }

    void theOfficeNameIsTheTextAfterTheCode()
    {
        QVERIFY(open(window));
        QCOMPARE(window->officeName(), QString());
        chooseEntry(window->Combo1, 1);
        QCOMPARE(window->officeName(), u"西区物业管理处"_s);
    }
};

QTEST_MAIN(TestVoidReport)
#include "test_void_report.moc"
