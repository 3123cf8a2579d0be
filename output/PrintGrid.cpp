#include "output/PrintGrid.h"

#include "platform/Clock.h"
#include "platform/print/PrintSurface.h"
#include "platform/ui/DisplayFormats.h"
#include "platform/ui/FlexGridAlignment.h"
#include "platform/ui/MessageBoxes.h"
#include "shell/AppState.h"
#include "shell/Program.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFontInfo>
#include <QProgressDialog>

#include <cmath>
#include <memory>
#include <vector>

namespace {

const QString HeadFontName = QStringLiteral("宋体");
constexpr double HeadFontSize = 16;
// Texts stand this far inside the edges of their cells.
constexpr double CellInset = 45;
// What counting the rows of a page keeps in reserve: this much per row and four lines
// of the grid's font.
constexpr double RowReserve = 45;
constexpr int ReserveLines = 4;
// From this many data rows on a print shows its progress and can be cancelled.
constexpr int ProgressFromRows = 3000;
constexpr int ProgressIntervalMs = 50;

const QString Zhong = QStringLiteral("中");
const QString De = QStringLiteral("的");

// A whole number as the printer's integer division takes it: a half goes to the even
// neighbour.
long long roundHalfEven(double value)
{
    const double below = std::floor(value);
    const double fraction = value - below;
    double result = below;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(below, 2.0) != 0.0))
        result = below + 1;
    return static_cast<long long>(result);
}

struct GridFont
{
    QString name;
    double size;
};

GridFont gridFont(const GridTable &grid)
{
    const QFont font = grid.font();
    const double size = font.pointSizeF() > 0 ? font.pointSizeF() : QFontInfo(font).pointSizeF();
    return {font.family(), size};
}

int lastPrintedColumn(const GridTable &grid, int omittedColumns)
{
    return grid.columns() - 1 - omittedColumns;
}

double tableWidth(const GridTable &grid, int omittedColumns)
{
    double width = 0;
    for (int c = 0; c <= lastPrintedColumn(grid, omittedColumns); ++c)
        width += grid.column(c).width;
    return width;
}

// The hourglass while a grid prints, or for a large grid a progress dialog whose
// Cancel button stops the print. The dialog is application-modal, so nothing can
// change the grid while it prints, and it takes its events as the rows go by.
class RowProgress
{
public:
    explicit RowProgress(int rows)
    {
        if (rows < ProgressFromRows) {
            m_hourglass = std::make_unique<Hourglass>();
            return;
        }
        m_dialog = std::make_unique<QProgressDialog>(QStringLiteral("正在打印…"), QStringLiteral("取消"), 0, rows,
                                                     QApplication::activeWindow());
        m_dialog->setWindowTitle(MessageBoxes::applicationTitle());
        m_dialog->setWindowModality(Qt::ApplicationModal);
        m_dialog->setMinimumDuration(0);
        m_dialog->setAutoClose(false);
        m_dialog->setAutoReset(false);
        m_dialog->show();
    }

    // Shows that `row` rows are done; whether the operator cancelled.
    bool cancelled(int row)
    {
        if (!m_dialog)
            return false;
        if (row == 1 || !m_sinceUpdate.isValid() || m_sinceUpdate.elapsed() >= ProgressIntervalMs) {
            m_dialog->setValue(row);
            QCoreApplication::processEvents();
            m_sinceUpdate.start();
        }
        return m_dialog->wasCanceled();
    }

private:
    std::unique_ptr<Hourglass> m_hourglass;
    std::unique_ptr<QProgressDialog> m_dialog;
    QElapsedTimer m_sinceUpdate;
};

struct MergeRun
{
    bool open = false;
    int first = 0;
    int last = 0;
};

