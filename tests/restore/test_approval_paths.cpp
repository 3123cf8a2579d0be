// The approval path window's paths: listing the paths in force, entering, saving,
// editing, terminating and deleting a path, with the buttons, frames and tables checked
// at every step.
#include "ApprovalPathFixture.h"
#include "platform/ui/DisplayFormats.h"
#include "restore/ApprovalPathSql.h"

namespace {

// What the window shows of its state.
struct State
{
    QString caption;
    bool add, save, end, remove, pathFields, codeLocked, nodeEditor;
    bool operator==(const State &) const = default;
};

char *toString(const State &s)
{
    return qstrdup(qPrintable(u"%1 add=%2 save=%3 end=%4 remove=%5 fields=%6 locked=%7 nodes=%8"_s.arg(s.caption)
                                  .arg(s.add).arg(s.save).arg(s.end).arg(s.remove).arg(s.pathFields).arg(s.codeLocked)
                                  .arg(s.nodeEditor)));
}

const State Browsing{u"新增"_s, true, false, false, false, false, false, false};
const State NewPath{u"取消"_s, true, true, false, false, true, false, false};
const State PathSelected{u"新增"_s, true, true, true, true, true, true, true};

} // namespace

class TestApprovalPaths : public ApprovalPathWindowFixture
{
    Q_OBJECT

    State state() const
    {
        const frm恢复流程设置 *w = window;
        return {w->Command7->text(), w->Command7->isEnabled(), w->Command6->isEnabled(), w->Command8->isEnabled(),
                w->Command9->isEnabled(), w->Frame3->isEnabled(),
                // Whether the code is locked matters only while the fields can be used.
                w->Frame3->isEnabled() && w->Text1->isReadOnly(), w->Frame2->isEnabled()};
    }

    // Two paths in force, one terminated, one of another type.
    void addPaths()
    {
        addPath(*database, u"HF01"_s, u"后勤服务单位作废恢复"_s, u"02"_s, u"2026-01-05"_s);
        addPath(*database, u"HF02"_s, u"机关部门作废恢复"_s, u"01"_s, u"2026-02-10"_s);
        addPath(*database, u"HF00"_s, u"旧路径"_s, u"01"_s, u"2024-01-01"_s, u"2025-06-30"_s);
        database->insert(u"作废恢复流程"_s, {{u"流程代号"_s, u"QT01"_s}, {u"流程名称"_s, u"其他类别"_s}, {u"作废恢复类别"_s, u"其他"_s},
                                             {u"部门类别"_s, u"01"_s}, {u"设置日期"_s, u"2026-01-01"_s}});
        addNode(*database, u"HF01"_s, u"05"_s, u"8"_s, 1);
        addNode(*database, u"HF01"_s, u"02"_s, u"1"_s, 2);
        addNode(*database, u"HF02"_s, u"02"_s, u"1"_s, 1);
    }

    QString pathValue(const QString &code, const QString &column)
    {
        return database->scalar(u"select %1 from 作废恢复流程 where 流程代号 = '%2'"_s.arg(column, code)).toString();
    }

    void typePath(const QString &code, const QString &name, int category, const QDate &setOn)
    {
        WindowDriver::typeOver(window->Text1, code);
        WindowDriver::typeOver(window->Text2, name);
        if (category >= 0)
            WindowDriver::chooseEntry(window->Combo2, category);
        WindowDriver::typeDate(window->DTPicker1, setOn);
    }

private slots:
    void init() { setUpDatabase(); }
    void cleanup() { tearDownWindow(); }

    // ---------------------------------------------------------------- opening and listing

