// The demo database: loads the demo data into a fresh schema and checks that it holds
// together (books, bills, write-offs, applications refer to each other correctly) and
// that the sign-ins and windows the demo is shown with find what they need, using the
// statements the windows send.
#include "db/DatabaseSetup.h"
#include "platform/db/Connection.h"
#include "platform/db/DbError.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <stdexcept>

namespace {

const QStringList kMenuEntries = {
    QStringLiteral("票据查看"),     QStringLiteral("票据使用情况查询"), QStringLiteral("票据作废恢复申请"),
    QStringLiteral("票据作废恢复审批"), QStringLiteral("票据作废查询"),   QStringLiteral("全电票入库"),
    QStringLiteral("票据反核销"),   QStringLiteral("恢复路径设置"),
};

// A statement that cannot run ends the test function (QtTest reports the exception).
[[noreturn]] void fail(const QString &error, const QString &sql)
{
    qWarning("%s\n  in: %s", qPrintable(error), qPrintable(sql));
    throw std::runtime_error(error.toStdString());
}

QString quoted(const QString &value)
{
    return QLatin1Char('\'') + QString(value).replace(QLatin1Char('\''), QStringLiteral("''")) + QLatin1Char('\'');
}

} // namespace

class TestDemoData : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void signIn_data();
    void signIn();
    void organisationHoldsTogether();
    void booksMatchTheirBills();
    void billLinesAndAmounts();
    void issuesAndWriteOffs();
    void usageScreenListsTheHeldBooks();
    void approvalPathsAndApplications();
    void approversSeeTheirApplications();
    void voidReportShowsTodaysVoids();

private:
    // Rows of a native SQLite query, each as its columns joined by " | ".
    QStringList rows(const QString &sql);
    QVariant scalar(const QString &sql);
    // The rows a window's statement (SQL Server text, adapted by the connection) returns.
    db::Recordset windowQuery(const QString &tsql);
    void expectNone(const QString &what, const QString &sql);

    QTemporaryDir m_dir;
    std::unique_ptr<db::Connection> m_db;
};

void TestDemoData::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_db = db::Connection::createSqlite(m_dir.filePath(QStringLiteral("demo.db")));
    DatabaseSetup::createSchema(*m_db);
    try {
        DatabaseSetup::loadDemoData(*m_db);
    } catch (const db::DbError &error) {
        QFAIL(qPrintable(QStringLiteral("demo data does not load: ") + error.description()));
    }
    QVERIFY(scalar(QStringLiteral("select count(*) from 票据")).toInt() > 0);
}

QStringList TestDemoData::rows(const QString &sql)
{
    QSqlQuery query(m_db->database());
    if (!query.exec(sql))
        fail(query.lastError().text(), sql);
    QStringList result;
    while (query.next()) {
        QStringList cells;
        for (int i = 0; i < query.record().count(); ++i)
            cells << (query.isNull(i) ? QStringLiteral("NULL") : query.value(i).toString());
        result << cells.join(QStringLiteral(" | "));
    }
    return result;
}

QVariant TestDemoData::scalar(const QString &sql)
{
    QSqlQuery query(m_db->database());
    if (!query.exec(sql))
        fail(query.lastError().text(), sql);
    return query.next() ? query.value(0) : QVariant();
}

db::Recordset TestDemoData::windowQuery(const QString &tsql)
{
    try {
        return m_db->open(tsql);
    } catch (const db::DbError &error) {
        fail(error.description(), tsql);
    }
}

void TestDemoData::expectNone(const QString &what, const QString &sql)
{
    const QStringList found = rows(sql);
    if (!found.isEmpty())
        QFAIL(qPrintable(what + QStringLiteral(":\n  ") + found.mid(0, 20).join(QStringLiteral("\n  "))));
}

// ---------------------------------------------------------------- sign-ins and menus

void TestDemoData::signIn_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<int>("postCount");
    QTest::addColumn<QString>("post");
    QTest::addColumn<bool>("mainPost");
    QTest::addColumn<QStringList>("enabled");

    QTest::newRow("1001 administrator") << "1001" << "123" << 1 << "1" << true << kMenuEntries;
    QTest::newRow("1006 clerk, main post")
        << "1006" << "123" << 2 << "7" << true
        << QStringList{"票据查看", "票据使用情况查询", "票据作废恢复申请", "票据作废查询"};
    QTest::newRow("1006 clerk, part-time post")
        << "1006" << "123" << 2 << "12" << false << QStringList{"票据查看", "票据使用情况查询", "票据作废查询"};
    QTest::newRow("1007 first approver")
        << "1007" << "123" << 1 << "8" << true
        << QStringList{"票据查看", "票据使用情况查询", "票据作废恢复审批", "票据作废查询"};
    QTest::newRow("1005 second approver")
        << "1005" << "123" << 1 << "6" << true << QStringList{"票据查看", "票据作废恢复审批"};
    // One group disables 票据作废查询, another enables it: enabled wins.
    QTest::newRow("1008 disagreeing groups")
        << "1008" << "123" << 1 << "9" << true << QStringList{"票据查看", "票据使用情况查询", "票据作废查询"};
    QTest::newRow("1009 stock-in without its drop-down")
        << "1009" << "123" << 1 << "10" << true << QStringList{"全电票入库"};
    QTest::newRow("1010 has left") << "1010" << "123" << 0 << "" << false << QStringList{};
}

