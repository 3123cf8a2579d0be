// The node editor of the approval path window: the department tree of the current
// organisation, the posts of a department, and appending, removing, moving and storing
// the nodes of a path, with the node table checked after every write.
#include "ApprovalPathFixture.h"
#include "restore/ApprovalPathSql.h"

class TestPathNodes : public ApprovalPathWindowFixture
{
    Q_OBJECT

    // The path HF01 with the nodes given as department/post pairs, selected in the window.
    void openPathWithNodes(const QList<QPair<QString, QString>> &nodes)
    {
        addPath(*database, u"HF01"_s, u"后勤服务单位作废恢复"_s, u"02"_s, u"2026-01-05"_s);
        int position = 0;
        for (const auto &[department, post] : nodes)
            addNode(*database, u"HF01"_s, department, post, ++position);
        QVERIFY(openWindow());
        chooseType();
        clickGridRow(1);
        QVERIFY(window->Frame2->isEnabled());
    }

    // A click on the department's line of the tree.
    void clickTreeNode(const QString &departmentCode)
    {
        KeyedTree *tree = window->TreeView1;
        QVERIFY(tree->indexOfKey(u"$"_s + departmentCode) > 0);
        tree->expandAll();
        const QModelIndexList found = tree->model()->match(tree->model()->index(0, 0), Qt::DisplayRole, departmentCode + u' ', 1,
                                                           Qt::MatchStartsWith | Qt::MatchRecursive);
        QCOMPARE(found.size(), 1);
        WindowDriver::clickEntry(tree, found[0]);
    }

    // Appends the post on the given line of the department's post list.
    void append(const QString &departmentCode, int line)
    {
        clickTreeNode(departmentCode);
        selectLine(window->List1, line);
        click(window->Command1);
    }

    void selectNode(int line) { selectLine(window->List2, line); }

    // The tree as indented lines: two blanks per level.
    QStringList treeLines() const
    {
        QStringList lines;
        std::function<void(QTreeWidgetItem *, int)> walk = [&](QTreeWidgetItem *item, int depth) {
            lines << QString(depth * 2, u' ') + item->text(0);
            for (int i = 0; i < item->childCount(); ++i)
                walk(item->child(i), depth + 1);
        };
        for (int i = 0; i < window->TreeView1->topLevelItemCount(); ++i)
            walk(window->TreeView1->topLevelItem(i), 0);
        return lines;
    }

    QList<qint64> itemData(ListBox *list) const
    {
        QList<qint64> data;
        for (int i = 0; i < list->listCount(); ++i)
            data << list->itemData(i);
        return data;
    }

private slots:
    void init() { setUpDatabase(); }
    void cleanup() { tearDownWindow(); }

    // ---------------------------------------------------------------- the tree

    void theTreeNestsTheDepartmentsInForceUnderTheirCurrentParent()
    {
        // 06 moved from 05 to 02: the latest 起始日期 wins.
        addParent(*database, u"06"_s, u"02"_s, u"2025-09-01"_s);
        // 07 hangs under the abolished 04, and 09 under 07: neither appears.
        addDepartment(*database, u"04"_s, u"审计处"_s, u"01"_s, u"2024-12-31"_s, 5);
        addDepartment(*database, u"07"_s, u"审计一科"_s, u"01"_s, QVariant(), 6);
        addDepartment(*database, u"09"_s, u"审计一组"_s, u"01"_s, QVariant(), 7);
        addParent(*database, u"07"_s, u"04"_s, u"2019-01-01"_s);
        addParent(*database, u"09"_s, u"07"_s, u"2019-01-01"_s);
        // Display order decides the order of siblings: 12 comes before 05.
        addDepartment(*database, u"12"_s, u"校印刷厂"_s, u"02"_s, QVariant(), 0);
        addParent(*database, u"12"_s, u"01"_s, u"2018-01-01"_s);
        // An abolished department is not in the tree even without a parent.
        addDepartment(*database, u"13"_s, u"招待所"_s, u"02"_s, u"2025-06-30"_s, 8);
        QVERIFY(openWindow());
        QCOMPARE(treeLines(), (QStringList{u"01 滨江大学"_s, u"  12 校印刷厂"_s, u"  02 财务处"_s, u"    06 物业管理中心"_s,
                                           u"  05 后勤集团"_s}));
        QCOMPARE(window->TreeView1->key(1), u"$01"_s);
        QCOMPARE(window->departments().size(), 7);
        for (const auto &dept : window->departments())
            QCOMPARE(dept.parentCode.isEmpty(), dept.code == u"01"_s);
    }

