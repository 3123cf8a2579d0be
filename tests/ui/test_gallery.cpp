#include "platform/ui/CheckBox.h"
#include "platform/ui/DatePicker.h"
#include "platform/ui/DropDownList.h"
#include "platform/ui/FlexGrid.h"
#include "platform/ui/KeyedTree.h"
#include "platform/ui/ListBox.h"
#include "platform/ui/MultiLineTextBox.h"
#include "platform/ui/OptionButton.h"
#include "platform/ui/PictureButton.h"
#include "platform/ui/StatusBar.h"
#include "platform/ui/Twips.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPainter>
#include <QTest>

namespace {

QString galleryPath(const QString &name)
{
    const QString root = qEnvironmentVariable("TESSALINE_BUILD_DIR", QDir::currentPath());
    QDir(root).mkpath(QStringLiteral("gallery"));
    return QDir(root).filePath(QStringLiteral("gallery/") + name);
}

// Small pictures drawn here: a folder for categories and a sheet for items.
QIcon folderIcon(const QColor &color)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(color.darker(160));
    painter.setBrush(color);
    painter.drawRoundedRect(QRectF(1.5, 4.5, 13, 9), 1.5, 1.5);
    painter.drawRect(QRectF(1.5, 2.5, 5, 2));
    return QIcon(pixmap);
}

QIcon sheetIcon()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(QColor(90, 90, 90));
    painter.setBrush(Qt::white);
    painter.drawRect(3, 1, 10, 13);
    painter.setPen(QColor(80, 120, 200));
    for (int y = 4; y <= 11; y += 3)
        painter.drawLine(5, y, 11, y);
    return QIcon(pixmap);
}

QIcon arrowIcon()
{
    QPixmap pixmap(12, 12);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(40, 40, 40));
    painter.drawPolygon(QPolygonF({QPointF(2, 4), QPointF(10, 4), QPointF(6, 9)}));
    return QIcon(pixmap);
}

void save(QWidget &widget, const QString &name)
{
    widget.show();
    if (!QTest::qWaitForWindowExposed(&widget))
        qFatal("not shown");
    QCoreApplication::processEvents();
    const QString path = galleryPath(name);
    if (!widget.grab().save(path))
        qFatal("cannot write %s", qPrintable(path));
    qInfo("%s", qPrintable(path));
}

} // namespace

class TestGallery : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void flexGrid();
    void keyedTree();
    void smallControls();
};

void TestGallery::initTestCase()
{
    const QStringList song = {QStringLiteral("AR PL UMing CN"), QStringLiteral("WenQuanYi Zen Hei")};
    QFont::insertSubstitutions(QStringLiteral("宋体"), song);
    QApplication::setFont(QFont(QStringLiteral("宋体"), 10));
}

void TestGallery::flexGrid()
{
    // The report grid: a fixed heading row and row-number column, book and bill
    // numbers merged over the lines of one bill, coloured cells, a hidden last column.
    FlexGrid grid;
    grid.setObjectName(QStringLiteral("MSFlexGrid1"));
    grid.setFormatString(QStringLiteral("^序 |<票据簿编号|<票据号码  |<付款人          |<收费项目      |>金额     "
                                        "|<开票日期  |^状态   |<隐藏"));
    grid.setRowHeightMin(300);
    const QStringList rows[] = {
        {"21-2011", "00012301", "总务处", "资料费", "120.00", "2011-05-03", "在库"},
        {"21-2011", "00012301", "总务处", "复印费", "30.50", "2011-05-03", "在库"},
        {"21-2011", "00012302", "车队", "停车费", "15.00", "2011-05-04", "领用"},
        {"22-2011", "00045001", "食堂", "餐费", "2380.00", "2011-05-04", "领用"},
        {"22-2011", "00045001", "食堂", "包间费", "300.00", "2011-05-04", "领用"},
        {"22-2011", "00045001", "食堂", "服务费", "88.00", "2011-05-04", "领用"},
        {"22-2011", "00045002", "财务处", "培训费", "4500.00", "2011-05-06", "核销"},
        {"22-2011", "00045003", "财务处", "会务费", "1260.00", "2011-05-07", "核销"},
    };
    grid.setVisible(false);
    for (const QStringList &line : rows) {
        const int row = grid.Rows();
        grid.setRows(row + 1);
        grid.setTextMatrix(row, 0, QString::number(row));
        for (int col = 0; col < line.size(); ++col)
            grid.setTextMatrix(row, col + 1, line[col]);
        grid.setTextMatrix(row, 8, QStringLiteral("ID%1").arg(row));
    }
    grid.removeRow(1); // the empty row a new grid starts with
    for (int row = 1; row < grid.Rows(); ++row)
        grid.setTextMatrix(row, 0, QString::number(row));
    const int total = grid.Rows();
    grid.setRows(total + 1);
    grid.setTextMatrix(total, 1, QStringLiteral("合计"));
    grid.setTextMatrix(total, 5, QStringLiteral("8693.50"));
    grid.setMergeCells(3);
    for (int col : {0, 1, 2})
        grid.setMergeCol(col, true);
    grid.setColWidth(8, 0);
    for (int row = 1; row < total; ++row) {
        grid.setRow(row);
        grid.setCol(7);
        if (grid.TextMatrix(row, 7) == QStringLiteral("在库")) {
            grid.setCellBackColor(QColor(43, 141, 201));
            grid.setCellForeColor(Qt::white);
        }
    }
    grid.setRow(3);
    grid.setCol(4);
    grid.setCellBackColor(QColor(187, 204, 250));
    grid.selectRowAcross(6, 1, 7);
    grid.setVisible(true);
    grid.resize(Twips::size(9600, 3600));
    save(grid, QStringLiteral("flexgrid.png"));

    // The same grid scrolled right and down: fixed row and column stay in place.
    grid.resize(Twips::size(5200, 2400));
    grid.setTopRow(4);
    grid.setLeftCol(3);
    save(grid, QStringLiteral("flexgrid_scrolled.png"));
    QCOMPARE(grid.TopRow(), 4);
    QCOMPARE(grid.LeftCol(), 3);
}