// The working values of one print: the page and the table on it.
class TablePrinter
{
public:
    TablePrinter(PrintSurface &surface, const GridTable &grid, int omittedColumns, double left, double rowHeight,
                 double textHeight, int rowsPerPage)
        : m_surface(surface), m_grid(grid), m_lastCol(lastPrintedColumn(grid, omittedColumns)), m_left(left),
          m_rowHeight(rowHeight), m_textHeight(textHeight), m_rowsPerPage(rowsPerPage),
          m_runs(std::max(grid.columns(), 0)), m_next(m_runs.size()), m_nextRow(m_runs.size(), -1)
    {
    }

    // A new page begins at top (the top of its first data row): no run is open.
    void startPage(double top)
    {
        m_top = top;
        for (MergeRun &run : m_runs)
            run.open = false;
    }

    // Prints row i of the grid at page position j.
    void printRow(int i, int j)
    {
        const int lastRow = m_grid.rows() - 1;
        double x = 0;
        for (int c = 0; c <= m_lastCol; ++c) {
            const QString a = textOf(i, c);
            MergeRun &run = m_runs[c];
            if (!mergeable(c)) {
                drawBlock(c, x, j, j, a);
            } else if (i < lastRow) {
                const QString &b = nextText(i, c);
                if (b != a || a.isEmpty()) {
                    drawBlock(c, x, run.open ? run.first : j, j, a);
                } else if (run.open) {
                    if (j + 1 >= m_rowsPerPage)
                        drawBlock(c, x, run.first, j, a);
                } else {
                    run.open = true;
                    run.first = j;
                    if (j + 1 >= m_rowsPerPage)
                        drawBlock(c, x, j, j, a);
                }
            } else {
                drawBlock(c, x, run.open ? run.first : j, j, a);
            }
            x += width(c);
        }
    }

private:
    double width(int c) const { return m_grid.column(c).width; }
    bool mergeable(int c) const { return m_grid.column(c).mergeable; }
    bool rightAligned(int c) const { return m_grid.column(c).alignment == FlexGridAlignment::RightCenter; }

    // The text of cell (i, c); a mergeable column's was read with the row above.
    QString textOf(int i, int c)
    {
        if (mergeable(c) && m_nextRow[c] == i)
            return std::move(m_next[c]);
        return m_grid.text(i, c);
    }

    // The text of cell (i + 1, c), kept for the next row.
    const QString &nextText(int i, int c)
    {
        m_nextRow[c] = i + 1;
        m_next[c] = m_grid.text(i + 1, c);
        return m_next[c];
    }

    // A text as much of it fits in the width: cut short with "…" when it is wider,
    // so that it never runs over into the next cell (on paper nothing clips it).
    QString fitted(const QString &text, double width) const
    {
        if (text.isEmpty() || m_surface.textFits(text, width))
            return text;
        const QString ellipsis = QStringLiteral("…");
        qsizetype low = 0, high = text.size() - 1; // the longest prefix that fits lies in [low, high]
        while (low < high) {
            const qsizetype mid = (low + high + 1) / 2;
            if (m_surface.textWidth(text.left(mid) + ellipsis) <= width)
                low = mid;
            else
                high = mid - 1;
        }
        if (low == 0)
            return m_surface.textWidth(ellipsis) <= width ? ellipsis : QString();
        return text.left(low) + ellipsis;
    }

    // The cell text of column c from page position s to e as one block; the block
    // closes the column's run.
    void drawBlock(int c, double offset, int s, int e, const QString &text)
    {
        MergeRun &run = m_runs[c];
        run.last = e;
        run.open = false;
        const double x0 = m_left + offset;
        const double w = width(c);
        const double y1 = m_top + (s - 1) * m_rowHeight;
        const double y2 = m_top + e * m_rowHeight;
        m_surface.drawLine(x0, y1, x0 + w, y1);
        m_surface.drawLine(x0, y1, x0, y2);
        m_surface.setCurrentY(y1 + ((e - s + 1) * m_rowHeight - m_textHeight) / 2);
        const QString shown = fitted(text, w - 2 * CellInset);
        m_surface.setCurrentX(rightAligned(c) ? x0 + w - m_surface.textWidth(shown) - CellInset : x0 + CellInset);
        m_surface.printText(shown);
        if (c == m_lastCol)
            m_surface.drawLine(x0 + w, y1, x0 + w, y2);
    }

