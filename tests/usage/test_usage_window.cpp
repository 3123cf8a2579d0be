// The usage window driven through its controls: the department tree and type filter,
// the list of the books a department holds with their figures, marking books one by
// one and by range, the running totals, the details of a book, and resizing.
#include "ShownMessages.h"
#include "GridRows.h"
#include "TestDatabase.h"
#include "WindowDriver.h"
#include "platform/Decimal.h"
#include "platform/ui/DropDownList.h"
#include "platform/ui/FlexGrid.h"
#include "platform/ui/KeyedTree.h"
#include "platform/ui/MessageBoxes.h"
#include "shell/AppState.h"
#include "shell/Program.h"
#include "usage/IssuedBooksSql.h"
#include "db/DatabaseSetup.h"
#include "usage/frm票据反核销.h"
#include "usage/frm票据明细.h"
#include "usage/frm票据核销.h"

#include <QFrame>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRandomGenerator>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace WindowDriver;

namespace {

// What one bill of a generated book is.
enum class Bill { Issued, Voided, VoidedUnissued, Unused, PreIssuedUnpaid, PreIssuedPaid };

struct BookSpec
{
    QString number;
    QString typeCode;
    QList<QPair<Bill, double>> bills; // kind and amount
    QString state = u"领用"_s;
};


} // namespace

