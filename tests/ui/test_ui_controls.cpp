#include "WindowDriver.h"
#include "platform/ui/CheckBox.h"
#include "platform/Clock.h"
#include "platform/ui/DatePicker.h"
#include "platform/ui/DropDownList.h"
#include "platform/ui/ListBox.h"
#include "platform/ui/MultiLineTextBox.h"
#include "platform/ui/StatusBar.h"
#include "platform/ui/Twips.h"

#include <QSignalSpy>
#include <QTest>

class TestUiControls : public QObject
{
    Q_OBJECT

private slots:
    void twipsAreFifteenToAPixel();
    void statusBarPanelsAreNumberedFromOne();
    void listLinesCarryItemData();
    void removingTheChosenLineChoosesNoOther();
    void aClickedLineIsReportedOnceItIsSelected();
    void dropDownListSelectsNothingUntilAsked();
    void smallControlsKeepTheirValues();
};

void TestUiControls::twipsAreFifteenToAPixel()
{
    QCOMPARE(Twips::toPixels(1440), 96);
    QCOMPARE(Twips::toPixels(90), 6);
    QCOMPARE(Twips::toPixels(7), 0);
    QCOMPARE(Twips::toPixels(8), 1);
    QCOMPARE(Twips::fromPixels(20), 300);
    QCOMPARE(Twips::rect(2670, 390, 13200, 4155), QRect(178, 26, 880, 277));
    QWidget parent;
    auto *child = new QWidget(&parent);
    Twips::place(child, 90, 120, 2565, 7425);
    QCOMPARE(child->geometry(), QRect(6, 8, 171, 495));
}

void TestUiControls::statusBarPanelsAreNumberedFromOne()
{
    StatusBar bar(4);
    QCOMPARE(bar.panelCount(), 4);
    bar.setPanelText(2, QStringLiteral(" 总务处"));
    bar.setPanelText(4, QStringLiteral(" 出纳"));
    bar.setPanelText(5, QStringLiteral("ignored"));
    QCOMPARE(bar.panelText(2), QStringLiteral(" 总务处"));
    QCOMPARE(bar.panelText(4), QStringLiteral(" 出纳"));
    QCOMPARE(bar.panelText(1), QString());
    QCOMPARE(bar.panelText(5), QString());
}

void TestUiControls::listLinesCarryItemData()
{
    ListBox list;
    QSignalSpy chosen(&list, &ListBox::lineChosen);
    QCOMPARE(list.addLine(QStringLiteral("03总务处12 总务处2011-05-03审批中 1"), 412), 0);
    QCOMPARE(list.addLine(QStringLiteral("03总务处13 总务处2011-05-04审批中 2"), 413), 1);
    QCOMPARE(list.listIndex(), -1);
    QCOMPARE(chosen.count(), 0);
    list.setListIndex(1);
    QCOMPARE(chosen.count(), 1);
    QCOMPARE(list.listIndex(), 1);
    QCOMPARE(list.itemData(list.listIndex()), 413);
    list.setItemData(0, 99);
    QCOMPARE(list.itemData(0), 99);
    list.setLineText(0, QStringLiteral("改"));
    QCOMPARE(list.lineText(0), QStringLiteral("改"));
    list.removeLine(0);
    QCOMPARE(list.listCount(), 1);
    QCOMPARE(list.itemData(0), 413);
    list.setListIndex(-1);
    QCOMPARE(list.listIndex(), -1);
}