    PrintSurface &m_surface;
    const GridTable &m_grid;
    const int m_lastCol;
    const double m_left;
    const double m_rowHeight;
    const double m_textHeight;
    const int m_rowsPerPage;
    double m_top = 0;
    std::vector<MergeRun> m_runs;
    std::vector<QString> m_next; // by column: the text of row m_nextRow
    std::vector<int> m_nextRow;
};

void printCentred(PrintSurface &surface, const QString &text)
{
    surface.setCurrentX((surface.printableWidth() - surface.textWidth(text)) / 2);
    surface.printText(text);
}

} // namespace

QString paperTooNarrowQuestion()
{
    return QStringLiteral("纸张宽度不够，请设置更宽的纸张或把纸张改成横向打印\r\n是否要修改打印设置？");
}

bool askToChangePaper(QWidget *parent, PrintSurface &surface, const GridTable &grid, int unit, int omittedColumns)
{
    surface.setScaleMode(unit);
    const double left = (surface.printableWidth() - tableWidth(grid, omittedColumns)) / 2;
    if (left >= 0)
        return false;
    return MessageBoxes::showWithAppTitle(parent, paperTooNarrowQuestion(), MessageBoxes::Icon::None,
                                          MessageBoxes::Buttons::YesNo)
           == MessageBoxes::Answer::Yes;
}

double MeasureHeadHeight(PrintSurface &surface, bool hasSubtitle, const QString &gridFontName, double gridFontSize)
{
    surface.setFontName(HeadFontName);
    surface.setFontSize(HeadFontSize);
    surface.setFontBold(true);
    double height = 1.5 * surface.textHeight(Zhong);
    surface.setFontBold(false);
    height += surface.textHeight(Zhong);
    if (hasSubtitle) {
        surface.setFontName(gridFontName);
        surface.setFontSize(gridFontSize);
        height += 2 * surface.textHeight(Zhong);
    }
    return height;
}

double MeasureFootHeight(PrintSurface &surface, bool printSignLine, const QString &gridFontName, double gridFontSize)
{
    surface.setFontName(gridFontName);
    surface.setFontSize(gridFontSize);
    return (printSignLine ? 3 : 2) * surface.textHeight(Zhong);
}

double PrintPageHead(PrintSurface &surface, const QString &title, const QString &subtitle, const QString &gridFontName,
                     double gridFontSize, const GridTable &grid, int omittedColumns, double left)
{
    surface.setFontName(HeadFontName);
    surface.setFontSize(HeadFontSize);
    surface.setFontBold(true);
    surface.setCurrentY(0);
    printCentred(surface, OrganisationName());

    surface.setFontBold(false);
    surface.setCurrentY(surface.currentY() + surface.textHeight(Zhong) / 2);
    printCentred(surface, title);
    surface.printText(QString());

    const double y = surface.currentY();
    surface.setFontName(gridFontName);
    surface.setFontSize(gridFontSize);
    if (!subtitle.isEmpty()) {
        surface.setCurrentY(y);
        printCentred(surface, subtitle);
    }

    const double y0 = surface.currentY() + surface.textHeight(Zhong);
    const double h = grid.headerHeight();
    const double textHeight = surface.textHeight(De);
    const int lastCol = lastPrintedColumn(grid, omittedColumns);
    double x = left;
    for (int c = 0; c <= lastCol; ++c) {
        const double w = grid.column(c).width;
        surface.drawLine(x, y0, x + w, y0);
        if (c == lastCol)
            surface.drawLine(x + w, y0, x + w, y0 + h);
        surface.drawLine(x, y0, x, y0 + h);
        const QString heading = grid.text(0, c);
        surface.setCurrentX(x + (w - surface.textWidth(heading)) / 2);
        surface.setCurrentY(y0 + (h - textHeight) / 2);
        surface.printText(heading);
        x += w;
    }
    return y0 + h;
}

