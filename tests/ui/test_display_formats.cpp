// The forms in which dates and amounts are shown.
#include "platform/ui/DisplayFormats.h"

#include <QtTest>

using namespace Qt::StringLiterals;

class TestDisplayFormats : public QObject
{
    Q_OBJECT

private slots:
    void amounts_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("shown");
        QTest::newRow("zero") << 0.0 << "0.00";
        QTest::newRow("whole") << 12.0 << "12.00";
        QTest::newRow("one decimal") << 12.5 << "12.50";
        QTest::newRow("below one") << 0.5 << "0.50";
        QTest::newRow("half a cent up") << 0.125 << "0.13";
        QTest::newRow("binary noise below the half") << 1.005 << "1.01";
        QTest::newRow("just below the half") << 1.00451 << "1.00";
        QTest::newRow("carries into the units") << 9.995 << "10.00";
        QTest::newRow("large") << 1234567.891 << "1234567.89";
        QTest::newRow("negative") << -3.456 << "-3.46";
        QTest::newRow("negative half") << -0.125 << "-0.13";
        QTest::newRow("tiny negative") << -0.004 << "0.00";
        QTest::newRow("a sum of parts") << 0.1 + 0.2 << "0.30";
    }

    void amounts()
    {
        QFETCH(double, value);
        QFETCH(QString, shown);
        QCOMPARE(DisplayFormats::amount(value), shown);
    }

    void dates()
    {
        const QDate day(2026, 3, 9);
        QCOMPARE(DisplayFormats::slashDate(day), u"2026/03/09"_s);
        QCOMPARE(DisplayFormats::isoDate(day), u"2026-03-09"_s);
        QCOMPARE(DisplayFormats::chineseDate(day), u"2026年03月09日"_s);
        QCOMPARE(DisplayFormats::shortDate(day), DisplayFormats::displayLocale().toString(day, QLocale::ShortFormat));
        for (const QString &text : {DisplayFormats::slashDate({}), DisplayFormats::isoDate({}), DisplayFormats::chineseDate({}),
                                    DisplayFormats::shortDate({}), DisplayFormats::shortDateTime({})})
            QVERIFY(text.isEmpty());
    }

    void shortFormsAreChineseWithoutASystemLocale()
    {
        if (QLocale::system().language() != QLocale::C)
            QSKIP("the system has a locale of its own");
        QCOMPARE(DisplayFormats::shortDate(QDate(2026, 12, 9)), u"2026/12/9"_s);
        QVERIFY(DisplayFormats::shortDateTime(QDateTime(QDate(2026, 12, 9), QTime(8, 5))).startsWith(u"2026/12/9"_s));
    }
};

QTEST_GUILESS_MAIN(TestDisplayFormats)
#include "test_display_formats.moc"
