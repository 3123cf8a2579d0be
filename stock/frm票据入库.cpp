#include "stock/frm票据入库.h"

#include "platform/ui/DropDownList.h"
#include "platform/ui/FlexGrid.h"
#include "platform/ui/KeyedTree.h"
#include "platform/ui/MessageBoxes.h"
#include "platform/ui/PlacedControls.h"
#include "platform/ui/StatusBar.h"
#include "platform/ui/TextMeasure.h"
#include "platform/ui/Twips.h"
#include "shell/AppState.h"
#include "shell/Handlers.h"
#include "shell/Module1.h"
#include "shell/Program.h"
#include "shell/Varnel1.h"
#include "stock/BillRegistration.h"
#include "stock/StockSql.h"

#include <algorithm>

#include <QClipboard>
#include <QContextMenuEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QMenu>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

#include <memory>

namespace {

using BillRegistration::Outcome;
using PlacedControls::button;
using PlacedControls::label;

const QColor taxControlledBlue(0, 0, 255);
constexpr int HiddenColumns = 5;

// Tree images: 1 an ordinary bill type, 2 a tax-controlled one (with a red seal).
QIcon billTypeIcon(bool taxControlled)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(90, 110, 140));
    p.setBrush(QColor(255, 253, 240));
    p.drawRect(QRectF(2.5, 1.5, 11, 13));
    p.setPen(QColor(150, 160, 180));
    for (int y = 5; y <= 11; y += 3)
        p.drawLine(5, y, 11, y);
    if (taxControlled) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(200, 40, 40));
        p.drawEllipse(QRectF(8, 8, 7, 7));
    }
    return QIcon(pixmap);
}

} // namespace

frm票据入库::frm票据入库(QWidget *parent) : ChildWindow(parent)
{
    setObjectName(QStringLiteral("frm票据入库"));
    setWindowTitle(QStringLiteral("票据入库"));
    buildControls();
}

QString frm票据入库::gridFormat()
{
    return QStringLiteral("<序  |<票据类型                  |<票据本编号    |<税控机编号     |>份数|<票据号码范围                    "
                          "|<入库时间    |<领用时间   |<核销时间   |<备注          |^状态     |||||");
}

void frm票据入库::buildControls()
{
    resize(Twips::size(16000, 8400));

    Label1[1] = label(this, QStringLiteral("Label1(1)"), QStringLiteral("票据类型"), 90, 120);
    TreeView1 = new KeyedTree(this);
    TreeView1->setObjectName(QStringLiteral("TreeView1"));
    TreeView1->setImageList({billTypeIcon(false), billTypeIcon(true)});
    Twips::place(TreeView1, 60, 360, 2565, 7425);

    Label1[8] = label(this, QStringLiteral("Label1(8)"), QStringLiteral("票据"), 2730, 150);
    MSFlexGrid1 = new FlexGrid(this);
    MSFlexGrid1->setObjectName(QStringLiteral("MSFlexGrid1"));
    MSFlexGrid1->setFormatString(gridFormat());
    Twips::place(MSFlexGrid1, 2670, 390, 13200, 4155);

    Frame1 = new QFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setFrameShape(QFrame::StyledPanel);
    Twips::place(Frame1, 2640, 4500, 12630, 1785);
    Label1[3] = label(Frame1, QStringLiteral("Label1(3)"), QStringLiteral("票据起始号码"), 135, 660);
    Text3 = new QLineEdit(Frame1);
    Text3->setObjectName(QStringLiteral("Text3"));
    Text3->setAcceptDrops(false); // dropped text would pass the digits-only rule
    Twips::place(Text3, 1245, 600, 1965, 300);
    Command1 = button(Frame1, QStringLiteral("Command1"), QStringLiteral("新增"), 2400, 1200, 1095);
    Command2 = button(Frame1, QStringLiteral("Command2"), QStringLiteral("确定"), 3540, 1200, 1095);
    Command2->setAutoDefault(true); // Enter on the focused button registers the number
    Command4 = button(Frame1, QStringLiteral("Command4"), QStringLiteral("退出"), 8130, 1200, 1095);
    Text3->installEventFilter(this);
    setTabOrder(Text3, Command2);

    StatusBar2 = new StatusBar(4, this);
    StatusBar2->setObjectName(QStringLiteral("StatusBar2"));
    StatusBar2->setSizeGripEnabled(false);

    // Values of the registration, never shown.
    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setReadOnly(true);
    Text1->hide();
    Text2 = new QLineEdit(QStringLiteral("1"), this);
    Text2->setObjectName(QStringLiteral("Text2"));
    Text2->hide();
    Combo2 = new DropDownList(this);
    Combo2->setObjectName(QStringLiteral("Combo2"));
    Combo2->hide();

    connectHandler(Command1, &QPushButton::clicked, this, &frm票据入库::Command1_Click);
    connectHandler(Command2, &QPushButton::clicked, this, &frm票据入库::Command2_Click);
    connectHandler(Command4, &QPushButton::clicked, this, &frm票据入库::Command4_Click);
    connectHandler(TreeView1, &KeyedTree::nodeClicked, this, &frm票据入库::TreeView1_NodeClick);
    connectHandler(MSFlexGrid1, &FlexGrid::cellClicked, this, &frm票据入库::MSFlexGrid1_Click);
    connectHandler(MSFlexGrid1, &FlexGrid::focusLost, this, &frm票据入库::MSFlexGrid1_LostFocus);
}

