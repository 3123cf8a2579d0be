// Reading values out of a recordset: dates and date-times in every stored form, and
// fields by name whatever their case.
#include "platform/db/Connection.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using db::Connection;
using db::Recordset;

class TestRecordset : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    std::unique_ptr<Connection> connection;

    Recordset one(const QString &select) { return connection->open(u"select "_s + select); }

private slots:
    void initTestCase()
    {
        connection = Connection::createSqlite(dir.filePath(u"r.db"_s));
    }

    void storedDatesRead_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QDateTime>("expected");
        const QDate day(2026, 12, 9);
        QTest::newRow("date") << "2026-12-09" << QDateTime(day, QTime(0, 0));
        QTest::newRow("date with slashes") << "2026/12/09" << QDateTime(day, QTime(0, 0));
        QTest::newRow("date with dots") << "2026.12.09" << QDateTime(day, QTime(0, 0));
        QTest::newRow("minutes") << "2026-12-09 08:05" << QDateTime(day, QTime(8, 5));
        QTest::newRow("seconds") << "2026-12-09 23:59:59" << QDateTime(day, QTime(23, 59, 59));
        QTest::newRow("milliseconds") << "2026-12-09 08:05:03.120" << QDateTime(day, QTime(8, 5, 3, 120));
        QTest::newRow("a longer fraction") << "2026-12-09 08:05:03.1234567" << QDateTime(day, QTime(8, 5, 3, 123));
        QTest::newRow("T between") << "2026-12-09T08:05:03" << QDateTime(day, QTime(8, 5, 3));
        QTest::newRow("blanks around") << " 2026-12-09 " << QDateTime(day, QTime(0, 0));
        QTest::newRow("leap day") << "2024-02-29" << QDateTime(QDate(2024, 2, 29), QTime(0, 0));
        QTest::newRow("no such day") << "2026-02-30" << QDateTime();
        QTest::newRow("no such hour") << "2026-12-09 24:00:00" << QDateTime();
        QTest::newRow("mixed separators") << "2026-12/09" << QDateTime();
        QTest::newRow("text after it") << "2026-12-09 08:05:03x" << QDateTime();
        QTest::newRow("not a date") << "明天" << QDateTime();
        QTest::newRow("empty") << "" << QDateTime();
    }

    void storedDatesRead()
    {
        QFETCH(QString, stored);
        QFETCH(QDateTime, expected);
        Recordset rs = one(u"'%1' as 日期"_s.arg(stored));
        QCOMPARE(rs.dateTime(u"日期"_s), expected);
        QCOMPARE(rs.date(u"日期"_s), expected.date());
    }

    void nullAndNumbersAreNoDates()
    {
        Recordset rs = one(u"NULL as a, 20261209 as b"_s);
        QVERIFY(rs.date(u"a"_s).isNull());
        QVERIFY(!rs.dateTime(u"a"_s).isValid());
        QVERIFY(!rs.date(u"b"_s).isValid());
    }

    void fieldsByNameIgnoreCase()
    {
        Recordset rs = one(u"1 as ID, 2 as Popedom, 3 as 金额, 4 as popedom"_s);
        QCOMPARE(rs.value(u"ID"_s).toInt(), 1);
        QCOMPARE(rs.value(u"id"_s).toInt(), 1);
        QCOMPARE(rs.value(u"金额"_s).toInt(), 3);
        // Two columns of one name: the first is found, whichever case is asked for.
        QCOMPARE(rs.value(u"POPEDOM"_s).toInt(), 2);
        QCOMPARE(rs.value(u"Popedom"_s).toInt(), 2);
        QCOMPARE(rs.columnIndex(u"没有"_s), -1);
        QVERIFY_THROWS_EXCEPTION(db::DbError, rs.value(u"没有"_s));
    }
};

QTEST_GUILESS_MAIN(TestRecordset)
#include "test_recordset.moc"
