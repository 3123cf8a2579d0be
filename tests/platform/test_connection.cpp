// The connection and its recordsets on the embedded database: reading, writing,
// batches written whole or not at all, quoting of typed values, the test hooks.
#include "TestDatabase.h"
#include "platform/db/SqlText.h"
#include "platform/db/Transaction.h"

#include <QtTest>

using db::Connection;
using db::DbError;
using db::sqlValue;

class TestConnection : public QObject
{
    Q_OBJECT

private slots:
    void readsNullApartFromEmptyTextAndFlagsAsWords()
    {
        TestDatabase database;
        Connection &c = database.install();
        database.insert(QStringLiteral("票据入库单"), {{QStringLiteral("入库单编号"), QStringLiteral("21-2026")},
                                                      {QStringLiteral("备注"), QString(QLatin1String(""))},
                                                      {QStringLiteral("税控"), 1}});
        auto rs = c.open(QStringLiteral("SELECT * From 票据入库单 where 入库单编号='21-2026'"));
        QVERIFY(!rs.eof());
        QVERIFY(!rs.isNull(QStringLiteral("备注")));
        QCOMPARE(rs.text(QStringLiteral("备注")), QString());
        QVERIFY(rs.isNull(QStringLiteral("税控机编号")));
        QCOMPARE(rs.text(QStringLiteral("使用")), QStringLiteral("False")); // the column's default
        QCOMPARE(rs.text(QStringLiteral("税控")), QStringLiteral("True"));
        QCOMPARE(rs.text(QStringLiteral("id")), rs.text(QStringLiteral("ID")));
        rs.moveNext();
        QVERIFY(rs.eof());
        QVERIFY_THROWS_EXCEPTION(DbError, rs.text(QStringLiteral("入库单编号")));
    }

    void unknownColumnAndBadStatementRaiseErrors()
    {
        TestDatabase database;
        Connection &c = database.install();
        auto rs = c.open(QStringLiteral("select 1 as a"));
        QVERIFY_THROWS_EXCEPTION(DbError, rs.value(QStringLiteral("b")));
        try {
            c.execute(QStringLiteral("update 没有的表 set x=1"));
            QFAIL("a statement on a missing table must fail");
        } catch (const DbError &e) {
            QVERIFY(e.description().contains(QStringLiteral("没有的表")));
            QVERIFY(e.number() != 0);
        }
    }

    void batchIsWrittenWholeOrNotAtAll()
    {
        TestDatabase database;
        Connection &c = database.install();
        c.execute(QStringLiteral("insert into 收款方式列表(收款方式) values('现金') insert into 收款方式列表(收款方式) values('支票')"));
        QCOMPARE(database.count(QStringLiteral("收款方式列表")), 2);

        QVERIFY_THROWS_EXCEPTION(DbError, c.execute(QStringLiteral(
            "insert into 收款方式列表(收款方式) values('转账') update 没有的表 set x=1")));
        QCOMPARE(database.count(QStringLiteral("收款方式列表")), 2);
        QVERIFY(!c.inTransaction());
    }

    void explicitTransactionRollsBack()
    {
        TestDatabase database;
        Connection &c = database.install();
        c.begin();
        c.execute(QStringLiteral("insert into 收款方式列表(收款方式) values('现金')"));
        c.execute(QStringLiteral("insert into 收款方式列表(收款方式) values('支票') insert into 收款方式列表(收款方式) values('转账')"));
        c.rollback();
        QCOMPARE(database.count(QStringLiteral("收款方式列表")), 0);
        c.begin();
        c.execute(QStringLiteral("insert into 收款方式列表(收款方式) values('现金')"));
        c.commit();
        QCOMPARE(database.count(QStringLiteral("收款方式列表")), 1);
    }

