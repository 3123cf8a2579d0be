#include "restore/Frm票据作废恢复申请.h"

#include "platform/db/Recordset.h"
#include "platform/ui/CheckBox.h"
#include "platform/ui/DisplayFormats.h"
#include "platform/ui/FlexGrid.h"
#include "platform/ui/MessageBoxes.h"
#include "platform/ui/OptionButton.h"
#include "platform/ui/PlacedControls.h"
#include "platform/ui/Twips.h"
#include "restore/RestorationApplicationSql.h"
#include "shell/AppState.h"
#include "shell/Handlers.h"
#include "shell/Module1.h"
#include "shell/Program.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

using PlacedControls::button;
using PlacedControls::label;
using PlacedControls::textBox;

using MessageBoxes::Answer;
using MessageBoxes::Buttons;
using MessageBoxes::Icon;
using RestorationSubmission::Submission;

// Bill grid columns beyond the shown ones.
constexpr int BillIdColumn = 29;
constexpr int IssuingDeptColumn = 30;
constexpr int BillGridColumns = 33;

// The columns of the bill grid, 1 … 28, and which of them are dates.
const char *const BillColumns[] = {
    "入库单编号", "票据编号", "职能部门名称", "金额", "开票日期", "收款日期", "付款人", "收款方式", "收款人", "开票人",
    "收款凭证编号", "被换票入库单编号", "被换票票据编号", "退票日期", "退票凭证编号", "内换日期", "内换凭证编号",
    "内换票据编号", "对应调换票据入库单", "对应调换票据编号", "退款日期", "退款原因", "合同编号", "核销日期", "核销人",
    "作废日期", "作废人", "作废原因",
};

bool isDateColumn(const QString &name)
{
    return name.endsWith(QStringLiteral("日期"));
}

// A date as the system shows it, with its time when it has one; empty for NULL.
QString shownDate(const db::Recordset &rows, const QString &column)
{
    if (rows.isNull(column))
        return QString();
    const QDateTime at = rows.dateTime(column);
    if (at.isValid() && at.time() != QTime(0, 0))
        return DisplayFormats::shortDateTime(at);
    return DisplayFormats::shortDate(rows.date(column));
}

// A number column: "0" for NULL.
QString numberOrZero(const db::Recordset &rows, const QString &column)
{
    return rows.isNull(column) ? QStringLiteral("0") : rows.text(column);
}

FlexGrid *grid(QWidget *parent, const QString &name, const QString &format)
{
    auto *g = new FlexGrid(parent);
    g->setObjectName(name);
    g->setFormatString(format);
    g->setRows(1);
    return g;
}

QGroupBox *panel(QWidget *parent, const QString &name, const QString &caption)
{
    auto *p = new QGroupBox(caption, parent);
    p->setObjectName(name);
    p->setAutoFillBackground(true);
    p->hide();
    return p;
}

} // namespace

Frm票据作废恢复申请::Frm票据作废恢复申请(QWidget *parent) : ChildWindow(parent)
{
    setObjectName(QStringLiteral("Frm票据作废恢复申请"));
    setWindowTitle(QStringLiteral("票据作废恢复申请"));
    buildControls();
    connectHandlers();
}

QString Frm票据作废恢复申请::billGridFormat()
{
    return QStringLiteral("|>入库单编号     |>票据编号       |>开票部门          |>金额        |>开票日期     |>收款日期     |>付款人             |>收款方式      |>收款人     |>开票人     |>收款凭证编号          |>被换票据本编号      |>被换票票据编号      |>退票日期       |>退票凭证编号         |>内换日期         |>内换凭证编号       |>内换票据编号        |>对应调换票据本编号    |>对应调换票据编号   |>退款日期       |>退款原因     |>合同编号      |>核销日期         |>核销人     |>作废日期      |>作废人      |>作废原因         |");
}

QString Frm票据作废恢复申请::lineGridFormat()
{
    return QStringLiteral("|>入库单编号     |>票据编号       |>品名          |>规格        |>项目            |>数量     |>单价        |>单位      |>金额     |>摘要                          |>科目代号          |>收费项目代号      |>日常收费  |>税额        |>税率        |>应税科目        |>不含税单价        |>不含税金额        |");
}

QString Frm票据作废恢复申请::applicationGridFormat()
{
    return QStringLiteral("|>编号       |>入库单编号     |>票据编号       |>金额        |>票据作废日期     |>提交日期     |>审核状态         |");
}

QString Frm票据作废恢复申请::stepGridFormat()
{
    return QStringLiteral("|>部门       |>岗位     |>审批人       |>审批日期        |>审批意见         |");
}

