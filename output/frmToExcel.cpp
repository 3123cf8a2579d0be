#include "output/frmToExcel.h"

#include "output/ExportGrid.h"
#include "platform/sheet/FileAccess.h"
#include "platform/sheet/Workbook.h"
#include "platform/ui/CheckBox.h"
#include "platform/ui/FileDialogs.h"
#include "platform/ui/FlexGrid.h"
#include "platform/ui/FlexGridAlignment.h"
#include "platform/ui/GridTable.h"
#include "platform/ui/MessageBoxes.h"
#include "platform/ui/PictureButton.h"
#include "platform/ui/StatusBar.h"
#include "platform/ui/PlacedControls.h"
#include "platform/ui/Twips.h"
#include "shell/Handlers.h"
#include "shell/Module1.h"
#include "shell/Program.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QProgressDialog>
#include <QStandardPaths>
#include <QUrl>

namespace {

const QString Chosen = QStringLiteral("√");

// The file dialog's filter, as the window gives it: caption and pattern pairs.
const QString WorkbookFilter = QStringLiteral("Excel Flie *.xlsx|*.xlsx|All flie *.*|*.*");

frmToExcel::Opener &opener()
{
    static frmToExcel::Opener open;
    return open;
}

QPointer<frmToExcel> &loadedWindow()
{
    static QPointer<frmToExcel> window;
    return window;
}

// "caption|pattern|caption|pattern" in the form Qt's dialogs read.
QString qtFilter(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        entries << parts[i] + QStringLiteral(" (") + QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' '))
                       + QLatin1Char(')');
    return entries.join(QStringLiteral(";;"));
}

// A new workbook is always named for what it is: a name without the workbook
// extension gets ".xlsx". An existing file keeps its name (and is checked when
// written).
QString withWorkbookSuffix(const QString &file)
{
    const QFileInfo info(file);
    if (info.exists() || info.suffix().compare(QLatin1String("xlsx"), Qt::CaseInsensitive) == 0)
        return file;
    return file + QStringLiteral(".xlsx");
}

// Where the file dialog starts: the program's folder, as the operator knows it, when he
// may write there; else (an installed program's folder) his documents folder, or his
// home folder.
QString exportStartFolder()
{
    const QString program = programFolder();
    if (sheet::userMayWrite(program))
        return program;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && sheet::userMayWrite(documents))
        return documents;
    return QStandardPaths::writableLocation(QStandardPaths::HomeLocation);
}

using PlacedControls::label;
using PlacedControls::textBox;

// Pictures of the buttons: an open folder, a tick, a door with an arrow.
QIcon folderPicture()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(150, 110, 30));
    p.setBrush(QColor(240, 200, 90));
    p.drawRect(QRectF(1.5, 4.5, 12, 9));
    p.setBrush(QColor(250, 220, 120));
    p.drawPolygon(QPolygonF({QPointF(3.5, 7.5), QPointF(15.5, 7.5), QPointF(13.5, 13.5), QPointF(1.5, 13.5)}));
    return QIcon(pixmap);
}

QIcon tickPicture()
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(30, 140, 60), 4.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF({QPointF(6, 17), QPointF(13, 24), QPointF(26, 8)}));
    return QIcon(pixmap);
}

QIcon exitPicture()
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(90, 70, 50), 2));
    p.setBrush(QColor(190, 150, 100));
    p.drawRect(QRectF(5, 4, 14, 24));
    p.setPen(QPen(QColor(190, 40, 40), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(15, 16), QPointF(28, 16));
    p.drawPolyline(QPolygonF({QPointF(23, 11), QPointF(28, 16), QPointF(23, 21)}));
    return QIcon(pixmap);
}

} // namespace

frmToExcel::frmToExcel(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmToExcel"));
    setWindowTitle(QString());
    setAttribute(Qt::WA_DeleteOnClose);
    buildControls();
    if (!loadedWindow())
        loadedWindow() = this;
    Form_Load();
}

frmToExcel::~frmToExcel() = default;

frmToExcel *frmToExcel::instance()
{
    if (!loadedWindow())
        loadedWindow() = new frmToExcel;
    return loadedWindow();
}

void frmToExcel::setOpenerForTests(Opener open)
{
    opener() = std::move(open);
}

