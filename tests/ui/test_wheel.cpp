#include "WindowDriver.h"
#include "platform/ui/FlexGrid.h"
#include "platform/ui/MessageBoxes.h"
#include "shell/Varnel1.h"

#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace {

// Sends one wheel notch to the grid's scrolling area; true when something took it.
bool turnWheel(FlexGrid &grid, int distance)
{
    const QPointF pos(10, 10);
    QWheelEvent event(pos, grid.viewport()->mapToGlobal(pos), QPoint(), QPoint(0, distance), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(grid.viewport(), &event);
    return event.isAccepted();
}

// Gives the grid's scrolling area exactly the height asked for.
void setViewportHeight(FlexGrid &grid, int height)
{
    grid.resize(grid.width(), grid.height() + height - grid.viewport()->height());
    QCoreApplication::processEvents();
}

// The stock-in window's handling: a click on a row hooks the wheel, losing the focus
// unhooks it when it is hooked.
struct HookingWindow : QWidget
{
    FlexGrid *grid = new FlexGrid(this);
    QLineEdit *other = new QLineEdit(this);
    bool hooked = false;

    HookingWindow()
    {
        auto *layout = new QVBoxLayout(this);
        layout->addWidget(grid);
        layout->addWidget(other);
        connect(grid, &FlexGrid::cellClicked, this, [this] {
            if (!hooked) {
                HookWheel(grid);
                hooked = true;
            }
            WheelGrid() = grid;
        });
        connect(grid, &FlexGrid::focusLost, this, [this] {
            if (hooked) {
                UnhookWheel(grid);
                hooked = false;
            }
        });
    }
};

} // namespace

class TestWheel : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void oneNotchScrollsOneRow();
    void gridWhoseRowsAllFitStays();
    void onlyLastRowHiddenScrollsTwoRows();
    void otherEventsPassUntouched();
    void unhookingRestoresNativeScrolling();
    void losingFocusWithoutClickLeavesGridAsItWas();
    void hookMovesToTheLatestGrid();

private:
    std::unique_ptr<FlexGrid> makeGrid(int rows);
};

void TestWheel::init()
{
    MessageBoxes::startScripting();
}

void TestWheel::cleanup()
{
    WheelGrid() = nullptr;
    MessageBoxes::stopScripting();
}

std::unique_ptr<FlexGrid> TestWheel::makeGrid(int rows)
{
    auto grid = std::make_unique<FlexGrid>();
    grid->setCols(3);
    grid->setRows(rows);
    for (int row = 0; row < rows; ++row)
        grid->setTextMatrix(row, 1, QString::number(row));
    grid->resize(300, 200);
    grid->show();
    if (!QTest::qWaitForWindowExposed(grid.get()))
        qFatal("grid not shown");
    return grid;
}

void TestWheel::oneNotchScrollsOneRow()
{
    auto grid = makeGrid(100);
    HookWheel(grid.get());
    WheelGrid() = grid.get();
    QVERIFY(turnWheel(*grid, -120));
    QCOMPARE(grid->TopRow(), 2);
    turnWheel(*grid, -120);
    QCOMPARE(grid->TopRow(), 3);
    turnWheel(*grid, 120);
    QCOMPARE(grid->TopRow(), 2);
    turnWheel(*grid, 120);
    turnWheel(*grid, 120);
    QCOMPARE(grid->TopRow(), 1); // never above the first scrolling row
    UnhookWheel(grid.get());
}

void TestWheel::gridWhoseRowsAllFitStays()
{
    auto grid = makeGrid(4);
    HookWheel(grid.get());
    WheelGrid() = grid.get();
    QVERIFY(grid->RowIsVisible(3));
    QVERIFY(turnWheel(*grid, -120));
    QCOMPARE(grid->TopRow(), 1);
    QVERIFY(MessageBoxes::records().isEmpty());
    UnhookWheel(grid.get());
}

