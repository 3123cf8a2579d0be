#include "WindowDriver.h"
#include "platform/ui/KeyedTree.h"
#include "platform/db/DbError.h"

#include <QApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>

namespace {

// What the tree shows when the mouse rests on a node: the tooltip's text, empty for none.
QString tooltipOver(KeyedTree &tree, QTreeWidgetItem *node)
{
    const QPoint at = tree.visualItemRect(node).center();
    QHelpEvent rest(QEvent::ToolTip, at, tree.viewport()->mapToGlobal(at));
    QApplication::sendEvent(tree.viewport(), &rest);
    return QToolTip::isVisible() ? QToolTip::text() : QString();
}

// The charge-item tree of the report window: categories with their items right after.
void fillChargeItems(KeyedTree &tree)
{
    tree.setCheckBoxes(true);
    tree.addNode(QStringLiteral("L办公"), QStringLiteral("办公"), 8);
    tree.addChild(QStringLiteral("L办公"), QStringLiteral("X01"), QStringLiteral("资料费"), 7);
    tree.addChild(QStringLiteral("L办公"), QStringLiteral("X02"), QStringLiteral("复印费"), 7);
    tree.addNode(QStringLiteral("L培训"), QStringLiteral("培训"), 8);
    tree.addChild(QStringLiteral("L培训"), QStringLiteral("X10"), QStringLiteral("培训费"), 7);
    tree.addNode(QStringLiteral("L空"), QStringLiteral("空类别"), 8);
}

} // namespace

class TestKeyedTree : public QObject
{
    Q_OBJECT

private slots:
    void nodesAreNumberedInTheOrderAdded();
    void walkByFirstChildAndNextSibling();
    void keysMustBeUniqueAndParentsExist();
    void operatorTicksReportNodeCheck();
    void selectionColourAndClicks();
    void cutOffTextShowsAsTooltip();
};

void TestKeyedTree::nodesAreNumberedInTheOrderAdded()
{
    KeyedTree tree;
    fillChargeItems(tree);
    QCOMPARE(tree.count(), 6);
    QStringList keys;
    for (int index = 1; index <= tree.count(); ++index)
        keys << tree.key(index);
    QCOMPARE(keys, QStringList({"L办公", "X01", "X02", "L培训", "X10", "L空"}));
    QCOMPARE(tree.indexOfKey(QStringLiteral("X10")), 5);
    QCOMPARE(tree.text(5), QStringLiteral("培训费"));
    QCOMPARE(tree.image(5), 7);
    QCOMPARE(tree.parentOf(5), 4);
    QCOMPARE(tree.parentOf(4), 0);
    QCOMPARE(tree.key(7), QString());

    // Clearing starts the numbering again.
    tree.clearNodes();
    QCOMPARE(tree.count(), 0);
    QCOMPARE(tree.addNode(QStringLiteral("B01"), QStringLiteral("01 总务处"), 1), 1);
    QCOMPARE(tree.indexOfKey(QStringLiteral("X10")), 0);
}

void TestKeyedTree::walkByFirstChildAndNextSibling()
{
    // Departments nested deeper than one level, children added after other roots.
    KeyedTree tree;
    tree.addNode(QStringLiteral("$01"), QStringLiteral("01 总务处"), 1);        // 1
    tree.addNode(QStringLiteral("$02"), QStringLiteral("02 财务处"), 1);        // 2
    tree.addChild(QStringLiteral("$01"), QStringLiteral("$0101"), QStringLiteral("0101 车队"), 1);   // 3
    tree.addChild(QStringLiteral("$0101"), QStringLiteral("$010101"), QStringLiteral("车间"), 1);   // 4
    tree.addChild(QStringLiteral("$01"), QStringLiteral("$0102"), QStringLiteral("0102 食堂"), 1);   // 5

    QCOMPARE(tree.childCount(1), 2);
    QCOMPARE(tree.firstChild(1), 3);
    QCOMPARE(tree.nextSibling(3), 5);
    QCOMPARE(tree.nextSibling(5), 0);
    QCOMPARE(tree.nextSibling(1), 2);
    QCOMPARE(tree.firstChild(3), 4);
    QCOMPARE(tree.firstChild(2), 0);

    // A depth-first walk with these members visits the tree in display order.
    QStringList order;
    std::function<void(int)> walk = [&](int index) {
        for (; index != 0; index = tree.nextSibling(index)) {
            order << tree.key(index);
            walk(tree.firstChild(index));
        }
    };
    walk(1);
    QCOMPARE(order, QStringList({"$01", "$0101", "$010101", "$0102", "$02"}));
}