void PrintPageFoot(PrintSurface &surface, double tableWidth, double left, bool printSignLine, int page, int pages,
                   double y, const QString &gridFontName, double gridFontSize)
{
    surface.setFontName(gridFontName);
    surface.setFontSize(gridFontSize);
    surface.drawLine(left, y, left + tableWidth, y);

    const double textHeight = surface.textHeight(De);
    const QString date = QStringLiteral("打印日期 ") + DisplayFormats::isoDate(Today());
    surface.setCurrentX(left + tableWidth - surface.textWidth(date));
    surface.setCurrentY(y + textHeight);
    surface.printText(date);

    if (printSignLine) {
        const QString signLine = QStringLiteral("审核                制单              ");
        surface.setCurrentX((surface.printableWidth() - surface.textWidth(signLine)) / 2.5);
        surface.setCurrentY(y + textHeight);
        surface.printText(signLine);
    }

    surface.setCurrentY(surface.printableHeight() - textHeight);
    printCentred(surface, QStringLiteral("第%1页 共%2页").arg(page).arg(pages));
}

PrintGridResult PrintGrid(PrintSurface &surface, const GridTable &grid, int unit, const QString &title,
                          const QString &subtitle, bool printSignLine, int omittedColumns,
                          PaperWidthQuestion question)
{
    surface.setScaleMode(unit);
    const double pageHeight = surface.printableHeight();
    const double pageWidth = surface.printableWidth();
    const double tw = tableWidth(grid, omittedColumns);
    const double left = (pageWidth - tw) / 2;
    if (question == PaperWidthQuestion::Ask
        && askToChangePaper(QApplication::activeWindow(), surface, grid, unit, omittedColumns))
        return PrintGridResult::ChangePaper;

    const GridFont font = gridFont(grid);
    const double h = grid.headerHeight();
    const double headHeight = MeasureHeadHeight(surface, !subtitle.isEmpty(), font.name, font.size);
    const double footHeight = MeasureFootHeight(surface, printSignLine, font.name, font.size);
    surface.setFontName(font.name);
    surface.setFontSize(font.size);
    const double t = surface.textHeight(De);

    // Rows per page, the header row counted. Where not even two rows fit, a page still
    // takes one data row, so that no row runs off its page.
    const long long rowsPerPage = roundHalfEven(pageHeight - headHeight - footHeight - ReserveLines * t)
                                  / roundHalfEven(h + RowReserve);
    const int r = static_cast<int>(std::max<long long>(rowsPerPage, 2));
    const int dataRows = std::max(grid.rows() - 1, 0);
    const int rowsOnPage = r - 1;
    const int pages = dataRows <= rowsOnPage ? 1 : (dataRows + rowsOnPage - 1) / rowsOnPage;

    RowProgress progress(dataRows);
    TablePrinter table(surface, grid, omittedColumns, left, h, t, r);
    int page = 0;
    int j = 0;
    double top = 0;
    auto foot = [&] {
        PrintPageFoot(surface, tw, left, printSignLine, page, pages, top + (j - 1) * h, font.name, font.size);
    };
    try {
        for (int i = 1; i <= dataRows; ++i) {
            if (i == 1 || j == r) {
                top = PrintPageHead(surface, title, subtitle, font.name, font.size, grid, omittedColumns, left);
                table.startPage(top);
                j = 1;
                ++page;
            }
            table.printRow(i, j);
            ++j;
            if (j == r) {
                foot();
                if (i < dataRows)
                    surface.newPage();
            }
            if (progress.cancelled(i)) {
                surface.abortDocument();
                return PrintGridResult::Cancelled;
            }
        }
        // A grid without data rows still prints its page: the head with the header row,
        // and the foot right under it.
        if (dataRows == 0) {
            top = PrintPageHead(surface, title, subtitle, font.name, font.size, grid, omittedColumns, left);
            j = 1;
            page = 1;
        }
        if (j != r)
            foot();
        surface.endDocument();
    } catch (...) {
        surface.abortDocument();
        throw;
    }
    return PrintGridResult::Printed;
}
