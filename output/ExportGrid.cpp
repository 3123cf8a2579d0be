#include "output/ExportGrid.h"

#include "platform/sheet/Workbook.h"
#include "platform/ui/GridTable.h"

#include <charconv>
#include <cmath>

namespace {

const QString TextFormat = QStringLiteral("@");
const QString AmountFormat = QStringLiteral("0.00_ ");

// Worksheet rows (from 0): the heading lines, then the grid from its header row on.
constexpr int TitleRow = 0, TagRow = 1, DateRow = 2, FirstGridRow = 3;

// A column is written with the amount format when its alignment is right-aligned or
// general (the grid's values above 5), as text otherwise.
bool isAmountColumn(const GridTable &grid, int col)
{
    return grid.column(col).alignment > 5;
}

// What a header cell holds once written: its text, or the number an amount column
// makes of it. Equal values are what the header merges compare.
struct CellValue
{
    enum Kind { Empty, Text, Number } kind = Empty;
    QString text;
    double number = 0;

    static CellValue of(const QString &text, bool amount)
    {
        if (text.isEmpty())
            return {};
        if (amount)
            if (const std::optional<double> n = spreadsheetNumber(text))
                return {Number, {}, *n};
        return {Text, text, 0};
    }
    bool operator==(const CellValue &other) const
    {
        return kind == other.kind && (kind == Empty || (kind == Text ? text == other.text : number == other.number));
    }
};

struct Formats
{
    int title, tag, date, headerRow;
    int header[2]; // text, amount
    int body[2];
};

Formats addFormats(sheet::Workbook &book)
{
    using sheet::Horizontal;
    using sheet::Vertical;
    Formats f;
    f.title = book.addFormat({{}, Horizontal::Centre, Vertical::Centre, false, 18});
    f.tag = book.addFormat({{}, Horizontal::Centre, Vertical::Centre, false, 12});
    f.date = book.addFormat({{}, Horizontal::Right, Vertical::Centre, false, 10});
    f.headerRow = book.addFormat({{}, Horizontal::Centre, Vertical::Centre, false, 0});
    for (int amount = 0; amount < 2; ++amount) {
        const QString &number = amount ? AmountFormat : TextFormat;
        f.header[amount] = book.addFormat({number, Horizontal::Centre, Vertical::Centre, true, 10.5});
        f.body[amount] = book.addFormat({number, Horizontal::General, Vertical::Bottom, true, 10.5});
    }
    return f;
}

struct Merge
{
    int firstRow, firstCol, lastRow, lastCol;
};

// The header cells of a grid with two header rows: runs of equal cells in the first
// row become one cell, and a column whose two header cells are equal becomes one
// cell over both rows; the cells a merge covers after its first are emptied. A run
// over columns whose second-row cells are all empty takes both rows.
std::vector<Merge> mergeHeaders(std::vector<CellValue> &top, std::vector<CellValue> &second)
{
    std::vector<Merge> merges;
    const int count = int(top.size());
    for (int c = 0; c < count; ++c) {
        int last = c;
        while (last + 1 < count && top[size_t(last + 1)] == top[size_t(c)])
            ++last;
        if (last > c) {
            bool secondEmpty = true;
            for (int x = c; x <= last; ++x) {
                if (x > c)
                    top[size_t(x)] = {};
                secondEmpty = secondEmpty && second[size_t(x)].kind == CellValue::Empty;
            }
            merges.push_back({FirstGridRow, c, FirstGridRow + (secondEmpty ? 1 : 0), last});
            c = last;
            continue;
        }
        if (top[size_t(c)] == second[size_t(c)]) {
            second[size_t(c)] = {};
            merges.push_back({FirstGridRow, c, FirstGridRow + 1, c});
        }
    }
    return merges;
}

void write(sheet::Workbook &book, int row, int col, const CellValue &value, int format)
{
    switch (value.kind) {
    case CellValue::Empty: book.writeBlank(row, col, format); break;
    case CellValue::Text: book.writeText(row, col, value.text, format); break;
    case CellValue::Number: book.writeNumber(row, col, value.number, format); break;
    }
}

} // namespace

