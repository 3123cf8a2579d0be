// The reverse write-off window driven through its controls: the lookup's info block,
// the reverse of a book out of its write-off record, what the database holds after each
// reverse, the refusals that change nothing, and failures at every statement sent.
#include "ReversalCases.h"
#include "TestDatabase.h"
#include "WindowDriver.h"
#include "platform/ui/DisplayFormats.h"
#include "platform/ui/MessageBoxes.h"
#include "platform/ui/Twips.h"
#include "shell/AppState.h"
#include "usage/WriteOffReversalSql.h"
#include "usage/frm票据反核销.h"

#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

using namespace Qt::StringLiterals;
using MessageBoxes::Answer;
using namespace WindowDriver;

namespace {

const QString BookA = u"01-2025-01"_s, BookB = u"01-2025-02"_s, Record = u"HX1"_s;
const QStringList Tables = {u"票据核销记录"_s, u"票据核销"_s, u"票据"_s, u"票据领用清单"_s,
                            u"票据领用记录"_s, u"票据入库单"_s, u"票据类型"_s, u"职能部门new"_s};

QStringList texts()
{
    QStringList shown;
    for (const MessageBoxes::Record &r : MessageBoxes::records())
        shown << r.text;
    return shown;
}

} // namespace

class TestReverseWriteOff : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestDatabase> database;
    QPointer<frm票据反核销> window;

    // ---- data: type 01, departments 06 and 07, issues LY1 (to 06, earlier) and LY2 (to 07)

    // A written-off book of three bills (two issued, the third voided by the write-off),
    // its issue line under LY2 stamped with the write-off, and its row in the record.
    void addBook(const QString &book, const QVariant &amount, int issued, int unused, int pre, const QVariant &preAmount)
    {
        database->insert(u"票据入库单"_s, {{u"入库单编号"_s, book}, {u"票据类型编号"_s, u"01"_s}, {u"份数"_s, 3},
                                           {u"起始编号"_s, book + u"-1"_s}, {u"终止编号"_s, book + u"-3"_s}, {u"状态"_s, u"核销"_s}});
        for (int i = 1; i <= 3; ++i)
            database->insert(u"票据"_s, {{u"票据编号"_s, book + u"-%1"_s.arg(i)}, {u"入库单编号"_s, book}, {u"金额"_s, 10},
                                         {u"作废日期"_s, i == 3 ? u"2025-12-30"_s : QVariant()},
                                         {u"作废原因"_s, i == 3 ? u"核销时作废"_s : QVariant()},
                                         {u"核销日期"_s, u"2025-12-30"_s}, {u"核销人"_s, u"张晓梅"_s}});
        database->insert(u"票据领用清单"_s, {{u"领用记录编号"_s, u"LY2"_s}, {u"入库单编号"_s, book},
                                             {u"核销日期"_s, u"2025-12-30"_s}, {u"归还日期"_s, u"2025-12-31"_s}});
        database->insert(u"票据核销"_s, {{u"核销记录编号"_s, Record}, {u"入库单编号"_s, book}, {u"核销份数"_s, 3},
                                         {u"开票份数"_s, issued}, {u"作废份数"_s, 1}, {u"未用份数"_s, unused},
                                         {u"开票金额合计"_s, amount}, {u"预开份数"_s, pre}, {u"预开金额合计"_s, preAmount}});
    }
    void addRecord(int books, int issued, int voided, int unused, int pre, const QVariant &amount, const QVariant &preAmount)
    {
        database->insert(u"票据核销记录"_s, {{u"核销记录编号"_s, Record}, {u"核销部门代号"_s, u"07"_s}, {u"核销日期"_s, u"2025-12-30"_s},
                                             {u"核销人"_s, u"张晓梅"_s}, {u"核销数量"_s, books}, {u"已开数量"_s, issued},
                                             {u"作废数量"_s, voided}, {u"未用数"_s, unused}, {u"预开数量"_s, pre},
                                             {u"开票金额"_s, amount}, {u"预开金额"_s, preAmount}, {u"流水号"_s, u"001"_s}, {u"字"_s, u"核"_s}});
    }
    // HX1 holding book A (2 issued, 1 pre-issued) and book B (1 issued, 1 unused).
    void addTwoBooks(const QVariant &amountA, const QVariant &amountB, const QVariant &recordAmount)
    {
        addBook(BookA, amountA, 2, 0, 1, 20.5);
        addBook(BookB, amountB, 1, 1, 0, 0);
        addRecord(2, 3, 2, 1, 1, recordAmount, 20.5);
    }

    // ---- the database as text

    QStringList rows(const QString &table, const QString &where = u"1=1"_s, const QStringList &leaveOut = {})
    {
        QStringList out;
        db::Recordset rs = database->check().open(u"select * from %1 where %2 order by rowid"_s.arg(table, where));
        for (; !rs.eof(); rs.moveNext()) {
            QStringList cells;
            for (int i = 0; i < rs.columnNames().size(); ++i)
                if (!leaveOut.contains(rs.columnNames()[i]))
                    cells << (rs.value(i).isNull() ? u"NULL"_s : rs.text(i));
            out << cells.join(u'|');
        }
        return out;
    }
    QStringList dump()
    {
        QStringList all;
        for (const QString &table : Tables)
            all << table << rows(table);
        return all;
    }
    // Everything a reverse of the book must leave as it is: the other rows, and the
    // columns of the book's own rows that it does not clear.
    QStringList untouchedBy(const QString &book)
    {
        const QString of = u"入库单编号 = '%1'"_s.arg(book), notOf = u"入库单编号 <> '%1'"_s.arg(book);
        QStringList all = rows(u"票据核销记录"_s, u"核销记录编号 <> '%1'"_s.arg(Record)) + rows(u"票据核销"_s, notOf);
        for (const QString &table : {u"票据"_s, u"票据领用清单"_s, u"票据入库单"_s})
            all += rows(table, notOf);
        all += rows(u"票据"_s, of, {u"核销日期"_s, u"核销人"_s}) + rows(u"票据领用清单"_s, of, {u"核销日期"_s, u"归还日期"_s})
            + rows(u"票据入库单"_s, of, {u"状态"_s});
        for (const QString &table : {u"票据领用记录"_s, u"票据类型"_s, u"职能部门new"_s})
            all += rows(table);
        return all;
    }
    // The book is open again: status "领用", no write-off stamps, no row in the record;
    // its voided bill stays voided by the write-off.
    void verifyReopened(const QString &book, const QStringList &untouchedBefore)
    {
        const QString of = u"入库单编号 = '%1'"_s.arg(book);
        QCOMPARE(untouchedBy(book), untouchedBefore);
        QCOMPARE(database->scalar(u"select 状态 from 票据入库单 where "_s + of).toString(), u"领用"_s);
        QCOMPARE(database->count(u"票据"_s, of + u" and (核销日期 is not null or 核销人 is not null)"_s), 0);
        QCOMPARE(database->count(u"票据"_s, of + u" and 作废原因 = '核销时作废' and 作废日期 is not null"_s), 1);
        QCOMPARE(database->count(u"票据领用清单"_s, of + u" and (核销日期 is not null or 归还日期 is not null)"_s), 0);
        QCOMPARE(database->count(u"票据核销"_s, of), 0);
        QCOMPARE(texts().last(), u"反核销完成！"_s);
        QCOMPARE(MessageBoxes::records().last().title, u"提示"_s);
        QVERIFY(!window->Command3->isEnabled());
    }

    // ---- the window

    void lookUp(const QString &book)
    {
        typeOver(window->Text2, book);
        click(window->Command1);
    }
    // Looks the book up, types the record and confirms the reverse with the answer.
    void reverse(const QString &book, const QString &record, Answer answer = Answer::Yes)
    {
        lookUp(book);
        typeOver(window->Text1, record);
        clickAnswering(window->Command3, answer);
    }
    QString expectedBlock(const QString &book, const QString &returned, const QString &department)
    {
        return u"核销记录编号： HX1\r\n入库单编号： %1\r\n起始编号：%1-1\r\n终止编号：%1-3\r\n票据类型：收款收据\r\n"
               "核销日期： %2 \r\n归还日期： %3 \r\n状态：核销\r\n领用部门：%4\r\n\r\n"_s
            .arg(book, DisplayFormats::shortDate(QDate(2025, 12, 30)), returned, department);
    }

