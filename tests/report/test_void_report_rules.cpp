// The void report's rules without its window: the checks in the order the operator
// is told, the statement of a request, and its lines read into the typed table with
// the engine's answer announced before any line (and never for a failed statement).
#include "TestDatabase.h"
#include "VoidBills.h"
#include "report/VoidReport.h"

#include <QtTest>

class TestVoidReportRules : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestDatabase> database;
    db::Connection *connection = nullptr; // the program's, over the wire in the _wire run

    // Office G01, every item of 物业收费 and 水电, both methods, 1 to 9 December 2026.
    static VoidReportRequest request()
    {
        VoidReportRequest r;
        r.officeCode = u"G01"_s;
        r.paymentMethods = QStringList{u"现金"_s, u"转账"_s};
        r.itemCodes = {u"1"_s, u"2"_s, u"10"_s, u"3"_s};
        r.firstDay = QDate(2026, 12, 1);
        r.lastDay = QDate(2026, 12, 9);
        r.departmentCode = u"06"_s;
        return r;
    }

    // "bill/item/amount" of each line.
    static QStringList lines(const db::ResultTable &table)
    {
        QStringList texts;
        const int bill = table.requireColumn(u"票据编号"_s), item = table.requireColumn(u"项目"_s),
                  amount = table.requireColumn(u"金额"_s);
        for (int row = 0; row < table.rowCount(); ++row)
            texts << table.text(row, bill) + u'/' + table.text(row, item) + u'/'
                    + (table.isNull(row, amount) ? QString() : table.number(row, amount).toFixed2());
        return texts;
    }

private slots:
    void init()
    {
        database = std::make_unique<TestDatabase>();
        connection = &database->install();
        addOrganisation(*database);
        addVoidedBills(*database);
    }

    void cleanup() { database.reset(); }

    void theChecksStopARequestInTheOrderTheOperatorIsTold()
    {
        const auto checked = [](const std::function<void(VoidReportRequest &)> &change) {
            VoidReportRequest r = request();
            change(r);
            const VoidReport report(r);
            return std::pair{report.check(), report.message()};
        };
        using C = VoidReportCheck;
        // Nothing chosen says nothing, whatever else is wrong.
        QCOMPARE(checked([](auto &r) { r.officeCode.reset(); r.itemCodes.clear(); }), std::pair(C::NothingChosen, QString()));
        QCOMPARE(checked([](auto &r) { r.paymentMethods.reset(); }), std::pair(C::NothingChosen, QString()));
        QCOMPARE(checked([](auto &r) { r.firstDay = r.lastDay.addDays(1); r.itemCodes.clear(); }),
                 std::pair(C::DaysReversed, u"作废日期起始日期不能大于终止日期，请重新选择！"_s));
        QCOMPARE(checked([](auto &r) { r.itemCodes.clear(); r.paymentMethods->clear(); }),
                 std::pair(C::NoItem, u"请选择收费项目！"_s));
        QCOMPARE(checked([](auto &r) { r.paymentMethods->clear(); }),
                 std::pair(C::NoPaymentMethod, u"没有可统计的收款方式，请先在收款方式列表中设置收款方式！"_s));
        // One day is a range; a stopped request runs no statement.
        QCOMPARE(checked([](auto &r) { r.firstDay = r.lastDay; }), std::pair(C::Passed, QString()));
        connection->clearStatementLog();
        VoidReportRequest stopped = request();
        stopped.itemCodes.clear();
        QCOMPARE(VoidReport(stopped).read(*connection)->rowCount(), 0);
        QCOMPARE(connection->statementLog(), QStringList());
    }

    void aRequestReadsTheLinesOfItsStatement()
    {
        VoidReportRequest r = request();
        r.mode = VoidReportFilter::OfficeOnly;
        r.cashier = u"李秀英"_s;
        const VoidReport report(r);
        VoidReportFilter filter;
        filter.mode = VoidReportFilter::OfficeOnly;
        filter.officeCode = u"G01"_s;
        filter.departmentCode = u"06"_s;
        filter.firstDay = r.firstDay;
        filter.lastDay = r.lastDay;
        filter.paymentMethods = *r.paymentMethods;
        filter.itemCodes = r.itemCodes;
        filter.cashier = r.cashier;
        QCOMPARE(report.statement(), voidReportSql(filter));
        QCOMPARE(lines(*report.read(*connection)),
                 (QStringList{u"00000001/物业费/1050.50"_s, u"00000001/停车费/150.00"_s, u"00000001/物业费/1050.50"_s}));

        // The department of the office, to the afternoon of the last day.
        r = request();
        r.firstDay = r.lastDay;
        QCOMPARE(lines(*VoidReport(r).read(*connection)), QStringList{u"00000002/垃圾清运费/80.25"_s});
    }

    void theAnswerIsAnnouncedOnceAndNotForAFailedStatement()
    {
        const VoidReport report(request());
        int answered = 0;
        QCOMPARE(report.read(*connection, [&] { ++answered; })->rowCount(), 6);
        QCOMPARE(answered, 1);
        connection->failAtStatement(1);
        QVERIFY_THROWS_EXCEPTION(db::DbError, report.read(*connection, [&] { ++answered; }));
        QCOMPARE(answered, 1);
    }
};

QTEST_MAIN(TestVoidReportRules)
#include "test_void_report_rules.moc"