void Frm票据作废恢复申请::buildControls()
{
    resize(Twips::size(13860, 8250));
    Label1 = label(this, QStringLiteral("Label1"), QStringLiteral("票据本编号"), 120, 180);
    Text1 = textBox(this, QStringLiteral("Text1"), 1080, 120, 1800);
    Label2 = label(this, QStringLiteral("Label2"), QStringLiteral("票据编号"), 3060, 180);
    Text2 = textBox(this, QStringLiteral("Text2"), 3840, 120, 1800);
    Command1 = button(this, QStringLiteral("Command1"), QStringLiteral("查询"), 5820, 98, 1095);
    Command2 = button(this, QStringLiteral("Command2"), QStringLiteral("清空"), 7020, 98, 1095);
    Command4 = button(this, QStringLiteral("Command4"), QStringLiteral("提交审批"), 8220, 98, 1095);
    Command7 = button(this, QStringLiteral("Command7"), QStringLiteral("显示审批内容"), 9420, 98, 1500);
    Command3 = button(this, QStringLiteral("Command3"), QStringLiteral("退出"), 12645, 98, 1095);

    MSFlexGrid1 = grid(this, QStringLiteral("MSFlexGrid1"), billGridFormat());
    MSFlexGrid1->setCols(BillGridColumns);
    for (int col = BillIdColumn; col < BillGridColumns; ++col)
        MSFlexGrid1->setColWidth(col, 0);
    Twips::place(MSFlexGrid1, 120, 570, 13620, 4200);
    MSFlexGrid2 = grid(this, QStringLiteral("MSFlexGrid2"), lineGridFormat());
    Twips::place(MSFlexGrid2, 120, 4860, 13620, 3270);
    MSFlexGrid2->hide();

    buildApplicationPanel();
    buildStatusPanel();
}

void Frm票据作废恢复申请::buildApplicationPanel()
{
    Frame1 = panel(this, QStringLiteral("Frame1"), QStringLiteral("恢复申请"));
    Twips::place(Frame1, 3480, 1500, 6900, 3900);
    Label3 = label(Frame1, QStringLiteral("Label3"), QStringLiteral("票据本编号"), 300, 420);
    Label5 = label(Frame1, QStringLiteral("Label5"), QString(), 1380, 420);
    Label5->resize(Twips::toPixels(2000), Label3->height());
    Label4 = label(Frame1, QStringLiteral("Label4"), QStringLiteral("票据编号"), 3600, 420);
    Label6 = label(Frame1, QStringLiteral("Label6"), QString(), 4500, 420);
    Label6->resize(Twips::toPixels(2100), Label4->height());
    Option1 = new OptionButton(QStringLiteral("作废恢复"), Frame1);
    Option1->setObjectName(QStringLiteral("Option1"));
    Option1->setValue(true);
    Twips::place(Option1, 300, 840, 1500, 300);
    label(Frame1, QStringLiteral("Label10"), QStringLiteral("调整事由"), 300, 1290);
    Text3 = textBox(Frame1, QStringLiteral("Text3"), 300, 1560, 6300, 1500);
    Text3->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Command6 = button(Frame1, QStringLiteral("Command6"), QStringLiteral("确认提交"), 4260, 3300, 1095);
    Command5 = button(Frame1, QStringLiteral("Command5"), QStringLiteral("退出"), 5505, 3300, 1095);
}

void Frm票据作废恢复申请::buildStatusPanel()
{
    Frame2 = panel(this, QStringLiteral("Frame2"), QStringLiteral("审批情况"));
    Twips::place(Frame2, 120, 570, 13620, 7560);
    Check1 = new CheckBox(QStringLiteral("仅显示审批中"), Frame2);
    Check1->setObjectName(QStringLiteral("Check1"));
    Twips::place(Check1, 240, 330, 2000, 300);
    Label7 = label(Frame2, QStringLiteral("Label7"), QStringLiteral("申请内容"), 240, 720);
    MSFlexGrid3 = grid(Frame2, QStringLiteral("MSFlexGrid3"), applicationGridFormat());
    Twips::place(MSFlexGrid3, 240, 960, 13140, 3300);
    Label8 = label(Frame2, QStringLiteral("Label8"), QStringLiteral("审批情况"), 240, 4380);
    MSFlexGrid4 = grid(Frame2, QStringLiteral("MSFlexGrid4"), stepGridFormat());
    Twips::place(MSFlexGrid4, 240, 4620, 13140, 2340);
    MSFlexGrid4->hide();
    Command8 = button(Frame2, QStringLiteral("Command8"), QStringLiteral("退出"), 12285, 7080, 1095);
}

