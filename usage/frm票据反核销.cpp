#include "usage/frm票据反核销.h"

#include "platform/db/Recordset.h"
#include "platform/ui/DisplayFormats.h"
#include "platform/ui/MessageBoxes.h"
#include "platform/ui/PlacedControls.h"
#include "platform/ui/Twips.h"
#include "shell/AppState.h"
#include "shell/Handlers.h"
#include "shell/Module1.h"
#include "shell/Program.h"
#include "usage/WriteOffReversal.h"
#include "usage/WriteOffReversalSql.h"

#include <QFont>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>

using MessageBoxes::Answer;
using MessageBoxes::Buttons;
using MessageBoxes::Icon;
using WriteOffReversal::ReverseOutcome;

namespace {

using PlacedControls::label;
using PlacedControls::textBox;

const QString CrLf = QStringLiteral("\r\n");
const QString PromptTitle = QStringLiteral("提示");

// The three buttons of the top row. A focused button takes Enter itself; Enter anywhere
// else is the default button's.
QPushButton *topRowButton(QWidget *parent, const QString &name, const QString &caption, int left)
{
    QPushButton *b = PlacedControls::button(parent, name, caption, left, 120, 885, 375);
    b->setAutoDefault(true);
    return b;
}

// A date column in the short date form; a value that is no date as it is.
QString dateText(const db::Recordset &row, const QString &column)
{
    const QDate date = row.date(column);
    return date.isValid() ? DisplayFormats::shortDate(date) : row.text(column);
}

} // namespace

// ---------------------------------------------------------------- the info box

