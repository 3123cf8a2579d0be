// A result read into typed columns (db::ResultTable) straight from the embedded engine:
// the kinds, NULLs, texts repeated from the row above, exact decimals, dates, a column
// whose values change kind on the way, results larger than the blocks columns grow by,
// and the call that tells the caller the engine has answered.
#include "platform/db/Connection.h"

#include <QTemporaryDir>

#include <optional>
#include <string>

using namespace Qt::StringLiterals;
#include <QtTest>

using db::ResultTable;

class TestResultTable : public QObject
{
    Q_OBJECT

    QTemporaryDir m_folder;
    std::unique_ptr<db::Connection> m_db;

    QStringList column(const ResultTable &table, int c)
    {
        QStringList texts;
        for (int row = 0; row < table.rowCount(); ++row)
            texts << (table.isNull(row, c) ? QStringLiteral("NULL") : table.text(row, c));
        return texts;
    }

private slots:
    void initTestCase()
    {
        m_db = db::Connection::createSqlite(m_folder.filePath(QStringLiteral("t.db")));
        m_db->executeNative(QStringLiteral(
            "create table lines (ID integer primary key, 付款人 text, 金额 numeric(18,2), 开票日期 date, 提交日期 datetime, "
            "份数 integer, 备注 text)"));
        m_db->executeNative(QStringLiteral(
            "insert into lines values (1, '张三', 0.1, '2026-12-01', '2026-12-09 10:30:15', 3, 'x'),"
            " (2, '张三', 0.2, '2026-12-01', NULL, NULL, 'x'),"
            " (3, '李四', 1050, NULL, '2026-12-09', 7, NULL),"
            " (4, NULL, -3.005, '2026-02-28', '2026-12-09 23:59:59.5', 8, 'y')"));
    }

    void columnsTakeTheirDeclaredKinds()
    {
        const ResultTable t = m_db->openTable(QStringLiteral("SELECT 付款人, 金额, 开票日期, 提交日期, 份数 FROM lines ORDER BY ID"));
        QCOMPARE(t.rowCount(), 4);
        QCOMPARE(t.columnNames(), (QStringList{u"付款人"_s, u"金额"_s, u"开票日期"_s, u"提交日期"_s, u"份数"_s}));
        QCOMPARE(t.kind(0), ResultTable::Kind::Text);
        QCOMPARE(t.kind(1), ResultTable::Kind::Decimal);
        QCOMPARE(t.kind(2), ResultTable::Kind::DateTime);
        QCOMPARE(t.kind(4), ResultTable::Kind::Integer);
        QCOMPARE(column(t, 0), (QStringList{u"张三"_s, u"张三"_s, u"李四"_s, u"NULL"_s}));
        QVERIFY(t.repeatsRowAbove(1, 0));
        QVERIFY(!t.repeatsRowAbove(2, 0));
        QCOMPARE(column(t, 1), (QStringList{u"0.1"_s, u"0.2"_s, u"1050"_s, u"-3.005"_s}));
        // Decimals add exactly, as the engine wrote them.
        QCOMPARE((t.decimal(0, 1) + t.decimal(1, 1)).toText(), u"0.3"_s);
        QCOMPARE(column(t, 2), (QStringList{u"2026-12-01"_s, u"2026-12-01"_s, u"NULL"_s, u"2026-02-28"_s}));
        QCOMPARE(column(t, 3), (QStringList{u"2026-12-09 10:30:15"_s, u"NULL"_s, u"2026-12-09"_s, u"2026-12-09 23:59:59"_s}));
        QCOMPARE(t.date(3, 3), QDate(2026, 12, 9));
        QCOMPARE(t.msecsOfDay(3, 3), QTime(23, 59, 59, 500).msecsSinceStartOfDay());
        QCOMPARE(column(t, 4), (QStringList{u"3"_s, u"NULL"_s, u"7"_s, u"8"_s}));
        QCOMPARE(t.columnIndex(u"份数"_s), 4);
        QCOMPARE(t.columnIndex(u"没有"_s), -1);
    }