void Frm票据作废恢复申请::connectHandlers()
{
    connectHandler(Command1, &QPushButton::clicked, this, &Frm票据作废恢复申请::Command1_Click);
    connectHandler(MSFlexGrid1, &FlexGrid::cellClicked, this, &Frm票据作废恢复申请::MSFlexGrid1_Click);
    connectHandler(Command2, &QPushButton::clicked, this, &Frm票据作废恢复申请::Command2_Click);
    connectHandler(Command4, &QPushButton::clicked, this, &Frm票据作废恢复申请::Command4_Click);
    connectHandler(Command6, &QPushButton::clicked, this, &Frm票据作废恢复申请::Command6_Click);
    connectHandler(Command5, &QPushButton::clicked, this, &Frm票据作废恢复申请::Command5_Click);
    connectHandler(Command7, &QPushButton::clicked, this, &Frm票据作废恢复申请::Command7_Click);
    connectHandler(MSFlexGrid3, &FlexGrid::cellClicked, this, &Frm票据作废恢复申请::MSFlexGrid3_Click);
    connectHandler(Command8, &QPushButton::clicked, this, &Frm票据作废恢复申请::Command8_Click);
    connectHandler(Command3, &QPushButton::clicked, this, &Frm票据作废恢复申请::Command3_Click);
}

void Frm票据作废恢复申请::Form_Load()
{
    CenterChild(this);
}

// The grids take the window's width; the lines grid and the status panel its height.
void Frm票据作废恢复申请::Form_Resize()
{
    const int margin = Twips::toPixels(120);
    const int width = innerSize().width() - 2 * margin;
    const int height = innerSize().height();
    if (width <= 0)
        return;
    MSFlexGrid1->resize(width, MSFlexGrid1->height());
    const int linesHeight = height - MSFlexGrid2->y() - margin;
    if (linesHeight > 0)
        MSFlexGrid2->resize(width, linesHeight);
    const int panelHeight = height - Frame2->y() - margin;
    if (panelHeight > 0) {
        Frame2->resize(width, panelHeight);
        const int inner = width - 2 * Twips::toPixels(240);
        MSFlexGrid3->resize(inner, MSFlexGrid3->height());
        Command8->move(Frame2->width() - Twips::toPixels(240) - Command8->width(),
                       Frame2->height() - Twips::toPixels(120) - Command8->height());
        const int stepsHeight = Command8->y() - Twips::toPixels(120) - MSFlexGrid4->y();
        if (stepsHeight > 0)
            MSFlexGrid4->resize(inner, stepsHeight);
    }
    Frame1->move(qMax(0, (innerSize().width() - Frame1->width()) / 2), Frame1->y());
}

// The columns take the width of their widest text, so no value is cut short.
void Frm票据作废恢复申请::fitColumns(FlexGrid *grid)
{
    AutoSizeColumns(grid, this);
}

void Frm票据作废恢复申请::resetGrid(FlexGrid *grid, const QString &format)
{
    grid->setFormatString(format);
    grid->setRows(1);
}

// ---------------------------------------------------------------- search

void Frm票据作废恢复申请::Command1_Click()
{
    MSFlexGrid2->setRows(1);
    MSFlexGrid2->hide();
    const QString condition = billSearchCondition(Text1->text(), Text2->text());
    if (condition.isEmpty()) {
        MessageBoxes::show(this, QStringLiteral("请输入正确票据本号或票据编号!"), QStringLiteral("注意！"), Icon::None);
        return;
    }
    db::Recordset bills;
    {
        Hourglass busy;
        bills = DbConnection().open(billSearchSql(condition));
    }
    resetGrid(MSFlexGrid1, billGridFormat());
    MSFlexGrid1->setCols(BillGridColumns);
    for (int col = BillIdColumn; col < BillGridColumns; ++col)
        MSFlexGrid1->setColWidth(col, 0);
    MSFlexGrid1->hide();
    for (; !bills.eof(); bills.moveNext())
        addBillRow(bills);
    fitColumns(MSFlexGrid1);
    for (int col = BillIdColumn; col < BillGridColumns; ++col)
        MSFlexGrid1->setColWidth(col, 0);
    MSFlexGrid1->show();
    if (MSFlexGrid1->Rows() == 1)
        MessageBoxes::show(this, QStringLiteral("未查到相关票据信息"), QStringLiteral("注意！"), Icon::None);
}

