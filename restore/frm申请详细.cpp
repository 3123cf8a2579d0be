#include "restore/frm申请详细.h"

#include "platform/db/Recordset.h"
#include "platform/ui/CheckBox.h"
#include "platform/ui/DisplayFormats.h"
#include "platform/ui/FlexGrid.h"
#include "platform/ui/ListBox.h"
#include "platform/ui/MessageBoxes.h"
#include "platform/ui/StatusBar.h"
#include "platform/ui/TextMeasure.h"
#include "platform/ui/PlacedControls.h"
#include "platform/ui/Twips.h"
#include "restore/RestorationApprovalSql.h"
#include "shell/AppState.h"
#include "shell/Handlers.h"
#include "shell/Program.h"

#include <QCoreApplication>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>

using MessageBoxes::Icon;
using RestorationDecision::AgreementOutcome;
using RestorationDecision::RefusalOutcome;

namespace {

// Columns of the lines grid.
enum Column { RowNumber = 0, Book = 1, Bill = 2, Item = 3, Amount = 4, Tax = 5, TaxRate = 6, Summary = 7 };

const QString InApproval = QStringLiteral("审批中");
const QString Approved = QStringLiteral("审核通过");
const QString Agree = QStringLiteral("同意");
const QString Disagree = QStringLiteral("不同意");
const QString NoticeTitle = QStringLiteral("注意！");
const QString PromptTitle = QStringLiteral("提示！");

QLabel *caption(QWidget *parent, const QString &name, const QString &text, int left, int top, int width)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Twips::place(l, left, top, width, 330);
    return l;
}

// A value shown in a sunken field, as the application's data are shown.
QLabel *valueField(QWidget *parent, const QString &name, int left, int top, int width)
{
    auto *l = new QLabel(parent);
    l->setObjectName(name);
    l->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    l->setAutoFillBackground(true);
    l->setBackgroundRole(QPalette::Base);
    l->setIndent(4);
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Twips::place(l, left, top, width, 330);
    return l;
}

QPushButton *button(QWidget *parent, const QString &name, const QString &text, int left, int top)
{
    return PlacedControls::button(parent, name, text, left, top, 1155, 375);
}

// A date column in the system's short form; a value that is no date as it is.
QString dateText(const db::Recordset &row, const QString &column)
{
    const QDate date = row.date(column);
    return date.isValid() ? DisplayFormats::shortDate(date) : row.text(column);
}

// A number column of the lines: NULL shows as 0.
QString numberText(const db::Recordset &row, const QString &column)
{
    return row.isNull(column) ? QStringLiteral("0") : row.text(column);
}

// Runs one step of loading the list; a step that fails is passed over.
template <typename Step>
void skippingFailure(Step step)
{
    try {
        step();
    } catch (const std::exception &) {
    }
}

} // namespace

// ---------------------------------------------------------------- construction

frm申请详细::frm申请详细(QWidget *parent) : ChildWindow(parent)
{
    setObjectName(QStringLiteral("frm申请详细"));
    setWindowTitle(QStringLiteral("申请详细"));
    buildControls();
    connectHandlers();
}

QString frm申请详细::gridFormat()
{
    return QStringLiteral("|>入库单编号     |>票据编号       |>收费项目          |>金额        |>税金            |>税率     |>摘要             |");
}