class TestUsageWindow : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestDatabase> database;
    QPointer<frm票据核销> window;
    FlexGrid *grid = nullptr;
    KeyedTree *tree = nullptr;
    DropDownList *types = nullptr;
    QList<QLineEdit *> totals; // Text1 … Text7

    // ---- data

    void addTypes()
    {
        addBillType(*database, u"01"_s, u"收款收据"_s, 50, 1, false);
        addBillType(*database, u"02"_s, u"定额发票"_s, 100, 10, false);
        addBillType(*database, u"03"_s, u"行政事业性收费票据"_s, 50, 1, false);
    }

    void addBook(const BookSpec &book)
    {
        const int count = int(book.bills.size());
        const QString first = book.number.right(2) + u"000001"_s;
        database->insert(u"票据入库单"_s, {{u"入库单编号"_s, book.number},
                                           {u"票据类型编号"_s, book.typeCode},
                                           {u"份数"_s, count},
                                           {u"起始编号"_s, first},
                                           {u"终止编号"_s, book.number.right(2) + u"%1"_s.arg(count, 6, 10, QLatin1Char('0'))},
                                           {u"入库时间"_s, u"2026-01-05"_s},
                                           {u"状态"_s, book.state}});
        int n = 0;
        for (const auto &[kind, amount] : book.bills) {
            ++n;
            Row bill = {{u"票据编号"_s, book.number.right(2) + u"%1"_s.arg(n, 6, 10, QLatin1Char('0'))},
                        {u"入库单编号"_s, book.number}};
            const bool issued = kind != Bill::Unused && kind != Bill::VoidedUnissued;
            if (issued) {
                bill << qMakePair(u"开票日期"_s, QVariant(u"2026-03-10"_s)) << qMakePair(u"金额"_s, QVariant(amount));
            }
            if (kind == Bill::Voided || kind == Bill::VoidedUnissued)
                bill << qMakePair(u"作废日期"_s, QVariant(u"2026-03-11"_s));
            if (kind == Bill::PreIssuedUnpaid || kind == Bill::PreIssuedPaid)
                bill << qMakePair(u"预开"_s, QVariant(1));
            if (kind == Bill::PreIssuedPaid)
                bill << qMakePair(u"收款日期"_s, QVariant(u"2026-03-20"_s));
            database->insert(u"票据"_s, bill);
        }
    }

    void addIssue(const QString &record, const QString &date, const QString &department)
    {
        database->insert(u"票据领用记录"_s, {{u"票据领用记录编号"_s, record}, {u"领用日期"_s, date}, {u"领用部门代号"_s, department}});
    }

    qlonglong addIssueLine(const QString &record, const QString &book, const QVariant &returnedOn = QVariant())
    {
        return database->insert(u"票据领用清单"_s, {{u"领用记录编号"_s, record}, {u"入库单编号"_s, book}, {u"归还日期"_s, returnedOn}});
    }

    // Department 02 holds books A-01 (mixed use), A-02 (nothing issued) and B-01
    // (all used), 07 holds C-01; A-03 was returned, A-04 is written off.
    void addOffice()
    {
        addDepartment(*database, u"02"_s, u"财务处"_s);
        addDepartment(*database, u"07"_s, u"物业管理中心"_s);
        addTypes();
        addBook({u"A-01"_s, u"01"_s,
                 {{Bill::Issued, 120.5}, {Bill::Issued, 80.25}, {Bill::Voided, 999}, {Bill::VoidedUnissued, 0},
                  {Bill::Unused, 0}, {Bill::Unused, 0}, {Bill::PreIssuedUnpaid, 33.3}, {Bill::PreIssuedPaid, 10}}});
        addBook({u"A-02"_s, u"01"_s, {{Bill::Unused, 0}, {Bill::Unused, 0}, {Bill::Voided, 5}}});
        addBook({u"B-01"_s, u"02"_s, {{Bill::Issued, 10}, {Bill::Issued, 10}, {Bill::PreIssuedUnpaid, 10}}});
        addBook({u"C-01"_s, u"01"_s, {{Bill::Issued, 1}, {Bill::Unused, 0}}});
        addBook({u"A-03"_s, u"01"_s, {{Bill::Issued, 7}}});
        addBook({u"A-04"_s, u"01"_s, {{Bill::Issued, 7}}, u"核销"_s});
        addIssue(u"LY1"_s, u"2026-02-03"_s, u"02"_s);
        addIssue(u"LY2"_s, u"2026-04-01"_s, u"07"_s);
        addIssue(u"LY0"_s, u"2025-11-20"_s, u"02"_s);
        addIssueLine(u"LY1"_s, u"A-01"_s);
        addIssueLine(u"LY1"_s, u"A-02"_s);
        addIssueLine(u"LY1"_s, u"B-01"_s);
        addIssueLine(u"LY2"_s, u"C-01"_s);
        addIssueLine(u"LY1"_s, u"A-03"_s, u"2026-05-01"_s);
        addIssueLine(u"LY1"_s, u"A-04"_s);
        // An earlier issue of A-01 that came back: only the open line lists the book.
        addIssueLine(u"LY0"_s, u"A-01"_s, u"2026-01-10"_s);
    }

    // ---- the window

    bool openWindow()
    {
        if (!open(window, QSize(1100, 700)))
            return false;
        grid = control<FlexGrid>(window, u"MSFlexGrid1"_s);
        tree = control<KeyedTree>(window, u"TreeView1"_s);
        types = control<DropDownList>(window, u"Combo1"_s);
        totals.clear();
        for (int i = 1; i <= 7; ++i)
            totals << control<QLineEdit>(window, u"Text%1"_s.arg(i));
        return grid && tree && types && !totals.contains(nullptr);
    }

    void openTree()
    {
        if (!tree->isVisible())
            click(control<QPushButton>(window, u"Command6"_s));
    }

    void doubleClickNode(int index)
    {
        openTree();
        doubleClickEntry(tree, tree->model()->index(index - 1, 0));
    }

    void chooseType(const QString &name)
    {
        for (int i = 0; i < types->listCount(); ++i)
            if (types->lineText(i) == name) {
                chooseEntry(types, i);
                return;
            }
        QFAIL(qPrintable(u"no type "_s + name));
    }

    void clickCell(int row, int col, Qt::KeyboardModifiers modifiers = {}) { WindowDriver::clickCell(grid, row, col, modifiers); }

    frm票据明细 *detailsWindow() const
    {
        return dynamic_cast<frm票据明细 *>(window->findChild<QDialog *>(u"frm票据明细"_s));
    }

    QStringList gridRow(int row) const { return gridRowOf(*grid, row); }

    int rowOfBook(const QString &book) const
    {
        for (int row = 1; row < grid->Rows(); ++row)
            if (grid->TextMatrix(row, 2) == book)
                return row;
        return -1;
    }

    QStringList totalTexts() const
    {
        QStringList texts;
        for (QLineEdit *box : totals)
            texts << box->text();
        return texts;
    }

    // The totals the marked rows must give, summed from the cells in whole cents.
    QStringList expectedTotals() const
    {
        qint64 marked = 0, sums[4] = {}, cents[2] = {};
        for (int row = 1; row < grid->Rows(); ++row) {
            if (grid->TextMatrix(row, 1) != u"√"_s)
                continue;
            ++marked;
            const int counts[4] = {8, 9, 10, 12};
            for (int i = 0; i < 4; ++i)
                sums[i] += grid->TextMatrix(row, counts[i]).toLongLong();
            cents[0] += qRound64(grid->TextMatrix(row, 11).toDouble() * 100);
            cents[1] += qRound64(grid->TextMatrix(row, 13).toDouble() * 100);
        }
        if (marked == 0 && totals[0]->text().isEmpty())
            return {u""_s, u""_s, u""_s, u""_s, u""_s, u""_s, u""_s};
        auto money = [](qint64 c) { return u"%1.%2"_s.arg(c / 100).arg(c % 100, 2, 10, QLatin1Char('0')); };
        return {QString::number(marked), QString::number(sums[0]), QString::number(sums[1]), QString::number(sums[2]),
                QString::number(sums[3]), money(cents[0]), money(cents[1])};
    }

