#include "WindowDriver.h"
#include "platform/db/ResultTable.h"
#include "platform/ui/FlexGrid.h"
#include "platform/ui/FlexGridFormat.h"
#include "platform/ui/TextMeasure.h"
#include "platform/ui/Twips.h"

#include <QBrush>
#include <QHeaderView>
#include <QImage>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString StockInFormat = QStringLiteral(
    "<序  |<票据类型                  |<票据本编号    |<税控机编号     |>份数|<票据号码范围                    |<入库时间    "
    "|<领用时间   |<核销时间   |<备注          |^状态     |||||");
const QString ReportFormat = QStringLiteral(
    "^序 |<票据簿编号|<票据号码  |<付款人                    |<收费项目          |<摘    要                |>金额     "
    "|<开票日期  |<开票人|<收款日期  |<收款人|");
const QString UsageFormat = QStringLiteral(
    "序|^选择|<票据本（箱）编号|<票据类型|<领用日期|<票据起始号码|<票据终止号码|>份数|>已开票数|>作废数|>未用数|>开票金额合计|"
    ">未收款数|>未收款金额合计|^查看|");

// Darkest pixel of a rectangle of an image, as a grey level 0 … 255.
int darkest(const QImage &image, const QRect &rect)
{
    int result = 255;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            result = std::min(result, qGray(image.pixel(x, y)));
    return result;
}

} // namespace

class TestFlexGrid : public QObject
{
    Q_OBJECT

private slots:
    void formatStringsOfTheWindows();
    void formatHeadingsSetInitialWidths();
    void rowsAndColsKeepOrDropCells();
    void fixedColumnsStayWhenScrollingHorizontally();
    void mergedCellsShowAsOneCell();
    void mergeModesDecideWhichCellsMerge();
    void mergedRowsShowAcross();
    void modelServesAndAnnouncesItsCells();
    void hiddenColumnAndColours();
    void mouseSelectsAndReportsInOrder();
    void topRowIsLimitedToTheScrollRange();
    void hundredThousandRowsFillAndScrollToTheEnd();
    void rowsShownFromATableKeepWhatIsWritten();
};

void TestFlexGrid::formatStringsOfTheWindows()
{
    struct Expected
    {
        int col;
        QString heading;
        int alignment;
    };
    const struct
    {
        QString format;
        int cols;
        QList<Expected> columns;
    } cases[] = {
        {StockInFormat, 16,
         {{0, "序  ", 1}, {4, "份数", 7}, {5, "票据号码范围                    ", 1}, {10, "状态     ", 4}, {11, "", 9}, {15, "", 9}}},
        {ReportFormat, 12, {{0, "序 ", 4}, {5, "摘    要                ", 1}, {6, "金额     ", 7}, {8, "开票人", 1}, {11, "", 9}}},
        {UsageFormat, 16, {{0, "序", 9}, {1, "选择", 4}, {7, "份数", 7}, {14, "查看", 4}, {15, "", 9}}},
        {QStringLiteral("|>部门       |>岗位     |>审批人       |>审批日期        |>审批意见         |"), 7,
         {{0, "", 9}, {1, "部门       ", 7}, {6, "", 9}}},
    };
    for (const auto &c : cases) {
        FlexGrid grid;
        grid.setRows(5);
        grid.setFormatString(c.format);
        QCOMPARE(grid.Cols(), c.cols);
        QCOMPARE(grid.Rows(), 5);
        for (const Expected &e : c.columns) {
            QCOMPARE(grid.TextMatrix(0, e.col), e.heading);
            QCOMPARE(grid.ColAlignment(e.col), e.alignment);
            QCOMPARE(grid.FixedAlignment(e.col), e.alignment);
        }
    }
    // The parser alone, for the marks that are not alignment marks.
    const auto columns = parseFlexGridFormat(QStringLiteral("a|<|>x y |"));
    QCOMPARE(columns.size(), 4);
    QCOMPARE(columns[0].heading, QStringLiteral("a"));
    QCOMPARE(columns[1].heading, QString());
    QCOMPARE(columns[1].alignment, 1);
    QCOMPARE(columns[2].heading, QStringLiteral("x y "));
}