void frm申请详细::buildControls()
{
    setFixedSize(Twips::size(15360, 7935));

    // The list of applications down the left side.
    Check1 = new CheckBox(QStringLiteral("仅显示审批中"), this);
    Check1->setObjectName(QStringLiteral("Check1"));
    Twips::place(Check1, 120, 120, 2400, 330);
    Label1[0] = new QLabel(QStringLiteral("申请列表编号"), this);
    Label1[0]->setObjectName(QStringLiteral("Label1(0)"));
    Twips::place(Label1[0], 120, 510, 2400, 255);
    List1 = new ListBox(this);
    List1->setObjectName(QStringLiteral("List1"));
    Twips::place(List1, 120, 795, 4800, 6300);

    buildApplicationPanel();

    MSFlexGrid1 = new FlexGrid(this);
    MSFlexGrid1->setObjectName(QStringLiteral("MSFlexGrid1"));
    Twips::place(MSFlexGrid1, 5040, 2040, 10200, 3420);
    resetLinesGrid();

    buildDecisionPanel();

    // The button bar and the status bar along the bottom edge.
    Picture2 = new QWidget(this);
    Picture2->setObjectName(QStringLiteral("Picture2"));
    Twips::place(Picture2, 0, 7200, 15360, 420);
    for (int i = 1; i <= 3; ++i) {
        // Kept for the label array; they have nothing to tell in this window.
        Label1[i] = new QLabel(QStringLiteral("定额"), Picture2);
        Label1[i]->setObjectName(QStringLiteral("Label1(%1)").arg(i));
        Twips::place(Label1[i], 120 + (i - 1) * 720, 90, 600, 255);
        Label1[i]->hide();
    }
    Command4 = button(Picture2, QStringLiteral("Command4"), QStringLiteral("处理"), 12765, 30);
    Command1 = button(Picture2, QStringLiteral("Command1"), QStringLiteral("退出"), 14085, 30);
    Command4->setEnabled(false); // until an application is selected

    StatusBar1 = new StatusBar(1, this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    Twips::place(StatusBar1, 0, 7620, 15360, 315);

    setTabOrder(Check1, List1);
    setTabOrder(List1, Text1);
    setTabOrder(Text1, MSFlexGrid1);
    setTabOrder(MSFlexGrid1, Text2);
    setTabOrder(Text2, Command2);
    setTabOrder(Command2, Command3);
    setTabOrder(Command3, Command4);
    setTabOrder(Command4, Command1);
}

// The selected application: type, department, bill, amount, void date and the reason.
void frm申请详细::buildApplicationPanel()
{
    Picture1 = new QFrame(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    Twips::place(Picture1, 5040, 120, 10200, 1800);

    constexpr int captionLeft = 120, valueLeft = 1920, rightCaptionLeft = 5280, rightValueLeft = 6480;
    constexpr int row1 = 150, row2 = 570, row3 = 990, row4 = 1380;

    Label10 = caption(Picture1, QStringLiteral("Label10"), QStringLiteral("编号对应审批类型"), captionLeft, row1, 1740);
    Label11 = valueField(Picture1, QStringLiteral("Label11"), valueLeft, row1, 3000);
    Label8 = caption(Picture1, QStringLiteral("Label8"), QStringLiteral("申请部门："), rightCaptionLeft, row1, 1140);
    Label9 = valueField(Picture1, QStringLiteral("Label9"), rightValueLeft, row1, 3600);

    // A bill is known by its book and its number: the book's number comes first.
    Label2 = caption(Picture1, QStringLiteral("Label2"), QStringLiteral("票据编号："), captionLeft, row2, 1740);
    Label13 = valueField(Picture1, QStringLiteral("Label13"), valueLeft, row2, 1440);
    Label13->setToolTip(QStringLiteral("票据本编号"));
    Label5 = valueField(Picture1, QStringLiteral("Label5"), valueLeft + 1500, row2, 1500);
    Label3 = caption(Picture1, QStringLiteral("Label3"), QStringLiteral("票据金额："), rightCaptionLeft, row2, 1140);
    Label6 = valueField(Picture1, QStringLiteral("Label6"), rightValueLeft, row2, 1800);
    Label6->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    Label4 = caption(Picture1, QStringLiteral("Label4"), QStringLiteral("作废日期："), captionLeft, row3, 1740);
    Label7 = valueField(Picture1, QStringLiteral("Label7"), valueLeft, row3, 1800);

    Text1 = new QLineEdit(Picture1);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setReadOnly(true);
    Text1->setToolTip(QStringLiteral("调整事由"));
    Twips::place(Text1, valueLeft, row4, 8160, 330);
}

void frm申请详细::buildDecisionPanel()
{
    Frame1 = new QGroupBox(QStringLiteral("审批"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Twips::place(Frame1, 5040, 5580, 10200, 1515);
    Label12 = new QLabel(QStringLiteral("审批意见"), Frame1);
    Label12->setObjectName(QStringLiteral("Label12"));
    Twips::place(Label12, 240, 375, 960, 330);
    Text2 = new QLineEdit(Frame1);
    Text2->setObjectName(QStringLiteral("Text2"));
    Twips::place(Text2, 1200, 375, 8760, 330);
    Command2 = button(Frame1, QStringLiteral("Command2"), Agree, 7485, 930);
    Command3 = button(Frame1, QStringLiteral("Command3"), Disagree, 8805, 930);
    Frame1->hide();
}

// Failures of the selection and of the decisions are shown in the error box with the
// critical icon; the list's loading passes over its own (see loadApplications).
void frm申请详细::connectHandlers()
{
    connectHandler(Check1, &CheckBox::valueChanged, this, &frm申请详细::Check1_Click);
    connectHandler(List1, &ListBox::lineChosen, this, &frm申请详细::List1_Click);
    connectHandler(Command4, &QPushButton::clicked, this, &frm申请详细::Command4_Click);
    connectHandler(Command2, &QPushButton::clicked, this, &frm申请详细::Command2_Click);
    connectHandler(Command3, &QPushButton::clicked, this, &frm申请详细::Command3_Click);
    connectHandler(Command1, &QPushButton::clicked, this, &frm申请详细::Command1_Click);
}

// ---------------------------------------------------------------- loading

void frm申请详细::Form_Load()
{
    fixFrameSize(true);
}

void frm申请详细::Form_Activate()
{
    loadApplications();
}

void frm申请详细::Check1_Click()
{
    loadApplications();
}

// Each step stands alone: one that fails is passed over and the next one runs. The
// application shown before is forgotten, so a decision never applies to one that the
// new list may not hold.
void frm申请详细::loadApplications()
{
    skippingFailure([this] {
        List1->clear();
        forgetApplication();
        clearValueLabels();
        resetLinesGrid();
    });
    db::Recordset rows;
    skippingFailure([&] {
        Hourglass busy;
        rows = DbConnection().open(applicationListSql(OperatorContext().岗位代号, Check1->value() == 1));
    });
    // One line per step of the post: an application with two steps for it comes twice.
    skippingFailure([&] {
        for (; !rows.eof(); rows.moveNext())
            List1->addLine(rows.text(QStringLiteral("编号")) + QLatin1Char(' ') + rows.text(QStringLiteral("部门"))
                               + dateText(rows, QStringLiteral("票据作废日期")) + rows.text(QStringLiteral("审核状态"))
                               + QLatin1Char(' ') + rows.text(QStringLiteral("环节序号")),
                           rows.value(QStringLiteral("ID")).toLongLong());
    });
    skippingFailure([this] {
        if (List1->listCount() > 0) {
            List1->setListIndex(0);
            QCoreApplication::processEvents();
        }
    });
    skippingFailure([this] { MSFlexGrid1->setColWidth(MSFlexGrid1->Cols() - 1, 0); });
}

// ---------------------------------------------------------------- selecting an application

void frm申请详细::List1_Click()
{
    const int line = List1->listIndex();
    if (line < 0)
        return;
    try {
        showApplication(List1->itemData(line));
    } catch (...) {
        // Nothing half-shown stays to be decided on.
        forgetApplication();
        clearValueLabels();
        resetLinesGrid();
        throw;
    }
}

// The application is found by its ID, whatever its number holds (blanks included).
// A decision panel already shown stays shown and applies to this application.
void frm申请详细::showApplication(qlonglong id)
{
    m_selected = SelectedApplication();
    db::Recordset application;
    db::Recordset lines;
    db::Recordset step;
    {
        Hourglass busy;
        application = DbConnection().open(applicationStepsByIdSql(OperatorContext().岗位代号, id));
        if (application.eof())
            throw db::DbError(QStringLiteral("所选的申请已不存在，或已不在本岗位审批。"));
        lines = DbConnection().open(copiedLinesSql(application.text(QStringLiteral("编号"))));
        // The step as shown now: a decision is written only onto this state.
        step = DbConnection().open(stepStateSql({application.text(QStringLiteral("编号")), OperatorContext().岗位代号,
                                                 application.text(QStringLiteral("环节序号"))}));
    }

    SelectedApplication selected;
    selected.id = id;
    selected.number = application.text(QStringLiteral("编号"));
    selected.stepNumber = application.text(QStringLiteral("环节序号"));
    selected.departmentCode = application.text(QStringLiteral("部门编号"));
    selected.bookNumber = application.text(QStringLiteral("票据入库单编号"));
    selected.billNumber = application.text(QStringLiteral("票据编号"));
    selected.voidedOn = RestorationDecision::recordedMoment(application, QStringLiteral("票据作废日期"));
    selected.stepAsShown = RestorationDecision::stepState(step);
    Command4->setEnabled(application.text(QStringLiteral("审核状态")) != Approved);

    resetLinesGrid();
    FlexGrid *grid = MSFlexGrid1;
    for (; !lines.eof(); lines.moveNext()) {
        const int row = grid->Rows();
        grid->setRows(row + 1);
        grid->setTextMatrix(row, RowNumber, QString::number(row));
        grid->setTextMatrix(row, Book, lines.text(QStringLiteral("票据入库单编号")));
        grid->setTextMatrix(row, Bill, lines.text(QStringLiteral("票据编号")));
        grid->setTextMatrix(row, Item, lines.text(QStringLiteral("收费项目")));
        grid->setTextMatrix(row, Amount, numberText(lines, QStringLiteral("金额")));
        grid->setTextMatrix(row, Tax, numberText(lines, QStringLiteral("税金")));
        grid->setTextMatrix(row, TaxRate, numberText(lines, QStringLiteral("税率")));
        grid->setTextMatrix(row, Summary, lines.text(QStringLiteral("摘要")));
        widenLineColumns(row);
    }

    Label5->setText(selected.billNumber);
    Label6->setText(application.isNull(QStringLiteral("票据金额")) ? QStringLiteral("0")
                                                                   : application.text(QStringLiteral("票据金额")));
    Label7->setText(dateText(application, QStringLiteral("票据作废日期")));
    Label9->setText(application.text(QStringLiteral("部门")));
    Label11->setText(application.text(QStringLiteral("类型名称")));
    Label13->setText(selected.bookNumber);
    Text1->setText(application.isNull(QStringLiteral("调整事由")) ? QStringLiteral(" ")
                                                                   : application.text(QStringLiteral("调整事由")));
    Text1->setCursorPosition(0);
    m_selected = selected;

    // A bill voided without lines copied none; the application can still be decided.
    if (grid->Rows() == 1)
        MessageBoxes::show(this, QStringLiteral("此票未开发票作废或是定额票作废！"), PromptTitle, Icon::None);
}

// A column grows to show its longest text; none becomes narrower than its heading.
void frm申请详细::widenLineColumns(int row)
{
    FlexGrid *grid = MSFlexGrid1;
    for (int col = Book; col <= Summary; ++col) {
        const int wanted = TextMeasure::widthTwips(grid->font(), grid->TextMatrix(row, col)) + 90;
        if (wanted > grid->ColWidth(col))
            grid->setColWidth(col, wanted);
    }
}

void frm申请详细::resetLinesGrid()
{
    MSFlexGrid1->setFormatString(gridFormat());
    MSFlexGrid1->setRows(1);
    // The last column holds nothing and is not shown.
    MSFlexGrid1->setColWidth(MSFlexGrid1->Cols() - 1, 0);
}

void frm申请详细::clearValueLabels()
{
    for (QLabel *value : {Label5, Label6, Label7, Label9, Label11, Label13})
        value->clear();
    Text1->clear();
}

void frm申请详细::forgetApplication()
{
    m_selected = SelectedApplication();
    Command4->setEnabled(false);
    Frame1->hide();
}

// ---------------------------------------------------------------- deciding

void frm申请详细::Command4_Click()
{
    Frame1->show();
    Frame1->raise();
    Text2->setFocus();
}

RestorationDecision::Request frm申请详细::decisionRequest() const
{
    return {m_selected, OperatorContext().岗位代号, OperatorContext().姓名, Text2->text(), Now()};
}

// The opinion box shows the opinion as the decision took it.
void frm申请详细::showOpinion(const QString &opinion)
{
    if (Text2->text() != opinion)
        Text2->setText(opinion);
}

// "同意": a failure at any statement leaves every table as it was (the error box
// reports it; the line stays).
void frm申请详细::Command2_Click()
{
    if (m_selected.id == 0)
        return;
    RestorationDecision::Result<AgreementOutcome> result;
    {
        Hourglass busy;
        result = RestorationDecision::agree(DbConnection(), decisionRequest());
    }
    showOpinion(result.opinion);
    if (result.outcome == AgreementOutcome::DecidedMeanwhile) {
        MessageBoxes::show(this, result.decidedMeanwhile, PromptTitle, Icon::None);
        return;
    }
    if (result.outcome != AgreementOutcome::Agreed) {
        showAgreementRefused(result.outcome);
        return;
    }
    finishDecision();
    MessageBoxes::show(this, QStringLiteral("审批完成!"), PromptTitle, Icon::None);
    clearValueLabels();
}

// Why the agreement was not written.
void frm申请详细::showAgreementRefused(AgreementOutcome outcome)
{
    switch (outcome) {
    case AgreementOutcome::BillMissing:
        MessageBoxes::show(this, QStringLiteral("票据已不存在，不能重开票据！"), NoticeTitle, Icon::None);
        return;
    case AgreementOutcome::IssuedBeforeClosing:
        MessageBoxes::show(this, QStringLiteral("开票日期小于封帐日期，不能重开票据！"), NoticeTitle, Icon::None);
        return;
    case AgreementOutcome::PaidBeforeClosing:
        MessageBoxes::show(this, QStringLiteral("收款日期小于封帐日期，不能重开票据！"), NoticeTitle, Icon::None);
        return;
    case AgreementOutcome::VoucherOrWriteOff:
        MessageBoxes::show(this, QStringLiteral("已经获取过凭证或者已经核销，不可以重开票据"), NoticeTitle, Icon::None);
        return;
    case AgreementOutcome::OpinionIsRefusal:
        MessageBoxes::show(this, QStringLiteral("审批同意时，意见不能为不同意！"), PromptTitle, Icon::None);
        return;
    case AgreementOutcome::BillNoLongerVoided:
        MessageBoxes::show(this, QStringLiteral("票据已不在作废状态（可能已由其他申请恢复并重新开出），不能按本申请恢复！"),
                           NoticeTitle, Icon::None);
        return;
    case AgreementOutcome::BillVoidedOnAnotherDay:
        MessageBoxes::show(this, QStringLiteral("票据的作废日期与本申请记录的不同（恢复后又重新作废），不能按本申请恢复！"),
                           NoticeTitle, Icon::None);
        return;
    case AgreementOutcome::DecidedMeanwhile:
    case AgreementOutcome::Agreed:
        return;
    }
}

// "不同意".
void frm申请详细::Command3_Click()
{
    if (m_selected.id == 0)
        return;
    RestorationDecision::Result<RefusalOutcome> result;
    {
        Hourglass busy;
        result = RestorationDecision::refuse(DbConnection(), decisionRequest());
    }
    switch (result.outcome) {
    case RefusalOutcome::OpinionMissing:
        MessageBoxes::show(this, QStringLiteral("请输入意见！"), QStringLiteral("提示"), Icon::None);
        return;
    case RefusalOutcome::OpinionIsAgreement:
        MessageBoxes::show(this, QStringLiteral("审批不同意时，意见不能为同意！"), PromptTitle, Icon::None);
        return;
    case RefusalOutcome::DecidedMeanwhile:
        MessageBoxes::show(this, result.decidedMeanwhile, PromptTitle, Icon::None);
        return;
    case RefusalOutcome::Refused:
        break;
    }
    finishDecision();
    clearValueLabels();
}

// The decided line leaves the list (the selected one; the first when none is), the
// panel closes and the application is forgotten. The opinion and the lines stay.
void frm申请详细::finishDecision()
{
    const int line = List1->listIndex();
    if (List1->listCount() > 0)
        List1->removeLine(line < 0 ? 0 : line);
    forgetApplication();
}

void frm申请详细::Command1_Click()
{
    unload();
}
