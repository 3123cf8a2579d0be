#include "usage/frm票据明细.h"

#include "platform/db/Recordset.h"
#include "platform/ui/DisplayFormats.h"
#include "platform/ui/FlexGrid.h"
#include "platform/ui/TextMeasure.h"
#include "platform/ui/PlacedControls.h"
#include "platform/ui/Twips.h"
#include "shell/AppState.h"
#include "shell/Handlers.h"
#include "shell/Module1.h"
#include "usage/IssuedBooksSql.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

using PlacedControls::label;

QLineEdit *readOnlyBox(QWidget *parent, const QString &name, int left, int top, int width)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setReadOnly(true);
    Twips::place(box, left, top, width, 300);
    return box;
}

QString dateText(const db::Recordset &bills, const QString &column)
{
    return DisplayFormats::shortDate(bills.date(column));
}

} // namespace

frm票据明细::frm票据明细(const QString &bookNumber, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frm票据明细"));
    setWindowTitle(QStringLiteral("票据明细"));
    setAttribute(Qt::WA_DeleteOnClose);
    buildControls();
    Text1->setText(bookNumber);
    runReportingErrors([this] { loadBills(); });
}

QString frm票据明细::gridFormat()
{
    return QStringLiteral("序|<票据编号|<开票日期|<付款人|>金额|<收款方式|<收款日期|<作废日期|<作废原因|<核销日期");
}

void frm票据明细::buildControls()
{
    resize(Twips::size(12000, 7200));
    Label1 = label(this, QStringLiteral("Label1"), QStringLiteral("票据本（箱）编号"), 120, 180);
    Text1 = readOnlyBox(this, QStringLiteral("Text1"), 1680, 120, 2400);
    Label2 = label(this, QStringLiteral("Label2"), QStringLiteral("票据份数"), 4320, 180);
    Text2 = readOnlyBox(this, QStringLiteral("Text2"), 5280, 120, 1005);

    MSFlexGrid1 = new FlexGrid(this);
    MSFlexGrid1->setObjectName(QStringLiteral("MSFlexGrid1"));
    MSFlexGrid1->setFormatString(gridFormat());
    MSFlexGrid1->setRowHeightMin(300);
    MSFlexGrid1->setRows(1);
    Twips::place(MSFlexGrid1, 120, 540, 11760, 5940);

    Command1 = new QPushButton(QStringLiteral("关闭"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setAutoDefault(false);
    Twips::place(Command1, 10635, 6630, 1245, 375);
    connectHandler(Command1, &QPushButton::clicked, this, &frm票据明细::Command1_Click);
}

void frm票据明细::loadBills()
{
    db::Recordset bills = DbConnection().open(billsOfBookDetailsSql(Text1->text()));
    FlexGrid *grid = MSFlexGrid1;
    grid->setRows(1);
    grid->setRows(1 + bills.recordCount());
    for (int row = 1; !bills.eof(); bills.moveNext(), ++row) {
        const QStringList cells = {
            QString::number(row),
            bills.text(QStringLiteral("票据编号")),
            dateText(bills, QStringLiteral("开票日期")),
            bills.text(QStringLiteral("付款人")),
            bills.isNull(QStringLiteral("金额")) ? QString() : DisplayFormats::amount(bills.number(QStringLiteral("金额"))),
            bills.text(QStringLiteral("收款方式")),
            dateText(bills, QStringLiteral("收款日期")),
            dateText(bills, QStringLiteral("作废日期")),
            bills.text(QStringLiteral("作废原因")),
            dateText(bills, QStringLiteral("核销日期")),
        };
        for (int col = 0; col < cells.size(); ++col) {
            grid->setTextMatrix(row, col, cells[col]);
            const int wanted = TextMeasure::widthTwips(font(), cells[col]) + 90;
            if (wanted > grid->ColWidth(col))
                grid->setColWidth(col, wanted);
        }
    }
    Text2->setText(QString::number(grid->Rows() - 1));
}

void frm票据明细::showModal()
{
    setWindowModality(Qt::ApplicationModal);
    show();
    raise();
    activateWindow();
}

void frm票据明细::Command1_Click()
{
    close();
}

// The grid takes the room the window gives it; the button keeps to the lower right.
void frm票据明细::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    const int margin = Twips::toPixels(120);
    const int gap = Twips::toPixels(150);
    Command1->move(width() - margin - Command1->width(), height() - margin - Command1->height());
    const int gridHeight = Command1->y() - gap - MSFlexGrid1->y();
    const int gridWidth = width() - 2 * margin;
    if (gridHeight > 0 && gridWidth > 0)
        MSFlexGrid1->resize(gridWidth, gridHeight);
}