void TestFlexGrid::formatHeadingsSetInitialWidths()
{
    FlexGrid grid;
    grid.setFormatString(ReportFormat);
    const QFont font = grid.font();
    // The width of the heading, trailing blanks included, plus the cell margins.
    QCOMPARE(grid.ColWidth(3), TextMeasure::widthTwips(font, QStringLiteral("付款人                    ")) + 90);
    QVERIFY(grid.ColWidth(3) > TextMeasure::widthTwips(font, QStringLiteral("付款人")) + 90);
    QVERIFY(grid.ColWidth(2) > grid.ColWidth(1) - TextMeasure::widthTwips(font, QStringLiteral("簿编")));
    // An untitled column keeps the default width until the window hides it.
    QVERIFY(grid.ColWidth(11) > 0);
    grid.setColWidth(11, 0);
    QCOMPARE(grid.ColWidth(11), 0);
}

void TestFlexGrid::rowsAndColsKeepOrDropCells()
{
    FlexGrid grid;
    grid.setCols(4);
    grid.setRows(5);
    grid.setTextMatrix(2, 3, QStringLiteral("keep"));
    grid.setTextMatrix(4, 1, QStringLiteral("drop"));
    grid.setRows(3);
    grid.setRows(6);
    QCOMPARE(grid.TextMatrix(2, 3), QStringLiteral("keep"));
    QCOMPARE(grid.TextMatrix(4, 1), QString());
    grid.setCols(3);
    grid.setCols(4);
    QCOMPARE(grid.TextMatrix(2, 3), QString());
    // Out of range: ignored on writing, empty on reading.
    grid.setTextMatrix(9, 9, QStringLiteral("x"));
    QCOMPARE(grid.TextMatrix(9, 9), QString());
    // Removing a row moves the rows below it up.
    grid.setTextMatrix(3, 0, QStringLiteral("three"));
    grid.removeRow(2);
    QCOMPARE(grid.Rows(), 5);
    QCOMPARE(grid.TextMatrix(2, 0), QStringLiteral("three"));
    // Down to the heading row only.
    grid.setRows(1);
    QCOMPARE(grid.Rows(), 1);
    QCOMPARE(grid.FixedRows(), 1);
    QCOMPARE(grid.Row(), 0);
}

void TestFlexGrid::fixedColumnsStayWhenScrollingHorizontally()
{
    FlexGrid grid;
    grid.setFormatString(UsageFormat);
    grid.setFixedCols(4);
    grid.setRows(30);
    for (int row = 1; row < 30; ++row)
        for (int col = 0; col < 16; ++col)
            grid.setTextMatrix(row, col, QStringLiteral("%1/%2").arg(row).arg(col));
    grid.resize(500, 300);
    QVERIFY(WindowDriver::show(&grid));

    grid.setLeftCol(10);
    QCOMPARE(grid.LeftCol(), 10);
    // The fixed column "选择" is still where it was, beside the scrolled columns.
    QHeaderView *fixedColumns = grid.verticalHeader();
    const int selectX = Twips::toPixels(grid.ColWidth(0)) + Twips::toPixels(grid.ColWidth(1)) / 2;
    const int rowY = grid.rowViewportPosition(3) + 5;
    QTest::mouseClick(fixedColumns->viewport(), Qt::LeftButton, {}, QPoint(selectX, rowY));
    QCOMPARE(grid.MouseCol(), 1);
    QCOMPARE(grid.MouseRow(), 3);
    // A click on a fixed column selects the row across the scrolling columns.
    QCOMPARE(grid.Row(), 3);
    QCOMPARE(grid.Col(), 4);
    QCOMPARE(grid.ColSel(), 15);
    // Right of the fixed columns is the first scrolled-to column.
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, QPoint(3, rowY));
    QCOMPARE(grid.MouseCol(), 10);
    QCOMPARE(grid.Col(), 10);
    QVERIFY(fixedColumns->width() >= Twips::toPixels(grid.ColWidth(0) + grid.ColWidth(3)));
}