    // A computed column takes the kind of its first value; whole numbers that meet a
    // fraction become decimals, and a column that meets text keeps everything as text.
    void computedColumnsFollowTheirValues()
    {
        const ResultTable t = m_db->openTable(QStringLiteral(
            "SELECT CASE WHEN ID = 1 THEN NULL WHEN ID = 4 THEN 2.5 ELSE ID END AS n,"
            " CASE WHEN ID < 3 THEN ID ELSE 'x' || ID END AS mixed,"
            " CASE WHEN ID = 2 THEN '不是日期' ELSE 开票日期 END AS 开票日期 FROM lines ORDER BY ID"));
        QCOMPARE(t.kind(0), ResultTable::Kind::Decimal);
        QCOMPARE(column(t, 0), (QStringList{u"NULL"_s, u"2"_s, u"3"_s, u"2.5"_s}));
        QCOMPARE(t.kind(1), ResultTable::Kind::Text);
        QCOMPARE(column(t, 1), (QStringList{u"1"_s, u"2"_s, u"x3"_s, u"x4"_s}));
        QCOMPARE(column(t, 2), (QStringList{u"2026-12-01"_s, u"不是日期"_s, u"NULL"_s, u"2026-02-28"_s}));
    }

    // 140 000 rows: texts in pairs (so a pair meets across every block boundary), NULLs,
    // empty texts, one text of 1.5 MB twice, more than a megabyte of short texts; whole
    // numbers that become decimals at the last row, one of them too large for millionths
    // in 64 bits; amounts; days that take times of day from row 70 000.
    void manyRowsKeepEveryValue()
    {
        const int count = 140000, longRow = 100000;
        m_db->executeNative(QStringLiteral("create table many (i integer primary key, t text, n, a numeric(18,2), d datetime)"));
        m_db->executeNative(QStringLiteral(
            "insert into many WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < %1) SELECT i,"
            " CASE WHEN i % 7 = 3 THEN NULL WHEN i % 11 = 5 THEN '' WHEN i IN (%2, %2 + 1)"
            " THEN substr(hex(zeroblob(750000)), 1, 1500000) ELSE 'text-' || ((i + 1) / 2) || '-收款人' END,"
            " CASE WHEN i = %1 THEN 0.5 WHEN i = 100 THEN 20000000000000 ELSE i END,"
            " CASE WHEN i % 13 = 0 THEN NULL ELSE i * 0.25 END,"
            " CASE WHEN i % 17 = 0 THEN NULL WHEN i < 70000 THEN date('2020-01-01', '+' || (i % 1000) || ' days')"
            " ELSE datetime('2020-01-01', '+' || (i % 1000) || ' days', '+' || (i % 86400) || ' seconds') END FROM n")
                                .arg(count - 1)
                                .arg(longRow));
        const ResultTable t = m_db->openTable(QStringLiteral("SELECT t, n + 0 AS n, a, d FROM many ORDER BY i"));
        auto expected = [&](int i) -> std::optional<std::string> {
            if (i % 7 == 3)
                return std::nullopt;
            if (i % 11 == 5)
                return std::string();
            if (i == longRow || i == longRow + 1)
                return std::string(1500000, '0');
            return "text-" + std::to_string((i + 1) / 2) + "-收款人";
        };
        QCOMPARE(t.rowCount(), count);
        QCOMPARE(t.kind(1), ResultTable::Kind::Decimal);
        for (int i = 0; i < count; ++i) {
            const std::optional<std::string> text = expected(i);
            QCOMPARE(t.isNull(i, 0), !text.has_value());
            if (text && t.utf8(i, 0) != *text)
                QFAIL(qPrintable(QStringLiteral("row %1: %2").arg(i).arg(t.text(i, 0).left(40))));
            const bool repeats = i > 0 && expected(i - 1) == text && text && !text->empty();
            if (repeats != t.repeatsRowAbove(i, 0) && text)
                QFAIL(qPrintable(QStringLiteral("row %1 repeats: %2").arg(i).arg(repeats)));
            const Decimal whole = Decimal::fromInteger(i == 100 ? 20000000000000 : i);
            const Decimal amount = Decimal::fromLatin1(std::to_string(i / 4) + '.' + std::to_string(i % 4 * 25));
            const QDateTime moment(QDate(2020, 1, 1).addDays(i % 1000), QTime(0, 0).addSecs(i < 70000 ? 0 : i % 86400));
            if ((i < count - 1 && t.decimal(i, 1) != whole) || t.isNull(i, 2) != (i % 13 == 0)
                || (i % 13 != 0 && t.decimal(i, 2) != amount) || t.isNull(i, 3) != (i % 17 == 0)
                || (i % 17 != 0 && t.dateTime(i, 3) != moment))
                QFAIL(qPrintable(QStringLiteral("row %1: %2 %3 %4").arg(i).arg(t.text(i, 1), t.text(i, 2), t.text(i, 3))));
        }
        const ResultTable copy = t;
        for (int i = 0; i < count; ++i)
            if (copy.utf8(i, 0) != t.utf8(i, 0) || copy.text(i, 1) != t.text(i, 1) || copy.text(i, 3) != t.text(i, 3))
                QFAIL(qPrintable(QStringLiteral("copy, row %1").arg(i)));
        QVERIFY(t.repeatsRowAbove(65536, 0));
        QVERIFY(t.isNull(3, 0) && !t.isNull(5, 0) && t.text(5, 0).isEmpty());
        QCOMPARE(t.text(100, 1), u"20000000000000"_s);
        QCOMPARE(t.text(count - 1, 1), u"0.5"_s);
        QCOMPARE(t.text(69999, 3), u"2022-09-26"_s);
        QCOMPARE(t.text(70001, 3), u"2020-01-02 19:26:41"_s);
    }