void TestDemoData::signIn()
{
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(int, postCount);
    QFETCH(QString, post);
    QFETCH(bool, mainPost);
    QFETCH(QStringList, enabled);

    db::Recordset employee = windowQuery(QStringLiteral("Select * From 员工档案 Where 工号 ='") + user +
                                         QStringLiteral("' and 帐号密码='") + password + QStringLiteral("'"));
    QVERIFY2(!employee.eof(), "the password is not accepted");

    const QString postSql =
        QStringLiteral("Select 员工档案.姓名,职能部门类别.部门类别代号,职能部门类别.部门类别名称,岗位类别.岗位类别编号,岗位类别名称,") +
        QStringLiteral(" 职能部门new.职能部门编号 , 职能部门new.职能部门名称, 岗位信息new.岗位代号, 岗位信息new.岗位名称,") +
        QStringLiteral(" 岗位员工new.主要岗位 From 岗位员工new") +
        QStringLiteral(" Inner joIn 岗位信息new on 岗位员工new.岗位代号 = 岗位信息new.岗位代号") +
        QStringLiteral(" Inner joIn 职能部门new on 岗位信息new.职能部门代号 = 职能部门new.职能部门编号") +
        QStringLiteral(" Inner joIn 岗位类别 on 岗位信息new.岗位类别代号 = 岗位类别.岗位类别编号") +
        QStringLiteral(" Inner joIn 职能部门类别 on 职能部门new.职能部门类别代号 = 职能部门类别.部门类别代号") +
        QStringLiteral(" Inner joIn 员工档案 on 岗位员工new.员工代号 = 员工档案.工号") +
        QStringLiteral(" Where 岗位员工new.员工代号='") + user +
        QStringLiteral("' and 员工档案.离职日期 is null AND (岗位员工new.离岗日期 IS NULL)");
    db::Recordset posts = windowQuery(postSql);
    QCOMPARE(posts.recordCount(), postCount);
    if (postCount == 0)
        return;

    bool found = false;
    for (; !posts.eof(); posts.moveNext()) {
        QVERIFY(!posts.text(QStringLiteral("姓名")).isEmpty());
        if (posts.text(QStringLiteral("岗位代号")) == post) {
            found = true;
            QCOMPARE(posts.flag(QStringLiteral("主要岗位")), mainPost);
        }
    }
    QVERIFY2(found, "the post is not among the sign-in's posts");

    // The menu state after 权限设置: rows in ascending Popedom, a later row overrides.
    db::Recordset grants = windowQuery(
        QStringLiteral("SELECT DISTINCT 岗位权限设置.ID , 岗位权限设置.组代号, 岗位权限设置.岗位代号, 岗位权限设置.授权, "
                       "GroupPrivilege.FormName, GroupPrivilege.Popedom") +
        QStringLiteral(" FROM  岗位权限设置 INNER JOIN GroupPrivilege ON 岗位权限设置.组代号 = GroupPrivilege.GroupID") +
        QStringLiteral(" Where 授权 = 1 AND 岗位代号='") + post + QStringLiteral("'") +
        QStringLiteral(" ORDER BY GroupPrivilege.Popedom"));
    QMap<QString, bool> state;
    for (; !grants.eof(); grants.moveNext()) {
        QVERIFY2(!grants.isNull(QStringLiteral("Popedom")), "a NULL Popedom stops the menu set-up");
        const QString entry = grants.text(QStringLiteral("FormName"));
        if (kMenuEntries.contains(entry))
            state[entry] = grants.number(QStringLiteral("Popedom")) != 0;
    }
    QStringList actual;
    for (auto it = state.cbegin(); it != state.cend(); ++it)
        if (it.value())
            actual << it.key();
    QStringList expected = enabled;
    actual.sort();
    expected.sort();
    QCOMPARE(actual, expected);
}

// ---------------------------------------------------------------- organisation

