// Approval paths and their nodes without a window: the checks that refuse a save, what
// saving, terminating and deleting write, a path deleted meanwhile, the positions of
// the nodes, and that a failure at any statement of a write leaves nothing behind.
#include "ApprovalPathFixture.h"
#include "InjectedFailures.h"
#include "restore/ApprovalPaths.h"

using namespace ApprovalPaths;

class TestApprovalPathRules : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestDatabase> database;
    db::Connection *connection = nullptr;
    qlonglong hf01 = 0, hf02 = 0;

    static PathRequest newPath(const QString &code)
    {
        return {std::nullopt, code, u"新路径"_s, u"作废恢复"_s, u"02 后勤服务单位"_s, QDate(2026, 11, 30)};
    }
    static PathRequest edit(qlonglong id, const QString &code)
    {
        return {id, code, u"改过的名称"_s, u"其他"_s, u"01 机关部门"_s, QDate(2026, 12, 1)};
    }

    QStringList path(const QString &code)
    {
        return database->rows(
            u"select 流程代号, 流程名称, 作废恢复类别, 部门类别, 设置日期, 终止日期 from 作废恢复流程 where 流程代号 = '%1'"_s.arg(code));
    }
    QList<qlonglong> nodeIds(const QString &code)
    {
        QList<qlonglong> ids;
        for (const QString &id : database->rows(u"select ID from 作废恢复流程设置 where 流程代号 = '%1' order by 顺序"_s.arg(code)))
            ids << id.toLongLong();
        return ids;
    }

    enum Write { NewPathWrite, SavedPathWrite, TerminateWrite, DeleteWrite, AppendNodeWrite, RemoveNodeWrite, OrderWrite };

    // One write on HF01 or its nodes; true when it went through.
    bool run(Write write)
    {
        const QList<qlonglong> ids = nodeIds(u"HF01"_s);
        switch (write) {
        case NewPathWrite:
            return savePath(*connection, newPath(u"HF05"_s)).outcome == SaveOutcome::Saved;
        case SavedPathWrite:
            return savePath(*connection, edit(hf01, u"HF01"_s)).outcome == SaveOutcome::Saved;
        case TerminateWrite:
            return terminatePath(*connection, {hf01, QDate(2026, 12, 31)}) == PathChange::Done;
        case DeleteWrite:
            return deletePath(*connection, hf01) == PathChange::Done;
        case AppendNodeWrite:
            return appendNode(*connection, {u"HF01"_s, u"02"_s, u"10"_s, 4}).has_value();
        case RemoveNodeWrite:
            return removeNode(*connection, {u"HF01"_s, ids[0]}) == NodeRemoval::Removed;
        case OrderWrite:
            return storeNodeOrder(*connection, {ids[2], ids[0], ids[1]}) == OrderOutcome::Stored;
        }
        return false;
    }