void TestFlexGrid::mergedCellsShowAsOneCell()
{
    FlexGrid grid;
    grid.setFormatString(QStringLiteral("^序 |<合并列                |<不合并列              |"));
    grid.setRows(6);
    const QStringList texts = {"A", "B", "B", "B", "C"};
    for (int row = 1; row < 6; ++row) {
        grid.setTextMatrix(row, 0, QString::number(row));
        grid.setTextMatrix(row, 1, texts[row - 1]);
        grid.setTextMatrix(row, 2, texts[row - 1]);
    }
    grid.setRowHeightMin(600);
    grid.setMergeCells(1); // free: the row numbers beside the column do not matter
    grid.setMergeCol(1, true);
    grid.setRow(5); // keep the focus cell away from the cells looked at
    grid.resize(500, 400);
    QVERIFY(WindowDriver::show(&grid));
    const QImage image = grid.viewport()->grab().toImage();
    const QRect merged2 = grid.visualRect(grid.model()->index(2, 1));
    const QRect merged3 = grid.visualRect(grid.model()->index(3, 1));
    const QRect merged4 = grid.visualRect(grid.model()->index(4, 1));
    const QRect plain2 = grid.visualRect(grid.model()->index(2, 2));
    const QRect plain4 = grid.visualRect(grid.model()->index(4, 2));
    auto inner = [](const QRect &r) { return r.adjusted(2, 2, -3, -3); };

    // "B" is written once, in the middle of its three rows; the plain column repeats it.
    QVERIFY(darkest(image, inner(merged2)) > 200);
    QVERIFY(darkest(image, inner(merged3)) < 120);
    QVERIFY(darkest(image, inner(merged4)) > 200);
    QVERIFY(darkest(image, inner(plain2)) < 120);
    QVERIFY(darkest(image, inner(plain4)) < 120);
    // No line between merged rows; a line between plain ones.
    const QRect mergedBoundary(merged2.left() + 3, merged2.bottom(), merged2.width() - 6, 1);
    const QRect plainBoundary(plain2.left() + 3, plain2.bottom(), plain2.width() - 6, 1);
    QCOMPARE(darkest(image, mergedBoundary), 255);
    QVERIFY(darkest(image, plainBoundary) < 230);
    // Empty cells never merge, and merging stops when switched off.
    QCOMPARE(grid.MergeCol(1), true);
    QCOMPARE(grid.MergeCol(2), false);
    grid.setMergeCells(0);
    QCoreApplication::processEvents();
    const QImage unmerged = grid.viewport()->grab().toImage();
    QVERIFY(darkest(unmerged, inner(merged2)) < 120);
}

// Columns 0 and 1 mergeable: "A A B B" beside "x x x x"; rows 0 and 1 mergeable.
void TestFlexGrid::mergeModesDecideWhichCellsMerge()
{
    FlexGrid grid;
    grid.setCols(3);
    grid.setRows(5);
    grid.setFixedRows(0);
    grid.setFixedCols(0);
    const QStringList first = {"A", "A", "B", "B", ""};
    for (int row = 0; row < 5; ++row) {
        grid.setTextMatrix(row, 0, first[row]);
        grid.setTextMatrix(row, 1, row < 4 ? QStringLiteral("x") : QString());
        grid.setTextMatrix(row, 2, QStringLiteral("x"));
    }
    grid.setMergeCol(0, true);
    grid.setMergeCol(1, true);

    grid.setMergeCells(0);
    QCOMPARE(grid.mergedRange(1, 1), QRect(1, 1, 1, 1));

    // Free: column 1 is one block of four; column 2 is not mergeable.
    grid.setMergeCells(1);
    QCOMPARE(grid.mergedRange(2, 1), QRect(1, 0, 1, 4));
    QCOMPARE(grid.mergedRange(0, 0), QRect(0, 0, 1, 2));
    QCOMPARE(grid.mergedRange(2, 2), QRect(2, 2, 1, 1));
    // Empty cells never merge.
    QCOMPARE(grid.mergedRange(4, 0), QRect(0, 4, 1, 1));

    // Restricted columns: column 1 merges only within the runs of column 0.
    grid.setMergeCells(3);
    QCOMPARE(grid.mergedRange(0, 1), QRect(1, 0, 1, 2));
    QCOMPARE(grid.mergedRange(3, 1), QRect(1, 2, 1, 2));
    QCOMPARE(grid.mergedRange(1, 0), QRect(0, 0, 1, 2));
    grid.setMergeCells(4);
    QCOMPARE(grid.mergedRange(3, 1), QRect(1, 2, 1, 2));
    // Restricting rows leaves columns free.
    grid.setMergeCells(2);
    QCOMPARE(grid.mergedRange(3, 1), QRect(1, 0, 1, 4));

    // A column left of a mergeable one that is not mergeable itself stops it merging.
    grid.setMergeCol(0, false);
    grid.setMergeCells(3);
    QCOMPARE(grid.mergedRange(1, 1), QRect(1, 1, 1, 1));
    grid.setMergeCells(1);
    QCOMPARE(grid.mergedRange(1, 1), QRect(1, 0, 1, 4));
}