private slots:
    void init()
    {
        database = startWindowTest();
        addBillType(*database, u"01"_s, u"收款收据"_s, 50, 1, false);
        addDepartment(*database, u"06"_s, u"物业部"_s);
        addDepartment(*database, u"07"_s, u"工程部"_s);
        for (const auto &[issue, department] : {std::pair{u"LY1"_s, u"06"_s}, std::pair{u"LY2"_s, u"07"_s}})
            database->insert(u"票据领用记录"_s, {{u"票据领用记录编号"_s, issue}, {u"领用日期"_s, u"2025-01-02"_s}, {u"领用部门代号"_s, department}});
    }
    void cleanup()
    {
        finishWindowTest(window, database);
    }

    // ---------------------------------------------------------------- the window as it opens

    void opensWithItsCaptionsPlacesAndFont()
    {
        QVERIFY(open(window));
        QCOMPARE(window->windowTitle(), u"票据使用查询"_s);
        QCOMPARE(window->size(), Twips::size(9735, 6660));
        QCOMPARE(window->minimumSize(), window->maximumSize());
        const QList<std::tuple<QString, QString, QRect>> controls = {
            {u"Label2"_s, u"入库单编号："_s, Twips::rect(330, 195, 1080, 180)}, {u"Text2"_s, {}, Twips::rect(1410, 113, 1905, 345)},
            {u"Command1"_s, u"查询"_s, Twips::rect(3600, 120, 885, 375)}, {u"Label3"_s, u"核销编号"_s, Twips::rect(4560, 195, 855, 180)},
            {u"Text1"_s, {}, Twips::rect(5640, 120, 1905, 345)}, {u"Command3"_s, u"反核销"_s, Twips::rect(7680, 120, 885, 375)},
            {u"Command2"_s, u"关闭"_s, Twips::rect(8640, 120, 885, 375)}, {u"Text3"_s, {}, Twips::rect(120, 600, 9525, 5925)}};
        for (const auto &[name, caption, place] : controls) {
            auto *control = window->findChild<QWidget *>(name);
            QVERIFY2(control, qPrintable(name));
            if (auto *label = qobject_cast<QLabel *>(control)) {
                // A label keeps its place and never cuts its caption short.
                QCOMPARE(label->pos(), place.topLeft());
                QVERIFY(label->width() >= place.width() && label->height() >= place.height());
                QVERIFY(label->size().expandedTo(label->sizeHint()) == label->size());
                QCOMPARE(label->text(), caption);
            } else {
                QCOMPARE(control->geometry(), place);
            }
            if (auto *button = qobject_cast<QPushButton *>(control))
                QCOMPARE(button->text(), caption);
        }
        QCOMPARE(window->Text3->text(), u"票据核销信息：\r\n"_s);
        QVERIFY(window->Text3->isReadOnly());
        QCOMPARE(window->Text3->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(window->Text3->font().family(), u"宋体"_s);
        QCOMPARE(window->Text3->font().pointSize(), 15);
        QVERIFY(window->Text3->font().bold());
        QVERIFY(!window->Command3->isEnabled());
    }

    void inTheClientAreaItsFrameHasOnlyACloseButtonAndAFixedSize()
    {
        QMdiArea area;
        area.resize(1200, 800);
        window = new frm票据反核销;
        QMdiSubWindow *sub = openInClientArea(area, window);
        QVERIFY(sub && sub->isVisible());
        QVERIFY(sub->windowFlags() & Qt::WindowCloseButtonHint);
        QVERIFY(!(sub->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QCOMPARE(sub->minimumSize(), sub->maximumSize());
        QCOMPARE(window->size(), Twips::size(9735, 6660));
        QVERIFY(!window->Command3->isEnabled());
        click(window->Command2);
        QTRY_VERIFY(window.isNull());
    }

    // ---------------------------------------------------------------- statement texts

    void buildsTheStatementsAsTheOfficeSendsThem()
    {
        const QString bookAndRecord = u" WHERE 入库单编号 = 'B1' and 票据核销.核销记录编号 =  'R1'"_s;
        QCOMPARE(writeOffRecordOfBookSql(u"B1"_s, u"R1"_s),
                 u"SELECT 票据核销记录.* FROM 票据核销 INNER JOIN 票据核销记录 ON 票据核销.核销记录编号 = 票据核销记录.核销记录编号"
                 " WHERE 入库单编号 = 'B1' and 票据核销记录.核销记录编号 =  'R1'"_s);
        QCOMPARE(bookInWriteOffRecordSql(u"B1"_s, u"R1"_s), u"select 票据核销.* from 票据核销"_s + bookAndRecord);
        QCOMPARE(booksInWriteOffRecordCountSql(u"R1"_s),
                 u"select count(核销记录编号) AS 计数 from 票据核销  WHERE 票据核销.核销记录编号 =  'R1'"_s);
        const QString reopen = u"\r\n UPDATE    票据入库单 SET 状态 = '领用' WHERE 入库单编号 = 'B1'"
                               "\r\n UPDATE 票据 SET 核销日期 = NULL, 核销人 = NULL WHERE 入库单编号 = 'B1'"
                               "\r\nUPDATE    票据领用清单 SET  核销日期 = NULL, 归还日期 = NULL WHERE 入库单编号 = 'B1'"
                               "\r\n delete From 票据核销"_s + bookAndRecord;
        QCOMPARE(takeBookOutOfRecordBatchSql(u"B1"_s, u"R1"_s),
                 u"Update 票据核销记录 set 票据核销记录.开票金额=票据核销记录.开票金额-票据核销.开票金额合计,"
                 "票据核销记录.预开金额=票据核销记录.预开金额-票据核销.预开金额合计,票据核销记录.未用数=票据核销记录.未用数-票据核销.未用份数,"
                 "票据核销记录.预开数量=票据核销记录.预开数量-票据核销.预开份数,票据核销记录.作废数量=票据核销记录.作废数量-票据核销.作废份数,"
                 "票据核销记录.已开数量=票据核销记录.已开数量-票据核销.开票份数,票据核销记录.核销数量=票据核销记录.核销数量-1"
                 " FROM 票据核销 INNER JOIN 票据核销记录 ON 票据核销.核销记录编号 = 票据核销记录.核销记录编号"
                 " WHERE 入库单编号 = 'B1' and 票据核销记录.核销记录编号 =  'R1'"_s + reopen);
        QCOMPARE(deleteRecordBatchSql(u"B1"_s, u"R1"_s), u"delete from 票据核销记录 where 票据核销记录.核销记录编号 =  'R1'"_s + reopen);
        QCOMPARE(bookWriteOffInfoSql(u"O'B"_s),
                 u"SELECT  票据入库单.入库单编号, 票据入库单.起始编号, 票据入库单.终止编号,票据核销记录.核销记录编号, 票据领用清单.核销日期, "
                 "票据领用清单.归还日期, 票据类型.票据类型, 职能部门new.职能部门名称,票据领用记录.领用部门代号,票据入库单.状态 FROM 票据领用记录 "
                 "INNER JOIN 票据核销记录 INNER JOIN 票据入库单 INNER JOIN 票据类型 ON 票据入库单.票据类型编号 = 票据类型.票据类型代号 INNER JOIN "
                 "票据核销 ON 票据入库单.入库单编号 = 票据核销.入库单编号 INNER JOIN 票据领用清单 ON 票据入库单.入库单编号 = 票据领用清单.入库单编号 "
                 "ON 票据核销记录.核销记录编号 = 票据核销.核销记录编号 ON 票据领用记录.票据领用记录编号 = 票据领用清单.领用记录编号 INNER JOIN "
                 "职能部门new ON 票据领用记录.领用部门代号 = 职能部门new.职能部门编号 where 票据入库单.入库单编号='O''B'"_s);
    }

    void sendsTheLookUpsAndOneBatchInOneExecution()
    {
        addTwoBooks(300.5, 100.25, 400.75);
        QVERIFY(open(window));
        reverse(BookA, Record);
        QCOMPARE(DbConnection().statementLog().mid(1), (QStringList{writeOffRecordOfBookSql(BookA, Record),
                                                                    bookInWriteOffRecordSql(BookA, Record),
                                                                    takeBookOutOfRecordBatchSql(BookA, Record)}));
        reverse(BookB, Record);
        QCOMPARE(DbConnection().statementLog().mid(5), (QStringList{writeOffRecordOfBookSql(BookB, Record),
                                                                    bookInWriteOffRecordSql(BookB, Record),
                                                                    booksInWriteOffRecordCountSql(Record),
                                                                    deleteRecordBatchSql(BookB, Record)}));
    }

    // ---------------------------------------------------------------- lookup

    void lookUpShowsTheLastRowsBlockAndEnablesTheReverse()
    {
        addTwoBooks(300.5, 100.25, 400.75);
        // An earlier issue of book A to department 06, returned before it was issued again.
        database->insert(u"票据领用清单"_s, {{u"领用记录编号"_s, u"LY1"_s}, {u"入库单编号"_s, BookA}, {u"核销日期"_s, u"2025-12-30"_s}});
        QVERIFY(open(window));
        lookUp(u"  "_s + BookA + u" "_s);
        db::Recordset rows = database->check().open(bookWriteOffInfoSql(BookA));
        QCOMPARE(rows.recordCount(), 2);
        rows.moveNext();
        QCOMPARE(window->Text3->text(), rows.text(u"领用部门代号"_s) == u"06"_s
                                            ? expectedBlock(BookA, QString(), u"06 物业部"_s)
                                            : expectedBlock(BookA, DisplayFormats::shortDate(QDate(2025, 12, 31)), u"07 工程部"_s));
        QVERIFY(window->Command3->isEnabled());
        QVERIFY(MessageBoxes::records().isEmpty());
    }

    void blockOfAnIssueWithoutDepartmentSaysNone()
    {
        db::Recordset row = database->check().open(
            u"select 'HX1' as 核销记录编号, '01-2025-01' as 入库单编号, '01-2025-01-1' as 起始编号, '01-2025-01-3' as 终止编号, "
            "'收款收据' as 票据类型, '2025-12-30' as 核销日期, '2025-12-31' as 归还日期, '核销' as 状态, NULL as 领用部门代号, "
            "NULL as 职能部门名称"_s);
        QCOMPARE(frm票据反核销::writeOffInfoBlock(row), expectedBlock(BookA, DisplayFormats::shortDate(QDate(2025, 12, 31)), u"无"_s));
    }

    void lookUpRefusalsAndFailures_data()
    {
        QTest::addColumn<QString>("book");
        QTest::addColumn<int>("failAt");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty") << u" "_s << 0 << u"请输入入库单编号！"_s;
        QTest::newRow("never written off") << BookB << 0 << u"票据信息不存在！"_s;
        QTest::newRow("database failure") << BookA << 1 << u"测试注入的语句失败："_s;
    }
    void lookUpRefusalsAndFailures()
    {
        QFETCH(QString, book);
        QFETCH(int, failAt);
        QFETCH(QString, message);
        addBook(BookA, 10, 1, 0, 0, 0);
        addRecord(1, 1, 1, 0, 0, 10, 0);
        // Book B is issued and was never written off.
        database->insert(u"票据入库单"_s, {{u"入库单编号"_s, BookB}, {u"票据类型编号"_s, u"01"_s}, {u"状态"_s, u"领用"_s}});
        database->insert(u"票据领用清单"_s, {{u"领用记录编号"_s, u"LY2"_s}, {u"入库单编号"_s, BookB}});
        QVERIFY(open(window));
        DbConnection().failAtStatement(failAt);
        lookUp(book);
        QCOMPARE(MessageBoxes::records().size(), 1);
        QVERIFY(texts().first().startsWith(message));
        QCOMPARE(MessageBoxes::records().first().icon, MessageBoxes::Icon::Information);
        QCOMPARE(MessageBoxes::records().first().title, MessageBoxes::executableName());
        QCOMPARE(window->Text3->text(), u"票据信息："_s);
        QVERIFY(!window->Command3->isEnabled());
        if (failAt == 0)
            QCOMPARE(window->focusWidget(), window->Text2);
    }

    // ---------------------------------------------------------------- reverse

    void reversesOneOfSeveralBooksOutOfItsRecord()
    {
        addTwoBooks(300.5, 100.25, 400.75);
        // An earlier issue of book A, returned: its return date is cleared as well.
        database->insert(u"票据领用清单"_s, {{u"领用记录编号"_s, u"LY1"_s}, {u"入库单编号"_s, BookA}, {u"归还日期"_s, u"2025-06-30"_s}});
        const QStringList untouched = untouchedBy(BookA);
        QVERIFY(open(window));
        reverse(BookA, Record);
        QCOMPARE(texts().first(), u"是否要将编号为：  01-2025-01  的票据本反核销？"_s);
        QCOMPARE(MessageBoxes::records().first().buttons, MessageBoxes::Buttons::YesNo);
        verifyReopened(BookA, untouched);
        QCOMPARE(rows(u"票据核销记录"_s), QStringList{u"1|HX1|07|2025-12-30|张晓梅|1|1|1|1|0|100.25|0|001|核"_s});
    }

    void reversingTheOnlyBookDeletesTheRecord()
    {
        addBook(BookA, 300.5, 2, 0, 1, 20.5);
        addRecord(1, 2, 1, 0, 1, 300.5, 20.5);
        const QStringList untouched = untouchedBy(BookA);
        QVERIFY(open(window));
        reverse(BookA, Record);
        verifyReopened(BookA, untouched);
        QCOMPARE(database->count(u"票据核销记录"_s), 0);
    }

    void equalAmountsDecideByTheRecordsBookCount_data() { addEqualAmountRows(); }
    void equalAmountsDecideByTheRecordsBookCount()
    {
        QFETCH(QVariant, bookAmount);
        QFETCH(QVariant, recordAmount);
        QFETCH(bool, otherBook);
        if (otherBook)
            addTwoBooks(bookAmount, 0, recordAmount);
        else {
            addBook(BookA, bookAmount, 2, 0, 1, 20.5);
            addRecord(1, 2, 1, 0, 1, recordAmount, 20.5);
        }
        const QStringList untouched = untouchedBy(BookA);
        QVERIFY(open(window));
        reverse(BookA, Record);
        verifyReopened(BookA, untouched);
        QCOMPARE(rows(u"票据核销记录"_s), otherBook ? QStringList{u"1|HX1|07|2025-12-30|张晓梅|1|1|1|1|0|0|0|001|核"_s} : QStringList());
    }

    void reverseThatChangesNothing_data()
    {
        QTest::addColumn<QString>("book");
        QTest::addColumn<QString>("record");
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<QStringList>("after");
        const QString question = u"是否要将编号为：  01-2025-01  的票据本反核销？"_s;
        QTest::newRow("answered No") << BookA << Record << Answer::No << QStringList{question};
        QTest::newRow("empty book number") << QString() << Record << Answer::Yes
                                           << QStringList{u"是否要将编号为：    的票据本反核销？"_s, u"请输入正确的入库单编号或核销编号！"_s};
        QTest::newRow("book not in the record") << BookA << u"HX9"_s << Answer::Yes
                                                << QStringList{question, u"入库单编号为 01-2025-01 的票据本不在核销记录 HX9 中，未做任何修改。"_s};
        QTest::newRow("record smaller than book") << BookA << Record << Answer::Yes
                                                  << QStringList{question, u"核销记录 HX1 的开票金额小于该票据本的开票金额合计，数据不一致，未做任何修改。"_s};
    }
    void reverseThatChangesNothing()
    {
        QFETCH(QString, book);
        QFETCH(QString, record);
        QFETCH(Answer, answer);
        QFETCH(QStringList, after);
        addTwoBooks(300.5, 100.25, 300.49); // the record holds a cent less than book A alone
        const QStringList before = dump();
        QVERIFY(open(window));
        lookUp(BookA);
        typeOver(window->Text2, book);
        typeOver(window->Text1, record);
        clickAnswering(window->Command3, answer);
        QCOMPARE(texts(), after);
        const MessageBoxes::Record last = MessageBoxes::records().last();
        QCOMPARE(last.title, after.size() == 1                        ? u"提示"_s
                             : last.text.contains(u"未做任何修改"_s) ? MessageBoxes::executableName()
                                                                     : MessageBoxes::applicationTitle());
        QCOMPARE(last.icon, last.text.contains(u"未做任何修改"_s) ? MessageBoxes::Icon::Information : MessageBoxes::Icon::None);
        QCOMPARE(dump(), before);
        QVERIFY(window->Command3->isEnabled());
    }

    void enterIsTheDefaultButtonsWhileItIsEnabled()
    {
        addTwoBooks(300.5, 100.25, 400.75);
        QVERIFY(open(window));
        for (QWidget *box : {static_cast<QWidget *>(window->Text2), static_cast<QWidget *>(window->Text1)})
            QTest::keyClick(box, Qt::Key_Return);
        QVERIFY(MessageBoxes::records().isEmpty());
        lookUp(BookA);
        int asked = 0;
        for (QWidget *control : {static_cast<QWidget *>(window->Text2), static_cast<QWidget *>(window->Text1),
                                 static_cast<QWidget *>(window->Command3)}) {
            control->setFocus();
            MessageBoxes::queueAnswer(Answer::No);
            QTest::keyClick(control, Qt::Key_Enter, Qt::KeypadModifier);
            QCOMPARE(MessageBoxes::records().size(), ++asked);
            QCOMPARE(texts().last(), u"是否要将编号为：  01-2025-01  的票据本反核销？"_s);
        }
        // A focused button takes Enter itself: the lookup runs again, nothing is asked.
        window->Command1->setFocus();
        QTest::keyClick(window->Command1, Qt::Key_Return);
        QCOMPARE(MessageBoxes::records().size(), asked);
        QVERIFY(window->Command3->isEnabled());
        typeOver(window->Text1, Record);
        MessageBoxes::queueAnswer(Answer::Yes);
        window->Text2->setFocus();
        QTest::keyClick(window->Text2, Qt::Key_Return);
        QCOMPARE(texts().last(), u"反核销完成！"_s);
        const int shown = MessageBoxes::records().size();
        window->Text1->setFocus();
        QTest::keyClick(window->Text1, Qt::Key_Return);
        QCOMPARE(MessageBoxes::records().size(), shown);
    }

    // A failure at any statement (look-ups, count, each of the batch's five) leaves the
    // database exactly as it was and is reported with the error box.
    void failureAtAnyStatementChangesNothing_data() { addReverseFailureRows(); }
    void failureAtAnyStatementChangesNothing()
    {
        QFETCH(int, scenario);
        QFETCH(int, failAt);
        const bool onlyBook = scenario == 1;
        if (onlyBook) {
            addBook(BookA, 300.5, 2, 0, 1, 20.5);
            addRecord(1, 2, 1, 0, 1, 300.5, 20.5);
        } else {
            addTwoBooks(300.5, 100.25, 400.75);
        }
        const QStringList before = dump();
        QVERIFY(open(window));
        lookUp(BookA);
        typeOver(window->Text1, Record);
        DbConnection().failAtStatement(failAt);
        clickAnswering(window->Command3, Answer::Yes);
        QCOMPARE(dump(), before);
        QCOMPARE(MessageBoxes::records().size(), 2);
        const MessageBoxes::Record error = MessageBoxes::records().last();
        QVERIFY(error.text.startsWith(u"错误号：-2147217900\r\n错误描述：测试注入的语句失败："_s));
        QCOMPARE(error.icon, MessageBoxes::Icon::Critical);
        QCOMPARE(error.title, MessageBoxes::applicationTitle());
        QVERIFY(window->Command3->isEnabled());

        // The statements counted are all there are: one more and the reverse completes.
        DbConnection().failAtStatement(onlyBook ? 9 : 8);
        clickAnswering(window->Command3, Answer::Yes);
        QCOMPARE(texts().last(), u"反核销完成！"_s);
        DbConnection().failAtStatement(0);
    }
};

QTEST_MAIN(TestReverseWriteOff)
#include "test_reverse_writeoff.moc"
