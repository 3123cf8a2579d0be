#pragma once

// The organisation and the window the approval path tests share.
#include "ShownMessages.h"
#include "GridRows.h"
#include "Staff.h"
#include "TestDatabase.h"
#include "WindowDriver.h"
#include "platform/db/Recordset.h"
#include "platform/ui/DatePicker.h"
#include "platform/ui/DropDownList.h"
#include "platform/ui/FlexGrid.h"
#include "platform/ui/KeyedTree.h"
#include "platform/ui/ListBox.h"
#include "platform/ui/MessageBoxes.h"
#include "platform/ui/TextMeasure.h"
#include "platform/ui/Twips.h"
#include "restore/frm恢复流程设置.h"
#include "shell/AppState.h"
#include "shell/Program.h"

#include <QAbstractItemView>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

using namespace Qt::StringLiterals;

inline const QDate FixtureToday(2026, 12, 9);

inline void addParent(TestDatabase &db, const QString &department, const QString &parent, const QString &since)
{
    db.insert(u"上级部门new"_s, {{u"职能部门编号"_s, department}, {u"上级部门编号"_s, parent}, {u"起始日期"_s, since}});
}

inline qlonglong addPath(TestDatabase &db, const QString &code, const QString &name, const QString &category,
                         const QString &setOn, const QVariant &endedOn = QVariant())
{
    return db.insert(u"作废恢复流程"_s, {{u"流程代号"_s, code},
                                         {u"流程名称"_s, name},
                                         {u"作废恢复类别"_s, u"作废恢复"_s},
                                         {u"部门类别"_s, category},
                                         {u"设置日期"_s, setOn},
                                         {u"终止日期"_s, endedOn}});
}

inline qlonglong addNode(TestDatabase &db, const QString &path, const QString &department, const QString &post, int position)
{
    return db.insert(u"作废恢复流程设置"_s,
                     {{u"流程代号"_s, path}, {u"部门编号"_s, department}, {u"岗位编号"_s, post}, {u"顺序"_s, position}});
}

// A university: 01 滨江大学 over 02 财务处 and 05 后勤集团, which is over 06 物业管理中心;
// categories 01 机关部门, 02 后勤服务单位 and the ended 09.
inline void addOrganisation(TestDatabase &db)
{
    addDepartmentCategory(db, u"01"_s, u"机关部门"_s);
    addDepartmentCategory(db, u"02"_s, u"后勤服务单位"_s);
    db.insert(u"职能部门类别"_s, {{u"部门类别代号"_s, u"09"_s}, {u"部门类别名称"_s, u"已撤销类别"_s}, {u"终止日期"_s, u"2020-01-01"_s}});
    addDepartment(db, u"01"_s, u"滨江大学"_s, u"01"_s, QVariant(), 1);
    addDepartment(db, u"02"_s, u"财务处"_s, u"01"_s, QVariant(), 2);
    addDepartment(db, u"05"_s, u"后勤集团"_s, u"02"_s, QVariant(), 3);
    addDepartment(db, u"06"_s, u"物业管理中心"_s, u"02"_s, QVariant(), 4);
    addParent(db, u"02"_s, u"01"_s, u"2018-01-01"_s);
    addParent(db, u"05"_s, u"01"_s, u"2018-01-01"_s);
    addParent(db, u"06"_s, u"05"_s, u"2018-01-01"_s);
    // Post 10 is vacant, 11 ended.
    addStaff(db, {{u"1001"_s, u"周明远"_s}, {u"1002"_s, u"张晓梅"_s}, {u"1007"_s, u"王建国"_s}},
             {{u"1"_s, u"财务处处长"_s, u"02"_s, u"01"_s, u"1001"_s}, {u"2"_s, u"票据管理员"_s, u"02"_s, u"03"_s, u"1002"_s},
              {u"10"_s, u"审计员"_s, u"02"_s, u"02"_s}, {u"11"_s, u"出纳"_s, u"02"_s, u"03"_s, u"1002"_s, u"2025-01-01"_s},
              {u"8"_s, u"后勤集团财务科长"_s, u"05"_s, u"03"_s, u"1007"_s}});
}

// A dump of the two path tables, to compare before and after a failure.
inline QStringList pathTables(TestDatabase &db)
{
    QStringList rows;
    for (const QString &sql : {u"select ID, 流程代号, 流程名称, 作废恢复类别, 部门类别, 设置日期, 终止日期 from 作废恢复流程 order by ID"_s,
                               u"select ID, 流程代号, 部门编号, 岗位编号, 顺序, 备注 from 作废恢复流程设置 order by ID"_s}) {
        db::Recordset r = db.check().open(sql);
        for (; !r.eof(); r.moveNext()) {
            QStringList cells;
            for (int c = 0; c < r.columnNames().size(); ++c)
                cells << (r.value(c).isNull() ? u"NULL"_s : r.text(c));
            rows << cells.join(u'|');
        }
        rows << u"--"_s;
    }
    return rows;
}

// The stored nodes of a path, "department|post|position" in position order.
inline QStringList storedNodes(TestDatabase &db, const QString &path)
{
    return db.rows(u"select 部门编号, 岗位编号, 顺序 from 作废恢复流程设置 where 流程代号 = '%1' order by 顺序, ID"_s.arg(path));
}

// The rows "删除" and "终止" of the column "terminate", for a test of both ways a path is
// taken out of use.
inline void addDeleteAndTerminateRows()
{
    QTest::addColumn<bool>("terminate");
    QTest::newRow("删除") << false;
    QTest::newRow("终止") << true;
}

// The window, opened on a fresh database the test fills first.
class ApprovalPathWindowFixture : public QObject
{
protected:
    std::unique_ptr<TestDatabase> database;
    QPointer<frm恢复流程设置> window;

    void setUpDatabase()
    {
        database = WindowDriver::startWindowTest(QDateTime(FixtureToday, QTime(9, 0)));
        addOrganisation(*database);
    }

    void tearDownWindow()
    {
        WindowDriver::finishWindowTest(window, database);
    }

    bool openWindow() { return WindowDriver::open(window); }

    void chooseType() { WindowDriver::chooseEntry(window->Combo1, 0); }

    // Clicks as the operator can: only an enabled button.
    void click(QPushButton *button)
    {
        QVERIFY2(button->isEnabled(), qPrintable(button->text()));
        WindowDriver::click(button);
    }

    void clickAnswering(QPushButton *button, MessageBoxes::Answer answer)
    {
        QVERIFY2(button->isEnabled(), qPrintable(button->text()));
        WindowDriver::clickAnswering(button, answer);
    }

    // A click on the line of the list; with no line (-1) the list is left without a selection.
    void selectLine(ListBox *list, int line)
    {
        if (line < 0)
            list->setListIndex(-1);
        else
            WindowDriver::clickCell(list, line, 0);
    }

    void clickGridRow(int row) { WindowDriver::clickCell(window->MSFlexGrid1, row, 1); }

    QStringList gridRow(int row) const { return gridRowOf(*window->MSFlexGrid1, row); }

    QStringList listLines(ListBox *list) const
    {
        QStringList lines;
        for (int i = 0; i < list->listCount(); ++i)
            lines << list->lineText(i);
        return lines;
    }

};
