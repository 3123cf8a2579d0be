// Exact totals of amounts as the windows add and take them away.
#include "platform/Decimal.h"

#include <QtTest>

class TestDecimal : public QObject
{
    Q_OBJECT

private slots:
    // SQL Server's largest money value, added ten thousand times, is a total the usage
    // window and the report must show exactly, not held at a bound of the arithmetic.
    void sumsOfLargestMoneyValuesStayExact()
    {
        const Decimal largest = Decimal::fromText(QStringLiteral("922337203685477.5807"));
        Decimal total;
        for (int i = 0; i < 10000; ++i)
            total += largest;
        QCOMPARE(total.toText(), QStringLiteral("9223372036854775807"));
        QCOMPARE(total.toFixed2(), QStringLiteral("9223372036854775807.00"));
        for (int i = 0; i < 10000; ++i)
            total -= largest;
        QVERIFY(total.isZero());
        QCOMPARE(total.toFixed2(), QStringLiteral("0.00"));
    }

    void readsBackWhatItShows()
    {
        const Decimal total = Decimal::fromText(QStringLiteral("9223372036854.78")) + Decimal::fromText(QStringLiteral("0.01"));
        QCOMPARE(total.toText(), QStringLiteral("9223372036854.79"));
        QCOMPARE(Decimal::fromText(total.toText()), total);
        const Decimal negative = Decimal::fromText(QStringLiteral(" -12345678901234567890.125 "));
        QCOMPARE(negative.toFixed2(), QStringLiteral("-12345678901234567890.13"));
        QCOMPARE(negative.toText(), QStringLiteral("-12345678901234567890.125"));
        // As a double (an exported amount): the nearest one, as its text reads.
        for (const char *text : {"0.1", "-0.01", "12345678901234.56", "922337203685477.5807", "-0.000001", "0"})
            QCOMPARE(Decimal::fromText(QLatin1String(text)).toDouble(), QByteArray(text).toDouble());
        const Decimal huge = Decimal::fromText(QString(60, QLatin1Char('9')));
        QCOMPARE(huge.toDouble(), huge.toText().toDouble());
        QCOMPARE((Decimal() - huge).toDouble(), -huge.toText().toDouble());
    }

    // Far beyond any total of a table's rows the value is held at the bound, in both
    // directions, and never wraps to the other sign.
    void holdsAtItsBoundWithoutWrapping()
    {
        const Decimal huge = Decimal::fromText(QString(60, QLatin1Char('9')));
        QVERIFY((huge + huge).toText().size() > 30);
        QVERIFY(!(huge + huge).toText().startsWith(QLatin1Char('-')));
        const Decimal negativeHuge = Decimal::fromText(QLatin1Char('-') + QString(60, QLatin1Char('9')));
        QVERIFY((negativeHuge - huge).toText().startsWith(QLatin1Char('-')));
        QCOMPARE(huge + negativeHuge, Decimal());
    }
};

QTEST_APPLESS_MAIN(TestDecimal)
#include "test_decimal.moc"