std::optional<double> spreadsheetNumber(QStringView text)
{
    text = text.trimmed();
    bool negative = false;
    if (text.size() >= 2 && text.front() == u'(' && text.back() == u')') {
        negative = true;
        text = text.mid(1, text.size() - 2).trimmed();
    }
    bool percent = false;
    if (text.endsWith(u'%')) {
        percent = true;
        text.chop(1);
        text = text.trimmed();
    }
    if (!negative && !text.isEmpty() && (text.front() == u'-' || text.front() == u'+')) {
        negative = text.front() == u'-';
        text = text.mid(1);
    }

    // The digits, without thousands separators, for from_chars.
    char buffer[64];
    int length = 0;
    int digits = 0;
    int group = -1; // digits since the last separator, -1 before the first one
    qsizetype i = 0;
    const auto put = [&](char c) {
        if (length >= int(sizeof buffer))
            return false;
        buffer[length++] = c;
        return true;
    };
    for (; i < text.size() && (text[i].isDigit() || text[i] == u','); ++i) {
        const char16_t c = text[i].unicode();
        if (c == u',') {
            if (digits == 0 || group == 0 || (group > 0 && group != 3) || (group < 0 && digits > 3))
                return std::nullopt;
            group = 0;
            continue;
        }
        if (c < u'0' || c > u'9' || !put(char(c)))
            return std::nullopt;
        ++digits;
        if (group >= 0)
            ++group;
    }
    if (group >= 0 && group != 3)
        return std::nullopt;
    if (i < text.size() && text[i] == u'.') {
        if (!put('.'))
            return std::nullopt;
        for (++i; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
            if (!put(char(text[i].unicode())))
                return std::nullopt;
            ++digits;
        }
    }
    if (digits == 0)
        return std::nullopt;
    if (i < text.size() && (text[i] == u'e' || text[i] == u'E')) {
        if (!put('e'))
            return std::nullopt;
        ++i;
        if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
            if (!put(char(text[i++].unicode())))
                return std::nullopt;
        int exponent = 0;
        for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i, ++exponent)
            if (!put(char(text[i].unicode())))
                return std::nullopt;
        if (exponent == 0)
            return std::nullopt;
    }
    if (i != text.size())
        return std::nullopt;
    double value = 0;
    const auto [end, error] = std::from_chars(buffer, buffer + length, value);
    if (error != std::errc() || end != buffer + length || !std::isfinite(value))
        return std::nullopt;
    if (percent)
        value /= 100;
    return negative ? -value : value;
}

void exportGrid(const GridExport &request, const ExportProgress &progress)
{
    const GridTable &grid = *request.grid;
    const std::vector<int> &columns = request.columns;
    const int count = int(columns.size());
    const int rows = grid.rows();
    const int headerRows = grid.fixedRows() == 2 && rows >= 2 ? 2 : std::min(rows, 1);

    sheet::Workbook book(request.file, request.sheetName);
    const Formats formats = addFormats(book);

    std::vector<int> amount(static_cast<size_t>(count));
    for (int k = 0; k < count; ++k) {
        amount[size_t(k)] = isAmountColumn(grid, columns[size_t(k)]);
        book.setColumnWidth(k, grid.column(columns[size_t(k)]).width / 100.0);
    }

    // Header rows: their values first, for the merges.
    std::vector<std::vector<CellValue>> header(static_cast<size_t>(headerRows), std::vector<CellValue>(static_cast<size_t>(count)));
    for (int i = 0; i < headerRows; ++i)
        for (int k = 0; k < count; ++k)
            header[size_t(i)][size_t(k)] = CellValue::of(grid.text(i, columns[size_t(k)]), amount[size_t(k)]);
    std::vector<Merge> merges;
    if (count > 1)
        for (int row : {TitleRow, TagRow, DateRow})
            merges.push_back({row, 0, row, count - 1});
    if (headerRows == 2)
        for (const Merge &m : mergeHeaders(header[0], header[1]))
            merges.push_back(m);
    for (const Merge &m : merges)
        book.mergeCells(m.firstRow, m.firstCol, m.lastRow, m.lastCol);

    // The heading lines.
    book.setRowFormat(TitleRow, formats.title);
    write(book, TitleRow, 0, CellValue::of(request.title, false), formats.title);
    book.setRowFormat(TagRow, formats.tag);
    write(book, TagRow, 0, CellValue::of(request.tag, false), formats.tag);
    book.setRowFormat(DateRow, formats.date);
    write(book, DateRow, 0, CellValue::of(QStringLiteral("打印日期：") + request.printedOn.toString(QStringLiteral("yyyy年MM月dd日")), false),
          formats.date);

    // The grid, header row(s) first.
    for (int i = 0; i < rows; ++i) {
        if (progress && i % ExportProgressStep == 0 && !progress(i))
            throw sheet::WorkbookError(QStringLiteral("输出已取消。"));
        const int row = FirstGridRow + i;
        if (i == 0)
            book.setRowFormat(row, formats.headerRow);
        const int *format = i == 0 ? formats.header : formats.body;
        if (i < headerRows) {
            for (int k = 0; k < count; ++k)
                write(book, row, k, header[size_t(i)][size_t(k)], format[amount[size_t(k)]]);
            continue;
        }
        for (int k = 0; k < count; ++k) {
            const int f = format[amount[size_t(k)]];
            // A cell that keeps the number it shows is written from that number, one that
            // shows a table's text from the table's UTF-8.
            if (amount[size_t(k)]) {
                if (const std::optional<Decimal> number = grid.number(i, columns[size_t(k)])) {
                    book.writeNumber(row, k, number->toDouble(), f);
                    continue;
                }
            } else if (const std::optional<std::string_view> utf8 = grid.utf8(i, columns[size_t(k)])) {
                if (utf8->empty())
                    book.writeBlank(row, k, f);
                else
                    book.writeUtf8(row, k, *utf8, f);
                continue;
            }
            const QString text = grid.text(i, columns[size_t(k)]);
            if (text.isEmpty()) {
                book.writeBlank(row, k, f);
            } else if (amount[size_t(k)]) {
                if (const std::optional<double> number = spreadsheetNumber(text))
                    book.writeNumber(row, k, *number, f);
                else
                    book.writeText(row, k, text, f);
            } else {
                book.writeText(row, k, text, f);
            }
        }
    }
    if (progress && !progress(rows))
        throw sheet::WorkbookError(QStringLiteral("输出已取消。"));
    book.save();
}
