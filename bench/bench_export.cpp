// The spreadsheet export of a 100 000-row grid (the void report's 11 exported
// columns, shown from a typed table as the report shows its lines), as the export
// window does it: To_Execl into a new workbook, with its
// progress dialog, offscreen. Its floor, in the same run: a bare libxlsxwriter loop
// writing the same cells with the same formats, merges and widths from texts and
// numbers prepared beforehand, in the same writing mode (constant memory). For
// reference: openpyxl's write-only mode writing the same workbook (Debian's
// /usr/bin/python3, timed inside the interpreter), libxlsxwriter's default mode, and
// To_Execl into an existing workbook, replacing the sheet.
//
// Run: build/bench/bench_export [--runs N] [--only window|floor|existing]
// (--only times one side alone, for a profiler)
#include "bench/OfficeData.h"
#include "bench/Timing.h"
#include "output/frmToExcel.h"
#include "platform/db/ResultTable.h"
#include "platform/ui/CheckBox.h"
#include "platform/ui/FlexGrid.h"
#include "platform/ui/MessageBoxes.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <xlsxwriter.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

QTextStream out(stdout);

constexpr int RowCount = 100000;
constexpr int Columns = 11;
constexpr int AmountColumn = 6;
const QString Format = QStringLiteral("^序 |<票据簿编号|<票据号码  |<付款人                    |<收费项目          "
                                      "|<摘    要                |>金额     |<开票日期  |<开票人|<收款日期  |<收款人|");
const QString SheetName = QStringLiteral("作废统计报表");
const QString Title = QStringLiteral("(中心管理处) 作废统计报表");
const QString Tag = QStringLiteral("日期范围:2026年01月01日至2026年12月31日");
const QString PrintDate = QStringLiteral("打印日期：") + QDate::currentDate().toString(QStringLiteral("yyyy年MM月dd日"));

QString ms(double v)
{
    return QString::number(v, 'f', 0) + QStringLiteral(" ms");
}

// The cell texts of the report's lines; the Python side below makes the same ones.
QString cellText(int row, int col)
{
    static const QStringList items = {QStringLiteral("物业费"), QStringLiteral("停车费"), QStringLiteral("水费"),
                                      QStringLiteral("电费"), QStringLiteral("租金"), QStringLiteral("押金")};
    switch (col) {
    case 0: return QString::number(row);
    case 1: return QStringLiteral("2026-%1").arg(row / 100, 3, 10, QLatin1Char('0'));
    case 2: return QStringLiteral("%1").arg(row, 7, 10, QLatin1Char('0'));
    case 3: return QStringLiteral("付款人%1").arg(row % 997);
    case 4: return items[row % 6];
    case 5: return row % 3 ? QStringLiteral("[摘要%1]").arg(row % 50) : QString();
    case 6: return QString::number((row % 1000) * 1.25, 'f', 2);
    case 7: return QStringLiteral("2026-%1-%2").arg(row % 12 + 1, 2, 10, QLatin1Char('0')).arg(row % 28 + 1, 2, 10, QLatin1Char('0'));
    case 8: return QStringLiteral("李会计");
    case 9: return row % 4 ? QStringLiteral("2026-%1-15").arg(row % 12 + 1, 2, 10, QLatin1Char('0')) : QString();
    case 10: return row % 4 ? QStringLiteral("王出纳") : QString();
    default: return {};
    }
}

// The lines as the report keeps them: columns 1 to 10 in a typed table, texts as
// UTF-8, an empty cell as NULL, the amounts as exact decimals.
std::shared_ptr<const db::ResultTable> reportLines()
{
    QStringList names;
    std::vector<int> kinds;
    for (int c = 1; c < Columns; ++c) {
        names << QString::number(c);
        kinds.push_back(int(c == AmountColumn ? db::ResultTable::Kind::Decimal : db::ResultTable::Kind::Text));
    }
    db::ResultTableBuilder builder;
    builder.setColumns(names, kinds);
    for (int r = 1; r <= RowCount; ++r) {
        for (int c = 1; c < Columns; ++c) {
            const QByteArray text = cellText(r, c).toUtf8();
            const std::string_view utf8(text.constData(), size_t(text.size()));
            if (text.isEmpty())
                builder.addNull(c - 1);
            else if (c == AmountColumn)
                builder.addNumberText(c - 1, utf8);
            else
                builder.addText(c - 1, utf8);
        }
        builder.endRow();
    }
    return std::make_shared<const db::ResultTable>(builder.take());
}