void TestDemoData::organisationHoldsTogether()
{
    expectNone(QStringLiteral("menu entries that do not exist"),
               QStringLiteral("select GroupID, FormName from GroupPrivilege where FormName not in (%1)")
                   .arg([] {
                       QStringList q;
                       for (const QString &e : kMenuEntries)
                           q << quoted(e);
                       return q.join(QLatin1Char(','));
                   }()));
    expectNone(QStringLiteral("departments without a category"),
               QStringLiteral("select 职能部门编号 from 职能部门new d where not exists "
                              "(select 1 from 职能部门类别 c where c.部门类别代号 = d.职能部门类别代号)"));
    expectNone(QStringLiteral("department codes used twice"),
               QStringLiteral("select 职能部门编号 from 职能部门new group by 职能部门编号 having count(*) > 1"));
    expectNone(QStringLiteral("parent rows naming unknown departments"),
               QStringLiteral("select 职能部门编号, 上级部门编号 from 上级部门new p where not exists "
                              "(select 1 from 职能部门new d where d.职能部门编号 = p.职能部门编号) or not exists "
                              "(select 1 from 职能部门new d where d.职能部门编号 = p.上级部门编号)"));
    expectNone(QStringLiteral("departments with two parents starting on the same day"),
               QStringLiteral("select 职能部门编号, 起始日期 from 上级部门new group by 职能部门编号, 起始日期 having count(*) > 1"));
    expectNone(QStringLiteral("posts without department or category"),
               QStringLiteral("select 岗位代号 from 岗位信息new p where not exists "
                              "(select 1 from 职能部门new d where d.职能部门编号 = p.职能部门代号) or not exists "
                              "(select 1 from 岗位类别 c where c.岗位类别编号 = p.岗位类别代号)"));
    expectNone(QStringLiteral("post codes used twice"),
               QStringLiteral("select 岗位代号 from 岗位信息new group by 岗位代号 having count(*) > 1"));
    expectNone(QStringLiteral("posts held by unknown employees"),
               QStringLiteral("select 岗位代号, 工号 from 岗位信息new p where 工号 is not null and not exists "
                              "(select 1 from 员工档案 e where e.工号 = p.工号)"));
    expectNone(QStringLiteral("holdings of unknown employees or posts"),
               QStringLiteral("select 员工代号, 岗位代号 from 岗位员工new h where not exists "
                              "(select 1 from 员工档案 e where e.工号 = h.员工代号) or not exists "
                              "(select 1 from 岗位信息new p where p.岗位代号 = h.岗位代号)"));
    // The node editor and the report name the employee from the post's 工号.
    expectNone(QStringLiteral("current holdings the post does not name"),
               QStringLiteral("select h.员工代号, h.岗位代号, p.工号 from 岗位员工new h "
                              "join 岗位信息new p on p.岗位代号 = h.岗位代号 "
                              "join 员工档案 e on e.工号 = h.员工代号 "
                              "where h.离岗日期 is null and e.离职日期 is null and p.终止日期 is null "
                              "and coalesce(p.工号, '') <> h.员工代号"));
    expectNone(QStringLiteral("user ids used twice"),
               QStringLiteral("select 工号 from 员工档案 group by 工号 having count(*) > 1"));
    expectNone(QStringLiteral("offices of unknown departments"),
               QStringLiteral("select GYD_DH from 设置管理处 o where not exists "
                              "(select 1 from 职能部门new d where d.职能部门编号 = o.对应部门代号)"));
    expectNone(QStringLiteral("machines of unknown departments"),
               QStringLiteral("select 税控机编号 from 票据税控机 m where 使用单位 is not null and not exists "
                              "(select 1 from 职能部门new d where d.职能部门编号 = m.使用单位)"));
    expectNone(QStringLiteral("closing dates of unknown departments"),
               QStringLiteral("select 职能部门代号 from 封帐 f where not exists "
                              "(select 1 from 职能部门new d where d.职能部门编号 = f.职能部门代号)"));

    // The department tree of the node editor: current parent = latest 起始日期; no cycles.
    db::Recordset tree = windowQuery(
        QStringLiteral(" select 职能部门new.职能部门编号,职能部门new.职能部门名称,table2.上级部门编号,职能部门new.序号") +
        QStringLiteral(" From 职能部门new left join") +
        QStringLiteral(" (select 上级部门new.职能部门编号,上级部门new.上级部门编号 from 上级部门new,") +
        QStringLiteral(" (select 职能部门编号,max(起始日期) as 设置日期 from 上级部门new group by 职能部门编号) as table1") +
        QStringLiteral(" where 上级部门new.职能部门编号 = table1.职能部门编号 and 上级部门new.起始日期 = table1.设置日期) as table2") +
        QStringLiteral(" on 职能部门new.职能部门编号 = table2.职能部门编号 where 职能部门new.终止日期 is null") +
        QStringLiteral(" Order by 职能部门new.显示协调位置"));
    QHash<QString, QString> parent;
    int roots = 0;
    for (; !tree.eof(); tree.moveNext()) {
        const QString code = tree.text(QStringLiteral("职能部门编号"));
        QVERIFY2(!parent.contains(code), qPrintable(code + QStringLiteral(" has two current parents")));
        parent.insert(code, tree.text(QStringLiteral("上级部门编号")));
        if (parent.value(code).isEmpty())
            ++roots;
    }
    QVERIFY2(roots >= 1, "the department tree has no root");
    for (auto it = parent.cbegin(); it != parent.cend(); ++it) {
        QString at = it.key();
        for (int steps = 0; !at.isEmpty(); ++steps) {
            QVERIFY2(steps <= parent.size(), qPrintable(it.key() + QStringLiteral(" is in a cycle of parents")));
            at = parent.value(at);
        }
    }
}

// ---------------------------------------------------------------- books and bills

void TestDemoData::booksMatchTheirBills()
{
    expectNone(QStringLiteral("book numbers used twice"),
               QStringLiteral("select 入库单编号 from 票据入库单 group by 入库单编号 having count(*) > 1"));
    expectNone(QStringLiteral("books of unknown bill types, or whose tax-control flag differs from the type's"),
               QStringLiteral("select k.入库单编号 from 票据入库单 k left join 票据类型 t on t.票据类型代号 = k.票据类型编号 "
                              "where t.票据类型代号 is null or coalesce(k.税控, 0) <> coalesce(t.税控, 0)"));
    expectNone(QStringLiteral("books whose 份数 or number range differ from their bills"),
               QStringLiteral("select k.入库单编号, k.份数, k.起始编号, k.终止编号, s.n, s.lo, s.hi from 票据入库单 k "
                              "left join (select 入库单编号 b, count(*) n, min(票据编号) lo, max(票据编号) hi "
                              "           from 票据 group by 入库单编号) s on s.b = k.入库单编号 "
                              "where s.b is null or s.n <> k.份数 or s.lo <> k.起始编号 or s.hi <> k.终止编号"));
    expectNone(QStringLiteral("bill numbers that differ in length within a book"),
               QStringLiteral("select 入库单编号 from 票据 group by 入库单编号 "
                              "having min(length(票据编号)) <> max(length(票据编号))"));
    expectNone(QStringLiteral("bills numbered twice in a book"),
               QStringLiteral("select 入库单编号, 票据编号 from 票据 group by 入库单编号, 票据编号 having count(*) > 1"));
    expectNone(QStringLiteral("bills of unknown books"),
               QStringLiteral("select ID, 入库单编号 from 票据 b where not exists "
                              "(select 1 from 票据入库单 k where k.入库单编号 = b.入库单编号)"));
    expectNone(QStringLiteral("books marked unused that have used bills, or used books without any"),
               QStringLiteral("select k.入库单编号 from 票据入库单 k where k.使用 <> exists "
                              "(select 1 from 票据 b where b.入库单编号 = k.入库单编号 "
                              " and (b.开票日期 is not null or b.作废日期 is not null))"));
    expectNone(QStringLiteral("books in stock that hold used bills"),
               QStringLiteral("select k.入库单编号 from 票据入库单 k join 票据 b on b.入库单编号 = k.入库单编号 "
                              "where k.状态 = '在库' and (b.开票日期 is not null or b.作废日期 is not null)"));
    expectNone(QStringLiteral("books in an unknown state"),
               QStringLiteral("select 入库单编号, 状态 from 票据入库单 where 状态 not in ('在库', '领用', '核销')"));
}