void Frm票据作废恢复申请::addBillRow(const db::Recordset &bills)
{
    FlexGrid *g = MSFlexGrid1;
    const int row = g->Rows();
    g->setRows(row + 1);
    g->setTextMatrix(row, 0, QString::number(row));
    for (int i = 0; i < int(std::size(BillColumns)); ++i) {
        const QString column = QString::fromUtf8(BillColumns[i]);
        QString text;
        if (column == QStringLiteral("金额"))
            text = numberOrZero(bills, column);
        else if (isDateColumn(column))
            text = shownDate(bills, column);
        else
            text = bills.text(column);
        g->setTextMatrix(row, i + 1, text);
    }
    g->setTextMatrix(row, BillIdColumn, bills.text(QStringLiteral("ID")));
    g->setTextMatrix(row, IssuingDeptColumn, bills.text(QStringLiteral("开票部门编号")));
}

void Frm票据作废恢复申请::MSFlexGrid1_Click()
{
    FlexGrid *g = MSFlexGrid1;
    MSFlexGrid2->show();
    const int row = g->Row();
    if (row < 1 || row >= g->Rows() || g->TextMatrix(row, 1).isEmpty()) {
        MSFlexGrid2->hide();
        return;
    }
    Text1->setText(g->TextMatrix(row, 1));
    Text2->setText(g->TextMatrix(row, 2));

    db::Recordset lines = DbConnection().open(billLinesSql(Text1->text(), Text2->text()));
    resetGrid(MSFlexGrid2, lineGridFormat());
    for (; !lines.eof(); lines.moveNext())
        addLineRow(lines);
    fitColumns(MSFlexGrid2);
}

void Frm票据作废恢复申请::addLineRow(const db::Recordset &lines)
{
    FlexGrid *g = MSFlexGrid2;
    const int row = g->Rows();
    g->setRows(row + 1);
    QString daily = QStringLiteral("空白老数据");
    if (!lines.isNull(QStringLiteral("非日常")))
        daily = lines.flag(QStringLiteral("非日常")) ? QStringLiteral("否") : QStringLiteral("是");
    const QStringList cells = {
        QString::number(row),
        lines.text(QStringLiteral("入库单编号")),
        lines.text(QStringLiteral("票据编号")),
        lines.text(QStringLiteral("品名")),
        lines.text(QStringLiteral("规格")),
        lines.text(QStringLiteral("项目")),
        lines.text(QStringLiteral("数量")),
        lines.text(QStringLiteral("单价")),
        lines.text(QStringLiteral("单位")),
        numberOrZero(lines, QStringLiteral("金额")),
        lines.text(QStringLiteral("摘要")),
        lines.text(QStringLiteral("科目代号")),
        lines.text(QStringLiteral("收费项目代号")),
        daily,
        numberOrZero(lines, QStringLiteral("税额")),
        numberOrZero(lines, QStringLiteral("税率")),
        numberOrZero(lines, QStringLiteral("应税科目")),
        numberOrZero(lines, QStringLiteral("不含税单价")),
        numberOrZero(lines, QStringLiteral("不含税金额")),
    };
    for (int col = 0; col < cells.size(); ++col)
        g->setTextMatrix(row, col, cells[col]);
}

void Frm票据作废恢复申请::Command2_Click()
{
    Text1->clear();
    Text2->clear();
    MSFlexGrid1->setRows(1);
    MSFlexGrid2->setRows(1);
    MSFlexGrid2->hide();
}

// ---------------------------------------------------------------- applying

void Frm票据作废恢复申请::Command4_Click()
{
    if (Text1->text().trimmed().isEmpty() || Text2->text().trimmed().isEmpty())
        return;
    if (const auto refusal = RestorationSubmission::billRefusal(DbConnection(), Text1->text(), Text2->text())) {
        showRefusal(*refusal);
        return;
    }
    const QString question = QStringLiteral("请确定是否要对发票本为：") + Text1->text() + QStringLiteral(" 票据编号为： ")
        + Text2->text() + QStringLiteral(" 进行处理吗？");
    if (MessageBoxes::showWithAppTitle(this, question, Icon::Question, Buttons::YesNo) != Answer::Yes)
        return;
    Label5->setText(Text1->text());
    Label6->setText(Text2->text());
    Frame1->show();
    Frame1->raise();
}

// The bill's figures are those of the bill the two numbers name when it is submitted.
RestorationSubmission::Request Frm票据作废恢复申请::submission() const
{
    const OperatorContextRecord &who = OperatorContext();
    return {Text1->text(), Text2->text(), Text3->text(), Option1->text(), who.职能部门编号, who.职能部门名称,
            who.部门类别代号, Now()};
}

