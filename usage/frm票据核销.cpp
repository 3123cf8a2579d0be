#include "usage/frm票据核销.h"

#include "platform/Decimal.h"
#include "platform/db/Recordset.h"
#include "platform/ui/DisplayFormats.h"
#include "platform/ui/DropDownList.h"
#include "platform/ui/FlexGrid.h"
#include "platform/ui/KeyedTree.h"
#include "platform/ui/PictureButton.h"
#include "platform/ui/StatusBar.h"
#include "platform/ui/TextMeasure.h"
#include "platform/ui/PlacedControls.h"
#include "platform/ui/Twips.h"
#include "shell/AppState.h"
#include "shell/Handlers.h"
#include "shell/Module1.h"
#include "shell/Program.h"
#include "usage/IssuedBooksSql.h"
#include "usage/frm票据明细.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

namespace {

using PlacedControls::departmentIcon;
using PlacedControls::label;

const QString Marked = QStringLiteral("√");

// Grid columns.
enum Column {
    RowNumber = 0, Mark = 1, BookNumber = 2, TypeName = 3, IssueDate = 4, FirstNumber = 5, LastNumber = 6,
    BillCount = 7, Issued = 8, Voided = 9, Unused = 10, IssuedAmount = 11, Unpaid = 12, UnpaidAmount = 13,
    Details = 14, IssueLineId = 15,
};
constexpr int LastWidenedColumn = UnpaidAmount;

// The down arrow of the button that opens the department tree.
QIcon downArrow()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 40, 40));
    p.drawPolygon(QPolygonF({QPointF(3.5, 6), QPointF(12.5, 6), QPointF(8, 11)}));
    return QIcon(pixmap);
}

// Image 1 of the tree: a department (a small building).
QLineEdit *totalBox(QWidget *parent, const QString &name, int left, int top, int width)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setReadOnly(true);
    box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Twips::place(box, left, top, width, 300);
    return box;
}

// Numbers in cells and boxes are read the lenient way: empty or other text is 0.
Decimal valueOf(const QString &text)
{
    return Decimal::fromText(text);
}

} // namespace

frm票据核销::frm票据核销(QWidget *parent) : ChildWindow(parent)
{
    setObjectName(QStringLiteral("frm票据核销"));
    setWindowTitle(QStringLiteral("票据核销"));
    buildControls();
}

QString frm票据核销::gridFormat()
{
    return QStringLiteral("序|^选择|<票据本（箱）编号|<票据类型|<领用日期|<票据起始号码|<票据终止号码|>份数|>已开票数|>作废数|>未用数|"
                          ">开票金额合计|>未收款数|>未收款金额合计|^查看|");
}

QColor frm票据核销::unusedHighlight()
{
    return QColor(43, 141, 201);
}

QColor frm票据核销::markedColour()
{
    return QColor(187, 204, 250);
}

