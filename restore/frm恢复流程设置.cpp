#include "restore/frm恢复流程设置.h"

#include "platform/db/Recordset.h"
#include "platform/ui/DatePicker.h"
#include "platform/ui/DisplayFormats.h"
#include "platform/ui/DropDownList.h"
#include "platform/ui/FlexGrid.h"
#include "platform/ui/KeyedTree.h"
#include "platform/ui/ListBox.h"
#include "platform/ui/MessageBoxes.h"
#include "platform/ui/StatusBar.h"
#include "platform/ui/TextMeasure.h"
#include "platform/ui/PlacedControls.h"
#include "platform/ui/Twips.h"
#include "restore/ApprovalPathSql.h"
#include "restore/ApprovalPaths.h"
#include "shell/AppState.h"
#include "shell/Handlers.h"
#include "shell/Module1.h"
#include "shell/Program.h"

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPainter>
#include <QPushButton>

#include <optional>

using ApprovalPaths::PathChange;
using ApprovalPaths::SaveOutcome;

namespace {

using PlacedControls::departmentIcon;
using PlacedControls::button;
using PlacedControls::label;

// Grid columns.
enum Column { RowNumber = 0, CodeAndName = 1, Category = 2, SetOn = 3, EndedOn = 4, PathId = 5 };

const QString NewCaption = QStringLiteral("新增");
const QString CancelCaption = QStringLiteral("取消");

QString afterFirstWord(const QString &text)
{
    const int blank = text.indexOf(QLatin1Char(' '));
    return blank < 0 ? QString() : text.mid(blank + 1);
}

const QString PathGone = QStringLiteral("该审批路径已不存在（可能已被他人删除），请重新选择恢复类型。");

QString questionTitle()
{
    return MessageBoxes::applicationTitle();
}

bool confirmed(QWidget *parent, const QString &question)
{
    return MessageBoxes::show(parent, question, questionTitle(), MessageBoxes::Icon::Question,
                              MessageBoxes::Buttons::YesNo)
        == MessageBoxes::Answer::Yes;
}

} // namespace

frm恢复流程设置::frm恢复流程设置(QWidget *parent) : ChildWindow(parent)
{
    setObjectName(QStringLiteral("frm恢复流程设置"));
    setWindowTitle(QStringLiteral("恢复流程设置"));
    buildControls();
    connectHandlers();
}

QString frm恢复流程设置::gridFormat()
{
    return QStringLiteral("<序|<流程代号及名称     |<部门类别              |<设置日期     |<终止日期     |");
}