    void logAndInjectedFailure()
    {
        TestDatabase database;
        Connection &c = database.install();
        c.clearStatementLog();
        c.failAtStatement(2);
        c.execute(QStringLiteral("insert into 收款方式列表(收款方式) values('现金')"));
        QVERIFY_THROWS_EXCEPTION(DbError, c.execute(QStringLiteral("insert into 收款方式列表(收款方式) values('支票')")));
        c.execute(QStringLiteral("insert into 收款方式列表(收款方式) values('转账')"));
        QCOMPARE(database.count(QStringLiteral("收款方式列表")), 2);
        QCOMPARE(c.statementLog(),
                 (QStringList{QStringLiteral("insert into 收款方式列表(收款方式) values('现金')"),
                              QStringLiteral("insert into 收款方式列表(收款方式) values('支票')"),
                              QStringLiteral("insert into 收款方式列表(收款方式) values('转账')")}));
    }

    void editableRecordsetAddsAndEditsRows()
    {
        TestDatabase database;
        Connection &c = database.install();
        auto rs = c.openEditable(QStringLiteral("SELECT ID, 流程代号, 流程名称, 作废恢复类别, 部门类别, 设置日期, 终止日期"
                                                " From 作废恢复流程  Where 流程代号='A1'"));
        QVERIFY(rs.eof());
        rs.addNew();
        rs.setValue(QStringLiteral("流程代号"), QStringLiteral("A1"));
        rs.setValue(QStringLiteral("流程名称"), QStringLiteral("作废恢复一"));
        rs.setValue(QStringLiteral("设置日期"), QDate(2026, 12, 9));
        rs.update();
        const qlonglong id = rs.value(QStringLiteral("ID")).toLongLong();
        QVERIFY(id > 0);
        QCOMPARE(database.scalar(QStringLiteral("select 设置日期 from 作废恢复流程 where ID=%1").arg(id)).toString(),
                 QStringLiteral("2026-12-09"));
        QVERIFY(database.scalar(QStringLiteral("select 终止日期 from 作废恢复流程 where ID=%1").arg(id)).isNull());

        auto edit = c.openEditable(QStringLiteral("SELECT ID, 流程代号, 流程名称 From 作废恢复流程  Where ID=%1").arg(id));
        edit.setValue(QStringLiteral("流程名称"), QStringLiteral("改名"));
        edit.update();
        QCOMPARE(database.scalar(QStringLiteral("select 流程名称 from 作废恢复流程 where ID=%1").arg(id)).toString(),
                 QStringLiteral("改名"));
        QCOMPARE(database.count(QStringLiteral("作废恢复流程")), 1);

        // A datetime is stored as comparable ISO text.
        auto app = c.openEditable(QStringLiteral(" select * from 作废恢复审批 where 1=1"));
        app.addNew();
        app.setValue(QStringLiteral("编号"), QStringLiteral("x"));
        app.setValue(QStringLiteral("审批日期"), QDateTime(QDate(2026, 12, 9), QTime(8, 5, 0)));
        app.update();
        QCOMPARE(database.scalar(QStringLiteral("select 审批日期 from 作废恢复审批")).toString(),
                 QStringLiteral("2026-12-09 08:05:00"));
    }

    void statementKOfABatchCanBeMadeToFail_data()
    {
        QTest::addColumn<int>("failing");
        QTest::newRow("first") << 1;
        QTest::newRow("second") << 2;
        QTest::newRow("third") << 3;
    }

    void statementKOfABatchCanBeMadeToFail()
    {
        QFETCH(int, failing);
        TestDatabase database;
        Connection &c = database.install();
        const QString batch = QStringLiteral("insert into 收款方式列表(收款方式) values('现金') "
                                             "insert into 收款方式列表(收款方式) values('支票') "
                                             "insert into 收款方式列表(收款方式) values('转账')");
        c.failAtStatement(failing);
        try {
            c.execute(batch);
            QFAIL("the injected failure did not come");
        } catch (const DbError &error) {
            QVERIFY2(error.description().contains(failing == 1 ? QStringLiteral("现金")
                                                  : failing == 2 ? QStringLiteral("支票") : QStringLiteral("转账")),
                     qPrintable(error.description()));
        }
        QCOMPARE(database.count(QStringLiteral("收款方式列表")), 0);
        QVERIFY(!c.inTransaction());
        // Counting goes on past the batch: the fourth statement is the next one sent.
        c.failAtStatement(4);
        c.execute(batch);
        QVERIFY_THROWS_EXCEPTION(DbError, c.execute(QStringLiteral("insert into 收款方式列表(收款方式) values('汇款')")));
        QCOMPARE(database.count(QStringLiteral("收款方式列表")), 3);
    }

