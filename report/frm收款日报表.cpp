#include "report/frm收款日报表.h"

#include "output/PrintGrid.h"
#include "platform/print/PrintSurface.h"
#include "output/frmToExcel.h"
#include "platform/Decimal.h"
#include "platform/ui/CheckBox.h"
#include "platform/ui/DatePicker.h"
#include "platform/ui/DisplayFormats.h"
#include "platform/ui/DropDownList.h"
#include "platform/ui/FlexGrid.h"
#include "platform/ui/KeyedTree.h"
#include "platform/ui/MessageBoxes.h"
#include "platform/ui/StatusBar.h"
#include "platform/ui/TextMeasure.h"
#include "platform/ui/PlacedControls.h"
#include "platform/ui/Twips.h"
#include "report/VoidReport.h"
#include "report/VoidReportSql.h"
#include "shell/AppState.h"
#include "shell/Handlers.h"
#include "shell/Module1.h"
#include "shell/Program.h"

#include <algorithm>
#include <functional>
#include <unordered_set>

#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

namespace {

using PlacedControls::comboBox;
using PlacedControls::label;

using MessageBoxes::Icon;

constexpr int CategoryImage = 8;
constexpr int ItemImage = 7;
constexpr int AmountColumn = 6;
constexpr int HiddenColumn = 11;

// The image list of the window: image 7 a charge item, image 8 a category; the
// others are plain bullets.
QList<QIcon> imageList()
{
    QList<QIcon> images;
    for (int i = 1; i <= 8; ++i) {
        QPixmap pixmap(16, 16);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        if (i == CategoryImage) {
            p.setPen(QColor(150, 110, 30));
            p.setBrush(QColor(250, 215, 120));
            p.drawRect(QRectF(1.5, 4.5, 13, 9));
            p.drawRect(QRectF(1.5, 2.5, 5, 2));
        } else if (i == ItemImage) {
            p.setPen(QColor(70, 90, 130));
            p.setBrush(QColor(255, 253, 240));
            p.drawRect(QRectF(3.5, 1.5, 9, 13));
            p.drawLine(QPointF(5.5, 5.5), QPointF(10.5, 5.5));
            p.drawLine(QPointF(5.5, 8.5), QPointF(10.5, 8.5));
        } else {
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(120, 120, 120));
            p.drawEllipse(QRectF(5, 5, 6, 6));
        }
        images << QIcon(pixmap);
    }
    return images;
}

QString chineseDay(const QDate &day)
{
    return DisplayFormats::chineseDate(day);
}

} // namespace

frm收款日报表::frm收款日报表(QWidget *parent) : ChildWindow(parent)
{
    setObjectName(QStringLiteral("frm收款日报表"));
    setWindowTitle(QStringLiteral("收款日报表"));
    buildControls();
}

QString frm收款日报表::gridFormat()
{
    return QStringLiteral("^序 |<票据簿编号|<票据号码  |<付款人                    |<收费项目          |<摘    要                |>金额     |<开票日期  |<开票人|<收款日期  |<收款人|");
}