// How the grid shows them, as the report's grid does: the line's number, the texts, the
// amount with two decimals and the number it keeps.
std::vector<FlexGridTableColumn> reportColumns()
{
    std::vector<FlexGridTableColumn> columns;
    columns.push_back({0, [](const db::ResultTable &, int line) { return QString::number(line + 1); }});
    for (int c = 1; c < Columns; ++c) {
        const int at = c - 1;
        if (c != AmountColumn) {
            columns.push_back(FlexGridTableColumn::textOf(c, at));
            continue;
        }
        columns.push_back({c,
                           [at](const db::ResultTable &t, int line) {
                               return t.isNull(line, at) ? QString() : t.decimal(line, at).toFixed2();
                           },
                           [at](const db::ResultTable &t, int line) -> std::optional<Decimal> {
                               if (t.isNull(line, at))
                                   return std::nullopt;
                               return t.decimal(line, at);
                           }});
    }
    return columns;
}

const char *PythonWriter = R"PY(
import sys, time
from openpyxl import Workbook
from openpyxl.cell import WriteOnlyCell
from openpyxl.styles import Alignment, Border, Font, Side

path, rows, title, tag, printed = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4], sys.argv[5]
widths = [float(w) for w in sys.argv[6].split(",")]
heads = sys.argv[7].split("|")
items = ["物业费", "停车费", "水费", "电费", "租金", "押金"]

def text(r, c):
    if c == 0: return str(r)
    if c == 1: return "2026-%03d" % (r // 100)
    if c == 2: return "%07d" % r
    if c == 3: return "付款人%d" % (r % 997)
    if c == 4: return items[r % 6]
    if c == 5: return "[摘要%d]" % (r % 50) if r % 3 else ""
    if c == 6: return "%.2f" % ((r % 1000) * 1.25)
    if c == 7: return "2026-%02d-%02d" % (r % 12 + 1, r % 28 + 1)
    if c == 8: return "李会计"
    if c == 9: return "2026-%02d-15" % (r % 12 + 1) if r % 4 else ""
    return "王出纳" if r % 4 else ""

start, cpu = time.perf_counter(), time.process_time()
wb = Workbook(write_only=True)
ws = wb.create_sheet("作废统计报表")
from openpyxl.utils import get_column_letter
for i, w in enumerate(widths):
    ws.column_dimensions[get_column_letter(i + 1)].width = w
thin = Side(style="thin")
frame = Border(left=thin, right=thin, top=thin, bottom=thin)
body = Font(sz=10.5)
centre = Alignment(horizontal="center", vertical="center")
def heading(value, size, horizontal):
    c = WriteOnlyCell(ws, value=value)
    c.font = Font(sz=size)
    c.alignment = Alignment(horizontal=horizontal, vertical="center")
    return [c]
ws.append(heading(title, 18, "center"))
ws.append(heading(tag, 12, "center"))
ws.append(heading(printed, 10, "right"))
header = []
for c, h in enumerate(heads):
    cell = WriteOnlyCell(ws, value=h)
    cell.font, cell.border, cell.alignment = body, frame, centre
    cell.number_format = "0.00_ " if c == 6 else "@"
    header.append(cell)
ws.append(header)
for r in range(1, rows + 1):
    line = []
    for c in range(11):
        t = text(r, c)
        cell = WriteOnlyCell(ws, value=(float(t) if c == 6 else t) if t else None)
        cell.font, cell.border = body, frame
        cell.number_format = "0.00_ " if c == 6 else "@"
        line.append(cell)
    ws.append(line)
for r in (1, 2, 3):
    ws.merged_cells.add("A%d:K%d" % (r, r))
wb.save(path)
print("%.1f %.1f" % ((time.perf_counter() - start) * 1000, (time.process_time() - cpu) * 1000))
)PY";

using bench::Stopwatch;
using bench::Times;

struct Floor
{
    std::vector<std::string> texts; // row-major, Columns to a row
    std::vector<double> amounts;
    std::vector<std::string> heads;
    std::vector<double> widths;
};