void TestUiControls::removingTheChosenLineChoosesNoOther()
{
    ListBox list;
    for (int i = 0; i < 3; ++i)
        list.addLine(QStringLiteral("申请 %1").arg(i), 100 + i);
    list.setListIndex(1);
    QSignalSpy chosen(&list, &ListBox::lineChosen);
    // The decided line goes; the line after it must not load behind the operator's back.
    list.removeLine(1);
    QCOMPARE(chosen.count(), 0);
    QCOMPARE(list.listIndex(), -1);
    QVERIFY(list.selectedItems().isEmpty());
    QCOMPARE(list.listCount(), 2);
    QCOMPARE(list.itemData(1), 102);

    // The last line too, and a line that was not chosen.
    list.setListIndex(1);
    chosen.clear();
    list.removeLine(1);
    list.removeLine(0);
    QCOMPARE(chosen.count(), 0);
    QCOMPARE(list.listCount(), 0);
    QCOMPARE(list.listIndex(), -1);

    // Choosing still reports afterwards.
    list.addLine(QStringLiteral("新"), 1);
    list.setListIndex(0);
    QCOMPARE(chosen.count(), 1);
}

// A mouse press makes a line current before it selects it: the window that reads the
// line when it is reported must get the clicked line, and each line only once.
void TestUiControls::aClickedLineIsReportedOnceItIsSelected()
{
    ListBox list;
    for (int i = 0; i < 3; ++i)
        list.addLine(QStringLiteral("申请 %1").arg(i), 300 + i);
    list.resize(240, 120);
    QVERIFY(WindowDriver::show(&list));
    list.setListIndex(0);
    QList<qint64> reported;
    connect(&list, &ListBox::lineChosen, &list, [&] { reported << list.itemData(list.listIndex()); });

    const QPoint third = list.visualItemRect(list.item(2)).center();
    QTest::mousePress(list.viewport(), Qt::LeftButton, {}, third);
    QTest::mouseRelease(list.viewport(), Qt::LeftButton, {}, third);
    QCOMPARE(reported, QList<qint64>{302});
    QCOMPARE(list.listIndex(), 2);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, third); // the chosen line again
    QTest::keyClick(&list, Qt::Key_Up);
    QCOMPARE(reported, (QList<qint64>{302, 301}));
}

void TestUiControls::dropDownListSelectsNothingUntilAsked()
{
    DropDownList combo;
    QSignalSpy chosen(&combo, &DropDownList::entryChosen);
    combo.addLine(QStringLiteral("01 一处"));
    combo.addLine(QStringLiteral("02 二处"));
    QCOMPARE(combo.listIndex(), -1);
    QCOMPARE(combo.text(), QString());
    QCOMPARE(chosen.count(), 0);
    combo.setListIndex(1);
    QCOMPARE(combo.text(), QStringLiteral("02 二处"));
    QCOMPARE(chosen.count(), 1);
    combo.setListIndex(-1);
    QCOMPARE(combo.text(), QString());
    QCOMPARE(chosen.count(), 2);
    combo.setListIndex(0);
    combo.clearLines();
    QCOMPARE(combo.listCount(), 0);
    QCOMPARE(chosen.count(), 3); // emptying the list is no choice
}

void TestUiControls::smallControlsKeepTheirValues()
{
    CheckBox check(QStringLiteral("全选"));
    QSignalSpy changed(&check, &CheckBox::valueChanged);
    check.setValue(1);
    QCOMPARE(check.value(), 1);
    QCOMPARE(changed.count(), 1);

    DatePicker picker;
    QCOMPARE(picker.value(), QDate::currentDate());
    picker.setValue(QDate(2011, 5, 3));
    QCOMPARE(picker.value(), QDate(2011, 5, 3));

    // A picker starts at the program's today, which tests set.
    setClockForTests(QDateTime(QDate(2011, 3, 15), QTime(9, 30)));
    DatePicker setDay;
    setClockForTests(QDateTime());
    QCOMPARE(setDay.value(), QDate(2011, 3, 15));

    MultiLineTextBox box;
    box.setText(QStringLiteral("第一行\n第二行"));
    QCOMPARE(box.text(), QStringLiteral("第一行\n第二行"));
    box.setLocked(true);
    QVERIFY(box.locked());
}

QTEST_MAIN(TestUiControls)
#include "test_ui_controls.moc"