void TestDemoData::billLinesAndAmounts()
{
    expectNone(QStringLiteral("voided bills without date, reason or person"),
               QStringLiteral("select ID from 票据 where 作废日期 is not null and (作废原因 is null or 作废人 is null)"));
    expectNone(QStringLiteral("void reason or person without a void date"),
               QStringLiteral("select ID from 票据 where 作废日期 is null and (作废原因 is not null or 作废人 is not null)"));
    expectNone(QStringLiteral("issued bills without department, payer, issuer or amount"),
               QStringLiteral("select ID from 票据 where 开票日期 is not null and "
                              "(开票部门编号 is null or 付款人 is null or 开票人 is null or 金额 is null)"));
    expectNone(QStringLiteral("pre-issued, paid or receipted bills that were never issued"),
               QStringLiteral("select ID from 票据 where 开票日期 is null and "
                              "(预开 <> 0 or 收款日期 is not null or 收款人 is not null or 收款凭证编号 is not null)"));
    expectNone(QStringLiteral("bills paid before they were issued, or voided before"),
               QStringLiteral("select ID from 票据 where 收款日期 < 开票日期 or 作废日期 < 开票日期"));
    expectNone(QStringLiteral("bills issued by a department that never held their book"),
               QStringLiteral("select b.ID, b.开票部门编号 from 票据 b where b.开票部门编号 is not null and not exists "
                              "(select 1 from 票据领用清单 l join 票据领用记录 r on r.票据领用记录编号 = l.领用记录编号 "
                              " where l.入库单编号 = b.入库单编号 and r.领用部门代号 = b.开票部门编号 "
                              " and r.领用日期 <= b.开票日期)"));
    expectNone(QStringLiteral("bills of an office that another department owns"),
               QStringLiteral("select b.ID, b.管理处 from 票据 b where b.管理处 is not null and not exists "
                              "(select 1 from 设置管理处 o where o.GYD_DH = b.管理处 "
                              " and (b.开票部门编号 is null or o.对应部门代号 = b.开票部门编号))"));
    expectNone(QStringLiteral("bills with an unknown payment method"),
               QStringLiteral("select ID, 收款方式 from 票据 b where 收款方式 is not null and not exists "
                              "(select 1 from 收款方式列表 m where m.收款方式 = b.收款方式)"));

    expectNone(QStringLiteral("lines whose bill does not exist or has another number or book"),
               QStringLiteral("select l.ID, l.票据id from 票据开票数据 l left join 票据 b on b.ID = l.票据id "
                              "where b.ID is null or b.票据编号 <> l.票据编号 or b.入库单编号 <> l.入库单编号"));
    expectNone(QStringLiteral("lines on bills that were never issued"),
               QStringLiteral("select l.ID from 票据开票数据 l join 票据 b on b.ID = l.票据id where b.开票日期 is null"));
    expectNone(QStringLiteral("lines of unknown charge items, or named differently"),
               QStringLiteral("select l.ID, l.收费项目代号 from 票据开票数据 l left join SetupSFXM i on i.DH = l.收费项目代号 "
                              "where i.DH is null or i.XM <> l.项目"));
    expectNone(QStringLiteral("lines whose amount is not quantity times price, or whose tax does not add up"),
               QStringLiteral("select ID from 票据开票数据 where abs(数量 * 单价 - 金额) > 0.005 "
                              "or abs(不含税金额 + 税额 - 金额) > 0.005"));
    expectNone(QStringLiteral("issued bills whose amount is not the sum of their lines"),
               QStringLiteral("select b.ID, b.金额, s.total from 票据 b left join "
                              "(select 票据id, total(金额) total from 票据开票数据 group by 票据id) s on s.票据id = b.ID "
                              "where b.开票日期 is not null and (s.票据id is null or abs(b.金额 - s.total) > 0.005)"));
    expectNone(QStringLiteral("fee receipts pointing at unknown bills"),
               QStringLiteral("select w.ID from WYZJ w where w.发票号码 is not null and not exists "
                              "(select 1 from 票据 b where b.票据编号 = w.发票号码 and b.入库单编号 = w.票据入库单编号)"));
}

// ---------------------------------------------------------------- issues and write-offs