// ---------------------------------------------------------------- loading

void frm票据入库::Form_Load()
{
    CenterChild(this);
    StatusBar2->setPanelText(2, QLatin1Char(' ') + OperatorContext().职能部门名称);
    StatusBar2->setPanelText(4, QLatin1Char(' ') + OperatorContext().岗位名称);
    for (int c = MSFlexGrid1->Cols() - HiddenColumns; c < MSFlexGrid1->Cols(); ++c)
        MSFlexGrid1->setColWidth(c, 0);
    MSFlexGrid1->setRows(1);
}

void frm票据入库::Form_Activate()
{
    // A failed load is reported and the window still opens, maximized.
    runReportingErrors([this] {
        loadBillTypes();
        loadMachines();
    });
    maximize();
}

void frm票据入库::loadBillTypes()
{
    db::Recordset types = DbConnection().open(stockBillTypesSql());
    TreeView1->clearNodes();
    m_types.clear();
    for (; !types.eof(); types.moveNext()) {
        const QString code = types.text(QStringLiteral("票据类型代号"));
        const bool taxControlled = types.flag(QStringLiteral("税控"));
        const int node = TreeView1->addNode(code + QLatin1Char('P'), code + QLatin1Char(' ') + types.text(QStringLiteral("票据类型")),
                                            taxControlled ? 2 : 1);
        if (taxControlled) {
            TreeView1->setSelectedIndex(node);
            TreeView1->setForeColor(node, taxControlledBlue);
        }
        BillType type;
        type.code = code;
        type.count = types.isNull(QStringLiteral("份数")) ? 0 : types.text(QStringLiteral("份数")).toInt();
        type.faceValue = types.isNull(QStringLiteral("面值")) ? QStringLiteral("0") : types.text(QStringLiteral("面值"));
        m_types.append(type);
    }
}

void frm票据入库::loadMachines()
{
    db::Recordset machines = DbConnection().open(machinesInUseSql(Today()));
    Combo2->clearLines();
    Combo2->addLine(QStringLiteral("[无]"));
    for (; !machines.eof(); machines.moveNext()) {
        const QString department = machines.isNull(QStringLiteral("职能部门名称")) ? QStringLiteral("无使用单位")
                                                                              : machines.text(QStringLiteral("职能部门名称"));
        Combo2->addLine(machines.text(QStringLiteral("税控机编号")) + QLatin1Char(' ') + department);
    }
    Combo2->setListIndex(0);
}

