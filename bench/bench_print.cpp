// Printing the void report's grid to a PDF file through the grid print engine
// (printGridToPdf: PrintGrid on a PainterPrintSurface over a QPdfWriter, with its
// progress dialog), 10 000 and 20 000 rows of 11 ruled columns, A4 landscape.
// Its floor, in the same run: a bare QPainter loop on a QPdfWriter drawing the same
// lines and texts at the same places (the same head, rows and foot on the same
// pages), with nothing else: no grid, no surface, no merge checks, no progress.
// The cells of the merging columns all differ, so both draw exactly the same.
//
// Run: build/bench/bench_print [--runs N] [--only engine|floor]
// (--only times one side alone, for a profiler)
#include "bench/OfficeData.h"
#include "bench/Timing.h"
#include "output/PrintGrid.h"
#include "platform/Clock.h"
#include "platform/ui/DisplayFormats.h"
#include "platform/ui/FlexGrid.h"
#include "shell/AppState.h"

#include <QApplication>
#include <QFile>
#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextStream>

#include <cmath>


namespace {

QTextStream out(stdout);

using bench::Stopwatch;
using bench::Times;

const QString Title = QStringLiteral("(物业管理中心)作废统计报表");
const QString Subtitle = QStringLiteral("日期范围:2022年01月04日-2026年12月09日");
const QStringList Headings = {"序", "票据簿编号", "票据号码", "付款人", "收费项目", "摘    要",
                              "金额", "开票日期", "开票人", "收款日期", "收款人"};
const QList<int> Widths = {700, 1300, 1100, 1900, 1200, 1900, 1000, 1100, 800, 1100, 800};
constexpr int AmountColumn = 6;
constexpr int RowHeight = 300;

QStringList rowTexts(int row)
{
    return {QString::number(row),
            QStringLiteral("21-2024-%1").arg(row, 6, 10, QLatin1Char('0')),
            QStringLiteral("%1").arg(3000000 + row, 8, 10, QLatin1Char('0')),
            QStringLiteral("付款人%1").arg(row % 997),
            QStringLiteral("物业管理费"),
            QStringLiteral("[%1号楼%2室]").arg(row % 40 + 1).arg(row % 300 + 101),
            DisplayFormats::amount(row % 5000 + 0.5),
            QStringLiteral("2026-%1-%2").arg(row % 12 + 1, 2, 10, QLatin1Char('0')).arg(row % 28 + 1, 2, 10, QLatin1Char('0')),
            QStringLiteral("张三"),
            QStringLiteral("2026-12-09"),
            QStringLiteral("李四")};
}

// The report's grid as the report query leaves it (without its hidden twelfth column):
// columns 0 to 2 merging, the amount right-aligned.
std::unique_ptr<FlexGrid> makeGrid(const QList<QStringList> &rows)
{
    auto grid = std::make_unique<FlexGrid>();
    grid->setFont(QFont(QStringLiteral("宋体"), 9));
    grid->setCols(int(Widths.size()));
    grid->setRows(int(rows.size()) + 1);
    grid->setRowHeight(0, RowHeight);
    grid->setMergeCells(3);
    for (int c = 0; c < Widths.size(); ++c) {
        grid->setColWidth(c, Widths[c]);
        grid->setColAlignment(c, c == AmountColumn ? 7 : 1);
        grid->setTextMatrix(0, c, Headings[c]);
    }
    for (int c = 0; c < 3; ++c)
        grid->setMergeCol(c, true);
    for (int r = 0; r < rows.size(); ++r)
        for (int c = 0; c < Widths.size(); ++c)
            grid->setTextMatrix(r + 1, c, rows[r][c]);
    return grid;
}

QPageLayout landscape()
{
    QPageLayout layout = defaultPdfPageLayout();
    layout.setOrientation(QPageLayout::Landscape);
    return layout;
}

Times engineMs(FlexGrid *grid, const QString &file)
{
    const Stopwatch watch;
    if (!printGridToPdf(*grid, file, Title, Subtitle, false, 0, landscape()))
        qFatal("the engine printed nothing");
    return watch.elapsed();
}

long long roundHalfEven(double value)
{
    return static_cast<long long>(std::nearbyint(value));
}

// The bare loop: the same head, rows and foot, every length worked out in dots.
Times floorMs(const QList<QStringList> &rows, const QString &file)
{
    const Stopwatch watch;
    QPdfWriter writer(file);
    writer.setPageLayout(landscape());
    writer.setTitle(Title);
    QPainter painter(&writer);
    QPen pen(Qt::black);
    pen.setWidthF(std::max(1.0, writer.logicalDpiX() / 300.0));
    painter.setPen(pen);
    const double k = writer.logicalDpiX() / 1440.0; // dots per twip

    QFont headBold(QStringLiteral("宋体"));
    headBold.setPointSizeF(16);
    headBold.setBold(true);
    QFont head(QStringLiteral("宋体"));
    head.setPointSizeF(16);
    QFont cell(QStringLiteral("宋体"));
    cell.setPointSizeF(9);
    const QFontMetricsF boldMetrics(headBold, &writer), headMetrics(head, &writer), cellMetrics(cell, &writer);
    const double width = writer.width();
    const double height = writer.height();
    const double line = cellMetrics.height();
    const double h = RowHeight * k;
    double tableWidth = 0;
    for (int w : Widths)
        tableWidth += w * k;
    const double left = (width - tableWidth) / 2;

    const double headHeight = 1.5 * boldMetrics.height() + headMetrics.height() + 2 * line;
    const long long perPage = roundHalfEven((height - headHeight - 2 * line - 4 * line) / k) / roundHalfEven(RowHeight + 45.0);
    const int rowsOnPage = int(std::max(perPage, 2LL)) - 1;
    const int pages = (int(rows.size()) + rowsOnPage - 1) / rowsOnPage;
    const QString date = QStringLiteral("打印日期 ") + DisplayFormats::isoDate(Today());

    auto text = [&](const QFontMetricsF &metrics, double x, double y, const QString &s) {
        painter.drawText(QPointF(x, y + metrics.ascent()), s);
    };
    for (int page = 1; page <= pages; ++page) {
        if (page > 1)
            writer.newPage();
        painter.setFont(headBold);
        text(boldMetrics, (width - boldMetrics.horizontalAdvance(OrganisationName())) / 2, 0, OrganisationName());
        painter.setFont(head);
        double y = boldMetrics.height() + headMetrics.height() / 2;
        text(headMetrics, (width - headMetrics.horizontalAdvance(Title)) / 2, y, Title);
        y += 2 * headMetrics.height();
        painter.setFont(cell);
        text(cellMetrics, (width - cellMetrics.horizontalAdvance(Subtitle)) / 2, y, Subtitle);
        const double y0 = y + 2 * line;
        double x = left;
        for (int c = 0; c < Widths.size(); ++c) {
            const double w = Widths[c] * k;
            painter.drawLine(QLineF(x, y0, x + w, y0));
            if (c == Widths.size() - 1)
                painter.drawLine(QLineF(x + w, y0, x + w, y0 + h));
            painter.drawLine(QLineF(x, y0, x, y0 + h));
            text(cellMetrics, x + (w - cellMetrics.horizontalAdvance(Headings[c])) / 2, y0 + (h - line) / 2, Headings[c]);
            x += w;
        }
        const double top = y0 + h;
        const int first = (page - 1) * rowsOnPage;
        const int count = std::min(rowsOnPage, int(rows.size()) - first);
        for (int j = 0; j < count; ++j) {
            const QStringList &texts = rows[first + j];
            const double y1 = top + j * h;
            x = left;
            for (int c = 0; c < Widths.size(); ++c) {
                const double w = Widths[c] * k;
                painter.drawLine(QLineF(x, y1, x + w, y1));
                painter.drawLine(QLineF(x, y1, x, y1 + h));
                const double tx = c == AmountColumn ? x + w - cellMetrics.horizontalAdvance(texts[c]) - 45 * k : x + 45 * k;
                text(cellMetrics, tx, y1 + (h - line) / 2, texts[c]);
                if (c == Widths.size() - 1)
                    painter.drawLine(QLineF(x + w, y1, x + w, y1 + h));
                x += w;
            }
        }
        const double bottom = top + count * h;
        painter.drawLine(QLineF(left, bottom, left + tableWidth, bottom));
        text(cellMetrics, left + tableWidth - cellMetrics.horizontalAdvance(date), bottom + line, date);
        const QString label = QStringLiteral("第%1页 共%2页").arg(page).arg(pages);
        text(cellMetrics, (width - cellMetrics.horizontalAdvance(label)) / 2, height - line, label);
    }
    painter.end();
    return watch.elapsed();
}

int pdfPages(const QString &file)
{
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {file});
    info.waitForFinished();
    const auto match = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(QString::fromUtf8(info.readAllStandardOutput()));
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const QStringList song = {QStringLiteral("AR PL UMing CN"), QStringLiteral("AR PL UMing TW"),
                              QStringLiteral("WenQuanYi Zen Hei")};
    QFont::insertSubstitutions(QStringLiteral("宋体"), song);
    OrganisationName() = QStringLiteral("某某大学财务处");
    setClockForTests(QDateTime(QDate(2026, 12, 9), QTime(9, 0)));