void frm票据核销::buildControls()
{
    resize(Twips::size(12795, 8760));

    Label1[0] = label(this, QStringLiteral("Label1(0)"), QStringLiteral("部门"), 90, 150, 360, 180);
    Text10 = new QLineEdit(this);
    Text10->setObjectName(QStringLiteral("Text10"));
    Text10->setReadOnly(true);
    Twips::place(Text10, 510, 90, 4005, 330);
    Command6 = new PictureButton(this);
    Command6->setObjectName(QStringLiteral("Command6"));
    Command6->setPicture(downArrow());
    Command6->setFocusPolicy(Qt::TabFocus);
    Twips::place(Command6, 4170, 120, 315, 255);
    Label2 = label(this, QStringLiteral("Label2"), QStringLiteral("票据类型"), 4710, 120, 765, 225);
    Combo1 = new DropDownList(this);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Twips::place(Combo1, 5490, 90, 3795, 300);
    Label1[1] = label(this, QStringLiteral("Label1(1)"), QStringLiteral("领用的票据（本）"), 90, 450, 1440, 180);

    MSFlexGrid1 = new FlexGrid(this);
    MSFlexGrid1->setObjectName(QStringLiteral("MSFlexGrid1"));
    MSFlexGrid1->setFormatString(gridFormat());
    MSFlexGrid1->setFixedCols(4);
    MSFlexGrid1->setRowHeightMin(300);
    Twips::place(MSFlexGrid1, 30, 660, 12705, 6045);

    // The drop-down tree lies over the left part of the grid while it is open.
    TreeView1 = new KeyedTree(this);
    TreeView1->setObjectName(QStringLiteral("TreeView1"));
    TreeView1->setImageList({departmentIcon()});
    Twips::place(TreeView1, 30, 450, 4500, 6150);
    TreeView1->hide();

    buildTotalsPanel();

    Picture2 = new QWidget(this);
    Picture2->setObjectName(QStringLiteral("Picture2"));
    Twips::place(Picture2, 0, 8040, 12795, 405);
    Command4 = new QPushButton(QStringLiteral("退出"), Picture2);
    Command4->setObjectName(QStringLiteral("Command4"));
    Twips::place(Command4, 11340, 0, 1245, 315);

    StatusBar2 = new StatusBar(1, this);
    StatusBar2->setObjectName(QStringLiteral("StatusBar2"));
    StatusBar2->setSizeGripEnabled(false);
    Twips::place(StatusBar2, 0, 8445, 12795, 315);

    connectHandler(Combo1, &DropDownList::entryChosen, this, &frm票据核销::Combo1_Click);
    connectHandler(Command6, &QPushButton::clicked, this, &frm票据核销::Command6_Click);
    connectHandler(TreeView1, &KeyedTree::nodeDoubleClicked, this, &frm票据核销::TreeView1_DblClick);
    connectHandler(MSFlexGrid1, &FlexGrid::cellClicked, this, &frm票据核销::MSFlexGrid1_Click);
    connectHandler(MSFlexGrid1, &FlexGrid::mouseReleased, this, &frm票据核销::MSFlexGrid1_MouseUp);
    connectHandler(Command4, &QPushButton::clicked, this, &frm票据核销::Command4_Click);
}

void frm票据核销::buildTotalsPanel()
{
    Frame1 = new QFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setFrameShape(QFrame::StyledPanel);
    Twips::place(Frame1, 30, 6645, 12705, 1275);

    struct Total
    {
        int index;
        const char *caption;
        int labelLeft, labelTop;
        QLineEdit **box;
        const char *boxName;
        int boxLeft, boxTop, boxWidth;
    };
    const Total totals[] = {
        {3, "核销数量", 2310, 270, &Text1, "Text1", 3060, 210, 885},
        {4, "开票数量合计", 4020, 270, &Text2, "Text2", 5130, 210, 1005},
        {5, "作废数量合计", 6210, 270, &Text3, "Text3", 7320, 210, 1005},
        {6, "未用数量合计", 8400, 270, &Text4, "Text4", 9510, 210, 1005},
        {7, "未收款数量合计", 10590, 270, &Text5, "Text5", 11880, 210, 705},
        {8, "开票金额合计", 120, 600, &Text6, "Text6", 1230, 540, 1485},
        {9, "未收款金额合计", 2790, 600, &Text7, "Text7", 4080, 540, 1485},
    };
    for (const Total &t : totals) {
        const QString caption = QString::fromUtf8(t.caption);
        Label1[t.index] = label(Frame1, QStringLiteral("Label1(%1)").arg(t.index), caption, t.labelLeft, t.labelTop,
                                t.boxLeft - t.labelLeft - 30, 180);
        *t.box = totalBox(Frame1, QString::fromLatin1(t.boxName), t.boxLeft, t.boxTop, t.boxWidth);
    }
}

// ---------------------------------------------------------------- loading

void frm票据核销::Form_Load()
{
    CenterChild(this);
    runReportingErrors([this] {
        loadBillTypes();
        loadDepartmentTree();
    });
    MSFlexGrid1->setColWidth(IssueLineId, 0);
    MSFlexGrid1->setRows(1);
}