// The floor: the same cells, formats, merges and widths straight into libxlsxwriter.
Times bareLoopMs(const Floor &floor, const QString &file, bool constantMemory)
{
    const QByteArray path = QFile::encodeName(file);
    const QByteArray title = Title.toUtf8(), tag = Tag.toUtf8(), printed = PrintDate.toUtf8();
    const QByteArray sheet = SheetName.toUtf8();
    const Stopwatch watch;
    lxw_workbook_options options = {};
    options.constant_memory = constantMemory;
    options.use_zip64 = LXW_TRUE;
    lxw_workbook *book = workbook_new_opt(path.constData(), &options);
    lxw_worksheet *ws = workbook_add_worksheet(book, sheet.constData());
    auto heading = [book](double size, lxw_format_alignments horizontal) {
        lxw_format *f = workbook_add_format(book);
        format_set_align(f, horizontal);
        format_set_align(f, LXW_ALIGN_VERTICAL_CENTER);
        format_set_font_size(f, size);
        return f;
    };
    lxw_format *titleFormat = heading(18, LXW_ALIGN_CENTER);
    lxw_format *tagFormat = heading(12, LXW_ALIGN_CENTER);
    lxw_format *dateFormat = heading(10, LXW_ALIGN_RIGHT);
    lxw_format *headerRow = workbook_add_format(book);
    format_set_align(headerRow, LXW_ALIGN_CENTER);
    format_set_align(headerRow, LXW_ALIGN_VERTICAL_CENTER);
    lxw_format *header[2], *body[2];
    for (int amount = 0; amount < 2; ++amount) {
        for (lxw_format **f : {&header[amount], &body[amount]}) {
            *f = workbook_add_format(book);
            if (amount)
                format_set_num_format(*f, "0.00_ ");
            else
                format_set_num_format_index(*f, 49);
            format_set_border(*f, LXW_BORDER_THIN);
            format_set_font_size(*f, 10.5);
        }
        format_set_align(header[amount], LXW_ALIGN_CENTER);
        format_set_align(header[amount], LXW_ALIGN_VERTICAL_CENTER);
    }
    for (int c = 0; c < Columns; ++c)
        worksheet_set_column(ws, lxw_col_t(c), lxw_col_t(c), floor.widths[size_t(c)], nullptr);
    worksheet_set_row(ws, 0, LXW_DEF_ROW_HEIGHT, titleFormat);
    worksheet_merge_range(ws, 0, 0, 0, Columns - 1, title.constData(), titleFormat);
    worksheet_set_row(ws, 1, LXW_DEF_ROW_HEIGHT, tagFormat);
    worksheet_merge_range(ws, 1, 0, 1, Columns - 1, tag.constData(), tagFormat);
    worksheet_set_row(ws, 2, LXW_DEF_ROW_HEIGHT, dateFormat);
    worksheet_merge_range(ws, 2, 0, 2, Columns - 1, printed.constData(), dateFormat);
    worksheet_set_row(ws, 3, LXW_DEF_ROW_HEIGHT, headerRow);
    for (int c = 0; c < Columns; ++c)
        worksheet_write_string(ws, 3, lxw_col_t(c), floor.heads[size_t(c)].c_str(), header[c == AmountColumn]);
    for (int r = 0; r < RowCount; ++r) {
        for (int c = 0; c < Columns; ++c) {
            const lxw_row_t row = lxw_row_t(r + 4);
            const std::string &text = floor.texts[size_t(r) * Columns + size_t(c)];
            if (text.empty())
                worksheet_write_blank(ws, row, lxw_col_t(c), body[c == AmountColumn]);
            else if (c == AmountColumn)
                worksheet_write_number(ws, row, lxw_col_t(c), floor.amounts[size_t(r)], body[1]);
            else
                worksheet_write_string(ws, row, lxw_col_t(c), text.c_str(), body[0]);
        }
    }
    if (workbook_close(book) != LXW_NO_ERROR)
        bench::stop(QStringLiteral("the bare loop failed"));
    return watch.elapsed();
}

Times windowMs(FlexGrid &grid, const QString &file)
{
    auto *window = new frmToExcel;
    window->setTag(Tag);
    window->Config(&grid, SheetName, Title);
    window->Check1->setValue(0);
    window->Text1[0]->setText(file);
    const Stopwatch watch;
    const bool saved = window->To_Execl(&grid, Title, SheetName);
    const Times elapsed = watch.elapsed();
    if (!saved)
        bench::stop(QStringLiteral("To_Execl failed: ") + window->lastError());
    delete window;
    return elapsed;
}