private slots:
    void init()
    {
        database = std::make_unique<TestDatabase>();
        connection = &database->install();
        hf01 = addPath(*database, u"HF01"_s, u"后勤服务单位作废恢复"_s, u"02"_s, u"2026-01-05"_s);
        hf02 = addPath(*database, u"HF02"_s, u"机关部门作废恢复"_s, u"01"_s, u"2026-02-10"_s);
        addPath(*database, u"HF00"_s, u"旧路径"_s, u"01"_s, u"2024-01-01"_s, u"2025-06-30"_s);
        addNode(*database, u"HF01"_s, u"05"_s, u"8"_s, 1);
        addNode(*database, u"HF01"_s, u"02"_s, u"1"_s, 2);
        addNode(*database, u"HF01"_s, u"02"_s, u"2"_s, 3);
        addNode(*database, u"HF02"_s, u"02"_s, u"1"_s, 2);
    }

    void cleanup() { database.reset(); }

    // ---------------------------------------------------------------- saving

    // Checked in this order, before anything is sent.
    void fieldsThatCannotBeSavedAreRefusedUnsent_data()
    {
        QTest::addColumn<PathRequest>("request");
        QTest::addColumn<SaveOutcome>("outcome");
        PathRequest r = newPath(QString());
        r.name.clear();
        QTest::newRow("no code") << r << SaveOutcome::CodeMissing;
        for (const QString &code : {u" HF05"_s, u"O'Brien x"_s, u"HF05 "_s, u"HF\u300005"_s, u"HF\t05"_s, u"  "_s}) {
            r = newPath(code);
            r.name.clear();
            QTest::addRow("blank in %s", qPrintable(code)) << r << SaveOutcome::CodeHoldsBlank;
        }
        r = newPath(u"HF05"_s);
        r.name.clear();
        r.category.clear();
        QTest::newRow("no name") << r << SaveOutcome::NameMissing;
        r = newPath(u"HF05"_s);
        r.category.clear();
        QTest::newRow("no category") << r << SaveOutcome::CategoryMissing;
        r = edit(1, QString());
        QTest::newRow("saved path, no code") << r << SaveOutcome::CodeMissing;
        r.code = u"HF01"_s;
        r.name.clear();
        QTest::newRow("saved path, no name") << r << SaveOutcome::NameMissing;
    }

    void fieldsThatCannotBeSavedAreRefusedUnsent()
    {
        QFETCH(PathRequest, request);
        QFETCH(SaveOutcome, outcome);
        connection->clearStatementLog();
        QCOMPARE(savePath(*connection, request).outcome, outcome);
        QCOMPARE(connection->statementLog(), QStringList());
    }

    void aNewPathIsStoredWithItsCategoryCode()
    {
        const SaveResult saved = savePath(*connection, newPath(u"HF05"_s));
        QCOMPARE(saved.outcome, SaveOutcome::Saved);
        QCOMPARE(path(u"HF05"_s), QStringList{u"HF05|新路径|作废恢复|02|2026-11-30|NULL"_s});
        QCOMPARE(saved.id, database->scalar(u"select ID from 作废恢复流程 where 流程代号 = 'HF05'"_s).toString());
        QCOMPARE(saved.code, u"HF05"_s);
        QCOMPARE(saved.name, u"新路径"_s);
        QVERIFY(!connection->inTransaction());
        QCOMPARE(categoryCodeOf(u"02 后勤服务单位 甲"_s), u"02"_s);
    }

    // Terminated paths and paths of another type keep their codes too.
    void aCodeInUseIsRefusedAndNothingWritten()
    {
        database->insert(u"作废恢复流程"_s, {{u"流程代号"_s, u"QT01"_s}, {u"流程名称"_s, u"其他类别"_s}, {u"作废恢复类别"_s, u"其他"_s}});
        const QStringList before = pathTables(*database);
        for (const QString &code : {u"HF01"_s, u"HF00"_s, u"QT01"_s})
            QCOMPARE(savePath(*connection, newPath(code)).outcome, SaveOutcome::CodeInUse);
        QCOMPARE(pathTables(*database), before);
        QVERIFY(!connection->inTransaction());
    }

    // Only the name and the setting date change; a code with a blank is no reason to
    // refuse a path saved already, as it is never rewritten.
    void aSavedPathChangesOnlyItsNameAndDate()
    {
        const qlonglong id = addPath(*database, u"O'Brien x"_s, u"第二条"_s, u"02"_s, u"2026-02-05"_s);
        const SaveResult saved = savePath(*connection, edit(id, u"O'Brien x"_s));
        QCOMPARE(saved.outcome, SaveOutcome::Saved);
        QCOMPARE(saved.code, u"O'Brien x"_s);
        QCOMPARE(saved.name, u"改过的名称"_s);
        QCOMPARE(path(u"O''Brien x"_s), QStringList{u"O'Brien x|改过的名称|作废恢复|02|2026-12-01|NULL"_s});
        // The row of the ID, whatever code the request shows.
        QCOMPARE(savePath(*connection, edit(hf02, u"HF01"_s)).code, u"HF02"_s);
        QCOMPARE(path(u"HF01"_s), QStringList{u"HF01|后勤服务单位作废恢复|作废恢复|02|2026-01-05|NULL"_s});
    }

    void aSavedPathDeletedMeanwhileIsToldAndNothingWritten()
    {
        database->check().execute(u"delete from 作废恢复流程 where ID = %1"_s.arg(hf01));
        const QStringList before = pathTables(*database);
        QCOMPARE(savePath(*connection, edit(hf01, u"HF01"_s)).outcome, SaveOutcome::PathGone);
        QCOMPARE(pathTables(*database), before);
        QVERIFY(!connection->inTransaction());
    }

    // ---------------------------------------------------------------- terminating and deleting

    // Ending keeps the path's nodes; deleting (an ended path too) takes them, and only them.
    void endingAndDeletingAPath()
    {
        QCOMPARE(terminatePath(*connection, {hf01, QDate(2026, 12, 31)}), PathChange::Done);
        QCOMPARE(path(u"HF01"_s), QStringList{u"HF01|后勤服务单位作废恢复|作废恢复|02|2026-01-05|2026-12-31"_s});
        QCOMPARE(storedNodes(*database, u"HF01"_s).size(), 3);
        QCOMPARE(database->count(u"作废恢复流程"_s, u"终止日期 is null"_s), 1);

        QCOMPARE(deletePath(*connection, hf01), PathChange::Done);
        QCOMPARE(path(u"HF01"_s), QStringList());
        QCOMPARE(storedNodes(*database, u"HF01"_s), QStringList());
        QCOMPARE(storedNodes(*database, u"HF02"_s), QStringList{u"02|1|2"_s});
        QCOMPARE(database->count(u"作废恢复流程"_s), 2);
    }

    // The path is the one of the ID: "O'Brien" is left alone when "O'Brien x" goes, and
    // a path of the same code entered after the row was read is another path.
    void thePathOfTheIdIsTheOneChanged_data() { addDeleteAndTerminateRows(); }

    void thePathOfTheIdIsTheOneChanged()
    {
        QFETCH(bool, terminate);
        addPath(*database, u"O'Brien"_s, u"第一条"_s, u"02"_s, u"2026-01-05"_s);
        const qlonglong second = addPath(*database, u"O'Brien x"_s, u"第二条"_s, u"02"_s, u"2026-02-05"_s);
        addNode(*database, u"O'Brien"_s, u"05"_s, u"8"_s, 1);
        QCOMPARE(storedPathCode(*connection, second), u"O'Brien x"_s);
        const auto change = [&](qlonglong id) {
            return terminate ? terminatePath(*connection, {id, QDate(2026, 12, 31)}) : deletePath(*connection, id);
        };
        QCOMPARE(change(second), PathChange::Done);
        QCOMPARE(path(u"O''Brien"_s), QStringList{u"O'Brien|第一条|作废恢复|02|2026-01-05|NULL"_s});
        QCOMPARE(storedNodes(*database, u"O''Brien"_s).size(), 1);

        database->check().execute(u"delete from 作废恢复流程 where ID = %1"_s.arg(hf01));
        addPath(*database, u"HF01"_s, u"同代号的新路径"_s, u"02"_s, u"2026-12-01"_s);
        const QStringList before = pathTables(*database);
        QCOMPARE(storedPathCode(*connection, hf01), std::nullopt);
        QCOMPARE(change(hf01), PathChange::PathGone);
        QCOMPARE(pathTables(*database), before);
        QVERIFY(!connection->inTransaction());
    }

    // ---------------------------------------------------------------- nodes

    // Not to a path deleted meanwhile: the node would join the next path of its code.
    void anAppendedNodeIsStoredAtItsPosition()
    {
        const std::optional<qlonglong> id = appendNode(*connection, {u"HF01"_s, u"02"_s, u"10"_s, 4});
        QCOMPARE(storedNodes(*database, u"HF01"_s).last(), u"02|10|4"_s);
        QCOMPARE(database->scalar(u"select 岗位编号 from 作废恢复流程设置 where ID = %1"_s.arg(id.value())).toString(), u"10"_s);

        database->check().execute(u"delete from 作废恢复流程 where ID = %1"_s.arg(hf01));
        const QStringList before = pathTables(*database);
        QCOMPARE(appendNode(*connection, {u"HF01"_s, u"02"_s, u"1"_s, 5}), std::nullopt);
        QCOMPARE(pathTables(*database), before);
        QVERIFY(!connection->inTransaction());
    }

    void removingANodeClosesTheGapOfItsPath_data()
    {
        QTest::addColumn<int>("line");
        QTest::addColumn<QStringList>("left");
        QTest::newRow("first") << 0 << QStringList{u"02|1|1"_s, u"02|2|2"_s};
        QTest::newRow("middle") << 1 << QStringList{u"05|8|1"_s, u"02|2|2"_s};
        QTest::newRow("last") << 2 << QStringList{u"05|8|1"_s, u"02|1|2"_s};
    }

    void removingANodeClosesTheGapOfItsPath()
    {
        QFETCH(int, line);
        QFETCH(QStringList, left);
        QCOMPARE(removeNode(*connection, {u"HF01"_s, nodeIds(u"HF01"_s)[line]}), NodeRemoval::Removed);
        QCOMPARE(storedNodes(*database, u"HF01"_s), left);
        QCOMPARE(storedNodes(*database, u"HF02"_s), QStringList{u"02|1|2"_s}); // another path's positions stay
        QVERIFY(!connection->inTransaction());
    }

    void removingANodeAlreadyGoneChangesNothing()
    {
        const qlonglong id = nodeIds(u"HF01"_s)[0];
        database->check().execute(u"delete from 作废恢复流程设置 where ID = %1"_s.arg(id));
        const QStringList before = pathTables(*database);
        QCOMPARE(removeNode(*connection, {u"HF01"_s, id}), NodeRemoval::AlreadyGone);
        QCOMPARE(pathTables(*database), before);
    }

    void theOrderOfTheListIsStored()
    {
        const QList<qlonglong> ids = nodeIds(u"HF01"_s);
        QCOMPARE(storeNodeOrder(*connection, {ids[2], ids[0], ids[1]}), OrderOutcome::Stored);
        QCOMPARE(storedNodes(*database, u"HF01"_s), (QStringList{u"02|2|1"_s, u"05|8|2"_s, u"02|1|3"_s}));
        connection->clearStatementLog();
        QCOMPARE(storeNodeOrder(*connection, {}), OrderOutcome::NothingToStore);
        QCOMPARE(connection->statementLog(), QStringList());
    }

    // ---------------------------------------------------------------- failures

    // Each statement of each write fails once. New path: the code looked up, the row
    // saved; saved path: read, saved; ending: the path read, the update; deleting: the
    // path read, the batch's two deletes; appending a node: the path looked up, the node
    // saved; removing one: its position read, the delete, closing the gap; the order: the
    // batch's three updates.
    void aFailureAtAnyStatementLeavesNothing_data()
    {
        addFailingStatementRows({{"new path", 2}, {"saved path", 2}, {"终止", 2}, {"删除", 3}, {"appending a node", 2},
                                 {"removing a node", 3}, {"the order", 3}});
    }

    void aFailureAtAnyStatementLeavesNothing()
    {
        QFETCH(int, scenario);
        QFETCH(int, failAt);
        const QStringList before = pathTables(*database);
        verifyFailureWritesNothing(*connection, failAt, [&] { return run(Write(scenario)); }, [&] { return pathTables(*database); },
                                   true);
        QVERIFY(pathTables(*database) != before);
    }
};

QTEST_MAIN(TestApprovalPathRules)
#include "test_approval_path_rules.moc"