void TestFlexGrid::mergedRowsShowAcross()
{
    FlexGrid grid;
    grid.setCols(3);
    grid.setRows(3);
    grid.setFixedRows(0);
    grid.setFixedCols(0);
    const QStringList rows[] = {{"p", "p", "q"}, {"p", "p", "p"}, {"r", "r", "r"}};
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col)
            grid.setTextMatrix(row, col, rows[row][col]);
    grid.setMergeRow(0, true);
    grid.setMergeRow(1, true);
    QVERIFY(grid.MergeRow(1));
    QVERIFY(!grid.MergeRow(2));

    grid.setMergeCells(1);
    QCOMPARE(grid.mergedRange(1, 2), QRect(0, 1, 3, 1));
    QCOMPARE(grid.mergedRange(0, 0), QRect(0, 0, 2, 1));
    QCOMPARE(grid.mergedRange(2, 1), QRect(1, 2, 1, 1)); // row 2 is not mergeable
    // Restricted rows: row 1 merges across only where row 0 does.
    grid.setMergeCells(2);
    QCOMPARE(grid.mergedRange(1, 0), QRect(0, 1, 2, 1));
    QCOMPARE(grid.mergedRange(1, 2), QRect(2, 1, 1, 1));
    // Restricting columns leaves rows free.
    grid.setMergeCells(3);
    QCOMPARE(grid.mergedRange(1, 2), QRect(0, 1, 3, 1));

    // Removing a row takes its mark with it.
    grid.removeRow(0);
    QVERIFY(grid.MergeRow(0));
    QVERIFY(!grid.MergeRow(1));

    // Painted as one cell: the text once, centred across the block, with no line inside it.
    grid.setMergeCells(1);
    for (int col = 0; col < 3; ++col)
        grid.setColAlignment(col, 4);
    grid.setRowHeightMin(600);
    grid.setRow(1);
    grid.setCol(2);
    grid.resize(500, 300);
    QVERIFY(WindowDriver::show(&grid));
    const QImage image = grid.viewport()->grab().toImage();
    const QRect left = grid.visualRect(grid.model()->index(0, 0));
    const QRect middle = grid.visualRect(grid.model()->index(0, 1));
    auto inner = [](const QRect &r) { return r.adjusted(2, 2, -3, -3); };
    QVERIFY(darkest(image, inner(left)) > 200);
    QVERIFY(darkest(image, inner(middle)) < 120);
    const QRect boundary(left.right(), left.top() + 3, 1, left.height() - 6);
    QCOMPARE(darkest(image, boundary), 255);
}

void TestFlexGrid::modelServesAndAnnouncesItsCells()
{
    FlexGrid grid;
    grid.setCols(4);
    grid.setRows(6);
    QAbstractItemModel *model = grid.model();
    QSignalSpy changed(model, &QAbstractItemModel::dataChanged);

    grid.setTextMatrix(2, 1, QStringLiteral("甲"));
    grid.setTextMatrix(4, 3, QStringLiteral("乙"));
    grid.setRow(3);
    grid.setCol(2);
    grid.setCellBackColor(QColor(255, 255, 0));
    grid.setCellForeColor(QColor(0, 0, 255));
    QCOMPARE(model->data(model->index(2, 1), Qt::DisplayRole).toString(), QStringLiteral("甲"));
    QCOMPARE(model->data(model->index(3, 2), Qt::BackgroundRole).value<QBrush>().color(), QColor(255, 255, 0));
    QCOMPARE(model->data(model->index(3, 2), Qt::ForegroundRole).value<QBrush>().color(), QColor(0, 0, 255));
    QVERIFY(!model->data(model->index(2, 1), Qt::BackgroundRole).isValid());

    // One announcement for all of it, once the event loop turns, covering every change.
    QCOMPARE(changed.count(), 0);
    QTRY_COMPARE(changed.count(), 1);
    const QModelIndex topLeft = changed[0][0].toModelIndex();
    const QModelIndex bottomRight = changed[0][1].toModelIndex();
    QCOMPARE(QRect(QPoint(topLeft.column(), topLeft.row()), QPoint(bottomRight.column(), bottomRight.row())),
             QRect(QPoint(1, 2), QPoint(3, 4)));
    const QList<int> roles = changed[0][2].value<QList<int>>();
    QVERIFY(roles.contains(Qt::DisplayRole) && roles.contains(Qt::BackgroundRole) && roles.contains(Qt::ForegroundRole));

    // Writing what a cell already holds is no change; rows removed before the
    // announcement are left out of it.
    changed.clear();
    grid.setTextMatrix(2, 1, QStringLiteral("甲"));
    grid.setTextMatrix(5, 3, QStringLiteral("丙"));
    grid.setRows(3);
    QCoreApplication::processEvents();
    QCOMPARE(changed.count(), 0);
}

