// The small controls as an operator uses them: dates typed over the selected text, an
// entry chosen again from an open drop-down list.
#include "WindowDriver.h"
#include "platform/Clock.h"
#include "platform/ui/DatePicker.h"
#include "platform/ui/DropDownList.h"

#include <QAbstractItemView>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

class TestOperatorInput : public QObject
{
    Q_OBJECT

    // A date as a picker shows it.
    static QString shownAs(const QDate &date)
    {
        DatePicker picker;
        picker.setValue(date);
        return picker.text();
    }

private slots:
    void init() { setClockForTests(QDateTime(QDate(2026, 12, 10), QTime(9, 0))); }
    void cleanup() { setClockForTests(QDateTime()); }

    void typedDatesTakeTheYearAsTyped_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QDate>("taken");
        QTest::newRow("slashes") << "2025/03/15" << QDate(2025, 3, 15);
        QTest::newRow("short parts") << "2025/3/5" << QDate(2025, 3, 5);
        QTest::newRow("dashes") << "2024-02-29" << QDate(2024, 2, 29);
        QTest::newRow("eight digits") << "20250315" << QDate(2025, 3, 15);
        QTest::newRow("year only keeps month and day") << "2019" << QDate(2019, 12, 10);
        QTest::newRow("no such day: the date stays") << "2025/02/30" << QDate(2026, 12, 10);
        QTest::newRow("not a date: the date stays") << "2025/13" << QDate(2026, 12, 10);
    }

    // Typed over the whole text (Ctrl+A) and left with Enter, Tab, or read by the
    // window while the focus is still in the field.
    void typedDatesTakeTheYearAsTyped()
    {
        QFETCH(QString, typed);
        QFETCH(QDate, taken);
        for (const Qt::Key leaving : {Qt::Key_Return, Qt::Key_Tab, Qt::Key_unknown}) {
            QWidget window;
            auto *picker = new DatePicker(&window);
            new QLineEdit(&window); // where Tab goes
            window.show();
            picker->setFocus();
            QTest::keyClick(picker, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(picker, typed);
            if (leaving != Qt::Key_unknown)
                QTest::keyClick(picker, leaving);
            QCOMPARE(picker->value(), taken);
            QCOMPARE(picker->text(), shownAs(taken));
        }
    }

    void typingCanBeCorrectedAndCancelled()
    {
        DatePicker picker;
        picker.show();
        picker.setFocus();
        QTest::keyClick(&picker, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(&picker, QStringLiteral("2024/1"));
        QTest::keyClick(&picker, Qt::Key_Backspace);
        QTest::keyClicks(&picker, QStringLiteral("2/29"));
        QTest::keyClick(&picker, Qt::Key_Return);
        QCOMPARE(picker.value(), QDate(2024, 2, 29));

        QTest::keyClick(&picker, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(&picker, QStringLiteral("1999/1/1"));
        QTest::keyClick(&picker, Qt::Key_Escape);
        QCOMPARE(picker.value(), QDate(2024, 2, 29));
        QCOMPARE(picker.text(), shownAs(QDate(2024, 2, 29)));
    }

    // Choosing the entry already shown, from the open list with the mouse or with
    // Enter, runs the list's handler again as choosing any entry does.
    void choosingTheShownEntryAgainIsReported()
    {
        DropDownList combo;
        combo.addLine(QStringLiteral("作废恢复"));
        combo.addLine(QStringLiteral("其他"));
        combo.setListIndex(0);
        QVERIFY(WindowDriver::show(&combo));
        QSignalSpy chosen(&combo, &DropDownList::entryChosen);

        WindowDriver::chooseEntry(&combo, 0);
        QCOMPARE(chosen.count(), 1);

        QAbstractItemView *view = combo.view();
        combo.showPopup();
        QTRY_VERIFY(view->isVisible());
        QTest::keyClick(view, Qt::Key_Down);
        QTest::keyClick(view, Qt::Key_Return);
        QTRY_VERIFY(!view->isVisible());
        QCOMPARE(combo.listIndex(), 1);
        QCOMPARE(chosen.count(), 2); // a change is reported once

        combo.showPopup();
        QTRY_VERIFY(view->isVisible());
        QTest::keyClick(view, Qt::Key_Escape); // closing the list chooses nothing
        QTRY_VERIFY(!view->isVisible());
        QCOMPARE(chosen.count(), 2);
    }
};

QTEST_MAIN(TestOperatorInput)
#include "test_operator_input.moc"