InfoTextBox::InfoTextBox(QWidget *parent) : QPlainTextEdit(parent)
{
    setReadOnly(true);
    setTabChangesFocus(true);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void InfoTextBox::setText(const QString &text)
{
    m_text = text;
    setPlainText(text);
}

// ---------------------------------------------------------------- construction

frm票据反核销::frm票据反核销(QWidget *parent) : ChildWindow(parent)
{
    setObjectName(QStringLiteral("frm票据反核销"));
    setWindowTitle(QStringLiteral("票据使用查询"));
    buildControls();
}

void frm票据反核销::buildControls()
{
    setFixedSize(Twips::size(9735, 6660));

    Label2 = label(this, QStringLiteral("Label2"), QStringLiteral("入库单编号："), 330, 195, 1080, 180);
    Text2 = textBox(this, QStringLiteral("Text2"), 1410, 113, 1905, 345);
    Command1 = topRowButton(this, QStringLiteral("Command1"), QStringLiteral("查询"), 3600);
    Label3 = label(this, QStringLiteral("Label3"), QStringLiteral("核销编号"), 4560, 195, 855, 180);
    Text1 = textBox(this, QStringLiteral("Text1"), 5640, 120, 1905, 345);
    Command3 = topRowButton(this, QStringLiteral("Command3"), QStringLiteral("反核销"), 7680);
    Command2 = topRowButton(this, QStringLiteral("Command2"), QStringLiteral("关闭"), 8640);

    Text3 = new InfoTextBox(this);
    Text3->setObjectName(QStringLiteral("Text3"));
    Text3->setFont(QFont(QStringLiteral("宋体"), 15, QFont::Bold));
    Text3->setText(QStringLiteral("票据核销信息：") + CrLf);
    Twips::place(Text3, 120, 600, 9525, 5925);

    setTabOrder(Text2, Command1);
    setTabOrder(Command1, Text1);
    setTabOrder(Text1, Command3);
    setTabOrder(Command3, Command2);
    setTabOrder(Command2, Text3);

    // A failed look-up is told as a notice: its description only.
    connectHandler(Command1, &QPushButton::clicked, this, &frm票据反核销::Command1_Click, ErrorReport::DescriptionOnly);
    connectHandler(Command2, &QPushButton::clicked, this, &frm票据反核销::Command2_Click);
    connectHandler(Command3, &QPushButton::clicked, this, &frm票据反核销::Command3_Click);
}

// ---------------------------------------------------------------- loading

void frm票据反核销::Form_Load()
{
    runReportingErrors([this] {
        fixFrameSize(false);
        Command3->setEnabled(false);
    });
}

// The window is no dialog, so the default button is its own: Enter that no control took
// (the text boxes let it pass) clicks Command3 while it is enabled.
QPushButton *frm票据反核销::defaultButton() const
{
    return Command3;
}

// ---------------------------------------------------------------- lookup

void frm票据反核销::Command1_Click()
{
    Text3->setText(QStringLiteral("票据信息："));
    const QString book = Text2->text().trimmed();
    if (book.isEmpty()) {
        ShowInfo(QStringLiteral("请输入入库单编号！"));
        Text2->setFocus();
        return;
    }
    lookUpBook(book);
}

void frm票据反核销::lookUpBook(const QString &book)
{
    db::Recordset rows;
    {
        Hourglass busy;
        rows = DbConnection().open(bookWriteOffInfoSql(book));
    }
    if (rows.eof()) {
        ShowInfo(QStringLiteral("票据信息不存在！"));
        Text2->setFocus();
        return;
    }
    // Each row replaces the text: the box ends up showing the last row's block.
    for (; !rows.eof(); rows.moveNext()) {
        Text3->setText(writeOffInfoBlock(rows));
        Text3->repaint();
    }
    Command3->setEnabled(true);
}

QString frm票据反核销::writeOffInfoBlock(const db::Recordset &row)
{
    const QString department = row.isNull(QStringLiteral("领用部门代号"))
        ? QStringLiteral("无")
        : row.text(QStringLiteral("领用部门代号")) + QLatin1Char(' ') + row.text(QStringLiteral("职能部门名称"));
    return QStringLiteral("核销记录编号： ") + row.text(QStringLiteral("核销记录编号")) + CrLf
        + QStringLiteral("入库单编号： ") + row.text(QStringLiteral("入库单编号")) + CrLf
        + QStringLiteral("起始编号：") + row.text(QStringLiteral("起始编号")) + CrLf
        + QStringLiteral("终止编号：") + row.text(QStringLiteral("终止编号")) + CrLf
        + QStringLiteral("票据类型：") + row.text(QStringLiteral("票据类型")) + CrLf
        + QStringLiteral("核销日期： ") + dateText(row, QStringLiteral("核销日期")) + QLatin1Char(' ') + CrLf
        + QStringLiteral("归还日期： ") + dateText(row, QStringLiteral("归还日期")) + QLatin1Char(' ') + CrLf
        + QStringLiteral("状态：") + row.text(QStringLiteral("状态")) + CrLf
        + QStringLiteral("领用部门：") + department + CrLf + CrLf;
}

// ---------------------------------------------------------------- reverse

void frm票据反核销::Command3_Click()
{
    const QString book = Text2->text().trimmed();
    const QString record = Text1->text().trimmed();
    // The question comes before the numbers are checked: an empty number shows in it as nothing.
    const QString question = QStringLiteral("是否要将编号为：  ") + book + QStringLiteral("  的票据本反核销？");
    if (MessageBoxes::show(this, question, PromptTitle, Icon::None, Buttons::YesNo) != Answer::Yes)
        return;
    // A database failure leaves the handler with nothing written; its error box reports
    // it and Command3 stays enabled for another try.
    const ReverseOutcome outcome = [this] {
        Hourglass busy;
        return WriteOffReversal::reverseWriteOff(DbConnection(), {Text2->text(), Text1->text()});
    }();
    switch (outcome) {
    case ReverseOutcome::NumbersMissing:
        MessageBoxes::showWithAppTitle(this, QStringLiteral("请输入正确的入库单编号或核销编号！"));
        return;
    case ReverseOutcome::NotInRecord:
        ShowInfo(QStringLiteral("入库单编号为 ") + book + QStringLiteral(" 的票据本不在核销记录 ") + record
                 + QStringLiteral(" 中，未做任何修改。"));
        return;
    case ReverseOutcome::RecordSmallerThanBook:
        ShowInfo(QStringLiteral("核销记录 ") + record
                 + QStringLiteral(" 的开票金额小于该票据本的开票金额合计，数据不一致，未做任何修改。"));
        return;
    case ReverseOutcome::Reversed:
        break;
    }
    MessageBoxes::show(this, QStringLiteral("反核销完成！"), PromptTitle, Icon::None, Buttons::Ok);
    Command3->setEnabled(false);
}

// ---------------------------------------------------------------- close

void frm票据反核销::Command2_Click()
{
    unload();
}