void TestFlexGrid::hiddenColumnAndColours()
{
    FlexGrid grid;
    grid.setFormatString(QStringLiteral("<a    |<b    |<c    "));
    grid.setRows(3);
    grid.setRow(1);
    grid.setCol(2);
    grid.setCellBackColor(QColor(43, 141, 201));
    grid.setCellForeColor(Qt::white);
    QCOMPARE(grid.CellBackColor(), QColor(43, 141, 201));
    QCOMPARE(grid.CellForeColor(), QColor(Qt::white));
    grid.setCol(1);
    QVERIFY(!grid.CellBackColor().isValid());
    grid.setColWidth(1, 0);
    QVERIFY(WindowDriver::show(&grid));
    QVERIFY(grid.isColumnHidden(1));
    // The coloured cell now sits right after the fixed column.
    const QImage image = grid.viewport()->grab().toImage();
    const QRect cell = grid.visualRect(grid.model()->index(1, 2));
    QCOMPARE(cell.left(), 0);
    QCOMPARE(QColor(image.pixel(cell.center().x(), cell.top() + 2)), QColor(43, 141, 201));
    grid.setColWidth(1, 600);
    QVERIFY(!grid.isColumnHidden(1));
}

void TestFlexGrid::mouseSelectsAndReportsInOrder()
{
    FlexGrid grid;
    grid.setCols(5);
    grid.setRows(10);
    grid.resize(400, 300);
    QVERIFY(WindowDriver::show(&grid));
    QStringList events;
    connect(&grid, &FlexGrid::mouseReleased, this,
            [&](int, int shift, int, int) { events << QStringLiteral("up%1").arg(shift); });
    connect(&grid, &FlexGrid::cellClicked, this, [&] { events << QStringLiteral("click"); });
    connect(&grid, &FlexGrid::cellDoubleClicked, this, [&] { events << QStringLiteral("dbl"); });

    auto centre = [&](int row, int col) { return grid.visualRect(grid.model()->index(row, col)).center(); };
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, centre(2, 3));
    QCOMPARE(grid.Row(), 2);
    QCOMPARE(grid.Col(), 3);
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::ShiftModifier, centre(5, 3));
    QCOMPARE(grid.Row(), 2);
    QCOMPARE(grid.RowSel(), 5);
    QCOMPARE(events, QStringList({"up0", "click", "up1", "click"}));

    // A double click: the first click is reported as a click, the second as a double
    // click, and the release that ends it as a mouse-up only.
    events.clear();
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, centre(4, 1));
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, centre(4, 1)); // press and double click
    QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, centre(4, 1));
    QCOMPARE(events, QStringList({"up0", "click", "dbl", "up0"}));
    QCOMPARE(grid.Row(), 4);

    grid.selectRowAcross(6, 0, 4);
    QCOMPARE(grid.Row(), 6);
    QCOMPARE(grid.RowSel(), 6);
    QCOMPARE(grid.Col(), 0);
    QCOMPARE(grid.ColSel(), 4);
}