    void aCycleInTheParentCodesEndsTheWalk()
    {
        // 20 and 21 are each other's parent; 22 lists both 02 and 21 as its latest parent
        // (two rows on one day), and 21's parent is 22: the walk from 02 reaches 22, 21
        // and would come back to 22.
        addDepartment(*database, u"20"_s, u"甲"_s, u"01"_s, QVariant(), 10);
        addDepartment(*database, u"21"_s, u"乙"_s, u"01"_s, QVariant(), 11);
        addDepartment(*database, u"22"_s, u"丙"_s, u"01"_s, QVariant(), 12);
        addDepartment(*database, u"23"_s, u"丁"_s, u"01"_s, QVariant(), 13);
        addDepartment(*database, u"24"_s, u"戊"_s, u"01"_s, QVariant(), 14);
        addParent(*database, u"20"_s, u"24"_s, u"2020-01-01"_s);
        addParent(*database, u"24"_s, u"20"_s, u"2020-01-01"_s);
        addParent(*database, u"22"_s, u"02"_s, u"2020-01-01"_s);
        addParent(*database, u"22"_s, u"21"_s, u"2020-01-01"_s);
        addParent(*database, u"21"_s, u"22"_s, u"2020-01-01"_s);
        addParent(*database, u"23"_s, u"21"_s, u"2020-01-01"_s);
        QVERIFY(openWindow());
        QVERIFY(MessageBoxes::records().isEmpty());
        const QStringList lines = treeLines();
        for (const QString &dept : {u"01 滨江大学"_s, u"02 财务处"_s, u"05 后勤集团"_s, u"06 物业管理中心"_s, u"22 丙"_s, u"21 乙"_s,
                                    u"23 丁"_s})
            QCOMPARE(lines.filter(dept).size(), 1);
        QCOMPARE(lines.filter(u"20 甲"_s).size(), 0);
        QCOMPARE(lines.filter(u"24 戊"_s).size(), 0);
        QVERIFY(lines.contains(u"      21 乙"_s));
    }

    // ---------------------------------------------------------------- posts

    void aDepartmentsPostsAreListedWithTheirHolders()
    {
        openPathWithNodes({});
        DbConnection().clearStatementLog();
        clickTreeNode(u"02"_s);
        QCOMPARE(DbConnection().statementLog().value(0), postsOfDepartmentSql(u"02"_s));
        // By length of the code, then the code; the vacant post's line ends with a blank;
        // the ended post is not offered.
        QCOMPARE(listLines(window->List1), (QStringList{u"财务处 财务处处长 [周明远]"_s, u"财务处 票据管理员 [张晓梅]"_s, u"财务处 审计员 "_s}));
        QCOMPARE(window->posts().size(), 3);
        QCOMPARE(window->posts()[2].postCode, u"10"_s);
        QCOMPARE(window->posts()[2].employeeName, QString());
        QCOMPARE(window->posts()[0].deptName, u"财务处"_s);
        // A department without posts in force leaves the list empty.
        clickTreeNode(u"06"_s);
        QCOMPARE(window->List1->listCount(), 0);
        QCOMPARE(window->posts().size(), 0);
    }

    void aFailedTreeClickIsReportedAndTheWindowGoesOn()
    {
        openPathWithNodes({});
        DbConnection().failAtStatement(1);
        clickTreeNode(u"02"_s);
        QCOMPARE(MessageBoxes::records().size(), 1);
        QCOMPARE(MessageBoxes::records()[0].icon, MessageBoxes::Icon::None);
        clickTreeNode(u"05"_s);
        QCOMPARE(window->List1->listCount(), 1);
    }

    // ---------------------------------------------------------------- the nodes of a path