    void opensWithTheTypeAndTheCategoriesInForce()
    {
        QVERIFY(openWindow());
        QCOMPARE(window->windowTitle(), u"恢复流程设置"_s);
        QCOMPARE(window->Combo1->listCount(), 1);
        QCOMPARE(window->Combo1->lineText(0), u"作废恢复"_s);
        QCOMPARE(window->Combo1->listIndex(), -1);
        QCOMPARE(window->Combo2->listCount(), 2);
        QCOMPARE(window->Combo2->lineText(0), u"01 机关部门"_s);
        QCOMPARE(window->Combo2->lineText(1), u"02 后勤服务单位"_s);
        QCOMPARE(window->MSFlexGrid1->Rows(), 1);
        QCOMPARE(window->MSFlexGrid1->Cols(), 6);
        QCOMPARE(window->MSFlexGrid1->TextMatrix(0, 1).trimmed(), u"流程代号及名称"_s);
        QCOMPARE(state(), (State{u"新增"_s, false, false, false, false, true, false, false}));
        QVERIFY(!window->Command10->isEnabled());
        QCOMPARE(window->Label3[5]->text(), u"职能部门及岗位"_s);
        QCOMPARE(window->Frame2->title(), u"流转节点设置"_s);
        QCOMPARE(window->size(), Twips::size(10980, 8115));
    }

    void aFailureWhileOpeningIsShownWithoutAnIcon()
    {
        DbConnection().failAtStatement(1);
        QVERIFY(openWindow());
        const QList<MessageBoxes::Record> boxes = MessageBoxes::records();
        QCOMPARE(boxes.size(), 1);
        QVERIFY(boxes[0].text.startsWith(u"错误号："_s));
        QCOMPARE(boxes[0].icon, MessageBoxes::Icon::None);
        QCOMPARE(boxes[0].title, MessageBoxes::applicationTitle());
    }

    void choosingTheTypeListsItsPathsInForce()
    {
        addPaths();
        QVERIFY(openWindow());
        DbConnection().clearStatementLog();
        chooseType();
        QVERIFY(DbConnection().statementLog().contains(
            u"SELECT ID, 流程代号, 流程名称, 作废恢复类别, 部门类别, 设置日期, 终止日期 From 作废恢复流程  Where 作废恢复类别 ='作废恢复' AND 终止日期 Is Null Order By 流程代号"_s));
        FlexGrid *grid = window->MSFlexGrid1;
        QCOMPARE(grid->Rows(), 3);
        const QString hf01 = QString::number(database->scalar(u"select ID from 作废恢复流程 where 流程代号='HF01'"_s).toLongLong());
        QCOMPARE(gridRow(1), (QStringList{u"1"_s, u"HF01 后勤服务单位作废恢复"_s, u"02 后勤服务单位"_s,
                                          DisplayFormats::shortDate(QDate(2026, 1, 5)), QString(), hf01}));
        QCOMPARE(gridRow(2).mid(0, 5), (QStringList{u"2"_s, u"HF02 机关部门作废恢复"_s, u"01 机关部门"_s,
                                                    DisplayFormats::shortDate(QDate(2026, 2, 10)), QString()}));
        QCOMPARE(grid->Row(), 2);
        QCOMPARE(grid->ColWidth(5), 0);
        QVERIFY(grid->ColWidth(1) > TextMeasure::widthTwips(window->font(), u"HF01 后勤服务单位作废恢复"_s));
        QCOMPARE(state(), Browsing);
        QVERIFY(window->Text1->text().isEmpty());
        QCOMPARE(window->DTPicker1->value(), FixtureToday);
        QCOMPARE(window->DTPicker2->value(), FixtureToday);
    }

    // Choosing the type shown again lists the paths afresh: one another operator ended
    // meanwhile leaves the list.
    void choosingTheShownTypeAgainListsThePathsAfresh()
    {
        addPaths();
        QVERIFY(openWindow());
        chooseType();
        QCOMPARE(window->MSFlexGrid1->Rows(), 3);
        database->check().execute(u"update 作废恢复流程 set 终止日期='2026-12-08' where 流程代号='HF01'"_s);
        chooseType();
        QCOMPARE(window->MSFlexGrid1->Rows(), 2);
        QVERIFY(gridRow(1).at(1).startsWith(u"HF02"_s));
    }

    void aPathWhoseCategoryIsNotInForceShowsAnEmptyCategory()
    {
        addPath(*database, u"HF09"_s, u"已撤销类别的路径"_s, u"09"_s, u"2026-01-05"_s);
        QVERIFY(openWindow());
        chooseType();
        QCOMPARE(window->MSFlexGrid1->TextMatrix(1, 2), QString());
    }