void TestFlexGrid::topRowIsLimitedToTheScrollRange()
{
    FlexGrid grid;
    grid.setCols(2);
    grid.setRows(200);
    grid.resize(300, 200);
    QVERIFY(WindowDriver::show(&grid));
    QCOMPARE(grid.TopRow(), 1);
    grid.setTopRow(50);
    QCOMPARE(grid.TopRow(), 50);
    QVERIFY(grid.RowIsVisible(50));
    QVERIFY(!grid.RowIsVisible(49));
    QVERIFY(grid.RowIsVisible(0)); // a fixed row never scrolls away
    grid.setTopRow(0);
    QCOMPARE(grid.TopRow(), 1);
    grid.setTopRow(10000);
    QVERIFY(grid.RowIsVisible(199));
    QVERIFY(grid.TopRow() < 199);
}

void TestFlexGrid::hundredThousandRowsFillAndScrollToTheEnd()
{
    // How fast this is, is measured in bench/; here only that it holds them all.
    FlexGrid grid;
    grid.setFormatString(UsageFormat);
    grid.resize(800, 600);
    QVERIFY(WindowDriver::show(&grid));
    grid.setVisible(false);
    grid.setRows(1);
    for (int row = 1; row <= 100000; ++row) {
        grid.setRows(grid.Rows() + 1);
        grid.setRow(row);
        grid.setTextMatrix(row, 0, QString::number(row));
        for (int col = 2; col < 15; ++col)
            grid.setTextMatrix(row, col, QStringLiteral("21-2011-%1").arg(col));
    }
    grid.setVisible(true);
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    QCOMPARE(grid.Rows(), 100001);
    QCOMPARE(grid.TextMatrix(100000, 0), QStringLiteral("100000"));
    grid.setTopRow(99990);
    QVERIFY(grid.RowIsVisible(100000));
}

QTEST_MAIN(TestFlexGrid)
#include "test_flexgrid.moc"

// Rows shown from a result table read as their columns make them; a cell written later
// keeps what was written, and removing or dropping rows keeps the texts of the others.
void TestFlexGrid::rowsShownFromATableKeepWhatIsWritten()
{
    db::ResultTableBuilder builder;
    builder.setColumns({QStringLiteral("name"), QStringLiteral("count")},
                       {int(db::ResultTable::Kind::Text), int(db::ResultTable::Kind::Integer)});
    const char *const names[] = {"甲", "乙", "丙"};
    for (int i = 0; i < 3; ++i) {
        builder.addText(0, names[i]);
        builder.addInteger(1, 10 * (i + 1));
        builder.endRow();
    }
    FlexGrid grid;
    grid.setCols(3);
    grid.setRows(5);
    grid.setTextMatrix(4, 1, QStringLiteral("合计"));
    grid.setTableRows(1, std::make_shared<const db::ResultTable>(builder.take()),
                      {{0, [](const db::ResultTable &, int line) { return QString::number(line + 1); }},
                       {1, [](const db::ResultTable &t, int line) { return t.text(line, 0); }},
                       {2, [](const db::ResultTable &t, int line) { return QStringLiteral("[%1]").arg(t.integer(line, 1)); }}});
    auto row = [&grid](int r) {
        return QStringList{grid.TextMatrix(r, 0), grid.TextMatrix(r, 1), grid.TextMatrix(r, 2)};
    };
    QCOMPARE(row(1), (QStringList{u"1"_s, u"甲"_s, u"[10]"_s}));
    QCOMPARE(row(3), (QStringList{u"3"_s, u"丙"_s, u"[30]"_s}));
    QCOMPARE(grid.TextMatrix(4, 1), u"合计"_s);
    QCOMPARE(grid.TextMatrix(0, 1), QString());

    grid.setTextMatrix(2, 1, QStringLiteral("改"));
    QCOMPARE(row(2), (QStringList{u"2"_s, u"改"_s, u"[20]"_s}));
    grid.removeRow(1);
    QCOMPARE(row(1), (QStringList{u"2"_s, u"改"_s, u"[20]"_s}));
    QCOMPARE(row(2), (QStringList{u"3"_s, u"丙"_s, u"[30]"_s}));
    QCOMPARE(grid.TextMatrix(3, 1), u"合计"_s);
    grid.setRows(2);
    grid.setRows(4);
    QCOMPARE(row(1), (QStringList{u"2"_s, u"改"_s, u"[20]"_s}));
    QCOMPARE(row(2), (QStringList{QString(), QString(), QString()}));
}