void frm收款日报表::buildControls()
{
    resize(Twips::size(13935, 9420));
    buildFilterPanel();

    // The list starts beside the filter panel, however wide that had to be.
    const int grow = Twips::fromPixels(Frame1->width()) - 3225;
    Frame2 = new QGroupBox(QStringLiteral("收费清单"), this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    Twips::place(Frame2, 3240 + grow, 0, 10695 - grow, 9045);
    MSFlexGrid1 = new FlexGrid(Frame2);
    MSFlexGrid1->setObjectName(QStringLiteral("MSFlexGrid1"));
    MSFlexGrid1->setFormatString(gridFormat());
    MSFlexGrid1->setRows(1);
    MSFlexGrid1->setColWidth(HiddenColumn, 0);
    Twips::place(MSFlexGrid1, 60, 240, 10575 - grow, 8805);

    StatusBar1 = new StatusBar(5, this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    StatusBar1->setPanelText(1, QStringLiteral("作废统计报表"));
    StatusBar1->setPanelText(3, QStringLiteral("岗位："));
    StatusBar1->setPanelWidth(2, 2400);
    StatusBar1->setPanelWidth(3, 900);
    StatusBar1->setPanelWidth(4, 2400);
    StatusBar1->setPanelWidth(5, 2700);
    Twips::place(StatusBar1, 0, 9090, 13935, 330);
    auto *clock = new QTimer(this);
    connect(clock, &QTimer::timeout, this, [this] { StatusBar1->setPanelText(5, DisplayFormats::shortDateTime(Now())); });
    clock->start(30000);
    StatusBar1->setPanelText(5, DisplayFormats::shortDateTime(Now()));

    connectHandler(Check2, &CheckBox::valueChanged, this, &frm收款日报表::Check2_Click);
    connectHandler(TreeView1, &KeyedTree::nodeChecked, this, &frm收款日报表::TreeView1_NodeCheck);
    for (const auto &[index, button] : Command1) {
        const int i = index;
        connectHandler(button, &QPushButton::clicked, this, [i](frm收款日报表 *window) { window->Command1_Click(i); },
                       ErrorReport::ShortTextWithoutSpace);
    }
}

// The width of a date field that shows the widest date ("2026/12/10") whole in the
// desktop's font: the design's 1305 and 1365 twips cut its last digit.
int frm收款日报表::datePickerWidth(const DatePicker *picker)
{
    return std::max(1365, Twips::fromPixels(picker->sizeHint().width()) + 15);
}

void frm收款日报表::buildFilterPanel()
{
    // The panel is as much wider than drawn as the two date fields need.
    DTPicker1 = new DatePicker;
    DTPicker1->setObjectName(QStringLiteral("DTPicker1"));
    DTPicker2 = new DatePicker;
    DTPicker2->setObjectName(QStringLiteral("DTPicker2"));
    const int pickerWidth = datePickerWidth(DTPicker1);
    const int grow = std::max(0, 150 + pickerWidth + 255 + pickerWidth + 30 - 3105);
    Frame1 = new QGroupBox(QStringLiteral("选择管理处"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Twips::place(Frame1, 0, 0, 3225 + grow, 9045);
    Combo1 = comboBox(Frame1, QStringLiteral("Combo1"), 90, 300, 3075 + grow);
    Label1[2] = label(Frame1, QStringLiteral("Label1(2)"), QStringLiteral("收费项目"), 90, 690, 1125, 165);
    Check2 = new CheckBox(QStringLiteral("全选"), Frame1);
    Check2->setObjectName(QStringLiteral("Check2"));
    Twips::place(Check2, 2490 + grow, 630, 675, 255);
    TreeView1 = new KeyedTree(Frame1);
    TreeView1->setObjectName(QStringLiteral("TreeView1"));
    TreeView1->setCheckBoxes(true);
    TreeView1->setImageList(imageList());
    Twips::place(TreeView1, 30, 900, 3105 + grow, 5295);

    Picture1 = new QWidget(Frame1);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Twips::place(Picture1, 30, 6270, 3105 + grow, 2625);
    Label2 = label(Picture1, QStringLiteral("Label2"), QStringLiteral("作废日期"), 90, 60, 795, 195);
    DTPicker1->setParent(Picture1);
    Twips::place(DTPicker1, 150, 330, pickerWidth, 315);
    Label3 = label(Picture1, QStringLiteral("Label3"), QStringLiteral("至"), 150 + pickerWidth + 30, 390, 225, 255);
    DTPicker2->setParent(Picture1);
    Twips::place(DTPicker2, 150 + pickerWidth + 255, 330, pickerWidth, 315);
    Label4 = label(Picture1, QStringLiteral("Label4"), QStringLiteral("收款方式"), 90, 780, 735, 195);
    Combo2 = comboBox(Picture1, QStringLiteral("Combo2"), 90, 1050, 1365);
    Label5 = label(Picture1, QStringLiteral("Label5"), QStringLiteral("收款人"), 1500, 780, 735, 195);
    Combo3 = comboBox(Picture1, QStringLiteral("Combo3"), 1500, 1050, 1575);
    Label6 = label(Picture1, QStringLiteral("Label6"), QStringLiteral("统计方式"), 90, 1410, 735, 195);
    Combo4 = comboBox(Picture1, QStringLiteral("Combo4"), 90, 1650, 2985 + grow);

    const struct
    {
        int index;
        const char *caption;
        int left, width;
    } buttons[] = {{0, "统计", 30, 705}, {1, "输出EXCEL", 750, 975}, {3, "打印", 1740, 705}, {2, "退出", 2460, 645}};
    for (const auto &b : buttons) {
        auto *button = new QPushButton(QString::fromUtf8(b.caption), Picture1);
        button->setObjectName(QStringLiteral("Command1(%1)").arg(b.index));
        button->setAutoDefault(false);
        Twips::place(button, b.left, 2160, b.width, 345);
        Command1[b.index] = button;
    }
}

// ---------------------------------------------------------------- loading

// An error while loading is reported by the child window as the short report; what
// loaded before it stays.
void frm收款日报表::Form_Load()
{
    CenterChild(this);
    StatusBar1->setPanelText(2, QLatin1Char(' ') + OperatorContext().职能部门名称);
    StatusBar1->setPanelText(4, QLatin1Char(' ') + OperatorContext().岗位名称);
    loadOffices();
    loadChargeItems();
    loadPaymentMethods();
    loadCashiers();
    Combo4->clearLines();
    Combo4->addLine(QStringLiteral("不分部门统计"));
    Combo4->addLine(QStringLiteral("按部门统计"));
    Combo4->addLine(QStringLiteral("按管理项目统计"));
    Combo4->setListIndex(0);
    DTPicker1->setValue(Today());
    DTPicker2->setValue(Today());
}

void frm收款日报表::loadOffices()
{
    m_lines = DbConnection().open(officesOfDepartmentSql(OperatorContext().职能部门编号));
    Combo1->clearLines();
    for (; !m_lines.eof(); m_lines.moveNext())
        Combo1->addLine(m_lines.text(QStringLiteral("GYD_DH")) + QLatin1Char(' ') + m_lines.text(QStringLiteral("gyd_name")));
    Combo1->setListIndex(-1);
}

void frm收款日报表::loadChargeItems()
{
    m_lines = DbConnection().open(chargeCategoriesSql());
    TreeView1->clearNodes();
    for (; !m_lines.eof(); m_lines.moveNext()) {
        const QString category = m_lines.text(QStringLiteral("收费类别"));
        TreeView1->addNode(QLatin1Char('L') + category, category, CategoryImage);
        db::Recordset items = DbConnection().open(chargeItemsOfCategorySql(category));
        for (; !items.eof(); items.moveNext())
            TreeView1->addChild(QLatin1Char('L') + category, QLatin1Char('X') + items.text(QStringLiteral("DH")),
                                items.text(QStringLiteral("XM")), ItemImage);
    }
}

void frm收款日报表::loadPaymentMethods()
{
    m_lines = DbConnection().open(paymentMethodsSql());
    Combo2->clearLines();
    Combo2->addLine(QStringLiteral("选择全部"));
    for (; !m_lines.eof(); m_lines.moveNext())
        Combo2->addLine(m_lines.text(QStringLiteral("收款方式")));
    Combo2->setListIndex(0);
}

void frm收款日报表::loadCashiers()
{
    m_lines = DbConnection().open(cashiersOfDepartmentSql(OperatorContext().职能部门编号));
    Combo3->clearLines();
    Combo3->addLine(QStringLiteral("选择全部"));
    for (; !m_lines.eof(); m_lines.moveNext())
        Combo3->addLine(m_lines.text(QStringLiteral("姓名")));
    Combo3->setListIndex(0);
}

void frm收款日报表::Form_Activate()
{
    maximize();
}

// Each rule stands alone; one whose result makes no sense (a minimised window) is skipped.
void frm收款日报表::Form_Resize()
{
    const int width = Twips::fromPixels(innerSize().width());
    const int height = Twips::fromPixels(innerSize().height());
    const int statusHeight = Twips::fromPixels(StatusBar1->height());
    StatusBar1->setGeometry(Twips::rect(0, height - statusHeight, width, statusHeight));
    auto tw = [](QWidget *w) { return Twips::fromPixels(w->height()); };

    const int frameHeight = height - statusHeight - 60;
    if (frameHeight > 0)
        Frame1->resize(Frame1->width(), Twips::toPixels(frameHeight));
    const int treeHeight = tw(Frame1) - Twips::fromPixels(TreeView1->y()) - tw(Picture1) - 100;
    if (treeHeight > 0)
        TreeView1->resize(TreeView1->width(), Twips::toPixels(treeHeight));
    Picture1->move(Picture1->x(), TreeView1->y() + TreeView1->height());
    const int frame2Width = width - Twips::fromPixels(Frame1->width()) - 50;
    if (frame2Width > 0)
        Frame2->resize(Twips::toPixels(frame2Width), Frame2->height());
    if (frameHeight > 0)
        Frame2->resize(Frame2->width(), Frame1->height());
    const int gridWidth = Twips::fromPixels(Frame2->width()) - 80;
    if (gridWidth > 0)
        MSFlexGrid1->resize(Twips::toPixels(gridWidth), MSFlexGrid1->height());
    const int gridHeight = tw(Frame2) - 250;
    if (gridHeight > 0)
        MSFlexGrid1->resize(MSFlexGrid1->width(), Twips::toPixels(gridHeight));
}

// ---------------------------------------------------------------- the item tree

void frm收款日报表::Check2_Click()
{
    const bool checked = Check2->value() == 1;
    for (int node = 1; node <= TreeView1->count(); ++node)
        TreeView1->setChecked(node, checked);
}

void frm收款日报表::TreeView1_NodeCheck(int node)
{
    if (node < 1 || TreeView1->childCount(node) == 0)
        return;
    const bool checked = TreeView1->isChecked(node);
    for (int child = TreeView1->firstChild(node); child > 0; child = TreeView1->nextSibling(child))
        TreeView1->setChecked(child, checked);
}

// ---------------------------------------------------------------- the buttons

QString frm收款日报表::officeName() const
{
    const QString text = Combo1->text();
    const int blank = text.indexOf(QLatin1Char(' '));
    return blank < 0 ? QString() : text.mid(blank + 1);
}

void frm收款日报表::Command1_Click(int index)
{
    switch (index) {
    case 0:
        RunReport();
        break;
    case 1:
        exportToWorkbook();
        break;
    case 2:
        unload();
        break;
    case 3:
        printReport();
        break;
    default:
        break;
    }
}

void frm收款日报表::exportToWorkbook()
{
    if (Combo1->text().isEmpty())
        return;
    frmToExcel *exporter = frmToExcel::instance();
    exporter->setTag(QStringLiteral("日期范围:") + chineseDay(DTPicker1->value()) + QStringLiteral("至")
                     + chineseDay(DTPicker2->value()));
    exporter->Config(MSFlexGrid1, QStringLiteral("作废统计报表"),
                     QStringLiteral("(") + officeName() + QStringLiteral(")") + QStringLiteral(" 作废统计报表"));
    exporter->show();
    exporter->raise();
    exporter->activateWindow();
}

namespace {

PrintSurface *&surfaceForTests()
{
    static PrintSurface *surface = nullptr;
    return surface;
}

} // namespace

void frm收款日报表::setPrintSurfaceForTests(PrintSurface *surface)
{
    surfaceForTests() = surface;
}

// The grid as the last "统计" left it, with the titles of the filters as they are now.
void frm收款日报表::printReport()
{
    const QString title = QStringLiteral("(") + officeName() + QStringLiteral(")") + QStringLiteral("作废统计报表");
    const QString subtitle = QStringLiteral("日期范围:") + chineseDay(DTPicker1->value()) + QStringLiteral("-")
        + chineseDay(DTPicker2->value());
    if (PrintSurface *surface = surfaceForTests())
        PrintGrid(*surface, *MSFlexGrid1, PrintSurface::Twips, title, subtitle, false, 0);
    else
        printGridWithPreview(this, *MSFlexGrid1, title, subtitle, false, 0);
}

// ---------------------------------------------------------------- the report

// The codes of the ticked item nodes (keys "X" + code); categories do not count.
QStringList frm收款日报表::checkedItemCodes() const
{
    QStringList codes;
    for (int node = 1; node <= TreeView1->count(); ++node) {
        const QString key = TreeView1->key(node);
        if (TreeView1->isChecked(node) && key.startsWith(QLatin1Char('X')))
            codes << key.mid(1);
    }
    return codes;
}

// The controls as a request; the report's checks and statement are the unit's.
VoidReportRequest frm收款日报表::request() const
{
    VoidReportRequest request;
    if (Combo1->listIndex() >= 0)
        request.officeCode = Combo1->text().section(QLatin1Char(' '), 0, 0);
    if (Combo2->listIndex() > 0) {
        request.paymentMethods = QStringList{Combo2->text()};
    } else if (Combo2->listIndex() == 0) {
        request.paymentMethods = QStringList();
        for (int i = 1; i < Combo2->listCount(); ++i)
            request.paymentMethods->append(Combo2->lineText(i));
    }
    request.itemCodes = checkedItemCodes();
    request.firstDay = DTPicker1->value();
    request.lastDay = DTPicker2->value();
    request.mode = VoidReportFilter::Mode(qBound(0, Combo4->listIndex(), 2));
    if (Combo3->listIndex() > 0)
        request.cashier = Combo3->text();
    request.departmentCode = OperatorContext().职能部门编号;
    return request;
}

void frm收款日报表::RunReport()
{
    const VoidReport report(request());
    switch (report.check()) {
    case VoidReportCheck::Passed:
        break;
    case VoidReportCheck::NothingChosen:
        return;
    case VoidReportCheck::DaysReversed:
        MessageBoxes::show(this, report.message(), MessageBoxes::executableName(), Icon::Critical);
        return;
    case VoidReportCheck::NoItem:
        MessageBoxes::show(this, report.message(), QStringLiteral("提示"), Icon::Information);
        return;
    case VoidReportCheck::NoPaymentMethod:
        MessageBoxes::show(this, report.message(), MessageBoxes::executableName(), Icon::Information);
        return;
    }
    StatementText = report.statement();

    Hourglass busy;
    // The grid is emptied once the statement has run, as before its lines are read: the
    // lines it showed are let go before the new ones are kept, and a statement that
    // fails leaves them shown.
    fillGrid(report.read(DbConnection(), [this] { MSFlexGrid1->setRows(1); }));
}

namespace {

// A date column as "YYYY-MM-DD": a date's own day, or a text's first ten characters
// when they are one.
QString isoDateText(const db::ResultTable &lines, int line, int column)
{
    if (lines.isNull(line, column))
        return QString();
    if (lines.kind(column) == db::ResultTable::Kind::DateTime)
        return DisplayFormats::isoDate(lines.date(line, column));
    const QString text = lines.text(line, column);
    if (text.size() >= 10 && text[4] == QLatin1Char('-') && text[7] == QLatin1Char('-')
        && (text.size() == 10 || text[10] == QLatin1Char(' ')))
        return text.left(10);
    return text.isEmpty() ? text : DisplayFormats::isoDate(QDate::fromString(text.left(10), Qt::ISODate));
}

// The widest text of a column as shown: of a text column each text that is not the one
// above it, of a date column each distinct day, of another each line's text.
int widestText(const QFont &font, const db::ResultTable &lines, int column,
               const std::function<QString(const db::ResultTable &, int)> &text)
{
    int widest = 0;
    if (lines.kind(column) == db::ResultTable::Kind::Text) {
        for (int line = 0; line < lines.rowCount(); ++line)
            if (!lines.repeatsRowAbove(line, column) && !lines.isNull(line, column))
                widest = std::max(widest, TextMeasure::widthTwips(font, text(lines, line)));
        return widest;
    }
    if (lines.kind(column) == db::ResultTable::Kind::DateTime) {
        std::unordered_set<qint64> days;
        for (int line = 0; line < lines.rowCount(); ++line)
            if (!lines.isNull(line, column) && days.insert(lines.date(line, column).toJulianDay()).second)
                widest = std::max(widest, TextMeasure::widthTwips(font, text(lines, line)));
        return widest;
    }
    QString measured;
    for (int line = 0; line < lines.rowCount(); ++line) {
        const QString shown = text(lines, line);
        if (shown != measured)
            widest = std::max(widest, TextMeasure::widthTwips(font, measured = shown));
    }
    return widest;
}

} // namespace

// One row per line, then the total of the amounts present, summed exactly. The grid's
// rows show the lines from the typed result (each cell's text made when it is shown or
// read); columns 1 to 4 grow to their widest text, and so do the amount, dates and names
// (6 to 10), whose header widths would cut off an amount's leading digits on screen and
// on paper. A text repeated from the line above is not measured again.
void frm收款日报表::fillGrid(std::shared_ptr<const db::ResultTable> table)
{
    FlexGrid *grid = MSFlexGrid1;
    const db::ResultTable &lines = *table;
    grid->setRows(1);
    grid->hide();
    const int count = lines.rowCount();
    // The lines and the "合计" row at once: one row added after them would move the
    // grid's list of rows, holding it twice for a moment.
    grid->setRows(count > 0 ? count + 2 : 1);
    enum { Book, Bill, Payer, Item, Summary, Amount, Issued, Issuer, Paid, Cashier };
    int at[10];
    const char *const names[10] = {"入库单编号", "票据编号", "付款人", "项目", "摘要", "金额", "开票日期", "开票人", "收款日期", "收款人"};
    for (int i = 0; i < 10; ++i)
        at[i] = lines.requireColumn(QString::fromUtf8(names[i]));
    const int amount = at[Amount], summary = at[Summary], issued = at[Issued], paid = at[Paid];
    std::vector<FlexGridTableColumn> columns = {
        {0, [](const db::ResultTable &, int line) { return QString::number(line + 1); }},
        FlexGridTableColumn::textOf(1, at[Book]),
        FlexGridTableColumn::textOf(2, at[Bill]),
        FlexGridTableColumn::textOf(3, at[Payer]),
        FlexGridTableColumn::textOf(4, at[Item]),
        {5, [summary](const db::ResultTable &t, int line) {
             return t.isNull(line, summary) ? QString() : QLatin1Char('[') + t.text(line, summary) + QLatin1Char(']');
         }},
        {AmountColumn,
         [amount](const db::ResultTable &t, int line) {
             return t.isNull(line, amount) ? QString() : t.number(line, amount).toFixed2();
         },
         [amount](const db::ResultTable &t, int line) -> std::optional<Decimal> {
             if (t.isNull(line, amount))
                 return std::nullopt;
             char digits[48];
             return Decimal::fromLatin1(std::string_view(digits, size_t(t.number(line, amount).writeFixed2(digits))));
         }},
        {7, [issued](const db::ResultTable &t, int line) { return isoDateText(t, line, issued); }},
        FlexGridTableColumn::textOf(8, at[Issuer]),
        {9, [paid](const db::ResultTable &t, int line) { return isoDateText(t, line, paid); }},
        FlexGridTableColumn::textOf(10, at[Cashier]),
    };

    const QFont font = this->font();
    int widths[11] = {};
    for (int col : {1, 2, 3, 4, 8, 10})
        widths[col] = widestText(font, lines, at[col <= 4 ? col - 1 : (col == 8 ? Issuer : Cashier)], columns[size_t(col)].text);
    for (int col : {7, 9})
        widths[col] = widestText(font, lines, at[col == 7 ? Issued : Paid], columns[size_t(col)].text);
    Decimal total;
    char digits[48];
    for (int line = 0; line < count; ++line) {
        if (lines.isNull(line, amount))
            continue;
        // The total adds the amounts as shown, to the cent.
        const int length = lines.number(line, amount).writeFixed2(digits);
        total += Decimal::fromLatin1(std::string_view(digits, size_t(length)));
        widths[AmountColumn] = std::max(widths[AmountColumn], TextMeasure::widthTwips(font, QLatin1StringView(digits, length)));
    }
    const QString totalText = total.toFixed2();
    if (count > 0)
        widths[AmountColumn] = std::max(widths[AmountColumn], TextMeasure::widthTwips(font, totalText));
    for (int col : {1, 2, 3, 4, 6, 7, 8, 9, 10})
        if (widths[col] > 0 && widths[col] + 95 > grid->ColWidth(col))
            grid->setColWidth(col, widths[col] + 95);
    grid->setTableRows(1, std::move(table), std::move(columns));
    if (count > 0) {
        grid->setRows(count + 2);
        grid->setTextMatrix(count + 1, 1, QStringLiteral("合计"));
        grid->setCellNumber(count + 1, AmountColumn, total, totalText);
    } else {
        grid->setRows(1);
    }
    grid->setMergeCells(3);
    for (int col = 0; col <= 2; ++col)
        grid->setMergeCol(col, true);
    grid->setColWidth(HiddenColumn, 0);
    grid->show();
}