void frm票据核销::loadBillTypes()
{
    db::Recordset types = DbConnection().open(usageBillTypesSql());
    Combo1->clearLines();
    Combo1->addLine(QStringLiteral("全部"));
    for (; !types.eof(); types.moveNext())
        Combo1->addLine(types.text(QStringLiteral("票据类型")));
    Combo1->setListIndex(0);
}

void frm票据核销::loadDepartmentTree()
{
    db::Recordset departments = DbConnection().open(operatorDepartmentSql(OperatorContext().职能部门编号));
    TreeView1->clearNodes();
    for (; !departments.eof(); departments.moveNext()) {
        const QString code = departments.text(QStringLiteral("职能部门编号"));
        TreeView1->addNode(QLatin1Char('B') + code, code + QLatin1Char(' ') + departments.text(QStringLiteral("职能部门名称")), 1);
    }
}

void frm票据核销::Form_Activate()
{
    maximize();
}

void frm票据核销::Form_Resize()
{
    const QSize inner = innerSize();
    const int width = Twips::fromPixels(inner.width()), height = Twips::fromPixels(inner.height());
    // The status bar and the button bar keep to the bottom edge, across the window.
    const int statusHeight = Twips::fromPixels(StatusBar2->height());
    const int barHeight = Twips::fromPixels(Picture2->height());
    StatusBar2->setGeometry(Twips::rect(0, height - statusHeight, width, statusHeight));
    Picture2->setGeometry(Twips::rect(0, height - statusHeight - barHeight, width, barHeight));
    // "退出" keeps its distance from the right edge, as at the design size.
    const int exitLeft = width - (12795 - 11340);
    if (exitLeft > 0)
        Command4->move(Twips::toPixels(exitLeft), Command4->y());

    // Each rule stands alone; one whose result makes no sense (a window made very
    // small or minimised) is skipped.
    const int frameTop = height - statusHeight - barHeight - Twips::fromPixels(Frame1->height()) - 45;
    if (frameTop > 0)
        Frame1->move(Frame1->x(), Twips::toPixels(frameTop));
    const int frameWidth = width - Twips::fromPixels(Frame1->x()) - 45;
    if (frameWidth > 0)
        Frame1->resize(Twips::toPixels(frameWidth), Frame1->height());
    const int gridHeight = Twips::fromPixels(Frame1->y()) - Twips::fromPixels(MSFlexGrid1->y()) - 30;
    if (gridHeight > 0)
        MSFlexGrid1->resize(MSFlexGrid1->width(), Twips::toPixels(gridHeight));
    const int gridWidth = width - Twips::fromPixels(MSFlexGrid1->x()) - 45;
    if (gridWidth > 0)
        MSFlexGrid1->resize(Twips::toPixels(gridWidth), MSFlexGrid1->height());
    if (TreeView1->isVisible())
        fitTreeToGrid();
}

// ---------------------------------------------------------------- department and type

void frm票据核销::Command6_Click()
{
    TreeView1->setVisible(!TreeView1->isVisible());
    if (TreeView1->isVisible()) {
        fitTreeToGrid();
        TreeView1->raise();
        TreeView1->setFocus();
    }
}

void frm票据核销::fitTreeToGrid()
{
    const int height = MSFlexGrid1->geometry().bottom() + 1 - TreeView1->y();
    if (height > 0)
        TreeView1->resize(TreeView1->width(), height);
}

void frm票据核销::TreeView1_DblClick()
{
    // A double click with no node under it chooses nothing.
    if (TreeView1->selectedIndex() == 0)
        return;
    chooseSelectedDepartment();
}

void frm票据核销::chooseSelectedDepartment()
{
    const int node = TreeView1->selectedIndex();
    Text10->setText(TreeView1->text(node));
    SelectedDeptCode = TreeView1->key(node).mid(1);
    LoadIssuedBooks();
    TreeView1->hide();
}