    void aTypeWithoutPathsStartsANewPathAtOnce()
    {
        QVERIFY(openWindow());
        QApplication::setActiveWindow(window);
        chooseType();
        QCOMPARE(window->MSFlexGrid1->Rows(), 1);
        QCOMPARE(state(), NewPath);
        QTRY_VERIFY(window->Text1->hasFocus());
        // "取消" with an empty grid leaves it so.
        click(window->Command7);
        QCOMPARE(state(), NewPath);
    }

    void clickingAPathShowsItAndItsNodes()
    {
        addPaths();
        QVERIFY(openWindow());
        chooseType();
        clickGridRow(1);
        QCOMPARE(state(), PathSelected);
        QCOMPARE(window->Text1->text(), u"HF01"_s);
        QCOMPARE(window->Text2->text(), u"后勤服务单位作废恢复"_s);
        QCOMPARE(window->Combo2->text(), u"02 后勤服务单位"_s);
        QCOMPARE(window->DTPicker1->value(), QDate(2026, 1, 5));
        QCOMPARE(listLines(window->List2), (QStringList{u"后勤集团 后勤集团财务科长 [王建国]"_s, u"财务处 财务处处长 [周明远]"_s}));
        // A click on the heading of an empty grid does nothing.
        chooseType();
        window->MSFlexGrid1->setRows(1);
        QSignalSpy clicks(window->MSFlexGrid1, &FlexGrid::cellClicked);
        WindowDriver::clickHeading(window->MSFlexGrid1, 1);
        QCOMPARE(clicks.size(), 1);
        QCOMPARE(state(), Browsing);
    }

    // ---------------------------------------------------------------- new paths

    void aNewPathIsSavedWithItsFieldsAndListed()
    {
        addPaths();
        QVERIFY(openWindow());
        chooseType();
        clickGridRow(1);
        click(window->Command7);
        QCOMPARE(state(), NewPath);
        QCOMPARE(window->Combo2->listIndex(), -1);
        QVERIFY(window->Combo2->isEnabled());
        QVERIFY(window->Text1->text().isEmpty());
        QCOMPARE(window->List2->listCount(), 0);

        typePath(u"HF05"_s, u"新路径"_s, 1, QDate(2026, 11, 30));
        click(window->Command6);
        QCOMPARE(shownTexts(), QStringList());
        QCOMPARE(pathValue(u"HF05"_s, u"流程名称"_s), u"新路径"_s);
        QCOMPARE(pathValue(u"HF05"_s, u"作废恢复类别"_s), u"作废恢复"_s);
        QCOMPARE(pathValue(u"HF05"_s, u"部门类别"_s), u"02"_s);
        QCOMPARE(pathValue(u"HF05"_s, u"设置日期"_s), u"2026-11-30"_s);
        QVERIFY(database->scalar(u"select 终止日期 from 作废恢复流程 where 流程代号='HF05'"_s).isNull());
        QVERIFY(!DbConnection().inTransaction());

        FlexGrid *grid = window->MSFlexGrid1;
        QCOMPARE(grid->Rows(), 4);
        QCOMPARE(grid->Row(), 3);
        const QString id = QString::number(database->scalar(u"select ID from 作废恢复流程 where 流程代号='HF05'"_s).toLongLong());
        QCOMPARE(gridRow(3), (QStringList{u"3"_s, u"HF05 新路径"_s, u"02 后勤服务单位"_s, DisplayFormats::shortDate(QDate(2026, 11, 30)),
                                          QString(), id}));
        QCOMPARE(state(), (State{u"新增"_s, true, true, true, true, true, true, false}));
        QVERIFY(!window->Combo2->isEnabled());
        // The nodes come with a click on the new row.
        clickGridRow(3);
        QCOMPARE(state(), PathSelected);
        QCOMPARE(window->Text1->text(), u"HF05"_s);
    }

