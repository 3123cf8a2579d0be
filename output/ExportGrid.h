#pragma once

#include <QDate>
#include <QString>
#include <QStringView>

#include <functional>
#include <optional>
#include <vector>

class GridTable;

// Writing a grid into a worksheet the way the export window lays it out: the title,
// the second heading line and the print date in rows 1 to 3, merged across the
// exported columns; the grid's rows from row 4 on, framed, in 10.5 point type; the
// column widths of the grid; and, for a grid with two header rows, equal header cells
// merged.
struct GridExport
{
    const GridTable *grid = nullptr;
    std::vector<int> columns; // the grid columns to export, in order
    QString file;
    QString sheetName;
    QString title;   // cell A1
    QString tag;     // cell A2
    QDate printedOn; // cell A3
};

// How often the export reports its progress, in grid rows.
constexpr int ExportProgressStep = 256;

// Reports the grid rows written so far; false cancels the export.
using ExportProgress = std::function<bool(int rowsWritten)>;

// Writes the workbook; throws sheet::WorkbookError, for a cancel too. A failed or
// cancelled export leaves the file as it was.
void exportGrid(const GridExport &request, const ExportProgress &progress = {});

// The number a text stands for when it is put into a cell with a number format, as
// the spreadsheet program reads it: digits with an optional sign or parentheses,
// thousands separators, decimal point, exponent and per cent sign, with spaces
// around. Anything else is no number.
std::optional<double> spreadsheetNumber(QStringView text);
