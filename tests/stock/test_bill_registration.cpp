// Registering bill numbers into yearly books without a window: each outcome, what the
// database holds afterwards, and that a failure at any statement writes nothing.
#include "InjectedFailures.h"
#include "TestDatabase.h"
#include "platform/db/Connection.h"
#include "stock/BillRegistration.h"

#include <QtTest>

using namespace Qt::StringLiterals;
using BillRegistration::Outcome;

class TestBillRegistration : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestDatabase> database;
    db::Connection *connection = nullptr;

    static BillRegistration::Request request(const QString &number, const QDate &day = QDate(2011, 3, 15))
    {
        BillRegistration::Request r;
        r.typeCode = u"21"_s;
        r.faceValue = u"0"_s;
        r.taxControlled = true;
        r.bookCount = u"50"_s;
        r.number = number;
        r.day = day;
        return r;
    }

    BillRegistration::Result registerBill(const BillRegistration::Request &r)
    {
        return BillRegistration::registerBill(*connection, r);
    }

    QVariant bookValue(const QString &column, const QString &book = u"21-2011"_s)
    {
        return database->scalar(u"select %1 from 票据入库单 where 入库单编号 = '%2'"_s.arg(column, book));
    }

private slots:
    void init()
    {
        database = std::make_unique<TestDatabase>();
        connection = &database->install();
    }

    void cleanup() { database.reset(); }

    void firstBillOfAYearCreatesTheBook()
    {
        BillRegistration::Request r = request(u"00012001"_s);
        r.machine = u"M01"_s;
        const BillRegistration::Result result = registerBill(r);
        QCOMPARE(result.outcome, Outcome::NewBook);
        QCOMPARE(result.bookNumber, u"21-2011"_s);
        QCOMPARE(result.newBook.text(u"ID"_s), bookValue(u"ID"_s).toString());
        QCOMPARE(result.newBook.text(u"状态"_s), u"在库"_s);

        QCOMPARE(bookValue(u"票据类型编号"_s).toString(), u"21"_s);
        QCOMPARE(bookValue(u"份数"_s).toInt(), 50);
        QCOMPARE(bookValue(u"起始编号"_s).toString(), u"00012001"_s);
        QCOMPARE(bookValue(u"终止编号"_s).toString(), u"00012001"_s);
        QCOMPARE(bookValue(u"入库时间"_s).toString(), u"2011-03-15"_s);
        QCOMPARE(bookValue(u"税控机编号"_s).toString(), u"M01"_s);
        QCOMPARE(bookValue(u"税控"_s).toInt(), 1);
        QCOMPARE(database->scalar(u"select 票据编号 from 票据 where 入库单编号 = '21-2011'"_s).toString(), u"00012001"_s);
        QVERIFY(database->scalar(u"select 金额 from 票据"_s).isNull());
        QVERIFY(!connection->inTransaction());
    }

    // Later bills of the year go into the book, which keeps its figures; a new year
    // starts a book of its own. An ordinary type's face value goes on its bills.
    void laterBillsAreAddedToTheYearsBook()
    {
        BillRegistration::Request r = request(u"3300001"_s);
        r.typeCode = u"22"_s;
        r.faceValue = u"12.5"_s;
        r.taxControlled = false;
        QCOMPARE(registerBill(r).outcome, Outcome::NewBook);
        r.number = u"3300002"_s;
        QCOMPARE(registerBill(r).outcome, Outcome::AddedToBook);
        QCOMPARE(database->count(u"票据入库单"_s), 1);
        QCOMPARE(bookValue(u"终止编号"_s, u"22-2011"_s).toString(), u"3300001"_s);
        QCOMPARE(bookValue(u"税控"_s, u"22-2011"_s).toInt(), 0);
        QVERIFY(bookValue(u"税控机编号"_s, u"22-2011"_s).isNull());
        QCOMPARE(database->count(u"票据"_s, u"入库单编号 = '22-2011' and 金额 = 12.5"_s), 2);

        r.day = QDate(2012, 1, 2);
        const BillRegistration::Result nextYear = registerBill(r);
        QCOMPARE(nextYear.outcome, Outcome::NewBook);
        QCOMPARE(nextYear.bookNumber, u"22-2012"_s);
        QCOMPARE(database->count(u"票据"_s, u"入库单编号 = '22-2012'"_s), 1);
    }

    void aBookCountThatIsNoNumberIsOne_data()
    {
        QTest::addColumn<QString>("count");
        QTest::newRow("empty") << QString();
        QTest::newRow("not a number") << u"x"_s;
    }

    void aBookCountThatIsNoNumberIsOne()
    {
        QFETCH(QString, count);
        BillRegistration::Request r = request(u"1"_s);
        r.bookCount = count;
        registerBill(r);
        QCOMPARE(bookValue(u"份数"_s).toInt(), 1);
    }

    void aNumberTheBookHoldsIsRefused()
    {
        registerBill(request(u"00012001"_s));
        registerBill(request(u"00012002"_s));
        for (const QString &number : {u"00012001"_s, u"00012002"_s})
            QCOMPARE(registerBill(request(number)).outcome, Outcome::Duplicate);
        QCOMPARE(database->count(u"票据"_s), 2);
        QVERIFY(!connection->inTransaction());
        // Without its leading zeros it is another number.
        QCOMPARE(registerBill(request(u"12001"_s)).outcome, Outcome::AddedToBook);
    }

    void whatIsNoBillNumberIsRefusedUnsent_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<Outcome>("outcome");
        QTest::newRow("empty") << QString() << Outcome::NotDigits;
        QTest::newRow("a letter") << u"12a4"_s << Outcome::NotDigits;
        QTest::newRow("a blank") << u"12 4"_s << Outcome::NotDigits;
        QTest::newRow("a full-width digit") << u"12４"_s << Outcome::NotDigits;
        QTest::newRow("78 digits") << QString(78, u'1') << Outcome::TooLong;
    }

    void whatIsNoBillNumberIsRefusedUnsent()
    {
        QFETCH(QString, number);
        QFETCH(Outcome, outcome);
        connection->clearStatementLog();
        QCOMPARE(registerBill(request(number)).outcome, outcome);
        QVERIFY(connection->statementLog().isEmpty());
        QCOMPARE(registerBill(request(QString(77, u'1'))).outcome, Outcome::NewBook);
    }

    // Statements of a first bill: book looked up, opened, saved, read back; bills
    // opened, bill saved. Of a later one: book looked up, number looked up, bills
    // opened, bill saved.
    void aFailureAtAnyStatementWritesNothing_data() { addFailingStatementRows({{"first bill", 6}, {"later bill", 4}}); }

    void aFailureAtAnyStatementWritesNothing()
    {
        QFETCH(int, scenario);
        QFETCH(int, failAt);
        const bool bookExists = scenario == 1;
        if (bookExists)
            registerBill(request(u"1"_s));
        verifyFailureWritesNothing(
            *connection, failAt, [&] { return registerBill(request(u"2"_s)).outcome; },
            [&] { return database->rows(u"select * from 票据入库单"_s) + database->rows(u"select * from 票据"_s); },
            bookExists ? Outcome::AddedToBook : Outcome::NewBook);
    }
};

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    TestBillRegistration test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_bill_registration.moc"