    void theFieldsAreCheckedBeforeAnythingIsWritten()
    {
        QVERIFY(openWindow());
        chooseType();
        const QStringList before = pathTables(*database);
        click(window->Command6);
        typePath(u"HF05"_s, QString(), -1, FixtureToday);
        click(window->Command6);
        WindowDriver::typeOver(window->Text2, u"新路径"_s);
        click(window->Command6);
        QCOMPARE(shownTexts(), (QStringList{u"请输入流程代号"_s, u"请输入流程名称"_s, u"请选择部门类别"_s}));
        for (const MessageBoxes::Record &r : MessageBoxes::records()) {
            QCOMPARE(r.title, MessageBoxes::applicationTitle());
            QCOMPARE(r.buttons, MessageBoxes::Buttons::Ok);
        }
        QCOMPARE(pathTables(*database), before);
        QCOMPARE(state(), NewPath);
    }

    void aCodeInUseIsRefusedEvenByATerminatedPath()
    {
        addPaths();
        QVERIFY(openWindow());
        chooseType();
        click(window->Command7);
        const QStringList before = pathTables(*database);
        for (const QString &code : {u"HF01"_s, u"HF00"_s, u"QT01"_s}) {
            MessageBoxes::clearRecords();
            typePath(code, u"重复"_s, 0, FixtureToday);
            click(window->Command6);
            QCOMPARE(shownTexts(), QStringList{u"流程代号已经被使用，请输入其他的代号！"_s});
            QCOMPARE(pathTables(*database), before);
            QCOMPARE(window->MSFlexGrid1->Rows(), 3);
            QCOMPARE(state(), NewPath);
            QVERIFY(!DbConnection().inTransaction());
        }
    }

    void aFailedSaveLeavesNothingStored_data()
    {
        QTest::addColumn<bool>("newPath");
        QTest::addColumn<int>("failingStatement");
        // Each statement is failed once without the window; here the writes.
        QTest::newRow("new path, the insert") << true << 2;
        QTest::newRow("saved path, the update") << false << 2;
    }

    void aFailedSaveLeavesNothingStored()
    {
        QFETCH(bool, newPath);
        QFETCH(int, failingStatement);
        addPaths();
        QVERIFY(openWindow());
        chooseType();
        clickGridRow(1);
        if (newPath) {
            click(window->Command7);
            typePath(u"HF05"_s, u"新路径"_s, 0, FixtureToday);
        } else {
            WindowDriver::typeOver(window->Text2, u"改过的名称"_s);
        }
        const QStringList before = pathTables(*database);
        DbConnection().failAtStatement(failingStatement);
        click(window->Command6);
        DbConnection().failAtStatement(0);
        const QList<MessageBoxes::Record> boxes = MessageBoxes::records();
        QCOMPARE(boxes.size(), 1);
        QVERIFY(boxes[0].text.startsWith(u"错误号："_s));
        QCOMPARE(boxes[0].icon, MessageBoxes::Icon::None);
        QCOMPARE(pathTables(*database), before);
        QVERIFY(!DbConnection().inTransaction());
        QVERIFY(QGuiApplication::overrideCursor() == nullptr);
        // The window goes on working: the same save succeeds now.
        click(window->Command6);
        QCOMPARE(MessageBoxes::records().size(), 1);
        QVERIFY(pathTables(*database) != before);
    }

    // ---------------------------------------------------------------- saved paths

    void savingASavedPathChangesOnlyItsNameAndDate()
    {
        addPaths();
        QVERIFY(openWindow());
        chooseType();
        clickGridRow(2);
        const QStringList before = pathTables(*database);
        WindowDriver::typeOver(window->Text2, u"机关部门恢复（新）"_s);
        WindowDriver::chooseEntry(window->Combo2, 1);
        WindowDriver::typeDate(window->DTPicker1, QDate(2026, 12, 1));
        click(window->Command6);
        QCOMPARE(shownTexts(), QStringList());
        QCOMPARE(pathValue(u"HF02"_s, u"流程名称"_s), u"机关部门恢复（新）"_s);
        QCOMPARE(pathValue(u"HF02"_s, u"设置日期"_s), u"2026-12-01"_s);
        QCOMPARE(pathValue(u"HF02"_s, u"部门类别"_s), u"01"_s);
        QCOMPARE(pathValue(u"HF02"_s, u"作废恢复类别"_s), u"作废恢复"_s);
        QCOMPARE(gridRow(2).mid(1, 3), (QStringList{u"HF02 机关部门恢复（新）"_s, u"01 机关部门"_s,
                                                    DisplayFormats::shortDate(QDate(2026, 12, 1))}));
        // Only that row changed.
        QStringList after = pathTables(*database);
        int changed = 0;
        for (int i = 0; i < before.size(); ++i)
            changed += before[i] != after[i];
        QCOMPARE(changed, 1);
        QCOMPARE(state(), PathSelected);
    }