void frm票据入库::Form_Resize()
{
    const QSize inner = innerSize();
    const int statusHeight = StatusBar2->sizeHint().height();
    StatusBar2->setGeometry(0, inner.height() - statusHeight, inner.width(), statusHeight);
    const int statusTwips = Twips::fromPixels(statusHeight);
    const int width = Twips::fromPixels(inner.width()), height = Twips::fromPixels(inner.height());
    const QRect grid = MSFlexGrid1->geometry(), frame = Frame1->geometry(), tree = TreeView1->geometry();

    const int gridWidth = width - Twips::fromPixels(grid.left()) - 45;
    const int frameTop = height - statusTwips - Twips::fromPixels(frame.height()) - 60;
    const int gridHeight = frameTop - Twips::fromPixels(grid.top()) - 60;
    const int treeHeight = height - Twips::fromPixels(tree.top()) - statusTwips - 60;
    // A step whose result makes no sense (a window made very small) is skipped.
    if (gridWidth > 0) {
        MSFlexGrid1->resize(Twips::toPixels(gridWidth), MSFlexGrid1->height());
        Frame1->resize(Twips::toPixels(gridWidth), Frame1->height());
    }
    if (frameTop > 0)
        Frame1->move(Frame1->x(), Twips::toPixels(frameTop));
    keepExitButtonInFrame();
    if (gridHeight > 0)
        MSFlexGrid1->resize(MSFlexGrid1->width(), Twips::toPixels(gridHeight));
    if (treeHeight > 0)
        TreeView1->resize(TreeView1->width(), Twips::toPixels(treeHeight));
}

// "退出" stands where the form puts it while the frame is wide enough; in a narrower
// window (a small screen) it moves left, never over "确定", so it stays in view.
void frm票据入库::keepExitButtonInFrame()
{
    const int designLeft = Twips::toPixels(8130);
    const int rightmost = Frame1->width() - Command4->width() - Twips::toPixels(90);
    const int leftmost = Command2->geometry().right() + Twips::toPixels(90);
    Command4->move(std::max(leftmost, std::min(designLeft, rightmost)), Command4->y());
}

// ---------------------------------------------------------------- tree and grid

const frm票据入库::BillType *frm票据入库::selectedType() const
{
    const int node = TreeView1->selectedIndex();
    return node >= 1 && node <= m_types.size() ? &m_types[node - 1] : nullptr;
}

bool frm票据入库::selectedTypeIsTaxControlled() const
{
    return TreeView1->image(TreeView1->selectedIndex()) != 1;
}

void frm票据入库::TreeView1_NodeClick(int node)
{
    if (node < 1 || node > m_types.size())
        return;
    Text2->setText(QString::number(m_types[node - 1].count));
    Text3->clear();
    Command1->setEnabled(true);
    Command2->setEnabled(true);
    if (TreeView1->foreColor(node) == taxControlledBlue) {
        Combo2->setEnabled(true);
    } else {
        Combo2->setEnabled(false);
        Combo2->setListIndex(0);
    }
}

void frm票据入库::MSFlexGrid1_Click()
{
    selectGridRow();
}

void frm票据入库::selectGridRow()
{
    FlexGrid *grid = MSFlexGrid1;
    if (grid->Rows() <= 1)
        return;
    const int row = grid->Row();
    Text1->setText(grid->TextMatrix(row, 2));

    const int node = TreeView1->indexOfKey(grid->TextMatrix(row, 14) + QLatin1Char('P'));
    if (node > 0)
        TreeView1->setSelectedIndex(node);
    if (node <= 0 || TreeView1->foreColor(node) != taxControlledBlue) {
        Combo2->setListIndex(0);
    } else {
        for (int i = 1; i < Combo2->listCount(); ++i)
            if (Combo2->lineText(i).section(QLatin1Char(' '), 0, 0) == grid->TextMatrix(row, 3)) {
                Combo2->setListIndex(i);
                break;
            }
    }
    Text2->setText(grid->TextMatrix(row, 4));
    Text3->setText(grid->TextMatrix(row, 12));
    StatusBar2->setPanelText(1, grid->TextMatrix(row, 10));
    Command1->setText(QStringLiteral("新增"));
    // Only a book still in stock, never issued or used, takes further bills.
    Command2->setEnabled(grid->TextMatrix(row, 7).isEmpty() && grid->TextMatrix(row, 10) == QStringLiteral("在库")
                         && grid->TextMatrix(row, 11) == QLatin1String("False"));
    grid->selectRowAcross(row, 0, 10);

    if (!m_wheelHooked) {
        HookWheel(grid);
        m_wheelHooked = true;
    }
    WheelGrid() = grid;
}

void frm票据入库::MSFlexGrid1_LostFocus()
{
    if (m_wheelHooked) {
        UnhookWheel(MSFlexGrid1);
        m_wheelHooked = false;
    }
}