    // Called once the engine has run the statement, before the rows are read; not when
    // the statement fails.
    void theCallerHearsWhenTheEngineHasAnswered()
    {
        int heard = 0;
        const ResultTable t = m_db->openTable(QStringLiteral("SELECT 付款人 FROM lines"), [&] { ++heard; });
        QCOMPARE(heard, 1);
        QCOMPARE(t.rowCount(), 4);
        m_db->openTable(QStringLiteral("SELECT 付款人 FROM lines WHERE ID = 0"), [&] { ++heard; });
        QCOMPARE(heard, 2);
        QVERIFY_THROWS_EXCEPTION(db::DbError, m_db->openTable(QStringLiteral("SELECT 没有 FROM lines"), [&] { ++heard; }));
        QCOMPARE(heard, 2);
    }

    void anEmptyResultHasItsColumns()
    {
        const ResultTable t = m_db->openTable(QStringLiteral("SELECT 付款人, 金额 FROM lines WHERE ID = 0"));
        QCOMPARE(t.rowCount(), 0);
        QCOMPARE(t.columnCount(), 2);
    }

    // A driver's wide text and its dates by fields: characters beyond the first 65 536 kept,
    // a surrogate without its pair kept as QString's UTF-8 keeps it; a column of other values
    // keeps a date as text.
    void wideTextAndDatesByFields()
    {
        db::ResultTableBuilder builder;
        builder.setColumns({u"名称"_s, u"日期"_s}, {int(ResultTable::Kind::Text), int(ResultTable::Kind::Text)});
        const std::u16string texts[] = {u"票据簿𠮷€ü", std::u16string{u'a', char16_t(0xD842), u'b'}};
        for (const std::u16string &text : texts) {
            builder.addUtf16(0, text);
            builder.addDateTime(1, QDate(2026, 12, 9), (10 * 3600 + 30 * 60 + 15) * 1000 + 123);
            builder.endRow();
        }
        const ResultTable t = builder.take();
        QCOMPARE(t.text(0, 0), u"票据簿𠮷€ü"_s);
        QCOMPARE(t.text(1, 0), QString::fromUtf8(QString::fromUtf16(texts[1].data(), 3).toUtf8()));
        QCOMPARE(t.text(1, 1), u"2026-12-09 10:30:15"_s);
    }
};

QTEST_GUILESS_MAIN(TestResultTable)
#include "test_result_table.moc"