void frm票据核销::Combo1_Click()
{
    if (TreeView1->selectedIndex() != 0)
        chooseSelectedDepartment();
}

// ---------------------------------------------------------------- the list

void frm票据核销::LoadIssuedBooks()
{
    const QString typeName = Combo1->listIndex() == 0 ? QString() : Combo1->text();
    Hourglass busy;
    auto books = std::make_shared<const db::ResultTable>(DbConnection().openTable(issuedBooksSql(SelectedDeptCode, typeName)));

    FlexGrid *grid = MSFlexGrid1;
    grid->setRows(1);
    grid->hide();
    const int count = books->rowCount();
    const int unused = books->requireColumn(QStringLiteral("未开数"));
    grid->setRows(1 + count);
    grid->setTableRows(1, books, bookColumns(*books));
    for (int row = 1; row <= count; ++row) {
        grid->setRow(row);
        if (!books->number(row - 1, unused).isZero()) {
            grid->setCol(Unused);
            grid->setCellBackColor(unusedHighlight());
            grid->setCellForeColor(Qt::white);
        }
    }
    widenColumns();
    grid->show();
    clearTotals();
}

namespace {

// An amount as the list shows it, to the cent ("0.00" for NULL), and as the number shown.
QString shownAmount(const db::ResultTable &books, int line, int column)
{
    return books.number(line, column).toFixed2();
}

std::optional<Decimal> shownAmountNumber(const db::ResultTable &books, int line, int column)
{
    char digits[48];
    const int length = books.number(line, column).writeFixed2(digits);
    return Decimal::fromLatin1(std::string_view(digits, size_t(length)));
}

QDate dateOf(const db::ResultTable &books, int line, int column)
{
    if (books.kind(column) == db::ResultTable::Kind::DateTime)
        return books.date(line, column);
    return QDate::fromString(books.text(line, column).left(10), Qt::ISODate);
}

} // namespace

// The list's columns from the statement's: each cell's text is made when it is shown
// or read; counts and amounts keep the number they show, which the totals add.
std::vector<FlexGridTableColumn> frm票据核销::bookColumns(const db::ResultTable &books) const
{
    auto textOf = [&books](const char *name) {
        const int c = books.requireColumn(QString::fromUtf8(name));
        return [c](const db::ResultTable &t, int line) { return t.text(line, c); };
    };
    auto countOf = [&books](int gridColumn, const char *name) {
        const int c = books.requireColumn(QString::fromUtf8(name));
        return FlexGridTableColumn{gridColumn, [c](const db::ResultTable &t, int line) { return t.text(line, c); },
                                   [c](const db::ResultTable &t, int line) { return std::optional<Decimal>(t.number(line, c)); }};
    };
    auto amountOf = [&books](int gridColumn, const char *name) {
        const int c = books.requireColumn(QString::fromUtf8(name));
        return FlexGridTableColumn{gridColumn, [c](const db::ResultTable &t, int line) { return shownAmount(t, line, c); },
                                   [c](const db::ResultTable &t, int line) { return shownAmountNumber(t, line, c); }};
    };
    const int issueDate = books.requireColumn(QStringLiteral("领用日期"));
    return {
        {RowNumber, [](const db::ResultTable &, int line) { return QString::number(line + 1); }},
        {BookNumber, textOf("入库单编号")},
        {TypeName, textOf("票据类型")},
        {IssueDate, [issueDate](const db::ResultTable &t, int line) { return DisplayFormats::slashDate(dateOf(t, line, issueDate)); }},
        {FirstNumber, textOf("起始编号")},
        {LastNumber, textOf("终止编号")},
        countOf(BillCount, "份数"),
        countOf(Issued, "开票数"),
        countOf(Voided, "作废数"),
        countOf(Unused, "未开数"),
        amountOf(IssuedAmount, "开票金额"),
        countOf(Unpaid, "预开数"),
        amountOf(UnpaidAmount, "预开金额"),
        {Details, [](const db::ResultTable &, int) { return QStringLiteral("…"); }},
        {IssueLineId, textOf("ID")},
    };
}