void frm票据入库::addGridRowForBook(const db::Recordset &book)
{
    if (book.eof())
        return;
    FlexGrid *grid = MSFlexGrid1;
    const int row = grid->Rows();
    grid->setRows(row + 1);
    const QString first = book.text(QStringLiteral("起始编号")), last = book.text(QStringLiteral("终止编号"));
    const QStringList cells = {
        QString::number(row),
        TreeView1->text(TreeView1->selectedIndex()).section(QLatin1Char(' '), 1),
        book.text(QStringLiteral("入库单编号")),
        book.text(QStringLiteral("税控机编号")),
        book.text(QStringLiteral("份数")),
        first + QStringLiteral(" - ") + last,
        book.text(QStringLiteral("入库时间")),
        QString(),
        QString(),
        book.text(QStringLiteral("备注")),
        book.text(QStringLiteral("状态")),
        book.text(QStringLiteral("使用")),
        first,
        last,
        book.text(QStringLiteral("票据类型编号")),
        book.text(QStringLiteral("ID")),
    };
    for (int c = 0; c < cells.size(); ++c)
        grid->setTextMatrix(row, c, cells[c]);
    for (int c = 0; c <= 8; ++c) {
        const int wanted = TextMeasure::widthTwips(font(), cells[c]) + 90;
        if (wanted > grid->ColWidth(c))
            grid->setColWidth(c, wanted);
    }
    grid->selectRowAcross(row, 0, grid->Cols() - 1);
}

// ---------------------------------------------------------------- registration

void frm票据入库::Command1_Click()
{
    if (Command1->text() != QStringLiteral("新增")) {
        Command1->setText(QStringLiteral("新增"));
        selectGridRow();
        return;
    }
    Command1->setText(QStringLiteral("取消新增"));
    Command2->setEnabled(true);
    if (TreeView1->selectedIndex() == 0) {
        ShowInfo(QStringLiteral("请选择票据类型！"));
        return;
    }
    selectNumberForRetyping();
}

// The number in the box is selected, so that the next one typed replaces it rather
// than lengthening it.
void frm票据入库::selectNumberForRetyping()
{
    Text3->setFocus();
    Text3->selectAll();
}

void frm票据入库::Command2_Click()
{
    const QString number = Text3->text();
    if (number.isEmpty()) {
        ShowInfo(QStringLiteral("请输入编号"));
        selectNumberForRetyping();
        return;
    }
    if (Command1->text() != QStringLiteral("取消新增")) {
        ShowInfo(QStringLiteral("请先按“新增”，再输入票据编号。"));
        return;
    }
    if (!selectedType()) {
        ShowInfo(QStringLiteral("请选择票据类型！"));
        return;
    }
    if (const std::optional<Outcome> problem = BillRegistration::numberProblem(number)) {
        refuseNumber(*problem);
        return;
    }
    const BillRegistration::Request request = registrationRequest(number);
    Text1->setText(yearlyBookNumber(request.typeCode, request.day));
    // A database failure leaves the handler with nothing written: its error box reports it.
    const BillRegistration::Result result = [&request] {
        Hourglass busy;
        return BillRegistration::registerBill(DbConnection(), request);
    }();
    showRegistration(result, number);
}

BillRegistration::Request frm票据入库::registrationRequest(const QString &number) const
{
    BillRegistration::Request request;
    const BillType &type = *selectedType();
    request.typeCode = type.code;
    request.faceValue = type.faceValue;
    request.taxControlled = selectedTypeIsTaxControlled();
    request.bookCount = Text2->text();
    if (Combo2->listIndex() > 0)
        request.machine = Combo2->text().section(QLatin1Char(' '), 0, 0);
    request.number = number;
    request.day = Today();
    return request;
}

void frm票据入库::refuseNumber(Outcome problem)
{
    if (problem == Outcome::NotDigits)
        MessageBoxes::showWithAppTitle(this, QStringLiteral("只能输入数字"));
    else
        ShowInfo(numberTooLongText());
    selectNumberForRetyping();
}