void Frm票据作废恢复申请::Command6_Click()
{
    RestorationSubmission::Result result;
    {
        Hourglass busy;
        result = RestorationSubmission::submit(DbConnection(), submission());
    }
    if (result.outcome != Submission::Submitted) {
        showRefusal(result.outcome, result.pendingNumber);
        return;
    }
    MessageBoxes::show(this, QStringLiteral("已提交，请等待审批。"), QStringLiteral("提示！"), Icon::None);
    Frame1->hide();
    Text3->clear();
}

// Why the application was not submitted.
void Frm票据作废恢复申请::showRefusal(Submission outcome, const QString &pendingNumber)
{
    switch (outcome) {
    case Submission::NoPath:
        MessageBoxes::show(this, QStringLiteral("尚未设置路径，请设置后再使用！"), QStringLiteral("提示！"), Icon::None);
        return;
    case Submission::NoBill:
        MessageBoxes::show(this, QStringLiteral("未查到相关票据信息"), QStringLiteral("注意！"), Icon::None);
        return;
    case Submission::NotVoided:
        MessageBoxes::show(this, QStringLiteral("发票尚未作废，无法提交审批！"), QStringLiteral("提示！"), Icon::None);
        return;
    case Submission::AlreadyInApproval:
        MessageBoxes::show(this,
                           QStringLiteral("该票据已有审批中的恢复申请（编号：") + pendingNumber
                               + QStringLiteral("），请等待其审批结束，不能重复提交！"),
                           QStringLiteral("提示！"), Icon::None);
        return;
    case Submission::Submitted:
        return;
    }
}

void Frm票据作废恢复申请::Command5_Click()
{
    Text3->clear();
    Frame1->hide();
}

// ---------------------------------------------------------------- the department's applications

void Frm票据作废恢复申请::Command7_Click()
{
    db::Recordset applications
        = DbConnection().open(applicationsOfDepartmentSql(OperatorContext().职能部门编号, Check1->value() == 1));
    resetGrid(MSFlexGrid3, applicationGridFormat());
    for (; !applications.eof(); applications.moveNext())
        addApplicationRow(applications);
    fitColumns(MSFlexGrid3);
    Frame2->show();
    Frame2->raise();
}

void Frm票据作废恢复申请::addApplicationRow(const db::Recordset &applications)
{
    FlexGrid *g = MSFlexGrid3;
    const int row = g->Rows();
    g->setRows(row + 1);
    const QStringList cells = {
        QString::number(row),
        applications.text(QStringLiteral("编号")),
        applications.text(QStringLiteral("票据入库单编号")),
        applications.text(QStringLiteral("票据编号")),
        applications.text(QStringLiteral("票据金额")),
        shownDate(applications, QStringLiteral("票据作废日期")),
        shownDate(applications, QStringLiteral("提交日期")),
        applications.text(QStringLiteral("审核状态")),
    };
    for (int col = 0; col < cells.size(); ++col)
        g->setTextMatrix(row, col, cells[col]);
}

void Frm票据作废恢复申请::MSFlexGrid3_Click()
{
    FlexGrid *g = MSFlexGrid3;
    const int row = g->Row();
    if (row < 1 || row >= g->Rows())
        return;
    db::Recordset steps = DbConnection().open(stepsOfApplicationSql(g->TextMatrix(row, 1)));
    resetGrid(MSFlexGrid4, stepGridFormat());
    for (; !steps.eof(); steps.moveNext())
        addStepRow(steps);
    fitColumns(MSFlexGrid4);
    MSFlexGrid4->show();
}

void Frm票据作废恢复申请::addStepRow(const db::Recordset &steps)
{
    FlexGrid *g = MSFlexGrid4;
    const int row = g->Rows();
    g->setRows(row + 1);
    const QString approver = steps.isNull(QStringLiteral("审批人")) ? steps.text(QStringLiteral("姓名"))
                                                                   : steps.text(QStringLiteral("审批人"));
    const QString opinion = steps.isNull(QStringLiteral("审批意见")) ? QStringLiteral("尚未审批")
                                                                     : steps.text(QStringLiteral("审批意见"));
    const QStringList cells = {
        QString::number(row), steps.text(QStringLiteral("部门")), steps.text(QStringLiteral("岗位")), approver,
        shownDate(steps, QStringLiteral("审批日期")), opinion,
    };
    for (int col = 0; col < cells.size(); ++col)
        g->setTextMatrix(row, col, cells[col]);
}

void Frm票据作废恢复申请::Command8_Click()
{
    Frame2->hide();
    MSFlexGrid3->setRows(1);
    MSFlexGrid4->setRows(1);
    MSFlexGrid4->hide();
}

void Frm票据作废恢复申请::Command3_Click()
{
    unload();
}