void frm恢复流程设置::buildControls()
{
    setFixedSize(Twips::size(10980, 8115));

    Label2 = label(this, QStringLiteral("Label2"), QStringLiteral("恢复类型"), 120, 165);
    Combo1 = new DropDownList(this);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Twips::place(Combo1, 960, 105, 2400, 300);

    MSFlexGrid1 = new FlexGrid(this);
    MSFlexGrid1->setObjectName(QStringLiteral("MSFlexGrid1"));
    MSFlexGrid1->setFormatString(gridFormat());
    Twips::place(MSFlexGrid1, 120, 480, 10740, 1500);

    buildPathFields();
    Command7 = button(this, QStringLiteral("Command7"), NewCaption, 4860, 3105, 1095, 345);
    Command6 = button(this, QStringLiteral("Command6"), QStringLiteral("存盘"), 5985, 3105, 1095, 345);
    Command9 = button(this, QStringLiteral("Command9"), QStringLiteral("删除"), 7110, 3105, 1095, 345);
    Command8 = button(this, QStringLiteral("Command8"), QStringLiteral("终止"), 8235, 3105, 1095, 345);
    Command5 = button(this, QStringLiteral("Command5"), QStringLiteral("关闭"), 9765, 3105, 1095, 345);
    buildNodeEditor();

    StatusBar1 = new StatusBar(1, this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    Twips::place(StatusBar1, 0, 7800, 10980, 315);

    for (QPushButton *b : {Command7, Command6, Command8, Command9, Command10})
        b->setEnabled(false);
}

void frm恢复流程设置::buildPathFields()
{
    Frame3 = new QFrame(this);
    Frame3->setObjectName(QStringLiteral("Frame3"));
    Frame3->setFrameShape(QFrame::StyledPanel);
    Twips::place(Frame3, 120, 2025, 10740, 1020);

    Label3[0] = label(Frame3, QStringLiteral("Label3(0)"), QStringLiteral("流程代号"), 150, 255);
    Text1 = new QLineEdit(Frame3);
    Text1->setObjectName(QStringLiteral("Text1"));
    Twips::place(Text1, 990, 195, 1800, 300);
    Label3[1] = label(Frame3, QStringLiteral("Label3(1)"), QStringLiteral("流程名称"), 2970, 255);
    Text2 = new QLineEdit(Frame3);
    Text2->setObjectName(QStringLiteral("Text2"));
    Twips::place(Text2, 3810, 195, 3000, 300);
    Label3[2] = label(Frame3, QStringLiteral("Label3(2)"), QStringLiteral("部门类别"), 6990, 255);
    Combo2 = new DropDownList(Frame3);
    Combo2->setObjectName(QStringLiteral("Combo2"));
    Twips::place(Combo2, 7830, 195, 2760, 300);
    Label3[3] = label(Frame3, QStringLiteral("Label3(3)"), QStringLiteral("设置日期"), 150, 630);
    DTPicker1 = new DatePicker(Frame3);
    DTPicker1->setObjectName(QStringLiteral("DTPicker1"));
    Twips::place(DTPicker1, 990, 570, 1800, 300);
    Label3[4] = label(Frame3, QStringLiteral("Label3(4)"), QStringLiteral("终止日期"), 2970, 630);
    DTPicker2 = new DatePicker(Frame3);
    DTPicker2->setObjectName(QStringLiteral("DTPicker2"));
    Twips::place(DTPicker2, 3810, 570, 1800, 300);
}

void frm恢复流程设置::buildNodeEditor()
{
    Frame2 = new QGroupBox(QStringLiteral("流转节点设置"), this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    Twips::place(Frame2, 120, 3495, 10740, 4245);

    Label3[5] = label(Frame2, QStringLiteral("Label3(5)"), QStringLiteral("职能部门及岗位"), 150, 300);
    TreeView1 = new KeyedTree(Frame2);
    TreeView1->setObjectName(QStringLiteral("TreeView1"));
    TreeView1->setImageList({departmentIcon()});
    Twips::place(TreeView1, 150, 540, 3885, 2865);
    List1 = new ListBox(Frame2);
    List1->setObjectName(QStringLiteral("List1"));
    Twips::place(List1, 150, 3450, 3885, 690);

    const int left = 4155;
    Command1 = button(Frame2, QStringLiteral("Command1"), QStringLiteral("→"), left, 900, 375, 285);
    Command2 = button(Frame2, QStringLiteral("Command2"), QStringLiteral("←"), left, 1290, 375, 285);
    Command3 = button(Frame2, QStringLiteral("Command3"), QStringLiteral("↑"), left, 1680, 375, 285);
    Command4 = button(Frame2, QStringLiteral("Command4"), QStringLiteral("↓"), left, 2070, 375, 285);
    Command10 = button(Frame2, QStringLiteral("Command10"), QStringLiteral("OK"), left, 2460, 375, 285);

    Label1 = label(Frame2, QStringLiteral("Label1"), QStringLiteral("流转节点"), 4650, 300);
    List2 = new ListBox(Frame2);
    List2->setObjectName(QStringLiteral("List2"));
    Twips::place(List2, 4650, 540, 5940, 3600);
    Frame2->setEnabled(false);
}

// Every failure in this window is shown in the error box without an icon.
void frm恢复流程设置::connectHandlers()
{
    constexpr ErrorReport report = ErrorReport::ErrorBoxWithoutIcon;
    connectHandler(Combo1, &DropDownList::entryChosen, this, &frm恢复流程设置::Combo1_Click, report);
    connectHandler(MSFlexGrid1, &FlexGrid::cellClicked, this, &frm恢复流程设置::MSFlexGrid1_Click, report);
    connectHandler(Command7, &QPushButton::clicked, this, &frm恢复流程设置::Command7_Click, report);
    connectHandler(Command6, &QPushButton::clicked, this, &frm恢复流程设置::Command6_Click, report);
    connectHandler(Command8, &QPushButton::clicked, this, &frm恢复流程设置::Command8_Click, report);
    connectHandler(Command9, &QPushButton::clicked, this, &frm恢复流程设置::Command9_Click, report);
    connectHandler(Command5, &QPushButton::clicked, this, &frm恢复流程设置::Command5_Click, report);
    connectHandler(TreeView1, &KeyedTree::nodeClicked, this, &frm恢复流程设置::TreeView1_NodeClick, report);
    connectHandler(Command1, &QPushButton::clicked, this, &frm恢复流程设置::Command1_Click, report);
    connectHandler(Command2, &QPushButton::clicked, this, &frm恢复流程设置::Command2_Click, report);
    connectHandler(Command3, &QPushButton::clicked, this, &frm恢复流程设置::Command3_Click, report);
    connectHandler(Command4, &QPushButton::clicked, this, &frm恢复流程设置::Command4_Click, report);
    connectHandler(Command10, &QPushButton::clicked, this, &frm恢复流程设置::Command10_Click, report);
}

// ---------------------------------------------------------------- loading

void frm恢复流程设置::Form_Load()
{
    // Inside the main window the frame keeps the design size: nothing here stretches.
    fixFrameSize(true);
    CenterChild(this);
    Combo1->clearLines();
    Combo1->addLine(QStringLiteral("作废恢复"));
    Combo1->setListIndex(-1);
    runReportingErrors([this] {
        添加部门信息();
        部门类别类别();
    }, ErrorReport::ErrorBoxWithoutIcon);
    MSFlexGrid1->setColWidth(PathId, 0);
    MSFlexGrid1->setRows(1);
}

void frm恢复流程设置::部门类别类别()
{
    db::Recordset categories = DbConnection().open(departmentCategoriesSql());
    Combo2->clearLines();
    for (; !categories.eof(); categories.moveNext())
        Combo2->addLine(categories.text(QStringLiteral("部门类别代号")) + QLatin1Char(' ')
                        + categories.text(QStringLiteral("部门类别名称")));
}

// ---------------------------------------------------------------- the list of paths

void frm恢复流程设置::Combo1_Click()
{
    clearNodeLists();
    Text1->clear();
    Text2->clear();
    Frame2->setEnabled(false);
    Frame3->setEnabled(false);
    Command6->setEnabled(false);
    Command8->setEnabled(false);
    Command9->setEnabled(false);
    DTPicker1->setValue(Today());
    DTPicker2->setValue(Today());
    if (Combo1->listIndex() < 0)
        return;

    db::Recordset paths = DbConnection().open(pathsInForceSql(Combo1->text()));
    Command7->setEnabled(true);
    FlexGrid *grid = MSFlexGrid1;
    grid->setRows(1);
    grid->hide();
    for (; !paths.eof(); paths.moveNext()) {
        const int row = grid->Rows();
        grid->setRows(row + 1);
        grid->setRow(row);
        const int category = categoryIndexOfCode(paths.text(QStringLiteral("部门类别")));
        fillPathRow(row, paths.text(QStringLiteral("流程代号")), paths.text(QStringLiteral("流程名称")),
                    category < 0 ? QString() : Combo2->lineText(category), paths.date(QStringLiteral("设置日期")));
        grid->setTextMatrix(row, EndedOn, DisplayFormats::shortDate(paths.date(QStringLiteral("终止日期"))));
        grid->setTextMatrix(row, PathId, paths.text(QStringLiteral("ID")));
        widenPathColumns(row);
    }
    if (grid->Rows() == 1) {
        enterNewPathMode();
    } else {
        Command7->setText(NewCaption);
        Command6->setEnabled(false);
        Command8->setEnabled(false);
        Command9->setEnabled(false);
        Text1->clear();
        Text2->clear();
        clearNodeLists();
        Frame2->setEnabled(false);
    }
    grid->show();
}

void frm恢复流程设置::fillPathRow(int row, const QString &code, const QString &name, const QString &category,
                                  const QDate &setOn)
{
    FlexGrid *grid = MSFlexGrid1;
    grid->setTextMatrix(row, RowNumber, QString::number(row));
    grid->setTextMatrix(row, CodeAndName, code + QLatin1Char(' ') + name);
    grid->setTextMatrix(row, Category, category);
    grid->setTextMatrix(row, SetOn, DisplayFormats::shortDate(setOn));
}

void frm恢复流程设置::widenPathColumns(int row)
{
    FlexGrid *grid = MSFlexGrid1;
    for (int col = CodeAndName; col <= EndedOn; ++col) {
        const int wanted = TextMeasure::widthTwips(font(), grid->TextMatrix(row, col)) + 90;
        if (wanted > grid->ColWidth(col))
            grid->setColWidth(col, wanted);
    }
}

int frm恢复流程设置::categoryIndexOfCode(const QString &code) const
{
    for (int i = 0; i < Combo2->listCount(); ++i)
        if (ApprovalPaths::categoryCodeOf(Combo2->lineText(i)) == code)
            return i;
    return -1;
}

qlonglong frm恢复流程设置::currentPathId() const
{
    return MSFlexGrid1->TextMatrix(MSFlexGrid1->Row(), PathId).toLongLong();
}

// False, with the operator told, when the path was not found (gone since the list
// was loaded).
bool frm恢复流程设置::pathStillThere(bool found)
{
    if (!found)
        MessageBoxes::showWithAppTitle(this, PathGone);
    return found;
}

// ---------------------------------------------------------------- path states

void frm恢复流程设置::enterNewPathMode()
{
    Command7->setText(CancelCaption);
    Command7->setEnabled(true);
    Command6->setEnabled(true);
    Command8->setEnabled(false);
    Command9->setEnabled(false);
    Frame3->setEnabled(true);
    Text1->setReadOnly(false);
    Text2->clear();
    clearNodeLists();
    Frame2->setEnabled(false);
    Text1->setFocus();
}

void frm恢复流程设置::clearPathFields()
{
    Text1->clear();
    Text2->clear();
    Combo2->setListIndex(-1);
    DTPicker1->setValue(Today());
    clearNodeLists();
}

void frm恢复流程设置::clearNodeLists()
{
    List1->clear();
    m_posts.clear();
    List2->clear();
    m_nodes.clear();
}

void frm恢复流程设置::MSFlexGrid1_Click()
{
    FlexGrid *grid = MSFlexGrid1;
    if (grid->Rows() <= 1)
        return;
    const std::optional<QString> code = ApprovalPaths::storedPathCode(DbConnection(), currentPathId());
    if (!pathStillThere(code.has_value()))
        return;
    Command7->setEnabled(true);
    Command7->setText(NewCaption);
    Frame3->setEnabled(true);
    Text1->setReadOnly(true);
    Command6->setEnabled(true);
    Command8->setEnabled(true);
    Command9->setEnabled(true);
    const QString codeAndName = grid->TextMatrix(grid->Row(), CodeAndName);
    const QString codeShown = *code + QLatin1Char(' ');
    Text1->setText(*code);
    Text2->setText(codeAndName.startsWith(codeShown) ? codeAndName.mid(codeShown.size()) : afterFirstWord(codeAndName));
    const QString category = grid->TextMatrix(grid->Row(), Category);
    for (int i = 0; i < Combo2->listCount(); ++i)
        if (Combo2->lineText(i) == category) {
            Combo2->setListIndex(i);
            break;
        }
    const QDate setOn = DisplayFormats::fromShortDate(grid->TextMatrix(grid->Row(), SetOn));
    if (setOn.isValid())
        DTPicker1->setValue(setOn);
    loadNodesOfPath();
    Frame2->setEnabled(true);
}

void frm恢复流程设置::Command7_Click()
{
    if (Command7->text() == CancelCaption) {
        MSFlexGrid1_Click();
        return;
    }
    Command7->setText(CancelCaption);
    Command6->setEnabled(true);
    Command8->setEnabled(false);
    Command9->setEnabled(false);
    Combo2->setListIndex(-1);
    Combo2->setEnabled(true);
    Text1->clear();
    Text2->clear();
    DTPicker1->setValue(Today());
    Frame2->setEnabled(false);
    clearNodeLists();
    Frame3->setEnabled(true);
    Text1->setReadOnly(false);
    Text1->setFocus();
}

// ---------------------------------------------------------------- saving

// A database failure leaves the handler with nothing written (the save's transaction
// rolled back and the pointer restored); its error box reports it.
void frm恢复流程设置::Command6_Click()
{
    const ApprovalPaths::PathRequest request = pathRequest();
    const ApprovalPaths::SaveResult saved = [&] {
        Hourglass busy;
        return ApprovalPaths::savePath(DbConnection(), request);
    }();
    if (saved.outcome != SaveOutcome::Saved)
        showSaveRefusal(saved.outcome);
    else if (request.savedPathId)
        showEditedPath(saved, request.setOn);
    else
        showNewPath(saved, request.setOn);
}

// The fields, for the path of the grid row or, while "取消" is shown, a new one.
ApprovalPaths::PathRequest frm恢复流程设置::pathRequest() const
{
    const bool newPath = Command7->text() == CancelCaption;
    return {newPath ? std::nullopt : std::optional<qlonglong>(currentPathId()),
            Text1->text(),
            Text2->text(),
            Combo1->text(),
            Combo2->text(),
            DTPicker1->value()};
}

void frm恢复流程设置::showSaveRefusal(SaveOutcome outcome)
{
    switch (outcome) {
    case SaveOutcome::CodeMissing:
        MessageBoxes::showWithAppTitle(this, QStringLiteral("请输入流程代号"));
        return;
    case SaveOutcome::CodeHoldsBlank:
        MessageBoxes::showWithAppTitle(this, QStringLiteral("流程代号不能含有空格（包括首尾的空格），请重新输入！"));
        return;
    case SaveOutcome::NameMissing:
        MessageBoxes::showWithAppTitle(this, QStringLiteral("请输入流程名称"));
        return;
    case SaveOutcome::CategoryMissing:
        MessageBoxes::showWithAppTitle(this, QStringLiteral("请选择部门类别"));
        return;
    case SaveOutcome::CodeInUse:
        MessageBoxes::showWithAppTitle(this, QStringLiteral("流程代号已经被使用，请输入其他的代号！"));
        return;
    case SaveOutcome::PathGone:
        ShowErrorBox(db::DbError::GenericFailure, QStringLiteral("流程 %1 已不存在，未能保存。").arg(Text1->text()),
                     MessageBoxes::Icon::None, QString());
        return;
    case SaveOutcome::Saved:
        return;
    }
}

// The new path becomes the last grid row; its nodes come with a click on the row.
void frm恢复流程设置::showNewPath(const ApprovalPaths::SaveResult &saved, const QDate &setOn)
{
    FlexGrid *grid = MSFlexGrid1;
    const int row = grid->Rows();
    grid->setRows(row + 1);
    grid->setRow(row);
    fillPathRow(row, saved.code, saved.name, Combo2->text(), setOn);
    grid->setTextMatrix(row, PathId, saved.id);
    widenPathColumns(row);

    Frame2->setEnabled(false);
    Combo2->setEnabled(false);
    Text1->setReadOnly(true);
    Command8->setEnabled(true);
    Command9->setEnabled(true);
    Command7->setText(NewCaption);
}

void frm恢复流程设置::showEditedPath(const ApprovalPaths::SaveResult &saved, const QDate &setOn)
{
    FlexGrid *grid = MSFlexGrid1;
    const int row = grid->Row();
    grid->setTextMatrix(row, CodeAndName, saved.code + QLatin1Char(' ') + saved.name);
    grid->setTextMatrix(row, SetOn, DisplayFormats::shortDate(setOn));
    widenPathColumns(row);
}

// ---------------------------------------------------------------- terminating and deleting

void frm恢复流程设置::Command8_Click()
{
    const QDate endOn = DTPicker2->value();
    if (!confirmed(this, QStringLiteral("确认要终止 “") + Text1->text() + QLatin1Char(' ') + Text2->text()
                             + QStringLiteral("” 的审批路径，终止日期为") + DisplayFormats::shortDate(endOn)
                             + QStringLiteral("？")))
        return;
    if (!pathStillThere(ApprovalPaths::terminatePath(DbConnection(), {currentPathId(), endOn}) == PathChange::Done))
        return;
    MSFlexGrid1->setTextMatrix(MSFlexGrid1->Row(), EndedOn, DisplayFormats::shortDate(endOn));

    Command7->setText(NewCaption);
    Command8->setEnabled(false);
    Command9->setEnabled(false);
    Command6->setEnabled(false);
    clearPathFields();
    Frame3->setEnabled(false);
    Frame2->setEnabled(false);
}

void frm恢复流程设置::Command9_Click()
{
    if (!confirmed(this, QStringLiteral("确认要删除 “") + Text1->text() + QLatin1Char(' ') + Text2->text()
                             + QStringLiteral("” 的审批路径？")))
        return;
    if (!pathStillThere(ApprovalPaths::deletePath(DbConnection(), currentPathId()) == PathChange::Done))
        return;

    FlexGrid *grid = MSFlexGrid1;
    if (grid->Rows() <= 2) {
        grid->setRows(1);
        Command8->setEnabled(false);
        Command9->setEnabled(false);
        clearPathFields();
        enterNewPathMode();
        return;
    }
    const int row = grid->Row();
    grid->removeRow(row);
    for (int r = row; r < grid->Rows(); ++r)
        grid->setTextMatrix(r, RowNumber, QString::number(r));
    Command7->setText(NewCaption);
    Command8->setEnabled(false);
    Command9->setEnabled(false);
    Command6->setEnabled(false);
    clearPathFields();
    Frame3->setEnabled(false);
    Frame2->setEnabled(false);
}

void frm恢复流程设置::Command5_Click()
{
    unload();
}