Times openpyxlMs(const QString &script, const QString &file, const Floor &floor)
{
    QStringList widths, heads;
    for (double w : floor.widths)
        widths << QString::number(w);
    for (const std::string &h : floor.heads)
        heads << QString::fromStdString(h);
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), {script, file, QString::number(RowCount), Title, Tag, PrintDate,
                                                      widths.join(QLatin1Char(',')), heads.join(QLatin1Char('|'))});
    if (!python.waitForFinished(-1) || python.exitCode() != 0)
        bench::stop(QStringLiteral("openpyxl failed: ") + QString::fromUtf8(python.readAllStandardError()));
    const QList<QByteArray> figures = python.readAllStandardOutput().trimmed().split(' ');
    return {figures.value(0).toDouble(), figures.value(1).toDouble()};
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    qputenv("TESSALINE_NO_DESKTOP", "1");
    QApplication app(argc, argv);
    MessageBoxes::startScripting();
    const QStringList arguments = app.arguments();
    const int runs = bench::runsArgument(arguments, 5);
    const qsizetype onlyAt = arguments.indexOf(QStringLiteral("--only"));
    const QString only = onlyAt > 0 && onlyAt + 1 < arguments.size() ? arguments[onlyAt + 1] : QString();

    FlexGrid grid;
    grid.setFormatString(Format);
    grid.setVisible(false);
    grid.setRows(RowCount + 1);
    grid.setTableRows(1, reportLines(), reportColumns());
    grid.setColWidth(Columns, 0);

    Floor floor;
    floor.texts.reserve(size_t(RowCount) * Columns);
    for (int r = 1; r <= RowCount; ++r) {
        for (int c = 0; c < Columns; ++c)
            floor.texts.push_back(cellText(r, c).toStdString());
        floor.amounts.push_back(cellText(r, AmountColumn).toDouble());
    }
    for (int c = 0; c < Columns; ++c) {
        floor.heads.push_back(grid.TextMatrix(0, c).toStdString());
        floor.widths.push_back(grid.ColWidth(c) / 100.0);
    }

    QTemporaryDir folder(QDir::currentPath() + QStringLiteral("/bench_export-XXXXXX"));
    if (!folder.isValid())
        bench::stop(QStringLiteral("no scratch folder"));
    const QString script = folder.filePath(QStringLiteral("write_only.py"));
    {
        QFile f(script);
        if (!f.open(QIODevice::WriteOnly))
            bench::stop(QStringLiteral("cannot write the Python script"));
        f.write(PythonWriter);
    }

    std::vector<Times> window, bare, defaultMode, python, existing;
    for (int run = 0; run < runs; ++run) {
        const QString ours = folder.filePath(QStringLiteral("window-%1.xlsx").arg(run));
        // The two sides take turns at going first.
        for (int turn = 0; turn < 2; ++turn) {
            if ((turn == run % 2) && (only.isEmpty() || only == QLatin1String("window")))
                window.push_back(windowMs(grid, ours));
            if ((turn != run % 2) && (only.isEmpty() || only == QLatin1String("floor")))
                bare.push_back(bareLoopMs(floor, folder.filePath(QStringLiteral("bare-%1.xlsx").arg(run)), true));
        }
        if (only == QLatin1String("existing")) {
            if (run == 0)
                windowMs(grid, ours);
            existing.push_back(windowMs(grid, folder.filePath(QStringLiteral("window-0.xlsx"))));
        }
        if (!only.isEmpty())
            continue;
        defaultMode.push_back(bareLoopMs(floor, folder.filePath(QStringLiteral("default-%1.xlsx").arg(run)), false));
        // The window's workbook again, its sheet replaced.
        existing.push_back(windowMs(grid, ours));
        python.push_back(openpyxlMs(script, folder.filePath(QStringLiteral("openpyxl-%1.xlsx").arg(run)), floor));
        for (const QString &name : QDir(folder.path()).entryList({QStringLiteral("*.xlsx")}))
            QFile::remove(folder.filePath(name));
        out << "run " << run + 1 << ": To_Execl " << ms(window.back().wall) << " (cpu " << ms(window.back().cpu)
            << "), bare loop " << ms(bare.back().wall) << " (cpu " << ms(bare.back().cpu) << "), openpyxl "
            << ms(python.back().wall) << "\n";
        out.flush();
    }

    const auto median = [](const std::vector<Times> &times, double Times::*figure) {
        std::vector<double> values;
        for (const Times &t : times)
            values.push_back(t.*figure);
        return bench::median(values);
    };
    const auto line = [&](const char *what, const std::vector<Times> &times) {
        if (!times.empty())
            out << what << ms(median(times, &Times::wall)) << " wall, " << ms(median(times, &Times::cpu)) << " cpu\n";
    };
    out << "export of " << RowCount << " rows x " << Columns << " columns, " << runs << " runs, medians:\n";
    line("  To_Execl, new workbook:              ", window);
    line("  bare libxlsxwriter loop (floor):     ", bare);
    if (!window.empty() && !bare.empty())
        out << "  ratio to the floor:                  "
            << QString::number(median(window, &Times::wall) / median(bare, &Times::wall), 'f', 2) << " wall, "
            << QString::number(median(window, &Times::cpu) / median(bare, &Times::cpu), 'f', 2)
            << " cpu (target <= 1.10)\n";
    line("  To_Execl, existing workbook's sheet: ", existing);
    line("  libxlsxwriter, default mode:         ", defaultMode);
    line("  openpyxl write-only mode:            ", python);
    if (!python.empty() && !window.empty())
        out << "  openpyxl against To_Execl:           "
            << QString::number(median(python, &Times::wall) / median(window, &Times::wall), 'f', 1) << "x wall\n";
    return 0;
}