void TestKeyedTree::keysMustBeUniqueAndParentsExist()
{
    KeyedTree tree;
    QCOMPARE(tree.addNode(QStringLiteral("21P"), QStringLiteral("21 全电票"), 2), 1);
    try {
        tree.addNode(QStringLiteral("21P"), QStringLiteral("again"), 1);
        QFAIL("a taken key was accepted");
    } catch (const db::DbError &error) {
        QCOMPARE(error.number(), KeyedTree::KeyNotUnique);
        QVERIFY2(error.description().contains(QStringLiteral("21P")), qPrintable(error.description()));
    }
    try {
        tree.addChild(QStringLiteral("missing"), QStringLiteral("k"), QStringLiteral("t"), 1);
        QFAIL("a child of no node was accepted");
    } catch (const db::DbError &error) {
        QCOMPARE(error.number(), KeyedTree::ElementNotFound);
        QVERIFY2(error.description().contains(QStringLiteral("missing")), qPrintable(error.description()));
    }
    QCOMPARE(tree.indexOfKey(QStringLiteral("k")), 0);
    QCOMPARE(tree.addNode(QString(), QStringLiteral("no key"), 1), 2);
    QCOMPARE(tree.addNode(QString(), QStringLiteral("no key either"), 1), 3);
    QCOMPARE(tree.count(), 3);
    QCOMPARE(tree.text(1), QStringLiteral("21 全电票"));
}

void TestKeyedTree::operatorTicksReportNodeCheck()
{
    KeyedTree tree;
    fillChargeItems(tree);
    tree.expandAll();
    QVERIFY(WindowDriver::show(&tree));
    QSignalSpy checks(&tree, &KeyedTree::nodeChecked);

    // Ticks set in code are not reported.
    tree.setChecked(2, true);
    QVERIFY(tree.isChecked(2));
    QCOMPARE(checks.count(), 0);
    tree.setForeColor(2, Qt::blue);
    QCOMPARE(checks.count(), 0);

    // The operator ticks the category with the space bar.
    tree.setSelectedIndex(1);
    tree.setFocus();
    QTest::keyClick(&tree, Qt::Key_Space);
    QCOMPARE(checks.count(), 1);
    QCOMPARE(checks.first().first().toInt(), 1);
    QVERIFY(tree.isChecked(1));

    tree.setCheckBoxes(false);
    QVERIFY(!tree.isChecked(1));
}

void TestKeyedTree::selectionColourAndClicks()
{
    KeyedTree tree;
    QCOMPARE(tree.selectedIndex(), 0);
    tree.addNode(QStringLiteral("21P"), QStringLiteral("21 全电票（普通）"), 1);
    tree.addNode(QStringLiteral("22P"), QStringLiteral("22 全电票（专用）"), 2);
    tree.setForeColor(2, QColor(0, 0, 255));
    tree.setSelectedIndex(2);
    QCOMPARE(tree.selectedIndex(), 2);
    QCOMPARE(tree.foreColor(2), QColor(0, 0, 255));
    QVERIFY(tree.foreColor(1) != QColor(0, 0, 255));

    QVERIFY(WindowDriver::show(&tree));
    QSignalSpy clicks(&tree, &KeyedTree::nodeClicked);
    QSignalSpy doubleClicks(&tree, &KeyedTree::nodeDoubleClicked);
    const QPoint first = tree.visualItemRect(tree.topLevelItem(0)).center();
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, first);
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(clicks.first().first().toInt(), 1);
    QCOMPARE(tree.selectedIndex(), 1);
    QTest::mouseDClick(tree.viewport(), Qt::LeftButton, {}, first);
    QCOMPARE(doubleClicks.count(), 1);
    QCOMPARE(doubleClicks.first().first().toInt(), 1);
}

void TestKeyedTree::cutOffTextShowsAsTooltip()
{
    QToolTip::hideText();
    QTRY_VERIFY(!QToolTip::isVisible());
    const QString canteen = QStringLiteral("0102 后勤集团饮食服务中心第一学生食堂票据管理组");
    KeyedTree tree;
    tree.setCheckBoxes(true);
    tree.addNode(QStringLiteral("$01"), QStringLiteral("01 总务处"), 1);
    tree.addChild(QStringLiteral("$01"), QStringLiteral("$0102"), canteen, 1);
    tree.addNode(QStringLiteral("$02"), QStringLiteral("02"), 1);
    tree.expandAll();
    tree.resize(180, 160);
    QVERIFY(WindowDriver::show(&tree));
    QTreeWidgetItem *office = tree.topLevelItem(0);
    QTreeWidgetItem *canteenNode = office->child(0);

    // Nodes that fit show nothing; the cut-off one shows its whole text.
    QCOMPARE(tooltipOver(tree, tree.topLevelItem(1)), QString());
    QCOMPARE(tooltipOver(tree, office), QString());
    QCOMPARE(tooltipOver(tree, canteenNode), canteen);

    // Resting on a node that fits takes the tooltip away again.
    tooltipOver(tree, office);
    QTRY_VERIFY(!QToolTip::isVisible());

    // Wide enough for the whole text, the node shows none either.
    tree.resize(QFontMetrics(tree.font()).horizontalAdvance(canteen) + 200, 160);
    QApplication::processEvents();
    QTRY_COMPARE(tooltipOver(tree, canteenNode), QString());

    // Scrolled partly out of sight sideways, the text is cut off by the viewport's edge.
    tree.header()->setStretchLastSection(false);
    tree.header()->resizeSection(0, QFontMetrics(tree.font()).horizontalAdvance(canteen) + 150);
    tree.resize(180, 160);
    QApplication::processEvents();
    tree.horizontalScrollBar()->setValue(40);
    QCOMPARE(tooltipOver(tree, canteenNode), canteen);
}

QTEST_MAIN(TestKeyedTree)
#include "test_keyedtree.moc"