    void cancellingANewPathShowsTheCurrentPathAgain()
    {
        addPaths();
        QVERIFY(openWindow());
        chooseType();
        clickGridRow(1);
        click(window->Command7);
        WindowDriver::typeOver(window->Text1, u"HF09"_s);
        click(window->Command7);
        QCOMPARE(state(), PathSelected);
        QCOMPARE(window->Text1->text(), u"HF01"_s);
        QCOMPARE(window->List2->listCount(), 2);
    }

    // ---------------------------------------------------------------- terminating

    void terminatingAPathAsksThenEndsItOnTheChosenDay()
    {
        addPaths();
        QVERIFY(openWindow());
        chooseType();
        clickGridRow(1);
        WindowDriver::typeDate(window->DTPicker2, QDate(2026, 12, 31));
        const QString question = u"确认要终止 “HF01 后勤服务单位作废恢复” 的审批路径，终止日期为"_s
            + DisplayFormats::shortDate(QDate(2026, 12, 31)) + u"？"_s;

        const QStringList before = pathTables(*database);
        clickAnswering(window->Command8, MessageBoxes::Answer::No);
        QCOMPARE(shownTexts(), QStringList{question});
        QCOMPARE(MessageBoxes::records()[0].buttons, MessageBoxes::Buttons::YesNo);
        QCOMPARE(pathTables(*database), before);
        QCOMPARE(state(), PathSelected);

        DbConnection().clearStatementLog();
        clickAnswering(window->Command8, MessageBoxes::Answer::Yes);
        QVERIFY(DbConnection().statementLog().contains(u"Update 作废恢复流程 Set 终止日期='2026-12-31' Where 流程代号='HF01'"_s));
        QCOMPARE(pathValue(u"HF01"_s, u"终止日期"_s), u"2026-12-31"_s);
        QCOMPARE(database->count(u"作废恢复流程设置"_s, u"流程代号='HF01'"_s), 2);
        QCOMPARE(window->MSFlexGrid1->TextMatrix(1, 4), DisplayFormats::shortDate(QDate(2026, 12, 31)));
        QCOMPARE(state(), Browsing);
        QVERIFY(window->Text1->text().isEmpty());
        QCOMPARE(window->Combo2->listIndex(), -1);
        QCOMPARE(window->List2->listCount(), 0);
        // Gone at the next load of the list.
        chooseType();
        QCOMPARE(window->MSFlexGrid1->Rows(), 2);
        QCOMPARE(window->MSFlexGrid1->TextMatrix(1, 1), u"HF02 机关部门作废恢复"_s);
    }

    void theTerminationDayGoesIntoTheStatementAsIsoText()
    {
        QCOMPARE(terminatePathSql(u"H'1"_s, QDate(2027, 1, 2)), u"Update 作废恢复流程 Set 终止日期='2027-01-02' Where 流程代号='H''1'"_s);
    }

    // ---------------------------------------------------------------- deleting

    void deletingTheOnlyPathLeavesAnEmptyGridForANewOne()
    {
        addPath(*database, u"HF01"_s, u"唯一路径"_s, u"02"_s, u"2026-01-05"_s);
        addNode(*database, u"HF01"_s, u"05"_s, u"8"_s, 1);
        addNode(*database, u"HF01"_s, u"02"_s, u"1"_s, 2);
        addNode(*database, u"HF07"_s, u"02"_s, u"1"_s, 1);
        QVERIFY(openWindow());
        chooseType();
        clickGridRow(1);
        clickAnswering(window->Command9, MessageBoxes::Answer::Yes);
        QCOMPARE(shownTexts(), QStringList{u"确认要删除 “HF01 唯一路径” 的审批路径？"_s});
        QCOMPARE(database->count(u"作废恢复流程"_s), 0);
        QCOMPARE(database->count(u"作废恢复流程设置"_s), 1); // another path's node stays
        QCOMPARE(window->MSFlexGrid1->Rows(), 1);
        QCOMPARE(state(), NewPath);
        QVERIFY(window->Text1->text().isEmpty());
        QCOMPARE(window->Combo2->listIndex(), -1);
    }