    void transactionScopeCommitsOrRollsBack()
    {
        TestDatabase database;
        Connection &c = database.install();
        try {
            db::Transaction scope(c);
            c.execute(QStringLiteral("insert into 收款方式列表(收款方式) values('现金')"));
            throw DbError(QStringLiteral("中途失败"));
        } catch (const DbError &) {
        }
        QVERIFY(!c.inTransaction());
        QCOMPARE(database.count(QStringLiteral("收款方式列表")), 0);
        {
            db::Transaction scope(c);
            c.execute(QStringLiteral("insert into 收款方式列表(收款方式) values('支票')"));
            // Left without commit(): nothing stays.
        }
        QCOMPARE(database.count(QStringLiteral("收款方式列表")), 0);
        {
            db::Transaction scope(c);
            c.execute(QStringLiteral("insert into 收款方式列表(收款方式) values('转账')"));
            scope.commit();
        }
        QCOMPARE(database.count(QStringLiteral("收款方式列表")), 1);
        QVERIFY(!c.inTransaction());
    }

    void exclusiveTransactionHoldsOffOtherWriters()
    {
        TestDatabase database;
        Connection &c = database.install();
        auto other = Connection::openSqlite(database.path(), 0);
        {
            db::Transaction scope(c, QStringLiteral("票据入库:21-2026"));
            // Held from its start, before it has written anything.
            try {
                other->execute(QStringLiteral("insert into 收款方式列表(收款方式) values('现金')"));
                QFAIL("another connection wrote during an exclusive transaction");
            } catch (const DbError &error) {
                QVERIFY2(error.description().contains(QStringLiteral("锁定")), qPrintable(error.description()));
            }
            c.execute(QStringLiteral("insert into 收款方式列表(收款方式) values('支票')"));
            scope.commit();
        }
        other->execute(QStringLiteral("insert into 收款方式列表(收款方式) values('现金')"));
        QCOMPARE(database.count(QStringLiteral("收款方式列表")), 2);
    }

    void editableRecordsetReadsItsRowsWhenFirstAsked()
    {
        TestDatabase database;
        Connection &c = database.install();
        database.insert(QStringLiteral("收款方式列表"), {{QStringLiteral("收款方式"), QStringLiteral("现金")}});
        auto rs = c.openEditable(QStringLiteral("select * from 收款方式列表 where 1=1"));
        // Rows written after opening are there at the first read: none were read before.
        database.insert(QStringLiteral("收款方式列表"), {{QStringLiteral("收款方式"), QStringLiteral("支票")}});
        QCOMPARE(rs.recordCount(), 2);
        QCOMPARE(rs.text(QStringLiteral("收款方式")), QStringLiteral("现金"));
        rs.moveNext();
        QCOMPARE(rs.text(QStringLiteral("收款方式")), QStringLiteral("支票"));

        // Opened only to add: the table's rows are never read, the added row is current.
        c.clearStatementLog();
        auto adding = c.openEditable(QStringLiteral("select * from 收款方式列表 where 1=1"));
        adding.addNew();
        adding.setValue(QStringLiteral("收款方式"), QStringLiteral("转账"));
        adding.update();
        QCOMPARE(adding.recordCount(), 1);
        QCOMPARE(adding.text(QStringLiteral("收款方式")), QStringLiteral("转账"));
        QCOMPARE(database.count(QStringLiteral("收款方式列表")), 3);
        QCOMPARE(c.statementLog().size(), 2); // the open and the insert
        QVERIFY(adding.hasColumn(QStringLiteral("收款方式")));
    }