private slots:
    void init()
    {
        database = startWindowTest();
        OperatorContext().职能部门编号 = u"02"_s;
        OperatorContext().职能部门名称 = u"财务处"_s;
    }

    void cleanup()
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->objectName() == u"frm票据明细"_s)
                delete w;
        finishWindowTest(window, database);
    }

    // ---------------------------------------------------------------- statements

    void statementsForEveryTypeAndForOneType()
    {
        const QString head = u"SELECT 票据领用清单.ID,SUM(CASE WHEN NOT (开票日期) IS NULL AND 作废日期 IS NULL THEN 票据.金额 END) AS 开票金额,"
                             " COUNT(CASE WHEN NOT (开票日期) IS NULL AND 作废日期 IS NULL THEN 1 END) AS 开票数, "
                             " COUNT(CASE WHEN NOT 作废日期 IS NULL THEN 1 END) AS 作废数,"
                             " COUNT(CASE WHEN (开票日期) IS NULL AND 作废日期 IS NULL THEN 1 END) AS 未开数, "
                             " COUNT(CASE WHEN NOT (开票日期) IS NULL AND 作废日期 IS NULL AND 预开 = 1 AND 收款日期 IS NULL THEN 1 END) AS 预开数,"
                             " SUM(CASE WHEN NOT (开票日期) IS NULL AND 作废日期 IS NULL AND 预开 = 1 AND 收款日期 IS NULL THEN 票据.金额 END) AS 预开金额, "
                             " 票据领用记录.领用部门代号, 票据领用记录.领用日期 , 票据入库单.起始编号, 票据入库单.终止编号, 票据.入库单编号, 票据类型.票据类型代号,票据类型.票据类型, 票据入库单.份数"
                             " FROM 票据领用记录 INNER JOIN 票据领用清单 ON 票据领用记录.票据领用记录编号 = 票据领用清单.领用记录编号"
                             " Inner Join 票据入库单 ON 票据领用清单.入库单编号 = 票据入库单.入库单编号 INNER JOIN 票据 ON 票据入库单.入库单编号 = 票据.入库单编号"
                             " INNER JOIN 票据类型 ON 票据入库单.票据类型编号 = 票据类型.票据类型代号"_s;
        const QString tail = u" GROUP BY 票据.入库单编号, 票据领用记录.领用部门代号, 票据领用记录.领用日期,票据入库单.起始编号 , 票据入库单.终止编号, 票据类型.票据类型代号,票据类型.票据类型,票据入库单.份数,票据领用清单.ID"
                             " HAVING (票据领用记录.领用部门代号 = N'02')"
                             " ORDER BY 票据类型.票据类型代号,票据.入库单编号"_s;
        QCOMPARE(issuedBooksSql(u"02"_s, QString()),
                 head + u" WHERE 票据入库单.状态 = '领用' And 票据领用清单.归还日期 is Null "_s + tail);
        QCOMPARE(issuedBooksSql(u"02"_s, u"收款收据"_s),
                 head + u" WHERE 票据入库单.状态 = '领用' And 票据领用清单.归还日期 is Null And 票据类型.票据类型='收款收据'"_s + tail);
        // A quote in a value stays inside its literal.
        QVERIFY(issuedBooksSql(u"0'2"_s, u"a'b"_s).contains(u"票据类型='a''b'"_s));
        QVERIFY(issuedBooksSql(u"0'2"_s, QString()).contains(u"= N'0''2')"_s));

        QCOMPARE(usageBillTypesSql(), u"SELECT * From 票据类型 ORDER BY 票据类型代号"_s);
        QCOMPARE(operatorDepartmentSql(u"02"_s), u"SELECT 职能部门编号, 职能部门名称 From 职能部门new Where 职能部门编号 ='02' ORDER BY 职能部门编号 "_s);

        // The window sends exactly these texts.
        addOffice();
        QVERIFY(openWindow());
        DbConnection().clearStatementLog();
        doubleClickNode(1);
        chooseType(u"收款收据"_s);
        const QStringList log = DbConnection().statementLog();
        QVERIFY2(log.contains(issuedBooksSql(u"02"_s, QString())), qPrintable(log.join(u'\n')));
        QVERIFY(log.contains(issuedBooksSql(u"02"_s, u"收款收据"_s)));
    }

    // ---------------------------------------------------------------- opening

    void opensWithTypesTheOperatorsDepartmentAndAnEmptyGrid()
    {
        addOffice();
        QVERIFY(openWindow());
        QCOMPARE(window->windowTitle(), u"票据核销"_s);
        QCOMPARE(types->listCount(), 4);
        QCOMPARE(types->lineText(0), u"全部"_s);
        QCOMPARE(types->lineText(1), u"收款收据"_s);
        QCOMPARE(types->lineText(3), u"行政事业性收费票据"_s);
        QCOMPARE(types->listIndex(), 0);
        QCOMPARE(tree->count(), 1);
        QCOMPARE(tree->key(1), u"B02"_s);
        QCOMPARE(tree->text(1), u"02 财务处"_s);
        QCOMPARE(tree->image(1), 1);
        QVERIFY(!tree->isVisible());
        QCOMPARE(grid->Rows(), 1);
        QCOMPARE(grid->Cols(), 16);
        QCOMPARE(grid->FixedCols(), 4);
        QCOMPARE(grid->RowHeightMin(), 300);
        QCOMPARE(grid->ColWidth(15), 0);
        QCOMPARE(grid->TextMatrix(0, 2), u"票据本（箱）编号"_s);
        QCOMPARE(grid->TextMatrix(0, 14), u"查看"_s);
        QVERIFY(control<QLineEdit>(window, u"Text10"_s)->text().isEmpty());
        QVERIFY(window->SelectedDeptCode.isEmpty());
    }

    void aFailureWhileOpeningIsReportedAndTheWindowStaysUsable()
    {
        addOffice();
        DbConnection().failAtStatement(1);
        QVERIFY(openWindow());
        QVERIFY(shownTexts().value(0).startsWith(u"错误号："_s));
        QVERIFY(window->isVisible());
        QCOMPARE(grid->Rows(), 1);
        QCOMPARE(grid->ColWidth(15), 0);
    }

    // ---------------------------------------------------------------- the list

    void listsTheBooksTheDepartmentHoldsWithTheirFigures()
    {
        addOffice();
        QVERIFY(openWindow());
        doubleClickNode(1);
        QVERIFY(!tree->isVisible());
        QCOMPARE(control<QLineEdit>(window, u"Text10"_s)->text(), u"02 财务处"_s);
        QCOMPARE(window->SelectedDeptCode, u"02"_s);
        // Type order, then book number: the returned, written-off and other
        // department's books are not there, the re-issued book only once.
        QCOMPARE(grid->Rows(), 4);
        const qlonglong lineOfA01 = database->scalar(u"select ID from 票据领用清单 where 入库单编号='A-01' and 归还日期 is null"_s).toLongLong();
        QCOMPARE(gridRow(1), (QStringList{u"1"_s, u""_s, u"A-01"_s, u"收款收据"_s, u"2026/02/03"_s, u"01000001"_s, u"01000008"_s,
                                          u"8"_s, u"4"_s, u"2"_s, u"2"_s, u"244.05"_s, u"1"_s, u"33.30"_s, u"…"_s,
                                          QString::number(lineOfA01)}));
        QCOMPARE(gridRow(2).mid(0, 15), (QStringList{u"2"_s, u""_s, u"A-02"_s, u"收款收据"_s, u"2026/02/03"_s, u"02000001"_s,
                                                     u"02000003"_s, u"3"_s, u"0"_s, u"1"_s, u"2"_s, u"0.00"_s, u"0"_s, u"0.00"_s, u"…"_s}));
        QCOMPARE(gridRow(3).mid(0, 14), (QStringList{u"3"_s, u""_s, u"B-01"_s, u"定额发票"_s, u"2026/02/03"_s, u"01000001"_s,
                                                     u"01000003"_s, u"3"_s, u"3"_s, u"0"_s, u"0"_s, u"30.00"_s, u"1"_s, u"10.00"_s}));
        QCOMPARE(totalTexts(), QStringList(7, QString()));
    }

    void unusedBillsAreHighlighted()
    {
        addOffice();
        QVERIFY(openWindow());
        doubleClickNode(1);
        auto colours = [this](int row) {
            grid->setRow(row);
            grid->setCol(10);
            return qMakePair(grid->CellBackColor(), grid->CellForeColor());
        };
        QCOMPARE(colours(rowOfBook(u"A-01"_s)), qMakePair(QColor(43, 141, 201), QColor(Qt::white)));
        QCOMPARE(colours(rowOfBook(u"A-02"_s)), qMakePair(QColor(43, 141, 201), QColor(Qt::white)));
        QCOMPARE(colours(rowOfBook(u"B-01"_s)), qMakePair(QColor(), QColor()));
    }

    void aDepartmentWithoutBooksGivesAnEmptyList()
    {
        addOffice();
        OperatorContext().职能部门编号 = u"07"_s;
        database->check().execute(u"update 票据领用清单 set 归还日期 = '2026-06-01' where 入库单编号 = 'C-01'"_s);
        QVERIFY(openWindow());
        doubleClickNode(1);
        QCOMPARE(window->SelectedDeptCode, u"07"_s);
        QCOMPARE(grid->Rows(), 1);
        QCOMPARE(totalTexts(), QStringList(7, QString()));
    }

    void theTypeFilterReloadsForTheChosenDepartment()
    {
        addOffice();
        QVERIFY(openWindow());
        // Without a chosen department a type changes nothing.
        chooseType(u"定额发票"_s);
        QCOMPARE(grid->Rows(), 1);
        QVERIFY(window->SelectedDeptCode.isEmpty());

        doubleClickNode(1);
        QCOMPARE(grid->Rows(), 2);
        QCOMPARE(grid->TextMatrix(1, 2), u"B-01"_s);
        clickCell(1, 8);
        QCOMPARE(totals[0]->text(), u"1"_s);
        // Another type reloads, forgets the marks, clears the totals and closes the tree.
        openTree();
        chooseType(u"收款收据"_s);
        QVERIFY(!tree->isVisible());
        QCOMPARE(grid->Rows(), 3);
        QCOMPARE(grid->TextMatrix(1, 1), QString());
        QCOMPARE(totalTexts(), QStringList(7, QString()));
        chooseType(u"全部"_s);
        QCOMPARE(grid->Rows(), 4);
    }

    void widensColumnsToTheirTextsAndNeverNarrowsThem()
    {
        addOffice();
        addBook({u"A-0000000000000000000005"_s, u"01"_s, {{Bill::Issued, 12345678.9}}});
        addIssueLine(u"LY1"_s, u"A-0000000000000000000005"_s);
        QVERIFY(openWindow());
        const int headerWidth = grid->ColWidth(2);
        doubleClickNode(1);
        const int wide = grid->ColWidth(2);
        QVERIFY(wide > headerWidth);
        QVERIFY(grid->ColWidth(11) >= QFontMetrics(window->font()).horizontalAdvance(u"12345678.90"_s) * 15);
        chooseType(u"定额发票"_s);
        QCOMPARE(grid->ColWidth(2), wide);
        QCOMPARE(grid->ColWidth(15), 0);
    }

    void aFailedLoadIsReportedAndTheWindowStaysUsable()
    {
        addOffice();
        QVERIFY(openWindow());
        doubleClickNode(1);
        DbConnection().failAtStatement(1);
        chooseType(u"收款收据"_s);
        QVERIFY(shownTexts().value(0).startsWith(u"错误号："_s));
        QVERIFY(grid->isVisible());
        chooseType(u"全部"_s);
        QCOMPARE(grid->Rows(), 4);
    }

    // ---------------------------------------------------------------- marking

    void aClickMarksABookAndASecondClickUnmarksIt()
    {
        addOffice();
        QVERIFY(openWindow());
        doubleClickNode(1);
        clickCell(1, 7);
        QCOMPARE(grid->TextMatrix(1, 1), u"√"_s);
        QCOMPARE(totalTexts(), (QStringList{u"1"_s, u"4"_s, u"2"_s, u"2"_s, u"1"_s, u"244.05"_s, u"33.30"_s}));
        grid->setRow(1);
        grid->setCol(1);
        QCOMPARE(grid->CellBackColor(), QColor(187, 204, 250));
        clickCell(3, 12);
        QCOMPARE(totalTexts(), (QStringList{u"2"_s, u"7"_s, u"2"_s, u"2"_s, u"2"_s, u"274.05"_s, u"43.30"_s}));
        clickCell(1, 5);
        QCOMPARE(grid->TextMatrix(1, 1), QString());
        QCOMPARE(totalTexts(), (QStringList{u"1"_s, u"3"_s, u"0"_s, u"0"_s, u"1"_s, u"30.00"_s, u"10.00"_s}));
        grid->setRow(1);
        grid->setCol(1);
        QCOMPARE(grid->CellBackColor(), QColor());
        clickCell(3, 5);
        QCOMPARE(totalTexts(), (QStringList{u"0"_s, u"0"_s, u"0"_s, u"0"_s, u"0"_s, u"0.00"_s, u"0.00"_s}));
    }

    void aClickOnTheFixedColumnsMarksTheRowToo()
    {
        addOffice();
        QVERIFY(openWindow());
        doubleClickNode(1);
        clickFixedCell(grid, 2, 2);
        QCOMPARE(grid->TextMatrix(2, 1), u"√"_s);
        QCOMPARE(totals[0]->text(), u"1"_s);
    }

    void aShiftReleaseMarksTheRowsAfterTheAnchor()
    {
        addOffice();
        for (int i = 5; i <= 9; ++i) {
            addBook({u"A-0%1"_s.arg(i), u"03"_s, {{Bill::Issued, 0.1 * i}, {Bill::Unused, 0}}});
            addIssueLine(u"LY1"_s, u"A-0%1"_s.arg(i));
        }
        QVERIFY(openWindow());
        doubleClickNode(1);
        QCOMPARE(grid->Rows(), 9);
        clickCell(2, 6);                    // the anchor, marked by its own click
        clickCell(5, 6, Qt::ShiftModifier); // rows 3 to 5
        QCOMPARE(grid->TextMatrix(2, 1), u"√"_s);
        for (int row = 3; row <= 5; ++row)
            QCOMPARE(grid->TextMatrix(row, 1), u"√"_s);
        QCOMPARE(grid->TextMatrix(6, 1), QString());
        QCOMPARE(totalTexts(), expectedTotals());
        QVERIFY(!window->SkipNextClick);

        // A range over rows already marked counts each row once.
        clickCell(4, 6);                    // unmarks 4, the new anchor
        clickCell(8, 6, Qt::ShiftModifier); // 5 … 8, 5 already marked
        QCOMPARE(grid->TextMatrix(4, 1), QString());
        for (int row = 5; row <= 8; ++row)
            QCOMPARE(grid->TextMatrix(row, 1), u"√"_s);
        QCOMPARE(totalTexts(), expectedTotals());
        QCOMPARE(totals[0]->text(), u"6"_s);
    }

    void anUpwardRangeMarksNothingAndItsClickChangesNothing()
    {
        addOffice();
        QVERIFY(openWindow());
        doubleClickNode(1);
        clickCell(3, 6);
        const QStringList before = totalTexts();
        clickCell(1, 6, Qt::ShiftModifier);
        QCOMPARE(grid->TextMatrix(1, 1), QString());
        QCOMPARE(grid->TextMatrix(2, 1), QString());
        QCOMPARE(grid->TextMatrix(3, 1), u"√"_s);
        QCOMPARE(totalTexts(), before);
        // Ctrl alone ends the range at the clicked row: nothing is marked, nothing toggles.
        clickCell(2, 6, Qt::ControlModifier);
        QCOMPARE(grid->TextMatrix(2, 1), QString());
        QCOMPARE(totalTexts(), before);
    }

    void totalsEqualTheSumsOverTheMarkedRowsAfterAnySequence()
    {
        addDepartment(*database, u"02"_s, u"财务处"_s);
        addTypes();
        addIssue(u"LY1"_s, u"2026-02-03"_s, u"02"_s);
        // Amounts with cents that binary floating point cannot hold exactly.
        QRandomGenerator data(20261209);
        const Bill kinds[] = {Bill::Issued, Bill::Voided, Bill::Unused, Bill::PreIssuedUnpaid, Bill::PreIssuedPaid};
        for (int b = 1; b <= 24; ++b) {
            BookSpec book{u"P-%1"_s.arg(b, 2, 10, QLatin1Char('0')), u"01"_s, {}};
            const int bills = 1 + int(data.bounded(6));
            for (int i = 0; i < bills; ++i)
                book.bills << qMakePair(kinds[data.bounded(5)], double(data.bounded(1, 100000)) / 100.0 + 0.01 * (i % 3));
            addBook(book);
            addIssueLine(u"LY1"_s, book.number);
        }
        QVERIFY(openWindow());
        window->resize(1200, 900);
        doubleClickNode(1);
        QCOMPARE(grid->Rows(), 25);

        for (quint32 seed = 1; seed <= 40; ++seed) {
            QRandomGenerator random(seed);
            const int steps = 4 + int(random.bounded(14));
            for (int step = 0; step < steps; ++step) {
                const int row = 1 + int(random.bounded(24));
                const int col = 5 + int(random.bounded(9));
                if (random.bounded(4) == 0) {
                    clickCell(row, col, Qt::ShiftModifier);
                } else {
                    clickCell(row, col);
                }
                QCOMPARE(totalTexts(), expectedTotals());
            }
            // Unmark everything: the totals come back to exactly nothing.
            for (int row = 1; row < grid->Rows(); ++row)
                if (grid->TextMatrix(row, 1) == u"√"_s)
                    clickCell(row, 6);
            if (!totals[0]->text().isEmpty())
                QCOMPARE(totalTexts(), (QStringList{u"0"_s, u"0"_s, u"0"_s, u"0"_s, u"0"_s, u"0.00"_s, u"0.00"_s}));
        }
    }

    void decimalTotalsReadTheBoxesLeniently()
    {
        QCOMPARE(Decimal::fromText(QString()).toFixed2(), u"0.00"_s);
        QCOMPARE(Decimal::fromText(u" 12.5abc"_s).toText(), u"12.5"_s);
        QCOMPARE(Decimal::fromText(u"abc"_s).toText(), u"0"_s);
        QCOMPARE(Decimal::fromText(u"-0.004"_s).toFixed2(), u"0.00"_s);
        QCOMPARE(Decimal::fromText(u"-0.005"_s).toFixed2(), u"-0.01"_s);
        QCOMPARE(Decimal::fromText(u"2.675"_s).toFixed2(), u"2.68"_s);
        QCOMPARE((Decimal::fromText(u"0.1"_s) + Decimal::fromText(u"0.2"_s) - Decimal::fromText(u"0.3"_s)).toFixed2(), u"0.00"_s);
        QCOMPARE(Decimal::fromText(u"1.2.3"_s).toText(), u"1.2"_s);
        QCOMPARE(Decimal::fromText(u"99999999999999999999"_s) + Decimal::fromInteger(1), Decimal::fromText(u"100000000000000000000"_s));
    }

    // ---------------------------------------------------------------- details

    void theDetailsColumnOpensTheBooksBills()
    {
        addOffice();
        QVERIFY(openWindow());
        doubleClickNode(1);
        clickCell(1, 14);
        QCOMPARE(grid->TextMatrix(1, 1), QString()); // not a mark
        QCOMPARE(totalTexts(), QStringList(7, QString()));
        frm票据明细 *details = detailsWindow();
        QVERIFY(details);
        QVERIFY(details->isVisible());
        QCOMPARE(details->windowModality(), Qt::ApplicationModal);
        QCOMPARE(details->Text1->text(), u"A-01"_s);
        QVERIFY(details->Text1->isReadOnly());
        FlexGrid *bills = details->MSFlexGrid1;
        QCOMPARE(bills->Rows(), 9);
        QCOMPARE(bills->TextMatrix(1, 1), u"01000001"_s);
        QCOMPARE(bills->TextMatrix(1, 4), u"120.50"_s);
        QCOMPARE(bills->TextMatrix(3, 7).isEmpty(), false); // the voided bill's date
        QCOMPARE(bills->TextMatrix(5, 2), QString());        // an unused bill
        QCOMPARE(details->Text2->text(), u"8"_s);
        click(details->Command1);
        QTRY_VERIFY(!detailsWindow());
        // The fifteenth column does nothing.
        grid->setRow(1);
        grid->setCol(15);
        emit grid->cellClicked();
        QVERIFY(!detailsWindow());
    }

    // ---------------------------------------------------------------- layout

    void theTreeReachesTheBottomOfTheGridAtAnySize_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("design") << QSize(853, 584);
        QTest::newRow("large") << QSize(1600, 1000);
        QTest::newRow("small") << QSize(500, 420);
    }

    void theTreeReachesTheBottomOfTheGridAtAnySize()
    {
        QFETCH(QSize, size);
        addOffice();
        QVERIFY(openWindow());
        window->resize(size);
        QApplication::processEvents();
        openTree();
        QVERIFY(tree->isVisible());
        QCOMPARE(tree->geometry().bottom(), grid->geometry().bottom());
        // Resizing while it is open keeps it there.
        window->resize(size + QSize(40, 90));
        QApplication::processEvents();
        QCOMPARE(tree->geometry().bottom(), grid->geometry().bottom());
        click(control<QPushButton>(window, u"Command6"_s));
        QVERIFY(!tree->isVisible());
    }

    void resizingKeepsThePanelAboveTheBarsAndTheGridAboveThePanel()
    {
        addOffice();
        QVERIFY(openWindow());
        window->resize(1300, 800);
        QApplication::processEvents();
        auto *frame = control<QFrame>(window, u"Frame1"_s);
        auto *bar = control<QWidget>(window, u"Picture2"_s);
        auto *status = control<QWidget>(window, u"StatusBar2"_s);
        QCOMPARE(status->geometry().bottom(), window->height() - 1);
        QCOMPARE(bar->geometry().bottom() + 1, status->y());
        QVERIFY(qAbs(frame->geometry().bottom() + 1 + 3 - bar->y()) <= 1);  // 45 twips
        QVERIFY(qAbs(grid->geometry().bottom() + 1 + 2 - frame->y()) <= 1); // 30 twips
        QVERIFY(qAbs(grid->geometry().right() + 1 + 3 - window->width()) <= 1);
        QCOMPARE(frame->width(), grid->width());
        auto *exit = control<QPushButton>(window, u"Command4"_s);
        QVERIFY(qAbs(exit->mapTo(window, QPoint(exit->width(), 0)).x() + 14 - window->width()) <= 1);
        // Too small for the rules: nothing breaks, and it lays out again when enlarged.
        window->resize(120, 90);
        QApplication::processEvents();
        window->resize(1000, 700);
        QApplication::processEvents();
        QVERIFY(qAbs(grid->geometry().bottom() + 1 + 2 - frame->y()) <= 1);
    }

    // ---------------------------------------------------------------- with the reverse write-off

    void aReversedBookIsListedAgainForItsDepartment()
    {
        DatabaseSetup::loadDemoData(database->check());
        OperatorContext().职能部门编号 = u"07"_s;
        OperatorContext().职能部门名称 = u"餐饮服务中心"_s;
        QVERIFY(openWindow());
        doubleClickNode(1);
        QVERIFY(rowOfBook(u"01-2025-03"_s) < 0);

        auto *reverse = new frm票据反核销;
        QVERIFY(show(reverse));
        typeOver(reverse->Text2, u"01-2025-03"_s);
        click(reverse->Command1);
        typeOver(reverse->Text1, u"HX2026001"_s);
        clickAnswering(reverse->Command3, MessageBoxes::Answer::Yes);
        QCOMPARE(shownTexts().last(), u"反核销完成！"_s);
        delete reverse;
        QCOMPARE(database->count(u"票据核销记录"_s, u"核销记录编号 = 'HX2026001'"_s), 0);

        doubleClickNode(1);
        const int row = rowOfBook(u"01-2025-03"_s);
        QVERIFY(row > 0);
        // Its bills as the write-off left them: none written off any more.
        QCOMPARE(grid->TextMatrix(row, 7), u"50"_s);
        QCOMPARE(database->count(u"票据"_s, u"入库单编号 = '01-2025-03' and 核销日期 is not null"_s), 0);
    }

    void theExitButtonClosesTheWindow()
    {
        addOffice();
        QVERIFY(openWindow());
        click(control<QPushButton>(window, u"Command4"_s));
        QTRY_VERIFY(window.isNull());
    }
};

QTEST_MAIN(TestUsageWindow)
#include "test_usage_window.moc"