void TestDemoData::issuesAndWriteOffs()
{
    expectNone(QStringLiteral("issue lines of unknown issues or books"),
               QStringLiteral("select l.ID from 票据领用清单 l where not exists "
                              "(select 1 from 票据领用记录 r where r.票据领用记录编号 = l.领用记录编号) or not exists "
                              "(select 1 from 票据入库单 k where k.入库单编号 = l.入库单编号)"));
    expectNone(QStringLiteral("issues to unknown departments"),
               QStringLiteral("select 票据领用记录编号 from 票据领用记录 r where not exists "
                              "(select 1 from 职能部门new d where d.职能部门编号 = r.领用部门代号)"));
    expectNone(QStringLiteral("issued books not held by exactly one department"),
               QStringLiteral("select k.入库单编号, k.状态, (select count(*) from 票据领用清单 l where l.入库单编号 = k.入库单编号 "
                              " and l.归还日期 is null) held from 票据入库单 k "
                              "where (k.状态 = '领用') <> ((select count(*) from 票据领用清单 l "
                              " where l.入库单编号 = k.入库单编号 and l.归还日期 is null) = 1) "
                              "or (select count(*) from 票据领用清单 l where l.入库单编号 = k.入库单编号 "
                              " and l.归还日期 is null) > 1"));

    // Written-off books: one 票据核销 row, every bill and issue line stamped with the record's date.
    expectNone(QStringLiteral("written-off books without exactly one write-off row, or rows of books not written off"),
               QStringLiteral("select k.入库单编号 from 票据入库单 k "
                              "where (k.状态 = '核销') <> ((select count(*) from 票据核销 h where h.入库单编号 = k.入库单编号) = 1) "
                              "union select h.入库单编号 from 票据核销 h where not exists "
                              "(select 1 from 票据入库单 k where k.入库单编号 = h.入库单编号)"));
    expectNone(QStringLiteral("write-off rows of unknown records"),
               QStringLiteral("select h.ID from 票据核销 h where not exists "
                              "(select 1 from 票据核销记录 r where r.核销记录编号 = h.核销记录编号)"));
    expectNone(QStringLiteral("bills of written-off books without the record's stamp"),
               QStringLiteral("select b.ID, b.核销日期, r.核销日期 from 票据 b join 票据核销 h on h.入库单编号 = b.入库单编号 "
                              "join 票据核销记录 r on r.核销记录编号 = h.核销记录编号 "
                              "where b.核销日期 is not r.核销日期 or b.核销人 is null"));
    expectNone(QStringLiteral("write-off stamps on bills of books not written off"),
               QStringLiteral("select b.ID from 票据 b where (b.核销日期 is not null or b.核销人 is not null) and not exists "
                              "(select 1 from 票据核销 h where h.入库单编号 = b.入库单编号)"));
    expectNone(QStringLiteral("issue lines of written-off books without write-off and return dates"),
               QStringLiteral("select l.ID from 票据领用清单 l join 票据核销 h on h.入库单编号 = l.入库单编号 "
                              "join 票据核销记录 r on r.核销记录编号 = h.核销记录编号 "
                              "where l.核销日期 is not r.核销日期 or l.归还日期 is null"));
    expectNone(QStringLiteral("write-off dates on issue lines of books not written off"),
               QStringLiteral("select l.ID from 票据领用清单 l where l.核销日期 is not null and not exists "
                              "(select 1 from 票据核销 h where h.入库单编号 = l.入库单编号)"));
    expectNone(QStringLiteral("write-off records of another department than the book's holder"),
               QStringLiteral("select r.核销记录编号, l.入库单编号 from 票据核销记录 r join 票据核销 h on h.核销记录编号 = r.核销记录编号 "
                              "join 票据领用清单 l on l.入库单编号 = h.入库单编号 "
                              "join 票据领用记录 i on i.票据领用记录编号 = l.领用记录编号 where i.领用部门代号 <> r.核销部门代号"));

    // A book's figures are counted from its bills; blanks voided by the write-off count as unused.
    expectNone(QStringLiteral("write-off rows whose figures differ from the book's bills"),
               QStringLiteral(
                   "select h.核销记录编号, h.入库单编号, s.n, s.issued, s.voided, s.unused, s.amount, s.pre, s.preamount "
                   "from 票据核销 h join (select 入库单编号 book, count(*) n, "
                   "  sum(case when 开票日期 is not null and 作废日期 is null then 1 else 0 end) issued, "
                   "  sum(case when 作废日期 is not null and 作废原因 <> '核销时作废' then 1 else 0 end) voided, "
                   "  sum(case when 作废原因 = '核销时作废' or (开票日期 is null and 作废日期 is null) then 1 else 0 end) unused, "
                   "  total(case when 开票日期 is not null and 作废日期 is null then 金额 end) amount, "
                   "  sum(case when 开票日期 is not null and 作废日期 is null and 预开 = 1 and 收款日期 is null "
                   "      then 1 else 0 end) pre, "
                   "  total(case when 开票日期 is not null and 作废日期 is null and 预开 = 1 and 收款日期 is null "
                   "      then 金额 end) preamount "
                   "  from 票据 group by 入库单编号) s on s.book = h.入库单编号 "
                   "where h.核销份数 <> s.n or h.开票份数 <> s.issued or h.作废份数 <> s.voided or h.未用份数 <> s.unused "
                   "or h.预开份数 <> s.pre or abs(h.开票金额合计 - s.amount) > 0.005 "
                   "or abs(h.预开金额合计 - s.preamount) > 0.005"));
    expectNone(QStringLiteral("write-off records whose figures are not the sums over their books"),
               QStringLiteral(
                   "select r.核销记录编号 from 票据核销记录 r left join (select 核销记录编号 rec, count(*) n, "
                   "  sum(开票份数) issued, sum(作废份数) voided, sum(未用份数) unused, sum(预开份数) pre, "
                   "  total(开票金额合计) amount, total(预开金额合计) preamount from 票据核销 group by 核销记录编号) s "
                   "  on s.rec = r.核销记录编号 "
                   "where s.rec is null or r.核销数量 <> s.n or r.已开数量 <> s.issued or r.作废数量 <> s.voided "
                   "or r.未用数 <> s.unused or r.预开数量 <> s.pre or abs(r.开票金额 - s.amount) > 0.005 "
                   "or abs(r.预开金额 - s.preamount) > 0.005"));

    // The reverse write-off looks each written-off book up with its nested join.
    const QStringList writtenOff = rows(QStringLiteral("select 入库单编号 from 票据核销"));
    QVERIFY2(!writtenOff.isEmpty(), "no book is written off");
    for (const QString &book : writtenOff) {
        db::Recordset info = windowQuery(
            QStringLiteral("SELECT  票据入库单.入库单编号, 票据入库单.起始编号, 票据入库单.终止编号,票据核销记录.核销记录编号, "
                           "票据领用清单.核销日期, 票据领用清单.归还日期, 票据类型.票据类型, 职能部门new.职能部门名称,"
                           "票据领用记录.领用部门代号,票据入库单.状态") +
            QStringLiteral(" FROM 票据领用记录 INNER JOIN") + QStringLiteral(" 票据核销记录 INNER JOIN") +
            QStringLiteral(" 票据入库单 INNER JOIN") +
            QStringLiteral(" 票据类型 ON 票据入库单.票据类型编号 = 票据类型.票据类型代号 INNER JOIN") +
            QStringLiteral(" 票据核销 ON 票据入库单.入库单编号 = 票据核销.入库单编号 INNER JOIN") +
            QStringLiteral(" 票据领用清单 ON 票据入库单.入库单编号 = 票据领用清单.入库单编号 ON 票据核销记录.核销记录编号 = "
                           "票据核销.核销记录编号 ON") +
            QStringLiteral(" 票据领用记录.票据领用记录编号 = 票据领用清单.领用记录编号 INNER JOIN") +
            QStringLiteral(" 职能部门new ON 票据领用记录.领用部门代号 = 职能部门new.职能部门编号") +
            QStringLiteral(" where 票据入库单.入库单编号='") + book + QStringLiteral("'"));
        QVERIFY2(!info.eof(), qPrintable(book + QStringLiteral(": the reverse write-off finds nothing")));
        QCOMPARE(info.text(QStringLiteral("状态")), QStringLiteral("核销"));
    }
}

