#include "WindowDriver.h"
#include "platform/ui/FlexGrid.h"
#include "platform/ui/MessageBoxes.h"
#include "platform/ui/TextMeasure.h"
#include "shell/Module1.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>

class TestWindowUtilities : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void centreChildInClientArea();
    void centreFormFramedByMdiSubWindow();
    void centreTopLevelWindowUsesScreenCoordinates();
    void autoSizeColumns();
    void showInfoAndErrorBox();
};

void TestWindowUtilities::init()
{
    MessageBoxes::startScripting();
}

void TestWindowUtilities::cleanup()
{
    setMainClientArea(nullptr);
    MessageBoxes::stopScripting();
}

void TestWindowUtilities::centreChildInClientArea()
{
    QWidget area;
    area.resize(800, 600);
    auto *child = new QWidget(&area);
    child->resize(200, 100);
    child->move(7, 9);
    CenterChild(child); // no client area registered yet: nothing moves
    QCOMPARE(child->pos(), QPoint(7, 9));

    setMainClientArea(&area);
    QCOMPARE(MainClientArea(), &area);
    CenterChild(child);
    QCOMPARE(child->pos(), QPoint(300, 250));
    // Odd differences lose the half pixel, as whole twips would.
    child->resize(201, 101);
    CenterChild(child);
    QCOMPARE(child->pos(), QPoint(299, 249));
    // A window larger than the area is placed by the same formula.
    child->resize(1000, 700);
    CenterChild(child);
    QCOMPARE(child->pos(), QPoint(-100, -50));
}

void TestWindowUtilities::centreFormFramedByMdiSubWindow()
{
    QMdiArea area;
    area.resize(900, 700);
    QVERIFY(WindowDriver::show(&area));
    setMainClientArea(&area);
    auto *form = new QWidget;
    QMdiSubWindow *frame = area.addSubWindow(form);
    frame->resize(300, 200);
    frame->show();
    CenterChild(form);
    const QSize inner = area.viewport()->size();
    QCOMPARE(frame->pos(), QPoint((inner.width() - 300) / 2, (inner.height() - 200) / 2));
}

void TestWindowUtilities::centreTopLevelWindowUsesScreenCoordinates()
{
    QWidget area;
    area.resize(640, 480);
    setMainClientArea(&area);
    QWidget dialog;
    dialog.resize(240, 80);
    CenterChild(&dialog);
    QCOMPARE(dialog.frameGeometry().topLeft(), QPoint(200, 200));
}

void TestWindowUtilities::autoSizeColumns()
{
    FlexGrid grid;
    grid.setFormatString(QStringLiteral("<名称|>金额|<空列|^不动"));
    grid.setRows(4);
    grid.setTextMatrix(1, 0, QStringLiteral("一个很长很长的名称"));
    grid.setTextMatrix(2, 0, QStringLiteral("短"));
    grid.setTextMatrix(1, 1, QStringLiteral("12.50"));
    grid.setTextMatrix(1, 3, QStringLiteral("一段不会被量的文字"));
    grid.setTextMatrix(0, 2, QString());
    grid.setFixedAlignment(3, 9);
    grid.setColWidth(1, 5000); // measured columns also narrow
    const int untouched = grid.ColWidth(3);

    QWidget measuring;
    QFont font = measuring.font();
    font.setPointSize(font.pointSize() * 2);
    measuring.setFont(font);
    AutoSizeColumns(&grid, &measuring);

    QCOMPARE(grid.ColWidth(0), TextMeasure::widthTwips(font, QStringLiteral("一个很长很长的名称")) + 90);
    QCOMPARE(grid.ColWidth(1), std::max(TextMeasure::widthTwips(font, QStringLiteral("金额")),
                                        TextMeasure::widthTwips(font, QStringLiteral("12.50"))) + 90);
    QCOMPARE(grid.ColWidth(2), 90);
    QCOMPARE(grid.ColWidth(3), untouched);
}

void TestWindowUtilities::showInfoAndErrorBox()
{
    ShowInfo(QStringLiteral("已提交，请等待审批。"));
    ShowErrorBox(-2147467259, QStringLiteral("连接失败"), MessageBoxes::Icon::Information, QStringLiteral("提示"));
    ShowErrorBox(13, QStringLiteral("类型不匹配"), MessageBoxes::Icon::None, QString());
    const QList<MessageBoxes::Record> boxes = MessageBoxes::records();
    QCOMPARE(boxes.size(), 3);
    QCOMPARE(boxes[0].text, QStringLiteral("已提交，请等待审批。"));
    QCOMPARE(boxes[0].title, QStringLiteral("test_ui_window_utilities"));
    QCOMPARE(boxes[0].icon, MessageBoxes::Icon::Information);
    QCOMPARE(boxes[0].buttons, MessageBoxes::Buttons::Ok);
    QCOMPARE(boxes[1].text, QStringLiteral("错误号：-2147467259\r\n错误描述：连接失败"));
    QCOMPARE(boxes[1].title, QStringLiteral("提示"));
    QCOMPARE(boxes[1].icon, MessageBoxes::Icon::Information);
    QCOMPARE(boxes[2].title, QStringLiteral("Tessaline"));
    QCOMPARE(boxes[2].icon, MessageBoxes::Icon::None);
}

QTEST_MAIN(TestWindowUtilities)
#include "test_ui_window_utilities.moc"