// Columns grow to the widest text they hold, never shrink.
void frm票据核销::widenColumns()
{
    FlexGrid *grid = MSFlexGrid1;
    for (int col = 0; col <= LastWidenedColumn; ++col) {
        int widest = 0;
        QString measured;
        for (int row = 1; row < grid->Rows(); ++row) {
            const QString text = grid->TextMatrix(row, col);
            if (text != measured)
                widest = std::max(widest, TextMeasure::widthTwips(font(), measured = text));
        }
        if (widest + 90 > grid->ColWidth(col) && grid->Rows() > 1)
            grid->setColWidth(col, widest + 90);
    }
}

// ---------------------------------------------------------------- marking

void frm票据核销::MSFlexGrid1_Click()
{
    if (SkipNextClick) {
        SkipNextClick = false;
        return;
    }
    FlexGrid *grid = MSFlexGrid1;
    const int row = grid->Row();
    if (row < 1 || row >= grid->Rows())
        return;
    if (grid->Col() > UnpaidAmount) {
        if (grid->Col() == Details)
            openBookDetails(row);
        return;
    }
    if (grid->TextMatrix(row, Mark) != Marked)
        markRow(row);
    else
        unmarkRow(row);
}

void frm票据核销::MSFlexGrid1_MouseUp(int, int shift, int, int)
{
    if (shift <= 0)
        return;
    SkipNextClick = true;
    FlexGrid *grid = MSFlexGrid1;
    const int anchor = grid->Row();
    const int end = grid->RowSel();
    for (int row = anchor + 1; row <= end; ++row) {
        grid->setRow(row);
        if (grid->TextMatrix(row, Mark) != Marked)
            markRow(row);
        else
            paintMark(row, markedColour());
    }
}

void frm票据核销::markRow(int row)
{
    MSFlexGrid1->setTextMatrix(row, Mark, Marked);
    addRowToTotals(row, +1);
    paintMark(row, markedColour());
}

void frm票据核销::unmarkRow(int row)
{
    MSFlexGrid1->setTextMatrix(row, Mark, QString());
    addRowToTotals(row, -1);
    paintMark(row, QColor());
}

void frm票据核销::paintMark(int row, const QColor &colour)
{
    FlexGrid *grid = MSFlexGrid1;
    grid->setRow(row);
    grid->setCol(Mark);
    grid->setCellBackColor(colour);
}

// Adds a row's figures to the totals (sign +1) or takes them out (sign -1). The
// totals are read back from their boxes, so they stay what the operator sees.
void frm票据核销::addRowToTotals(int row, int sign)
{
    FlexGrid *grid = MSFlexGrid1;
    auto apply = [&](QLineEdit *box, const Decimal &value, bool asAmount) {
        const Decimal total = sign > 0 ? valueOf(box->text()) + value : valueOf(box->text()) - value;
        box->setText(asAmount ? total.toFixed2() : total.toText());
    };
    auto cell = [&](int col) {
        const std::optional<Decimal> shown = grid->cellNumber(row, col);
        return shown ? *shown : valueOf(grid->TextMatrix(row, col));
    };
    apply(Text1, Decimal::fromInteger(1), false);
    apply(Text2, cell(Issued), false);
    apply(Text3, cell(Voided), false);
    apply(Text4, cell(Unused), false);
    apply(Text5, cell(Unpaid), false);
    apply(Text6, cell(IssuedAmount), true);
    apply(Text7, cell(UnpaidAmount), true);
}

void frm票据核销::clearTotals()
{
    for (QLineEdit *box : {Text1, Text2, Text3, Text4, Text5, Text6, Text7})
        box->clear();
}

void frm票据核销::openBookDetails(int row)
{
    const QString book = MSFlexGrid1->TextMatrix(row, BookNumber);
    if (book.isEmpty())
        return;
    auto *details = new frm票据明细(book, this);
    details->showModal();
}

void frm票据核销::Command4_Click()
{
    unload();
}
