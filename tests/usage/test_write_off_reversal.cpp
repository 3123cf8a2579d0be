// Undoing a book's write-off without a window: which batch a record gets, the
// refusals that write nothing, and that a failure at any statement writes nothing.
#include "ReversalCases.h"
#include "TestDatabase.h"
#include "platform/db/Connection.h"
#include "usage/WriteOffReversal.h"

#include <QtTest>

using namespace Qt::StringLiterals;
using WriteOffReversal::ReverseOutcome;

namespace {
const QString BookA = u"01-2025-01"_s, BookB = u"01-2025-02"_s, Record = u"HX1"_s;
}

class TestWriteOffReversal : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestDatabase> database;
    db::Connection *connection = nullptr;

    // A written-off book with one stamped bill and issue line, and its row in the record.
    void addBook(const QString &book, const QVariant &amount)
    {
        database->insert(u"票据入库单"_s, {{u"入库单编号"_s, book}, {u"票据类型编号"_s, u"01"_s}, {u"状态"_s, u"核销"_s}});
        database->insert(u"票据"_s, {{u"票据编号"_s, book + u"-1"_s}, {u"入库单编号"_s, book},
                                     {u"核销日期"_s, u"2025-12-30"_s}, {u"核销人"_s, u"张晓梅"_s}});
        database->insert(u"票据领用清单"_s, {{u"领用记录编号"_s, u"LY1"_s}, {u"入库单编号"_s, book},
                                             {u"核销日期"_s, u"2025-12-30"_s}, {u"归还日期"_s, u"2025-12-31"_s}});
        database->insert(u"票据核销"_s, {{u"核销记录编号"_s, Record}, {u"入库单编号"_s, book}, {u"开票份数"_s, 2},
                                         {u"开票金额合计"_s, amount}});
    }
    void addRecord(int books, const QVariant &amount)
    {
        database->insert(u"票据核销记录"_s, {{u"核销记录编号"_s, Record}, {u"核销数量"_s, books}, {u"已开数量"_s, 2 * books},
                                             {u"开票金额"_s, amount}});
    }
    ReverseOutcome reverse(const QString &book = BookA, const QString &record = Record)
    {
        return WriteOffReversal::reverseWriteOff(*connection, {book, record});
    }
    // Every row of the tables a reverse writes, as text.
    QStringList dump()
    {
        QStringList all;
        for (const QString &table : {u"票据核销记录"_s, u"票据核销"_s, u"票据"_s, u"票据领用清单"_s, u"票据入库单"_s}) {
            db::Recordset rs = database->check().open(u"select * from %1 order by rowid"_s.arg(table));
            for (; !rs.eof(); rs.moveNext())
                for (int i = 0; i < rs.columnNames().size(); ++i)
                    all << (rs.value(i).isNull() ? u"NULL"_s : rs.text(i));
        }
        return all;
    }
    void verifyReopened(const QString &book)
    {
        const QString of = u"入库单编号 = '%1'"_s.arg(book);
        QCOMPARE(database->scalar(u"select 状态 from 票据入库单 where "_s + of).toString(), u"领用"_s);
        QCOMPARE(database->count(u"票据"_s, of + u" and 核销日期 is null and 核销人 is null"_s), 1);
        QCOMPARE(database->count(u"票据领用清单"_s, of + u" and 核销日期 is null and 归还日期 is null"_s), 1);
        QCOMPARE(database->count(u"票据核销"_s, of), 0);
        QVERIFY(!connection->inTransaction());
    }

private slots:
    void init()
    {
        database = std::make_unique<TestDatabase>();
        connection = &database->install();
    }
    void cleanup() { database.reset(); }

    // A record that keeps other books is reduced by the book's figures; typed blanks
    // around the numbers do not count.
    void takesTheBookOutOfARecordThatKeepsOthers()
    {
        addBook(BookA, 300.5);
        addBook(BookB, 100.25);
        addRecord(2, 400.75);
        QCOMPARE(reverse(u" "_s + BookA + u" "_s, Record + u" "_s), ReverseOutcome::Reversed);
        verifyReopened(BookA);
        QCOMPARE(database->scalar(u"select 开票金额 from 票据核销记录"_s).toDouble(), 100.25);
        QCOMPARE(database->scalar(u"select 核销数量 from 票据核销记录"_s).toInt(), 1);
        QCOMPARE(database->scalar(u"select 已开数量 from 票据核销记录"_s).toInt(), 2);
        QCOMPARE(database->count(u"票据入库单"_s, u"状态 = '核销'"_s), 1);
    }

    // A record whose only book this is gets deleted.
    void equalAmountsDecideByTheBookCount_data() { addEqualAmountRows(); }
    void equalAmountsDecideByTheBookCount()
    {
        QFETCH(QVariant, bookAmount);
        QFETCH(QVariant, recordAmount);
        QFETCH(bool, otherBook);
        addBook(BookA, bookAmount);
        if (otherBook)
            addBook(BookB, 0);
        addRecord(otherBook ? 2 : 1, recordAmount);
        QCOMPARE(reverse(), ReverseOutcome::Reversed);
        verifyReopened(BookA);
        QCOMPARE(database->count(u"票据核销记录"_s), otherBook ? 1 : 0);
    }

    void refusalsWriteNothing_data()
    {
        QTest::addColumn<QString>("book");
        QTest::addColumn<QString>("record");
        QTest::addColumn<ReverseOutcome>("outcome");
        QTest::newRow("no book number") << u" "_s << Record << ReverseOutcome::NumbersMissing;
        QTest::newRow("no record number") << BookA << QString() << ReverseOutcome::NumbersMissing;
        QTest::newRow("book not in the record") << BookA << u"HX9"_s << ReverseOutcome::NotInRecord;
        QTest::newRow("book in no record") << BookB << Record << ReverseOutcome::NotInRecord;
        QTest::newRow("record a cent smaller") << BookA << Record << ReverseOutcome::RecordSmallerThanBook;
    }
    void refusalsWriteNothing()
    {
        QFETCH(QString, book);
        QFETCH(QString, record);
        QFETCH(ReverseOutcome, outcome);
        addBook(BookA, 300.5);
        addRecord(1, 300.49);
        database->insert(u"票据入库单"_s, {{u"入库单编号"_s, BookB}, {u"状态"_s, u"领用"_s}});
        const QStringList before = dump();
        QCOMPARE(reverse(book, record), outcome);
        QCOMPARE(dump(), before);
        QVERIFY(!connection->inTransaction());
    }

    void aFailureAtAnyStatementWritesNothing_data() { addReverseFailureRows(); }
    void aFailureAtAnyStatementWritesNothing()
    {
        QFETCH(int, scenario);
        QFETCH(int, failAt);
        const bool onlyBook = scenario == 1;
        addBook(BookA, 300.5);
        if (!onlyBook)
            addBook(BookB, 100.25);
        addRecord(onlyBook ? 1 : 2, onlyBook ? 300.5 : 400.75);
        verifyFailureWritesNothing(*connection, failAt, [&] { return reverse(); }, [&] { return dump(); },
                                   ReverseOutcome::Reversed);
    }
};

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    TestWriteOffReversal test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_write_off_reversal.moc"