void TestWheel::onlyLastRowHiddenScrollsTwoRows()
{
    // Rows 1 to 4 are 20 pixels high and row 5 is 60: in a 100-pixel area rows 1 to 4
    // show and row 5 does not. Scrolling by two brings rows 3 to 5 into view; one row
    // would have stopped at 2.
    auto grid = makeGrid(6);
    for (int row = 0; row < 5; ++row)
        grid->setRowHeight(row, 300);
    grid->setRowHeight(5, 900);
    setViewportHeight(*grid, 100);
    QVERIFY(grid->RowIsVisible(4));
    QVERIFY(!grid->RowIsVisible(5));
    HookWheel(grid.get());
    WheelGrid() = grid.get();
    turnWheel(*grid, -120);
    QCOMPARE(grid->TopRow(), 3);
    QVERIFY(grid->RowIsVisible(5));
    UnhookWheel(grid.get());
}

void TestWheel::otherEventsPassUntouched()
{
    auto grid = makeGrid(20);
    HookWheel(grid.get());
    WheelGrid() = grid.get();
    QSignalSpy clicks(grid.get(), &FlexGrid::cellClicked);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      grid->visualRect(grid->model()->index(3, 1)).center());
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(grid->Row(), 3);
    QTest::keyClick(grid.get(), Qt::Key_Down);
    QCOMPARE(grid->Row(), 4);
    // A sideways tilt is no notch of the vertical wheel.
    QWheelEvent tilt(QPointF(), QPointF(), QPoint(), QPoint(120, 0), Qt::NoButton, Qt::NoModifier,
                     Qt::NoScrollPhase, false);
    QVERIFY(!WheelWindowProc(grid->viewport(), &tilt));
    UnhookWheel(grid.get());
}

void TestWheel::unhookingRestoresNativeScrolling()
{
    auto grid = makeGrid(100);
    HookWheel(grid.get());
    WheelGrid() = grid.get();
    UnhookWheel(grid.get());
    turnWheel(*grid, -120);
    // The view's own scrolling moves by several rows a notch.
    QVERIFY(grid->TopRow() > 2);
}

void TestWheel::losingFocusWithoutClickLeavesGridAsItWas()
{
    HookingWindow window;
    window.grid->setCols(3);
    window.grid->setRows(100);
    window.resize(300, 300);
    QVERIFY(WindowDriver::show(&window));
    window.activateWindow();

    // Focus comes and goes by keyboard: nothing is hooked or unhooked.
    QSignalSpy focusLost(window.grid, &FlexGrid::focusLost);
    window.grid->setFocus(Qt::TabFocusReason);
    window.other->setFocus(Qt::TabFocusReason);
    QCOMPARE(focusLost.count(), 1);
    QVERIFY(!window.hooked);
    turnWheel(*window.grid, -120);
    QVERIFY(window.grid->TopRow() > 2); // still the view's own scrolling

    // A click hooks; leaving the grid unhooks.
    window.grid->setTopRow(1);
    QTest::mouseClick(window.grid->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(window.hooked);
    turnWheel(*window.grid, -120);
    QCOMPARE(window.grid->TopRow(), 2);
    window.other->setFocus(Qt::TabFocusReason);
    QVERIFY(!window.hooked);
    turnWheel(*window.grid, -120);
    QVERIFY(window.grid->TopRow() > 3);
}

void TestWheel::hookMovesToTheLatestGrid()
{
    auto first = makeGrid(100);
    auto second = makeGrid(100);
    HookWheel(first.get());
    HookWheel(second.get());
    WheelGrid() = second.get();
    // The first grid scrolls by itself again; unhooking it changes nothing.
    UnhookWheel(first.get());
    turnWheel(*first, -120);
    QVERIFY(first->TopRow() > 2);
    turnWheel(*second, -120);
    QCOMPARE(second->TopRow(), 2);
    UnhookWheel(second.get());
}

QTEST_MAIN(TestWheel)
#include "test_wheel.moc"
