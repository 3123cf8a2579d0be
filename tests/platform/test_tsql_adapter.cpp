// The T-SQL adapter, construct by construct: the rewritten text, and where the
// meaning could go wrong, what SQLite returns for it.
#include "TestDatabase.h"
#include "platform/db/TsqlAdapter.h"

#include <QtTest>

using db::TsqlAdapter;

namespace {

QString one(const QString &tsql)
{
    const QStringList out = TsqlAdapter::toSqlite(tsql);
    if (out.size() != 1)
        qWarning() << "expected one statement, got" << out;
    return out.value(0);
}

} // namespace

class TestTsqlAdapter : public QObject
{
    Q_OBJECT

private slots:
    void batchesSplitAtStatementStarts()
    {
        const QStringList out = TsqlAdapter::toSqlite(
            QStringLiteral("update a set x='select' where id='1' update b set y=1 Delete From c Where z=2\r\n"
                           " insert into d(x) values('a')  select * from e"));
        QCOMPARE(out,
                 (QStringList{QStringLiteral("UPDATE a SET x='select' WHERE id='1'"), QStringLiteral("UPDATE b SET y=1"),
                              QStringLiteral("Delete From c Where z=2"), QStringLiteral("insert into d(x) values('a')"),
                              QStringLiteral("select * from e")}));
    }

    void insertSelectStaysOneStatement()
    {
        const QStringList out = TsqlAdapter::toSqlite(QStringLiteral(
            "insert into t(a,b) select '1',x from u where y in (select y from v) order by x "
            " insert into w(a) select a from t"));
        QCOMPARE(out.size(), 2);
        QVERIFY(out[0].startsWith(QLatin1String("insert into t(a,b) select '1',x from u")));
        QVERIFY(out[0].contains(QLatin1String("(select y from v)")));
        QCOMPARE(out[1], QStringLiteral("insert into w(a) select a from t"));
    }

    void serverStatementsAreSplitButUnchanged()
    {
        const QString batch = QStringLiteral("update a set [x] = N'甲' where id='1'  Update 票据 Set [开票部门编号] = Null"
                                             " Where 票据编号 = N'x' insert into t(a) select top 1 a from u order by len(a)");
        QCOMPARE(TsqlAdapter::splitStatements(batch),
                 (QStringList{QStringLiteral("update a set [x] = N'甲' where id='1'"),
                              QStringLiteral("Update 票据 Set [开票部门编号] = Null Where 票据编号 = N'x'"),
                              QStringLiteral("insert into t(a) select top 1 a from u order by len(a)")}));
    }

    void stringsAndCommentsAreNotSplitOrRewritten()
    {
        QCOMPARE(one(QStringLiteral("select 'it''s; len(x) select top 1' from t -- update x")),
                 QStringLiteral("select 'it''s; len(x) select top 1' from t -- update x"));
        QCOMPARE(TsqlAdapter::toSqlite(QStringLiteral("select 1; select 2;")),
                 (QStringList{QStringLiteral("select 1"), QStringLiteral("select 2")}));
    }

    void unicodeLiteralsAndBracketedNames()
    {
        QCOMPARE(one(QStringLiteral("SELECT x From 票据类型 WHERE (票据类型代号 IN (N'21', N'22'))")),
                 QStringLiteral("SELECT x From 票据类型 WHERE (票据类型代号 IN ('21', '22'))"));
        QCOMPARE(one(QStringLiteral("Update 票据 Set [开票部门编号] = Null Where 票据编号 = N'x'")),
                 QStringLiteral("UPDATE 票据 SET \"开票部门编号\" = Null WHERE 票据编号 = 'x'"));
    }

    void topBecomesLimit()
    {
        QCOMPARE(one(QStringLiteral("select top 1 * from t where a in (select b from u) order by len(c),c ")),
                 QStringLiteral("select * from t where a in (select b from u) order by length(rtrim(c)),c  LIMIT 1"));
        QCOMPARE(one(QStringLiteral("select a from t where b = (select top 1 b from u order by b)")),
                 QStringLiteral("select a from t where b = (select b from u order by b LIMIT 1)"));
    }

    void convertForms()
    {
        QCOMPARE(one(QStringLiteral("select 1 where d <= CONVERT(DATETIME, '2026-12-09', 102)")),
                 QStringLiteral("select 1 where d <= '2026-12-09'"));
        QCOMPARE(one(QStringLiteral("select 1 where d <= CONVERT(DATETIME, '2026.1.9', 102)")),
                 QStringLiteral("select 1 where d <= '2026-01-09'"));
        QCOMPARE(one(QStringLiteral("select convert(char(8),max(封帐日期),112) as 封帐年月 from 封帐")),
                 QStringLiteral("select strftime('%Y%m%d', max(封帐日期)) as 封帐年月 from 封帐"));
    }