    void deletingOneOfSeveralRenumbersTheRowsBelow()
    {
        addPaths();
        addPath(*database, u"HF03"_s, u"第三条"_s, u"01"_s, u"2026-03-01"_s);
        addPath(*database, u"HF04"_s, u"第四条"_s, u"02"_s, u"2026-04-01"_s);
        QVERIFY(openWindow());
        chooseType();
        QCOMPARE(window->MSFlexGrid1->Rows(), 5);
        clickGridRow(2);
        clickAnswering(window->Command9, MessageBoxes::Answer::No);
        QCOMPARE(database->count(u"作废恢复流程"_s, u"流程代号='HF02'"_s), 1);
        clickAnswering(window->Command9, MessageBoxes::Answer::Yes);
        QCOMPARE(database->count(u"作废恢复流程"_s, u"流程代号='HF02'"_s), 0);
        QCOMPARE(database->count(u"作废恢复流程设置"_s, u"流程代号='HF02'"_s), 0);
        QCOMPARE(database->count(u"作废恢复流程设置"_s, u"流程代号='HF01'"_s), 2);
        FlexGrid *grid = window->MSFlexGrid1;
        QCOMPARE(grid->Rows(), 4);
        QCOMPARE(gridRow(2).mid(0, 2), (QStringList{u"2"_s, u"HF03 第三条"_s}));
        QCOMPARE(gridRow(3).mid(0, 2), (QStringList{u"3"_s, u"HF04 第四条"_s}));
        QCOMPARE(state(), Browsing);
        QVERIFY(window->Text1->text().isEmpty());
    }

    // A path is the one of its grid row (its ID), whatever its code holds: deleting or
    // ending "O'Brien x" leaves "O'Brien" and its nodes as they are.
    void deletingAndTerminatingActOnThePathOfTheRow_data() { addDeleteAndTerminateRows(); }

    void deletingAndTerminatingActOnThePathOfTheRow()
    {
        QFETCH(bool, terminate);
        addPath(*database, u"O'Brien"_s, u"第一条"_s, u"02"_s, u"2026-01-05"_s);
        addPath(*database, u"O'Brien x"_s, u"第二条"_s, u"02"_s, u"2026-02-05"_s);
        addNode(*database, u"O'Brien"_s, u"05"_s, u"8"_s, 1);
        addNode(*database, u"O'Brien x"_s, u"02"_s, u"1"_s, 1);
        QVERIFY(openWindow());
        chooseType();
        clickGridRow(2);
        QCOMPARE(window->Text1->text(), u"O'Brien x"_s);
        QCOMPARE(window->Text2->text(), u"第二条"_s);
        QCOMPARE(listLines(window->List2), QStringList{u"财务处 财务处处长 [周明远]"_s});
        WindowDriver::typeDate(window->DTPicker2, QDate(2026, 12, 31));
        clickAnswering(terminate ? window->Command8 : window->Command9, MessageBoxes::Answer::Yes);
        QCOMPARE(database->count(u"作废恢复流程"_s, u"流程代号='O''Brien' and 终止日期 is null"_s), 1);
        QCOMPARE(database->count(u"作废恢复流程设置"_s, u"流程代号='O''Brien'"_s), 1);
        QCOMPARE(database->count(u"作废恢复流程"_s, u"流程代号='O''Brien x'"_s), terminate ? 1 : 0);
        QCOMPARE(database->count(u"作废恢复流程设置"_s, u"流程代号='O''Brien x'"_s), terminate ? 1 : 0);
        if (terminate)
            QCOMPARE(pathValue(u"O''Brien x"_s, u"终止日期"_s), u"2026-12-31"_s);
    }