    void theNodesOfThePathAreListedInOrder()
    {
        // A node whose post has gone drops out of the list but stays in the table.
        openPathWithNodes({{u"05"_s, u"8"_s}, {u"02"_s, u"10"_s}, {u"02"_s, u"99"_s}, {u"02"_s, u"1"_s}});
        QCOMPARE(listLines(window->List2), (QStringList{u"后勤集团 后勤集团财务科长 [王建国]"_s, u"财务处 审计员"_s,
                                                        u"财务处 财务处处长 [周明远]"_s}));
        QCOMPARE(window->nodes()[2].position, qint16(4));
        QCOMPARE(window->nodes()[1].employeeName, QString());
        const QList<qint64> ids = itemData(window->List2);
        QCOMPARE(ids.size(), 3);
        QCOMPARE(database->scalar(u"select 岗位编号 from 作废恢复流程设置 where ID = %1"_s.arg(ids[1])).toString(), u"10"_s);
        QCOMPARE(database->count(u"作废恢复流程设置"_s), 4);
    }

    void appendingStoresTheNodeAsTheLast()
    {
        openPathWithNodes({{u"05"_s, u"8"_s}});
        // Nothing happens without a selected post.
        clickTreeNode(u"02"_s);
        selectLine(window->List1, -1);
        click(window->Command1);
        QCOMPARE(storedNodes(*database, u"HF01"_s), QStringList{u"05|8|1"_s});

        append(u"02"_s, 0);
        append(u"02"_s, 0); // the same post twice
        append(u"02"_s, 2); // the vacant post
        QCOMPARE(storedNodes(*database, u"HF01"_s), (QStringList{u"05|8|1"_s, u"02|1|2"_s, u"02|1|3"_s, u"02|10|4"_s}));
        QCOMPARE(listLines(window->List2), (QStringList{u"后勤集团 后勤集团财务科长 [王建国]"_s, u"财务处 财务处处长 [周明远]"_s,
                                                        u"财务处 财务处处长 [周明远]"_s, u"财务处 审计员 "_s}));
        QCOMPARE(window->nodes()[3].position, qint16(4));
        const QList<qint64> ids = itemData(window->List2);
        QCOMPARE(database->scalar(u"select 顺序 from 作废恢复流程设置 where ID = %1"_s.arg(ids[3])).toInt(), 4);
        QCOMPARE(database->scalar(u"select 流程代号 from 作废恢复流程设置 where ID = %1"_s.arg(ids[2])).toString(), u"HF01"_s);
    }

    void aFailedAppendAddsNeitherLineNorRow()
    {
        openPathWithNodes({{u"05"_s, u"8"_s}});
        clickTreeNode(u"02"_s);
        selectLine(window->List1, 0);
        DbConnection().failAtStatement(1);
        click(window->Command1);
        DbConnection().failAtStatement(0);
        QCOMPARE(MessageBoxes::records().size(), 1);
        QVERIFY(MessageBoxes::records()[0].text.startsWith(u"错误号："_s));
        QCOMPARE(window->List2->listCount(), 1);
        QCOMPARE(window->nodes().size(), 1);
        QCOMPARE(storedNodes(*database, u"HF01"_s), QStringList{u"05|8|1"_s});
        // The next append takes the next position.
        click(window->Command1);
        QCOMPARE(storedNodes(*database, u"HF01"_s), (QStringList{u"05|8|1"_s, u"02|1|2"_s}));
    }

    // The list is read again from the table (which positions move is tested without the
    // window).
    void appendingToAPathDeletedMeanwhileIsToldAndAddsNothing()
    {
        openPathWithNodes({{u"05"_s, u"8"_s}});
        database->check().execute(u"delete from 作废恢复流程 where 流程代号 = 'HF01'"_s);
        append(u"02"_s, 0);
        QCOMPARE(shownTexts(), QStringList{u"该审批路径已不存在（可能已被他人删除），请重新选择恢复类型。"_s});
        QCOMPARE(window->List2->listCount(), 1);
        QCOMPARE(storedNodes(*database, u"HF01"_s), QStringList{u"05|8|1"_s});
    }