// What the window shows once the registration's transaction has ended.
void frm票据入库::showRegistration(const BillRegistration::Result &result, const QString &number)
{
    switch (result.outcome) {
    case Outcome::NotDigits:
    case Outcome::TooLong:
        refuseNumber(result.outcome);
        return;
    case Outcome::Duplicate:
        ShowInfo(QStringLiteral("票据本 %1 中已有编号为 %2 的票据，不能重复录入！").arg(result.bookNumber, number));
        selectNumberForRetyping();
        return;
    case Outcome::NewBook:
        StatusBar2->setPanelText(1, QStringLiteral("正在生成票据..."));
        break;
    case Outcome::AddedToBook:
        break;
    }
    Command1->setText(QStringLiteral("新增"));
    Command1->setEnabled(true);
    if (result.outcome == Outcome::NewBook) {
        addGridRowForBook(result.newBook);
        Command1_Click(); // the entry reopens at once for the next number
    }
    MessageBoxes::show(this, QStringLiteral("录入完成！"), QStringLiteral("提示！"), MessageBoxes::Icon::None);
}

void frm票据入库::Command4_Click()
{
    unload();
}

// ---------------------------------------------------------------- the number box

// Digits only, and never more than a bill number can have. Editing keys (arrows,
// Home/End, Delete, Ctrl+A/C/X) work as in any text box; pasted text goes through the
// same rules, whether by key or by the box's menu.
bool frm票据入库::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != Text3)
        return ChildWindow::eventFilter(watched, event);
    if (event->type() == QEvent::ContextMenu) {
        showNumberBoxMenu(static_cast<QContextMenuEvent *>(event)->globalPos());
        return true;
    }
    if (event->type() != QEvent::KeyPress)
        return ChildWindow::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        Command2->setFocus(Qt::TabFocusReason);
        return true;
    }
    if (key->matches(QKeySequence::Paste)) {
        pasteIntoNumberBox();
        return true;
    }
    const QString typed = key->text();
    // Keys that type nothing printable, and shortcuts, edit or move: let the box have them.
    const bool shortcut = key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (shortcut || typed.isEmpty() || !typed.front().isPrint())
        return false;
    if (!BillRegistration::isDigitText(typed)) {
        MessageBoxes::showWithAppTitle(this, QStringLiteral("只能输入数字"));
        return true;
    }
    if (numberBoxTextWith(typed).size() > BillRegistration::MaxBillNumberDigits) {
        ShowInfo(numberTooLongText());
        return true;
    }
    return false;
}

// The box's text as it would read with `inserted` typed or pasted at the cursor.
QString frm票据入库::numberBoxTextWith(const QString &inserted) const
{
    QString text = Text3->text();
    int at = Text3->cursorPosition();
    if (Text3->hasSelectedText()) {
        at = Text3->selectionStart();
        text.remove(at, Text3->selectedText().size());
    }
    return text.insert(at, inserted);
}

void frm票据入库::pasteIntoNumberBox()
{
    // A number copied from a list or a sheet often carries blanks or a line break.
    const QString pasted = QGuiApplication::clipboard()->text().trimmed();
    if (pasted.isEmpty())
        return;
    if (!BillRegistration::isDigitText(pasted)) {
        MessageBoxes::showWithAppTitle(this, QStringLiteral("只能输入数字"));
        return;
    }
    if (numberBoxTextWith(pasted).size() > BillRegistration::MaxBillNumberDigits) {
        ShowInfo(numberTooLongText());
        return;
    }
    Text3->insert(pasted);
}

void frm票据入库::showNumberBoxMenu(const QPoint &at)
{
    std::unique_ptr<QMenu> menu(Text3->createStandardContextMenu());
    // The menu's paste entry is the one that shows the paste shortcut.
    const QString pasteShortcut = QKeySequence(QKeySequence::Paste).toString(QKeySequence::NativeText);
    for (QAction *action : menu->actions())
        if (action->text().section(QLatin1Char('\t'), 1) == pasteShortcut) {
            action->disconnect();
            connectHandler(action, &QAction::triggered, this, &frm票据入库::pasteIntoNumberBox);
        }
    menu->exec(at);
}

QString frm票据入库::numberTooLongText()
{
    return QStringLiteral("票据编号最多只能有%1位数字！").arg(BillRegistration::MaxBillNumberDigits);
}