void TestDemoData::usageScreenListsTheHeldBooks()
{
    const QStringList holders = rows(QStringLiteral(
        "select r.领用部门代号, count(*) from 票据领用清单 l join 票据领用记录 r on r.票据领用记录编号 = l.领用记录编号 "
        "join 票据入库单 k on k.入库单编号 = l.入库单编号 where l.归还日期 is null and k.状态 = '领用' "
        "group by r.领用部门代号"));
    QVERIFY2(!holders.isEmpty(), "no department holds a book");
    for (const QString &holder : holders) {
        const QString dept = holder.section(QStringLiteral(" | "), 0, 0);
        const int held = holder.section(QStringLiteral(" | "), 1, 1).toInt();
        db::Recordset books = windowQuery(
            QStringLiteral("SELECT 票据领用清单.ID,SUM(CASE WHEN NOT (开票日期) IS NULL AND 作废日期 IS NULL THEN 票据.金额 END) AS 开票金额,") +
            QStringLiteral(" COUNT(CASE WHEN NOT (开票日期) IS NULL AND 作废日期 IS NULL THEN 1 END) AS 开票数, ") +
            QStringLiteral(" COUNT(CASE WHEN NOT 作废日期 IS NULL THEN 1 END) AS 作废数,") +
            QStringLiteral(" COUNT(CASE WHEN (开票日期) IS NULL AND 作废日期 IS NULL THEN 1 END) AS 未开数, ") +
            QStringLiteral(" COUNT(CASE WHEN NOT (开票日期) IS NULL AND 作废日期 IS NULL AND 预开 = 1 AND 收款日期 IS NULL THEN 1 END) AS 预开数,") +
            QStringLiteral(" SUM(CASE WHEN NOT (开票日期) IS NULL AND 作废日期 IS NULL AND 预开 = 1 AND 收款日期 IS NULL THEN 票据.金额 END) AS 预开金额, ") +
            QStringLiteral(" 票据领用记录.领用部门代号, 票据领用记录.领用日期 , 票据入库单.起始编号, 票据入库单.终止编号, 票据.入库单编号, "
                           "票据类型.票据类型代号,票据类型.票据类型, 票据入库单.份数") +
            QStringLiteral(" FROM 票据领用记录 INNER JOIN 票据领用清单 ON 票据领用记录.票据领用记录编号 = 票据领用清单.领用记录编号") +
            QStringLiteral(" Inner Join 票据入库单 ON 票据领用清单.入库单编号 = 票据入库单.入库单编号 INNER JOIN 票据 ON "
                           "票据入库单.入库单编号 = 票据.入库单编号") +
            QStringLiteral(" INNER JOIN 票据类型 ON 票据入库单.票据类型编号 = 票据类型.票据类型代号") +
            QStringLiteral(" WHERE 票据入库单.状态 = '领用' And 票据领用清单.归还日期 is Null ") +
            QStringLiteral(" GROUP BY 票据.入库单编号, 票据领用记录.领用部门代号, 票据领用记录.领用日期,票据入库单.起始编号 , "
                           "票据入库单.终止编号, 票据类型.票据类型代号,票据类型.票据类型,票据入库单.份数,票据领用清单.ID") +
            QStringLiteral(" HAVING (票据领用记录.领用部门代号 = N'") + dept + QStringLiteral("')") +
            QStringLiteral(" ORDER BY 票据类型.票据类型代号,票据.入库单编号"));
        QCOMPARE(books.recordCount(), held);
        for (; !books.eof(); books.moveNext()) {
            const int counted = int(books.number(QStringLiteral("开票数")) + books.number(QStringLiteral("作废数")) +
                                    books.number(QStringLiteral("未开数")));
            QCOMPARE(counted, int(books.number(QStringLiteral("份数"))));
        }
    }
}

// ---------------------------------------------------------------- restoration workflow