    void removingANodeClosesTheGap()
    {
        openPathWithNodes({{u"05"_s, u"8"_s}, {u"02"_s, u"1"_s}, {u"02"_s, u"2"_s}});
        selectNode(1);
        click(window->Command2);
        QCOMPARE(storedNodes(*database, u"HF01"_s), (QStringList{u"05|8|1"_s, u"02|2|2"_s}));
        QCOMPARE(listLines(window->List2), (QStringList{u"后勤集团 后勤集团财务科长 [王建国]"_s, u"财务处 票据管理员 [张晓梅]"_s}));
        QCOMPARE(window->List2->listIndex(), -1);
        QCOMPARE(window->nodes()[1].position, qint16(2));
    }

    void removingWithoutASelectedNodeReportsItAndDeletesNothing()
    {
        openPathWithNodes({{u"05"_s, u"8"_s}, {u"02"_s, u"1"_s}});
        selectNode(-1);
        click(window->Command2);
        QCOMPARE(MessageBoxes::records().size(), 1);
        QVERIFY(MessageBoxes::records()[0].text.startsWith(u"错误号："_s));
        QCOMPARE(MessageBoxes::records()[0].icon, MessageBoxes::Icon::None);
        QCOMPARE(storedNodes(*database, u"HF01"_s), (QStringList{u"05|8|1"_s, u"02|1|2"_s}));
    }

    void aFailedRemovalLeavesThePositionsAsTheyWere_data()
    {
        QTest::addColumn<int>("failingStatement");
        // Each statement is failed once without the window; here the last, after the delete.
        QTest::newRow("the renumbering") << 3;
    }

    void aFailedRemovalLeavesThePositionsAsTheyWere()
    {
        QFETCH(int, failingStatement);
        openPathWithNodes({{u"05"_s, u"8"_s}, {u"02"_s, u"1"_s}, {u"02"_s, u"2"_s}});
        const QStringList before = pathTables(*database);
        selectNode(0);
        DbConnection().failAtStatement(failingStatement);
        click(window->Command2);
        DbConnection().failAtStatement(0);
        QCOMPARE(pathTables(*database), before);
        QCOMPARE(MessageBoxes::records().size(), 1);
        QVERIFY(!DbConnection().inTransaction());
        QCOMPARE(window->List2->listCount(), 3);
    }

    // ---------------------------------------------------------------- moving and storing

    void movesExchangeLinesAndOkStoresTheOrder()
    {
        openPathWithNodes({{u"05"_s, u"8"_s}, {u"02"_s, u"1"_s}, {u"02"_s, u"2"_s}});
        QVERIFY(!window->Command10->isEnabled());
        const QList<qint64> ids = itemData(window->List2);
        selectNode(2);
        click(window->Command3); // ↑
        QCOMPARE(window->List2->listIndex(), 1);
        QCOMPARE(listLines(window->List2), (QStringList{u"后勤集团 后勤集团财务科长 [王建国]"_s, u"财务处 票据管理员 [张晓梅]"_s,
                                                        u"财务处 财务处处长 [周明远]"_s}));
        QCOMPARE(itemData(window->List2), (QList<qint64>{ids[0], ids[2], ids[1]}));
        // The positions stay with the places.
        QCOMPARE(window->nodes()[1].position, qint16(2));
        QCOMPARE(window->nodes()[1].postCode, u"2"_s);
        QVERIFY(window->Command10->isEnabled());
        // Nothing is stored before "OK".
        QCOMPARE(storedNodes(*database, u"HF01"_s), (QStringList{u"05|8|1"_s, u"02|1|2"_s, u"02|2|3"_s}));

        selectNode(0);
        click(window->Command4); // ↓
        QCOMPARE(itemData(window->List2), (QList<qint64>{ids[2], ids[0], ids[1]}));
        DbConnection().clearStatementLog();
        click(window->Command10);
        QVERIFY(DbConnection().statementLog().contains(reorderNodesSql({ids[2], ids[0], ids[1]})));
        QCOMPARE(reorderNodesSql({7, 3}), u" Update 作废恢复流程设置 Set 顺序=1 Where ID=7 Update 作废恢复流程设置 Set 顺序=2 Where ID=3"_s);
        QVERIFY(!window->Command10->isEnabled());
        QCOMPARE(storedNodes(*database, u"HF01"_s), (QStringList{u"02|2|1"_s, u"05|8|2"_s, u"02|1|3"_s}));
        // The list read again shows the stored order.
        clickGridRow(1);
        QCOMPARE(itemData(window->List2), (QList<qint64>{ids[2], ids[0], ids[1]}));
    }