    const QStringList arguments = app.arguments();
    const int runs = bench::runsArgument(arguments, 5);
    const qsizetype onlyAt = arguments.indexOf(QStringLiteral("--only"));
    const QString only = onlyAt > 0 && onlyAt + 1 < arguments.size() ? arguments[onlyAt + 1] : QString();
    QTemporaryDir folder;

    double engine10k = 0;
    double engine20k = 0;
    for (const int rowCount : {10000, 20000}) {
        QList<QStringList> rows;
        rows.reserve(rowCount);
        for (int r = 1; r <= rowCount; ++r)
            rows.append(rowTexts(r));
        auto grid = makeGrid(rows);
        const QString engineFile = folder.filePath(QStringLiteral("engine-%1.pdf").arg(rowCount));
        const QString floorFile = folder.filePath(QStringLiteral("floor-%1.pdf").arg(rowCount));

        std::vector<double> engineWall, engineCpu, floorWall, floorCpu;
        for (int run = 0; run < runs; ++run) {
            if (only.isEmpty() || only == u"engine") {
                const Times t = engineMs(grid.get(), engineFile);
                engineWall.push_back(t.wall);
                engineCpu.push_back(t.cpu);
            }
            if (only.isEmpty() || only == u"floor") {
                const Times t = floorMs(rows, floorFile);
                floorWall.push_back(t.wall);
                floorCpu.push_back(t.cpu);
            }
        }
        auto figures = [](const char *what, double engine, double floor) {
            out << "  " << what << ": engine " << QString::number(engine, 'f', 0) << " ms, floor "
                << QString::number(floor, 'f', 0) << " ms";
            if (engine > 0 && floor > 0)
                out << ", ratio " << QString::number(engine / floor, 'f', 3);
            out << "\n";
        };
        out << rowCount << " rows x 11 columns, A4 landscape, medians of " << runs;
        if (only.isEmpty())
            out << "; pages " << pdfPages(engineFile) << " / " << pdfPages(floorFile) << ", bytes "
                << QFile(engineFile).size() << " / " << QFile(floorFile).size();
        out << "\n";
        figures("wall", bench::median(engineWall), bench::median(floorWall));
        figures("cpu ", bench::median(engineCpu), bench::median(floorCpu));
        out.flush();
        (rowCount == 10000 ? engine10k : engine20k) = bench::median(engineCpu);
    }
    if (engine10k > 0)
        out << "engine 20k / 10k (cpu): " << QString::number(engine20k / engine10k, 'f', 3) << "\n";
    return 0;
}