void TestDemoData::approvalPathsAndApplications()
{
    expectNone(QStringLiteral("paths of another type or an unknown department category"),
               QStringLiteral("select 流程代号 from 作废恢复流程 p where 作废恢复类别 <> '作废恢复' or not exists "
                              "(select 1 from 职能部门类别 c where c.部门类别代号 = p.部门类别)"));
    expectNone(QStringLiteral("nodes of unknown paths"),
               QStringLiteral("select ID from 作废恢复流程设置 s where not exists "
                              "(select 1 from 作废恢复流程 p where p.流程代号 = s.流程代号)"));
    expectNone(QStringLiteral("paths whose nodes are not numbered 1..n"),
               QStringLiteral("select p.流程代号 from 作废恢复流程 p left join 作废恢复流程设置 s on s.流程代号 = p.流程代号 "
                              "group by p.流程代号 having count(s.ID) = 0 or min(s.顺序) <> 1 "
                              "or max(s.顺序) <> count(s.ID) or count(distinct s.顺序) <> count(s.ID)"));
    // A node's post must belong to its department and be held, or the progress grid drops it.
    expectNone(QStringLiteral("nodes whose post is not a held post of their department"),
               QStringLiteral("select s.流程代号, s.顺序 from 作废恢复流程设置 s where not exists "
                              "(select 1 from 岗位信息new p join 员工档案 e on e.工号 = p.工号 "
                              " where p.岗位代号 = s.岗位编号 and p.职能部门代号 = s.部门编号)"));

    expectNone(QStringLiteral("applications whose number, department or serial is wrong"),
               QStringLiteral("select a.编号 from 作废恢复审批单 a left join 职能部门new d on d.职能部门编号 = a.部门编号 "
                              "where d.职能部门编号 is null or a.部门 <> d.职能部门名称 "
                              "or a.编号 <> a.部门编号 || a.部门 || a.流水 or a.类型名称 <> '作废恢复'"));
    expectNone(QStringLiteral("application numbers or serials used twice"),
               QStringLiteral("select 编号 from 作废恢复审批单 group by 编号 having count(*) > 1 "
                              "union all select 流水 from 作废恢复审批单 group by 流水 having count(*) > 1"));
    expectNone(QStringLiteral("applications whose bill is not the one they name"),
               QStringLiteral("select a.编号 from 作废恢复审批单 a left join 票据 b on b.ID = a.票据ID "
                              "where b.ID is null or b.票据编号 <> a.票据编号 or b.入库单编号 <> a.票据入库单编号 "
                              "or b.金额 is not a.票据金额"));
    expectNone(QStringLiteral("applications without a route"),
               QStringLiteral("select 编号 from 作废恢复审批单 a where not exists "
                              "(select 1 from 作废恢复审批流程 f where f.编号 = a.编号)"));
    // The route is a copy of the nodes of the paths of the applicant's category.
    expectNone(QStringLiteral("routes that are not the nodes of the applicant's paths"),
               QStringLiteral(
                   "with expected as (select a.编号, s.部门编号 部门, s.岗位编号 岗位, s.顺序 环节序号 "
                   "  from 作废恢复审批单 a join 职能部门new d on d.职能部门编号 = a.部门编号 "
                   "  join 作废恢复流程 p on p.部门类别 = d.职能部门类别代号 and p.作废恢复类别 = a.类型名称 "
                   "  join 作废恢复流程设置 s on s.流程代号 = p.流程代号), "
                   "route as (select 编号, 部门, 岗位, 环节序号 from 作废恢复审批流程) "
                   "select 'missing', * from (select * from expected except select * from route) "
                   "union all select 'extra', * from (select * from route except select * from expected)"));
    expectNone(QStringLiteral("steps off the application's route"),
               QStringLiteral("select s.编号, s.环节序号 from 作废恢复审批 s where not exists "
                              "(select 1 from 作废恢复审批流程 f where f.编号 = s.编号 and f.部门 = s.部门 "
                              " and f.岗位 = s.岗位 and f.环节序号 = s.环节序号)"));
    expectNone(QStringLiteral("steps half decided"),
               QStringLiteral("select 编号, 环节序号 from 作废恢复审批 where (是否同意 is null) <> (审批人 is null) "
                              "or (是否同意 is null) <> (审批日期 is null) or (是否同意 is null) <> (审批意见 is null)"));

    const QString pending = QStringLiteral("(select count(*) from 作废恢复审批 s where s.编号 = a.编号 and s.是否同意 is null)");
    const QString agreed = QStringLiteral("(select count(*) from 作废恢复审批 s where s.编号 = a.编号 and s.是否同意 = 1)");
    const QString refused = QStringLiteral("(select count(*) from 作废恢复审批 s where s.编号 = a.编号 and s.是否同意 = 0)");
    const QString routeLength = QStringLiteral("(select count(*) from 作废恢复审批流程 f where f.编号 = a.编号)");
    expectNone(QStringLiteral("applications in approval without one pending step after the agreed ones"),
               QStringLiteral("select a.编号 from 作废恢复审批单 a where a.审核状态 = '审批中' and (%1 <> 1 or %3 <> 0 "
                              "or (select 环节序号 from 作废恢复审批 s where s.编号 = a.编号 and s.是否同意 is null) <> %2 + 1 "
                              "or (select coalesce(max(环节序号), 0) from 作废恢复审批 s where s.编号 = a.编号 "
                              "    and s.是否同意 = 1) <> %2 "
                              "or a.审核日期 is not null or a.审核是否通过 is not null)")
                   .arg(pending, agreed, refused));
    expectNone(QStringLiteral("approved applications not agreed at every node"),
               QStringLiteral("select a.编号 from 作废恢复审批单 a where a.审核状态 = '审核通过' and (%1 <> 0 or %2 <> %3 "
                              "or a.审核是否通过 is not 1 or a.审核日期 is null)")
                   .arg(pending, agreed, routeLength));
    expectNone(QStringLiteral("rejected applications without a refusal"),
               QStringLiteral("select a.编号 from 作废恢复审批单 a where a.审核状态 = '审核不通过' and (%1 = 0 "
                              "or a.审核是否通过 is not 0 or a.审核日期 is null)")
                   .arg(refused));
    expectNone(QStringLiteral("applications in an unknown state"),
               QStringLiteral("select 编号, 审核状态 from 作废恢复审批单 where 审核状态 not in ('审批中', '审核通过', '审核不通过')"));

    // The bill: restored after approval, still voided (with its lines copied) otherwise.
    expectNone(QStringLiteral("approved applications whose bill was not restored"),
               QStringLiteral("select a.编号 from 作废恢复审批单 a join 票据 b on b.ID = a.票据ID "
                              "where a.审核状态 = '审核通过' and (b.作废日期 is not null or b.开票日期 is not null "
                              "or b.预开 <> 0 or exists (select 1 from 票据开票数据 l where l.票据id = b.ID) "
                              "or exists (select 1 from WYZJ w where w.发票号码 = b.票据编号 and w.票据入库单编号 = b.入库单编号))"));
    expectNone(QStringLiteral("open or rejected applications whose bill is not voided on the stated day"),
               QStringLiteral("select a.编号 from 作废恢复审批单 a join 票据 b on b.ID = a.票据ID "
                              "where a.审核状态 <> '审核通过' and b.作废日期 is not a.票据作废日期"));
    expectNone(QStringLiteral("applications whose copied lines differ from the bill's lines"),
               QStringLiteral("select a.编号 from 作废恢复审批单 a where a.审核状态 <> '审核通过' and "
                              "(select count(*) from 票据作废恢复明细 m where m.编号 = a.编号) <> "
                              "(select count(*) from 票据开票数据 l where l.票据id = a.票据ID) "
                              "or (select count(*) from 票据作废恢复明细 m where m.编号 = a.编号 "
                              "    and (m.票据编号 <> a.票据编号 or m.票据入库单编号 <> a.票据入库单编号)) > 0"));
    expectNone(QStringLiteral("copied lines of unknown applications"),
               QStringLiteral("select m.ID from 票据作废恢复明细 m where not exists "
                              "(select 1 from 作废恢复审批单 a where a.编号 = m.编号)"));
}