    void editableRecordsetOutlivingItsConnectionFailsCleanly()
    {
        TestDatabase database;
        auto connection = Connection::openSqlite(database.path());
        auto rs = connection->openEditable(QStringLiteral("select * from 收款方式列表 where 1=0"));
        connection.reset();
        rs.addNew();
        rs.setValue(QStringLiteral("收款方式"), QStringLiteral("现金"));
        QVERIFY_THROWS_EXCEPTION(DbError, rs.update());
        QCOMPARE(database.count(QStringLiteral("收款方式列表")), 0);
    }

    void typedValuesCannotChangeAStatement_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("quote") << QStringLiteral("O'Brien");
        QTest::newRow("injection") << QStringLiteral("'; drop table 票据 --");
        QTest::newRow("injection batch") << QStringLiteral("x' delete from 票据 where '1'='1");
        QTest::newRow("percent") << QStringLiteral("%");
        QTest::newRow("unicode") << QStringLiteral("张三’s “票” 𠀀");
        QTest::newRow("long") << QString(10000, QLatin1Char('\''));
    }

    void typedValuesCannotChangeAStatement()
    {
        QFETCH(QString, value);
        TestDatabase database;
        Connection &c = database.install();
        database.insert(QStringLiteral("票据"), {{QStringLiteral("票据编号"), QStringLiteral("0001")}});
        c.execute(QStringLiteral("insert into 员工档案(工号,姓名) values('") + sqlValue(value) + QStringLiteral("','x')"));
        auto rs = c.open(QStringLiteral("Select * From 员工档案 Where 工号 ='") + sqlValue(value) + QStringLiteral("'"));
        QVERIFY(!rs.eof());
        QCOMPARE(rs.text(QStringLiteral("工号")), value);
        QCOMPARE(database.count(QStringLiteral("员工档案")), 1);
        QCOMPARE(database.count(QStringLiteral("票据")), 1);
    }

    void ordinaryValuesKeepTheTemplateText()
    {
        QCOMPARE(sqlValue(QStringLiteral("21-2026")), QStringLiteral("21-2026"));
        QCOMPARE(sqlValue(QStringLiteral("总务处 经办")), QStringLiteral("总务处 经办"));
        QCOMPARE(sqlValue(QStringLiteral("a'b''c")), QStringLiteral("a''b''''c"));
    }

    // A NUL would let a driver end the statement text inside the literal: such a value
    // never reaches a statement, and the operator is told why.
    void valueWithNulIsRefusedBeforeAnythingIsSent_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("inside") << QStringLiteral("21") + QChar(0) + QStringLiteral("' delete from 票据 --");
        QTest::newRow("alone") << QString(QChar(0));
        QTest::newRow("at the end") << QStringLiteral("张三") + QChar(0);
    }

    void valueWithNulIsRefusedBeforeAnythingIsSent()
    {
        QFETCH(QString, value);
        TestDatabase database;
        Connection &c = database.install();
        database.insert(QStringLiteral("票据"), {{QStringLiteral("票据编号"), QStringLiteral("0001")}});
        c.clearStatementLog();
        try {
            c.execute(QStringLiteral("insert into 员工档案(工号,姓名) values('") + sqlValue(value) + QStringLiteral("','x')"));
            QFAIL("a value with a NUL must be refused");
        } catch (const DbError &e) {
            QCOMPARE(e.description(), QStringLiteral("输入的内容含有不可用的控制字符（NUL），已拒绝。"));
        }
        QVERIFY(c.statementLog().isEmpty());
        QCOMPARE(database.count(QStringLiteral("员工档案")), 0);
        QCOMPARE(database.count(QStringLiteral("票据")), 1);
    }

    void missingFileIsNotCreated()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("none.db"));
        QVERIFY_THROWS_EXCEPTION(DbError, Connection::openSqlite(path));
        QVERIFY(!QFileInfo::exists(path));
        Connection closed;
        QVERIFY(!closed.isOpen());
        QVERIFY_THROWS_EXCEPTION(DbError, closed.open(QStringLiteral("select 1")));
    }
};

QTEST_GUILESS_MAIN(TestConnection)
#include "test_connection.moc"