void frmToExcel::buildControls()
{
    resize(Twips::size(5070, 3795));

    Label1[0] = label(this, QStringLiteral("Label1(0)"), QStringLiteral("Excel文件路径和名称"), 150, 60, 1710, 180);
    Text1[0] = textBox(this, QStringLiteral("Text1(0)"), 150, 300, 4755, 300);
    // The button sits over the right end of the file name box.
    Command1 = new PictureButton(this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setPicture(folderPicture());
    Twips::place(Command1, 4620, 330, 255, 255);
    Label1[1] = label(this, QStringLiteral("Label1(1)"), QStringLiteral("文档标题"), 150, 675, 720, 180);
    Text1[1] = textBox(this, QStringLiteral("Text1(1)"), 1110, 630, 3795, 300);
    Label1[2] = label(this, QStringLiteral("Label1(2)"), QStringLiteral("工作表名称"), 150, 1035, 900, 180);
    Text1[2] = textBox(this, QStringLiteral("Text1(2)"), 1110, 975, 3795, 300);

    Check1 = new CheckBox(QStringLiteral("输出时启动Microsoft Excel程序"), this);
    Check1->setObjectName(QStringLiteral("Check1"));
    Check1->setValue(1);
    Twips::place(Check1, 150, 1380, 2925, 225);
    if (Check1->sizeHint().width() > Check1->width())
        Check1->resize(Check1->sizeHint().width(), Check1->height());

    Shape1 = new QFrame(this);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setFrameShape(QFrame::Box);
    Twips::place(Shape1, 60, 1755, 4965, 855);

    Grid1 = new FlexGrid(this);
    Grid1->setObjectName(QStringLiteral("Grid1"));
    Grid1->setRows(2);
    Grid1->setCols(1);
    Grid1->setFixedRows(1);
    Grid1->setFixedCols(0);
    Twips::place(Grid1, 90, 1785, 4905, 795);

    Command2 = new PictureButton(this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setText(QStringLiteral("确定"));
    Command2->setPicture(tickPicture());
    Twips::place(Command2, 2310, 2730, 1185, 645);
    Command3 = new PictureButton(this);
    Command3->setObjectName(QStringLiteral("Command3"));
    Command3->setText(QStringLiteral("退出"));
    Command3->setPicture(exitPicture());
    Twips::place(Command3, 3570, 2730, 1185, 645);

    StatusBar1 = new StatusBar(1, this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    Twips::place(StatusBar1, 0, 3510, 5070, 285);

    connectHandler(Grid1, &FlexGrid::cellClicked, this, &frmToExcel::Grid1_Click);
    connectHandler(Grid1, &FlexGrid::cellDoubleClicked, this, &frmToExcel::Grid1_DblClick);
    connectHandler(Command1, &QPushButton::clicked, this, &frmToExcel::Command1_Click, ErrorReport::ShortText);
    connectHandler(Command2, &QPushButton::clicked, this, &frmToExcel::Command2_Click);
    connectHandler(Command3, &QPushButton::clicked, this, &frmToExcel::Command3_Click);
}

void frmToExcel::Form_Load()
{
    CenterChild(this);
}

void frmToExcel::Config(FlexGrid *grid, const QString &sheetName, const QString &title)
{
    runReportingErrors(
        [&] {
            if (!grid)
                throw sheet::WorkbookError(QStringLiteral("没有要输出的表格。"));
            SourceGrid = grid;
            const int cols = grid->Cols();
            Grid1->setCols(cols);
            for (int k = 0; k < cols; ++k) {
                Grid1->setTextMatrix(0, k, grid->TextMatrix(0, k));
                Grid1->setFixedAlignment(k, grid->FixedAlignment(k));
                Grid1->setTextMatrix(1, k, Chosen);
            }
            if (grid->FixedRows() == 2) {
                for (int k = 0; k < cols; ++k) {
                    const QString first = grid->TextMatrix(0, k);
                    const QString second = grid->TextMatrix(1, k);
                    if (second.trimmed() != first.trimmed())
                        Grid1->setTextMatrix(0, k, first + QLatin1Char('(') + second + QLatin1Char(')'));
                }
            }
            AutoSizeColumns(Grid1, this);
            // Columns without a name are hidden and never exported.
            for (int k = 0; k < cols; ++k) {
                if (Grid1->TextMatrix(0, k).isEmpty()) {
                    Grid1->setColWidth(k, 0);
                    Grid1->setTextMatrix(1, k, QString());
                }
            }
            Text1[1]->setText(title);
            Text1[2]->setText(sheetName);
        },
        ErrorReport::ShortText);
}

void frmToExcel::Grid1_Click()
{
    const int col = Grid1->Col();
    if (Grid1->TextMatrix(0, col).isEmpty())
        return; // a hidden column is never chosen
    Grid1->setTextMatrix(1, col, Chosen);
    Grid1->setColAlignment(col, FlexGridAlignment::CenterCenter);
}

void frmToExcel::Grid1_DblClick()
{
    Grid1->setTextMatrix(1, Grid1->Col(), QString());
}

void frmToExcel::Command1_Click()
{
    const QString file = FileDialogs::getSaveFileName(this, QString(), exportStartFolder(), qtFilter(WorkbookFilter),
                                                      FileDialogs::ExistingFile::AddTo);
    if (!file.isEmpty())
        Text1[0]->setText(QDir::toNativeSeparators(withWorkbookSuffix(file)));
}

void frmToExcel::Command2_Click()
{
    if (Text1[1]->text().isEmpty() || Text1[2]->text().isEmpty()) {
        MessageBoxes::showWithAppTitle(this, QStringLiteral("请输入标题内容"));
        return;
    }
    if (To_Execl(SourceGrid, Text1[1]->text(), Text1[2]->text())) {
        close();
        return;
    }
    MessageBoxes::showWithAppTitle(this, QStringLiteral("输出到Execl失败: ") + m_lastError,
                                   MessageBoxes::Icon::Information);
}

void frmToExcel::Command3_Click()
{
    close();
}

std::vector<int> frmToExcel::chosenColumns(const FlexGrid &grid) const
{
    std::vector<int> columns;
    const int cols = std::min(grid.Cols(), Grid1->Cols());
    for (int j = 0; j < cols; ++j)
        if (!Grid1->TextMatrix(1, j).isEmpty() && !Grid1->TextMatrix(0, j).isEmpty())
            columns.push_back(j);
    return columns;
}

bool frmToExcel::To_Execl(FlexGrid *grid, const QString &title, const QString &sheetName)
{
    m_lastError.clear();
    const QString typed = Text1[0]->text().trimmed();
    if (typed.isEmpty()) {
        MessageBoxes::show(this, QStringLiteral("请确定输出的文件名"), MessageBoxes::executableName(),
                           MessageBoxes::Icon::None, MessageBoxes::Buttons::Ok);
        return false;
    }
    if (!grid) {
        m_lastError = QStringLiteral("要输出的表格已经关闭。");
        return false;
    }
    const std::vector<int> columns = chosenColumns(*grid);
    if (columns.empty()) {
        MessageBoxes::show(this, QStringLiteral("请至少选择一列输出"), MessageBoxes::executableName(),
                           MessageBoxes::Icon::None, MessageBoxes::Buttons::Ok);
        return false;
    }
    // A pasted name or title can hold what no file or cell can.
    if (const QString problem = sheet::Workbook::fileNameProblem(typed); !problem.isEmpty()) {
        m_lastError = problem;
        return false;
    }
    if (title.contains(QChar(u'\0'))) {
        m_lastError = QStringLiteral("文档标题不能含有空字符（NUL）。");
        return false;
    }
    const QString file = withWorkbookSuffix(QDir::fromNativeSeparators(typed));
    try {
        exportTo(*grid, columns, file, title, sheetName);
    } catch (const sheet::WorkbookError &error) {
        m_lastError = error.description();
        return false;
    } catch (const std::exception &error) {
        m_lastError = QString::fromLocal8Bit(error.what());
        return false;
    }
    if (Check1->value() == 1)
        openInSpreadsheetProgram(file);
    return true;
}

void frmToExcel::exportTo(const GridTable &grid, const std::vector<int> &columns, const QString &file,
                          const QString &title, const QString &sheetName)
{
    const GridExport request{&grid, columns, file, sheetName, title, m_tag, Today()};
    Hourglass hourglass;
    if (grid.rows() <= ProgressRows) {
        exportGrid(request);
        return;
    }
    QProgressDialog dialog(QStringLiteral("正在输出到Excel工作簿……"), QStringLiteral("取消"), 0, grid.rows(), this);
    dialog.setObjectName(QStringLiteral("ExportProgress"));
    dialog.setWindowTitle(MessageBoxes::applicationTitle());
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setMinimumDuration(0);
    dialog.setAutoReset(false);
    dialog.setAutoClose(false);
    exportGrid(request, [&dialog, &grid](int rows) {
        if (rows == grid.rows() && !dialog.wasCanceled()) {
            // Saving cannot be stopped half-way.
            dialog.setLabelText(QStringLiteral("正在保存工作簿……"));
            dialog.setCancelButtonText(QString());
        }
        dialog.setValue(rows);
        return !dialog.wasCanceled();
    });
}

void frmToExcel::openInSpreadsheetProgram(const QString &file)
{
    if (opener()) {
        opener()(file);
        return;
    }
    if (!qEnvironmentVariableIsEmpty("TESSALINE_NO_DESKTOP"))
        return;
    QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath()));
}

QString frmToExcel::RangeNom(int column, int row)
{
    constexpr int LastColumn = 16383; // XFD
    if (column < 0 || column > LastColumn)
        return {};
    QString letters;
    for (int c = column + 1; c > 0; c = (c - 1) / 26)
        letters.prepend(QChar(u'A' + (c - 1) % 26));
    return letters + QString::number(row);
}