void TestGallery::keyedTree()
{
    KeyedTree tree;
    tree.setObjectName(QStringLiteral("TreeView1"));
    QList<QIcon> images(8);
    images[0] = folderIcon(QColor(250, 210, 90));
    images[1] = folderIcon(QColor(120, 170, 240));
    images[6] = sheetIcon();
    images[7] = folderIcon(QColor(250, 210, 90));
    tree.setImageList(images);
    tree.setCheckBoxes(true);
    tree.addNode(QStringLiteral("L办公"), QStringLiteral("办公类"), 8);
    tree.addChild(QStringLiteral("L办公"), QStringLiteral("X01"), QStringLiteral("资料费"), 7);
    tree.addChild(QStringLiteral("L办公"), QStringLiteral("X02"), QStringLiteral("复印费"), 7);
    tree.addNode(QStringLiteral("L培训"), QStringLiteral("培训类"), 8);
    tree.addChild(QStringLiteral("L培训"), QStringLiteral("X10"), QStringLiteral("培训费"), 7);
    tree.addChild(QStringLiteral("L培训"), QStringLiteral("X11"), QStringLiteral("会务费"), 7);
    const int taxed = tree.addNode(QStringLiteral("22P"), QStringLiteral("22 全电票（税控）"), 2);
    tree.setForeColor(taxed, QColor(0, 0, 255));
    tree.setChecked(1, true);
    tree.setChecked(2, true);
    tree.setChecked(3, true);
    tree.setChecked(5, true);
    tree.expandAll();
    tree.setSelectedIndex(5);
    tree.resize(Twips::size(3105, 2400));
    save(tree, QStringLiteral("keyedtree.png"));
}

void TestGallery::smallControls()
{
    QWidget form;
    form.setWindowTitle(QStringLiteral("控件"));
    form.resize(Twips::size(7200, 4200));
    auto *label = new QLabel(QStringLiteral("部门"), &form);
    Twips::place(label, 120, 150, 600, 240);
    auto *combo = new DropDownList(&form);
    Twips::place(combo, 720, 90, 2400, 330);
    combo->addLine(QStringLiteral("全部"));
    combo->addLine(QStringLiteral("21 全电票（普通）"));
    combo->setListIndex(0);
    auto *arrow = new PictureButton(&form);
    Twips::place(arrow, 3240, 120, 315, 255);
    arrow->setPicture(arrowIcon());
    auto *from = new DatePicker(&form);
    Twips::place(from, 3720, 90, 1500, 330);
    from->setValue(QDate(2011, 5, 3));
    auto *check = new CheckBox(QStringLiteral("全选"), &form);
    Twips::place(check, 5400, 120, 900, 255);
    check->setValue(1);
    auto *list = new ListBox(&form);
    Twips::place(list, 120, 600, 3000, 1800);
    list->addLine(QStringLiteral("总务处 出纳 [张三]"), 1);
    list->addLine(QStringLiteral("财务处 会计 [李四]"), 2);
    list->addLine(QStringLiteral("财务处 处长 "), 3);
    list->setListIndex(1);
    auto *option = new OptionButton(QStringLiteral("作废恢复"), &form);
    Twips::place(option, 3360, 600, 1500, 255);
    option->setValue(true);
    auto *text = new MultiLineTextBox(&form);
    Twips::place(text, 3360, 960, 3600, 1440);
    text->setText(QStringLiteral("调整事由：\n开票时填错了付款人，申请恢复。"));
    auto *bar = new StatusBar(4, &form);
    bar->setGeometry(0, form.height() - Twips::toPixels(330), form.width(), Twips::toPixels(330));
    bar->setPanelText(1, QStringLiteral("在库"));
    bar->setPanelText(2, QStringLiteral(" 总务处"));
    bar->setPanelText(4, QStringLiteral(" 出纳"));
    save(form, QStringLiteral("controls.png"));
}

QTEST_MAIN(TestGallery)
#include "test_gallery.moc"