    void nestedJoinsAreParenthesized()
    {
        QCOMPARE(one(QStringLiteral("select * from A INNER JOIN B INNER JOIN C ON B.x = C.x ON A.y = B.y where 1=1")),
                 QStringLiteral("select * from A INNER JOIN (B INNER JOIN C ON B.x = C.x) ON A.y = B.y where 1=1"));
        // Selected columns keep their own names, as SQL Server gives them.
        QCOMPARE(one(QStringLiteral("select B.d, C.d, A.y from A INNER JOIN B INNER JOIN C ON B.x = C.x ON A.y = B.y")),
                 QStringLiteral("select B.d AS \"d\", C.d AS \"d\", A.y AS \"y\" from A INNER JOIN (B INNER JOIN C ON B.x = C.x) ON A.y = B.y"));
        // Left-deep joins are left as written.
        const QString plain = QStringLiteral("select * from A INNER JOIN B ON A.x = B.x LEFT JOIN C ON B.y = C.y");
        QCOMPARE(one(plain), plain);
    }

    void updateFromLosesTargetFromJoin()
    {
        QCOMPARE(one(QStringLiteral("Update R set R.a=R.a-B.a,R.n=R.n-1 FROM B INNER JOIN R ON B.k = R.k "
                                    "WHERE 入库单编号 = 'x' and R.k =  'y'")),
                 QStringLiteral("UPDATE R SET a=R.a-B.a,n=R.n-1 FROM B WHERE (B.k = R.k) AND (入库单编号 = 'x' and R.k =  'y')"));
    }

    void orderByNamesResolveAgainstSelectList()
    {
        QCOMPARE(one(QStringLiteral("SELECT 票据.入库单编号, 票据.票据编号, 票据开票数据.项目 FROM 票据 INNER JOIN 票据开票数据 "
                                    "ON 票据.ID = 票据开票数据.票据id Order By 入库单编号,票据编号 desc,项目")),
                 QStringLiteral("SELECT 票据.入库单编号, 票据.票据编号, 票据开票数据.项目 FROM 票据 INNER JOIN 票据开票数据 "
                                "ON 票据.ID = 票据开票数据.票据id Order By 票据.入库单编号,票据.票据编号 desc,票据开票数据.项目"));
    }

    // What SQLite returns for the rewritten constructs, on the real schema.
    void meaningOnTheSchema()
    {
        TestDatabase database;
        db::Connection &c = database.install();
        database.insert(QStringLiteral("作废恢复流程设置"), {{QStringLiteral("流程代号"), QStringLiteral("P")}, {QStringLiteral("顺序"), 10}});
        database.insert(QStringLiteral("作废恢复流程设置"), {{QStringLiteral("流程代号"), QStringLiteral("P")}, {QStringLiteral("顺序"), 9}});
        database.insert(QStringLiteral("作废恢复流程设置"), {{QStringLiteral("流程代号"), QStringLiteral("P")}, {QStringLiteral("顺序"), 2}});

        // Numeric order by length then value; TOP takes the first of that order.
        auto rs = c.open(QStringLiteral("select top 1 * from 作废恢复流程设置 where 流程代号='P' order by len(顺序),顺序 "));
        QCOMPARE(rs.text(QStringLiteral("顺序")), QStringLiteral("2"));
        // An integer column compared with a quoted number compares as numbers.
        rs = c.open(QStringLiteral("select count(*) AS 计数 from 作废恢复流程设置 where 顺序>'9'"));
        QCOMPARE(rs.text(QStringLiteral("计数")), QStringLiteral("1"));

        // len() does not count trailing blanks; text equality ignores them too.
        database.insert(QStringLiteral("员工档案"), {{QStringLiteral("工号"), QStringLiteral("ab  ")}});
        rs = c.open(QStringLiteral("select len(工号) as n from 员工档案 where 工号 = 'ab'"));
        QVERIFY(!rs.eof());
        QCOMPARE(rs.text(QStringLiteral("n")), QStringLiteral("2"));

        // Dates: BETWEEN includes both end days; CONVERT(DATETIME) compares with stored dates.
        database.insert(QStringLiteral("票据"), {{QStringLiteral("票据编号"), QStringLiteral("1")}, {QStringLiteral("作废日期"), QStringLiteral("2026-12-09")}});
        rs = c.open(QStringLiteral("select count(*) AS 计数 from 票据 where 作废日期 Between '2026-12-09' and '2026-12-09' "));
        QCOMPARE(rs.text(QStringLiteral("计数")), QStringLiteral("1"));
        rs = c.open(QStringLiteral("select count(*) AS 计数 from 票据 where 作废日期 <= CONVERT(DATETIME, '2026-12-09', 102)"));
        QCOMPARE(rs.text(QStringLiteral("计数")), QStringLiteral("1"));

        // The closing month as text, NULL when a department has none.
        database.insert(QStringLiteral("封帐"), {{QStringLiteral("职能部门代号"), QStringLiteral("01")}, {QStringLiteral("封帐日期"), QStringLiteral("2026-10-31")}});
        rs = c.open(QStringLiteral("select convert(char(8),max(封帐日期),112) as 封帐年月 from 封帐 where 职能部门代号='01'"));
        QCOMPARE(rs.text(QStringLiteral("封帐年月")), QStringLiteral("20261031"));
        rs = c.open(QStringLiteral("select convert(char(8),max(封帐日期),112) as 封帐年月 from 封帐 where 职能部门代号='02'"));
        QVERIFY(rs.isNull(QStringLiteral("封帐年月")));
    }
};

QTEST_GUILESS_MAIN(TestTsqlAdapter)
#include "test_tsql_adapter.moc"
