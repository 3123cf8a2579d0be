#pragma once

#include <QPageLayout>
#include <QString>

#include "platform/ui/GridTable.h"

class PrintSurface;
class QPrinter;
class QWidget;

// The grid print engine: prints a grid as a ruled table over as many pages as it
// needs. Every page has the same head (the organisation's name, the title, the
// subtitle if there is one, the grid's header row) and the same foot (a closing rule,
// the print date, the sign line if asked for, "第{n}页 共{m}页"). In the grid's mergeable
// columns, equal non-empty cells one under the other print as one tall cell.
//
// All lengths are twips. The engine keeps nothing between calls.

// Whether PrintGrid asks about a table wider than the page, or its caller already has.
enum class PaperWidthQuestion { Ask, AlreadyAnswered };

enum class PrintGridResult {
    Printed,        // the document was ended and sent
    ChangePaper,    // the table is wider than the page and the operator chose to change
                    // the print settings: nothing was printed
    Cancelled,      // the operator cancelled a long print: the document was thrown away
};

// Prints a grid (or any GridTable) on surface. unit is set on the surface before
// anything is measured (PrintSurface::Twips). The printed columns are 0 to Cols − 1 − omittedColumns.
// A grid of more than a few thousand rows shows a progress dialog with a Cancel
// button; smaller ones the hourglass. A printer error is thrown (PrintError) and the
// document begun is thrown away.
PrintGridResult PrintGrid(PrintSurface &surface, const GridTable &grid, int unit, const QString &title,
                          const QString &subtitle, bool printSignLine, int omittedColumns,
                          PaperWidthQuestion question = PaperWidthQuestion::Ask);

// The helpers of PrintGrid, in the order it uses them. Each leaves the surface's font
// as it set it last.
// The height kept for the head of a page.
double MeasureHeadHeight(PrintSurface &surface, bool hasSubtitle, const QString &gridFontName, double gridFontSize);
// The height kept for the foot of a page.
double MeasureFootHeight(PrintSurface &surface, bool printSignLine, const QString &gridFontName, double gridFontSize);
// Prints the head of a page for a table whose left edge is at x = left; returns the y
// of the top of the page's first data row.
double PrintPageHead(PrintSurface &surface, const QString &title, const QString &subtitle, const QString &gridFontName,
                     double gridFontSize, const GridTable &grid, int omittedColumns, double left);
// Prints the foot of page `page` of `pages` under the table's last row edge y.
void PrintPageFoot(PrintSurface &surface, double tableWidth, double left, bool printSignLine, int page, int pages,
                   double y, const QString &gridFontName, double gridFontSize);

// The text of the question about a table wider than the page.
QString paperTooNarrowQuestion();
// Sets unit on the surface; when the printed columns are wider than its page, asks
// whether to change the print settings. True when the operator answers Yes.
bool askToChangePaper(QWidget *parent, PrintSurface &surface, const GridTable &grid, int unit, int omittedColumns);

// The program's printer: made on first use, kept for the whole run, so the paper and
// orientation the operator chooses stay chosen for the next print.
QPrinter &programPrinter();

// The print button of a report: asks whether to change the print settings when the
// table is wider than the printer's page (Yes opens the page set-up of the program's
// printer; once the operator confirms it the print goes on, on the page he chose, and
// cancelling it prints nothing), then shows the print preview, from which the operator
// prints or prints to a PDF file. The preview lays the pages out again on a change of
// paper or orientation, without asking again. A print is made complete before anything
// leaves the program: to a printer queue it is written to a temporary file and handed
// to the queue as one document, so a cancelled print sends nothing. Returns whether
// the operator printed. A printer error is thrown (PrintError) once the preview is
// closed.
bool printGridWithPreview(QWidget *parent, const GridTable &grid, const QString &title, const QString &subtitle,
                          bool printSignLine, int omittedColumns);

// The page of a PDF file written by printGridToPdf unless told otherwise: A4 portrait
// with margins of 10 mm.
QPageLayout defaultPdfPageLayout();

// Prints the grid to a PDF file (asking about a table wider than the page as PrintGrid
// does). The file is written under a temporary name beside it and takes its name only
// when complete, so a cancelled or failed print leaves any earlier file as it was.
// Returns whether the file was written. A failure to write is thrown (PrintError).
bool printGridToPdf(const GridTable &grid, const QString &pdfFile, const QString &title, const QString &subtitle,
                    bool printSignLine, int omittedColumns, const QPageLayout &layout = defaultPdfPageLayout());