    // A path deleted elsewhere since the list was loaded is not looked for by its code.
    void aPathGoneSinceTheListWasLoadedIsToldAndNothingIsWritten()
    {
        addPaths();
        QVERIFY(openWindow());
        chooseType();
        clickGridRow(1);
        database->check().execute(u"delete from 作废恢复流程 where 流程代号='HF01'"_s);
        addPath(*database, u"HF01"_s, u"同代号的新路径"_s, u"02"_s, u"2026-12-01"_s);
        const QStringList before = pathTables(*database);
        clickAnswering(window->Command9, MessageBoxes::Answer::Yes);
        QCOMPARE(shownTexts().last(), u"该审批路径已不存在（可能已被他人删除），请重新选择恢复类型。"_s);
        QCOMPARE(pathTables(*database), before);
        // Saving it is refused in the error box, without an icon.
        WindowDriver::typeOver(window->Text2, u"改过的名称"_s);
        click(window->Command6);
        QCOMPARE(MessageBoxes::records().last().text,
                 u"错误号：%1\r\n错误描述：流程 HF01 已不存在，未能保存。"_s.arg(db::DbError::GenericFailure));
        QCOMPARE(MessageBoxes::records().last().icon, MessageBoxes::Icon::None);
        QCOMPARE(pathTables(*database), before);
    }

    // A code is shown before the first blank of its grid line: one with a blank anywhere
    // (or any other white space) is refused at 存盘, and nothing is written.
    void aCodeHoldingABlankIsRefused_data()
    {
        QTest::addColumn<QString>("code");
        QTest::newRow("leading") << u" HF05"_s;
        QTest::newRow("inner") << u"O'Brien x"_s;
        QTest::newRow("trailing") << u"HF05 "_s;
        QTest::newRow("ideographic") << u"HF\u300005"_s;
        QTest::newRow("only blanks") << u"  "_s;
    }

    void aCodeHoldingABlankIsRefused()
    {
        QFETCH(QString, code);
        QVERIFY(openWindow());
        chooseType(); // no path yet: a new one is entered at once
        WindowDriver::typeOver(window->Text1, code); // the ideographic blank included
        WindowDriver::typeOver(window->Text2, u"新路径"_s);
        WindowDriver::chooseEntry(window->Combo2, 1);
        QCOMPARE(window->Text1->text(), code);
        click(window->Command6);
        QCOMPARE(shownTexts(), QStringList{u"流程代号不能含有空格（包括首尾的空格），请重新输入！"_s});
        QCOMPARE(database->count(u"作废恢复流程"_s), 0);
        QCOMPARE(state(), NewPath);
    }

    void aFailedTerminationOrDeletionChangesNothing_data()
    {
        QTest::addColumn<bool>("terminate");
        QTest::addColumn<int>("failingStatement");
        // Each statement is failed once without the window; here the writes.
        QTest::newRow("终止") << true << 2;
        QTest::newRow("删除, the nodes") << false << 3;
    }

    void aFailedTerminationOrDeletionChangesNothing()
    {
        QFETCH(bool, terminate);
        QFETCH(int, failingStatement);
        addPaths();
        QVERIFY(openWindow());
        chooseType();
        clickGridRow(1);
        const QStringList before = pathTables(*database);
        const QStringList gridBefore = gridRow(1);
        DbConnection().failAtStatement(failingStatement);
        clickAnswering(terminate ? window->Command8 : window->Command9, MessageBoxes::Answer::Yes);
        DbConnection().failAtStatement(0);
        QCOMPARE(pathTables(*database), before);
        const QList<MessageBoxes::Record> boxes = MessageBoxes::records();
        QCOMPARE(boxes.size(), 2);
        QVERIFY(boxes[1].text.startsWith(u"错误号："_s));
        QCOMPARE(boxes[1].icon, MessageBoxes::Icon::None);
        QCOMPARE(gridRow(1), gridBefore);
        QCOMPARE(window->MSFlexGrid1->Rows(), 3);
        QCOMPARE(state(), PathSelected);
    }

    void closeClosesTheWindow()
    {
        QVERIFY(openWindow());
        click(window->Command5);
        QTRY_VERIFY(window.isNull());
    }
};

QTEST_MAIN(TestApprovalPaths)
#include "test_approval_paths.moc"