void TestDemoData::approversSeeTheirApplications()
{
    const QStringList steps = rows(QStringLiteral(
        "select s.编号, s.岗位 from 作废恢复审批 s join 作废恢复审批单 a on a.编号 = s.编号 "
        "where s.是否同意 is null and a.审核状态 = '审批中'"));
    QVERIFY2(!steps.isEmpty(), "no application waits for a decision");
    for (const QString &step : steps) {
        const QString number = step.section(QStringLiteral(" | "), 0, 0);
        const QString post = step.section(QStringLiteral(" | "), 1, 1);
        db::Recordset listed = windowQuery(
            QStringLiteral("SELECT     作废恢复审批单.ID, 作废恢复审批单.编号, 作废恢复审批单.部门, 作废恢复审批单.提交日期, "
                           "作废恢复审批单.审核状态, 作废恢复审批单.审核日期, ") +
            QStringLiteral(" 作废恢复审批单.审核是否通过, 作废恢复审批单.调整事由, 作废恢复审批单.审批人, 作废恢复审批单.流水, "
                           "作废恢复审批单.类型名称, 作废恢复审批单.票据金额,") +
            QStringLiteral(" 作废恢复审批单.收款方式, 作废恢复审批单.票据ID, 作废恢复审批单.部门编号, 作废恢复审批单.票据编号, "
                           "作废恢复审批单.票据入库单编号,") +
            QStringLiteral(" 作废恢复审批单.票据作废日期, 作废恢复审批.岗位, 作废恢复审批.审批人 AS Expr2, 作废恢复审批.审批日期, "
                           "作废恢复审批.审批意见, 作废恢复审批.环节序号,职能部门new.职能部门名称") +
            QStringLiteral(" FROM         作废恢复审批单 INNER JOIN 作废恢复审批 ON 作废恢复审批单.编号 = 作废恢复审批.编号 "
                           "INNER JOIN  职能部门new ON 作废恢复审批.部门 = 职能部门new.职能部门编号 where 岗位='") +
            post + QStringLiteral("'") + QStringLiteral(" and 审核状态='审批中'") +
            QStringLiteral(" and 作废恢复审批单.编号 ='") + number + QStringLiteral("'"));
        QVERIFY2(!listed.eof(), qPrintable(number + QStringLiteral(" is not listed for post ") + post));
    }
}

// ---------------------------------------------------------------- void report

void TestDemoData::voidReportShowsTodaysVoids()
{
    // The report opens on today's date: every office whose department voided bills today
    // shows them with "不分部门统计", every item in force and every payment method.
    const QString today = QStringLiteral("2026-12-09"); // the demo's today
    QStringList items;
    for (const QString &dh : rows(QStringLiteral("select DH from SetupSFXM where 终止日期 is null")))
        items << quoted(dh);
    QStringList payments;
    for (const QString &method : rows(QStringLiteral("select 收款方式 from 收款方式列表")))
        payments << quoted(method);

    const QStringList offices = rows(QStringLiteral(
        "select o.GYD_DH, count(*) from 设置管理处 o join 票据 b on b.开票部门编号 = o.对应部门代号 "
        "join 票据开票数据 l on l.票据id = b.ID where b.作废日期 = '%1' group by o.GYD_DH").arg(today));
    QVERIFY2(!offices.isEmpty(), "no office has a bill voided today");
    for (const QString &office : offices) {
        const QString code = office.section(QStringLiteral(" | "), 0, 0);
        db::Recordset report = windowQuery(
            QStringLiteral(" SELECT 票据.入库单编号, 票据.票据编号, 票据.付款人, 票据开票数据.项目, 票据开票数据.摘要, "
                           "票据开票数据.金额,票据.开票日期,票据.开票人, 票据.收款日期, 票据.收款人") +
            QStringLiteral(" FROM  票据 INNER JOIN 票据开票数据 ON 票据.ID = 票据开票数据.票据id Inner Join 设置管理处 On "
                           "票据.开票部门编号=设置管理处.对应部门代号") +
            QStringLiteral(" WHERE 设置管理处.GYD_DH='") + code + QStringLiteral("' ") +
            QStringLiteral(" And 票据.作废日期 Between '") + today + QStringLiteral("' and '") + today + QStringLiteral("' ") +
            QStringLiteral("  AND  票据.收款方式 in (") + payments.join(QLatin1Char(',')) +
            QStringLiteral(") and 票据开票数据.收费项目代号 in (") + items.join(QLatin1Char(',')) + QStringLiteral(")") +
            QStringLiteral(" Order By 入库单编号,票据编号,付款人"));
        QVERIFY2(report.recordCount() > 0, qPrintable(QStringLiteral("office ") + code + QStringLiteral(" shows no void today")));
        for (; !report.eof(); report.moveNext()) {
            QVERIFY(!report.isNull(QStringLiteral("金额")));
            QVERIFY(!report.text(QStringLiteral("开票日期")).isEmpty());
        }
    }
}

QTEST_GUILESS_MAIN(TestDemoData)
#include "test_demo_data.moc"