    void movesAtTheEndsChangeNothingButEnableOk()
    {
        openPathWithNodes({{u"05"_s, u"8"_s}, {u"02"_s, u"1"_s}});
        const QStringList lines = listLines(window->List2);
        selectNode(0);
        click(window->Command3);
        QVERIFY(window->Command10->isEnabled());
        click(window->Command10);
        selectNode(1);
        click(window->Command4);
        QVERIFY(window->Command10->isEnabled());
        selectNode(-1);
        click(window->Command10);
        click(window->Command3); // no selection: still enables "OK"
        QVERIFY(window->Command10->isEnabled());
        QCOMPARE(listLines(window->List2), lines);
        QCOMPARE(storedNodes(*database, u"HF01"_s), (QStringList{u"05|8|1"_s, u"02|1|2"_s}));
        QCOMPARE(MessageBoxes::records().size(), 0);
    }

    void aRemovalBeforeOkLosesTheUnstoredMovesAndKeepsThePositionsWhole()
    {
        openPathWithNodes({{u"05"_s, u"8"_s}, {u"02"_s, u"1"_s}, {u"02"_s, u"2"_s}});
        selectNode(0);
        click(window->Command4); // shown: 1, 8, 2 — stored: 8, 1, 2
        // Remove node 8, now on the second line: it is stored first, so the nodes after
        // the first place move up.
        selectNode(1);
        click(window->Command2);
        QCOMPARE(storedNodes(*database, u"HF01"_s), (QStringList{u"02|1|1"_s, u"02|2|2"_s}));
        QCOMPARE(listLines(window->List2), (QStringList{u"财务处 财务处处长 [周明远]"_s, u"财务处 票据管理员 [张晓梅]"_s}));
    }

    void aRemovalOfANodeAlreadyGoneOnlyReloads()
    {
        openPathWithNodes({{u"05"_s, u"8"_s}, {u"02"_s, u"1"_s}});
        database->check().execute(u"delete from 作废恢复流程设置 where 岗位编号 = '8'"_s);
        selectNode(0);
        click(window->Command2);
        QCOMPARE(storedNodes(*database, u"HF01"_s), QStringList{u"02|1|2"_s});
        QCOMPARE(window->List2->listCount(), 1);
    }

    void okWithAnEmptyListDoesNothing()
    {
        openPathWithNodes({});
        click(window->Command3);
        DbConnection().clearStatementLog();
        click(window->Command10);
        QCOMPARE(DbConnection().statementLog(), QStringList());
        QCOMPARE(MessageBoxes::records().size(), 0);
    }

    void aFailedOkStoresNoneOfTheNewOrder()
    {
        openPathWithNodes({{u"05"_s, u"8"_s}, {u"02"_s, u"1"_s}, {u"02"_s, u"2"_s}});
        selectNode(2);
        click(window->Command3);
        const QStringList before = pathTables(*database);
        DbConnection().failAtStatement(2);
        click(window->Command10);
        DbConnection().failAtStatement(0);
        QCOMPARE(pathTables(*database), before);
        QCOMPARE(MessageBoxes::records().size(), 1);
        QVERIFY(window->Command10->isEnabled());
    }

    void theFrameFollowsThePathSelection()
    {
        openPathWithNodes({{u"05"_s, u"8"_s}});
        clickTreeNode(u"02"_s);
        QCOMPARE(window->List1->listCount(), 3);
        click(window->Command7); // 新增
        QVERIFY(!window->Frame2->isEnabled());
        QCOMPARE(window->List1->listCount(), 0);
        QCOMPARE(window->List2->listCount(), 0);
        click(window->Command7); // 取消
        QVERIFY(window->Frame2->isEnabled());
        QCOMPARE(window->List2->listCount(), 1);
    }
};

QTEST_MAIN(TestPathNodes)
#include "test_path_nodes.moc"
